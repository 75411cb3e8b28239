#include "params/ParamTable.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "host/UniqueTreeMap.h"
#include "store/KelStoreError.h"
#include "store/KelStoreSValue.h"
#include "store/Keys.h"

namespace {

using HistoryTable = CQParamFileTypedTable<CUniqueTreeMap<QIdx7, KelStoreSValue>>;
using KeyMapTable = CQParamFileTypedTable<CUniqueTreeMap<QClavis, QIdx1>>;

KelStoreSValue Value(float value, float limit) {
  KelStoreSValue v;
  v.value = value;
  v.evalMode = QVInstrumentParam::eval_upper;
  v.limit = limit;
  v.mean = 90.0f;
  return v;
}

}  // namespace

TEST(ParamTable, DumpFormat) {
  CQParamTypedTable<std::multimap<QClavis, KelStoreError>> errors("<ResultShopErrors>");
  {
    PrWin::CaptureSink capture;
    errors.dump();
    ASSERT_EQ(capture.Lines().size(), 2u);
    EXPECT_EQ(capture.Text(), "<-\t<ResultShopErrors>\n->\t<ResultShopErrors>\n");
    EXPECT_EQ(capture.Lines()[0].category, 8);
    EXPECT_EQ(capture.Lines()[0].style, 1);
  }
  errors.emplace(QClavis(3, 2500, 1, 2, 7, 0), KelStoreError(4711, 101.5f, 100, 90, 23, 0));
  errors.emplace(QClavis(1, 1, 1, 1, 1, 1), KelStoreError(12, -0.25f, 0, 0, 0, 1));
  PrWin::CaptureSink capture;
  errors.dump();
  EXPECT_EQ(capture.Text(),
            "<-\t<ResultShopErrors>\n"
            "   1:\t1 1 1 1 1 1 | 12 -0.25 0 0 0\n"
            "   2:\t3 2500 1 2 7 0 | 4711 101.5 100 90 23\n"
            "->\t<ResultShopErrors>\n");

  // Both clears empty the table through the interface; the name stays.
  CQParamBaseTableInterface& table = errors;
  table.clear();
  EXPECT_TRUE(errors.empty());
  EXPECT_EQ(errors.Rows(), 0u);
  errors.emplace(QClavis(1, 1, 1, 1, 1, 1), KelStoreError(12, -0.25f, 0, 0, 0, 1));
  table.clear(CQParamBaseTableInterface::for_new_use);
  EXPECT_TRUE(errors.empty());
  EXPECT_EQ(errors.Name(), "<ResultShopErrors>");
}

TEST(ParamTable, FileFormRoundTrip) {
  HistoryTable history("<EvStoreSValueHistory>");
  const QClavis a(2, 1, 3, 1, 5, 0);
  const QClavis b(2, 1, 3, 2, 5, 0);
  for (int section = 0; section < 3; ++section) {
    history[QIdx7(b, section)] = Value(80.0f + section, 100.0f);
    history[QIdx7(a, section)] = Value(70.0f + section, 90.0f);
  }
  CMemFile file;
  ASSERT_TRUE(history.write(file));
  // Header, then 6 rows of a 7-int key record (1 + 14 + 28 bytes) and a 6-field value record
  // (1 + 12 + 24 bytes).
  EXPECT_EQ(file.Bytes().size(), 20u + 6u * (43u + 37u));
  // Rows in key order: all sections of the smaller key first. The first key record starts
  // after the header: 7 fields of int32, then a = (2, 1, 3, 1, 5, 0) with section 0.
  const std::vector<uint8_t>& bytes = file.Bytes();
  EXPECT_EQ(bytes[20], 7);
  EXPECT_EQ(bytes[21], 'i');
  EXPECT_EQ(bytes[22], 4);
  EXPECT_EQ(bytes[35 + 12], 1);  // location of a
  EXPECT_EQ(bytes[35 + 24], 0);  // historyIndex 0

  file.Seek(0);
  HistoryTable read("<copy>");
  ASSERT_TRUE(read.read(file));
  ASSERT_EQ(read.size(), 6u);
  auto it = read.begin();
  EXPECT_EQ(it->first, QIdx7(a, 0));
  EXPECT_EQ(it->second.tuple(), Value(70.0f, 90.0f).tuple());
  EXPECT_EQ(std::prev(read.end())->first, QIdx7(b, 2));
  EXPECT_EQ(std::prev(read.end())->second.value, 82.0f);

  // Through the file-table interface, as an owner that holds tables of several kinds does.
  KeyMapTable keys("<TrackKeys>");
  keys[a] = QIdx1(1);
  keys[b] = QIdx1(2);
  CMemFile keyFile;
  const CQParamFileTable& source = keys;
  ASSERT_TRUE(source.write(keyFile));
  keyFile.Seek(0);
  KeyMapTable keysRead("<TrackKeys>");
  CQParamFileTable& target = keysRead;
  ASSERT_TRUE(target.read(keyFile));
  EXPECT_EQ(keysRead.size(), 2u);
  EXPECT_EQ(keysRead.at(a), QIdx1(1));
  EXPECT_EQ(keysRead.at(b), QIdx1(2));
}

