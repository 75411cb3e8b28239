#include "store/KelSigCurve.h"

#include <gtest/gtest.h>

#include <vector>

#include "store/KelSigLimitCurve.h"

namespace {

const CMeasuringUnit kOrder(CMeasuringUnit::cuOrder);
const CMeasuringUnit kLevel(CMeasuringUnit::cuMetrePerSecond2, 0, 1.0f, CMeasuringUnit::flagLog);

KelSigCurve Spectrum(std::vector<float> samples, float delta = 0.05f) {
  KelSigCurve curve;
  curve.ImportData(samples.data(), static_cast<uint32_t>(samples.size()), delta, kOrder, kLevel);
  return curve;
}

std::vector<float> Samples(const KelSigCurve& curve) {
  return std::vector<float>(curve.data(), curve.data() + curve.size());
}

}  // namespace

TEST(KelSigCurve, CopiesShareUntilWritten) {
  KelSigCurve original = Spectrum({1, 2, 3, 4});
  const uint64_t copiedBefore = CAlignedMemStats::BytesCopied();

  KelSigCurve copy = original;
  KelSigCurve assigned;
  assigned = original;
  EXPECT_EQ(copy.handle().get(), original.handle().get());
  EXPECT_EQ(assigned.handle().get(), original.handle().get());
  EXPECT_EQ(CAlignedMemStats::BytesCopied(), copiedBefore);

  copy.data()[0] = 100;  // copy on first write
  EXPECT_NE(copy.handle().get(), original.handle().get());
  EXPECT_EQ(Samples(original), (std::vector<float>{1, 2, 3, 4}));
  EXPECT_EQ(Samples(copy), (std::vector<float>{100, 2, 3, 4}));
  EXPECT_EQ(CAlignedMemStats::BytesCopied(), copiedBefore + 4 * sizeof(float));

  // The copy's buffer is now its own: further writes neither allocate nor copy.
  const uint64_t allocations = CAlignedMemStats::Allocations();
  const float* buffer = copy.handle()->data();
  copy.data()[1] = 200;
  copy += original;
  copy /= 2.0f;
  EXPECT_TRUE(copy.AddData(original, 0.5f));
  copy.ZeroData(4);
  EXPECT_EQ(copy.handle()->data(), buffer);
  EXPECT_EQ(CAlignedMemStats::Allocations(), allocations);
  EXPECT_EQ(Samples(original), (std::vector<float>{1, 2, 3, 4}));
}

TEST(KelSigCurve, Arithmetic) {
  KelSigCurve a = Spectrum({1, 2, 3});
  const KelSigCurve b = Spectrum({10, 20, 30});
  a += b;
  EXPECT_EQ(Samples(a), (std::vector<float>{11, 22, 33}));
  a += KelSigCurve();  // does not fit: unchanged
  EXPECT_EQ(Samples(a), (std::vector<float>{11, 22, 33}));

  a /= 0.0f;
  EXPECT_EQ(Samples(a), (std::vector<float>{0, 0, 0}));

  KelSigCurve m = Spectrum({2, 4, 8});
  m /= 4.0f;
  EXPECT_EQ(Samples(m), (std::vector<float>{0.5f, 1, 2}));

  KelSigCurve mean = Spectrum({4, 4, 4});
  EXPECT_TRUE(mean.AddData(Spectrum({0, 8, 2}), 0.75f));
  EXPECT_EQ(Samples(mean), (std::vector<float>{3, 5, 3.5f}));
  KelSigCurve square = Spectrum({4, 4, 4});
  EXPECT_TRUE(square.AddSquaredData(Spectrum({0, 2, 4}), 0.5f));
  EXPECT_EQ(Samples(square), (std::vector<float>{2, 4, 10}));

  // Curves of another length or axis do not fit and stay as they are.
  KelSigCurve shorter = Spectrum({1, 2});
  EXPECT_FALSE(mean.AddData(shorter, 0.5f));
  EXPECT_FALSE(mean.AddSquaredData(shorter, 0.5f));
  EXPECT_EQ(Samples(mean), (std::vector<float>{3, 5, 3.5f}));
  EXPECT_EQ(Samples(shorter), (std::vector<float>{1, 2}));
  EXPECT_FALSE(mean.FitTogether(Spectrum({1, 2, 3}, 0.1f)));
  EXPECT_TRUE(mean.FitTogether(Spectrum({7, 7, 7})));

  // Adding a curve to itself reads the samples before they change.
  KelSigCurve twice = Spectrum({1, 2});
  twice += twice;
  EXPECT_EQ(Samples(twice), (std::vector<float>{2, 4}));
}

