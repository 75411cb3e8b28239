#include "frame/MainStation.h"

#include <cmath>
#include <cstddef>

#include "frame/EvStoreServer.h"
#include "host/CommandDispatcher.h"
#include "host/Output.h"
#include "store/KelValueStore.h"

namespace {

QClavis KeyOf(const CMeasuringResultBase& result) {
  const SClavis& c = result.clavis();
  return QClavis(c.mode, c.instrument, c.channel, c.location, c.parameter, c.sensor);
}

CKelValueStore* DefaultStore() {
  return CEvStoreServer<CKelValueStore>::Object().Store(-1);
}

// The measurement objects of a train were made by the instruments a moment before and are
// rarely in this core's cache: reading them is most of the intake's time. Asking for the
// object a few wagons ahead of the one being stored lets those reads overlap.
constexpr std::ptrdiff_t kPrefetchWagons = 4;

void PrefetchObject(const CTrain& train, const CTrain::SWagon& wagon) {
  if (train.end() - &wagon <= kPrefetchWagons) return;
  const CTrain::SWagon& ahead = (&wagon)[kPrefetchWagons];
  const CRailwayObject* object = train.Object(ahead);
  if (object == nullptr) return;
  __builtin_prefetch(object);
  if (ahead.id == MarshalingYard::ID<CMeasuringResultScalar>::id())
    __builtin_prefetch(&static_cast<const CMeasuringResultScalar*>(object)->value);
}

}  // namespace

CMainStation::CMainStation() : CRailwayStation(false, nullptr) {
  m_stateClient.Register(CModeMachine::ModeMachine());
  m_stateClient.Register(CCandidateMachine::CandidateMachine());
  SetupInput([this](const CTrain& train) { work_triggered(train); }, "TriggeredInput");
  SetupInput([this](const CTrain& train) { work_final(train); }, "FinalInput");
}

void CMainStation::OnSpecialCreate() {
  CRailwayStation::OnSpecialCreate();
  CommandDispatcher().AddClient(
      mcInsertCandidate, this,
      [this](long, unsigned long, const void*, const char*, const void*) -> unsigned char {
        Lookup(3);
        return 0;
      });
  CommandDispatcher().AddClient(
      mcTransferMeasurementTrain, this,
      [this](long, unsigned long, const void* data, const char*, const void*) -> unsigned char {
        if (data == nullptr) return 0;
        work_final(*static_cast<const CTrain*>(data));
        return 1;
      });
  const CThreadHead* head = CThreadHead::FindMyThreadHead(this);
  if (head != nullptr && !head->IsMainThread())
    PrWin::Output(1, 4, "CMainStation %s has to be in main thread context\n", Name().c_str());
  m_trackOutput = CModuleOutputWire::FindAndConnectOutWire(this, "TrackDovetarOutput", true);
}

void CMainStation::Lookup(int /*mode*/) {}

std::string CMainStation::InfoText() const {
  return Name() +
         " receives measured values from the worker threads and sorts them into the internal "
         "result tables.";
}

bool CMainStation::OnContextMenu(int item) {
  switch (item) {
    case menuDebugFinal:
      m_debugFinal = !m_debugFinal;
      return true;
    case menuDebugSpectralTracks:
      m_debugSpectralTracks = !m_debugSpectralTracks;
      return true;
    case menuDebugOtherTracks:
      m_debugOtherTracks = !m_debugOtherTracks;
      return true;
    default:
      return false;
  }
}

void CMainStation::ViewContent(const CTrain& train, const CTrain::SWagon& wagon,
                               SWagonContent& content) {
  content.signal = nullptr;
  content.scalar = nullptr;
  // Scalar wagons, the most frequent, are not searched for a curve.
  const bool scalarWagon = wagon.id == MarshalingYard::ID<CMeasuringResultScalar>::id() ||
                           wagon.id == MarshalingYard::ID<CMeasuringResultScalarTarget>::id();
  if (!scalarWagon) {
    content.signal = ViewWagon(train, wagon, content.signalStorage);
    if (content.signal != nullptr) return;
  }
  content.scalar = ViewWagon(train, wagon, content.scalarStorage);
  if (content.scalar != nullptr) return;
  if (const auto* target = ViewWagon(train, wagon, content.targetStorage))
    content.scalar = &target->scalar;
}

bool CMainStation::IsCurve(const CSignalieee32& signal, const QClavis& key) const {
  if (signal.Description().YDims() == 1) return true;
  PrWin::Output(8, "MainStation: signal %s has %u y dimensions; only signals with one are stored\n",
                m_params.FormatClavisText(key).c_str(), signal.Description().YDims());
  return false;
}

void CMainStation::WarnIfNotFinite(float value, const QClavis& key) const {
  if (!std::isfinite(value))
    PrWin::Output(8, "MainStation: non-finite value %f for %s\n", value,
                  m_params.FormatClavisText(key).c_str());
}

float CMainStation::ChooseSetPoint(const CMeasuringResultBase& result, const QClavis& key) const {
  const CSetPoint& points = result.set_point();
  const int defined = points.DefinedCount();
  if (defined == 0) return 0.0f;
  if (defined == 1) {
    for (int slot = 0; slot < CSetPoint::kSlots; ++slot)
      if (points.Defined(slot)) return points.Value(slot);
  }
  const int trigger = m_params.TriggerId(key.parameter());
  const auto& table = m_params.TriggerParam();
  for (auto it = table.lower_bound(QIdx3(key.mode(), trigger, INT32_MIN));
       it != table.end() && it->first.mode() == key.mode() && it->first.trigger() == trigger;
       ++it) {
    const int slot = points.id2idx(it->second.setPoint);
    if (slot >= 0) return points.Value(slot);
  }
  return 0.0f;
}

