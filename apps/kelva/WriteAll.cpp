#include "WriteAll.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "host/FileFaults.h"

std::string WriteAll(int fd, std::string_view bytes, size_t* written) {
  size_t done = 0;
  std::string why;
  while (done < bytes.size()) {
    const ssize_t n = FileFaults::Write(fd, bytes.data() + done, bytes.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) {
      why = std::strerror(errno);
      break;
    }
    if (n == 0) {
      why = "nothing was taken";
      break;
    }
    done += static_cast<size_t>(n);
  }
  if (written != nullptr) *written = done;
  return why;
}

std::string AppendWhole(int fd, std::string_view bytes) {
  size_t written = 0;
  const std::string why = WriteAll(fd, bytes, &written);
  struct stat info {};
  // The torn bytes are the last `written` ones: nobody else appends to the file.
  if (!why.empty() && written > 0 && ::fstat(fd, &info) == 0 && S_ISREG(info.st_mode) &&
      info.st_size >= static_cast<off_t>(written))
    static_cast<void>(::ftruncate(fd, info.st_size - static_cast<off_t>(written)));
  return why;
}
