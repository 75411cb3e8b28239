#pragma once
// The signal light: a window with one line per test mode, coloured by the mode's result, and
// the physical lamp at the bench, driven through the output wire "SerialOutput" with short
// text commands. It reads results from the default result shop and writes into no store.
//
// Lamp states: 0 off; 1 "wr10100" sent, waiting for the 500 ms timer; 2 "wr01100" sent,
// waiting for the 1500 ms timer; 3 "wr10000" showing steadily; 4 "wr01000" showing steadily.
// A lamp that waits for its timer is left alone by a new part and by a second end of test.

#include <memory>
#include <set>
#include <string>
#include <vector>

#include "host/Module.h"
#include "host/Params.h"
#include "host/Timers.h"
#include "host/Views.h"

class CModuleOutputWire;
class CResultShop;

class CAmpelModul : public CSpecialModeClient, public CStandaloneFrameUser {
 public:
  // The lamp commands, as the lamp device on the other end of the wire understands them.
  static constexpr const wchar_t* kLampOff = L"wr00000";
  static constexpr const wchar_t* kLampOk = L"wr10000";
  static constexpr const wchar_t* kLampOkBlinking = L"wr10100";
  static constexpr const wchar_t* kLampNok = L"wr01000";
  static constexpr const wchar_t* kLampNokBlinking = L"wr01100";
  static constexpr unsigned kOkBlinkMs = 500;
  static constexpr unsigned kNokBlinkMs = 1500;

  // Context-menu items.
  enum menu_item_t : int { miOpenWindow = 1, miAcousticOnly = 2, miPlaySound = 3 };
  struct MenuItem {
    int item;
    std::string text;
    bool checked;
  };

  CAmpelModul();
  ~CAmpelModul() override;

  const char* RuntimeClassName() const override { return "CAmpelModul"; }
  // Registers the dispatcher handlers.
  bool Create(const std::string& name, CModule* parent) override;
  // Takes the default result shop.
  void PostCreate() override;
  // Reads the settings, opens the window when it was open at the last exit, connects the
  // lamp and switches it off.
  void OnSpecialCreate() override;
  void OnSpecialFileSave() override;
  // Opens the window, or brings it to the front when it is open.
  void OnUserIfCommand(int command) override;
  // The user-interface command shows a check mark while the window is open.
  bool UserIfCommandChecked() const { return window_ != nullptr; }

  std::vector<MenuItem> ContextMenu() const;
  void OnContextMenu(int item);

  // Reads the application settings: "<name>-NurAkustik", "<name>-TonAbspielen",
  // "SignalLight_Mode".
  void Lookup();

  void OpenWindow();
  void CloseWindow();
  bool WindowOpen() const { return window_ != nullptr; }
  CStandaloneFrameWnd* Window() const { return window_.get(); }

  // The hidden window's timer message.
  void OnTimer(unsigned id);

  void OnFrameDestroyed(CStandaloneFrameWnd* frame) override;

  int LampState() const { return lampState_; }
  int SignalLightMode() const { return signalLightMode_; }
  bool AcousticModesOnly() const { return acousticOnly_; }
  bool PlaySound() const { return playSound_; }
  bool RowWise() const { return rowWise_; }
  const std::vector<CAmpelView::ModeErgebnis_t>& Modes() const { return modes_; }

 private:
  void RebuildModeList();
  void MarkRunningMode(int mode);
  void RefreshResults(long argument);
  void DriveLamp();
  void PreferencesChanging(long phase);
  void SavePreferences();
  void RestorePreferences();

  bool TakesMode(int mode) const;
  void Send(const wchar_t* command);
  void ShowNewList();
  void ShowColours();
  std::string Setting(const char* suffix) const { return Name() + suffix; }

  std::unique_ptr<CStandaloneFrameWnd> window_;
  CModuleOutputWire* wire_ = nullptr;
  std::vector<CAmpelView::ModeErgebnis_t> modes_;
  CDtParamInstance params_;
  std::set<int> collectedModes_;
  CResultShop* resultShop_ = nullptr;
  CHiddenWindow timerWindow_;
  unsigned timerId_ = 0;
  bool rowWise_ = true;
  bool acousticOnly_ = true;
  bool playSound_ = false;
  int lampState_ = 0;
  int signalLightMode_ = 2;
  std::string placement_;  // of the window, while it is closed
};
