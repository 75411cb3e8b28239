#include "host/FileFaults.h"

#include <cerrno>
#include <mutex>

namespace FileFaults {

namespace detail {
std::atomic<bool> armed{false};
}  // namespace detail

namespace {

struct State {
  std::mutex mutex;
  Fault fault = Fault::none;
  unsigned at = 1;
  int renameError = EXDEV;
  Counts calls;
  unsigned injected = 0;
};

State& TheState() {
  static State state;
  return state;
}

}  // namespace

void Arm(Fault fault, unsigned at, int renameError) {
  State& state = TheState();
  const std::lock_guard<std::mutex> lock(state.mutex);
  state.fault = fault;
  state.at = at == 0 ? 1 : at;
  state.renameError = renameError == 0 ? EXDEV : renameError;
  state.calls = Counts{};
  state.injected = 0;
  detail::armed.store(true, std::memory_order_relaxed);
}

void Disarm() {
  State& state = TheState();
  const std::lock_guard<std::mutex> lock(state.mutex);
  state.fault = Fault::none;
  detail::armed.store(false, std::memory_order_relaxed);
}

Counts Calls() {
  State& state = TheState();
  const std::lock_guard<std::mutex> lock(state.mutex);
  return state.calls;
}

unsigned Injected() {
  State& state = TheState();
  const std::lock_guard<std::mutex> lock(state.mutex);
  return state.injected;
}

size_t WriteAllowance(size_t n, int& error) {
  State& state = TheState();
  const std::lock_guard<std::mutex> lock(state.mutex);
  const unsigned call = ++state.calls.writes;
  const bool writeFault = state.fault == Fault::shortWrite || state.fault == Fault::diskFull;
  if (!writeFault || call < state.at) return n;
  ++state.injected;
  error = ENOSPC;
  // The write the disk filled up in takes half its bytes; after it, nothing fits.
  return state.fault == Fault::shortWrite && call == state.at ? n / 2 : 0;
}

int SyncError() {
  State& state = TheState();
  const std::lock_guard<std::mutex> lock(state.mutex);
  const unsigned call = ++state.calls.syncs;
  if (state.fault != Fault::syncFails || call != state.at) return 0;
  ++state.injected;
  return EIO;
}

int RenameError() {
  State& state = TheState();
  const std::lock_guard<std::mutex> lock(state.mutex);
  const unsigned call = ++state.calls.renames;
  if (state.fault != Fault::renameFails || call != state.at) return 0;
  ++state.injected;
  return state.renameError;
}

namespace detail {

ssize_t Write(int fd, const void* buffer, size_t n) {
  int error = 0;
  const size_t allowed = WriteAllowance(n, error);
  if (allowed == n) return ::write(fd, buffer, n);
  if (allowed > 0) return ::write(fd, buffer, allowed);  // short: the caller tries the rest
  errno = error;
  return -1;
}

int Sync(int fd) {
  if (const int error = SyncError(); error != 0) {
    errno = error;
    return -1;
  }
  return ::fsync(fd);
}

int Rename(const char* from, const char* to) {
  if (const int error = RenameError(); error != 0) {
    errno = error;
    return -1;
  }
  return ::rename(from, to);
}

}  // namespace detail

}  // namespace FileFaults
