// The fault-injection point of the file layer, and the host's saves driven through every fault
// it injects: a file replaced through CReplacingFile, the settings file, and history files
// copied to a project folder.
#include "host/FileFaults.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <stdlib.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "host/FaultSweep.h"
#include "host/File.h"
#include "host/FileIO.h"
#include "host/Output.h"
#include "host/Sea.h"

using namespace FaultSweep;

namespace {

class FileFaultsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string pattern = ::testing::TempDir() + "kelva-faults-XXXXXX";
    ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
    dir_ = pattern + "/";
  }
  void TearDown() override {
    FileFaults::Disarm();
    std::filesystem::remove_all(dir_);
  }

  std::string dir_;
};

// Numbers in several writes, as the binary savers write them.
bool WriteNumbers(CFile& file, uint32_t first, size_t count) {
  for (uint32_t i = 0; i < count; ++i)
    if (!WriteLE(file, first + i)) return false;
  return true;
}

}  // namespace

// On a raw descriptor: a write cut short takes half its bytes and the disk is full after it; a
// full disk takes nothing from its first failing write on; a sync and a rename fail at their
// call only. Unarmed, every call goes through and nothing is counted.
TEST_F(FileFaultsTest, FaultsHitTheirCallAndAreCounted) {
  const std::string path = dir_ + "raw";
  const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
  ASSERT_GE(fd, 0);

  FileFaults::Arm(FileFaults::Fault::shortWrite, 2);
  EXPECT_EQ(FileFaults::Write(fd, "abcd", 4), 4);
  EXPECT_EQ(FileFaults::Write(fd, "efghij", 6), 3);  // "efg"
  errno = 0;
  EXPECT_EQ(FileFaults::Write(fd, "hij", 3), -1);
  EXPECT_EQ(errno, ENOSPC);
  EXPECT_EQ(FileFaults::Sync(fd), 0);
  EXPECT_EQ(FileFaults::Calls().writes, 3u);
  EXPECT_EQ(FileFaults::Calls().syncs, 1u);
  EXPECT_EQ(FileFaults::Injected(), 2u);
  EXPECT_EQ(Bytes(path), "abcdefg");

  // A one-byte write cannot be cut: it fails whole.
  FileFaults::Arm(FileFaults::Fault::shortWrite, 1);
  EXPECT_EQ(FileFaults::Write(fd, "x", 1), -1);
  EXPECT_EQ(errno, ENOSPC);

  FileFaults::Arm(FileFaults::Fault::diskFull, 2);
  EXPECT_EQ(FileFaults::Write(fd, "12", 2), 2);
  for (int i = 0; i < 3; ++i) {
    errno = 0;
    EXPECT_EQ(FileFaults::Write(fd, "34", 2), -1);
    EXPECT_EQ(errno, ENOSPC);
  }
  EXPECT_EQ(FileFaults::Injected(), 3u);
  EXPECT_EQ(Bytes(path), "abcdefg12");

  FileFaults::Arm(FileFaults::Fault::syncFails, 2);
  EXPECT_EQ(FileFaults::Sync(fd), 0);
  EXPECT_EQ(FileFaults::Sync(fd), -1);
  EXPECT_EQ(errno, EIO);
  EXPECT_EQ(FileFaults::Sync(fd), 0);
  EXPECT_EQ(FileFaults::Write(fd, "5", 1), 1);
  EXPECT_EQ(FileFaults::Injected(), 1u);

  const std::string moved = dir_ + "moved";
  FileFaults::Arm(FileFaults::Fault::renameFails, 1, EIO);
  EXPECT_EQ(FileFaults::Rename(path.c_str(), moved.c_str()), -1);
  EXPECT_EQ(errno, EIO);
  EXPECT_TRUE(std::filesystem::exists(path));
  EXPECT_FALSE(std::filesystem::exists(moved));
  FileFaults::Arm(FileFaults::Fault::renameFails, 1);  // EXDEV unless told
  EXPECT_EQ(FileFaults::Rename(path.c_str(), moved.c_str()), -1);
  EXPECT_EQ(errno, EXDEV);

  FileFaults::Disarm();
  EXPECT_FALSE(FileFaults::Armed());
  EXPECT_EQ(FileFaults::Write(fd, "6", 1), 1);
  EXPECT_EQ(FileFaults::Sync(fd), 0);
  EXPECT_EQ(FileFaults::Rename(path.c_str(), moved.c_str()), 0);
  EXPECT_EQ(FileFaults::Calls().renames, 1u);  // the count of the last arming, unchanged
  EXPECT_EQ(Bytes(moved), "abcdefg1256");
  ::close(fd);
}

