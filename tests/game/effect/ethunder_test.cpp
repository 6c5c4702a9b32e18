// Thunder: hit-node layout, chains of tips and their links, hits that break
// the line, the emitter's timing and the guards on degenerate values.
#include <gtest/gtest.h>

#include <vector>

#include "game/effect/EThunderGen.h"
#include "game/effect/EThunderMan.h"
#include "platform/crt_rand.h"
#include "support/WeaponRig.h"

namespace {

using testsupport::WeaponRig;

class EThunderTest : public ::testing::Test {
 protected:
  void SetUp() override {
    plat::SRand(0);
    thunder.SetStatic(true);
    rig.Adopt(&thunder);
    rig.PlacePlayer(200.0f, 300.0f);
  }
  void TearDown() override { thunder.ClearAll(0); }
  std::vector<const EThunderTip*> Tips() const {
    std::vector<const EThunderTip*> v;
    for (const SObject* o = thunder.Tips().HeadObj(); o != nullptr; o = o->GetNext())
      v.push_back(static_cast<const EThunderTip*>(o));
    return v;
  }
  // Distance and radius of every node, in order.
  std::vector<std::pair<float, float>> Nodes() const {
    std::vector<std::pair<float, float>> v;
    for (const SObject* o = thunder.Nodes().HeadObj(); o != nullptr; o = o->GetNext()) {
      const auto* n = static_cast<const EThunderNode*>(o);
      v.emplace_back(n->distance, n->body.radius);
    }
    return v;
  }
  WeaponRig rig;
  EThunderMan thunder;
};

TEST_F(EThunderTest, HitNodesCoverTheLengthInFrontOfATip) {
  const float at[4] = {0.0f, 0.0f, 0.0f, 1.0f};
  struct Case {
    float width, speed;
    int32_t period;
    std::vector<std::pair<float, float>> nodes;
  } const cases[] = {
      {5.0f, 3.0f, 4, {{2.5f, 2.5f}, {7.5f, 2.5f}, {11.0f, 1.0f}}},  // L 12, q 2.4
      {4.0f, 3.0f, 4, {{2.0f, 2.0f}, {6.0f, 2.0f}, {10.0f, 2.0f}}},  // L 12, q 3
      {5.0f, 1.0f, 3, {{1.5f, 1.5f}}},                               // L 3 < w
      {0.0f, 3.0f, 4, {}},                                           // no width: no nodes
      {-2.0f, 3.0f, 4, {}},
      {5.0f, 0.0f, 4, {{0.0f, 0.0f}}},  // length 0: n = 0, one node of radius 0 at the tip
      {5.0f, -1.0f, 4, {}},             // a negative length covers nothing
  };
  for (const Case& c : cases) {
    thunder.ClearAll(0);
    const EThunderTip* t = thunder.CreateTip(0, at, 0, c.width, 0.25f, 0.25f, 1.0f, c.speed, c.period);
    ASSERT_NE(t, nullptr);
    EXPECT_EQ(Nodes(), c.nodes) << c.width << " " << c.speed;
    for (const SObject* o = thunder.Nodes().HeadObj(); o != nullptr; o = o->GetNext()) {
      const auto* n = static_cast<const EThunderNode*>(o);
      EXPECT_EQ(n->body.group, 9);
      EXPECT_EQ(n->body.mask, 1u);
      EXPECT_EQ(n->body.aux, 10u);
      EXPECT_EQ(n->body.power, reinterpret_cast<intptr_t>(t));
      EXPECT_NEAR(n->position[1], n->distance, 1e-5f) << "along the heading (straight down)";
    }
  }
}

TEST_F(EThunderTest, BoltReleasesItsTipsEveryPeriodWithTheirLinks) {
  const float at[4] = {10.0f, -100.0f, 0.0f, 1.0f};
  thunder.Emit(at, 4.0f, 0.25f, 0.25f, 10.0f, 2.0f, 3, 4);
  thunder.Emit(at, 4.0f, 0.0f, 0.0f, 10.0f, 2.0f, 1, 4);
  EXPECT_EQ(thunder.Serial(), 2);
  std::vector<size_t> counts;
  for (int f = 0; f < 10; ++f) {
    rig.Run(1);
    counts.push_back(Tips().size());
  }
  EXPECT_EQ(counts, (std::vector<size_t>{2, 2, 2, 2, 3, 3, 3, 3, 4, 4}));
  EXPECT_EQ(thunder.Bolts().Count(), 0) << "both bolts released all their tips";
  const auto tips = Tips();
  EXPECT_EQ(tips[0]->link, EThunderTip::LINK_FIRST);
  EXPECT_EQ(tips[1]->link, EThunderTip::LINK_FIRST) << "one tip: the first-tip rule wins";
  EXPECT_EQ(tips[2]->link, EThunderTip::LINK_MIDDLE);
  EXPECT_EQ(tips[3]->link, EThunderTip::LINK_END);
  // Each tip moved 2 a frame since its release: the first for 10 frames.
  EXPECT_FLOAT_EQ(tips[0]->y, -100.0f + 20.0f);
  EXPECT_FLOAT_EQ(tips[3]->y, -100.0f + 4.0f);
  // Partners: each tip draws to the one released before it by its bolt.
  EXPECT_EQ(thunder.Partner(tips[0]), nullptr);
  EXPECT_EQ(thunder.Partner(tips[1]), nullptr);
  EXPECT_EQ(thunder.Partner(tips[2]), tips[0]);
  EXPECT_EQ(thunder.Partner(tips[3]), tips[2]);
}

TEST_F(EThunderTest, TipsTurnFromStartToEndAngleOverTheTurnTime) {
  const float at[4] = {0.0f, 0.0f, 0.0f, 1.0f};
  thunder.Emit(at, 4.0f, 0.0f, 0.5f, 10.0f, 1.0f, 1, 4);
  thunder.Emit(at, 4.0f, 0.0f, 0.5f, 0.0f, 1.0f, 1, 4);  // no turn time: at the end angle at once
  rig.Run(6);
  const auto tips = Tips();
  EXPECT_FLOAT_EQ(tips[0]->angle, 0.25f);  // age 5 of 10
  EXPECT_FLOAT_EQ(tips[1]->angle, 0.5f);
  rig.Run(20);
  EXPECT_FLOAT_EQ(tips[0]->angle, 0.5f);
}

TEST_F(EThunderTest, HitBreaksTheLineAndTheTipDissolvesNextFrame) {
  const float at[4] = {0.0f, -300.0f, 0.0f, 1.0f};
  thunder.Emit(at, 4.0f, 0.25f, 0.25f, 1.0f, 3.0f, 4, 2);
  rig.Run(7);
  auto tips = Tips();
  ASSERT_EQ(tips.size(), 4u);
  const int sprites = rig.efx.LiveCount(1);
  thunder.SendEvent(7, reinterpret_cast<SProcArg>(tips[2]));
  EXPECT_EQ(tips[2]->state, EThunderTip::HIT);
  EXPECT_EQ(tips[1]->link, EThunderTip::LINK_END);
  for (const SObject* o = thunder.Nodes().HeadObj(); o != nullptr; o = o->GetNext())
    EXPECT_FALSE(static_cast<const EThunderNode*>(o)->tip.Names(tips[2]));
  // The tip behind the gap has no partner; the tips in front keep theirs.
  EXPECT_EQ(thunder.Partner(tips[2]), nullptr);
  EXPECT_EQ(thunder.Partner(tips[3]), tips[2]);
  EXPECT_EQ(thunder.Partner(tips[1]), tips[0]);
  rig.Run(1);
  EXPECT_EQ(Tips().size(), 3u);
  EXPECT_EQ(rig.efx.LiveCount(1), sprites + 1);
  // A stale or foreign argument changes nothing.
  thunder.SendEvent(7, reinterpret_cast<SProcArg>(tips[2]));
  thunder.SendEvent(7, 99);
  EXPECT_EQ(Tips().size(), 3u);
}

TEST_F(EThunderTest, PlayerTouchingANodeDissolvesThatTip) {
  rig.PlacePlayer(0.0f, 0.0f);
  const float at[4] = {0.0f, -100.0f, 0.0f, 1.0f};
  thunder.Emit(at, 6.0f, 0.25f, 0.25f, 1.0f, 4.0f, 1, 4);
  rig.Run(30);
  EXPECT_GE(rig.PlayerHits(), 1);
  EXPECT_EQ(Tips().size(), 0u);
  EXPECT_EQ(thunder.Nodes().Count(), 0);
}

TEST_F(EThunderTest, TipLeavingTheAreaTakesItsNodesWithIt) {
  // A short tip (L 12: nodes at 2, 6 and 10) leaving to the right: it goes
  // past 240 + 12 while its nodes are still inside 270.
  const float at[4] = {240.0f, 0.0f, 0.0f, 1.0f};
  thunder.Emit(at, 4.0f, 0.0f, 0.0f, 1.0f, 3.0f, 1, 4);
  rig.Run(4);  // x 252: on the limit, it stays
  EXPECT_EQ(Tips().size(), 1u);
  EXPECT_EQ(thunder.Nodes().Count(), 3);
  rig.Run(1);
  EXPECT_EQ(Tips().size(), 0u);
  EXPECT_EQ(thunder.Nodes().Count(), 0);
  EXPECT_EQ(HitGroupTable[9].Count(), 0);
}

TEST_F(EThunderTest, TipPeriodZeroReleasesOneTipAndTheBoltStaysUntilClearAll) {
  const float at[4] = {0.0f, 0.0f, 0.0f, 1.0f};
  thunder.Emit(at, 4.0f, 0.25f, 0.25f, 1.0f, 1.0f, 3, 0);
  rig.Run(5);
  EXPECT_EQ(Tips().size(), 1u);
  EXPECT_EQ(thunder.Bolts().Count(), 1);
  thunder.ClearAll(0);
  EXPECT_EQ(thunder.Bolts().Count(), 0);
}

TEST_F(EThunderTest, HitNodesLeaveBeyondTheAreaPlus30) {
  // Width 10, period 4, speed 10: L = 40, nodes at 5, 15, 25 and 35 ahead.
  // Each case starts the tip 10 short of the place where its last node
  // stands exactly on the limit after the first move, so the nodes then
  // cross the limit one a frame, while the tip (released only beyond
  // 320 + 40 or 240 + 40) stays.
  struct Case {
    float x, y, angle;
  } const cases[] = {
      {0.0f, 305.0f, 0.25f},   // down: node limit y 350
      {0.0f, -305.0f, 0.75f},  // up: -350
      {225.0f, 0.0f, 0.0f},    // right: x 270
      {-225.0f, 0.0f, 0.5f},   // left: -270
  };
  for (const Case& c : cases) {
    thunder.ClearAll(0);
    const float at[4] = {c.x, c.y, 0.0f, 1.0f};
    thunder.Emit(at, 10.0f, c.angle, c.angle, 1.0f, 10.0f, 1, 4);
    std::vector<int> counts;
    for (int f = 0; f < 5; ++f) {
      rig.Run(1);
      counts.push_back(thunder.Nodes().Count());
    }
    EXPECT_EQ(counts, (std::vector<int>{4, 3, 2, 1, 0})) << c.angle;
    EXPECT_EQ(Tips().size(), 1u) << c.angle;
  }
}

TEST_F(EThunderTest, UserCodes9And11DissolveEverything) {
  const float at[4] = {0.0f, 0.0f, 0.0f, 1.0f};
  for (int32_t code : {9, 11}) {
    thunder.Emit(at, 4.0f, 0.25f, 0.25f, 1.0f, 1.0f, 5, 1);
    rig.Run(3);
    const int sprites = rig.efx.LiveCount(1);
    const size_t tips = Tips().size();
    thunder.SendEvent(8, 0);
    EXPECT_EQ(Tips().size(), tips) << "other codes do nothing";
    thunder.SendEvent(code, 0);
    EXPECT_EQ(Tips().size(), 0u);
    EXPECT_EQ(thunder.Bolts().Count(), 0);
    EXPECT_EQ(thunder.Nodes().Count(), 0);
    EXPECT_EQ(rig.efx.LiveCount(1), sprites + static_cast<int>(tips));
  }
}

TEST_F(EThunderTest, GeneratorEmitsEveryBoltPeriodWithInterpolatedAngles) {
  float pos[4] = {5.0f, -50.0f, 0.0f, 1.0f};
  rig.Adopt(new EThunderGen(&thunder, pos, 4.0f, 0.0f, 1.0f, 0.5f, 0.0f, 10.0f, 1.0f, 100, 4, 4, 3, 10.0f,
                            20.0f, 2, 0, &rig.owner));
  std::vector<int> bolts;
  int last = 0;
  for (int f = 0; f < 14; ++f) {
    rig.Run(1);
    // The bolt pool holds every bolt that still has tips to release.
    const int n = thunder.Serial();
    bolts.push_back(n - last);
    last = n;
  }
  // Delay 2, then one bolt every 3 frames, four in all.
  EXPECT_EQ(bolts, (std::vector<int>{0, 0, 1, 0, 0, 1, 0, 0, 1, 0, 0, 1, 0, 0}));
  EXPECT_EQ(rig.Generators(), 1) << "only the static manager is left";
  std::vector<float> starts, ends;
  for (const SObject* o = thunder.Bolts().HeadObj(); o != nullptr; o = o->GetNext()) {
    const auto* b = static_cast<const EThunderBolt*>(o);
    starts.push_back(b->startAngle);
    ends.push_back(b->endAngle);
    EXPECT_EQ(b->position[0], 15.0f);
    EXPECT_EQ(b->position[1], -30.0f);
  }
  EXPECT_EQ(starts, (std::vector<float>{0.0f, 0.25f, 0.5f, 0.75f}));
  EXPECT_EQ(ends, (std::vector<float>{0.5f, 0.375f, 0.25f, 0.125f}));
}

TEST_F(EThunderTest, GeneratorWithoutBoltsOrManagerEndsAtOnce) {
  float pos[4] = {0.0f, 0.0f, 0.0f, 1.0f};
  rig.Adopt(new EThunderGen(&thunder, pos, 4.0f, 0, 0, 0, 0, 1.0f, 1.0f, 1, 1, 0, 1, 0, 0, 0, 0, &rig.owner));
  auto* gone = new EThunderMan();
  rig.Adopt(gone);
  rig.Adopt(new EThunderGen(gone, pos, 4.0f, 0, 0, 0, 0, 1.0f, 1.0f, 1, 1, 3, 1, 0, 0, 1, 0, &rig.owner));
  gone->Kill(0);
  rig.Run(2);
  EXPECT_EQ(thunder.Serial(), 0);
  EXPECT_EQ(rig.Generators(), 1) << "only the static manager is left";
}

TEST_F(EThunderTest, StripDrawsOneQuadPerTipToItsPartner) {
  const float at[4] = {0.0f, 0.0f, 0.0f, 1.0f};
  thunder.Emit(at, 4.0f, 0.0f, 0.0f, 1.0f, 2.0f, 2, 3);  // heading +x, length 6
  rig.Run(4);
  auto tips = Tips();
  ASSERT_EQ(tips.size(), 2u);
  thunder.SendEvent(SProc::EVENT_DRAW, 0);
  const SGpObj_Prim& s = thunder.Strip();
  EXPECT_EQ(s.GetActiveCount(), 2);
  // First tip (no partner): from itself to 6 ahead, 2 either side.
  const float x0 = tips[0]->x;
  EXPECT_NEAR(s.GetVertexPos(0).y, 2.0f, 1e-5f);
  EXPECT_NEAR(s.GetVertexPos(1).y, -2.0f, 1e-5f);
  EXPECT_NEAR(s.GetVertexPos(2).x, x0 + 6.0f, 1e-5f);
  // Second: from itself to the first tip.
  EXPECT_NEAR(s.GetVertexPos(4).x, tips[1]->x, 1e-5f);
  EXPECT_NEAR(s.GetVertexPos(6).x, x0, 1e-5f);
  EXPECT_EQ(s.GetVertexColour(0), 0xE6FFFFFFu);  // 0.9 alpha
  const SGpRect* part = thunder.BoltTrack().GetPart();
  EXPECT_EQ(s.GetVertexUV(3).x, part->uBR);
}

}  // namespace
