#pragma once
// CDovetarTranslator: the identifier tables of the learn file. Learned data is kept under
// numeric ids (modes, instruments, channels, locations, instrument parameters); next to it the
// learn store writes the id-to-name tables valid at that moment and reads them back, so a learn
// file stays interpretable after the parameter database was edited. The learn store derives
// from this class.
//
// File form (docs/file-formats.md, "Identifier tables"): file header (int32 magic 1953, header
// size 16, version 1, table count 5), then per table index 0..4 a chunk header (int32 size 12,
// version 1, table index) followed by that table.

#include <array>
#include <cstdint>
#include <memory>
#include <string>

#include "host/File.h"
#include "host/Params.h"
#include "params/DovetarIdNameTableTranslator.h"
#include "params/InstrumentParamTableTranslator.h"

class CDovetarTranslator {
 public:
  enum table_index_t : int32_t {
    tiMode = 0,
    tiInstrument = 1,
    tiChannel = 2,
    tiLocation = 3,
    tiInstrumentParam = 4,
  };
  static constexpr int32_t kTables = 5;
  static constexpr int32_t kMagic = 1953;
  static constexpr int32_t kFileHeaderSize = 16;
  static constexpr int32_t kVersion = 1;
  static constexpr int32_t kChunkHeaderSize = 12;

  // The translators read the current parameters (a view without a distillery).
  CDovetarTranslator();
  CDovetarTranslator(const CDovetarTranslator&) = delete;
  CDovetarTranslator& operator=(const CDovetarTranslator&) = delete;
  virtual ~CDovetarTranslator();

  // Writes the file header, then each table of the current parameters in index order.
  // False when a write fails.
  bool Write(CFile& file);

  // Empties the translators' own tables, checks the file header, then reads as many chunks as
  // it announces; each chunk names the translator that reads the table after it, so chunks may
  // come in any order. Stops at the first thing that is wrong and returns false with `why`
  // saying what it was: a file header other than (1953, 16, 1) or with a negative table count,
  // a chunk header other than (12, 1) or with an index outside 0..4, and whatever the table
  // translator refuses. Tables read before stay filled. The table count is not required to be
  // 5.
  bool Read(CFile& file, std::string& why);
  // The same; on failure the output window gets (category 8, style 0)
  // "The identifier tables of the learn file are damaged: <why>\n".
  bool Read(CFile& file);

  // Dumps the five own tables in index order.
  void Dump() const;

  // The translator of a table index (0..4).
  CDovetarTableTranslator& Translator(int32_t index);
  const CDovetarTableTranslator& Translator(int32_t index) const;
  // The name table translators (tiMode..tiLocation).
  const CDovetarIdNameTableTranslator& NameTable(table_index_t index) const;
  const CInstrumentParamTableTranslator& InstrumentParamTable() const { return *instrumentParams_; }

 protected:
  CDtParamInstance params_;

 private:
  bool ReadFileHeader(CFile& file, int32_t& tables, std::string& why);
  bool ReadChunk(CFile& file, int32_t chunk, int32_t tables, std::string& why);

  std::array<std::unique_ptr<CDovetarIdNameTableTranslator>, 4> names_;
  std::unique_ptr<CInstrumentParamTableTranslator> instrumentParams_;
};
