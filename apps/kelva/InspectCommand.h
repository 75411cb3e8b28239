#pragma once
// `kelva inspect history FILE`, `kelva inspect learn FILE`: a file the program keeps, as readable
// text or (--json) one JSON object. The plug-in reads and describes the file with its own reader;
// with --plan the plan is installed first, so the description names the modes, instruments, ... of
// the keys. The file is only read: a damaged file stays where it is.

#include <cstdint>
#include <string>

struct InspectOptions {
  int32_t kind = 0;  // a FileDescriber kind: 1 history, 2 learn
  std::string file;
  std::string plan;  // "" for ids without names
  std::string plugin;
  bool json = false;
};

// The process exit code (docs/cli.md): 0 the description is on stdout, 2 the file, the plan or
// the plug-in cannot be used (the reason on stderr).
int InspectFile(const InspectOptions& options);
