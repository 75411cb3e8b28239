#pragma once
// Describing a file the program keeps, for a person (`kelva inspect`) or a program (--json).
// The file is read with the program's own reader and the checks every load applies (only a
// regular file, every length checked, nothing after the announced content), but it is only
// looked at: a damaged file stays where it is, and nothing is written.
//
// Names of modes, instruments, ... come from the installed plan when there is one.

#include <cstdint>
#include <string>

namespace FileDescriber {

// The kinds of file that can be described (the `kind` of KelvaDescribeFile).
enum kind_t : int32_t {
  kindHistory = 1,  // a value-store history file (".dhf")
  kindLearn = 2,    // a learn file (".learn")
  kindLimits = 3,   // the limits a learn file gives under the installed plan (LimitsDescriber)
};

// True with the description in `out` (HistoryDescriber, LearnDescriber or LimitsDescriber); false
// when the file cannot be described, with `out` saying in one line (no line feed) which file it is
// and what is wrong, e.g. "the history file /w/History/T1.dhf cannot be read: 240 bytes follow the
// end of its content".
bool Describe(int32_t kind, const std::string& path, bool json, std::string& out);

}  // namespace FileDescriber
