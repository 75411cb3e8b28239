#include "windows/AmpelModul.h"

#include <algorithm>

#include "frame/EvStoreServer.h"
#include "host/CommandDispatcher.h"
#include "host/Railway.h"
#include "host/Resources.h"
#include "host/Sea.h"
#include "result/ResultShop.h"
#include "windows/OperatorTexts.h"

namespace {

constexpr int kMaxRowWiseModes = 8;  // more modes are laid out side by side
constexpr int kModeFlagsWithStoreCheck = 0x81;

}  // namespace

CAmpelModul::CAmpelModul()
    : timerWindow_("AmpelModulDummyWindow", [this](unsigned id) { OnTimer(id); }) {}

CAmpelModul::~CAmpelModul() {
  CommandDispatcher().RemoveClients(this);
  window_.reset();
}

bool CAmpelModul::Create(const std::string& name, CModule* parent) {
  if (!CSpecialModeClient::Create(name, parent)) return false;
  CCommandDispatcher& dispatcher = CommandDispatcher();
  dispatcher.AddClient(mcInsertCandidate, this,
                       [this](long, unsigned long, const void*, const char*, const void*) {
                         RebuildModeList();
                         return static_cast<unsigned char>(1);
                       });
  dispatcher.AddClient(mcSetNormalMode, this,
                       [this](long, unsigned long mode, const void*, const char*, const void*) {
                         MarkRunningMode(static_cast<int>(static_cast<long>(mode)));
                         return static_cast<unsigned char>(1);
                       });
  dispatcher.AddClient(mcRefreshReport, this,
                       [this](long, unsigned long argument, const void*, const char*, const void*) {
                         RefreshResults(static_cast<long>(argument));
                         return static_cast<unsigned char>(1);
                       });
  dispatcher.AddClient(mcPreferencesChanging, this,
                       [this](long, unsigned long phase, const void*, const char*, const void*) {
                         PreferencesChanging(static_cast<long>(phase));
                         return static_cast<unsigned char>(1);
                       });
  dispatcher.AddClient(mcEndOfTest, this,
                       [this](long, unsigned long, const void*, const char*, const void*) {
                         DriveLamp();
                         return static_cast<unsigned char>(1);
                       });
  return true;
}

void CAmpelModul::PostCreate() {
  CSpecialModeClient::PostCreate();
  resultShop_ = CEvStoreServer<CResultShop>::Object().Store(-1);
}

void CAmpelModul::OnSpecialCreate() {
  CSpecialModeClient::OnSpecialCreate();
  Lookup();
  if (CSeaBase::PreferenceSea()->LookupGetBool(Setting("-BeimStartOffen"), 0, false)) OpenWindow();
  wire_ = CModuleOutputWire::FindAndConnectOutWire(this, "SerialOutput", true);
  if (wire_ != nullptr) Send(kLampOff);
}

void CAmpelModul::OnSpecialFileSave() {
  SavePreferences();
  CSpecialModeClient::OnSpecialFileSave();
}

void CAmpelModul::Lookup() {
  const CSeaBase* sea = CSeaBase::ApplicationSea();
  acousticOnly_ = sea->LookupGetBool(Setting("-NurAkustik"), 0, acousticOnly_);
  playSound_ = sea->LookupGetBool(Setting("-TonAbspielen"), 0, playSound_);
  signalLightMode_ = sea->LookupGetInt("SignalLight_Mode", 0, signalLightMode_);
}

void CAmpelModul::OnUserIfCommand(int /*command*/) {
  OpenWindow();
}

std::vector<CAmpelModul::MenuItem> CAmpelModul::ContextMenu() const {
  return {{miOpenWindow, OperatorText::Text(OperatorText::kAmpelWindowTitle), false},
          {miAcousticOnly, OperatorText::Text(OperatorText::kAmpelAcousticOnly), acousticOnly_},
          {miPlaySound, OperatorText::Text(OperatorText::kAmpelPlaySound), playSound_}};
}

void CAmpelModul::OnContextMenu(int item) {
  switch (item) {
    case miOpenWindow:
      OpenWindow();
      break;
    case miAcousticOnly:
      acousticOnly_ = !acousticOnly_;
      CSeaBase::ApplicationSea()->LookupSetBool(Setting("-NurAkustik"), acousticOnly_, 0);
      break;
    case miPlaySound:
      playSound_ = !playSound_;
      CSeaBase::ApplicationSea()->LookupSetBool(Setting("-TonAbspielen"), playSound_, 0);
      if (playSound_) HostResources::PlaySoundResource(OperatorText::kSoundSignal);
      break;
    default:
      break;
  }
}

void CAmpelModul::OpenWindow() {
  if (window_) {
    window_->BringToFront();
    return;
  }
  window_ = std::make_unique<CStandaloneFrameWnd>(
      this, OperatorText::Text(OperatorText::kAmpelWindowTitle),
      CStandaloneFrameWnd::ViewKind::ampel);
  if (!placement_.empty()) window_->SetPlacement(placement_);
  ShowNewList();
}

void CAmpelModul::CloseWindow() {
  window_.reset();  // OnFrameDestroyed keeps the flag and the placement
}

void CAmpelModul::OnFrameDestroyed(CStandaloneFrameWnd* frame) {
  placement_ = frame->Placement();
  // A window the operator closes stays closed at the next start; one closed by the exit opens.
  CSeaBase::PreferenceSea()->LookupSetBool(Setting("-BeimStartOffen"), CFensterManager::NowExit(),
                                           0);
  // Closed by the host rather than by this module: the frame deletes itself.
  if (window_.get() == frame) static_cast<void>(window_.release());
}

