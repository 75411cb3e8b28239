#pragma once
// One-shot and repeating timers of hidden windows, on the host clock. A timer fires when the
// host runs the due timers (HostTimers::Dispatch: the bench's loop, or a test after advancing
// the manual clock); a window receives the timer message with the timer's id until the timer
// is killed.

#include <cstdint>
#include <functional>
#include <string>

// A window that is never shown and only receives timer messages.
class CHiddenWindow {
 public:
  using timer_handler_t = std::function<void(unsigned id)>;

  CHiddenWindow(const std::string& name, timer_handler_t onTimer);
  ~CHiddenWindow();  // kills the window's timers
  CHiddenWindow(const CHiddenWindow&) = delete;
  CHiddenWindow& operator=(const CHiddenWindow&) = delete;

  // Starts a timer that sends the timer message every `milliseconds` until killed; the id is
  // never 0.
  unsigned SetTimer(unsigned milliseconds);
  // False when the window has no running timer with that id.
  bool KillTimer(unsigned id);
  const std::string& Name() const { return name_; }

 private:
  friend struct HiddenWindowTimers;
  std::string name_;
  timer_handler_t onTimer_;
};

namespace HostTimers {
// Sends the timer message of every timer due on the host clock, in order of due time; a timer
// that is due several periods over fires once. Returns how many fired.
int Dispatch();
// Milliseconds from now until the next timer is due (0 when one is due); -1 when none runs.
int64_t NextDue();
// Running timers of all windows.
size_t Running();
}  // namespace HostTimers
