#include "host/DynTables.h"

#include <gtest/gtest.h>

#include <cstring>
#include <tuple>
#include <vector>

namespace {

using Bytes = std::vector<uint8_t>;

// The rows of a small file-backed table: a key record (int32, int32) and a value record
// (float, uint16, int64).
struct Row {
  int32_t mode;
  int32_t instrument;
  float value;
  uint16_t flags;
  int64_t time;
};
constexpr size_t kKeyRecordBytes = 1 + 2 * 2 + 4 + 4;
constexpr size_t kValueRecordBytes = 1 + 2 * 3 + 4 + 2 + 8;

Bytes WriteTable(const std::vector<Row>& rows) {
  CMemFile file;
  DynTables::Header header;
  DynTables::FillHeader(header, 2, 1, 1, static_cast<uint32_t>(rows.size()));
  EXPECT_TRUE(DynTables::WriteToFile(file, header));
  for (const Row& row : rows) {
    EXPECT_TRUE(DynTables::WriteTuple(file, std::tie(row.mode, row.instrument)));
    EXPECT_TRUE(DynTables::WriteTuple(file, std::tie(row.value, row.flags, row.time)));
  }
  return file.Bytes();
}

// Reads a whole table as the program's tables do and writes every record it accepted again
// to `out`. True only when the header, every announced row and nothing more were read.
bool CopyTable(CFile& in, CFile& out) {
  DynTables::Header header;
  if (!DynTables::ReadFromFile(in, header)) return false;
  if (header.parts != 2 || header.keyVersion != 1 || header.valueVersion != 1) return false;
  if (!DynTables::WriteToFile(out, header)) return false;
  for (uint32_t i = 0; i < header.rows; ++i) {
    int32_t mode = 0, instrument = 0;
    float value = 0.0f;
    uint16_t flags = 0;
    int64_t time = 0;
    if (!DynTables::ReadTuple(in, std::tie(mode, instrument)) ||
        !DynTables::ReadTuple(in, std::tie(value, flags, time)))
      return false;
    if (!DynTables::WriteTuple(out, std::tie(mode, instrument)) ||
        !DynTables::WriteTuple(out, std::tie(value, flags, time)))
      return false;
  }
  return RemainingBytes(in) == 0;
}

}  // namespace

TEST(DynTables, HeaderIsMagicAndFourLittleEndianWords) {
  DynTables::Header header;
  DynTables::FillHeader(header, 2, 1, 3, 0x01020304);
  CMemFile file;
  ASSERT_TRUE(DynTables::WriteToFile(file, header));
  EXPECT_EQ(DynTables::kHeaderBytes, 20u);
  EXPECT_EQ(file.Bytes(),
            (Bytes{'D', 'Y', 'N', 'T', 2, 0, 0, 0, 1, 0, 0, 0, 3, 0, 0, 0, 4, 3, 2, 1}));

  ASSERT_TRUE(file.Seek(0));
  DynTables::Header read;
  ASSERT_TRUE(DynTables::ReadFromFile(file, read));
  EXPECT_EQ(read.parts, 2u);
  EXPECT_EQ(read.keyVersion, 1u);
  EXPECT_EQ(read.valueVersion, 3u);
  EXPECT_EQ(read.rows, 0x01020304u);

  for (const Bytes& magic : {Bytes{'D', 'Y', 'N', 'U'}, Bytes{'d', 'y', 'n', 't'}}) {
    Bytes bytes = file.Bytes();
    std::memcpy(bytes.data(), magic.data(), 4);
    CMemFile wrong(bytes);
    DynTables::Header untouched;
    EXPECT_FALSE(DynTables::ReadFromFile(wrong, untouched));
    EXPECT_EQ(untouched.rows, 0u);
  }
}

