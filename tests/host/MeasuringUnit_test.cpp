#include "host/MeasuringUnit.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <vector>

#include "host/File.h"

namespace {

using Unit = CMeasuringUnit;

// A 16-byte unit record with the given raw fields.
CMemFile Record(int32_t commonUnit, int32_t exponent, float factor, uint32_t flags) {
  CMemFile file;
  EXPECT_TRUE(WriteLE(file, commonUnit) && WriteLE(file, exponent) && WriteLE(file, factor) &&
              WriteLE(file, flags));
  EXPECT_TRUE(file.Seek(0));
  return file;
}

}  // namespace

TEST(MeasuringUnit, ScaleToConvertsCompatibleUnitsOnly) {
  const Unit pascal(Unit::cuPascal);
  EXPECT_DOUBLE_EQ(pascal.scale_to(Unit(Unit::cuPascal, 5)), 1e-5);  // Pa -> bar
  EXPECT_DOUBLE_EQ(Unit(Unit::cuPascal, 3).scale_to(pascal), 1000.0);
  EXPECT_DOUBLE_EQ(Unit(Unit::cuMetrePerSecond, -3).scale_to(Unit(Unit::cuMetrePerSecond)), 1e-3);
  EXPECT_DOUBLE_EQ(Unit(Unit::cuHertz).scale_to(Unit(Unit::cuRpm)), 60.0);
  EXPECT_DOUBLE_EQ(Unit(Unit::cuRpm).scale_to(Unit(Unit::cuHertz)), 1.0 / 60.0);
  EXPECT_DOUBLE_EQ(Unit(Unit::cuHertz, 3).scale_to(Unit(Unit::cuRpm)), 60000.0);
  // m/s² -> g: the factor is a float, so the result is 1 / float(9.80665).
  const double toG = Unit(Unit::cuMetrePerSecond2).scale_to(Unit(4, 0, 9.80665f));
  EXPECT_DOUBLE_EQ(toG, 1.0 / static_cast<double>(9.80665f));
  EXPECT_NEAR(toG, 1.0 / 9.80665, 1e-8);
  EXPECT_DOUBLE_EQ(Unit().scale_to(Unit()), 1.0);

  EXPECT_EQ(pascal.scale_to(Unit(Unit::cuHertz)), 0.0);
  EXPECT_EQ(Unit(Unit::cuRpm).scale_to(Unit(Unit::cuOrder)), 0.0);

  const Unit level(Unit::cuMetrePerSecond2, 0, 1.0f, Unit::flagLog);
  const Unit powerLevel(Unit::cuMetrePerSecond2, 0, 1.0f, Unit::flagLog | Unit::flagPower);
  EXPECT_EQ(level.scale_to(level), 1.0);
  EXPECT_EQ(level.scale_to(powerLevel), 0.0);
  EXPECT_EQ(level.scale_to(Unit(Unit::cuMetrePerSecond2)), 0.0);
  EXPECT_EQ(Unit(Unit::cuMetrePerSecond2).scale_to(level), 0.0);
  EXPECT_EQ(level.scale_to(Unit(Unit::cuMetrePerSecond2, 3, 1.0f, Unit::flagLog)), 0.0);

  EXPECT_TRUE(level.is_log());
  EXPECT_FALSE(level.power());
  EXPECT_TRUE(powerLevel.is_log());
  EXPECT_TRUE(powerLevel.power());
  EXPECT_FALSE(pascal.is_log());
  EXPECT_FALSE(pascal.power());
}

TEST(MeasuringUnit, TextSymbols) {
  EXPECT_EQ(Unit().Text(), "");
  EXPECT_EQ(Unit(Unit::cuMetrePerSecond2).Text(), "m/s²");
  EXPECT_EQ(Unit(Unit::cuMetrePerSecond2, 0, 1.0f, Unit::flagLog).Text(), "dB(m/s²)");
  EXPECT_EQ(Unit(Unit::cuNone, 0, 1.0f, Unit::flagLog).Text(), "dB");
  EXPECT_EQ(Unit(Unit::cuRpm).Text(), "rpm");
  EXPECT_EQ(Unit(Unit::cuPascal, 3).Text(), "kPa");
  EXPECT_EQ(Unit(Unit::cuMetre, -3).Text(), "mm");
  EXPECT_EQ(Unit(Unit::cuMetrePerSecond, -6).Text(), "µm/s");
  EXPECT_EQ(Unit(Unit::cuDegreeCelsius).Text(), "°C");
  EXPECT_EQ(Unit(Unit::cuHertz).Text(), "Hz");
}

TEST(MeasuringUnit, FileFormIsSixteenExactBytes) {
  const Unit unit(Unit::cuPascal, -3, 1.5f, Unit::flagLog | Unit::flagPower);
  CMemFile file;
  ASSERT_TRUE(unit.WriteToFile(file));
  EXPECT_EQ(file.GetLength(), Unit::kFileSize);
  EXPECT_EQ(file.Bytes(), (std::vector<uint8_t>{0x1C, 0, 0, 0, 0xFD, 0xFF, 0xFF, 0xFF, 0x00, 0x00,
                                                0xC0, 0x3F, 0x03, 0, 0, 0}));
  ASSERT_TRUE(file.Seek(0));
  Unit read;
  ASSERT_TRUE(read.ReadFromFile(file));
  EXPECT_EQ(read, unit);
  EXPECT_EQ(read.CommonUnit(), Unit::cuPascal);
  EXPECT_EQ(read.Exponent(), -3);
  EXPECT_EQ(read.Factor(), 1.5f);
  EXPECT_EQ(read.Flags(), 3u);

  // The edges of the valid ranges are accepted.
  for (CMemFile edge : {Record(0, -30, 1.0f, 0), Record(28, 30, 1e-30f, 1)}) {
    Unit accepted;
    EXPECT_TRUE(accepted.ReadFromFile(edge));
  }
}

TEST(MeasuringUnit, ReaderRefusesBadRecordsAndKeepsTheUnit) {
  const Unit original(Unit::cuHertz, 3, 2.0f, 0);
  const float nan = std::numeric_limits<float>::quiet_NaN();
  const float inf = std::numeric_limits<float>::infinity();
  std::vector<CMemFile> bad;
  bad.push_back(Record(-1, 0, 1.0f, 0));          // unknown common unit
  bad.push_back(Record(29, 0, 1.0f, 0));          // unknown common unit
  bad.push_back(Record(4, 0, 1.0f, 4));           // unknown flag
  bad.push_back(Record(4, 0, 1.0f, 0x80000000));  // unknown flag
  bad.push_back(Record(4, 0, 0.0f, 0));           // factor 0
  bad.push_back(Record(4, 0, -1.0f, 0));          // negative factor
  bad.push_back(Record(4, 0, nan, 0));            // not a number
  bad.push_back(Record(4, 0, inf, 0));            // infinite
  bad.push_back(Record(4, 31, 1.0f, 0));          // exponent too large
  bad.push_back(Record(4, -31, 1.0f, 0));         // exponent too small
  std::vector<uint8_t> shortBytes = Record(4, 0, 1.0f, 0).Bytes();
  shortBytes.pop_back();
  bad.emplace_back(shortBytes);  // 15 bytes
  for (size_t i = 0; i < bad.size(); ++i) {
    Unit unit = original;
    EXPECT_FALSE(unit.ReadFromFile(bad[i])) << "record " << i;
    EXPECT_EQ(unit, original) << "record " << i;
  }
}
