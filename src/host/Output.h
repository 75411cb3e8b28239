#pragma once
// The host's output window: every diagnostic and operator line of the program goes through
// PrWin::Output. A line has a category (what kind of line it is) and a style (how the window
// shows it); sinks decide where lines end up.
//
// Categories: 1 operator error, 4 operator notice, 8 warning, 16 debug trace.
// Styles: 0 plain; 3 and 4 are the operator styles (highlighted, alarm).

#include <string>
#include <string_view>
#include <vector>

namespace PrWin {

enum category_t : int {
  catOperator = 1,
  catNotice = 4,
  catWarning = 8,
  catDebug = 16,
};

// Where a trace line comes from: the source name its writer is tagged with and the source line.
struct Origin {
  const char* source;
  int line;
};

// Receives every line written with Output or Trace. Sinks are called in the order they were
// added.
class Sink {
 public:
  virtual ~Sink() = default;
  virtual void Write(int category, int style, std::string_view text) = 0;
  // A debug trace tagged with its origin; a sink that does not show origins takes it as a
  // plain debug line.
  virtual void WriteTrace(const Origin& origin, std::string_view text) {
    (void)origin;
    Write(catDebug, 0, text);
  }
};

// Adds or removes a sink; the caller keeps ownership and must remove the sink before it dies.
void AddSink(Sink* sink);
void RemoveSink(Sink* sink);

// Writes a printf-formatted line. The text is passed on as formatted (no line feed is added).
void Output(int category, int style, const char* format, ...) __attribute__((format(printf, 3, 4)));
void Output(int category, const char* format, ...) __attribute__((format(printf, 2, 3)));
// Writes a ready text, not a format: '%' in it is printed as it stands.
void Output(const std::string& text, int category, int style);
// Writes a printf-formatted debug trace (category 16, style 0) tagged with its origin.
void Trace(const Origin& origin, const char* format, ...) __attribute__((format(printf, 2, 3)));

// Writes lines to stderr when their category is in the mask. The process has one such sink,
// installed from the start with the mask of operator errors, notices and warnings.
class StderrSink : public Sink {
 public:
  explicit StderrSink(int categoryMask) : mask_(categoryMask) {}
  void Write(int category, int style, std::string_view text) override;
  void SetMask(int categoryMask) { mask_ = categoryMask; }
  int Mask() const { return mask_; }

 private:
  int mask_;
};

// The process-wide stderr sink (for example to switch debug traces on).
StderrSink& DefaultStderrSink();

// Collects lines while it lives; tests use it to check output texts exactly.
class CaptureSink : public Sink {
 public:
  struct Line {
    int category;
    int style;
    std::string text;
    std::string source;  // traces: the source name they were tagged with; otherwise empty
    int sourceLine = 0;
  };

  CaptureSink();
  ~CaptureSink() override;
  CaptureSink(const CaptureSink&) = delete;
  CaptureSink& operator=(const CaptureSink&) = delete;

  void Write(int category, int style, std::string_view text) override;
  void WriteTrace(const Origin& origin, std::string_view text) override;

  const std::vector<Line>& Lines() const { return lines_; }
  // All captured texts, concatenated in order.
  std::string Text() const;
  void Clear() { lines_.clear(); }

 private:
  std::vector<Line> lines_;
};

}  // namespace PrWin
