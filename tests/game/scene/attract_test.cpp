// The attract scenes through the whole program: state lengths, a missing
// cache archive, coins and free-play starts, a fake board's faults and the
// error screen; pictures of each screen.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <tuple>
#include <vector>

#include "game/core/CoinCounter.h"
#include "game/core/Game.h"
#include "game/effect/ELaserGen.h"
#include "game/scene/AttractScene.h"
#include "game/scene/HardwareErrorScreen.h"
#include "game/scene/Logo.h"
#include "game/scene/Notice.h"
#include "game/scene/Opening.h"
#include "support/Headless.h"
#include "support/ImageCompare.h"
#include "support/ErrorBox.h"
#include "support/ExpectAll.h"
#include "support/TempDir.h"
#include "support/fake_cab_io_driver.h"
#include "vrax/input/SCtrlMan.h"

namespace {

namespace fs = std::filesystem;
using testsupport::Headless;
using testsupport::RunUntilScene;

// The live or ending scene (it kills itself in the last frame of a state).
AttractScene* LiveAttractScene() {
  SProcList* l = GetGame()->GetList(GAME_LIST_SCENE);
  for (SProc* p = l ? l->Head() : nullptr; p; p = SProcList::Next(p)) {
    const int32_t st = p->GetState();
    if (st == SProc::STATE_ADDED || st == SProc::STATE_RUNNING || st == SProc::STATE_DYING)
      if (auto* a = dynamic_cast<AttractScene*>(p)) return a;
  }
  return nullptr;
}

// Also with the logo's cache archive missing: the logo builds it.
TEST(AttractScenes, NoticeLogoAndOpeningRunTheirStatesForTheirFrames) {
  testsupport::TempDir dir("attract_data");
  testsupport::LinkDataTreeWithout(dir, {"cache/logo.sca"});
  testsupport::ScopedDataDir data(dir.Path());
  AttractCounter = 0;  // as at power-on
  Headless h(testsupport::NullDevice());
  ASSERT_TRUE(h.Ok()) << h.Failure();
  std::vector<std::pair<std::string, int>> runs;
  int32_t lastText = -1;
  for (int i = 0; i < 4000 && GetGame()->GetSceneId() != SCENE_TITLE; ++i) {
    h.Step();
    AttractScene* s = LiveAttractScene();
    if (!s) continue;
    if (auto* o = dynamic_cast<Opening*>(s)) lastText = o->GetTextFrame();
    const std::string key = s->GetName() + " " + std::to_string(s->GetSceneState());
    if (runs.empty() || runs.back().first != key) runs.push_back({key, 0});
    ++runs.back().second;
  }
  ASSERT_EQ(GetGame()->GetSceneId(), SCENE_TITLE);
  // Every state but the load states, for as many frames as it shows (the
  // last state includes the frame in which the scene kills itself).
  std::vector<std::string> shown;
  for (const auto& [key, frames] : runs)
    if (key.back() != '0') shown.push_back(key + " " + std::to_string(frames));
  const std::vector<std::string> want = {"Notice 1 241",  "Notice 2 62",   "Logo 1 182",    "Logo 2 62",
                                      "Opening 1 740", "Opening 2 150", "Opening 3 101", "Opening 4 101",
                                      "Opening 5 101", "Opening 6 101", "Opening 7 161", "Opening 8 101"};
  EXPECT_EQ(shown, want);
  // The logo advanced the counter to 1, which chose the opening; the coin
  // prompt's counter ran in states 1 to 7 only.
  EXPECT_EQ(AttractCounter, 1);
  EXPECT_EQ(lastText, 740 + 150 + 4 * 101 + 161);
  // The archive the logo wrote: the bytes the generator writes beside the data.
  std::ifstream generated(testsupport::GeneratedDataRoot() + "/cache/logo.sca", std::ios::binary);
  EXPECT_EQ(dir.Read("cache/logo.sca"), std::string(std::istreambuf_iterator<char>(generated), {}));
}

// Left alone the program goes round the attract scenes in order, each at least
// twice (two rounds take about 28,000 frames), with no error line.
TEST(AttractScenes, LeftAloneTheProgramGoesRoundTheAttractSequence) {
  testsupport::ErrorBoxCatcher errors;
  AttractCounter = 0;
  Headless h(testsupport::NullDevice());
  ASSERT_TRUE(h.Ok()) << h.Failure();
  Game* g = GetGame();
  std::vector<int32_t> seen;
  for (int i = 0; i < 30000; ++i) {
    h.Step();
    const int32_t id = g->GetSceneId() == SCENE_STAGE ? 1000 + g->GetCurrentRequest().a1 : g->GetSceneId();
    if (seen.empty() || seen.back() != id) seen.push_back(id);
  }
  const std::vector<int32_t> round = {4, 14, 5, 13, 4, 1101, 6, 5, 13, 4, 14, 5, 13, 4, 1102, 6, 5, 13,
                                      4, 14, 5, 13, 4, 1103, 6, 5, 13};
  std::erase_if(seen, [](int32_t id) { return id < SCENE_NOTICE; });  // the start-up's own scenes
  ASSERT_EQ(seen.at(0), SCENE_NOTICE);
  for (size_t i = 1; i < seen.size(); ++i) ASSERT_EQ(seen[i], round[(i - 1) % round.size()]) << "step " << i;
  for (int32_t id : {4, 14, 5, 13, 6}) EXPECT_GE(std::count(seen.begin(), seen.end(), id), 2) << id;
  EXPECT_TRUE(errors.texts.empty()) << errors.texts.front();
}

TEST(AttractScenes, PromptBlinksThirtyOneFramesOnAndNineOff) {
  const char *coin = " INSERT COIN(S) \n", *over = "   GAME OVER    \n", *free = "    FREE PLAY   \n";
  const std::vector<std::tuple<int32_t, bool, bool, const char*>> cases = {
      {0, false, false, coin}, {30, false, false, coin}, {31, false, false, ""}, {39, false, false, ""},
      {40, false, false, over}, {70, false, false, over}, {71, false, false, ""}, {80, false, false, coin},
      {1, true, false, free},   {45, true, false, "PRESS START BUTTON\n     TO START"},
      {45, true, true, "PRESS START BUTTON\n"}, {75, true, true, ""}};
  for (const auto& [counter, freePlay, shortStart, line] : cases)
    EXPECT_STREQ(AttractPromptLine(counter, freePlay, shortStart), line) << counter << " " << freePlay;
}

// How a scene is interrupted; whether it ends in the frame of the poke, the
// scene requested after it, the service credits and the attract counter.
// kCreditsAndFreeStart: service credits come (3) in the very frame of a
// free-play start: both steps of the check act, the start's last.
enum class Poke { kCoin, kFreeStart, kFreeStartHeld, kCreditsAndFreeStart };
struct Interruption {
  const char* scene;
  Poke poke;
  bool endsAtOnce;
  int32_t next, serviceCredits, counter;
};

TEST(AttractScenes, CoinsAndFreePlayStartsEndEachSceneAsTheyShould) {
  const Interruption cases[] = {
      {"Notice", Poke::kCoin, false, SCENE_TITLE, 0, 0},
      {"Notice", Poke::kFreeStart, false, SCENE_TITLE, 1, 0},
      {"Logo", Poke::kCoin, true, SCENE_TITLE, 0, 0},
      {"Logo", Poke::kFreeStart, true, SCENE_TITLE, 1, 0},
      {"Logo", Poke::kFreeStartHeld, false, SCENE_OPENING, 0, 1},
      {"Opening", Poke::kCoin, true, SCENE_TITLE, 0, 1},
      {"Opening", Poke::kFreeStart, true, SCENE_TITLE, 1, 1},
      {"Logo", Poke::kCreditsAndFreeStart, true, SCENE_TITLE, 1, 0},
      {"Opening", Poke::kCreditsAndFreeStart, true, SCENE_TITLE, 1, 1},
  };
  for (const Interruption& c : cases) {
    SCOPED_TRACE(std::string(c.scene) + " poke " + std::to_string(int(c.poke)));
    AttractCounter = 0;
    Headless h(testsupport::NullDevice());
    ASSERT_TRUE(h.Ok()) << h.Failure();
    Game* g = GetGame();
    CoinCounter* coins = GetCoinCounter();
    coins->coins = coins->totalCoins = coins->credits = coins->serviceCredits = 0;  // a global
    if (c.poke != Poke::kCoin) g->settings[SettingsWord::coinPlay] = 0;
    // Start held since before the scene began is no press.
    if (c.poke == Poke::kFreeStartHeld) h.Hold(plat::CabInput::kStart);
    ASSERT_GE(RunUntilScene(h, c.scene, 3000), 0);
    h.Step(40);
    SProc* scene = testsupport::CurrentScene();
    ASSERT_NE(scene, nullptr);
    // A coin is counted once the board has taken it back, a few frames on.
    int waited = 0;
    if (c.poke == Poke::kCoin) h.Hold(plat::CabInput::kCoin);
    while (c.poke == Poke::kCoin && coins->credits == 0 && ++waited < 10) h.Step();
    if (c.poke == Poke::kFreeStart || c.poke == Poke::kCreditsAndFreeStart) h.Hold(plat::CabInput::kStart);
    if (c.poke == Poke::kCreditsAndFreeStart) {
      h.Step();  // the board sees the press; the pad sees it in the next frame
      ASSERT_NE(scene->GetState(), SProc::STATE_DYING);
      coins->serviceCredits = 3;
      h.Step();
    } else {
      h.Step(c.poke == Poke::kCoin ? 1 : 2);  // the pad sees a press a frame after the board
    }
    EXPECT_EQ(scene->GetState() == SProc::STATE_DYING, c.endsAtOnce);
    h.ReleaseAll();
    for (int i = 0; i < 400 && testsupport::CurrentScene() == scene; ++i) h.Step();
    for (int i = 0; i < 5 && testsupport::CurrentScene() == nullptr; ++i) h.Step();
    EXPECT_EQ(g->GetSceneId(), c.next);
    EXPECT_EQ(coins->serviceCredits, c.serviceCredits);
    // Only a logo that ends without credits advances the counter.
    EXPECT_EQ(AttractCounter, c.counter);
  }
  // The counter and the coins are globals: leave them as found.
  CoinCounter* coins = GetCoinCounter();
  coins->coins = coins->totalCoins = coins->credits = coins->serviceCredits = 0;
  AttractCounter = 0;
}

// A fake I/O board in each fault state, the code the check gives and the
// line the screen shows.
struct BoardCase {
  const char* name;
  bool linked, coinFault, serviceFlag;
  int32_t code;
  const char* line;
};

TEST(HardwareError, FaultsAreClassifiedAndTheScreenTakesOverForGood) {
  const BoardCase cases[] = {
      {"healthy", true, false, false, FAULT_NONE, ""},
      {"coin", true, true, false, FAULT_COIN, "COIN ERROR CREDIT:3 COIN:1/2"},
      {"unlinked", false, false, false, FAULT_IO, "I/O ERROR CREDIT:0 COIN:0/1"},
      {"service and coin", true, true, true, FAULT_SERVICE_SWITCH, "SERVICE SWITCH ERROR CREDIT:0 COIN:0/1"},
  };
  // A code outside the table names no fault rather than a row beyond it.
  for (int32_t code : {0, 4, -1, 1 << 30}) EXPECT_EQ(HardwareErrorScreen::FaultText(code), nullptr) << code;
  for (const BoardCase& c : cases) {
    SCOPED_TRACE(c.name);
    FakeCabIoDriver drv;
    drv.SetUpLinkedBoard();
    ScopedCabIoDriver scoped(&drv);
    Headless h(testsupport::NullDevice());
    ASSERT_TRUE(h.Ok()) << h.Failure();
    ASSERT_GE(RunUntilScene(h, "Notice", 600), 0);
    Game* g = GetGame();
    CoinCounter* coins = GetCoinCounter();
    if (c.code == FAULT_COIN) g->settings[SettingsWord::coinUnit] = 2;
    coins->coins = c.code == FAULT_COIN ? 7 : 0;  // 3 credits and 1 coin at 2 coins a credit
    h.Step();
    if (!c.linked) drv.regs[0x4000] = 0x00030000;  // the unit reports its link down
    if (c.coinFault) drv.regs[0x4140] = 0x80000000u;  // coin counter 0 of unit 0 in fault
    if (c.serviceFlag) SCtrlMan::GetInstance()->SetFlag(1);
    h.Step(3);
    EXPECT_EQ(CheckHardwareError(), c.code);
    EXPECT_EQ(std::tuple(CheckServiceSwitchError(), CheckCoinError(), CheckIoError()),
              std::tuple(int(c.serviceFlag), int(c.coinFault), int(!c.linked)));
    h.Step(700);  // the screen's 600-frame timer never runs out
    EXPECT_FALSE(h.QuitRequested());
    EXPECT_EQ(g_GameTakeover, c.code != FAULT_NONE ? 1 : 0);
    SProc* found = g->FindInList("CABRIERRCHECK", GAME_LIST_MANAGERS);
    if (c.code == FAULT_NONE) {
      EXPECT_EQ(found, nullptr);
      continue;
    }
    auto* screen = dynamic_cast<HardwareErrorScreen*>(found);
    ASSERT_NE(screen, nullptr);
    // Alone: every other child of the game root has ended.
    for (int32_t list = 0; list < GAME_LIST_COUNT; ++list) {
      SProcList* l = g->GetList(list);
      for (SProc* p = l->Head(); p; p = SProcList::Next(p))
        if (p != screen) { EXPECT_NE(p->GetState(), SProc::STATE_RUNNING) << p->GetName(); }
    }
    EXPECT_EQ(screen->GetStep(), HardwareErrorScreen::STEP_SHOWING);
    EXPECT_STREQ(screen->GetLine(), c.line);
    EXPECT_EQ(screen->Text().GlyphCount(), std::strlen(c.line) - std::count(c.line, std::strchr(c.line, 0), ' '));
    // Centred at 16 units a character: 27 characters start at x = -216.
    if (c.code == FAULT_IO) { EXPECT_EQ(screen->Text().GetOrigin()[0], -216.0f); }
    EXPECT_EQ(g->GetFadeLayer(), 1);
    EXPECT_EQ(g->GetFadeLevel(), 0.0f);
  }
}

// Runs until the current scene is `name` in `state` with its frame count
// at `frame`.
bool RunUntilSceneFrame(Headless& h, const std::string& name, int32_t state, int32_t frame, int limit) {
  for (int i = 0; i < limit; ++i) {
    auto* s = dynamic_cast<AttractScene*>(testsupport::CurrentScene());
    if (s && s->GetName() == name && s->GetSceneState() == state && s->GetFrame() == frame) return true;
    h.Step();
  }
  return false;
}

// Play (x, y) on the 640 x 480 screen: 0.75 pixel a unit about the centre.
int Px(float x) { return static_cast<int>(320.0f + 0.75f * x); }
int Py(float y) { return static_cast<int>(240.0f + 0.75f * y); }

TEST(AttractPictures, NoticeLogoAndAnOpeningFrame) {
  AttractCounter = 0;
  Headless h;
  ASSERT_TRUE(h.Ok()) << h.Failure();
  using testsupport::PixelsUnlike;
  constexpr uint32_t kBlack = 0xFF000000u, kWhite = 0xFFFFFFFFu;
  plat::Image shot;
  // The notice, faded in: "NOTICE" in red-orange from play (-70, -210), 28 x
  // 31 cells; the body in white from (-160, -110), eight rows 28 apart.
  ASSERT_TRUE(RunUntilSceneFrame(h, "Notice", 1, 100, 1000));
  ASSERT_TRUE(h.Screenshot(&shot));
  EXPECT_EQ(PixelsUnlike(shot, kBlack, 140, 0, 500, Py(-212), 8), 0) << "nothing above the title";
  EXPECT_GT(PixelsUnlike(shot, kBlack, Px(-70), Py(-210), Px(-70 + 6 * 28), Py(-179), 8), 100) << "the title";
  EXPECT_EQ(PixelsUnlike(shot, kBlack, Px(-160), Py(-110 + 8 * 28), 500, 480, 8), 0) << "nothing below the body";
  EXPECT_GT(PixelsUnlike(shot, kBlack, Px(-160), Py(-110), Px(100), Py(-92), 8), 100) << "the first body row";
  EXPECT_TRUE(testsupport::MatchesGolden(shot, "attract_notice.png", 8, 40));

  // The logo on its white screen.
  ASSERT_TRUE(RunUntilSceneFrame(h, "Logo", 1, 100, 1000));
  ASSERT_TRUE(h.Screenshot(&shot));
  EXPECT_EQ(PixelsUnlike(shot, kWhite, 142, 2, Px(-130), 478, 6), 0) << "white left of the logo";
  EXPECT_EQ(PixelsUnlike(shot, kWhite, Px(130), 2, 498, 478, 6), 0) << "white right of the logo";
  EXPECT_GT(PixelsUnlike(shot, kWhite, Px(-120), Py(-120), Px(120), Py(120), 6), 10000) << "the logo";
  EXPECT_TRUE(testsupport::MatchesGolden(shot, "attract_logo.png", 8, 40));

  // The prologue at frame 210: the scroll, the overlay, the first panning
  // picture and the second caption strip, with the coin prompt's second
  // line (printed at prompt count 208: the prompt counts from the first
  // draw in state 1, a frame after the state's first count).
  ASSERT_TRUE(RunUntilSceneFrame(h, "Opening", Opening::STATE_PROLOGUE, 210, 1000));
  auto* opening = dynamic_cast<Opening*>(testsupport::CurrentScene());
  ASSERT_NE(opening, nullptr);
  EXPECT_EQ(opening->GetTextFrame(), 209);
  EXPECT_EQ(opening->AttractText().GlyphCount(), 8);  // "GAME" and "OVER"
  ASSERT_TRUE(h.Screenshot(&shot));
  EXPECT_GT(PixelsUnlike(shot, kBlack, 142, 2, 498, 478, 8), 100000) << "pictures fill the screen";
  EXPECT_TRUE(testsupport::MatchesGolden(shot, "attract_opening.png", 8, 40));
}

// The logo's picture deleted (and its archive): the logo is not drawn, and
// its screen is white all over, not the logo's quad with the texture bound
// before it.
TEST(AttractPictures, ALogoWhosePictureFailedLeavesItsScreenWhite) {
  testsupport::TempDir dir("logo_data");
  testsupport::LinkDataTreeWithout(dir, {"Module/Logo_00.png", "cache/logo.sca"});
  testsupport::ScopedDataDir data(dir.Path());
  AttractCounter = 0;
  Headless h;
  ASSERT_TRUE(h.Ok()) << h.Failure();
  ASSERT_TRUE(RunUntilSceneFrame(h, "Logo", 1, 100, 1000));
  plat::Image shot;
  ASSERT_TRUE(h.Screenshot(&shot));
  EXPECT_EQ(testsupport::PixelsUnlike(shot, 0xFFFFFFFFu, 142, 2, 498, 478, 6), 0);
}

// The opening's quads at chosen frames of its timeline, worked from its
// layout: the prologue's scroll, overlay, panning pictures and captions, the
// zoom strip's depth and fade, an introduction's labels dropping in and
// rising, and the finale's light band.
TEST(AttractScenes, TheOpeningPlacesItsQuadsFrameByFrame) {
  AttractCounter = 0;  // the logo's next choice is the opening
  Headless h(testsupport::NullDevice());
  ASSERT_TRUE(h.Ok()) << h.Failure();
  const auto at = [&](int32_t state, int32_t frame) {
    return RunUntilSceneFrame(h, "Opening", state, frame, 3000);
  };
  const auto alpha = [](const SGpObj_Prim& p, int v) { return int(p.GetVertexColour(v) >> 24); };
  // Prologue, f = 100: the scroll s = -35 (y -355 to 525), the overlay
  // a = 60 (y -740 to 10), the first panning picture at p = 70 (x -430 to
  // 370), the first caption strip 50 x 312 about the centre.
  ASSERT_TRUE(at(Opening::STATE_PROLOGUE, 100));
  auto* o = dynamic_cast<Opening*>(testsupport::CurrentScene());
  ASSERT_NE(o, nullptr);
  const SGpObj_PrimQuad &layerA = o->Layer(0), &layerB = o->Layer(1), &layerC = o->Layer(2);
  EXPECT_NEAR(layerB.GetVertexPos(0).y, -355.0f, 1e-3f);
  EXPECT_NEAR(layerB.GetVertexPos(3).y, 525.0f, 1e-3f);
  EXPECT_ALL({VAL(layerB.GetVertexPos(0).x, -240.0f), VAL(layerA.GetVertexPos(0).x, -300.0f),
              VAL(layerC.GetVertexPos(0).x, -430.0f), VAL(layerC.GetVertexPos(3).x, 370.0f),
              VAL(layerC.GetVertexPos(0).y, -240.0f), VAL(alpha(layerC, 0), 255), VAL(o->GetPanFrame(), 71),
              VAL(o->Captions().GetVertexPos(0).x, -25.0f), VAL(o->Captions().GetVertexPos(0).y, -156.0f),
              VAL(o->Captions().GetVertexPos(3).x, 25.0f), VAL(o->Captions().GetVertexPos(3).y, 156.0f)});
  EXPECT_NEAR(layerA.GetVertexPos(0).y, -740.0f, 1e-3f);
  EXPECT_NEAR(layerA.GetVertexPos(3).y, 10.0f, 1e-3f);
  // f = 300: the second picture from p = 20 (the counter restarted at
  // 280), x -320 to 480, two thirds faded in; the third caption 96 x 396.
  ASSERT_TRUE(at(Opening::STATE_PROLOGUE, 300));
  EXPECT_ALL({VAL(layerC.GetVertexPos(0).x, -320.0f), VAL(layerC.GetVertexPos(3).x, 480.0f),
              VAL(o->Captions().GetVertexPos(0).x, -48.0f), VAL(o->Captions().GetVertexPos(0).y, -198.0f)});
  EXPECT_NEAR(alpha(layerC, 0), 170, 1);
  // f = 400: the fourth caption turned a quarter: its top-left vertex takes
  // the strip's bottom-left corner (u 0, v 485/512) and its top-right the
  // top-left (u 0, v 384/512); 102 x 324 about the centre.
  ASSERT_TRUE(at(Opening::STATE_PROLOGUE, 400));
  EXPECT_ALL({VAL(o->Captions().GetVertexPos(0).x, -51.0f), VAL(o->Captions().GetVertexPos(0).y, -162.0f),
              VAL(o->Captions().GetVertexUV(0).x, 0.0f), VAL(o->Captions().GetVertexUV(0).y, 485.0f / 512.0f),
              VAL(o->Captions().GetVertexUV(1).y, 384.0f / 512.0f),
              VAL(o->Captions().GetVertexUV(2).x, 320.0f / 512.0f)});
  // f = 670: the scroll fades, 1 - 10 x 0.05.
  ASSERT_TRUE(at(Opening::STATE_PROLOGUE, 670));
  EXPECT_NEAR(alpha(layerB, 0), 128, 1);
  // Zoom strip: f = 15 at depth 15 x 400/30 - 500 = -300; f = 60 at
  // 30 x 100/60 - 100 = -50; f = 105 at (1 - cos(pi/4)) x 500 with alpha
  // 1 - sin(pi/4); from f = 121 no caption.
  ASSERT_TRUE(at(Opening::STATE_ZOOM, 15));
  EXPECT_NEAR(o->Captions().GetVertexPos(0).z, -300.0f, 1e-3f);
  EXPECT_ALL({VAL(o->Captions().GetVertexPos(0).x, -27.0f), VAL(o->Captions().GetVertexPos(0).y, -161.0f)});
  ASSERT_TRUE(at(Opening::STATE_ZOOM, 60));
  EXPECT_NEAR(o->Captions().GetVertexPos(0).z, -50.0f, 1e-3f);
  ASSERT_TRUE(at(Opening::STATE_ZOOM, 105));
  EXPECT_NEAR(o->Captions().GetVertexPos(0).z, 146.44661f, 1e-2f);
  EXPECT_NEAR(alpha(o->Captions(), 0), 75, 1);
  ASSERT_TRUE(at(Opening::STATE_ZOOM, 121));
  EXPECT_EQ(o->GetCaption(), nullptr);
  // First introduction: no label before f = 20; at f = 21 the first drops
  // from y1 = 300/7 - 300; at f = 30 it has landed (y1 = 0: -300 to 100) and
  // the second rises, y2 = 300 - 5 x 310/7 (top y2 + 20); at f = 40 it is
  // on its floor -10.
  ASSERT_TRUE(at(Opening::STATE_INTRO1, 19));
  EXPECT_EQ(o->Captions().GetActiveCount(), 0);
  ASSERT_TRUE(at(Opening::STATE_INTRO1, 21));
  EXPECT_EQ(o->Captions().GetActiveCount(), 1);
  EXPECT_NEAR(o->Captions().GetVertexPos(0).y, 300.0f / 7.0f - 600.0f, 1e-3f);
  EXPECT_ALL({VAL(o->Captions().GetVertexPos(0).x, -160.0f), VAL(o->Captions().GetVertexPos(1).x, -60.0f)});
  ASSERT_TRUE(at(Opening::STATE_INTRO1, 30));
  EXPECT_EQ(o->Captions().GetActiveCount(), 2);
  EXPECT_ALL({VAL(o->Captions().GetVertexPos(0).y, -300.0f), VAL(o->Captions().GetVertexPos(2).y, 100.0f),
              VAL(o->Captions().GetVertexPos(4).x, 60.0f), VAL(o->Captions().GetVertexPos(5).x, 160.0f)});
  EXPECT_NEAR(o->Captions().GetVertexPos(4).y, 320.0f - 5.0f * 310.0f / 7.0f, 1e-3f);
  ASSERT_TRUE(at(Opening::STATE_INTRO1, 40));
  EXPECT_ALL({VAL(o->Captions().GetVertexPos(4).y, 10.0f), VAL(o->Captions().GetVertexPos(6).y, 290.0f)});
  // The picture slides: x = 50 - 100 sin(g/120 pi/2), g = 39 the count
  // before this frame's step.
  EXPECT_NEAR(layerA.GetVertexPos(0).x, 50.0f - 100.0f * std::sin(39.0f / 120.0f * 1.5707964f) - 240.0f, 1e-3f);
  // Finale, f = 140: r = 0.5, k = 1 - cos(pi/4); the band's rows reach
  // A = 20 + 420 k, B = 60 + 420 k and C = 80 + 440 k about y 0, 800 wide.
  ASSERT_TRUE(at(Opening::STATE_FINALE, 140));
  const float k = 1.0f - std::cos(0.7853982f);
  const LaserStripPrim& band = o->LightBand();
  EXPECT_EQ(band.GetActiveCount(), 5);
  EXPECT_NEAR(band.GetVertexPos(0).y, -(20.0f + 420.0f * k), 1e-3f);
  EXPECT_NEAR(band.GetVertexPos(3).y, 20.0f + 420.0f * k, 1e-3f);
  EXPECT_NEAR(band.GetVertexPos(4).y, -(60.0f + 420.0f * k), 1e-3f);
  EXPECT_NEAR(band.GetVertexPos(12).y, -(80.0f + 440.0f * k), 1e-3f);
  EXPECT_ALL({VAL(band.GetVertexPos(0).x, -400.0f), VAL(band.GetVertexPos(1).x, 400.0f), VAL(band.GetVertexPos(6).y, 0.0f),
              VAL(alpha(band, 4), 102), VAL(alpha(band, 6), 255)});
  EXPECT_NEAR(alpha(band, 12), 25, 1);
  // The zoom picture at depth (f - 1) x -5/6, the third finale picture at
  // f x -5/12.
  EXPECT_NEAR(layerC.GetVertexPos(0).z, 139.0f * -0.8333333f, 1e-3f);
  EXPECT_NEAR(layerA.GetVertexPos(0).z, 140.0f * -0.41666666f, 1e-3f);
}

}  // namespace
