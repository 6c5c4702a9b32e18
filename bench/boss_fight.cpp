// The heaviest frames of the real game: every stage played from its
// recorded play ("common\PlayNN.rpd" of the stand-in data), the whole program
// headless and unpaced, to the stage's end (for stage 5, through boss 16's
// finale: past the recording's last frame the ship flies on with nothing
// held). The ship's lives are topped up every frame so the blind recording
// lasts to the last boss (its deaths and respawns still happen).
//
// Each play runs in a child process (a fresh program: a second play in one
// process would start from what the first left in the persistent objects),
// which times every frame (window messages and kernel step) by the main
// thread's processor time, so time the machine gives to other programs does
// not count, and reports what lived in it. The window of a stage is the
// stretch of kWindow frames that took the most of the main thread's time in
// the stage's first two plays on the null device (each frame's time the
// lesser of its two, so that a frame the machine happened to slow does not
// pick the window). Replays repeat exactly, so every play of a stage has the
// same window with the same contents; each run of a case (each repetition)
// plays the stage anew and times the window's frames again. Each case also
// reports the costliest frame of the whole play after the stage's first
// frame (which loads the stage: load_frame_ms), wherever it lies, with what
// lived in it, and how many frames after the first took more than 1 ms.
//
// BM_HeaviestWindowNull/stage:N: on the null device: the game's logic and
// its draw queue. An iteration is one frame of the window; the time is its
// processor time. Goal: the heaviest frame below 1 ms (worst_ms).
// BM_HeaviestWindowGl/stage:N: the same frames on the OpenGL device at
// 640x480 (Mesa off screen): frames per second of the program's processor
// time (all its threads: the software rasteriser's too) and of the wall
// clock, and the engine's own share of the frame, that is the null-device
// time of the same frames over the OpenGL frame time; the rest is the
// driver's.
//
// Both report the window's contents beside its time: the mean of each kind
// over the window, the first frame of the window and the play's length.
#include <benchmark/benchmark.h>

#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <vector>

#include "game/core/Game.h"
#include "tools/headless/HeadlessRun.h"
#include "tools/headless/PlayState.h"

