#include "WorkDir.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <regex>

#include "host/FileIO.h"

namespace fs = std::filesystem;

CWorkDir::~CWorkDir() {
  if (lock_ >= 0) ::close(lock_);  // closing releases the lock
}

bool CWorkDir::Open(const std::string& path, std::string& error) {
  std::error_code ec;
  const fs::path absolute = fs::absolute(path.empty() ? "." : path, ec);
  if (ec) {
    error = "cannot resolve the work directory " + path + ": " + ec.message();
    return false;
  }
  path_ = absolute.lexically_normal().string();
  if (path_.empty() || path_.back() != '/') path_ += '/';
  // Every history file must fit inside the work directory: refused here, before a part runs,
  // rather than failing at the first save.
  if (path_.size() > kMaxWorkDirBytes) {
    error = "the work directory path " + path_ + " is " + std::to_string(path_.size()) +
            " bytes long; at most " + std::to_string(kMaxWorkDirBytes) +
            " fit, so the history could not be kept inside it";
    return false;
  }
  if (!FileIO::CreateFolder(path_)) {
    error = "cannot create the work directory " + path_;
    return false;
  }
  const std::string lockPath = path_ + "kelva.lock";
  lock_ = ::open(lockPath.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0644);
  if (lock_ < 0) {
    error = "cannot open the lock file " + lockPath + ": " + std::strerror(errno);
    return false;
  }
  if (::flock(lock_, LOCK_EX | LOCK_NB) != 0) {
    const int reason = errno;
    ::close(lock_);
    lock_ = -1;
    error = reason == EWOULDBLOCK
                ? "another kelva run is using the work directory " + path_ +
                      "; wait for it to end or choose another --workdir"
                : "cannot lock the work directory " + path_ + ": " + std::strerror(reason);
    return false;
  }
  return true;
}

int CWorkDir::RemoveLeftoverTemporaries() const {
  static const std::regex temporary(R"(.+\.tmp-[0-9]+-[0-9]+)");
  int removed = 0;
  for (const std::string& folder :
       {path_, path_ + "History/", path_ + "Learn/", path_ + "Report/"}) {
    std::error_code ec;
    for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
      const std::string name = it->path().filename().string();
      std::error_code kind;
      if (!std::regex_match(name, temporary) || !it->is_regular_file(kind)) continue;
      std::error_code gone;
      if (fs::remove(it->path(), gone)) ++removed;
    }
  }
  return removed;
}
