#pragma once
// The learn items' rows in the learn file (docs/file-formats.md, "Learn file"). A row is the
// key group followed by the item; these functions write and read the item.
//
// Scalar item, value-group version 2: one field group of 7 fields (remaining, count, active,
// initTime, restartTime, mean, meanSquare). Version 1 (read only): five raw 32-bit values
// remaining, count, active, mean, meanSquare; the times keep the item's "now".
// Curve item, version 2: a field group of the 5 kernel fields, a raw uint32 flag (1 when both
// curves have samples), then with flag 1 Average and SqAverage in the curve's file form.
//
// Readers return false when the file ends inside the item or a field group has another
// layout; the item may then be partly read.

#include <cstdint>

#include "host/File.h"
#include "learn/KelLearnCurve.h"
#include "learn/KelLearnSValue.h"

namespace KelLearnItemFile {

// The value-group version that the writers write.
inline constexpr uint32_t kValueVersion = 2;
// The older scalar row form.
inline constexpr uint32_t kOldScalarVersion = 1;

bool Write(CFile& file, const KelLearnSValue& item);
bool Read(CFile& file, KelLearnSValue& item, uint32_t valueVersion);
bool Write(CFile& file, const KelLearnCurve& item);
// Only version 2 exists for curve rows.
bool Read(CFile& file, KelLearnCurve& item, uint32_t valueVersion);

}  // namespace KelLearnItemFile