TEST(ParamTable, ForeignOrDamagedFilesAreRefused) {
  HistoryTable history("<EvStoreSValueHistory>");
  for (int section = 0; section < 4; ++section)
    history[QIdx7(QClavis(1, 1, 1, 1, 1, 1), section)] = Value(1.0f * section, 0.0f);
  CMemFile good;
  ASSERT_TRUE(history.write(good));
  const std::vector<uint8_t> bytes = good.Bytes();

  // A table of another shape (a key map) is not a history table.
  KeyMapTable keys("<TrackKeys>");
  keys[QClavis(1, 1, 1, 1, 1, 1)] = QIdx1(1);
  CMemFile keyFile;
  ASSERT_TRUE(keys.write(keyFile));
  keyFile.Seek(0);
  HistoryTable wrongShape("<x>");
  EXPECT_FALSE(wrongShape.read(keyFile));

  // Header fields other than (2, 1, 1): refused, nothing read.
  for (size_t field : {4u, 8u, 12u}) {
    std::vector<uint8_t> changed = bytes;
    changed[field] = 3;
    CMemFile file(changed);
    HistoryTable table("<x>");
    EXPECT_FALSE(table.read(file));
    EXPECT_TRUE(table.empty());
  }

  // Cut anywhere: refused; the complete rows before the cut stay in the table.
  for (size_t cut = 0; cut < bytes.size(); ++cut) {
    CMemFile file(std::vector<uint8_t>(bytes.begin(), bytes.begin() + cut));
    HistoryTable table("<x>");
    EXPECT_FALSE(table.read(file)) << cut;
    const size_t completeRows = cut < 20 ? 0 : (cut - 20) / (43 + 37);
    EXPECT_EQ(table.size(), completeRows) << cut;
  }

  // A header announcing four billion rows is read row by row and stops at the end of the file.
  std::vector<uint8_t> huge = bytes;
  huge[16] = huge[17] = huge[18] = huge[19] = 0xff;
  CMemFile hugeFile(huge);
  HistoryTable table("<x>");
  EXPECT_FALSE(table.read(hugeFile));
  EXPECT_EQ(table.size(), 4u);
}

TEST(ParamTable, ReadingSaysWhatIsDamaged) {
  HistoryTable history("<EvStoreSValueHistory>");
  for (int section = 0; section < 3; ++section)
    history[QIdx7(QClavis(1, 1, 1, 1, 1, 1), section)] = Value(1.0f * section, 0.0f);
  CMemFile good;
  ASSERT_TRUE(history.write(good));
  const std::vector<uint8_t> bytes = good.Bytes();
  const auto why = [](std::vector<uint8_t> content) {
    CMemFile file(std::move(content));
    HistoryTable table("<x>");
    std::string reason = "(read)";
    if (table.read(file, reason)) {
      EXPECT_EQ(reason, "(read)");
    }
    return reason;
  };
  EXPECT_EQ(why(bytes), "(read)");
  EXPECT_EQ(why({'D', 'Y', 'N'}), "it does not start with a table header");
  std::vector<uint8_t> versions = bytes;
  versions[12] = 2;
  EXPECT_EQ(why(versions),
            "its table header announces (2, 1, 2) instead of 2 records of version 1");
  EXPECT_EQ(why(std::vector<uint8_t>(bytes.begin(), bytes.end() - 1)),
            "row 3 of 3 is cut short or has another layout");

  // Rows are written once each and in key order; a repeated or earlier key is damage.
  constexpr size_t kRow = 43 + 37;
  std::vector<uint8_t> repeated = bytes;
  std::copy(bytes.begin() + 20, bytes.begin() + 20 + kRow, repeated.begin() + 20 + kRow);
  EXPECT_EQ(why(repeated), "row 2 of 3 repeats a key or is out of key order");
  std::vector<uint8_t> backwards = bytes;
  std::copy(bytes.begin() + 20, bytes.begin() + 20 + kRow, backwards.begin() + 20 + 2 * kRow);
  EXPECT_EQ(why(backwards), "row 3 of 3 repeats a key or is out of key order");
  CMemFile file(backwards);
  HistoryTable table("<x>");
  EXPECT_FALSE(table.read(file));
  EXPECT_EQ(table.size(), 2u);  // the rows before the refused one
}
