#include "store/KelValueStore.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "frame/EvStoreServer.h"
#include "host/Output.h"
#include "host/Sea.h"
#include "host/TestPlanBuilder.h"

namespace {

class ValueStoreTest : public ::testing::Test {
 protected:
  void SetUp() override {
    TestPlan::Builder plan("store");
    plan.Mode(1, "Run-up")
        .Instrument(1, "Level", 1)
        .Instrument(2001, "Track", 2)
        .Instrument(2500, "Spectrum", 3)
        .Instrument(2600, "Envelope spectrum", 4)
        .Instrument(2700, "Cepstrum", 6)
        .Instrument(2100, "Spectrogram", 5);
    plan.Set().instrumentInfo[7].resultType = 7;  // an instrument of unknown kind
    ASSERT_TRUE(plan.Install());
  }
  void TearDown() override { ParamDatabase::Reset(); }

  static KelStoreSValue Value(float v) {
    KelStoreSValue value;
    value.value = v;
    return value;
  }

  CKelValueStore store;
};

}  // namespace

TEST_F(ValueStoreTest, FindByResultTypeAndUnits) {
  const QClavis scalar(1, 1, 1, 1, 10, 0);
  store.InsertSValue(scalar, Value(80), CMeasuringUnit(CMeasuringUnit::cuPascal), 1);
  store.InsertSValue(QClavis(1, 7, 1, 1, 10, 0), Value(1), CMeasuringUnit(), 1);
  KelSigCurve curve;
  const float samples[] = {1, 2};
  curve.ImportData(samples, 2, 1.0f, CMeasuringUnit(), CMeasuringUnit());
  store.InsertSigCurve(QClavis(1, 2500, 1, 1, 20, 0), curve, 1);
  store.TrackScalarStore().InsertValue(QClavis(1, 2001, 1, 1, 30, 0), 5, 1.0f, CMeasuringUnit(), 22,
                                       SignalBase::expire_mode, 1);

  // Result types 4 and 6 are final curves too.
  const QClavis envelope(1, 2600, 1, 1, 21, 0), cepstrum(1, 2700, 1, 1, 22, 0);
  const KelSigLimitCurve& storedEnvelope = store.InsertSigCurve(envelope, curve, 1);
  const KelSigLimitCurve& storedCepstrum = store.InsertSigCurve(cepstrum, curve, 1);
  EXPECT_EQ(store.find(envelope), &storedEnvelope);
  EXPECT_EQ(store.find(cepstrum), &storedCepstrum);
  EXPECT_EQ(std::as_const(store).find(cepstrum), &storedCepstrum);
  EXPECT_EQ(store.find(QClavis(1, 2600, 1, 1, 22, 0)), nullptr);

  ASSERT_NE(store.find(scalar), nullptr);
  EXPECT_EQ(static_cast<const KelStoreSValue*>(store.find(scalar))->value, 80.0f);
  EXPECT_NE(store.find(QClavis(1, 2500, 1, 1, 20, 0)), nullptr);
  EXPECT_NE(store.find(QClavis(1, 2001, 1, 1, 30, 0)), nullptr);
  EXPECT_EQ(store.find(QClavis(1, 2100, 1, 1, 30, 0)), nullptr);
  EXPECT_EQ(store.find(QClavis(1, 7, 1, 1, 10, 0)), nullptr);  // stored, but of no known kind
  // A finder asked in key order, then against it, answers what find() answers.
  std::vector<QClavis> keys = {scalar,
                               QClavis(1, 1, 1, 1, 11, 0),
                               QClavis(1, 7, 1, 1, 10, 0),
                               QClavis(1, 2001, 1, 1, 30, 0),
                               QClavis(1, 2100, 1, 1, 30, 0),
                               QClavis(1, 2500, 1, 1, 19, 0),
                               QClavis(1, 2500, 1, 1, 20, 0),
                               envelope,
                               QClavis(1, 2600, 1, 1, 22, 0),
                               cepstrum,
                               QClavis(2, 1, 1, 1, 10, 0)};
  CKelValueStore::SortedFinder finder(store);
  for (const QClavis& key : keys) EXPECT_EQ(finder.Find(key), store.find(key)) << key[4];
  for (auto key = keys.rbegin(); key != keys.rend(); ++key)
    EXPECT_EQ(finder.Find(*key), store.find(*key)) << (*key)[4];
  EXPECT_TRUE(store.evaluation_matches(QClavis(1, 2001, 1, 1, 30, 0), Kelva::end_mode));
  EXPECT_FALSE(store.evaluation_matches(scalar, Kelva::end_mode));

  // Location and parameter share one unit; the last insertion wins.
  store.InsertSValue(QClavis(1, 1, 1, 2, 11, 0), Value(1), CMeasuringUnit(CMeasuringUnit::cuVolt),
                     1);
  EXPECT_EQ(store.GetMeasuringUnit(scalar).CommonUnit(), CMeasuringUnit::cuVolt);
  EXPECT_EQ(store.GetMeasuringUnit(QClavis(2, 1, 1, 1, 10, 0)), CMeasuringUnit(0, 0, 1.0f, 0));

  EXPECT_FALSE(store.empty(1));
  EXPECT_TRUE(store.empty(2));
  store.DeleteEntriesFromMode(-1, Kelva::end_mode);  // the range of mode -1 is empty
  EXPECT_FALSE(store.empty());
  store.DeleteEntriesFromMode(-1, Kelva::all_events);
  EXPECT_TRUE(store.empty());
  EXPECT_EQ(store.TrackScalarStore().KeyOfDovetar(QClavis(1, 2001, 1, 1, 30, 0)).id(), -1);
}

