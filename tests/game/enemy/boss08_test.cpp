// Boss type 8 in stage 3: the entry and its exhaust draws, the attack cycle
// over frames, the escape once over time (only on the escape path) with its
// sparks slowing, the bouncing shots, a generator riding a shot that ends, the defeat by the
// Player's shots with its companion moving the rail on and the boss's end;
// a picture mid-fight; the room its effects leave over its whole fight and
// escape, and the size and place of the escape's sparks and smoke.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <map>
#include <vector>

#include "boss_fight.h"
#include "game/core/StageCounters.h"
#include "game/effect/EShotGen.h"
#include "game/effect/EShotMan.h"
#include "game/effect/EfxMan.h"
#include "game/enemy/BossShots.h"
#include "game/enemy/EnemyMan.h"
#include "game/enemy/EnemySet.h"
#include "game/enemy/boss08/EnemyType8.h"
#include "game/stage/MapMng.h"
#include "platform/crt_rand.h"
#include "game/core/Game.h"
#include "support/BossFight.h"
#include "support/DrawnThings.h"
#include "support/EffectWatch.h"
#include "support/StageBossFight.h"
#include "support/ImageCompare.h"
#include "support/SoundProbe.h"

namespace {

using testsupport::BossFight;

// Stage 3's boss 8 from its spawn record (parameter 108), the Player's lives
// kept up; the boss once it has come, or null.
struct Fight {
  explicit Fight(bool picture = false) : f(3, 108, picture) {
    if (!f.Start()) return;
    for (int i = 0; i < 60 && b == nullptr; ++i) {
      Step();
      b = dynamic_cast<EnemyType8*>(g_EnemyMan.FindFirst("Boss06"));
    }
  }
  void Step(int n = 1) {
    for (int i = 0; i < n; ++i) {
      f.Step();
      f.world.G()->lives = 5;
    }
  }
  BossFight f;
  EnemyType8* b = nullptr;
};
using States = std::vector<std::pair<int32_t, int>>;  // (state, frames in it)

// Runs `frames` more frames noting each state the script passes through and the
// frames it stayed (the last one still running).
States Trace(Fight& f, EnemyType8* b, int frames) {
  States s{{b->Script().GetState(), 1}};  // its first frame has run
  for (int i = 0; i < frames; ++i) {
    f.Step();
    if (b->Script().GetState() != s.back().first) s.emplace_back(b->Script().GetState(), 0);
    ++s.back().second;
  }
  return s;
}

// How wide a sprite is drawn: its part at its scale.
float Width(const EfxSprite& e) {
  const SGpRect* part = e.track.GetPart();
  return part != nullptr && e.Sprite() != nullptr ? e.Sprite()->scaleX * part->width : 0.0f;
}

// The escape's sparks and smoke of one frame, as the effect manager holds
// them with nothing emptied: the widest spark and puff drawn, each puff's
// place from the boss's place on the play plane, and each spark's whole
// travel from the puff it was thrown from (the nearest), over its first
// frame's step.
struct EscapeBirths {
  std::vector<float> travels;
  std::vector<std::pair<float, float>> puffOffsets;
  float widestSpark = 0.0f, widestPuff = 0.0f;
  size_t sparks = 0;
};

// Runs one frame and follows the escape sparks born in it (effect sprites
// of size 50 with a decay of 0.93, one frame old) to their end, beside the
// smoke puffs of size 30 born with them.
EscapeBirths Births(Fight& f, EnemyType8* b) {
  f.Step();
  EscapeBirths out;
  const float* p = b->GetPosition();
  const float at[2] = {p[0] * 512.0f / (p[2] + 512.0f), p[1] * 512.0f / (p[2] + 512.0f)};
  struct Spark {
    EfxSprite* e;
    float from[2];
    float first;
  };
  std::vector<const float*> puffs;
  std::vector<Spark> sparks;
  for (SObject* o = g_EfxMan.Live(1).HeadObj(); o != nullptr; o = o->GetNext()) {
    auto* e = static_cast<EfxSprite*>(o);
    const SGpSpriteCell* c = e->Sprite();
    if (c == nullptr || testsupport::EffectWatch::Age(*e) != 1.0f) continue;
    if (c->scaleX == 30.0f && (e->flags & (EfxSprite::kVelocity | EfxSprite::kVelocity2)) == 0) {
      puffs.push_back(c->ownPos);
      out.puffOffsets.emplace_back(c->ownPos[0] - at[0], c->ownPos[1] - at[1]);
      out.widestPuff = std::max(out.widestPuff, Width(*e));
    }
    if (c->scaleX == 50.0f && e->damping == 0.93f) {
      sparks.push_back(Spark{e, {0.0f, 0.0f}, -1.0f});
      out.widestSpark = std::max(out.widestSpark, Width(*e));
    }
  }
  out.sparks = sparks.size();
  for (Spark& s : sparks) {
    const float* p = s.e->Sprite()->ownPos;
    for (const float* q : puffs) {
      const float d = std::hypot(p[0] - q[0], p[1] - q[1]);
      if (s.first < 0.0f || d < s.first) s = Spark{s.e, {q[0], q[1]}, d};
    }
  }
  // 30 frames of motion: 15 of life A, 15 of life B, the last ending it.
  f.Step(29);
  for (const Spark& s : sparks) {
    const SGpSpriteCell* c = s.e->Sprite();
    if (s.e->alive != 0 || c == nullptr || s.first < 1.0f) continue;
    out.travels.push_back(std::hypot(c->ownPos[0] - s.from[0], c->ownPos[1] - s.from[1]) / s.first);
  }
  return out;
}

TEST(Boss08, EntryExhaustCycleAndEscape) {
  Fight f;
  EnemyType8* b = f.b;
  ASSERT_NE(b, nullptr);
  EXPECT_EQ(g_MapMng.armed, 1);
  EXPECT_EQ(g_MapMng.armedAt, 3274.0f);
  EXPECT_EQ(g_MapMng.armedT, 3175.0f);
  // Before the ring shows, the boss draws only for its exhaust: per frame f
  // 4 puffs of 5 draws when f mod 3 is 0 or 2, 5 of 3 when f mod 5 is 0
  // and 6 jets of 5 on even f; the stage's own draws stay the same.
  f.Step(100);
  std::vector<int> rest;
  for (int i = 0; i < 12; ++i) {
    const uint32_t s = plat::RandSeed();
    f.Step();
    const int32_t fr = b->framesAlive - 1;
    const int own = (fr % 3 != 1 ? 20 : 0) + (fr % 5 == 0 ? 15 : 0) + (fr % 2 == 0 ? 30 : 0);
    rest.push_back(testsupport::RandDraws(s, plat::RandSeed()) - own);
  }
  EXPECT_EQ(rest, std::vector<int>(12, rest[0]));
  // The cycle: each timer's frames plus one, the pause 62 frames.
  while (b->Script().GetState() == EnemyType8Behavior::ENTRY) f.Step();
  const States s = Trace(f, b, 2900);
  const std::vector<int32_t> order = {1, 100000, 2, 3, 7, 4, 100000, 5, 100000, 6, 8, 1};
  ASSERT_GE(s.size(), order.size());
  for (size_t i = 0; i < order.size(); ++i) EXPECT_EQ(s[i].first, order[i]) << i;
  const std::vector<int> frames = {181, 62, 211, 331, s[4].second, 181, 62, 3 * 91, 62, 361};
  for (size_t i = 0; i < frames.size(); ++i) EXPECT_EQ(s[i].second, frames[i]) << i;
  // Over time: the next timer escapes; the loop and the timeline are let
  // go; nothing moves until the camera is on the escape path, where the boss
  // climbs away and ends at rail position 250, uncounted.
  const int32_t defeats = StageDefeatCount;
  b->chainFrameLimit = 0;
  while (b->Script().GetState() != EnemyType8Behavior::ESCAPE) f.Step();
  EXPECT_EQ(g_MapMng.armed, 0);
  EXPECT_EQ(g_MapMng.sectionFlag, 1);
  EXPECT_EQ(g_EnemySet.paused, 0);
  const float y = b->GetPosition()[1];
  for (int i = 0; i < 20; ++i) {
    f.Step();
    ASSERT_EQ(b->GetPosition()[1], y) << "frame " << i;  // held on every frame
  }
  g_MapMng.SetSection(1, 0.0f);
  SHandle<EnemyType8> h(b);
  f.Step(240);
  ASSERT_NE(h.Get(), nullptr);
  EXPECT_GT(b->GetPosition()[1], y);  // climbing away down the view
  f.Step(20);
  EXPECT_EQ(h.Get(), nullptr);
  EXPECT_EQ(StageDefeatCount, defeats);
}

// Stage 3 as it plays from boss 8's record (rail key 2000), the boss left
// alone through its whole fight until it is over time, escapes and goes,
// with nothing emptied. Its exhaust makes 55 puffs in 15 frames (4 on each
// of two frames in three, 5 on one in five) of lives 20 and 0, which end as
// their animation of 99 frames wraps: 363 live at once on the average; and
// 6 jets every other frame, of lives 5, 9 and 13 and then 5: 42 more. At
// most 450 exhaust sprites live (picked by their colours), and with the
// bullets' bursts of the bouncing fans the live effect sprites stay under
// half the store of 2048. The escape throws 40 sparks of 31 frames and 4
// puffs of 41 on 6 frames of 8: about 930 and 123, under five eighths of the
// store. Once the boss has gone, what it made ends within the longest
// effect, and the sprites left are the stage's own few.
TEST(Boss08, LeftAloneItsFightAndEscapeLeaveTheSpriteCellsFree) {
  testsupport::StageBossFight f(3);
  auto* b = dynamic_cast<EnemyType8*>(f.Start(2000.0f, 1998.0f, "Boss06"));
  ASSERT_NE(b, nullptr);
  SHandle<EnemyType8> h(b);
  testsupport::EffectWatch watch;
  int fight = 0, escape = 0, exhaust = 0, frames = 0;
  static constexpr float kExhaust[2][4] = {{0.3f, 0.3f, 0.3f, 0.3f}, {0.35f, 0.35f, 0.35f, 0.4f}};
  std::map<int, int> at;  // live effect sprites at frames 60, 300 and 552
  for (; frames < 6000 && h.Get() != nullptr; ++frames) {
    const bool escaping = b->Script().GetState() == EnemyType8Behavior::ESCAPE;
    f.Step();
    watch.Frame();
    const int live = g_EfxMan.LiveCount(1);
    (escaping ? escape : fight) = std::max(escaping ? escape : fight, live);
    if (frames + 1 == 60 || frames + 1 == 300 || frames + 1 == 552) at[frames + 1] = live;
    int exhaustNow = 0;
    for (SObject* o = g_EfxMan.Live(1).HeadObj(); o != nullptr; o = o->GetNext()) {
      const float* c = static_cast<EfxSprite*>(o)->colour;
      exhaustNow += testsupport::SameColour(c, kExhaust[0]) || testsupport::SameColour(c, kExhaust[1]);
    }
    exhaust = std::max(exhaust, exhaustNow);
  }
  ASSERT_EQ(h.Get(), nullptr);
  EXPECT_GT(escape, 0);
  f.Step(int(testsupport::EffectWatch::kLongestSprite));
  watch.Frame();
  std::printf("live effect sprites: %d, %d, %d at frames 60, 300, 552; at most %d in the fight (%d of the "
              "exhaust), %d in the escape (%d frames); %d left\n",
              at[60], at[300], at[552], fight, exhaust, escape, frames, g_EfxMan.LiveCount(1));
  EXPECT_GT(exhaust, 300);
  EXPECT_LE(exhaust, 450);
  EXPECT_LT(fight, EfxMan::kSpriteCells / 2);
  EXPECT_LT(escape, EfxMan::kSpriteCells * 5 / 8);
  EXPECT_LT(g_EfxMan.LiveCount(1), 100);
  watch.ExpectRoomAndNoStuckSprites("boss 8 left alone");
}

// The escape's climb starts when the escape path's rail reaches key 85:
// sounds 36 and 43 then, and only then; from there the boss climbs 18 a
// frame and comes 16 nearer.
// The spiral copies route entry 2 over both recoil entries of the boss's
// record, into the boss's own copy of its record and route table: the
// stage's table stays as loaded for every other enemy and the next play.
TEST(Boss08, SpiralRewritesTheRecoilRoutesOfItsOwnCopyOnly) {
  bossfight::SpawnedBoss<EnemyType8> b(3, "osr_bs06", 720896, 8);
  ASSERT_TRUE(b.ok);
  const EnemyParam* loaded = nullptr;
  for (const EnemyParam& p : b.stageData->script.params)
    if (p.type == 8) loaded = &p;
  ASSERT_NE(loaded, nullptr);
  const int32_t at = loaded->recoilRouteIndex;
  ASSERT_GE(at, 0);
  ASSERT_NE(loaded->routeTable, nullptr);
  const std::vector<RouteEntry> before = loaded->routeTable->entries;
  ASSERT_GT(before.size(), size_t(at) + 1);
  ASSERT_GT(before.size(), 2u);
  // The entries it copies over differ from entry 2, so a copy in place would
  // show.
  const auto same = [](const RouteEntry& a, const RouteEntry& c) {
    return a.from == c.from && a.to == c.to && a.wrap == c.wrap && a.speed == c.speed;
  };
  ASSERT_FALSE(same(before[size_t(at)], before[2]) && same(before[size_t(at) + 1], before[2]));
  EnemyType8* boss = b.boss;
  boss->Script().ChangeState(EnemyType8Behavior::SPIRAL);
  for (int k = 0; k < 5 && boss->Script().GetState() != EnemyType8Behavior::SPIRAL; ++k) b.w.Step();
  ASSERT_EQ(boss->Script().GetState(), EnemyType8Behavior::SPIRAL);
  ASSERT_NE(boss->param, loaded);
  const RouteEntry& two = before[2];
  for (int32_t k = 0; k < 2; ++k) {
    const RouteEntry* got = boss->param->RecoilRoute(k);
    ASSERT_NE(got, nullptr);
    EXPECT_EQ(got->from, two.from) << k;
    EXPECT_EQ(got->to, two.to) << k;
    EXPECT_EQ(got->wrap, two.wrap) << k;
    EXPECT_EQ(got->speed, two.speed) << k;
  }
  for (size_t i = 0; i < before.size(); ++i) {
    EXPECT_EQ(loaded->routeTable->entries[i].from, before[i].from) << i;
    EXPECT_EQ(loaded->routeTable->entries[i].to, before[i].to) << i;
    EXPECT_EQ(loaded->routeTable->entries[i].speed, before[i].speed) << i;
  }
}

TEST(Boss08, EscapeClimbsFromKey85WithItsTwoSounds) {
  Fight f;
  EnemyType8* b = f.b;
  ASSERT_NE(b, nullptr);
  b->chainFrameLimit = 0;
  for (int i = 0; i < 2000 && b->Script().GetState() != EnemyType8Behavior::ESCAPE; ++i) f.Step();
  ASSERT_EQ(b->Script().GetState(), EnemyType8Behavior::ESCAPE);
  SRsc* se = testsupport::EffectBank();
  g_MapMng.SetSection(1, 80.0f);
  for (int32_t n : {36, 43}) testsupport::MarkSound(se, n);
  // The boss reads the rail as the frame before left it (the stage moves
  // the rail after the enemies): it sees key 85 one frame after the rail
  // shows it.
  while (int32_t(g_MapMng.t) < 85) f.Step();
  ASSERT_EQ(int32_t(g_MapMng.t), 85);
  EXPECT_FALSE(testsupport::SoundPlayed(se, 36));
  EXPECT_FALSE(testsupport::SoundPlayed(se, 43));
  const float y = b->GetPosition()[1];
  f.Step();
  EXPECT_TRUE(testsupport::SoundPlayed(se, 36));
  EXPECT_TRUE(testsupport::SoundPlayed(se, 43));
  EXPECT_EQ(b->GetPosition()[1], y + 18.0f);
  ASSERT_EQ(int32_t(g_MapMng.t), 86);
  for (int32_t n : {36, 43}) testsupport::MarkSound(se, n);
  f.Step();
  EXPECT_FALSE(testsupport::SoundPlayed(se, 36));
  EXPECT_FALSE(testsupport::SoundPlayed(se, 43));
  // Sparks are thrown on frames with bit 0 or 2 of the count set, while the
  // key is below 116, 20 at each of two spots, and two smoke puffs at each:
  // the spots 60 to 80 left and right of the boss's place on the play plane
  // and up to 10 above or below it. A spark is 50 units across, a puff 30.
  // Each spark slows by 0.93 a frame from its first step on, so over its 30
  // frames it goes (1 - 0.93^30) / 0.07 = 12.666 first steps. Nothing is
  // emptied first: the fight before has left room for them all.
  while ((b->Script().frame & 5) == 0) f.Step();
  const EscapeBirths born = Births(f, b);
  EXPECT_EQ(born.sparks, 40u);
  ASSERT_EQ(born.puffOffsets.size(), 4u);
  int left = 0;
  for (const auto& [dx, dy] : born.puffOffsets) {
    EXPECT_GE(std::fabs(dx), 60.0f);
    EXPECT_LE(std::fabs(dx), 80.0f);
    EXPECT_LE(std::fabs(dy), 10.0f);
    left += dx < 0.0f;
  }
  EXPECT_EQ(left, 2);
  EXPECT_GT(born.widestSpark, 0.0f);
  EXPECT_LE(born.widestSpark, 50.0f);
  EXPECT_LE(born.widestPuff, 30.0f);
  EXPECT_GE(born.travels.size(), 20u);
  for (float t : born.travels) EXPECT_NEAR(t, 12.666f, 0.01f);
  // It goes, uncounted, in the frame it sees key 250, the hum stopped.
  SHandle<EnemyType8> h(b);
  const int32_t defeats = StageDefeatCount;
  while (int32_t(g_MapMng.t) < 250 && LiveProc(h) != nullptr) f.Step();
  ASSERT_NE(LiveProc(h), nullptr);
  testsupport::LoopSound(se, 37);  // the hum
  f.Step();
  EXPECT_EQ(LiveProc(h), nullptr);
  EXPECT_FALSE(testsupport::SoundPlaying(se, 37));
  EXPECT_EQ(StageDefeatCount, defeats);
}

TEST(Boss08, BouncesARiderAPictureAndTheDefeat) {
  Fight f(true);
  EnemyType8* b = f.b;
  ASSERT_NE(b, nullptr);
  while (b->Script().GetState() != EnemyType8Behavior::MOUNT_GUNS) f.Step();
  f.Step(60);
  // Counts 0 to 60 of the mount generators: mount 0 started its generator
  // at 0, 30 and 60, mount 1 at 0 and 35; each fires 17 steps a frame apart
  // and ends, so only mount 0's newest runs.
  EXPECT_EQ(b->Script().frame, 61);
  EXPECT_EQ(bossfight::CountChildren<EShotGen>(&b->Script().parts[0], 0), 1);
  EXPECT_EQ(bossfight::CountChildren<EShotGen>(&b->Script().parts[1], 0), 0);
  plat::Image img;
  ASSERT_TRUE(f.f.world.H().Screenshot(&img));
  EXPECT_TRUE(testsupport::MatchesGolden(img, "boss08_fight.png", 8, 400));
  // Tag 77 shots beyond the edges: heading 0 at the right edge turns back
  // to 0.5, along an axis (0.75 at the top) only slows, never below 1.3.
  EShot* right = EShotMan::Fire(0, 5, 250.0f, 0.0f, 0.0f, 0.0f, 5.0f, nullptr, 77, nullptr, 1.0f);
  EShot* top = EShotMan::Fire(0, 5, 0.0f, -330.0f, 0.0f, 0.75f, 1.4f, nullptr, 77, nullptr, 1.0f);
  ASSERT_TRUE(right && top);
  EnemyType8Behavior::BounceShots(77);
  EXPECT_EQ(right->angle, 0.5f);
  EXPECT_EQ(right->speed, 4.0f);
  EXPECT_NEAR(right->velocity[0], -4.0f, 1e-5f);
  EXPECT_EQ(top->angle, 0.75f);
  EXPECT_EQ(top->speed, 1.3f);
  // A generator riding a shot keeps the shot's last place once the shot is
  // gone, also when its pool cell fires again elsewhere.
  EShot* carrier = EShotMan::Fire(0, 5, 10.0f, 20.0f, 0.0f, 0.25f, 0.0f, nullptr, 78, nullptr, 1.0f);
  ASSERT_NE(carrier, nullptr);
  const ShotTuple d = {0x20101, 5, 10, 10, 0, 0, 0, 2.0f, 2.0f, 6, 1.0f, 1, 0, 0, 1, 0, 0, 0, 0, 0, 0, 500, -1, -1, 0};
  SHandle<EShotGen> rider(StartShots(b, carrier->position, carrier, d));
  ASSERT_NE(rider.Get(), nullptr);
  EShotMan::ClearAll(0);
  for (int i = 0; i < 3; ++i) EShotMan::Fire(0, 5, -100.0f, -100.0f, 0.0f, 0.0f, 0.0f, nullptr, 79, nullptr, 1.0f);
  const float* at = rider->OwnerPosition();
  EXPECT_EQ(at[0], 10.0f);
  EXPECT_EQ(at[1], 20.0f);
  // Defeated by the Player's shots: the wreck drifts; 290 frames on the
  // rail leaves the arena at 3155, the loop let go, the hum stopped and the
  // timeline let go, while the wreck stays.
  const int32_t defeats = StageDefeatCount;
  b->hitPoints = 8;
  f.f.world.Hold(plat::CabInput::kButton1);
  while (b->Script().GetState() != EnemyBase::SCRIPT_DEFEATED && b->framesAlive < 3000) f.Step();
  ASSERT_EQ(b->Script().GetState(), EnemyBase::SCRIPT_DEFEATED);
  f.f.world.ReleaseAll();
  EXPECT_EQ(StageDefeatCount, defeats + 1);
  SHandle<EnemyType8> h(b);
  SRsc* se = testsupport::EffectBank();
  testsupport::LoopSound(se, 37);  // the hum
  f.Step(289);
  ASSERT_NE(h.Get(), nullptr);
  EXPECT_EQ(g_MapMng.armed, 1);
  EXPECT_EQ(g_EnemySet.paused, 1);
  EXPECT_TRUE(testsupport::SoundPlaying(se, 37));
  f.Step(2);
  ASSERT_NE(h.Get(), nullptr);
  EXPECT_EQ(g_MapMng.armed, 0);
  EXPECT_GE(g_MapMng.t, 3155.0f);
  EXPECT_LT(g_MapMng.t, 3158.0f);
  EXPECT_EQ(g_EnemySet.paused, 0);
  EXPECT_FALSE(testsupport::SoundPlaying(se, 37));
  f.Step(300);
  EXPECT_NE(h.Get(), nullptr);
}

// The entry from the boss's first frame (frames alive 1): it stands at
// (0, 1666, 700) and cannot be hit; the hum (43) plays on its frame 0; the
// ring's first stretch ends on its 240th frame with sounds 18 and 37; the
// spline's keys of 240 and 240 frames end on the path's call 481 at
// (0, -534, 1770), and the spiral is entered on the next frame with the
// body on and the hover's first step: depth 1770 - 50 sin(2 pi / 220),
// tilt 0.005 sin(2 pi / 220) - 0.11. Its first frame fires three pairs of
// 0x20C from the mounts, on counts 0 to 2 of every 10, the spin growing
// 0.018 + 0.0025 a firing frame and 0.0025 on the others. The mounts ride
// nodes 58, 57 and 2: "B006 Parts", 1000 hit points, class 3, parameter
// kind 1, radius 25, mask 0x104.
TEST(Boss08, EntryMountsAndTheSpiralsStart) {
  bossfight::SpawnedBoss<EnemyType8> b(3, "osr_bs06", 720896, 8);
  ASSERT_TRUE(b.ok);
  EnemyType8* boss = b.boss;
  auto& s = boss->Script();
  const float* p = boss->GetPosition();
  EXPECT_EQ(p[0], 0.0f);
  EXPECT_EQ(p[1], 1666.0f);
  EXPECT_EQ(p[2], 700.0f);
  EXPECT_EQ(boss->angles[0], -0.11f);
  EXPECT_EQ(boss->body.disabled, 1);
  const int32_t nodes[3] = {58, 57, 2};
  for (int i = 0; i < 3; ++i) {
    B006Parts& m = s.parts[i];
    EXPECT_EQ(m.GetName(), "B006 Parts");
    EXPECT_EQ(m.node, boss->model.GetNode(nodes[i]));
    EXPECT_EQ(m.hitPoints, 1000);
    EXPECT_EQ(m.classKind, 3);
    EXPECT_EQ(m.paramKind, 1);
    EXPECT_EQ(m.body.radius, 25.0f);
    EXPECT_EQ(m.body.mask, 0x104u);
  }
  SRsc* se = testsupport::EffectBank();
  std::map<int32_t, std::vector<int32_t>> played;  // sound: frames alive it played in
  for (int k = 0; k < 600 && s.GetState() == EnemyType8Behavior::ENTRY; ++k) {
    for (int32_t n : {18, 37, 43}) testsupport::RearmSound(se, n);
    b.w.Step();
    b.w.G()->lives = 3;
    for (int32_t n : {18, 37, 43})
      if (testsupport::SoundPlayed(se, n)) played[n].push_back(boss->framesAlive);
    if (s.GetState() == EnemyType8Behavior::ENTRY) {
      EXPECT_EQ(boss->body.disabled, 1);
      if (boss->framesAlive == 481) {
        EXPECT_NEAR(p[1], -534.0f, 1e-2f);
        EXPECT_NEAR(p[2], 1770.0f, 1e-2f);
      }
    }
  }
  EXPECT_EQ(played[18], (std::vector<int32_t>{240}));
  EXPECT_EQ(played[37], (std::vector<int32_t>{240}));
  ASSERT_FALSE(played[43].empty());
  EXPECT_EQ(played[43][0], 1);
  EXPECT_EQ(boss->framesAlive, 482);
  ASSERT_EQ(s.GetState(), EnemyType8Behavior::SPIRAL);
  EXPECT_EQ(boss->body.disabled, 0);
  const float sw = std::sin(6.2831855f / 220.0f);
  EXPECT_NEAR(p[2], 1770.0f - 50.0f * sw, 1e-3f);
  EXPECT_NEAR(boss->angles[0], 0.005f * sw - 0.11f, 1e-6f);
  EXPECT_EQ(s.frame, 1);
  int shots = 0;
  EShotMan::WalkShots([&](EShot*) { ++shots; });
  EXPECT_EQ(shots, 6);
  EXPECT_NEAR(boss->axisTimer, 0.0205f, 1e-6f);
  b.w.Step(9);
  EXPECT_NEAR(boss->axisTimer, 3 * 0.0205f + 7 * 0.0025f, 1e-5f);
}

// The craft turns on its model's root: identity x RotationX(first angle) x
// RotationY(second angle). For a quarter turn and an eighth (h = sqrt 1/2):
//   RotationX(1/4) rows (1, 0, 0), (0, 0, 1), (0, -1, 0);
//   RotationY(1/8) rows (h, 0, -h), (0, 1, 0), (h, 0, h);
//   the product rows (h, 0, -h), (h, 0, h), (0, -1, 0), translation 0
// (RotationY x RotationX, the placement node's order for the other bosses,
// would begin (h, h, 0)). The placement node keeps only the position. In
// the next frame's step, before its script moves it, the gun mount on node
// 58 stands at the position plus its offset t from the root turned by the
// product: (t.x h + t.y h, -t.z, -t.x h + t.y h).
TEST(Boss08, TurnsOnItsModelRootTiltFirst) {
  Fight f;
  EnemyType8* b = f.b;
  ASSERT_NE(b, nullptr);
  b->angles[0] = 0.25f;
  b->angles[1] = 0.125f;
  b->SendEvent(SProc::EVENT_DRAW, 0);
  const float h = std::sqrt(0.5f);
  const float want[4][4] = {{h, 0, -h, 0}, {h, 0, h, 0}, {0, -1, 0, 0}, {0, 0, 0, 1}};
  const SMatrix& root = *b->model.GetRootNode()->GetLocal();
  const SMatrix& placed = *b->PlacementNode()->GetLocal();
  for (int i = 0; i < 4; ++i)
    for (int j = 0; j < 4; ++j) {
      EXPECT_NEAR(root.m[i][j], want[i][j], 1e-6f) << i << " " << j;
      if (i < 3) { EXPECT_EQ(placed.m[i][j], i == j ? 1.0f : 0.0f) << i << " " << j; }
    }
  EXPECT_EQ(b->GetPosition(), &placed.m[3][0]);
  const float at[3] = {b->GetPosition()[0], b->GetPosition()[1], b->GetPosition()[2]};
  SGpNode* mount = b->model.GetNode(58);
  ASSERT_NE(mount, nullptr);
  const float* t = mount->GetLocal()->m[3];
  const float offset[3] = {t[0] * h + t[1] * h, -t[2], -t[0] * h + t[1] * h};
  ASSERT_GT(std::fabs(t[0]) + std::fabs(t[2]), 1.0f);
  f.Step();
  const float* world = mount->GetWorld()->m[3];
  for (int i = 0; i < 3; ++i) EXPECT_NEAR(world[i], at[i] + offset[i], 1e-3f) << i;
}

}  // namespace
