#include "learn/KelLearnStore.h"

#include <gtest/gtest.h>

#include <limits>
#include <vector>

#include "host/Numeric.h"
#include "host/Sea.h"
#include "learn/KelLearnCurveTrackMachine.h"
#include "learn/KelLearnScalarTrackMachine.h"
#include "learn/LearnStoreFixture.h"

namespace {

std::vector<float> Samples(const KelSigCurve& curve) {
  return std::vector<float>(curve.data(), curve.data() + curve.size());
}

}  // namespace

TEST_F(LearnStoreTest, FinalScalarsLearnAsTheirProcedureSays) {
  CKelLearnStore store(values, -1);
  const float parts[] = {2.0f, 4.0f, 6.0f, 100.0f};
  for (float x : parts) {
    Scalar(rms, x);
    Scalar(peak, x);
    Scalar(kurtosis, x);
    Scalar(coastRms, x);
    LearnPart(store);
  }
  // rms: 3 values (time constant 100 gives the plain mean); the fourth is not learned.
  const KelLearnSValue& learned = store.LearnedSingleValue().at(rms);
  EXPECT_EQ(learned.count, 3u);
  EXPECT_EQ(learned.remaining, 0);
  EXPECT_EQ(learned.active, 0);
  EXPECT_FLOAT_EQ(learned.mean, 4.0f);
  EXPECT_FLOAT_EQ(learned.meanSquare, (4.0f + 16.0f + 36.0f) / 3.0f);
  // peak: number to learn 0 — the item exists, inactive, and never learns.
  EXPECT_EQ(store.LearnedSingleValue().at(peak).count, 0u);
  EXPECT_EQ(store.LearnedSingleValue().at(peak).active, 0);
  EXPECT_EQ(store.LearnedSingleValue().at(peak).mean, 0.0f);
  // kurtosis has no learn procedure: its item is made and stays untouched.
  EXPECT_EQ(store.LearnedSingleValue().at(kurtosis).count, 0u);
  EXPECT_EQ(store.LearnedSingleValue().at(kurtosis).active, 1);
  // Only the mode that was evaluated learns.
  EXPECT_EQ(store.LearnedSingleValue().count(coastRms), 0u);

  // Restarting everything starts items of keys with a procedure only.
  store.LearnNewEverything();
  EXPECT_EQ(store.LearnedSingleValue().at(rms).count, 0u);
  EXPECT_EQ(store.LearnedSingleValue().at(rms).remaining, 3);
  EXPECT_EQ(store.LearnedSingleValue().at(rms).mean, 0.0f);
  EXPECT_EQ(store.LearnedSingleValue().at(kurtosis).remaining, 0);
  EXPECT_EQ(store.LearnedSingleValue().at(kurtosis).active, 1);
  Scalar(rms, 10.0f);
  EXPECT_EQ(LearnPart(store), 1u);
  EXPECT_FLOAT_EQ(store.LearnedSingleValue().at(rms).mean, 10.0f);
}

TEST_F(LearnStoreTest, LearnCountsAndSwitches) {
  CKelLearnStore store(values, -1);
  Scalar(rms, 1.0f);
  Scalar(peak, 1.0f);
  TrackPoint(track, 0, 5.0f);
  TrackPoint(track, 1, 6.0f);
  Spectrum(spectrum, {1, 2, 3});
  SpectrogramCurve(spectrogram, 0, {1, 2});
  // rms, two track points, the spectrum; the spectrogram is not learned by default.
  EXPECT_EQ(LearnPart(store), 4u);
  EXPECT_TRUE(store.LearnedCurveTrack().empty());

  store.LearnSpectrograms(true);
  SpectrogramCurve(spectrogram, 0, {1, 2});
  SpectrogramCurve(spectrogram, 3, {3, 4});
  EXPECT_EQ(LearnPart(store), 2u);
  EXPECT_EQ(store.LearnedCurveTrack().at(values.TrackCurveStore().KeyOfDovetar(spectrogram)).size(),
            2u);

  store.Enable(false);
  Scalar(rms, 1.0f);
  EXPECT_EQ(LearnPart(store), 0u);
  EXPECT_EQ(store.LearnedSingleValue().at(rms).count, 1u);
  store.Enable(true);
  store.PurgeStore();
  EXPECT_TRUE(store.LearnedSingleValue().empty());
  EXPECT_TRUE(store.LearnedScalarTrack().empty());
  EXPECT_TRUE(store.LearnedSigCurveMap().empty());
  EXPECT_TRUE(store.LearnedCurveTrack().empty());
}

