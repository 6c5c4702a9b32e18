// The Player in the whole program: entry, control, hits, death, respawn and
// game over; movement limits, volleys and options, driven by injected
// cabinet inputs.
#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <vector>

#include "game/core/Game.h"
#include "game/core/HitBody.h"
#include "game/player/PShotMan.h"
#include "game/player/Player.h"
#include "game/scene/ContinuePrompt.h"
#include "support/ExpectAll.h"
#include "support/PlayWorld.h"

namespace {

using plat::CabInput;
using testsupport::PlayWorld;

// An enemy bullet (group 8, mask 1) at the ship's position for one test
// pass of the collision manager.
class Bullet {
 public:
  void At(const float* p) {
    for (int i = 0; i < 3; ++i) pos_[i] = p[i];
    body_.Register(8, 1, pos_, 4.0f, nullptr, 1, 0);
  }
  void Remove() { body_.Detach(); }

 private:
  float pos_[4] = {0, 0, 0, 1};
  HitBody body_;
};

// Puts a bullet on the ship for one frame.
void ShootShip(PlayWorld& w) {
  Bullet b;
  b.At(g_Player.position);
  w.Step();
  b.Remove();
}

TEST(PlayerPlay, EntryControlHitDeathRespawnAndGameOver) {
  PlayWorld w;
  ASSERT_TRUE(w.Ok());
  Game* g = w.G();
  // Start (one frame), then the entry flight: placed at y 500, down to 150
  // over 60 frames, state 3 on the first frame of its third step, where the
  // 180 frames of invulnerability begin.
  EXPECT_EQ(g_Player.state, Player::STATE_START);
  w.Step();
  EXPECT_ALL({VAL(g_Player.state, Player::STATE_SCRIPTED), VAL(g_Player.scriptedSub, 0)});
  const int toControl = w.RunToControl();
  EXPECT_EQ(toControl, 62);
  EXPECT_ALL({VAL(g_Player.position[0], 0.0f), VAL(g_Player.position[1], 150.0f), VAL(g_Player.invulnerability, 179),
              VAL(g->lives, 2), VAL(g->bombs, 2), VAL(g_Player.drawn, 1)});
  EXPECT_EQ(PlayerPos.y, 150.0f);

  // Shielded: a bullet does nothing during the 180 frames after the entry.
  ShootShip(w);
  EXPECT_EQ(g_Player.state, Player::STATE_PLAY);
  w.Step(180);
  EXPECT_EQ(g_Player.invulnerability, 0);

  // A hit: one life less, power 2.0, the death state under no control.
  ShootShip(w);
  EXPECT_ALL({VAL(g_Player.state, Player::STATE_DEATH), VAL(g->lives, 1), VAL(g_Player.controlMode, Player::CONTROL_NONE),
              VAL(g_Player.power, 2.0f)});
  // A second bullet during the fall changes nothing.
  ShootShip(w);
  EXPECT_EQ(g->lives, 1);
  // Counter 60 of the fall: a bomb more and the respawn through the entry.
  const int toRespawn = w.RunUntilState(Player::STATE_SCRIPTED, 100);
  EXPECT_EQ(toRespawn + 2, 1 + 60);
  EXPECT_EQ(g->bombs, 3);
  EXPECT_EQ(g_Player.scriptedSub, 0);
  EXPECT_EQ(w.RunToControl(), 62);
  EXPECT_EQ(g_Player.invulnerability, 179);

  // The last life: lives below 0, the continue prompt at counter 60, which
  // pauses the game until it answers (no continue here).
  g->lives = 0;
  w.Step(180);
  ShootShip(w);
  EXPECT_EQ(g->lives, -1);
  w.Step(60);
  EXPECT_NE(g->FindInList("ContinuePrompt", GAME_LIST_SCENE), nullptr);
  const int32_t held = g_Player.stepCounter;
  w.Step(100);
  EXPECT_TRUE(g->IsPaused());
  EXPECT_EQ(g_Player.stepCounter, held);  // the fall waits for the answer
  EXPECT_EQ(ContinuePromptAnswer, 0);  // undecided
  // Left alone: the count of 1,260 frames, then 240 frames of GAME OVER.
  w.Step(1260 + 240);
  EXPECT_EQ(ContinuePromptAnswer, -1);
  EXPECT_FALSE(g->IsPaused());
  // Then the fade from counter 100, 90 frames more, and the game over ends
  // the stage: the Player back in its reset state.
  w.stageMayEnd = true;
  int frames = 0;
  while (g->GetSceneId() == SCENE_STAGE && frames < 400) frames += w.Step();
  EXPECT_NE(g->GetSceneId(), SCENE_STAGE);
  EXPECT_EQ(g_Player.state, Player::STATE_RESET);
  EXPECT_EQ(g->FindInList("CStage1", GAME_LIST_STAGE), nullptr);
}

// The shield after the entry, frame by frame with a bullet on the ship in
// every frame: the entry's last step sets 180 frames and the same frame's
// count takes one off, so the next 179 frames draw the shield's ring (12
// quads round the ship) and their collision passes find it up; every one of
// those bullets, the last included, is shrugged off. The first frame drawn
// without the ring is the first whose bullet takes a life.
TEST(PlayerPlay, TheShieldHoldsToItsLastFrameAndNoLonger) {
  PlayWorld w;
  ASSERT_TRUE(w.Ok());
  ASSERT_GE(w.RunToControl(), 0);
  Game* g = w.G();
  const int32_t lives = g->lives;
  int shielded = 0, hitOn = -1, hitShielded = 0;
  for (int f = 1; f <= 200 && hitOn < 0; ++f) {
    ShootShip(w);
    const bool ring = g_Player.marks.GetActiveCount() == 12;
    const bool hit = g->lives != lives;
    shielded += ring;
    if (hit) hitOn = f;
    hitShielded += hit && ring;
    ASSERT_TRUE(ring || hit) << "frame " << f << " drew no shield and took no hit";
  }
  EXPECT_ALL({VAL(shielded, 179), VAL(hitOn, 180), VAL(hitShielded, 0), VAL(g->lives, lives - 1),
              VAL(g_Player.state, Player::STATE_DEATH)});
}

// What the hit event does outside open play: a ship that is shielded,
// falling or flying a scripted sequence loses nothing, since a second hit
// would take a second life for one crash and a hit in a scripted flight
// would lose the flight.
TEST(PlayerPlay, HitsCountOnlyInPlayAndUnshielded) {
  PlayWorld w;
  ASSERT_TRUE(w.Ok());
  ASSERT_GE(w.RunToControl(), 0);
  Game* g = w.G();
  ASSERT_EQ(g->lives, 2);
  g_Player.SendEvent(kHitEventHit, 0);  // the entry's shield
  EXPECT_ALL({VAL(g_Player.state, Player::STATE_PLAY), VAL(g->lives, 2)});
  w.Step(180);
  g_Player.SendEvent(kHitEventHit, 0);
  EXPECT_ALL({VAL(g_Player.state, Player::STATE_DEATH), VAL(g->lives, 1)});
  w.Step(10);
  g_Player.SendEvent(kHitEventHit, 0);  // during the fall
  EXPECT_ALL({VAL(g_Player.state, Player::STATE_DEATH), VAL(g->lives, 1), VAL(g_Player.stepCounter, 9)});
  ASSERT_GE(w.RunToControl(), 0);
  w.Step(180);
  g_Player.OnEvent(9);
  w.Step(5);
  g_Player.SendEvent(kHitEventHit, 0);  // warping out
  EXPECT_ALL({VAL(g_Player.state, Player::STATE_SCRIPTED), VAL(g_Player.scriptedSub, 9), VAL(g->lives, 1)});
}

TEST(PlayerPlay, MovementSpeedsAndThePlayAreaLimits) {
  PlayWorld w;
  ASSERT_TRUE(w.Ok());
  ASSERT_GE(w.RunToControl(), 0);
  struct Case {
    CabInput input;
    int axis;
    float step, limit;
  };
  // 5 px a frame; the top keeps 64 px, the other sides 32. Every frame of
  // the 151 held takes a full step or stops at the limit, never beyond it,
  // and the limit is reached.
  for (const Case& c : {Case{CabInput::kLeft, 0, -5.0f, -208.0f}, Case{CabInput::kRight, 0, 5.0f, 208.0f},
                        Case{CabInput::kUp, 1, -5.0f, -256.0f}, Case{CabInput::kDown, 1, 5.0f, 288.0f}}) {
    w.Hold(c.input);
    const float other = g_Player.position[1 - c.axis];
    for (int f = 0; f <= 150; ++f) {
      const float was = g_Player.position[c.axis];
      w.Step();
      const float step = c.step > 0.0f ? std::min(was + c.step, c.limit) : std::max(was + c.step, c.limit);
      ASSERT_EQ(g_Player.position[c.axis], step) << "limit " << c.limit << ", frame " << f;
      ASSERT_EQ(g_Player.position[1 - c.axis], other) << "limit " << c.limit << ", frame " << f;
    }
    EXPECT_EQ(g_Player.position[c.axis], c.limit);
    w.Hold(c.input, false);
  }
  // Opposite directions cancel; a diagonal moves the full step on both
  // axes; the shot button slows the ship to 3 px.
  w.Hold(CabInput::kLeft);
  w.Hold(CabInput::kRight);
  const float x = g_Player.position[0];
  w.Step(3);
  EXPECT_EQ(g_Player.position[0], x);
  w.Hold(CabInput::kRight, false);
  w.Hold(CabInput::kUp);
  float before[2] = {g_Player.position[0], g_Player.position[1]};
  w.Step();
  EXPECT_ALL({VAL(g_Player.position[0] - before[0], -5.0f), VAL(g_Player.position[1] - before[1], -5.0f)});
  w.Hold(CabInput::kButton1);
  before[0] = g_Player.position[0];
  w.Step();
  EXPECT_EQ(g_Player.position[0] - before[0], -3.0f);
}

// The frames on which shots were fired, and how many each time (options
// off: power 0; no shot leaves the screen within 14 frames of its volley).
std::vector<int> VolleyFrames(PlayWorld& w, int frames, std::vector<int>* counts = nullptr) {
  std::vector<int> fired;
  int live = g_PShotMan.LiveCount();
  for (int f = 1; f <= frames; ++f) {
    w.Step();
    const int now = g_PShotMan.LiveCount();
    if (now > live) {
      fired.push_back(f);
      if (counts != nullptr) counts->push_back(now - live);
    }
    live = now;
  }
  return fired;
}

TEST(PlayerPlay, VolleysOfFourShotsOnTheAutoFireFrames) {
  PlayWorld w;
  ASSERT_TRUE(w.Ok());
  ASSERT_GE(w.RunToControl(), 0);
  g_Player.options.ClearAll();
  g_Player.power = 0.0f;
  // A tap: volleys on burst frames 3, 6 and 9, then the burst ends at 12.
  w.Hold(CabInput::kButton1);
  w.Step();
  w.Hold(CabInput::kButton1, false);
  std::vector<int> counts;
  EXPECT_EQ(VolleyFrames(w, 12, &counts), (std::vector<int>{2, 5, 8}));
  EXPECT_EQ(counts, (std::vector<int>{4, 4, 4}));
  EXPECT_EQ(g_Player.fireCounter, 0);
  // Held: four volleys in every 15 frames, each four shots flying up at 35.
  w.Step(20);
  w.Hold(CabInput::kButton1);
  const std::vector<int> held = VolleyFrames(w, 30);
  EXPECT_EQ(held, (std::vector<int>{3, 6, 9, 15, 18, 21, 24, 30}));
  const PShot* s = nullptr;
  for (int32_t i = 0; i < g_PShotMan.Pool().Capacity() && s == nullptr; ++i)
    if (g_PShotMan.Pool().InUse(i)) s = g_PShotMan.Pool().At(i);
  ASSERT_NE(s, nullptr);
  EXPECT_ALL({VAL(s->velocity[1], -35.0f), VAL(s->velocity[0], 0.0f), VAL(s->group, 2), VAL(s->radius, 12.0f)});
}

TEST(PlayerPlay, OptionsFollowThePowerAndFireWithTheShip) {
  PlayWorld w;
  ASSERT_TRUE(w.Ok());
  ASSERT_GE(w.RunToControl(), 0);
  // Power 2.0 at the start of a play: two options appear with the control.
  EXPECT_EQ(g_Player.options.PresentCount(), 2);
  w.Step(12);
  EXPECT_EQ(g_Player.options.options[0].state, POptionMan::OPTION_ACTIVE);
  // 2.9 gives no third; 3.0 adds it at (0, +50) from the ship.
  g_Player.AddPower(0.9f);
  EXPECT_EQ(g_Player.options.PresentCount(), 2);
  g_Player.AddPower(0.1f);
  EXPECT_EQ(g_Player.options.PresentCount(), 3);
  // (It breathes between 1.0 and 1.1 times its offset.)
  EXPECT_EQ(g_Player.options.options[2].position[0], g_Player.position[0]);
  EXPECT_GE(g_Player.options.options[2].position[1], g_Player.position[1] + 50.0f);
  EXPECT_LE(g_Player.options.options[2].position[1], g_Player.position[1] + 55.0f);
  g_Player.AddPower(5.0f);
  EXPECT_EQ(g_Player.power, 4.0f);
  EXPECT_EQ(g_Player.options.PresentCount(), 4);
  // Silent ship, silent options; a volley frame fires four ship shots and
  // one per option.
  w.Step(12);
  const int live = g_PShotMan.LiveCount();
  EXPECT_EQ(live, 0);
  w.Hold(CabInput::kButton1);
  w.Step(4);
  EXPECT_EQ(g_PShotMan.LiveCount(), 4 + 4);
}

}  // namespace
