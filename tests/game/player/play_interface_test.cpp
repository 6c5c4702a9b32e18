// The play interface in the whole program: items dropping, homing and being
// collected, the chain's decay and its popups, the result bonuses, and the
// in-game display's gauges, icons, score and route banner.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <memory>
#include <set>
#include <vector>

#include "game/core/Game.h"
#include "game/core/NumberPopup.h"
#include "game/core/SharedSpriteBatch.h"
#include "game/core/StageCounters.h"
#include "game/effect/EfxMan.h"
#include "game/enemy/EnemyMan.h"
#include "game/player/DashForm.h"
#include "game/player/ChainCounter.h"
#include "game/player/ItemMan.h"
#include "game/player/Player.h"
#include "game/player/ZGInterface.h"
#include "game/stage/MapMng.h"
#include "game/tables/font_tables.h"
#include "platform/crt_rand.h"
#include "support/ExpectAll.h"
#include "support/PlayWorld.h"
#include "vrax/graphic/SGpMan.h"
#include "vrax/graphic/SGpQueue.h"

namespace {

using testsupport::PlayWorld;

// The play with nothing else scoring or hitting: the stage scene (which
// would end the stage) and the enemies are taken away and the ship cannot
// be hit.
class Play : public ::testing::Test {
 protected:
  void SetUp() override {
    world = std::make_unique<PlayWorld>();
    ASSERT_TRUE(world->Ok());
    world->G()->GetList(GAME_LIST_STAGE)->KillAll(0);
    ASSERT_GE(world->RunToControl(), 0);
    g = world->G();
    Quiet(1);
  }
  void Quiet(int frames) {
    for (int i = 0; i < frames; ++i) {
      g_EnemyMan.KillChildrenAll(0);
      g_Player.invulnerability = 1000;
      world->Step();
    }
  }
  std::vector<Item*> Items() {
    std::vector<Item*> v;
    for (SObject* o = g_ItemMan.Live().HeadObj(); o != nullptr; o = o->GetNext()) v.push_back(static_cast<Item*>(o));
    return v;
  }
  uint64_t Score() const {
    return uint64_t(g->record[REC_OVERFLOW]) * 1000000000u + g->record[REC_SCORE];  // whole 1,000,000,000s carried
  }
  std::vector<NumberPopup*> Popups() {
    std::vector<NumberPopup*> v;
    for (SProc* p = g_ChainCounter.GetList(1)->Head(); p != nullptr; p = SProcList::Next(p))
      if (p->GetState() == SProc::STATE_RUNNING || p->GetState() == SProc::STATE_ADDED)
        v.push_back(static_cast<NumberPopup*>(p));
    return v;
  }

