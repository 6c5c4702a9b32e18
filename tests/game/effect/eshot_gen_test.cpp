// The enemy shot emitter, fired from generator records by the weapon rig:
// fans, rows, bursts, sweeps, aimed volleys, timing and the mended record
// values.
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <functional>
#include <optional>
#include <vector>

#include "game/effect/EShotGen.h"
#include "game/effect/EfxElements.h"
#include "game/tables/shot_tables.h"
#include "game/stage/MapMng.h"
#include "game/stage/ScriptStgRsc.h"
#include "platform/crt_rand.h"
#include "support/WeaponRig.h"

namespace {

using testsupport::WeaponRig;

// A record that fires one still shot of kind 1 (code A) or 2 (code B) per
// way, every frame, one volley and no further burst.
GeneratorRecord Plain() {
  GeneratorRecord r;
  r.flags = 0x1;  // linear speed
  r.hitWord = 5;
  r.shotCodeA = 0x0001;
  r.shotCodeB = 0x0102;
  r.ways = 1;
  r.rows = 1;
  r.volleys = 1;
  return r;
}

class EShotGenTest : public ::testing::Test {
 protected:
  void SetUp() override {
    plat::SRand(0);
    rig.PlaceOwner(0.0f, -100.0f);
    rig.PlacePlayer(0.0f, 250.0f);
  }
  std::vector<float> Angles(int frame) {
    std::vector<float> a;
    for (const auto& s : rig.ShotsOfFrame(frame)) a.push_back(s.angle);
    return a;
  }
  std::vector<int> Kinds(int frame) {
    std::vector<int> k;
    for (const auto& s : rig.ShotsOfFrame(frame)) k.push_back(s.kind);
    return k;
  }
  WeaponRig rig;
};

TEST_F(EShotGenTest, FansOfWaysOverTheSpread) {
  struct Case {
    int32_t ways;
    float spread, base;
    std::vector<float> angles;
    std::vector<int> kinds;
  } const cases[] = {
      {5, 0.25f, 0.0f, {-0.125f, -0.0625f, 0.0f, 0.0625f, 0.125f}, {1, 2, 1, 2, 1}},
      // A spread of a full turn or more rings the circle without a double shot.
      {8, 1.0f, 0.0f, {-0.4375f, -0.3125f, -0.1875f, -0.0625f, 0.0625f, 0.1875f, 0.3125f, 0.4375f},
       {2, 1, 2, 1, 2, 1, 2, 1}},
      {2, 0.5f, 0.25f, {0.0f, 0.5f}, {2, 1}},
      {1, 0.5f, 0.3f, {0.3f}, {1}},
      {0, 0.5f, 0.3f, {0.3f}, {1}},  // 0 ways count as 1
  };
  for (const Case& c : cases) {
    GeneratorRecord r = Plain();
    r.ways = c.ways;
    r.spread = c.spread;
    r.baseAngle = c.base;
    rig.shots.clear();
    rig.Start(r);
    rig.Run(1);
    const std::vector<float> got = Angles(rig.Frame() - 1);
    ASSERT_EQ(got.size(), c.angles.size()) << c.ways;
    for (size_t i = 0; i < got.size(); ++i) EXPECT_NEAR(got[i], c.angles[i], 1e-6f) << c.ways << " " << i;
    EXPECT_EQ(Kinds(rig.Frame() - 1), c.kinds) << c.ways;
    EXPECT_EQ(rig.Generators(), 0) << "one volley, no further burst";
  }
}

TEST_F(EShotGenTest, RowsStandAcrossTheFiringDirection) {
  GeneratorRecord r = Plain();
  r.rows = 3;
  r.rowWidth = 20.0f;
  r.baseAngle = 0.25f;  // firing down the screen: rows lie along x
  r.offsetX = 5.0f;
  r.offsetY = 7.0f;
  rig.Start(r);
  rig.Run(1);
  const auto shots = rig.ShotsOfFrame(0);
  ASSERT_EQ(shots.size(), 3u);
  const float xs[3] = {-5.0f, 5.0f, 15.0f};
  for (int i = 0; i < 3; ++i) {
    EXPECT_NEAR(shots[i].x, xs[i], 1e-4f) << i;
    EXPECT_NEAR(shots[i].y, -93.0f, 1e-4f) << i;
  }

  // A row count below 1 (0 counts as 1) fires the single row at the origin.
  for (int32_t rows : {0, -3}) {
    r.rows = rows;
    rig.shots.clear();
    rig.Start(r);
    rig.Run(1);
    const auto one = rig.ShotsOfFrame(rig.Frame() - 1);
    ASSERT_EQ(one.size(), 1u) << rows;
    EXPECT_NEAR(one[0].x, 5.0f, 1e-4f) << rows;
    EXPECT_NEAR(one[0].y, -93.0f, 1e-4f) << rows;
  }
}

TEST_F(EShotGenTest, VolleysAndBurstsKeepTheirTimingAndSwapCodes) {
  struct Case {
    int32_t volleys, volleyFrames, bursts, burstFrames;
    std::vector<int> framesWithShots;
    std::vector<int> kinds;  // one per volley
    int liveAfter;           // frames run: 20
  } const cases[] = {
      {3, 0, 0, 0, {0, 0, 0}, {1, 1, 1}, 0},
      {3, 4, 0, 0, {0, 4, 8}, {1, 1, 1}, 0},
      {2, 1, 2, 5, {0, 1, 6, 7, 12, 13}, {1, 1, 2, 2, 1, 1}, 0},
      // A volley count below 1 counts as 1; further bursts below 1 mean none.
      {0, 1, 0, 0, {0}, {1}, 0},
      {-2, 1, -1, 0, {0}, {1}, 0},
      {1, 3, 9, 3, {0, 3, 6, 9, 12, 15, 18}, {1, 2, 1, 2, 1, 2, 1}, 1},
  };
  for (const Case& c : cases) {
    GeneratorRecord r = Plain();
    r.volleys = c.volleys;
    r.volleyFrames = c.volleyFrames;
    r.bursts = c.bursts;
    r.burstFrames = c.burstFrames;
    rig.shots.clear();
    const int32_t f0 = rig.Frame();
    rig.Start(r);
    rig.Run(20);
    std::vector<int> frames, kinds;
    for (const auto& s : rig.shots) {
      frames.push_back(s.frame - f0);
      kinds.push_back(s.kind);
    }
    EXPECT_EQ(frames, c.framesWithShots) << c.volleys << "/" << c.bursts;
    EXPECT_EQ(kinds, c.kinds) << c.volleys << "/" << c.bursts;
    EXPECT_EQ(rig.Generators(), c.liveAfter) << c.volleys << "/" << c.bursts;
    rig.owner.KillChildrenAll(0);
    rig.Run(1);
  }
}

TEST_F(EShotGenTest, ZeroIntervalsFireEveryVolleyInTheSameFrame) {
  GeneratorRecord r = Plain();
  r.volleys = 10;
  r.bursts = 20;  // 210 volleys in all, every interval 0
  rig.Start(r);
  rig.Run(1);
  EXPECT_EQ(rig.ShotsOfFrame(0).size(), 210u);
  EXPECT_EQ(rig.Generators(), 0);
}

TEST_F(EShotGenTest, BurstEndsSwapOrHoldSpeedAndSweep) {
  // Two volleys a burst, one further burst, no intervals: four volleys in
  // frame 0. Speed 2 to 6 and sweep 0.1 to 0.3, both linear, base angle 0.
  struct Case {
    uint32_t flags;
    std::vector<float> speeds, angles;
  } const cases[] = {
      // t = 0 and 1; 0x20 swaps the speeds for the second burst.
      {0x0121, {2, 6, 6, 2}, {0.1f, 0.3f, 0.1f, 0.3f}},
      // 0x40 holds start = end, 0x4000 the same for the sweep.
      {0x4141, {2, 6, 6, 6}, {0.1f, 0.3f, 0.3f, 0.3f}},
      // 0x2000: t = 0 and 0.5, and the sweep ends swap.
      {0x2101, {2, 4, 2, 4}, {0.1f, 0.2f, 0.3f, 0.2f}},
      // The hold flags win over the swap flags.
      {0x6161, {2, 4, 6, 6}, {0.1f, 0.2f, 0.3f, 0.3f}},
  };
  for (const Case& c : cases) {
    GeneratorRecord r = Plain();
    r.flags = c.flags;
    r.startSpeed = 2.0f;
    r.endSpeed = 6.0f;
    r.sweepStart = 0.1f;
    r.sweepEnd = 0.3f;
    r.volleys = 2;
    r.bursts = 1;
    rig.shots.clear();
    rig.Start(r);
    rig.Run(1);
    ASSERT_EQ(rig.shots.size(), 4u) << std::hex << c.flags;
    for (int i = 0; i < 4; ++i) {
      EXPECT_NEAR(rig.shots[i].speed, c.speeds[i], 1e-5f) << std::hex << c.flags << " " << i;
      EXPECT_NEAR(rig.shots[i].angle, c.angles[i], 1e-5f) << std::hex << c.flags << " " << i;
    }
    EXPECT_EQ(Kinds(rig.Frame() - 1), (std::vector<int>{1, 1, 2, 2})) << std::hex << c.flags;
  }
}

TEST_F(EShotGenTest, SpeedCurvesOfEachEasing) {
  // Three volleys, t = 0, 0.5, 1; speed from 2 to 6.
  struct Case {
    uint32_t flags;
    float mid, last;
  } const cases[] = {
      {0x2, 4.0f, 6.0f},                   // half cosine: (1 - cos(pi/2)) / 2 = 0.5
      {0x12, 6.0f, 2.0f},                  // half cosine on 2t: e(1) = 1, e(2) = 0
      {0x4, 3.1715729f, 6.0f},             // ease-in: 1 - cos(pi/4) = 0.2928932
      {0x8, 4.8284271f, 6.0f},             // ease-out: sin(pi/4) = 0.7071068
      {0x3, 0.0f, 0.0f},                   // not a curve: speed 0
  };
  for (const Case& c : cases) {
    GeneratorRecord r = Plain();
    r.flags = c.flags;
    r.startSpeed = 2.0f;
    r.endSpeed = 6.0f;
    r.volleys = 3;
    rig.shots.clear();
    rig.Start(r);
    rig.Run(1);
    ASSERT_EQ(rig.shots.size(), 3u) << std::hex << c.flags;
    EXPECT_NEAR(rig.shots[0].speed, c.flags == 0x3 ? 0.0f : 2.0f, 1e-5f) << std::hex << c.flags;
    EXPECT_NEAR(rig.shots[1].speed, c.mid, 1e-5f) << std::hex << c.flags;
    EXPECT_NEAR(rig.shots[2].speed, c.last, 1e-5f) << std::hex << c.flags;
  }
}

TEST_F(EShotGenTest, StartDelayCountsDownBeforeTheFirstVolley) {
  GeneratorRecord r = Plain();
  r.startDelay = 10.0f;
  rig.Start(r);
  rig.Run(10);
  EXPECT_TRUE(rig.shots.empty());
  rig.Run(1);
  ASSERT_EQ(rig.shots.size(), 1u);
  EXPECT_EQ(rig.shots[0].frame, 10);

  // The delay and the intervals count by the enemy time step: at 0.5 the
  // delay of 10 takes 20 frames and an interval of 4 takes 8.
  rig.shots.clear();
  g_MapMng.SetEnemyTimeScale(0.5f);
  r.volleys = 2;
  r.volleyFrames = 4;
  const int32_t f0 = rig.Frame();
  rig.Start(r);
  rig.Run(30);
  g_MapMng.SetEnemyTimeScale(1.0f);
  ASSERT_EQ(rig.shots.size(), 2u);
  EXPECT_EQ(rig.shots[0].frame - f0, 20);
  EXPECT_EQ(rig.shots[1].frame - f0, 28);
}

TEST_F(EShotGenTest, SpeedAndSweepEaseOverTheBurst) {
  struct Case {
    uint32_t flags;
    float base;
    std::vector<float> speeds, angles;
  } const cases[] = {
      // No speed easing: every shot has speed 0.
      {0x0, 0.0f, {0, 0, 0}, {0, 0, 0}},
      {0x1, 0.0f, {2, 4, 6}, {0, 0, 0}},
      {0x11, 0.0f, {2, 6, 10}, {0, 0, 0}},  // eased on 2t
      // Sweep linear from 0.1 to 0.3: offsets stand alone with base 0 ...
      {0x101, 0.0f, {2, 4, 6}, {0.1f, 0.2f, 0.3f}},
      // ... and accumulate with a base angle (spirals).
      {0x101, 0.5f, {2, 4, 6}, {0.6f, 0.8f, 1.1f}},
      // t = index / volleys.
      {0x2101, 0.0f, {2, 3.333333f, 4.666667f}, {0.1f, 0.166667f, 0.233333f}},
  };
  for (const Case& c : cases) {
    GeneratorRecord r = Plain();
    r.flags = c.flags;
    r.baseAngle = c.base;
    r.startSpeed = 2.0f;
    r.endSpeed = 6.0f;
    r.sweepStart = 0.1f;
    r.sweepEnd = 0.3f;
    r.volleys = 3;
    rig.shots.clear();
    rig.Start(r);
    rig.Run(1);
    ASSERT_EQ(rig.shots.size(), 3u) << std::hex << c.flags;
    for (int i = 0; i < 3; ++i) {
      EXPECT_NEAR(rig.shots[i].speed, c.speeds[i], 1e-5f) << std::hex << c.flags << " " << i;
      EXPECT_NEAR(rig.shots[i].angle, c.angles[i], 1e-5f) << std::hex << c.flags << " " << i;
    }
  }
}

TEST_F(EShotGenTest, AimedVolleysTurnTowardsThePlayer) {
  // Owner at (0, -100), player first straight below it (0.25 turn), then to
  // its right (0 turn).
  struct Case {
    uint32_t flags;
    float first, second;
  } const cases[] = {{0x10001, 0.30f, 0.30f}, {0x20001, 0.30f, 0.05f}, {0x30001, 0.05f, 0.05f}};
  for (const Case& c : cases) {
    GeneratorRecord r = Plain();
    r.flags = c.flags;
    r.baseAngle = 0.05f;
    r.volleys = 2;
    r.volleyFrames = 1;
    rig.shots.clear();
    rig.PlacePlayer(0.0f, 250.0f);
    rig.Start(r);
    rig.Run(1);
    rig.PlacePlayer(350.0f, -100.0f);
    rig.Run(1);
    ASSERT_EQ(rig.shots.size(), 2u);
    EXPECT_NEAR(rig.shots[0].angle, c.first, 1e-6f) << std::hex << c.flags;
    EXPECT_NEAR(rig.shots[1].angle, c.second, 1e-6f) << std::hex << c.flags;
  }

  // An owner in depth aims from where it is seen: (0, -200, 512) stands at
  // (0, -100).
  rig.shots.clear();
  rig.PlaceOwner(0.0f, -200.0f, 512.0f);
  rig.PlacePlayer(100.0f, -100.0f);
  GeneratorRecord deep = Plain();
  deep.flags = 0x10001;
  rig.Start(deep);
  rig.Run(1);
  ASSERT_EQ(rig.shots.size(), 1u);
  EXPECT_NEAR(rig.shots[0].angle, 0.0f, 1e-6f);
  EXPECT_NEAR(rig.shots[0].y, -100.0f, 1e-4f);
}

TEST_F(EShotGenTest, RandomSpreadDrawsOneValuePerWayBeforeItsShot) {
  GeneratorRecord r = Plain();
  r.flags = 0x40001;
  r.ways = 3;
  r.spread = 0.2f;
  r.baseAngle = 0.25f;
  rig.Start(r);
  rig.Run(1);
  // rand from seed 0: 38, 7719, 21238.
  const int draws[3] = {38, 7719, 21238};
  ASSERT_EQ(rig.shots.size(), 3u);
  for (int i = 0; i < 3; ++i) {
    const float want = (static_cast<float>(draws[i]) * 3.051851e-5f - 0.5f) * 0.2f + 0.25f;
    EXPECT_FLOAT_EQ(rig.shots[i].angle, want) << i;
  }
}

TEST_F(EShotGenTest, MuzzleFlashPerRowDrawsBeforeItsShots) {
  GeneratorRecord r = Plain();
  r.muzzleFlash = 1;
  r.rows = 2;
  r.rowWidth = 10.0f;
  r.volleys = 2;
  r.volleyFrames = 1;
  rig.Start(r);
  rig.Run(2);
  EXPECT_EQ(rig.flashes, (std::vector<int>{2, 2}));
  EXPECT_EQ(rig.shots.size(), 4u);
  // Each flash: sheet 7 at its row, lives 2 and 6, size 1.0, the flash list
  // of code A's colour group and kind (kind 1: the second list, X; after a
  // swap to code B 0x0102, kind 2 of batch 1: the first list of texture 1, Y).
  const auto* f = static_cast<const EfxSprite*>(rig.efx.Live(1).HeadObj());
  ASSERT_NE(f, nullptr);
  EXPECT_EQ(f->track.GetList(), SprEShot00KeysX);
  EXPECT_EQ(f->lifeB, 6);
  EXPECT_EQ(f->Sprite()->scaleX, 1.0f);
  EXPECT_EQ(rig.game.LayerBatch(7).GetList()->Count(), 4);
  rig.efx.ClearAll();
  r.volleys = 1;
  r.bursts = 1;
  r.burstFrames = 1;
  r.rows = 1;
  rig.Start(r);
  rig.Run(2);
  const auto* g = static_cast<const EfxSprite*>(rig.efx.Live(1).TailObj());
  ASSERT_NE(g, nullptr);
  EXPECT_EQ(g->track.GetList(), SprEShot00KeysY);
}

TEST_F(EShotGenTest, ScriptFormFillsTheSameFieldsAsTheRecordForm) {
  GeneratorRecord r = Plain();
  r.flags = 0x12345;
  r.shotCodeA = 3;
  r.shotCodeB = 4;
  r.baseAngle = 0.1f;
  r.sweepStart = 0.2f;
  r.sweepEnd = 0.3f;
  r.startSpeed = 1.5f;
  r.endSpeed = 2.5f;
  r.ways = 6;
  r.spread = 0.4f;
  r.rows = 2;
  r.rowWidth = 30.0f;
  r.volleys = 7;
  r.volleyFrames = 8;
  r.bursts = 9;
  r.burstFrames = 10;
  r.offsetX = 11.0f;
  r.offsetY = 12.0f;
  r.word20 = 13;
  r.muzzleFlash = 14;
  r.startDelay = 15.0f;
  EShotMotion m{};
  r.bulletPath = &m;
  EShotGen a(rig.ownerPos, &r, 16, 17, nullptr);
  EShotGen b(rig.ownerPos, 0x12345, 5, 3, 4, 0.1f, 0.2f, 0.3f, 1.5f, 2.5f, 6, 0.4f, 2, 30.0f, 8, 7, 9, 10, 11.0f,
             12.0f, 13, 14, 15.0f, &m, 16, 17, nullptr);
  EXPECT_EQ(std::vector<float>({a.baseAngle, a.sweepStart, a.sweepEnd, a.startSpeed, a.endSpeed, a.spread,
                                a.rowWidth, a.offsetX, a.offsetY, a.startDelay}),
            std::vector<float>({b.baseAngle, b.sweepStart, b.sweepEnd, b.startSpeed, b.endSpeed, b.spread,
                                b.rowWidth, b.offsetX, b.offsetY, b.startDelay}));
  EXPECT_EQ(std::vector<int64_t>({a.flags, a.hitWord, a.codeA, a.codeB, a.ways, a.rows, a.volleyFrames, a.volleys,
                                  a.bursts, a.burstFrames, a.word20, a.muzzleFlash, a.id, a.a4, a.initialBursts}),
            std::vector<int64_t>({b.flags, b.hitWord, b.codeA, b.codeB, b.ways, b.rows, b.volleyFrames, b.volleys,
                                  b.bursts, b.burstFrames, b.word20, b.muzzleFlash, b.id, b.a4, b.initialBursts}));
  EXPECT_EQ(a.volleys, 7);
  EXPECT_EQ(a.volleyFrames, 8);
  EXPECT_EQ(a.motion, &m);
  EXPECT_EQ(b.motion, &m);
}

// Runs fn in a child process held to kCpuSeconds of processor time (not
// time on the clock) and returns the numbers it wrote; a child that spent
// them (a frame that does not end) fails the test instead of holding it.
constexpr rlim_t kCpuSeconds = 5;
std::optional<std::vector<int64_t>> InBoundedChild(const std::function<std::vector<int64_t>()>& fn) {
  int fds[2];
  if (::pipe(fds) != 0) return std::nullopt;
  const pid_t pid = ::fork();
  if (pid < 0) return std::nullopt;
  if (pid == 0) {
    ::close(fds[0]);
    const rlimit cpu{kCpuSeconds, kCpuSeconds + 1}, core{0, 0};
    ::setrlimit(RLIMIT_CPU, &cpu);
    ::setrlimit(RLIMIT_CORE, &core);
    const std::vector<int64_t> out = fn();
    const ssize_t want = ssize_t(out.size() * sizeof(int64_t));
    ::_exit(::write(fds[1], out.data(), size_t(want)) == want ? 0 : 1);
  }
  ::close(fds[1]);
  std::vector<int64_t> got;
  int64_t v = 0;
  while (::read(fds[0], &v, sizeof v) == ssize_t(sizeof v)) got.push_back(v);
  ::close(fds[0]);
  int status = 0;
  ::waitpid(pid, &status, 0);
  if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
    ADD_FAILURE() << "the child did not end within " << kCpuSeconds << " s of processor time (status " << status
                  << ")";
    return std::nullopt;
  }
  return got;
}

