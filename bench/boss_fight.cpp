// The heaviest frames of the real game: the boss fight of stage 5 from its
// recorded play ("common\Play05.rpd" of the stand-in data), the whole
// program headless and unpaced. The ship's lives are topped up every frame
// so the blind recording lasts to the last boss (its deaths and respawns
// still happen). The argument is the stage: 5, and 4 for comparison (its
// play "common\Play04.rpd", the fights of bosses 12 to 14). A first run of
// the play finds the stretch of kWindow frames of a boss fight (a boss on
// screen in every frame) where the most bullets, beams (lasers, thunder,
// effect shots and boss parts: collision group 9), effects and enemies live
// at once; each benchmark then plays up to it again and times its frames
// one by one (an iteration is one frame, whole: window messages and kernel
// step).
//
// BM_BossFightNull: on the null device: the game's logic and its draw
// queue. Goal: below 1 ms a frame.
// BM_BossFightGl: on the OpenGL device at 640x480 (Mesa off screen):
// frames per second, and the engine's own share of the frame, that is the
// null-device time of the same frames (the same play: replays repeat
// exactly) over the OpenGL frame time; the rest is the driver's.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <memory>
#include <vector>

#include "game/core/Game.h"
#include "game/core/Replay.h"
#include "platform/clock.h"
#include "tools/headless/HeadlessRun.h"
#include "tools/headless/PlayState.h"

namespace {

constexpr int kWindow = 300;
constexpr int kFrameLimit = 20000;

struct Peak {
  int start = -1;  // first frame of the window, counted from the stage request
  double load = 0.0;
};

// Starts the stage under its recorded play; null when that failed.
std::unique_ptr<headless::Run> StartPlay(int stage, bool nullDevice) {
  auto run = std::make_unique<headless::Run>(nullDevice);
  if (!run->Ok() || !run->ToQuietStart() || run->StartRecordedPlay(stage) == 0) return nullptr;
  return run;
}

// One frame of the play, the lives topped up first; false once the
// recorded play is over: its frames all used, or the stage scene has given
// way.
bool PlayFrame(headless::Run& run, int frame) {
  Game* g = Game::GetInstance();
  if (g->lives < 1) g->lives = 1;
  if (frame > 60 && g->GetSceneId() != SCENE_STAGE) return false;
  return g_Replay.GetCursor() < static_cast<int32_t>(g_Replay.Data().size()) && frame < kFrameLimit && run.Step();
}

const Peak& FindPeak(int stage) {
  static Peak peaks[6];
  static bool found[6] = {};
  Peak& peak = peaks[stage];
  if (found[stage]) return peak;
  found[stage] = true;
  std::unique_ptr<headless::Run> run = StartPlay(stage, true);
  if (!run) return peak;
  // The load of each frame, and how many frames in a row a boss has been
  // on screen.
  std::vector<double> load;
  std::vector<int> fight;
  for (int f = 0; PlayFrame(*run, f); ++f) {
    const headless::PlayLoad l = headless::CurrentLoad();
    load.push_back(l.Total());
    fight.push_back(l.bosses > 0 ? (f > 0 ? fight.back() : 0) + 1 : 0);
  }
  double sum = 0.0;
  for (size_t f = 0; f < load.size(); ++f) {
    sum += load[f];
    if (f >= kWindow) sum -= load[f - kWindow];
    if (fight[f] >= kWindow && sum > peak.load) peak = Peak{int(f + 1 - kWindow), sum / kWindow};
  }
  return peak;
}

// The mean null-device frame of each stage's window, for the OpenGL case's
// share.
double s_nullFrameMs[6] = {};

void RunFight(benchmark::State& state, bool nullDevice) {
  const int stage = static_cast<int>(state.range(0));
  const Peak& peak = FindPeak(stage);
  if (peak.start < 0) {
    state.SkipWithError("no boss fight of a window's length in the recorded play (the stage is not playable yet)");
    return;
  }
  std::unique_ptr<headless::Run> run = StartPlay(stage, nullDevice);
  if (!run) {
    state.SkipWithError(nullDevice ? "no start" : "no OpenGL start");
    return;
  }
  for (int f = 0; f < peak.start; ++f) PlayFrame(*run, f);
  headless::PlayLoad sum;
  double worst = 0.0;
  const int64_t start = plat::PerfCounter();
  int frame = peak.start;
  for (auto _ : state) {
    const int64_t t0 = plat::PerfCounter();
    PlayFrame(*run, frame++);
    worst = std::max(worst, double(plat::PerfCounter() - t0));
    const headless::PlayLoad l = headless::CurrentLoad();
    sum.bullets += l.bullets, sum.beams += l.beams, sum.effects += l.effects, sum.enemies += l.enemies;
    sum.bosses += l.bosses;
  }
  const double n = double(state.iterations());
  const double msPerTick = 1000.0 / double(plat::PerfFrequency());
  const double meanMs = double(plat::PerfCounter() - start) * msPerTick / n;
  if (nullDevice) {
    s_nullFrameMs[stage] = meanMs;
  } else {
    state.counters["fps"] = 1000.0 / meanMs;
    if (s_nullFrameMs[stage] > 0.0) state.counters["engine_share"] = s_nullFrameMs[stage] / meanMs;
  }
  state.counters["window_start"] = peak.start;
  state.counters["bullets"] = sum.bullets / n;
  state.counters["beams"] = sum.beams / n;
  state.counters["effects"] = sum.effects / n;
  state.counters["enemies"] = sum.enemies / n;
  state.counters["bosses"] = sum.bosses / n;
  state.counters["worst_ms"] = worst * msPerTick;
}

void BM_BossFightNull(benchmark::State& state) { RunFight(state, true); }
void BM_BossFightGl(benchmark::State& state) { RunFight(state, false); }

BENCHMARK(BM_BossFightNull)->Arg(5)->Arg(4)->ArgNames({"stage"})->Iterations(kWindow)->Unit(benchmark::kMicrosecond)->UseRealTime();
BENCHMARK(BM_BossFightGl)->Arg(5)->Arg(4)->ArgNames({"stage"})->Iterations(kWindow)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
