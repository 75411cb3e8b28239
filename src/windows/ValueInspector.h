#pragma once
// CKelValueInspector: an operator dialog that shows, for one quantity the operator picks, what
// the default value store holds for it — whether the quantity is parametrized at all, its
// stored single value, curve, track or spectrogram with its limit, and the quantity's
// calculation and instrument parameters — and draws the curves in a scope window. It reads the
// value store only.
//
// The chosen key and the seven keys chosen before it are kept in the application settings
// under "<name>-Dovetar" and "<name>-Letzte-1" … "<name>-Letzte-7" (most recent first).
//
// Host messages sent to the dialog's name or to "HalloInspektorK" with a key (an SClavis) as
// their data make the dialog show that key, as if the operator had picked it.

#include <array>
#include <cstdint>
#include <string>

#include "host/Clavis.h"
#include "host/DovetarCtrl.h"
#include "host/ModuleDialog.h"
#include "host/Params.h"
#include "host/ScopeBalloon.h"

class CKelValueStore;

class CKelValueInspector : public CModuleDialog {
 public:
  static constexpr int kDialogResource = 10003;
  static constexpr int kBitmapId = 93;
  static constexpr int kRecentKeys = 7;
  static constexpr const char kHelloClientName[] = "HalloInspektorK";

  // The state the dialog's colour shows.
  enum status_t : int {
    statusNotParametrized = 0,
    statusNotMeasured = 1,
    statusTrackLimited = 2,
    statusParametrized = 3,
    statusTrackWithoutLimit = 4,
  };

  CKelValueInspector();
  const char* RuntimeClassName() const override { return "CKelValueInspector"; }

  // Registers the dispatcher clients, names the scope and its records, restores the keys and
  // shows the current key.
  void PostCreate() override;
  void OnSpecialFileSave() override { SaveKeys(); }
  unsigned char ProcessCommand(const std::string& name, unsigned long address, const void* data,
                               const char* text) override;

  CDovetarCtrl& DovetarCtrl() { return dovetar_; }
  const CClavis& CurrentKey() const { return current_; }
  const std::array<CClavis, kRecentKeys>& RecentKeys() const { return recent_; }
  int ResultType() const { return resultType_; }
  int Status() const { return status_; }
  const std::string& Text() const { return text_; }
  const CnScopeBalloon& Scope() const { return scope_; }
  // The background colour of the current status, 0x00BBGGRR.
  uint32_t BackgroundColour() const;

  // Reads the current and recent keys from the settings (missing ones are all -1); writes them.
  void LoadKeys();
  void SaveKeys() const;
  // Shows the key the control holds: the text, the status and the scope.
  void Rebuild();

 protected:
  long OnMessage(unsigned message, unsigned long wParam, long lParam) override;

 private:
  // The control's key became the current key: the previous one goes to the recent keys.
  void OnKeyChanged();
  std::string CurrentKeyName() const;
  std::string RecentKeyName(unsigned n) const;
  std::string ParametrizationText(const QClavis& key);
  std::string SingleValueText(const CKelValueStore& store, const QClavis& key) const;
  std::string TrackText(const CKelValueStore& store, const QClavis& key);
  std::string CurveText(const CKelValueStore& store, const QClavis& key);
  std::string SpectrogramText(const CKelValueStore& store, const QClavis& key);
  void ShowTrack(const CKelValueStore& store, const QClavis& key, int dimensions);

  CDtParamInstance params_;
  CDovetarCtrl dovetar_;
  CClavis current_;
  std::array<CClavis, kRecentKeys> recent_;
  int resultType_ = -1;
  int status_ = statusNotParametrized;
  std::string text_;
  CnScopeBalloon scope_;
};