TEST_F(LearnStoreTest, DefaultProcedureAppliesToEveryKeyWhenItExists) {
  // Procedure 3 (forever, time constant 2) for every key, kurtosis included.
  CKelLearnStore everyKey(values, 3);
  Scalar(kurtosis, 3.0f);
  Scalar(peak, 3.0f);
  EXPECT_EQ(LearnPart(everyKey), 2u);
  EXPECT_EQ(everyKey.NrToLearn(kurtosis), std::make_pair(-1, true));
  EXPECT_EQ(everyKey.ExpTc(kurtosis), std::make_pair(2.0f, true));
  EXPECT_EQ(everyKey.LearnedSingleValue().at(kurtosis).remaining, -1);

  // An id that does not exist falls back to each key's own parameter.
  CKelLearnStore fallback(values, 99);
  EXPECT_EQ(fallback.NrToLearn(rms), std::make_pair(3, true));
  EXPECT_EQ(fallback.NrOfBaseLearn(rms), std::make_pair(2u, true));
  EXPECT_EQ(fallback.NrToLearn(kurtosis), std::make_pair(0, false));
  EXPECT_EQ(fallback.NrOfBaseLearn(kurtosis), std::make_pair(0u, false));
  EXPECT_EQ(fallback.ExpTc(kurtosis), std::make_pair(0.0f, false));
}

TEST_F(LearnStoreTest, ScalarTracksAverageOrKeepTheExtremes) {
  CKelLearnStore store(values, -1);
  const float parts[][2] = {{4.0f, 10.0f}, {2.0f, 30.0f}, {6.0f, 20.0f}};
  for (const auto& part : parts) {
    for (int cell = 0; cell < 2; ++cell) {
      TrackPoint(track, cell, part[cell]);
      TrackPoint(lowest, cell, part[cell]);
      TrackPoint(highest, cell, part[cell]);
    }
    LearnPart(store);
  }
  const CKelLearnScalarTrack& machine = store.ScalarTrackLearnMachine();
  EXPECT_EQ(machine.LearnModeOf(track), CKelLearnScalarTrack::lm_average);
  EXPECT_EQ(machine.LearnModeOf(lowest), CKelLearnScalarTrack::lm_minimum);
  EXPECT_EQ(machine.LearnModeOf(highest), CKelLearnScalarTrack::lm_maximum);

  const auto& tracks = store.LearnedScalarTrack();
  const auto& average = tracks.at(machine.KeyOfDovetar(track));
  EXPECT_FLOAT_EQ(average.at(0).mean, 4.0f);
  EXPECT_FLOAT_EQ(average.at(1).mean, 20.0f);
  EXPECT_FLOAT_EQ(average.at(1).meanSquare, (100.0f + 900.0f + 400.0f) / 3.0f);
  const auto& minimum = tracks.at(machine.KeyOfDovetar(lowest));
  EXPECT_EQ(minimum.at(0).mean, 2.0f);
  EXPECT_EQ(minimum.at(1).mean, 10.0f);
  EXPECT_EQ(minimum.at(1).meanSquare, 0.0f);
  EXPECT_EQ(minimum.at(1).remaining, -1);
  const auto& maximum = tracks.at(machine.KeyOfDovetar(highest));
  EXPECT_EQ(maximum.at(0).mean, 6.0f);
  EXPECT_EQ(maximum.at(1).mean, 30.0f);

  // A point first seen in minimum mode starts from the largest float: its value is the mean,
  // whatever the sign.
  TrackPoint(lowest, 7, 1e30f);
  TrackPoint(highest, 7, -1e30f);
  LearnPart(store);
  EXPECT_EQ(tracks.at(machine.KeyOfDovetar(lowest)).at(7).mean, 1e30f);
  EXPECT_EQ(tracks.at(machine.KeyOfDovetar(highest)).at(7).mean, -1e30f);
  EXPECT_EQ(tracks.at(machine.KeyOfDovetar(lowest)).at(7).count, 1u);
}

TEST_F(LearnStoreTest, CurvesRestartOnAnotherShape) {
  CKelLearnStore store(values, -1);
  Spectrum(spectrum, {1, 2, 3});
  LearnPart(store);
  Spectrum(spectrum, {3, 4, 5});
  LearnPart(store);
  const KelLearnCurve& item = store.LearnedSigCurveMap().at(spectrum);
  EXPECT_EQ(item.count, 2u);
  EXPECT_EQ(Samples(item.Average()), (std::vector<float>{2, 3, 4}));
  EXPECT_EQ(Samples(item.SqAverage()), (std::vector<float>{5, 10, 17}));

  // Another length: a new start, the curve is the first of the new average.
  Spectrum(spectrum, {7, 8});
  LearnPart(store);
  EXPECT_EQ(store.LearnedSigCurveMap().at(spectrum).count, 1u);
  EXPECT_EQ(Samples(store.LearnedSigCurveMap().at(spectrum).Average()), (std::vector<float>{7, 8}));
  // The same length over another x step: a new start too.
  Spectrum(spectrum, {9, 10}, 0.25f);
  LearnPart(store);
  EXPECT_EQ(store.LearnedSigCurveMap().at(spectrum).count, 1u);
  EXPECT_EQ(store.LearnedSigCurveMap().at(spectrum).Average().delta(0), 0.25f);
}

