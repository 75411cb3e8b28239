#pragma once
// CDovetarTableTranslator: one identifier table of the learn file. It writes a table of the
// current parameters (its source) and reads such a table back into a table of its own, so the
// identifiers of a learn file can be interpreted with the names that were valid when it was
// written. File form: table header (int32 header size 12, int32 version 1, int32 row count),
// then the rows in ascending id order, each starting with its int32 id
// (docs/file-formats.md, "Identifier tables").

#include <cstdint>
#include <string>

#include "host/File.h"

class CDovetarTableTranslator {
 public:
  struct TableHeader {
    int32_t headerSize = 12;
    int32_t version = 1;
    int32_t rows = 0;
  };
  static constexpr int32_t kHeaderSize = 12;
  static constexpr int32_t kVersion = 1;

  CDovetarTableTranslator() = default;
  CDovetarTableTranslator(const CDovetarTableTranslator&) = delete;
  CDovetarTableTranslator& operator=(const CDovetarTableTranslator&) = delete;
  virtual ~CDovetarTableTranslator() = default;

  // Checks the table header, then adds the rows to the own table. Refuses a header of another
  // size or version, a negative row count, more rows than the remaining bytes can hold, a row
  // cut short, a row whose id is not above the id of the row before (the writer writes each id
  // once, ascending) and a damaged row; `why` then says which row and what is wrong. Rows read
  // before a refused one stay in the own table.
  virtual bool Read(CFile& file, std::string& why);
  // Writes the table header with the source table's current row count, then its rows.
  virtual bool Write(CFile& file);
  // Prints the own table (output window, category 16).
  virtual void Dump() const = 0;
  // Empties the own table.
  virtual void Clear() = 0;
  // Rows of the own table.
  virtual size_t Rows() const = 0;

  const TableHeader& Header() const { return header_; }

 protected:
  // Rows of the source table.
  virtual size_t SourceRows() const = 0;
  // Writes every row of the source table, in id order.
  virtual bool WriteSourceRows(CFile& file) const = 0;
  // Reads the rest of the row with this id (after the id) and inserts it into the own table;
  // false with `why` when it is cut short or damaged.
  virtual bool ReadRowAfterId(CFile& file, int32_t id, std::string& why) = 0;
  // Bytes of the smallest row, to check a row count against the bytes that remain.
  virtual uint64_t MinRowBytes() const = 0;

  // Frames of Dump.
  static void DumpBegin();
  static void DumpEnd();

 private:
  bool ReadHeader(CFile& file, std::string& why);

  TableHeader header_;
};
