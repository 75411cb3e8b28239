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

namespace {

// A file written under a temporary name beside `path` and renamed into place by Commit; removed
// when the writer ends without a commit, so `path` is either its old content or the whole new
// one. Writes are gathered into a buffer of bounded size.
class CReplacement {
 public:
  explicit CReplacement(const std::string& path)
      : path_(path), temporary_(path + ".tmp-" + std::to_string(getpid()) + "-0") {}
  ~CReplacement() {
    if (fd_ >= 0) close(fd_);
    if (!committed_) std::remove(temporary_.c_str());
  }
  CReplacement(const CReplacement&) = delete;
  CReplacement& operator=(const CReplacement&) = delete;

  bool Open(std::string& error) {
    fd_ = open(temporary_.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd_ < 0) error = SystemError("cannot create", temporary_);
    return fd_ >= 0;
  }
  bool Write(std::string_view text, std::string& error) {
    if (pending_.size() + text.size() < kBuffer) {
      pending_.append(text);
      return true;
    }
    return Flush(error) && Put(text, error);
  }
  bool Commit(std::string& error) {
    if (!Flush(error)) return false;
    if (FileFaults::Sync(fd_) != 0) {
      error = SystemError("cannot sync", temporary_);
      return false;
    }
    const int closed = close(fd_);
    fd_ = -1;
    if (closed != 0) {
      error = SystemError("cannot write", temporary_);
      return false;
    }
    if (FileFaults::Rename(temporary_.c_str(), path_.c_str()) != 0) {
      error = SystemError("cannot rename " + temporary_ + " to", path_);
      return false;
    }
    committed_ = true;
    return true;
  }

 private:
  static constexpr size_t kBuffer = size_t{1} << 20;

  bool Put(std::string_view bytes, std::string& error) {
    const std::string why = WriteAll(fd_, bytes);
    if (!why.empty()) error = "cannot write " + temporary_ + ": " + why;
    return why.empty();
  }
  bool Flush(std::string& error) {
    const bool written = Put(pending_, error);
    pending_.clear();
    return written;
  }

  std::string path_;
  std::string temporary_;
  std::string pending_;
  int fd_ = -1;
  bool committed_ = false;
};

}  // namespace

bool WriteWhole(const std::string& path, const std::string& text, std::string& error) {
  CReplacement file(path);
  return file.Open(error) && file.Write(text, error) && file.Commit(error);
}

ReadResult Rewrite(const std::string& path, const LineFilter& keep, std::string& warning,
                   std::string& error) {
  warning.clear();
  if (!Exists(path)) return ReadResult::missing;
  CReplacement file(path);
  if (!file.Open(error)) return ReadResult::damaged;
  const auto copyKept = [&keep, &file](size_t number, std::string_view text, std::string& why) {
    return !keep(number, text) || (file.Write(text, why) && file.Write("\n", why));
  };
  const ReadResult read = ForEachLine(path, copyKept, warning, error);
  if (read != ReadResult::ok) return read;
  return file.Commit(error) ? ReadResult::ok : ReadResult::damaged;
}

}  // namespace JsonLines
