#include "LineReader.h"

#include <cerrno>
#include <cstring>

namespace {

constexpr size_t kChunk = 1 << 20;

}  // namespace

CLineReader::~CLineReader() {
  Close();
}

void CLineReader::Close() {
  if (file_ != nullptr) std::fclose(file_);
  file_ = nullptr;
}

bool CLineReader::Open(const std::string& path, std::string& error) {
  Close();
  path_ = path;
  begin_ = end_ = scanned_ = 0;
  atEnd_ = false;
  file_ = std::fopen(path.c_str(), "rb");
  if (file_ == nullptr) {
    error = path + ": cannot be read: " + std::strerror(errno);
    return false;
  }
  return true;
}

bool CLineReader::Fill(std::string& error) {
  if (atEnd_ || file_ == nullptr) return false;
  // Move the unread rest to the front, then make room for a whole chunk behind it (a line
  // longer than the buffer makes the buffer grow).
  if (begin_ > 0) {
    std::memmove(buffer_.data(), buffer_.data() + begin_, end_ - begin_);
    end_ -= begin_;
    begin_ = 0;
  }
  if (buffer_.size() < end_ + kChunk) buffer_.resize(end_ + kChunk);
  const size_t got = std::fread(buffer_.data() + end_, 1, kChunk, file_);
  end_ += got;
  if (got < kChunk) {
    if (std::ferror(file_)) {
      error = path_ + ": cannot be read: " + std::strerror(errno);
      return false;
    }
    atEnd_ = true;
  }
  return got > 0;
}

bool CLineReader::Next(std::string_view& line, std::string& error) {
  for (;;) {
    const char* from = buffer_.data() + begin_;
    const size_t available = end_ - begin_;
    const void* newline =
        available > scanned_ ? std::memchr(from + scanned_, '\n', available - scanned_) : nullptr;
    if (newline != nullptr) {
      const size_t length = static_cast<size_t>(static_cast<const char*>(newline) - from);
      line = std::string_view(from, length);
      begin_ += length + 1;
      scanned_ = 0;
      lineEnded_ = true;
      return true;
    }
    scanned_ = available;
    if (!Fill(error)) {
      if (!error.empty() || end_ == begin_) return false;
      // The last line, without "\n".
      line = std::string_view(buffer_.data() + begin_, end_ - begin_);
      begin_ = end_;
      scanned_ = 0;
      lineEnded_ = false;
      return true;
    }
  }
}
