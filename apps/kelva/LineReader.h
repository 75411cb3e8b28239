#pragma once
// Reads a text file line by line through one reused buffer: each line is handed out as a view
// into the buffer, valid until the next call. Made for large logs, where a copy of every line
// into a string would cost as much as the parsing.

#include <cstdint>
#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

class CLineReader {
 public:
  CLineReader() = default;
  CLineReader(const CLineReader&) = delete;
  CLineReader& operator=(const CLineReader&) = delete;
  ~CLineReader();

  // Opens `path` (closing the file open before); false with `error` set when it cannot be read.
  bool Open(const std::string& path, std::string& error);
  // The next line without its "\n"; false at the end of the file (error empty) or when the
  // file cannot be read further (error set). The last line need not end with "\n".
  bool Next(std::string_view& line, std::string& error);
  // Whether the line Next gave last ended with "\n" (only the last line of a file may not).
  bool LineEnded() const { return lineEnded_; }

 private:
  // Reads more of the file behind the bytes not yet handed out; false when nothing more came.
  bool Fill(std::string& error);
  void Close();

  std::FILE* file_ = nullptr;
  std::string path_;
  std::vector<char> buffer_;
  size_t begin_ = 0;    // the first byte not yet handed out
  size_t end_ = 0;      // the end of the bytes read
  size_t scanned_ = 0;  // bytes from begin_ known to hold no "\n"
  bool atEnd_ = false;
  bool lineEnded_ = false;
};