namespace {

constexpr int kWindow = 300;
constexpr int kFrameLimit = 20000;
constexpr int kStages = 5;

bool SameLoad(const headless::PlayLoad& a, const headless::PlayLoad& b) {
  return a.bullets == b.bullets && a.lasers == b.lasers && a.thunder == b.thunder && a.beams == b.beams &&
         a.effects == b.effects && a.enemies == b.enemies && a.bosses == b.bosses;
}

struct FrameRecord {
  double threadMs = 0.0;   // the main thread's processor time
  double processMs = 0.0;  // every thread of the program
  double wallMs = 0.0;
  headless::PlayLoad load;
};

double NowMs(clockid_t clock) {
  timespec ts;
  clock_gettime(clock, &ts);
  return double(ts.tv_sec) * 1e3 + double(ts.tv_nsec) * 1e-6;
}

// One frame of the play, the lives topped up first; false once the stage
// scene has given way (the stage is over) or the frame limit is reached.
bool PlayFrame(headless::Run& run, int frame) {
  Game* g = Game::GetInstance();
  if (g->lives < 1) g->lives = 1;
  if (frame > 60 && g->GetSceneId() != SCENE_STAGE) return false;
  return frame < kFrameLimit && run.Step();
}

// The stage under its recorded play in a child process, up to `frames`
// frames (0: to the stage's end): each frame's times and load; empty when
// the program did not start.
std::vector<FrameRecord> PlayInChild(int stage, bool nullDevice, int frames) {
  int fd[2];
  if (pipe(fd) != 0) return {};
  const pid_t pid = fork();
  if (pid == 0) {
    close(fd[0]);
    {
      headless::Run run(nullDevice);
      if (run.Ok() && run.ToQuietStart() && run.StartRecordedPlay(stage) != 0) {
        for (int f = 0; frames == 0 || f < frames; ++f) {
          FrameRecord r;
          const double t0 = NowMs(CLOCK_THREAD_CPUTIME_ID), p0 = NowMs(CLOCK_PROCESS_CPUTIME_ID),
                       w0 = NowMs(CLOCK_MONOTONIC);
          if (!PlayFrame(run, f)) break;
          r.threadMs = NowMs(CLOCK_THREAD_CPUTIME_ID) - t0;
          r.processMs = NowMs(CLOCK_PROCESS_CPUTIME_ID) - p0;
          r.wallMs = NowMs(CLOCK_MONOTONIC) - w0;
          r.load = headless::CurrentLoad();
          if (write(fd[1], &r, sizeof r) != sizeof r) break;
        }
      }
    }
    _exit(0);
  }
  close(fd[1]);
  std::vector<FrameRecord> out;
  FrameRecord r;
  while (pid > 0 && read(fd[0], &r, sizeof r) == sizeof r) out.push_back(r);
  close(fd[0]);
  if (pid > 0) waitpid(pid, nullptr, 0);
  return out;
}

// The first frame of the window that took the most main-thread time, or -1
// when the play is shorter than a window.
int HeaviestWindow(const std::vector<FrameRecord>& frames) {
  int start = -1;
  double sum = 0.0, best = -1.0;
  for (size_t f = 0; f < frames.size(); ++f) {
    sum += frames[f].threadMs;
    if (f >= kWindow) sum -= frames[f - kWindow].threadMs;
    if (f + 1 >= kWindow && sum > best) best = sum, start = int(f + 1 - kWindow);
  }
  return start;
}

// The stage's first null-device play, each frame's main-thread time the
// lesser of two plays: the window, the costliest frame and their contents.
struct StagePlay {
  std::vector<FrameRecord> frames;
  int window = -1;
  int worst = -1;
};
StagePlay s_plays[kStages + 1];

StagePlay MeasureStage(const std::vector<FrameRecord>& a, const std::vector<FrameRecord>& b) {
  StagePlay p;
  p.frames = a;
  if (b.size() == a.size())
    for (size_t f = 0; f < a.size(); ++f) p.frames[f].threadMs = std::min(a[f].threadMs, b[f].threadMs);
  p.window = HeaviestWindow(p.frames);
  for (size_t f = 1; f < p.frames.size(); ++f)
    if (p.worst < 0 || p.frames[f].threadMs > p.frames[size_t(p.worst)].threadMs) p.worst = int(f);
  return p;
}

void RunWindow(benchmark::State& state, bool nullDevice) {
  const int stage = static_cast<int>(state.range(0));
  StagePlay& first = s_plays[stage];
  // The null device plays the whole stage each run; the first run plays it
  // once more, and the two choose the window.
  std::vector<FrameRecord> null;
  if (first.frames.empty() || nullDevice) null = PlayInChild(stage, true, 0);
  if (first.frames.empty()) first = MeasureStage(null, PlayInChild(stage, true, 0));
  const int start = first.window;
  if (start < 0 || first.worst < 0) {
    state.SkipWithError("the recorded play did not start or is shorter than a window");
    return;
  }
  const std::vector<FrameRecord> gl = nullDevice ? std::vector<FrameRecord>() : PlayInChild(stage, false, start + kWindow);
  const std::vector<FrameRecord>& play = nullDevice ? null : gl;
  if (play.size() < size_t(start + kWindow)) {
    state.SkipWithError(nullDevice ? "the play ended early" : "the OpenGL play did not start or ended early");
    return;
  }
  headless::PlayLoad sum;
  double thread = 0.0, process = 0.0, wall = 0.0, nullThread = 0.0, worst = 0.0;
  bool same = true;
  int f = start;
  for (auto _ : state) {
    const FrameRecord& r = play[size_t(f)];
    const FrameRecord& ref = first.frames[size_t(f)];
    state.SetIterationTime((nullDevice ? r.threadMs : r.processMs) / 1000.0);
    thread += r.threadMs, process += r.processMs, wall += r.wallMs, nullThread += ref.threadMs;
    worst = std::max(worst, nullDevice ? r.threadMs : r.processMs);
    same = same && SameLoad(r.load, ref.load);
    sum.bullets += r.load.bullets, sum.lasers += r.load.lasers, sum.thunder += r.load.thunder;
    sum.beams += r.load.beams, sum.effects += r.load.effects;
    sum.enemies += r.load.enemies, sum.bosses += r.load.bosses;
    ++f;
  }
  const double n = double(state.iterations());
  if (!nullDevice) {
    state.counters["fps_cpu"] = 1000.0 * n / process;
    state.counters["fps_wall"] = 1000.0 * n / wall;
    state.counters["engine_share"] = nullThread / process;
  }
  // 1 when this play went exactly as the first null-device one.
  state.counters["same_play"] = same ? 1 : 0;
  state.counters["window_start"] = start;
  state.counters["play_frames"] = double(first.frames.size());
  state.counters["bullets"] = sum.bullets / n;
  state.counters["lasers"] = sum.lasers / n;
  state.counters["thunder"] = sum.thunder / n;
  state.counters["beams"] = sum.beams / n;
  state.counters["effects"] = sum.effects / n;
  state.counters["enemies"] = sum.enemies / n;
  state.counters["bosses"] = sum.bosses / n;
  state.counters["worst_ms"] = worst;
  // The costliest frame of the whole play after the loading one (null
  // device, the lesser of two plays) and what lived in it.
  const FrameRecord& top = first.frames[size_t(first.worst)];
  state.counters["load_frame_ms"] = first.frames[0].threadMs;
  state.counters["play_worst_frame"] = first.worst;
  state.counters["play_worst_ms"] = top.threadMs;
  state.counters["play_worst_bullets"] = top.load.bullets;
  state.counters["play_worst_lasers"] = top.load.lasers;
  state.counters["play_worst_thunder"] = top.load.thunder;
  state.counters["play_worst_beams"] = top.load.beams;
  state.counters["play_worst_effects"] = top.load.effects;
  state.counters["play_worst_enemies"] = top.load.enemies;
  state.counters["play_frames_over_1ms"] =
      double(std::count_if(first.frames.begin() + 1, first.frames.end(),
                           [](const FrameRecord& r) { return r.threadMs > 1.0; }));
}

void BM_HeaviestWindowNull(benchmark::State& state) { RunWindow(state, true); }
void BM_HeaviestWindowGl(benchmark::State& state) { RunWindow(state, false); }

BENCHMARK(BM_HeaviestWindowNull)
    ->DenseRange(1, kStages)
    ->ArgNames({"stage"})
    ->Iterations(kWindow)
    ->UseManualTime()
    ->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_HeaviestWindowGl)
    ->DenseRange(1, kStages)
    ->ArgNames({"stage"})
    ->Iterations(kWindow)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
