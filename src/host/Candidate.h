#pragma once
// Identity of the part under test (the "candidate") and the host's test-property flags.
// The bench sets the identity when a part enters (McSetCandidate); the library reads it.

#include <ctime>
#include <string>

// The serial the host reports while no real part is in the bench.
extern const char* const mcNeutralSerialIdent;

// Test-property flags the library raises for the host.
enum mcTestPropertyFlags_t : int {
  // The part passed although its error list is not empty.
  tpOkWithErrors = 16,
};

std::string McGetSerial();
std::string McGetType();
std::string McGetBaseType();
std::string McGetPlatformName();
// The platform name under which statistics are kept: the override when one is set, else the
// platform name.
std::string McOverridenPlatformName();
std::time_t McGetInsertCandidateTime();

void McAddTestPropertyFlags(int flags);
void McRemoveTestPropertyFlags(int flags);
int McGetTestPropertyFlags();
// "none", or the set flags as decimal values joined by '|' in ascending order ("16|64").
std::string McTestPropertyFlagsText();

// The bench's side: a new part enters (the insertion time is the host clock's wall time);
// the test-property flags are cleared.
void McSetCandidate(const std::string& serial, const std::string& type,
                    const std::string& baseType);
// Back to the neutral serial with empty type and base type.
void McClearCandidate();
void McSetPlatformName(const std::string& platform);
// An empty override means none.
void McSetOverridenPlatformName(const std::string& platform);
