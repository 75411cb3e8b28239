#include "host/File.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>

#include "host/FileFaults.h"

size_t CMemFile::Read(void* buffer, size_t n) {
  const size_t end = std::min(bytes_.size(), readLimit_);
  if (position_ >= end) return 0;
  const size_t count = std::min(n, end - position_);
  std::memcpy(buffer, bytes_.data() + position_, count);
  position_ += count;
  return count;
}

bool CMemFile::Write(const void* buffer, size_t n) {
  if (Failed() || n > writeLimit_ || position_ > writeLimit_ - n) {
    SetFailed();
    return false;
  }
  if (position_ + n > bytes_.size()) bytes_.resize(position_ + n);
  if (n > 0) std::memcpy(bytes_.data() + position_, buffer, n);
  position_ += n;
  return true;
}

bool CMemFile::Seek(uint64_t position) {
  if (position > bytes_.size()) return false;
  position_ = static_cast<size_t>(position);
  return true;
}

CDiskFile::~CDiskFile() {
  Close();
}

namespace {

// Opens `path` for reading when it is a regular file. O_NONBLOCK keeps the open itself from
// waiting for a writer when the name is a FIFO; the fstat then refuses it. -1 with errno set
// (EINVAL for a file that is not regular).
int OpenRegularForReading(const std::string& path) {
  const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) return -1;
  struct stat info {};
  if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
    ::close(fd);
    errno = EINVAL;
    return -1;
  }
  // Back to blocking reads for the regular file.
  const int flags = ::fcntl(fd, F_GETFL);
  if (flags >= 0) ::fcntl(fd, F_SETFL, flags & ~O_NONBLOCK);
  return fd;
}

}  // namespace

bool CDiskFile::Open(const std::string& path, mode_t mode) {
  Close();
  ClearFailed();
  path_ = path;
  mode_ = mode;
  if (mode == modeWrite) {
    file_ = std::fopen(path.c_str(), "wb");
    return file_ != nullptr;
  }
  const int fd = OpenRegularForReading(path);
  if (fd < 0) return false;
  file_ = ::fdopen(fd, "rb");
  if (file_ == nullptr) ::close(fd);
  return file_ != nullptr;
}

ReadFileResult ReadRegularFile(const std::string& path, std::string& content, std::string& why) {
  content.clear();
  struct stat info {};
  if (::stat(path.c_str(), &info) != 0) {
    if (errno == ENOENT || errno == ENOTDIR) {
      why = "does not exist";
      return ReadFileResult::missing;
    }
    why = std::string("cannot be read: ") + std::strerror(errno);
    return ReadFileResult::failed;
  }
  if (!S_ISREG(info.st_mode)) {
    why = "is not a regular file";
    return ReadFileResult::notRegular;
  }
  const int fd = OpenRegularForReading(path);
  if (fd < 0) {
    why = errno == EINVAL ? "is not a regular file"
                          : std::string("cannot be read: ") + std::strerror(errno);
    return errno == EINVAL ? ReadFileResult::notRegular : ReadFileResult::failed;
  }
  char buffer[65536];
  while (true) {
    const ssize_t n = ::read(fd, buffer, sizeof(buffer));
    if (n == 0) break;
    if (n < 0) {
      if (errno == EINTR) continue;
      why = std::string("cannot be read: ") + std::strerror(errno);
      ::close(fd);
      content.clear();
      return ReadFileResult::failed;
    }
    content.append(buffer, static_cast<size_t>(n));
  }
  ::close(fd);
  return ReadFileResult::ok;
}

bool CDiskFile::Close() {
  if (file_ == nullptr) return true;
  // The first failure's errno is the one the caller reports; the later steps still run.
  int error = 0;
  if (std::fflush(file_) != 0) error = errno;
  if (mode_ == modeWrite && FileFaults::Sync(::fileno(file_)) != 0 && error == 0) error = errno;
  if (std::fclose(file_) != 0 && error == 0) error = errno;
  file_ = nullptr;
  if (error != 0) {
    SetFailed();
    errno = error;
    return false;
  }
  return !Failed();
}

size_t CDiskFile::Read(void* buffer, size_t n) {
  if (file_ == nullptr || n == 0) return 0;
  return std::fread(buffer, 1, n, file_);
}

