// The evaluation cycle run at the end of a measurement, ratio test, shift lane, mode or part.
#include "host/Sea.h"
#include "sequencer/KelSequencer.h"

namespace {

// Puts every track of the mode whose expiry matches the event on the validation list.
template <typename TrackStore>
void PromoteTracks(TrackStore& store, int mode, Kelva::sequencer_events_t event) {
  auto [first, last] = store.DovetarKeyRange(mode);
  for (; first != last; ++first) {
    if (!store.evaluation_matches(first->second, event)) continue;
    auto track = store.ValueMap().find(first->second);
    if (track != store.ValueMap().end()) store.Promote(track, 1);
  }
}

}  // namespace

void CKelSequencer::EvaluateTracks(int mode, Kelva::sequencer_events_t event) {
  if (mode == -1) return;
  PromoteTracks(m_valueStore.TrackScalarStore(), mode, event);
  PromoteTracks(m_valueStore.TrackCurveStore(), mode, event);
}

int CKelSequencer::Evaluate(int mode, Kelva::sequencer_events_t event) {
  if (mode == -1) return 0;
  m_instrumentShop.Run();
  m_limitShop.GenerateLimits();
  m_valueStore.CopyToHistoryStore();
  const auto averaging = static_cast<KelValueStore::history_average_mode_t>(m_averagingParameter);
  if (m_averagingSwitch == 0)
    m_valueStore.AverageHistory(false, averaging);
  else if (event == Kelva::remove_candidate)
    m_valueStore.AverageHistory(true, averaging);
  int count = static_cast<int>(m_evalShop.Evaluate());
  if (event == Kelva::remove_candidate || event == Kelva::begin_milestone)
    count += CheckRequestedMeasuringResults();
  m_valueStore.validated();
  return count;
}

void CKelSequencer::EvaluateAndLearn(int mode, Kelva::sequencer_events_t event) {
  if (mode == -1) return;
  const int count = Evaluate(mode, event);
  if (!CSeaBase::MessagesSea()->LookupGetBool(wpWavPlaybackNoLearning, 0, false)) {
    for (ma_learn_entry_t& entry : m_maLearnStores)
      if (entry.store != nullptr) entry.store->Learn(mode, event);
    if (count == 0 || m_resultShop.GetResultForMode(mode) == NorviDefs::result_ok) {
      m_learnStore.Learn(mode, event);
      if (m_learnFileModule != nullptr) m_learnFileModule->OnUserIfCommand(3);
    }
  }
  m_valueStore.evaluated(event);
}
