// The region search of the exceedance vector: when a region is flagged and where.
#include <gtest/gtest.h>

#include <iterator>
#include <limits>
#include <vector>

#include "EvalShopFixture.h"
#include "eval/CurveTrackExceedance.h"

namespace {

class CurveTrackExceedanceTest : public EvalShopTest {
 protected:
  const CKelEvalShop::curve_track_t& Spectra() const {
    return values.TrackCurveStore()
        .ValueMap()
        .at(values.TrackCurveStore().KeyOfDovetar(spectrogram))
        .points;
  }
  // The entries whose report flag is set, by bin.
  static std::vector<unsigned> Flagged(const CCurveTrackExceedance& exceedance) {
    std::vector<unsigned> bins;
    for (size_t bin = 0; bin < exceedance.Entries().size(); ++bin)
      if (exceedance.Entries()[bin].report != 0) bins.push_back(static_cast<unsigned>(bin));
    return bins;
  }
};

TEST_F(CurveTrackExceedanceTest, RegionIsFlaggedOnceTheSpectrumAfterItNoLongerExceeds) {
  // Bins 10–12 in spectra 3–5, largest at spectrum 4, bin 11; eight spectra of 16 bins.
  FlatSpectra(spectrogram, 8, 16, 5.0f, QVInstrumentParam::eval_upper);
  const float region[3][3] = {{11, 12, 11}, {12, 15, 11}, {11, 11, 13}};
  for (int spectrum = 0; spectrum < 3; ++spectrum)
    for (unsigned bin = 0; bin < 3; ++bin)
      SetBin(spectrogram, 3 + spectrum, 10 + bin, region[spectrum][bin]);
  CCurveTrackExceedance exceedance(Spectra(), 16);
  auto it = Spectra().begin();
  ASSERT_TRUE(exceedance.SearchRegions(it));
  // Flagged after spectrum 6 has been compared.
  ASSERT_NE(it, Spectra().end());
  EXPECT_EQ(it->first, 7);
  ASSERT_EQ(Flagged(exceedance), std::vector<unsigned>{10});
  const auto& entry = exceedance.Entries()[10];
  EXPECT_EQ(entry.item->first, 4);
  EXPECT_EQ(entry.indexOfMaximum, 11u);
  exceedance.ClearReports();
  EXPECT_TRUE(Flagged(exceedance).empty());
  EXPECT_FALSE(exceedance.SearchRegions(it));
  EXPECT_EQ(it, Spectra().end());
}

TEST_F(CurveTrackExceedanceTest, RegionOpenAtTheLastSpectrumIsFlaggedAtTheEnd) {
  FlatSpectra(spectrogram, 4, 8, 5.0f, QVInstrumentParam::eval_upper);
  SetBin(spectrogram, 2, 1, 13.0f);
  SetBin(spectrogram, 3, 1, 12.0f);
  SetBin(spectrogram, 3, 2, 11.0f);
  CCurveTrackExceedance exceedance(Spectra(), 8);
  auto it = Spectra().begin();
  ASSERT_TRUE(exceedance.SearchRegions(it));
  EXPECT_EQ(it, Spectra().end());
  ASSERT_EQ(Flagged(exceedance), std::vector<unsigned>{1});
  EXPECT_EQ(exceedance.Entries()[1].item->first, 2);
  EXPECT_EQ(exceedance.Entries()[1].indexOfMaximum, 1u);
  EXPECT_EQ(exceedance.Entries()[1].runStart, 1u);
  EXPECT_EQ(exceedance.Entries()[1].runEnd, 3u);
}

TEST_F(CurveTrackExceedanceTest, LimitThatIsNotANumberHidesNoExceedanceElsewhereInItsSpectrum) {
  // Spectra 0 and 1 stay below their limits everywhere; spectrum 2 has a limit bin that is NaN
  // (bin 1) and goes over its limit at bin 5 only.
  FlatSpectra(spectrogram, 4, 8, 5.0f, QVInstrumentParam::eval_upper);
  SetBin(spectrogram, 2, 5, 13.0f);
  values.TrackCurveStore()
      .ValueMap()
      .at(values.TrackCurveStore().KeyOfDovetar(spectrogram))
      .points.at(2)
      .LimitData()[1] = std::numeric_limits<float>::quiet_NaN();
  CCurveTrackExceedance exceedance(Spectra(), 8);
  auto it = Spectra().begin();
  ASSERT_TRUE(exceedance.SearchRegions(it));
  ASSERT_EQ(Flagged(exceedance), std::vector<unsigned>{5});
  EXPECT_EQ(exceedance.Entries()[5].item->first, 2);
  EXPECT_EQ(exceedance.Entries()[5].indexOfMaximum, 5u);
  EXPECT_FLOAT_EQ(exceedance.Entries()[5].exceedance, 0.0f);
}

TEST_F(CurveTrackExceedanceTest, SearchFromASpectrumWithLimitStateZeroFlagsNothing) {
  FlatSpectra(spectrogram, 3, 8, 15.0f, QVInstrumentParam::eval_none);
  CCurveTrackExceedance exceedance(Spectra(), 8);
  auto it = Spectra().begin();
  EXPECT_FALSE(exceedance.SearchRegions(it));
  EXPECT_EQ(it, Spectra().begin());
}

}  // namespace
