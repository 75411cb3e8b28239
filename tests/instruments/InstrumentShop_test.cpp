// The instrument shop's pass loop and the calculation-parameter readers.
#include <gtest/gtest.h>

#include "eval/CandidateSeaDataSource.h"
#include "eval/SourceGeneration.h"
#include "instruments/InstrumentPlanFixture.h"

namespace {

// A calculator that produces something in every pass: what circular definitions would do.
class CEndless : public C2ndLevelInstrument {
 public:
  explicit CEndless(CKelValueStore& store, const CDtParamInstance& params)
      : C2ndLevelInstrument(params, store, 1) {}
  bool process(unsigned pass) override {
    passes.push_back(pass);
    return true;
  }
  std::vector<unsigned> passes;
};

}  // namespace

using InstrumentShopTest = InstrumentPlanTest;

TEST_F(InstrumentShopTest, ReadersAnswerDefinedNumbersAndKeepThemUntilReset) {
  Calc(500, {{8, "400"}, {5, "2000.5"}, {6, "fast"}});
  Install();
  CDtParamInstance params;
  DataSource::CCandidateSeaDataSource<int> source(params, 8);
  DataSource::CCandidateSeaDataSource<float> start(params, 5);
  DataSource::CCandidateSeaDataSource<float> end(params, 6);
  int parameter = -7;
  float x = -7.0f;
  EXPECT_TRUE(source.Value(500, parameter));
  EXPECT_EQ(parameter, 400);
  EXPECT_FALSE(source.Value(501, parameter));  // no record: the default stays
  EXPECT_EQ(parameter, 400);
  EXPECT_TRUE(start.Value(500, x));
  EXPECT_FLOAT_EQ(x, 2000.5f);
  EXPECT_FALSE(end.Value(500, x));  // not a number
  EXPECT_FLOAT_EQ(x, 2000.5f);
  DataSource::CCandidateSeaDataSource<int> startAsInt(params, 5);
  EXPECT_FALSE(startAsInt.Value(500, parameter));  // not a whole number

  // A new plan: what was loaded stays until Reset.
  Calc(500, {{8, "401"}});
  Install();
  EXPECT_TRUE(source.Value(500, parameter));
  EXPECT_EQ(parameter, 400);
  source.Reset();
  EXPECT_TRUE(source.Value(500, parameter));
  EXPECT_EQ(parameter, 401);
}

TEST_F(InstrumentShopTest, KeySetsHoldTheQuantitiesOfTheirInstrument) {
  Derived(CSvCalc::kInstrument, 1, 502, "Sum");
  Derived(CSvCalc::kInstrument, 1, 503, "Other sum");
  Derived(CTrackCalc::kInstrument, 2, 504, "Track sum", 1);
  Install();
  const auto& calculators = shop.Calculators();
  ASSERT_EQ(calculators.size(), 12u);
  const int order[] = {10201, 10101, 1001,  1070, 10100, 10000,
                       11000, 10001, 11201, 2012, 16000, 2800};
  for (size_t i = 0; i < 12; ++i) EXPECT_EQ(calculators[i]->Instrument(), order[i]) << i;
  EXPECT_EQ(calculators[0]->KeySet(),
            (std::set<QClavis>{Key(CSvCalc::kInstrument, 502), Key(CSvCalc::kInstrument, 503)}));
  EXPECT_EQ(calculators[8]->KeySet(), std::set<QClavis>{Key(CTrackCalc::kInstrument, 504)});
  EXPECT_TRUE(calculators[1]->KeySet().empty());
  // The next part of the same plan finds the same keys; a new plan brings its own.
  shop.Reset();
  EXPECT_EQ(calculators[8]->KeySet(), std::set<QClavis>{Key(CTrackCalc::kInstrument, 504)});
  plan.Set().ipParamAndStore.erase(Key(CSvCalc::kInstrument, 502));
  Derived(CTrackCalc::kInstrument, 2, 505, "Other track sum", 1);
  Install();
  EXPECT_EQ(calculators[0]->KeySet(), std::set<QClavis>{Key(CSvCalc::kInstrument, 503)});
  EXPECT_EQ(calculators[8]->KeySet(), (std::set<QClavis>{Key(CTrackCalc::kInstrument, 504),
                                                         Key(CTrackCalc::kInstrument, 505)}));
}

TEST_F(InstrumentShopTest, PassesEndWhenNothingNewIsDerived) {
  // Nothing derived: exactly one pass.
  Install();
  Measure(100, 90.0f);
  EXPECT_EQ(shop.Run(), 1u);

  // 502 = 100 + 101 (pass 1, generation 2); 503 = 502 + 502 (pass 2, generation 3); pass 3
  // finds nothing new.
  Derived(CSvCalc::kInstrument, 1, 502, "Sum");
  Derived(CSvCalc::kInstrument, 1, 503, "Twice the sum");
  Calc(502, {{27, "1"}, {8, "100"}, {29, "101"}});
  Calc(503, {{27, "1"}, {8, "502"}, {29, "502"}});
  Install();
  Measure(101, 3.0f);
  EXPECT_EQ(shop.Run(), 3u);
  ASSERT_NE(Value(Key(10201, 502)), nullptr);
  ASSERT_NE(Value(Key(10201, 503)), nullptr);
  EXPECT_FLOAT_EQ(Value(Key(10201, 502))->value, 93.0f);
  EXPECT_FLOAT_EQ(Value(Key(10201, 503))->value, 186.0f);
  EXPECT_EQ(SourceGeneration::OfSValue(store, Key(10201, 502)), 2u);
  EXPECT_EQ(SourceGeneration::OfSValue(store, Key(10201, 503)), 3u);
  EXPECT_EQ(SourceGeneration::OfSValue(store, Key(kLevel, 100)), 1u);
}

TEST_F(InstrumentShopTest, PassLoopEndsAtItsBoundWithAMessage) {
  Install();
  CDtParamInstance params;
  CEndless endless(store, params);
  EXPECT_EQ(CKelInstrumentShop::RunPasses({&endless}), CKelInstrumentShop::kMaxPasses);
  ASSERT_EQ(endless.passes.size(), 49u);
  EXPECT_EQ(endless.passes.front(), 1u);
  EXPECT_EQ(endless.passes.back(), 49u);
  EXPECT_EQ(output.Text(),
            "CKelInstrumentShop::Run(): derived values still change after 49 passes; some derived "
            "quantities depend on each other in a circle. The passes are ended.\n");
}

TEST_F(InstrumentShopTest, EveryCalculatorRunsInEveryPass) {
  Install();
  CDtParamInstance params;
  CEndless first(store, params);
  CEndless second(store, params);
  CKelInstrumentShop::RunPasses({&first, &second});
  EXPECT_EQ(second.passes.size(), 49u);  // a producing first calculator does not skip it
}
