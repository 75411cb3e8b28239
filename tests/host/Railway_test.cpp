#include "host/Railway.h"

#include <gtest/gtest.h>

#include <cstring>

#include "host/MeasuringResult.h"
#include "host/Signal.h"
#include "host/StateMachine.h"

namespace {

using Bytes = std::vector<uint8_t>;

Bytes Marshalled(const CRailwayObject& object) {
  Bytes bytes;
  object.Marshal(bytes);
  return bytes;
}

Bytes Slice(const Bytes& bytes, size_t offset, size_t n) {
  return Bytes(bytes.begin() + offset, bytes.begin() + offset + n);
}

void Poke32(Bytes& bytes, size_t offset, uint32_t value) {
  for (int i = 0; i < 4; ++i) bytes[offset + i] = static_cast<uint8_t>(value >> (8 * i));
}

const CMeasuringUnit kKiloPascal(CMeasuringUnit::cuPascal, 3);

CMeasuringResultScalar Scalar() {
  CMeasuringResultScalar scalar;
  scalar.SetClavis(SClavis{1, 2, 3, 4, 5, 6});
  scalar.SetTrigger(7, -2);
  scalar.SetTimeslice(0x0102030405060708u, SignalBase::expire_mode);
  scalar.set_point().Set(0, 11, 1.5f);
  scalar.set_point().Set(3, 12, 2.0f);
  scalar.value = 0.25f;
  scalar.unit = kKiloPascal;
  return scalar;
}

CSignalieee32 Signal() {
  CDescription description(3, 0.5f, CMeasuringUnit(CMeasuringUnit::cuOrder), kKiloPascal);
  description.SetXDims(2);
  description.X(1) = CXDimension{1, 2.0f, 600.0f, CMeasuringUnit(CMeasuringUnit::cuRpm)};
  description.SetYDims(2);
  description.Y(1) = CYChannel{CYChannel::flagCan, 42};
  description.SetYUnit(CMeasuringUnit(CMeasuringUnit::cuMetrePerSecond2, 0, 1.0f, 1));
  CSignalieee32 signal(description, {1.0f, -2.0f, 3.5f}, 9, SignalBase::expire_candidate);
  signal.SetClavis(SClavis{10, 2001, 3, 1, 77, 2});
  signal.SetTrigger(4, 123456789012);
  signal.set_point().Set(15, 8, 1450.0f);
  return signal;
}

CMeasuringResultScalarTarget Target() {
  CMeasuringResultScalarTarget target;
  target.scalar = Scalar();
  target.target = 0.3f;
  return target;
}

CTypedSignal<unsigned long> Raw() {
  CTypedSignal<unsigned long> raw;
  raw.samples = {0, 0xffffffffu, 1234};
  return raw;
}

CDzPulsListe Pulses() {
  CDzPulsListe pulses;
  pulses.times = {0.01f, 0.02f};
  return pulses;
}

CFueGroeHopListe Slow() {
  CFueGroeHopListe slow;
  slow.values = {80.5f};
  return slow;
}

CResampInfo Resamp() {
  CResampInfo info;
  info.samplesPerRevolution = 512;
  info.rotor = 2;
  return info;
}

CTriggerInfo Trigger() {
  CTriggerInfo info;
  info.trigger = 3;
  info.state = CTriggerInfo::st_running;
  info.cell = -40;
  return info;
}

// Marshalled and live round trips through a train; `Other` is any other wagon type.
template <typename T, typename Other>
void ExpectRoundTrips(const T& original) {
  std::string name;
  for (int i = 0; i < 4; ++i) name += static_cast<char>(T::kWagonId >> (8 * i));
  SCOPED_TRACE("wagon type " + name);
  const Bytes bytes = Marshalled(original);
  CTrain train;
  train.AddMarshalledOf(original);
  train.AddObject(std::make_shared<T>(original));
  train.AddMarshalled(Other::kWagonId, bytes.data(), static_cast<uint32_t>(bytes.size()));
  const CTrain::SWagon& marshalled = train.begin()[0];
  const CTrain::SWagon& live = train.begin()[1];
  ASSERT_EQ(marshalled.size, bytes.size());

  const std::optional<T> read = ReadWagon<T>(train, marshalled);
  ASSERT_TRUE(read.has_value());
  EXPECT_EQ(Marshalled(*read), bytes);
  const std::optional<T> fromLive = ReadWagon<T>(train, live);
  ASSERT_TRUE(fromLive.has_value());
  EXPECT_EQ(Marshalled(*fromLive), bytes);

  // A view of a live object is the object itself; marshalled data is read into the storage.
  std::optional<T> storage;
  EXPECT_EQ(ViewWagon<T>(train, live, storage), train.Object(live));
  EXPECT_FALSE(storage.has_value());
  const T* viewed = ViewWagon<T>(train, marshalled, storage);
  ASSERT_TRUE(storage.has_value());
  EXPECT_EQ(viewed, &*storage);
  std::optional<Other> otherStorage;
  EXPECT_EQ(ViewWagon<Other>(train, live, otherStorage), nullptr);

  EXPECT_FALSE(ReadWagon<Other>(train, live).has_value());
  EXPECT_FALSE(ReadWagon<Other>(train, marshalled).has_value());
  EXPECT_FALSE(ReadWagon<T>(train, train.begin()[2]).has_value());  // T's bytes, other id
}

// Every cut of the form and one byte too many are refused.
template <typename T>
void ExpectRefusesDamage(const T& original) {
  Bytes bytes = Marshalled(original);
  ASSERT_TRUE(T::Unmarshal(bytes.data(), bytes.size()).has_value());
  for (size_t n = 0; n < bytes.size(); ++n) {
    const Bytes cut(bytes.begin(), bytes.begin() + n);
    EXPECT_FALSE(T::Unmarshal(cut.data(), cut.size()).has_value()) << "length " << n;
  }
  bytes.push_back(0);
  EXPECT_FALSE(T::Unmarshal(bytes.data(), bytes.size()).has_value());
}

template <typename T>
bool Accepts(const Bytes& bytes) {
  return T::Unmarshal(bytes.data(), bytes.size()).has_value();
}

class CTestStation : public CRailwayStation {
 public:
  explicit CTestStation(handler_t fallback) : CRailwayStation(false, std::move(fallback)) {}
  const char* RuntimeClassName() const override { return "CTestStation"; }
};

}  // namespace

