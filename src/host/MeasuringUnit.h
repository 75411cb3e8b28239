#pragma once
// CMeasuringUnit: the unit of a measured value. A unit is a common unit (the physical unit,
// by code: 4 = m/s², 8 = Hz, 9 = rpm, 15 = °C, 28 = Pa, ...) scaled by a factor and a decimal
// exponent: value in the common unit = value × factor × 10^exponent. A logarithmic unit (a
// level in dB) has the log flag; the power flag says the level is of a power quantity
// (10·log10) rather than of a field quantity (20·log10).

#include <cstdint>
#include <string>

class CFile;

class CMeasuringUnit {
 public:
  enum common_unit_t : int32_t {
    cuNone = 0,
    cuSecond = 1,
    cuMetre = 2,
    cuMetrePerSecond = 3,
    cuMetrePerSecond2 = 4,
    cuVolt = 5,
    cuAmpere = 6,
    cuNewton = 7,
    cuHertz = 8,
    cuRpm = 9,
    cuOrder = 10,
    cuNewtonMetre = 11,
    cuWatt = 12,
    cuPercent = 13,
    cuKelvin = 14,
    cuDegreeCelsius = 15,
    cuKilogram = 16,
    cuRadian = 17,
    cuDegree = 18,
    cuRadianPerSecond = 19,
    cuOhm = 20,
    cuJoule = 21,
    cuSquareMetre = 22,
    cuCubicMetre = 23,
    cuLitrePerMinute = 24,
    cuMetrePerSecond3 = 25,
    cuTesla = 26,
    cuDecibelSpl = 27,
    cuPascal = 28,
    cuLastCommonUnit = cuPascal,
  };
  enum flags_t : uint32_t {
    flagLog = 1,    // a level in dB
    flagPower = 2,  // a level of a power quantity (10·log10 instead of 20·log10)
    flagsKnown = flagLog | flagPower,
  };
  // Bytes of the file form: common unit, exponent, factor, flags (4 bytes each).
  static constexpr uint32_t kFileSize = 16;

  CMeasuringUnit() = default;
  explicit CMeasuringUnit(int32_t commonUnit, int32_t exponent = 0, float factor = 1.0f,
                          uint32_t flags = 0)
      : commonUnit_(commonUnit), exponent_(exponent), factor_(factor), flags_(flags) {}

  int32_t CommonUnit() const { return commonUnit_; }
  int32_t Exponent() const { return exponent_; }
  float Factor() const { return factor_; }
  uint32_t Flags() const { return flags_; }

  bool is_log() const { return (flags_ & flagLog) != 0; }
  bool power() const { return (flags_ & flagPower) != 0; }

  // Factor f that converts a value of this unit into `target` (target value = value × f);
  // 0 when the two cannot be converted by a factor (other physical quantity, or a level).
  // Levels convert only into the same level unit (f = 1). Hz and rpm convert into each other.
  double scale_to(const CMeasuringUnit& target) const;

  // A short symbol for displays: "m/s²", "dB(m/s²)", "rpm", "" for no unit.
  std::string Text() const;

  // The 16-byte file form (little-endian int32 common unit, int32 exponent, float32 factor,
  // uint32 flags). Reading refuses (false, unit unchanged) a short record, an unknown common
  // unit or flag, and a factor that is not a finite positive number.
  bool WriteToFile(CFile& file) const;
  bool ReadFromFile(CFile& file);

  bool operator==(const CMeasuringUnit&) const = default;

 private:
  int32_t commonUnit_ = cuNone;
  int32_t exponent_ = 0;
  float factor_ = 1.0f;
  uint32_t flags_ = 0;
};
