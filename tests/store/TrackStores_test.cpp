#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <limits>
#include <utility>
#include <vector>

#include "host/Output.h"
#include "host/TestPlanBuilder.h"
#include "store/KelTrackCurveStore.h"
#include "store/KelTrackScalarStore.h"

namespace {

const CMeasuringUnit kDb(CMeasuringUnit::cuMetrePerSecond2, 0, 1.0f, CMeasuringUnit::flagLog);

class TrackStoreTest : public ::testing::Test {
 protected:
  void SetUp() override {
    TestPlan::Builder plan("tracks");
    plan.Mode(1, "Run-up")
        .Mode(2, "Coast-down")
        .Mode(3, "Hold")
        .Mode(4, "Torque sweep")
        .Instrument(2001, "Order track", 2)
        .Instrument(2100, "Spectrogram", 5)
        .Signal(1, "Speed", CMeasuringUnit(CMeasuringUnit::cuRpm))
        .Trigger(1, "Input shaft speed")
        .TriggerAxis(1, 1, 1, 1, 800, 10, 321)
        .TriggerAxis(2, 1, 1, 1, 4000, -10, 321)
        .TriggerAxis(4, 1, 1, 1, 800, 10, 321, false)
        .TriggerAxis(4, 1, 2, 1, 0, 5, 10, false)
        .Parameter(400, 2001, "Order 23", QVInstrumentParam::eval_upper, 1)
        .Parameter(401, 2001, "Order 31", QVInstrumentParam::eval_interval, 1)
        .Parameter(402, 2001, "Untriggered", QVInstrumentParam::eval_lower);
    ASSERT_TRUE(plan.Install());
  }
  void TearDown() override { ParamDatabase::Reset(); }

  // One part: the track measured at cells 0..n-1 with values base + cell.
  void Measure(const QClavis& key, int cells, float base) {
    for (int cell = 0; cell < cells; ++cell)
      scalars.InsertValue(key, cell, base + cell, kDb, 22, SignalBase::expire_mode, 1);
  }

  CKelTrackScalarStore scalars;
  const QClavis k1{1, 2001, 1, 1, 400, 0};
  const QClavis k2{1, 2001, 1, 1, 401, 0};
  const QClavis k3{2, 2001, 1, 1, 400, 0};
};

}  // namespace

TEST_F(TrackStoreTest, TrackKeysAreGivenInOrderOfFirstAppearance) {
  EXPECT_EQ(scalars.GenerateKeyOfDovetar(k2), 0u);
  EXPECT_EQ(scalars.GenerateKeyOfDovetar(k1), 1u);
  EXPECT_EQ(scalars.GenerateKeyOfDovetar(k3), 2u);
  EXPECT_EQ(scalars.GenerateKeyOfDovetar(k2), 0u);
  EXPECT_EQ(scalars.KeyOfDovetar(k1), QIdx1(1));
  EXPECT_EQ(scalars.KeyOfDovetar(QClavis(9, 9, 9, 9, 9, 9)).id(), -1);
  EXPECT_EQ(scalars.DovetarOfKey(QIdx1(2)), k3);
  EXPECT_EQ(scalars.DovetarOfKey(QIdx1(-1)), QClavis());
  auto [first, last] = scalars.DovetarKeyRange(1);
  EXPECT_EQ(std::distance(first, last), 2);

  // The key map survives values and history, and travels through its file.
  Measure(k1, 3, 80);
  scalars.DismissValues();
  scalars.DismissHistory();
  scalars.DeleteEntriesOfMode(1, Kelva::all_events);
  EXPECT_EQ(scalars.KeyOfDovetar(k3), QIdx1(2));
  CMemFile file;
  ASSERT_TRUE(scalars.WriteKeyMap(file));
  CKelTrackScalarStore other;
  other.GenerateKeyOfDovetar(QClavis(5, 5, 5, 5, 5, 5));
  file.Seek(0);
  ASSERT_TRUE(other.ReadKeyMap(file));
  EXPECT_EQ(other.KeyOfDovetar(QClavis(5, 5, 5, 5, 5, 5)).id(), -1);
  EXPECT_EQ(other.DovetarOfKey(QIdx1(1)), k1);
  EXPECT_EQ(other.GenerateKeyOfDovetar(QClavis(5, 5, 5, 5, 5, 5)), 3u);  // what it knew is gone
  EXPECT_EQ(other.GenerateKeyOfDovetar(k1), 1u);
  CKelTrackScalarStore copy;
  copy.AssignStructure(other);
  EXPECT_EQ(copy.KeyOfDovetar(k3), QIdx1(2));
  scalars.PurgeStore();
  EXPECT_EQ(scalars.KeyOfDovetar(k1).id(), -1);
  EXPECT_EQ(scalars.GenerateKeyOfDovetar(k1), 0u);  // k1 was the last one asked for
}

