#pragma once
// CDtParamInstance: a cheap view onto a parameter set.
//
// Made without a distillery (the usual way, and what every module of the library does), a view
// holds nothing: every call reads the set that is current at that moment (the installed test
// plan), so a view kept by a module follows a newly loaded plan. Its tables are handed out by
// const reference and stay valid until the next plan is installed.
//
// Made over a distillery, a view reads the distillery's set instead, whatever plan is installed
// meanwhile, and keeps that set alive for as long as the view lives; its tables stay valid as
// long as the view. This is how a set is looked at before (or without) installing it.

#include <bitset>
#include <memory>
#include <string>
#include <utility>

#include "host/ParamSet.h"

// CDtParamDistillery: the parameters of one test, distilled into a set of their own and kept
// apart from the installed set. A null set stands for the empty set.
class CDtParamDistillery {
 public:
  explicit CDtParamDistillery(std::shared_ptr<const CParamSet> set);
  const std::shared_ptr<const CParamSet>& Set() const { return set_; }

 private:
  std::shared_ptr<const CParamSet> set_;
};

class CDtParamInstance {
 public:
  using InstrumentParamTable = CQParamSeaTypedTable<CDbUniqueMap<QIdx1, QVInstrumentParam>>;

  // Without a distillery: reads the current set.
  CDtParamInstance() = default;
  // Over the distillery's set; a null distillery makes a view without one (the current set).
  explicit CDtParamInstance(const CDtParamDistillery* distillery);

  // Tables.
  const InstrumentParamTable& InstrumentParam() const { return Set().instrumentParam; }
  const auto& IpParamAndStore() const { return Set().ipParamAndStore; }
  const auto& IpCalcParameter() const { return Set().ipCalcParameter; }
  const auto& LimSValue() const { return Set().limSValue; }
  const auto& LimCValue() const { return Set().limCValue; }
  const auto& LimArea() const { return Set().limArea; }
  const auto& IpLearnParameter() const { return Set().ipLearnParameter; }
  const auto& RelativeLimit() const { return Set().relativeLimit; }
  const auto& ErrorCode() const { return Set().errorCode; }
  const auto& SeverityProperty() const { return Set().severityProperty; }
  const auto& ShadowGroupProperty() const { return Set().shadowGroupProperty; }
  const auto& ModeProperty() const { return Set().modeProperty; }
  const auto& TriggerParam() const { return Set().triggerParam; }
  const auto& AppSignalProperty() const { return Set().appSignalProperty; }
  const auto& LocationProperty() const { return Set().locationProperty; }
  const auto& LearnProcedures() const { return Set().learnProcedures; }
  const auto& IpPolygon() const { return Set().ipPolygon; }
  const auto& IpPolygonProperty() const { return Set().ipPolygonProperty; }
  const std::map<QIdx1, QVIpSvOfSpec>& IpSvOfSpec() const { return Set().ipSvOfSpec; }
  const std::map<QClavis, CVIpSvTrackPolygon>& IpTrackPolygon() const {
    return Set().ipTrackPolygon;
  }
  const std::map<std::pair<int, int>, CVPoint>& IpPolygonValues() const {
    return Set().ipPolygonValues;
  }
  const CUniqueTreeMap<QIdx1, QIdxName>& Mode() const { return Set().modes; }
  const CUniqueTreeMap<QIdx1, QIdxName>& Instrument() const { return Set().instruments; }
  const CUniqueTreeMap<QIdx1, QIdxName>& Channel() const { return Set().channels; }
  const CUniqueTreeMap<QIdx1, QIdxName>& Location() const { return Set().locations; }

  // The bands of a parameter, in band order: [first, second) over the keys (parameter, i).
  using SpecIntervalIterator = CDbUniqueMap<QIdx2, QVSpecIntervalEntry>::const_iterator;
  std::pair<SpecIntervalIterator, SpecIntervalIterator> SpecIntervalRange(int parameter) const;

  // Identity. A view over a distillery is initialised; one without, once a plan is installed.
  bool Initialized() const;
  std::string BaseType() const { return Set().baseType; }
  std::string PlanName() const { return Set().planName; }
  bool ShowIdsInDialogs() const { return Set().showIdsInDialogs; }

  // Modes. A virtual mode maps to its base mode; a base mode (or an unknown mode) to itself.
  int VirtMode2BaseMode(int mode) const;
  bool IsValidMode(int mode) const;
  // True when the mode's property flags have any bit of `flag`; false without properties.
  bool ModeIsOfType(int mode, int flag) const;
  bool ModeIsHidden(int mode) const;

  // Instruments, parameters, triggers.
  bool IsValidInstrument(int instrument) const;
  // The kind of value the instrument delivers: 1 final scalar, 2 scalar track, 3/4/6 final
  // curve, 5 curve track; 0 for an unknown instrument.
  int ResultType(int instrument) const;
  // The instrument a parameter belongs to; -1 when unknown.
  int InstrumentParameterToInstrument(int parameter) const;
  // The trigger a parameter is tracked over; -1 when none.
  int TriggerId(int parameter) const;
  int ChannelResamplingType(int channel) const;
  // The rotor whose orders a location sees in a mode (its location property, else the
  // location itself).
  int OrderSource2Rotor(int mode, int location) const;
  // Speed ratio of rotor `order` to the reference shaft in `mode` (its base mode for a virtual
  // one); 1 for the reference shaft (rotor -1), 0 when the mode does not know that rotor.
  float FrequencyRatioToGeneratingRotor(int mode, int location, int order) const;

  // Names: the plan's name, or "" when the id is unknown.
  std::string ModeName(int mode) const;
  std::string PhysModeName(int mode) const;
  std::string InstrumentName(int instrument) const;
  std::string ChannelName(int channel) const;
  std::string LocationName(int location) const;
  std::string InstrumentParamName(int parameter) const;
  std::string TriggerName(int trigger) const;
  // The physical source of a trigger's signal; -1 for an unknown trigger.
  int TriggerSource(int trigger) const;
  std::string ApplicationSignalName(int signal) const;

  // Texts of keys for messages and reports. Each selected field appears as its name, or as
  // "#<id>" when it has no name ("*" for -1); with ShowIdsInDialogs the id follows in
  // parentheses. Fields are joined by " / " in key order, e.g.
  // "Run-up 2nd gear drive / Order spectrum / Input bearing accel. / Input bearing / Gear mesh
  // 2nd gear / Accelerometer input".
  // Bits of `fields`: 0 mode, 1 instrument, 2 channel, 3 location, 4 parameter, 5 sensor.
  std::string FormatClavisText(const QClavis& key,
                               std::bitset<6> fields = std::bitset<6>(0x3f)) const;
  // "<instrument> / <parameter>" and "<location> / <channel>" in the same style.
  std::string FormatInstrParamText(int instrument, int parameter) const;
  std::string FormatLocaChanText(int location, int channel) const;

 private:
  const CParamSet& Set() const { return distilled_ ? *distilled_ : ParamDatabase::Current(); }

  // The distillery's set; null without a distillery.
  std::shared_ptr<const CParamSet> distilled_;
};
