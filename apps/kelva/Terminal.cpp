#include "Terminal.h"

#include <unistd.h>

#include <cstdlib>
#include <cstring>

namespace {

bool ColourTerminal() {
  const char* term = std::getenv("TERM");
  return std::getenv("NO_COLOR") == nullptr && term != nullptr && std::strcmp(term, "dumb") != 0;
}

}  // namespace

CTerminal::CTerminal(bool json, int parts) : parts_(parts) {
  colours_ = !json && isatty(STDOUT_FILENO) && ColourTerminal();
  progress_ = !json && isatty(STDERR_FILENO);
}

void CTerminal::BeforeOutput() {
  if (!shown_) return;
  std::fputs("\r\033[K", stderr);
  std::fflush(stderr);
  shown_ = false;
}

void CTerminal::Progress(int done, int ok, int nok, double seconds) {
  if (!progress_) return;
  if (done < parts_ && lastDrawn_ >= 0.0 && seconds - lastDrawn_ < 0.1) return;
  lastDrawn_ = seconds;
  char line[160];
  FormatProgress(line, sizeof(line), done, parts_, ok, nok, seconds);
  std::fflush(stdout);
  std::fprintf(stderr, "\r\033[K%s", line);
  std::fflush(stderr);
  shown_ = true;
}

void FormatProgress(char* out, size_t size, int done, int parts, int ok, int nok, double seconds) {
  const double rate = seconds > 0.0 ? done / seconds : 0.0;
  const long left = rate > 0.0 ? static_cast<long>((parts - done) / rate + 0.5) : 0;
  std::snprintf(out, size, "[%d/%d] %.1f parts/s  O.K. %d  n.O.K. %d  left %ld:%02ld", done, parts,
                rate, ok, nok, left / 60, left % 60);
}
