#include "host/Description.h"

CDescription::CDescription(uint32_t size, float delta, const CMeasuringUnit& xUnit,
                           const CMeasuringUnit& yUnit)
    : yUnit_(yUnit) {
  x_[0].size = size;
  x_[0].delta = delta;
  x_[0].unit = xUnit;
}

void CDescription::SetXDims(uint32_t n) {
  if (n < 1) n = 1;
  if (n > kMaxXDims) n = kMaxXDims;
  for (uint32_t i = n; i < kMaxXDims; ++i) x_[i] = CXDimension{};
  xDims_ = n;
}

void CDescription::SetYDims(uint32_t n) {
  if (n > kMaxYDims) n = kMaxYDims;
  for (uint32_t i = n; i < kMaxYDims; ++i) y_[i] = CYChannel{};
  yDims_ = n;
}

uint64_t CDescription::TotalSize() const {
  uint64_t total = 1;
  for (uint32_t i = 0; i < xDims_; ++i) total *= x_[i].size;
  return total;
}

bool CDescription::operator==(const CDescription& other) const {
  if (xDims_ != other.xDims_ || yDims_ != other.yDims_ || !(yUnit_ == other.yUnit_)) return false;
  for (uint32_t i = 0; i < xDims_; ++i)
    if (!(x_[i] == other.x_[i])) return false;
  for (uint32_t i = 0; i < yDims_; ++i)
    if (!(y_[i] == other.y_[i])) return false;
  return true;
}
