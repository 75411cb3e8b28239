#include "params/DovetarTranslator.h"

#include "host/Output.h"

namespace {

std::string ChunkText(int32_t chunk, int32_t tables) {
  return "chunk " + std::to_string(chunk + 1) + " of " + std::to_string(tables);
}

}  // namespace

CDovetarTranslator::CDovetarTranslator()
    : names_{std::make_unique<CDovetarIdNameTableTranslator>(params_, &CDtParamInstance::Mode),
             std::make_unique<CDovetarIdNameTableTranslator>(params_,
                                                             &CDtParamInstance::Instrument),
             std::make_unique<CDovetarIdNameTableTranslator>(params_, &CDtParamInstance::Channel),
             std::make_unique<CDovetarIdNameTableTranslator>(params_, &CDtParamInstance::Location)},
      instrumentParams_(std::make_unique<CInstrumentParamTableTranslator>(params_)) {}

CDovetarTranslator::~CDovetarTranslator() = default;

CDovetarTableTranslator& CDovetarTranslator::Translator(int32_t index) {
  if (index == tiInstrumentParam) return *instrumentParams_;
  return *names_.at(static_cast<size_t>(index));
}

const CDovetarTableTranslator& CDovetarTranslator::Translator(int32_t index) const {
  return const_cast<CDovetarTranslator&>(*this).Translator(index);
}

const CDovetarIdNameTableTranslator& CDovetarTranslator::NameTable(table_index_t index) const {
  return *names_.at(static_cast<size_t>(index));
}

bool CDovetarTranslator::Write(CFile& file) {
  if (!WriteLE(file, kMagic) || !WriteLE(file, kFileHeaderSize) || !WriteLE(file, kVersion) ||
      !WriteLE(file, kTables))
    return false;
  for (int32_t index = 0; index < kTables; ++index) {
    if (!WriteLE(file, kChunkHeaderSize) || !WriteLE(file, kVersion) || !WriteLE(file, index) ||
        !Translator(index).Write(file))
      return false;
  }
  return true;
}

bool CDovetarTranslator::ReadFileHeader(CFile& file, int32_t& tables, std::string& why) {
  int32_t magic = 0, size = 0, version = 0;
  if (!ReadLE(file, magic) || !ReadLE(file, size) || !ReadLE(file, version) ||
      !ReadLE(file, tables)) {
    why = "the file header is cut short";
    return false;
  }
  if (magic != kMagic || size != kFileHeaderSize || version != kVersion) {
    why = "the file header has magic " + std::to_string(magic) + ", size " + std::to_string(size) +
          " and version " + std::to_string(version) + " instead of 1953, 16 and 1";
    return false;
  }
  if (tables < 0) {
    why = "the file header announces " + std::to_string(tables) + " tables";
    return false;
  }
  return true;
}

bool CDovetarTranslator::ReadChunk(CFile& file, int32_t chunk, int32_t tables, std::string& why) {
  int32_t size = 0, version = 0, index = 0;
  if (!ReadLE(file, size) || !ReadLE(file, version) || !ReadLE(file, index)) {
    why = ChunkText(chunk, tables) + ": its chunk header is cut short";
    return false;
  }
  if (size != kChunkHeaderSize || version != kVersion || index < 0 || index >= kTables) {
    why = ChunkText(chunk, tables) + ": its chunk header has size " + std::to_string(size) +
          ", version " + std::to_string(version) + " and table index " + std::to_string(index) +
          " instead of 12, 1 and 0..4";
    return false;
  }
  std::string tableWhy;
  if (!Translator(index).Read(file, tableWhy)) {
    why = ChunkText(chunk, tables) + " (table " + std::to_string(index) + "): " + tableWhy;
    return false;
  }
  return true;
}

bool CDovetarTranslator::Read(CFile& file, std::string& why) {
  for (int32_t index = 0; index < kTables; ++index) Translator(index).Clear();
  int32_t tables = 0;
  if (!ReadFileHeader(file, tables, why)) return false;
  for (int32_t chunk = 0; chunk < tables; ++chunk) {
    if (!ReadChunk(file, chunk, tables, why)) return false;
  }
  return true;
}

bool CDovetarTranslator::Read(CFile& file) {
  std::string why;
  if (Read(file, why)) return true;
  PrWin::Output("The identifier tables of the learn file are damaged: " + why + "\n",
                PrWin::catWarning, 0);
  return false;
}

void CDovetarTranslator::Dump() const {
  for (int32_t index = 0; index < kTables; ++index) Translator(index).Dump();
}
