#include "learn/KelLearnItemFile.h"

#include "host/DynTables.h"

namespace KelLearnItemFile {

bool Write(CFile& file, const KelLearnSValue& item) {
  return DynTables::WriteTuple(file, item.tuple());
}

bool Read(CFile& file, KelLearnSValue& item, uint32_t valueVersion) {
  if (valueVersion == kValueVersion) return DynTables::ReadTuple(file, item.tuple());
  if (valueVersion != kOldScalarVersion) return false;
  return ReadLE(file, item.remaining) && ReadLE(file, item.count) && ReadLE(file, item.active) &&
         ReadLE(file, item.mean) && ReadLE(file, item.meanSquare);
}

bool Write(CFile& file, const KelLearnCurve& item) {
  const uint32_t hasCurves = item.Average().size() > 0 && item.SqAverage().size() > 0 ? 1 : 0;
  if (!DynTables::WriteTuple(file, item.tuple()) || !WriteLE(file, hasCurves)) return false;
  return hasCurves == 0 || (item.Average().WriteToFile(file) && item.SqAverage().WriteToFile(file));
}

bool Read(CFile& file, KelLearnCurve& item, uint32_t valueVersion) {
  uint32_t hasCurves = 0;
  if (valueVersion != kValueVersion || !DynTables::ReadTuple(file, item.tuple()) ||
      !ReadLE(file, hasCurves))
    return false;
  if (hasCurves == 0) {
    item.Average() = KelSigCurve();
    item.SqAverage() = KelSigCurve();
    return true;
  }
  return hasCurves == 1 && item.Average().ReadFromFile(file) && item.SqAverage().ReadFromFile(file);
}

}  // namespace KelLearnItemFile
