#include "eval/TrackPolygon.h"

bool CTrackPolygon::process(unsigned /*pass*/) {
  return false;
}
