#include "store/KelFinalCurveStore.h"

CKelFinalCurveStore::CKelFinalCurveStore()
    : CKelFinalStore("<EvStoreSVigCurve>", "<EvStoreSVigCurveHistory>") {}

KelSigLimitCurve& CKelFinalCurveStore::InsertValue(const QClavis& key, const KelSigCurve& curve,
                                                   unsigned validate) {
  return Store(key, KelSigLimitCurve(curve), validate);
}

namespace {

// The sum of the entries [first, last) divided by `count`, starting from the newest entry.
template <typename It>
KelSigLimitCurve MeanOf(It first, It last, unsigned count) {
  KelSigLimitCurve sum = std::prev(last)->second;
  for (auto it = first; it != std::prev(last); ++it) sum += it->second;
  sum /= static_cast<float>(count);
  return sum;
}

}  // namespace

bool CKelFinalCurveStore::MeanHistory(bool all) {
  return ForEachHistoryGroup(all, [this](const QClavis& key, auto first, auto last) {
    const auto count = static_cast<unsigned>(std::distance(first, last));
    Store(key, MeanOf(first, last, count), 0);
  });
}

bool CKelFinalCurveStore::MAHistory(bool all) {
  return ForEachNewestSections(all, [this](const QClavis& key, auto first, auto last, unsigned n) {
    Store(key, MeanOf(first, last, n), 0);
  });
}

bool CKelFinalCurveStore::MaxHistory(bool all) {
  return ForEachHistoryGroup(all, [this](const QClavis& key, auto first, auto last) {
    KelSigLimitCurve maximum = std::prev(last)->second;
    for (auto it = first; it != std::prev(last); ++it) maximum.maximize(it->second);
    Store(key, maximum, 0);
  });
}
