#include "frame/FileDescriber.h"

#include <functional>
#include <new>

#include "frame/HistoryDescriber.h"
#include "frame/LearnDescriber.h"
#include "frame/LimitsDescriber.h"
#include "host/Params.h"
#include "host/WholeFile.h"
#include "learn/KelLearnFile.h"
#include "learn/KelLearnStore.h"
#include "store/KelValueStore.h"

namespace FileDescriber {

namespace {

// "" when `path` holds a file that `read` takes whole, else which file (`what`) and what is
// wrong with it.
std::string ReadFile(const std::string& what, const std::string& path,
                     const std::function<bool(CFile&, std::string&)>& read) {
  const WholeFileRead result = ReadWholeFileInPlace(path, read);
  switch (result.status) {
    case WholeFileRead::read:
      return "";
    case WholeFileRead::missing:
      return "the " + what + " " + path + " does not exist";
    case WholeFileRead::damaged:
      break;
  }
  return "the " + what + " " + path + " cannot be read: " + result.reason;
}

bool DescribeHistory(const std::string& path, bool json, std::string& out) {
  CKelValueStore store;
  out = ReadFile("history file", path,
                 [&store](CFile& file, std::string& why) { return store.ReadHistory(file, &why); });
  if (!out.empty()) return false;
  const CDtParamInstance params;
  out = json ? HistoryDescriber::Json(store, path, params)
             : HistoryDescriber::Text(store, path, params);
  return true;
}

// "" when the learn file at `path` was read whole into `store`, else why not.
std::string ReadLearnFile(const std::string& path, CKelLearnStore& store) {
  return ReadFile("learn file", path, [&store](CFile& file, std::string& why) {
    return KelLearnFile::Read(store, file, why);
  });
}

bool DescribeLearn(const std::string& path, bool json, std::string& out) {
  CKelValueStore values;  // receives the track key maps of the file
  CKelLearnStore store(values, -1);
  out = ReadLearnFile(path, store);
  if (!out.empty()) return false;
  const CDtParamInstance params;
  out =
      json ? LearnDescriber::Json(store, path, params) : LearnDescriber::Text(store, path, params);
  return true;
}

bool DescribeLimits(const std::string& path, bool json, std::string& out) {
  CKelValueStore values;  // the shop's value store: empty, so only learned items count
  CKelLearnStore store(values, -1);
  out = ReadLearnFile(path, store);
  if (!out.empty()) return false;
  out = json ? LimitsDescriber::Json(values, store, path)
             : LimitsDescriber::Text(values, store, path);
  return true;
}

}  // namespace

bool Describe(int32_t kind, const std::string& path, bool json, std::string& out) {
  // A learn file is read whole into memory and a description can be long: running out of
  // memory refuses the file instead of letting the exception end the program at the C entry.
  try {
    if (kind == kindHistory) return DescribeHistory(path, json, out);
    if (kind == kindLearn) return DescribeLearn(path, json, out);
    if (kind == kindLimits) return DescribeLimits(path, json, out);
  } catch (const std::bad_alloc&) {
    out = "the file " + path + " cannot be described: there is not enough memory";
    return false;
  }
  out = "files of kind " + std::to_string(kind) + " cannot be described";
  return false;
}

}  // namespace FileDescriber
