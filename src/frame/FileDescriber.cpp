#include "frame/FileDescriber.h"

#include "frame/HistoryDescriber.h"
#include "host/Params.h"
#include "host/WholeFile.h"
#include "store/KelValueStore.h"

namespace FileDescriber {

namespace {

// "" when `path` holds a history file that `store` now holds, else what is wrong with it.
std::string ReadHistoryFile(const std::string& path, CKelValueStore& store) {
  const WholeFileRead result = ReadWholeFileInPlace(
      path, [&store](CFile& file, std::string& why) { return store.ReadHistory(file, &why); });
  switch (result.status) {
    case WholeFileRead::read:
      return "";
    case WholeFileRead::missing:
      return "the history file " + path + " does not exist";
    case WholeFileRead::damaged:
      break;
  }
  return "the history file " + path + " cannot be read: " + result.reason;
}

bool DescribeHistory(const std::string& path, bool json, std::string& out) {
  CKelValueStore store;
  out = ReadHistoryFile(path, store);
  if (!out.empty()) return false;
  const CDtParamInstance params;
  out = json ? HistoryDescriber::Json(store, path, params)
             : HistoryDescriber::Text(store, path, params);
  return true;
}

}  // namespace

bool Describe(int32_t kind, const std::string& path, bool json, std::string& out) {
  if (kind == kindHistory) return DescribeHistory(path, json, out);
  out = "files of kind " + std::to_string(kind) + " cannot be described";
  return false;
}

}  // namespace FileDescriber