TEST(WagonForms, ScalarBytesAtKnownOffsets) {
  const Bytes bytes = Marshalled(Scalar());
  ASSERT_EQ(bytes.size(), 198u);
  EXPECT_EQ(Slice(bytes, 0, 8), (Bytes{1, 0, 0, 0, 2, 0, 0, 0}));
  EXPECT_EQ(Slice(bytes, 20, 4), (Bytes{6, 0, 0, 0}));
  EXPECT_EQ(Slice(bytes, 24, 4), (Bytes{7, 0, 0, 0}));
  EXPECT_EQ(Slice(bytes, 28, 8), (Bytes{0xfe, 0xff, 0xff, 0xff, 0xff, 0xff, 0xff, 0xff}));
  EXPECT_EQ(Slice(bytes, 36, 8), (Bytes{8, 7, 6, 5, 4, 3, 2, 1}));
  EXPECT_EQ(Slice(bytes, 44, 4), (Bytes{2, 0, 0, 0}));
  EXPECT_EQ(Slice(bytes, 48, 2), (Bytes{0x09, 0x00}));
  EXPECT_EQ(Slice(bytes, 50, 16), (Bytes{11, 0, 0, 0, 0, 0, 0xc0, 0x3f,  //
                                         0xff, 0xff, 0xff, 0xff, 0, 0, 0, 0}));
  EXPECT_EQ(Slice(bytes, 74, 8), (Bytes{12, 0, 0, 0, 0, 0, 0, 0x40}));  // slot 3
  EXPECT_EQ(Slice(bytes, 178, 4), (Bytes{0, 0, 0x80, 0x3e}));
  EXPECT_EQ(Slice(bytes, 182, 16),
            (Bytes{0x1c, 0, 0, 0, 3, 0, 0, 0, 0, 0, 0x80, 0x3f, 0, 0, 0, 0}));
  EXPECT_EQ(Marshalled(Target()).size(), 202u);
  EXPECT_EQ(Marshalled(Signal()).size(), 178u + 4 + 2 * 28 + 4 + 16 + 2 * 8 + 4 + 3 * 4);
  EXPECT_EQ(Marshalled(CThreadSynch::Key(5, -1)),
            (Bytes{5, 0, 0, 0, 0, 0, 0, 0, 0xff, 0xff, 0xff, 0xff, 0xff, 0xff, 0xff, 0xff}));
}

