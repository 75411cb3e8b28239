#include "host/DynTables.h"

#include <bit>
#include <cstring>
#include <utility>

namespace DynTables {
namespace {

// Copies one field between its in-memory form and its little-endian file form.
void ToLittleEndian(const void* field, uint8_t width, uint8_t* out) {
  std::memcpy(out, field, width);
  if constexpr (std::endian::native == std::endian::big) {
    for (uint8_t i = 0; i < width / 2; ++i) std::swap(out[i], out[width - 1 - i]);
  }
}

void FromLittleEndian(const uint8_t* in, uint8_t width, void* field) {
  uint8_t bytes[8];
  std::memcpy(bytes, in, width);
  if constexpr (std::endian::native == std::endian::big) {
    for (uint8_t i = 0; i < width / 2; ++i) std::swap(bytes[i], bytes[width - 1 - i]);
  }
  std::memcpy(field, bytes, width);
}

bool ValidSpec(const FieldSpec& spec) {
  const bool knownType = spec.type == ftSigned || spec.type == ftUnsigned || spec.type == ftFloat;
  const bool knownWidth = spec.width == 1 || spec.width == 2 || spec.width == 4 || spec.width == 8;
  const bool floatWidth = spec.type != ftFloat || spec.width == 4 || spec.width == 8;
  return knownType && knownWidth && floatWidth;
}

}  // namespace

void FillHeader(Header& header, uint32_t parts, uint32_t keyVersion, uint32_t valueVersion,
                uint32_t rows) {
  header = Header{parts, keyVersion, valueVersion, rows};
}

bool WriteToFile(CFile& file, const Header& header) {
  return file.Write(kMagic, sizeof(kMagic)) && WriteLE(file, header.parts) &&
         WriteLE(file, header.keyVersion) && WriteLE(file, header.valueVersion) &&
         WriteLE(file, header.rows);
}

bool ReadFromFile(CFile& file, Header& header) {
  uint8_t magic[sizeof(kMagic)];
  if (file.Read(magic, sizeof(magic)) != sizeof(magic)) return false;
  if (std::memcmp(magic, kMagic, sizeof(kMagic)) != 0) return false;
  Header read;
  if (!ReadLE(file, read.parts) || !ReadLE(file, read.keyVersion) ||
      !ReadLE(file, read.valueVersion) || !ReadLE(file, read.rows))
    return false;
  header = read;
  return true;
}

bool WriteToFile(CFile& file, const FieldSpec* widths, const void* const* fields, size_t n) {
  if (n == 0 || n > kMaxFields) return false;
  uint8_t buffer[1 + 2 * kMaxFields + 8 * kMaxFields];
  size_t used = 0;
  buffer[used++] = static_cast<uint8_t>(n);
  for (size_t i = 0; i < n; ++i) {
    if (!ValidSpec(widths[i])) return false;
    buffer[used++] = widths[i].type;
    buffer[used++] = widths[i].width;
  }
  for (size_t i = 0; i < n; ++i) {
    ToLittleEndian(fields[i], widths[i].width, buffer + used);
    used += widths[i].width;
  }
  return file.Write(buffer, used);
}

bool ReadFromFile(CFile& file, const FieldSpec* widths, void* const* fields, size_t n) {
  if (n == 0 || n > kMaxFields) return false;
  uint8_t count = 0;
  if (file.Read(&count, 1) != 1 || count != n) return false;
  uint8_t layout[2 * kMaxFields];
  if (file.Read(layout, 2 * n) != 2 * n) return false;
  size_t bytes = 0;
  for (size_t i = 0; i < n; ++i) {
    if (layout[2 * i] != widths[i].type || layout[2 * i + 1] != widths[i].width) return false;
    bytes += widths[i].width;
  }
  uint8_t values[8 * kMaxFields];
  if (file.Read(values, bytes) != bytes) return false;
  size_t offset = 0;
  for (size_t i = 0; i < n; ++i) {
    FromLittleEndian(values + offset, widths[i].width, fields[i]);
    offset += widths[i].width;
  }
  return true;
}

}  // namespace DynTables
