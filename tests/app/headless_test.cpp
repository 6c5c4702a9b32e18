#include "support/Headless.h"

#include <gtest/gtest.h>

#include <array>
#include <memory>

#include "cabinet/ServiceClient.h"
#include "game/core/Game.h"
#include "game/core/RankTable.h"
#include "game/effect/EfxMan.h"
#include "game/effect/EfxTables.h"
#include "game/player/DashForm.h"
#include "game/tables/testmode_tables.h"
#include "platform/crt_rand.h"
#include "support/fake_cab_io_driver.h"
#include "platform/window.h"
#include "support/ImageCompare.h"
#include "vrax/graphic/SGpMan.h"
#include "vrax/graphic/SGpSpriteCell.h"
#include "vrax/input/SCtrlMan.h"
#include "vrax/io/SIOMan.h"
#include "vrax/kernel/SKernel.h"
#include "vrax/resource/SRscMan.h"

namespace {

// Counts the frames in which it ran its logic; closes the window on request.
class FrameProbe : public SProc {
 public:
  int32_t Init(SProcArg) override {
    SetName("FrameProbe");
    return 0;
  }
  int32_t Main(SProcArg) override {
    if (++mains == closeAt) PostCloseToMainWindow();
    return 0;
  }
  int mains = 0;
  int closeAt = -1;
};

TEST(Headless, RunsFramesUntilTheGameClosesTheWindow) {
  FrameProbe probe;
  probe.closeAt = 3;
  testsupport::HeadlessOptions opt;
  opt.extraManager = &probe;
  testsupport::Headless sys(opt);
  ASSERT_TRUE(sys.Ok()) << sys.Failure();
  EXPECT_EQ(sys.App().Width(), 640);
  EXPECT_EQ(sys.Step(2), 2);
  EXPECT_EQ(probe.mains, 1);  // the first frame only starts the processes
  // Frame 4 runs the third logic pass, which posts the close; frame 5 sees
  // the quit message and does not run.
  EXPECT_EQ(sys.Step(10), 2);
  EXPECT_TRUE(sys.QuitRequested());
  EXPECT_EQ(probe.mains, 3);
  EXPECT_EQ(sys.Step(), 0);
}

// Every pixel of the picture between the service's side images (140 or 370
// pixels at each edge, drawn on every frame) is the frame's clear colour,
// opaque black.
void ExpectClearedFrame(const plat::Image& img, int w, int h) {
  ASSERT_EQ(img.width, w);
  ASSERT_EQ(img.height, h);
  const int bar = w == 1280 ? 370 : 140;
  plat::Image middle =
      testsupport::MakeImage(w - 2 * bar, h, [&](int x, int y) { return testsupport::PixelAt(img, x + bar, y); });
  plat::Image black = testsupport::MakeImage(w - 2 * bar, h, [](int, int) { return 0xFF000000u; });
  EXPECT_TRUE(testsupport::ImagesMatch(middle, black, 0));
}

// The game root ends: the frames that follow draw nothing but the clear.
void EndTheGame() {
  if (Game* g = GetGame()) g->Kill(0);
}

TEST(Headless, ScreenshotOfAClearedFrame) {
  testsupport::Headless sys;
  ASSERT_TRUE(sys.Ok()) << sys.Failure();
  sys.Step(1);
  EndTheGame();
  ASSERT_NE(SGpMan::GetDevice(), nullptr);
  EXPECT_FALSE(SGpMan::GetDevice()->IsNull());
  sys.Step(3);
  plat::Image img;
  ASSERT_TRUE(sys.Screenshot(&img));
  ExpectClearedFrame(img, 640, 480);
}

TEST(Headless, NullDeviceRunsWithoutDrawing) {
  testsupport::HeadlessOptions opt;
  opt.nullDevice = true;
  testsupport::Headless sys(opt);
  ASSERT_TRUE(sys.Ok()) << sys.Failure();
  ASSERT_NE(SGpMan::GetDevice(), nullptr);
  EXPECT_TRUE(SGpMan::GetDevice()->IsNull());
  EXPECT_EQ(sys.Step(1), 1);
  EndTheGame();
  EXPECT_EQ(sys.Step(2), 2);
  plat::Image img;
  ASSERT_TRUE(sys.Screenshot(&img));
  ExpectClearedFrame(img, 640, 480);
}

TEST(Headless, ServiceResolutionPicksTheBackBufferSize) {
  testsupport::HeadlessOptions opt;
  opt.highResolution = true;
  opt.verticalScreen = true;
  testsupport::Headless sys(opt);
  ASSERT_TRUE(sys.Ok()) << sys.Failure();
  EXPECT_TRUE(IsHighResolution());
  EXPECT_TRUE(IsScreenVertical());
  EXPECT_EQ(sys.App().Width(), 1280);
  EXPECT_EQ(sys.App().Height(), 720);
  int w = 0, h = 0;
  sys.App().Window().GetDrawableSize(&w, &h);
  EXPECT_EQ(w, 1280);
  EXPECT_EQ(h, 720);
  EXPECT_FLOAT_EQ(GetAspectRatio(), 4.0f / 3.0f);
  sys.Step(1);
  EndTheGame();
  sys.Step(2);
  plat::Image img;
  ASSERT_TRUE(sys.Screenshot(&img));
  ExpectClearedFrame(img, 1280, 720);
}

TEST(Headless, InjectedInputsReachTheControllerManager) {
  testsupport::Headless sys;
  ASSERT_TRUE(sys.Ok()) << sys.Failure();
  ASSERT_NE(SCtrlMan::GetInstance(), nullptr);
  sys.Hold(plat::CabInput::kStart);
  sys.Hold(plat::CabInput::kButton1);
  sys.Step(3);
  EXPECT_EQ(EngineInputBits, (1u << 31) | (1u << 26));
  sys.ReleaseAll();
  sys.Step();
  EXPECT_EQ(EngineInputBits, 0u);
}

TEST(Headless, EscapeEndsTheRun) {
  testsupport::Headless sys;
  ASSERT_TRUE(sys.Ok()) << sys.Failure();
  EXPECT_FALSE(IsHighResolution());
  sys.Step(2);
  sys.App().Window().PostKeyDown(int32_t(plat::KeyCode::kEscape));
  EXPECT_EQ(sys.Step(5), 0);
  EXPECT_TRUE(sys.QuitRequested());
}

}  // namespace

