// Frame-pacing accuracy of the windowed frame hold: 600 frames paced by
// plat::FramePacer, each with some simulated frame work, and (second case) a
// real buffer swap of a GL window. Reports the mean and the worst deviation
// of the present-to-present interval from the frame period, and the CPU time
// spent inside the wait as a share of one core.
//
// The engine cases run the whole program in a hidden window with the
// graphic manager holding the rate: the start-up and attract sequence
// (BM_EngineWindowedFrames) and the start of a stage under its recorded
// play (BM_EngineWindowedPlay). Each reports how late its frames were (the
// step-to-step interval past one frame period): the worst, which frame it
// was and in which scene, the 99th percentile, how many were more than 2 ms
// late, and the machine's load average when the run began (the machine may
// be shared: a busy one makes frames late that an idle one would not).
// Beside it, the main thread's processor time of the costliest step and
// which frame that was, and the 99th percentile of the steps' processor
// time: what the load does not inflate (much). Each runs
// as the first start on a machine (argument 0) and as a later one, warmed
// up with the draw-state file an earlier run of the same frames left
// (argument 1, which reports how many draw states the file held).
#include <benchmark/benchmark.h>

#include <time.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <vector>

#include "cabinet/QvtBTUtil.h"
#include "game/core/Game.h"
#include "platform/clock.h"
#include "platform/crt_rand.h"
#include "platform/frame_pacer.h"
#include "platform/gfx_draw_states.h"
#include "platform/window.h"
#include "tools/headless/HeadlessRun.h"

namespace {

constexpr int kFrames = 600;

int64_t ThreadCpuNs() {
  timespec ts;
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &ts);
  return int64_t(ts.tv_sec) * 1000000000 + ts.tv_nsec;
}

// Busy work standing in for a frame's logic and drawing.
void Work(int64_t ns) {
  int64_t end = plat::PerfCounter() + ns;
  while (plat::PerfCounter() < end) {
  }
}

void RunFrames(benchmark::State& state, plat::Window* window) {
  const double periodNs = double(plat::FramePacer::kFramePeriod) * 1e9;
  for (auto _ : state) {
    plat::FramePacer pacer;
    plat::SRand(1);
    std::vector<double> intervals;
    intervals.reserve(kFrames);
    int64_t waitCpu = 0, waitWall = 0;
    int64_t start = plat::PerfCounter();
    int64_t prev = 0;
    for (int f = 0; f <= kFrames; ++f) {
      Work(2000000 + int64_t(plat::Rand() % 6000) * 1000);  // 2 to 8 ms
      int64_t c0 = ThreadCpuNs(), w0 = plat::PerfCounter();
      pacer.Wait();
      waitCpu += ThreadCpuNs() - c0;
      waitWall += plat::PerfCounter() - w0;
      if (window) window->Swap();
      pacer.MarkPresent();
      int64_t now = plat::PerfCounter();
      if (f > 0) intervals.push_back(double(now - prev));
      prev = now;
    }
    int64_t total = plat::PerfCounter() - start;
    double sum = 0, worst = 0, absSum = 0;
    for (double v : intervals) {
      double d = v - periodNs;
      sum += d;
      absSum += std::fabs(d);
      worst = std::max(worst, std::fabs(d));
    }
    state.counters["mean_dev_ms"] = sum / intervals.size() / 1e6;
    state.counters["mean_abs_dev_ms"] = absSum / intervals.size() / 1e6;
    state.counters["worst_dev_ms"] = worst / 1e6;
    state.counters["wait_cpu_share_of_wait"] = waitWall ? double(waitCpu) / waitWall : 0.0;
    state.counters["wait_cpu_share_of_core"] = double(waitCpu) / total;
  }
}

void BM_PacerOnly(benchmark::State& state) { RunFrames(state, nullptr); }

void BM_PacedWindowSwap(benchmark::State& state) {
  setenv("SDL_VIDEODRIVER", "offscreen", 0);
  plat::Window window;
  plat::WindowDesc desc;
  if (!window.Create(desc)) {
    state.SkipWithError(window.LastError().c_str());
    return;
  }
  RunFrames(state, &window);
}

double LoadAverage() {
  double load = -1.0;
  if (FILE* f = std::fopen("/proc/loadavg", "r")) {
    if (std::fscanf(f, "%lf", &load) != 1) load = -1.0;
    std::fclose(f);
  }
  return load;
}

