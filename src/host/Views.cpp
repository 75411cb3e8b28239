#include "host/Views.h"

namespace {

class CBlankAmpelView : public CAmpelView {
 public:
  void Zeilenweise(bool) override {}
  void NeueErgebnisse(const std::vector<ModeErgebnis_t>&) override {}
  void Aktualisieren(const std::vector<ModeErgebnis_t>&) override {}
};

class CBlankBerichtsView : public CBerichtsView {
 public:
  void ShowReport(const Report&) override {}
  void Print(const Report&, bool) override {}
};

HostViews::ampel_factory_t& AmpelFactory() {
  static HostViews::ampel_factory_t factory;
  return factory;
}

HostViews::berichts_factory_t& BerichtsFactory() {
  static HostViews::berichts_factory_t factory;
  return factory;
}

bool& Exiting() {
  static bool exiting = false;
  return exiting;
}

}  // namespace

CStandaloneFrameWnd::CStandaloneFrameWnd(CStandaloneFrameUser* user, const std::string& title,
                                         ViewKind kind)
    : user_(user), title_(title) {
  if (kind == ViewKind::ampel) {
    if (AmpelFactory()) ampel_ = AmpelFactory()(title);
    if (!ampel_) ampel_ = std::make_unique<CBlankAmpelView>();
  } else {
    if (BerichtsFactory()) berichts_ = BerichtsFactory()(title);
    if (!berichts_) berichts_ = std::make_unique<CBlankBerichtsView>();
  }
}

CStandaloneFrameWnd::~CStandaloneFrameWnd() {
  if (user_ != nullptr) user_->OnFrameDestroyed(this);
}

void HostViews::SetAmpelViewFactory(ampel_factory_t factory) {
  AmpelFactory() = std::move(factory);
}

void HostViews::SetBerichtsViewFactory(berichts_factory_t factory) {
  BerichtsFactory() = std::move(factory);
}

bool CFensterManager::NowExit() {
  return Exiting();
}

void CFensterManager::SetNowExit(bool exiting) {
  Exiting() = exiting;
}
