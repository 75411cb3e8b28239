#pragma once
// DynTables: the file form of the host's tables. A table is a header followed by `rows` rows;
// a row is `parts` records (for the program's tables: a key record and a value record). A
// record is a list of typed fields, each written with its type and byte width so that a reader
// refuses a record whose layout is not the one it expects. The byte layout is documented in
// docs/file-formats.md.
//
// Every reader checks each count and width before it uses it and reports failure with false;
// nothing is allocated from a count read from a file.

#include <cstddef>
#include <cstdint>
#include <tuple>
#include <type_traits>

#include "host/File.h"

namespace DynTables {

// "DYNT": the first four bytes of every table.
inline constexpr uint8_t kMagic[4] = {'D', 'Y', 'N', 'T'};
inline constexpr size_t kHeaderBytes = 20;
// The most fields one record may have.
inline constexpr size_t kMaxFields = 64;

struct Header {
  uint32_t parts = 0;         // records per row
  uint32_t keyVersion = 0;    // version of the first record of a row
  uint32_t valueVersion = 0;  // version of the second record of a row
  uint32_t rows = 0;
};

void FillHeader(Header& header, uint32_t parts, uint32_t keyVersion, uint32_t valueVersion,
                uint32_t rows);
bool WriteToFile(CFile& file, const Header& header);
// False when fewer than kHeaderBytes bytes come or the magic is not "DYNT".
bool ReadFromFile(CFile& file, Header& header);

enum field_type_t : uint8_t {
  ftSigned = 'i',    // two's complement integer
  ftUnsigned = 'u',  // unsigned integer
  ftFloat = 'f',     // IEEE 754 float (width 4) or double (width 8)
};

struct FieldSpec {
  field_type_t type;
  uint8_t width;  // bytes: 1, 2, 4 or 8
  bool operator==(const FieldSpec&) const = default;
};

// One record of n fields; fields[i] points at a value of layout widths[i].
bool WriteToFile(CFile& file, const FieldSpec* widths, const void* const* fields, size_t n);
// Reads one record into fields; false (a refused record) when the record does not have exactly
// n fields of the given types and widths, or the file ends inside it.
bool ReadFromFile(CFile& file, const FieldSpec* widths, void* const* fields, size_t n);

// The field layout of a C++ field type: integers, enumerations (by their underlying type),
// float and double.
template <typename T>
constexpr FieldSpec SpecOf() {
  if constexpr (std::is_enum_v<T>) {
    return SpecOf<std::underlying_type_t<T>>();
  } else if constexpr (std::is_floating_point_v<T>) {
    static_assert(sizeof(T) == 4 || sizeof(T) == 8);
    return FieldSpec{ftFloat, static_cast<uint8_t>(sizeof(T))};
  } else {
    static_assert(std::is_integral_v<T> && !std::is_same_v<T, bool>);
    return FieldSpec{std::is_signed_v<T> ? ftSigned : ftUnsigned, static_cast<uint8_t>(sizeof(T))};
  }
}

// Writes the referenced fields of a tuple as one record, in tuple order.
template <typename... T>
bool WriteTuple(CFile& file, const std::tuple<T&...>& fields) {
  constexpr FieldSpec widths[] = {SpecOf<std::remove_const_t<T>>()...};
  const void* pointers[sizeof...(T)];
  std::apply(
      [&pointers](auto&... field) {
        size_t i = 0;
        ((pointers[i++] = static_cast<const void*>(&field)), ...);
      },
      fields);
  return WriteToFile(file, widths, pointers, sizeof...(T));
}

// Reads one record into the referenced fields; on failure the fields may be partly written.
template <typename... T>
bool ReadTuple(CFile& file, const std::tuple<T&...>& fields) {
  constexpr FieldSpec widths[] = {SpecOf<T>()...};
  void* pointers[sizeof...(T)];
  std::apply(
      [&pointers](auto&... field) {
        size_t i = 0;
        ((pointers[i++] = static_cast<void*>(&field)), ...);
      },
      fields);
  return ReadFromFile(file, widths, pointers, sizeof...(T));
}

}  // namespace DynTables
