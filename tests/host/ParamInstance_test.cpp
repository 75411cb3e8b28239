#include <gtest/gtest.h>

#include <memory>

#include "host/Params.h"
#include "host/TestPlanBuilder.h"

namespace {

// A plan with one mode of the given name.
TestPlan::Builder PlanWithMode(const char* planName, const char* modeName) {
  TestPlan::Builder plan(planName);
  plan.Mode(1, modeName);
  return plan;
}

}  // namespace

// Without a distillery a view follows the installed plan; over a distillery it reads the
// distilled set whatever is installed, and keeps that set alive.
TEST(ParamInstance, WithoutAndOverADistillery) {
  ParamDatabase::Reset();
  const CDtParamInstance current;
  const CDtParamInstance alsoCurrent(nullptr);
  EXPECT_FALSE(current.Initialized());
  EXPECT_FALSE(alsoCurrent.Initialized());

  TestPlan::Builder installed = PlanWithMode("installed", "Run-up");
  ASSERT_TRUE(installed.Install());
  auto distilledSet = std::make_shared<CParamSet>(PlanWithMode("distilled", "Coast-down").Set());
  auto view = std::make_unique<CDtParamInstance>(nullptr);
  {
    const CDtParamDistillery distillery(distilledSet);
    view = std::make_unique<CDtParamInstance>(&distillery);
    distilledSet.reset();
  }
  EXPECT_TRUE(view->Initialized());
  EXPECT_EQ(view->ModeName(1), "Coast-down");
  EXPECT_EQ(view->PlanName(), "distilled");
  EXPECT_EQ(current.ModeName(1), "Run-up");
  EXPECT_EQ(alsoCurrent.PlanName(), "installed");

  // A newly installed plan reaches the views without a distillery only.
  ASSERT_TRUE(PlanWithMode("next", "Hold").Install());
  EXPECT_EQ(current.ModeName(1), "Hold");
  EXPECT_EQ(alsoCurrent.ModeName(1), "Hold");
  EXPECT_EQ(view->ModeName(1), "Coast-down");
  EXPECT_EQ(view->Mode().size(), 1u);

  // A distillery of no set distils the empty set.
  const CDtParamDistillery nothing(nullptr);
  const CDtParamInstance empty(&nothing);
  EXPECT_TRUE(empty.Initialized());
  EXPECT_TRUE(empty.Mode().empty());
  EXPECT_EQ(empty.ModeName(1), "");
  ParamDatabase::Reset();
}
