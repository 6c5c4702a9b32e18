// What each stage shows while its title is held: the title, the in-game
// display, the ship and the scenery of the rail position, each taken away in
// turn with the game paused; each must change the picture where it stands.
// Stage 4's last section: its sky a backdrop behind the roofs, the sun's
// flare and the last boss's body. Stage 5's collapse: the rain and bursts of
// rocks in the view as they fly, the sky ahead a backdrop.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "game/core/Game.h"
#include "game/effect/EfxElements.h"
#include "game/effect/EfxMan.h"
#include "game/enemy/EnemyMan.h"
#include "game/enemy/EnemySet.h"
#include "game/player/ChainCounter.h"
#include "game/player/Player.h"
#include "game/player/ZGInterface.h"
#include "game/stage/MapMng.h"
#include "game/stage/Stage4.h"
#include "game/stage/Stage5Rock.h"
#include "game/stage/StageName.h"
#include "game/tables/effect_tables.h"
#include "game/tables/font_tables.h"
#include "support/DrawnBoxes.h"
#include "support/DrawnThings.h"
#include "support/ImageCompare.h"
#include "support/PlayWorld.h"
#include "support/StageBossFight.h"
#include "vrax/graphic/SGpObj_Prim.h"
#include "vrax/graphic/SGpState.h"

