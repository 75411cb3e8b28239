#include "InspectMemoryCommand.h"

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "MemoryCurve.h"
#include "MemorySamples.h"

namespace {

std::string Kib(int64_t kib) {
  char text[48];
  std::snprintf(text, sizeof(text), "%lld KiB (%.1f MiB)", static_cast<long long>(kib),
                static_cast<double>(kib) / 1024.0);
  return text;
}

}  // namespace

int InspectMemory(const InspectMemoryOptions& options) {
  std::string workdir = options.workdir;
  if (!workdir.empty() && workdir.back() != '/') workdir += '/';
  const std::string path = CMemorySamples::File(workdir);
  std::vector<MemorySample> samples;
  std::string error;
  if (!ReadMemorySamples(path, samples, error)) {
    std::fprintf(stderr, "kelva: %s\n", error.c_str());
    return 2;
  }
  std::printf("Memory samples %s\n%10s %12s %12s\n", path.c_str(), "parts", "rss KiB", "peak KiB");
  for (const MemorySample& s : samples)
    std::printf("%10lld %12lld %12lld\n", static_cast<long long>(s.parts),
                static_cast<long long>(s.rssKib), static_cast<long long>(s.peakKib));
  const MemoryVerdict verdict = JudgeMemory(samples, options.warmUpParts);
  if (!samples.empty()) {
    const MemorySample& first = samples.front();
    std::printf("first sample: part %lld, resident %s\n", static_cast<long long>(first.parts),
                Kib(first.rssKib).c_str());
    const auto judged = samples.end() - static_cast<std::ptrdiff_t>(verdict.judgedSamples);
    if (judged != samples.end()) {
      const auto [least, most] = std::minmax_element(
          judged, samples.end(), [](const auto& a, const auto& b) { return a.rssKib < b.rssKib; });
      std::printf("after the warm-up of %lld parts: part %lld, resident %s\n",
                  static_cast<long long>(options.warmUpParts),
                  static_cast<long long>(judged->parts), Kib(judged->rssKib).c_str());
      std::printf("resident after the warm-up: min %s, max %s\n", Kib(least->rssKib).c_str(),
                  Kib(most->rssKib).c_str());
    }
    const MemorySample& last = samples.back();
    std::printf("last sample: part %lld, resident %s, peak %s\n",
                static_cast<long long>(last.parts), Kib(last.rssKib).c_str(),
                Kib(last.peakKib).c_str());
  }
  if (verdict.judged) {
    for (const auto& [name, half] :
         {std::pair<const char*, const MemoryHalf&>{"earlier", verdict.earlier},
          {"later", verdict.later}})
      std::printf("%s half (parts %lld to %lld): resident max %s, peak %s\n", name,
                  static_cast<long long>(half.firstParts), static_cast<long long>(half.lastParts),
                  Kib(half.maxRssKib).c_str(), Kib(half.maxPeakKib).c_str());
  }
  std::printf("verdict: %s\n", verdict.reason.c_str());
  std::fflush(stdout);
  if (!verdict.judged) {
    std::fprintf(stderr, "kelva: %s: %s\n", path.c_str(), verdict.reason.c_str());
    return 2;
  }
  return verdict.flat ? 0 : 1;
}
