#pragma once
// The plan of InstrumentPlanTest with scalar tracks placed at chosen cells of the run-up's
// trigger axis (800 + 10·cell rpm), for the calculators of single values from tracks. The
// calculators are run one pass at a time through their own objects, so a test sees exactly
// what one pass of one calculator does.

#include <initializer_list>
#include <string>
#include <utility>

#include "eval/SourceGeneration.h"
#include "instruments/InstrumentPlanFixture.h"

class TrackSvTest : public InstrumentPlanTest {
 protected:
  static constexpr uint64_t kTrackContext = 33;

  // A track of `key` with the given (cell, value) points, inserted with validation tag
  // `generation`, context kTrackContext and expiry at the end of the mode.
  void TrackAt(const QClavis& key, std::initializer_list<std::pair<long long, float>> points,
               unsigned generation = 1) {
    for (const auto& [cell, value] : points)
      store.TrackScalarStore().InsertValue(key, cell, value, Decibel(), kTrackContext,
                                           SignalBase::expire_mode, generation);
  }
  static QClavis OrderTrack(int parameter) { return Key(kOrderTrack, parameter); }

  // Runs pass `pass` of a calculator of type C built over the installed plan.
  template <typename C>
  bool RunPass(unsigned pass) {
    CDtParamInstance params;
    C calculator(params, store);
    calculator.Prepare();
    return calculator.process(pass);
  }
};
