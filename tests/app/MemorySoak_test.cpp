// The run's memory over many parts: the samples `kelva run --memory-every` writes, the rule that
// judges them (MemoryCurve.h, the rule scripts/soak applies through `kelva inspect memory`), and
// a soak of the demo plan long enough for every bounded store to reach its bound.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

#include "MemoryCurve.h"
#include "MemorySamples.h"
#include "app/KelvaProcess.h"

namespace {

// Samples every `every` parts from `from` to `to`, resident size rss(parts), peak the largest
// resident size so far plus `extraPeak`(parts).
template <class Rss, class ExtraPeak>
std::vector<MemorySample> Curve(int64_t from, int64_t to, int64_t every, Rss rss,
                                ExtraPeak extraPeak) {
  std::vector<MemorySample> samples;
  int64_t peak = 0;
  for (int64_t parts = from; parts <= to; parts += every) {
    peak = std::max(peak, rss(parts) + extraPeak(parts));
    samples.push_back({parts, rss(parts), peak});
  }
  return samples;
}

const auto kNoExtra = [](int64_t) { return int64_t{0}; };

}  // namespace

TEST(MemoryCurveTest, FlatAfterTheWarmUpWithinTheMargin) {
  // Growth during the warm-up does not count; afterwards the resident size wanders by 1 MiB.
  const auto rss = [](int64_t parts) {
    return parts < 2000 ? 8000 + 3 * parts : int64_t{15000} + (parts / 500) % 2 * 1024;
  };
  const MemoryVerdict verdict = JudgeMemory(Curve(0, 10000, 500, rss, kNoExtra), 3000);
  ASSERT_TRUE(verdict.judged) << verdict.reason;
  EXPECT_TRUE(verdict.flat) << verdict.reason;
  EXPECT_EQ(verdict.judgedSamples, 15u);
  // 15 samples: 7 earlier (3000 … 6000), 8 later (6500 … 10000).
  EXPECT_EQ(verdict.earlier.firstParts, 3000);
  EXPECT_EQ(verdict.earlier.lastParts, 6000);
  EXPECT_EQ(verdict.later.firstParts, 6500);
  EXPECT_EQ(verdict.later.lastParts, 10000);
  EXPECT_EQ(verdict.earlier.maxRssKib, 16024);
  EXPECT_EQ(verdict.marginKib, 2048);  // 5 % of 16024 KiB is less than 2 MiB
  EXPECT_EQ(verdict.reason,
            "flat: the later half's largest resident size and peak stay within 2048 KiB of the "
            "earlier half's");
}

TEST(MemoryCurveTest, ALeakOfAKibibyteAPartIsNotFlat) {
  const auto leaking = [](int64_t parts) { return 15000 + parts; };  // 1 KiB a part
  const MemoryVerdict verdict = JudgeMemory(Curve(0, 8000, 500, leaking, kNoExtra), 3000);
  ASSERT_TRUE(verdict.judged);
  EXPECT_FALSE(verdict.flat);
  // Earlier half 3000 … 5000, later 5500 … 8000.
  EXPECT_EQ(verdict.later.maxRssKib - verdict.earlier.maxRssKib, 3000);
  EXPECT_EQ(verdict.reason,
            "not flat: the later half's largest resident size is 3000 KiB above the earlier "
            "half's (margin 2048 KiB)");
  // Over 3,000 parts after the warm-up the same leak adds 2,000 KiB between the halves' maxima,
  // within the margin: a leak this small needs a longer run to show.
  EXPECT_TRUE(JudgeMemory(Curve(0, 6000, 500, leaking, kNoExtra), 3000).flat);
}

