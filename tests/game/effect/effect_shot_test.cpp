// Effect shots (a body riding on an effect sprite) and the shadow packet's
// plane projection.
#include <gtest/gtest.h>

#include <cmath>

#include "game/effect/EffectShotMan.h"
#include "game/effect/ShadowPacket.h"
#include "platform/crt_rand.h"
#include "support/WeaponRig.h"
#include "vrax/graphic/SGpSpriteCell.h"

namespace {

using testsupport::WeaponRig;

class EffectShotTest : public ::testing::Test {
 protected:
  void SetUp() override {
    plat::SRand(0);
    shots.SetStatic(true);
    rig.Adopt(&shots);
    rig.PlacePlayer(0.0f, 300.0f);
  }
  void TearDown() override { shots.ClearAll(); }
  const EffectShot* First() const { return static_cast<const EffectShot*>(shots.Live().HeadObj()); }
  WeaponRig rig;
  EffectShotMan shots;
};

TEST_F(EffectShotTest, ShotRidesOnItsSpriteAndEndsWithIt) {
  EXPECT_EQ(shots.GetName(), "EffectShotMan");
  const SVec4 at{10.0f, 20.0f, 0.0f, 1.0f};
  const SVec4 v2{0.0f, 2.0f, 0.0f, 0.0f};
  shots.Spawn(&at, 0, 0.0f, 2.0f, 2.0f, nullptr, &v2, 1.0f);
  ASSERT_EQ(shots.LiveCount(), 1);
  const EffectShot* s = First();
  EXPECT_EQ(s->body.group, 9);
  EXPECT_EQ(s->body.mask, 0xAu);
  EXPECT_EQ(s->body.radius, 15.0f);
  EXPECT_EQ(s->body.aux, 100u);
  EXPECT_EQ(s->body.power, reinterpret_cast<intptr_t>(s));
  SGpSpriteCell* cell = s->sprite->Sprite();
  ASSERT_NE(cell, nullptr);
  EXPECT_EQ(s->body.position, cell->position);
  rig.Run(5);
  EXPECT_FLOAT_EQ(s->body.position[1], 30.0f) << "the body follows the sprite";
  // The shot stays while its sprite lives (life A 71, then life B 20) and
  // goes in the first frame after the sprite did.
  int frames = 5;
  while (s->sprite.Get() != nullptr && frames < 200) {
    EXPECT_EQ(shots.LiveCount(), 1) << frames;
    rig.Run(1);
    ++frames;
  }
  EXPECT_GE(frames, 91);
  EXPECT_LE(frames, 93);
  rig.Run(1);
  EXPECT_EQ(shots.LiveCount(), 0);
  EXPECT_EQ(HitGroupTable[9].Count(), 0);
}

TEST_F(EffectShotTest, HitRemovesOnlyTheBodyAndTheSpriteFliesOn) {
  rig.PlacePlayer(0.0f, 0.0f);
  const SVec4 at{0.0f, 0.0f, 0.0f, 1.0f};
  const SVec4 away{100.0f, 0.0f, 0.0f, 1.0f};
  shots.Spawn(&at, 0, 0.0f, 1.0f, 1.0f, nullptr, nullptr, 0.0f);
  shots.Spawn(&away, 0, 0.0f, 1.0f, 1.0f, nullptr, nullptr, 0.0f);
  const int sprites = rig.efx.LiveCount(1);
  rig.Run(1);
  EXPECT_EQ(rig.PlayerHits(), 1);
  EXPECT_EQ(shots.LiveCount(), 1);
  EXPECT_EQ(rig.efx.LiveCount(1), sprites);
  // A foreign argument is only compared.
  shots.SendEvent(7, 4242);
  EXPECT_EQ(shots.LiveCount(), 1);
}

TEST_F(EffectShotTest, Codes9And11AndKillClearEveryShot) {
  const SVec4 at{0.0f, 100.0f, 0.0f, 1.0f};
  for (int32_t code : {9, 11, 0}) {
    for (int i = 0; i < 3; ++i) shots.Spawn(&at, 1, 0.0f, 1.0f, 1.0f, nullptr, nullptr, 0.0f);
    EXPECT_EQ(shots.LiveCount(), 3);
    shots.SendEvent(10, 0);
    EXPECT_EQ(shots.LiveCount(), 3) << "other codes do nothing";
    if (code != 0) {
      shots.SendEvent(code, 0);
    } else {
      shots.SendEvent(SProc::EVENT_KILL, 0);
    }
    EXPECT_EQ(shots.LiveCount(), 0) << code;
  }
}

TEST_F(EffectShotTest, ClearedSpritesTakeTheirShotsBeforeTheNextCollisionTest) {
  rig.PlacePlayer(0.0f, 0.0f);
  const SVec4 at{0.0f, 0.0f, 0.0f, 1.0f};
  shots.Spawn(&at, 0, 0.0f, 1.0f, 1.0f, nullptr, nullptr, 0.0f);
  rig.efx.ClearAll();  // a bomb or a stage end clears the effects
  rig.Run(1);
  EXPECT_EQ(rig.PlayerHits(), 0);
  EXPECT_EQ(shots.LiveCount(), 0);
}

TEST_F(EffectShotTest, FullPoolSpawnsNothing) {
  const SVec4 at{0.0f, 0.0f, 0.0f, 1.0f};
  for (int i = 0; i < 130; ++i) shots.Spawn(&at, 0, 0.0f, 1.0f, 1.0f, nullptr, nullptr, 0.0f);
  EXPECT_EQ(shots.LiveCount(), 128);
}

// ------------------------------------------------------------------ shadow

TEST(ShadowPacketTest, ProjectionAlongTheLightOntoThePlane) {
  ShadowPacket p;
  SGpNode node;
  p.Bind(&node);
  EXPECT_EQ(node.GetKeepWorld(), 1);
  p.SetDirection(0.0f, 1.0f, 1.0f);
  SMatrix s;
  ASSERT_TRUE(p.Projection(&s));
  // Onto z = 0 along (0, 1, 1): (x, y, z) -> (x, y - z, 0).
  const SMatrix want = {{{1, 0, 0, 0}, {0, 1, 0, 0}, {0, -1, 0, 0}, {0, 0, 0, 1}}};
  for (int r = 0; r < 4; ++r)
    for (int c = 0; c < 4; ++c) EXPECT_FLOAT_EQ(s.m[r][c], want.m[r][c]) << r << "," << c;
  // A plane through (0, 0, 100): points land on z = 100.
  p.GetMatrix()->m[3][2] = 100.0f;
  ASSERT_TRUE(p.Projection(&s));
  const SVec3 q{5.0f, 40.0f, 300.0f};
  SVec4 out;
  SVec3Transform(&out, &q, &s);
  EXPECT_FLOAT_EQ(out.x, 5.0f);
  EXPECT_FLOAT_EQ(out.y, 40.0f - 200.0f);
  EXPECT_FLOAT_EQ(out.z, 100.0f);
  // A light along the plane, or none, projects nothing.
  p.SetDirection(1.0f, 0.0f, 0.0f);
  EXPECT_FALSE(p.Projection(&s));
  p.SetDirection(0.0f, 0.0f, 0.0f);
  EXPECT_FALSE(p.Projection(&s));
}

TEST(ShadowPacketTest, CasterBlobStandsUnderItsNodeWithoutTouchingItsPose) {
  ShadowPacket p;
  SGpNode root, caster;
  caster.SetParent(&root);
  p.Bind(&root);
  p.SetDirection(0.0f, 0.0f, 1.0f);
  p.SetColour(0.0f, 0.0f, 0.0f, 0.5f);
  ShadowCaster* c = p.AddCaster(&caster);
  ASSERT_NE(c, nullptr);
  EXPECT_EQ(c->GetSize(), 32.0f);
  c->SetSize(10.0f);
  SMatrix pose = kIdentityMatrix;
  RotateZ(&pose, &pose, 0.125f);
  pose.m[3][0] = 30.0f;
  pose.m[3][1] = -20.0f;
  pose.m[3][2] = 50.0f;
  *caster.GetLocal() = pose;
  p.Execute();  // updates the tree's kept matrices, then draws (no device)
  for (int r = 0; r < 4; ++r)
    for (int q = 0; q < 4; ++q) EXPECT_EQ(caster.GetWorld()->m[r][q], pose.m[r][q]) << "pose kept " << r << q;
  SMatrix w;
  ASSERT_TRUE(p.CasterWorld(*c, &w));
  // Straight down onto z = 0: a blob of radius 10 at (30, -20, 0).
  EXPECT_FLOAT_EQ(w.m[3][0], 30.0f);
  EXPECT_FLOAT_EQ(w.m[3][1], -20.0f);
  EXPECT_FLOAT_EQ(w.m[3][2], 0.0f);
  // The blob's size is scaled by sqrt(S00^2 + S01^2 + 1).
  EXPECT_FLOAT_EQ(w.m[0][0], 10.0f * std::sqrt(2.0f));
  EXPECT_FLOAT_EQ(w.m[1][1], 10.0f * std::sqrt(2.0f));
  // Inner disc from alpha 0.5 at the centre to 0.95 x 0.5 at half radius.
  EXPECT_EQ(p.InnerDisc().Prim().GetVertexColour(0), 0x80000000u);
  EXPECT_EQ(p.InnerDisc().Prim().GetVertexColour(1), 0x79000000u);  // 0.475 x 255 + 0.5 = 121.6
  EXPECT_EQ(p.Rim().Prim().GetVertexColour(1), 0x00000000u);
}

TEST(ShadowPacketTest, FadesWithDistanceAndStopsAtTheLimit) {
  struct Case {
    float limit, height;
    bool drawn;
    uint32_t centre;
  } const cases[] = {
      {0.0f, 5000.0f, true, 0x80000000u},  // no limit: full alpha at any distance
      {400.0f, 100.0f, true, 0x60000000u},  // 0.5 x 0.75 = 0.375: 96
      {400.0f, 400.0f, false, 0},
      {400.0f, 500.0f, false, 0},
  };
  for (const Case& c : cases) {
    ShadowPacket p;
    SGpNode root;
    p.Bind(&root);
    p.SetDirection(0.0f, 0.0f, 1.0f);
    p.SetColour(0.0f, 0.0f, 0.0f, 0.5f);
    p.SetMaxDistance(c.limit);
    root.GetLocal()->m[3][2] = c.height;
    p.AddCaster(&root);
    p.Execute();
    const bool drawn = p.InnerDisc().Prim().GetVertexCapacity() > 0;
    EXPECT_EQ(drawn, c.drawn) << c.limit << " " << c.height;
    if (c.drawn) { EXPECT_EQ(p.InnerDisc().Prim().GetVertexColour(0), c.centre) << c.height; }
  }
}

// The plane's normal is (0, 0, -1) turned by the plane matrix as a direction:
// moving the plane along itself neither tilts the shadow nor changes the
// distance it fades with (taken as a point, (0, 0, -1) would pick up the
// plane's translation (300, 0, 0) as a normal of about (300, 0, -1)).
TEST(ShadowPacketTest, PlaneMovedAlongItselfKeepsItsNormal) {
  ShadowPacket p;
  SGpNode root;
  p.Bind(&root);
  p.SetDirection(0.0f, 0.0f, 1.0f);
  p.SetColour(0.0f, 0.0f, 0.0f, 0.5f);
  p.SetMaxDistance(400.0f);
  p.GetMatrix()->m[3][0] = 300.0f;  // P = (300, 0, 0): still the plane z = 0
  root.GetLocal()->m[3][2] = 100.0f;  // Q = (0, 0, 100)
  ShadowCaster* c = p.AddCaster(&root);
  ASSERT_NE(c, nullptr);
  p.Execute();
  // e = |(P - Q) . (0, 0, -1)| = 100: alpha 0.5 x (1 - 100/400) = 0.375,
  // 0.375 x 255 + 0.5 = 96.1 -> 0x60.
  ASSERT_GT(p.InnerDisc().Prim().GetVertexCapacity(), 0);
  EXPECT_EQ(p.InnerDisc().Prim().GetVertexColour(0), 0x60000000u);
  // Straight down along z onto z = 0: the blob stands at (0, 0, 0), its size
  // 32 x sqrt(1 + 0 + 1).
  SMatrix w;
  ASSERT_TRUE(p.CasterWorld(*c, &w));
  EXPECT_FLOAT_EQ(w.m[3][0], 0.0f);
  EXPECT_FLOAT_EQ(w.m[3][1], 0.0f);
  EXPECT_FLOAT_EQ(w.m[3][2], 0.0f);
  EXPECT_FLOAT_EQ(w.m[0][0], 32.0f * std::sqrt(2.0f));
  EXPECT_FLOAT_EQ(w.m[2][2], 0.0f);
}

TEST(ShadowPacketTest, CasterPoolHolds64) {
  ShadowPacket p;
  SGpNode n;
  for (int i = 0; i < 64; ++i) ASSERT_NE(p.AddCaster(&n), nullptr);
  EXPECT_EQ(p.AddCaster(&n), nullptr);
  p.RemoveCasters();
  EXPECT_EQ(p.CasterCount(), 0);
}

}  // namespace
