#include "JsonLines.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "LineReader.h"
#include "WriteAll.h"
#include "host/FileFaults.h"

namespace JsonLines {

namespace {

std::string SystemError(const std::string& what, const std::string& path) {
  return what + " " + path + ": " + std::strerror(errno);
}

bool IsRegularFile(const std::string& path) {
  struct stat info {};
  return stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode);
}

bool Exists(const std::string& path) {
  struct stat info {};
  return stat(path.c_str(), &info) == 0;
}

}  // namespace

ReadResult ForEachLine(const std::string& path, const TextVisitor& visit, std::string& warning,
                       std::string& error) {
  warning.clear();
  if (!Exists(path)) return ReadResult::missing;
  if (!IsRegularFile(path)) {
    error = path + " is not a regular file";
    return ReadResult::damaged;
  }
  CLineReader reader;
  if (!reader.Open(path, error)) return ReadResult::damaged;
  std::string_view text;
  std::string readError;
  for (size_t number = 1; reader.Next(text, readError); ++number) {
    if (!reader.LineEnded()) {
      warning = path + ":" + std::to_string(number) +
                ": the last line is cut short (an interrupted run); it is skipped";
      break;
    }
    if (!visit(number, text, error)) return ReadResult::damaged;
  }
  if (!readError.empty()) {
    error = readError;
    return ReadResult::damaged;
  }
  return ReadResult::ok;
}

ReadResult ForEach(const std::string& path, const ValueVisitor& visit, std::string& warning,
                   std::string& error) {
  return ForEachLine(
      path,
      [&path, &visit](size_t number, std::string_view text, std::string& why) {
        nlohmann::json value = nlohmann::json::parse(text.begin(), text.end(), nullptr, false);
        if (!value.is_object()) {
          why = path + ":" + std::to_string(number) + ": not a JSON object";
          return false;
        }
        visit(number, value);
        return true;
      },
      warning, error);
}

ReadResult Read(const std::string& path, std::vector<Line>& lines, std::string& warning,
                std::string& error) {
  lines.clear();
  return ForEach(
      path,
      [&lines](size_t number, nlohmann::json& value) {
        lines.push_back(Line{number, std::move(value)});
      },
      warning, error);
}

namespace {

// Cuts the regular file `fd` of `size` bytes back to just after its last line feed (to nothing
// when it has none). Reads only the end of the file: a run that starts on a long record must not
// pay for it.
bool CutAfterLastLineFeed(int fd, off_t size, const std::string& path, std::string& error) {
  off_t end = size;
  char buffer[65536];
  while (end > 0) {
    const off_t start = end > static_cast<off_t>(sizeof(buffer)) ? end - sizeof(buffer) : 0;
    const ssize_t n = pread(fd, buffer, static_cast<size_t>(end - start), start);
    if (n != end - start) {
      error = SystemError("cannot read", path);
      return false;
    }
    const char* feed = static_cast<const char*>(memrchr(buffer, '\n', static_cast<size_t>(n)));
    if (feed != nullptr) {
      end = start + (feed - buffer) + 1;
      break;
    }
    end = start;
  }
  if (end != size && ftruncate(fd, end) != 0) {
    error = SystemError("cannot cut the torn last line of", path);
    return false;
  }
  return true;
}

}  // namespace

bool CutTornLine(const std::string& path, std::string& error) {
  if (!Exists(path)) return true;
  const int fd = open(path.c_str(), O_RDWR | O_CLOEXEC);
  struct stat info {};
  if (fd < 0 || fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
    error = fd < 0 ? SystemError("cannot open", path) : path + " is not a regular file";
    if (fd >= 0) close(fd);
    return false;
  }
  const bool cut = CutAfterLastLineFeed(fd, info.st_size, path, error);
  close(fd);
  return cut;
}

size_t CountLines(const std::string& path) {
  const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return 0;
  size_t lines = 0;
  char buffer[65536];
  for (ssize_t n; (n = read(fd, buffer, sizeof(buffer))) > 0;)
    for (ssize_t i = 0; i < n; ++i) lines += buffer[i] == '\n' ? 1 : 0;
  close(fd);
  return lines;
}

bool Append(const std::string& path, const std::string& line, std::string& error) {
  const int fd = open(path.c_str(), O_RDWR | O_APPEND | O_CREAT | O_CLOEXEC, 0644);
  if (fd < 0) {
    error = SystemError("cannot open", path);
    return false;
  }
  // A line left torn (by a killed run, or a failed append whose bytes could not be cut off)
  // is cut off first: the new line must not run into it.
  struct stat info {};
  char last = '\n';
  if (fstat(fd, &info) == 0 && S_ISREG(info.st_mode) && info.st_size > 0 &&
      (pread(fd, &last, 1, info.st_size - 1) != 1 || last != '\n') &&
      !CutAfterLastLineFeed(fd, info.st_size, path, error)) {
    close(fd);
    return false;
  }
  const std::string why = AppendWhole(fd, line + "\n");
  if (!why.empty()) error = "cannot append to " + path + ": " + why;
  close(fd);
  return why.empty();
}

bool WriteWhole(const std::string& path, const std::string& text, std::string& error) {
  const std::string temporary = path + ".tmp-" + std::to_string(getpid()) + "-0";
  const int fd = open(temporary.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
  if (fd < 0) {
    error = SystemError("cannot create", temporary);
    return false;
  }
  const std::string why = WriteAll(fd, text);
  bool written = why.empty();
  if (!written) {
    error = "cannot write " + temporary + ": " + why;
  } else if (FileFaults::Sync(fd) != 0) {
    error = SystemError("cannot sync", temporary);
    written = false;
  }
  if (close(fd) != 0 && written) {
    error = SystemError("cannot write", temporary);
    written = false;
  }
  if (written && FileFaults::Rename(temporary.c_str(), path.c_str()) == 0) return true;
  if (written) error = SystemError("cannot rename " + temporary + " to", path);
  std::remove(temporary.c_str());
  return false;
}

}  // namespace JsonLines
