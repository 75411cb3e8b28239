#pragma once
// The learn machines' tables and their form in the learn file.
//
// CKelLearnTable<Item>: learned items of final values, keyed by the quantity (QClavis).
// TLearnTrack<Item>: learned tracks, keyed by the track key; each track holds one item per
// trigger position, in ascending position order. In the file every point is one row keyed by
// (track key, position) (S1int1int64).
//
// File form of both: a table header (DynTables, 2 records per row, key-group version 1,
// value-group version 2, the row count), then the rows in key order: the key group, then the
// item (KelLearnItemFile). Reading refuses a header with another number of records or another
// key-group version and a value-group version the item cannot read, and stops at the first row
// that is cut short or has another layout; the rows read before stay in the table. Of two rows
// with the same key the first stays in a CKelLearnTable and the last in a TLearnTrack.

#include <algorithm>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "host/DynTables.h"
#include "host/File.h"
#include "host/UniqueTreeMap.h"
#include "learn/KelLearnItemFile.h"
#include "params/ParamTable.h"
#include "store/Keys.h"
#include "store/TrackPointMap.h"

namespace KelLearnTableFile {

inline constexpr uint32_t kRecordsPerRow = 2;
inline constexpr uint32_t kKeyVersion = 1;

inline bool WriteHeader(CFile& file, size_t rows) {
  DynTables::Header header;
  DynTables::FillHeader(header, kRecordsPerRow, kKeyVersion, KelLearnItemFile::kValueVersion,
                        static_cast<uint32_t>(rows));
  return DynTables::WriteToFile(file, header);
}

// Reads and checks the table header; `valueVersion` receives the version of the items.
inline bool ReadHeader(CFile& file, uint32_t& rows, uint32_t& valueVersion) {
  DynTables::Header header;
  if (!DynTables::ReadFromFile(file, header) || header.parts != kRecordsPerRow ||
      header.keyVersion != kKeyVersion)
    return false;
  rows = header.rows;
  valueVersion = header.valueVersion;
  return true;
}

}  // namespace KelLearnTableFile

template <typename Item>
class CKelLearnTable : public CQParamTypedTable<CUniqueTreeMap<QClavis, Item>>,
                       public CQParamFileTable {
 public:
  using map_type = CUniqueTreeMap<QClavis, Item>;

  explicit CKelLearnTable(std::string name) : CQParamTypedTable<map_type>(std::move(name)) {}

  void clear() override { map_type::clear(); }
  void clear(CQParamBaseTableInterface::for_new_use_t) override { map_type::clear(); }
  void dump() const override { CQParamTypedTable<map_type>::dump(); }

  bool write(CFile& file) const override {
    if (!KelLearnTableFile::WriteHeader(file, map_type::size())) return false;
    for (const auto& [key, item] : static_cast<const map_type&>(*this)) {
      if (!DynTables::WriteTuple(file, key.tuple()) || !KelLearnItemFile::Write(file, item))
        return false;
    }
    return true;
  }

  bool read(CFile& file) override {
    uint32_t rows = 0;
    uint32_t version = 0;
    if (!KelLearnTableFile::ReadHeader(file, rows, version)) return false;
    for (uint32_t row = 0; row < rows; ++row) {
      QClavis key;
      Item item;
      if (!DynTables::ReadTuple(file, key.tuple()) || !KelLearnItemFile::Read(file, item, version))
        return false;
      map_type::try_emplace(key, std::move(item));
    }
    return true;
  }
};

template <typename Item>
class TLearnTrack : public CQParamTypedTable<CUniqueTreeMap<QIdx1, CTrackPointMap<Item>>>,
                    public CQParamFileTable {
 public:
  using track_t = CTrackPointMap<Item>;
  using map_type = CUniqueTreeMap<QIdx1, track_t>;

  explicit TLearnTrack(std::string name) : CQParamTypedTable<map_type>(std::move(name)) {}

  void clear() override { map_type::clear(); }
  void clear(CQParamBaseTableInterface::for_new_use_t) override { map_type::clear(); }
  void dump() const override { CQParamTypedTable<map_type>::dump(); }

  // The number of learned points of all tracks: the table's row count in the file.
  size_t Points() const {
    size_t points = 0;
    for (const auto& entry : static_cast<const map_type&>(*this)) points += entry.second.size();
    return points;
  }

  bool write(CFile& file) const override {
    if (!KelLearnTableFile::WriteHeader(file, Points())) return false;
    for (const auto& [trackKey, track] : static_cast<const map_type&>(*this)) {
      for (const auto& [position, item] : track) {
        const S1int1int64 key(trackKey.id(), position);
        if (!DynTables::WriteTuple(file, key.tuple()) || !KelLearnItemFile::Write(file, item))
          return false;
      }
    }
    return true;
  }

  // Rows may come in any order; they are gathered first and put into the tracks in key order,
  // so that no order of rows makes reading slow.
  bool read(CFile& file) override {
    uint32_t rows = 0;
    uint32_t version = 0;
    if (!KelLearnTableFile::ReadHeader(file, rows, version)) return false;
    std::vector<std::pair<S1int1int64, Item>> read;
    bool complete = true;
    for (uint32_t row = 0; row < rows && complete; ++row) {
      S1int1int64 key;
      Item item;
      complete =
          DynTables::ReadTuple(file, key.tuple()) && KelLearnItemFile::Read(file, item, version);
      if (complete) read.emplace_back(key, std::move(item));
    }
    std::stable_sort(read.begin(), read.end(), [](const auto& a, const auto& b) {
      return a.first.tuple() < b.first.tuple();
    });
    for (size_t i = 0; i < read.size(); ++i) {
      const bool lastOfKey = i + 1 == read.size() || !(read[i].first == read[i + 1].first);
      if (!lastOfKey) continue;
      track_t& track = (*this)[QIdx1(read[i].first.trackKey)];
      track.insert_or_assign(read[i].first.position, std::move(read[i].second));
    }
    return complete;
  }
};
