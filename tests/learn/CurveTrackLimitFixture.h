#pragma once
// The track limit plan with curve tracks (spectrograms, instrument 2100, x step 0.5) on top.
// Width terms a = 1, k = 2, p = 0 (so that the learned limits are whole numbers); constant area
// limits 40 (lower) and 112 (upper):
//   spectrogram (210, upper) and floorSpectrogram (211, lower): learn procedure 1 (2 base
//     learns, time constant 100), trigger 1 (rising in the run-up);
//   bandSpectrogram (212, interval): procedure 1; freshSpectrogram (213, upper): no learn
//     procedure; axislessSpectrogram (214, upper, trigger 2 without axis: limited only by
//     InstallWithoutSpectrogramAxis); unlimitedSpectrogram (210 in the falling mode 5) has no
//     LimArea record.
// The expansion widths of the limit curves are set per test (SetChimneyWidths).

#include <memory>
#include <string>
#include <vector>

#include "TrackLimitFixture.h"
#include "host/Sea.h"

class CurveTrackLimitTest : public TrackLimitTest {
 protected:
  static constexpr float kAreaLower = 40.0f;
  static constexpr float kAreaUpper = 112.0f;

  void SetUp() override {
    ASSERT_TRUE(CurveTrackPlan().Install());
    SetChimneyWidths(0.0f, 0.0f);
  }
  void TearDown() override {
    CSeaBase* sea = CSeaBase::ApplicationSea();
    sea->RemoveEntry("LimitCurveExpansionWidths");
    sea->RemoveEntry("LimitCurveExpansionWidth-Default");
    TrackLimitTest::TearDown();
  }

  TestPlan::Builder CurveTrackPlan() const {
    TestPlan::Builder plan = TrackPlan();
    plan.Parameter(211, 2100, "Spectrogram floor", QVInstrumentParam::eval_lower, 1)
        .Parameter(212, 2100, "Spectrogram band", QVInstrumentParam::eval_interval, 1)
        .Parameter(213, 2100, "Spectrogram new", QVInstrumentParam::eval_upper, 1)
        .Parameter(214, 2100, "Spectrogram output", QVInstrumentParam::eval_upper, 2);
    for (const QClavis& key : {spectrogram, floorSpectrogram, bandSpectrogram, freshSpectrogram})
      Limit(plan, key);
    for (const QClavis& key : {floorSpectrogram, bandSpectrogram}) Learns(plan, key, 1);
    return plan;
  }
  static void Limit(TestPlan::Builder& plan, const QClavis& key) {
    plan.Quantity(key, -1, 1.0f, 2.0f, 0.0f);
    plan.Set().limArea[key] = QVLimArea{1, kAreaLower, kAreaUpper};
  }
  void InstallWithoutSpectrogramAxis() {
    TestPlan::Builder plan = CurveTrackPlan();
    Limit(plan, axislessSpectrogram);
    Learns(plan, axislessSpectrogram, 1);
    InstallUnchecked(plan);
  }

  // Expansion widths (x units) of every spectrogram of parameter 210 to 213.
  void SetChimneyWidths(float left, float right) {
    CSeaBase* sea = CSeaBase::ApplicationSea();
    CResourceList list(sea, "LimitCurveExpansionWidths");
    list.RemoveAll();
    CResourceLine line = list.AddLineTail();
    const std::vector<std::string> fields = {"2100", "-1", std::to_string(left),
                                             std::to_string(right)};
    for (size_t i = 0; i < fields.size(); ++i) line.SetString(static_cast<int>(i), fields[i]);
    learn.ReadChimneyWidths();
  }

  // What a spectrogram has learned at a cell: count, average and squared average.
  KelLearnCurve& LearnedCurveAt(const QClavis& key, int64_t cell, uint32_t count,
                                const std::vector<float>& average,
                                const std::vector<float>& squares) {
    const int trackKey = static_cast<int>(values.TrackCurveStore().GenerateKeyOfDovetar(key));
    KelLearnCurve item;
    item.count = count;
    item.Average() = Curve(average);
    item.SqAverage() = Curve(squares);
    auto& track = learn.LearnedCurveTrack()[QIdx1(trackKey)];
    return track.insert_or_assign(cell, item).first->second;
  }
  const KelLearnCurve& LearnedCurve(const QClavis& key, int64_t cell) {
    return learn.LearnedCurveTrack().at(values.TrackCurveStore().KeyOfDovetar(key)).at(cell);
  }
  // The stored curve of a spectrogram.
  KelSigLimitCurve& StoredCurve(const QClavis& key, int64_t cell) {
    return values.TrackCurveStore()
        .ValueMap()
        .at(values.TrackCurveStore().KeyOfDovetar(key))
        .points.at(cell);
  }
  std::vector<float> LimitOf(const QClavis& key, int64_t cell) {
    const KelSigLimitCurve& curve = StoredCurve(key, cell);
    return std::vector<float>(curve.LimitData(), curve.LimitData() + curve.size());
  }

  const QClavis floorSpectrogram{kRunUp, 2100, 1, 1, 211, 0};
  const QClavis bandSpectrogram{kRunUp, 2100, 1, 1, 212, 0};
  const QClavis freshSpectrogram{kRunUp, 2100, 1, 1, 213, 0};
  const QClavis axislessSpectrogram{kRunUp, 2100, 1, 1, 214, 0};
  const QClavis unlimitedSpectrogram{kFall, 2100, 1, 1, 210, 0};  // no LimArea record
};
