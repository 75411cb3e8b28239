#include "store/KelSigLimitCurve.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "host/File.h"
#include "host/Output.h"

namespace {

const CMeasuringUnit kOrder(CMeasuringUnit::cuOrder);
const CMeasuringUnit kLevel(CMeasuringUnit::cuMetrePerSecond2, 0, 1.0f, CMeasuringUnit::flagLog);

std::vector<float> CurveOf(const KelSigLimitCurve& c) {
  return std::vector<float>(c.CurveData(), c.CurveData() + c.size());
}
std::vector<float> LimitOf(const KelSigLimitCurve& c) {
  return std::vector<float>(c.LimitData(), c.LimitData() + c.size());
}

KelSigLimitCurve Sample() {
  const float samples[] = {80.5f, 92.25f, 101.0f};
  KelSigLimitCurve curve(samples, 3, 0.05f, QVInstrumentParam::eval_upper);
  KelSigCurve shape = curve.Curve();
  shape.SetUnits(kOrder, kLevel);
  curve.SetDescription(shape.description());
  float* limit = curve.LimitData();
  limit[0] = 95.0f;
  limit[1] = 96.0f;
  limit[2] = 97.0f;
  return curve;
}

}  // namespace

TEST(KelSigLimitCurve, BuildingFromCurvesSharesBuffers) {
  KelSigCurve spectrum;
  const float samples[] = {1, 2, 3};
  spectrum.ImportData(samples, 3, 0.1f, kOrder, kLevel);
  spectrum.context = 6;

  const KelSigLimitCurve fromCurve(spectrum);
  EXPECT_EQ(fromCurve.CurveHandle().get(), spectrum.handle().get());
  EXPECT_EQ(LimitOf(fromCurve), (std::vector<float>{0, 0, 0}));
  EXPECT_EQ(fromCurve.description(), spectrum.description());
  EXPECT_EQ(fromCurve.LimitState(), 0);
  EXPECT_EQ(fromCurve.context, 6u);

  KelSigCurve limit = spectrum;
  limit.data()[0] = 9;
  const KelSigLimitCurve pair(spectrum, limit);
  EXPECT_EQ(pair.CurveHandle().get(), spectrum.handle().get());
  EXPECT_EQ(pair.LimitHandle().get(), limit.handle().get());
  EXPECT_EQ(pair.Limit().handle().get(), limit.handle().get());
  EXPECT_EQ(pair.Curve().description(), spectrum.description());

  KelSigLimitCurve assigned = Sample();
  assigned.SetMinLimDist(-1.5f, 2);
  assigned = spectrum;
  EXPECT_EQ(assigned.CurveHandle().get(), spectrum.handle().get());
  EXPECT_EQ(assigned.size(), 3u);
  EXPECT_EQ(LimitOf(assigned), (std::vector<float>{0, 0, 0}));
  EXPECT_EQ(assigned.LimitState(), 0);
  EXPECT_FALSE(std::get<2>(assigned.MinLimDist()));
}

