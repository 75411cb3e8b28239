#pragma once
// Which parts the report shows in detail (stored values, spectra and tracks with their limits).
// A long run must still give a report a browser opens, so detail is bounded: every part that
// did not pass is recorded, and of the parts that passed a sample: every 100th part (numbers 1,
// 101, 201, …) when it passed. The rule needs no count kept between runs, since part numbers
// never repeat in a work directory. The report then shows the latest 100 recorded parts that
// did not pass and the latest 50 recorded O.K. samples; the run keeps the detail file from
// growing beyond twice that.

#include <cstddef>
#include <string>
#include <vector>

namespace DetailRule {

constexpr size_t kLatestNotOk = 100;
constexpr size_t kOkEvery = 100;
constexpr size_t kOkSamples = 50;

// Whether the run records a part in detail: not O.K. (result code other than 1), or O.K. with
// partNumber % kOkEvery == 1.
bool Records(int resultCode, int partNumber);

// Of recorded parts in file order (their result codes), the indices the report shows: the
// latest kLatestNotOk not O.K. and the latest kOkSamples O.K., in file order.
std::vector<size_t> Shown(const std::vector<int>& resultCodes);

// The rule in one sentence, as the report's footer states it.
std::string Text();

}  // namespace DetailRule
