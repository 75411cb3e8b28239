#pragma once
// The settings a bench needs in the application store, and the part counter.
//
// The bench keeps the history from part to part, lets spectrograms learn and maps the terminal
// errors to the plan's error codes. These entries are (re)applied whenever
// one is missing — in a fresh work directory and equally after a damaged settings file lost
// them — so one bad file never leaves every later part without its error codes.

#include <string>
#include <vector>

// Applies every bench setting whose entry (or field) is missing and keeps the ones present.
// Returns the keys of the entries it wrote.
std::vector<std::string> ApplyBenchSettings();

// The part counter "Bench-Simulation" (field 0): the number of the last serial issued or
// reserved. A missing entry reads as 0. False with `error` set when the field is not a whole
// number from 0 to INT32_MAX - `parts` (so the run's serials cannot overflow).
bool ReadPartCounter(int parts, int& last, std::string& error);
void WritePartCounter(int last);

extern const char* const kPartCounterKey;
