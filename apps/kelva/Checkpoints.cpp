#include "Checkpoints.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>

#include "BenchSettings.h"
#include "host/Module.h"
#include "host/Sea.h"

CCheckpoints::CCheckpoints(const CPlugin& plugin, CSpecialModeClient& sequencer,
                           std::string settingsFile, int saveEvery, double saveSeconds)
    : plugin_(plugin),
      sequencer_(sequencer),
      settingsFile_(std::move(settingsFile)),
      saveEvery_(std::max(1, saveEvery)),
      saveInterval_(saveSeconds) {}

void CCheckpoints::Start(int lastIssued, int lastPart) {
  lastPart_ = lastPart;
  savedAt_ = lastIssued;
  savedCounter_ = lastIssued;  // read from the settings file
  Save(ReservedAfter(lastIssued));
}

void CCheckpoints::AfterPart(int issued) {
  if (issued >= lastPart_) return;  // Finish saves
  const bool partsDue = issued - savedAt_ >= saveEvery_;
  const bool timeDue = std::chrono::steady_clock::now() - savedWhen_ >= saveInterval_;
  if (!partsDue && !timeDue) return;
  savedAt_ = issued;
  Save(ReservedAfter(issued));
}

void CCheckpoints::Finish(int issued) {
  savedAt_ = issued;
  Save(issued);
}

bool CCheckpoints::MayIssue(int serial) {
  if (!keepPartCounter_ || serial <= savedCounter_) return true;
  savedAt_ = serial - 1;
  Save(ReservedAfter(serial - 1));
  return serial <= savedCounter_;
}

int CCheckpoints::ReservedAfter(int issued) const {
  // In 64 bits: near the end of the serial range `issued + saveEvery_` does not fit an int.
  return static_cast<int>(std::min<int64_t>(lastPart_, int64_t{issued} + saveEvery_));
}

void CCheckpoints::Save(int reservedUpTo) {
  sequencer_.OnSpecialFileSave();  // the sequencer's own settings into the store
  if (keepPartCounter_) WritePartCounter(reservedUpTo);
  if (SeaFile::Save(settingsFile_)) {
    if (keepPartCounter_) savedCounter_ = reservedUpTo;
  } else if (settingsFailures_++ == 0) {
    std::fprintf(stderr, "kelva: the settings could not be saved to %s\n", settingsFile_.c_str());
  }
  std::string path;
  if (!plugin_.SaveHistory(path) && historyFailures_++ == 0)
    std::fprintf(stderr, "kelva: the history could not be saved to %s\n", path.c_str());
  if (!path.empty()) historyFile_ = path;
  if (!plugin_.SaveLearnFile(path) && learnFileFailures_++ == 0)
    std::fprintf(stderr, "kelva: the learn file could not be saved to %s\n", path.c_str());
  if (!path.empty()) learnFile_ = path;
  savedWhen_ = std::chrono::steady_clock::now();
}
