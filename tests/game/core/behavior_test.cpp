#include "game/core/Behavior.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

namespace {

// Records every handler call as "code,state" and runs an optional hook.
class Rec : public Behavior {
 public:
  int32_t Handle(int32_t code, int32_t state) override {
    calls.push_back(std::to_string(code) + "," + std::to_string(state));
    if (hook) hook(code, state);
    return state * 10 + code;
  }
  std::vector<std::string> calls;
  std::function<void(int32_t, int32_t)> hook;
};

using V = std::vector<std::string>;

TEST(Behavior, EnterThenFramesWithoutChanges) {
  Rec b;
  EXPECT_EQ(b.Enter(), 1);
  EXPECT_EQ(b.Update(), 0);
  b.Update();
  EXPECT_EQ(b.calls, (V{"1,0", "0,0", "0,0"}));
}

TEST(Behavior, ChangeInFrameTakesEffectNextRun) {
  Rec b;
  b.Enter();
  b.hook = [&](int32_t code, int32_t state) {
    if (code == 0 && state == 0) {
      EXPECT_EQ(b.ChangeState(5), 0);
    }
  };
  b.Update();
  b.hook = nullptr;
  b.calls.clear();
  EXPECT_EQ(b.Update(), 50);
  EXPECT_EQ(b.calls, (V{"2,0", "1,5", "0,5"}));
  EXPECT_EQ(b.GetPreviousState(), 0);
}

TEST(Behavior, EnterRequestingAnotherChangeIsLeftAtOnce) {
  Rec b;
  b.ChangeState(5);
  b.hook = [&](int32_t code, int32_t state) {
    if (code == 1 && state == 5) b.ChangeState(6);
  };
  b.Update();
  EXPECT_EQ(b.calls, (V{"2,0", "1,5", "2,5", "1,6", "0,6"}));
  EXPECT_EQ(b.GetState(), 6);
  EXPECT_EQ(b.GetPreviousState(), 5);
}

TEST(Behavior, LeaveRequestRedirectsTheChange) {
  Rec b;
  b.ChangeState(6);
  b.hook = [&](int32_t code, int32_t state) {
    if (code == 2 && state == 0) b.ChangeState(7);
  };
  b.Update();
  // The request made while leaving is still pending after the enter of 7,
  // so 7 is left and entered once more; 6 never receives a call.
  EXPECT_EQ(b.calls, (V{"2,0", "1,7", "2,7", "1,7", "0,7"}));
  EXPECT_EQ(b.GetState(), 7);
}

TEST(Behavior, NotifyLeavesChangePendingAndPreviousFollowsRequests) {
  Rec b;
  b.Enter();
  b.ChangeState(3);
  b.ChangeState(4);
  EXPECT_EQ(b.GetPreviousState(), 0);
  b.calls.clear();
  EXPECT_EQ(b.Notify(), 3);
  EXPECT_TRUE(b.IsPending());
  EXPECT_EQ(b.calls, (V{"3,0"}));
  b.Update();
  EXPECT_EQ(b.calls, (V{"3,0", "2,0", "1,4", "0,4"}));
}

TEST(Behavior, ChangeToCurrentStateStillLeavesAndEnters) {
  Rec b;
  b.ChangeState(0);
  b.Enter();
  // A pending change at Enter: the state gets code 1 twice.
  EXPECT_EQ(b.calls, (V{"2,0", "1,0", "1,0"}));
}

}  // namespace
