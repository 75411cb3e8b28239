#pragma once
// The fault-injection point of the program's file writing, for tests. Every write, file sync
// and rename of a file the program saves passes through here: CDiskFile and CReplacingFile
// consult it, and code that writes through a raw descriptor calls FileFaults::Write, Sync and
// Rename instead of ::write, ::fsync and std::rename.
//
// A test arms one fault for the whole process, runs a save and disarms it:
//   shortWrite   the n-th write takes only the first half of its bytes (a write of one byte
//                takes none and fails), and every later write fails with ENOSPC: the disk
//                filled up in the middle of that write.
//   diskFull     the n-th write and every later one fail with ENOSPC and take nothing.
//   syncFails    the n-th file sync fails with EIO: the data may not have reached the disk.
//   renameFails  the n-th rename fails with the armed error (EXDEV or EIO); both names stay
//                as they were.
// Writes, syncs and renames are counted separately from the moment of arming. Armed with
// `none`, nothing fails and Calls() says how many calls of each kind a save makes, so a test
// can hit every one of them in turn. Syncs of directories (after a rename) are not counted:
// the file is in place by then, complete, whichever name a crash leaves it under.
//
// Unarmed, a call costs one relaxed atomic load on top of the system call. The armed state is
// the process's: arm it only around the save under test, while no other thread writes files.

#include <stdio.h>
#include <unistd.h>

#include <atomic>
#include <cstddef>

namespace FileFaults {

enum class Fault { none, shortWrite, diskFull, syncFails, renameFails };

struct Counts {
  unsigned writes = 0;
  unsigned syncs = 0;
  unsigned renames = 0;
};

// Arms `fault` at the `at`-th call of its kind (1-based; 0 is taken as 1). `renameError` is the
// errno of a failing rename; other faults have theirs fixed (ENOSPC, EIO). Counts restart.
void Arm(Fault fault, unsigned at, int renameError = 0);
void Disarm();
// The calls of each kind since the last Arm (also after Disarm, until the next Arm).
Counts Calls();
// How many calls failed or were cut short because of the armed fault.
unsigned Injected();

namespace detail {
extern std::atomic<bool> armed;
ssize_t Write(int fd, const void* buffer, size_t n);
int Sync(int fd);
int Rename(const char* from, const char* to);
}  // namespace detail

inline bool Armed() {
  return detail::armed.load(std::memory_order_relaxed);
}

// For writers that do their own writing (CDiskFile): how many of the `n` bytes of the next
// write may go to the file. When fewer than `n`, the write fails after taking that many, with
// errno `error`. Counts the call. Call only when Armed().
size_t WriteAllowance(size_t n, int& error);
// 0, or the errno the next file sync or rename fails with. Counts the call. Call only when
// Armed().
int SyncError();
int RenameError();

// ::write, ::fsync and std::rename with the armed fault applied. A short write returns the
// bytes taken, as ::write does when the disk fills up; a failing call returns -1 with errno set.
inline ssize_t Write(int fd, const void* buffer, size_t n) {
  return Armed() ? detail::Write(fd, buffer, n) : ::write(fd, buffer, n);
}
inline int Sync(int fd) {
  return Armed() ? detail::Sync(fd) : ::fsync(fd);
}
inline int Rename(const char* from, const char* to) {
  return Armed() ? detail::Rename(from, to) : ::rename(from, to);
}

}  // namespace FileFaults
