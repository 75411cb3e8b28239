#include "windows/LongResultNames.h"

#include "host/Sea.h"
#include "result/ResultDefs.h"
#include "windows/OperatorTexts.h"

namespace {

constexpr char kKey[] = "LongResultNames";

// Field of the application store entry that holds the name of a result.
int SettingsField(int result) {
  switch (result) {
    case NorviDefs::result_ok:
      return 0;
    case NorviDefs::result_nok:
      return 1;
    case NorviDefs::result_none:
      return 2;
    default:
      return 3;
  }
}

int BuiltInText(int result) {
  switch (result) {
    case NorviDefs::result_nok:
      return OperatorText::kResultNok;
    case NorviDefs::result_ok:
      return OperatorText::kResultOk;
    case NorviDefs::result_none:
      return OperatorText::kResultNone;
    case NorviDefs::result_syserror:
      return OperatorText::kResultSysError;
    default:
      return OperatorText::kResultUnknown;
  }
}

}  // namespace

void CLongResultNames::Load() {
  const CSeaBase* sea = CSeaBase::ApplicationSea();
  for (int result = 0; result < kCount; ++result) {
    std::string name;
    if (result <= NorviDefs::result_syserror)
      name = sea->LookupGetString(kKey, SettingsField(result), "");
    m_names[static_cast<size_t>(result)] =
        name.empty() ? OperatorText::Text(BuiltInText(result)) : name;
  }
}

void CLongResultNames::Publish() const {
  CSeaBase* sea = CSeaBase::MessagesSea();
  for (int result = 0; result < kCount; ++result)
    sea->LookupSetString(kKey, m_names[static_cast<size_t>(result)], result);
}

const std::string& CLongResultNames::Name(int result) const {
  const bool known = result >= 0 && result < kCount;
  return m_names[static_cast<size_t>(known ? result : kCount - 1)];
}