// CDiskFile takes a write cut short as a failed write: the file is failed for good.
TEST_F(FileFaultsTest, DiskFileWritesFailWithTheInjectedError) {
  CDiskFile file;
  ASSERT_TRUE(file.Open(dir_ + "disk", CDiskFile::modeWrite));
  FileFaults::Arm(FileFaults::Fault::shortWrite, 2);
  EXPECT_TRUE(file.Write("ab", 2));
  errno = 0;
  EXPECT_FALSE(file.Write("cdef", 4));
  EXPECT_EQ(errno, ENOSPC);
  EXPECT_TRUE(file.Failed());
  FileFaults::Disarm();
  EXPECT_FALSE(file.Write("g", 1));
  EXPECT_FALSE(file.Close());
}

// A file written in several writes through CReplacingFile, at every point of its save.
TEST_F(FileFaultsTest, AReplacedFileKeepsItsPreviousVersionAtEveryFault) {
  const std::string path = dir_ + "table.bin";
  const auto save = [&path](uint32_t first) {
    CReplacingFile file;
    if (file.Open(path) && WriteNumbers(file, first, 5) && file.Commit()) return std::string();
    return file.Error().empty() ? std::string("failed without a reason") : file.Error();
  };
  ASSERT_EQ(save(100), "");
  SweepReplacedFile(
      {path, [&] { return save(200); }, ReplacingFileReason,
       [](const std::string& file) { return Bytes(file).size() == 20 ? "" : "not five numbers"; }});
}

// The settings file: the failed save says which file and why, in the output window.
TEST_F(FileFaultsTest, TheSettingsFileKeepsItsPreviousVersionAtEveryFault) {
  CSeaBase* app = CSeaBase::ApplicationSea();
  app->Clear();
  CSeaBase::PreferenceSea()->Clear();
  const std::string path = dir_ + "settings.txt";
  app->LookupSetInt("Bench-Simulation", 1000, 0);
  app->LookupSetString("Report-Title", "first", 0);
  ASSERT_TRUE(SeaFile::Save(path));
  app->LookupSetInt("Bench-Simulation", 1010, 0);
  app->LookupSetString("Report-Title", "second, longer", 0);

  const auto save = [&path] {
    PrWin::CaptureSink capture;
    const bool saved = SeaFile::Save(path);
    if (saved && capture.Text().empty()) return std::string();
    return capture.Text() + (saved ? "(reported as saved)" : "");
  };
  // The settings reader, without losing the settings in memory.
  const auto read = [](const std::string& file) {
    const std::string kept = SeaFile::Format();
    PrWin::CaptureSink capture;
    const bool read = SeaFile::Load(file);
    const std::string complaints = capture.Text();
    SeaFile::Parse(kept, "memory");
    return read && complaints.empty() ? std::string() : "refused: " + complaints;
  };
  SweepReplacedFile({path, save,
                     [&path](const Point& point) {
                       return "Settings file '" + path +
                              "' could not be written: " + ReplacingFileReason(point) + "\n";
                     },
                     read});
  app->Clear();
}

