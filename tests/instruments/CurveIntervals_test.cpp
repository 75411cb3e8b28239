// Hats: single values of spectra over bands (instruments 1001 and 1070).
#include <gtest/gtest.h>

#include "eval/CurveIntervals.h"
#include "eval/SourceGeneration.h"
#include "instruments/SpectrumPlanFixture.h"

namespace {

// Bins at 0.5 orders: the band 1..2 orders covers bins 2, 3 and 4 (7 at 1.5 orders the
// largest, 3 at 1.0 order the smallest); bin 11 lies outside every band.
const std::vector<float> kSpectrumSamples = {0, 1, 3, 7, 5, 0, 0, 0, 0, 0, 0, 9};

}  // namespace

class CurveIntervalsTest : public SpectrumPlanTest {
 protected:
  static constexpr int kVirtualRunUp = 3;

  CurveIntervalsTest() {
    plan.Mode(kVirtualRunUp, "Run-up repeat", QVModeProps::mfAcoustic, kRunUp);
    Hat(Kelva::kHatInstrument, 900, "Order 2 maximum", {2, "O1-2", -1});
    Hat(Kelva::kHatInstrument, 901, "Order 2 minimum", {1, "O1-2", -1});
    Hat(Kelva::kHatInstrument, 902, "Maximum of the other spectrum", {2, "O1-2", -1});
    Hat(Kelva::kHatInstrument, 903, "Maximum of this spectrum", {2, "O1-2", -1});
    Hat(Kelva::kHatOf2700Instrument, 910, "Envelope maximum", {2, "O1-2", -1});
    for (const int hat : {900, 901, 902, 903, 910}) Band(hat, 0, 1.0f, 2.0f);
    Calc(902, {{8, std::to_string(kOtherSpectrumParameter)}});
    Calc(903, {{8, std::to_string(kSpectrumParameter)}});
    Install();
    hats.Prepare();
    hatsOf2700.Prepare();
  }

  CCurveIntervals hats{params, store, Kelva::kHatInstrument};
  CCurveIntervals hatsOf2700{params, store, Kelva::kHatOf2700Instrument};
};

TEST_F(CurveIntervalsTest, HatsTakeTheirBandsOfTheirSpectrum) {
  const CMeasuringUnit level = Decibel();
  Spectrum(Key(kSpectrum, kSpectrumParameter), kSpectrumSamples, 0.5f, Orders(), level, 1, 5,
           SignalBase::expire_mode);
  EXPECT_TRUE(hats.process(1));

  const KelStoreSValue* maximum = Value(Key(1001, 900));
  ASSERT_NE(maximum, nullptr);
  EXPECT_EQ(maximum->value, 7.0f);
  EXPECT_EQ(maximum->position, 1.5f);
  EXPECT_EQ(maximum->context, 5u);
  EXPECT_EQ(maximum->expire, SignalBase::expire_mode);
  EXPECT_TRUE(store.GetMeasuringUnit(Key(1001, 900)) == level);
  EXPECT_EQ(SourceGeneration::OfSValue(store, Key(1001, 900)), 2u);

  const KelStoreSValue* minimum = Value(Key(1001, 901));
  ASSERT_NE(minimum, nullptr);
  EXPECT_EQ(minimum->value, 3.0f);
  EXPECT_EQ(minimum->position, 1.0f);

  // Calculation parameter 8 names the spectrum parameter a hat belongs to.
  EXPECT_EQ(Value(Key(1001, 902)), nullptr);
  ASSERT_NE(Value(Key(1001, 903)), nullptr);
  EXPECT_EQ(Value(Key(1001, 903))->value, 7.0f);
  EXPECT_EQ(store.SingleValueMap().size(), 3u);
  EXPECT_EQ(output.Text(), "");
}

TEST_F(CurveIntervalsTest, SpectraOf2700HaveTheirOwnHatInstrument) {
  Spectrum(Key(kSpectrum2700, kSpectrum2700Parameter), kSpectrumSamples, 0.5f, Orders(), Decibel());
  EXPECT_FALSE(hats.process(1));  // 1001 makes the hats of 2500 only
  EXPECT_TRUE(store.SingleValueMap().empty());
  EXPECT_TRUE(hatsOf2700.process(1));
  ASSERT_EQ(store.SingleValueMap().size(), 1u);
  ASSERT_NE(Value(Key(1070, 910)), nullptr);
  EXPECT_EQ(Value(Key(1070, 910))->value, 7.0f);

  // And 1070 takes nothing from a spectrum of 2500.
  Spectrum(Key(kSpectrum, kSpectrumParameter), kSpectrumSamples, 0.5f, Orders(), Decibel(), 2);
  EXPECT_FALSE(hatsOf2700.process(2));
  EXPECT_EQ(SourceGeneration::OfSValue(store, Key(1070, 910)), 2u);  // still the first pass's
  EXPECT_TRUE(hats.process(2));
  EXPECT_NE(Value(Key(1001, 900)), nullptr);
}

TEST_F(CurveIntervalsTest, ASpectrumFeedsTheHatsOfItsGenerationOnly) {
  Spectrum(Key(kSpectrum, kSpectrumParameter), kSpectrumSamples, 0.5f, Orders(), Decibel(), 2);
  EXPECT_FALSE(hats.process(1));
  EXPECT_FALSE(hats.process(3));
  EXPECT_TRUE(store.SingleValueMap().empty());
  EXPECT_TRUE(hats.process(2));
  EXPECT_EQ(SourceGeneration::OfSValue(store, Key(1001, 900)), 3u);
}

TEST_F(CurveIntervalsTest, AVirtualModeSpectrumFillsTheHatsOfItsBaseModeUnderItsOwnMode) {
  QClavis spectrum = Key(kSpectrum, kSpectrumParameter);
  spectrum.set_mode(kVirtualRunUp);
  Spectrum(spectrum, kSpectrumSamples, 0.5f, Orders(), Decibel());
  EXPECT_TRUE(hats.process(1));
  QClavis stored = Key(1001, 900);
  stored.set_mode(kVirtualRunUp);
  ASSERT_NE(Value(stored), nullptr);
  EXPECT_EQ(Value(stored)->value, 7.0f);
  EXPECT_EQ(Value(Key(1001, 900)), nullptr);
}

TEST_F(CurveIntervalsTest, TheShopMakesHatsInTheFirstPass) {
  Spectrum(Key(kSpectrum, kSpectrumParameter), kSpectrumSamples, 0.5f, Orders(), Decibel());
  Spectrum(Key(kSpectrum2700, kSpectrum2700Parameter), {0, 0, 2, 4, 1, 0}, 0.5f, Orders(),
           Decibel());
  EXPECT_EQ(shop.Run(), 2u);
  ASSERT_NE(Value(Key(1001, 900)), nullptr);
  ASSERT_NE(Value(Key(1070, 910)), nullptr);
  EXPECT_EQ(Value(Key(1001, 900))->value, 7.0f);
  EXPECT_EQ(Value(Key(1070, 910))->value, 4.0f);
  EXPECT_EQ(Value(Key(1070, 910))->position, 1.5f);
}
