// Timelines of the explosion sequences, the staged explosion (the boss's
// death over 290 frames), the effect processes' particle counts, the
// emitter's angles and intervals and the rand draw counts of the bursts.
#include <gtest/gtest.h>

#include <cmath>
#include <iterator>
#include <vector>

#include "efx_fixture.h"
#include "game/effect/EfxBursts.h"
#include "game/effect/EfxGen.h"
#include "game/effect/EfxProc.h"
#include "game/effect/EfxProcG.h"
#include "game/effect/EfxTables.h"
#include "game/effect/ExplosionBursts.h"
#include "game/stage/MapMng.h"
#include "game/tables/effect_tables.h"
#include "support/ExpectAll.h"
#include "support/NothrowNewFails.h"

namespace {

using testsupport::EfxWorld;

constexpr SVec4 kOrigin{0.0f, 0.0f, 0.0f, 1.0f};

// rand() calls made by fn.
template <class Fn>
int Draws(Fn&& fn) {
  plat::SRand(12345);
  fn();
  const uint32_t after = plat::RandSeed();
  plat::SRand(12345);
  int n = 0;
  while (plat::RandSeed() != after && n < 100000) {
    plat::Rand();
    ++n;
  }
  return n;
}

// A creator process: effect processes run as its children.
class Creator : public SProc {
 public:
  int32_t Main(SProcArg) override {
    BroadcastAll(EVENT_MAIN, 0);
    return 0;
  }
};

class EfxProcWorld : public EfxWorld {
 protected:
  void SetUp() override {
    EfxWorld::SetUp();
    creator = new Creator;
    root.AddChild(0, creator, 0);
    root.Advance();
  }
  // One frame: the creator's children run, the manager steps, states advance.
  void Frame(int n = 1) {
    for (int i = 0; i < n; ++i) {
      creator->SendEvent(SProc::EVENT_MAIN, 0);
      Step(1);
      root.Advance();
    }
  }
  Creator* creator = nullptr;
};

// The same with a graphic manager on the null device (its shake level).
class EfxProcGpWorld : public EfxProcWorld {
 protected:
  void SetUp() override {
    withGraphics = true;
    EfxProcWorld::SetUp();
  }
};

TEST_F(EfxWorld, SpawnRandomDrawsOnceEvenWhenItRefuses) {
  EXPECT_EQ(Draws([&] { EXPECT_EQ(efx.SpawnRandom(0, &kOrigin, 0.0f, nullptr), nullptr); }), 1);
  EXPECT_EQ(Draws([&] { EXPECT_EQ(efx.SpawnRandom(8, &kOrigin, 0.0f, nullptr), nullptr); }), 1);
  for (int i = 0; i < 32; ++i) efx.SpawnRandom(3, &kOrigin, 0.0f, nullptr);
  EXPECT_EQ(Draws([&] { EXPECT_EQ(efx.SpawnRandom(3, &kOrigin, 0.0f, nullptr), nullptr); }), 1);
}

TEST_F(EfxWorld, RailSequencesEaseTheSpeedBackAfterTheirWait) {
  g_MapMng.speed = 0.25f;
  g_MapMng.armed = 1;
  efx.SpawnRandom(1, &kOrigin, 30.0f, 5);
  Step(5);
  EXPECT_EQ(efx.LiveCount(8), 1);
  Step(1);  // age 6 > 5
  EXPECT_EQ(efx.LiveCount(8), 0);
  EXPECT_EQ(g_MapMng.steps, 30);
  EXPECT_EQ(g_MapMng.startSpeed, 0.25f);
  EXPECT_EQ(g_MapMng.targetSpeed, 1.0f);
  EXPECT_EQ(g_MapMng.armed, 0);
  g_MapMng.t = 10.0f;
  efx.SpawnRandom(2, &kOrigin, 12.0f, 40);
  Step(3);
  EXPECT_EQ(efx.LiveCount(8), 1);
  g_MapMng.t = 12.5f;
  Step(1);
  EXPECT_EQ(efx.LiveCount(8), 0);
  EXPECT_EQ(g_MapMng.steps, 40);
  g_MapMng.speed = 1.0f;
}

TEST_F(EfxWorld, Kind3TimelineBlastsFlashesKillsAndEndsAt270) {
  auto* victim = new SProc;
  root.AddChild(0, victim, 0);
  root.Advance();
  EfxSequence* s = efx.SpawnRandom(3, &kOrigin, 0.0f, victim);
  std::vector<int> rings, discs;
  int killedAt = 0;
  for (int age = 1; age <= 270; ++age) {
    Step(1);
    if (efx.LiveCount(3) > 0 && rings.empty()) rings.push_back(age);
    if (efx.LiveCount(5) > 0 && discs.empty()) discs.push_back(age);
    if (killedAt == 0 && victim->GetState() >= SProc::STATE_KILLED) killedAt = age;
    if (age < 270) { ASSERT_EQ(efx.LiveCount(8), 1) << age; }
  }
  EXPECT_EQ(efx.LiveCount(8), 0);
  EXPECT_EQ(rings, std::vector<int>{160});
  EXPECT_EQ(discs, std::vector<int>{160});  // kind 3: one disc only
  EXPECT_EQ(killedAt, 185);
  (void)s;
}

// The windows of the sequences by the rand draws of each age: a burst step
// of n puffs draws 4 per puff and 2 per streak (8 n), with n = trunc(u x 4 +
// 1), u = (age - offset) / span; a column sprite draws 2; the kind-3 ring of
// twelve sprites 12; a debris piece 4 in kind 6 (its z speed) and 3 in kind 7.
TEST_F(EfxWorld, SequenceWindowsByTheirDrawsPerAge) {
  struct Case {
    uint32_t kind;
    std::vector<std::pair<int, int>> drawsAtAge;  // (age, draws)
  } const cases[] = {
      // Kind 3: burst 0 <= age < 130 (0 / 130), column 80 < age < 160.
      {3, {{1, 8}, {33, 16}, {80, 24}, {81, 26}, {129, 34}, {130, 2}, {159, 2}, {160, 0}, {185, 12}, {186, 0},
           {200, 12}, {201, 0}}},
      // Kind 4: burst 9 < age < 140 (10 / 130), column 20 < age < 170.
      {4, {{9, 0}, {10, 8}, {20, 8}, {21, 10}, {139, 34}, {140, 2}, {169, 2}, {170, 0}, {185, 0}}},
      // Kind 5: burst 169 < age < 300 (170 / 130), column 150 < age < 330.
      {5, {{150, 0}, {151, 2}, {169, 2}, {170, 10}, {299, 34}, {300, 2}, {329, 2}, {330, 0}}},
      // Kind 6: burst 29 < age < 160 (30 / 130), column 80 < age < 190,
      // debris on even ages 216 to 260.
      {6, {{29, 0}, {30, 8}, {81, 18}, {160, 2}, {189, 2}, {190, 0}, {215, 0}, {216, 4}, {217, 0}, {260, 4},
           {262, 0}}},
      // Kind 7: burst 0 <= age < 220 (0 / 220), column 20 < age < 250,
      // debris on odd ages 275 to 319.
      {7, {{1, 8}, {21, 10}, {110, 26}, {219, 34}, {220, 2}, {249, 2}, {250, 0}, {274, 0}, {275, 3}, {276, 0},
           {319, 3}, {321, 0}}},
  };
  for (const Case& c : cases) {
    efx.ClearAll();
    ASSERT_NE(efx.SpawnRandom(c.kind, &kOrigin, 0.0f, nullptr), nullptr);
    int age = 0;
    for (const auto& [at, draws] : c.drawsAtAge) {
      if (at - 1 > age) Step(at - 1 - age);
      age = at;
      EXPECT_EQ(Draws([&] { Step(1); }), draws) << "kind " << c.kind << " age " << at;
    }
  }
  efx.ClearAll();
}

// The screen's white flash and its fade back, frame by frame: with blast
// frame B, the ramp to white starts at B + 10 (10 frames: 1.1 in its first
// frame, white from B + 19), the ramp back at B + 25 (85 frames: clear again
// at B + 109); the sequence ends at B + 110.
TEST_F(EfxWorld, SequencesFlashTheScreenWhiteAndClearItAgain) {
  const int blast[5] = {160, 170, 330, 190, 250};  // kinds 3 to 7
  for (uint32_t kind = 3; kind <= 7; ++kind) {
    efx.ClearAll();
    game.ResetFade();
    efx.SpawnRandom(kind, &kOrigin, 0.0f, nullptr);
    const int b = blast[kind - 3];
    // First frame off clear, first and last white frame, clear again, end.
    int rise = 0, whiteFrom = 0, whiteTo = 0, clear = 0, end = 0;
    std::vector<float> level(1, 1.0f);  // by age
    for (int age = 1; age <= b + 120 && end == 0; ++age) {
      Step(1);
      game.End(0);  // the game steps its fade after the effects
      const float l = game.GetFadeLevel();
      level.push_back(l);
      if (rise == 0 && l != 1.0f) rise = age;
      if (l == 2.0f) {
        if (whiteFrom == 0) whiteFrom = age;
        whiteTo = age;
      }
      if (whiteFrom != 0 && clear == 0 && l == 1.0f) clear = age;
      if (efx.LiveCount(8) == 0) end = age;
    }
    EXPECT_EQ((std::vector<int>{rise, whiteFrom, whiteTo, clear, end}),
              (std::vector<int>{b + 10, b + 19, b + 24, b + 109, b + 110}))
        << kind;
    EXPECT_EQ(game.GetFadeLayer(), 7) << kind;
    ASSERT_GT(level.size(), static_cast<size_t>(b + 108));
    EXPECT_FLOAT_EQ(level[b + 10], 1.1f) << kind;
    EXPECT_FLOAT_EQ(level[b + 25], 2.0f - 1.0f / 85.0f) << kind;
    EXPECT_FLOAT_EQ(level[b + 108], 1.0f + 1.0f / 85.0f) << kind;
  }
  game.ResetFade();
}

TEST_F(EfxWorld, SequenceWithoutVictimOrWithADeadOneStillRunsItsTimeline) {
  auto* victim = new SProc;
  root.AddChild(0, victim, 0);
  efx.SpawnRandom(4, &kOrigin, 0.0f, victim);
  victim->Dispose();  // gone long before the blast: the handle reads null
  efx.SpawnRandom(3, &kOrigin, 0.0f, nullptr);
  Step(280);
  EXPECT_EQ(efx.LiveCount(8), 0);
}

TEST_F(EfxProcWorld, EffectProcessesThrowTheirCountsAndEnd) {
  struct Case {
    int32_t (*spawn)(SProc*);
    int frames;
    int sprites;
  };
  static const SMatrix place = kIdentityMatrix;
  const Case cases[] = {
      {[](SProc* p) { return EfxProc::SpawnB(p, &kOrigin, 1.0f, 4, false); }, 4, 2},
      {[](SProc* p) { return EfxProc::SpawnB(p, &kOrigin, 1.0f, 1, true); }, 1, 1},
      {[](SProc* p) { return EfxProc::SpawnC(p, &kOrigin, 1.0f, 5, false); }, 5, 3},
      {[](SProc* p) { return EfxProc::SpawnD(p, &place, 1.0f, 2.0f, 0.9f, 1.0f, 6, false); }, 6, 6},
      {[](SProc* p) { return EfxProc::SpawnE(p, &place, 1.0f, 2.0f, 0.9f, 1.0f, 3, true); }, 3, 3},
      {[](SProc* p) { return EfxProc::SpawnF(p, &kOrigin, 1.0f, 7, false); }, 7, 7},
      {[](SProc* p) { return EfxProc::SpawnF(p, &kOrigin, 1.0f, 0, false); }, 1, 1},
  };
  for (const Case& c : cases) {
    efx.ClearAll();
    ASSERT_EQ(c.spawn(creator), 0);
    root.Advance();
    int thrown = 0;
    for (int f = 0; f < c.frames; ++f) {
      creator->SendEvent(SProc::EVENT_MAIN, 0);
      thrown = efx.LiveCount(1);
      // It disposes itself within its last frame: gone before any advance.
      EXPECT_EQ(creator->CountChildren(), f + 1 < c.frames ? 1 : 0) << c.frames << " frame " << f;
      root.Advance();
    }
    EXPECT_EQ(thrown, c.sprites) << c.frames;
  }
}

// An effect that cannot be allocated is not added: with the next allocation
// refused, each of the seven spawns asks for its object once, adds nothing
// to its creator and returns -1; the allocation after it is served, and the
// same spawn then adds its effect (init result 0).
TEST_F(EfxProcWorld, AnEffectThatCannotBeAllocatedAddsNothing) {
  static const SMatrix place = kIdentityMatrix;
  int32_t (*const spawns[])(SProc*) = {
      [](SProc* p) { return EfxProc::SpawnA(p, &place); },
      [](SProc* p) { return EfxProc::SpawnB(p, &kOrigin, 1.0f, 4, false); },
      [](SProc* p) { return EfxProc::SpawnC(p, &kOrigin, 1.0f, 4, true); },
      [](SProc* p) { return EfxProc::SpawnD(p, &place, 1.0f, 2.0f, 0.9f, 1.0f, 6, false); },
      [](SProc* p) { return EfxProc::SpawnE(p, &place, 1.0f, 2.0f, 0.9f, 1.0f, 6, true); },
      [](SProc* p) { return EfxProc::SpawnF(p, &kOrigin, 1.0f, 4, false); },
      [](SProc* p) { return EfxProc::SpawnG(p, &kOrigin, 0, 1.0f); },
  };
  for (size_t i = 0; i < std::size(spawns); ++i) {
    SCOPED_TRACE(i);
    testsupport::NothrowNewFails fail(1);
    const int32_t refused = spawns[i](creator);
    EXPECT_ALL({VAL(refused, -1), VAL(fail.Refused(), 1), VAL(creator->CountChildren(), 0)});
    const int32_t served = spawns[i](creator);
    EXPECT_ALL({VAL(served, 0), VAL(fail.Refused(), 1), VAL(creator->CountChildren(), 1)});
    creator->DisposeChildren();
  }
}

// The first particle of each of B to F: sheet, lives, size, colours, motion.
TEST_F(EfxProcWorld, EffectProcessesFirstParticles) {
  // One frame each: the process is gone before the next one starts.
  auto first = [&](int32_t (*spawn)(SProc*)) {
    efx.ClearAll();
    EXPECT_EQ(spawn(creator), 0);
    root.Advance();
    creator->SendEvent(SProc::EVENT_MAIN, 0);
    return static_cast<const EfxSprite*>(efx.Live(1).HeadObj());
  };
  // B, size 2 on sheet 6: (r + 0.5) x 2, lives 20 and 10, rising at full
  // strength (fade 1): velocity (x, -1, -2), acceleration (0, -0.2, -0.3),
  // not facing the camera.
  const EfxSprite* b = first([](SProc* p) { return EfxProc::SpawnB(p, &kOrigin, 2.0f, 1, false); });
  ASSERT_NE(b, nullptr);
  EXPECT_ALL({VAL(SheetCount(6), 1), VAL(b->lifeA, 20), VAL(b->lifeB, 10), VAL(b->velocity.y, -1.0f),
              VAL(b->velocity.z, -2.0f), VAL(b->accel.y, -0.2f), VAL(b->accel.z, -0.3f),
              VAL((b->flags & EfxSprite::kAccel) != 0, 1), VAL(b->Sprite()->billboard, 0), VAL(b->colour[3], 0.0f),
              VAL(b->target[3], 1.0f)});
  EXPECT_EQ(b->track.GetList(), EfxKeyList4);
  EXPECT_TRUE(b->Sprite()->scaleX >= 1.0f && b->Sprite()->scaleX <= 3.0f);
  // C on sheet 17 (alternate): green, lives 15 and 20.
  const EfxSprite* c = first([](SProc* p) { return EfxProc::SpawnC(p, &kOrigin, 1.0f, 1, true); });
  ASSERT_NE(c, nullptr);
  EXPECT_ALL({VAL(SheetCount(17), 1), VAL(c->lifeA, 15), VAL(c->lifeB, 20), VAL(c->colour[1], 1.0f),
              VAL(c->colour[0], 0.0f), VAL(c->velocity.z, -2.0f), VAL(c->accel.z, -0.3f),
              VAL(c->Sprite()->billboard, 0)});
  EXPECT_EQ(c->track.GetList(), EfxKeyList1);
  // D: sprites 2 x size on sheet 7, lives 20 and 10, the creation damping,
  // velocity a tenth of velocity 2.
  const EfxSprite* d = first([](SProc* p) { return EfxProc::SpawnD(p, &kIdentityMatrix, 1.0f, 2.0f, 0.85f, 1.5f, 1, false); });
  ASSERT_NE(d, nullptr);
  EXPECT_ALL({VAL(SheetCount(7), 1), VAL(d->Sprite()->scaleX, 3.0f), VAL(d->lifeA, 20), VAL(d->lifeB, 10),
              VAL(d->damping, 0.85f)});
  EXPECT_EQ(d->track.GetList(), EfxKeyList5);
  EXPECT_NEAR(d->velocity.z, 0.1f * d->velocity2.z, 1e-6f);
  // E: 1.5 x size, green.
  const EfxSprite* e = first([](SProc* p) { return EfxProc::SpawnE(p, &kIdentityMatrix, 1.0f, 2.0f, 0.85f, 2.0f, 1, false); });
  ASSERT_NE(e, nullptr);
  EXPECT_ALL({VAL(e->Sprite()->scaleX, 3.0f), VAL(e->colour[1], 1.0f), VAL(e->colour[0], 0.0f)});
  EXPECT_EQ(e->track.GetList(), EfxKeyList1);
  // F: lives 10 and 10, damping 1.0, the first size (r x 0.5 + 1) x size.
  const EfxSprite* f = first([](SProc* p) { return EfxProc::SpawnF(p, &kOrigin, 4.0f, 1, false); });
  ASSERT_NE(f, nullptr);
  EXPECT_ALL({VAL(f->lifeA, 10), VAL(f->lifeB, 10), VAL(f->damping, 1.0f)});
  EXPECT_TRUE(f->Sprite()->scaleX >= 4.0f && f->Sprite()->scaleX <= 6.0f);
  // F of 0 frames: its one frame eases from the start (0 / 0 would make the
  // size no number), so the size is still (r x 0.5 + 1) x size.
  const EfxSprite* f0 = first([](SProc* p) { return EfxProc::SpawnF(p, &kOrigin, 4.0f, 0, false); });
  ASSERT_NE(f0, nullptr);
  EXPECT_TRUE(f0->Sprite()->scaleX >= 4.0f && f0->Sprite()->scaleX <= 6.0f) << f0->Sprite()->scaleX;
  creator->KillChildrenAll(0);
  root.Advance();
  root.Advance();
}

TEST_F(EfxProcGpWorld, LargeExplosionThrows512Then128AndShakesFromFrame15) {
  ASSERT_EQ(EfxProc::SpawnA(creator, &kIdentityMatrix), 0);
  root.Advance();
  std::vector<float> shake;
  for (int f = 0; f < 135; ++f) {
    game.Begin(0);                         // the game clears the shake level every frame
    if (f == 20) gp->SetShakeLevel(3.0f);  // a stronger shake is never lowered
    if (f == 30) gp->SetShakeLevel(1.0f);  // a weaker one is raised
    creator->SendEvent(SProc::EVENT_MAIN, 0);
    shake.push_back(gp->GetShakeLevel());
    // The request pool gives 2048 sprites: all 512 fit, then 128 more.
    if (f == 0) { EXPECT_EQ(efx.LiveCount(1), 512); }
    if (f == 15) { EXPECT_EQ(efx.LiveCount(1), 640); }
    EXPECT_EQ(creator->CountChildren(), f < 134 ? 1 : 0) << f;  // disposed within its 135th frame
    root.Advance();
  }
  std::vector<float> want(135, 2.25f);
  for (int f = 0; f < 15; ++f) want[f] = 0.0f;
  want[20] = 3.0f;
  EXPECT_EQ(shake, want);
}

TEST_F(EfxProcWorld, FlashPicksItsVariantAndNeverReadsPastTheTable) {
  EXPECT_EQ(EfxKeyListTable(7), EfxKeyListTable(6));
  EXPECT_EQ(EfxKeyListTable(0), &SprEfx01_1Keys[0]);
  EXPECT_EQ(EfxKeyListTable(6), &SprEfx01_1Keys[48]);
}

TEST_F(EfxProcWorld, IdleStagedExplosionsStillDrawEveryFrame) {
  ASSERT_EQ(EfxProc::SpawnG(creator, &kOrigin, 1, 1.0f), 0);
  creator->SendEvent(SProc::EVENT_MAIN, 0);  // not yet running
  root.Advance();
  EXPECT_EQ(Draws([&] { creator->SendEvent(SProc::EVENT_MAIN, 0); }), 1);
}

TEST_F(EfxProcWorld, StagedExplosionsEndByTypeAndScale) {
  struct Case {
    int32_t type;
    float scale;
    int32_t end;
  };
  for (const Case& c : {Case{2, 1.0f, 32}, Case{3, 1.0f, 40}, Case{4, 1.0f, 32}, Case{5, 1.0f, 32},
                        Case{5, 1.1f, 40}, Case{5, 1.25f, 64}, Case{6, 1.0f, 24}, Case{7, 1.1f, 40},
                        Case{7, 1.25f, 64}}) {
    efx.ClearAll();
    ASSERT_EQ(EfxProc::SpawnG(creator, &kOrigin, c.type, c.scale), 0);
    root.Advance();
    auto* g = static_cast<EfxProcG*>(creator->GetList(0)->Head());
    int ended = 0;
    for (int f = 1; f <= 70 && ended == 0; ++f) {
      creator->SendEvent(SProc::EVENT_MAIN, 0);
      if (g->GetState() == SProc::STATE_KILLED) ended = f;
    }
    EXPECT_EQ(ended, c.end) << c.type << " " << c.scale;
    root.Advance();
    root.Advance();
  }
}

TEST_F(EfxProcWorld, BossDeathRunsItsTimelineAndEndsWithTheFinaleAt290) {
  SMatrix bossM = kIdentityMatrix;
  const SVec4 boss{100.0f, 50.0f, 512.0f, 1.0f};  // depth 512: shown at half
  ASSERT_EQ(EfxProc::SpawnG(creator, &boss, 8, 1.0f, &bossM), 0);
  root.Advance();
  auto* g = static_cast<EfxProcG*>(creator->GetList(0)->Head());
  SHandle<EfxProcG> handle(g);
  std::vector<int> siblingFrames;
  int flashFrame = 0, ringFrame = 0;
  EfxSprite* flash = nullptr;
  for (int n = 1; n <= 290; ++n) {
    const int before = creator->CountChildren();
    creator->SendEvent(SProc::EVENT_MAIN, 0);
    if (creator->CountChildren() > before) siblingFrames.push_back(n);
    if (n == 165 + 120) {
      flash = static_cast<EfxSprite*>(efx.Live(1).TailObj());
      flashFrame = n;
    }
    if (ringFrame == 0 && efx.LiveCount(3) > 0) ringFrame = n;
    Step(1);
    root.Advance();
    if (n < 290) { ASSERT_TRUE(LiveProc(handle)) << n; }
  }
  EXPECT_EQ(handle->GetState(), SProc::STATE_DYING);  // killed at 290
  root.Advance();
  EXPECT_EQ(handle.Get(), nullptr);  // and disposed
  // Projected: (100, 50) at half size.
  EXPECT_EQ(flash->Sprite()->ownPos[0], 50.0f);
  EXPECT_EQ(flash->Sprite()->scaleX, 1280.0f);
  EXPECT_EQ(flashFrame, 285);
  EXPECT_EQ(ringFrame, 180);  // the two imploding rings at m = 60
  // Siblings: n mod 11 = 0, n mod 27 = 13 or 0 below 120 (not 96), m mod 22 =
  // 0 up to m = 80, and the finale's three.
  std::vector<int> want;
  for (int n = 1; n < 120; ++n)
    if (n != 96 && (n % 11 == 0 || n % 27 == 13 || n % 27 == 0)) want.push_back(n);
  for (int m = 0; m <= 80; m += 22) want.push_back(120 + m);
  want.push_back(290);
  EXPECT_EQ(siblingFrames, want);
  // The flash spawned anchored to the explosion outlives it where it was.
  Step(2);
  EXPECT_EQ(flash->anchor.ptr, nullptr);
  EXPECT_EQ(flash->Sprite()->ownPos[0], 50.0f);
}

// The staged death places its particles at the boss's position seen on the
// screen plane, (x, y) x 512 / (z + 512); the divisor is held at 1 or more,
// so a boss at or behind the eye's plane (z <= -511) is placed at (x, y) x
// 512 instead of at a division by 0 or mirrored.
TEST_F(EfxProcWorld, BossDeathProjectsTheBossWithADepthDivisorOfAtLeastOne) {
  struct Case {
    float z, x;  // x of the projection of (1, 0.5, z)
  } cases[] = {{512.0f, 0.5f}, {0.0f, 1.0f}, {-256.0f, 2.0f}, {-511.0f, 512.0f}, {-512.0f, 512.0f}, {-900.0f, 512.0f}};
  for (const Case& c : cases) {
    const SVec4 boss{1.0f, 0.5f, c.z, 1.0f};
    ASSERT_EQ(EfxProc::SpawnG(creator, &boss, 8, 1.0f, nullptr), 0);
    root.Advance();
    auto* g = static_cast<EfxProcG*>(creator->GetList(0)->Tail());
    creator->SendEvent(SProc::EVENT_MAIN, 0);
    EXPECT_EQ(g->Orientation().m[3][0], c.x) << c.z;
    EXPECT_EQ(g->Orientation().m[3][1], c.x * 0.5f) << c.z;
    EXPECT_EQ(g->Orientation().m[3][2], 0.0f) << c.z;
    creator->KillChildrenAll(0);
    root.Advance();
    root.Advance();
  }
}

TEST_F(EfxProcWorld, BossDeathEndsAtOnceWithItsCreator) {
  ASSERT_EQ(EfxProc::SpawnG(creator, &kOrigin, 8, 1.0f, nullptr), 0);
  root.Advance();
  Frame(60);
  EXPECT_GT(creator->CountChildren(), 1);
  creator->Kill(0);
  root.Advance();
  root.Advance();
  EXPECT_EQ(root.GetList(0)->Count(), 1);  // only the manager is left
}

TEST_F(EfxProcWorld, EmitterFanAnglesIntervalsAndEnd) {
  static const EfxSpriteDesc look{EfxKeyList7, {1, 1, 1, 1}, {1, 1, 1, 1}, 10, 10};
  // count 8, spread 1.0: 0.875, one eighth of a turn apart; 3 emissions 2
  // frames apart; delay 1: the first emission on the 2nd frame.
  auto* gen = new EfxGen(6, &kOrigin, 0, &look, 0.0f, 0.0f, 0.0f, 1.0f, 1.0f, 0.0f, 8, 1.0f, 1.0f, 1.0f, 2.0f, 2.0f,
                         3, nullptr, 1);
  ASSERT_EQ(creator->AddChild(0, gen, 0), 0);
  EXPECT_FLOAT_EQ(gen->Spread(), 0.875f);
  root.Advance();
  std::vector<int> counts;
  for (int f = 1; f <= 7; ++f) {
    creator->SendEvent(SProc::EVENT_MAIN, 0);
    counts.push_back(efx.LiveCount(1));
    if (f == 2) {
      std::vector<float> angles;
      for (SObject* o = efx.Live(1).HeadObj(); o != nullptr; o = o->GetNext())
        angles.push_back(static_cast<EfxSprite*>(o)->Sprite()->angle);
      ASSERT_EQ(angles.size(), 8u);
      for (int i = 0; i < 8; ++i) EXPECT_NEAR(angles[i], -0.4375f + 0.125f * i, 1e-6f) << i;
    }
  }
  EXPECT_EQ(counts, (std::vector<int>{0, 8, 8, 16, 16, 24, 24}));
  EXPECT_EQ(gen->GetState(), SProc::STATE_KILLED);
}

TEST_F(EfxProcWorld, EmitterWithZeroIntervalsAndZeroCountsEmitsAllAtOnce) {
  static const EfxSpriteDesc look{EfxKeyList7, {1, 1, 1, 1}, {1, 1, 1, 1}, 10, 10};
  auto* gen = new EfxGen(6, &kOrigin, 0, &look, 0.0f, 0.0f, 0.0f, 1.0f, 1.0f, 0.0f, 0, 0.5f, 1.0f, 1.0f, 0.0f, 0.0f,
                         5, nullptr, 0);
  creator->AddChild(0, gen, 0);
  EXPECT_EQ(gen->Count(), 1);
  root.Advance();
  creator->SendEvent(SProc::EVENT_MAIN, 0);
  EXPECT_EQ(efx.LiveCount(1), 5);
  EXPECT_EQ(gen->GetState(), SProc::STATE_KILLED);
  // 0 emissions count as one.
  auto* none = new EfxGen(6, &kOrigin, 0, &look, 0.0f, 0.0f, 0.0f, 1.0f, 1.0f, 0.0f, 1, 0.5f, 1.0f, 1.0f, 2.0f, 2.0f,
                          0, nullptr, 0);
  creator->AddChild(0, none, 0);
  root.Advance();
  creator->SendEvent(SProc::EVENT_MAIN, 0);
  EXPECT_EQ(efx.LiveCount(1), 6);
  EXPECT_EQ(none->GetState(), SProc::STATE_KILLED);
}

// Speed eased in (flag 4), turn eased out (0x800), interval eased out
// (0x200000) over four emissions of one particle, u = 1/4 to 1: speed 8 (1 -
// cos(pi u / 2)), direction adding 0.1 sin(pi u / 2) each time, the next
// emission trunc(8 sin(pi u / 2)) frames later.
TEST_F(EfxProcWorld, EmitterEasesSpeedTurnAndIntervalOverItsRun) {
  static const EfxSpriteDesc look{EfxKeyList7, {1, 1, 1, 1}, {1, 1, 1, 1}, 100, 100};
  auto* gen = new EfxGen(6, &kOrigin, 0x200804, &look, 0.0f, 0.0f, 0.1f, 0.0f, 8.0f, 0.0f, 1, 0.0f, 1.0f, 1.0f,
                         0.0f, 8.0f, 4, nullptr, 0);
  ASSERT_EQ(creator->AddChild(0, gen, 0), 0);
  root.Advance();
  std::vector<int> frames;
  std::vector<float> speeds, headings;
  for (int f = 1; f <= 20; ++f) {
    const int before = efx.LiveCount(1);
    creator->SendEvent(SProc::EVENT_MAIN, 0);
    if (efx.LiveCount(1) == before) continue;
    frames.push_back(f);
    const auto* e = static_cast<const EfxSprite*>(efx.Live(1).TailObj());
    speeds.push_back(std::hypot(e->velocity2.x, e->velocity2.y));
    headings.push_back(std::atan2(e->velocity2.y, e->velocity2.x) / 6.2831855f);
  }
  // Waits of 3, 5 and 7 frames after the emissions at u = 1/4, 1/2, 3/4.
  EXPECT_EQ(frames, (std::vector<int>{1, 4, 9, 16}));
  const float wantSpeed[4] = {0.6089640f, 2.3431458f, 4.9385328f, 8.0f};
  const float wantHeading[4] = {0.0382683f, 0.1089790f, 0.2013670f, 0.3013670f};
  ASSERT_EQ(speeds.size(), 4u);
  for (int i = 0; i < 4; ++i) {
    EXPECT_NEAR(speeds[i], wantSpeed[i], 1e-4f) << i;
    EXPECT_NEAR(headings[i], wantHeading[i], 1e-5f) << i;
  }
  EXPECT_EQ(gen->GetState(), SProc::STATE_KILLED);
}

// A negative count is not taken as 1: the fan has no particle.
TEST_F(EfxProcWorld, EmitterWithANegativeCountThrowsNothing) {
  static const EfxSpriteDesc look{EfxKeyList7, {1, 1, 1, 1}, {1, 1, 1, 1}, 10, 10};
  auto* gen = new EfxGen(6, &kOrigin, 0, &look, 0.0f, 0.0f, 0.0f, 1.0f, 1.0f, 0.0f, -2, 0.5f, 1.0f, 1.0f, 0.0f,
                         0.0f, 3, nullptr, 0);
  creator->AddChild(0, gen, 0);
  EXPECT_EQ(gen->Count(), -2);
  root.Advance();
  creator->SendEvent(SProc::EVENT_MAIN, 0);
  EXPECT_EQ(efx.LiveCount(1), 0);
  EXPECT_EQ(gen->GetState(), SProc::STATE_KILLED);
}

// The second-scheme small explosion at (10, 20, 30) from seed 0, element
// by element: three rings of two sprites (sheets 6 and 17), five sparks, the
// flash and the closing ring. The draws (rand from seed 0 times 3.051851e-5)
// give a = 0.0011597, ring radius (8 u + 16) x 0.7 = 12.519205 for the first
// ring, its sprite words 0.6481521 and 0.0743736; the first spark heads
// b = 0.5089687 turns at s = 5.5727105.
TEST_F(EfxWorld, SecondSchemeSmallExplosionElementByElement) {
  const SVec4 at{10.0f, 20.0f, 30.0f, 1.0f};
  SpawnExplosionSmall2(&at);
  std::vector<const EfxSprite*> e;
  for (SObject* o = efx.Live(1).HeadObj(); o != nullptr; o = o->GetNext()) e.push_back(static_cast<EfxSprite*>(o));
  ASSERT_EQ(e.size(), 12u);
  EXPECT_EQ(SheetCount(6), 9);
  EXPECT_EQ(SheetCount(17), 3);
  // Ring sprite 1: white, lives 30 and 30, size 1.225, sinking (0, 0, -1).
  const SGpSpriteCell* s0 = e[0]->Sprite();
  EXPECT_NEAR(s0->ownPos[0], 22.518873f, 1e-4f);
  EXPECT_NEAR(s0->ownPos[1], 20.091222f, 1e-4f);
  EXPECT_EQ(s0->ownPos[2], 30.0f);
  EXPECT_NEAR(s0->angle, 0.6481521f, 1e-6f);
  EXPECT_ALL({VAL(e[0]->lifeA, 30), VAL(e[0]->lifeB, 30), VAL(s0->scaleX, 1.225f), VAL(e[0]->colour[0], 1.0f),
              VAL(e[0]->velocity.z, -1.0f), VAL(e[0]->flags, EfxSprite::kVelocity)});
  // Ring sprite 2: dark green, lives 30 and 45, size 1.75, rising, damped.
  EXPECT_NEAR(e[1]->Sprite()->angle, 0.0743736f, 1e-6f);
  EXPECT_ALL({VAL(e[1]->lifeA, 30), VAL(e[1]->lifeB, 45), VAL(e[1]->Sprite()->scaleX, 1.75f),
              VAL(e[1]->colour[1], 0.1f), VAL(e[1]->velocity.y, 0.5f), VAL(e[1]->velocity2.y, 2.0f),
              VAL(e[1]->damping, 0.9f)});
  // The second ring 0.3 turns on: (5.983359, 32.062169).
  EXPECT_NEAR(e[2]->Sprite()->ownPos[0], 5.983359f, 1e-4f);
  EXPECT_NEAR(e[2]->Sprite()->ownPos[1], 32.062169f, 1e-4f);
  // First spark: at the position, fading grey, lives 60 and 20, size 0.4,
  // velocity 2 (cos, sin)(b) x s and a tenth of it as velocity.
  EXPECT_NEAR(e[6]->velocity2.x, -5.5638647f, 1e-4f);
  EXPECT_NEAR(e[6]->velocity2.y, -0.3138660f, 1e-4f);
  EXPECT_NEAR(e[6]->velocity.x, -0.5563865f, 1e-5f);
  EXPECT_ALL({VAL(e[6]->Sprite()->ownPos[0], 10.0f), VAL(e[6]->lifeA, 60), VAL(e[6]->lifeB, 20),
              VAL(e[6]->Sprite()->scaleX, 0.4f), VAL(e[6]->colour[0], 0.9f), VAL(e[6]->target[0], 0.5f),
              VAL(e[6]->damping, 0.93f), VAL((e[6]->flags & EfxSprite::kFade) != 0, 1)});
  // The flash: lives 4 and 10, size 10, angle 0, warm white at 0.75.
  EXPECT_ALL({VAL(e[11]->lifeA, 4), VAL(e[11]->lifeB, 10), VAL(e[11]->Sprite()->scaleX, 10.0f),
              VAL(e[11]->Sprite()->angle, 0.0f), VAL(e[11]->colour[2], 0.75f), VAL(e[11]->colour[3], 0.75f)});
  // The closing ring at the position: 25 to 60, width 0 to 20, life 25.
  ASSERT_EQ(efx.LiveCount(3), 1);
  const auto* ring = static_cast<const EfxRing*>(efx.Live(3).HeadObj());
  EXPECT_ALL({VAL(ring->r0, 25.0f), VAL(ring->r1, 60.0f), VAL(ring->w0, 0.0f), VAL(ring->w1, 20.0f),
              VAL(ring->life, 25), VAL(ring->easing, 1), VAL(ring->rect, 0), VAL(ring->colour1[2], 0.95f),
              VAL(ring->colour1[3], 0.0f), VAL(ring->colour2[1], 0.5f), VAL(ring->colour2[3], 0.75f),
              VAL(ring->world.GetMatrix().m[3][2], 30.0f)});
}

// The companions' bursts: sheets, counts, lives, sizes and motions.
TEST_F(EfxWorld, CompanionBurstsThrowTheirSprites) {
  const SVec4 at{0.0f, 0.0f, 0.0f, 1.0f};
  auto sprites = [&] {
    std::vector<const EfxSprite*> e;
    for (SObject* o = efx.Live(1).HeadObj(); o != nullptr; o = o->GetNext()) e.push_back(static_cast<EfxSprite*>(o));
    return e;
  };
  // A green glow: sheet 6, lives 15 and the given 33, 24 x size.
  EfxGlowSpot(&at, 2.0f, 33);
  auto e = sprites();
  ASSERT_EQ(e.size(), 1u);
  EXPECT_ALL({VAL(SheetCount(6), 1), VAL(e[0]->lifeA, 15), VAL(e[0]->lifeB, 33), VAL(e[0]->Sprite()->scaleX, 48.0f),
              VAL(e[0]->colour[0], 0.05f), VAL(e[0]->colour[3], 0.05f), VAL(e[0]->target[3], 0.2f)});
  efx.ClearAll();
  // The drawn ring: three points of two sprites, eight flakes, the glow.
  EfxDrawRing(&at, 2.0f, true);
  e = sprites();
  ASSERT_EQ(e.size(), 15u);
  EXPECT_ALL({VAL(SheetCount(6), 12), VAL(SheetCount(17), 3), VAL(e[0]->Sprite()->scaleX, 3.5f),
              VAL(e[0]->lifeB, 30), VAL(e[0]->velocity.z, -1.0f), VAL(e[1]->Sprite()->scaleX, 5.0f),
              VAL(e[1]->lifeB, 45), VAL(e[1]->velocity2.y, 2.0f), VAL(e[1]->damping, 0.9f),
              VAL(e[6]->Sprite()->scaleX, 0.4f), VAL(e[6]->lifeA, 60), VAL(e[6]->lifeB, 20), VAL(e[6]->damping, 0.93f),
              VAL(e[14]->lifeA, 15), VAL(e[14]->lifeB, 40), VAL(e[14]->Sprite()->scaleX, 24.0f)});
  // The three points lie 16 to 24 from the centre.
  for (int i = 0; i < 6; i += 2) {
    const float d = std::hypot(e[i]->Sprite()->ownPos[0], e[i]->Sprite()->ownPos[1]);
    EXPECT_TRUE(d >= 16.0f && d <= 24.0f) << i << " " << d;
  }
  efx.ClearAll();
  // The flash: five frames of 10 and 10 at (r x 0.5 + 1.25) x size, 0.2
  // turns apart, then four green streaks (30, 45) and the glow spot.
  EfxBurstE(&at, 2.0f, true);
  e = sprites();
  ASSERT_EQ(e.size(), 10u);
  EXPECT_ALL({VAL(SheetCount(17), 9), VAL(SheetCount(6), 1)});
  for (int j = 0; j < 5; ++j) {
    EXPECT_EQ(e[j]->lifeA, 10) << j;
    EXPECT_TRUE(e[j]->Sprite()->scaleX >= 2.5f && e[j]->Sprite()->scaleX <= 3.5f) << j;
    if (j > 0) {
      EXPECT_NEAR(e[j]->Sprite()->angle - e[j - 1]->Sprite()->angle, 0.2f, 1e-5f) << j;
    }
  }
  for (int j = 5; j < 9; ++j) {
    EXPECT_ALL({VAL(e[j]->lifeA, 30), VAL(e[j]->lifeB, 45), VAL(e[j]->velocity.z, -0.1f), VAL(e[j]->velocity2.z, -1.0f),
                VAL(e[j]->damping, 0.9f)});
    EXPECT_TRUE(e[j]->Sprite()->scaleX >= 5.0f && e[j]->Sprite()->scaleX <= 6.0f) << j;
  }
  EXPECT_ALL({VAL(e[9]->Sprite()->scaleX, 24.0f), VAL(e[9]->lifeB, 40)});
  efx.ClearAll();
  // The jet of three: spreads at k / 3 of the ease from 0 to 100: 13.397,
  // 50 and 100; each velocity 2 has z between -4 - w and -w.
  const SMatrix place = kIdentityMatrix;
  EfxBurstA(&place, 0.0f, 100.0f, 0.8f, 1.5f, 3);
  e = sprites();
  ASSERT_EQ(e.size(), 3u);
  const float w[3] = {13.397460f, 50.0f, 100.0f};
  for (int k = 0; k < 3; ++k) {
    EXPECT_TRUE(e[k]->velocity2.z <= -w[k] + 1e-3f && e[k]->velocity2.z >= -4.0f - w[k] - 1e-3f)
        << k << " " << e[k]->velocity2.z;
    EXPECT_ALL({VAL(e[k]->Sprite()->scaleX, 3.0f), VAL(e[k]->lifeA, 20), VAL(e[k]->lifeB, 10), VAL(e[k]->damping, 0.8f)});
  }
  EXPECT_EQ(SheetCount(17), 3);
  efx.ClearAll();
  EfxBurstA(&place, 0.0f, 100.0f, 0.8f, 1.5f, 0);  // count 0: nothing
  EXPECT_EQ(efx.LiveCount(1), 0);
}

TEST_F(EfxWorld, BurstsDrawTheirRandCounts) {
  struct Case {
    const char* name;
    void (*fn)();
    int draws;
  };
  static const SMatrix place = kIdentityMatrix;
  const Case cases[] = {
      {"small", [] { SpawnExplosionSmall(&kOrigin); }, 25},
      {"large", [] { SpawnExplosionLarge(&kOrigin); }, 28},
      {"small2", [] { SpawnExplosionSmall2(&kOrigin); }, 25},
      {"large2", [] { SpawnExplosionLarge2(&kOrigin); }, 28},
      {"burst", [] { SpawnExplosionBurst(&kOrigin); }, 34},
      {"ring", [] { EfxDrawRing(&kOrigin, 1.0f, true); }, 1 + 3 * 3 + 8 * 3},
      {"jetA", [] { EfxBurstA(&place, 1, 2, 0.9f, 1, 3); }, 3 * 4},
      {"flashE", [] { EfxBurstE(&kOrigin, 1.0f, true); }, 1 + 5 + 4 * 3},
      {"glow", [] { EfxGlowSpot(&kOrigin, 1.0f, 10); }, 0},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(Draws(c.fn), c.draws) << c.name;
    efx.ClearAll();
  }
  // The same seed gives the same burst.
  plat::SRand(7);
  SpawnExplosionSmall(&kOrigin);
  const float x = static_cast<EfxSprite*>(efx.Live(1).HeadObj())->Sprite()->ownPos[0];
  efx.ClearAll();
  plat::SRand(7);
  SpawnExplosionSmall(&kOrigin);
  EXPECT_EQ(static_cast<EfxSprite*>(efx.Live(1).HeadObj())->Sprite()->ownPos[0], x);
  EXPECT_EQ(efx.LiveCount(1), 3 * 2 + 5 + 1);
  efx.ClearAll();
  SpawnExplosionLarge2(&kOrigin);
  EXPECT_EQ(efx.LiveCount(3), 1);  // the closing ring
}

}  // namespace