  std::unique_ptr<PlayWorld> world;
  Game* g = nullptr;
};

// ---------------------------------------------------------------- items

TEST_F(Play, ItemCountsFromTheScoreValueAndDepth) {
  g_ItemMan.ClearAll();
  const float at[4] = {100.0f, -60.0f, 0.0f, 1.0f};
  g_ItemMan.SpawnAt(at, 1500);
  EXPECT_EQ(g_ItemMan.LiveCount(), 0);
  g_ItemMan.SpawnAt(at, 1503);
  EXPECT_EQ(g_ItemMan.LiveCount(), 3);
  // An enemy at depth 512 drops its items at half its x and y, on z = 0.
  g_ItemMan.ClearAll();
  const float deep[4] = {100.0f, -60.0f, 512.0f, 1.0f};
  g_ItemMan.SpawnAt(deep, 1);
  ASSERT_EQ(g_ItemMan.LiveCount(), 1);
  const float* p = Items()[0]->Position();
  EXPECT_ALL({VAL(p[0], 50.0f), VAL(p[1], -30.0f), VAL(p[2], 0.0f)});
  // Each item's sprite comes from the shared batch at the table's look.
  const SGpSpriteCell* cell = Items()[0]->sprite.Get();
  EXPECT_ALL({VAL(cell->scaleX, 0.8f), VAL(cell->scaleY, 0.87f), VAL(cell->colour[0], 1.0f), VAL(cell->angle, 0.0f)});
  EXPECT_EQ(g->SharedBatch().FreeCount(), 256 - 1);  // of its table of 256
  // Four rand draws per falling item: speed, direction and fall, then the
  // spin's start.
  g_ItemMan.ClearAll();
  plat::SRand(7);
  g_ItemMan.SpawnAt(at, 1);
  const uint32_t after = plat::RandSeed();
  plat::SRand(7);
  for (int i = 0; i < 4; ++i) plat::Rand();
  EXPECT_EQ(after, plat::RandSeed());
  g_ItemMan.ClearAll();
  EXPECT_EQ(g->SharedBatch().FreeCount(), 256);
}

TEST_F(Play, AFullPoolOrBatchRefusesAndLeavesLiveItemsAlone) {
  g_ItemMan.ClearAll();
  const float at[4] = {0.0f, 0.0f, 0.0f, 1.0f};
  g_ItemMan.SpawnAt(at, 99);
  std::vector<Item*> first = Items();
  std::vector<float> vx;
  for (Item* i : first) vx.push_back(i->vx);
  g_ItemMan.SpawnAt(at, 99);
  g_ItemMan.SpawnAt(at, 99);
  EXPECT_EQ(g_ItemMan.LiveCount(), 256);  // the pool of 256
  for (size_t k = 0; k < first.size(); ++k) EXPECT_EQ(Items()[k], first[k]);
  for (size_t k = 0; k < first.size(); ++k) EXPECT_EQ(first[k]->vx, vx[k]);
  g_ItemMan.SpawnAt(at, 5);
  EXPECT_EQ(g_ItemMan.LiveCount(), 256);  // the pool of 256
  // A batch with fewer sprites than the pool has cells: the item without a
  // sprite goes back to the pool.
  g_ItemMan.ClearAll();
  const float grey[4] = {0.85f, 0.85f, 0.85f, 1.0f};
  g->SharedBatch().Prepare(2, 2.0f, 2.0f, grey);
  g_ItemMan.SpawnAt(at, 3);
  EXPECT_ALL({VAL(g_ItemMan.LiveCount(), 2), VAL(g_ItemMan.Pool().FreeCount(), 256 - 2)});
  g_ItemMan.ClearAll();
  g->SharedBatch().Prepare(256, 2.0f, 2.0f, grey);
}

TEST_F(Play, HomingRulesCollectionPowerAndChainedBonus) {
  g_ItemMan.ClearAll();
  const float at[4] = {PlayerPos.x + 30.0f, PlayerPos.y, 0.0f, 1.0f};
  // Rising faster than 3 pixels a frame: not attracted, however near.
  g_ItemMan.SpawnAt(at, 2);
  std::vector<Item*> items = Items();
  for (Item* i : items) {
    i->fall = 0.0f;
    i->damping = 1.0f;
    i->vx = 0.0f;
  }
  items[0]->vy = -3.01f;  // stays below -3 with damping 1
  items[1]->vy = -3.0f;
  Quiet(1);
  EXPECT_ALL({VAL(items[0]->state, Item::STATE_FLYING), VAL(items[1]->state, Item::STATE_HOMING)});
  g_ItemMan.ClearAll();
  // Collected: power + 0.01, a bonus of 1000 times the chain.
  g_Player.power = 2.5f;
  g_ChainCounter.Set(3);
  g_ChainCounter.Add();  // 4, and the decay starts over
  const uint64_t before = Score();
  g_ItemMan.SpawnAt(at, 1);
  Item* item = Items()[0];
  item->state = Item::STATE_HOMING;
  item->vx = item->vy = item->fall = 0.0f;
  int frames = 0;
  while (g_ItemMan.LiveCount() > 0 && frames < 200) {
    Quiet(1);
    ++frames;
  }
  EXPECT_EQ(g_ItemMan.LiveCount(), 0);
  EXPECT_NEAR(g_Player.power, 2.51f, 1e-5);
  EXPECT_EQ(Score() - before, 4000u);
  // An item that falls past y = 350 is lost without scoring.
  const float low[4] = {0.0f, 345.0f, 0.0f, 1.0f};
  g_ItemMan.SpawnAt(low, 1);
  item = Items()[0];
  item->vx = item->vy = 0.0f;
  item->fall = 5.0f;
  const float power = g_Player.power;
  Quiet(1);
  EXPECT_ALL({VAL(g_ItemMan.LiveCount(), 0), VAL(g_Player.power, power), VAL(Score() - before, 4000u)});
}

TEST_F(Play, ADashDropScattersAndHomesAfterSixtyFrames) {
  g_ItemMan.ClearAll();
  g_Player.controlMode = Player::CONTROL_DASH;
  const float at[4] = {0.0f, -100.0f, 0.0f, 1.0f};
  g_ItemMan.SpawnAt(at, 1);
  g_Player.controlMode = Player::CONTROL_NORMAL;
  Item* item = Items()[0];
  EXPECT_ALL({VAL(item->scatter, 1), VAL(item->fall, 0.0f), VAL(item->damping, 0.95f)});
  Quiet(59);
  EXPECT_EQ(item->state, Item::STATE_FLYING);
  Quiet(1);
  EXPECT_ALL({VAL(item->state, Item::STATE_HOMING), VAL(item->count, 0)});
  g_ItemMan.ClearAll();
}

// ---------------------------------------------------------------- chain

TEST_F(Play, ChainDecaysOneEveryThreeHundredFramesNeverBelowZero) {
  // Raised between frames: the counter's first frame counts 0, so the first
  // loss comes on the 301st frame (on the 300th after a raise in play).
  g_ChainCounter.Set(4);
  g_ChainCounter.Add();
  Quiet(300);
  EXPECT_EQ(g_ChainCounter.chain, 5);
  Quiet(1);
  EXPECT_EQ(g_ChainCounter.chain, 4);
  Quiet(1199);
  EXPECT_EQ(g_ChainCounter.chain, 1);
  Quiet(1);
  EXPECT_EQ(g_ChainCounter.chain, 0);
  Quiet(600);
  EXPECT_EQ(g_ChainCounter.chain, 0);
}

TEST_F(Play, PopupsTextFontPlaceMotionFadeAndEnd) {
  const float at[4] = {230.0f, 0.0f, 0.0f, 1.0f};
  g_ChainCounter.Set(1);
  g_ChainCounter.ShowPopup(at, 0);
  EXPECT_EQ(Popups().size(), 0u);
  g_ChainCounter.Set(2);
  g_ChainCounter.ShowPopup(at, 0);
  ASSERT_EQ(Popups().size(), 1u);
  NumberPopup* chain = Popups()[0];
  // ":2" in the small font, 28 x 17: centred at 230 it would pass the right
  // edge less 8, so it stands at 232 - 28.
  const SMatrix& m = chain->GetWorld();
  EXPECT_STREQ(chain->Text(), ":2");
  EXPECT_EQ(chain->GetText().GetFont(), &SprGameIf00xDesc[0]);
  EXPECT_ALL({VAL(m.m[3][0], 204.0f), VAL(m.m[3][1], -8.5f), VAL(m.m[3][2], 0.0f)});
  // A tally with chain 0: 1000 and the tally.
  g_ChainCounter.Set(0);
  g_ChainCounter.contactTally = 3;
  const float corner[4] = {-300.0f, -400.0f, 0.0f, 1.0f};
  g_ChainCounter.ShowTallyPopup(corner, 0);
  ASSERT_EQ(Popups().size(), 2u);
  NumberPopup* tally = Popups()[1];
  EXPECT_STREQ(tally->Text(), "1000:3");
  EXPECT_ALL({VAL(tally->GetWorld().m[3][0], -232.0f), VAL(tally->GetWorld().m[3][1], -312.0f)});
  g_ChainCounter.contactTally = 0;
  g_ChainCounter.ShowTallyPopup(corner, 0);
  EXPECT_EQ(Popups().size(), 2u);
  // A popup made between frames runs from the second: after 22 frames it
  // has moved 21 times. The chain popup flies in by 2 a frame and fades over
  // its counts 15 to 30; the tally rises by 0.25.
  Quiet(22);
  EXPECT_EQ(m.m[3][2], -42.0f);
  EXPECT_NEAR(chain->GetText().GetColour()[3], 1.0f - 5.0f / 15.0f, 1e-6);
  EXPECT_EQ(tally->GetWorld().m[3][1], -312.0f - 0.25f * 21);
  Quiet(9);
  EXPECT_EQ(Popups().size(), 2u);
  Quiet(1);
  EXPECT_EQ(Popups().size(), 1u);  // the chain popup ended at count 30
  Quiet(89);
  EXPECT_EQ(Popups().size(), 1u);
  Quiet(1);
  EXPECT_EQ(Popups().size(), 0u);  // the tally at count 120
}

TEST(PopupFont, ByNumberOrForced) {
  struct Case {
    int32_t a, b, size, font;
  } cases[] = {{0, 2, 0, 0},     {0, 4, 0, 0},     {0, 5, 0, 1},      {0, 7, 0, 1},  {0, 9, 0, 1},
               {0, 10, 0, 2},    {0, 12, 0, 2},    {1000, 9, 0, 0},   {1000, 10, 0, 1}, {1000, 99, 0, 1},
               {1000, 100, 0, 2}, {0, 12, 1, 0},   {1000, 3, 3, 2},   {0, 2, 2, 1}};
  for (const Case& c : cases) EXPECT_EQ(NumberPopup::FontFor(c.a, c.b, c.size), c.font) << c.a << " " << c.b;
}

TEST_F(Play, EveryPopupIsShownAndTheStageEndKillsThem) {
  g_ChainCounter.Set(9);
  const float at[4] = {0.0f, 0.0f, 0.0f, 1.0f};
  for (int i = 0; i < 70; ++i) g_ChainCounter.ShowPopup(at, 3);
  EXPECT_EQ(Popups().size(), 70u);
  // A forced size flies in by 1.5 a frame.
  Quiet(3);
  EXPECT_EQ(Popups()[0]->GetWorld().m[3][2], -3.0f);
  g->ClearStageObjects();
  EXPECT_EQ(Popups().size(), 0u);
  EXPECT_EQ(g_MapMng.branchLatch, 2);
}

TEST_F(Play, TheStageEndEndsADashLeftHalfWay) {
  // A play lost in the middle of a dash: the formation aims at its second
  // slot with three armed markers.
  DashForm& f = g_DashForm;
  f.targetCount = 3;
  f.targetIndex = 1;
  f.dashState = DashForm::DASH_AIMING;
  f.slots[0].marker = DashForm::MARK_STRUCK;
  f.slots[1].marker = DashForm::MARK_CURRENT;
  f.slots[2].marker = DashForm::MARK_ARMED;
  g->ClearStageObjects();
  EXPECT_ALL({VAL(f.dashState, DashForm::DASH_IDLE), VAL(f.targetCount, 0), VAL(f.targetIndex, 0)});
  for (const DashForm::Slot& s : f.slots) EXPECT_EQ(s.marker, DashForm::MARK_IDLE);
}

TEST_F(Play, BestChainsFollowTheChainIntoThePlayRecord) {
  g_ChainCounter.stageBest = 0;
  g_ChainCounter.playBest = 3;
  g_ChainCounter.Set(5);
  g_ChainCounter.UpdateBest();
  EXPECT_ALL({VAL(g_ChainCounter.stageBest, 5), VAL(g_ChainCounter.playBest, 5), VAL(g->record[REC_BEST_CHAIN], 5u)});
  g_ChainCounter.Set(2);
  g_ChainCounter.UpdateBest();
  EXPECT_ALL({VAL(g_ChainCounter.stageBest, 5), VAL(g_ChainCounter.playBest, 5)});
  g->RestorePlayRecord();
  EXPECT_ALL({VAL(g_ChainCounter.playBest, 0), VAL(g_ChainCounter.chain, 0)});
}

// ---------------------------------------------------------------- display

TEST_F(Play, PowerGaugeJumpsOnANewLevelAndMovesTowardItsFraction) {
  ZGInterface& hud = g_ZGInterface;
  EXPECT_TRUE(hud.IsShown());
  g_Player.power = 2.2f;
  Quiet(60);
  EXPECT_NEAR(hud.GaugeShown(), 0.2f, 1e-5);
  g_Player.power = 2.5f;
  Quiet(1);
  EXPECT_NEAR(hud.GaugeShown(), 0.21f, 1e-5);
  Quiet(29);
  EXPECT_NEAR(hud.GaugeShown(), 0.5f, 1e-5);
  // The fill quad runs 115 x 0.5 from x = -179.
  const SVec3 right = hud.Panel().GetVertexPos(4 + 3);
  EXPECT_NEAR(right.x, -179.0f + 57.5f, 1e-3);
  EXPECT_EQ(right.y, -280.0f);
  g_Player.power = 3.0f;  // a new whole level: straight to its fraction, 0
  Quiet(1);
  EXPECT_EQ(hud.GaugeShown(), 0.0f);
  g_Player.power = 3.3f;
  Quiet(10);
  g_Player.power = 3.05f;
  Quiet(1);
  EXPECT_NEAR(hud.GaugeShown(), 0.1f - 0.02f, 1e-5);  // falls by 0.02 a frame
  g_Player.power = 4.0f;
  Quiet(1);
  EXPECT_EQ(hud.GaugeShown(), 1.0f);
  EXPECT_ALL({VAL(ZGInterface::GaugeTarget(2.5f), 0.5f), VAL(ZGInterface::GaugeTarget(3.0f), 0.0f),
              VAL(ZGInterface::GaugeTarget(4.0f), 1.0f), VAL(ZGInterface::GaugeTarget(0.25f), 0.25f)});
}

TEST_F(Play, LockOnGaugeFillsAndBlinksFromItsThirtyEighthFrame) {
  g_ChainCounter.gaugeValue = 0.0f;
  g_Player.lockOnCooldown = 0;
  Quiet(37);  // e = 1 - 0.9^37 = 0.9797
  EXPECT_EQ(g_ChainCounter.gaugeBlink, 0);
  EXPECT_NEAR(g_ChainCounter.gaugeValue, 1.0f - std::pow(0.9f, 37.0f), 1e-4);
  Quiet(1);
  EXPECT_EQ(g_ChainCounter.gaugeBlink, 1);
  // Full: the gauge quad covers its whole part.
  EXPECT_EQ(g_ZGInterface.Panel().GetVertexPos(8).y, -318.0f);
  // Cooling down after a lock-on empties it again.
  g_Player.lockOnCooldown = 240;
  Quiet(1);
  EXPECT_EQ(g_ChainCounter.gaugeBlink, 0);
}

TEST_F(Play, AFullLockOnGaugesSparklesFadeAndGo) {
  // A sparkle every 8th frame of the full gauge at (-211, -290), of size
  // 6 x 6: 6 frames of fading colour, then 6 of fading alpha, and gone. Two
  // overlap at most (12 frames each, one every 8), however long the gauge
  // stays full.
  g_ChainCounter.gaugeValue = 1.0f;
  g_Player.lockOnCooldown = 0;
  int most = 0;
  for (int f = 0; f < 400; ++f) {
    Quiet(1);
    int n = 0;
    for (SObject* o = g_EfxMan.Live(1).HeadObj(); o != nullptr; o = o->GetNext()) {
      const SGpSpriteCell* cell = static_cast<EfxSprite*>(o)->Sprite();
      n += cell != nullptr && cell->ownPos[0] == -211.0f && cell->ownPos[1] == -290.0f;
    }
    most = std::max(most, n);
  }
  EXPECT_GT(g_ChainCounter.gaugeBlink, 390);
  EXPECT_EQ(most, 2);
}

TEST_F(Play, IconsOneSpritePerLifeAndBombAndTheLostLifesEffect) {
  auto places = [](const SGpRect* table, int count) {
    std::set<std::pair<float, float>> s;
    for (SObject* o = g_EfxMan.Live(1).HeadObj(); o != nullptr; o = o->GetNext()) {
      const SGpSpriteCell* cell = static_cast<EfxSprite*>(o)->Sprite();
      if (cell != nullptr && cell->part >= table && cell->part < table + count)
        s.insert({cell->ownPos[0], cell->ownPos[1]});
    }
    return s;
  };
  g->lives = 3;
  g->bombs = 2;
  Quiet(2);
  using P = std::set<std::pair<float, float>>;
  EXPECT_EQ(places(SprGameIf00_4, 1), (P{{-225, -240}, {-195, -240}, {-165, -240}}));
  EXPECT_EQ(places(SprGameIf00_3, 3), (P{{225, 300}, {225, 284}}));
  g->lives = 0;
  g->bombs = 0;
  Quiet(5);
  EXPECT_TRUE(places(SprGameIf00_4, 1).empty());
  EXPECT_TRUE(places(SprGameIf00_3, 3).empty());
  // The effect stands at the icon that went; with lives below 0, none.
  g->lives = 1;
  g_ZGInterface.LifeLostEffect();
  EXPECT_EQ(places(SprGameIf00_4, 1), (P{{-195, -240}}));
  Quiet(40);
  g->lives = -1;
  const int32_t before = g_EfxMan.LiveCount(1);
  g_ZGInterface.LifeLostEffect();
  EXPECT_EQ(g_EfxMan.LiveCount(1), before);
}

TEST_F(Play, HighScoreFollowsTheScoreAsAnUnsignedPair) {
  struct Case {
    uint32_t overflow, score, highWord, high;
    uint32_t wantWord, want;
  } cases[] = {
      {1, 5, 0, 999999999, 1, 5},            // a larger overflow word wins
      {0, 100, 1, 50, 1, 50},                // a smaller one loses, whatever the low word
      {1, 100, 1, 50, 1, 100},               // equal words: the low word decides
      {0x80000000u, 1, 0x7FFFFFFFu, 9, 0x80000000u, 1},  // unsigned
  };
  for (const Case& c : cases) {
    g->record[REC_OVERFLOW] = c.overflow;
    g->record[REC_SCORE] = c.score;
    g->record[REC_HIGH_OVERFLOW] = c.highWord;
    g->record[REC_HIGH_SCORE] = c.high;
    Quiet(1);
    EXPECT_ALL({VAL(g->record[REC_HIGH_OVERFLOW], c.wantWord), VAL(g->record[REC_HIGH_SCORE], c.want)});
  }
  // "%u" and "%09u" of each word: 1 + 9 glyphs a line.
  g->record[REC_OVERFLOW] = 1;
  g->record[REC_SCORE] = 123456789;
  g->record[REC_HIGH_OVERFLOW] = 0;
  g->record[REC_HIGH_SCORE] = 0;
  Quiet(1);
  EXPECT_EQ(g_ZGInterface.ScoreText().GlyphCount(), 20);
}

TEST_F(Play, MasksExceptInViewModesTwoAndFiveAndTheCameraObjects) {
  auto masked = [] {
    for (const auto& [key, packet] : GetGpMan()->GetQueue()->Entries())
      if (packet == &g_ZGInterface.Masks()) return key;
    return -1;
  };
  // The stage start returned the first camera object to the identity.
  EXPECT_ALL({VAL(g->CameraNode(0).m[1][1], 1.0f), VAL(g->CameraNode(0).m[3][2], 0.0f),
              VAL(g->CameraNode(1).m[1][1], -1.0f), VAL(g->CameraNode(1).m[3][2], -512.0f)});
  EXPECT_EQ(masked(), 0);
  // Four black quads around the field: the right one from x = 240.
  const SGpObj_PrimQuad& m = g_ZGInterface.Masks();
  EXPECT_ALL({VAL(m.GetActiveCount(), 4), VAL(m.GetVertexPos(12).x, 240.0f), VAL(m.GetVertexColour(0), 0xFF000000u)});
  for (int32_t mode : {2, 5}) {
    g->SetViewMode(mode);
    Quiet(1);
    EXPECT_EQ(masked(), -1) << mode;
  }
  g->SetViewMode(10);
  Quiet(1);
  EXPECT_EQ(masked(), 0);
}

TEST(RouteBanner, PhasesByStageAndFramesLeft) {
  struct Case {
    int32_t stage, left, phase, elapsed;
  } cases[] = {{1, 300, 0, 0}, {1, 271, 0, 29}, {1, 270, 1, 0}, {1, 91, 1, 179}, {1, 90, 2, 0},
               {1, 1, 2, 89},  {3, 120, 0, 0}, {3, 91, 0, 29},  {3, 90, 2, 0},   {5, 200, 1, 70}};
  for (const Case& c : cases) {
    int32_t elapsed = -1;
    EXPECT_EQ(ZGInterface::BannerPhaseOf(c.stage, c.left, &elapsed), c.phase) << c.stage << " " << c.left;
    EXPECT_EQ(elapsed, c.elapsed) << c.stage << " " << c.left;
  }
  EXPECT_ALL({VAL(ZGInterface::DisplayedStage(4), 4), VAL(ZGInterface::DisplayedStage(101), 1),
              VAL(ZGInterface::DisplayedStage(103), 3), VAL(ZGInterface::DisplayedStage(0), 1),
              VAL(ZGInterface::DisplayedStage(104), 1), VAL(ZGInterface::DisplayedStage(6), 1)});
}

TEST(RouteBanner, TheCommittedSideByStageAndRouteWord) {
  // Right for word 0 in stages 1 and 2 and for word 1 in stage 3; left
  // otherwise, so always left in stages 4 and 5.
  const int32_t R = ZGInterface::SIDE_RIGHT, L = ZGInterface::SIDE_LEFT;
  const int32_t want[5][2] = {{R, L}, {R, L}, {L, R}, {L, L}, {L, L}};
  for (int32_t s = 1; s <= 5; ++s)
    for (int32_t word = 0; word <= 1; ++word)
      EXPECT_EQ(ZGInterface::CommittedSide(s, word), want[s - 1][word]) << s << " " << word;
}

TEST_F(Play, RouteBannerFollowsTheShipAndCommitsTheRoute) {
  ZGInterface& hud = g_ZGInterface;
  g->stage = 1;
  hud.SetStageTimer();
  EXPECT_EQ(hud.BannerFrames(), 300);
  g_Player.position[0] = -50.0f;
  Quiet(15);  // fading in: both names
  EXPECT_EQ(hud.BannerText().GlyphCount(), 2);
  EXPECT_EQ(hud.BannerChoice(), ZGInterface::SIDE_LEFT);
  g_MapMng.branchLatch = 1;
  Quiet(16);  // the choice's second frame re-arms the route word
  EXPECT_EQ(g_MapMng.branchLatch, 2);
  EXPECT_EQ(hud.BannerArrows().GetActiveCount(), 5);
  // The ship moves right: the banner sees it in the frame after the ship's.
  g_Player.position[0] = 50.0f;
  Quiet(1);
  EXPECT_EQ(hud.BannerChoice(), ZGInterface::SIDE_LEFT);
  Quiet(1);
  EXPECT_ALL({VAL(hud.BannerChoice(), ZGInterface::SIDE_RIGHT), VAL(hud.BannerBlink(), 10)});
  Quiet(177);  // the exit's first frame commits: right of the centre, route 0
  EXPECT_EQ(g_MapMng.branchLatch, 0);
  EXPECT_EQ(hud.BannerText().GlyphCount(), 3);  // both names and the backing plate
  Quiet(89);
  EXPECT_EQ(hud.BannerFrames(), 1);
  Quiet(1);
  EXPECT_EQ(hud.BannerFrames(), 0);
  // Stage 3: 120 frames, no choice.
  g->stage = 3;
  hud.SetStageTimer();
  EXPECT_EQ(hud.BannerFrames(), 120);
  g_MapMng.branchLatch = 1;
  Quiet(60);
  EXPECT_EQ(g_MapMng.branchLatch, 1);
  EXPECT_EQ(hud.BannerArrows().GetActiveCount(), 0);
  Quiet(60);
  EXPECT_EQ(hud.BannerFrames(), 0);
  // The demo of stage 3 (stage number 103) gets the 300 frames of any stage
  // but 3; it shows stage 3's glyphs, whose phases count from 120 frames
  // left: for 180 frames (300 down to 120 left, elapsed 120 - left below 1)
  // nothing is drawn, then both names fade in; no choice, no arrows.
  g->stage = 103;
  hud.SetStageTimer();
  EXPECT_EQ(hud.BannerFrames(), 300);
  Quiet(180);
  EXPECT_EQ(hud.BannerFrames(), 120);
  EXPECT_EQ(hud.BannerText().GlyphCount(), 0);
  Quiet(1);  // 119 left: elapsed 1
  EXPECT_EQ(hud.BannerText().GlyphCount(), 2);
  Quiet(60);
  EXPECT_ALL({VAL(g_MapMng.branchLatch, 1), VAL(hud.BannerArrows().GetActiveCount(), 0)});
}

}  // namespace