TEST(KelSigCurve, AddDataWithSquaresIsBothAdditionsInOnePass) {
  KelSigCurve mean = Spectrum({4, 4, 4});
  KelSigCurve square = Spectrum({4, 4, 4});
  EXPECT_TRUE(mean.AddDataWithSquares(square, Spectrum({0, 2, 4}), 0.5f));
  EXPECT_EQ(Samples(mean), (std::vector<float>{2, 3, 4}));
  EXPECT_EQ(Samples(square), (std::vector<float>{2, 4, 10}));

  // Unless all three fit, nothing changes.
  EXPECT_FALSE(mean.AddDataWithSquares(square, Spectrum({1, 2}), 0.5f));
  KelSigCurve shortSquare = Spectrum({1, 1});
  EXPECT_FALSE(mean.AddDataWithSquares(shortSquare, Spectrum({8, 8, 8}), 0.5f));
  EXPECT_EQ(Samples(mean), (std::vector<float>{2, 3, 4}));
  EXPECT_EQ(Samples(square), (std::vector<float>{2, 4, 10}));
  EXPECT_EQ(Samples(shortSquare), (std::vector<float>{1, 1}));

  // Shared buffers are made private first: the curve learned from and the copies keep their
  // samples, and a curve that is its own squares gets both additions one after the other.
  const KelSigCurve learned = Spectrum({2, 2, 2});
  KelSigCurve sharedMean = learned;
  KelSigCurve sharedSquare = learned;
  EXPECT_TRUE(sharedMean.AddDataWithSquares(sharedSquare, learned, 0.25f));
  EXPECT_EQ(Samples(sharedMean), (std::vector<float>{2, 2, 2}));
  EXPECT_EQ(Samples(sharedSquare), (std::vector<float>{3.5f, 3.5f, 3.5f}));
  EXPECT_EQ(Samples(learned), (std::vector<float>{2, 2, 2}));
  // (Long enough for the vector body of every instruction set.)
  KelSigCurve both = Spectrum(std::vector<float>(67, 2.0f));
  EXPECT_TRUE(both.AddDataWithSquares(both, Spectrum(std::vector<float>(67, 4.0f)), 0.5f));
  // 0.5·(0.5·2 + 0.5·16) + 0.5·4
  EXPECT_EQ(Samples(both), std::vector<float>(67, 6.5f));

  // A learned item whose copy was taken: both averages shared, each with its own copy. The step
  // gives what it gives in place, and the copies keep the samples as they were.
  KelSigCurve mean67 = Spectrum(std::vector<float>(67, 3.0f));
  KelSigCurve square67 = Spectrum(std::vector<float>(67, 10.0f));
  const KelSigCurve meanCopy = mean67;
  const KelSigCurve squareCopy = square67;
  EXPECT_TRUE(mean67.AddDataWithSquares(square67, Spectrum(std::vector<float>(67, 5.0f)), 0.75f));
  EXPECT_EQ(Samples(mean67), std::vector<float>(67, 3.5f));      // 0.75·3 + 0.25·5
  EXPECT_EQ(Samples(square67), std::vector<float>(67, 13.75f));  // 0.75·10 + 0.25·25
  EXPECT_EQ(Samples(meanCopy), std::vector<float>(67, 3.0f));
  EXPECT_EQ(Samples(squareCopy), std::vector<float>(67, 10.0f));
  EXPECT_FALSE(mean67.Shared());
  EXPECT_FALSE(square67.Shared());
}

