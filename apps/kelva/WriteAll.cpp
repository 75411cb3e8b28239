#include "WriteAll.h"

#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "host/FileFaults.h"

std::string WriteAll(int fd, std::string_view bytes) {
  size_t written = 0;
  while (written < bytes.size()) {
    const ssize_t n = FileFaults::Write(fd, bytes.data() + written, bytes.size() - written);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) return std::strerror(errno);
    if (n == 0) return "nothing was taken";
    written += static_cast<size_t>(n);
  }
  return {};
}
