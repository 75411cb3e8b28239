#include "learn/KelLimitShop.h"

#include <algorithm>
#include <climits>

#include "host/ExpAverFacGenerator.h"
#include "host/Numeric.h"
#include "host/Output.h"
#include "learn/KelLearnMachine.h"
#include "learn/KelLearnProcedureWalk.h"
#include "learn/KelLearnStore.h"
#include "learn/LimitRule.h"
#include "learn/LimitShopOutput.h"
#include "store/KelValueStore.h"
#include "store/SortedCursor.h"

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

// The work list, the parameter tables and the learned table are all ordered by key, so one pass
// finds each value's records a step on from the previous value's.
struct CKelLimitShop::SValueLookups {
  SValueLookups(const CDtParamInstance& params, CKelLearnStore& learnStore)
      : limits(params.LimSValue()),
        widthTerms(params.IpParamAndStore()),
        learned(learnStore.LearnedSingleValue()),
        baseProcedures(learnStore.LearnProcedureWalk()),
        keyProcedures(learnStore.LearnProcedureWalk()) {}

  SortedCursor<const lim_svalue_table_t> limits;
  SortedCursor<const ips_table_t> widthTerms;
  SortedCursor<CKelLearnStore::svalue_table_t> learned;
  // The base-mode key's procedure gives the base learns, the key's own the time constant.
  CKelLearnProcedureWalk baseProcedures;
  CKelLearnProcedureWalk keyProcedures;
};

bool CKelLimitShop::GenerateSValueLimits() {
  bool ok = true;
  SValueLookups lookups(params_, learnStore_);
  for (auto& [key, pending] : valueStore_.FinalScalarStore().ToValidateMap())
    if (pending.validate != 0 && !PendingSValueLimit(key, pending.value->second, lookups))
      ok = false;
  if (!ok)
    PrWin::Output(PrWin::catWarning, kSummaryStyle,
                  "CKelLimitShop::GenerateSValueLimits(): Some limits couldn't be generated. "
                  "Please find details in the output window.\n");
  return ok;
}

bool CKelLimitShop::PendingSValueLimit(const QClavis& key, KelStoreSValue& value,
                                       SValueLookups& lookups) {
  const QClavis base = WithBaseMode(params_, key);
  const auto lim = lookups.limits.Find(base);
  if (lim == params_.LimSValue().end()) return true;
  const auto& instrumentParams = params_.InstrumentParam();
  const auto ip = instrumentParams.find(QIdx1(base.parameter()));
  if (ip == instrumentParams.end()) {
    PrWin::Output(PrWin::catWarning, kKeyMessageStyle,
                  "SValue Limit: illegal instrument parameter in %s\n",
                  params_.FormatClavisText(base).c_str());
    return false;
  }
  const auto ips = lookups.widthTerms.Find(base);
  if (ips == params_.IpParamAndStore().end()) {
    PrWin::Output(PrWin::catWarning, kKeyMessageStyle, "SValue Limit not parametrized for %s\n",
                  params_.FormatClavisText(base).c_str());
    return false;
  }
  const QVLearnProcedures* baseProcedure = lookups.baseProcedures.Find(base);
  const int minLearned = MinLearnedOf(baseProcedure);
  if (minLearned == -1)
    PrWin::Output(PrWin::catWarning, kKeyMessageStyle,
                  "Found no learn parameters for %s or they specify an undefined procedure\n",
                  params_.FormatClavisText(base).c_str());
  const KelLearnSValue& learned = lookups.learned.FindOrEmplace(key)->second;
  const QVLearnProcedures* keyProcedure =
      key == base ? baseProcedure : lookups.keyProcedures.Find(key);
  SValueLimitsWith(value, learned, lim->second, ip->second, ips->second, minLearned,
                   CorrFactorOf(learned.count, keyProcedure));
  return minLearned != -1;
}

void CKelLimitShop::SValueLimits(const QClavis& key, KelStoreSValue& value,
                                 const KelLearnSValue& learned, const QVLimSValue& lim,
                                 const QVInstrumentParam& ip, const QVIpParamAndStore& ips,
                                 int minLearned) const {
  SValueLimitsWith(value, learned, lim, ip, ips, minLearned, GetCorrFactor(learned.count, key));
}

void CKelLimitShop::SValueLimitsWith(KelStoreSValue& value, const KelLearnSValue& learned,
                                     const QVLimSValue& lim, const QVInstrumentParam& ip,
                                     const QVIpParamAndStore& ips, int minLearned,
                                     float correction) {
  const float mean = learned.mean;
  const uint32_t count = learned.count;
  value.mean = mean;
  const float sigma = numeric::stddev(mean, learned.meanSquare, correction);
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
  return CorrFactorOf(count, learnStore_.LearnProcedureWalk().Find(key));
}

float CKelLimitShop::CorrFactorOf(unsigned long count, const QVLearnProcedures* procedure) {
  if (procedure == nullptr) return 0.0f;
  const long whole = CKelLearnMachine::WholeTimeConstant(procedure->timeConstant);
  const long learned =
      count > static_cast<unsigned long>(LONG_MAX) ? LONG_MAX : static_cast<long>(count);
  return CExpAverFacGenerator::GetCorrFactor(learned, whole);
}

float* CKelLimitShop::Scratch(unsigned n) const {
  if (n > scratch_.size()) scratch_.Resize(n);
  return scratch_.data();
}

int CKelLimitShop::MinLearned(const QClavis& key) const {
  return MinLearnedOf(learnStore_.LearnProcedureWalk().Find(key));
}

int CKelLimitShop::MinLearnedOf(const QVLearnProcedures* procedure) {
  if (procedure == nullptr) return -1;
  return static_cast<int>(std::min<unsigned>(procedure->baseLearns, INT_MAX));
}