namespace {

// The file form of a key map as given, also one no store would write.
CMemFile KeyMapFile(const std::vector<std::pair<QClavis, int32_t>>& rows) {
  CKelTrackStoreBase::key_map_t map("<map>");
  for (const auto& [quantity, trackKey] : rows) map.emplace(quantity, QIdx1(trackKey));
  CMemFile file;
  EXPECT_TRUE(map.write(file));
  file.Seek(0);
  return file;
}

const char* const kDamaged =
    "CKelTrackStoreBase::ReadKeyMap(): the key map <EvTrackScalarStoreDovetar2KeyTable> is "
    "damaged (";

}  // namespace

// Key maps are read all or nothing, keys stay unique, and a new quantity never takes a key
// that a quantity of the file has.
TEST_F(TrackStoreTest, KeyMapsAreReadAllOrNothing) {
  const QClavis k4(3, 2001, 1, 1, 400, 0);
  scalars.GenerateKeyOfDovetar(k1);
  scalars.GenerateKeyOfDovetar(k2);
  scalars.GenerateKeyOfDovetar(k3);
  CMemFile whole;
  ASSERT_TRUE(scalars.WriteKeyMap(whole));
  const std::vector<uint8_t> bytes = whole.Bytes();
  ASSERT_EQ(bytes.size(), 20u + 3u * (37u + 7u));

  // Cut after 2 of 3 rows: refused with a message, the map is empty, and a new quantity starts
  // again at 0 instead of taking key 2 beside a map that lacks the quantity of key 2.
  {
    CMemFile cut(std::vector<uint8_t>(bytes.begin(), bytes.begin() + 20 + 2 * 44));
    PrWin::CaptureSink capture;
    EXPECT_FALSE(scalars.ReadKeyMap(cut));
    EXPECT_EQ(capture.Text(), std::string(kDamaged) +
                                  "row 3 of 3 is cut short or has another layout); it is left "
                                  "empty\n");
    EXPECT_EQ(capture.Lines()[0].category, 1);
    EXPECT_EQ(capture.Lines()[0].style, 3);
    EXPECT_TRUE(scalars.KeyMap().empty());
    EXPECT_EQ(scalars.DovetarOfKey(QIdx1(0)), QClavis());
    EXPECT_EQ(scalars.GenerateKeyOfDovetar(k4), 0u);
  }
  // Cut anywhere: always refused and empty (the many messages stay off stderr).
  PrWin::StderrSink& standard = PrWin::DefaultStderrSink();
  const int mask = standard.Mask();
  standard.SetMask(0);
  for (size_t length = 0; length < bytes.size(); ++length) {
    CMemFile cut(std::vector<uint8_t>(bytes.begin(), bytes.begin() + length));
    PrWin::CaptureSink capture;
    EXPECT_FALSE(scalars.ReadKeyMap(cut)) << length;
    EXPECT_TRUE(scalars.KeyMap().empty()) << length;
    EXPECT_EQ(capture.Lines().size(), 1u) << length;
  }
  standard.SetMask(mask);

  // A map with a gap: the next key is one above the largest, not the number of entries.
  CMemFile gap = KeyMapFile({{k1, 0}, {k3, 2}});
  ASSERT_TRUE(scalars.ReadKeyMap(gap));
  EXPECT_EQ(scalars.GenerateKeyOfDovetar(k2), 3u);
  EXPECT_EQ(scalars.GenerateKeyOfDovetar(k4), 4u);
  EXPECT_EQ(scalars.DovetarOfKey(QIdx1(2)), k3);

  // Above INT32_MAX there is no key: the smallest unused one is taken.
  CMemFile largest = KeyMapFile({{k1, 0}, {k2, std::numeric_limits<int32_t>::max()}});
  ASSERT_TRUE(scalars.ReadKeyMap(largest));
  EXPECT_EQ(scalars.GenerateKeyOfDovetar(k3), 1u);
  EXPECT_EQ(scalars.GenerateKeyOfDovetar(k4), 2u);

  // A track key given twice, a negative key, rows out of key order: damaged, map empty.
  const auto expectDamaged = [&](CMemFile file, const std::string& reason) {
    scalars.GenerateKeyOfDovetar(k4);
    PrWin::CaptureSink capture;
    EXPECT_FALSE(scalars.ReadKeyMap(file)) << reason;
    EXPECT_EQ(capture.Text(), kDamaged + reason + "); it is left empty\n");
    EXPECT_TRUE(scalars.KeyMap().empty()) << reason;
    EXPECT_EQ(scalars.KeyOfDovetar(k4).id(), -1) << reason;
  };
  expectDamaged(KeyMapFile({{k1, 1}, {k2, 1}, {k3, 0}}), "track key 1 is given to two quantities");
  expectDamaged(KeyMapFile({{k1, 0}, {k2, -1}}), "track key -1 is negative");
  std::vector<uint8_t> swapped = bytes;
  std::copy(bytes.begin() + 20, bytes.begin() + 64, swapped.begin() + 64);
  std::copy(bytes.begin() + 64, bytes.begin() + 108, swapped.begin() + 20);
  expectDamaged(CMemFile(swapped), "row 2 of 3 repeats a key or is out of key order");
  std::vector<uint8_t> repeated = bytes;
  std::copy(bytes.begin() + 20, bytes.begin() + 64, repeated.begin() + 64);
  expectDamaged(CMemFile(repeated), "row 2 of 3 repeats a key or is out of key order");
}

