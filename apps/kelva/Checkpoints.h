#pragma once
// Saving a run's state at regular points: the settings (with the part counter), the history
// and the learn file are saved together every `saveEvery` parts and at least every `saveSeconds`,
// so a run killed at any moment loses at most the parts since the last checkpoint.
//
// Serials are never issued twice: each checkpoint first saves the settings with the counter
// already set to the last serial the next interval may issue (a reservation), then the
// history. A run killed within the interval leaves unused numbers, never repeated ones. So a
// part is issued only under a reservation the settings file holds: when the settings cannot be
// saved, MayIssue says so and the run stops rather than issue a serial the next run issues again.

#include <chrono>
#include <string>

#include "Plugin.h"

class CSpecialModeClient;

class CCheckpoints {
 public:
  CCheckpoints(const CPlugin& plugin, CSpecialModeClient& sequencer, std::string settingsFile,
               int saveEvery, double saveSeconds);

  // Before the first part: `lastIssued` is the counter read at the start, `lastPart` the
  // serial number of the run's last part.
  void Start(int lastIssued, int lastPart);
  // Whether checkpoints write the part counter (a replay issues no serials: it does not).
  void KeepPartCounter(bool keep) { keepPartCounter_ = keep; }
  // After each part; saves when an interval is over.
  void AfterPart(int issued);
  // After the last part: the counter becomes the last serial issued.
  void Finish(int issued);
  // Whether the part with serial `serial` may be issued: the settings file holds a counter at or
  // above it (always true when the part counter is not kept). When it does not, the checkpoint
  // is saved once more first.
  bool MayIssue(int serial);

  int SettingsFailures() const { return settingsFailures_; }
  int HistoryFailures() const { return historyFailures_; }
  int LearnFileFailures() const { return learnFileFailures_; }
  // The learn file of the part type, "" before the first part.
  const std::string& LearnFile() const { return learnFile_; }
  const std::string& SettingsFile() const { return settingsFile_; }
  // The history file of the part type, "" before the first part.
  const std::string& HistoryFile() const { return historyFile_; }

 private:
  // The serial number a checkpoint after `issued` reserves: the last part up to the next
  // checkpoint, at most the run's last part.
  int ReservedAfter(int issued) const;
  void Save(int reservedUpTo);

  const CPlugin& plugin_;
  CSpecialModeClient& sequencer_;
  std::string settingsFile_;
  std::string historyFile_;
  std::string learnFile_;
  int saveEvery_;
  bool keepPartCounter_ = true;
  std::chrono::duration<double> saveInterval_;
  int lastPart_ = 0;
  int savedAt_ = 0;       // serial of the last part a checkpoint covered
  int savedCounter_ = 0;  // the part counter the settings file holds
  std::chrono::steady_clock::time_point savedWhen_;
  int settingsFailures_ = 0;
  int historyFailures_ = 0;
  int learnFileFailures_ = 0;
};