TEST(KelSigCurve, ConstructionAndShape) {
  const KelSigCurve empty;
  EXPECT_EQ(empty.size(), 0u);
  EXPECT_EQ(empty.description().XDims(), 1u);
  EXPECT_EQ(empty.description().YDims(), 1u);
  EXPECT_EQ(empty.data(), nullptr);
  EXPECT_EQ(empty.context, 22u);
  EXPECT_EQ(empty.expire, SignalBase::expire_measurement);

  CDescription description(3, 2.5f, CMeasuringUnit(CMeasuringUnit::cuHertz), kLevel);
  const KelSigCurve zeros(nullptr, description);
  EXPECT_EQ(Samples(zeros), (std::vector<float>{0, 0, 0}));
  EXPECT_EQ(zeros.delta(0), 2.5f);
  EXPECT_EQ(zeros.dlen(0), 3u);
  EXPECT_EQ(zeros.XUnit(0).CommonUnit(), CMeasuringUnit::cuHertz);
  EXPECT_TRUE(zeros.YUnit().is_log());

  const CSignalieee32 signal(description, {5, 6, 7}, 6, SignalBase::expire_mode);
  const KelSigCurve measured(signal);
  EXPECT_EQ(Samples(measured), (std::vector<float>{5, 6, 7}));
  EXPECT_EQ(measured.context, 6u);
  EXPECT_EQ(measured.expire, SignalBase::expire_mode);
  EXPECT_EQ(measured.description(), description);

  const KelSigCurve shared(measured.handle(), description);
  EXPECT_EQ(shared.handle().get(), measured.handle().get());
  EXPECT_EQ(shared.size(), 3u);

  // A measurement assigned to a curve is copied into the curve's own buffer when it has the
  // size, never into a buffer that another curve shares, and into a new one of another size.
  KelSigCurve reassigned = Spectrum({1, 2, 3});
  const float* own = reassigned.handle()->data();
  reassigned = signal;
  EXPECT_EQ(reassigned.handle()->data(), own);
  EXPECT_EQ(Samples(reassigned), (std::vector<float>{5, 6, 7}));
  const KelSigCurve sharer = reassigned;
  reassigned = CSignalieee32(description, {8, 9, 10}, 6, SignalBase::expire_mode);
  EXPECT_EQ(Samples(sharer), (std::vector<float>{5, 6, 7}));
  EXPECT_EQ(Samples(reassigned), (std::vector<float>{8, 9, 10}));
  CDescription longer(4, 2.5f, CMeasuringUnit(CMeasuringUnit::cuHertz), kLevel);
  reassigned = CSignalieee32(longer, {1, 2, 3, 4}, 6, SignalBase::expire_mode);
  EXPECT_EQ(Samples(reassigned), (std::vector<float>{1, 2, 3, 4}));
  EXPECT_EQ(Samples(sharer), (std::vector<float>{5, 6, 7}));

  KelSigCurve resized = Spectrum({1, 2, 3});
  resized.Resize(5);
  EXPECT_EQ(Samples(resized), (std::vector<float>{1, 2, 3, 0, 0}));
  EXPECT_EQ(resized.dlen(0), 5u);

  KelSigCurve zeroed = Spectrum({1, 2});
  zeroed.ZeroData(measured);
  EXPECT_EQ(Samples(zeroed), (std::vector<float>{0, 0, 0}));
  EXPECT_EQ(zeroed.description(), description);
  zeroed.ZeroData(KelSigLimitCurve(Spectrum({9, 9, 9, 9})));
  EXPECT_EQ(zeroed.size(), 4u);
}

TEST(KelSigCurve, DisplayCopiesShareSamples) {
  KelSigCurve curve = Spectrum({1, 2, 3}, 0.5f);
  CVisDataVector vector;
  EXPECT_FALSE(KelSigCurve().CopyToCurve(&vector));
  ASSERT_TRUE(curve.CopyToCurve(&vector));
  EXPECT_EQ(vector.size, 3u);
  EXPECT_EQ(vector.xDelta, 0.5f);
  EXPECT_EQ(vector.xUnit, kOrder);
  EXPECT_EQ(vector.yUnit, kLevel);
  EXPECT_EQ(vector.Data(), curve.handle()->data());
  // The window keeps what it was given when the curve is written afterwards.
  curve.data()[0] = 50;
  EXPECT_EQ(vector.Data()[0], 1.0f);

  // A spectrogram of 2 positions × 3 bins.
  CDescription description(3, 0.5f, kOrder, kLevel);
  description.SetXDims(2);
  description.X(1).size = 2;
  description.X(1).delta = 10.0f;
  description.X(1).start = 800.0f;
  description.X(1).unit = CMeasuringUnit(CMeasuringUnit::cuRpm);
  const std::vector<float> grid = {1, 2, 3, 4, 5, 6};
  const KelSigCurve spectrogram(grid.data(), description);
  CVisDataGrid out;
  ASSERT_TRUE(spectrogram.CopyToGrid(&out));
  EXPECT_EQ(out.columns, 3u);
  EXPECT_EQ(out.rows, 2u);
  EXPECT_EQ(out.rowStart, 800.0f);
  EXPECT_EQ(out.rowDelta, 10.0f);
  EXPECT_EQ(out.rowUnit.CommonUnit(), CMeasuringUnit::cuRpm);
  EXPECT_EQ(out.Data()[5], 6.0f);
}
