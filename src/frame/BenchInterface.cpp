#include "frame/BenchInterface.h"

#include <cstring>
#include <string>
#include <vector>

#include "frame/EvStoreServer.h"
#include "frame/FileDescriber.h"
#include "host/Utf8.h"
#include "learn/KelLearnSummary.h"
#include "result/ResultShop.h"
#include "sequencer/CommandCenter.h"
#include "sequencer/KelSequencer.h"
#include "windows/PartExport.h"

extern "C" {

void KelvaSequencerEvent(int32_t event, int32_t kind, int32_t number, const char* text,
                         const int32_t* array, int32_t count) {
  Kelva::event_argument_t argument;
  if (kind == 1) argument = number;
  if (kind == 2) argument = std::string(text == nullptr ? "" : text);
  if (kind == 3 && array != nullptr && count > 0)
    argument = std::vector<int32_t>(array, array + count);
  CCommandCenterServer::Message(static_cast<Kelva::sequencer_events_t>(event), argument);
}

int32_t KelvaResultRequest(int32_t mode) {
  CResultShop* shop = CEvStoreServer<CResultShop>::Object().Store(-1);
  return shop == nullptr ? -1 : shop->ResultRequest(mode);
}

int32_t KelvaErrorCount() {
  CResultShop* shop = CEvStoreServer<CResultShop>::Object().Store(-1);
  return shop == nullptr ? 0 : static_cast<int32_t>(shop->Errors().size());
}

namespace {

// Copies `text` into `buffer` (`size` bytes with the terminating 0), cut between characters.
void CopyText(const std::string& text, char* buffer, int32_t size) {
  if (buffer == nullptr || size <= 0) return;
  const size_t n = Utf8::Boundary(text, static_cast<size_t>(size - 1));
  std::memcpy(buffer, text.data(), n);
  buffer[n] = '\0';
}

}  // namespace

bool KelvaGetError(int32_t index, KelvaError* error, char* text, int32_t textSize) {
  CResultShop* shop = CEvStoreServer<CResultShop>::Object().Store(-1);
  if (shop == nullptr || error == nullptr || index < 0) return false;
  std::vector<CResultShop::error_entry_t> entries;
  shop->GetErrors(entries, CResultShop::es_priority_function_modes_first, -1);
  if (static_cast<size_t>(index) >= entries.size()) return false;
  const CResultShop::error_entry_t& e = entries[static_cast<size_t>(index)];
  *error =
      KelvaError{e.mode,        e.instrument, e.channel,           e.location,      e.parameter,
                 e.sensor,      e.error.code, e.code.externalCode, e.code.severity, e.error.value,
                 e.error.limit, e.error.mean, e.error.position};
  CopyText(e.code.text, text, textSize);
  return true;
}

bool KelvaSaveHistory(char* path, int32_t pathSize) {
  auto* sequencer = dynamic_cast<CKelSequencer*>(CModule::FindModuleByClassName("CKelSequencer"));
  CopyText(sequencer == nullptr ? std::string() : sequencer->HistoryPath(".dhf"), path, pathSize);
  return sequencer == nullptr || sequencer->SaveHistory();
}

bool KelvaSaveLearnFile(char* path, int32_t pathSize) {
  auto* sequencer = dynamic_cast<CKelSequencer*>(CModule::FindModuleByClassName("CKelSequencer"));
  CopyText(sequencer == nullptr ? std::string() : sequencer->LearnFileKeeper().Path(), path,
           pathSize);
  return sequencer == nullptr || sequencer->LearnFileKeeper().Save();
}

int32_t KelvaLearnSummary(KelvaModeLearning* modes, int32_t capacity) {
  auto* sequencer = dynamic_cast<CKelSequencer*>(CModule::FindModuleByClassName("CKelSequencer"));
  if (sequencer == nullptr) return 0;
  const std::vector<mode_learning_t> summary = KelLearnSummary(sequencer->LearnFileKeeper().Copy());
  for (size_t i = 0; i < summary.size() && modes != nullptr && static_cast<int32_t>(i) < capacity;
       ++i) {
    const mode_learning_t& m = summary[i];
    modes[i] = KelvaModeLearning{m.mode, m.quantities, m.learnedEnough, m.fewestParts, m.mostParts};
  }
  return static_cast<int32_t>(summary.size());
}

bool KelvaDescribeFile(int32_t kind, const char* path, int32_t json,
                       void (*sink)(const char* text, void* context), void* context) {
  if (path == nullptr || sink == nullptr) return false;
  std::string text;
  const bool described = FileDescriber::Describe(kind, path, json != 0, text);
  sink(text.c_str(), context);
  return described;
}

bool KelvaDescribePart(void (*sink)(const char* text, void* context), void* context) {
  if (sink == nullptr) return false;
  std::string json;
  const bool described = PartExport::DefaultStoreJson(json);
  sink(json.c_str(), context);
  return described;
}

}  // extern "C"