TEST_F(TrackStoreTest, PointsReplaceAndTriggerGeometry) {
  Measure(k1, 5, 80);
  scalars.InsertValue(k1, 2, 99.0f, CMeasuringUnit(), 6, SignalBase::expire_candidate, 1);
  EXPECT_EQ(scalars.GetTrackLength(k1), 5);
  EXPECT_EQ(scalars.GetTrackLength(k2), -1);
  const auto* track = scalars.FindTrack(k1);
  ASSERT_NE(track, nullptr);
  EXPECT_EQ(track->points.at(2).value, 99.0f);
  EXPECT_EQ(track->unit, kDb);  // from the first insertion
  EXPECT_EQ(track->expire, SignalBase::expire_mode);
  EXPECT_EQ(scalars.ToValidateMap().size(), 1u);

  // The tracked dimension and its axis; -2 where no trigger parameters exist for the mode
  // (no trigger, no axis in the mode), -1 where the trigger has axes in the mode but tracks
  // none of them. A failed call leaves the interval as it was.
  CTriggerStore::CInterval interval;
  EXPECT_EQ(scalars.GetTrackInterval(k1, interval), 0);
  EXPECT_EQ(interval.start(), 800.0);
  EXPECT_EQ(interval.count(), 321u);
  EXPECT_EQ(scalars.GetTrackInterval(k3, interval), 0);
  EXPECT_EQ(interval.start(), 4000.0);
  EXPECT_EQ(scalars.GetTrackInterval(QClavis(1, 2001, 1, 1, 402, 0), interval), -2);
  EXPECT_EQ(scalars.GetTrackInterval(QClavis(3, 2001, 1, 1, 400, 0), interval), -2);
  EXPECT_EQ(scalars.GetTrackInterval(QClavis(4, 2001, 1, 1, 400, 0), interval), -1);
  EXPECT_EQ(interval.start(), 4000.0);
  EXPECT_EQ(scalars.GetTrackDimension(QClavis(4, 2001, 1, 1, 400, 0)), 2);
  EXPECT_EQ(scalars.GetTrackDimension(k1), 1);
  EXPECT_EQ(scalars.GetTrackDimension(QClavis(1, 2001, 1, 1, 402, 0)), 0);
  CMeasuringUnit x, y;
  ASSERT_TRUE(scalars.GetTrackUnits(k1, x, y, 1));
  EXPECT_EQ(x.CommonUnit(), CMeasuringUnit::cuRpm);
  EXPECT_EQ(y, kDb);
  EXPECT_FALSE(scalars.GetTrackUnits(k1, x, y, 2));
  EXPECT_TRUE(scalars.HasValidLimit(400, 1));
  EXPECT_FALSE(scalars.HasValidLimit(400, 2));
  EXPECT_TRUE(scalars.HasValidLimit(401, 2));
  EXPECT_FALSE(scalars.HasValidLimit(999, 1));

  float maximum = 0, position = 0;
  KelStoreTrackPoint point;
  ASSERT_TRUE(scalars.FindMaximum(k1, CKelTrackScalarStore::max_value, maximum, &position, &point));
  EXPECT_EQ(maximum, 99.0f);
  EXPECT_EQ(position, 820.0f);  // cell 2 of 800 + 10·cell
  EXPECT_FALSE(scalars.FindMaximum(k1, CKelTrackScalarStore::max_upper_margin, maximum));
  auto& p3 = scalars.ValueMap().at(scalars.KeyOfDovetar(k1)).points.at(3);
  p3.evalMode = QVInstrumentParam::eval_upper;
  p3.upperLimit = 90.0f;
  ASSERT_TRUE(scalars.FindMaximum(k1, CKelTrackScalarStore::max_upper_margin, maximum, &position));
  EXPECT_EQ(maximum, 7.0f);
  EXPECT_EQ(position, 830.0f);

  CVisDataPolygon polygon;
  EXPECT_EQ(scalars.GeneratePolygonData(k1, 1, &polygon), 5);
  EXPECT_EQ(polygon.Points()[4].x, 840.0);
  EXPECT_EQ(polygon.xUnit.CommonUnit(), CMeasuringUnit::cuRpm);
  EXPECT_EQ(scalars.GeneratePolygonData(k2, 1, &polygon), 0);
}

