#include "learn/KelLimitShop.h"

#include <algorithm>
#include <climits>

#include "host/ExpAverFacGenerator.h"
#include "host/Numeric.h"
#include "host/Output.h"
#include "learn/KelLearnMachine.h"
#include "learn/KelLearnStore.h"
#include "learn/LimitRule.h"
#include "learn/LimitShopOutput.h"
#include "store/KelValueStore.h"

using LimitShopOutput::kKeyMessageStyle;
using LimitShopOutput::kSummaryStyle;
using LimitShopOutput::WithBaseMode;

CKelLimitShop::CKelLimitShop(CKelValueStore& valueStore, CKelLearnStore& learnStore)
    : valueStore_(valueStore), learnStore_(learnStore) {
  Scratch(kInitialScratchSize);
}

CKelLimitShop::~CKelLimitShop() = default;

void CKelLimitShop::GenerateLimits() {
  GenerateSValueLimits();
  GenerateValueTrackLimits();
  GenerateSigCurveLimits();
  GenerateCurveTrackLimits();
}

bool CKelLimitShop::GenerateSValueLimits() {
  bool ok = true;
  for (auto& [key, pending] : valueStore_.FinalScalarStore().ToValidateMap())
    if (pending.validate != 0 && !PendingSValueLimit(key, pending.value->second)) ok = false;
  if (!ok)
    PrWin::Output(PrWin::catWarning, kSummaryStyle,
                  "CKelLimitShop::GenerateSValueLimits(): Some limits couldn't be generated. "
                  "Please find details in the output window.\n");
  return ok;
}

bool CKelLimitShop::PendingSValueLimit(const QClavis& key, KelStoreSValue& value) {
  const QClavis base = WithBaseMode(params_, key);
  const auto& limits = params_.LimSValue();
  const auto lim = limits.find(base);
  if (lim == limits.end()) return true;
  const auto& instrumentParams = params_.InstrumentParam();
  const auto ip = instrumentParams.find(QIdx1(base.parameter()));
  if (ip == instrumentParams.end()) {
    PrWin::Output(PrWin::catWarning, kKeyMessageStyle,
                  "SValue Limit: illegal instrument parameter in %s\n",
                  params_.FormatClavisText(base).c_str());
    return false;
  }
  const auto& widthTerms = params_.IpParamAndStore();
  const auto ips = widthTerms.find(base);
  if (ips == widthTerms.end()) {
    PrWin::Output(PrWin::catWarning, kKeyMessageStyle, "SValue Limit not parametrized for %s\n",
                  params_.FormatClavisText(base).c_str());
    return false;
  }
  const int minLearned = MinLearned(base);
  if (minLearned == -1)
    PrWin::Output(PrWin::catWarning, kKeyMessageStyle,
                  "Found no learn parameters for %s or they specify an undefined procedure\n",
                  params_.FormatClavisText(base).c_str());
  const KelLearnSValue& learned = learnStore_.LearnedSingleValue().try_emplace(key).first->second;
  SValueLimits(key, value, learned, lim->second, ip->second, ips->second, minLearned);
  return minLearned != -1;
}

void CKelLimitShop::SValueLimits(const QClavis& key, KelStoreSValue& value,
                                 const KelLearnSValue& learned, const QVLimSValue& lim,
                                 const QVInstrumentParam& ip, const QVIpParamAndStore& ips,
                                 int minLearned) const {
  const float mean = learned.mean;
  const uint32_t count = learned.count;
  value.mean = mean;
  const float sigma = numeric::stddev(mean, learned.meanSquare, GetCorrFactor(count, key));
  int direction = ip.evalMode;
  const bool enoughLearned =
      count != 0 && static_cast<long long>(count) >= static_cast<long long>(minLearned);
  float limit = 0.0f;
  if (enoughLearned)
    limit =
        std::max(lim.minLimit, std::min(LearnedLimit(mean, sigma, ips, direction), lim.maxLimit));
  else
    limit = NotLearnedLimit(lim, direction);
  value.limit = limit;
  value.evalMode = lim.evaluate == 1 ? direction : QVInstrumentParam::eval_none;
}

float CKelLimitShop::NotLearnedLimit(const QVLimSValue& lim, int& direction) {
  switch (direction) {
    case QVInstrumentParam::eval_lower:
      return lim.minLimit;
    case QVInstrumentParam::eval_upper:
      return lim.maxLimit;
    case QVInstrumentParam::eval_interval:
      // A single value has one limit; an interval is not evaluated.
      PrWin::Output(PrWin::catWarning, kKeyMessageStyle, "Todo: No MinMax for Single Values\n");
      direction = QVInstrumentParam::eval_none;
      return lim.maxLimit;
    default:
      PrWin::Output(PrWin::catWarning, kKeyMessageStyle, "No limit direction in SValueLimits\n");
      direction = QVInstrumentParam::eval_none;
      return 0.0f;
  }
}

float CKelLimitShop::LearnedLimit(float mean, float sigma, const QVIpParamAndStore& ips,
                                  int direction) {
  const float width = LimitRule::Width(mean, sigma, ips);
  if (direction == QVInstrumentParam::eval_lower) return LimitRule::Lower(mean, width);
  if (direction == QVInstrumentParam::eval_upper) return LimitRule::Upper(mean, width);
  return 0.0f;
}

bool CKelLimitShop::RetrieveSValueLimit(lim_svalue_iterator entry, float& limit,
                                        bool preferStored) const {
  const QClavis& key = entry->first;
  if (preferStored) {
    const auto& stored = valueStore_.SingleValueMap();
    const auto value = stored.find(key);
    if (value != stored.end()) {
      if (value->second.evalMode == QVInstrumentParam::eval_none) return false;
      limit = value->second.limit;
      return true;
    }
  }
  const auto& learnedTable = learnStore_.LearnedSingleValue();
  const auto learned = learnedTable.find(key);
  if (learned == learnedTable.end()) return false;
  const auto ips = params_.IpParamAndStore().find(key);
  if (ips == params_.IpParamAndStore().end()) return false;
  const auto ip = params_.InstrumentParam().find(QIdx1(key.parameter()));
  if (ip == params_.InstrumentParam().end()) return false;
  KelStoreSValue fresh;
  SValueLimits(key, fresh, learned->second, entry->second, ip->second, ips->second,
               MinLearned(key));
  limit = fresh.limit;
  return true;
}

float CKelLimitShop::GetCorrFactor(unsigned long count, const QClavis& key) const {
  const auto [timeConstant, found] = learnStore_.ExpTc(key);
  if (!found) return 0.0f;
  const long whole = CKelLearnMachine::WholeTimeConstant(timeConstant);
  const long learned =
      count > static_cast<unsigned long>(LONG_MAX) ? LONG_MAX : static_cast<long>(count);
  return CExpAverFacGenerator::GetCorrFactor(learned, whole);
}

float* CKelLimitShop::Scratch(unsigned n) const {
  if (n > scratch_.size()) scratch_.Resize(n);
  return scratch_.data();
}

int CKelLimitShop::MinLearned(const QClavis& key) const {
  const auto [baseLearns, found] = learnStore_.NrOfBaseLearn(key);
  if (!found) return -1;
  return static_cast<int>(std::min<unsigned>(baseLearns, INT_MAX));
}
