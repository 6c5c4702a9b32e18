#include "tools/damagecheck/Runner.h"

#include <sys/inotify.h>
#include <sys/resource.h>
#include <time.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <map>
#include <memory>
#include <set>

#include "game/core/Game.h"
#include "game/core/Replay.h"
#include "game/scene/AttractScene.h"
#include "platform/paths.h"
#include "tools/headless/HeadlessRun.h"
#include "vrax/io/LoadBudget.h"

namespace damagecheck {

namespace {

namespace fs = std::filesystem;

// Longer than any attract scene shows (the tutorial about 3,000 frames).
constexpr int64_t kStallFrames = 6000;
// An attract stretch that has not come back to the logo by then never will.
constexpr int64_t kAttractLimit = 20000;
// Frames a stage play runs past its recording (the stage result and what
// follows it), or in all when its recording did not load.
constexpr int64_t kAfterPlay = 3000;
constexpr int64_t kPlayWithoutRecording = 6000;

const char* const kScenarios[] = {"opening", "demo1", "demo2", "demo3", "stage4", "stage5", nullptr};

// The attract counter that makes the first logo lead to the scenario's
// scene: odd values after the logo show the opening, 2, 4 and 0 the demo
// plays of stages 1, 2 and 3.
int32_t CounterFor(const std::string& scenario) {
  if (scenario == "demo1") return 1;
  if (scenario == "demo2") return 3;
  if (scenario == "demo3") return 5;
  return 0;
}

// The data files the program opens, through inotify on every directory of
// the tree.
class OpenWatch {
 public:
  explicit OpenWatch(const std::string& root) : root_(root) {
    fd_ = inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
    if (fd_ < 0) return;
    Add(root_);
    std::error_code ec;
    for (auto it = fs::recursive_directory_iterator(root_, ec); !ec && it != fs::recursive_directory_iterator();
         it.increment(ec))
      if (it->is_directory(ec)) Add(it->path().string());
  }
  ~OpenWatch() {
    if (fd_ >= 0) close(fd_);
  }
  // Prints the files opened since the last call for the first time.
  void Drain(int64_t frame) {
    if (fd_ < 0) return;
    alignas(inotify_event) char buf[16384];
    for (;;) {
      const ssize_t n = read(fd_, buf, sizeof buf);
      if (n <= 0) return;
      for (ssize_t at = 0; at < n;) {
        const auto* e = reinterpret_cast<const inotify_event*>(buf + at);
        at += ssize_t(sizeof(inotify_event) + e->len);
        if (e->len == 0 || (e->mask & IN_ISDIR) != 0) continue;
        const auto dir = dirs_.find(e->wd);
        if (dir == dirs_.end()) continue;
        const std::string path = dir->second.empty() ? e->name : dir->second + "/" + e->name;
        if (seen_.insert(path).second) std::printf("read %lld %s\n", static_cast<long long>(frame), path.c_str());
      }
    }
  }

 private:
  void Add(const std::string& dir) {
    const int wd = inotify_add_watch(fd_, dir.c_str(), IN_OPEN);
    if (wd < 0) return;
    std::error_code ec;
    std::string rel = fs::relative(dir, root_, ec).generic_string();
    if (rel == ".") rel.clear();
    dirs_[wd] = rel;
  }

