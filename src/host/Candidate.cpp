#include "host/Candidate.h"

#include "host/Clock.h"

const char* const mcNeutralSerialIdent = "NEUTRAL";

namespace {

struct Identity {
  std::string serial = mcNeutralSerialIdent;
  std::string type;
  std::string baseType;
  std::string platform;
  std::string platformOverride;
  std::time_t inserted = 0;
  int flags = 0;
};

Identity& Current() {
  static Identity identity;
  return identity;
}

}  // namespace

std::string McGetSerial() {
  return Current().serial;
}
std::string McGetType() {
  return Current().type;
}
std::string McGetBaseType() {
  return Current().baseType;
}
std::string McGetPlatformName() {
  return Current().platform;
}

std::string McOverridenPlatformName() {
  return Current().platformOverride.empty() ? Current().platform : Current().platformOverride;
}

std::time_t McGetInsertCandidateTime() {
  return Current().inserted;
}

void McAddTestPropertyFlags(int flags) {
  Current().flags |= flags;
}
void McRemoveTestPropertyFlags(int flags) {
  Current().flags &= ~flags;
}
int McGetTestPropertyFlags() {
  return Current().flags;
}

std::string McTestPropertyFlagsText() {
  const unsigned flags = static_cast<unsigned>(Current().flags);
  if (flags == 0) return "none";
  std::string text;
  for (unsigned bit = 0; bit < 32; ++bit) {
    if ((flags & (1u << bit)) == 0) continue;
    if (!text.empty()) text += '|';
    text += std::to_string(1ull << bit);
  }
  return text;
}

void McSetCandidate(const std::string& serial, const std::string& type,
                    const std::string& baseType) {
  Current().serial = serial;
  Current().type = type;
  Current().baseType = baseType;
  Current().inserted = HostClock::WallTime();
  Current().flags = 0;
}

void McClearCandidate() {
  Current().serial = mcNeutralSerialIdent;
  Current().type.clear();
  Current().baseType.clear();
  Current().inserted = 0;
}

void McSetPlatformName(const std::string& platform) {
  Current().platform = platform;
}

void McSetOverridenPlatformName(const std::string& platform) {
  Current().platformOverride = platform;
}