bool CDiskFile::Write(const void* buffer, size_t n) {
  if (file_ == nullptr || Failed()) {
    SetFailed();
    return false;
  }
  if (n == 0) return true;
  size_t allowed = n;
  int error = 0;
  if (FileFaults::Armed()) allowed = FileFaults::WriteAllowance(n, error);
  if (std::fwrite(buffer, 1, allowed, file_) != allowed) {
    SetFailed();
    return false;
  }
  if (allowed != n) {
    errno = error;
    SetFailed();
    return false;
  }
  return true;
}

uint64_t CDiskFile::GetPosition() const {
  if (file_ == nullptr) return 0;
  const long position = std::ftell(file_);
  return position < 0 ? 0 : static_cast<uint64_t>(position);
}

bool CDiskFile::Seek(uint64_t position) {
  if (file_ == nullptr || position > GetLength()) return false;
  return std::fseek(file_, static_cast<long>(position), SEEK_SET) == 0;
}

uint64_t CDiskFile::GetLength() const {
  if (file_ == nullptr) return 0;
  const long here = std::ftell(file_);
  if (here < 0 || std::fseek(file_, 0, SEEK_END) != 0) return 0;
  const long end = std::ftell(file_);
  std::fseek(file_, here, SEEK_SET);
  return end < 0 ? 0 : static_cast<uint64_t>(end);
}

CReplacingFile::~CReplacingFile() {
  Abandon();
}

namespace {

// Makes a rename in `path`'s directory durable.
void SyncDirectoryOf(const std::string& path) {
  const size_t slash = path.find_last_of('/');
  const std::string directory = slash == std::string::npos ? "." : path.substr(0, slash + 1);
  const int fd = ::open(directory.c_str(), O_RDONLY | O_DIRECTORY);
  if (fd < 0) return;
  ::fsync(fd);
  ::close(fd);
}

}  // namespace

void CReplacingFile::NoteError(const std::string& what) {
  if (error_.empty()) error_ = what + ": " + std::strerror(errno);
}

bool CReplacingFile::Open(const std::string& path) {
  static std::atomic<unsigned> counter{0};
  Abandon();
  ClearFailed();
  error_.clear();
  target_ = path;
  temporary_ = path + ".tmp-" + std::to_string(::getpid()) + "-" + std::to_string(++counter);
  if (file_.Open(temporary_, CDiskFile::modeWrite)) return true;
  NoteError("cannot create its temporary file");
  temporary_.clear();
  SetFailed();
  return false;
}

bool CReplacingFile::Write(const void* buffer, size_t n) {
  if (!file_.Write(buffer, n)) {
    NoteError("cannot write");
    SetFailed();
    return false;
  }
  return true;
}

bool CReplacingFile::Commit() {
  if (temporary_.empty()) {
    if (error_.empty()) error_ = "it was not opened";
    return false;
  }
  if (!file_.Close()) NoteError("cannot write or sync");
  if (Failed() || !error_.empty()) {
    Abandon();
    return false;
  }
  if (FileFaults::Rename(temporary_.c_str(), target_.c_str()) != 0) {
    NoteError("cannot rename its temporary file into place");
    Abandon();
    return false;
  }
  temporary_.clear();
  SyncDirectoryOf(target_);
  return true;
}

void CReplacingFile::Abandon() {
  if (temporary_.empty()) return;
  file_.Close();
  std::remove(temporary_.c_str());
  temporary_.clear();
}

uint64_t RemainingBytes(const CFile& file) {
  const uint64_t length = file.GetLength();
  const uint64_t position = file.GetPosition();
  return position < length ? length - position : 0;
}

bool WriteFloatsLE(CFile& file, const float* values, size_t n) {
  if (n > SIZE_MAX / sizeof(float)) return false;
  if constexpr (std::endian::native == std::endian::little) {
    return file.Write(values, n * sizeof(float));
  } else {
    for (size_t i = 0; i < n; ++i)
      if (!WriteLE(file, values[i])) return false;
    return true;
  }
}

bool ReadFloatsLE(CFile& file, float* values, size_t n) {
  if (n > SIZE_MAX / sizeof(float)) return false;
  if constexpr (std::endian::native == std::endian::little) {
    return file.Read(values, n * sizeof(float)) == n * sizeof(float);
  } else {
    for (size_t i = 0; i < n; ++i)
      if (!ReadLE(file, values[i])) return false;
    return true;
  }
}