TEST(WagonForms, EveryTypeRoundTripsMarshalledAndLive) {
  ExpectRoundTrips<CMeasuringResultScalar, CMeasuringResultScalarTarget>(Scalar());
  ExpectRoundTrips<CMeasuringResultScalarTarget, CMeasuringResultScalar>(Target());
  ExpectRoundTrips<CSignalieee32, CMeasuringResultScalar>(Signal());
  ExpectRoundTrips<CTypedSignal<unsigned long>, CDzPulsListe>(Raw());
  ExpectRoundTrips<CDzPulsListe, CFueGroeHopListe>(Pulses());
  ExpectRoundTrips<CFueGroeHopListe, CDzPulsListe>(Slow());
  ExpectRoundTrips<CResampInfo, CTriggerInfo>(Resamp());
  ExpectRoundTrips<CTriggerInfo, CResampInfo>(Trigger());
  ExpectRoundTrips<CThreadSynch::Key, CTriggerInfo>(CThreadSynch::Key(12, 3));

  const Bytes bytes = Marshalled(Signal());
  const std::optional<CSignalieee32> signal = CSignalieee32::Unmarshal(bytes.data(), bytes.size());
  ASSERT_TRUE(signal.has_value());
  EXPECT_EQ(signal->Description(), Signal().Description());
  EXPECT_EQ(std::vector<float>(signal->Data(), signal->Data() + signal->NumberOfElements()),
            (std::vector<float>{1.0f, -2.0f, 3.5f}));
  EXPECT_EQ(signal->clavis().instrument, 2001);
  EXPECT_EQ(signal->cell(), 123456789012);
  EXPECT_EQ(signal->context(), 9u);
  EXPECT_EQ(signal->expire(), SignalBase::expire_candidate);
  EXPECT_EQ(signal->set_point().DefinedCount(), 1);
  EXPECT_EQ(signal->set_point().Value(15), 1450.0f);
}

TEST(WagonForms, TruncatedOrTrailingDataIsRefused) {
  ExpectRefusesDamage(Scalar());
  ExpectRefusesDamage(Target());
  ExpectRefusesDamage(Signal());
  ExpectRefusesDamage(Raw());
  ExpectRefusesDamage(Pulses());
  ExpectRefusesDamage(Slow());
  ExpectRefusesDamage(Resamp());
  ExpectRefusesDamage(Trigger());
  ExpectRefusesDamage(CThreadSynch::Key(1, 2));
}

TEST(WagonForms, HugeCountsAndInvalidFieldsAreRefused) {
  const Bytes huge{0xff, 0xff, 0xff, 0xff, 1, 2, 3, 4};
  EXPECT_FALSE(Accepts<CTypedSignal<unsigned long>>(huge));
  EXPECT_FALSE(Accepts<CDzPulsListe>(huge));
  EXPECT_FALSE(Accepts<CFueGroeHopListe>(huge));
  Bytes signal = Marshalled(CSignalieee32(CDescription(), {}));
  Poke32(signal, signal.size() - 4, 0xffffffffu);
  EXPECT_FALSE(Accepts<CSignalieee32>(signal));

  const Bytes scalar = Marshalled(Scalar());
  const std::pair<size_t, uint32_t> badScalar[] = {
      {44, 0}, {44, 5}, {182, 29}, {182, 0xffffffffu}, {186, 31}, {190, 0}, {194, 4}};
  for (const auto& [offset, value] : badScalar) {
    Bytes bad = scalar;
    Poke32(bad, offset, value);
    EXPECT_FALSE(Accepts<CMeasuringResultScalar>(bad)) << offset << " = " << value;
  }
  Bytes expireCandidate = scalar;
  Poke32(expireCandidate, 44, 4);
  EXPECT_TRUE(Accepts<CMeasuringResultScalar>(expireCandidate));

  const Bytes good = Marshalled(Signal());
  const std::pair<size_t, uint32_t> badSignal[] = {
      {178, 0}, {178, 4}, {182 + 12, 29}, {238, 9}, {242, 100}};
  for (const auto& [offset, value] : badSignal) {
    Bytes bad = good;
    Poke32(bad, offset, value);
    EXPECT_FALSE(Accepts<CSignalieee32>(bad)) << offset << " = " << value;
  }

  Bytes trigger = Marshalled(Trigger());
  for (uint32_t state : {4u, 0xffffffffu}) {
    Poke32(trigger, 4, state);
    EXPECT_FALSE(Accepts<CTriggerInfo>(trigger)) << state;
  }
  Poke32(trigger, 4, 3);
  EXPECT_STREQ(CTriggerInfo::Unmarshal(trigger.data(), trigger.size())->StateName(), "stopped");
}