TEST_F(LearnStoreTest, CurveTrackWithNumberZeroIsErased) {
  CKelLearnStore store(values, -1);
  store.LearnSpectrograms(true);
  SpectrogramCurve(spectrogram, 2, {1, 3});
  LearnPart(store);
  SpectrogramCurve(spectrogram, 2, {3, 5});
  LearnPart(store);
  const QIdx1 trackKey = store.CurveTrackLearnMachine().KeyOfDovetar(spectrogram);
  EXPECT_EQ(Samples(store.LearnedCurveTrack().at(trackKey).at(2).Average()),
            (std::vector<float>{2, 4}));

  // The plan now gives the spectrogram procedure 2 (learn nothing): its learned track goes.
  TestPlan::Builder plan = Plan();
  Learns(plan, spectrogram, 2);
  ASSERT_TRUE(plan.Install());
  SpectrogramCurve(spectrogram, 2, {3, 5});
  EXPECT_EQ(LearnPart(store), 0u);
  EXPECT_EQ(store.LearnedCurveTrack().count(trackKey), 0u);
}

TEST_F(LearnStoreTest, CleanUpDropsQuantitiesNoLongerParametrised) {
  CKelLearnStore store(values, -1);
  Scalar(rms, 1.0f);
  Scalar(coastRms, 1.0f);
  TrackPoint(track, 0, 1.0f);
  Spectrum(spectrum, {1});
  LearnPart(store);
  Scalar(coastRms, 1.0f);
  LearnPart(store, kCoast);

  TestPlan::Builder plan = Plan();
  plan.Set().ipParamAndStore.erase(rms);
  plan.Set().ipParamAndStore.erase(track);
  ASSERT_TRUE(plan.Install());
  store.CleanUp();
  EXPECT_EQ(store.LearnedSingleValue().count(rms), 0u);
  EXPECT_EQ(store.LearnedSingleValue().count(coastRms), 1u);
  EXPECT_TRUE(store.LearnedScalarTrack().empty());
  EXPECT_EQ(store.LearnedSigCurveMap().count(spectrum), 1u);
}

TEST_F(LearnStoreTest, ChimneyWidthPrefersTheExactEntry) {
  CSeaBase* sea = CSeaBase::ApplicationSea();
  sea->RemoveEntry("LimitCurveExpansionWidths");
  sea->CreateEntry("LimitCurveExpansionWidth-Default", 0);
  sea->LookupSetString("LimitCurveExpansionWidth-Default", "2.5", 0);
  CKelLearnStore store(values, -1);
  store.ReadChimneyWidths();
  EXPECT_EQ(store.StandardChimneyWidth(), std::make_pair(2.5f, 2.5f));
  // An empty list gets its comment line, and that line is no entry.
  CResourceList list(sea, "LimitCurveExpansionWidths");
  ASSERT_EQ(list.Count(), 1u);
  list.GotoHead();
  EXPECT_EQ(list.GetCurrentLine().GetStringFb(0, ""),
            "Instrument Id | Parameter Id or -1 | width value left | right | optional Channel Id "
            "| optional Location Id");
  EXPECT_EQ(store.ChimneyWidth(spectrum), std::make_pair(2.5f, 2.5f));

  // Lines: instrument, parameter, left, right, channel, location.
  const std::vector<std::vector<std::string>> lines = {
      {"30", "-1", "7", "8"},              // wildcard parameter, channel and location -1
      {"30", "300", "3"},                  // parameter, right = left
      {"30", "300", "4", "5", "1", "1"},   // exact
      {"30", "-1", "6", "6", "2"},         // channel 2, any parameter
      {"0", "300", "9", "9"},              // no instrument: skipped
      {"31", "-1", "x", "y", "-1", "-1"},  // widths that are no numbers: the default
  };
  list.RemoveAll();
  for (const auto& fields : lines) {
    CResourceLine line = list.AddLineTail();
    for (size_t i = 0; i < fields.size(); ++i) line.SetString(static_cast<int>(i), fields[i]);
  }
  store.ReadChimneyWidths();
  EXPECT_EQ(store.ChimneyWidth(spectrum), std::make_pair(4.0f, 5.0f));
  EXPECT_EQ(store.ChimneyWidth(QClavis(kRunUp, 30, 3, 1, 300, 0)), std::make_pair(3.0f, 3.0f));
  EXPECT_EQ(store.ChimneyWidth(QClavis(kRunUp, 30, 2, 4, 301, 0)), std::make_pair(6.0f, 6.0f));
  EXPECT_EQ(store.ChimneyWidth(QClavis(kRunUp, 30, 5, 4, 301, 0)), std::make_pair(7.0f, 8.0f));
  EXPECT_EQ(store.ChimneyWidth(QClavis(kRunUp, 31, 5, 4, 301, 0)), std::make_pair(2.5f, 2.5f));
  EXPECT_EQ(store.ChimneyWidth(QClavis(kRunUp, 1, 1, 1, 300, 0)), std::make_pair(2.5f, 2.5f));
  sea->RemoveEntry("LimitCurveExpansionWidths");
  sea->RemoveEntry("LimitCurveExpansionWidth-Default");
}

