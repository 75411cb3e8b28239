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

// The optimised build flips every byte. The sanitizer build, whose every run of the program
// costs ten times as much, flips every eleventh byte (both kinds of flip, since 11 is odd, at
// every position within records of 2, 4 or 8 bytes): it is there for memory errors on damaged
// input, and the behaviour of each byte is checked by the optimised build.
#if defined(__SANITIZE_ADDRESS__)  // g++
#define KELVA_SANITIZED_SWEEP 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)  // clang
#define KELVA_SANITIZED_SWEEP 1
#endif
#endif
#if defined(KELVA_SANITIZED_SWEEP)
constexpr size_t kSweepStride = 11;
#else
constexpr size_t kSweepStride = 1;
#endif

void Sweep(const std::string& file, const std::string& dropMark) {
  TempFolder folder;
  ASSERT_NO_FATAL_FAILURE(WriteBaseline(folder / "work"));
  const size_t size = ReadText(folder / ("work/" + file)).size();
  ASSERT_GT(size, 0u);
  SweepOutcomes outcomes;
  for (size_t offset = 0; offset < size; offset += kSweepStride) {
    RunDamaged(folder / "work", file, offset, dropMark, outcomes);
    if (::testing::Test::HasFatalFailure()) return;
  }
  std::printf(
      "%s: %zu bytes flipped: %d read as they stand, %d dropped entries and kept the "
      "file, %d refused\n",
      file.c_str(), (size + kSweepStride - 1) / kSweepStride, outcomes.accepted, outcomes.kept,
      outcomes.refused);
  EXPECT_GT(outcomes.kept, 0);  // a sweep that never damages anything tests nothing
}

}  // namespace

TEST(DurabilityTest, EveryByteOfTheSettingsFileDamagedInTurn) {
  Sweep("settings.txt", "Settings file '");
}

TEST(DurabilityTest, EveryByteOfTheHistoryFileDamagedInTurn) {
  Sweep(kHistoryName, "CKelSequencer::LoadHistory() :");
}

namespace {

// Serials of the complete part lines in a --json output (a killed run may end mid-line).
std::vector<std::string> SerialsIn(const std::string& output) {
  std::vector<std::string> serials;
  std::istringstream in(output);
  for (std::string line; std::getline(in, line);) {
    if (!nlohmann::json::accept(line)) continue;
    const nlohmann::json part = nlohmann::json::parse(line);
    if (part.contains("serial")) serials.push_back(part["serial"].get<std::string>());
  }
  return serials;
}

int KillCount() {
  const char* count = std::getenv("KELVA_KILL_COUNT");
  return count != nullptr && std::atoi(count) > 0 ? std::atoi(count) : 10;
}

}  // namespace

TEST(DurabilityTest, RunsKilledAtRandomMomentsLeaveWholeFilesAndNeverRepeatASerial) {
  TempFolder folder;
  const std::string work = folder / "work";
  std::mt19937 random(20261206);
  std::uniform_int_distribution<int> delayMs(0, 1500);
  std::set<std::string> issued;
  int killed = 0;
  const auto take = [&](const std::vector<std::string>& serials) {
    for (const std::string& serial : serials)
      EXPECT_TRUE(issued.insert(serial).second) << "serial " << serial << " issued twice";
  };
  const int count = KillCount();
  for (int i = 0; i < count && !::testing::Test::HasFailure(); ++i) {
    const pid_t pid =
        StartKelva({"run", "--parts", "2000", "--save-every", "10", "--json", "--workdir", work},
                   folder / "out", folder / "err");
    ASSERT_GT(pid, 0);
    std::this_thread::sleep_for(std::chrono::milliseconds(delayMs(random)));
    ::kill(pid, SIGKILL);
    const int status = WaitForKelva(pid);
    ASSERT_TRUE(status == 128 + SIGKILL || status == 0) << status << ReadText(folder / "err");
    killed += status == 128 + SIGKILL ? 1 : 0;
    EXPECT_EQ(ReadText(folder / "err").find("Settings file '"), std::string::npos)
        << "run " << i << ":\n"
        << ReadText(folder / "err");
    take(SerialsIn(ReadText(folder / "out")));
  }

  // The run after the last kill finds whole files: nothing dropped, nothing kept as damaged.
  const ProcessResult last =
      RunKelva({"run", "--parts", "20", "--json", "--verbose", "--workdir", work});
  ASSERT_EQ(last.exitCode, 0) << last.err;
  EXPECT_EQ(last.err.find("Settings file '"), std::string::npos) << last.err;
  EXPECT_EQ(last.err.find("LoadHistory() :"), std::string::npos) << last.err;
  EXPECT_TRUE(NamesStartingWith(work, "settings.txt.").empty());
  EXPECT_TRUE(NamesStartingWith(work + "/History", "EOL-3_GT2-A.dhf.").empty());
  EXPECT_TRUE(fs::is_regular_file(work + "/" + kHistoryName));
  const std::vector<std::string> serials = SerialsIn(last.out);
  EXPECT_EQ(serials.size(), 20u);
  take(serials);
  std::printf("%d runs started, %d killed, %zu serials seen, none twice\n", count, killed,
              issued.size());
  EXPECT_GT(killed, 0);
}
