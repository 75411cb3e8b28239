#include "host/FileIO.h"

#include "host/File.h"
#include "host/FileFaults.h"
#include "host/Utf8.h"

#include <fcntl.h>
#include <stdio.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <string_view>
#include <system_error>
#include <vector>

#include "host/Clock.h"

namespace fs = std::filesystem;

namespace FileIO {

namespace {

struct NormalPath {
  bool absolute = false;
  std::vector<std::string> parts;
};

// Lexical normal form: empty and "." components dropped, "name/.." pairs removed, ".." at the
// root of an absolute path dropped, leading ".." of a relative path kept.
NormalPath Normalise(const std::string& path) {
  NormalPath normal;
  normal.absolute = !path.empty() && path.front() == '/';
  size_t start = 0;
  while (start <= path.size()) {
    size_t end = path.find('/', start);
    if (end == std::string::npos) end = path.size();
    const std::string part = path.substr(start, end - start);
    start = end + 1;
    if (part.empty() || part == ".") continue;
    if (part != "..") {
      normal.parts.push_back(part);
    } else if (!normal.parts.empty() && normal.parts.back() != "..") {
      normal.parts.pop_back();
    } else if (!normal.absolute) {
      normal.parts.push_back(part);
    }
  }
  return normal;
}

// Makes the entries of `folder` durable (a rename in it).
void SyncFolder(const std::string& folder) {
  const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY);
  if (fd < 0) return;
  ::fsync(fd);
  ::close(fd);
}

// Copies one file through a CReplacingFile: a temporary name beside `target`, synced and
// renamed into place. False with `why` set; `target` is then as it was.
bool CopyOneFile(const std::string& source, const std::string& target, std::string& why) {
  CDiskFile in;
  if (!in.Open(source, CDiskFile::modeRead)) {
    why = "cannot open " + source + ": " + std::strerror(errno);
    return false;
  }
  const uint64_t length = in.GetLength();
  CReplacingFile out;
  if (out.Open(target)) {
    std::vector<char> buffer(64 * 1024);
    uint64_t copied = 0;
    for (size_t n; (n = in.Read(buffer.data(), buffer.size())) > 0; copied += n)
      if (!out.Write(buffer.data(), n)) break;
    if (copied < length && out.Error().empty()) {
      out.Abandon();
      why = "cannot read " + source + " to its end";
      return false;
    }
    if (out.Commit()) return true;
  }
  why = "cannot copy " + source + " to " + target + ": " + out.Error();
  return false;
}

// Appends `part` with every byte outside [A-Za-z0-9-] written as %XX.
void AppendPercentEncoded(std::string& out, const std::string& part) {
  static const char kHex[] = "0123456789ABCDEF";
  for (const char c : part) {
    const unsigned char byte = static_cast<unsigned char>(c);
    const bool kept = (byte >= 'A' && byte <= 'Z') || (byte >= 'a' && byte <= 'z') ||
                      (byte >= '0' && byte <= '9') || byte == '-';
    if (kept) {
      out += c;
    } else {
      out += '%';
      out += kHex[byte >> 4];
      out += kHex[byte & 0x0F];
    }
  }
}

// The host's wall time in UTC as 20261206T140501Z.
std::string UtcTimestamp() {
  const std::time_t now = HostClock::WallTime();
  std::tm utc{};
  gmtime_r(&now, &utc);
  char text[32];
  std::strftime(text, sizeof(text), "%Y%m%dT%H%M%SZ", &utc);
  return text;
}

// Renames `from` to `to` unless something exists under `to`; errno EEXIST then. Falls back to
// link and unlink on file systems that cannot rename without replacing.
bool RenameWithoutReplacing(const std::string& from, const std::string& to) {
  if (FileFaults::Armed()) {
    if (const int error = FileFaults::RenameError(); error != 0) {
      errno = error;
      return false;
    }
  }
  if (::renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0) return true;
  if (errno != EINVAL && errno != ENOSYS) return false;
  if (::link(from.c_str(), to.c_str()) != 0) return false;
  if (::unlink(from.c_str()) == 0) return true;
  const int unlinkError = errno;
  ::unlink(to.c_str());
  errno = unlinkError;
  return false;
}

}  // namespace

std::string partTypeFileName(const std::string& platform, const std::string& type) {
  std::string name;
  AppendPercentEncoded(name, platform);
  if (!platform.empty()) name += '_';
  AppendPercentEncoded(name, type);
  return name;
}

bool KeepDamagedFile(const std::string& path, std::string* keptAs) {
  std::error_code ec;
  if (path.empty() || !fs::exists(fs::symlink_status(path, ec))) return false;
  const std::string base = path + ".damaged-" + UtcTimestamp();
  for (int attempt = 1; attempt <= 999; ++attempt) {
    const std::string candidate = attempt == 1 ? base : base + "-" + std::to_string(attempt);
    if (RenameWithoutReplacing(path, candidate)) {
      SyncFolder(fs::path(candidate).parent_path().string());
      if (keptAs != nullptr) *keptAs = candidate;
      return true;
    }
    if (errno != EEXIST) return false;
  }
  return false;
}

