#pragma once
// The work directory's log: every output-window line of a run, appended to "kelva.log".

#include <string>

#include "host/Output.h"

class CRunLog : public PrWin::Sink {
 public:
  CRunLog() = default;
  ~CRunLog() override;
  CRunLog(const CRunLog&) = delete;
  CRunLog& operator=(const CRunLog&) = delete;

  // Opens `path` for appending, creating it when missing. False, with the reason in `error`,
  // when it is not a regular file (a FIFO would block the run) or cannot be opened; nothing is
  // logged then.
  bool Open(const std::string& path, std::string& error);

  // One line per message: a text without its own line end gets one.
  void Write(int category, int style, std::string_view text) override;
  // "[16 <source>:<line>] text".
  void WriteTrace(const PrWin::Origin& origin, std::string_view text) override;

  // Why the first line that could not be logged was lost ("" while every line went in): "the
  // log <path> cannot be written: <reason>". A line goes in whole or not at all, and the lines
  // after a lost one are tried again.
  const std::string& WriteFailure() const { return writeFailure_; }

 private:
  void Append(const std::string& tag, std::string_view text);
  int fd_ = -1;
  std::string path_;
  std::string writeFailure_;
};

// Adds a sink to the output window for the lifetime of this object.
class CScopedSink {
 public:
  explicit CScopedSink(PrWin::Sink* sink) : sink_(sink) { PrWin::AddSink(sink_); }
  ~CScopedSink() { PrWin::RemoveSink(sink_); }
  CScopedSink(const CScopedSink&) = delete;
  CScopedSink& operator=(const CScopedSink&) = delete;

 private:
  PrWin::Sink* sink_;
};