TEST(MemoryCurveTest, APeakThatGrowsBetweenSamplesIsNotFlat) {
  // The resident size between samples is flat, but a transient (a file rewritten in the middle
  // of a part) takes more each time it comes.
  const auto flat = [](int64_t) { return int64_t{15000}; };
  const auto transient = [](int64_t parts) { return parts % 1500 == 0 ? parts : 0; };
  const MemoryVerdict verdict = JudgeMemory(Curve(0, 9000, 500, flat, transient), 3000);
  ASSERT_TRUE(verdict.judged);
  EXPECT_FALSE(verdict.flat);
  // Earlier half 3000 … 5500 (largest transient at 4500), later 6000 … 9000.
  EXPECT_EQ(verdict.later.maxPeakKib - verdict.earlier.maxPeakKib, 4500);
  EXPECT_EQ(verdict.reason,
            "not flat: the later half's peak is 4500 KiB above the earlier half's (margin 2048 "
            "KiB)");
  // A transient of bounded size, first seen before the judged samples, is flat.
  const auto bounded = [](int64_t parts) { return parts % 1500 == 0 ? int64_t{40000} : 0; };
  EXPECT_TRUE(JudgeMemory(Curve(0, 9000, 500, flat, bounded), 3000).flat);
}

TEST(MemoryCurveTest, TheMarginIsFivePercentOfALargeResidentSize) {
  // 400 MiB: the margin is 20 MiB, so 19 MiB more is flat and 21 MiB more is not.
  constexpr int64_t kBase = 400 * 1024;
  const auto step = [](int64_t more) {
    return [more](int64_t parts) { return parts >= 6500 ? kBase + more : kBase; };
  };
  const MemoryVerdict within = JudgeMemory(Curve(0, 10000, 500, step(19 * 1024), kNoExtra), 3000);
  EXPECT_EQ(within.marginKib, 20 * 1024);
  EXPECT_TRUE(within.flat) << within.reason;
  EXPECT_FALSE(JudgeMemory(Curve(0, 10000, 500, step(21 * 1024), kNoExtra), 3000).flat);
}

TEST(MemoryCurveTest, TooFewSamplesAfterTheWarmUpAreNotJudged) {
  const auto flat = [](int64_t) { return int64_t{15000}; };
  const MemoryVerdict verdict = JudgeMemory(Curve(0, 4000, 500, flat, kNoExtra), 3000);
  EXPECT_FALSE(verdict.judged);
  EXPECT_FALSE(verdict.flat);
  EXPECT_EQ(verdict.reason,
            "not judged: 3 samples after the warm-up of 3000 parts, at least 4 are needed");
  EXPECT_FALSE(JudgeMemory({}, 0).judged);
  EXPECT_TRUE(JudgeMemory(Curve(0, 4500, 500, flat, kNoExtra), 3000).judged);
}

TEST(MemoryCurveTest, TheSamplesFileIsReadStrictly) {
  TempFolder folder;
  const std::string path = folder / "memory.csv";
  std::vector<MemorySample> samples;
  std::string error;
  WriteText(path, "parts,rss_kib,peak_kib\n0,8776,8776\n500,13484,14132\n1000,13960,14");
  ASSERT_TRUE(ReadMemorySamples(path, samples, error)) << error;
  ASSERT_EQ(samples.size(), 2u);  // the last line is still being written
  EXPECT_EQ(samples[1].parts, 500);
  EXPECT_EQ(samples[1].rssKib, 13484);
  EXPECT_EQ(samples[1].peakKib, 14132);

  const std::pair<std::string, std::string> damaged[] = {
      {"", path + ": empty, expected the header \"parts,rss_kib,peak_kib\""},
      {"parts,rss\n0,1,1\n", path + ":1: expected the header \"parts,rss_kib,peak_kib\""},
      {"parts,rss_kib,peak_kib\n0,1\n",
       path + ":2: expected three whole numbers: parts, rss_kib, peak_kib"},
      {"parts,rss_kib,peak_kib\n0,1,2,\n",
       path + ":2: expected three whole numbers: parts, rss_kib, peak_kib"},
      {"parts,rss_kib,peak_kib\n0,-1,2\n",
       path + ":2: expected three whole numbers: parts, rss_kib, peak_kib"},
      {"parts,rss_kib,peak_kib\n0,1,99999999999999999999\n",
       path + ":2: expected three whole numbers: parts, rss_kib, peak_kib"},
      {"parts,rss_kib,peak_kib\n500,1,2\n500,1,2\n",
       path + ":3: the parts must rise from sample to sample"},
  };
  for (const auto& [text, expected] : damaged) {
    WriteText(path, text);
    EXPECT_FALSE(ReadMemorySamples(path, samples, error)) << text;
    EXPECT_EQ(error, expected);
  }
  EXPECT_FALSE(ReadMemorySamples(folder / "none.csv", samples, error));
  EXPECT_NE(error.find(folder / "none.csv"), std::string::npos) << error;
}

