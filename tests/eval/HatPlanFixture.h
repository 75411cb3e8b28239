#pragma once
// A plan with hats of order spectra (instrument 30, parameter 300; x step 0.5, 12 bins):
//   hat parameter 700 (upper): the maximum (interpretation 2) of the band 1..2 orders of the
//     reference shaft; its spectrum parameter (calculation parameter 8) is 300;
//   701: a band in hertz ("H"); 702: a band given for location 5 ("M"); 703: a minimum hat;
//   704: a lower-limit maximum hat; 705: a hat whose spectrum parameter is not a number;
//   706: a hat without QVIpSvOfSpec record.
//   Channel 1 is plain, channel 2 order-resampled (bit 0), channel 3 rotor-bound (bit 1).
//   Location 2 sees the orders of rotor 3.

#include <gtest/gtest.h>

#include "host/Output.h"
#include "host/Params.h"
#include "host/TestPlanBuilder.h"

class HatPlanTest : public ::testing::Test {
 protected:
  static constexpr int kRunUp = 1;

  void SetUp() override { ASSERT_TRUE(Plan().Install()); }
  void TearDown() override { ParamDatabase::Reset(); }

  static TestPlan::Builder Plan() {
    TestPlan::Builder plan("hats");
    plan.Mode(kRunUp, "Run-up")
        .Instrument(30, "Order spectrum", 3)
        .Instrument(1001, "Hat", 1)
        .Channel(1, "Plain")
        .Channel(2, "Resampled")
        .Channel(3, "Rotor-bound")
        .Location(1, "Housing")
        .Location(2, "Input shaft")
        .Location(3, "Output shaft")
        .Location(5, "Rear")
        .Parameter(300, 30, "Spectrum")
        .Parameter(301, 30, "Other spectrum");
    Hat(plan, 700, "Order 2 maximum", {2, "O1-2", -1});
    Hat(plan, 701, "Hertz maximum", {2, "H100-200", -1});
    Hat(plan, 702, "Rear maximum", {6, "M100-200", 5});
    Hat(plan, 703, "Order 2 minimum", {1, "O1-2", -1});
    Hat(plan, 704, "Lower maximum", {2, "O1-2", -1}, QVInstrumentParam::eval_lower);
    Hat(plan, 705, "Loose maximum", {2, "O1-2", -1});
    plan.Parameter(706, 1001, "Plain value");
    plan.Set().ipCalcParameter[QIdx2(700, 8)] = QVIpCalcParameter{"300", "spectrum"};
    plan.Set().ipCalcParameter[QIdx2(705, 8)] = QVIpCalcParameter{"any", "spectrum"};
    plan.Set().channelInfo[2].resamplingType = 1;
    plan.Set().channelInfo[3].resamplingType = 2;
    plan.Set().locationProperty[QIdx1(2)] = QVLocationProperty{3};
    Band(plan, 700, 0, 1.0f, 2.0f);
    return plan;
  }
  static void Hat(TestPlan::Builder& plan, int parameter, const std::string& name,
                  const QVIpSvOfSpec& record,
                  QVInstrumentParam::eval_mode_t mode = QVInstrumentParam::eval_upper) {
    plan.Parameter(parameter, 1001, name, mode);
    plan.Set().ipSvOfSpec[QIdx1(parameter)] = record;
    plan.SValueLimit(QClavis(kRunUp, 1001, 1, 1, parameter, 0), 0.0f, 33.0f);
  }
  static void Band(TestPlan::Builder& plan, int parameter, int index, float low, float high,
                   int rotor = -1) {
    QVSpecIntervalEntry band;
    band.definition.rotor = rotor;
    band.definition.low = low;
    band.definition.high = high;
    plan.Set().specIntervals[QIdx2(parameter, index)] = band;
  }

  static QClavis HatKey(int parameter, int channel = 1, int location = 1, int sensor = 0) {
    return QClavis(kRunUp, 1001, channel, location, parameter, sensor);
  }
  static QClavis SpectrumKey(int channel = 1, int location = 1, int parameter = 300) {
    return QClavis(kRunUp, 30, channel, location, parameter, 0);
  }

  CDtParamInstance params;
  PrWin::CaptureSink output;
};
