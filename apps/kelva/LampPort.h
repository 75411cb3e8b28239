#pragma once
// The bench's end of the "SerialOutput" wire: every lamp command the signal light sends is
// kept with its time on the host clock (for the part's line) and, with `--lamp PATH`, written
// to the lamp device at PATH — a serial port, a pseudo-terminal or a plain file. A command is
// written as its 7 characters followed by "\n"; a terminal device is switched to raw mode
// first, so the bytes arrive as written.

#include <cstdint>
#include <string>
#include <vector>

struct LampCommand {
  std::string command;  // "wr01100"
  uint64_t tick = 0;    // host clock, milliseconds
};

class CLampPort {
 public:
  CLampPort() = default;
  ~CLampPort();
  CLampPort(const CLampPort&) = delete;
  CLampPort& operator=(const CLampPort&) = delete;

  // Opens the device (a missing path is created as a plain file). False with `error` set.
  bool Open(const std::string& path, std::string& error);
  // Listens on the "SerialOutput" wire (creating it, as the host's configuration provides the
  // output before the modules connect to it).
  void Connect();

  // The commands sent since the last call.
  std::vector<LampCommand> Take();
  // Why writing to the device stopped ("" while it works); the run goes on without the lamp.
  const std::string& WriteFailure() const { return writeFailure_; }

 private:
  void Sent(const std::wstring& command);

  int fd_ = -1;
  std::string path_;
  std::string writeFailure_;
  std::vector<LampCommand> sent_;
};