namespace {

using testsupport::DrawnThing;
using testsupport::PixelBox;
using testsupport::PlayBox;
using testsupport::PlayPx;
using testsupport::PlayPy;

// The play field, x -240 to 240 and y -320 to 320: pixels 140 to 500 across,
// the whole height. The layers seen through the stage camera fill it.
constexpr PixelBox kView{140, 0, 500, 480};
constexpr int64_t kViewPixels = 360 * 480;

// The game root enters at every key the layer's state block and, with the
// identity world, the layer's sprite batch: none of them is a thing here.
bool LayerPacket(Game* g, int key, SGpObj* p) {
  return p == &g->LayerBlock(key) || p == &g->LayerBatch(key) || p == &WorldPresets[1];
}

// Drops what the processes enter at the keys.
std::function<void()> DropKeys(testsupport::Headless& h, Game* g, std::vector<int> keys) {
  return testsupport::DropPackets(h, [g, keys = std::move(keys)](int key, SGpObj* p) {
    for (int k : keys)
      if (k == key) return !LayerPacket(g, key, p);
    return false;
  });
}

// The stages and what their scenery shows at the title's hold, rail
// position key + 99 (stage 2 runs back from 200 to 158 on its way: 172).
struct Stage {
  int stage;
  int titleKey;               // the rail position whose trigger adds the title
  bool fog;                   // the stage fog is on: the white far quad fills the play area
  bool cloudQuads;            // the stage's cloud quads show
  bool cloudPlanes;           // stages 1 and 3: their cloud planes, up to 800 and 400
  bool skyLayer;              // stage 4: its cloud layer, 0 to 1000
  std::vector<int> setKeys;   // draw keys of the object sets shown
  bool tunnel;
};

void CheckStage(const Stage& s) {
  SCOPED_TRACE("stage " + std::to_string(s.stage));
  testsupport::PlayOptions o;
  o.nullDevice = false;
  o.livelyStage = true;
  o.stage = s.stage;
  testsupport::PlayWorld w(o);
  ASSERT_TRUE(w.Ok());
  Game* g = w.G();
  SProc* scene = g->GetList(GAME_LIST_STAGE)->Head();
  ASSERT_NE(scene, nullptr);
  // No enemies: nothing flies over the things, and the ship keeps its life.
  g_EnemySet.Reset();
  // Once the rail has passed its first key (the commands and triggers
  // there have run), it is put one key short of the title's trigger; from
  // there the stage plays on as it would.
  for (int f = 0; f < 20 && g_MapMng.t < 2.0f; ++f) w.Step();
  ASSERT_GE(g_MapMng.t, 2.0f);
  g_MapMng.SetSection(0, float(s.titleKey - 1));
  StageName* title = nullptr;
  for (int f = 0; f < 200 && (title == nullptr || title->GetFrame() < 99); ++f) {
    w.Step();
    title = dynamic_cast<StageName*>(scene->FindInList("StageName", 0));
  }
  ASSERT_NE(title, nullptr);
  ASSERT_EQ(title->GetFrame(), 99);
  ASSERT_GE(g->lives, 1);
  ASSERT_GE(g->bombs, 1);
  // The shield of the start's invulnerability turns with the frame count,
  // also while paused: it goes, so that the picture stands still.
  g_Player.invulnerability = 0;
  g->SetPause(true);
  testsupport::Headless& h = w.H();
  const float* ship = g_Player.displayPosition;
  const float lives = float(g->lives), bombs = float(g->bombs);
  // Stage 1's ship is on its entry flight (at a tenth of its size or less
  // until the flight's second step); elsewhere it plays at full size, its
  // hull about 44 units across.
  const bool entry = g_Player.state == Player::STATE_SCRIPTED;
  const float hull = entry ? 8.0f : 32.0f;
  std::vector<DrawnThing> things = {
      // 23 rows of 121 x 2 units at (-60, i - 100): x -120.5 to 0.5, y -101
      // to -77, in front of the scenery.
      {"title", testsupport::KillProcess(title), PlayBox(-120.5f, -101.0f, 0.5f, -77.0f), 91 * 18 * 3 / 4, 0, 0.6},
      // Two lines of a digit and nine digits of 14 x 19 units from (66, -314)
      // and (66, -293): at least a tenth of their 20 cells.
      {"score lines", testsupport::DropPackets(h, [](int, SGpObj* p) { return p == &g_ZGInterface.ScoreText(); }),
       PlayBox(66.0f, -314.0f, 80.0f + 9.0f * 14.0f, -293.0f + 19.0f), 20 * 150 / 10, 0, 0.1},
      // (2, -313) to (62, -297) and (2, -291) to (62, -275): two quads of 45 x
      // 12 pixels, three quarters of them at least.
      {"score labels",
       testsupport::DropPackets(h,
                                [](int key, SGpObj* p) {
                                  return key == 3 && dynamic_cast<SGpObj_PrimQuad*>(p) != nullptr &&
                                         p != &g_ZGInterface.Panel();
                                }),
       PlayBox(2.0f, -313.0f, 62.0f, -275.0f), 2 * 45 * 12 * 3 / 4, 0, 0.5},
      // Over the lock-on gauge, (-239, -318) to (-182, -261), drawn over the
      // panel: a tenth of its 43 x 43 pixels.
      {"gauge overlay",
       testsupport::DropPackets(
           h, [](int key, SGpObj* p) { return key == 2 && dynamic_cast<SGpObj_PrimQuad*>(p) != nullptr; }),
       PlayBox(-239.0f, -318.0f, -182.0f, -261.0f), 43 * 43 / 10, 0, 0.1},
      // The frame (-240, -320) to (-57, -257) with the gauges inside it:
      // three quarters of its 137 x 47 pixels.
      {"panel", testsupport::DropPackets(h, [](int, SGpObj* p) { return p == &g_ZGInterface.Panel(); }),
       PlayBox(-240.0f, -320.0f, -57.0f, -257.0f), 137 * 47 * 3 / 4, 0, 0.8},
      // Icons of 31 x 31 units at (30 i - 225, -240): a quarter of each.
      {"lives",
       testsupport::HideEfxSprites([](const EfxSprite& e) { return e.track.GetList() == SprGameIf00_4Keys; }),
       PlayBox(-225.0f - 15.5f, -240.0f - 15.5f, 30.0f * (lives - 1.0f) - 225.0f + 15.5f, -240.0f + 15.5f),
       int64_t(lives) * 23 * 23 / 4, 0, 0.3},
      // Icons of 29 x 29 units at half size at (225, 300 - 16 i): a quarter
      // of each.
      {"bombs",
       testsupport::HideEfxSprites([](const EfxSprite& e) {
         return e.track.GetList() >= SprGameIf00_3Keys && e.track.GetList() < SprGameIf00_3Keys + 6;
       }),
       PlayBox(225.0f - 7.25f, 300.0f - 16.0f * (bombs - 1.0f) - 7.25f, 225.0f + 7.25f, 300.0f + 7.25f),
       int64_t(bombs) * 11 * 11 / 4, 0, 0.25},
      {"ship", DropKeys(h, g, {Player::kShipDrawKey}),
       PlayBox(ship[0] - hull, ship[1] - hull, ship[0] + hull, ship[1] + hull), entry ? 1 : 100, 0,
       entry ? 0.0 : 0.1},
  };
  if (!entry) {
    // Round the ship in play: its glow at the full lock-on gauge, up to
    // 160 units across with its pulse.
    const float* at = g_Player.position;
    things.push_back({"ship's aura", testsupport::KillProcess(&g_ChainCounter.aura),
                      PlayBox(at[0] - 96.0f, at[1] - 96.0f, at[0] + 96.0f, at[1] + 96.0f), 2000, 0, 0.4});
  }
  // The scenery, front to back.
  if (s.cloudQuads)
    things.push_back({"cloud quads", testsupport::KillProcess(scene->FindInList("CloudQuad", 0)), kView,
                      kViewPixels / 10, 0, 0.5});
  if (s.cloudPlanes)
    things.push_back(
        {"cloud planes", testsupport::KillProcess(scene->FindInList("Cloud", 0)), kView, kViewPixels / 2, 0, 0.5});
  if (s.skyLayer)
    things.push_back({"sky layer", testsupport::KillProcess(static_cast<Stage4*>(scene)->Sky()), kView,
                      kViewPixels / 6, 0, 0.15});
  if (!s.setKeys.empty()) things.push_back({"object sets", DropKeys(h, g, s.setKeys), kView, 1000});
  if (s.tunnel) things.push_back({"tunnel", DropKeys(h, g, {29}), kView, kViewPixels / 4, 0, 0.3});
  if (s.fog)
    things.push_back({"far quad",
                      testsupport::DropPackets(h,
                                               [](int key, SGpObj* p) {
                                                 return key == 36 && dynamic_cast<SGpObj_PrimQuad*>(p) != nullptr;
                                               }),
                      kView, kViewPixels * 9 / 10});
  for (DrawnThing& t : things) t.what = "stage " + std::to_string(s.stage) + " " + t.what;
  testsupport::ExpectEachChangesThePicture(h, things);
}

TEST(DrawnThings, StagesWhileTheirTitlesAreHeld) {
  // Stage 4's cloud quads spawn at depth 90 up to rail position 2700.
  const Stage stages[] = {
      {1, 420, true, true, true, false, {27, 30}, true},
      {2, 115, false, true, false, false, {27, 30, 33}, true},
      // Every object set and the tunnel are hidden from rail position 1 to 300.
      {3, 148, true, true, true, false, {}, false},
      {4, 180, true, false, false, true, {27, 30}, true},
      // No cloud layer of any kind.
      {5, 100, true, false, false, false, {30}, true},
  };
  for (const Stage& s : stages) CheckStage(s);
}

// The play field above the horizon: the camera looks level, so the horizon
// is the picture's middle row.
constexpr PixelBox kAboveHorizon{140, 0, 500, 241};

// Packets at `key` other than the layer's own, taken away while `*on`.
std::function<bool(int, SGpObj*)> KeyWhile(Game* g, int key, const bool* on) {
  return [g, key, on](int k, SGpObj* p) { return *on && k == key && !LayerPacket(g, k, p); };
}

// Stage 4 from rail position 7040 (the sky drawn round the eye from 7000
// on). The sun's flare, spawned each frame from 7000 on: the sun stands
// 41300 units up and about 910000 ahead, 23 units above the middle, so the
// rings along the line through it and the middle, centred within 40 units of
// the horizon, stand about half above it: at least 4000 pixels there. The
// sky's removal then changes the sky above the horizon, at least half of the
// 360 x 240 pixels there (the roofs stand before the rest), and shows
// nothing that it hid.
TEST(DrawnThings, StageFoursLastSkyIsABackdrop) {
  testsupport::PlayOptions o;
  o.stage = 4;
  o.nullDevice = false;
  o.livelyStage = true;
  testsupport::PlayWorld w(o);
  ASSERT_TRUE(w.Ok());
  g_EnemySet.Reset();
  g_MapMng.SetSection(0, 7020.0f);
  w.Step(20);
  w.G()->SetPause(true);
  const DrawnThing flare{"stage 4 sun's flare above the horizon at 7040",
                         testsupport::HideEfxSprites([](const EfxSprite& e) {
                           const SGpKeyList* k = e.track.GetList();
                           return k == SprLensFlareKeysA || k == SprLensFlareKeysB || k == SprLensFlareKeysC ||
                                  k == SprLensFlareKeysD;
                         }),
                         kAboveHorizon, 4000, kViewPixels};
  DrawnThing sky{"stage 4 sky at 7040", DropKeys(w.H(), w.G(), {35}), kAboveHorizon, 360 * 240 / 2};
  sky.backdrop = true;
  testsupport::ExpectEachChangesThePicture(w.H(), {flare, sky});
}

// Stage 4's last boss (its record waits for rail key 8868) under the sky,
// 120, 300 and 600 frames after it came: its models (key 19) change as many
// pixels with the sky there as with the sky taken away, and the sky's
// removal shows nothing that it hid.
TEST(DrawnThings, StageFoursLastBossShowsWholeUnderTheSky) {
  // Only the still pictures are drawn.
  auto skip = std::make_unique<testsupport::SkipDrawing>();  // outlives the program
  testsupport::StageBossFight f(4, true);
  skip->Join();
  EnemyBase* boss = f.Start(8868.0f, 8866.0f, "Boss12");
  ASSERT_NE(boss, nullptr);
  Game* g = f.W().G();
  testsupport::Headless& h = f.W().H();
  bool noBody = false, noSky = false;
  h.DropPackets(KeyWhile(g, 19, &noBody));
  h.DropPackets(KeyWhile(g, 35, &noSky));
  int frame = 0;
  for (int at : {120, 300, 600}) {
    SCOPED_TRACE(at);
    skip->on = true;
    f.Step(at - frame);
    skip->on = false;
    frame = at;
    // The shield of a new life turns with the frame count, also while
    // paused: it goes, so that the picture stands still.
    g_Player.invulnerability = 0;
    g->SetPause(true);
    const std::string when = std::to_string(at) + " frames after its spawn";
    const auto under = testsupport::ExpectEachChangesThePicture(
        h, {{"boss 14's body under the sky " + when, [&] { noBody = true; }, kView, 500}});
    noBody = false;
    DrawnThing sky{"stage 4 sky " + when, [&] { noSky = true; }, kView, 1};
    sky.backdrop = true;
    const auto bare = testsupport::ExpectEachChangesThePicture(
        h, {sky, {"boss 14's body without the sky " + when, [&] { noBody = true; }, kView, 500}});
    noBody = noSky = false;
    ASSERT_EQ(under.size(), 1u);
    ASSERT_EQ(bare.size(), 2u);
    EXPECT_GE(under[0].inside * 10, bare[1].inside * 9) << "the sky hides the body";
    g->SetPause(false);
  }
}

// The dust the rocks raise and leave behind them: white puffs fading to a
// fifth of their alpha.
constexpr float kFaded[4] = {1.0f, 1.0f, 1.0f, 0.2f};
std::function<void()> HideRockDust() {
  return testsupport::HideEfxSprites([](const EfxSprite& e) {
    return e.track.GetList() == SprEfx00_4KeysC && testsupport::SameColour(e.target, kFaded);
  });
}

// Stage 5's collapse as it plays, rail position 4250 to 5290, the enemy
// timeline stopped (no boss's arena holds the rail). Each frame the rocks
// drawn at key 34 are put through the view in force there: a rock stands in
// the play field when its centre is before the eye and projects (the eye
// 512 from the play plane) inside x -240 to 240, y -320 to 320. The rain
// starts 21600 to 33000 units ahead and at most 7500 aside, well inside the
// field (7500 / 22112 x 512 = 174), and leaves it only once nearer than
// about 2.1 times its offset: most of the rain's rock-frames are in the
// field. At five moments taking the rocks away changes hundreds of pixels;
// at 4750 and 5250 taking the sky away changes the picture and shows nothing
// that it hid. The dust goes with the rocks, through the bursts at 4720 and
// 4880: hiding it at 4730 and 4890 changes thousands of pixels.
TEST(DrawnThings, StageFivesCollapseRocksAndSky) {
  testsupport::PlayOptions o;
  o.stage = 5;
  o.nullDevice = false;
  o.livelyStage = true;
  testsupport::PlayWorld w(o);
  ASSERT_TRUE(w.Ok());
  Game* g = w.G();
  for (int f = 0; f < 200 && g->GetFadeLevel() != 1.0f; ++f) w.Step();
  g_EnemySet.Reset();
  g_EnemyMan.KillChildrenAll(0);
  w.Step();
  g_MapMng.armed = 0;
  SProc* scene = g->GetList(GAME_LIST_STAGE)->Head();
  ASSERT_NE(scene, nullptr);
  auto* rocks = dynamic_cast<Stage5Rock*>(scene->FindInList("Stage5Rock", 0));
  ASSERT_NE(rocks, nullptr);
  const SGpObj* rockRoot = g_MapMng.layers[Stage5Rock::kRockSlot].GetModel()->GetNode(0)->GetRoot();
  const SGpObj* skyRoot = g_MapMng.layers[4].GetModel()->GetNode(0)->GetRoot();
  testsupport::Headless& h = w.H();
  // The view in force at key 34 when the rock model is first drawn.
  SMatrix view = kIdentityMatrix, rockView = kIdentityMatrix;
  bool noRocks = false, noSky = false;
  h.DropPackets([&](int key, SGpObj* p) {
    if (key != Stage5Rock::kDrawKey) return false;
    if (p == &g->LayerBlock(key)) view = g->LayerView(key).GetMatrix();
    if (auto* v = dynamic_cast<SGpState_View*>(p)) view = v->GetMatrix();
    if (p == rockRoot) rockView = view;
    return (noRocks && p == rockRoot) || (noSky && p == skyRoot);
  });
  auto inField = [&](const SVec4& c) {
    SVec4 v{};
    const SVec3 at{c.x, c.y, c.z};
    SVec3Transform(&v, &at, &rockView);
    if (-v.z < 8.0f) return false;
    const float x = v.x * 512.0f / -v.z, y = -v.y * 512.0f / -v.z;
    return std::fabs(x) <= 240.0f && std::fabs(y) <= 320.0f;
  };
  g_MapMng.SetSection(0, 4250.0f);
  int64_t rain = 0, rainInField = 0, all = 0, allInField = 0;
  while (g_MapMng.t < 5290.0f && !HasFatalFailure()) {
    w.Step();
    for (SObject* r = rocks->Live().HeadObj(); r != nullptr; r = r->GetNext()) {
      const RockPiece& p = *static_cast<RockPiece*>(r);
      const bool in = inField(p.pos);
      ++all, allInField += in;
      if (p.startPos.z == 27000.0f) ++rain, rainInField += in;
    }
    const int32_t k = StageProc::RailKey();
    const bool rockMoment = k == 4400 || k == 4600 || k == 4800 || k == 5000 || k == 5200;
    const bool dustMoment = k == 4730 || k == 4890;
    const bool skyMoment = k == 4750 || k == 5250;
    if (!rockMoment && !dustMoment && !skyMoment) continue;
    g_Player.invulnerability = 0;
    g->SetPause(true);
    const std::string at = " at " + std::to_string(k);
    if (rockMoment)
      testsupport::ExpectEachChangesThePicture(h, {{"stage 5 rocks" + at, [&] { noRocks = true; }, kView, 200}});
    noRocks = false;
    if (dustMoment) {
      // Most puffs stand before the eye of the view their sheet draws through
      // (those a rock leaves as it passes the eye may not).
      const SMatrix& dustView = g->LayerView(static_cast<int>(Stage5Rock::kDustSheet)).GetMatrix();
      int puffs = 0, ahead = 0;
      for (SObject* o = EfxMan::Instance()->Live(1).HeadObj(); o != nullptr; o = o->GetNext()) {
        const auto& e = *static_cast<EfxSprite*>(o);
        if (e.Sprite() == nullptr || e.track.GetList() != SprEfx00_4KeysC || !testsupport::SameColour(e.target, kFaded))
          continue;
        const float* p = e.Sprite()->position;
        const SVec3 c{p[0], p[1], p[2]};
        SVec4 v{};
        SVec3Transform(&v, &c, &dustView);
        ++puffs, ahead += v.z < -8.0f;
      }
      EXPECT_GT(puffs, 20) << at;
      EXPECT_GE(ahead * 4, puffs * 3) << "the dust stands behind the eye" << at;
      testsupport::ExpectEachChangesThePicture(h, {{"stage 5 rocks' dust" + at, HideRockDust(), kView, 2000}});
      std::printf("[ drawn    ] stage 5 dust%s: %d of %d puffs before the eye\n", at.c_str(), ahead, puffs);
    }
    if (skyMoment) {
      DrawnThing sky{"stage 5 sky" + at, [&] { noSky = true; }, kView, 1000};
      sky.backdrop = true;
      testsupport::ExpectEachChangesThePicture(h, {sky});
      noSky = false;
    }
    g->SetPause(false);
  }
  std::printf("[ drawn    ] stage 5 rocks: %lld of %lld rock-frames in the play field, rain %lld of %lld\n",
              static_cast<long long>(allInField), static_cast<long long>(all), static_cast<long long>(rainInField),
              static_cast<long long>(rain));
  EXPECT_GT(rain, 10000);
  EXPECT_GT(rainInField * 2, rain) << "the rain is mostly out of the view";
}

}  // namespace
