// The learn tables block of the learn file (docs/file-formats.md, "Learn tables"), and the
// identifier tables that go with it.
#include "host/Output.h"
#include "learn/KelLearnMachine.h"
#include "learn/KelLearnStore.h"

namespace {

bool ReadInt(CFile& file, int32_t& value) {
  return ReadLE(file, value);
}

}  // namespace

bool CKelLearnStore::WriteLearnTables(CFile& file) const {
  const int32_t chunks = static_cast<int32_t>(learnMask_.count());
  bool ok = WriteLE(file, kMagic) && WriteLE(file, kHeaderSize) && WriteLE(file, kFileVersion) &&
            WriteLE(file, chunks);
  for (int index = 0; index < kMachines && ok; ++index) {
    if (machines_[index] == nullptr || !learnMask_.test(index)) continue;
    ok = WriteLE(file, kChunkHeaderSize) && WriteLE(file, kTableVersion) &&
         WriteLE(file, kFirstChunkId + index) && machines_[index]->Write(file);
  }
  // A failed write is the file's to report (CFile::Failed, the caller's commit).
  return true;
}

bool CKelLearnStore::ReadAndTranslateLearnTables(CFile& file) {
  int32_t magic = 0;
  if (!ReadInt(file, magic)) return false;
  if (magic != kMagic) {
    PrWin::Output(1, 3, "Learnfile has no Learndata chunk, read magic %d not equal magic %d\n",
                  magic, kMagic);
    return false;
  }
  int32_t headerSize = 0;
  int32_t version = 0;
  if (!ReadInt(file, headerSize) || !ReadInt(file, version)) return false;
  if (version != kFileVersion) {
    PrWin::Output(1, 3, "Read learnfile version %d, doesn't match expected version %d\n", version,
                  kFileVersion);
    return false;
  }
  if (headerSize != kHeaderSize) return false;
  int32_t chunks = 0;
  if (!ReadInt(file, chunks)) return false;
  for (int32_t chunk = 0; chunk < chunks; ++chunk) {
    if (!ReadChunk(file)) return false;
  }
  return true;
}

bool CKelLearnStore::ReadChunk(CFile& file) {
  int32_t chunkHeaderSize = 0;
  int32_t tableVersion = 0;
  if (!ReadInt(file, chunkHeaderSize) || !ReadInt(file, tableVersion)) return false;
  if (tableVersion != kTableVersion) {
    PrWin::Output(1, 3, "Read learnfile table version %d newer then expected version %d\n",
                  tableVersion, kTableVersion);
    return false;
  }
  if (chunkHeaderSize != kChunkHeaderSize) return false;
  int32_t id = 0;
  if (!ReadInt(file, id)) return false;
  const int64_t index = int64_t{id} - kFirstChunkId;
  if (index < 0 || index >= kMachines) return false;
  CKelLearnMachine* machine = machines_[static_cast<size_t>(index)];
  return machine != nullptr && machine->Read(file);
}

bool CKelLearnStore::WriteDovetarBaseTables(CFile& file) {
  return Write(file);
}

bool CKelLearnStore::ReadDovetarBaseTables(CFile& file) {
  const bool read = Read(file);
  ReadChimneyWidths();
  return read;
}
