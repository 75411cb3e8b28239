// The simulation section of a plan, read with the plan's rules: every refusal names the file,
// the JSON pointer and what was expected; nothing is narrowed or taken on trust.
#include <gtest/gtest.h>

#include "Simulation.h"
#include "app/KelvaProcess.h"
#include "host/Output.h"
#include "host/Params.h"
#include "host/TestPlan.h"

namespace {

using json = nlohmann::json;

class SimulationReaderTest : public ::testing::Test {
 protected:
  void SetUp() override {
    PrWin::CaptureSink quiet;
    ASSERT_TRUE(TestPlan::LoadFile(TestPlan::DemoPlanPath()));
  }
  void TearDown() override { ParamDatabase::Reset(); }

  // Reads the simulation of the demo plan with `change` applied, then every `marker` in the
  // text replaced by `raw`; the message, or "" when it is read.
  std::string RefusalOf(void (*change)(json&), const std::string& marker = "",
                        const std::string& raw = "") {
    json plan = DemoPlan();
    change(plan);
    std::string text = plan.dump();
    if (!marker.empty()) text.replace(text.find(marker), marker.size(), raw);
    WriteText(path_, text);
    SimPlan simulation;
    std::string error;
    const SimulationRead read = ReadSimulation(path_, simulation, error);
    EXPECT_EQ(read == SimulationRead::ok, error.empty()) << error;
    const std::string prefix = "Test plan '" + path_ + "'";
    EXPECT_EQ(error.rfind(prefix, 0), error.empty() ? std::string::npos : 0u) << error;
    return error.empty() ? "" : error.substr(prefix.size());
  }

  TempFolder folder_;
  const std::string path_ = folder_ / "plan.json";
};

}  // namespace

TEST_F(SimulationReaderTest, TheDemoSimulationIsReadWhole) {
  SimPlan simulation;
  std::string error;
  ASSERT_EQ(ReadSimulation(TestPlan::DemoPlanPath(), simulation, error), SimulationRead::ok)
      << error;
  EXPECT_EQ(error, "");
  EXPECT_EQ(simulation.platform, "EOL-3");
  EXPECT_EQ(simulation.serialPrefix, "GT2A-");
  EXPECT_EQ(simulation.defectShare, 0.08);
  EXPECT_EQ(simulation.missingSignalShare, 0.03);
  EXPECT_EQ(simulation.sequence, (std::vector<int>{1, 2, 3, 4, 6, 7}));
  ASSERT_EQ(simulation.quantities.size(), 29u);
  const SimQuantity& spectrum = simulation.quantities[14];
  EXPECT_EQ(spectrum.key, QClavis(2, 2500, 1, 1, 200, 2));
  EXPECT_EQ(spectrum.kind, SimQuantity::kSpectrum);
  EXPECT_EQ(spectrum.bins, 1001u);
  EXPECT_EQ(spectrum.binWidth, 0.05f);
  EXPECT_EQ(spectrum.defectAt, 23.0f);
  EXPECT_EQ(spectrum.peaks.size(), 4u);
  // A defect rises by 6 to 20 dB.
  EXPECT_EQ(spectrum.defectMin, 6.0f);
  EXPECT_EQ(spectrum.defect, 20.0f);
  // The order-23 track of mode 1 may also tilt by 1 to 2 dB; the order-31 track only bumps.
  const SimQuantity& track = simulation.quantities[18];
  EXPECT_EQ(track.key, QClavis(1, 2001, 1, 1, 400, 2));
  EXPECT_EQ(track.kind, SimQuantity::kTrack);
  EXPECT_EQ(std::make_pair(track.tiltMin, track.tilt), std::make_pair(1.0f, 2.0f));
  EXPECT_EQ(simulation.quantities[22].key, QClavis(1, 2001, 1, 1, 401, 2));
  EXPECT_EQ(simulation.quantities[22].tilt, 0.0f);
}

