#pragma once
// What the fuzz targets share: a failed check that stops the fuzzer with a readable reason, the
// byte comparison of write -> read -> write, and the checksum that lets the fuzzer past a file's
// CRC-32 to the reader behind it.
//
// A target reads its input with the program's own reader. When the reader accepts it, the
// target writes what was read, reads that again and writes it again: both writes must give the
// same bytes (the reader and the writer agree on every field), and the second read must accept
// what the first write gave.

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace Fuzz {

// Prints "fuzz check failed: <what>" and aborts, which the fuzzer reports as a crash with the
// input that caused it.
[[noreturn]] void Fail(const std::string& what);

// Fails with the first differing byte when `first` and `second` differ.
void RequireSameBytes(const std::vector<uint8_t>& first, const std::vector<uint8_t>& second,
                      const std::string& what);

// The round trip of a reader that accepted an input into `first`: writes it, reads what was
// written into `second`, which must accept it, and writes again; both writes must give the same
// bytes. `read(T&, bytes)` says whether the bytes were accepted, `write(T&)` gives the bytes.
template <typename T, typename Read, typename Write>
void RequireRoundTrip(T& first, T& second, Read read, Write write, const std::string& what) {
  const std::vector<uint8_t> written = write(first);
  if (!read(second, written)) Fail("a " + what + " written from a read one is refused");
  RequireSameBytes(written, write(second), what + " written, read and written again");
}

// The input with its last four bytes replaced by the little-endian CRC-32 of the bytes before
// them (the input unchanged when it is shorter than four bytes): files that end in a checksum
// would otherwise stop nearly every input at the checksum.
std::vector<uint8_t> WithTrailingCrc(const uint8_t* data, size_t size);

// Writes `bytes` to this process's scratch file `name` (in $TMPDIR, else /tmp) and returns its
// path, for readers that take a path. The file is overwritten by the next call with that name
// and removed when the process ends.
std::string ScratchFile(const std::string& name, const std::string& bytes);

// Silences the output window's stderr copy: the readers report every refusal there, and a
// fuzzer refuses millions of inputs.
void QuietOutput();

}  // namespace Fuzz
