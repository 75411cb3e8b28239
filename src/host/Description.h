#pragma once
// CDescription: the shape of a signal. A signal has one or more x dimensions, each with its
// number of samples, the distance between samples (`delta`), the x of its first sample and its
// unit, and one or more y dimensions sharing one y unit. Copying is cheap (no allocation).

#include <array>
#include <cstdint>

#include "host/MeasuringUnit.h"

struct CXDimension {
  uint32_t size = 0;
  float delta = 1.0f;
  float start = 0.0f;
  CMeasuringUnit unit;

  bool operator==(const CXDimension&) const = default;
};

// One y channel of a signal: what it carries.
struct CYChannel {
  enum flags_t : uint32_t {
    flagCombined = 1,  // `signal` holds two application signals: high and low 16 bits
    flagCan = 8,       // a value read from the vehicle bus
  };
  uint32_t flags = 0;
  uint32_t signal = 0;  // application-signal id (or two of them, see flagCombined)

  bool operator==(const CYChannel&) const = default;
};

class CDescription {
 public:
  static constexpr uint32_t kMaxXDims = 3;
  static constexpr uint32_t kMaxYDims = 8;

  // One x dimension of 0 samples with distance 1, one y dimension, no units.
  CDescription() = default;
  // One x dimension of `size` samples, one y dimension.
  CDescription(uint32_t size, float delta, const CMeasuringUnit& xUnit,
               const CMeasuringUnit& yUnit);

  uint32_t XDims() const { return xDims_; }
  uint32_t YDims() const { return yDims_; }
  // REQUIRES: 1 <= n <= kMaxXDims. New dimensions start as a default CXDimension.
  void SetXDims(uint32_t n);
  // REQUIRES: n <= kMaxYDims (larger values are cut to it).
  void SetYDims(uint32_t n);

  // REQUIRES: i < XDims().
  const CXDimension& X(uint32_t i) const { return x_[i]; }
  CXDimension& X(uint32_t i) { return x_[i]; }
  uint32_t Size(uint32_t i) const { return x_[i].size; }
  float Delta(uint32_t i) const { return x_[i].delta; }
  const CMeasuringUnit& XUnit(uint32_t i) const { return x_[i].unit; }
  const CMeasuringUnit& YUnit() const { return yUnit_; }
  // REQUIRES: i < YDims().
  const CYChannel& Y(uint32_t i) const { return y_[i]; }
  CYChannel& Y(uint32_t i) { return y_[i]; }
  void SetYUnit(const CMeasuringUnit& unit) { yUnit_ = unit; }

  // Number of samples: the product of the sizes of all x dimensions.
  uint64_t TotalSize() const;

  bool operator==(const CDescription& other) const;

 private:
  std::array<CXDimension, kMaxXDims> x_{};
  std::array<CYChannel, kMaxYDims> y_{};
  uint32_t xDims_ = 1;
  uint32_t yDims_ = 1;
  CMeasuringUnit yUnit_;
};