TEST_F(SimulationReaderTest, TiltsAndDefectRangesAreChecked) {
  // quantities[4]: the order-23 track of modes 1 to 4; [0]: a single value.
  EXPECT_EQ(RefusalOf([](json& p) {
              p["simulation"]["quantities"][4]["tilt"] = {1.2, 0.6};
            }),
            ", at /simulation/quantities/4/tilt: expected a rise above 0 (a range: whose low end "
            "is above 0 and not above its high end)");
  EXPECT_EQ(RefusalOf([](json& p) {
              p["simulation"]["quantities"][4]["tilt"] = {0.6, 1, 2};
            }),
            ", at /simulation/quantities/4/tilt: expected a rise or a range [low, high] of two "
            "numbers");
  EXPECT_EQ(RefusalOf([](json& p) { p["simulation"]["quantities"][0]["tilt"] = 1; }),
            ", at /simulation/quantities/0/tilt: expected a known field (see docs/test-plan.md), "
            "not \"tilt\"");
  EXPECT_EQ(RefusalOf([](json& p) {
              p["simulation"]["quantities"][0]["defect"] = {20, 6};
            }),
            ", at /simulation/quantities/0/defect: expected a rise above 0 (a range: whose low end "
            "is above 0 and not above its high end)");
  EXPECT_EQ(RefusalOf([](json& p) { p["simulation"]["quantities"][0]["defect"] = {6}; }),
            ", at /simulation/quantities/0/defect: expected a rise or a range [low, high] of two "
            "numbers");
}

TEST_F(SimulationReaderTest, MalformedSectionsAreRefusedWithTheirPlace) {
  EXPECT_EQ(RefusalOf([](json& p) { p["simulation"]["quantities"][7]["nominal"] = 123456.5; },
                      "123456.5", "1e999"),
            ", at /simulation/quantities/7/nominal: expected a number within the range of a "
            "double");
  EXPECT_EQ(RefusalOf([](json& p) { p["simulation"]["marker"] = 1; }, "\"marker\":1",
                      "\"platform\":\"again\""),
            ", at /simulation/platform: expected a field name not given before in this object "
            "(\"platform\" is given twice)");
  EXPECT_EQ(RefusalOf([](json& p) { p["simulation"]["sequence"][1] = "2"; }),
            ", at /simulation/sequence/1: expected an integer, found a text");
  EXPECT_EQ(RefusalOf([](json& p) { p["simulation"]["quantities"][7]["key"][1] = 1LL << 40; }),
            ", at /simulation/quantities/7/key/1: expected an integer of 32 bits");
  EXPECT_EQ(
      RefusalOf([](json& p) { p["simulation"]["quantities"][0]["modes"][2] = (1LL << 40) + 3; }),
      ", at /simulation/quantities/0/modes/2: expected an integer of 32 bits");
  EXPECT_EQ(RefusalOf([](json& p) { p["simulation"]["quantities"][7]["nominal"] = 1e39; }),
            ", at /simulation/quantities/7/nominal: expected a number within the range of a "
            "float");
  EXPECT_EQ(RefusalOf([](json& p) { p["simulation"]["quantities"][7]["nominl"] = 45; }),
            ", at /simulation/quantities/7/nominl: expected a known field (see "
            "docs/test-plan.md), not \"nominl\"");
  EXPECT_EQ(RefusalOf([](json& p) { p["simulation"]["quantities"][3]["nominal"] = 45; }),
            ", at /simulation/quantities/3/nominal: expected a known field (see "
            "docs/test-plan.md), not \"nominal\"");
  EXPECT_EQ(RefusalOf([](json& p) { p["simulation"]["quantities"][7].erase("nominal"); }),
            ", at /simulation/quantities/7: expected the field \"nominal\"");
}