TEST_F(ValueStoreTest, LifecycleAndHistoryNumbering) {
  store.SetHistoryDepth(0);
  store.InsertSValue(QClavis(1, 1, 1, 1, 10, 0), Value(80), CMeasuringUnit(), 1);
  store.CopyToHistoryStore();
  EXPECT_FALSE(store.AverageHistory(true, KelValueStore::ham_mean));  // depth 0
  store.SetFinalScalarHistoryDepth(5);
  store.CopyToHistoryStore();
  store.CopyToHistoryStore();
  EXPECT_EQ(store.HistoryCount(), 3u);
  EXPECT_EQ(store.SingleValueMapSectionHistory().rbegin()->first.historyIndex(), 2);
  store.DismissHistory();
  EXPECT_EQ(store.HistoryCount(), 0u);
  store.CopyToHistoryStore();
  EXPECT_EQ(store.SingleValueMapSectionHistory().begin()->first.historyIndex(), 0);
  // Only the final scalar store has history: the others have none to average.
  EXPECT_FALSE(store.AverageHistory(true, KelValueStore::ham_mean));

  CSeaBase::MessagesSea()->LookupSetBool("GlobalDebugVerbose", true, 0);
  store.OnInsertCandidate();
  EXPECT_TRUE(store.GlobalDebugVerbose());
  EXPECT_TRUE(store.empty());
  EXPECT_TRUE(store.SingleValueMapSectionHistory().empty());
  CSeaBase::MessagesSea()->Clear();
}

