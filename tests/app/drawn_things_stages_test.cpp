// What each stage shows while its title is held: the title, the in-game
// display, the ship and the scenery of the rail position, each taken away in
// turn with the game paused; each must change the picture where it stands.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "game/core/Game.h"
#include "game/effect/EfxElements.h"
#include "game/enemy/EnemySet.h"
#include "game/player/ChainCounter.h"
#include "game/player/Player.h"
#include "game/player/ZGInterface.h"
#include "game/stage/MapMng.h"
#include "game/stage/Stage4.h"
#include "game/stage/StageName.h"
#include "game/tables/font_tables.h"
#include "support/DrawnThings.h"
#include "support/ImageCompare.h"
#include "support/PlayWorld.h"
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

}  // namespace