void CAmpelModul::RebuildModeList() {
  modes_.clear();
  if (window_) window_->AmpelView()->NeueErgebnisse(modes_);
  collectedModes_.clear();
  for (const auto& [mode, name] : params_.Mode()) {
    const int id = mode.id();
    if (params_.ModeIsHidden(id) || !TakesMode(id)) continue;
    collectedModes_.insert(id);
    CAmpelView::ModeErgebnis_t entry;
    entry.mode = id;
    entry.name = params_.ModeName(id);
    entry.measured = false;
    entry.colour = NorviDefs::color_none;
    modes_.push_back(entry);
  }
  rowWise_ = static_cast<int>(modes_.size()) <= kMaxRowWiseModes;
  ShowNewList();
  if (wire_ != nullptr && (lampState_ == 3 || lampState_ == 4)) {
    Send(kLampOff);
    lampState_ = 0;
  }
}

bool CAmpelModul::TakesMode(int mode) const {
  if (!acousticOnly_) return true;
  const int base = params_.VirtMode2BaseMode(mode);
  const auto properties = params_.ModeProperty().find(QIdx1(base));
  const int flags = properties == params_.ModeProperty().end() ? 1 : properties->second.flags;
  if ((flags & kModeFlagsWithStoreCheck) == 0) return false;
  const auto& stored = params_.IpParamAndStore();
  return std::any_of(stored.begin(), stored.end(),
                     [mode](const auto& entry) { return entry.first.mode() == mode; });
}

void CAmpelModul::MarkRunningMode(int mode) {
  for (CAmpelView::ModeErgebnis_t& entry : modes_) {
    if (entry.mode == mode) {
      entry.colour = NorviDefs::color_running;
    } else if (resultShop_ != nullptr && entry.colour == NorviDefs::color_running) {
      NorviDefs::result_color_t colour = NorviDefs::color_none;
      resultShop_->GetResultForMode(entry.mode, nullptr, &colour);
      entry.colour = colour;
    }
  }
  ShowColours();
}

void CAmpelModul::RefreshResults(long argument) {
  if (resultShop_ == nullptr) return;
  for (CAmpelView::ModeErgebnis_t& entry : modes_) {
    NorviDefs::result_color_t colour = NorviDefs::color_none;
    resultShop_->GetResultForMode(entry.mode, nullptr, &colour);
    entry.colour = colour;
    entry.measured = resultShop_->GetModeState(entry.mode) > 0;
  }
  ShowColours();
  if (playSound_ && argument != -1) HostResources::PlaySoundResource(OperatorText::kSoundSignal);
}

void CAmpelModul::DriveLamp() {
  if (wire_ == nullptr || lampState_ != 0 || resultShop_ == nullptr) return;
  const NorviDefs::result_t result = resultShop_->GetResultForMode(-1);
  if (result == NorviDefs::result_nok) {
    if (signalLightMode_ < 2) {
      Send(kLampNok);
      lampState_ = 4;
    } else {
      Send(kLampNokBlinking);
      lampState_ = 2;
      timerId_ = timerWindow_.SetTimer(kNokBlinkMs);
    }
  } else if (result == NorviDefs::result_ok) {
    if (signalLightMode_ < 3) {
      Send(kLampOk);
      lampState_ = 3;
    } else {
      Send(kLampOkBlinking);
      lampState_ = 1;
      timerId_ = timerWindow_.SetTimer(kOkBlinkMs);
    }
  }
}

void CAmpelModul::OnTimer(unsigned id) {
  if (id == 0 || id != timerId_) return;
  timerWindow_.KillTimer(timerId_);
  timerId_ = 0;
  if (lampState_ == 2) {
    Send(kLampNok);
    lampState_ = 4;
  } else if (lampState_ == 1) {
    Send(kLampOk);
    lampState_ = 3;
  }
}

void CAmpelModul::PreferencesChanging(long phase) {
  if (phase == 0) SavePreferences();
  if (phase == 1) RestorePreferences();
}

void CAmpelModul::SavePreferences() {
  CSeaBase* sea = CSeaBase::PreferenceSea();
  sea->LookupSetBool(Setting("-BeimStartOffen"), window_ != nullptr, 0);
  if (window_) sea->LookupSetString(Setting("-Position"), window_->Placement(), 0);
}

void CAmpelModul::RestorePreferences() {
  const CSeaBase* sea = CSeaBase::PreferenceSea();
  const std::string placement = sea->LookupGetString(Setting("-Position"), 0, "");
  if (!placement.empty()) placement_ = placement;
  if (sea->LookupGetBool(Setting("-BeimStartOffen"), 0, false)) {
    OpenWindow();
    if (!placement_.empty()) window_->SetPlacement(placement_);
  } else {
    CloseWindow();
  }
}

void CAmpelModul::Send(const wchar_t* command) {
  wire_->SendData(command, 7, nullptr);
}

void CAmpelModul::ShowNewList() {
  if (!window_) return;
  window_->AmpelView()->Zeilenweise(rowWise_);
  window_->AmpelView()->NeueErgebnisse(modes_);
}

void CAmpelModul::ShowColours() {
  if (window_) window_->AmpelView()->Aktualisieren(modes_);
}