// Counts as large as a record holds, with a pool of 1500 shots: the pattern
// fires while the pool has room and the frame ends. Each of these records
// once kept one frame busy for minutes (2^31 ways, rows or bursts tried one
// by one). Shots stand still (speed 0), so the pool stays full.
TEST_F(EShotGenTest, CountsAsLargeAsARecordHoldsEndTheFrame) {
  constexpr int32_t kMax = 0x7FFFFFFF;
  constexpr int64_t kPool = 1500;
  struct Case {
    const char* what;
    GeneratorRecord record;
    int frames;
    std::vector<int64_t> shotsPerFrame;
    std::vector<int64_t> firstKinds;
    int64_t generators;  // still running after the frames
  };
  std::vector<Case> cases;
  const auto add = [&](const char* what, auto edit, int frames, std::vector<int64_t> perFrame,
                       std::vector<int64_t> kinds, int64_t generators) {
    GeneratorRecord r = Plain();
    edit(r);
    cases.push_back({what, r, frames, std::move(perFrame), std::move(kinds), generators});
  };
  add("ways", [](GeneratorRecord& r) { r.ways = kMax, r.spread = 0.5f; }, 1, {kPool}, {1, 2, 1, 2}, 0);
  add("rows", [](GeneratorRecord& r) { r.rows = kMax, r.rowWidth = 100.0f; }, 1, {kPool}, {1, 1, 1, 1}, 0);
  // Zero intervals: every volley of every burst belongs to the first frame,
  // after which the emitter has ended; codes A and B swap at each burst.
  add("bursts", [](GeneratorRecord& r) { r.bursts = kMax; }, 1, {kPool}, {1, 2, 1, 2}, 0);
  // A row count so large in two volleys a frame apart: the second finds the
  // pool still full and ends the emitter.
  add("rows, two volleys", [](GeneratorRecord& r) { r.rows = kMax, r.volleys = 2, r.volleyFrames = 1; }, 2,
      {kPool, 0}, {1, 1, 1, 1}, 0);
  // Bursts apart in time: each later one finds the pool full; the emitter
  // lives on to its last (bursts at frames 0, 2, 4 and 6).
  add("rows, bursts 2 frames apart", [](GeneratorRecord& r) { r.rows = kMax, r.bursts = 3, r.burstFrames = 2; }, 5,
      {kPool, 0, 0, 0, 0}, {1, 1, 1, 1}, 1);
  // The volleys of a burst follow at once, the bursts 3 frames apart: the
  // rest of the first burst passes in frame 0, the emitter waits, and the
  // second burst (frame 3) ends it.
  const auto longBursts = [](GeneratorRecord& r) { r.volleys = kMax, r.bursts = 1, r.burstFrames = 3; };
  add("volleys, bursts 3 frames apart, 3 frames", longBursts, 3, {kPool, 0, 0}, {1, 1, 1, 1}, 1);
  add("volleys, bursts 3 frames apart, 4 frames", longBursts, 4, {kPool, 0, 0, 0}, {1, 1, 1, 1}, 0);
  // Code A is never fired (kind 14) and a volley has one way: every other
  // burst fires code B, until the pool is full.
  add("bursts, code A never fired", [](GeneratorRecord& r) { r.bursts = kMax, r.shotCodeA = 0x0E; }, 1, {kPool},
      {2, 2, 2, 2}, 0);
  // Neither code is ever fired: nothing to show at all.
  add("bursts, no code fired", [](GeneratorRecord& r) { r.bursts = kMax, r.shotCodeA = r.shotCodeB = 0x1F; }, 1,
      {0}, {}, 0);
  // ... and its volleys a frame apart: each frame has its own, the emitter
  // lives to the third.
  add("volleys a frame apart, no code fired",
      [](GeneratorRecord& r) { r.volleys = 3, r.volleyFrames = 1, r.shotCodeA = r.shotCodeB = 0x1F; }, 2, {0, 0}, {},
      1);
  for (const Case& c : cases) {
    const auto got = InBoundedChild([&] {
      plat::SRand(0);
      rig.Start(c.record);
      rig.Run(c.frames);
      std::vector<int64_t> out = {rig.Generators(), int64_t(plat::RandSeed())};
      for (int f = 0; f < c.frames; ++f) out.push_back(int64_t(rig.ShotsOfFrame(f).size()));
      for (size_t i = 0; i < 4 && i < rig.shots.size(); ++i) out.push_back(rig.shots[i].kind);
      return out;
    });
    ASSERT_TRUE(got) << c.what;
    std::vector<int64_t> want = {c.generators, 0};  // no random draw: seed 0 stays
    want.insert(want.end(), c.shotsPerFrame.begin(), c.shotsPerFrame.end());
    want.insert(want.end(), c.firstKinds.begin(), c.firstKinds.end());
    EXPECT_EQ(*got, want) << c.what;
  }
}