TEST_F(TrackStoreTest, HistorySectionsAndAverages) {
  scalars.SetHistoryDepth(2);
  for (int part = 0; part < 4; ++part) {
    Measure(k1, 3, 80.0f + part);
    scalars.CopyToHistoryStore(part);
    scalars.validated();
  }
  std::vector<int> sections;
  for (const auto& [key, track] : scalars.ValueMapSectionHistory())
    sections.push_back(key.historyIndex);
  EXPECT_EQ(sections, (std::vector<int>{2, 3}));

  CVisDataPolygon history;
  EXPECT_EQ(scalars.GeneratePolygonHistory(k1, 1, &history), 6);
  CVisDataGrid grid;
  ASSERT_EQ(scalars.GenerateArrayData(k1, 1, &grid), 3);
  EXPECT_EQ(grid.rows, 3u);
  EXPECT_EQ(grid.Data()[0], 83.0f);
  EXPECT_EQ(grid.Data()[3], 82.0f);  // row 1: section 2

  // The newest section decides the positions; a section may lack some of them.
  scalars.ValueMapSectionHistory().begin()->second.points.erase(2);
  EXPECT_TRUE(scalars.AverageHistory(true, KelValueStore::ham_mean));
  const auto& mean = scalars.FindTrack(k1)->points;
  ASSERT_EQ(mean.size(), 3u);
  EXPECT_EQ(mean.at(0).value, 82.5f);
  EXPECT_EQ(mean.at(2).value, 85.0f);  // section 3 only
  // ham_mean_drop leaves out the section with other positions.
  EXPECT_TRUE(scalars.AverageHistory(true, KelValueStore::ham_mean_drop));
  EXPECT_EQ(scalars.FindTrack(k1)->points.at(0).value, 83.0f);
  EXPECT_TRUE(scalars.AverageHistory(true, KelValueStore::ham_max));
  EXPECT_EQ(scalars.FindTrack(k1)->points.at(1).value, 84.0f);
  scalars.SetMAHistoryDepth(1);
  EXPECT_TRUE(scalars.AverageHistory(true, KelValueStore::ham_moving_average));
  EXPECT_EQ(scalars.FindTrack(k1)->points.at(0).value, 83.0f);
  EXPECT_FALSE(scalars.AverageHistory(false, KelValueStore::ham_mean));  // nothing pending
  EXPECT_FALSE(scalars.AverageHistory(true, KelValueStore::ham_none));
}

