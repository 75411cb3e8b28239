// The error vector of a spectrum: its own code and instrument, and those of its maximum hats.
#include <memory>
#include <vector>

#include "EvalSpecFixture.h"
#include "eval/KelSpecErrorVector.h"

namespace {

std::vector<int> CodesOf(const CKelSpecErrorVector& vector) {
  std::vector<int> codes;
  for (uint32_t bin = 0; bin < vector.BinCount(); ++bin) codes.push_back(vector.ErrorCode(bin));
  return codes;
}

std::vector<int> InstrumentsOf(const CKelSpecErrorVector& vector) {
  std::vector<int> instruments;
  for (uint32_t bin = 0; bin < vector.BinCount(); ++bin)
    instruments.push_back(vector.Instrument(bin));
  return instruments;
}

}  // namespace

TEST_F(EvalSpecTest, ErrorVectorTakesTheCodesOfMaximumHatsOnly) {
  CKelSpecErrorVector vector(12, 0.5f);
  EXPECT_TRUE(vector.ApplyHatsToErrorVector(params, spectrum));
  EXPECT_EQ(CodesOf(vector), (std::vector<int>{51, 51, 77, 77, 77, 51, 51, 51, 51, 51, 51, 51}));
  EXPECT_EQ(InstrumentsOf(vector), (std::vector<int>{2500, 2500, 1001, 1001, 1001, 2500, 2500, 2500,
                                                     2500, 2500, 2500, 2500}));
  EXPECT_TRUE(vector.Fits(12, 0.5f));
  EXPECT_FALSE(vector.Fits(12, 0.25f));
  EXPECT_FALSE(vector.Fits(13, 0.5f));
  // A copy owns its arrays.
  CKelSpecErrorVector copy(vector);
  vector = CKelSpecErrorVector(2, 1.0f);
  EXPECT_EQ(copy.ErrorCode(3), 77);
  EXPECT_EQ(output.Text(), "");
}

TEST_F(EvalSpecTest, ErrorVectorOfAnotherChannelHasNoHats) {
  TestPlan::Builder plan = Plan();
  plan.Channel(2, "Gearbox accel.");
  const QClavis other(kRunUp, 2500, 2, 1, 300, 0);
  plan.Quantity(other, 51);
  ASSERT_TRUE(plan.Install());
  CKelSpecErrorVector vector(4, 0.5f);
  EXPECT_TRUE(vector.ApplyHatsToErrorVector(params, other));
  EXPECT_EQ(CodesOf(vector), (std::vector<int>{51, 51, 51, 51}));
  EXPECT_EQ(InstrumentsOf(vector), (std::vector<int>{2500, 2500, 2500, 2500}));
}

TEST_F(EvalSpecTest, ErrorVectorNamesAHatWithoutInstrumentParameter) {
  auto broken = std::make_shared<CParamSet>(Plan().Set());
  broken->instrumentParam.erase(QIdx1(703));
  ParamDatabase::Install(broken);
  CKelSpecErrorVector vector(12, 0.5f);
  EXPECT_FALSE(vector.ApplyHatsToErrorVector(params, spectrum));
  EXPECT_EQ(output.Text(),
            "CKelSpecErrorVector::ApplyHatsToErrorVector(): no QVInstrumentParam record for hat '" +
                Text(QClavis(kRunUp, 1001, 1, 1, 703, 0)) + "' of spectrum '" + Text(spectrum) +
                "'; the spectrum is not evaluated\n");
}