// The random draws of what cannot be shown are still made, as if every shot
// had been tried: 2^31 volleys (one burst and 2^31 - 1 further ones) of two
// draws each (two ways of a random spread, or one way and its muzzle flash)
// are 2^32 draws, the generator's whole period, so the frame ends on the
// state it started from.
TEST_F(EShotGenTest, RefusedVolleysStillMakeTheirRandomDraws) {
  struct Case {
    const char* what;
    int32_t ways, codeA, codeB;
    uint32_t muzzleFlash;
    bool effectsFull;  // the effect pool full before the frame
    int64_t shots;
  } const cases[] = {
      {"two random ways", 2, 0x0001, 0x0102, 0, false, 1500},
      {"two random ways, no code fired", 2, 0x0E, 0x0E, 0, false, 0},
      {"one random way and its flash", 1, 0x0001, 0x0102, 1, false, 1500},
      {"one random way and a flash that cannot come", 1, 0x0001, 0x0102, 1, true, 1500},
  };
  for (const Case& c : cases) {
    const auto got = InBoundedChild([&] {
      const SVec4 at{0.0f, 0.0f, 0.0f, 0.0f};
      while (c.effectsFull &&
             rig.efx.SpawnSprite(7, &at, nullptr, nullptr, nullptr, 2, 6, 0.0f, 1.0f, 1.0f, nullptr, nullptr, 0.0f, 1))
        continue;
      GeneratorRecord r = Plain();
      r.flags |= EShotGen::kRandomSpread;
      r.spread = 0.2f;
      r.ways = c.ways;
      r.shotCodeA = c.codeA;
      r.shotCodeB = c.codeB;
      r.muzzleFlash = c.muzzleFlash;
      r.bursts = 0x7FFFFFFF;
      plat::SRand(12345);
      rig.Start(r);
      rig.Run(1);
      return std::vector<int64_t>{int64_t(rig.shots.size()), rig.Generators(), int64_t(plat::RandSeed())};
    });
    ASSERT_TRUE(got) << c.what;
    EXPECT_EQ(*got, (std::vector<int64_t>{c.shots, 0, 12345})) << c.what;
  }
}

TEST_F(EShotGenTest, FollowsItsOwnerAndKeepsTheLastPlaceOnceTheHolderIsGone) {
  GeneratorRecord r = Plain();
  r.volleys = 5;
  r.volleyFrames = 1;
  auto* holder = new testsupport::RelayProc("Holder");
  rig.owner.AddChild(0, holder, 0);
  float pos[4] = {10.0f, 20.0f, 0.0f, 1.0f};
  rig.Adopt(new EShotGen(pos, &r, -1, 30, holder));
  rig.Run(1);
  pos[0] = 30.0f;
  rig.Run(1);
  holder->Kill(0);  // dying after this frame, gone after the next
  pos[0] = 50.0f;
  rig.Run(2);
  pos[0] = 70.0f;  // no longer read
  rig.Run(1);
  std::vector<float> xs;
  for (const auto& s : rig.shots) xs.push_back(s.x);
  EXPECT_EQ(xs, (std::vector<float>{10.0f, 30.0f, 50.0f, 50.0f, 50.0f}));
}

}  // namespace