// Parts come and go: dismissed tracks leave their emptied point arrays to the next part's
// tracks, and the oldest history section takes the newest one's points. Whatever array a track
// or section got, it holds exactly its own points.
TEST_F(TrackStoreTest, PartsReuseTheArraysOfThePartBefore) {
  scalars.SetHistoryDepth(2);
  for (int part = 0; part < 4; ++part) {
    if (part > 0) {
      scalars.DismissValues();
      EXPECT_EQ(scalars.SparePointArrays(), 2u);
    }
    Measure(k1, 50 - 10 * part, 100.0f * part);
    Measure(k2, 3, 1000.0f + part);
    EXPECT_EQ(scalars.SparePointArrays(), 0u);
    scalars.CopyToHistoryStore(part);
    scalars.validated();
  }
  const auto& one = scalars.FindTrack(k1)->points;
  ASSERT_EQ(one.size(), 20u);
  EXPECT_EQ(one.at(0).value, 300.0f);
  EXPECT_EQ(one.at(19).value, 319.0f);
  const auto& two = scalars.FindTrack(k2)->points;
  ASSERT_EQ(two.size(), 3u);
  EXPECT_EQ(two.at(2).value, 1005.0f);
  EXPECT_GE(two.capacity(), 50u);  // the array the first part grew for k1

  std::vector<std::pair<int, size_t>> sections;
  for (const auto& [key, track] : scalars.ValueMapSectionHistory())
    sections.emplace_back(key.historyIndex, track.points.size());
  EXPECT_EQ(sections, (std::vector<std::pair<int, size_t>>{{2, 30}, {3, 20}, {2, 3}, {3, 3}}));
  const auto& section2 = scalars.ValueMapSectionHistory().begin()->second.points;
  EXPECT_EQ(section2.at(29).value, 229.0f);
}

// A key map from a file may hold any non-negative track key, also the largest int32. Its
// history sections are found without looking for a key above it.
TEST_F(TrackStoreTest, TheLargestTrackKeyHasItsOwnHistory) {
  constexpr int32_t kLargest = std::numeric_limits<int32_t>::max();
  CKelTrackStoreBase::key_map_t map("<map>");
  map.emplace(k1, QIdx1(kLargest));
  map.emplace(k2, QIdx1(0));
  CMemFile file;
  ASSERT_TRUE(map.write(file));
  file.Seek(0);
  ASSERT_TRUE(scalars.ReadKeyMap(file));
  scalars.SetHistoryDepth(2);
  for (int part = 0; part < 3; ++part) {
    Measure(k1, 2, 80.0f + part);
    Measure(k2, 2, 10.0f + part);
    scalars.CopyToHistoryStore(part);
    scalars.validated();
  }
  std::vector<std::pair<int32_t, int32_t>> sections;
  for (const auto& [key, track] : scalars.ValueMapSectionHistory())
    sections.emplace_back(key.trackKey, key.historyIndex);
  EXPECT_EQ(sections, (std::vector<std::pair<int32_t, int32_t>>{
                          {0, 1}, {0, 2}, {kLargest, 1}, {kLargest, 2}}));
  CVisDataPolygon history;
  EXPECT_EQ(scalars.GeneratePolygonHistory(k1, 1, &history), 4);
  EXPECT_EQ(history.Points()[0].y, 81.0);
  CVisDataGrid grid;
  ASSERT_EQ(scalars.GenerateArrayData(k1, 1, &grid), 2);
  EXPECT_EQ(grid.rows, 3u);
  EXPECT_TRUE(scalars.AverageHistory(true, KelValueStore::ham_mean));
  EXPECT_EQ(scalars.FindTrack(k1)->points.at(0).value, 81.5f);
  EXPECT_EQ(scalars.FindTrack(k2)->points.at(1).value, 12.5f);
}

