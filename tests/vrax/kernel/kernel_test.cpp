#include "vrax/kernel/SKernel.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "tests/vrax/kernel/proc_test_util.h"

namespace {

using Log = std::vector<std::string>;

// A started kernel with one recording process in each of its four lists.
struct KernelFixture : ::testing::Test {
  SKernel kernel;
  Log log;
  RecProc* p[4] = {};

  void SetUp() override {
    ASSERT_EQ(kernel.Start(), 0);
    for (int n = 0; n < 4; ++n) {
      p[n] = new RecProc("L" + std::to_string(n), &log);
      p[n]->SetStatic(false);
      ASSERT_EQ(kernel.AddChild(n, p[n], 0), 0);
    }
    log.clear();
  }
  void TearDown() override {
    kernel.Kill(0);
    kernel.Dispose();
  }
  Log Step() {
    log.clear();
    kernel.Step();
    return log;
  }
};

TEST_F(KernelFixture, FirstStepSendsNothingThenFullFrameOrder) {
  EXPECT_EQ(SKernel::GetInstance(), &kernel);
  EXPECT_EQ(kernel.GetName(), "VRAX Kernel");
  EXPECT_TRUE(Step().empty());  // everything still "added"
  EXPECT_EQ(kernel.GetState(), SProc::STATE_RUNNING);
  Log expected = {"L0:0", "L1:0", "L2:0", "L3:0",  // draw
                  "L0:7", "L1:7", "L3:7",          // user event 7 skips the game list
                  "L0:1", "L1:1", "L2:1", "L3:1",  // begin
                  "L0:2", "L1:2", "L2:2", "L3:2",  // main
                  "L0:3", "L1:3", "L2:3", "L3:3"};  // end
  EXPECT_EQ(Step(), expected);
  EXPECT_EQ(Step(), expected);
}

TEST_F(KernelFixture, PauseHoldsGameListFromNextFrameAndReleasesTheSameWay) {
  Step();
  // Request the pause from the game's own main handler in frame 2.
  p[2]->hook = [&](RecProc*, int32_t code, SProcArg) {
    if (code == SProc::EVENT_MAIN) kernel.SetPause(true);
  };
  Log f2 = Step();
  p[2]->hook = nullptr;
  EXPECT_EQ(std::count(f2.begin(), f2.end(), "L2:3"), 1) << "frame of the request still ends list 2";
  EXPECT_TRUE(kernel.IsPaused());
  Log expected = {"L0:0", "L1:0", "L2:0", "L3:0", "L0:7", "L1:7", "L3:7",
                  "L0:1", "L1:1", "L3:1", "L0:2", "L1:2", "L3:2", "L0:3", "L1:3", "L3:3"};
  EXPECT_EQ(Step(), expected);
  kernel.SetPause(false);
  EXPECT_TRUE(kernel.IsPaused());  // only after this frame's end
  EXPECT_EQ(Step(), expected);
  EXPECT_FALSE(kernel.IsPaused());
  EXPECT_EQ(Step().size(), 19u);
}

TEST_F(KernelFixture, ProcessAddedInFrameNRunsFromFrameNPlus1) {
  Step();
  RecProc* late = new RecProc("late", &log);
  p[1]->hook = [&](RecProc*, int32_t code, SProcArg) {
    if (code == SProc::EVENT_MAIN && late->GetState() == SProc::STATE_NONE) {
      kernel.AddChild(3, late, 5);
      late->SendEvent(9, 1);  // user events reach it at once
    }
  };
  auto lateOnly = [](Log all) {
    all.erase(std::remove_if(all.begin(), all.end(), [](auto& s) { return s.rfind("late", 0) != 0; }), all.end());
    return all;
  };
  EXPECT_EQ(lateOnly(Step()), (Log{"late:4", "late:9"}));
  EXPECT_EQ(lateOnly(Step()), (Log{"late:0", "late:7", "late:1", "late:2", "late:3"}));
}

TEST_F(KernelFixture, KilledInFrameNDisposedAtEndOfNPlus1AndNotFoundFromKill) {
  Step();
  bool deleted = false;
  p[2]->deleted_ = &deleted;
  p[0]->hook = [&](RecProc*, int32_t code, SProcArg) {
    if (code == SProc::EVENT_BEGIN && p[2] != nullptr && p[2]->GetState() == SProc::STATE_RUNNING) {
      p[2]->Kill(0);
      EXPECT_EQ(kernel.FindByName("L2"), nullptr);
    }
  };
  // Frame N: killed in list 0's begin, before list 2's begin.
  EXPECT_EQ(Step(), (Log{"L0:0", "L1:0", "L2:0", "L3:0", "L0:7", "L1:7", "L3:7", "L0:1", "L2:5", "L1:1", "L3:1",
                         "L0:2", "L1:2", "L3:2", "L0:3", "L1:3", "L3:3"}));
  EXPECT_EQ(p[2]->GetState(), SProc::STATE_DYING);
  EXPECT_FALSE(deleted);
  Log fn1 = Step();  // frame N+1: no events, disposed in the advance
  EXPECT_TRUE(deleted);
  EXPECT_EQ(fn1.back(), "L2:6");
  EXPECT_EQ(std::count_if(fn1.begin(), fn1.end(), [](auto& s) { return s.rfind("L2", 0) == 0; }), 1);
  EXPECT_EQ(kernel.GetList(2)->Count(), 0);
  p[2] = nullptr;
}

TEST_F(KernelFixture, ShutdownKillsAndDisposesStaticMembersForReuse) {
  struct Mgr : RecProc {
    using RecProc::RecProc;
    int32_t Init(SProcArg a) override {
      RecProc::Init(a);
      MoveToList(3, true);  // managers take their place themselves
      return 0;
    }
  };
  Mgr mgr("mgr", &log);
  mgr.SetStatic(true);
  ASSERT_EQ(kernel.AddChild(0, &mgr, 0), 0);
  EXPECT_EQ(kernel.GetList(3)->Head(), &mgr);
  EXPECT_EQ(mgr.GetListIndex(), 3);
  Step();
  Step();
  log.clear();
  kernel.Kill(0);
  EXPECT_EQ(log, (Log{"L0:5", "L1:5", "L2:5", "mgr:5", "L3:5"}));
  EXPECT_EQ(mgr.GetState(), SProc::STATE_RUNNING);  // the kernel leaves states alone
  kernel.Dispose();
  EXPECT_EQ(mgr.GetState(), SProc::STATE_NONE);
  EXPECT_EQ(mgr.GetParent(), nullptr);
  EXPECT_EQ(kernel.ListCount(), 0);
  // The kernel starts again and takes the manager back.
  ASSERT_EQ(kernel.Start(), 0);
  EXPECT_EQ(kernel.AddChild(0, &mgr, 0), 0);
  EXPECT_EQ(kernel.GetList(3)->Count(), 1);
  kernel.Kill(0);
  kernel.Dispose();
  ASSERT_EQ(kernel.Start(), 0);  // for TearDown
  for (auto*& q : p) q = nullptr;
}

TEST(KernelStart, FailingPlatformHookFailsStart) {
  SKernel k;
  SKernel::SetPlatformHooks([]() -> int32_t { return -3; }, nullptr);
  EXPECT_EQ(k.Start(), -1);
  SKernel::SetPlatformHooks(nullptr, nullptr);
  EXPECT_EQ(k.Start(), 0);
  static int ended = 0;
  SKernel::SetPlatformHooks(nullptr, [] { ++ended; });
  k.Kill(0);
  k.Dispose();
  SKernel::SetPlatformHooks(nullptr, nullptr);
  EXPECT_EQ(ended, 1);
  EXPECT_FALSE(k.Step()) << "no longer the root";
}

}  // namespace
