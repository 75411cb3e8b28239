#include "eval/SourceGeneration.h"

namespace {

template <typename ToValidate, typename Key>
unsigned TagOf(const ToValidate& toValidate, const Key& key) {
  auto it = toValidate.find(key);
  return it == toValidate.end() ? 0u : it->second.validate;
}

template <typename TrackStore>
unsigned TagOfTrack(const TrackStore& tracks, const QClavis& key) {
  const QIdx1& trackKey = tracks.KeyOfDovetar(key);
  return trackKey.id() < 0 ? 0u : TagOf(tracks.ToValidateMap(), trackKey);
}

}  // namespace

namespace SourceGeneration {

unsigned OfSValue(const CKelValueStore& store, const QClavis& key) {
  return TagOf(store.FinalScalarStore().ToValidateMap(), key);
}

unsigned OfCurve(const CKelValueStore& store, const QClavis& key) {
  return TagOf(store.FinalCurveStore().ToValidateMap(), key);
}

unsigned OfScalarTrack(const CKelValueStore& store, const QClavis& key) {
  return TagOfTrack(store.TrackScalarStore(), key);
}

unsigned OfCurveTrack(const CKelValueStore& store, const QClavis& key) {
  return TagOfTrack(store.TrackCurveStore(), key);
}

}  // namespace SourceGeneration
