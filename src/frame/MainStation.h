#pragma once
// CMainStation: receives the measured values that the host's worker threads send as trains and
// sorts them into the default value store — final results (one value or curve per quantity)
// on "FinalInput", results sampled along a run (track points and track curves at a cell of the
// run) on "TriggeredInput". It forwards a ten-integer track-info packet per track value to the
// output wire "TrackDovetarOutput".

#include <string>

#include "host/MeasuringResult.h"
#include "host/Params.h"
#include "host/Railway.h"
#include "host/Signal.h"
#include "host/StateMachine.h"
#include "store/Keys.h"

class CMainStation : public CRailwayStation {
 public:
  // Context-menu items.
  enum menu_item_t { menuDebugFinal = 1, menuDebugSpectralTracks = 2, menuDebugOtherTracks = 3 };

  CMainStation();
  const char* RuntimeClassName() const override { return "CMainStation"; }
  void OnSpecialCreate() override;

  // "<name> receives measured values from the worker threads and sorts them into the internal
  // result tables."
  std::string InfoText() const;
  // Toggles the debug switch of a context-menu item; false for an unknown item.
  bool OnContextMenu(int item);
  bool DebugFinal() const { return m_debugFinal; }

  void work_final(const CTrain& train);
  void work_triggered(const CTrain& train);

  // The host's lookup of the special-mode client; the station has nothing to look up.
  void Lookup(int mode);

 private:
  void SendTrackInfo(const QClavis& key, int64_t cell);
  void Synchronise(const CTrain& train);
  float ChooseSetPoint(const CMeasuringResultBase& result, const QClavis& key) const;
  // What a wagon carries, read without copying live objects (marshalled ones are unmarshalled
  // into the storage): a curve, a scalar (a scalar target gives its scalar), or neither.
  struct SWagonContent {
    const CSignalieee32* signal = nullptr;
    const CMeasuringResultScalar* scalar = nullptr;
    std::optional<CSignalieee32> signalStorage;
    std::optional<CMeasuringResultScalar> scalarStorage;
    std::optional<CMeasuringResultScalarTarget> targetStorage;
  };
  static void ViewContent(const CTrain& train, const CTrain::SWagon& wagon, SWagonContent& content);
  bool IsCurve(const CSignalieee32& signal, const QClavis& key) const;
  void WarnIfNotFinite(float value, const QClavis& key) const;

  bool m_debugSpectralTracks = false;
  bool m_debugOtherTracks = false;
  bool m_debugFinal = false;
  CSignalieee32 m_signal;
  CTriggerInfo m_triggerInfo;
  CThreadSynch::Key m_syncKey{-1, -1};
  CSCSClient m_stateClient;
  CModuleOutputWire* m_trackOutput = nullptr;
  CSimpleDataPacket m_packet;
  CSimpleParameterPacket m_parameters{m_packet, 0, 10, 0};
  CDtParamInstance m_params;
};
