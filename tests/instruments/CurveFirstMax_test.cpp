// The first harmonic peak of a spectrum (instrument 10100).
#include <gtest/gtest.h>

#include "eval/CurveFirstMax.h"
#include "eval/SourceGeneration.h"
#include "instruments/SpectrumPlanFixture.h"

namespace {

// Minimum 1, maximum 10: a peak must reach 1 + 0.6 × 9 = 6.4. Bin 1 (3) is a local maximum
// too low, bin 3 (8) the first one high enough; the largest bin is bin 5.
const std::vector<float> kPeaks = {1, 3, 2, 8, 7, 10, 4};
constexpr float kBinWidth = 2.5f;

}  // namespace

class CurveFirstMaxTest : public SpectrumPlanTest {
 protected:
  static constexpr int kVirtualRunUp = 3;

  CurveFirstMaxTest() {
    plan.Mode(kVirtualRunUp, "Run-up repeat", QVModeProps::mfAcoustic, kRunUp);
    Derived(CCurveFirstMax::kInstrument, 1, 950, "First peak");
    Derived(CCurveFirstMax::kInstrument, 1, 951, "First peak of the other spectrum");
    Derived(CCurveFirstMax::kInstrument, 1, 952, "First peak of this spectrum");
    Calc(951, {{8, std::to_string(kOtherSpectrumParameter)}});
    Calc(952, {{8, std::to_string(kSpectrumParameter)}});
    plan.Quantity(OtherLocation(), -1);
    plan.Quantity(OtherSensor(), -1);
    Install();
    firstMax.Prepare();
  }

  static QClavis OtherLocation() {
    return QClavis(kRunUp, CCurveFirstMax::kInstrument, 1, 2, 950, 2);
  }
  static QClavis OtherSensor() {
    return QClavis(kRunUp, CCurveFirstMax::kInstrument, 1, 1, 950, 3);
  }

  CCurveFirstMax firstMax{params, store, learnStore};
};

TEST_F(CurveFirstMaxTest, FirstPeakHighEnoughGivesTheFrequency) {
  Spectrum(Key(kSpectrum, kSpectrumParameter), kPeaks, kBinWidth, Hertz(), Decibel(), 1, 5,
           SignalBase::expire_mode);
  EXPECT_TRUE(firstMax.process(1));
  const KelStoreSValue* peak = Value(Key(10100, 950));
  ASSERT_NE(peak, nullptr);
  EXPECT_EQ(peak->value, 7.5f);  // bin 3
  EXPECT_EQ(peak->position, 0.0f);
  EXPECT_EQ(peak->context, 22u);  // a value record's defaults, not the curve's
  EXPECT_EQ(peak->expire, SignalBase::expire_measurement);
  EXPECT_TRUE(store.GetMeasuringUnit(Key(10100, 950)) == Hertz());
  EXPECT_EQ(SourceGeneration::OfSValue(store, Key(10100, 950)), 2u);

  // Calculation parameter 8 names the spectrum parameter; location and sensor must be S's.
  EXPECT_EQ(Value(Key(10100, 951)), nullptr);
  ASSERT_NE(Value(Key(10100, 952)), nullptr);
  EXPECT_EQ(Value(Key(10100, 952))->value, 7.5f);
  EXPECT_EQ(Value(OtherLocation()), nullptr);
  EXPECT_EQ(Value(OtherSensor()), nullptr);
  EXPECT_EQ(store.SingleValueMap().size(), 2u);
}

TEST_F(CurveFirstMaxTest, FlatSpectrumGivesZero) {
  Spectrum(Key(kSpectrum, kSpectrumParameter), {4, 4, 4}, kBinWidth, Hertz(), Decibel());
  EXPECT_TRUE(firstMax.process(1));
  ASSERT_NE(Value(Key(10100, 950)), nullptr);
  EXPECT_EQ(Value(Key(10100, 950))->value, 0.0f);
}

TEST_F(CurveFirstMaxTest, OnlySpectraOf2500OfThePassAndOfTheKeysMode) {
  Spectrum(Key(kSpectrum2700, kSpectrumParameter), kPeaks, kBinWidth, Hertz(), Decibel());
  EXPECT_FALSE(firstMax.process(1));
  Spectrum(Key(kSpectrum, kSpectrumParameter), kPeaks, kBinWidth, Hertz(), Decibel(), 2);
  EXPECT_FALSE(firstMax.process(1));
  EXPECT_TRUE(store.SingleValueMap().empty());
  QClavis virtualSpectrum = Key(kSpectrum, kSpectrumParameter);
  virtualSpectrum.set_mode(kVirtualRunUp);
  Spectrum(virtualSpectrum, kPeaks, kBinWidth, Hertz(), Decibel(), 3);
  EXPECT_FALSE(firstMax.process(3));  // the quantities are defined for the base mode only
  EXPECT_TRUE(store.SingleValueMap().empty());
  EXPECT_TRUE(firstMax.process(2));
  EXPECT_EQ(SourceGeneration::OfSValue(store, Key(10100, 950)), 3u);
}
