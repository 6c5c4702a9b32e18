// The enemy laser: charge, segments and their count, widths and envelope,
// hits that cut the beam, the shared firing count and the strips.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <vector>

#include "game/effect/ELaserGen.h"
#include "game/stage/ScriptStgRsc.h"
#include "platform/crt_rand.h"
#include "support/NothrowNewFails.h"
#include "support/WeaponRig.h"

namespace {

using testsupport::WeaponRig;

void SetWord(GeneratorRecord* r, int i, uint32_t v) { std::memcpy(reinterpret_cast<uint8_t*>(r) + 4 * i, &v, 4); }
void SetWordF(GeneratorRecord* r, int i, float f) {
  uint32_t v;
  std::memcpy(&v, &f, 4);
  SetWord(r, i, v);
}

// A laser record: words 1 to 13 as the laser reads them.
GeneratorRecord LaserRecord(uint32_t flags, float speed, int32_t firing, int32_t colour = 0, float core = 0.5f,
                            float aV1 = 10.0f, float aV0 = 10.0f, float bV1 = 10.0f, float bV0 = 10.0f) {
  GeneratorRecord r;
  r.flags = flags | GeneratorRecord::kLaser;
  SetWordF(&r, 2, speed);
  SetWord(&r, 3, static_cast<uint32_t>(firing));
  SetWord(&r, 4, static_cast<uint32_t>(colour));
  const float f[9] = {core, 20.0f, 0.0f, aV1, aV0, 20.0f, 0.0f, bV1, bV0};
  for (int i = 0; i < 9; ++i) SetWordF(&r, 5 + i, f[i]);
  return r;
}

class ELaserGenTest : public ::testing::Test {
 protected:
  void SetUp() override {
    plat::SRand(0);
    rig.PlaceOwner(0.0f, -200.0f);
    rig.PlacePlayer(200.0f, 250.0f);
  }
  ELaserGen* Start(const GeneratorRecord& r) { return static_cast<ELaserGen*>(rig.Start(r)); }
  int Bodies(const ELaserGen* l) {
    int n = 0;
    for (const SObject* o = l->Segments().HeadObj(); o != nullptr; o = o->GetNext())
      if (static_cast<const LaserSegment*>(o)->body.GetOwner() != nullptr) ++n;
    return n;
  }
  WeaponRig rig;
};

TEST_F(ELaserGenTest, ChargesFor126FramesThenFires) {
  ELaserGen* l = Start(LaserRecord(0x1, 8.0f, 300));
  ASSERT_NE(l, nullptr);
  EXPECT_EQ(l->GetName(), "ELaserGen");
  EXPECT_TRUE(ELaserGen::ChargeSoundArmed());
  rig.Run(1);
  EXPECT_FALSE(ELaserGen::ChargeSoundArmed()) << "the first charge takes the charge sound";
  rig.Run(124);
  EXPECT_TRUE(l->Charging());
  EXPECT_EQ(l->Phase(), 125);
  EXPECT_EQ(l->LiveSegments(), 0);
  rig.Run(1);
  EXPECT_FALSE(l->Charging());
  EXPECT_EQ(l->Phase(), 0);
  EXPECT_EQ(ELaserGen::FiringCount(), 1);
  rig.Run(1);
  EXPECT_EQ(l->LiveSegments(), 1);
  EXPECT_EQ(l->Phase(), 1);
  // The charge threw three sparks a frame for 80 frames and one ring.
  EXPECT_EQ(rig.efx.LiveCount(3), 0) << "the ring lives 35 frames";
  rig.owner.KillChildrenAll(0);
  rig.Run(2);
  EXPECT_EQ(ELaserGen::FiringCount(), 0);
  EXPECT_TRUE(ELaserGen::ChargeSoundArmed());
}

TEST_F(ELaserGenTest, FullBeamHoldsFloorOf960OverSpeedPlus3Segments) {
  struct Case {
    float speed;
    int live;
  // Below 960 / 126 the pool of 128 runs full: the frame's release leaves
  // 127 after the emission filled it.
  } const cases[] = {{8.0f, 123}, {10.0f, 99}, {25.0f, 41}, {7.0f, 127}};
  for (const Case& c : cases) {
    ELaserGen* l = Start(LaserRecord(0x1, c.speed, 1000));
    rig.Run(126 + 200);
    EXPECT_EQ(l->LiveSegments(), c.live) << c.speed;
    rig.owner.KillChildrenAll(0);
    rig.Run(2);
  }
}

TEST_F(ELaserGenTest, OnlySegmentsAfterTheFirst20CanHit) {
  ELaserGen* l = Start(LaserRecord(0x1, 8.0f, 1000));
  rig.Run(126 + 20);
  EXPECT_EQ(l->LiveSegments(), 20);
  EXPECT_EQ(Bodies(l), 0);
  rig.Run(1);
  EXPECT_EQ(Bodies(l), 1);
  const auto* newest = static_cast<const LaserSegment*>(l->Segments().TailObj());
  EXPECT_EQ(newest->body.group, 9);
  EXPECT_EQ(newest->body.mask, 0x19u);
  EXPECT_EQ(newest->body.aux, 25u);
  EXPECT_EQ(newest->body.power, reinterpret_cast<intptr_t>(newest));
  EXPECT_EQ(newest->body.owner, l);
  rig.Run(1);  // placed, then moved: radius (wA + wB) x 0.3
  EXPECT_FLOAT_EQ(newest->body.radius, (newest->widthA + newest->widthB) * 0.3f);
}

TEST_F(ELaserGenTest, SegmentsTravelAlongTheMuzzleAxisOnTheScreenPlane) {
  // A muzzle turned a quarter turn (local +y to the screen's -x) and pushed
  // into depth 512: positions are halved.
  SMatrix m = kIdentityMatrix;
  RotateZ(&m, &m, 0.25f);
  m.m[3][0] = 100.0f;
  m.m[3][1] = 40.0f;
  m.m[3][2] = 512.0f;
  GeneratorRecord r = LaserRecord(0x1, 10.0f, 1000);
  auto* l = static_cast<ELaserGen*>(rig.Adopt(new ELaserGen(&m, &r)));
  rig.Run(126 + 1 + 3);
  const auto* oldest = static_cast<const LaserSegment*>(l->Segments().HeadObj());
  // Only the muzzle's place is projected: (50, 20), and the beam runs from
  // there at full length.
  EXPECT_FLOAT_EQ(oldest->distance, 30.0f);
  EXPECT_NEAR(oldest->position[0], 100.0f * 0.5f - 30.0f, 1e-3f);
  EXPECT_NEAR(oldest->position[1], 40.0f * 0.5f, 1e-3f);
  EXPECT_EQ(oldest->position[2], 0.0f);
  EXPECT_FLOAT_EQ(oldest->depthScale, 1.0f);
  // At or behind the eye the depth scale is held finite.
  SMatrix eye = kIdentityMatrix;
  eye.m[3][2] = -512.0f;
  auto* e = static_cast<ELaserGen*>(rig.Adopt(new ELaserGen(&eye, &r)));
  rig.Run(126 + 3);
  const auto* s = static_cast<const LaserSegment*>(e->Segments().HeadObj());
  EXPECT_TRUE(std::isfinite(s->position[0]) && std::isfinite(s->position[1]));
  EXPECT_EQ(s->body.disabled, 0) << "no body yet in the first 20 frames";
}

TEST_F(ELaserGenTest, WidthsOpenOverTenFramesAndCloseBeforeTheEnd) {
  // Constant widths (easing 3): A = 10, B = 6.
  ELaserGen* l = Start(LaserRecord(0x3, 8.0f, 150, 0, 0.5f, 10.0f, 4.0f, 6.0f, 2.0f));
  const float w = (6.0f + 10.0f) * 1.5f;
  EXPECT_FLOAT_EQ(l->FullGlow(), w);
  rig.Run(126);
  std::vector<float> a, b, r;
  for (int n = 0; n < 12; ++n) {
    rig.Run(1);
    const auto* s = static_cast<const LaserSegment*>(l->Segments().TailObj());
    a.push_back(s->widthA);
    b.push_back(s->widthB);
    r.push_back(l->GlowRadius());
  }
  for (int n = 0; n < 12; ++n) {
    const float k = n < 10 ? 1.0f - std::cos(static_cast<float>(n) * 0.1f * 1.5707964f) : 1.0f;
    EXPECT_FLOAT_EQ(a[n], 10.0f * k) << n;
    EXPECT_FLOAT_EQ(b[n], 6.0f * k) << n;
  }
  EXPECT_FLOAT_EQ(r[0], w / 2.0f);
  EXPECT_FLOAT_EQ(r[9], w / 2.0f + (w / 2.0f) * std::sin(0.9f * 1.5707964f));
  EXPECT_FLOAT_EQ(r[11], r[9]) << "kept between the envelopes";
  // Closing: from firing frame 50 (150 - 100) the widths are value 0 x (1 - e).
  rig.Run(50 - 12);
  for (int n = 50; n < 54; ++n) {
    rig.Run(1);
    const auto* s = static_cast<const LaserSegment*>(l->Segments().TailObj());
    const float q = static_cast<float>(n - 50) / 75.0f;
    const float e = 1.0f - std::cos(q * 1.5707964f);
    EXPECT_FLOAT_EQ(s->widthA, 4.0f * (1.0f - e)) << n;
    EXPECT_FLOAT_EQ(s->widthB, 2.0f * (1.0f - e)) << n;
    EXPECT_FLOAT_EQ(l->GlowRadius(), w * (1.0f - e)) << n;
  }
  // Firing frame 150 releases every segment; the laser ends in that frame.
  rig.Run(150 - 54 + 1);
  EXPECT_NE(l->GetState(), SProc::STATE_RUNNING);
  EXPECT_EQ(l->LiveSegments(), 0);
}

TEST_F(ELaserGenTest, EasedWidthsSwapTheirValuesAfterEachPeriod) {
  // Width A: period 20 + RandF x 0 = 20, linear from 2 to 12.
  ELaserGen* l = Start(LaserRecord(0x1, 8.0f, 1000, 0, 0.5f, 12.0f, 2.0f, 12.0f, 2.0f));
  rig.Run(126 + 10);  // the opening envelope is over; counts are at 10
  std::vector<float> a;
  for (int i = 0; i < 12; ++i) {
    rig.Run(1);
    a.push_back(static_cast<const LaserSegment*>(l->Segments().TailObj())->widthA);
  }
  // Counts 10 .. 19: t = count / 20 from 2 to 12. At count 20 (t = 1) the
  // values swap and the easing runs from 12 to 2 at t = 1: the old value 0
  // for one segment; then the count starts again at 0.
  for (int i = 0; i < 10; ++i) EXPECT_FLOAT_EQ(a[i], 2.0f + 10.0f * static_cast<float>(10 + i) / 20.0f) << i;
  EXPECT_FLOAT_EQ(a[10], 2.0f) << "the exchange frame gives the old value 0";
  EXPECT_FLOAT_EQ(a[11], 12.0f);
  EXPECT_EQ(l->WidthA().value0, 12.0f);
}

TEST_F(ELaserGenTest, HitCutsTheBeamAtTheSegmentAndSparks) {
  ELaserGen* l = Start(LaserRecord(0x1, 8.0f, 1000, 2));
  rig.Run(126 + 40);
  ASSERT_EQ(l->LiveSegments(), 40);
  // The 10th oldest segment.
  const SObject* o = l->Segments().HeadObj();
  for (int i = 0; i < 9; ++i) o = o->GetNext();
  const int rings = rig.efx.LiveCount(3), discs = rig.efx.LiveCount(5), streaks = rig.efx.LiveCount(2);
  plat::SRand(0);
  l->SendEvent(7, reinterpret_cast<SProcArg>(o));
  EXPECT_EQ(l->LiveSegments(), 30);
  EXPECT_EQ(rig.efx.LiveCount(3), rings + 1);
  EXPECT_EQ(rig.efx.LiveCount(5), discs + 1);
  EXPECT_EQ(rig.efx.LiveCount(2), streaks + 8);
  // 4 x (angle, speed, z, life, z, life) values were drawn.
  const int after = plat::Rand();
  plat::SRand(0);
  for (int i = 0; i < 24; ++i) plat::Rand();
  EXPECT_EQ(plat::Rand(), after);
  // Within 6 frames another hit cuts without a new effect.
  const SObject* newest = l->Segments().TailObj();
  l->SendEvent(7, reinterpret_cast<SProcArg>(newest));
  EXPECT_EQ(l->LiveSegments(), 0) << "a hit on the newest releases the whole beam";
  EXPECT_EQ(rig.efx.LiveCount(2), streaks + 8);
  rig.Run(1);
  EXPECT_EQ(l->LiveSegments(), 1) << "the next segment restarts it";
  // An argument that is no live segment releases everything.
  l->SendEvent(7, 12345);
  EXPECT_EQ(l->LiveSegments(), 0);
}

TEST_F(ELaserGenTest, PlayerTouchingTheBeamCutsItThroughTheCollisionManager) {
  // Beam straight down (local +y) from (0, -200): the player at (0, 0) is
  // 200 away, reached by segments emitted late enough to carry a body.
  rig.PlacePlayer(0.0f, 0.0f);
  ELaserGen* l = Start(LaserRecord(0x3, 8.0f, 1000));
  rig.Run(126 + 60);
  EXPECT_GE(rig.PlayerHits(), 1);
  EXPECT_LT(l->LiveSegments(), 60);
}

TEST_F(ELaserGenTest, SharedCountKeepsTheLoopUntilTheLastLaserAndChargeSoundRearms) {
  ELaserGen* a = Start(LaserRecord(0x1, 8.0f, 1000));
  rig.Run(60);
  ELaserGen* b = Start(LaserRecord(0x1, 8.0f, 1000));
  rig.Run(70);
  EXPECT_EQ(ELaserGen::FiringCount(), 1);
  rig.Run(60);
  EXPECT_EQ(ELaserGen::FiringCount(), 2);
  a->SendEvent(8, 0);  // user 8 kills
  rig.Run(2);
  EXPECT_EQ(ELaserGen::FiringCount(), 1);
  EXPECT_FALSE(ELaserGen::ChargeSoundArmed());
  b->Kill(0);
  rig.Run(2);
  EXPECT_EQ(ELaserGen::FiringCount(), 0);
  EXPECT_TRUE(ELaserGen::ChargeSoundArmed());
}

TEST_F(ELaserGenTest, LaserKilledWhileChargingLeavesTheChargeSoundOffUntilAFiringLaserEnds) {
  ELaserGen* l = Start(LaserRecord(0x1, 8.0f, 1000));
  rig.Run(30);
  EXPECT_FALSE(ELaserGen::ChargeSoundArmed());
  l->Kill(0);
  rig.Run(2);
  EXPECT_EQ(ELaserGen::FiringCount(), 0);
  EXPECT_FALSE(ELaserGen::ChargeSoundArmed()) << "only the firing count dropping to 0 sets it";
  // The next laser charges without the sound; once it has fired and ended,
  // the flag is set again.
  ELaserGen* m = Start(LaserRecord(0x1, 8.0f, 1000));
  rig.Run(127);
  EXPECT_EQ(ELaserGen::FiringCount(), 1);
  EXPECT_FALSE(ELaserGen::ChargeSoundArmed());
  m->Kill(0);
  rig.Run(2);
  EXPECT_EQ(ELaserGen::FiringCount(), 0);
  EXPECT_TRUE(ELaserGen::ChargeSoundArmed());
}

TEST_F(ELaserGenTest, AimTurnsTheMuzzleTowardsThePlayerOnce) {
  // Owner at (0, -200), player at (200, 0): 45 degrees down to the right.
  rig.PlacePlayer(200.0f, 0.0f);
  ELaserGen* l = Start(LaserRecord(0x10003, 8.0f, 1000));
  rig.Run(126);
  const SMatrix& o = l->Origin();
  // Local +y (row 1) points at the player.
  EXPECT_NEAR(o.m[1][0], std::sqrt(0.5f), 1e-5f);
  EXPECT_NEAR(o.m[1][1], std::sqrt(0.5f), 1e-5f);
  EXPECT_EQ(o.m[3][1], -200.0f);
  rig.PlacePlayer(-200.0f, 0.0f);
  rig.Run(5);
  EXPECT_NEAR(l->Origin().m[1][0], std::sqrt(0.5f), 1e-5f) << "taken once";
}

TEST_F(ELaserGenTest, FollowingFormMovesWithItsMatrixCopyingFormDoesNot) {
  SMatrix node = kIdentityMatrix;
  auto* follow = new ELaserGen(&node, 0x1, 8.0f, 1000, 1, 0.5f, 20, 0, 10, 10, 20, 0, 10, 10, 30, &rig.owner);
  ELaserGen* copy = ELaserGen::ELaserGenEx(&node, 0x1, 8.0f, 1000, 1, 0.5f, 20, 0, 10, 10, 20, 0, 10, 10, 30);
  rig.Adopt(follow);
  rig.Adopt(copy);
  node.m[3][0] = 50.0f;
  rig.Run(1);
  EXPECT_EQ(follow->World().GetMatrix().m[3][0], 50.0f);
  EXPECT_EQ(copy->World().GetMatrix().m[3][0], 0.0f);
  EXPECT_EQ(follow->colour, 1);
  EXPECT_EQ(follow->duration, 30);
}

// The copying form yields null, not a throw, when its laser cannot be
// allocated; a null child is never added.
TEST_F(ELaserGenTest, CopyingFormYieldsNullWhenMemoryRunsOut) {
  const SMatrix node = kIdentityMatrix;
  testsupport::NothrowNewFails fail(1);
  EXPECT_EQ(ELaserGen::ELaserGenEx(&node, 0x1, 8.0f, 1000, 1, 0.5f, 20, 0, 10, 10, 20, 0, 10, 10, 30), nullptr);
  EXPECT_EQ(fail.Refused(), 1);
  EXPECT_EQ(rig.owner.AddChild(0, nullptr, 0), -1);
  EXPECT_EQ(rig.owner.CountChildren(), 0);
}

TEST_F(ELaserGenTest, StripsDrawTwoQuadsPerSegmentWithItsOlderNeighbour) {
  ELaserGen* l = Start(LaserRecord(0x3, 8.0f, 1000, 3, 0.5f, 10.0f, 10.0f, 6.0f, 6.0f));
  rig.Run(126 + 15);
  l->BuildStrips();
  // 15 segments: the newest (placed) gives the muzzle pair, the oldest no
  // quads, the 13 between two each.
  EXPECT_EQ(l->BodyStrip().GetActiveCount(), 28);
  EXPECT_EQ(l->CoreStrip().GetActiveCount(), 28);
  // The second oldest segment's body-left quad: (-A.wA, A.d) edge, (0, A.d)
  // centre, (-B.wA, B.d) edge, (0, B.d) centre; the oldest closed to a point.
  const auto* b = static_cast<const LaserSegment*>(l->Segments().HeadObj());
  const auto* a = static_cast<const LaserSegment*>(b->GetNext());
  const SGpObj_Prim& body = l->BodyStrip();
  EXPECT_EQ(body.GetVertexPos(0).x, -a->widthA);
  EXPECT_EQ(body.GetVertexPos(0).y, a->distance);
  EXPECT_EQ(body.GetVertexPos(2).x, 0.0f);
  EXPECT_EQ(body.GetVertexPos(2).y, b->distance);
  EXPECT_EQ(body.GetVertexColour(0), 0xFF000000u);  // edge: black
  EXPECT_EQ(body.GetVertexColour(1), 0xFFC8C85Au);  // yellow centre 200, 200, 90
  // The core takes width B on its left, scaled by the core factor.
  EXPECT_EQ(l->CoreStrip().GetVertexPos(0).x, -0.5f * a->widthB);
  // The muzzle pair ends the strip: its first corner at 0.7 of the width,
  // half way to the older neighbour, in the clear colour.
  const int m = 26 * 4;
  EXPECT_EQ(body.GetVertexColour(m + 1), 0x00C8C85Au);
}

// A colour word outside the four colours of the tables (a damaged record)
// draws as red: strip centre 200, 90, 90.
TEST_F(ELaserGenTest, AColourOutsideTheTablesIsRed) {
  struct Case {
    int32_t colour, drawn;
    uint32_t centre;
  } cases[] = {{2, 2, 0xFF5A5AC8u}, {-1, 0, 0xFFC85A5Au}, {4, 0, 0xFFC85A5Au}, {1000, 0, 0xFFC85A5Au}};
  for (const Case& c : cases) {
    ELaserGen* l = Start(LaserRecord(0x1, 8.0f, 1000, c.colour));
    rig.Run(126 + 3);
    l->BuildStrips();
    EXPECT_EQ(l->colour, c.drawn) << c.colour;
    EXPECT_EQ(l->BodyStrip().GetVertexColour(1), c.centre) << c.colour;
    l->Kill(0);
    rig.Run(1);
  }
}

// A width period of 0 (base and range 0) is over at every segment: the two
// values are exchanged each frame and each segment takes the new value 1
// (t = 1), the old value 0. From 12 and 2: the first firing segment 2, the
// next 12, and so on; never a division by zero.
TEST_F(ELaserGenTest, AWidthPeriodOfZeroExchangesTheValuesEveryFrame) {
  GeneratorRecord r = LaserRecord(0x1, 8.0f, 1000, 0, 0.5f, 12.0f, 2.0f, 12.0f, 2.0f);
  SetWordF(&r, 6, 0.0f);
  SetWordF(&r, 10, 0.0f);
  ELaserGen* l = Start(r);
  rig.Run(126 + 10);  // firing frames 0 to 9: the opening envelope
  std::vector<float> a, b;
  for (int i = 0; i < 4; ++i) {
    rig.Run(1);
    const auto* seg = static_cast<const LaserSegment*>(l->Segments().TailObj());
    a.push_back(seg->widthA);
    b.push_back(seg->widthB);
  }
  EXPECT_EQ(a, (std::vector<float>{2.0f, 12.0f, 2.0f, 12.0f}));
  EXPECT_EQ(b, a);
}

// The strips grow by the quads of the last draw, and never to less than two
// quads per live segment: a full beam (123 segments at speed 8) built
// before any draw holds all its quads, two for each segment but the
// oldest.
TEST_F(ELaserGenTest, StripsHoldTheWholeBeamAlsoBeforeAnyDraw) {
  ELaserGen* l = Start(LaserRecord(0x1, 8.0f, 1000));
  rig.Run(1);
  // Frames without their draw.
  for (int f = 0; f < 126 + 129; ++f) {
    for (int32_t e : {SProc::EVENT_BEGIN, SProc::EVENT_MAIN, SProc::EVENT_END}) rig.root.SendEvent(e, 0);
    rig.root.Advance();
  }
  ASSERT_EQ(l->LiveSegments(), 123);
  l->BuildStrips();
  EXPECT_EQ(l->BodyStrip().GetActiveCount(), 244);
  EXPECT_EQ(l->CoreStrip().GetActiveCount(), 244);
}

// The following form reads its holder's matrix only while the holder
// lives; once the holder ends, the beam stays on the matrix last read.
TEST_F(ELaserGenTest, AFollowedMatrixIsLetGoWhenItsHolderEnds) {
  struct Holder : SProc {
    SMatrix node = kIdentityMatrix;
  };
  auto* holder = new Holder;
  auto* follow = new ELaserGen(&holder->node, 0x1, 8.0f, 1000, 1, 0.5f, 20, 0, 10, 10, 20, 0, 10, 10, 30, holder);
  rig.Adopt(follow);
  holder->node.m[3][0] = 50.0f;
  rig.Run(1);
  EXPECT_EQ(follow->World().GetMatrix().m[3][0], 50.0f);
  holder->node.m[3][0] = 70.0f;
  delete holder;
  rig.Run(2);
  EXPECT_EQ(follow->World().GetMatrix().m[3][0], 50.0f);
}

}  // namespace
