// The enemy-shot manager: code decoding, depth, motion records, the
// off-screen rule, hits through the collision manager and the bulk calls.
#include <gtest/gtest.h>

#include <cmath>

#include "game/effect/EShotMan.h"
#include "game/stage/MapMng.h"
#include "platform/crt_rand.h"
#include "support/WeaponRig.h"

namespace {

using testsupport::WeaponRig;

EShot* FireAt(float x, float y, int32_t code = 0, float angle = 0.0f, float speed = 0.0f,
              const EShotMotion* motion = nullptr, int32_t id = -1, const float* drift = nullptr,
              float factor = 1.0f) {
  return EShotMan::Fire(code, 5, x, y, 0.0f, angle, speed, motion, id, drift, factor);
}

class EShotManTest : public ::testing::Test {
 protected:
  void SetUp() override {
    plat::SRand(0);
    rig.PlacePlayer(0.0f, 300.0f);
  }
  // END of the manager only (no collisions, no generators).
  void Step(int frames = 1) {
    for (int i = 0; i < frames; ++i) rig.eshot.SendEvent(SProc::EVENT_END, 0);
  }
  WeaponRig rig;
};

TEST_F(EShotManTest, CodeGivesKindModulo17AndBatchAsNonNegativeRemainderOf6) {
  struct Case {
    int32_t code, kind, batch;
    float radius;
  } const cases[] = {
      {0x0503, 3, 5, 4.0f}, {0x0611, 0, 0, 5.0f}, {0x0010, 16, 0, 7.0f}, {0x00FF, 0, 0, 5.0f},  // 255 = 15 x 17
      {0x0C07, 7, 0, 3.0f}, {0x0D22, 0, 1, 5.0f},                                              // 0x22 = 34 = 2 x 17
      {-0x100, 0, 5, 5.0f},                                                                    // (code >> 8) = -1
      {static_cast<int32_t>(0xFFFFF901u), 1, 5, 9.0f},                                        // (code >> 8) = -7
  };
  for (const Case& c : cases) {
    EShot* s = FireAt(0.0f, 0.0f, c.code);
    ASSERT_NE(s, nullptr) << c.code;
    EXPECT_EQ(s->kind, c.kind) << c.code;
    EXPECT_EQ(s->batch, c.batch) << c.code;
    EXPECT_EQ(s->group, 8);
    EXPECT_EQ(s->mask, 1u);
    EXPECT_EQ(s->aux, 5u);
    EXPECT_EQ(s->power, reinterpret_cast<intptr_t>(s));
    EXPECT_EQ(s->radius, c.radius) << c.code;
  }
  EXPECT_EQ(rig.eshot.LiveCount(), 8);
  // Kind 14 is never fired and takes no slot.
  EXPECT_EQ(FireAt(0, 0, 0x0E), nullptr);
  EXPECT_EQ(FireAt(0, 0, 0x021F), nullptr);  // 31 mod 17 = 14
  EXPECT_EQ(rig.eshot.LiveCount(), 8);
}

// The collision radius of every kind that is fired, and its square.
TEST_F(EShotManTest, EachKindRegistersItsCollisionRadius) {
  struct Case {
    int32_t kind;
    float radius;
  } const cases[] = {{0, 5.0f}, {1, 9.0f},  {2, 6.0f},  {3, 4.0f},  {4, 5.0f},   {5, 5.0f},
                     {6, 3.0f}, {7, 3.0f},  {8, 10.0f}, {9, 10.0f}, {10, 3.0f},  {11, 1.5f},
                     {12, 3.0f}, {13, 4.0f}, {15, 10.0f}, {16, 7.0f}};
  for (const Case& c : cases) {
    EShot* s = FireAt(0.0f, 0.0f, c.kind);
    ASSERT_NE(s, nullptr) << c.kind;
    EXPECT_EQ(s->kind, c.kind);
    EXPECT_EQ(s->radius, c.radius) << "kind " << c.kind;
    EXPECT_EQ(s->radiusSq, c.radius * c.radius) << "kind " << c.kind;
  }
}

TEST_F(EShotManTest, DepthFoldsIntoPositionAndVelocityFollowsAngle) {
  EShot* a = EShotMan::Fire(0, 5, 100.0f, -60.0f, 512.0f, 0.25f, 4.0f, nullptr, 7, nullptr, 1.0f);
  ASSERT_NE(a, nullptr);
  EXPECT_FLOAT_EQ(a->position[0], 50.0f);
  EXPECT_FLOAT_EQ(a->position[1], -30.0f);
  EXPECT_EQ(a->position[2], 0.0f);
  EXPECT_NEAR(a->velocity[0], 0.0f, 1e-6f);
  EXPECT_FLOAT_EQ(a->velocity[1], 4.0f);
  EXPECT_EQ(a->id, 7);
  // At or behind the eye the divisor is held at 1 instead of dividing by 0.
  EShot* b = EShotMan::Fire(0, 5, 1.0f, 2.0f, -512.0f, 0.0f, 0.0f, nullptr, 7, nullptr, 1.0f);
  EXPECT_FLOAT_EQ(b->position[0], 512.0f);
  EXPECT_FLOAT_EQ(b->position[1], 1024.0f);
}

TEST_F(EShotManTest, OffScreenRuleKeepsTheLimitAndReleasesBeyondIt) {
  struct Case {
    float x, y;
    bool stays;
  } const cases[] = {{288.0f, 0.0f, true},    {288.001f, 0.0f, false}, {-288.0f, 0.0f, true},
                     {-288.01f, 0.0f, false}, {0.0f, 368.0f, true},    {0.0f, 368.01f, false},
                     {0.0f, -368.0f, true},   {0.0f, -368.01f, false}};
  for (const Case& c : cases) {
    EShot* s = FireAt(c.x, c.y);
    Step();
    EXPECT_EQ(rig.eshot.LiveCount(), c.stays ? 1 : 0) << c.x << "," << c.y;
    EXPECT_EQ(rig.eshot.BatchCount(0), c.stays ? 1 : 0);
    if (c.stays) s->Release(1);
  }
}

TEST_F(EShotManTest, MotionRecordRunsThroughItsDurationAndHandsOverAfterIt) {
  // 10 frames accelerating linearly from 0 by 10, then an absolute speed of
  // 3 at an absolute quarter turn.
  EShotMotion second{100, 0x00C00000, 0.25f, 0.0f, 3.0f, 0.0f, nullptr};
  EShotMotion first{10, 0x1, 0.0f, 0.0f, 0.0f, 10.0f, &second};
  EShot* s = FireAt(-200.0f, 0.0f, 0, 0.0f, 0.0f, &first);
  Step(10);
  EXPECT_EQ(s->motion, &first);  // the timer is 10: equal is not enough
  EXPECT_FLOAT_EQ(s->motionTimer, 10.0f);
  Step();
  EXPECT_EQ(s->motion, &second);
  EXPECT_EQ(s->motionTimer, 0.0f);
  EXPECT_FLOAT_EQ(s->speed, 3.0f);
  EXPECT_FLOAT_EQ(s->baseAngle, 0.25f);
  // Frame k moved by (k - 1) units: 0 + 1 + ... + 10.
  EXPECT_FLOAT_EQ(s->position[0], -200.0f + 55.0f);
  Step();
  EXPECT_FLOAT_EQ(s->angle, 0.25f);
  EXPECT_NEAR(s->velocity[0], 0.0f, 1e-6f);
  EXPECT_FLOAT_EQ(s->velocity[1], 3.0f);
  EXPECT_FLOAT_EQ(s->position[1], 3.0f);
}

// A record of duration 0 that eases its speed or its angle would divide 0
// by 0 for its t: it is over at once, handing over with the speed it
// started from and leaving the velocity as it was. Reached through next
// from a first record of one frame at 1 unit a frame along x, it starts
// at speed 1 + 3 and heading 0 + 0.25 on frame 2 but never turns the shot:
// on frame 3 it hands over to an absolute speed of 2 (heading 0 + the
// current 0) and the shot goes on along x at 1 (x = 3, y = 0).
TEST_F(EShotManTest, EasedRecordWithoutDurationIsOverAtOnce) {
  for (uint32_t easing : {0x1u, 0x100u, 0x00200800u}) {
    EShotMotion next{5, 0x00800000, 0.0f, 0.0f, 2.0f, 0.0f, nullptr};
    EShotMotion eased{0, easing, 0.25f, 0.5f, 3.0f, 1.0f, &next};
    EShotMotion lead{1, 0x0, 0.0f, 0.0f, 0.0f, 0.0f, &eased};
    EShot* s = FireAt(0.0f, 0.0f, 0, 0.0f, 1.0f, &lead);
    Step(2);
    ASSERT_EQ(s->motion, &eased) << easing;
    EXPECT_FLOAT_EQ(s->speed, 4.0f);
    EXPECT_FLOAT_EQ(s->baseAngle, 0.25f);
    Step();
    EXPECT_EQ(s->motion, &next) << easing;
    EXPECT_FLOAT_EQ(s->speed, 2.0f);
    EXPECT_FLOAT_EQ(s->baseAngle, 0.0f);
    EXPECT_FLOAT_EQ(s->velocity[0], 1.0f) << easing;
    EXPECT_FLOAT_EQ(s->position[0], 3.0f);
    EXPECT_FLOAT_EQ(s->position[1], 0.0f);
    s->Release(1);
  }
}

// Without an easing a record of duration 0 runs its one frame as any
// record does: reached through next, it sets the velocity from its angle
// and speed and then hands over (the timer, 1, is past 0). Fired at 1 unit
// a frame along x, a first record of one frame hands over on frame 2 (the
// shot at x = 2); on frame 3:
// - an absolute quarter turn at speed 5 moves the shot 5 along y, then
//   hands over to an absolute speed of 2 at the same heading (0 + 0.25),
//   which moves it 2 further along y on frame 4;
// - a sweep to a stored target under the ease-in curve leaves the heading
//   (0) alone: at its absolute speed of 4 the shot moves 4 along x, then
//   keeps that velocity with no record after it.
TEST_F(EShotManTest, RecordWithoutDurationAndEasingRunsOneFrame) {
  EShotMotion after{10, 0x00800000, 0.0f, 0.0f, 2.0f, 0.0f, nullptr};
  EShotMotion quarter{0, 0x00C00000, 0.25f, 0.0f, 5.0f, 0.0f, &after};
  EShotMotion lead{1, 0x0, 0.0f, 0.0f, 0.0f, 0.0f, &quarter};
  EShot* a = FireAt(0.0f, 0.0f, 0, 0.0f, 1.0f, &lead);
  EShotMotion target{0, 0x00D00400, 0.25f, 0.1f, 4.0f, 0.0f, nullptr};
  EShotMotion lead2{1, 0x0, 0.0f, 0.0f, 0.0f, 0.0f, &target};
  EShot* b = FireAt(0.0f, 100.0f, 0, 0.0f, 1.0f, &lead2);
  Step(2);
  ASSERT_EQ(a->motion, &quarter);
  ASSERT_EQ(b->motion, &target);
  EXPECT_FLOAT_EQ(a->position[0], 2.0f);
  Step();
  EXPECT_EQ(a->motion, &after);
  EXPECT_NEAR(a->position[0], 2.0f, 1e-5f);
  EXPECT_FLOAT_EQ(a->position[1], 5.0f);
  EXPECT_FLOAT_EQ(a->speed, 2.0f);
  EXPECT_FLOAT_EQ(a->baseAngle, 0.25f);
  EXPECT_EQ(b->motion, nullptr);
  EXPECT_FLOAT_EQ(b->angle, 0.0f);
  EXPECT_FLOAT_EQ(b->position[0], 6.0f);
  EXPECT_FLOAT_EQ(b->position[1], 100.0f);
  Step();
  EXPECT_FLOAT_EQ(a->position[1], 7.0f);
  EXPECT_FLOAT_EQ(b->position[0], 10.0f);
}

TEST_F(EShotManTest, EasedRecordWithoutDurationHandsOverAndANegativeDurationRunsAFrame) {
  EShotMotion next{5, 0x00800000, 0.0f, 0.0f, 2.0f, 0.0f, nullptr};
  EShotMotion none{0, 0x101, 0.0f, 0.5f, 0.0f, 1.0f, &next};
  EShotMotion negative{-3, 0x101, 0.0f, 0.5f, 0.0f, 1.0f, nullptr};
  EShot* a = FireAt(0.0f, 0.0f, 0, 0.0f, 1.0f, &none);
  EShot* b = FireAt(0.0f, 0.0f, 0, 0.0f, 1.0f, &negative);
  Step();
  EXPECT_EQ(a->motion, &next);
  EXPECT_FLOAT_EQ(a->speed, 2.0f);
  EXPECT_EQ(b->motion, nullptr);
  for (const EShot* s : {a, b}) {
    EXPECT_FALSE(std::isnan(s->velocity[0]) || std::isnan(s->position[0]));
  }
  EXPECT_FLOAT_EQ(b->position[0], 1.0f);  // kept its velocity

  // A negative duration still runs its one frame (t = 0): reached through
  // next with an absolute quarter turn at speed 5, it sets that velocity,
  // then hands over to nothing and the shot keeps it.
  EShotMotion brief{-3, 0x00C00000, 0.25f, 0.0f, 5.0f, 0.0f, nullptr};
  EShotMotion lead{1, 0x0, 0.0f, 0.0f, 0.0f, 0.0f, &brief};
  EShot* c = FireAt(0.0f, 0.0f, 0, 0.0f, 1.0f, &lead);
  Step(2);
  ASSERT_EQ(c->motion, &brief);
  Step();
  EXPECT_EQ(c->motion, nullptr);
  EXPECT_NEAR(c->velocity[0], 0.0f, 1e-5f);
  EXPECT_FLOAT_EQ(c->velocity[1], 5.0f);
  EXPECT_FLOAT_EQ(c->position[1], 5.0f);
}

TEST_F(EShotManTest, TurnModeAimsAtThePlayerTheShortWayAround) {
  // The second record turns towards the player (straight below: 0.25 turn)
  // from a heading of 0.9 turn: the gap of 0.35 the short way.
  rig.PlacePlayer(0.0f, 100.0f);
  EShotMotion turn{20, 0x00600100, 0.9f, 0.0f, 1.0f, 0.0f, nullptr};
  EShotMotion first{1, 0x0, 0.0f, 0.0f, 0.0f, 0.0f, &turn};
  EShot* s = FireAt(0.0f, 0.0f, 0, 0.0f, 0.0f, &first);
  Step(2);
  ASSERT_EQ(s->motion, &turn);
  EXPECT_FLOAT_EQ(s->baseAngle, 0.9f);
  EXPECT_FLOAT_EQ(s->targetAngle, 1.25f);
  Step(11);  // t = 10 / 20
  EXPECT_FLOAT_EQ(s->angle, 0.9f + 0.5f * 0.35f);
}

TEST_F(EShotManTest, DriftAndVelocityFactorApplyEveryFrame) {
  const float drift[2] = {0.0f, 4.0f};
  EShot* s = FireAt(0.0f, 0.0f, 0x0203, 0.0f, 10.0f, nullptr, -1, drift, 0.5f);
  Step(2);
  // Velocity 10 -> 5 -> 2.5 before each move; drift 4 each frame.
  EXPECT_FLOAT_EQ(s->position[0], 7.5f);
  EXPECT_FLOAT_EQ(s->position[1], 8.0f);
}

TEST_F(EShotManTest, ElongatedShotStandsAheadAlongItsHeading) {
  // Kind 10 heading straight down (0.25 turn): C = 0, S = 1.
  EShot* s = FireAt(10.0f, 20.0f, 10, 0.25f, 2.0f);
  ASSERT_NE(s, nullptr);
  const float w = EShotMan::KindWidth(10), h = EShotMan::KindHeight(10);
  EXPECT_EQ(w, 17.0f);
  EXPECT_EQ(h, 31.0f);
  EXPECT_NEAR(s->position[0], 10.0f, 1e-5f);
  EXPECT_FLOAT_EQ(s->position[1], 20.0f + 0.25f * h);
  ASSERT_EQ(s->quad, s->ownQuad);
  const float want[4][2] = {{0.5f * w, 0.125f * h},
                            {-0.5f * w, 0.125f * h},
                            {0.5f * w, -0.875f * h},
                            {-0.5f * w, -0.875f * h}};
  for (int i = 0; i < 4; ++i) {
    EXPECT_NEAR(s->quad[i][0], want[i][0], 1e-4f) << i;
    EXPECT_NEAR(s->quad[i][1], want[i][1], 1e-4f) << i;
  }
  // A round kind shares the manager's centred quad of its size.
  EShot* r = FireAt(0.0f, 0.0f, 0x0104);
  Step();
  EXPECT_EQ(r->quad[0][0], -EShotMan::KindWidth(4) / 2);
  EXPECT_EQ(r->quad[3][1], EShotMan::KindHeight(4) / 2);
  EXPECT_EQ(rig.eshot.BatchCount(0), 1);
  EXPECT_EQ(rig.eshot.BatchCount(1), 1);
  // The batch quad: position + corner, texture corners of the kind's frame.
  const SGpRect* part = rig.eshot.KindTrack(4).GetPart();
  const SVec3 v3 = rig.eshot.Batch(1).GetVertexPos(3);
  EXPECT_EQ(v3.x, EShotMan::KindWidth(4) / 2);
  EXPECT_EQ(rig.eshot.Batch(1).GetVertexUV(3).x, part->uBR);
  EXPECT_EQ(rig.eshot.Batch(1).GetVertexColour(0), 0xFFFFFFFFu);
}

TEST_F(EShotManTest, PoolHolds1500ShotsAndClearAllEmptiesGroup8) {
  for (int i = 0; i < 1500; ++i) ASSERT_NE(FireAt(0, 0, 0x0100, 0.0f, 1.0f), nullptr) << i;
  EXPECT_EQ(FireAt(0, 0), nullptr);
  Step();
  EXPECT_EQ(rig.eshot.BatchCount(1), 1500);
  EShotMan::ClearAll(0);
  EXPECT_EQ(rig.eshot.LiveCount(), 0);
  EXPECT_EQ(HitGroupTable[8].Count(), 0);
}

TEST_F(EShotManTest, ClearAllDrawsOneRandomPerShotOnlyWithItsEffect) {
  // The rand sequence from seed 0: 38, 7719, 21238, 2437.
  EShotMan::ClearAll(1);  // nothing live: nothing happens
  for (int i = 0; i < 3; ++i) FireAt(0, 0, 0x0302, 0.0f, 2.0f);
  EShotMan::ClearAll(0);
  EXPECT_EQ(rig.efx.LiveCount(1), 0);
  EXPECT_EQ(plat::Rand(), 38) << "no value drawn without the effect";
  plat::SRand(0);
  for (int i = 0; i < 3; ++i) FireAt(0, 0, 0x0302, 0.0f, 2.0f);
  EShotMan::ClearAll(1);
  EXPECT_EQ(rig.eshot.LiveCount(), 0);
  EXPECT_EQ(rig.efx.LiveCount(1), 3);
  EXPECT_EQ(plat::Rand(), 2437) << "one value per shot";
}

TEST_F(EShotManTest, TouchingThePlayerReleasesTheShotWithItsHitEffect) {
  rig.PlacePlayer(50.0f, 50.0f);
  EShot* s = FireAt(50.0f + 6.0f, 50.0f, 0x0001);  // kind 1: radius 9, core 2
  FireAt(50.0f + 12.0f, 50.0f, 0x0001);            // 12 > 11: misses
  rig.Run(1);
  EXPECT_EQ(rig.PlayerHits(), 1);
  EXPECT_EQ(rig.eshot.LiveCount(), 1);
  EXPECT_NE(HitGroupTable[8].HeadObj(), s);
  EXPECT_EQ(rig.efx.LiveCount(1), 1);
  // A stale argument is ignored.
  rig.eshot.OnUser(7, reinterpret_cast<SProcArg>(s));
  rig.eshot.OnUser(7, 12345);
  EXPECT_EQ(rig.eshot.LiveCount(), 1);
}

TEST_F(EShotManTest, ByIdCallsReachOnlyThatId) {
  EShotMotion m{10, 0, 0, 0, 0, 0, nullptr};
  EShot* a = FireAt(0, 0, 0, 0.0f, 1.0f, nullptr, 3);
  EShot* b = FireAt(0, 0, 0, 0.0f, 1.0f, nullptr, 4);
  a->motionTimer = 5.0f;
  EShotMan::SetMotionById(3, &m);
  EXPECT_EQ(a->motion, &m);
  EXPECT_EQ(a->motionTimer, 0.0f);
  EXPECT_EQ(b->motion, nullptr);
  const float v[2] = {-2.0f, 7.0f};
  EShotMan::ForEach(4, v);
  EXPECT_EQ(b->velocity[1], 7.0f);
  EXPECT_EQ(a->velocity[1], 0.0f);
}

TEST_F(EShotManTest, ShotTimeStepScalesMovesAndTheMotionClockButNotTheDrift) {
  // A shot time step of 0.5: speed 4 moves 2 a frame, the drift of 1 stays 1.
  const float drift[2] = {0.0f, 1.0f};
  EShot* a = FireAt(0.0f, 0.0f, 0, 0.0f, 4.0f, nullptr, -1, drift);
  // A record of 2 frames with no easing, then an absolute speed of 6: the
  // clock runs 0.5 a frame, so it passes 2 at the fifth frame.
  EShotMotion next{100, 0x00800000, 0.0f, 0.0f, 6.0f, 0.0f, nullptr};
  EShotMotion first{2, 0x0, 0.0f, 0.0f, 0.0f, 0.0f, &next};
  EShot* b = FireAt(0.0f, 100.0f, 0, 0.0f, 2.0f, &first);
  g_MapMng.SetShotTimeScale(0.5f);
  Step(2);
  EXPECT_FLOAT_EQ(a->position[0], 4.0f);
  EXPECT_FLOAT_EQ(a->position[1], 2.0f);
  Step(2);
  EXPECT_EQ(b->motion, &first);
  EXPECT_FLOAT_EQ(b->motionTimer, 2.0f);  // equal is not enough
  Step();
  EXPECT_EQ(b->motion, &next);
  EXPECT_FLOAT_EQ(b->speed, 6.0f);
  EXPECT_FLOAT_EQ(b->position[0], 5.0f);  // five frames of 0.5 x 2
  Step();
  EXPECT_FLOAT_EQ(b->position[0], 8.0f);  // then 0.5 x 6
  g_MapMng.SetShotTimeScale(1.0f);
}

}  // namespace
