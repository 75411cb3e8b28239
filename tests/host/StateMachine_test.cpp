#include "host/StateMachine.h"

#include <gtest/gtest.h>

class StateMachineTest : public ::testing::Test {
 protected:
  // The machines are process-wide: every test starts them from state 0 with no history.
  void SetUp() override {
    measure.Reset();
    mode.Reset();
    candidate.Reset();
  }

  CStateMachine& measure = CMeasureMachine::MeasureMachine();
  CStateMachine& mode = CModeMachine::ModeMachine();
  CStateMachine& candidate = CCandidateMachine::CandidateMachine();
};

TEST_F(StateMachineTest, ClientViewsCurrentStatesWithChangedFlags) {
  CSCSClient empty;
  EXPECT_FALSE(empty.Process(CThreadSynch::Key(-1, -1)));
  EXPECT_FALSE(empty.State(measure).valid);
  EXPECT_EQ(empty.ToString(), "");

  measure.SetState(2);
  mode.SetState(3);
  candidate.SetState(1);
  CSCSClient client;
  client.RegisterAll();
  client.Register(measure);  // already registered: no second entry
  EXPECT_FALSE(client.State(mode).valid);
  ASSERT_TRUE(client.Process(CThreadSynch::Key(-1, -1)));
  EXPECT_EQ(client.ToString(), "Measure=2* Mode=3* Candidate=1*");
  const CSCSClient::Result viewed = client.State(mode);
  EXPECT_EQ(viewed.state, 3);
  EXPECT_TRUE(viewed.changed);
  EXPECT_TRUE(viewed.valid);

  ASSERT_TRUE(client.Process(CThreadSynch::Key()));
  EXPECT_EQ(client.ToString(), "Measure=2 Mode=3 Candidate=1");
  EXPECT_FALSE(client.State(measure).changed);

  mode.SetState(4);
  candidate.SetState(1);  // a transition to the same state is no change
  ASSERT_TRUE(client.Process(CThreadSynch::Key()));
  EXPECT_EQ(client.ToString(), "Measure=2 Mode=4* Candidate=1");

  CSCSClient ordered;  // registration order is the order of the text
  ordered.Register(candidate);
  ordered.Register(measure);
  ASSERT_TRUE(ordered.Process(CThreadSynch::Key()));
  EXPECT_EQ(ordered.ToString(), "Candidate=1* Measure=2*");
}

TEST_F(StateMachineTest, KeysResolveToTheStatesAtTheirPoint) {
  CSCSClient client;
  client.RegisterAll();
  const CThreadSynch::Key start = CThreadSynch::CurrentKey(3);
  measure.SetState(2);
  mode.SetState(3);
  const CThreadSynch::Key key = CThreadSynch::CurrentKey(7);
  EXPECT_EQ(key.thread, 7);
  EXPECT_EQ(key.sequence, CurrentStateSequence());
  measure.SetState(5);
  mode.SetState(0);
  candidate.SetState(4);

  ASSERT_TRUE(client.Process(key));
  EXPECT_EQ(client.ToString(), "Measure=2* Mode=3* Candidate=0*");
  ASSERT_TRUE(client.Process(CThreadSynch::Key()));
  EXPECT_EQ(client.ToString(), "Measure=5* Mode=0* Candidate=4*");
  ASSERT_TRUE(client.Process(start));
  EXPECT_EQ(client.ToString(), "Measure=0* Mode=0 Candidate=0*");

  // A key from the future is refused and the view stays as it was.
  EXPECT_FALSE(client.Process(CThreadSynch::Key(CurrentStateSequence() + 1, 7)));
  EXPECT_EQ(client.ToString(), "Measure=0* Mode=0 Candidate=0*");

  int state = -1;
  EXPECT_TRUE(measure.StateAt(key.sequence, state));
  EXPECT_EQ(state, 2);
  EXPECT_TRUE(measure.StateAt(-1, state));
  EXPECT_EQ(state, 5);
}

TEST_F(StateMachineTest, KeysOlderThanTheKeptTransitionsAreRefused) {
  CSCSClient client;
  client.Register(measure);
  measure.SetState(1);
  const CThreadSynch::Key key = CThreadSynch::CurrentKey(1);
  // Transitions of other machines do not push a machine's own history out.
  for (int i = 0; i < 1000; ++i) mode.SetState(i % 7);
  for (size_t i = 0; i < CStateMachine::kKeptTransitions; ++i)
    measure.SetState(10 + static_cast<int>(i));
  ASSERT_TRUE(client.Process(key));
  EXPECT_EQ(client.State(measure).state, 1);

  measure.SetState(99);  // now kKeptTransitions + 1 transitions after the key
  EXPECT_FALSE(client.Process(key));
  EXPECT_EQ(client.State(measure).state, 1);  // view unchanged
  ASSERT_TRUE(client.Process(CThreadSynch::Key()));
  EXPECT_EQ(client.ToString(), "Measure=99*");

  // Reset forgets the history; old points then read as state 0.
  measure.Reset();
  EXPECT_EQ(measure.State(), 0);
  ASSERT_TRUE(client.Process(key));
  EXPECT_EQ(client.ToString(), "Measure=0*");
}
