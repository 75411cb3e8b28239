#pragma once
// The host's operator windows: a module owns a stand-alone frame window whose view the host
// makes. The library draws through the view interfaces below and never knows how a view shows
// what it gets; the application installs the factories of its views (a terminal view in
// `kelva`, recording views in tests). Without an installed factory a frame gets a view that
// shows nothing (a host without a screen).

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

// The signal light window's view: one line per test mode, coloured by the mode's result.
class CAmpelView {
 public:
  struct ModeErgebnis_t {
    int mode = -1;
    std::string name;
    bool measured = false;
    int32_t colour = 0;  // a NorviDefs::result_color_t value
  };

  virtual ~CAmpelView() = default;
  // Lines of the list are laid out one mode per row (true) or side by side (false).
  virtual void Zeilenweise(bool rowWise) = 0;
  // A new list of modes (after a part entered); also the first list shown.
  virtual void NeueErgebnisse(const std::vector<ModeErgebnis_t>& results) = 0;
  // The colours or measured flags of the current list changed.
  virtual void Aktualisieren(const std::vector<ModeErgebnis_t>& results) = 0;
};

// The report window's view: the report text and its table.
class CBerichtsView {
 public:
  // One row of the report table: a mode heading or an error line.
  struct Row {
    bool heading = false;  // a mode heading (only mode and colour are set)
    int32_t colour = 0;    // of a heading: the mode's NorviDefs::result_color_t value
    int displayedCode = 0;
    std::string description;
    std::string mode;
    std::string location;
    float value = 0.0f;
    float limit = 0.0f;
    float position = 0.0f;
    float average = 0.0f;
    int severityGroup = -1;  // -1 when not shown
  };
  struct Report {
    std::string header;
    std::string body;
    std::vector<Row> rows;
    int32_t result = 2;  // NorviDefs::result_t value
    int32_t colour = 0;  // NorviDefs::result_color_t value
    std::string resultText;
    std::string serial;
    std::string fontName;
    int fontSize = 10;
  };

  virtual ~CBerichtsView() = default;
  // Shows the report (called when it changed).
  virtual void ShowReport(const Report& report) = 0;
  // Prints the report last shown; in black and white when asked.
  virtual void Print(const Report& report, bool blackAndWhite) = 0;
};

class CStandaloneFrameWnd;

// A module that owns a stand-alone frame window.
class CStandaloneFrameUser {
 public:
  virtual ~CStandaloneFrameUser() = default;
  // The frame is being destroyed (closed by the operator or by its owner); the owner must
  // forget it.
  virtual void OnFrameDestroyed(CStandaloneFrameWnd* frame) = 0;
};

// A stand-alone frame window with one view. Destroying it tells its user.
class CStandaloneFrameWnd {
 public:
  enum class ViewKind { ampel, berichts };

  CStandaloneFrameWnd(CStandaloneFrameUser* user, const std::string& title, ViewKind kind);
  ~CStandaloneFrameWnd();
  CStandaloneFrameWnd(const CStandaloneFrameWnd&) = delete;
  CStandaloneFrameWnd& operator=(const CStandaloneFrameWnd&) = delete;

  const std::string& Title() const { return title_; }
  // Null when the frame has another kind of view.
  CAmpelView* AmpelView() const { return ampel_.get(); }
  CBerichtsView* BerichtsView() const { return berichts_.get(); }
  // The window's placement as the host keeps it in its settings ("x y width height").
  const std::string& Placement() const { return placement_; }
  void SetPlacement(const std::string& placement) { placement_ = placement; }
  void BringToFront() { ++raised_; }
  int TimesRaised() const { return raised_; }

 private:
  CStandaloneFrameUser* user_;
  std::string title_;
  std::unique_ptr<CAmpelView> ampel_;
  std::unique_ptr<CBerichtsView> berichts_;
  std::string placement_ = "100 100 400 300";
  int raised_ = 0;
};

namespace HostViews {
using ampel_factory_t = std::function<std::unique_ptr<CAmpelView>(const std::string& title)>;
using berichts_factory_t = std::function<std::unique_ptr<CBerichtsView>(const std::string& title)>;
// Installs the factories frames made from now on use; an empty factory means views that show
// nothing.
void SetAmpelViewFactory(ampel_factory_t factory);
void SetBerichtsViewFactory(berichts_factory_t factory);
}  // namespace HostViews

// The host's window manager, as far as modules ask it.
namespace CFensterManager {
// True while the application is exiting (windows closed now are closed by the exit).
bool NowExit();
void SetNowExit(bool exiting);
}  // namespace CFensterManager