// Times `frames` steps of the run from step to step (plus the frames it
// runs first to reach the wanted start) and reports how late they were.
void TimeSteps(benchmark::State& state, headless::Run& run, int frames) {
  const double periodMs = double(plat::FramePacer::kFramePeriod) * 1e3;
  const double msPerTick = 1e3 / double(plat::PerfFrequency());
  std::vector<double> late, cpu;
  late.reserve(size_t(frames));
  cpu.reserve(size_t(frames));
  int worstFrame = -1, worstScene = -1, over2 = 0, costliestFrame = -1;
  double worst = -1e9, costliest = 0.0;
  const int64_t cpu0 = ThreadCpuNs(), start = plat::PerfCounter();
  int64_t prev = start;
  for (int f = 0; f < frames; ++f) {
    const int64_t c0 = ThreadCpuNs();
    if (!run.Step()) break;
    const double cpuMs = double(ThreadCpuNs() - c0) / 1e6;
    cpu.push_back(cpuMs);
    if (cpuMs > costliest) costliest = cpuMs, costliestFrame = f;
    const int64_t now = plat::PerfCounter();
    const double l = double(now - prev) * msPerTick - periodMs;
    prev = now;
    late.push_back(l);
    over2 += l > 2.0;
    if (l > worst) {
      worst = l, worstFrame = f;
      worstScene = Game::GetInstance() != nullptr ? Game::GetInstance()->GetSceneId() : -1;
    }
  }
  if (late.empty()) {
    state.SkipWithError("no frame ran");
    return;
  }
  const double total = double(plat::PerfCounter() - start) * msPerTick;
  std::vector<double> sorted = late;
  std::sort(sorted.begin(), sorted.end());
  double sum = 0;
  for (double v : late) sum += v;
  state.counters["mean_late_ms"] = sum / double(late.size());
  state.counters["p99_late_ms"] = sorted[sorted.size() * 99 / 100];
  state.counters["worst_late_ms"] = worst;
  state.counters["worst_frame"] = worstFrame;
  state.counters["worst_scene"] = worstScene;
  state.counters["frames_over_2ms_late"] = over2;
  state.counters["costliest_step_cpu_ms"] = costliest;
  std::sort(cpu.begin(), cpu.end());
  state.counters["p99_step_cpu_ms"] = cpu[cpu.size() * 99 / 100];
  state.counters["costliest_frame"] = costliestFrame;
  state.counters["main_thread_cpu_share_of_core"] = double(ThreadCpuNs() - cpu0) / 1e6 / total;
}

// The draw-state file a machine has after it ran `frames` steps of what
// `start` starts: what a later start of the same sequence warms up with.
template <typename Start>
std::vector<uint8_t> EarlierRun(int frames, Start start) {
  headless::Run run(false, true);
  if (!run.Ok() || !start(run)) return {};
  for (int f = 0; f < frames && run.Step(); ++f) {
  }
  return run.DrawStateFile();
}

// Argument 0: the first start on a machine (no draw-state file, so the
// driver compiles in the frames that first draw with a state); 1: a later
// start, with the file an earlier run of the same frames left.
void NoteDrawStates(benchmark::State& state, const std::vector<uint8_t>& file) {
  state.counters["draw_states_warmed"] = file.empty() ? 0.0 : double(file.size() - 16) / (plat::kDrawStateWords * 4);
}

// The engine itself: the start-up in a hidden window with the graphic
// manager holding the rate, 600 kernel steps timed from step to step (the
// loading screen, the notice, the logo).
void BM_EngineWindowedFrames(benchmark::State& state) {
  for (auto _ : state) {
    state.PauseTiming();
    const std::vector<uint8_t> file =
        state.range(0) ? EarlierRun(kFrames + 3, [](headless::Run&) { return true; }) : std::vector<uint8_t>{};
    NoteDrawStates(state, file);
    state.ResumeTiming();
    state.counters["load_average"] = LoadAverage();
    headless::Run run(false, true, file);
    if (!run.Ok()) {
      state.SkipWithError(run.Failure().c_str());
      break;
    }
    // The first step starts the processes; intervals are timed from the end
    // of a presented frame on.
    for (int i = 0; i < 3; ++i) run.Step();
    TimeSteps(state, run, kFrames);
  }
  QvtChannels::Default().Unlink();
}

// The same for the start of stage 1 under its recorded play: the stage's
// loading frame and the first 1,200 frames of play.
void BM_EngineWindowedPlay(benchmark::State& state) {
  for (auto _ : state) {
    state.PauseTiming();
    const std::vector<uint8_t> file =
        state.range(0) ? EarlierRun(2 * kFrames,
                                    [](headless::Run& r) { return r.ToQuietStart() && r.StartRecordedPlay(1) != 0; })
                       : std::vector<uint8_t>{};
    NoteDrawStates(state, file);
    state.ResumeTiming();
    state.counters["load_average"] = LoadAverage();
    headless::Run run(false, true, file);
    if (!run.Ok() || !run.ToQuietStart() || run.StartRecordedPlay(1) == 0) {
      state.SkipWithError("the recorded play did not start");
      break;
    }
    TimeSteps(state, run, 2 * kFrames);
  }
  QvtChannels::Default().Unlink();
}

}  // namespace

BENCHMARK(BM_EngineWindowedFrames)->Arg(0)->Arg(1)->Iterations(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_EngineWindowedPlay)->Arg(0)->Arg(1)->Iterations(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PacerOnly)->Iterations(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PacedWindowSwap)->Iterations(1)->Unit(benchmark::kMillisecond);
BENCHMARK_MAIN();