TEST_F(ValueStoreTest, HistoryFileRoundTripAndDamage) {
  store.SetFinalScalarHistoryDepth(3);
  const QClavis a(1, 1, 1, 1, 10, 0), b(1, 1, 1, 2, 10, 0);
  for (int part = 0; part < 4; ++part) {
    store.InsertSValue(b, Value(90.0f + part), CMeasuringUnit(), 1);
    store.InsertSValue(a, Value(80.0f + part), CMeasuringUnit(), 1);
    store.CopyToHistoryStore();
    store.validated();
  }
  CMemFile file;
  ASSERT_TRUE(store.WriteHistory(file));
  const std::vector<uint8_t> bytes = file.Bytes();
  // historyCount 4, a table header of 6 rows, then rows of a 7-field key and a 6-field value.
  ASSERT_EQ(bytes.size(), 4u + 20u + 6u * (43u + 37u));
  EXPECT_EQ(std::vector<uint8_t>(bytes.begin(), bytes.begin() + 4),
            (std::vector<uint8_t>{4, 0, 0, 0}));
  EXPECT_EQ(bytes[4 + 16], 6);            // rows
  EXPECT_EQ(bytes[24 + 1 + 14 + 24], 1);  // first row: historyIndex 1 of key a (the smaller key)

  CKelValueStore read;
  read.SetFinalScalarHistoryDepth(3);
  file.Seek(0);
  ASSERT_TRUE(read.ReadHistory(file));
  EXPECT_EQ(read.HistoryCount(), 4u);
  EXPECT_EQ(read.FinalScalarStore().AncientValue(a, -1).value, 83.0f);
  EXPECT_EQ(read.FinalScalarStore().AncientValue(b, 1).value, 91.0f);
  EXPECT_EQ(read.FinalScalarStore().SectionCounterMap().at(b), std::make_pair(3u, 3u));
  // New sections continue the numbering of the saved run.
  read.InsertSValue(a, Value(1), CMeasuringUnit(), 1);
  read.CopyToHistoryStore();
  EXPECT_EQ(read.FinalScalarStore().AncientValues(a).first->first.historyIndex(), 2);

  // Truncated anywhere: false, and nothing of the file is used: the store is purged.
  for (size_t cut = 0; cut < bytes.size(); ++cut) {
    CMemFile cutFile(std::vector<uint8_t>(bytes.begin(), bytes.begin() + cut));
    CKelValueStore damaged;
    damaged.InsertSValue(a, Value(5), CMeasuringUnit(), 1);
    damaged.CopyToHistoryStore();
    EXPECT_FALSE(damaged.ReadHistory(cutFile)) << cut;
    EXPECT_TRUE(damaged.SingleValueMap().empty());
    EXPECT_TRUE(damaged.SingleValueMapSectionHistory().empty()) << cut;
    EXPECT_TRUE(damaged.FinalScalarStore().SectionCounterMap().empty());
    EXPECT_EQ(damaged.HistoryCount(), 0u) << cut;
  }
  // A foreign file, and one announcing four billion rows.
  CMemFile foreign(std::vector<uint8_t>(100, 0x41));
  EXPECT_FALSE(read.ReadHistory(foreign));
  std::vector<uint8_t> huge = bytes;
  huge[20] = huge[21] = huge[22] = huge[23] = 0xff;
  CMemFile hugeFile(huge);
  EXPECT_FALSE(read.ReadHistory(hugeFile));
  EXPECT_TRUE(read.SingleValueMapSectionHistory().empty());

  // An empty history: 4 bytes of count and a header of 0 rows.
  CKelValueStore fresh;
  fresh.CopyToHistoryStore();
  fresh.CopyToHistoryStore();
  CMemFile small;
  ASSERT_TRUE(fresh.WriteHistory(small));
  EXPECT_EQ(small.Bytes().size(), 24u);
  small.Seek(0);
  ASSERT_TRUE(read.ReadHistory(small));
  EXPECT_EQ(read.HistoryCount(), 2u);
}