TEST_F(LearnStoreTest, FillValueStoreShowsMeansAndDeviations) {
  CKelLearnStore store(values, -1);
  for (float x : {2.0f, 4.0f}) {
    Scalar(rms, x);
    TrackPoint(track, 5, x);
    Spectrum(spectrum, {x, 2 * x});
    LearnPart(store);
  }
  CKelValueStore shown;
  store.FillValueStore(shown);
  const KelStoreSValue& value = shown.SingleValueMap().at(rms);
  EXPECT_FLOAT_EQ(value.value, 3.0f);
  EXPECT_FLOAT_EQ(value.limit, numeric::stddev(3.0f, 10.0f, 1.0f));
  EXPECT_EQ(value.evalMode, 2);
  const KelStoreTrackPoint* point = nullptr;
  const auto* shownTrack = shown.TrackScalarStore().FindTrack(track);
  ASSERT_NE(shownTrack, nullptr);
  point = &shownTrack->points.at(5);
  EXPECT_FLOAT_EQ(point->value, 3.0f);
  EXPECT_EQ(point->evalMode, 2);
  const KelSigLimitCurve& curve = shown.SigCurveLimitMap().at(spectrum);
  EXPECT_EQ(Samples(curve.Curve()), (std::vector<float>{3, 6}));
  EXPECT_FLOAT_EQ(curve.LimitData()[1], numeric::stddev(6.0f, 40.0f, 1.0f));
  EXPECT_EQ(curve.LimitState(), 2);

  // A filled store: values without learned data go, the others are overwritten.
  shown.SingleValueMap().at(rms).value = 99.0f;
  KelStoreSValue stray;
  stray.value = 5.0f;
  shown.FinalScalarStore().InsertValue(peak, stray, 1);
  store.FillValueStore(shown);
  EXPECT_FLOAT_EQ(shown.SingleValueMap().at(rms).value, 3.0f);
  EXPECT_EQ(shown.SingleValueMap().count(peak), 0u);
  EXPECT_TRUE(shown.FinalScalarStore().ToValidateMap().empty());
}

TEST_F(LearnStoreTest, GeneratePolygonShowsTheLearnedTrack) {
  CKelLearnStore store(values, -1);
  for (float x : {2.0f, 4.0f}) {
    TrackPoint(track, 0, x);
    TrackPoint(track, 10, 2 * x);
    LearnPart(store);
  }
  const CKelLearnScalarTrack& machine = store.ScalarTrackLearnMachine();
  CVisDataPolygon polygon;
  ASSERT_TRUE(machine.GeneratePolygon(track, &polygon, 0));
  ASSERT_EQ(polygon.NPoints(), 2);
  EXPECT_DOUBLE_EQ(polygon.Points()[0].x, 800.0);  // axis from 800 rpm in steps of 10
  EXPECT_DOUBLE_EQ(polygon.Points()[1].x, 900.0);
  EXPECT_DOUBLE_EQ(polygon.Points()[1].y, 6.0);
  ASSERT_TRUE(machine.GeneratePolygon(track, &polygon, 1));
  EXPECT_DOUBLE_EQ(polygon.Points()[0].y, 10.0 - 9.0);
  ASSERT_TRUE(machine.GeneratePolygon(track, &polygon, 2));
  EXPECT_DOUBLE_EQ(polygon.Points()[0].y, 2.0);
  EXPECT_FALSE(machine.GeneratePolygon(rms, &polygon, 0));
  EXPECT_EQ(polygon.NPoints(), 0);
}
