#include "host/MessageService.h"

#include <vector>

#include "host/Clock.h"

CCentralMessageService& CCentralMessageService::Service() {
  static CCentralMessageService service;
  return service;
}

int CCentralMessageService::RegisterRegularCallback(callback_t callback, unsigned periodMs,
                                                    int /*flag*/) {
  const int handle = nextHandle_++;
  callbacks_[handle] = Entry{std::move(callback), periodMs, HostClock::TickCount()};
  return handle;
}

bool CCentralMessageService::UnregisterRegularCallback(int handle) {
  return callbacks_.erase(handle) != 0;
}

int CCentralMessageService::Dispatch() {
  const uint64_t now = HostClock::TickCount();
  std::vector<int> due;
  for (const auto& [handle, entry] : callbacks_)
    if (now - entry.lastRun >= entry.period) due.push_back(handle);
  int ran = 0;
  for (int handle : due) {
    auto it = callbacks_.find(handle);  // a callback may have unregistered another
    if (it == callbacks_.end()) continue;
    it->second.lastRun = now;
    callback_t callback = it->second.callback;
    callback();
    ++ran;
  }
  return ran;
}
