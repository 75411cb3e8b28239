#pragma once
// The work directory of a run (settings, history, log). One run at a time owns it: the run
// holds an exclusive lock on "kelva.lock" in it until it ends, so two benches can never issue
// the same serials or overwrite each other's history. Nothing here throws.

#include <string>

#include "host/FileIO.h"

// The longest work directory path (in bytes, with its trailing '/') that holds the longest
// history file path the library keeps: "History/", a part-type name of the longest length and
// ".dhf". The learn file ("Learn/<name>.learn") is exactly as long.
inline constexpr size_t kMaxWorkDirBytes = FileIO::kMaxFilePathBytes - sizeof("History/") + 1 -
                                           FileIO::kMaxPartTypeFileNameBytes - sizeof(".dhf") + 1;
static_assert(sizeof("History/") + sizeof(".dhf") == sizeof("Learn/") + sizeof(".learn"));

class CWorkDir {
 public:
  CWorkDir() = default;
  ~CWorkDir();
  CWorkDir(const CWorkDir&) = delete;
  CWorkDir& operator=(const CWorkDir&) = delete;

  // Makes `path` absolute, creates it when missing and takes the lock. False with `error` set
  // (a full sentence without the "kelva: " prefix) when the folder cannot be created, its path
  // is too long to keep every file inside it, or another run holds it.
  bool Open(const std::string& path, std::string& error);

  // Removes the temporary files ("<name>.tmp-<pid>-<n>") that a run killed while saving left
  // in the work directory and its "History/" and "Learn/" folders. Call only while holding the
  // lock. Returns the number removed.
  int RemoveLeftoverTemporaries() const;

  // The absolute path, ending in '/'.
  const std::string& Path() const { return path_; }

 private:
  std::string path_;
  int lock_ = -1;
};
