// Boss type 16 in the running program, spawned from its stage record: its
// rail loop, its attack cycle and its self-defeat past its limit, its
// defeat by the ship's shots, the companion's rail move at frame 815 and
// the end at 880; the parts it blows off.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <map>
#include <set>
#include <tuple>
#include <vector>

#include "boss_fight.h"
#include "game/effect/ELaserGen.h"
#include "game/effect/EShotGen.h"
#include "game/effect/EShotMan.h"
#include "game/effect/EfxElements.h"
#include "game/effect/EfxMan.h"
#include "game/effect/EThunderGen.h"
#include "game/enemy/boss16/Boss16.h"
#include "support/ImageCompare.h"
#include "support/SoundProbe.h"

namespace {

using testsupport::PlayWorld;
using S = EnemyType16Behavior;

struct Run16 {
  std::vector<std::pair<int, int>> trace;  // (frame, state entered)
  std::vector<int> railMoves;              // frames the rail was moved to 3920
  std::vector<int> hidden;                 // frames parts 17, 23, 5 and 15 went
  int end = -1;
};

Run16 Fight(PlayWorld& w, bossfight::BossStage& stage, bool fire, int limit) {
  Run16 r;
  SHandle<EnemyType16> h(static_cast<EnemyType16*>(stage.Spawn(16)));
  int frame = 0;
  const int parts[4] = {17, 23, 5, 15};
  r.hidden.assign(4, -1);
  g_MapMng.t = 100.0f;
  r.end = bossfight::Fight(w, limit, fire, [&] {
    if (g_MapMng.t == 3920.0f) {  // moved on to 3920
      r.railMoves.push_back(frame);
      g_MapMng.t = 100.0f;
    }
    EnemyType16* boss = h.Get();
    if (boss == nullptr || boss->GetState() >= SProc::STATE_KILLED) return true;
    const int s = boss->Script().GetState();
    if (r.trace.empty() || r.trace.back().second != s) r.trace.emplace_back(frame, s);
    for (int i = 0; i < 4; ++i)
      if (r.hidden[size_t(i)] < 0 && boss->model.GetNode(parts[i])->GetLocal()->m[0][0] == 0.0f)
        r.hidden[size_t(i)] = frame;
    ++frame;
    return false;
  });
  return r;
}

TEST(Boss16, HoldsTheRailCyclesAndDefeatsItselfPastItsLimit) {
  PlayWorld w;
  ASSERT_TRUE(w.Ok());
  ASSERT_GE(w.RunToControl(), 0);
  bossfight::BossStage stage(5, "osr_bs14", 57344);
  ASSERT_TRUE(stage.ok);
  const Run16 r = Fight(w, stage, false, 6000);
  std::vector<int> states;
  for (auto& t : r.trace) states.push_back(t.second);
  ASSERT_GE(states.size(), 8u);
  EXPECT_EQ(std::vector<int>(states.begin(), states.begin() + 8), (std::vector<int>{0, 1, 2, 3, 4, 5, 6, 1}));
  EXPECT_EQ(states.back(), EnemyBase::SCRIPT_DEFEATED);
  // The stream has no steps: 481 frames from its entry.
  EXPECT_EQ(r.trace[6].first - r.trace[5].first, 481);
  EXPECT_GT(r.trace.back().first, 3600);
  EXPECT_EQ(r.railMoves.size(), 1u);
  EXPECT_EQ(g_EnemySet.paused, 0);
}

TEST(Boss16, ShotDownItBlowsApartMovesTheRailAtFrame815AndEndsAt880) {
  PlayWorld w;
  ASSERT_TRUE(w.Ok());
  ASSERT_GE(w.RunToControl(), 0);
  bossfight::BossStage stage(5, "osr_bs14", 57344);
  ASSERT_TRUE(stage.ok);
  const Run16 r = Fight(w, stage, true, 4000);
  ASSERT_FALSE(r.trace.empty());
  ASSERT_EQ(r.trace.back().second, EnemyBase::SCRIPT_DEFEATED);
  const int defeat = r.trace.back().first;
  ASSERT_EQ(r.railMoves.size(), 1u);
  EXPECT_EQ(r.railMoves[0] - defeat, 816);
  EXPECT_EQ(r.end - defeat, 881);
  // Parts 17, 23 and 5 go at the companion's frames 0, 250 and 332, the
  // core at 650.
  EXPECT_EQ(r.hidden, (std::vector<int>{defeat + 1, defeat + 251, defeat + 333, defeat + 651}));
  EXPECT_EQ(g_MapMng.armed, 0);
  EXPECT_EQ(g_EnemySet.paused, 0);
}

TEST(Boss16, StageFiveFromItsStartReachesTheSecondEnding) {
  testsupport::PlayOptions o;
  o.stage = 5;
  o.livelyStage = true;
  PlayWorld w(o);
  ASSERT_TRUE(w.Ok());
  w.stageMayEnd = true;
  bool seen = false, defeated = false, ended = false;
  const int frames = bossfight::Fight(w, 20000, true, [&] {
    if (w.G()->GetSceneId() != SCENE_STAGE) return true;
    EnemyType16* boss = static_cast<EnemyType16*>(bossfight::FindBoss(16));
    seen = seen || boss != nullptr;
    defeated = defeated || (boss != nullptr && boss->Script().GetState() == EnemyBase::SCRIPT_DEFEATED);
    ended = ended || (defeated && boss == nullptr);
    return false;
  });
  EXPECT_GT(frames, 0);
  EXPECT_TRUE(seen && defeated && ended);
  EXPECT_EQ(w.G()->GetSceneId(), SCENE_ENDING2);
}

TEST(Boss16, SparksDrawTheirValuesOnTheirFrames) {
  PlayWorld w;
  ASSERT_TRUE(w.Ok());
  ASSERT_GE(w.RunToControl(), 0);
  bossfight::BossStage stage(5, "osr_bs14", 57344);
  ASSERT_TRUE(stage.ok);
  auto* boss = static_cast<EnemyType16*>(stage.Spawn(16));
  ASSERT_NE(boss, nullptr);
  ASSERT_GE(bossfight::Fight(w, 400, false, [&] { return boss->Script().GetState() == S::kSpirals; }), 0);
  // The spirals' wind-up fires nothing: in the boss's own frame the sparks
  // alone draw, three values a sprite: nine sprites when frames alive & 6
  // is 0, two more when frames alive & 9 is 0.
  for (int f = 0; f < 16; ++f) {
    const int alive = boss->framesAlive + 1;
    const int want = ((alive & 6) == 0 ? 27 : 0) + ((alive & 9) == 0 ? 6 : 0);
    EXPECT_EQ(bossfight::DrawsOf([&] { boss->SendEvent(SProc::EVENT_MAIN, 0); }), want) << alive;
  }
}

TEST(Boss16, PictureOfTheThunderCross) {
  plat::Image img;
  // Within the thunder cross: its three fan generators and, from the step's
  // first frame, the four thunder generators that turn the cross once in
  // 300 frames.
  int32_t step = -1;
  int thunder = -1, fans = -1;
  ASSERT_TRUE(bossfight::PictureAfter(5, "osr_bs14", 57344, 16, S::kThunder, 150, &img, [&](EnemyBase* b) {
    step = static_cast<EnemyType16*>(b)->Script().step;
    thunder = bossfight::CountChildren<EThunderGen>(b, 0);
    fans = bossfight::CountChildren<EShotGen>(b, 0);
  }));
  EXPECT_EQ(step, 1);
  EXPECT_EQ(thunder, 4);
  EXPECT_EQ(fans, 3);
  const int64_t lit = testsupport::PixelsUnlike(img, 0xFF000000, testsupport::PlayPx(-200), testsupport::PlayPy(-280),
                                                testsupport::PlayPx(200), testsupport::PlayPy(120), 8);
  EXPECT_GT(lit, 1000);
  EXPECT_TRUE(testsupport::MatchesGolden(img, "boss16_thunder.png", 8, 400));
}

// The generators of list 0 alive now, as (codeA, base angle, from, to,
// speed from, speed to, ways, step frames, steps, volley frames, volleys).
using GenRow = std::tuple<int32_t, float, float, float, float, float, int32_t, int32_t, int32_t, int32_t, int32_t>;
std::vector<GenRow> Gens(EnemyBase* b) {
  std::vector<GenRow> out;
  for (SProc* c = b->GetList(0)->Head(); c != nullptr; c = SProcList::Next(c))
    if (auto* g = dynamic_cast<EShotGen*>(c); g != nullptr && c->GetState() < SProc::STATE_KILLED)
      out.emplace_back(g->codeA, g->baseAngle, g->sweepStart, g->sweepEnd, g->startSpeed, g->endSpeed, g->ways,
                       g->volleyFrames, g->volleys, g->burstFrames, g->initialBursts);
  return out;
}

// One cycle by state: voices 58, 59, 60, 61 and 62 as the spirals,
// chevrons, rings, stream and lasers start (the thunder has none); the
// spirals' angle grows 0.005 on the six firing frames of every ten and
// 0.008 on the other four; the thunder's three fans (525, 3 a step: 0.25
// turning 0.005 to 0.01 at 1.5 to 2.5 every 5 frames for 25 steps, 0.5
// turning 0.007 to 0.013 at 0.5 to 3.5 every 5 for 20, 0.75 turning 0.003
// to 0.015 at 3.5 to 1.5 every 6 for 40; volleys 5, 5 and 7 frames apart,
// 1000 more) and four thunder generators at once; a chevron of 42 shots of
// code 4 every seventh frame, the angle 0.1 on (the first at 0.1: arms at
// 0.1 + 0.25 i/21 and 0.1 - 0.25 i/21, i = 0 to 20, both at the speed
// 4 - 3 sin(i/21 pi/2), the point fastest); the rings' two generators
// (777, 27 a step at 3.5, 0.25 and 0.266, 14 frames apart, 2000 steps);
// the stream's (260, 0.75, 20 a step at 6.6, 6 frames apart, 2000 steps);
// the lasers' two fans (code 4, 7 a step at 1.0, every 4 frames; 516, 5 a
// step at 1.0 to 1.5, every 3) and at its frame 100 eight lasers pointing
// 0.125 i turn from the boss.
TEST(Boss16, CycleVoicesAndAttackNumbers) {
  bossfight::SpawnedBoss<EnemyType16> b(5, "osr_bs14", 57344, 16);
  ASSERT_TRUE(b.ok);
  EnemyType16* boss = b.boss;
  auto& s = boss->Script();
  SRsc* voice = testsupport::VoiceBank();
  std::map<int32_t, std::vector<int32_t>> voices;  // voice: states it started in
  std::vector<float> spiralSteps;
  int chevrons = 0, chevronShots = -1, lasers = -1, laserFrame = -1;
  std::vector<std::pair<float, float>> chevron;  // the first chevron's (angle, speed)
  std::vector<float> laserTurns;
  std::map<int32_t, std::vector<GenRow>> gens;  // state: its generators once its attack step began
  for (int k = 0; k < 6000; ++k) {
    const int32_t state = s.GetState(), step = s.step;
    const float spiral = s.spiral;
    for (int32_t n = 58; n <= 62; ++n) {
      testsupport::StopSound(voice, n);  // a play is not restarted within a frame's length of sound
      testsupport::MarkSound(voice, n);
    }
    int before = 0;
    std::set<const EShot*> old;
    EShotMan::WalkShots([&](EShot* shot) {
      before += shot->kind == 4 && shot->batch == 0;
      old.insert(shot);
    });
    b.w.Step();
    b.w.G()->lives = 3;
    const int32_t now = s.GetState();
    for (int32_t n = 58; n <= 62; ++n)
      if (testsupport::SoundPlayed(voice, n)) voices[n].push_back(now);
    if (now == S::kSpirals && state == now && step == 1 && s.step == 1 && spiralSteps.size() < 10)
      spiralSteps.push_back(s.spiral - spiral);
    if (now == state && step == 0 && s.step == 1 && gens.count(now) == 0) gens[now] = Gens(boss);
    if (now == S::kStream && state != now) gens[now] = Gens(boss);
    if (now == S::kChevrons && state == now && s.step == 1 && s.spiral != spiral) {
      ++chevrons;
      EXPECT_NEAR(s.spiral - spiral, 0.1f, 1e-5f);
      int after = 0;
      EShotMan::WalkShots([&](EShot* shot) { after += shot->kind == 4 && shot->batch == 0; });
      if (chevronShots < 0) {
        chevronShots = after - before;
        EShotMan::WalkShots([&](EShot* shot) {
          if (shot->kind == 4 && shot->batch == 0 && old.count(shot) == 0)
            chevron.push_back({shot->angle, shot->speed});
        });
      }
    }
    if (now == S::kLasers && lasers < 0) {
      laserTurns.clear();
      for (SProc* c = boss->GetList(0)->Head(); c != nullptr; c = SProcList::Next(c))
        if (auto* laser = dynamic_cast<ELaserGen*>(c)) {
          const SMatrix& m = laser->Origin();
          float a = std::atan2(m.m[0][1], m.m[0][0]) / 6.2831855f;
          if (a < -1e-4f) a += 1.0f;
          laserTurns.push_back(a);
        }
      if (!laserTurns.empty()) {
        lasers = int(laserTurns.size());
        laserFrame = s.frame - 1;
      }
    }
    if (state == S::kLasers && now == S::kSpirals) break;
  }
  EXPECT_EQ(voices[58], (std::vector<int32_t>{S::kSpirals, S::kSpirals}));
  EXPECT_EQ(voices[59], (std::vector<int32_t>{S::kChevrons}));
  EXPECT_EQ(voices[60], (std::vector<int32_t>{S::kRings}));
  EXPECT_EQ(voices[61], (std::vector<int32_t>{S::kStream}));
  EXPECT_EQ(voices[62], (std::vector<int32_t>{S::kLasers}));
  ASSERT_EQ(spiralSteps.size(), 10u);
  for (size_t i = 0; i < 10; ++i) EXPECT_NEAR(spiralSteps[i], (i % 10) <= 5 ? 0.005f : 0.008f, 1e-6f) << i;
  EXPECT_EQ(gens[S::kThunder],
            (std::vector<GenRow>{{525, 0.25f, 0.005f, 0.01f, 1.5f, 2.5f, 3, 5, 25, 5, 1000},
                                 {525, 0.5f, 0.007f, 0.013f, 0.5f, 3.5f, 3, 5, 20, 5, 1000},
                                 {525, 0.75f, 0.003f, 0.015f, 3.5f, 1.5f, 3, 6, 40, 7, 1000}}));
  EXPECT_EQ(gens[S::kRings], (std::vector<GenRow>{{777, 0.25f, 0, 0, 3.5f, 3.5f, 27, 14, 2000, 0, 0},
                                                  {777, 0.266f, 0, 0, 3.5f, 3.5f, 27, 14, 2000, 0, 0}}));
  EXPECT_EQ(gens[S::kStream], (std::vector<GenRow>{{260, 0.75f, 0, 0, 6.6f, 6.6f, 20, 6, 2000, 0, 0}}));
  EXPECT_EQ(gens[S::kLasers], (std::vector<GenRow>{{4, 0, 0, 0, 1.0f, 1.0f, 7, 4, 2000, 0, 0},
                                                   {516, 0, 0, 0, 1.0f, 1.5f, 5, 3, 2000, 0, 0}}));
  EXPECT_GT(chevrons, 20);
  EXPECT_EQ(chevronShots, 42);
  std::vector<std::pair<float, float>> chevronWant;
  for (int i = 0; i <= 20; ++i) {
    const float u = float(i) / 21.0f, speed = 4.0f - 3.0f * std::sin(u * 3.14159265f / 2.0f);
    chevronWant.push_back({0.1f + 0.25f * u, speed});
    chevronWant.push_back({0.1f - 0.25f * u, speed});
  }
  std::sort(chevron.begin(), chevron.end());
  std::sort(chevronWant.begin(), chevronWant.end());
  ASSERT_EQ(chevron.size(), chevronWant.size());
  for (size_t i = 0; i < chevron.size(); ++i) {
    EXPECT_NEAR(chevron[i].first, chevronWant[i].first, 1e-5f) << i;
    EXPECT_NEAR(chevron[i].second, chevronWant[i].second, 1e-5f) << i;
  }
  EXPECT_EQ(lasers, 8);
  EXPECT_EQ(laserFrame, 100);
  for (size_t i = 0; i < laserTurns.size(); ++i) EXPECT_NEAR(laserTurns[i], 0.125f * float(i), 1e-4f) << i;
}

// The break-up by the companion's count: sounds 14 and 25 at 0, 250, 332
// and 650; 33 there and at 10, 260, 342 and 460; 34 at 700 and 720; 23 at
// 800; the model's packets cleared at 800.
TEST(Boss16, BreakUpSoundsByFrame) {
  bossfight::SpawnedBoss<EnemyType16> b(5, "osr_bs14", 57344, 16);
  ASSERT_TRUE(b.ok);
  EnemyType16* boss = b.boss;
  BossPartsObjectT16* c = bossfight::DefeatForTheShow<BossPartsObjectT16>(b);
  ASSERT_NE(c, nullptr);
  SHandle<BossPartsObjectT16> h(c);
  SRsc* se = testsupport::EffectBank();
  const int32_t ids[5] = {14, 25, 33, 34, 23};
  std::map<int32_t, std::vector<int32_t>> played;
  int32_t undrawnFrom = -1;
  std::vector<std::pair<float, float>> ring;
  for (int k = 0; k < 900 && h.Get() != nullptr && c->timer.GetCount() <= 820; ++k) {
    const int32_t count = c->timer.GetCount();
    for (int32_t n : ids) testsupport::RearmSound(se, n);
    b.w.Step();
    b.w.G()->lives = 3;
    if (h.Get() == nullptr) break;
    for (int32_t n : ids)
      if (testsupport::SoundPlayed(se, n)) played[n].push_back(count);
    int packets = 0;
    for (int32_t n = 0; boss->model.GetNode(n) != nullptr; ++n) packets += boss->model.GetNode(n)->GetPacketCount();
    if (undrawnFrom < 0 && packets == 0) undrawnFrom = count;
    if (count == 800)
      for (SObject* o = g_EfxMan.Live(1).HeadObj(); o != nullptr; o = o->GetNext()) {
        const auto* e = static_cast<const EfxSprite*>(o);
        if (e->lifeB == 60 && e->colour[0] == 0.05f && e->colour[1] == 1.0f && e->colour[2] == 0.1f)
          ring.emplace_back(e->Sprite()->ownPos[0], e->Sprite()->ownPos[1]);
      }
  }
  // The eight glows of count 800 (ratio 0: R = 10) stand at the heart plus
  // (R cos(0.125 i 2 pi), 1.25 R cos(0.125 i 2 pi)): on a line through it.
  ASSERT_EQ(ring.size(), 8u);
  float cx = 0.0f, cy = 0.0f;
  for (const auto& [x, y] : ring) cx += x / 8.0f, cy += y / 8.0f;
  float reach = 0.0f;
  for (const auto& [x, y] : ring) {
    EXPECT_NEAR(y - cy, 1.25f * (x - cx), 1e-3f);
    reach = std::fmax(reach, std::fabs(x - cx));
  }
  EXPECT_NEAR(reach, 10.0f, 1e-3f);
  EXPECT_EQ(played[14], (std::vector<int32_t>{0, 250, 332, 650}));
  EXPECT_EQ(played[25], (std::vector<int32_t>{0, 250, 332, 650}));
  EXPECT_EQ(played[33], (std::vector<int32_t>{0, 10, 250, 260, 332, 342, 460, 650}));
  EXPECT_EQ(played[34], (std::vector<int32_t>{700, 720}));
  EXPECT_EQ(played[23], (std::vector<int32_t>{800}));
  EXPECT_EQ(undrawnFrom, 800);
}

}  // namespace

