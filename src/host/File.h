#pragma once
// Binary files of the host. CFile is the interface every reader and writer of the program uses;
// CDiskFile is a file on disk, CMemFile an in-memory twin that tests use to cut, corrupt and
// fill files at will. CReplacingFile writes a new version of a file under a temporary name and
// renames it into place on Commit, so a crash or a full disk never destroys the previous file.
// Their writes, syncs and renames pass through FileFaults (host/FileFaults.h), where tests
// inject failures.
//
// Byte order: every multi-byte number the program writes is little-endian; WriteLE/ReadLE
// convert on machines that are not.

#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>
#include <type_traits>
#include <utility>
#include <vector>

class CFile {
 public:
  virtual ~CFile() = default;

  // Reads up to n bytes; returns how many were read (fewer at the end of the file or on error).
  virtual size_t Read(void* buffer, size_t n) = 0;
  // Writes n bytes; false when not all of them could be written. A failed write makes the
  // file failed for good (Failed() true), so a writer can check once at the end.
  virtual bool Write(const void* buffer, size_t n) = 0;
  // Position from the start, and moving it; Seek returns false outside [0, length].
  virtual uint64_t GetPosition() const = 0;
  virtual bool Seek(uint64_t position) = 0;
  virtual uint64_t GetLength() const = 0;

  bool Failed() const { return failed_; }

 protected:
  void SetFailed() { failed_ = true; }
  void ClearFailed() { failed_ = false; }

 private:
  bool failed_ = false;
};

// An in-memory file. Limits inject faults: a write limit makes writes beyond that many bytes
// fail (a full disk), a read limit makes reads stop there (a truncated file).
class CMemFile : public CFile {
 public:
  CMemFile() = default;
  explicit CMemFile(std::vector<uint8_t> bytes) : bytes_(std::move(bytes)) {}

  size_t Read(void* buffer, size_t n) override;
  bool Write(const void* buffer, size_t n) override;
  uint64_t GetPosition() const override { return position_; }
  bool Seek(uint64_t position) override;
  uint64_t GetLength() const override { return bytes_.size(); }

  const std::vector<uint8_t>& Bytes() const { return bytes_; }
  void SetWriteLimit(size_t bytes) { writeLimit_ = bytes; }
  void SetReadLimit(size_t bytes) { readLimit_ = bytes; }

 private:
  std::vector<uint8_t> bytes_;
  size_t position_ = 0;
  size_t writeLimit_ = SIZE_MAX;
  size_t readLimit_ = SIZE_MAX;
};

// A file on disk, opened for reading or for writing (created or truncated). Opening for
// reading refuses anything but a regular file (a FIFO would block the reader for good).
class CDiskFile : public CFile {
 public:
  enum mode_t { modeRead, modeWrite };

  CDiskFile() = default;
  ~CDiskFile() override;
  CDiskFile(const CDiskFile&) = delete;
  CDiskFile& operator=(const CDiskFile&) = delete;

  bool Open(const std::string& path, mode_t mode);
  // Flushes and closes; false when buffered data could not be written or synced.
  bool Close();
  bool IsOpen() const { return file_ != nullptr; }
  const std::string& Path() const { return path_; }

  size_t Read(void* buffer, size_t n) override;
  bool Write(const void* buffer, size_t n) override;
  uint64_t GetPosition() const override;
  bool Seek(uint64_t position) override;
  uint64_t GetLength() const override;

 private:
  std::FILE* file_ = nullptr;
  std::string path_;
  mode_t mode_ = modeRead;
};

// Writes a new version of `path`: the bytes go to a temporary file beside it, and Commit
// syncs it and renames it over `path`. Destroyed without a successful Commit, the temporary
// file is removed and `path` is untouched.
class CReplacingFile : public CFile {
 public:
  CReplacingFile() = default;
  ~CReplacingFile() override;

  bool Open(const std::string& path);
  // True when every write succeeded and the new file is in place.
  bool Commit();
  // Drops the temporary file; `path` keeps its previous content.
  void Abandon();
  // Why the first failed Open, Write or Commit failed, in a few words ("cannot rename its
  // temporary file into place: Is a directory"); "" while nothing failed.
  const std::string& Error() const { return error_; }

  size_t Read(void* buffer, size_t n) override { return file_.Read(buffer, n); }
  bool Write(const void* buffer, size_t n) override;
  uint64_t GetPosition() const override { return file_.GetPosition(); }
  bool Seek(uint64_t position) override { return file_.Seek(position); }
  uint64_t GetLength() const override { return file_.GetLength(); }

 private:
  // Keeps the first failure: later ones are its consequences.
  void NoteError(const std::string& what);

  CDiskFile file_;
  std::string target_;
  std::string temporary_;
  std::string error_;
};

// Reading whole files. Only regular files are read: a FIFO, a device or a folder under the
// name would block or make no sense, so it is refused. Every reader of text files (test
// plans, the settings file) goes through here.
enum class ReadFileResult {
  ok,          // `content` holds the whole file
  missing,     // nothing exists under the name
  notRegular,  // a folder, FIFO, device or socket
  failed,      // it exists but cannot be opened or read (permissions, I/O error)
};
// Reads `path` into `content`; on anything but ok, `content` is empty and `why` says in a few
// words what is wrong ("does not exist", "is not a regular file", "cannot be read: <reason>").
ReadFileResult ReadRegularFile(const std::string& path, std::string& content, std::string& why);

// Little-endian numbers. T is an arithmetic type of 1, 2, 4 or 8 bytes.
template <typename T>
bool WriteLE(CFile& file, T value) {
  static_assert(std::is_arithmetic_v<T>);
  uint8_t bytes[sizeof(T)];
  std::memcpy(bytes, &value, sizeof(T));
  if constexpr (std::endian::native == std::endian::big) {
    for (size_t i = 0; i < sizeof(T) / 2; ++i) std::swap(bytes[i], bytes[sizeof(T) - 1 - i]);
  }
  return file.Write(bytes, sizeof(T));
}

// Reads one number; false (value unchanged) when fewer than sizeof(T) bytes come.
template <typename T>
bool ReadLE(CFile& file, T& value) {
  static_assert(std::is_arithmetic_v<T>);
  uint8_t bytes[sizeof(T)];
  if (file.Read(bytes, sizeof(T)) != sizeof(T)) return false;
  if constexpr (std::endian::native == std::endian::big) {
    for (size_t i = 0; i < sizeof(T) / 2; ++i) std::swap(bytes[i], bytes[sizeof(T) - 1 - i]);
  }
  std::memcpy(&value, bytes, sizeof(T));
  return true;
}

// Bytes between the position and the end: readers compare announced counts with it before
// they allocate anything.
uint64_t RemainingBytes(const CFile& file);

// Blocks of floats (sample buffers): one call, converted only on big-endian machines.
bool WriteFloatsLE(CFile& file, const float* values, size_t n);
// Reads exactly n floats; false when the file ends first (the buffer is then partly filled).
bool ReadFloatsLE(CFile& file, float* values, size_t n);
