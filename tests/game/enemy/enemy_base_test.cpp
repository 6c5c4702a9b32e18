// The model enemies: the enemy base class with its model, gauge, timeline
// pause and answers to the user events; every id of the type registry; the
// model flash packets; the script toolkit; and generators built from values
// equal to those built from a record.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <memory>
#include <typeinfo>

#include "vrax/resource/SImageSlot.h"
#include "game/core/StageCounters.h"
#include "game/effect/EShotGen.h"
#include "game/enemy/EnemyBase.h"
#include "game/enemy/EnemyMan.h"
#include "game/enemy/EnemyRegistry.h"
#include "game/enemy/EnemySet.h"
#include "game/enemy/EnemyToolkit.h"
#include "game/enemy/EnemyType1.h"
#include "game/enemy/EnemyType17.h"
#include "game/enemy/boss05/EnemyType5.h"
#include "game/enemy/Flasher.h"
#include "game/player/ItemMan.h"
#include "model_rig.h"
#include "support/EnemyRig.h"
#include "support/ExpectAll.h"
#include "vrax/resource/model_fixtures.h"

namespace {

using testsupport::EnemyRig;
using enemytest::ModelRig;

TEST(EnemyRegistry, EveryTypeIdCreatesItsClass) {
  ModelRig m;
  for (int32_t t = 0; t < kEnemyTypeCount; ++t) {
    char name[32];
    std::snprintf(name, sizeof name, "Type %d", t);
    m.rig.Param(uint32_t(t + 1), name, t);
    m.rig.Spawn(0.0f, uint32_t(t + 1), 0, 0, 0);
  }
  ASSERT_TRUE(m.Load());
  for (int32_t t = 0; t < kEnemyTypeCount; ++t) {
    SCOPED_TRACE(t);
    EObjBase* e = g_EnemySet.SpawnAt(t);
    ASSERT_NE(e, nullptr);
    char want[32];
    std::snprintf(want, sizeof want, "EnemyType%d", t);
    // The class name is part of the mangled type name.
    EXPECT_NE(std::string(typeid(*e).name()).find(want), std::string::npos);
    EXPECT_EQ(e->GetName(), std::string("Type ") + std::to_string(t));
    EXPECT_EQ(e->classKind, t < 2 ? EObjBase::KIND_SIMPLE : EObjBase::KIND_BOSS);
  }
  // The set pieces (types 2, 9, 17 and 18) take their spawn back.
  EXPECT_EQ(StageEnemyCount, kEnemyTypeCount - 4);
  for (int32_t t : {-1, 19, 23, 24, 1000}) EXPECT_EQ(CreateEnemy(t), nullptr) << t;
  // Type 17's script has no spline mover; the others' have one.
  EXPECT_LT(sizeof(EnemyType17Behavior), sizeof(EnemyType5Behavior));
}

TEST(EnemyBase, PausesTheTimelineWhileItLives) {
  ModelRig m;
  m.rig.Param(1, "Boss", 5, 200, 5000);
  m.rig.Spawn(0.0f, 1, 0, 30.0f, -40.0f, 10.0f);
  ASSERT_TRUE(m.Load());
  EnemyBase* e = m.SpawnBoss(0);
  ASSERT_NE(e, nullptr);
  EXPECT_ALL({VAL(g_EnemySet.paused, 1), VAL(e->body.mask, 0x24Eu), VAL(e->angles[0], 0.1f), VAL(e->ListCount(), 3),
              VAL(e->GetPosition()[0], 30.0f), VAL(e->GetPosition()[1], -40.0f), VAL(e->GetPosition()[2], 10.0f),
              VAL(e->GetPosition()[3], 1.0f), VAL(e->TrackLength(), 10.0f)});
  // The live position is the placement node's translation.
  EXPECT_EQ(e->GetPosition(), &e->PlacementNode()->GetLocal()->m[3][0]);
  EXPECT_EQ(e->model.GetRootNode()->GetParent(), e->PlacementNode());
  // Killed with argument 0: the timeline runs on.
  e->Kill(0);
  EXPECT_EQ(g_EnemySet.paused, 0);
}

TEST(EnemyBase, ModelBindFailureEndsTheEnemy) {
  ModelRig m;
  m.modelSlot.Reset();
  m.rig.Param(1, "Boss", 5);
  m.rig.Spawn(0.0f, 1, 0, 0, 0);
  ASSERT_TRUE(m.Load());
  EXPECT_EQ(g_EnemySet.SpawnAt(0), nullptr);
  EXPECT_ALL({VAL(g_EnemySet.paused, 0), VAL(StageEnemyCount, 0)});
  m.rig.Run(2);
  EXPECT_EQ(m.rig.Enemies(), 0);
  EXPECT_TRUE(EnemyDrawList.empty());
}

// The draw turns the placement node: its upper 3 x 4 part and its last
// element from the identity (a spoiled w back to 1), the position kept, then
// RotationX(first angle) and RotationY(second angle) in front. For a quarter
// turn and an eighth (h = sqrt 1/2): RotationY(1/8) rows (h, 0, -h),
// (0, 1, 0), (h, 0, h) times RotationX(1/4) rows (1, 0, 0), (0, 0, 1),
// (0, -1, 0) give rows (h, h, 0), (0, 0, 1), (h, -h, 0).
TEST(EnemyBase, DrawTurnsThePlacementAndKeepsItsPosition) {
  ModelRig m;
  m.rig.Param(1, "Boss", 5, 200);
  m.rig.Spawn(0.0f, 1, 0, 30.0f, -40.0f, 10.0f);
  ASSERT_TRUE(m.Load());
  EnemyBase* e = m.SpawnBoss(0);
  ASSERT_NE(e, nullptr);
  m.rig.Run(1);  // running from its first frame
  SMatrix* placed = e->PlacementNode()->GetLocal();
  for (int i = 0; i < 3; ++i)
    for (int j = 0; j < 4; ++j) placed->m[i][j] = 9.0f;
  e->GetPosition()[3] = 0.0f;
  e->angles[0] = 0.25f;
  e->angles[1] = 0.125f;
  e->SendEvent(SProc::EVENT_DRAW, 0);
  const float h = std::sqrt(0.5f);
  const float want[4][4] = {{h, h, 0, 0}, {0, 0, 1, 0}, {h, -h, 0, 0}, {30.0f, -40.0f, 10.0f, 1.0f}};
  for (int i = 0; i < 4; ++i)
    for (int j = 0; j < 4; ++j) EXPECT_NEAR(placed->m[i][j], want[i][j], 1e-6f) << i << " " << j;
}

TEST(EnemyBase, GaugeFollowsHitPoints) {
  ModelRig m;
  m.rig.Param(1, "Boss", 5, 200);
  m.rig.Param(2, "Empty", 5, 0);
  m.rig.Spawn(0.0f, 1, 0, 0, 0);
  m.rig.Spawn(0.0f, 2, 0, 0, 0);
  ASSERT_TRUE(m.Load());
  auto* e = dynamic_cast<EnemyBase*>(g_EnemySet.SpawnAt(0));
  ASSERT_NE(e, nullptr);
  struct Case {
    int32_t hp;
    float right;  // x of the bar's right edge
  };
  // ratio x 350 - 175, worked by hand.
  for (const Case& c : {Case{200, 175.0f}, Case{50, -87.5f}, Case{0, -175.0f}, Case{-30, -175.0f},
                        Case{400, 525.0f}}) {
    SCOPED_TRACE(c.hp);
    e->hitPoints = c.hp;
    e->UpdateGauge();
    const SGpObj_Prim& g = e->GaugeBar();
    EXPECT_ALL({VAL(g.GetActiveCount(), 1), VAL(g.GetVertexPos(0).x, -175.0f), VAL(g.GetVertexPos(0).y, -270.0f),
                VAL(g.GetVertexPos(1).x, c.right), VAL(g.GetVertexPos(3).x, c.right),
                VAL(g.GetVertexPos(3).y, -264.0f),
                VAL(g.GetVertexColour(2), SGpObj_Prim::PackColour(0.85f, 0.85f, 0.0f, 0.7f))});
  }
  // A record of 0 hit points draws an empty bar instead of dividing by 0.
  auto* z = dynamic_cast<EnemyBase*>(g_EnemySet.SpawnAt(1));
  ASSERT_NE(z, nullptr);
  z->hitPoints = 5;
  z->UpdateGauge();
  EXPECT_EQ(z->GaugeBar().GetVertexPos(1).x, -175.0f);
}

TEST(EnemyBase, DamageDefeatGrabAndRelease) {
  ModelRig m;
  EnemyParam& p = m.rig.Param(1, "Boss", 5, 100, 5000);
  p.chainFrameLimit = 3;
  m.rig.Spawn(0.0f, 1, 0, 0, 0);
  ASSERT_TRUE(m.Load());
  auto* e = dynamic_cast<EnemyBase*>(g_EnemySet.SpawnAt(0));
  ASSERT_NE(e, nullptr);
  m.rig.Run();
  SGpNode* root = e->model.GetRootNode();
  const int packets = root->GetPacketCount();
  e->SendEvent(kHitEventHit, 30);
  EXPECT_ALL({VAL(e->hitPoints, 70), VAL(e->flashRunning, 1), VAL(root->GetPacketCount(), packets + 2)});
  e->SendEvent(kHitEventHit, 5);  // no second flash
  EXPECT_EQ(root->GetPacketCount(), packets + 2);
  m.rig.Run(6);
  EXPECT_ALL({VAL(e->flashRunning, 0), VAL(root->GetPacketCount(), packets)});
  // Grabbed: held tint until released; release orders script state 100000.
  e->SendEvent(EObjBase::EV_GRABBED, 0);
  m.rig.Run();
  EXPECT_ALL({VAL(e->grabMode, EObjBase::GRAB_HELD), VAL(e->flashRunning, 1)});
  m.rig.Run(20);
  EXPECT_EQ(e->flashRunning, 1);
  e->SendEvent(EObjBase::EV_RELEASED, 0);
  EXPECT_ALL({VAL(e->flashRunning, 0), VAL(root->GetPacketCount(), packets), VAL(e->grabMode, EObjBase::GRAB_FREE),
              VAL(e->script->GetNextState(), EnemyBase::SCRIPT_RELEASED)});
  // Defeated after its chain frame limit: no count.
  e->SendEvent(kHitEventDefeated, 0);
  EXPECT_ALL({VAL(StageDefeatCount, 0), VAL(e->grabMode, EObjBase::GRAB_DEFEATED),
              VAL(e->script->GetNextState(), EnemyBase::SCRIPT_DEFEATED)});
  m.rig.Run(2);
  EXPECT_EQ(m.rig.Enemies(), 0);
  EXPECT_EQ(g_EnemySet.paused, 0);
}

TEST(EnemyBase, DefeatCountsWithinTheChainLimitButNotForTheScreenClear) {
  ModelRig m;
  EnemyParam& p = m.rig.Param(1, "Boss", 5);
  p.chainFrameLimit = 2;
  m.rig.Spawn(0.0f, 1, 0, 0, 0);
  ASSERT_TRUE(m.Load());
  struct Case {
    int32_t framesAlive;
    SProcArg arg;
    int32_t counted;
  };
  for (const Case& c : {Case{2, 0, 1}, Case{3, 0, 0}, Case{0, EObjBase::kUncounted, 0}}) {
    SCOPED_TRACE(c.framesAlive);
    ResetStageCounters();
    auto* e = dynamic_cast<EnemyBase*>(g_EnemySet.SpawnAt(0));
    ASSERT_NE(e, nullptr);
    e->framesAlive = c.framesAlive;
    e->SendEvent(kHitEventDefeated, c.arg);
    EXPECT_EQ(StageDefeatCount, c.counted);
    e->Kill(0);
  }
}

// A wreck (grab mode 10) that is defeated again, by a second hit's code 8 or
// the screen clear, drops no second set of items and is counted once.
TEST(EnemyBase, ASecondDefeatOfTheWreckDoesNothing) {
  ModelRig m;
  EnemyParam& p = m.rig.Param(1, "Boss", 5, 100, 5003);  // 3 items
  p.chainFrameLimit = 100;
  m.rig.Spawn(0.0f, 1, 0, 0, 0);
  ASSERT_TRUE(m.Load());
  static constexpr float kWhite[4] = {1.0f, 1.0f, 1.0f, 1.0f};
  ASSERT_EQ(m.rig.weapons.game.SharedBatch().Prepare(8, 1.0f, 1.0f, kWhite), 0);
  m.rig.weapons.root.AddChildProcess(&g_ItemMan, 0);
  g_ItemMan.Advance();
  auto* e = dynamic_cast<EnemyBase*>(g_EnemySet.SpawnAt(0));
  ASSERT_NE(e, nullptr);
  e->SendEvent(kHitEventDefeated, 0);
  EXPECT_ALL({VAL(g_ItemMan.LiveCount(), 3), VAL(StageDefeatCount, 1), VAL(e->grabMode, EObjBase::GRAB_DEFEATED)});
  e->SendEvent(kHitEventDefeated, 0);
  e->SendEvent(kHitEventDefeated, EObjBase::kUncounted);
  EXPECT_ALL({VAL(g_ItemMan.LiveCount(), 3), VAL(StageDefeatCount, 1)});
  g_ItemMan.ClearAll();
  g_ItemMan.Dispose();
}

TEST(Flasher, PacketsWrapTheModelAndLeaveWithTheFlash) {
  SGpNode a, child, last;
  child.SetParent(&a);
  last.SetParent(&child);
  SGpObj own;
  a.AddPacket(&own);
  last.AddPacket(&own);
  static constexpr float kColour[4] = {1.0f, 0.0f, 0.0f, 1.0f};
  EnemyRig rig;
  rig.Param(1, "Host", 0);
  rig.Spawn(0.0f, 1, 0, 0, 0);
  ASSERT_TRUE(rig.Load());
  EObjBase* host = rig.SpawnNow(0);
  ASSERT_NE(host, nullptr);
  StartModelFlash(host, &a, kColour, 0);
  auto* f = dynamic_cast<Flasher*>(host->GetList(1)->Head());
  ASSERT_NE(f, nullptr);
  // Light set first, then the ambient set, then the node's own packets; the
  // restores after the last node's own packets, ambient first.
  EXPECT_ALL({VAL(a.GetPacketCount(), 3), VAL(a.GetPacket(0) == static_cast<const SGpObj*>(&f->LightSet()), true),
              VAL(a.GetPacket(1) == static_cast<const SGpObj*>(&f->AmbientSet()), true), VAL(a.GetPacket(2) == &own, true),
              VAL(last.GetPacketCount(), 3), VAL(last.GetPacket(0) == &own, true),
              VAL(last.GetPacket(1) == static_cast<const SGpObj*>(&f->AmbientRestore()), true),
              VAL(last.GetPacket(2) == static_cast<const SGpObj*>(&f->LightRestore()), true),
              VAL(f->AmbientSet().Colour().r, 1.0f), VAL(f->LightSet().GetColour(0).g, 0.0f),
              VAL(f->LightSet().ColourBits(), 1u), VAL(host->flashRunning, 1)});
  host->KillChildrenAll(0);
  EXPECT_ALL({VAL(a.GetPacketCount(), 1), VAL(last.GetPacketCount(), 1), VAL(host->flashRunning, 0)});
  host->Kill(0);
}

TEST(Toolkit, RoutePointsMovesAndFrameDivider) {
  ModelRig m;
  EnemyParam& p = m.rig.Param(1, "Boss", 5);
  p.routeTableId = 2;
  m.rig.script.routeTables.push_back(
      RouteTable{2, {RouteEntry{9, 1.0f, 5.0f, 1, 0.5f}, RouteEntry{9, 6.0f, 2.0f, 0, -0.25f}}});
  m.rig.Spawn(0.0f, 1, 0, 0, 0);
  ASSERT_TRUE(m.Load());
  auto* e = dynamic_cast<EnemyBase*>(g_EnemySet.SpawnAt(0));
  ASSERT_NE(e, nullptr);
  e->SetRoutePoint(1);
  EXPECT_ALL({VAL(e->routeCursorIndex, 1), VAL(e->animator.start, 6.0f), VAL(e->animator.limit, 2.0f),
              VAL(e->animator.value, 6.0f), VAL(e->animator.wrap, 0u), VAL(e->animator.speed, -0.25f),
              VAL(e->animator.count, 0u)});
  e->SetRoutePointEx(0, 3.0f);  // the entry's own speed is not read
  EXPECT_ALL({VAL(e->animator.start, 1.0f), VAL(e->animator.wrap, 1u), VAL(e->animator.speed, 3.0f)});
  e->SetRoutePoint(7);  // no such entry: nothing loaded
  EXPECT_EQ(e->animator.start, 1.0f);
  e->SetMove(4.0f, 8.0f, 1, 2.0f);
  EXPECT_ALL({VAL(e->routeCursorIndex, 7), VAL(e->animator.value, 4.0f), VAL(e->animator.limit, 8.0f)});
  // EveryFrames(0) every call; (1) false, true, ...; (2) every third.
  for (const auto& [n, pattern] : {std::pair{0, "1111"}, std::pair{1, "0101"}, std::pair{2, "001001"}}) {
    e->everyCounter = 0;
    std::string got;
    for (size_t i = 0; i < std::strlen(pattern); ++i) got += e->EveryFrames(n) ? '1' : '0';
    EXPECT_EQ(got, pattern) << n;
  }
}

TEST(Toolkit, PathLookupTangentAndVectorCompare) {
  EnemyRig rig;
  rig.script.patternLists.push_back(PatternList{4, {EShotMotion{10, 1, 0, 0, 0, 1.0f, nullptr}}});
  rig.script.patternLists.push_back(PatternList{6, {EShotMotion{20, 1, 0, 0, 0, 2.0f, nullptr}}});
  rig.script.patternLists.push_back(PatternList{6, {EShotMotion{30, 1, 0, 0, 0, 3.0f, nullptr}}});
  EXPECT_EQ(ParamTable::FindValue(6), nullptr);  // no script yet
  ASSERT_TRUE(rig.Load());
  const EShotMotion* six = ParamTable::FindValue(6);
  ASSERT_NE(six, nullptr);
  EXPECT_EQ(six, rig.loaded->patternLists[1].First());  // the first of the two
  EXPECT_EQ(ParamTable::FindValue(5), nullptr);
  EXPECT_EQ(ParamTable::FindValue(-1), nullptr);
  // Catmull-Rom with t = b = 0: (p2 - p0) / 2.
  const float p0[3] = {0, 0, 0}, p1[3] = {2, 4, 0}, p2[3] = {6, 2, 8};
  float out[4];
  CalcSplineTangent(out, p0, p1, p2, 0.0f, 0.0f);
  EXPECT_ALL({VAL(out[0], 3.0f), VAL(out[1], 1.0f), VAL(out[2], 4.0f), VAL(out[3], 1.0f)});
  // t = 0.5, b = 0.5: (2,4,0) x 0.375 + (4,-2,8) x 0.125.
  CalcSplineTangent(out, p0, p1, p2, 0.5f, 0.5f);
  EXPECT_ALL({VAL(out[0], 1.25f), VAL(out[1], 1.25f), VAL(out[2], 1.0f)});
  const float nan = std::numeric_limits<float>::quiet_NaN();
  const float a[3] = {1, 2, 3}, b[3] = {1, 2, 3}, c[3] = {1, 2, 3.5f}, d[3] = {nan, 2, 3};
  EXPECT_TRUE(Vec3Equal(a, b));
  EXPECT_FALSE(Vec3Equal(a, c));
  EXPECT_FALSE(Vec3Equal(d, d));
}

TEST(Toolkit, RotationBuildersFollowTheRowVectorConvention) {
  // A quarter turn about z takes x to y; about x takes y to z; about y takes
  // z to x (D3DX row vectors: v' = v R).
  struct Case {
    int axis;
    int from, to;
  };
  for (const Case& c : {Case{2, 0, 1}, Case{0, 1, 2}, Case{1, 2, 0}}) {
    SMatrix m = kIdentityMatrix;
    RotateLeft(&m, c.axis, 0.25f);
    EXPECT_NEAR(m.m[c.from][c.to], 1.0f, 1e-6f) << c.axis;
  }
}

TEST(GeneratorConstruction, ValuesEqualTheRecord) {
  GeneratorRecord r;
  r.flags = 0x2411;
  r.hitWord = 3;
  r.shotCodeA = 0x0102;
  r.shotCodeB = 0x0203;
  r.baseAngle = 0.1f;
  r.sweepStart = 0.2f;
  r.sweepEnd = 0.3f;
  r.startSpeed = 4.0f;
  r.endSpeed = 5.0f;
  r.ways = 6;
  r.spread = 0.4f;
  r.rows = 2;
  r.rowWidth = 30.0f;
  r.volleys = 7;
  r.volleyFrames = 8;
  r.bursts = 2;
  r.burstFrames = 40;
  r.offsetX = 1.5f;
  r.offsetY = -2.5f;
  r.word20 = 11;
  r.muzzleFlash = 1;
  r.startDelay = 12.0f;
  const EShotMotion path{5, 1, 0, 0, 0, 1.0f, nullptr};
  r.bulletPath = &path;
  const float pos[4] = {0, 0, 0, 1};
  EShotGen a(pos, &r, -1, 30, nullptr);
  // Arguments 15 to 18 in the order interval, volleys, further bursts,
  // burst interval (record words 15, 14, 16, 17).
  EShotGen b(pos, r.flags, r.hitWord, r.shotCodeA, r.shotCodeB, r.baseAngle, r.sweepStart, r.sweepEnd, r.startSpeed,
             r.endSpeed, r.ways, r.spread, r.rows, r.rowWidth, r.volleyFrames, r.volleys, r.bursts, r.burstFrames,
             r.offsetX, r.offsetY, r.word20, r.muzzleFlash, r.startDelay, r.bulletPath, -1, 30, nullptr);
  EXPECT_ALL({VAL(a.flags, b.flags), VAL(a.hitWord, b.hitWord), VAL(a.codeA, b.codeA), VAL(a.codeB, b.codeB),
              VAL(a.baseAngle, b.baseAngle), VAL(a.sweepStart, b.sweepStart), VAL(a.sweepEnd, b.sweepEnd),
              VAL(a.startSpeed, b.startSpeed), VAL(a.endSpeed, b.endSpeed), VAL(a.ways, b.ways),
              VAL(a.spread, b.spread), VAL(a.rows, b.rows), VAL(a.rowWidth, b.rowWidth),
              VAL(a.volleyFrames, b.volleyFrames), VAL(a.volleys, b.volleys), VAL(a.bursts, b.bursts),
              VAL(a.burstFrames, b.burstFrames), VAL(a.offsetX, b.offsetX), VAL(a.offsetY, b.offsetY),
              VAL(a.word20, b.word20), VAL(a.muzzleFlash, b.muzzleFlash), VAL(a.startDelay, b.startDelay),
              VAL(a.motion == b.motion, true), VAL(a.id, b.id), VAL(a.a4, b.a4), VAL(a.initialBursts, b.initialBursts)});
  // And the record's words landed where their names say.
  EXPECT_ALL({VAL(a.volleys, 7), VAL(a.volleyFrames, 8), VAL(a.bursts, 2), VAL(a.burstFrames, 40),
              VAL(a.motion == &path, true)});
}

}  // namespace
