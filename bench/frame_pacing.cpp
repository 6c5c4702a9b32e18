// Frame-pacing accuracy of the windowed frame hold: 600 frames paced by
// plat::FramePacer, each with some simulated frame work, and (second case) a
// real buffer swap of a GL window. Reports the mean and the worst deviation
// of the present-to-present interval from the frame period, and the CPU time
// spent inside the wait as a share of one core.
#include <benchmark/benchmark.h>

#include <time.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <vector>

#include "platform/clock.h"
#include "platform/crt_rand.h"
#include "platform/frame_pacer.h"
#include "platform/window.h"
#include "cabinet/QvtBTUtil.h"
#include "game/core/WinMain.h"
#include "platform/paths.h"

#include <stdlib.h>
#include <filesystem>

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
  const double periodNs = plat::FramePacer::kFramePeriod * 1e9;
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
      int64_t now = plat::PerfCounter();
      pacer.MarkPresentAt(now);
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

// The engine itself: the start-up in a hidden window with the graphic
// manager holding the rate, 600 kernel steps timed from step to step.
void BM_EngineWindowedFrames(benchmark::State& state) {
  setenv("SDL_VIDEODRIVER", "offscreen", 0);
  setenv("SDL_AUDIODRIVER", "dummy", 0);
  std::string tmpl = (std::filesystem::temp_directory_path() / "ostrel-bench-XXXXXX").string();
  if (!mkdtemp(tmpl.data())) {
    state.SkipWithError("no temporary directory");
    return;
  }
  plat::SetSaveDir(tmpl);
  const double periodNs = plat::FramePacer::kFramePeriod * 1e9;
  for (auto _ : state) {
    Application app;
    const char* argv[] = {"ostrel", "-fullscreen", "0"};
    StartOptions opt;
    opt.hiddenWindow = true;
    if (app.Start(3, argv, opt) != 0) {
      state.SkipWithError(app.Failure().c_str());
      break;
    }
    // The first step starts the processes; intervals are timed from the end
    // of a presented frame on.
    for (int i = 0; i < 3; ++i) app.Step();
    std::vector<double> intervals;
    int64_t cpu0 = ThreadCpuNs(), start = plat::PerfCounter(), prev = start;
    for (int f = 0; f < kFrames; ++f) {
      app.Step();
      int64_t now = plat::PerfCounter();
      intervals.push_back(double(now - prev));
      prev = now;
    }
    int64_t cpu = ThreadCpuNs() - cpu0, total = plat::PerfCounter() - start;
    app.Shutdown();
    double sum = 0, worst = 0;
    for (double v : intervals) {
      sum += v - periodNs;
      worst = std::max(worst, std::fabs(v - periodNs));
    }
    state.counters["mean_dev_ms"] = sum / intervals.size() / 1e6;
    state.counters["worst_dev_ms"] = worst / 1e6;
    state.counters["main_thread_cpu_share_of_core"] = double(cpu) / total;
  }
  QvtChannels::Default().Unlink();
  plat::SetSaveDir("");
  std::error_code ec;
  std::filesystem::remove_all(tmpl, ec);
}

}  // namespace

BENCHMARK(BM_EngineWindowedFrames)->Iterations(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PacerOnly)->Iterations(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PacedWindowSwap)->Iterations(1)->Unit(benchmark::kMillisecond);
BENCHMARK_MAIN();
