#include "params/DovetarTableTranslator.h"

#include <limits>

#include "host/Output.h"

namespace {

std::string RowText(int32_t row, int32_t rows) {
  return "row " + std::to_string(row + 1) + " of " + std::to_string(rows);
}

}  // namespace

bool CDovetarTableTranslator::Write(CFile& file) {
  const size_t rows = SourceRows();
  if (rows > static_cast<size_t>(std::numeric_limits<int32_t>::max())) return false;
  header_ = TableHeader{kHeaderSize, kVersion, static_cast<int32_t>(rows)};
  return WriteLE(file, header_.headerSize) && WriteLE(file, header_.version) &&
         WriteLE(file, header_.rows) && WriteSourceRows(file);
}

bool CDovetarTableTranslator::ReadHeader(CFile& file, std::string& why) {
  TableHeader read;
  if (!ReadLE(file, read.headerSize) || !ReadLE(file, read.version) || !ReadLE(file, read.rows)) {
    why = "its table header is cut short";
    return false;
  }
  if (read.headerSize != kHeaderSize || read.version != kVersion) {
    why = "its table header has size " + std::to_string(read.headerSize) + " and version " +
          std::to_string(read.version) + " instead of 12 and 1";
    return false;
  }
  if (read.rows < 0 || static_cast<uint64_t>(read.rows) * MinRowBytes() > RemainingBytes(file)) {
    why = "its table header announces " + std::to_string(read.rows) +
          " rows, more than the file holds";
    return false;
  }
  header_ = read;
  return true;
}

bool CDovetarTableTranslator::Read(CFile& file, std::string& why) {
  if (!ReadHeader(file, why)) return false;
  int32_t previous = 0;
  for (int32_t row = 0; row < header_.rows; ++row) {
    int32_t id = 0;
    if (!ReadLE(file, id)) {
      why = RowText(row, header_.rows) + " is cut short";
      return false;
    }
    if (row > 0 && id <= previous) {
      why = RowText(row, header_.rows) + " repeats an id or is out of id order";
      return false;
    }
    std::string rowWhy;
    if (!ReadRowAfterId(file, id, rowWhy)) {
      why = RowText(row, header_.rows) + ": " + rowWhy;
      return false;
    }
    previous = id;
  }
  return true;
}

void CDovetarTableTranslator::DumpBegin() {
  PrWin::Output("\n <<------------ Table ------------->>\n", PrWin::catDebug, 0);
}

void CDovetarTableTranslator::DumpEnd() {
  PrWin::Output("\n <<------------ End Table ------------->>\n", PrWin::catDebug, 0);
}
