// The expansion widths of limit curves: resource entries and the lookup per quantity.
#include "host/Sea.h"
#include "learn/KelLearnStore.h"

namespace {

const char* const kDefaultWidthEntry = "LimitCurveExpansionWidth-Default";
const char* const kWidthListEntry = "LimitCurveExpansionWidths";
const char* const kWidthListComment =
    "Instrument Id | Parameter Id or -1 | width value left | right | optional Channel Id | "
    "optional Location Id";

bool SameOrWildcard(int32_t entryId, int32_t keyId) {
  return entryId == keyId || entryId == -1;
}

}  // namespace

void CKelLearnStore::ReadChimneyWidths() {
  CSeaBase* sea = CSeaBase::ApplicationSea();
  const float standard = sea->LookupGetFloat(kDefaultWidthEntry, 0, standardChimneyWidth_.first);
  standardChimneyWidth_ = {standard, standard};

  chimneyWidths_.clear();
  CResourceList widths(sea, kWidthListEntry);
  if (widths.Count() == 0) widths.AddLineTail().SetString(0, kWidthListComment);
  for (widths.GotoHead(); widths.IsValid(); widths.GotoNext()) {
    const CResourceLine line = widths.GetCurrentLine();
    const int instrument = line.GetIntFb(0, 0);
    if (instrument <= 0) continue;
    ChimneyEntry entry;
    entry.key.set_instrument(instrument);
    entry.key.set_parameter(line.GetIntFb(1, -1));
    const float left = line.GetFloatFb(2, standard);
    entry.width = {left, line.GetFloatFb(3, left)};
    entry.key.set_channel(line.Fields() >= 5 ? line.GetIntFb(4, -1) : -1);
    entry.key.set_location(line.Fields() >= 6 ? line.GetIntFb(5, -1) : -1);
    chimneyWidths_.push_back(entry);
  }
}

CKelLearnStore::chimney_width_t CKelLearnStore::ChimneyWidth(const QClavis& key) const {
  // Each rule in turn over the whole list: an exact entry wins over a wildcard entry that comes
  // before it.
  const auto first = [this, &key](auto fits) -> const ChimneyEntry* {
    for (const ChimneyEntry& entry : chimneyWidths_)
      if (entry.key.instrument() == key.instrument() && fits(entry.key)) return &entry;
    return nullptr;
  };
  const ChimneyEntry* found = first([](const QClavis&) { return true; });
  if (found == nullptr) return standardChimneyWidth_;
  const auto exact = [&key](const QClavis& e) {
    return e.parameter() == key.parameter() && e.channel() == key.channel() &&
           e.location() == key.location();
  };
  const auto parameterOnly = [&key](const QClavis& e) {
    return e.parameter() == key.parameter() && e.channel() == -1 && e.location() == -1;
  };
  const auto channelOnly = [&key](const QClavis& e) {
    return e.channel() == key.channel() && e.parameter() == -1 && e.location() == -1;
  };
  const auto wildcard = [&key](const QClavis& e) {
    return SameOrWildcard(e.parameter(), key.parameter()) &&
           SameOrWildcard(e.location(), key.location()) &&
           SameOrWildcard(e.channel(), key.channel());
  };
  for (const ChimneyEntry* entry :
       {first(exact), first(parameterOnly), first(channelOnly), first(wildcard)})
    if (entry != nullptr) return entry->width;
  return standardChimneyWidth_;
}