void CMainStation::work_final(const CTrain& train) {
  if (CKelValueStore* store = DefaultStore()) {
    SWagonContent content;
    for (const CTrain::SWagon& wagon : train) {
      PrefetchObject(train, wagon);
      ViewContent(train, wagon, content);
      if (const CSignalieee32* signal = content.signal) {
        const QClavis key = KeyOf(*signal);
        if (!IsCurve(*signal, key)) continue;
        const KelSigCurve curve(*signal);
        if (key.mode() == -1)
          PrWin::Output(16, "MainStation::work_final() received Mode-Nil-result: %s\n",
                        m_params.FormatClavisText(key).c_str());
        else if (m_debugFinal)
          PrWin::Output(16, "MainStation::work_final() received %s [len: %d]\n",
                        m_params.FormatClavisText(key).c_str(), static_cast<int>(curve.dlen(0)));
        for (uint32_t i = 0; i < curve.size(); ++i) {
          if (!std::isfinite(curve.data()[i])) {
            WarnIfNotFinite(curve.data()[i], key);
            break;
          }
        }
        store->InsertSigCurve(key, curve, 1);
      } else if (const CMeasuringResultScalar* scalar = content.scalar) {
        const QClavis key = KeyOf(*scalar);
        if (key.mode() == -1)
          PrWin::Output(16, "MainStation::work_final() received Mode-Nil-result: %s\n",
                        m_params.FormatClavisText(key).c_str());
        WarnIfNotFinite(scalar->value, key);
        KelStoreSValue value;
        value.value = scalar->value;
        value.position = ChooseSetPoint(*scalar, key);
        value.context = scalar->context();
        value.expire = scalar->expire();
        store->InsertSValue(key, value, scalar->unit, 1);
        if (m_debugFinal)
          PrWin::Output(16, "MainStation::work_final() received %s [val: %5.3f]\n",
                        m_params.FormatClavisText(key).c_str(), scalar->value);
      }
    }
  }
  Synchronise(train);
}

void CMainStation::work_triggered(const CTrain& train) {
  if (CKelValueStore* store = DefaultStore()) {
    SWagonContent content;
    for (const CTrain::SWagon& wagon : train) {
      PrefetchObject(train, wagon);
      ViewContent(train, wagon, content);
      if (const CSignalieee32* signal = content.signal) {
        if (signal->trigger() == -1) continue;
        const QClavis key = KeyOf(*signal);
        if (!IsCurve(*signal, key)) continue;
        const KelSigCurve curve(*signal);
        if (m_debugOtherTracks)
          PrWin::Output(16, "MainStation::work_triggered() received %s [len: %d]\n",
                        m_params.FormatClavisText(key).c_str(), static_cast<int>(curve.dlen(0)));
        store->TrackCurveStore().InsertValue(key, signal->cell(), curve, 0);
        SendTrackInfo(key, signal->cell());
      } else if (const CMeasuringResultScalar* scalar = content.scalar) {
        if (scalar->trigger() == -1) continue;
        const QClavis key = KeyOf(*scalar);
        WarnIfNotFinite(scalar->value, key);
        store->TrackScalarStore().InsertValue(key, scalar->cell(), scalar->value, scalar->unit,
                                              scalar->context(), scalar->expire(), 0);
        const bool spectral = key.instrument() == 2001;
        if ((spectral && m_debugSpectralTracks) || (!spectral && m_debugOtherTracks))
          PrWin::Output(16, "MainStation::work_triggered() received %s [val: %5.3f]\n",
                        m_params.FormatClavisText(key).c_str(), scalar->value);
        SendTrackInfo(key, scalar->cell());
      }
    }
  }
  Synchronise(train);
}

void CMainStation::SendTrackInfo(const QClavis& key, int64_t cell) {
  // Every track point passes here: without a listener the packet is not even filled.
  if (m_trackOutput == nullptr || !m_trackOutput->HasPacketListeners()) return;
  const auto bits = static_cast<uint64_t>(cell);
  const int64_t fields[10] = {key[0],
                              key[1],
                              key[2],
                              key[3],
                              key[4],
                              key[5],
                              static_cast<int64_t>(bits & 0xffffffffu),
                              static_cast<int64_t>((bits >> 16) & 0xffff),
                              static_cast<int64_t>((bits >> 32) & 0xffff),
                              static_cast<int64_t>((bits >> 48) & 0xffff)};
  m_parameters.SetInts(0, fields, 10);
  m_trackOutput->SendData(m_packet, 1, nullptr);
}

void CMainStation::Synchronise(const CTrain& train) {
  const CTrain::SWagon* wagon = train.find_id(MarshalingYard::ID<CThreadSynch::Key>::id());
  if (wagon == nullptr) return;
  auto key = ReadWagon<CThreadSynch::Key>(train, *wagon);
  if (!key) return;
  m_syncKey = *key;
  if (!m_stateClient.Process(m_syncKey)) return;
  const CSCSClient::Result mode = m_stateClient.State(CModeMachine::ModeMachine());
  if (mode.valid && mode.state > 0) SendTrackInfo(QClavis(mode.state, 0, 0, 0, 0, 0), 0);
}
