#include <gtest/gtest.h>

#include <random>
#include <stdexcept>

#include "store/KelFinalCurveStore.h"
#include "store/KelFinalScalarStore.h"

namespace {

KelStoreSValue SValue(float value, float position = 0.0f, uint64_t context = 22,
                      SignalBase::measuring_expire_t expire = SignalBase::expire_measurement) {
  KelStoreSValue v;
  v.value = value;
  v.position = position;
  v.context = context;
  v.expire = expire;
  return v;
}

KelSigCurve Curve(std::vector<float> samples) {
  KelSigCurve curve;
  curve.ImportData(samples.data(), static_cast<uint32_t>(samples.size()), 0.05f,
                   CMeasuringUnit(CMeasuringUnit::cuOrder), CMeasuringUnit());
  return curve;
}

std::vector<float> Samples(const KelSigLimitCurve& c) {
  return std::vector<float>(c.CurveData(), c.CurveData() + c.size());
}

// Every work-list entry refers to the ValueMap entry of its own key.
template <typename Store>
void ExpectListsConsistent(const Store& store) {
  for (const auto& [key, item] : store.ToValidateMap()) {
    auto it = store.ValueMap().find(key);
    ASSERT_NE(it, store.ValueMap().end());
    EXPECT_EQ(&*it, &*item.value);
  }
  for (const auto& [key, value] : store.ToEvaluateMap()) {
    auto it = store.ValueMap().find(key);
    ASSERT_NE(it, store.ValueMap().end());
    EXPECT_EQ(&*it, &*value);
  }
}

// One part: every key measured once, a history section, validation.
void RunPart(CKelFinalScalarStore& store, const std::vector<QClavis>& keys, int part,
             float offset) {
  for (const QClavis& key : keys) store.InsertValue(key, SValue(offset + part, 1.0f * part), 1);
  store.CopyToHistoryStore(part);
  store.validated();
}

const QClavis kA(1, 1, 1, 1, 100, 2);
const QClavis kB(2, 1, 1, 1, 100, 2);

}  // namespace

TEST(FinalScalarStore, WorkListsFollowTheValues) {
  CKelFinalScalarStore store;
  store.InsertValue(kA, SValue(80), 1);
  store.InsertValue(kA, SValue(81), 2);  // overwrite: the item keeps its first tag
  store.InsertValue(kB, SValue(90), 0);  // tag 0: stored only
  EXPECT_EQ(store.ValueMap().at(kA).value, 81.0f);
  ASSERT_EQ(store.ToValidateMap().size(), 1u);
  EXPECT_EQ(store.ToValidateMap().at(kA).validate, 1u);

  store.validated();
  EXPECT_TRUE(store.ToValidateMap().empty());
  EXPECT_EQ(store.ToEvaluateMap().size(), 1u);
  EXPECT_TRUE(store.evaluation_matches(kA, Kelva::end_measurement));
  EXPECT_FALSE(store.evaluation_matches(kA, Kelva::end_mode));
  store.evaluated(Kelva::end_mode);
  EXPECT_EQ(store.ToEvaluateMap().size(), 1u);
  store.evaluated(Kelva::end_measurement);
  EXPECT_TRUE(store.ToEvaluateMap().empty());
  EXPECT_EQ(store.ValueMap().size(), 2u);

  EXPECT_FALSE(store.empty(1));
  EXPECT_TRUE(store.empty(3));
  EXPECT_FALSE(store.empty(-1));
}

TEST(FinalScalarStore, DeletingAModeKeepsNeighboursAndHistory) {
  CKelFinalScalarStore store;
  store.SetHistoryDepth(5);
  const std::vector<QClavis> keys = {QClavis(1, 1, 1, 1, 1, 0), QClavis(2, 1, 1, 1, 1, 0),
                                     QClavis(2, 9, 9, 9, 9, 9), QClavis(3, 1, 1, 1, 1, 0)};
  RunPart(store, keys, 0, 70);
  for (const QClavis& key : keys) store.InsertValue(key, SValue(75, 0, /*context*/ 2), 1);
  store.DeleteEntriesOfMode(2, Kelva::all_events);
  EXPECT_EQ(store.ValueMap().size(), 2u);
  EXPECT_EQ(store.ToValidateMap().size(), 2u);
  EXPECT_EQ(store.ValueMapSectionHistory().size(), 4u);
  ExpectListsConsistent(store);

  // Per event: only values whose context has the event's bit go.
  store.InsertValue(keys[1], SValue(1, 0, /*context: mode*/ 4), 1);
  store.InsertValue(keys[2], SValue(1, 0, /*context: measurement*/ 2), 1);
  store.DeleteEntriesOfMode(2, Kelva::end_mode);
  EXPECT_EQ(store.ValueMap().count(keys[1]), 0u);
  EXPECT_EQ(store.ValueMap().count(keys[2]), 1u);
  ExpectListsConsistent(store);
}