TEST(MemorySamplesTest, ReadsResidentSizeAndPeakFromTheStatusFile) {
  MemoryReading reading;
  std::string error;
  ASSERT_TRUE(ReadMemoryStatus("/proc/self/status", reading, error)) << error;
  EXPECT_GT(reading.rssKib, 0);
  EXPECT_GE(reading.peakKib, reading.rssKib);

  TempFolder folder;
  WriteText(folder / "status", "Name:\tkelva\nVmHWM:\t   14572 kB\nVmRSS:\t   13868 kB\n");
  ASSERT_TRUE(ReadMemoryStatus(folder / "status", reading, error)) << error;
  EXPECT_EQ(reading.rssKib, 13868);
  EXPECT_EQ(reading.peakKib, 14572);
  WriteText(folder / "status", "Name:\tkelva\nVmRSS:\t   13868 kB\n");
  EXPECT_FALSE(ReadMemoryStatus(folder / "status", reading, error));
  EXPECT_EQ(error, "cannot read the process's memory from " + folder / "status" +
                       ": it has no VmRSS and VmHWM lines in kB");
  WriteText(folder / "status", "VmHWM:\t   14572 MB\nVmRSS:\t   13868 kB\n");
  EXPECT_FALSE(ReadMemoryStatus(folder / "status", reading, error));
  EXPECT_FALSE(ReadMemoryStatus(folder / "missing", reading, error));
  EXPECT_EQ(error, "cannot read the process's memory from " + folder / "missing" +
                       ": No such file or directory");
}

TEST(MemorySamplesTest, WithoutAStatusFileTheRunGoesOnWithoutSamplesAndSaysSoOnce) {
  TempFolder folder;
  const std::string csv = folder / "memory.csv";
  WriteText(csv, "parts,rss_kib,peak_kib\n0,1,1\n");  // an older run's samples
  CMemorySamples memory(csv, 2, folder / "no-proc/self/status");
  testing::internal::CaptureStderr();
  memory.Start();
  for (int parts = 1; parts <= 6; ++parts) memory.AfterPart(parts);
  const std::string said = testing::internal::GetCapturedStderr();
  EXPECT_EQ(said, "kelva: cannot read the process's memory from " + folder / "no-proc/self/status" +
                      ": No such file or directory; the run goes on without memory samples\n");
  EXPECT_EQ(ReadText(csv), "parts,rss_kib,peak_kib\n");

  // Samples at part 0 and every second part.
  CMemorySamples sampled(csv, 2);
  sampled.Start();
  for (int parts = 1; parts <= 5; ++parts) sampled.AfterPart(parts);
  std::vector<MemorySample> samples;
  std::string error;
  ASSERT_TRUE(ReadMemorySamples(csv, samples, error)) << error;
  ASSERT_EQ(samples.size(), 3u);
  EXPECT_EQ(samples[0].parts, 0);
  EXPECT_EQ(samples[1].parts, 2);
  EXPECT_EQ(samples[2].parts, 4);
  EXPECT_GT(samples[2].rssKib, 0);
}