// Every refusal says why; a count that does not lie above every saved section is refused,
// because the next section would take the number of a saved one.
TEST_F(ValueStoreTest, DamagedHistoryIsRefusedWithAReason) {
  store.SetFinalScalarHistoryDepth(3);
  const QClavis a(1, 1, 1, 1, 10, 0);
  for (int part = 0; part < 3; ++part) {
    store.InsertSValue(a, Value(80.0f + part), CMeasuringUnit(), 1);
    store.CopyToHistoryStore();
    store.validated();
  }
  CMemFile file;
  ASSERT_TRUE(store.WriteHistory(file));
  const std::vector<uint8_t> bytes = file.Bytes();
  const auto why = [](std::vector<uint8_t> content) {
    CMemFile damaged(std::move(content));
    CKelValueStore read;
    std::string reason = "(read)";
    const bool ok = read.ReadHistory(damaged, &reason);
    EXPECT_EQ(ok, reason == "(read)");
    EXPECT_EQ(read.SingleValueMapSectionHistory().size(), ok ? 3u : 0u);
    return reason;
  };
  EXPECT_EQ(why(bytes), "(read)");
  EXPECT_EQ(why({3, 0}), "it ends before the history count");
  EXPECT_EQ(why(std::vector<uint8_t>(bytes.begin(), bytes.begin() + 4)),
            "its history table is damaged: it does not start with a table header");
  EXPECT_EQ(why(std::vector<uint8_t>(bytes.begin(), bytes.end() - 1)),
            "its history table is damaged: row 3 of 3 is cut short or has another layout");
  std::vector<uint8_t> lower = bytes;
  lower[0] = 2;  // sections 0, 1, 2 were saved
  EXPECT_EQ(why(lower), "section index 2 is not below the history count 2");
  lower[0] = 3;
  EXPECT_EQ(why(lower), "(read)");
  std::vector<uint8_t> negative = bytes;
  const size_t firstIndex = 24 + 1 + 14 + 24;  // historyIndex of row 1
  negative[firstIndex] = negative[firstIndex + 1] = negative[firstIndex + 2] =
      negative[firstIndex + 3] = 0xff;
  EXPECT_EQ(why(negative), "section index -1 is negative");
}

TEST(StoreServer, DefaultAndNamedStores) {
  auto& server = CEvStoreServer<CKelValueStore>::Object();
  server.Release(-1);
  {
    PrWin::CaptureSink capture;
    EXPECT_EQ(server.Store(-1), nullptr);
    ASSERT_EQ(capture.Lines().size(), 1u);
    EXPECT_EQ(capture.Lines()[0].text, "CEvStoreServer: Unregistered default store requested\n");
    EXPECT_EQ(capture.Lines()[0].category, 16);
    EXPECT_EQ(capture.Lines()[0].style, 4);
  }
  CObject sequencer, other;
  CKelValueStore main, second, third;
  EXPECT_TRUE(server.RegisterDefault(&sequencer, &main));
  EXPECT_EQ(server.Register(&other, "Replay", &second), 1);
  EXPECT_EQ(server.Store(0), &main);
  EXPECT_EQ(server.Store(1), &second);
  EXPECT_EQ(server.StoreName(1), "Replay");
  EXPECT_EQ(server.StoreName(0), "Default");
  EXPECT_THROW(server.Store(2), std::out_of_range);

  EXPECT_TRUE(server.Release(&sequencer));
  EXPECT_FALSE(server.Release(&sequencer));
  {
    PrWin::CaptureSink capture;
    EXPECT_EQ(server.Store(-1), nullptr);
    EXPECT_TRUE(capture.Lines().empty());
  }
  // A named store takes the free slot 0 and so becomes the default.
  EXPECT_EQ(server.Register(&other, "Spare", &third), 0);
  EXPECT_EQ(server.Store(-1), &third);
  EXPECT_FALSE(server.RegisterDefault(&sequencer, &main));
  EXPECT_TRUE(server.Release(1));
  EXPECT_EQ(server.Store(1), nullptr);
  EXPECT_EQ(server.MaxIndex(), 2u);

  // A named store in an empty registry never becomes the default.
  server.Release(-1);
  EXPECT_EQ(server.Register(&other, "Replay", &second), 1);
  EXPECT_EQ(server.Store(-1), nullptr);
  server.Release(-1);
}
