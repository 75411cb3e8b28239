#include "BenchSettings.h"

#include <cstdint>
#include <limits>

#include "host/Params.h"
#include "host/Sea.h"

const char* const kPartCounterKey = "Bench-Simulation";

namespace {

// True when field `field` of the first line of `key` is set.
bool HasField(const CSeaBase& sea, const std::string& key, int field) {
  const CSeaBase::Entry* entry = sea.FindEntry(key);
  return entry != nullptr && !entry->empty() &&
         entry->front().size() > static_cast<size_t>(field) &&
         entry->front()[static_cast<size_t>(field)].has_value();
}

bool SetMissingInt(CSeaBase& sea, const std::string& key, int value, int field) {
  if (HasField(sea, key, field)) return false;
  sea.LookupSetInt(key, value, field);
  return true;
}

}  // namespace

std::vector<std::string> ApplyBenchSettings() {
  CSeaBase& sea = *CSeaBase::ApplicationSea();
  std::vector<std::string> applied;
  const auto note = [&](bool wrote, const std::string& key) {
    if (wrote && (applied.empty() || applied.back() != key)) applied.push_back(key);
  };
  bool wrote = SetMissingInt(sea, "Sequencer-Params", 0, 0);       // keep the history between parts
  wrote = SetMissingInt(sea, "Sequencer-Params", 10, 4) || wrote;  // single-value history depth
  // Spectrograms learn like spectra, so that their limits follow the good parts bin by bin.
  wrote = SetMissingInt(sea, "Sequencer-Params", 1, 3) || wrote;
  note(wrote, "Sequencer-Params");

  const CDtParamInstance params;
  const int codes[] = {1910, 1920, 1920, 1930};
  wrote = false;
  for (int field = 0; field < 4; ++field)
    if (params.ErrorCode().count(QIdx1(codes[field])) != 0)
      wrote = SetMissingInt(sea, "Terminal-ErrorCode", codes[field], field) || wrote;
  note(wrote, "Terminal-ErrorCode");

  return applied;
}

bool ReadPartCounter(int parts, int& last, std::string& error) {
  const CSeaBase& sea = *CSeaBase::ApplicationSea();
  last = 0;
  if (!sea.HasEntry(kPartCounterKey)) return true;
  const std::string text = sea.LookupGetString(kPartCounterKey, 0, "");
  const int64_t ceiling = std::numeric_limits<int32_t>::max() - static_cast<int64_t>(parts);
  int64_t value = 0;
  bool valid = !text.empty() && text.size() <= 10;
  for (const char c : text) {
    valid = valid && c >= '0' && c <= '9';
    if (valid) value = value * 10 + (c - '0');
  }
  if (!valid || value > ceiling) {
    error = "the part counter '" + std::string(kPartCounterKey) + " = " + text +
            "' must be a whole number from 0 to " + std::to_string(ceiling) + " for " +
            std::to_string(parts) + " more parts";
    return false;
  }
  last = static_cast<int>(value);
  return true;
}

void WritePartCounter(int last) {
  CSeaBase::ApplicationSea()->LookupSetInt(kPartCounterKey, last, 0);
}
