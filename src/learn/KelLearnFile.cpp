#include "learn/KelLearnFile.h"

#include <vector>

#include "host/Crc32.h"
#include "learn/KelLearnStore.h"

namespace KelLearnFile {

namespace {

constexpr size_t kChecksumBytes = 4;

uint32_t ChecksumAt(const std::vector<uint8_t>& bytes, size_t offset) {
  return static_cast<uint32_t>(bytes[offset]) | static_cast<uint32_t>(bytes[offset + 1]) << 8 |
         static_cast<uint32_t>(bytes[offset + 2]) << 16 |
         static_cast<uint32_t>(bytes[offset + 3]) << 24;
}

}  // namespace

bool Write(CKelLearnStore& store, CFile& file) {
  CMemFile content;
  if (!store.WriteDovetarBaseTables(content) || !store.WriteLearnTables(content) ||
      content.Failed())
    return false;
  const std::vector<uint8_t>& bytes = content.Bytes();
  const uint32_t checksum = Crc32::Of(bytes.data(), bytes.size());
  return file.Write(bytes.data(), bytes.size()) && WriteLE(file, checksum);
}

bool Read(CKelLearnStore& store, CFile& file, std::string& why) {
  const uint64_t length = RemainingBytes(file);
  if (length < kChecksumBytes) {
    why = "it is too short to be a learn file";
    return false;
  }
  std::vector<uint8_t> bytes(static_cast<size_t>(length));
  if (file.Read(bytes.data(), bytes.size()) != bytes.size()) {
    why = "it cannot be read to its end";
    return false;
  }
  const size_t contentBytes = bytes.size() - kChecksumBytes;
  if (Crc32::Of(bytes.data(), contentBytes) != ChecksumAt(bytes, contentBytes)) {
    why = "its checksum does not match its content (bytes were changed or lost)";
    return false;
  }
  bytes.resize(contentBytes);
  CMemFile content(std::move(bytes));
  std::string reason;
  if (!store.CDovetarTranslator::Read(content, reason)) {
    why = "its identifier tables are damaged: " + reason;
    return false;
  }
  store.ReadChimneyWidths();
  if (!store.ReadAndTranslateLearnTables(content)) {
    why = "its learn tables are damaged";
    return false;
  }
  const uint64_t rest = RemainingBytes(content);
  if (rest != 0) {
    why = std::to_string(rest) + " bytes follow its learn tables";
    return false;
  }
  return true;
}

bool Save(CKelLearnStore& store, const std::string& path, std::string& error) {
  CReplacingFile file;
  if (file.Open(path) && Write(store, file) && file.Commit()) return true;
  error = file.Error().empty() ? "the learn tables cannot be written" : file.Error();
  return false;
}

WholeFileRead Load(CKelLearnStore& store, const std::string& path) {
  return ReadWholeFile(path,
                       [&store](CFile& file, std::string& why) { return Read(store, file, why); });
}

}  // namespace KelLearnFile
