#pragma once
// The terminal of a run. Colours are used only when standard output is a terminal (never with
// --json, never when piped, never with NO_COLOR set or TERM=dumb). A progress line — parts
// done, rate, O.K. and n.O.K. so far, time left — stands at the bottom of a terminal on
// standard error and is taken away before anything else is printed, so it never mixes with
// the part lines.

#include <cstdio>

class CTerminal {
 public:
  CTerminal(bool json, int parts);

  bool Colours() const { return colours_; }
  // Before printing to standard output: removes the progress line.
  void BeforeOutput();
  // After a part: draws the progress line (at most every 100 ms, and always for the last part).
  void Progress(int done, int ok, int nok, double seconds);
  // At the end of the run: removes the progress line.
  void Finish() { BeforeOutput(); }

 private:
  bool colours_ = false;
  bool progress_ = false;
  bool shown_ = false;
  int parts_;
  double lastDrawn_ = -1.0;
};

// "[12/200] 34.1 parts/s  O.K. 10  n.O.K. 2  left 0:06" (no line end).
void FormatProgress(char* out, size_t size, int done, int parts, int ok, int nok, double seconds);
