// The limit-curve record: KelSigLimitCurve::ReadFromFile (version 1), and WriteToFile of what it
// read.
#include "FuzzSupport.h"
#include "host/File.h"
#include "store/KelSigLimitCurve.h"

namespace {

constexpr unsigned kVersion = 1;

bool Read(KelSigLimitCurve& curve, std::vector<uint8_t> bytes) {
  CMemFile file(std::move(bytes));
  return curve.ReadFromFile(file, kVersion);
}

std::vector<uint8_t> Write(const KelSigLimitCurve& curve) {
  CMemFile file;
  if (!curve.WriteToFile(file)) Fuzz::Fail("a read limit curve cannot be written");
  return file.Bytes();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  KelSigLimitCurve first;
  if (!Read(first, std::vector<uint8_t>(data, data + size))) return 0;
  KelSigLimitCurve second;
  Fuzz::RequireRoundTrip(first, second, Read, Write, "limit curve");
  return 0;
}