TEST(KelSigLimitCurve, WritingACopyCopiesTheWrittenBufferOnly) {
  const KelSigLimitCurve original = Sample();
  KelSigLimitCurve copy = original;
  EXPECT_EQ(copy.CurveHandle().get(), original.CurveHandle().get());
  EXPECT_EQ(copy.LimitHandle().get(), original.LimitHandle().get());

  // Writing the limit keeps the measured curve shared.
  copy.LimitData()[0] = 1.0f;
  EXPECT_EQ(copy.CurveHandle().get(), original.CurveHandle().get());
  EXPECT_NE(copy.LimitHandle().get(), original.LimitHandle().get());
  EXPECT_EQ(LimitOf(original), (std::vector<float>{95, 96, 97}));
  EXPECT_EQ(LimitOf(copy), (std::vector<float>{1, 96, 97}));

  copy += original;
  EXPECT_EQ(CurveOf(copy), (std::vector<float>{161, 184.5f, 202}));
  EXPECT_EQ(LimitOf(copy), (std::vector<float>{1, 96, 97}));  // the limit is not added
  copy /= 2.0f;
  EXPECT_EQ(CurveOf(copy), CurveOf(original));

  const float other[] = {90, 10, 110};
  KelSigLimitCurve peak(other, 3, 0.05f, 0);
  peak.SetDescription(original.description());
  copy.maximize(peak);
  EXPECT_EQ(CurveOf(copy), (std::vector<float>{90, 92.25f, 110}));
  copy /= 0.0f;
  EXPECT_EQ(CurveOf(copy), (std::vector<float>{0, 0, 0}));
  EXPECT_EQ(CurveOf(original), (std::vector<float>{80.5f, 92.25f, 101}));

  const KelSigLimitCurve misfit(other, 2, 0.05f, 0);
  copy.maximize(misfit);
  copy += misfit;
  EXPECT_EQ(CurveOf(copy), (std::vector<float>{0, 0, 0}));

  copy.Resize(4);
  EXPECT_EQ(LimitOf(copy), (std::vector<float>{1, 96, 97, 0}));
  EXPECT_EQ(copy.description().Size(0), 4u);

  copy.SetMinLimDist(-2.5f, 1);
  EXPECT_EQ(copy.MinLimDist(), std::make_tuple(-2.5f, 1u, true));
  copy.ResetMinLimDist();
  EXPECT_EQ(copy.MinLimDist(), std::make_tuple(0.0f, 0u, false));

  // A limit written whole gets a buffer of its own without a copy of the shared one; the
  // curve stays shared.
  KelSigLimitCurve overwritten = original;
  const uint64_t copied = CAlignedMemStats::BytesCopied();
  float* fresh = overwritten.LimitDataForOverwrite();
  EXPECT_EQ(CAlignedMemStats::BytesCopied(), copied);
  EXPECT_NE(overwritten.LimitHandle().get(), original.LimitHandle().get());
  EXPECT_EQ(overwritten.CurveHandle().get(), original.CurveHandle().get());
  for (uint32_t i = 0; i < overwritten.size(); ++i) fresh[i] = 7.0f;
  EXPECT_EQ(LimitOf(overwritten), (std::vector<float>{7, 7, 7}));
  EXPECT_EQ(LimitOf(original), (std::vector<float>{95, 96, 97}));
  EXPECT_EQ(overwritten.LimitDataForOverwrite(), fresh);  // private now: the same buffer

  // Writing the curve keeps the limit shared.
  KelSigLimitCurve divided = original;
  divided /= 2.0f;
  EXPECT_NE(divided.CurveHandle().get(), original.CurveHandle().get());
  EXPECT_EQ(divided.LimitHandle().get(), original.LimitHandle().get());
  EXPECT_EQ(CurveOf(original), (std::vector<float>{80.5f, 92.25f, 101}));
}

TEST(KelSigLimitCurve, FileFormRoundTripsWithExactBytes) {
  const KelSigLimitCurve curve = Sample();
  CMemFile file;
  ASSERT_TRUE(curve.WriteToFile(file));
  // 2 + 2 + 4 + 4 + 4 + 16 + 16 header bytes, then 3 curve and 3 limit samples.
  ASSERT_EQ(file.Bytes().size(), 48u + 24u);
  const std::vector<uint8_t> head(file.Bytes().begin(), file.Bytes().begin() + 16);
  EXPECT_EQ(head,
            (std::vector<uint8_t>{0, 0, 0, 0, 3, 0, 0, 0, 0xcd, 0xcc, 0x4c, 0x3d, 2, 0, 0, 0}));

  file.Seek(0);
  KelSigLimitCurve read;
  ASSERT_TRUE(read.ReadFromFile(file, 1));
  EXPECT_EQ(read.size(), 3u);
  EXPECT_EQ(read.description().Delta(0), 0.05f);
  EXPECT_EQ(read.LimitState(), QVInstrumentParam::eval_upper);
  EXPECT_EQ(read.description().XUnit(0), kOrder);
  EXPECT_EQ(read.description().YUnit(), kLevel);
  EXPECT_EQ(CurveOf(read), CurveOf(curve));
  EXPECT_EQ(LimitOf(read), LimitOf(curve));
  EXPECT_EQ(file.GetPosition(), file.GetLength());

  // An empty curve has no sample blocks.
  CMemFile empty;
  ASSERT_TRUE(KelSigLimitCurve().WriteToFile(empty));
  EXPECT_EQ(empty.Bytes().size(), 48u);
  empty.Seek(0);
  KelSigLimitCurve readEmpty = Sample();
  ASSERT_TRUE(readEmpty.ReadFromFile(empty, 1));
  EXPECT_EQ(readEmpty.size(), 0u);
  EXPECT_EQ(readEmpty.CurveData(), nullptr);
}