namespace {

// Released by the player during the spirals it glides home to the arena's
// centre (0, -80, 0) in 80 frames (two keys: the path ends on its call 81)
// with motion 0, waits in state 7 until that motion has come round, and
// then goes on with the attack after the spirals, the thunder.
TEST(Boss16, ReleasedGlidesHomeWaitsForItsMotionAndGoesOn) {
  bossfight::SpawnedBoss<EnemyType16> b(5, "osr_bs14", 57344, 16);
  ASSERT_TRUE(b.ok);
  EnemyType16* boss = b.boss;
  auto& s = boss->Script();
  for (int k = 0; k < 3000 && !(s.GetState() == S::kSpirals && s.step == 1 && s.frame == 20); ++k) b.w.Step();
  ASSERT_EQ(s.GetState(), S::kSpirals);
  float* p = boss->GetPosition();
  p[0] += 60.0f;
  p[1] -= 30.0f;
  boss->SendEvent(EObjBase::EV_RELEASED, 0);
  int flight = 0;
  for (int k = 0; k < 200; ++k) {
    b.w.Step();
    if (s.GetState() != EnemyBase::SCRIPT_RELEASED) break;
    ++flight;
    EXPECT_EQ(boss->routeCursorIndex, 0);
  }
  EXPECT_EQ(flight, 81);
  ASSERT_EQ(s.GetState(), S::kWait);
  EXPECT_NEAR(p[0], 0.0f, 1e-3f);
  EXPECT_NEAR(p[1], -80.0f, 1e-3f);
  EXPECT_NEAR(p[2], 0.0f, 1e-3f);
  int wait = 0;
  for (; wait < 2000 && s.GetState() == S::kWait; ++wait) b.w.Step();
  EXPECT_GT(wait, 1);
  EXPECT_EQ(s.GetState(), S::kThunder);
}

}  // namespace
