#pragma once
// Readers of calculation parameters. A second-level instrument reads the numbers that define a
// derived quantity (a source parameter, an interval, an operation) from the calculation
// parameters of the quantity's instrument parameter: record (parameter, number) of
// IpCalcParameter(). Each reader is bound to one calculation-parameter number; asked for the
// value of instrument parameter p it looks up (p, number), converts the text on first use
// and keeps the answer until Reset() (called when a new part brings possibly new tables).
// A record that is missing or not a number of the reader's type answers false, and the caller
// keeps its default.

#include <cstdint>
#include <map>
#include <optional>
#include <type_traits>

#include "host/Params.h"

namespace DataSource {

template <typename T>
class CDataSourceBase {
 public:
  virtual ~CDataSourceBase() = default;
  // The value for instrument parameter `parameter`; false (out unchanged) when not defined.
  virtual bool Value(int parameter, T& out) = 0;
  virtual void Reset() = 0;
};

template <typename T>
class CCandidateSeaDataSource : public CDataSourceBase<T> {
 public:
  // `number`: the calculation-parameter number; `instrument`: the instrument whose parameters
  // the reader is asked for, -1 for its owner's (kept for the reader's description only).
  CCandidateSeaDataSource(const CDtParamInstance& params, int number, int instrument = -1)
      : params_(params), number_(number), instrument_(instrument) {}

  bool Value(int parameter, T& out) override {
    auto cached = cache_.find(parameter);
    if (cached == cache_.end()) cached = cache_.emplace(parameter, Load(parameter)).first;
    if (!cached->second) return false;
    out = *cached->second;
    return true;
  }
  void Reset() override { cache_.clear(); }

  int Number() const { return number_; }
  int Instrument() const { return instrument_; }

 private:
  std::optional<T> Load(int parameter) const {
    const auto& table = params_.IpCalcParameter();
    auto it = table.find(QIdx2(parameter, number_));
    if (it == table.end()) return std::nullopt;
    T value{};
    bool read = false;
    if constexpr (std::is_same_v<T, float>)
      read = it->second.ValueFloat(value);
    else
      read = it->second.ValueInt(value);
    return read ? std::optional<T>(value) : std::nullopt;
  }

  const CDtParamInstance& params_;
  int number_;
  int instrument_;
  std::map<int, std::optional<T>> cache_;
};

}  // namespace DataSource
