#include "MemoryCurve.h"

#include <algorithm>
#include <charconv>

#include "LineReader.h"
#include "MemorySamples.h"

namespace {

// A whole number from 0 up to the end of `text` or the next comma, which is consumed.
bool TakeNumber(std::string_view& text, int64_t& value) {
  const size_t end = std::min(text.find(','), text.size());
  const std::string_view digits = text.substr(0, end);
  if (digits.empty() || digits.find_first_not_of("0123456789") != std::string_view::npos)
    return false;
  const auto [last, error] = std::from_chars(digits.data(), digits.data() + digits.size(), value);
  if (error != std::errc() || last != digits.data() + digits.size()) return false;
  text.remove_prefix(end == text.size() ? end : end + 1);
  return true;
}

MemoryHalf Half(std::vector<MemorySample>::const_iterator begin,
                std::vector<MemorySample>::const_iterator end) {
  MemoryHalf half;
  half.firstParts = begin->parts;
  half.lastParts = (end - 1)->parts;
  for (auto it = begin; it != end; ++it) {
    half.maxRssKib = std::max(half.maxRssKib, it->rssKib);
    half.maxPeakKib = std::max(half.maxPeakKib, it->peakKib);
  }
  return half;
}

}  // namespace

bool ReadMemorySamples(const std::string& path, std::vector<MemorySample>& samples,
                       std::string& error) {
  samples.clear();
  CLineReader reader;
  if (!reader.Open(path, error)) return false;
  std::string_view line;
  std::string readError;
  size_t number = 0;
  while (reader.Next(line, readError)) {
    ++number;
    // A run in progress may be writing its last line.
    if (!reader.LineEnded()) break;
    const std::string where = path + ":" + std::to_string(number) + ": ";
    if (number == 1) {
      if (line != CMemorySamples::kHeader) {
        error = where + "expected the header \"" + CMemorySamples::kHeader + "\"";
        return false;
      }
      continue;
    }
    MemorySample sample;
    std::string_view rest = line;
    if (!TakeNumber(rest, sample.parts) || !TakeNumber(rest, sample.rssKib) ||
        !TakeNumber(rest, sample.peakKib) || !rest.empty() || line.back() == ',') {
      error = where + "expected three whole numbers: parts, rss_kib, peak_kib";
      return false;
    }
    if (!samples.empty() && sample.parts <= samples.back().parts) {
      error = where + "the parts must rise from sample to sample";
      return false;
    }
    samples.push_back(sample);
  }
  if (!readError.empty()) {
    error = readError;
    return false;
  }
  if (number == 0) {
    error = path + ": empty, expected the header \"" + std::string(CMemorySamples::kHeader) + "\"";
    return false;
  }
  return true;
}

MemoryVerdict JudgeMemory(const std::vector<MemorySample>& samples, int64_t warmUpParts) {
  MemoryVerdict verdict;
  const auto from = std::find_if(samples.begin(), samples.end(),
                                 [warmUpParts](const auto& s) { return s.parts >= warmUpParts; });
  verdict.judgedSamples = static_cast<size_t>(samples.end() - from);
  if (verdict.judgedSamples < kMinJudgedSamples) {
    verdict.reason = "not judged: " + std::to_string(verdict.judgedSamples) +
                     " samples after the warm-up of " + std::to_string(warmUpParts) +
                     " parts, at least " + std::to_string(kMinJudgedSamples) + " are needed";
    return verdict;
  }
  verdict.judged = true;
  const auto middle = from + static_cast<std::ptrdiff_t>(verdict.judgedSamples / 2);
  verdict.earlier = Half(from, middle);
  verdict.later = Half(middle, samples.end());
  verdict.marginKib = std::max(kMarginFloorKib, verdict.earlier.maxRssKib * kMarginPercent / 100);
  const int64_t rssGrowth = verdict.later.maxRssKib - verdict.earlier.maxRssKib;
  const int64_t peakGrowth = verdict.later.maxPeakKib - verdict.earlier.maxPeakKib;
  verdict.flat = rssGrowth <= verdict.marginKib && peakGrowth <= verdict.marginKib;
  const std::string margin = " (margin " + std::to_string(verdict.marginKib) + " KiB)";
  if (rssGrowth > verdict.marginKib)
    verdict.reason = "not flat: the later half's largest resident size is " +
                     std::to_string(rssGrowth) + " KiB above the earlier half's" + margin;
  else if (peakGrowth > verdict.marginKib)
    verdict.reason = "not flat: the later half's peak is " + std::to_string(peakGrowth) +
                     " KiB above the earlier half's" + margin;
  else
    verdict.reason = "flat: the later half's largest resident size and peak stay within " +
                     std::to_string(verdict.marginKib) + " KiB of the earlier half's";
  return verdict;
}
