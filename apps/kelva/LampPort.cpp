#include "LampPort.h"

#include "WriteAll.h"

#include <fcntl.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "host/Clock.h"
#include "host/Railway.h"

CLampPort::~CLampPort() {
  if (fd_ >= 0) ::close(fd_);
}

bool CLampPort::Open(const std::string& path, std::string& error) {
  const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_APPEND | O_NOCTTY | O_CLOEXEC, 0644);
  if (fd < 0) {
    error = "the lamp " + path + " cannot be opened: " + std::strerror(errno);
    return false;
  }
  if (::isatty(fd)) {
    termios settings{};
    if (::tcgetattr(fd, &settings) == 0) {
      ::cfmakeraw(&settings);
      ::tcsetattr(fd, TCSANOW, &settings);
    }
  }
  fd_ = fd;
  path_ = path;
  return true;
}

void CLampPort::Connect() {
  CModuleOutputWire* wire = CModuleOutputWire::FindAndConnectOutWire(nullptr, "SerialOutput", true);
  wire->ListenText([this](const std::wstring& command) { Sent(command); });
}

std::vector<LampCommand> CLampPort::Take() {
  std::vector<LampCommand> taken;
  taken.swap(sent_);
  return taken;
}

void CLampPort::Sent(const std::wstring& command) {
  std::string text;
  for (wchar_t c : command) text.push_back(c >= 0x20 && c < 0x7f ? static_cast<char>(c) : '?');
  sent_.push_back({text, HostClock::TickCount()});
  if (fd_ < 0 || !writeFailure_.empty()) return;
  const std::string why = WriteAll(fd_, text + "\n");
  if (!why.empty()) writeFailure_ = "the lamp " + path_ + " cannot be written: " + why;
}
