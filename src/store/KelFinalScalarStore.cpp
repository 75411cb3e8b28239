#include "store/KelFinalScalarStore.h"

#include <stdexcept>

CKelFinalScalarStore::CKelFinalScalarStore()
    : CKelFinalStore("<EvStoreSValue>", "<EvStoreSValueHistory>") {}

KelStoreSValue& CKelFinalScalarStore::InsertValue(const QClavis& key, const KelStoreSValue& value,
                                                  unsigned validate) {
  return Store(key, value, validate);
}

const KelStoreSValue& CKelFinalScalarStore::AncientValue(const QClavis& key,
                                                         int historyIndex) const {
  auto [first, last] = AncientValues(key);
  if (historyIndex < 0 && first != last) return std::prev(last)->second;
  if (historyIndex >= 0) {
    auto it = ValueMapSectionHistory().find(QIdx7(key, historyIndex));
    if (it != ValueMapSectionHistory().end()) return it->second;
  }
  throw std::invalid_argument("CKelFinalScalarStore::AncientValue(): Value not found.");
}

bool CKelFinalScalarStore::MeanHistory(bool all) {
  return ForEachHistoryGroup(all, [this](const QClavis& key, auto first, auto last) {
    double sum = 0.0;
    unsigned count = 0;
    for (; first != last; ++first, ++count) sum += first->second.value;
    KelStoreSValue mean;
    mean.value = static_cast<float>(sum / count);
    InsertValue(key, mean, 0);
  });
}

bool CKelFinalScalarStore::MAHistory(bool all) {
  return ForEachNewestSections(all, [this](const QClavis& key, auto first, auto last, unsigned n) {
    double sum = 0.0;
    for (auto it = first; it != last; ++it) sum += it->second.value;
    KelStoreSValue average = std::prev(last)->second;
    average.value = static_cast<float>(sum / n);
    InsertValue(key, average, 0);
  });
}

bool CKelFinalScalarStore::MaxHistory(bool all) {
  return ForEachHistoryGroup(all, [this](const QClavis& key, auto first, auto last) {
    auto largest = first;
    for (auto it = first; it != last; ++it)
      if (it->second.value > largest->second.value) largest = it;
    KelStoreSValue maximum;
    maximum.value = largest->second.value;
    maximum.position = largest->second.position;
    InsertValue(key, maximum, 0);
  });
}

bool CKelFinalScalarStore::WriteHistory(CFile& file) const {
  return ValueMapSectionHistory().write(file);
}

bool CKelFinalScalarStore::ReadHistory(CFile& file, std::string* why) {
  std::string reason;
  const bool read = ValueMapSectionHistory().read(file, reason);
  if (!read && why != nullptr) *why = "its history table is damaged: " + reason;
  if (read)
    RebuildSectionCounters();
  else
    ClearSectionCounters();
  return read;
}
