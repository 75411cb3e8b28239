#include "params/SignalNames.h"

#include "host/Params.h"

namespace {

const char* const kNoName = "\u2014";  // em dash

std::string SignalName(const CDtParamInstance& params, int id) {
  std::string name = params.ApplicationSignalName(id);
  if (name.empty()) name = kNoName;
  if (params.ShowIdsInDialogs()) name += " (" + std::to_string(id) + ")";
  return name;
}

// A half word of a combined channel; FFFF stands for -1.
int HalfWord(uint32_t bits) {
  return bits == 0xffff ? -1 : static_cast<int>(bits);
}

}  // namespace

CSignalNames::CSignalNames() {
  names_.reserve(32);
}

CSignalNames::CSignalNames(const CDescription& description) : CSignalNames() {
  set(description);
}

void CSignalNames::set(const CDescription& description) {
  names_.clear();
  names_.reserve(32);
  map_.clear();
  if (addInvalid_) map_[-1] = kNoName;
  const CDtParamInstance params;
  for (uint32_t i = 0; i < description.YDims(); ++i) {
    const CYChannel& channel = description.Y(i);
    std::string name;
    if ((channel.flags & CYChannel::flagCan) != 0) {
      name = "CAN";
    } else if ((channel.flags & CYChannel::flagCombined) != 0) {
      name = SignalName(params, HalfWord(channel.signal >> 16)) + " | " +
             SignalName(params, HalfWord(channel.signal & 0xffff));
    } else {
      name = SignalName(params, static_cast<int>(channel.signal));
    }
    names_.push_back(name);
    map_[static_cast<int>(i)] = name;
  }
}
