#pragma once
// Ctrl-C (SIGINT) and SIGTERM during a run: the first asks the run to stop after the part in
// the bench, which then saves everything as at its normal end; a second one ends the process
// at once (the default action), losing at most the parts since the last checkpoint.

class CInterruptGuard {
 public:
  CInterruptGuard();   // installs the handlers
  ~CInterruptGuard();  // restores the previous ones
  CInterruptGuard(const CInterruptGuard&) = delete;
  CInterruptGuard& operator=(const CInterruptGuard&) = delete;

  // True once a stop was asked for.
  static bool Requested();
};