TEST_F(SimulationReaderTest, ValuesOutsideTheirMeaningAreRefused) {
  EXPECT_EQ(RefusalOf([](json& p) { p["simulation"]["defectShare"] = 2; }),
            ", at /simulation/defectShare: expected a share from 0 to 1");
  EXPECT_EQ(RefusalOf([](json& p) { p["simulation"]["defectShare"] = -0.1; }),
            ", at /simulation/defectShare: expected a share from 0 to 1");
  EXPECT_EQ(RefusalOf([](json& p) { p["simulation"]["missingSignalShare"] = 0.95; }),
            ", at /simulation/missingSignalShare: expected a share of at most 1 - defectShare "
            "(one part has one fault at most)");
  EXPECT_EQ(RefusalOf([](json& p) { p["simulation"]["quantities"][3]["spectrum"]["bins"] = 1.5; }),
            ", at /simulation/quantities/3/spectrum/bins: expected an integer, found a number "
            "with a fraction");
  EXPECT_EQ(
      RefusalOf([](json& p) { p["simulation"]["quantities"][3]["spectrum"]["bins"] = 100001; }),
      ", at /simulation/quantities/3/spectrum/bins: expected a number of bins from 1 to 100,000");
  EXPECT_EQ(
      RefusalOf([](json& p) { p["simulation"]["quantities"][3]["spectrum"]["binWidth"] = 0; }),
      ", at /simulation/quantities/3/spectrum/binWidth: expected a bin width above 0");
  // 50,000 bins in each of the 321 cells of the run-up: 16,050,000 values.
  EXPECT_EQ(
      RefusalOf([](json& p) { p["simulation"]["quantities"][6]["spectrogram"]["bins"] = 50000; }),
      ", at /simulation/quantities/6/spectrogram/bins: expected at most 10,000,000 values in a "
      "spectrogram (bins x axis cells), found 50000 x 321 in mode 1");
  EXPECT_EQ(RefusalOf([](json& p) { p["simulation"]["quantities"][7]["noise"] = -2; }),
            ", at /simulation/quantities/7/noise: expected a standard deviation of 0 or more");
  EXPECT_EQ(RefusalOf([](json& p) { p["simulation"]["sequence"][2] = 9; }),
            ", at /simulation/sequence/2: expected a mode of the plan, not 9");
  EXPECT_EQ(RefusalOf([](json& p) { p["simulation"]["sequence"] = json::array(); }),
            ", at /simulation/sequence: expected at least one mode");
  EXPECT_EQ(RefusalOf([](json& p) { p["simulation"]["quantities"][0]["modes"][1] = 8; }),
            ", at /simulation/quantities/0/modes/1: expected a mode of the plan, not 8");
  EXPECT_EQ(RefusalOf([](json& p) { p["simulation"]["quantities"][7]["key"][0] = 8; }),
            ", at /simulation/quantities/7/key/0: expected a mode of the plan, not 8");
  EXPECT_EQ(RefusalOf([](json& p) { p["simulation"]["quantities"][7]["key"][1] = 4711; }),
            ", at /simulation/quantities/7/key: expected a quantity of a measuring instrument "
            "(result type 1 to 6), not instrument 4711");
  EXPECT_EQ(RefusalOf([](json& p) { p["simulation"]["quantities"][2]["modes"][3] = 1; }),
            ", at /simulation/quantities/2/modes/3: expected a key not given before (the same one "
            "is at /simulation/quantities/2/modes/0)");
}

TEST_F(SimulationReaderTest, APlanWithoutSimulationSaysWhatIsMissing) {
  json plan = DemoPlan();
  plan.erase("simulation");
  WriteText(path_, plan.dump());
  SimPlan simulation;
  std::string error;
  EXPECT_EQ(ReadSimulation(path_, simulation, error), SimulationRead::missing);
  EXPECT_EQ(error, "Test plan '" + path_ +
                       "' has no \"simulation\" section: kelva run makes its parts from it (see "
                       "the simulation section in docs/cli.md)");
  EXPECT_EQ(ReadSimulation(folder_ / "none.json", simulation, error), SimulationRead::refused);
  EXPECT_EQ(error, "Test plan '" + folder_ / "none.json" +
                       "': the file cannot be opened (it does not exist)");
}
