#pragma once
// The host's central message service: callbacks that run regularly. The host (the bench's
// loop, or a test after advancing the manual clock) calls Dispatch, which runs every callback
// whose period has passed on the host clock since it last ran.

#include <cstdint>
#include <functional>
#include <map>

class CCentralMessageService {
 public:
  using callback_t = std::function<void()>;

  static CCentralMessageService& Service();

  // Returns the handle (0 or more). `flag` is reserved (pass 0).
  int RegisterRegularCallback(callback_t callback, unsigned periodMs, int flag);
  // False for an unknown handle.
  bool UnregisterRegularCallback(int handle);
  // Runs the due callbacks in order of registration; returns how many ran.
  int Dispatch();
  size_t Callbacks() const { return callbacks_.size(); }

 private:
  struct Entry {
    callback_t callback;
    unsigned period;
    uint64_t lastRun;
  };
  std::map<int, Entry> callbacks_;
  int nextHandle_ = 0;
};
