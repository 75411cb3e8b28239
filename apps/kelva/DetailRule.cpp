#include "DetailRule.h"

namespace DetailRule {

bool Records(int resultCode, int partNumber) {
  return resultCode != 1 || partNumber % static_cast<int>(kOkEvery) == 1;
}

std::vector<size_t> Shown(const std::vector<int>& resultCodes) {
  std::vector<bool> keep(resultCodes.size(), false);
  size_t notOk = 0;
  size_t ok = 0;
  for (size_t i = resultCodes.size(); i-- > 0;) {
    size_t& count = resultCodes[i] == 1 ? ok : notOk;
    const size_t bound = resultCodes[i] == 1 ? kOkSamples : kLatestNotOk;
    if (count < bound) keep[i] = true;
    ++count;
  }
  std::vector<size_t> shown;
  for (size_t i = 0; i < keep.size(); ++i)
    if (keep[i]) shown.push_back(i);
  return shown;
}

std::string Text() {
  return "Detail (stored values, spectra, tracks) is shown for the latest " +
         std::to_string(kLatestNotOk) + " parts that did not pass and for a sample of the O.K. " +
         "parts: every " + std::to_string(kOkEvery) + "th part (numbers 1, " +
         std::to_string(kOkEvery + 1) + ", " + std::to_string(2 * kOkEvery + 1) +
         ", ...) when it passed, the latest " + std::to_string(kOkSamples) + " of them.";
}

}  // namespace DetailRule
