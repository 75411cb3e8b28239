#pragma once
// LearnStoreMemory::Bytes: the heap memory a learn store holds for its learned data, in bytes —
// counted exactly where the store knows the sizes and estimated where the standard library
// decides, so the figure is a fair lower bound rather than a measurement of the allocator.
//
// Counted:
//   - learned samples: every distinct sample buffer of the curve items (Average and SqAverage),
//     its length rounded up to the 32-byte alignment CAlignedMem allocates with. A buffer that
//     two items share (copy on write) is counted once;
//   - the items themselves: sizeof(item) for every learned value, track point and curve;
//   - per buffer, the shared block of make_shared (control block and CAlignedMem object);
//   - per tree node (the keys of final values and tracks): the node links of the ordered map;
//   - per track: the unused capacity of its point array.
// Estimated: every heap block costs kBlockOverhead bytes of allocator bookkeeping (the usual
// 16 bytes of a 64-bit malloc) and every aligned block up to kAlignment more for its padding.
// Not counted: the parameter database, the expansion widths and the track key maps, which the
// store does not own or which do not grow with the part.
#include <cstddef>
#include <unordered_set>

#include "host/AlignedMem.h"
#include "learn/KelLearnStore.h"

namespace LearnStoreMemory {

inline constexpr size_t kBlockOverhead = 16;
// Left, right and parent pointers and the colour of a red-black tree node.
inline constexpr size_t kTreeNodeLinks = 4 * sizeof(void*);
inline constexpr size_t kAlignment = CAlignedMem<float>::kAlignment;
// The control block of a shared pointer made by make_shared: its virtual table pointer and the
// use and weak counts.
inline constexpr size_t kSharedControl = sizeof(void*) + 2 * sizeof(int);

struct Tally {
  size_t sampleBytes = 0;    // the learned samples themselves
  size_t overheadBytes = 0;  // items, nodes, shared blocks, allocator bookkeeping
  size_t Total() const { return sampleBytes + overheadBytes; }
};

class Counter {
 public:
  void SampleBuffer(const KelSigCurve& curve) {
    const auto& handle = curve.handle();
    if (!handle || !seen_.insert(handle.get()).second) return;
    const size_t bytes = handle->size() * sizeof(float);
    tally_.sampleBytes += (bytes + kAlignment - 1) / kAlignment * kAlignment;
    tally_.overheadBytes += kBlockOverhead + kAlignment;  // the aligned block
    tally_.overheadBytes +=
        kBlockOverhead + kSharedControl + sizeof(CAlignedMem<float>);  // the make_shared block
  }
  template <typename Value>
  void TreeNode() {
    tally_.overheadBytes += kBlockOverhead + kTreeNodeLinks + sizeof(Value);
  }
  template <typename Track>
  void PointArray(const Track& track) {
    if (track.capacity() == 0) return;
    tally_.overheadBytes += kBlockOverhead + track.capacity() * sizeof(typename Track::value_type);
  }
  void Curve(const KelLearnCurve& item) {
    SampleBuffer(item.Average());
    SampleBuffer(item.SqAverage());
  }
  const Tally& Result() const { return tally_; }

 private:
  Tally tally_;
  std::unordered_set<const void*> seen_;
};

inline Tally Bytes(const CKelLearnStore& store) {
  Counter counter;
  for (size_t i = 0; i < store.LearnedSingleValue().size(); ++i)
    counter.TreeNode<CKelLearnStore::svalue_table_t::value_type>();
  for (const auto& [key, item] : store.LearnedSigCurveMap()) {
    counter.TreeNode<CKelLearnStore::sigcurve_table_t::value_type>();
    counter.Curve(item);
  }
  for (const auto& [trackKey, track] : store.LearnedScalarTrack()) {
    counter.TreeNode<CKelLearnStore::scalar_track_table_t::value_type>();
    counter.PointArray(track);
  }
  for (const auto& [trackKey, track] : store.LearnedCurveTrack()) {
    counter.TreeNode<CKelLearnStore::curve_track_table_t::value_type>();
    counter.PointArray(track);
    for (const auto& [position, item] : track) counter.Curve(item);
  }
  return counter.Result();
}

}  // namespace LearnStoreMemory