TEST(DynTables, RecordFramingIsExact) {
  int32_t a = -2;
  float b = 1.5f;
  uint16_t c = 7;
  int64_t d = 0x0102030405060708;
  CMemFile file;
  ASSERT_TRUE(DynTables::WriteTuple(file, std::tie(a, b, c, d)));
  EXPECT_EQ(file.Bytes(), (Bytes{4,    'i',  4,    'f',  4,    'u',  2,    'i',  8,
                                 0xFE, 0xFF, 0xFF, 0xFF, 0x00, 0x00, 0xC0, 0x3F, 0x07,
                                 0x00, 0x08, 0x07, 0x06, 0x05, 0x04, 0x03, 0x02, 0x01}));

  ASSERT_TRUE(file.Seek(0));
  int32_t a2 = 0;
  float b2 = 0.0f;
  uint16_t c2 = 0;
  int64_t d2 = 0;
  ASSERT_TRUE(DynTables::ReadTuple(file, std::tie(a2, b2, c2, d2)));
  EXPECT_EQ(a2, -2);
  EXPECT_EQ(b2, 1.5f);
  EXPECT_EQ(c2, 7);
  EXPECT_EQ(d2, 0x0102030405060708);
  EXPECT_EQ(RemainingBytes(file), 0u);
}

TEST(DynTables, EveryFieldKindRoundTrips) {
  enum class Kind : int16_t { low = -300 };
  int8_t i8 = -128;
  uint8_t u8 = 255;
  Kind kind = Kind::low;
  uint32_t u32 = 0xFFFFFFFF;
  uint64_t u64 = 0x8000000000000001;
  double dbl = -2.5e-300;
  EXPECT_EQ(DynTables::SpecOf<Kind>(), (DynTables::FieldSpec{DynTables::ftSigned, 2}));
  EXPECT_EQ(DynTables::SpecOf<double>(), (DynTables::FieldSpec{DynTables::ftFloat, 8}));
  CMemFile file;
  ASSERT_TRUE(DynTables::WriteTuple(file, std::tie(i8, u8, kind, u32, u64, dbl)));
  EXPECT_EQ(file.GetLength(), 1u + 2 * 6 + 1 + 1 + 2 + 4 + 8 + 8);

  ASSERT_TRUE(file.Seek(0));
  int8_t ri8 = 0;
  uint8_t ru8 = 0;
  Kind rkind{};
  uint32_t ru32 = 0;
  uint64_t ru64 = 0;
  double rdbl = 0.0;
  ASSERT_TRUE(DynTables::ReadTuple(file, std::tie(ri8, ru8, rkind, ru32, ru64, rdbl)));
  EXPECT_EQ(ri8, -128);
  EXPECT_EQ(ru8, 255);
  EXPECT_EQ(rkind, Kind::low);
  EXPECT_EQ(ru32, 0xFFFFFFFFu);
  EXPECT_EQ(ru64, 0x8000000000000001u);
  EXPECT_EQ(rdbl, -2.5e-300);

  // The most fields a record may have, through the untyped interface; one more is refused.
  DynTables::FieldSpec layouts[DynTables::kMaxFields + 1];
  uint8_t values[DynTables::kMaxFields + 1];
  const void* in[DynTables::kMaxFields + 1];
  for (size_t i = 0; i <= DynTables::kMaxFields; ++i) {
    layouts[i] = {DynTables::ftUnsigned, 1};
    values[i] = static_cast<uint8_t>(i);
    in[i] = &values[i];
  }
  CMemFile wide;
  EXPECT_FALSE(DynTables::WriteToFile(wide, layouts, in, DynTables::kMaxFields + 1));
  EXPECT_FALSE(DynTables::WriteToFile(wide, layouts, in, 0));
  EXPECT_EQ(wide.GetLength(), 0u);
  ASSERT_TRUE(DynTables::WriteToFile(wide, layouts, in, DynTables::kMaxFields));
  EXPECT_EQ(wide.GetLength(), 1u + 3 * DynTables::kMaxFields);
  uint8_t back[DynTables::kMaxFields] = {};
  void* out[DynTables::kMaxFields];
  for (size_t i = 0; i < DynTables::kMaxFields; ++i) out[i] = &back[i];
  ASSERT_TRUE(wide.Seek(0));
  ASSERT_TRUE(DynTables::ReadFromFile(wide, layouts, out, DynTables::kMaxFields));
  EXPECT_EQ(back[0], 0);
  EXPECT_EQ(back[63], 63);
}

