// The heaviest frames of the real game: the boss fight of stage 5 from its
// recorded play ("common\Play05.rpd" of the stand-in data), the whole
// program headless and unpaced. The ship's lives are topped up every frame
// so the blind recording lasts to the last boss (its deaths and respawns
// still happen). The argument is the stage: 5, and 4 for comparison (its
// play "common\Play04.rpd", the fights of bosses 12 to 14). Each case plays
// the whole recording in a child process (a fresh program: a second play in
// one process would start from what the first left in the persistent
// objects) and times every frame (window messages and kernel step); the
// null-device play picks the stretch of kWindow frames of a boss fight (a
// boss on screen in every frame) where the most bullets, beams (lasers,
// thunder, effect shots and boss parts: collision group 9), effects and
// enemies live at once, and both cases report the frames of that stretch
// (an iteration is one of them).
//
// BM_BossFightNull: on the null device: the game's logic and its draw
// queue. Goal: below 1 ms a frame.
// BM_BossFightGl: on the OpenGL device at 640x480 (Mesa off screen):
// frames per second, and the engine's own share of the frame, that is the
// null-device time of the same frames (the same play: replays repeat
// exactly) over the OpenGL frame time; the rest is the driver's.
#include <benchmark/benchmark.h>

#include <sys/wait.h>
#include <unistd.h>

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

struct FrameRecord {
  double ms = 0.0;
  headless::PlayLoad load;
};

// One frame of the play, the lives topped up first; false once the
// recorded play is over: its frames all used, or the stage scene has given
// way.
bool PlayFrame(headless::Run& run, int frame) {
  Game* g = Game::GetInstance();
  if (g->lives < 1) g->lives = 1;
  if (frame > 60 && g->GetSceneId() != SCENE_STAGE) return false;
  return g_Replay.GetCursor() < static_cast<int32_t>(g_Replay.Data().size()) && frame < kFrameLimit && run.Step();
}

// The stage under its recorded play in a child process: each frame's time
// and load; empty when the program did not start.
std::vector<FrameRecord> PlayInChild(int stage, bool nullDevice) {
  int fd[2];
  if (pipe(fd) != 0) return {};
  const pid_t pid = fork();
  if (pid == 0) {
    close(fd[0]);
    {
      headless::Run run(nullDevice);
      if (run.Ok() && run.ToQuietStart() && run.StartRecordedPlay(stage) != 0) {
        const double msPerTick = 1000.0 / double(plat::PerfFrequency());
        for (int f = 0;; ++f) {
          const int64_t t0 = plat::PerfCounter();
          if (!PlayFrame(run, f)) break;
          const FrameRecord r{double(plat::PerfCounter() - t0) * msPerTick, headless::CurrentLoad()};
          if (write(fd[1], &r, sizeof r) != sizeof r) break;
        }
      }
    }
    _exit(0);
  }
  close(fd[1]);
  std::vector<FrameRecord> frames;
  FrameRecord r;
  while (pid > 0 && read(fd[0], &r, sizeof r) == sizeof r) frames.push_back(r);
  close(fd[0]);
  if (pid > 0) waitpid(pid, nullptr, 0);
  return frames;
}

// The first frame of the busiest boss-fight window, or -1.
int PeakWindow(const std::vector<FrameRecord>& frames) {
  int start = -1, fight = 0;
  double sum = 0.0, best = -1.0;
  for (size_t f = 0; f < frames.size(); ++f) {
    sum += frames[f].load.Total();
    if (f >= kWindow) sum -= frames[f - kWindow].load.Total();
    fight = frames[f].load.bosses > 0 ? fight + 1 : 0;
    if (fight >= kWindow && sum > best) best = sum, start = int(f + 1 - kWindow);
  }
  return start;
}

// The null-device play of each stage and its window (the OpenGL case uses
// both).
std::vector<FrameRecord> s_nullPlay[6];
int s_window[6] = {-1, -1, -1, -1, -1, -1};

void RunFight(benchmark::State& state, bool nullDevice) {
  const int stage = static_cast<int>(state.range(0));
  if (s_nullPlay[stage].empty()) {
    s_nullPlay[stage] = PlayInChild(stage, true);
    s_window[stage] = PeakWindow(s_nullPlay[stage]);
  }
  const int start = s_window[stage];
  if (start < 0) {
    state.SkipWithError("no boss fight of a window's length in the recorded play");
    return;
  }
  const std::vector<FrameRecord> gl = nullDevice ? std::vector<FrameRecord>() : PlayInChild(stage, false);
  const std::vector<FrameRecord>& play = nullDevice ? s_nullPlay[stage] : gl;
  if (play.size() < size_t(start + kWindow)) {
    state.SkipWithError("the OpenGL play did not start or ended early");
    return;
  }
  headless::PlayLoad sum;
  double total = 0.0, worst = 0.0, nullTotal = 0.0;
  bool same = true;
  int f = start;
  for (auto _ : state) {
    const FrameRecord& r = play[size_t(f)];
    state.SetIterationTime(r.ms / 1000.0);
    total += r.ms;
    nullTotal += s_nullPlay[stage][size_t(f)].ms;
    worst = std::max(worst, r.ms);
    same = same && r.load.Total() == s_nullPlay[stage][size_t(f)].load.Total();
    sum.bullets += r.load.bullets, sum.beams += r.load.beams, sum.effects += r.load.effects;
    sum.enemies += r.load.enemies, sum.bosses += r.load.bosses;
    ++f;
  }
  const double n = double(state.iterations());
  if (!nullDevice) {
    state.counters["fps"] = 1000.0 * n / total;
    state.counters["engine_share"] = nullTotal / total;
    // 1 when the OpenGL play went exactly as the null-device one.
    state.counters["same_play"] = same ? 1 : 0;
  }
  state.counters["window_start"] = start;
  state.counters["bullets"] = sum.bullets / n;
  state.counters["beams"] = sum.beams / n;
  state.counters["effects"] = sum.effects / n;
  state.counters["enemies"] = sum.enemies / n;
  state.counters["bosses"] = sum.bosses / n;
  state.counters["worst_ms"] = worst;
}

void BM_BossFightNull(benchmark::State& state) { RunFight(state, true); }
void BM_BossFightGl(benchmark::State& state) { RunFight(state, false); }

BENCHMARK(BM_BossFightNull)->Arg(5)->Arg(4)->ArgNames({"stage"})->Iterations(kWindow)->UseManualTime()->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_BossFightGl)->Arg(5)->Arg(4)->ArgNames({"stage"})->Iterations(kWindow)->UseManualTime()->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
