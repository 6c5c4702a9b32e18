#include "vrax/input/SPad.h"

#include <gtest/gtest.h>

#include <utility>
#include <vector>

#include "vrax/input/SCtrlMan.h"

namespace {

// Drives a pad's raw words directly, one frame per call.
struct Frame {
  bool up = false, down = false, left = false, right = false;
  int button = -1;
};

void Step(SPad& pad, const Frame& f) {
  for (int j = 0; j < 32; ++j) pad.raw_[j] = 0;
  pad.raw_[0] = f.up, pad.raw_[1] = f.down, pad.raw_[2] = f.left, pad.raw_[3] = f.right;
  if (f.button >= 0) pad.raw_[4 + f.button] = 1;
  pad.Update();
}

// Counter(index) for each {index, value}; `accessor` reads GetCounter instead.
void ExpectCounters(const SPad& pad, std::initializer_list<std::pair<int, int>> want, bool accessor = false) {
  for (auto [n, v] : want) EXPECT_EQ(accessor ? pad.GetCounter(n) : pad.Counter(n), v) << n;
}

TEST(SPadCounters, HoldAndReleaseSequence) {
  SPad pad;
  EXPECT_EQ(pad.Counter(SPad::kUp), -1);
  std::vector<int> seen, total;
  for (bool held : {true, true, true, false, false}) {
    Step(pad, {.up = held});
    seen.push_back(pad.Counter(SPad::kUp));
  }
  EXPECT_EQ(seen, (std::vector<int>{0, 1, 2, -1, -2}));
  EXPECT_EQ(pad.Counter(SPad::kHeldTotal + SPad::kUp), 2);
  EXPECT_EQ(pad.Counter(SPad::kUpOnly), -2);
  Step(pad, {.up = true});
  EXPECT_EQ(pad.Counter(SPad::kHeldTotal + SPad::kUp), 0);  // a new press
  pad.Reset();
  EXPECT_EQ(pad.Counter(SPad::kUp), -1);
}

TEST(SPadCounters, DiagonalsAndOpposites) {
  SPad pad;
  Step(pad, {.up = true, .left = true});
  // The "only" counters were never held: they fall from -1.
  ExpectCounters(pad,
                 {{SPad::kUpLeft, 0}, {SPad::kUp, 0}, {SPad::kLeft, 0}, {SPad::kUpOnly, -2}, {SPad::kLeftOnly, -2}});

  SPad lr;
  Step(lr, {.left = true, .right = true});
  for (int n : {SPad::kLeft, SPad::kRight}) EXPECT_LT(lr.Counter(n), 0) << n;
  Step(lr, {.up = true, .left = true, .right = true});
  EXPECT_EQ(lr.Counter(SPad::kUpLeft), 0);
  for (int n : {SPad::kUpRight, SPad::kUpOnly}) EXPECT_LT(lr.Counter(n), 0) << n;

  SPad ud;
  Step(ud, {.up = true, .down = true, .right = true});
  for (int n : {SPad::kUp, SPad::kDown}) EXPECT_LT(ud.Counter(n), 0) << n;
  ExpectCounters(ud, {{SPad::kRight, 0}, {SPad::kRightOnly, -2}});  // up and down count as held
}

TEST(SPadCounters, RepeatCounterOfAHeldDirection) {
  SPad pad;
  std::vector<int> rep;
  for (int f = 1; f <= 21; ++f) {
    Step(pad, {.right = true});
    rep.push_back(pad.Counter(SPad::kRepeatUp + 3));
  }
  std::vector<int> expected = {0};
  for (int i = 1; i <= 17; ++i) expected.push_back(-i);
  expected.insert(expected.end(), {0, 1, 2});
  EXPECT_EQ(rep, expected);
  Step(pad, {});
  ExpectCounters(pad, {{SPad::kRepeatUp + 3, -1}, {SPad::kRepeatTimer, -1}});
}

TEST(SPadCounters, ButtonsAnalogAndAccessorNumbers) {
  SPad pad;
  Step(pad, {.button = 11});  // raw word 15: start
  EXPECT_EQ(pad.GetCounter(SPad::PAD_START), 0);
  EXPECT_EQ(pad.Counter(SPad::kButton0 + 11), 0);
  Step(pad, {.button = 4});  // raw word 8: service
  ExpectCounters(pad, {{SPad::PAD_SERVICE, 0}, {SPad::PAD_START, -1}}, true);
  Step(pad, {.up = true, .button = 0});
  // 8 and 105 are no counter accessors.
  ExpectCounters(pad, {{SPad::PAD_UP, 0}, {SPad::PAD_BUTTON1, 0}, {SPad::PAD_BUTTON2, -4}, {8, -1}, {105, -1}}, true);
  EXPECT_EQ(SPad::AccessorToIndex(104), 68);
  EXPECT_EQ(SPad::AccessorToIndex(76), 46);

  SPad analog;
  analog.raw_[16] = -500;
  analog.raw_[17] = 900;
  analog.Update();
  // Threshold 0: the axes move no direction.
  ExpectCounters(analog, {{SPad::kUp, -2}, {SPad::kAnalogCopy, -500}, {SPad::kAnalogCopy + 1, 900}});
  analog.SetThreshold(400);
  analog.Update();
  EXPECT_EQ(analog.Counter(SPad::kUpLeft), 0);
}

TEST(SPadRegistration, PortsCountOnceAndOnlyRegisteredOnesUnregister) {
  SCtrlMan man;
  SPad pad;
  pad.Register(3);
  pad.Register(3);
  uint32_t mask = 0;
  pad.GetPortMask(&mask);
  EXPECT_EQ(mask, 1u << 3);
  EXPECT_EQ(pad.portCount_, 1u);
  pad.Register(16);  // no such port
  EXPECT_EQ(pad.portCount_, 1u);
  pad.Unregister(5);  // never registered: nothing changes
  EXPECT_EQ(pad.portCount_, 1u);
  ASSERT_EQ(man.GetPads().size(), 1u);
  pad.Register(7);
  pad.Unregister(3);
  EXPECT_EQ(man.GetPads().size(), 1u);
  pad.Unregister(7);
  EXPECT_TRUE(man.GetPads().empty());
  {
    SPad temp;
    temp.Register(0);
    EXPECT_EQ(man.GetPads().size(), 1u);
  }
  EXPECT_TRUE(man.GetPads().empty());  // a destroyed pad leaves the list
  pad.Register(1);
  pad.UnregisterAll();
  EXPECT_EQ(pad.portMask_, 0u);
  EXPECT_TRUE(man.GetPads().empty());
}

}  // namespace