TEST(DynTables, WriterRefusesInvalidLayoutsAndFailedFiles) {
  const float value = 1.0f;
  const void* field[] = {&value};
  for (const DynTables::FieldSpec layout :
       {DynTables::FieldSpec{DynTables::ftFloat, 2}, DynTables::FieldSpec{DynTables::ftSigned, 3},
        DynTables::FieldSpec{static_cast<DynTables::field_type_t>('x'), 4}}) {
    CMemFile file;
    EXPECT_FALSE(DynTables::WriteToFile(file, &layout, field, 1));
    EXPECT_EQ(file.GetLength(), 0u);
  }
  CMemFile full;
  full.SetWriteLimit(8);
  int32_t a = 1, b = 2;
  EXPECT_FALSE(DynTables::WriteTuple(full, std::tie(a, b)));  // needs 13 bytes
  EXPECT_TRUE(full.Failed());
}

TEST(DynTables, ReaderRefusesAnotherLayout) {
  int32_t a = 5;
  float b = 2.0f;
  CMemFile file;
  ASSERT_TRUE(DynTables::WriteTuple(file, std::tie(a, b)));
  auto reread = [&file](auto... fields) {
    EXPECT_TRUE(file.Seek(0));
    return DynTables::ReadTuple(file, std::tie(fields...));
  };
  EXPECT_TRUE(reread(int32_t{}, float{}));
  EXPECT_FALSE(reread(int64_t{}, float{}));             // other width
  EXPECT_FALSE(reread(uint32_t{}, float{}));            // other type
  EXPECT_FALSE(reread(int32_t{}, double{}));            // float of other width
  EXPECT_FALSE(reread(int32_t{}, int32_t{}));           // integer instead of float
  EXPECT_FALSE(reread(int32_t{}));                      // fewer fields
  EXPECT_FALSE(reread(int32_t{}, float{}, int32_t{}));  // more fields
}

TEST(DynTables, CutOrFlippedStreamsNeverCrashAndCutsAreRefused) {
  const std::vector<Row> rows = {{1, 2500, 0.75f, 3, -1}, {2, 2501, -8.5f, 0xFFFF, 1234567890123}};
  const Bytes good = WriteTable(rows);
  ASSERT_EQ(good.size(),
            DynTables::kHeaderBytes + rows.size() * (kKeyRecordBytes + kValueRecordBytes));
  {
    CMemFile in(good), out;
    ASSERT_TRUE(CopyTable(in, out));
    EXPECT_EQ(out.Bytes(), good);
  }

  for (size_t length = 0; length < good.size(); ++length) {
    CMemFile in(Bytes(good.begin(), good.begin() + static_cast<std::ptrdiff_t>(length)));
    CMemFile out;
    EXPECT_FALSE(CopyTable(in, out)) << "cut at " << length;
  }

  // A flipped value byte is read as another value; a flipped byte anywhere else (magic, header
  // word, field count, type, width) makes the table refused.
  for (size_t offset = 0; offset < good.size(); ++offset) {
    bool valueByte = false;
    if (offset >= DynTables::kHeaderBytes) {
      const size_t inRow =
          (offset - DynTables::kHeaderBytes) % (kKeyRecordBytes + kValueRecordBytes);
      valueByte = (inRow >= 5 && inRow < kKeyRecordBytes) || inRow >= kKeyRecordBytes + 7;
    }
    for (const uint8_t mask : {0x01, 0x02, 0x04, 0x08, 0x10, 0x20, 0x40, 0x80, 0xFF}) {
      Bytes bad = good;
      bad[offset] ^= mask;
      CMemFile in(bad), out;
      const bool accepted = CopyTable(in, out);
      EXPECT_EQ(accepted, valueByte) << "offset " << offset << " mask " << int{mask};
      if (accepted) {
        EXPECT_EQ(out.Bytes(), bad) << "offset " << offset;
      }
    }
  }
}
