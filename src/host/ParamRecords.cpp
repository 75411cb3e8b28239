#include "host/ParamRecords.h"

#include <cerrno>
#include <cmath>
#include <cstdlib>

bool QVIpCalcParameter::ValueInt(int32_t& out) const {
  const char* begin = value.c_str();
  char* end = nullptr;
  errno = 0;
  const long parsed = std::strtol(begin, &end, 10);
  if (end == begin || *end != '\0' || errno == ERANGE || parsed < INT32_MIN || parsed > INT32_MAX)
    return false;
  out = static_cast<int32_t>(parsed);
  return true;
}

bool QVIpCalcParameter::ValueFloat(float& out) const {
  const char* begin = value.c_str();
  char* end = nullptr;
  errno = 0;
  const float parsed = std::strtof(begin, &end);
  if (end == begin || *end != '\0' || errno == ERANGE || !std::isfinite(parsed)) return false;
  out = parsed;
  return true;
}