bool matchesPattern(const std::string& name, const std::string& pattern) {
  // One character of `name` at `i`: a whole UTF-8 sequence, or a single stray byte.
  const auto characterAt = [&](size_t i) {
    return std::max<size_t>(1, Utf8::SequenceLength(name, i));
  };
  size_t n = 0, p = 0;
  size_t starPattern = std::string::npos, starName = 0;
  while (n < name.size()) {
    if (p < pattern.size() && pattern[p] == '*') {
      starPattern = p++;
      starName = n;
    } else if (p < pattern.size() && pattern[p] == '?') {
      n += characterAt(n);
      ++p;
    } else if (p < pattern.size() && pattern[p] == name[n]) {
      ++n;
      ++p;
    } else if (starPattern != std::string::npos) {
      // Let the last '*' swallow one more character and retry from there.
      starName += characterAt(starName);
      n = starName;
      p = starPattern + 1;
    } else {
      return false;
    }
  }
  while (p < pattern.size() && pattern[p] == '*') ++p;
  return p == pattern.size();
}

bool isContent(const std::string& folder, const std::string& pattern) {
  std::error_code ec;
  for (fs::directory_iterator it(folder, ec); !ec && it != fs::directory_iterator();
       it.increment(ec)) {
    std::error_code typeError;
    if (it->is_regular_file(typeError) && matchesPattern(it->path().filename().string(), pattern))
      return true;
  }
  return false;
}

std::string makePathRelative(const std::string& path, const std::string& base) {
  const NormalPath normalPath = Normalise(path);
  const NormalPath normalBase = Normalise(base);
  if (normalPath.absolute != normalBase.absolute ||
      normalBase.parts.size() > normalPath.parts.size() ||
      !std::equal(normalBase.parts.begin(), normalBase.parts.end(), normalPath.parts.begin()))
    return path;
  std::string relative;
  for (size_t i = normalBase.parts.size(); i < normalPath.parts.size(); ++i) {
    if (!relative.empty()) relative += '/';
    relative += normalPath.parts[i];
  }
  if (!relative.empty() && path.back() == '/') relative += '/';
  return relative;
}

std::string makePathAbsolute(const std::string& relative, const std::string& root) {
  if (!relative.empty() && relative.front() == '/') return relative;
  if (root.empty()) return relative;
  size_t depth = 0;
  size_t start = 0;
  while (start <= relative.size()) {
    size_t end = relative.find('/', start);
    if (end == std::string::npos) end = relative.size();
    const std::string part = relative.substr(start, end - start);
    start = end + 1;
    if (part.empty() || part == ".") continue;
    if (part != "..") {
      ++depth;
    } else if (depth == 0) {
      return "";  // would climb above root
    } else {
      --depth;
    }
  }
  return root.back() == '/' ? root + relative : root + '/' + relative;
}

bool CreateFolder(const std::string& folder, std::string* why) {
  if (folder.empty()) {
    if (why != nullptr) *why = "no folder is given";
    return false;
  }
  std::string trimmed = folder;
  while (trimmed.size() > 1 && trimmed.back() == '/') trimmed.pop_back();
  std::error_code ec;
  fs::create_directories(trimmed, ec);
  std::error_code kind;
  if (fs::is_directory(trimmed, kind)) return true;
  if (why != nullptr)
    *why = "cannot create the folder " + folder + ": " +
           (fs::exists(fs::symlink_status(trimmed, kind)) ? "a file of that name is in the way"
                                                          : ec.message());
  return false;
}

namespace {

int CopyMatching(const std::string& fromFolder, const std::string& pattern,
                 const std::string& toFolder, std::string& why) {
  std::error_code ec;
  if (fromFolder.empty() || !fs::is_directory(fromFolder, ec)) {
    why = "there is no folder " + fromFolder;
    return -1;
  }
  if (!CreateFolder(toFolder, &why)) return -1;
  std::vector<std::string> names;
  fs::directory_iterator it(fromFolder, ec);
  for (; !ec && it != fs::directory_iterator(); it.increment(ec)) {
    std::error_code typeError;
    const std::string name = it->path().filename().string();
    if (it->is_regular_file(typeError) && matchesPattern(name, pattern)) names.push_back(name);
  }
  if (ec) {
    why = "cannot list the folder " + fromFolder + ": " + ec.message();
    return -1;
  }
  std::sort(names.begin(), names.end());
  int copied = 0;
  for (const std::string& name : names) {
    if (!CopyOneFile((fs::path(fromFolder) / name).string(), (fs::path(toFolder) / name).string(),
                     why))
      return -1;
    ++copied;
  }
  return copied;
}

}  // namespace

int CopyFiles(const std::string& fromFolder, const std::string& pattern,
              const std::string& toFolder, std::string* why) {
  std::string reason;
  const int copied = CopyMatching(fromFolder, pattern, toFolder, reason);
  if (copied < 0 && why != nullptr) *why = reason;
  return copied;
}

}  // namespace FileIO