TEST(WagonForms, SetPointsAndTriggerStateNames) {
  CSetPoint points;
  points.Set(-1, 5, 1.0f);
  points.Set(CSetPoint::kSlots, 5, 1.0f);
  EXPECT_EQ(points.DefinedCount(), 0);
  EXPECT_EQ(points.id2idx(5), -1);
  points.Set(9, 5, 2.0f);
  points.Set(4, 5, 3.0f);
  points.Set(2, 6, 4.0f);
  EXPECT_EQ(points.DefinedCount(), 3);
  EXPECT_EQ(points.id2idx(5), 4);
  EXPECT_EQ(points.id2idx(6), 2);
  EXPECT_EQ(points.Value(9), 2.0f);

  CTriggerInfo info;
  std::string names;
  for (int32_t state : {0, 1, 2, 3, 4}) {
    info.state = static_cast<CTriggerInfo::state_t>(state);
    names += std::string(info.StateName()) + " ";
  }
  EXPECT_EQ(names, "idle armed running stopped unknown ");
}

TEST(RailwayTrain, WagonLayoutAndFindId) {
  EXPECT_EQ(sizeof(CTrain::SWagon), 16u);
  EXPECT_EQ(CMeasuringResultScalar::kWagonId, 0x4353524du);  // "MRSC"
  CTrain train;
  train.AddMarshalledOf(CThreadSynch::Key(1, 1));
  train.AddObject(std::make_shared<CTriggerInfo>(Trigger()));
  train.AddMarshalledOf(CThreadSynch::Key(2, 2));
  ASSERT_EQ(train.size(), 3u);
  const CTrain::SWagon* w = train.begin();
  EXPECT_EQ(w[0].id, CThreadSynch::Key::kWagonId);
  EXPECT_EQ(w[0].size, 16u);
  EXPECT_EQ(w[0].object, CTrain::kNone);
  EXPECT_EQ(w[0].data, 0u);
  EXPECT_EQ(w[1].object, 0u);
  EXPECT_EQ(w[1].data, CTrain::kNone);
  EXPECT_EQ(w[2].data, 16u);
  EXPECT_EQ(train.Data(w[1]), nullptr);
  EXPECT_EQ(train.Object(w[0]), nullptr);
  EXPECT_EQ(train.find_id(CThreadSynch::Key::kWagonId), &w[0]);
  EXPECT_EQ(train.find_id(CTriggerInfo::kWagonId), &w[1]);
  EXPECT_EQ(train.find_id(CResampInfo::kWagonId), nullptr);
  EXPECT_EQ(ReadWagon<CThreadSynch::Key>(train, w[2])->sequence, 2);

  // A cleared train holds nothing and lets its objects go; what is added next starts afresh.
  auto trigger = std::make_shared<CTriggerInfo>(Trigger());
  train.AddObject(trigger);
  EXPECT_EQ(trigger.use_count(), 2);
  train.Clear();
  EXPECT_EQ(train.size(), 0u);
  EXPECT_EQ(trigger.use_count(), 1);
  EXPECT_EQ(train.find_id(CThreadSynch::Key::kWagonId), nullptr);
  train.AddMarshalledOf(CThreadSynch::Key(3, 3));
  train.AddObject(trigger);
  ASSERT_EQ(train.size(), 2u);
  EXPECT_EQ(train.begin()[0].data, 0u);
  EXPECT_EQ(train.begin()[1].object, 0u);
  EXPECT_EQ(ReadWagon<CThreadSynch::Key>(train, train.begin()[0])->sequence, 3);
  EXPECT_EQ(train.Object(train.begin()[1]), trigger.get());
}

