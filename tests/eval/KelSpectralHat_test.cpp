// Which hats belong to which spectra, and which of them are evaluated maximum hats.
#include <gtest/gtest.h>

#include <memory>

#include "HatPlanFixture.h"
#include "eval/KelSpectralHat.h"

namespace {

Kelva::spectral_hat_match_t Match(const CDtParamInstance& params, const QClavis& hat,
                                  const QClavis& spectrum) {
  return Kelva::SpectralHatMatches(params, hat, spectrum).first;
}

}  // namespace

TEST_F(HatPlanTest, HatOfOrdersMatchesItsLocationOrTheRotorItSees) {
  const auto [match, record] = Kelva::SpectralHatMatches(params, HatKey(700), SpectrumKey());
  EXPECT_EQ(match, Kelva::hat_of_spectrum);
  ASSERT_NE(record, params.IpSvOfSpec().end());
  EXPECT_EQ(record->second.definition, "O1-2");
  // Another location on a plain channel: no match, but the record is found.
  const auto other = Kelva::SpectralHatMatches(params, HatKey(700, 1, 2), SpectrumKey(1, 3));
  EXPECT_EQ(other.first, Kelva::hat_not_of_spectrum);
  EXPECT_NE(other.second, params.IpSvOfSpec().end());
  // On the order-resampled channel, location 2 sees rotor 3: the spectrum of location 3.
  EXPECT_EQ(Match(params, HatKey(700, 2, 2), SpectrumKey(2, 3)), Kelva::hat_of_spectrum);
  EXPECT_EQ(Match(params, HatKey(700, 2, 2), SpectrumKey(2, 5)), Kelva::hat_not_of_spectrum);
  // The rotor-bound bit alone does not help a band in orders.
  EXPECT_EQ(Match(params, HatKey(700, 3, 2), SpectrumKey(3, 3)), Kelva::hat_not_of_spectrum);
}

TEST_F(HatPlanTest, HatOfHertzMatchesRotorBoundChannelsOrItsOwnLocation) {
  // Record location -1: any spectrum on a rotor-bound channel; on an order-resampled one, the
  // rotor the hat's location sees; never on a plain channel, not even at the same location.
  EXPECT_EQ(Match(params, HatKey(701, 3, 1), SpectrumKey(3, 5)), Kelva::hat_of_spectrum);
  EXPECT_EQ(Match(params, HatKey(701, 2, 2), SpectrumKey(2, 3)), Kelva::hat_of_spectrum);
  EXPECT_EQ(Match(params, HatKey(701, 2, 1), SpectrumKey(2, 3)), Kelva::hat_not_of_spectrum);
  EXPECT_EQ(Match(params, HatKey(701, 1, 1), SpectrumKey(1, 1)), Kelva::hat_not_of_spectrum);
  // Record location 5: exactly the spectrum of the hat's own location.
  EXPECT_EQ(Match(params, HatKey(702, 3, 1), SpectrumKey(3, 1)), Kelva::hat_of_spectrum);
  EXPECT_EQ(Match(params, HatKey(702, 3, 1), SpectrumKey(3, 5)), Kelva::hat_not_of_spectrum);
}

TEST_F(HatPlanTest, HatOfAnotherSensorOrSpectrumParameterDoesNotMatch) {
  const auto end = params.IpSvOfSpec().end();
  const auto sensor = Kelva::SpectralHatMatches(params, HatKey(700, 1, 1, 4), SpectrumKey());
  EXPECT_EQ(sensor.first, Kelva::hat_not_of_spectrum);
  EXPECT_EQ(sensor.second, end);
  const auto parameter = Kelva::SpectralHatMatches(params, HatKey(700), SpectrumKey(1, 1, 301));
  EXPECT_EQ(parameter.first, Kelva::hat_not_of_spectrum);
  EXPECT_EQ(parameter.second, end);
  const auto noRecord = Kelva::SpectralHatMatches(params, HatKey(706), SpectrumKey());
  EXPECT_EQ(noRecord.first, Kelva::hat_not_of_spectrum);
  EXPECT_EQ(noRecord.second, end);
  // A spectrum parameter that is not a number restricts nothing.
  EXPECT_EQ(Match(params, HatKey(705), SpectrumKey(1, 1, 301)), Kelva::hat_of_spectrum);
}

TEST_F(HatPlanTest, EvaluatedMaximumHats) {
  EXPECT_TRUE(Kelva::IsSpectralSingleValue(params, HatKey(700)));
  EXPECT_TRUE(Kelva::IsSpectralSingleValue(params, HatKey(702)));      // interpretation 6
  EXPECT_FALSE(Kelva::IsSpectralSingleValue(params, HatKey(703)));     // a minimum
  EXPECT_FALSE(Kelva::IsSpectralSingleValue(params, HatKey(704)));     // a lower limit
  EXPECT_FALSE(Kelva::IsSpectralSingleValue(params, HatKey(706)));     // no limit, no record
  EXPECT_FALSE(Kelva::IsSpectralSingleValue(params, HatKey(700, 2)));  // no limit record
  // A limit record that is not evaluated; a key of another instrument (which the plan check
  // refuses: installed unchecked).
  TestPlan::Builder plan = Plan();
  plan.SValueLimit(HatKey(700), 0.0f, 33.0f, 2);
  const QClavis notHat(kRunUp, 30, 1, 1, 700, 0);
  plan.SValueLimit(notHat, 0.0f, 33.0f);
  ParamDatabase::Install(std::make_shared<CParamSet>(plan.Set()));
  EXPECT_FALSE(Kelva::IsSpectralSingleValue(params, HatKey(700)));
  EXPECT_FALSE(Kelva::IsSpectralSingleValue(params, notHat));
  EXPECT_EQ(Kelva::HatInstrumentOf(2700), 1070);
  EXPECT_EQ(Kelva::HatInstrumentOf(2500), 1001);
}
