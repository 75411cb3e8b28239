#include "host/MeasuringUnit.h"

#include <cmath>

#include "host/File.h"

namespace {

const char* const kSymbols[] = {
    "",    "s",   "m",  "m/s", "m/s²",  "V",    "A",  "N",       "Hz", "rpm",
    "ord", "N·m", "W",  "%",   "K",     "°C",   "kg", "rad",     "°",  "rad/s",
    "Ω",   "J",   "m²", "m³",  "l/min", "m/s³", "T",  "dB(SPL)", "Pa",
};
static_assert(sizeof(kSymbols) / sizeof(kSymbols[0]) == CMeasuringUnit::cuLastCommonUnit + 1);

// Scale of one unit in its common unit: factor × 10^exponent.
double Scale(const CMeasuringUnit& unit) {
  return static_cast<double>(unit.Factor()) * std::pow(10.0, unit.Exponent());
}

// Factor from the common unit `from` into the common unit `to`; 0 when not convertible.
double CommonFactor(int32_t from, int32_t to) {
  if (from == to) return 1.0;
  if (from == CMeasuringUnit::cuHertz && to == CMeasuringUnit::cuRpm) return 60.0;
  if (from == CMeasuringUnit::cuRpm && to == CMeasuringUnit::cuHertz) return 1.0 / 60.0;
  return 0.0;
}

}  // namespace

double CMeasuringUnit::scale_to(const CMeasuringUnit& target) const {
  if (is_log() || target.is_log()) return *this == target ? 1.0 : 0.0;
  const double common = CommonFactor(commonUnit_, target.commonUnit_);
  const double targetScale = Scale(target);
  if (common == 0.0 || targetScale == 0.0) return 0.0;
  return Scale(*this) * common / targetScale;
}

std::string CMeasuringUnit::Text() const {
  std::string symbol;
  if (commonUnit_ >= 0 && commonUnit_ <= cuLastCommonUnit) symbol = kSymbols[commonUnit_];
  if (exponent_ == 3) symbol = "k" + symbol;
  if (exponent_ == -3) symbol = "m" + symbol;
  if (exponent_ == -6) symbol = "µ" + symbol;
  if (is_log()) return symbol.empty() ? "dB" : "dB(" + symbol + ")";
  return symbol;
}

bool CMeasuringUnit::WriteToFile(CFile& file) const {
  return WriteLE(file, commonUnit_) && WriteLE(file, exponent_) && WriteLE(file, factor_) &&
         WriteLE(file, flags_);
}

bool CMeasuringUnit::ReadFromFile(CFile& file) {
  int32_t commonUnit = 0;
  int32_t exponent = 0;
  float factor = 0.0f;
  uint32_t flags = 0;
  if (!ReadLE(file, commonUnit) || !ReadLE(file, exponent) || !ReadLE(file, factor) ||
      !ReadLE(file, flags))
    return false;
  if (commonUnit < 0 || commonUnit > cuLastCommonUnit) return false;
  if ((flags & ~static_cast<uint32_t>(flagsKnown)) != 0) return false;
  if (!std::isfinite(factor) || factor <= 0.0f) return false;
  if (exponent < -30 || exponent > 30) return false;
  *this = CMeasuringUnit(commonUnit, exponent, factor, flags);
  return true;
}
