#pragma once
// CParamSet: one complete set of test parameters (a loaded test plan). The process has one
// current set; CDtParamInstance reads it. A set is built whole (by the test-plan loader or by
// a test through TestPlan::Builder), checked, and only then made current, so readers never
// see a half-loaded plan.

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "host/ParamRecords.h"
#include "host/UniqueTreeMap.h"
#include "store/Keys.h"

// A mode of the test sequence beyond its name: how it maps onto a base mode and its rotors.
struct CModeInfo {
  int32_t baseMode = -1;        // -1: the mode is its own base mode
  std::string physicalName;     // the name of the physical mode (gear, direction)
  float referenceSpeed = 0.0f;  // reference-shaft speed in Hz for constant-speed modes, else 0
  std::map<int32_t, float> rotorRatios;  // rotor (location id) -> speed ratio to the reference
};

struct CInstrumentInfo {
  int32_t resultType = 0;  // 1 final scalar, 2 scalar track, 3/4/6 final curve, 5 curve track
};

struct CChannelInfo {
  int32_t resamplingType = 0;  // bit 0: order-resampled channel, bit 1: rotor-bound channel
};

struct CTriggerProperty {
  std::string name;
  int32_t source = -1;  // the physical source of the trigger signal
};

// Where the records of a set were given in the plan file: JSON pointers of the entries
// ("/quantities/3"), so a consistency error can name the place. Empty for a set built in code.
struct CPlanOrigins {
  std::map<int32_t, std::string> modes, parameters, errorCodes, polygons;
  std::map<QIdx3, std::string> triggerAxes;  // key (mode, trigger, dimension)
  std::map<QClavis, std::string> quantities;
};

struct CParamSet {
  // Identity of the plan.
  std::string planName;
  std::string baseType;
  bool showIdsInDialogs = false;

  // Names.
  CUniqueTreeMap<QIdx1, QIdxName> modes, instruments, channels, locations;
  std::map<int32_t, CModeInfo> modeInfo;
  std::map<int32_t, CInstrumentInfo> instrumentInfo;
  std::map<int32_t, CChannelInfo> channelInfo;
  std::map<int32_t, CTriggerProperty> triggers;

  // Tables.
  CQParamSeaTypedTable<CDbUniqueMap<QIdx1, QVInstrumentParam>> instrumentParam;
  CQParamSeaTypedTable<CDbUniqueMap<QClavis, QVIpParamAndStore>> ipParamAndStore;
  CQParamSeaTypedTable<CDbUniqueMap<QIdx2, QVIpCalcParameter>> ipCalcParameter;
  CQParamSeaTypedTable<CDbUniqueMap<QClavis, QVLimSValue>> limSValue;
  CQParamSeaTypedTable<CDbUniqueMap<QClavis, QVLimCValue>> limCValue;
  CQParamSeaTypedTable<CDbUniqueMap<QClavis, QVLimArea>> limArea;
  CQParamSeaTypedTable<CDbUniqueMap<QClavis, QVIpLearnParameter>> ipLearnParameter;
  CQParamSeaTypedTable<CDbUniqueMap<QClavis, QVRelativeLimit>> relativeLimit;
  CQParamSeaTypedTable<CDbUniqueMap<QIdx1, QVErrorCode>> errorCode;
  CQParamSeaTypedTable<CDbUniqueMap<QIdx1, QVErrorGroup>> severityProperty;
  CQParamSeaTypedTable<CDbUniqueMap<QIdx1, QVShadowGroupProperty>> shadowGroupProperty;
  CQParamSeaTypedTable<CDbUniqueMap<QIdx1, QVModeProps>> modeProperty;
  CQParamSeaTypedTable<CDbUniqueMap<QIdx3, QVTriggerParams>> triggerParam;
  CQParamSeaTypedTable<CDbUniqueMap<QIdx1, QVAppSignalProperty>> appSignalProperty;
  CQParamSeaTypedTable<CDbUniqueMap<QIdx1, QVLocationProperty>> locationProperty;
  CQParamSeaTypedTable<CDbUniqueMap<QIdx1, QVLearnProcedures>> learnProcedures;
  CQParamSeaTypedTable<CDbUniqueMap<QIdx1, QVClassIdName>> ipPolygon;
  CQParamSeaTypedTable<CDbUniqueMap<QIdx1, QVIpPolygonProperty>> ipPolygonProperty;
  std::map<QIdx1, QVIpSvOfSpec> ipSvOfSpec;
  std::map<QClavis, CVIpSvTrackPolygon> ipTrackPolygon;
  std::map<std::pair<int, int>, CVPoint> ipPolygonValues;
  // Bands per parameter: key (parameter, band index).
  CQParamSeaTypedTable<CDbUniqueMap<QIdx2, QVSpecIntervalEntry>> specIntervals;

  CPlanOrigins origins;
};

namespace ParamDatabase {
// The current set (an empty set before the first plan is installed).
const CParamSet& Current();
// Makes `set` current. The caller has checked it (TestPlan::Check).
void Install(std::shared_ptr<const CParamSet> set);
// Back to the empty set.
void Reset();
bool IsInitialized();
// Counts the plans made current (Install and Reset): a different number means another plan,
// even when a new set takes the old one's place in memory or repeats its content.
uint64_t Generation();
}  // namespace ParamDatabase