TEST_F(TrackStoreTest, SpectrogramsShareCurvesAndLeaveNoDanglingEntries) {
  CKelTrackCurveStore curves;
  const QClavis key(1, 2100, 1, 1, 400, 0);
  std::vector<float> samples = {60, 70, 80};
  KelSigCurve spectrum;
  spectrum.ImportData(samples.data(), 3, 0.05f, CMeasuringUnit(CMeasuringUnit::cuOrder), kDb);
  for (int cell = 0; cell < 4; ++cell) curves.InsertValue(key, cell, spectrum, 1);
  const auto* track = curves.FindTrack(key);
  ASSERT_NE(track, nullptr);
  EXPECT_EQ(track->points.at(3).CurveHandle().get(), spectrum.handle().get());
  EXPECT_EQ(track->unit, kDb);

  CVisDataVector one;
  float axis = 0;
  ASSERT_TRUE(curves.GetCurve(key, 2, one, axis));
  EXPECT_EQ(axis, 820.0f);
  CVisDataArray array, limits;
  EXPECT_EQ(curves.GenerateCurveArray(key, array, &limits), 4);
  EXPECT_EQ(limits.name, array.name + "-lim");
  EXPECT_EQ(array.positions.back(), 830.0f);

  curves.SetHistoryDepth(1);
  curves.CopyToHistoryStore(0);
  EXPECT_EQ(curves.GenerateCurveArrayHistory(key, 0, array), 4);
  // The track is pending validation: deleting it also takes it off the list.
  EXPECT_EQ(curves.DeleteSpectrogram(key), 4u);
  EXPECT_TRUE(curves.ToValidateMap().empty());
  curves.validated();
  EXPECT_TRUE(curves.ToEvaluateMap().empty());
  EXPECT_EQ(curves.DeleteSpectrogram(key), 0u);
  EXPECT_EQ(curves.ValueMapSectionHistory().size(), 1u);
}

// What InsertValue returns is the stored point; it stays where it is while other tracks are
// created and filled (tracks are map nodes), so it can be filled right away.
TEST_F(TrackStoreTest, InsertValueReturnsTheStoredPoint) {
  KelStoreTrackPoint& point =
      scalars.InsertValue(k1, 7, 81.5f, kDb, 22, SignalBase::expire_mode, 1);
  point.upperLimit = 90.0f;
  point.evalMode = QVInstrumentParam::eval_upper;
  for (int parameter = 500; parameter < 600; ++parameter)
    Measure(QClavis(1, 2001, 1, 1, parameter, 0), 4, 60.0f);
  Measure(k2, 300, 70.0f);
  const KelStoreTrackPoint& stored = scalars.FindTrack(k1)->points.at(7);
  EXPECT_EQ(&point, &stored);
  EXPECT_EQ(stored.value, 81.5f);
  EXPECT_EQ(stored.upperLimit, 90.0f);
  EXPECT_EQ(stored.evalMode, QVInstrumentParam::eval_upper);
  EXPECT_EQ(point.value, 81.5f);

  CKelTrackCurveStore curves;
  const QClavis spectrogram(1, 2100, 1, 1, 400, 0);
  KelSigCurve spectrum;
  const float samples[] = {60, 70};
  spectrum.ImportData(samples, 2, 0.05f, CMeasuringUnit(CMeasuringUnit::cuOrder), kDb);
  KelSigLimitCurve& curve = curves.InsertValue(spectrogram, 3, spectrum, 1);
  curve.LimitData()[1] = 75.0f;
  curve.LimitState(QVInstrumentParam::eval_upper);
  for (int parameter = 500; parameter < 600; ++parameter)
    curves.InsertValue(QClavis(1, 2100, 1, 1, parameter, 0), 0, spectrum, 1);
  const KelSigLimitCurve& storedCurve = curves.FindTrack(spectrogram)->points.at(3);
  EXPECT_EQ(&curve, &storedCurve);
  EXPECT_EQ(storedCurve.LimitData()[1], 75.0f);
  EXPECT_EQ(storedCurve.LimitState(), QVInstrumentParam::eval_upper);
  EXPECT_EQ(spectrum.data()[1], 70.0f);  // the inserted curve is not written
}

