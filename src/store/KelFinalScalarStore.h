#pragma once
// CKelFinalScalarStore: the single values of the current part, one KelStoreSValue per
// quantity, with work lists and history (see CKelFinalStore). Its history is the one the
// history file keeps across program runs.

#include <string>

#include "host/File.h"
#include "store/SectionHistory.h"
#include "store/KelFinalStore.h"
#include "store/KelStoreSValue.h"

class CKelFinalScalarStore
    : public CKelFinalStore<KelStoreSValue,
                            CQParamFileTypedTable<CSectionHistory<KelStoreSValue>>> {
 public:
  CKelFinalScalarStore();

  // Inserts or overwrites the value; a non-zero tag puts it on the validation list.
  KelStoreSValue& InsertValue(const QClavis& key, const KelStoreSValue& value, unsigned validate);

  // The value of `key` in history section `historyIndex`; a negative index means the newest.
  // Throws std::invalid_argument ("CKelFinalScalarStore::AncientValue(): Value not found.")
  // when there is no such entry.
  const KelStoreSValue& AncientValue(const QClavis& key, int historyIndex) const;

  // Each average is written back as the current value with tag 0.
  bool MeanHistory(bool all) override;  // mean value; true when the last quantity got one
  bool MAHistory(bool all) override;    // newest entry with the mean of the newest n values
  bool MaxHistory(bool all) override;   // largest value and its position

  // The history table in its file form; reading rebuilds the section counters (left empty
  // when the table cannot be read, and `why`, when given, then says what is wrong).
  bool WriteHistory(CFile& file) const;
  bool ReadHistory(CFile& file, std::string* why = nullptr);
};
