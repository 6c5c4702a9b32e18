// What the player side draws reaches the screen where it is put: at still
// moments of a volley, a death, a bomb and a grab, each thing is taken away
// in turn and the picture must change in its place.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

#include "game/core/Game.h"
#include "game/effect/EfxElements.h"
#include "game/enemy/EObjBase.h"
#include "game/enemy/EnemyMan.h"
#include "game/enemy/EnemySet.h"
#include "game/player/PShotMan.h"
#include "game/player/Player.h"
#include "game/tables/effect_tables.h"
#include "game/tables/shot_tables.h"
#include "support/DrawnThings.h"
#include "support/ImageCompare.h"
#include "support/PlayWorld.h"

namespace {

using testsupport::DrawnThing;
using testsupport::PixelBox;
using testsupport::PlayOptions;
using testsupport::PlayBox;
using testsupport::SameColour;
using testsupport::PlayWorld;

// Sparkles fade from white to (0.75, 0.3, 0.3, 0); debris from
// (1.0, 0.8, 0.5, 1) to (0.6, 0.2, 0.1, 0); the grab's mark is violet
// (0.5, 0.25, 1.0, 0.75) throughout.
constexpr float kSparkleTo[4] = {0.75f, 0.3f, 0.3f, 0.0f};
constexpr float kDebrisTo[4] = {0.6f, 0.2f, 0.1f, 0.0f};
constexpr float kGrabColour[4] = {0.5f, 0.25f, 1.0f, 0.75f};

bool IsSparkle(const EfxSprite& s) { return SameColour(s.target, kSparkleTo); }
bool IsDebris(const EfxSprite& s) { return SameColour(s.target, kDebrisTo); }
bool IsGrabMark(const EfxSprite& s) { return SameColour(s.colour, kGrabColour); }
// The bomb's white flash fades to clear white; its trail pictures play the
// trail list; the options play the four sub-unit lists.
constexpr float kClearWhite[4] = {1.0f, 1.0f, 1.0f, 0.0f};
bool IsBombFlash(const EfxSprite& s) { return s.track.GetList() == SprEfx_11Keys && SameColour(s.target, kClearWhite); }
bool IsTrailPicture(const EfxSprite& s) { return s.track.GetList() == SprEfx07Keys; }
bool IsOption(const EfxSprite& s) {
  for (const EfxSpriteDesc& d : SprSubUnitDesc)
    if (s.track.GetList() == d.keys) return true;
  return false;
}

// The play-space box around (x, y) reaching r units each way, in pixels.
PixelBox Around(float x, float y, float r) { return PlayBox(x - r, y - r, x + r, y + r, 0); }

// The play area, 480 x 640 units about the centre.
const PixelBox kPlayArea = PlayBox(-240.0f, -320.0f, 240.0f, 320.0f, 0);

PlayOptions OnScreen() {
  PlayOptions o;
  o.nullDevice = false;
  return o;
}

// The ship with three options, a tap's volleys of shots and a blade trail
// sweeping an arc over it, laid by hand one record a frame: the ship at
// (0, 150) (its hull drawn 12 higher), the options in their formation about
// it (the rear two 50 units below the ship), the shots flying up from them
// 35 units a frame, the blade's records 30 to 100 units from the ship
// between 0.55 and 0.9 turns.
TEST(DrawnThings, TheShipItsOptionsShotsAndBladeTrailThenItsDeath) {
  PlayWorld w(OnScreen());
  ASSERT_TRUE(w.Ok());
  ASSERT_GE(w.RunToControl(), 0);
  w.FlyShipVolley();
  ASSERT_GT(g_PShotMan.LiveCount(), 4);
  ASSERT_EQ(g_Player.options.PresentCount(), 3);
  w.G()->SetPause(true);
  const float x = g_Player.position[0], y = g_Player.position[1];
  testsupport::Headless& h = w.H();
  const SGpObj* shots = &g_PShotMan.Batch();
  const SGpObj* blade = &g_Player.trails[1].ribbon;
  const SGpObj* hull = &g_Player.hullPacket;
  const SGpObj* parts = &g_Player.partPacket;
  testsupport::ExpectEachChangesThePicture(
      h, {DrawnThing{"the player's shots", testsupport::DropPackets(h, [shots](int, SGpObj* p) { return p == shots; }),
                     PlayBox(-240.0f, -320.0f, 240.0f, y + 50.0f, 0), 300, 0, 0.08},
          DrawnThing{"the blade trail", testsupport::DropPackets(h, [blade](int, SGpObj* p) { return p == blade; }),
                     Around(x, y, 100.0f), 300, 0, 0.15},
          DrawnThing{"the options", testsupport::HideEfxSprites(IsOption), Around(x, y, 100.0f), 100, 0, 0.04},
          DrawnThing{"the ship", testsupport::DropPackets(h, [hull, parts](int, SGpObj* p) { return p == hull || p == parts; }),
                     Around(x, y - 12.0f, 60.0f), 300, 0, 0.1}});

  // Then the ship is shot down (what was taken away above stays away). A
  // death: for 80 frames, every other frame three debris pieces 0.9 to 1.7
  // times the 31-unit dot (at most 27 units from their centre) fly from the
  // ship at 4 units a frame, and six sparkles a frame leave the hull at 1 to 3
  // units a frame and half of it more, slowing by a tenth a frame, up to 15.5
  // units wide. Taken 10 frames in: debris at most 40 units on, sparkles at
  // most 10 x 1.5 + 3 x (1 - 0.9^10) / 0.1 = 35 units on from the hull, which
  // stands up to 12 units above the ship's place.
  w.G()->SetPause(false);
  g_Player.SetState(Player::STATE_DEATH);
  float x0 = g_Player.position[0], x1 = x0, y0 = g_Player.position[1], y1 = y0;
  for (int f = 0; f < 300 && !(g_Player.step == 1 && g_Player.stepCounter >= 10); ++f) {
    w.Step();
    x0 = std::min(x0, g_Player.position[0]), x1 = std::max(x1, g_Player.position[0]);
    y0 = std::min(y0, g_Player.position[1]), y1 = std::max(y1, g_Player.position[1]);
  }
  ASSERT_EQ(g_Player.step, 1);
  w.G()->SetPause(true);
  // The shield's ring of quads round the ship blinks on a clock of its own,
  // paused or not: it is taken away first, so the picture stands still.
  const SGpObj* shield = &g_Player.marks;
  w.H().DropPackets([shield](int, SGpObj* p) { return p == shield; });
  auto around = [&x0, &x1, &y0, &y1](float r, float up) {
    return PlayBox(x0 - r, y0 - up - r, x1 + r, y1 + r, 0);
  };
  testsupport::ExpectEachChangesThePicture(
      w.H(), {DrawnThing{"a death's sparkles", testsupport::HideEfxSprites(IsSparkle), around(35.0f + 8.0f, 12.0f), 300, 0, 0.1},
              DrawnThing{"a death's debris", testsupport::HideEfxSprites(IsDebris), around(40.0f + 27.0f, 0.0f), 1000, 0, 0.12}});
}

// The bomb's start: the white flash over the whole picture (6 frames, then
// 6 fading), under it the dark trail picture at the ship and six half-lit
// ones 3 units round it, 1.5 times the 256-unit picture.
TEST(DrawnThings, TheBombsFlashTrailPicturesAndSparkles) {
  PlayWorld w(OnScreen());
  ASSERT_TRUE(w.Ok());
  ASSERT_GE(w.RunToControl(), 0);
  const float x = g_Player.position[0], y = g_Player.position[1];
  w.PressBomb();
  ASSERT_EQ(g_Player.controlMode, Player::CONTROL_BOMB);
  w.G()->SetPause(true);
  testsupport::ExpectEachChangesThePicture(
      w.H(), {DrawnThing{"the bomb's flash", testsupport::HideEfxSprites(IsBombFlash), kPlayArea,
                         (kPlayArea.x1 - kPlayArea.x0) * (kPlayArea.y1 - kPlayArea.y0) * 9 / 10},
              DrawnThing{"the bomb's trail pictures", testsupport::HideEfxSprites(IsTrailPicture),
                         Around(x, y, 3.0f + 1.5f * 128.0f), 1000, 0, 0.08}});
  w.G()->SetPause(false);

  // Then the bomb's sparkles: on its last step, 30 pairs at once 20 units either
  // side of the ship and 50 below it, then a pair a frame to its count 119,
  // each 6 to 15 units wide, within 0.2 turns of straight down (so at least
  // 0.31 of their way is downwards, at most 0.95 aside), moving by half their
  // speed of 1 to 4 units a frame and by their speed slowing by a tenth a
  // frame. Taken at count 124, once the blast's shake (45 frames from count
  // 76) has ended: the oldest are 26 frames old, at most 26 x 2 + 4 x (1 -
  // 0.9^26) / 0.1 = 90 units from where they started. The ship's places
  // while the sparkles came are kept (it moves off at count 100).
  float x0 = 1e9f, x1 = -1e9f, y0 = 1e9f, y1 = -1e9f;
  for (int f = 0; f < 600 && !(g_Player.step == 6 && g_Player.stepCounter >= 124); ++f) {
    w.Step();
    if (g_Player.step != 6 || g_Player.stepCounter < 98 || g_Player.stepCounter > 119) continue;
    x0 = std::min(x0, g_Player.position[0]), x1 = std::max(x1, g_Player.position[0]);
    y0 = std::min(y0, g_Player.position[1]), y1 = std::max(y1, g_Player.position[1]);
  }
  ASSERT_EQ(g_Player.step, 6);
  w.G()->SetPause(true);
  constexpr float kReach = 90.0f, kHalf = 8.0f;
  const PixelBox box = PlayBox(x0 - 20.0f - 0.95f * kReach - kHalf, y0 + 50.0f - kHalf,
                               x1 + 20.0f + 0.95f * kReach + kHalf, y1 + 50.0f + kReach + kHalf, 0);
  testsupport::ExpectEachChangesThePicture(
      w.H(), {DrawnThing{"the bomb's sparkles", testsupport::HideEfxSprites(IsSparkle), box, 200, 0, 0.05}});
}

// A grab: the enemy's mark, violet, 8 x 8 units (6 x 6 pixels) at its
// position, for 4 frames and 8 fading. Stage 1's first drone comes 60 rail
// keys in (taken as travelled) from y -340 at 3 units a frame, and is
// grabbed once it is well in the play area.
TEST(DrawnThings, AGrabsMarkShowsOnTheEnemy) {
  PlayOptions o = OnScreen();
  o.livelyStage = true;
  PlayWorld w(o);
  ASSERT_TRUE(w.Ok());
  ASSERT_NE(g_EnemySet.records, nullptr);
  const EnemySpawnRecord& first = g_EnemySet.records[g_EnemySet.index];
  ASSERT_EQ(first.Op(), EnemySet::OP_SPAWN);
  g_EnemySet.elapsed = first.delay;
  EObjBase* enemy = nullptr;
  for (int f = 0; f < 200 && enemy == nullptr; ++f) {
    w.Step();
    for (EObjBase* e : EnemyDrawList) {
      const float* p = e->GetPosition();
      if (e->behavior.GetState() == EObjBase::STATE_FLYING && std::fabs(p[0]) < 200.0f && std::fabs(p[1]) < 250.0f)
        enemy = e;
    }
  }
  ASSERT_NE(enemy, nullptr);
  const float* p = enemy->GetPosition();
  enemy->SendEvent(EObjBase::EV_GRABBED, 0);
  w.Step();
  ASSERT_EQ(enemy->behavior.GetState(), EObjBase::STATE_GRABBED);
  w.G()->SetPause(true);
  testsupport::ExpectEachChangesThePicture(
      w.H(), {DrawnThing{"a grab's mark", testsupport::HideEfxSprites(IsGrabMark), Around(p[0], p[1], 6.0f), 30, 0, 0.2}});
}

}  // namespace