  std::string root_;
  int fd_ = -1;
  std::map<int, std::string> dirs_;
  std::set<std::string> seen_;
};

// The slowest frame so far: the wall time of one step, the processor time
// the frame's thread spent in it (what a loaded machine does not inflate)
// and which frame it was.
struct Slowest {
  double ms = 0.0;
  double cpuMs = 0.0;
  int64_t frame = 0;
};

double ThreadCpuMs() {
  timespec t{};
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
  return double(t.tv_sec) * 1e3 + double(t.tv_nsec) / 1e6;
}

void PrintTimes(int64_t frame, const Slowest& slowest) {
  rusage u{};
  getrusage(RUSAGE_SELF, &u);
  std::printf("times %lld slowest frame %lld took %.1f ms (%.1f ms of processor time); "
              "resident memory at most %.1f MiB; loads held at most %llu bytes\n",
              static_cast<long long>(frame), static_cast<long long>(slowest.frame), slowest.ms, slowest.cpuMs,
              double(u.ru_maxrss) / 1024.0, static_cast<unsigned long long>(LoadedTotal().Most()));
}

int End(int64_t frame, const char* reason, int status, const Slowest* slowest = nullptr) {
  if (slowest != nullptr) PrintTimes(frame, *slowest);
  std::printf("end %lld %s\n", static_cast<long long>(frame), reason);
  std::fflush(stdout);
  return status;
}

}  // namespace

const char* const* Scenarios() { return kScenarios; }

bool IsScenario(const std::string& name) {
  for (const char* const* s = kScenarios; *s != nullptr; ++s)
    if (name == *s) return true;
  return false;
}

// A run may play any stage's recording.
bool IsRunScenario(const std::string& name) {
  return IsScenario(name) || (name.size() == 6 && name.compare(0, 5, "stage") == 0 && name[5] >= '1' && name[5] <= '3');
}

int RunScenario(const RunOptions& o) {
  if (!IsRunScenario(o.scenario)) return End(0, "no such scenario", 2);
  plat::SetDataDir(o.dataDir);
  const bool attract = o.scenario.compare(0, 5, "stage") != 0;
  AttractCounter = CounterFor(o.scenario);
  std::unique_ptr<OpenWatch> watch;
  if (o.watch) watch = std::make_unique<OpenWatch>(o.dataDir);
  headless::Run run;
  if (!run.Ok()) return End(0, ("start-up failed: " + run.Failure()).c_str(), 1);
  Game* g = Game::GetInstance();

  int64_t limit = kAttractLimit;
  size_t errorsShown = 0;
  int64_t firstError = -1;
  auto showErrors = [&](int64_t f) {
    for (; errorsShown < run.Errors().size(); ++errorsShown) {
      std::string line = run.Errors()[errorsShown];
      while (!line.empty() && (line.back() == '\n' || line.back() == '\r')) line.pop_back();
      std::printf("error %lld %s\n", static_cast<long long>(f), line.c_str());
      if (firstError < 0) firstError = f;
    }
    if (watch) watch->Drain(f);
    std::fflush(stdout);
  };

  if (!attract) {
    if (!run.ToQuietStart()) return End(run.Frames(), "the start-up never finished", 1);
    showErrors(run.Frames());
    const int stage = o.scenario[5] - '0';
    const int frames = run.StartRecordedPlay(stage);
    if (frames == 0) {
      // The recording did not load: the stage is played without it.
      g->ChangeScene(SCENE_STAGE, stage);
      limit = run.Frames() + kPlayWithoutRecording;
    } else {
      limit = run.Frames() + frames + kAfterPlay;
    }
  }

  int32_t scene = -1;
  int64_t sceneSince = 0;
  int logos = 0;
  Slowest slowest;
  const Slowest* times = o.times ? &slowest : nullptr;
  for (;;) {
    const auto before = std::chrono::steady_clock::now();
    const double cpuBefore = ThreadCpuMs();
    const bool stepped = run.Step();
    const double ms = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - before).count();
    if (ms > slowest.ms) slowest = {ms, ThreadCpuMs() - cpuBefore, run.Frames()};
    if (!stepped) return End(run.Frames(), "the program quit", 1, times);
    const int64_t f = run.Frames();
    showErrors(f);
    if (o.margin > 0 && firstError >= 0 && f - firstError >= o.margin)
      return End(f, "margin after the first error", 0, times);
    const int32_t id = g->GetSceneId() == SCENE_STAGE ? 1000 + g->GetCurrentRequest().a1 : g->GetSceneId();
    if (id != scene) {
      if (o.watch) std::printf("scene %lld %d\n", static_cast<long long>(f), id);
      scene = id;
      sceneSince = f;
      // The stretch ends where the second logo starts: the first chose the
      // scenario's scene.
      if (attract && id == SCENE_LOGO && ++logos == 2 && o.frames <= 0) return End(f, "back at the logo", 0, times);
    } else if (attract && f - sceneSince > kStallFrames) {
      return End(f, "a scene stayed on too long", 1, times);
    }
    if (o.frames > 0 && f >= o.frames) return End(f, "all frames run", 0, times);
    if (o.frames <= 0 && f >= limit) {
      if (attract) return End(f, "the attract sequence never came back to the logo", 1, times);
      return End(f, "the play is over", 0, times);
    }
  }
}

}  // namespace damagecheck
