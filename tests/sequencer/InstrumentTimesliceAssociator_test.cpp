#include "sequencer/InstrumentTimesliceAssociator.h"

#include <gtest/gtest.h>

using A = CInstrumentTimesliceAssociator;
using namespace Kelva;

namespace {

constexpr uint64_t Bit(int i) {
  return uint64_t{1} << i;
}

const sequencer_events_t kAllEvents[] = {
    any_event,       idle_event,         end_ratiotest,    end_shiftlane,    begin_measurement,
    end_measurement, cancel_measurement, begin_mode,       end_mode,         purge_results,
    suspend_checks,  resume_checks,      insert_candidate, remove_candidate, drop_candidate,
    begin_milestone, end_milestone};

}  // namespace

TEST(EventVocabulary, EventNames) {
  EXPECT_STREQ(SequencerEventName(begin_milestone), "begin_milestone");
  EXPECT_STREQ(SequencerEventName(static_cast<sequencer_events_t>(1)), "unknown event");
}

TEST(TimesliceAssociator, ContextMatchesEvents) {
  // Each event and the one context bit it matches (-1: none).
  struct Case {
    sequencer_events_t event;
    int bit;
  };
  const Case cases[] = {{end_measurement, 1},
                        {end_mode, 2},
                        {end_shiftlane, 3},
                        {remove_candidate, 4},
                        {end_milestone, 4}};
  for (const Case& c : cases) {
    for (int bit = 0; bit < 5; ++bit)
      EXPECT_EQ(A::context_matches(Bit(bit), c.event), bit == c.bit) << c.event << " bit " << bit;
  }
  for (sequencer_events_t event : kAllEvents) {
    // any_event matches every context, even an empty one; bit 0 alone matches nothing else.
    EXPECT_EQ(A::context_matches(uint64_t{0}, event), event == any_event);
    EXPECT_EQ(A::context_matches(Bit(0), event), event == any_event);
  }
  for (sequencer_events_t event : {end_ratiotest, begin_mode, insert_candidate, drop_candidate,
                                   idle_event, begin_milestone, cancel_measurement})
    EXPECT_FALSE(A::context_matches(uint64_t{0x1f}, event)) << event;

  // The default context 22 (bits 1, 2, 4) and only the low five bits count.
  EXPECT_TRUE(A::context_matches(uint64_t{22}, end_measurement));
  EXPECT_TRUE(A::context_matches(uint64_t{22}, end_mode));
  EXPECT_FALSE(A::context_matches(uint64_t{22}, end_shiftlane));
  EXPECT_TRUE(A::context_matches(uint64_t{22}, remove_candidate));
  EXPECT_FALSE(A::context_matches(Bit(6) | Bit(33), end_mode));
  EXPECT_TRUE(A::context_matches(std::bitset<5>("00100"), end_mode));
}

TEST(TimesliceAssociator, ExpireMatchesEvents) {
  using namespace SignalBase;
  for (sequencer_events_t event : kAllEvents) {
    EXPECT_EQ(A::expire_matches(expire_measurement, event), event == end_measurement);
    EXPECT_EQ(A::expire_matches(expire_mode, event), event == end_mode);
    EXPECT_EQ(A::expire_matches(expire_shiftlane, event), event == end_shiftlane);
    EXPECT_EQ(A::expire_matches(expire_candidate, event),
              event == end_milestone || event == remove_candidate);
  }
}

class TimesliceStateTest : public ::testing::Test {
 protected:
  void SetUp() override {
    CMeasureMachine::MeasureMachine().Reset();
    CModeMachine::ModeMachine().Reset();
    CCandidateMachine::CandidateMachine().Reset();
    client.RegisterAll();
  }
  void View(int measure, int mode, int candidate) {
    CMeasureMachine::MeasureMachine().SetState(measure);
    CModeMachine::ModeMachine().SetState(mode);
    CCandidateMachine::CandidateMachine().SetState(candidate);
    ASSERT_TRUE(client.Process(CThreadSynch::Key(-1, -1)));
  }
  CSCSClient client;
};

TEST_F(TimesliceStateTest, ActiveStatesOfEachMachine) {
  using namespace SignalBase;
  for (int state = -1; state <= 7; ++state) {
    View(state, state, state);
    const bool measure = state == 2 || state == 5;
    const bool mode = state > 0;
    const bool candidate = state == 1 || state == 4 || state == 6;
    EXPECT_EQ(A::state_matches(expire_measurement, client), measure) << state;
    EXPECT_EQ(A::state_matches(expire_mode, client), mode) << state;
    EXPECT_EQ(A::state_matches(expire_candidate, client), candidate) << state;
    EXPECT_FALSE(A::state_matches(expire_shiftlane, client));
    EXPECT_EQ(A::context_matches(Bit(1), client), measure) << state;
    EXPECT_EQ(A::context_matches(Bit(2), client), mode) << state;
    EXPECT_EQ(A::context_matches(Bit(4), client), candidate) << state;
    EXPECT_FALSE(A::context_matches(Bit(3) | Bit(0), client));
    EXPECT_EQ(A::context_matches(uint64_t{0x1f}, client), measure || mode || candidate);
  }
}

TEST_F(TimesliceStateTest, StartsAndEndsNeedTheChangedFlag) {
  using namespace SignalBase;
  View(2, 3, 1);  // first view: every machine changed
  EXPECT_TRUE(A::state_starts(expire_measurement, client));
  EXPECT_TRUE(A::state_starts(expire_mode, client));
  EXPECT_TRUE(A::state_starts(expire_candidate, client));
  EXPECT_FALSE(A::state_ends(expire_mode, client));

  View(2, 3, 1);  // nothing changed
  EXPECT_TRUE(A::state_matches(expire_mode, client));
  EXPECT_FALSE(A::state_starts(expire_mode, client));
  EXPECT_FALSE(A::state_ends(expire_mode, client));

  View(3, 0, 1);  // measurement and mode end, candidate stays
  EXPECT_TRUE(A::state_ends(expire_measurement, client));
  EXPECT_TRUE(A::state_ends(expire_mode, client));
  EXPECT_FALSE(A::state_ends(expire_candidate, client));
  EXPECT_FALSE(A::state_starts(expire_candidate, client));
  EXPECT_FALSE(A::state_starts(expire_shiftlane, client));
  EXPECT_FALSE(A::state_ends(expire_shiftlane, client));
}
