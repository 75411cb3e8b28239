#include "RunLog.h"

#include "WriteAll.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

CRunLog::~CRunLog() {
  if (fd_ >= 0) ::close(fd_);
}

bool CRunLog::Open(const std::string& path, std::string& error) {
  const std::string notRegular =
      "the log " + path + " is not a regular file; this run is not logged";
  struct stat status {};
  if (::stat(path.c_str(), &status) == 0 && !S_ISREG(status.st_mode)) {
    error = notRegular;
    return false;
  }
  // Non-blocking, so that a FIFO without a reader fails at once instead of waiting for one.
  fd_ = ::open(path.c_str(), O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC | O_NONBLOCK, 0644);
  if (fd_ < 0) {
    error = "the log " + path + " cannot be opened (" + std::strerror(errno) +
            "); this run is not logged";
    return false;
  }
  if (::fstat(fd_, &status) != 0 || !S_ISREG(status.st_mode)) {
    ::close(fd_);
    fd_ = -1;
    error = notRegular;  // replaced since the check above
    return false;
  }
  path_ = path;
  return true;
}

void CRunLog::Write(int category, int /*style*/, std::string_view text) {
  Append(std::to_string(category), text);
}

void CRunLog::WriteTrace(const PrWin::Origin& origin, std::string_view text) {
  Append(std::to_string(PrWin::catDebug) + " " + origin.source + ":" + std::to_string(origin.line),
         text);
}

void CRunLog::Append(const std::string& tag, std::string_view text) {
  if (fd_ < 0) return;
  std::string line = "[" + tag + "] ";
  line.append(text);
  if (line.back() != '\n') line += '\n';
  // One write per line with O_APPEND. A line that cannot be logged does not stop the run; the
  // first one is said (WriteFailure), and a torn one is cut off so the next cannot run into it.
  const std::string why = AppendWhole(fd_, line);
  if (!why.empty() && writeFailure_.empty())
    writeFailure_ = "the log " + path_ + " cannot be written: " + why;
}