// The key map's file form, byte for byte: rows in quantity order (not in track-key order),
// each a record of six int32 key fields and a record of the int32 track key.
TEST_F(TrackStoreTest, KeyMapFileBytes) {
  scalars.GenerateKeyOfDovetar(k2);  // track key 0
  scalars.GenerateKeyOfDovetar(k1);  // track key 1
  CMemFile file;
  ASSERT_TRUE(scalars.WriteKeyMap(file));
  const std::vector<uint8_t> header = {'D', 'Y', 'N', 'T', 2, 0, 0, 0, 1, 0,
                                       0,   0,   1,   0,   0, 0, 2, 0, 0, 0};
  const std::vector<uint8_t> keyLayout = {6, 'i', 4, 'i', 4, 'i', 4, 'i', 4, 'i', 4, 'i', 4};
  const auto row = [&](uint8_t parameterLow, uint8_t trackKey) {
    std::vector<uint8_t> bytes = keyLayout;
    const std::vector<uint8_t> fields = {1, 0, 0, 0, 0xd1,         0x07, 0, 0, 1, 0, 0, 0,
                                         1, 0, 0, 0, parameterLow, 0x01, 0, 0, 0, 0, 0, 0};
    bytes.insert(bytes.end(), fields.begin(), fields.end());
    const std::vector<uint8_t> value = {1, 'i', 4, trackKey, 0, 0, 0};
    bytes.insert(bytes.end(), value.begin(), value.end());
    return bytes;
  };
  std::vector<uint8_t> expected = header;
  for (const auto& bytes : {row(0x90, 1), row(0x91, 0)})  // parameter 400 before 401
    expected.insert(expected.end(), bytes.begin(), bytes.end());
  EXPECT_EQ(file.Bytes(), expected);
}

namespace {

KelSigCurve Spectrum(const std::vector<float>& samples) {
  KelSigCurve curve;
  curve.ImportData(samples.data(), static_cast<uint32_t>(samples.size()), 0.05f,
                   CMeasuringUnit(CMeasuringUnit::cuOrder), kDb);
  return curve;
}

std::vector<float> Samples(const KelSigLimitCurve& curve) {
  return std::vector<float>(curve.CurveData(), curve.CurveData() + curve.size());
}

}  // namespace

// Curve tracks average bin by bin over the sections that have a fitting curve at a position of
// the newest section; a curve of another length is left out and not counted.
TEST_F(TrackStoreTest, CurveTrackAverages) {
  CKelTrackCurveStore curves;
  const QClavis key(1, 2100, 1, 1, 400, 0);
  curves.SetHistoryDepth(3);
  const std::vector<std::vector<std::pair<int, std::vector<float>>>> parts = {
      {{0, {1, 3, 6}}, {1, {40, 10, 10}}, {2, {1, 1, 1}}},
      {{0, {2, 6, 12}}, {1, {20, 20}}},  // no cell 2; cell 1 does not fit
      {{0, {2, 9, 18}}, {1, {30, 30, 30}}, {2, {7, 7, 7}}},
  };
  for (size_t part = 0; part < parts.size(); ++part) {
    for (const auto& [cell, samples] : parts[part])
      curves.InsertValue(key, cell, Spectrum(samples), 1);
    curves.CopyToHistoryStore(static_cast<int>(part));
    curves.validated();
    curves.DismissValues();
  }
  const auto average = [&](KelValueStore::history_average_mode_t mode) {
    EXPECT_TRUE(curves.AverageHistory(true, mode)) << mode;
    std::vector<std::pair<int64_t, std::vector<float>>> result;
    const auto* track = curves.FindTrack(key);
    if (track == nullptr) return result;
    for (const auto& [cell, curve] : track->points) result.emplace_back(cell, Samples(curve));
    return result;
  };
  using Track = std::vector<std::pair<int64_t, std::vector<float>>>;
  // 5 / 3 in the first bin: the sum is divided, not multiplied by 1/3.
  EXPECT_EQ(average(KelValueStore::ham_mean),
            (Track{{0, {5.0f / 3.0f, 6, 12}}, {1, {35, 20, 20}}, {2, {4, 4, 4}}}));
  EXPECT_EQ(average(KelValueStore::ham_mean_drop),
            (Track{{0, {1.5f, 6, 12}}, {1, {35, 20, 20}}, {2, {4, 4, 4}}}));
  EXPECT_EQ(average(KelValueStore::ham_max),
            (Track{{0, {2, 9, 18}}, {1, {40, 30, 30}}, {2, {7, 7, 7}}}));
  curves.SetMAHistoryDepth(2);
  EXPECT_EQ(average(KelValueStore::ham_moving_average),
            (Track{{0, {2, 7.5f, 15}}, {1, {30, 30, 30}}, {2, {7, 7, 7}}}));
  // The sections themselves are left as they were, and the average waits for no validation.
  const auto& newest = curves.ValueMapSectionHistory().at(CKelTrackStoreBase::Qiqi(0, 2));
  EXPECT_EQ(Samples(newest.points.at(0)), (std::vector<float>{2, 9, 18}));
  EXPECT_TRUE(curves.ToValidateMap().empty());
}