TEST(KelSigLimitCurve, ShortOrForeignFilesAreRefused) {
  const KelSigLimitCurve curve = Sample();
  CMemFile good;
  ASSERT_TRUE(curve.WriteToFile(good));
  const std::vector<uint8_t>& bytes = good.Bytes();

  KelSigLimitCurve target;
  {
    CMemFile file(bytes);
    EXPECT_FALSE(target.ReadFromFile(file, 2));  // unknown version
  }
  for (size_t cut = 0; cut < bytes.size(); ++cut) {
    CMemFile file(std::vector<uint8_t>(bytes.begin(), bytes.begin() + cut));
    EXPECT_FALSE(target.ReadFromFile(file, 1)) << "cut at " << cut;
    EXPECT_EQ(target.size(), 0u);  // a refused read leaves the record as it was
  }
  // A count of four billion samples is refused before anything is allocated.
  std::vector<uint8_t> huge = bytes;
  huge[4] = huge[5] = huge[6] = huge[7] = 0xff;
  CMemFile hugeFile(huge);
  EXPECT_FALSE(target.ReadFromFile(hugeFile, 1));
  // Random bytes never crash the reader.
  uint32_t seed = 12345;
  for (int round = 0; round < 200; ++round) {
    std::vector<uint8_t> noise(64 + round);
    for (uint8_t& b : noise) {
      seed = seed * 1664525u + 1013904223u;
      b = static_cast<uint8_t>(seed >> 24);
    }
    CMemFile file(noise);
    KelSigLimitCurve scratch;
    if (scratch.ReadFromFile(file, 1)) {
      EXPECT_LE(scratch.size() * 8ull, noise.size());
    }
  }
}

namespace {

KelSigCurve SpectrumOf(const std::vector<float>& samples, float delta = 0.1f) {
  KelSigCurve curve;
  curve.ImportData(samples.data(), static_cast<uint32_t>(samples.size()), delta, kOrder, kLevel);
  return curve;
}

}  // namespace

// A limit is taken only when it fits the curve; any other keeps the curve with a zero limit of
// its length, says so, and is written and read back whole.
TEST(KelSigLimitCurve, ALimitThatDoesNotFitTheCurveIsNotTaken) {
  const KelSigCurve spectrum = SpectrumOf({1, 2, 3});
  {
    PrWin::CaptureSink capture;
    const KelSigLimitCurve fitting(spectrum, SpectrumOf({7, 8, 9}));
    EXPECT_EQ(LimitOf(fitting), (std::vector<float>{7, 8, 9}));
    EXPECT_TRUE(capture.Lines().empty());
  }
  struct Misfit {
    KelSigCurve limit;
    const char* samples;
  };
  const Misfit misfits[] = {{KelSigCurve(), "0"},
                            {SpectrumOf({9, 9}), "2"},
                            {SpectrumOf({9, 9, 9, 9}), "4"},
                            {SpectrumOf({9, 9, 9}, 0.2f), "3"}};
  for (const Misfit& misfit : misfits) {
    PrWin::CaptureSink capture;
    const KelSigLimitCurve pair(spectrum, misfit.limit);
    ASSERT_EQ(capture.Lines().size(), 1u) << misfit.samples;
    EXPECT_EQ(capture.Text(), std::string("KelSigLimitCurve: a limit of ") + misfit.samples +
                                  " samples does not fit a curve of 3 samples; a zero limit is "
                                  "used\n");
    EXPECT_EQ(capture.Lines()[0].category, 8);
    EXPECT_EQ(capture.Lines()[0].style, 1);
    EXPECT_EQ(pair.size(), 3u);
    EXPECT_EQ(pair.CurveHandle().get(), spectrum.handle().get());
    ASSERT_NE(pair.LimitHandle(), nullptr) << misfit.samples;
    EXPECT_EQ(pair.LimitHandle()->size(), 3u) << misfit.samples;
    EXPECT_EQ(LimitOf(pair), (std::vector<float>{0, 0, 0})) << misfit.samples;
    EXPECT_EQ(pair.description(), spectrum.description());

    CMemFile file;
    ASSERT_TRUE(pair.WriteToFile(file)) << misfit.samples;
    ASSERT_EQ(file.Bytes().size(), 48u + 24u) << misfit.samples;
    EXPECT_EQ(std::vector<uint8_t>(file.Bytes().end() - 12, file.Bytes().end()),
              std::vector<uint8_t>(12, 0));
    file.Seek(0);
    KelSigLimitCurve read;
    ASSERT_TRUE(read.ReadFromFile(file, 1));
    EXPECT_EQ(CurveOf(read), (std::vector<float>{1, 2, 3}));
    EXPECT_EQ(LimitOf(read), (std::vector<float>{0, 0, 0}));
  }
}

// The curve is divided, not multiplied by the reciprocal: 5 · (1/3) is 1.66666675f, 5/3 is
// 1.66666663f.
TEST(KelSigLimitCurve, DividingIsATrueDivision) {
  ASSERT_NE(5.0f * (1.0f / 3.0f), 5.0f / 3.0f);
  const float samples[] = {5, 1, 10, -7};
  KelSigLimitCurve curve(samples, 4, 0.1f, QVInstrumentParam::eval_upper);
  curve /= 3.0f;
  EXPECT_EQ(CurveOf(curve),
            (std::vector<float>{1.66666663f, 1.0f / 3.0f, 10.0f / 3.0f, -7.0f / 3.0f}));
  curve /= 0.0f;
  EXPECT_EQ(CurveOf(curve), (std::vector<float>{0, 0, 0, 0}));
}