TEST(FinalScalarStore, HistorySectionsAndAverages) {
  CKelFinalScalarStore store;
  store.SetHistoryDepth(3);
  EXPECT_FALSE(store.AverageHistory(true, KelValueStore::ham_mean));  // no history yet
  for (int part = 0; part < 5; ++part) RunPart(store, {kA}, part, 80);
  // Five parts with depth 3 keep sections 2, 3 and 4.
  auto [first, last] = store.AncientValues(kA);
  std::vector<int> sections;
  for (auto it = first; it != last; ++it) sections.push_back(it->first.historyIndex());
  EXPECT_EQ(sections, (std::vector<int>{2, 3, 4}));
  EXPECT_EQ(store.SectionCounterMap().at(kA), std::make_pair(4u, 3u));
  EXPECT_EQ(store.AncientValue(kA, -1).value, 84.0f);
  EXPECT_EQ(store.AncientValue(kA, 2).value, 82.0f);
  try {
    store.AncientValue(kA, 99);
    ADD_FAILURE() << "no exception";
  } catch (const std::invalid_argument& e) {
    EXPECT_STREQ(e.what(), "CKelFinalScalarStore::AncientValue(): Value not found.");
  }
  EXPECT_THROW(store.AncientValue(kB, -1), std::invalid_argument);

  // A section copied again overwrites its entry; the oldest still falls out of the depth.
  CKelFinalScalarStore again;
  again.SetHistoryDepth(2);
  for (int part = 0; part < 3; ++part) RunPart(again, {kA}, part, 10);
  again.InsertValue(kA, SValue(77), 1);
  again.CopyToHistoryStore(2);
  auto [from, to] = again.AncientValues(kA);
  ASSERT_EQ(std::distance(from, to), 1);
  EXPECT_EQ(from->first.historyIndex(), 2);
  EXPECT_EQ(from->second.value, 77.0f);

  // A value stored with tag 0 gets no history entry.
  store.InsertValue(kB, SValue(50), 0);
  store.CopyToHistoryStore(5);
  EXPECT_EQ(store.AncientValues(kB).first, store.AncientValues(kB).second);

  // kA is not pending: the mean over pending values only leaves it alone, over all replaces it.
  store.InsertValue(kA, SValue(99), 0);
  EXPECT_FALSE(store.MeanHistory(false));
  EXPECT_EQ(store.ValueMap().at(kA).value, 99.0f);
  EXPECT_TRUE(store.AverageHistory(true, KelValueStore::ham_mean));
  EXPECT_EQ(store.ValueMap().at(kA).value, 83.0f);
  EXPECT_EQ(store.ValueMap().at(kA).position, 0.0f);  // a fresh record

  EXPECT_TRUE(store.AverageHistory(true, KelValueStore::ham_max));
  EXPECT_EQ(store.ValueMap().at(kA).value, 84.0f);
  EXPECT_EQ(store.ValueMap().at(kA).position, 4.0f);

  store.SetMAHistoryDepth(1);  // the newest entry, unchanged
  EXPECT_TRUE(store.AverageHistory(true, KelValueStore::ham_moving_average));
  EXPECT_EQ(store.ValueMap().at(kA).value, 84.0f);
  EXPECT_EQ(store.ValueMap().at(kA).position, 4.0f);
  store.SetMAHistoryDepth(2);
  EXPECT_TRUE(store.AverageHistory(true, KelValueStore::ham_moving_average));
  EXPECT_EQ(store.ValueMap().at(kA).value, 83.5f);
  EXPECT_TRUE(store.ToValidateMap().empty());  // averages are not pending values

  // A quantity with history but no current value gets one with `all`.
  store.ValueMap().erase(kA);
  EXPECT_TRUE(store.MeanHistory(true));
  EXPECT_EQ(store.ValueMap().at(kA).value, 83.0f);
  EXPECT_FALSE(store.AverageHistory(true, KelValueStore::ham_none));
}

