#pragma once
// The program's tables. Every store of values, learned data and errors is an ordered container
// that is at the same time a table: CQParamTypedTable<Map> derives from its Map, so the table
// is used directly as the container (find, insert, erase, lower_bound, ordered iteration),
// and adds a name, clearing and a diagnostic dump. CQParamFileTypedTable<Map> adds the table
// file form (docs/file-formats.md).
//
// The table operations are named like the container's own (clear, dump, write, read), so a
// table reads as the container it is. Iterators into a table are the Map's: erasing an entry
// invalidates only iterators to it; both clears invalidate all.

#include <cstdint>
#include <cstdio>
#include <string>
#include <utility>

#include "host/DynTables.h"
#include "host/File.h"
#include "host/Output.h"
#include "params/KelvaTableDef.h"

// The root of every table: its virtual operations in slot order.
class CQParamBaseTableInterface {
 public:
  // Selects the clear that prepares the table for a new use.
  struct for_new_use_t {};
  static constexpr for_new_use_t for_new_use{};

  virtual ~CQParamBaseTableInterface() = default;
  // Both empty the container.
  virtual void clear() = 0;
  virtual void clear(for_new_use_t) = 0;
  // Prints the table through the output window (category 8, style 1).
  virtual void dump() const = 0;
};

// A named table. The name (such as "<EvStoreSValue>") appears in dumps and is never written
// to a file.
class CQParamBaseTable : public virtual CQParamBaseTableInterface {
 public:
  explicit CQParamBaseTable(std::string name) : name_(std::move(name)) {}
  const std::string& Name() const { return name_; }
  // Number of entries.
  virtual size_t Rows() const = 0;

 private:
  std::string name_;
};

// A table that can be written to and read from a file.
class CQParamFileTable : public virtual CQParamBaseTableInterface {
 public:
  virtual bool write(CFile& file) const = 0;
  // Adds the rows read to the table (the owner empties it first when it wants only them).
  virtual bool read(CFile& file) = 0;
};

template <typename Map>
class CQParamTypedTable : public CQParamBaseTable, public Map {
 public:
  using map_type = Map;

  explicit CQParamTypedTable(std::string name) : CQParamBaseTable(std::move(name)) {}

  void clear() override { Map::clear(); }
  void clear(CQParamBaseTableInterface::for_new_use_t) override { Map::clear(); }
  size_t Rows() const override { return Map::size(); }

  // "<-\t<name>", one line per entry "%4d:\t<key> | <value>", "->\t<name>".
  void dump() const override { DumpRows(SIZE_MAX); }
  // The same with at most `limit` entry lines.
  void DumpRows(size_t limit) const {
    PrWin::Output("<-\t" + Name() + "\n", PrWin::catWarning, 1);
    int number = 0;
    for (const auto& [key, value] : static_cast<const Map&>(*this)) {
      if (static_cast<size_t>(number) >= limit) break;
      char prefix[32];
      std::snprintf(prefix, sizeof(prefix), "%4d:\t", ++number);
      PrWin::Output(
          prefix + KelvaTableDef::RecordText(key) + " | " + KelvaTableDef::RecordText(value) + "\n",
          PrWin::catWarning, 1);
    }
    PrWin::Output("->\t" + Name() + "\n", PrWin::catWarning, 1);
  }
};

template <typename Map>
class CQParamFileTypedTable : public CQParamTypedTable<Map>, public CQParamFileTable {
 public:
  using key_type = typename Map::key_type;
  using mapped_type = typename Map::mapped_type;

  explicit CQParamFileTypedTable(std::string name) : CQParamTypedTable<Map>(std::move(name)) {}

  void clear() override { Map::clear(); }
  void clear(CQParamBaseTableInterface::for_new_use_t) override { Map::clear(); }
  void dump() const override { CQParamTypedTable<Map>::dump(); }

  // Header (2 records per row, key and value version 1, one row per entry), then per entry in
  // key order the key's fields and the value's persisted fields as one record each.
  bool write(CFile& file) const override {
    DynTables::Header header;
    DynTables::FillHeader(header, 2, 1, 1, static_cast<uint32_t>(Map::size()));
    if (!DynTables::WriteToFile(file, header)) return false;
    for (const auto& [key, value] : static_cast<const Map&>(*this)) {
      if (!DynTables::WriteTuple(file, key.tuple()) || !DynTables::WriteTuple(file, value.tuple()))
        return false;
    }
    return true;
  }

  // Refuses a header that does not announce a key and a value record of version 1, a record
  // that is cut short or has another layout, and a row whose key is not above the key of the
  // row before it: the writer writes every key once and in order, so a repeated or earlier
  // key means a damaged file. Rows are inserted as they are read; the first refused row stops
  // reading and returns false, leaving the rows read so far in the table.
  bool read(CFile& file) override {
    std::string why;
    return read(file, why);
  }
  // The same; on failure `why` says what was wrong, for example "row 3 of 5 is cut short or
  // has another layout".
  bool read(CFile& file, std::string& why) {
    DynTables::Header header;
    if (!DynTables::ReadFromFile(file, header)) {
      why = "it does not start with a table header";
      return false;
    }
    if (header.parts != 2 || header.keyVersion != 1 || header.valueVersion != 1) {
      why = "its table header announces (" + std::to_string(header.parts) + ", " +
            std::to_string(header.keyVersion) + ", " + std::to_string(header.valueVersion) +
            ") instead of 2 records of version 1";
      return false;
    }
    key_type previous;
    for (uint32_t row = 0; row < header.rows; ++row) {
      key_type key;
      mapped_type value;
      const std::string where =
          "row " + std::to_string(row + 1) + " of " + std::to_string(header.rows);
      if (!DynTables::ReadTuple(file, key.tuple()) || !DynTables::ReadTuple(file, value.tuple())) {
        why = where + " is cut short or has another layout";
        return false;
      }
      if (row > 0 && !(previous < key)) {
        why = where + " repeats a key or is out of key order";
        return false;
      }
      Map::insert_or_assign(key, value);
      previous = key;
    }
    return true;
  }
};
