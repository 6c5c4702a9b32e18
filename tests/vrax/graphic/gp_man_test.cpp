#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "gp_support.h"
#include "vrax/graphic/SGpMan.h"
#include "vrax/graphic/SGpPacket.h"
#include "vrax/graphic/SGpQueue.h"
#include "vrax/graphic/SGpState.h"
#include "platform/clock.h"
#include "vrax/kernel/SKernel.h"

namespace {

// Records a note when the default state block has run (its Z mode packet
// sets LESSEQUAL).
struct ZProbe : SGpObj {
  explicit ZProbe(std::vector<std::string>* log) : log(log) {}
  void Execute() override { log->push_back(SGpMan::GetZMode() == 1 ? "block-ran" : "block-not-yet"); }
  std::vector<std::string>* log;
};

// A game-side process that enters packets in EVENT_DRAW.
class Drawer : public SProc {
 public:
  std::function<void()> onDraw;

 protected:
  int32_t Init(SProcArg) override {
    SetName("Drawer");
    SetInitResult(0);
    return 0;
  }
  int32_t Draw(SProcArg) override {
    if (onDraw) onDraw();
    return 0;
  }
};

class GpManFrame : public ::testing::Test {
 protected:
  void SetUp() override {
    SGpMan::ResetRenderState();
    SGpMan::SetStartsSound(false);
    ASSERT_EQ(kernel.Start(), 0);
    SGpDeviceRecord rec;  // null window: the null device
    rec.holdRate = holdRate;
    rec.fullScreen = fullScreen;
    ASSERT_EQ(kernel.AddChild(0, &gp, reinterpret_cast<SProcArg>(&rec)), 0);
    gp.SetStatic(true);
    ASSERT_EQ(kernel.AddChild(2, &drawer, 0), 0);
    drawer.SetStatic(true);
    kernel.Step();  // the first step only makes everything running
  }
  void TearDown() override {
    kernel.Kill(0);
    kernel.Dispose();
    SGpMan::SetStartsSound(true);
    SGpMan::ResetRenderState();
  }
  int holdRate = 0;
  int fullScreen = 0;
  SKernel kernel;
  SGpMan gp;
  Drawer drawer;
};

TEST_F(GpManFrame, QueueRunsKey63FirstAndKey0LastEveryFrame) {
  std::vector<std::string> log;
  Tag k0(&log, "k0"), k63(&log, "k63"), k10(&log, "k10"), front63(&log, "front63");
  ZProbe probe(&log);
  drawer.onDraw = [&] {
    k0.Enter(0);
    probe.Enter(63);  // behind the default block in key 63
    k10.Enter(10);
    k63.Enter(63);
    front63.EnterFront(63);  // ahead of the default block
  };
  EXPECT_EQ(GetGpMan(), &gp);
  EXPECT_EQ(gp.GetName(), "VRAX Graphic Manager");
  kernel.Step();
  EXPECT_EQ(log, (std::vector<std::string>{"front63", "block-ran", "k63", "k10", "k0"}));
  log.clear();
  kernel.Step();  // the queue was reset: the same five again, nothing twice
  EXPECT_EQ(log.size(), 5u);
  EXPECT_EQ(SGpMan::GetDevice()->GetStats().presents, 2u);
}

// The manager's queue has 64 keys, its packet memory 256 KB, and the frame
// hold's unit is one period of 0.0167006254 s on the counter >> 8.
TEST_F(GpManFrame, QueueSizePacketMemoryAndFramePeriod) {
  ASSERT_NE(gp.GetQueue(), nullptr);
  EXPECT_EQ(gp.GetQueue()->GetBucketCount(), 64);
  EXPECT_EQ(gp.GetCurrentQueue(), gp.GetQueue());
  EXPECT_EQ(gp.GetDefaultKey(), 0);
  ASSERT_NE(gp.GetPacketMemory(), nullptr);
  EXPECT_GT(gp.GetPacketMemory()->Capacity(), 262144u - 16u);
  EXPECT_LE(gp.GetPacketMemory()->Capacity(), 262144u);
  const double ticksPerFrame = static_cast<double>(plat::PerfFrequency() >> 8) * 0.0167006254;
  EXPECT_NEAR(SGpMan::TicksToFrames(static_cast<uint32_t>(ticksPerFrame * 3.0)), 3.0f, 0.01f);
}

// Full screen takes, of the modes of the asked size, the one nearest 60 Hz,
// the first listed on a tie; none of that size leaves 0 (the default).
TEST(GpMan, FullScreenRefreshRateNearest60) {
  using M = plat::DisplayMode;
  EXPECT_EQ(SGpMan::PickRefreshRate({{640, 480, 75}, {640, 480, 60}, {640, 480, 72}, {800, 600, 60}}, 640, 480), 60);
  EXPECT_EQ(SGpMan::PickRefreshRate({{640, 480, 61}, {640, 480, 59}}, 640, 480), 61);
  EXPECT_EQ(SGpMan::PickRefreshRate({{640, 480, 59}, {640, 480, 61}}, 640, 480), 59);
  EXPECT_EQ(SGpMan::PickRefreshRate({M{1280, 720, 60}, M{1280, 720, 50}}, 1280, 720), 60);
  EXPECT_EQ(SGpMan::PickRefreshRate({{800, 600, 60}, {640, 400, 60}}, 640, 480), 0);
  EXPECT_EQ(SGpMan::PickRefreshRate({}, 640, 480), 0);
}

TEST_F(GpManFrame, DefaultBlockState) {
  kernel.Step();
  plat::GfxDevice* d = SGpMan::GetDevice();
  EXPECT_EQ(gp.GetDefaultPacketCount(), 10);
  EXPECT_EQ(SGpMan::GetClipNear(), 8.0f);
  EXPECT_EQ(SGpMan::GetClipFar(), 4096.0f);
  EXPECT_EQ(SGpMan::GetViewParams()[2], 512.0f);
  EXPECT_EQ(SGpMan::GetView().m[3][2], 512.0f);
  EXPECT_EQ(d->GetRenderState(plat::kRsAlphaBlendEnable), 0u);
  EXPECT_EQ(d->GetRenderState(plat::kRsZFunc), plat::kCmpLessEqual);
  EXPECT_EQ(d->GetRenderState(plat::kRsFogEnable), 0u);
  EXPECT_EQ(d->GetRenderState(plat::kRsAmbient), 0x001A1A1Au);
  EXPECT_EQ(SGpMan::GetLightEnable(), 7u);
  EXPECT_NEAR(SGpMan::GetLightDirection(0).x, 0.57735f, 1e-5f);
  // The rest of the default table: cull 0, a 640x480 screen, the play
  // rectangle, the three lights (directions normalised), blend 0 with
  // alpha 0.25, Z mode 1.
  EXPECT_EQ(SGpMan::GetCullMode(), 0);
  EXPECT_EQ(SGpMan::GetViewParams()[0], 640.0f);
  EXPECT_EQ(SGpMan::GetViewParams()[1], 480.0f);
  const float rect[4] = {-320.0f, -240.0f, 640.0f, 480.0f};
  for (int i = 0; i < 4; ++i) EXPECT_EQ(SGpMan::GetViewRect()[i], rect[i]) << i;
  const float dirs[3][3] = {{0.57735f, 0.57735f, -0.57735f},
                            {0.235702f, -0.942809f, 0.235702f},
                            {-0.666667f, 0.666667f, 0.333333f}};
  const float colours[3][3] = {{1.0f, 0.5f, 0.25f}, {0.25f, 0.25f, 0.25f}, {0.25f, 0.25f, 0.25f}};
  for (int l = 0; l < 3; ++l) {
    const SVec4 dir = SGpMan::GetLightDirection(l);
    EXPECT_NEAR(dir.x, dirs[l][0], 1e-5f) << l;
    EXPECT_NEAR(dir.y, dirs[l][1], 1e-5f) << l;
    EXPECT_NEAR(dir.z, dirs[l][2], 1e-5f) << l;
    const SGpColour c = SGpMan::GetLightColour(l);
    EXPECT_EQ(c.r, colours[l][0]) << l;
    EXPECT_EQ(c.g, colours[l][1]) << l;
    EXPECT_EQ(c.b, colours[l][2]) << l;
  }
  EXPECT_EQ(SGpMan::GetBlendMode(), 0);
  EXPECT_EQ(SGpMan::GetBlendAlpha(), 0.25f);
  EXPECT_EQ(SGpMan::GetZMode(), 1);
  // The viewport during the queue is the 4:3 play view; the frame end set
  // the full one.
  plat::Viewport vp{};
  d->GetViewport(&vp);
  EXPECT_EQ(vp.width, 640u);
}

TEST_F(GpManFrame, PresentSkipHidesTheNextFrameOnly) {
  plat::GfxDevice* d = SGpMan::GetDevice();
  int frame = 0;
  std::vector<bool> skippedDuringQueue;
  struct SkipProbe : SGpObj {
    std::vector<bool>* out;
    void Execute() override { out->push_back(SGpMan::IsPresentSkipped()); }
  } probe;
  probe.out = &skippedDuringQueue;
  drawer.onDraw = [&] {
    gp.SetPresentSkip(0);  // as the game does at the start of its draw
    if (frame == 1) gp.SetPresentSkip(1);
    probe.Enter(0);
    ++frame;
  };
  uint64_t p0 = d->GetStats().presents;
  // Frame 1 sets the request and is still presented; frame 2 runs its queue
  // but is not presented; frame 3 is shown again.
  for (uint64_t presentsAfter : {1, 2, 2, 3}) {
    kernel.Step();
    EXPECT_EQ(d->GetStats().presents, p0 + presentsAfter);
  }
  EXPECT_EQ(skippedDuringQueue, (std::vector<bool>{false, false, true, false}));
}

// A window-less device with the frame hold on: presents are never closer
// than one frame period (a lower bound, so load cannot break it).
struct GpManHeld : GpManFrame {
  void SetUp() override {
    holdRate = 1;
    GpManFrame::SetUp();
  }
};
TEST_F(GpManHeld, WindowedHoldSpacesPresents) {
  kernel.Step();  // first present
  int64_t t0 = plat::PerfCounter();
  for (int i = 0; i < 3; ++i) kernel.Step();
  double seconds = static_cast<double>(plat::PerfCounter() - t0) / static_cast<double>(plat::PerfFrequency());
  // t0 is read after the first present returned, so the three periods that
  // follow it may measure a little short of 3 periods by that stretch (seen:
  // 2 us); a millisecond is far below one period.
  EXPECT_GT(seconds, 3 * 0.0167006254 - 0.001);
  EXPECT_EQ(SGpMan::GetDevice()->GetStats().presents, 4u);
}

// A counter of the test's own, 256 ns (one tick of the hold) a reading.
int64_t g_counter = 0;
int64_t StepCounter() {
  const int64_t t = g_counter;
  g_counter += 256;
  return t;
}

// The hold reads the counter from the previous present's reading on and
// ends with the first reading 65237 ticks on (more than one period of
// 65236.8 ticks): 65237 readings, then one after the present. Without the
// hold, or in a frame that is not shown, only the reading after the present
// is taken.
TEST_F(GpManHeld, TheHoldSpinsFromThePreviousPresentToTheFirstTickPastOnePeriod) {
  SGpMan::SetPerfCounter(&StepCounter);
  int frame = 0;
  drawer.onDraw = [&] {
    gp.SetPresentSkip(frame == 2 ? 1 : 0);  // asked in the third frame: the fourth is not shown
    ++frame;
  };
  kernel.Step();  // frame 0: from a present of an earlier counter
  std::vector<int64_t> readings;
  for (int i = 0; i < 4; ++i) {
    const int64_t before = g_counter;
    kernel.Step();
    readings.push_back((g_counter - before) / 256);
  }
  SGpMan::SetPerfCounter(nullptr);
  EXPECT_EQ(readings, (std::vector<int64_t>{65238, 65238, 1, 65238}));
}

// A counter of ticks (256 ns a reading, as above) whose present takes
// g_presentTicks: the first reading after a present has counted is that
// much later, as after a present that waited for the vertical blank (0: a
// present that returns at once).
int64_t g_presentTicks = 0;
uint64_t g_presentsSeen = 0;
int64_t PresentTimedCounter() {
  if (plat::GfxDevice* d = SGpMan::GetDevice()) {
    if (d->GetStats().presents != g_presentsSeen) g_counter += g_presentTicks * 256;
    g_presentsSeen = d->GetStats().presents;
  }
  return StepCounter();
}

// Ticks from the reading after one present to the reading after the next,
// for four frames after a first one: `logic` ticks of game work in each
// frame's drawing, the present taking `present` ticks. The second frame
// asks for the skip, so the third is not shown (it reads the counter once,
// after its work); the fourth is shown again.
std::vector<int64_t> FrameTicks(SKernel& kernel, SGpMan& gp, Drawer& drawer, int64_t logic, int64_t present) {
  g_presentTicks = present;
  g_presentsSeen = SGpMan::GetDevice()->GetStats().presents;
  SGpMan::SetPerfCounter(&PresentTimedCounter);
  int frame = 0;
  drawer.onDraw = [&] {
    g_counter += logic * 256;
    gp.SetPresentSkip(frame == 2 ? 1 : 0);
    ++frame;
  };
  kernel.Step();  // from a present of an earlier counter
  std::vector<int64_t> ticks;
  for (int i = 0; i < 4; ++i) {
    const int64_t before = g_counter;
    kernel.Step();
    ticks.push_back((g_counter - before) / 256);
  }
  SGpMan::SetPerfCounter(nullptr);
  drawer.onDraw = nullptr;
  return ticks;
}

// Full screen with the hold, on a display that may or may not wait for the
// vertical blank: the present's time counts within the period and the rest
// is held after it. From one present's reading to the next is 65238 ticks
// (65237, the first reading more than a period of 65236.8 ticks on, ends
// the hold; the next reading is the present's) whatever the game's work and
// the present take within the period: a present that returns at once, one
// that takes 30000 ticks, work of 20000 ticks before either. A frame whose
// work and present pass the period is not held: its first reading after
// the present (work + present + 1 ticks on) is due, and the present's
// reading follows: 40000 + 30000 + 2 ticks. A frame that is not shown is
// neither presented nor held: its work and one reading.
struct GpManFullScreenHeld : GpManFrame {
  void SetUp() override {
    holdRate = 1;
    fullScreen = 1;
    GpManFrame::SetUp();
  }
};
TEST_F(GpManFullScreenHeld, ThePresentCountsWithinThePeriodAndTheRestIsHeld) {
  EXPECT_TRUE(SGpMan::GetDevice()->Params().fullScreen);
  EXPECT_TRUE(SGpMan::GetDevice()->Params().vsync);
  using V = std::vector<int64_t>;
  EXPECT_EQ(FrameTicks(kernel, gp, drawer, 0, 0), (V{65238, 65238, 1, 65238}));
  EXPECT_EQ(FrameTicks(kernel, gp, drawer, 0, 30000), (V{65238, 65238, 1, 65238}));
  EXPECT_EQ(FrameTicks(kernel, gp, drawer, 20000, 0), (V{65238, 65238, 20001, 65238}));
  EXPECT_EQ(FrameTicks(kernel, gp, drawer, 20000, 30000), (V{65238, 65238, 20001, 65238}));
  EXPECT_EQ(FrameTicks(kernel, gp, drawer, 40000, 30000), (V{70002, 70002, 40001, 70002}));
  EXPECT_EQ(SGpMan::GetDevice()->GetStats().presents, 5u * 4u);
}

// In a window the hold comes before the present: a frame lasts the period
// and the present's own time (65238 + 30000 ticks).
TEST_F(GpManHeld, TheWindowHoldsBeforeThePresent) {
  using V = std::vector<int64_t>;
  EXPECT_EQ(FrameTicks(kernel, gp, drawer, 0, 30000), (V{65238 + 30000, 65238 + 30000, 1, 65238 + 30000}));
}

TEST_F(GpManFrame, WithoutTheHoldOnlyThePresentIsTimed) {
  SGpMan::SetPerfCounter(&StepCounter);
  const int64_t before = g_counter;
  for (int i = 0; i < 3; ++i) kernel.Step();
  SGpMan::SetPerfCounter(nullptr);
  EXPECT_EQ((g_counter - before) / 256, 3);
}

// Records what the frame end asks of the service and its overlay.
class RecordingServices : public SGpFrameServices {
 public:
  std::vector<std::string> log;
  bool hardwareError = false;
  bool testMode = false;
  bool IsHighResolution() override { return true; }
  bool CheckHardwareError() override {
    log.push_back("check");
    return hardwareError;
  }
  bool IsTestMode() override { return testMode; }
  int32_t ReadSharedStatus() override { return 42; }
  void CreateOverlay(plat::GfxDevice*, bool high, bool) override {
    overlay = true;
    log.push_back(high ? "create-hd" : "create-sd");
  }
  void DestroyOverlay() override {
    overlay = false;
    log.push_back("destroy");
  }
  bool HasOverlay() override { return overlay; }
  bool OverlayLoaded() override { return true; }
  bool OverlayIdle() override { return false; }
  void DrawOverlayBackground() override { log.push_back("background"); }
  void RenderOverlay(int32_t status) override {
    plat::Viewport vp{};
    SGpMan::GetDevice()->GetViewport(&vp);
    log.push_back("render" + std::to_string(status) + "@" + std::to_string(vp.x) + "," + std::to_string(vp.width));
  }
  bool overlay = false;
};

TEST(GpMan, HighResolutionViewportsAndTheServiceOverlay) {
  RecordingServices services;
  SGpMan::SetFrameServices(&services);
  SGpMan::SetStartsSound(false);
  SKernel kernel;
  ASSERT_EQ(kernel.Start(), 0);
  SGpMan gp;
  gp.SetStatic(true);
  Drawer drawer;
  drawer.SetStatic(true);
  std::vector<std::string> viewports;
  struct VpProbe : SGpObj {
    std::vector<std::string>* out;
    void Execute() override {
      plat::Viewport vp{};
      SGpMan::GetDevice()->GetViewport(&vp);
      out->push_back(std::to_string(vp.x) + "," + std::to_string(vp.y) + "," + std::to_string(vp.width) + "," +
                     std::to_string(vp.height));
    }
  } probe;
  probe.out = &viewports;
  int frame = 0;
  drawer.onDraw = [&] {
    gp.SetPresentSkip(frame == 1 ? 1 : 0);
    probe.Enter(0);
    ++frame;
  };
  SGpDeviceRecord rec;
  rec.width = 1280, rec.height = 720, rec.holdRate = 0;
  ASSERT_EQ(kernel.AddChild(0, &gp, reinterpret_cast<SProcArg>(&rec)), 0);
  ASSERT_EQ(kernel.AddChild(2, &drawer, 0), 0);
  kernel.Step();
  kernel.Step();  // frame 0: overlay drawn under the full viewport
  kernel.Step();  // frame 1: requests the skip; still shown
  kernel.Step();  // frame 2: skipped, no overlay, no hardware check
  services.testMode = true;
  services.hardwareError = true;
  kernel.Step();  // frame 3: the error latches, the overlay stops
  services.hardwareError = false;
  kernel.Step();  // the latch stays: no further check, no overlay
  EXPECT_EQ(viewports[0], "160,0,960,720");
  EXPECT_EQ(services.log, (std::vector<std::string>{"create-hd", "check", "background", "render42@0,1280", "check",
                                                    "background", "render42@0,1280", "check"}));
  EXPECT_TRUE(SGpMan::HardwareErrorLatched());
  kernel.Kill(0);
  kernel.Dispose();
  EXPECT_EQ(services.log.back(), "destroy");
  SGpMan::SetFrameServices(nullptr);
  SGpMan::SetStartsSound(true);
}

}  // namespace
