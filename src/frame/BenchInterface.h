#pragma once
// The plug-in's C entry points for a bench host that loads libkelva.so with dlopen and finds
// them with dlsym: sequencer events, result requests and the error list. They forward to the
// exported C++ interface (CCommandCenterServer::Message, the default result shop).

#include <cstdint>

extern "C" {

// One event of the test sequence. `kind` says which argument is meant: 0 none, 1 `number`,
// 2 `text`, 3 `array` of `count` int32.
void KelvaSequencerEvent(int32_t event, int32_t kind, int32_t number, const char* text,
                         const int32_t* array, int32_t count);

// CResultShop::ResultRequest of the default result shop; -1 when there is none.
int32_t KelvaResultRequest(int32_t mode);

// The number of entries of the default result shop's error list (0 without result shop).
int32_t KelvaErrorCount();

// Entry `index` of the error list in the order of importance (most important first): its key,
// code, external code, value, limit and text (copied into `text`, at most `textSize` bytes
// with the terminating 0; a longer text is cut between two UTF-8 characters). False when there
// is no such entry.
struct KelvaError {
  int32_t mode, instrument, channel, location, parameter, sensor;
  int32_t code, externalCode, severity;
  float value, limit, mean, position;
};
bool KelvaGetError(int32_t index, KelvaError* error, char* text, int32_t textSize);

// Saves the history of the current part type now (the sequencer otherwise saves it when it
// shuts down). True when it was saved or there is nothing to save. `path` receives the history
// file's path (at most `pathSize` bytes with the terminating 0, "" when no part type is known
// yet or there is no sequencer).
bool KelvaSaveHistory(char* path, int32_t pathSize);

// Saves the learn file of the current part type now (the learned data as of the last evaluated
// part; the sequencer also saves it when it shuts down). True when it was saved or there was
// nothing new to save. `path` receives the learn file's path as KelvaSaveHistory does.
bool KelvaSaveLearnFile(char* path, int32_t pathSize);

// How far the main learn store has learned, per mode (as of the last evaluated part).
struct KelvaModeLearning {
  int32_t mode;
  int32_t quantities;     // quantities of the mode with a learn procedure
  int32_t learnedEnough;  // of them, those with at least their base learns
  uint32_t fewestParts, mostParts;
};
// Fills at most `capacity` entries, ascending by mode; returns the number of modes (which may
// be larger than `capacity`). 0 without a sequencer.
int32_t KelvaLearnSummary(KelvaModeLearning* modes, int32_t capacity);

// Describes a file the program keeps (src/frame/FileDescriber.h): `kind` 1 a history file
// (".dhf"), 2 a learn file (".learn"), 3 the limits a learn file gives; `json` non-zero for one
// JSON object instead of text for a person. Names of ids come from the installed plan, when there
// is one. The file is only read, whatever its state. True: `sink` gets the whole description in one
// call. False: `sink` gets one line (no line feed) naming the file and what is wrong, or nothing
// when `path` or `sink` is null. The text passed to `sink` lives only for the call.
bool KelvaDescribeFile(int32_t kind, const char* path, int32_t json,
                       void (*sink)(const char* text, void* context), void* context);

// Describes the part the default value store holds now (src/windows/PartExport.h): one JSON
// object with every stored single value, spectrum and track and their limits. True: `sink` gets
// the whole description in one call. False: `sink` gets one line (no line feed) saying why there
// is none, or nothing when `sink` is null. The text passed to `sink` lives only for the call.
bool KelvaDescribePart(void (*sink)(const char* text, void* context), void* context);

}  // extern "C"
