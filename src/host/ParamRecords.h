#pragma once
// The records of the parameter database. They describe, per quantity, how it is measured,
// learned, limited and evaluated; the program reads them and never writes them. Every field
// is documented in docs/test-plan.md together with the test-plan field it comes from.

#include <cstdint>
#include <map>
#include <string>

#include "host/InstrumentParam.h"
#include "host/MeasuringUnit.h"

// The name of a mode, instrument, channel or location.
struct QIdxName {
  std::string name;
};

// Table view handed out by the parameter instance: an ordered map with unique keys.
template <typename Key, typename Value>
using CDbUniqueMap = std::map<Key, Value>;

template <typename Map>
class CQParamSeaTypedTable : public Map {
 public:
  using Map::Map;
};

// One measured or derived quantity that is parametrised for storing and evaluation.
struct QVIpParamAndStore {
  int32_t errorCode = -1;    // reported for a violation; an interval quantity also uses code + 1
  float offset = 0.0f;       // limit width: absolute offset a
  float sigmaFactor = 0.0f;  // limit width: factor k on the standard deviation
  float percent = 0.0f;      // limit width: percentage p of the reference value
  bool store = true;         // false: the value is not kept in the archive
};

// Limits of a single value. Evaluated only when `evaluate` is exactly 1.
struct QVLimSValue {
  int32_t evaluate = 0;
  float minLimit = 0.0f;  // smallest allowed limit (the lower limit while not learned)
  float maxLimit = 0.0f;  // largest allowed limit (the upper limit while not learned)
};

// Limit polygons of a curve or scalar track. Evaluated only when `evaluate` is exactly 1.
struct QVLimCValue {
  int32_t evaluate = 0;
  int32_t lowerPolygon = -1;  // polygon id, -1 = none
  int32_t upperPolygon = -1;
};

// Constant limits of a curve track while not enough is learned.
struct QVLimArea {
  int32_t evaluate = 0;
  float lower = 0.0f;
  float upper = 0.0f;
};

struct QVIpLearnParameter {
  int32_t procedure = -1;  // key of LearnProcedures(), -1 = none
};

struct QVLearnProcedures {
  int32_t numberToLearn = -1;   // parts to learn; -1 without end, 0 never
  uint32_t baseLearns = 0;      // parts below which a quantity counts as not learned
  float timeConstant = 100.0f;  // exponential time constant in parts
  std::string name;
};

// Relative tolerance of an error: a violation within it has severity 0.
struct QVRelativeLimit {
  float percent = 0.0f;
  float offset = 0.0f;
};

struct QVErrorCode {
  int32_t externalCode = 0;  // the code the plant sees (shown unless internal codes are asked for)
  std::string text;
  int32_t priority = 0;  // larger is more important
  int32_t severity = 1;  // key of SeverityProperty()
  int32_t group = 0;     // shadow group 1..32, 0 = none
};

// What a severity means.
struct QVErrorGroup {
  int32_t result = 0;  // NorviDefs::result_t
  int32_t color = 4;   // NorviDefs::result_color_t
  std::string text;
};

struct QVShadowGroupProperty {
  int32_t group = 0;  // the group (also the key)
  uint32_t mask = 0;  // bit g-1 set: the group shadows group g
};

struct QVModeProps {
  enum mode_flags_t : int32_t {
    mfAcoustic = 0x01,
    mfAcousticCheck = 0x80,
    mfFunction = 0x100,
  };
  int32_t flags = mfAcoustic;
  bool hidden = false;
};

// One dimension of a trigger in one mode: its set point, its signal and its axis.
struct QVTriggerParams {
  int32_t setPoint = -1;   // set-point id of the measuring results
  int32_t appSignal = -1;  // application signal of the axis (its unit)
  bool tracked = false;    // the dimension tracks are recorded over
  double start = 0.0;      // axis value of cell 0
  double step = 0.0;       // axis distance of two cells; negative for a falling axis
  uint32_t count = 0;      // number of cells
};

struct QVAppSignalProperty {
  std::string name;
  CMeasuringUnit unit;
  int32_t source = -1;  // the physical source (a tacho, a sensor input)
};

struct QVLocationProperty {
  int32_t rotor = -1;  // the rotor (a location id) whose orders the location sees; -1: its own
};

struct QVClassIdName {
  std::string name;
};

struct QVIpPolygonProperty {
  int32_t order = -1;  // rotor the x axis is in orders of; -1: x in the curve's own units
};

// A single value taken from a spectrum ("hat").
struct QVIpSvOfSpec {
  int32_t interpretation = 2;  // 1/5 minimum, 2/6 maximum, 3/7 not implemented, 4/8 energetic sum
  std::string definition;      // band text; 'H' or 'M' in it marks a frequency definition
  int32_t location = -1;       // -1: the spectrum's location
};

struct CVIpSvTrackPolygon {
  int32_t calcMode = 0;
  int32_t sourceParameter = -1;
  int32_t polygon = -1;
};

struct CVPoint {
  float x = 0.0f;
  float y = 0.0f;
};

// One band of a hat or band parameter.
struct QVSpecIntervalEntry {
  struct Definition {
    enum domain_t : int32_t { domain_pure = 2, domain_combined = 3 };
    int32_t domainValue = domain_pure;
    bool orders = true;  // band in orders of `rotor`; else in hertz
    int32_t rotor = -1;  // -1: orders of the reference shaft (the spectrum's own orders)
    float low = 0.0f;
    float high = 0.0f;
    int32_t domain() const { return domainValue; }
  };
  Definition definition;
};

// One calculation parameter of an instrument parameter, kept as its text.
struct QVIpCalcParameter {
  std::string value;
  std::string name;
  // The value as a whole decimal number; false (value unchanged) when it is not one.
  bool ValueInt(int32_t& out) const;
  bool ValueFloat(float& out) const;
};