TEST(RailwayStation, DeliversByInputAndByModuleName) {
  std::string log;
  auto station = std::make_unique<CTestStation>([&log](const CTrain&) { log += "default "; });
  station->SetupInput([&log](const CTrain& t) { log += "values" + std::to_string(t.size()) + " "; },
                      "Values");
  station->SetupInput([&log](const CTrain&) { log += "signals "; }, "Signals");
  ASSERT_TRUE(station->Create("Intake", nullptr));
  CTrain train;
  train.AddMarshalledOf(CThreadSynch::Key(1, 1));

  EXPECT_TRUE(station->Deliver("Values", train));
  EXPECT_FALSE(station->Deliver("Nowhere", train));
  EXPECT_TRUE(CRailwayStation::DeliverTo("Intake", "Signals", train));
  EXPECT_FALSE(CRailwayStation::DeliverTo("Outlet", "Signals", train));
  EXPECT_EQ(log, "values1 default signals ");

  CTestStation quiet(nullptr);
  EXPECT_FALSE(quiet.Deliver("Values", train));
  station.reset();
  EXPECT_FALSE(CRailwayStation::DeliverTo("Intake", "Signals", train));
  EXPECT_EQ(log, "values1 default signals ");
}

TEST(RailwayOutputWire, CreatedOnceAndReachesListeners) {
  CTestStation owner(nullptr);
  ASSERT_TRUE(owner.Create("WireOwner", nullptr));
  EXPECT_EQ(CModuleOutputWire::FindAndConnectOutWire(&owner, "RailwayTestTrack", false), nullptr);
  CModuleOutputWire* wire =
      CModuleOutputWire::FindAndConnectOutWire(&owner, "RailwayTestTrack", true);
  ASSERT_NE(wire, nullptr);
  EXPECT_EQ(wire->Name(), "RailwayTestTrack");
  EXPECT_EQ(CModuleOutputWire::FindAndConnectOutWire(&owner, "RailwayTestTrack", true), wire);
  EXPECT_EQ(CModuleOutputWire::Find("RailwayTestTrack"), wire);
  EXPECT_EQ(CModuleOutputWire::Find("RailwayNoSuchWire"), nullptr);

  CSimpleDataPacket packet;
  CSimpleParameterPacket parameters(packet, 0, 10, 0);
  for (int i = 9; i >= 0; --i) parameters.SetInt(i, 100 + i);
  parameters.SetInt(-1, 7);
  EXPECT_FALSE(wire->SendData(packet, 1, nullptr));  // nobody listens yet
  std::vector<std::vector<int64_t>> received;
  wire->Listen([&received](const CSimpleDataPacket& p) { received.push_back(p.Values()); });
  wire->Listen([&received](const CSimpleDataPacket& p) { received.push_back({p.Values()[9]}); });
  EXPECT_TRUE(wire->SendData(packet, 1, nullptr));
  const std::vector<int64_t> expected{100, 101, 102, 103, 104, 105, 106, 107, 108, 109};
  ASSERT_EQ(received.size(), 2u);
  EXPECT_EQ(received[0], expected);
  EXPECT_EQ(received[1], std::vector<int64_t>{109});

  CSimpleDataPacket offset;
  CSimpleParameterPacket(offset, 3, 2, 0).SetInt(1, 5);
  EXPECT_EQ(offset.Values(), (std::vector<int64_t>{0, 0, 0, 0, 5}));
  wire->ClearListeners();
  EXPECT_FALSE(wire->SendData(packet, 1, nullptr));
}