// A history file copied to the project folder in several blocks, at every point of the copy.
TEST_F(FileFaultsTest, ACopiedFileKeepsItsPreviousVersionAtEveryFault) {
  const std::string local = dir_ + "local/";
  const std::string project = dir_ + "project/";
  ASSERT_TRUE(FileIO::CreateFolder(local));
  // Three blocks of the copy.
  std::string first(150 * 1024, 'a');
  for (size_t i = 0; i < first.size(); i += 997) first[i] = static_cast<char>('0' + i % 10);
  WriteBytes(local + "P1_T1.dhf", first);
  ASSERT_EQ(FileIO::CopyFiles(local, "*.dhf", project), 1);
  ASSERT_EQ(Bytes(project + "P1_T1.dhf"), first);
  std::string second = first;
  second[80 * 1024] = '#';
  second += "appended";
  WriteBytes(local + "P1_T1.dhf", second);

  const auto copy = [&] {
    std::string why = "no reason given";
    const int copied = FileIO::CopyFiles(local, "*.dhf", project, &why);
    return copied == 1 ? std::string() : std::to_string(copied) + ": " + why;
  };
  const auto report = [&](const Point& point) {
    return "-1: cannot copy " + local + "P1_T1.dhf to " + project +
           "P1_T1.dhf: " + ReplacingFileReason(point);
  };
  const auto read = [&](const std::string& file) {
    const std::string bytes = Bytes(file);
    return bytes == first || bytes == second ? "" : "neither the first nor the second version";
  };
  EXPECT_EQ(CallsOf([&] { copy(); }).writes, 3u);
  WriteBytes(project + "P1_T1.dhf", first);
  SweepReplacedFile({project + "P1_T1.dhf", copy, report, read});
}

// Copying several files stops at the first that fails: the ones before are new, it and the ones
// after keep their previous content.
TEST_F(FileFaultsTest, ACopyRunStopsAtTheFileThatFails) {
  const std::string local = dir_ + "local/";
  const std::string project = dir_ + "project/";
  ASSERT_TRUE(FileIO::CreateFolder(local));
  for (const char* name : {"a.dhf", "b.dhf", "c.dhf"}) WriteBytes(local + name, "old");
  ASSERT_EQ(FileIO::CopyFiles(local, "*", project), 3);
  for (const char* name : {"a.dhf", "b.dhf", "c.dhf"}) WriteBytes(local + name, "new");

  std::string why;
  {
    const Armed armed({FileFaults::Fault::diskFull, 2});  // the write of b.dhf
    EXPECT_EQ(FileIO::CopyFiles(local, "*", project, &why), -1);
  }
  EXPECT_EQ(why, "cannot copy " + local + "b.dhf to " + project +
                     "b.dhf: cannot write: " + std::strerror(ENOSPC));
  EXPECT_EQ(Bytes(project + "a.dhf"), "new");
  EXPECT_EQ(Bytes(project + "b.dhf"), "old");
  EXPECT_EQ(Bytes(project + "c.dhf"), "old");
  EXPECT_EQ(Names(project), (std::vector<std::string>{"a.dhf", "b.dhf", "c.dhf"}));

  EXPECT_EQ(FileIO::CopyFiles(local + "none/", "*", project, &why), -1);
  EXPECT_EQ(why, "there is no folder " + local + "none/");
}

// A damaged file that cannot be renamed aside stays where it is, under its own name.
TEST_F(FileFaultsTest, ADamagedFileThatCannotBeRenamedStaysAsItIs) {
  const std::string path = dir_ + "P1_T1.dhf";
  WriteBytes(path, "damaged");
  std::string keptAs = "unchanged";
  {
    const Armed armed({FileFaults::Fault::renameFails, 1, EIO});
    errno = 0;
    EXPECT_FALSE(FileIO::KeepDamagedFile(path, &keptAs));
    EXPECT_EQ(errno, EIO);
  }
  EXPECT_EQ(keptAs, "unchanged");
  EXPECT_EQ(Names(dir_), std::vector<std::string>{"P1_T1.dhf"});
  EXPECT_EQ(Bytes(path), "damaged");
  EXPECT_TRUE(FileIO::KeepDamagedFile(path, &keptAs));
  EXPECT_EQ(Bytes(keptAs), "damaged");
}