namespace {

// The managers end in their lists in the order the frame step relies on.
TEST(Headless, ManagersSettleInTheirKernelLists) {
  testsupport::Headless sys;
  ASSERT_TRUE(sys.Ok()) << sys.Failure();
  SKernel* k = SKernel::GetInstance();
  ASSERT_NE(k, nullptr);
  auto names = [&](int n) {
    std::vector<std::string> v;
    SProcList* l = k->GetList(n);
    for (SProc* p = l ? l->Head() : nullptr; p; p = SProcList::Next(p)) v.push_back(p->GetName());
    return v;
  };
  EXPECT_EQ(names(0), std::vector<std::string>{"VRAX Graphic Manager"});
  EXPECT_EQ(names(1), std::vector<std::string>{"VRAX Controller Manager"});
  ASSERT_NE(GetGame(), nullptr);
  EXPECT_EQ(names(2), std::vector<std::string>{GetGame()->GetName()});
  ASSERT_EQ(names(3).size(), 2u);
  EXPECT_EQ(names(3)[0], SIOMan::GetInstance()->GetName());
  EXPECT_EQ(names(3)[1], GetRscMan()->GetName());
}

}  // namespace

namespace {

// The whole program left alone for ten seconds of frames: it keeps running,
// does not ask to quit, and every part survives the sanitizers.
TEST(Headless, TenSecondsUnattended) {
  testsupport::HeadlessOptions opt;
  opt.nullDevice = true;
  testsupport::Headless sys(opt);
  ASSERT_TRUE(sys.Ok()) << sys.Failure();
  EXPECT_EQ(sys.Step(600), 600);
  EXPECT_FALSE(sys.QuitRequested());
  ASSERT_NE(GetGame(), nullptr);
  EXPECT_EQ(GetGame()->GetState(), SProc::STATE_RUNNING);
  EXPECT_EQ(SKernel::GetInstance()->GetState(), SProc::STATE_RUNNING);
}

// What outlives a run is as a new process finds it once the harness has
// ended the run, whatever the run left there: an effect sprite holding a
// cell of the engine's sprite pool, a marker of the dash formation, the
// graphic module's hardware-error latch (the board's link went down), a
// chain in the first ranking row (the default reset keeps it), a mark of
// the input test and the random generator's seed.
TEST(Headless, AnEndedRunLeavesWhatOutlivesItAsANewProcessFindsIt) {
  const std::array<TestLayoutRecord, 8> switches = std::to_array(InputSwitchTable);
  FakeCabIoDriver board;
  board.SetUpLinkedBoard();
  ScopedCabIoDriver scoped(&board);
  auto sys = std::make_unique<testsupport::Headless>(testsupport::NullDevice());
  ASSERT_TRUE(sys->Ok()) << sys->Failure();
  ASSERT_GE(testsupport::RunUntilScene(*sys, "Notice", 600), 0);
  const SVec4 at{0.0f, 0.0f, 0.0f, 1.0f};
  ASSERT_NE(g_EfxMan.SpawnSprite(6, &at, EfxKeyList7, nullptr, nullptr, 600, 600, 0, 1, 1, nullptr, nullptr, 0, 1),
            nullptr);
  ASSERT_LT(GetSpriteCellPool()->GetFree(), GetSpriteCellPool()->Capacity());
  g_DashForm.slots[0].marker = DashForm::MARK_SHOWN;
  RankTable[0].word[3] = 10;
  InputSwitchTable[2].index ^= 1;
  board.regs[0x4000] = 0x00030000;  // the unit reports its link down
  sys->Step(3);
  ASSERT_TRUE(SGpMan::HardwareErrorLatched());
  sys.reset();
  EXPECT_EQ(GetSpriteCellPool()->GetFree(), GetSpriteCellPool()->Capacity());
  EXPECT_EQ(g_DashForm.slots[0].marker, DashForm::MARK_IDLE);
  EXPECT_FALSE(SGpMan::HardwareErrorLatched());
  for (const RankEntry& e : RankTable)
    for (uint32_t w : e.word) EXPECT_EQ(w, 0u);
  for (size_t i = 0; i < switches.size(); ++i) EXPECT_EQ(InputSwitchTable[i].index, switches[i].index) << i;
  EXPECT_EQ(plat::RandSeed(), 1u);
}

}  // namespace
