#include "eval/CurveDeviation.h"

#include "eval/LearnedBandExcess.h"
#include "eval/SpectrumPolygon.h"
#include "eval/SpectrumTargets.h"
#include "host/Output.h"
#include "params/PolygonCurve.h"

namespace {

// The calculation parameters of a deviation.
constexpr int kTypeNumber = 9;
constexpr int kPolygonNumber = 10;
constexpr int kSigmaFactorNumber = 14;
constexpr int kOffsetNumber = 15;
// The spectra the deviations are taken from.
constexpr int kSpectrumInstrument = 2500;
// A polygon number that switches the quantity off.
constexpr int kNoPolygon = -1;
// Bit 0 of a channel's resampling type: the channel is resampled in orders.
constexpr int kOrderResampled = 1;

constexpr char kParameterError[] =
    "CCurveDeviation::ExtractSpectralDifference(): parameter error for";
constexpr char kUnknownType[] = "CCurveDeviation::process() -- unknown calculation requested\n";

// Types 10 and 11: the summed distance per unit of the spectrum's x range.
float PerXRange(float sum, size_t n, float w) {
  const float range = static_cast<float>(n) * w;
  return range > 0.0f ? sum / range : 0.0f;
}

}  // namespace

CCurveDeviation::CCurveDeviation(const CDtParamInstance& params, CKelValueStore& valueStore,
                                 CKelLearnStore& learnStore)
    : C2ndLevelInstrument(params, valueStore, kInstrument),
      m_learnStore(learnStore),
      m_typeReader(params, kTypeNumber),
      m_polygonReader(params, kPolygonNumber),
      m_sigmaFactorReader(params, kSigmaFactorNumber),
      m_offsetReader(params, kOffsetNumber) {}

void CCurveDeviation::Prepare() {
  C2ndLevelInstrument::Prepare();
  m_typeReader.Reset();
  m_polygonReader.Reset();
  m_sigmaFactorReader.Reset();
  m_offsetReader.Reset();
}

bool CCurveDeviation::ReadSettings(const QClavis& key, Settings& settings) {
  const int parameter = key.parameter();
  return m_typeReader.Value(parameter, settings.type) &&
         m_polygonReader.Value(parameter, settings.polygon) &&
         m_sigmaFactorReader.Value(parameter, settings.sigmaFactor) &&
         m_offsetReader.Value(parameter, settings.offset);
}

bool CCurveDeviation::TakesSpectrum(const QClavis& key, const QClavis& spectrum) const {
  if (key.sensor() != spectrum.sensor()) return false;
  if ((m_params.ChannelResamplingType(key.channel()) & kOrderResampled) == 0) return true;
  return m_params.OrderSource2Rotor(key.mode(), key.location()) == spectrum.location();
}

std::optional<SpectrumStatistic> CCurveDeviation::LearnedBandStatistic(
    const Settings& settings, const QClavis& spectrum, const KelSigLimitCurve& curve) const {
  if (!curve.description().YUnit().is_log()) return std::nullopt;
  const auto& learnedCurves = m_learnStore.LearnedSigCurveMap();
  const auto learned = learnedCurves.find(spectrum);
  if (learned == learnedCurves.end()) return std::nullopt;
  const auto [baseLearns, hasProcedure] = m_learnStore.NrOfBaseLearn(spectrum);
  const KelLearnCurve& item = learned->second;
  if (!hasProcedure || item.count == 0 || item.count < baseLearns) return std::nullopt;
  const size_t n = curve.size();
  if (item.Average().size() != n || item.SqAverage().size() != n) return std::nullopt;
  return LearnedBandExcess::LargestExcess(curve.CurveData(), item.Average().data(),
                                          item.SqAverage().data(), n, curve.description().Delta(0),
                                          settings.sigmaFactor, settings.offset);
}

std::optional<SpectrumStatistic> CCurveDeviation::ExtractSpectralDifference(
    const Settings& settings, const QClavis& spectrum, const KelSigLimitCurve& curve) const {
  const float* c = curve.CurveData();
  const size_t n = curve.size();
  const float w = curve.description().Delta(0);
  switch (settings.type) {
    case 3:
    case 4:
    case 10:
    case 11: {
      const auto polygon = SpectrumPolygon::WithoutNegativeX(
          Kelva::PolygonPoints(m_params.IpPolygonValues(), settings.polygon));
      const bool above = settings.type == 3 || settings.type == 10;
      const float sum = SpectrumPolygon::SummedDistance(c, n, w, polygon, above);
      return SpectrumStatistic{settings.type <= 4 ? sum : PerXRange(sum, n, w), 0.0f};
    }
    case 8:
    case 9: {
      const auto polygon = Kelva::PolygonPoints(m_params.IpPolygonValues(), settings.polygon);
      if (polygon.empty()) return std::nullopt;
      return SpectrumPolygon::ExtremeInRange(c, n, w, polygon.front().x, polygon.back().x,
                                             settings.type == 9);
    }
    case 5:
      return LearnedBandStatistic(settings, spectrum, curve);
    default:
      PrWin::Output(8, 3, kUnknownType);
      return std::nullopt;
  }
}

bool CCurveDeviation::DeviationsOfSpectrum(const QClavis& spectrum, const KelSigLimitCurve& curve,
                                           unsigned pass) {
  bool produced = false;
  const int baseMode = m_params.VirtMode2BaseMode(spectrum.mode());
  const auto [first, last] =
      SpectrumTargets::OfChannel(m_keySet, baseMode, m_instrument, spectrum.channel());
  for (auto key = first; key != last; ++key) {
    Settings settings;
    if (!ReadSettings(*key, settings)) {
      Message(kParameterError, *key);
      continue;
    }
    if (settings.polygon == kNoPolygon || !TakesSpectrum(*key, spectrum)) continue;
    const auto statistic = ExtractSpectralDifference(settings, spectrum, curve);
    if (!statistic) continue;
    KelStoreSValue result;
    result.value = statistic->value;
    result.position = statistic->position;
    result.context = curve.context;
    result.expire = curve.expire;
    m_valueStore.InsertSValue(SpectrumTargets::StoredKey(*key, spectrum), result,
                              curve.description().YUnit(), pass + 1);
    produced = true;
  }
  return produced;
}

bool CCurveDeviation::process(unsigned pass) {
  return SpectrumTargets::FeedNewSpectra(
      m_valueStore, kSpectrumInstrument, pass,
      [&](const QClavis& spectrum, const KelSigLimitCurve& curve) {
        return DeviationsOfSpectrum(spectrum, curve, pass);
      });
}
