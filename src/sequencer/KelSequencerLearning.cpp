// The sequencer's moving-average learn stores: one per line of "<name>-MA-Params" (field 0 the
// store's name, field 1 its learn-procedure id), each a learn store over the sequencer's value
// store that learns every key with that procedure, registered in the learn-store server under
// its name.
#include "frame/EvStoreServer.h"
#include "host/Output.h"
#include "host/Sea.h"
#include "sequencer/KelSequencer.h"

namespace {

std::string MAParamsEntry(const std::string& moduleName) {
  return moduleName + "-MA-Params";
}

}  // namespace

void CKelSequencer::LoadMAParams() {
  ReleaseMALearnStores();
  m_maLearnStores.clear();
  CResourceList lines(CSeaBase::ApplicationSea(), MAParamsEntry(Name()));
  for (lines.GotoHead(); lines.IsValid(); lines.GotoNext()) {
    const CResourceLine line = lines.GetCurrentLine();
    ma_learn_entry_t entry;
    entry.name = line.GetStringFb(0, "");
    entry.procedure = line.GetIntFb(1, -1);
    if (entry.name.empty() || entry.procedure == -1) {
      PrWin::Output(PrWin::catOperator, 3,
                    "CKelSequencer: the moving-average line %zu of %s needs a name and a learn "
                    "procedure id; it is left out\n",
                    m_maLearnStores.size() + 1, MAParamsEntry(Name()).c_str());
      continue;
    }
    m_maLearnStores.push_back(std::move(entry));
  }
}

void CKelSequencer::SaveMAParams() const {
  CResourceList lines(CSeaBase::ApplicationSea(), MAParamsEntry(Name()));
  lines.RemoveAll();
  for (const ma_learn_entry_t& entry : m_maLearnStores) {
    CResourceLine line = lines.AddLineTail();
    line.SetString(0, entry.name);
    line.SetInt(1, entry.procedure);
  }
}

void CKelSequencer::CreateMALearnStores() {
  for (ma_learn_entry_t& entry : m_maLearnStores) {
    if (entry.store != nullptr) continue;
    entry.store = std::make_unique<CKelLearnStore>(m_valueStore, entry.procedure);
    entry.serverIndex =
        CEvStoreServer<CKelLearnStore>::Object().Register(this, entry.name, entry.store.get());
    entry.store->LearnSpectrograms(m_learnSpectrograms != 0);
  }
}

void CKelSequencer::ReleaseMALearnStores() {
  for (ma_learn_entry_t& entry : m_maLearnStores) {
    if (entry.serverIndex >= 0) CEvStoreServer<CKelLearnStore>::Object().Release(entry.serverIndex);
    entry.serverIndex = -1;
    entry.store.reset();
  }
}
