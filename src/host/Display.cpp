#include "host/Display.h"

void CVisDataPolygon::StartPolygon(int capacity) {
  points_.clear();
  if (capacity > 0) points_.reserve(static_cast<size_t>(capacity));
  completed_ = 0;
}
