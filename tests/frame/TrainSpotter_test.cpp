#include "frame/TrainSpotter.h"

#include <gtest/gtest.h>

#include "host/MeasuringResult.h"
#include "host/Output.h"
#include "host/Signal.h"

TEST(TrainSpotter, DescribesWagonsByMask) {
  CTrainSpotter spotter;
  CTrain train;
  train.AddObject(std::make_shared<CMeasuringResultScalar>());
  auto info = std::make_shared<CTriggerInfo>();
  info->trigger = 4;
  info->state = CTriggerInfo::st_running;
  info->cell = -12;
  train.AddMarshalledOf(*info);
  train.AddObject(std::make_shared<CDzPulsListe>());
  PrWin::CaptureSink capture;
  EXPECT_EQ(spotter(train, 0), "<train/>\n");
  EXPECT_EQ(capture.Text(), "<train/>\n");
  ASSERT_EQ(capture.Lines().size(), 1u);  // one trace of the train spotter, tagged as such
  EXPECT_EQ(capture.Lines()[0].category, PrWin::catDebug);
  EXPECT_EQ(capture.Lines()[0].source, "TrainSpotter");
  EXPECT_GT(capture.Lines()[0].sourceLine, 0);
  EXPECT_EQ(spotter(train, (1 << 0) | (1 << 8)),
            "<train>\n  scalar result\n  Trigger '': 'running' at cell -12\n</train>\n");
  EXPECT_EQ(spotter(train, 1 << 6), "<train>\n  speed list\n</train>\n");

  // Unknown wagons are reported whatever the mask, with their id as four characters.
  const uint8_t nothing[4] = {0, 0, 0, 0};
  train.AddMarshalled(MarshalingYard::FourCC('A', 'B', 'C', 'D'), nothing, 4);
  EXPECT_EQ(spotter(train, 0), "<train>\n  wagon with Unknown ID 'ABCD'\n</train>\n");

  // A thread key the state client cannot resolve adds no line.
  CTrain keys;
  keys.AddObject(std::make_shared<CThreadSynch::Key>(CurrentStateSequence() + 100, 0));
  EXPECT_EQ(spotter(keys, 1 << 5), "<train/>\n");
  CTrain now;
  now.AddObject(std::make_shared<CThreadSynch::Key>(-1, 0));
  EXPECT_EQ(spotter(now, 1 << 5).rfind("<train>\n  TSO Measure=", 0), 0u);
}
