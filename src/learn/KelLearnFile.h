#pragma once
// The learn file of a part type: everything a learn store has learned, kept across runs of the
// bench (docs/file-formats.md, "Learn file"). It holds, in this order:
//   1. the identifier tables valid when it was written (CDovetarTranslator::Write),
//   2. the learn tables block (CKelLearnStore::WriteLearnTables; the track chunks carry the
//      value store's track key maps),
//   3. a uint32 CRC-32 of all bytes before it.
// A reader trusts nothing it has not checked: the checksum first (a changed or cut file is
// refused before anything is read into the store), then every block, then that the file ends
// right after its checksum.

#include <string>

#include "host/File.h"
#include "host/WholeFile.h"

class CKelLearnStore;

namespace KelLearnFile {

// Writes the whole file form; false when a write fails.
bool Write(CKelLearnStore& store, CFile& file);
// Reads a whole learn file into the store (its tables and its value store's track key maps are
// replaced). False with `why` when the file is refused; the store may then be partly filled and
// it is the caller's part to empty it.
bool Read(CKelLearnStore& store, CFile& file, std::string& why);

// Saves to `path` through a temporary file renamed into place; false with `error` when the
// file could not be written (the previous file is then unchanged).
bool Save(CKelLearnStore& store, const std::string& path, std::string& error);
// Reads `path` (ReadWholeFile: a damaged file is moved aside as "<path>.damaged-<UTC>").
WholeFileRead Load(CKelLearnStore& store, const std::string& path);

}  // namespace KelLearnFile
