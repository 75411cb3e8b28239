#include "host/WholeFile.h"

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <system_error>

#include "host/FileIO.h"

namespace fs = std::filesystem;

namespace {

const char* const kNotRegular = "it is not a regular file";

// "" when the open file holds exactly what `read` takes, else what is wrong with it.
std::string ReadContent(const std::string& path,
                        const std::function<bool(CFile&, std::string&)>& read) {
  CDiskFile file;
  if (!file.Open(path, CDiskFile::modeRead))
    return std::string("it cannot be opened: ") + std::strerror(errno);
  std::string why;
  if (!read(file, why)) return why.empty() ? "its content cannot be read" : why;
  const uint64_t rest = RemainingBytes(file);
  if (rest != 0) return std::to_string(rest) + " bytes follow the end of its content";
  return "";
}

}  // namespace

WholeFileRead ReadWholeFileInPlace(const std::string& path,
                                   const std::function<bool(CFile&, std::string&)>& read) {
  WholeFileRead result;
  std::error_code ec;
  if (!fs::exists(fs::symlink_status(path, ec))) return result;
  result.status = WholeFileRead::damaged;
  if (!fs::is_regular_file(fs::status(path, ec))) {
    result.reason = kNotRegular;
    return result;
  }
  result.reason = ReadContent(path, read);
  if (result.reason.empty()) result.status = WholeFileRead::read;
  return result;
}

WholeFileRead ReadWholeFile(const std::string& path,
                            const std::function<bool(CFile&, std::string&)>& read) {
  WholeFileRead result = ReadWholeFileInPlace(path, read);
  if (result.status != WholeFileRead::damaged) return result;
  if (result.reason == kNotRegular) {
    result.notKeptBecause = "only regular files are moved aside";
    return result;
  }
  if (!FileIO::KeepDamagedFile(path, &result.keptAs))
    result.notKeptBecause = std::string("it cannot be renamed: ") + std::strerror(errno);
  return result;
}