namespace {

// ---------------------------------------------------------------- results

class ResultBonus : public ::testing::Test {
 protected:
  ResultBonus() {
    std::memcpy(game.settings, kDefaultSettings, sizeof game.settings);
    saved_ = g_Player.power;
  }
  ~ResultBonus() override {
    ResetStageCounters();
    g_ChainCounter.stageBest = 0;
    g_Player.power = saved_;
  }
  Game game;
  float saved_ = 0.0f;
};

TEST_F(ResultBonus, EachCategoryWorkedByHand) {
  StageEnemyCount = 40;
  StageDefeatCount = 30;
  g_ChainCounter.stageBest = 12;
  game.record[REC_LOCK_CATCHES] = 3;  // lock catches
  game.lives = 2;
  g_Player.power = 2.99f;
  const ChainCounter& c = g_ChainCounter;
  EXPECT_EQ(ChainCounter::ResultRatio(), 75);
  EXPECT_ALL({VAL(c.ResultBonus(0), 75 * 30 * 1000), VAL(c.ResultBonus(1), 120000), VAL(c.ResultBonus(2), 60000),
              VAL(c.ResultBonus(3), 100000), VAL(c.ResultBonus(4), 60000),
              VAL(c.ResultBonus(5), 2250000 + 120000 + 60000 + 100000 + 60000), VAL(c.ResultBonus(6), 0),
              VAL(c.ResultBonus(-1), 0)});
  EXPECT_ALL({VAL(c.GetStageBest(), 12), VAL(ChainCounter::GetLockCatches(), 3), VAL(ChainCounter::GetLives(), 2),
              VAL(ChainCounter::GetPowerLevel(), 2)});
  g_Player.power = 4.0f;
  EXPECT_EQ(c.ResultBonus(4), 120000u);
  // No enemy appeared: no ratio and no first bonus.
  StageEnemyCount = 0;
  EXPECT_ALL({VAL(ChainCounter::ResultRatio(), 0), VAL(c.ResultBonus(0), 0)});
  // Lives below 0 take nothing away.
  game.lives = -1;
  EXPECT_EQ(c.ResultBonus(3), 0u);
}

TEST_F(ResultBonus, ProductsBeyondThirtyTwoBitsAreExactAndCarryIntoTheOverflowWord) {
  StageEnemyCount = 2000000;
  StageDefeatCount = 2000000;  // ratio 100
  const uint64_t bonus = g_ChainCounter.ResultBonus(0);
  EXPECT_EQ(bonus, 200000000000ull);
  game.record[REC_SCORE] = 999999999;
  game.AddScoreWide(bonus + 1);
  EXPECT_ALL({VAL(game.record[REC_OVERFLOW], 201u), VAL(game.record[REC_SCORE], 0u)});
}

TEST(SharedBatch, TableLookAndRefusalWhenFull) {
  SharedSpriteBatch b;
  const float grey[4] = {0.85f, 0.85f, 0.85f, 1.0f};
  ASSERT_EQ(b.Prepare(2, 2.0f, 2.0f, grey), 0);
  SGpSpriteCell* a = b.Take();
  SGpSpriteCell* c = b.Take();
  ASSERT_NE(a, nullptr);
  ASSERT_NE(c, nullptr);
  EXPECT_ALL({VAL(a->scaleX, 2.0f), VAL(a->scaleY, 2.0f), VAL(a->colour[0], 0.85f), VAL(a->colour[3], 1.0f),
              VAL(b.Batch().GetList()->Count(), 2)});
  EXPECT_EQ(b.Take(), nullptr);
  delete a;  // a released sprite leaves the batch and frees its cell
  EXPECT_ALL({VAL(b.Batch().GetList()->Count(), 1), VAL(b.FreeCount(), 1)});
  b.ReleaseAll();
  EXPECT_EQ(b.FreeCount(), 2);
}

}  // namespace
