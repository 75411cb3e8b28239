// What the bench's files survive: every byte of a saved settings or history file damaged in
// turn, and runs killed at random moments. Each damaged file must lead to a defined run (no
// crash), a message for whatever was dropped, and the damaged bytes kept for inspection.
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <random>
#include <set>
#include <sstream>
#include <thread>

#include <gtest/gtest.h>

#include "app/KelvaProcess.h"

namespace fs = std::filesystem;

namespace {

const char* const kHistoryName = "History/EOL-3_GT2-A.dhf";

// The one file in `folder` whose name starts with `prefix`, or "" when there is none.
std::string OnlyNameStartingWith(const std::string& folder, const std::string& prefix) {
  const std::vector<std::string> names = NamesStartingWith(folder, prefix);
  EXPECT_LE(names.size(), 1u) << folder << ": " << prefix;
  return names.empty() ? std::string() : names[0];
}

// Counts of the outcomes of a sweep, shown with the test's result.
struct SweepOutcomes {
  int accepted = 0;  // the damaged file read as it stands (a value changed, nothing dropped)
  int kept = 0;      // entries dropped, each named, the damaged file kept beside
  int refused = 0;   // nothing run, the damaged file left as it was
};

// Flips byte `offset` of `file` (relative to the work directory) in a copy of `baseline`, runs
// one more part and checks the outcome. `dropMark` is the start of every message that says
// something of the file was dropped.
void RunDamaged(const std::string& baseline, const std::string& file, size_t offset,
                const std::string& dropMark, SweepOutcomes& outcomes) {
  TempFolder folder;
  const std::string work = folder / "work";
  fs::copy(baseline, work, fs::copy_options::recursive);
  fs::remove(work + "/kelva.lock");
  std::string damaged = ReadText(work + "/" + file);
  // Even offsets get every bit flipped (bytes no text has), odd ones the lowest bit (a digit or
  // letter becomes its neighbour, which often still reads).
  damaged[offset] = static_cast<char>(damaged[offset] ^ (offset % 2 == 0 ? 0xFF : 0x01));
  WriteText(work + "/" + file, damaged);

  const ProcessResult run = RunKelva({"run", "--parts", "1", "--verbose", "--workdir", work});
  const std::string at = file + " byte " + std::to_string(offset);
  ASSERT_TRUE(run.exitCode == 0 || run.exitCode == 1 || run.exitCode == 2)
      << at << ": exit " << run.exitCode << "\n"
      << run.err;
  const fs::path path = fs::path(work) / file;
  const std::string keptName =
      OnlyNameStartingWith(path.parent_path().string(), path.filename().string() + ".damaged-");
  const bool dropped = run.err.find(dropMark) != std::string::npos;
  if (run.exitCode == 2) {
    ++outcomes.refused;
    EXPECT_EQ(ReadText(path.string()), damaged) << at << ": refused, yet the file changed";
    EXPECT_NE(run.err.find("kelva: "), std::string::npos) << at << ": refused without a word";
    return;
  }
  if (keptName.empty()) {
    ++outcomes.accepted;
    EXPECT_FALSE(dropped) << at << ": entries dropped but the damaged file was not kept\n"
                          << run.err;
    return;
  }
  ++outcomes.kept;
  EXPECT_TRUE(dropped) << at << ": kept as damaged without saying what was dropped\n" << run.err;
  EXPECT_EQ(ReadText((path.parent_path() / keptName).string()), damaged) << at;
  EXPECT_NE(run.err.find(keptName), std::string::npos) << at << ": the kept file is not named";
}

// A work directory after one part of the demo plan: the files a bench leaves behind.
void WriteBaseline(const std::string& work) {
  const ProcessResult run = RunKelva({"run", "--parts", "1", "--workdir", work});
  ASSERT_EQ(run.exitCode, 0) << run.err;
}

void Sweep(const std::string& file, const std::string& dropMark) {
  TempFolder folder;
  ASSERT_NO_FATAL_FAILURE(WriteBaseline(folder / "work"));
  const size_t size = ReadText(folder / ("work/" + file)).size();
  ASSERT_GT(size, 0u);
  SweepOutcomes outcomes;
  for (size_t offset = 0; offset < size; ++offset) {
    RunDamaged(folder / "work", file, offset, dropMark, outcomes);
    if (::testing::Test::HasFatalFailure()) return;
  }
  std::printf(
      "%s: %zu bytes flipped: %d read as they stand, %d dropped entries and kept the "
      "file, %d refused\n",
      file.c_str(), size, outcomes.accepted, outcomes.kept, outcomes.refused);
  EXPECT_GT(outcomes.kept, 0);  // a sweep that never damages anything tests nothing
}

}  // namespace

TEST(DurabilityTest, EveryByteOfTheSettingsFileDamagedInTurn) {
  Sweep("settings.txt", "Settings file '");
}

TEST(DurabilityTest, EveryByteOfTheHistoryFileDamagedInTurn) {
  Sweep(kHistoryName, "CKelSequencer::LoadHistory() :");
}