TEST(MemorySamplesTest, AnUnwritableSamplesFileLeavesTheRunAsItIs) {
  TempFolder folder;
  const ProcessResult run =
      RunKelva({"run", "--parts", "3", "--memory-every", "1", "--workdir", folder / "work"});
  ASSERT_EQ(run.exitCode, 0) << run.err;
  EXPECT_EQ(ReadText(folder / "work/memory.csv").substr(0, 23), "parts,rss_kib,peak_kib\n");

  // memory.csv replaced by a folder: said once, the run completes and saves as always.
  std::filesystem::remove(folder / "work/memory.csv");
  std::filesystem::create_directories(folder / "work/memory.csv");
  const ProcessResult blocked =
      RunKelva({"run", "--parts", "3", "--memory-every", "1", "--workdir", folder / "work"});
  EXPECT_EQ(blocked.exitCode, 0) << blocked.err;
  EXPECT_NE(blocked.err.find("; the run goes on without memory samples\n"), std::string::npos)
      << blocked.err;
  EXPECT_EQ(blocked.err.find("memory samples"), blocked.err.rfind("memory samples"));
  EXPECT_NE(blocked.out.find("Summary: 3 parts"), std::string::npos);

  EXPECT_EQ(RunKelva({"run", "--memory-every", "0", "--workdir", folder / "w"}).exitCode, 2);
  const ProcessResult none = RunKelva({"inspect", "memory", folder / "w"});
  EXPECT_EQ(none.exitCode, 2);
  EXPECT_NE(none.err.find("memory.csv: cannot be read"), std::string::npos) << none.err;
}

namespace {

#if defined(__SANITIZE_ADDRESS__)
constexpr bool kSanitized = true;
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
constexpr bool kSanitized = true;
#else
constexpr bool kSanitized = false;
#endif
#else
constexpr bool kSanitized = false;
#endif

// The soak: enough parts for every bounded store of the demo plan to reach its bound (the
// rule's default warm-up) and 2,000 parts after it, sampled every 500 parts; 15 to 25 s.
//
// Under the address sanitizer a part takes ten times as long, and the resident size is the
// sanitizer's: freed blocks wait in its quarantine (up to 256 MiB) with their shadow memory, so
// the demo plan's run climbs from 160 MB to 520 MB over its first 200 parts whatever the program
// keeps. There the soak is 200 parts, sampled every 50 (about 20 s), and checks the samples and
// that the parts run clean; the verdict is left to the build without sanitizers.
constexpr int kSoakEvery = kSanitized ? 50 : 500;
constexpr int kSoakParts = kSanitized ? 200 : static_cast<int>(kDefaultWarmUpParts) + 2000;

}  // namespace

TEST(MemorySoakTest, TheDemoPlanRunsWithFlatMemoryAfterTheWarmUp) {
  TempFolder folder;
  const ProcessResult run =
      RunKelva({"run", "--parts", std::to_string(kSoakParts), "--memory-every",
                std::to_string(kSoakEvery), "--workdir", folder / "work"});
  ASSERT_EQ(run.exitCode, 0) << run.err;
  EXPECT_EQ(run.err, "");

  std::vector<MemorySample> samples;
  std::string error;
  ASSERT_TRUE(ReadMemorySamples(folder / "work/memory.csv", samples, error)) << error;
  ASSERT_EQ(samples.size(), static_cast<size_t>(kSoakParts / kSoakEvery + 1));
  for (size_t i = 0; i < samples.size(); ++i) {
    EXPECT_EQ(samples[i].parts, static_cast<int64_t>(i) * kSoakEvery);
    EXPECT_GT(samples[i].rssKib, 0);
    EXPECT_GE(samples[i].peakKib, samples[i].rssKib);
  }
  if (kSanitized) return;

  // The rule as scripts/soak applies it: `kelva inspect memory` with the default warm-up.
  const ProcessResult inspect = RunKelva({"inspect", "memory", folder / "work"});
  EXPECT_EQ(inspect.exitCode, 0) << inspect.out << inspect.err;
  EXPECT_NE(inspect.out.find("\nverdict: flat: "), std::string::npos) << inspect.out;
  const MemoryVerdict verdict = JudgeMemory(samples, kDefaultWarmUpParts);
  EXPECT_TRUE(verdict.flat) << verdict.reason << "\n" << inspect.out;
}
