#pragma once
// CDovetarIdNameTableTranslator: the identifier table of one name table of the parameters
// (modes, instruments, channels or locations). Row: id (int32), then the name in its UTF-16
// file form (params/Utf16Name.h).

#include <string>

#include "host/Params.h"
#include "params/DovetarTableTranslator.h"

class CDovetarIdNameTableTranslator : public CDovetarTableTranslator {
 public:
  using table_t = CUniqueTreeMap<QIdx1, QIdxName>;
  // Which name table of the parameters is the source, e.g. &CDtParamInstance::Mode. The
  // source is looked up at every Write, not kept: the view's tables change when another plan
  // is installed.
  using source_getter_t = const table_t& (CDtParamInstance::*)() const;

  // `params` must outlive the translator.
  CDovetarIdNameTableTranslator(const CDtParamInstance& params, source_getter_t source)
      : params_(params), source_(source) {}

  // The rows read from files: id -> name.
  const table_t& Table() const { return table_; }

  // "\n <<------------ Table ------------->>\n", one line "id: <id>, Name: <name>\n" per row
  // of the own table, "\n <<------------ End Table ------------->>\n".
  void Dump() const override;
  void Clear() override { table_.clear(); }
  size_t Rows() const override { return table_.size(); }

 protected:
  size_t SourceRows() const override { return Source().size(); }
  bool WriteSourceRows(CFile& file) const override;
  bool ReadRowAfterId(CFile& file, int32_t id, std::string& why) override;
  // id, n and the terminator.
  uint64_t MinRowBytes() const override { return 4 + 4 + 2; }

 private:
  const table_t& Source() const { return (params_.*source_)(); }

  const CDtParamInstance& params_;
  source_getter_t source_;
  table_t table_;
};
