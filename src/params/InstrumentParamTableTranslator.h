#pragma once
// CInstrumentParamTableTranslator: the identifier table of the instrument parameters. Row:
// instrument-parameter number (int32), instrument number (int32), then the parameter's name
// in its UTF-16 file form (params/Utf16Name.h).

#include <string>

#include "host/Params.h"
#include "params/DovetarTableTranslator.h"

class CInstrumentParamTableTranslator : public CDovetarTableTranslator {
 public:
  // Rows read from files: parameter number -> instrument and name (the other fields of the
  // record keep their defaults).
  using table_t = CUniqueTreeMap<QIdx1, QVInstrumentParam>;

  // `params` must outlive the translator; its instrument-parameter table is the source, looked
  // up at every Write.
  explicit CInstrumentParamTableTranslator(const CDtParamInstance& params) : params_(params) {}

  const table_t& Table() const { return table_; }

  // The frame of the name tables around one line
  // "id: <parameter>, Instrument: <instrument>, Name: <name>\n" per row of the own table.
  void Dump() const override;
  void Clear() override { table_.clear(); }
  size_t Rows() const override { return table_.size(); }

 protected:
  size_t SourceRows() const override { return params_.InstrumentParam().size(); }
  bool WriteSourceRows(CFile& file) const override;
  bool ReadRowAfterId(CFile& file, int32_t id, std::string& why) override;
  // id, instrument, n and the terminator.
  uint64_t MinRowBytes() const override { return 4 + 4 + 4 + 2; }

 private:
  const CDtParamInstance& params_;
  table_t table_;
};
