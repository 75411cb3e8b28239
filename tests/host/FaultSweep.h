#pragma once
// Driving a save through every fault FileFaults can inject, at every call of the save: each of
// its writes cut short and each as the first one of a full disk, each of its file syncs failing,
// each of its renames failing with EXDEV and with EIO. A replaced file must come through every
// one of them as it was, byte for byte, with the failure reported and no temporary file left,
// and the next save without a fault must put the new version in place.

#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <string>
#include <vector>

#include "host/FileFaults.h"

namespace FaultSweep {

using FileFaults::Fault;

struct Point {
  Fault fault = Fault::none;
  unsigned at = 1;      // the call of its kind, 1-based
  int renameError = 0;  // renameFails: the errno
};

inline std::string Describe(const Point& point) {
  const std::string at = std::to_string(point.at);
  switch (point.fault) {
    case Fault::shortWrite:
      return "write " + at + " cut short";
    case Fault::diskFull:
      return "disk full from write " + at;
    case Fault::syncFails:
      return "sync " + at + " fails";
    case Fault::renameFails:
      return "rename " + at + " fails with " + std::strerror(point.renameError);
    case Fault::none:
      break;
  }
  return "no fault";
}

// Every point of a save that made `calls`.
inline std::vector<Point> PointsOf(const FileFaults::Counts& calls) {
  std::vector<Point> points;
  for (unsigned n = 1; n <= calls.writes; ++n) {
    points.push_back({Fault::shortWrite, n});
    points.push_back({Fault::diskFull, n});
  }
  for (unsigned n = 1; n <= calls.syncs; ++n) points.push_back({Fault::syncFails, n});
  for (unsigned n = 1; n <= calls.renames; ++n)
    for (int error : {EXDEV, EIO}) points.push_back({Fault::renameFails, n, error});
  return points;
}

// The system's text for the errno the point's fault fails with.
inline std::string SystemReason(const Point& point) {
  switch (point.fault) {
    case Fault::shortWrite:
    case Fault::diskFull:
      return std::strerror(ENOSPC);
    case Fault::syncFails:
      return std::strerror(EIO);
    case Fault::renameFails:
      return std::strerror(point.renameError);
    case Fault::none:
      break;
  }
  return "";
}

// What CReplacingFile::Error() says when the point's fault stops a save.
inline std::string ReplacingFileReason(const Point& point) {
  switch (point.fault) {
    case Fault::shortWrite:
    case Fault::diskFull:
      return "cannot write: " + SystemReason(point);
    case Fault::syncFails:
      return "cannot write or sync: " + SystemReason(point);
    case Fault::renameFails:
      return "cannot rename its temporary file into place: " + SystemReason(point);
    case Fault::none:
      break;
  }
  return "";
}

// The point armed for the lifetime of this object.
class Armed {
 public:
  explicit Armed(const Point& point) { FileFaults::Arm(point.fault, point.at, point.renameError); }
  ~Armed() { FileFaults::Disarm(); }
  Armed(const Armed&) = delete;
  Armed& operator=(const Armed&) = delete;
};

// The calls `save` makes, counted with nothing failing.
inline FileFaults::Counts CallsOf(const std::function<void()>& save) {
  {
    const Armed counting(Point{});
    save();
  }
  return FileFaults::Calls();
}

inline std::string Bytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

inline void WriteBytes(const std::string& path, const std::string& bytes) {
  std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
}

// The names in `folder`, sorted.
inline std::vector<std::string> Names(const std::string& folder) {
  std::vector<std::string> names;
  for (const auto& entry : std::filesystem::directory_iterator(folder))
    names.push_back(entry.path().filename().string());
  std::sort(names.begin(), names.end());
  return names;
}

// A file a save replaces as a whole, and how the test sees the save.
struct ReplacedFile {
  std::string path;
  // Saves the changed version: "" when the saver reports success, otherwise everything it
  // reported (return value, error text, messages). Saving again gives the same bytes.
  std::function<std::string()> save;
  // The report a save failing at `point` must give, exactly.
  std::function<std::string(const Point&)> report;
  // The program's own reader: "" when it takes the file, otherwise why not.
  std::function<std::string(const std::string& path)> read;
};

// `file.path` holds a first version the reader takes. Saves the changed version once to count
// its calls, then for every point of it: puts the first version back, saves with the fault
// armed and checks the report, that the first version is still there byte for byte and read,
// and that no file came or went beside it; then saves without a fault and checks the changed
// version is in place.
inline void SweepReplacedFile(const ReplacedFile& file) {
  const std::string folder = std::filesystem::path(file.path).parent_path().string();
  const std::string before = Bytes(file.path);
  ASSERT_EQ(file.read(file.path), "") << file.path << ": the first version is not read";
  const std::vector<std::string> names = Names(folder);

  std::string report;
  const FileFaults::Counts calls = CallsOf([&] { report = file.save(); });
  ASSERT_EQ(report, "") << file.path;
  const std::string after = Bytes(file.path);
  ASSERT_NE(after, before) << file.path << ": the second save changed nothing";
  ASSERT_EQ(file.read(file.path), "") << file.path << ": the second version is not read";
  ASSERT_EQ(Names(folder), names);
  // A replaced file is written, synced and renamed at least once each.
  ASSERT_GT(calls.writes, 0u);
  ASSERT_GT(calls.syncs, 0u);
  ASSERT_GT(calls.renames, 0u);

  for (const Point& point : PointsOf(calls)) {
    SCOPED_TRACE(file.path + ": " + Describe(point));
    WriteBytes(file.path, before);
    {
      const Armed armed(point);
      report = file.save();
      EXPECT_GT(FileFaults::Injected(), 0u);
    }
    EXPECT_EQ(report, file.report(point));
    EXPECT_EQ(Bytes(file.path), before);
    EXPECT_EQ(file.read(file.path), "");
    EXPECT_EQ(Names(folder), names);
    // Without the fault the same save goes through.
    EXPECT_EQ(file.save(), "");
    EXPECT_EQ(Bytes(file.path), after);
    if (::testing::Test::HasFailure()) return;  // one point's failures are enough to read
  }
}

}  // namespace FaultSweep
