#pragma once
// The learn store tests' gearbox plan with scalar limits on top, for the limit shop tests:
//   rms (upper limit, procedure 1: 2 base learns, time constant 100): a = 1, k = 0, p = 10,
//     allowed limits 0..100;
//   minimum (lower), band (interval), raw (no direction): procedure 1, a = 1, p = 10, bounds
//     0..100;
//   kurtosis (upper, no learn procedure): k = 2, bounds 0..100;
//   crest (upper): a limit record but no width terms; peak: width terms but no limit record;
//   mode 3 "Run-up repeat" is a virtual mode of the run-up: its keys take the run-up's
//   parameters.

#include <gtest/gtest.h>

#include "LearnStoreFixture.h"
#include "host/Output.h"
#include "learn/KelLimitShop.h"

class LimitShopTest : public LearnStoreTest {
 protected:
  static constexpr int kRepeat = 3;

  void SetUp() override { ASSERT_TRUE(LimitPlan().Install()); }

  TestPlan::Builder LimitPlan() const {
    TestPlan::Builder plan = Plan();
    plan.Mode(kRepeat, "Run-up repeat", QVModeProps::mfAcoustic, kRunUp)
        .Parameter(103, 1, "Minimum", QVInstrumentParam::eval_lower)
        .Parameter(104, 1, "Band", QVInstrumentParam::eval_interval)
        .Parameter(105, 1, "Raw", QVInstrumentParam::eval_none)
        .Parameter(106, 1, "Crest")
        .Quantity(rms, -1, 1.0f, 0.0f, 10.0f)
        .Quantity(minimum, -1, 1.0f, 0.0f, 10.0f)
        .Quantity(band, -1, 1.0f, 0.0f, 10.0f)
        .Quantity(raw, -1, 1.0f, 0.0f, 10.0f)
        .Quantity(kurtosis, -1, 0.0f, 2.0f, 0.0f)
        .SValueLimit(rms, 0.0f, 100.0f)
        .SValueLimit(minimum, 0.0f, 100.0f)
        .SValueLimit(band, 0.0f, 100.0f)
        .SValueLimit(raw, 0.0f, 100.0f)
        .SValueLimit(kurtosis, 0.0f, 100.0f)
        .SValueLimit(crest, 0.0f, 100.0f);
    for (const QClavis& key : {minimum, band, raw}) Learns(plan, key, 1);
    return plan;
  }

  // A value of the current part waiting for validation; returns the stored record.
  KelStoreSValue& Pending(const QClavis& key, float value) {
    Scalar(key, value);
    return values.SingleValueMap().at(key);
  }
  // What a quantity has learned, as a learn file would bring it.
  void Learned(const QClavis& key, uint32_t count, float mean, float meanSquare) {
    learn.LearnedSingleValue()[key] = KelLearnSValue(0, count, 1, mean, meanSquare);
  }

  const QClavis minimum{kRunUp, 1, 1, 1, 103, 0};
  const QClavis band{kRunUp, 1, 1, 1, 104, 0};
  const QClavis raw{kRunUp, 1, 1, 1, 105, 0};
  const QClavis crest{kRunUp, 1, 1, 1, 106, 0};
  const QClavis repeatRms{kRepeat, 1, 1, 1, 100, 0};

  CKelLearnStore learn{values, -1};
  CKelLimitShop shop{values, learn};
  PrWin::CaptureSink output;
};