TEST(FinalScalarStore, RandomOperationsNeverLeaveDanglingListEntries) {
  CKelFinalScalarStore store;
  store.SetHistoryDepth(2);
  std::mt19937 random(7);
  std::map<QClavis, std::pair<float, uint64_t>> reference;  // value, context
  for (int step = 0; step < 3000; ++step) {
    const QClavis key(static_cast<int>(random() % 4), 1, static_cast<int>(random() % 3), 1, 1, 0);
    switch (random() % 6) {
      case 0:
      case 1: {
        const float v = static_cast<float>(step);
        const uint64_t context = random() % 2 ? 2 : 4;
        store.InsertValue(key, SValue(v, 0, context), random() % 3);
        reference[key] = {v, context};
        break;
      }
      case 2:
        store.validated();
        break;
      case 3:
        store.evaluated(Kelva::end_measurement);
        break;
      case 4: {
        const int mode = key.mode();
        const auto event = random() % 2 ? Kelva::all_events : Kelva::end_mode;
        store.DeleteEntriesOfMode(mode, event);
        for (auto it = reference.begin(); it != reference.end();) {
          const bool matches = event == Kelva::all_events || it->second.second == 4;
          it = it->first.mode() == mode && matches ? reference.erase(it) : std::next(it);
        }
        break;
      }
      case 5:
        store.CopyToHistoryStore(step);
        break;
    }
    ExpectListsConsistent(store);
    ASSERT_EQ(store.ValueMap().size(), reference.size());
  }
  for (const auto& [key, value] : reference) EXPECT_EQ(store.ValueMap().at(key).value, value.first);
  for (const auto& [key, counter] : store.SectionCounterMap()) {
    auto [first, last] = store.AncientValues(key);
    EXPECT_EQ(static_cast<unsigned>(std::distance(first, last)), counter.second);
    EXPECT_LE(counter.second, 2u);
  }
}

TEST(FinalCurveStore, SectionsShareSamplesAndMeansCountEveryEntry) {
  CKelFinalCurveStore store;
  store.SetHistoryDepth(10);
  store.InsertValue(kA, Curve({1, 2, 3}), 1);
  const uint64_t copied = CAlignedMemStats::BytesCopied();
  store.CopyToHistoryStore(0);
  EXPECT_EQ(CAlignedMemStats::BytesCopied(), copied);
  EXPECT_EQ(store.ValueMapSectionHistory().begin()->second.CurveHandle().get(),
            store.ValueMap().at(kA).CurveHandle().get());
  // A second insert replaces the curve; the section keeps the first one's samples.
  store.InsertValue(kA, Curve({7, 8, 9}), 1);
  EXPECT_EQ(Samples(store.ValueMap().at(kA)), (std::vector<float>{7, 8, 9}));
  EXPECT_EQ(Samples(store.ValueMapSectionHistory().begin()->second), (std::vector<float>{1, 2, 3}));
  EXPECT_EQ(store.ValueMap().at(kA).LimitState(), 0);

  store.validated();
  store.InsertValue(kA, Curve({10, 20}), 1);  // does not fit the others
  store.CopyToHistoryStore(1);
  store.validated();
  store.InsertValue(kA, Curve({3, 4, 5}), 1);
  store.CopyToHistoryStore(2);
  // Mean of (1,2,3), (10,20) and (3,4,5): the two fitting curves summed, divided by 3.
  EXPECT_TRUE(store.AverageHistory(false, KelValueStore::ham_mean));
  EXPECT_EQ(Samples(store.ValueMap().at(kA)), (std::vector<float>{4.0f / 3, 2, 8.0f / 3}));
  EXPECT_TRUE(store.AverageHistory(false, KelValueStore::ham_max));
  EXPECT_EQ(Samples(store.ValueMap().at(kA)), (std::vector<float>{3, 4, 5}));
  store.SetMAHistoryDepth(1);
  EXPECT_TRUE(store.AverageHistory(false, KelValueStore::ham_moving_average));
  EXPECT_EQ(Samples(store.ValueMap().at(kA)), (std::vector<float>{3, 4, 5}));
  // The history entries are untouched by the averaging.
  EXPECT_EQ(Samples(store.ValueMapSectionHistory().begin()->second), (std::vector<float>{1, 2, 3}));
}
