#include "host/Timers.h"

#include <algorithm>
#include <vector>

#include "host/Clock.h"

struct HiddenWindowTimers {
  struct Timer {
    CHiddenWindow* window;
    unsigned id;
    unsigned period;
    uint64_t due;
  };
  std::vector<Timer> timers;
  unsigned nextId = 1;

  static HiddenWindowTimers& Instance() {
    static HiddenWindowTimers instance;
    return instance;
  }

  static void Fire(CHiddenWindow* window, unsigned id) {
    if (window->onTimer_) window->onTimer_(id);
  }
};

CHiddenWindow::CHiddenWindow(const std::string& name, timer_handler_t onTimer)
    : name_(name), onTimer_(std::move(onTimer)) {}

CHiddenWindow::~CHiddenWindow() {
  auto& timers = HiddenWindowTimers::Instance().timers;
  timers.erase(
      std::remove_if(timers.begin(), timers.end(),
                     [this](const HiddenWindowTimers::Timer& t) { return t.window == this; }),
      timers.end());
}

unsigned CHiddenWindow::SetTimer(unsigned milliseconds) {
  HiddenWindowTimers& all = HiddenWindowTimers::Instance();
  const unsigned id = all.nextId++;
  if (all.nextId == 0) all.nextId = 1;
  all.timers.push_back({this, id, milliseconds, HostClock::TickCount() + milliseconds});
  return id;
}

bool CHiddenWindow::KillTimer(unsigned id) {
  auto& timers = HiddenWindowTimers::Instance().timers;
  const auto it = std::find_if(
      timers.begin(), timers.end(),
      [&](const HiddenWindowTimers::Timer& t) { return t.window == this && t.id == id; });
  if (it == timers.end()) return false;
  timers.erase(it);
  return true;
}

int HostTimers::Dispatch() {
  HiddenWindowTimers& all = HiddenWindowTimers::Instance();
  int fired = 0;
  // A handler may kill or start timers: pick one due timer at a time.
  for (;;) {
    const uint64_t now = HostClock::TickCount();
    auto due = all.timers.end();
    for (auto it = all.timers.begin(); it != all.timers.end(); ++it)
      if (it->due <= now && (due == all.timers.end() || it->due < due->due)) due = it;
    if (due == all.timers.end()) return fired;
    // The next due time lies after now, so a timer that is late several periods fires once.
    due->due = now + std::max(due->period, 1u);
    ++fired;
    HiddenWindowTimers::Fire(due->window, due->id);
  }
}

int64_t HostTimers::NextDue() {
  const HiddenWindowTimers& all = HiddenWindowTimers::Instance();
  if (all.timers.empty()) return -1;
  const uint64_t now = HostClock::TickCount();
  uint64_t next = all.timers.front().due;
  for (const auto& t : all.timers) next = std::min(next, t.due);
  return next <= now ? 0 : static_cast<int64_t>(next - now);
}

size_t HostTimers::Running() {
  return HiddenWindowTimers::Instance().timers.size();
}
