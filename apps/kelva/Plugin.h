#pragma once
// Loading the Kelva plug-in (libkelva.so) and finding its bench entry points.

#include <cstdint>
#include <string>
#include <vector>

#include "frame/BenchInterface.h"

class CPlugin {
 public:
  ~CPlugin();
  // dlopen and dlsym; false with `error` set when the library or an entry point is missing.
  bool Load(const std::string& path, std::string& error);
  void Unload();

  void Event(int32_t event) const { event_(event, 0, 0, nullptr, nullptr, 0); }
  void Event(int32_t event, int32_t number) const { event_(event, 1, number, nullptr, nullptr, 0); }
  void Event(int32_t event, const std::string& text) const {
    event_(event, 2, 0, text.c_str(), nullptr, 0);
  }
  int32_t ResultRequest(int32_t mode) const { return resultRequest_(mode); }
  int32_t ErrorCount() const { return errorCount_(); }
  bool GetError(int32_t index, KelvaError& error, std::string& text) const;
  // Saves the history now; `path` gets the history file ("" before the first part).
  bool SaveHistory(std::string& path) const;
  // Saves the learn file now; `path` gets the learn file ("" before the first part).
  bool SaveLearnFile(std::string& path) const;
  // How far the main learn store has learned, per mode.
  std::vector<KelvaModeLearning> LearnSummary() const;
  // KelvaDescribeFile: true with the description in `text`; false with `text` saying which
  // file and what is wrong.
  bool DescribeFile(int32_t kind, const std::string& path, bool json, std::string& text) const;
  // KelvaDescribePart: true with the current part's JSON in `text`; false with `text` saying
  // why there is none.
  bool DescribePart(std::string& text) const;

 private:
  void* handle_ = nullptr;
  decltype(&KelvaSequencerEvent) event_ = nullptr;
  decltype(&KelvaResultRequest) resultRequest_ = nullptr;
  decltype(&KelvaErrorCount) errorCount_ = nullptr;
  decltype(&KelvaGetError) getError_ = nullptr;
  decltype(&KelvaSaveHistory) saveHistory_ = nullptr;
  decltype(&KelvaSaveLearnFile) saveLearnFile_ = nullptr;
  decltype(&KelvaLearnSummary) learnSummary_ = nullptr;
  decltype(&KelvaDescribeFile) describeFile_ = nullptr;
  decltype(&KelvaDescribePart) describePart_ = nullptr;
};

// The plug-in next to this program's build, or $KELVA_PLUGIN.
std::string DefaultPluginPath();
