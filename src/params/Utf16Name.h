#pragma once
// Names in the identifier tables of the learn file. In memory a name is UTF-8 (as the
// parameter database holds it); in the file it is n (int32: UTF-16 code units including the
// terminating zero) followed by the n code units, little-endian. A name holds at most
// kMaxUnits code units with its terminator, the size of the name field of the tables it is
// copied from.

#include <cstdint>
#include <string>
#include <string_view>

#include "host/File.h"

namespace Utf16Name {

inline constexpr int32_t kMaxUnits = 200;

// The UTF-16 form of a UTF-8 name, without terminator. The name ends at its first zero
// character (it is a C string in the file); a byte that is not part of a well-formed UTF-8
// sequence becomes U+FFFD; a name longer than kMaxUnits - 1 code units is cut to that length
// without splitting a surrogate pair.
std::u16string FromUtf8(std::string_view name);

// The UTF-8 form of UTF-16 code units; false (`name` unchanged) when they are not well-formed
// UTF-16 (a lone surrogate).
bool ToUtf8(std::u16string_view units, std::string& name);

// Writes n and the code units of FromUtf8(name) with their terminator.
bool Write(CFile& file, std::string_view name);

// Reads one name. False, with `why` saying what is wrong and `name` unchanged, when n is not in
// 1..kMaxUnits, the file ends inside the name, the last unit is not zero, a zero comes before
// it, or the units are not well-formed UTF-16.
bool Read(CFile& file, std::string& name, std::string& why);

}  // namespace Utf16Name
