// The attract sequence left alone for a long time, headless on the null
// device and unpaced: the program must go round its scenes again and again,
// show no error line and hold its memory.
//
//   soak [--frames N] [--long]
//   soak --help              prints the usage
//
// Runs 216,000 frames (an hour at 60 frames a second), 432,000 with --long,
// or N (a whole number from 40,853, the frames to the end of the first round
// of the attract sequence, to 216,000,000; anything else is a usage error,
// status 2). Every 10,000 frames it prints the resident memory, and at the end
// of each round of the attract sequence the most it reached in the round.
// It fails (exit 1, the reason on standard error) when the program stops,
// an error box appears, a scene stays on for more than kStallFrames, a
// round misses one of its scenes, the resident memory (read every
// kReadFrames frames: each scene holds its own resources, so only readings
// from every scene compare) goes past the most it reached in the first
// round, the heap in use where a round ends (the same point of the
// sequence each time) grows past kHeapSlack over its value after the
// first round, or what is charged to the shared total of loads
// (LoadedTotal()) there grows at all: a charge that outlived its file or
// resource. Each round's line tells the most that total held at once in
// the round (the first round's from the start).
#include <malloc.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <set>

#include "game/core/Game.h"
#include "game/scene/AttractScene.h"
#include "tools/common/Arguments.h"
#include "tools/common/WholeNumber.h"
#include "tools/headless/HeadlessRun.h"
#include "vrax/io/LoadBudget.h"

namespace {

constexpr char kUsage[] =
    "usage: soak [--frames N] [--long]  (N from 40853, one round of the attract sequence, to 216000000)\n";

constexpr int64_t kHour = 216000;
constexpr int64_t kSampleFrames = 10000;
constexpr int64_t kReadFrames = 100;
// Longer than any attract scene shows (the tutorial about 3,000 frames).
constexpr int64_t kStallFrames = 6000;
// Allocator noise the memory may show after the first round: pages of a
// heap that is reused, not grown. A scene's load reaches a short peak (its
// archive and files in memory at once) that lands a MiB or so higher in one
// round than in another with the allocator's layout; a real leak shows first
// in the heap in use (below), which is checked far more tightly.
constexpr double kSlackMiB = 4.0;
// Pools that still hand out a cell for the first time; a leak of one
// allocation per scene passes it within a few rounds.
constexpr size_t kHeapSlack = 64 * 1024;

// What a round shows (a stage by its request's number).
const std::set<int32_t> kRoundScenes = {SCENE_LOGO,     SCENE_OPENING,   SCENE_TITLE,     SCENE_RANKING,
                                        SCENE_TUTORIAL, 1000 + 101,      1000 + 102,      1000 + 103};

double ResidentMiB() {
  std::ifstream statm("/proc/self/statm");
  long pages = 0, resident = 0;
  statm >> pages >> resident;
  return double(resident) * double(sysconf(_SC_PAGESIZE)) / (1024.0 * 1024.0);
}

// A frame count as --frames takes it: a whole number from kRoundFrames, the
// frame where the first round ends (the run's checks need one round), to
// kMaxFrames.
constexpr int64_t kRoundFrames = 40853;
constexpr int64_t kMaxFrames = int64_t{1000} * kHour;
bool ParseFrames(const char* text, int64_t* frames) {
  return tools::ParseWholeNumber(text, kRoundFrames, kMaxFrames, frames);
}

int Fail(const char* what, int64_t frame) {
  std::fprintf(stderr, "soak: FAILED at frame %lld: %s\n", static_cast<long long>(frame), what);
  return 1;
}

}  // namespace

int main(int argc, char** argv) {
  int64_t frames = kHour;
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "--long") == 0) {
      frames = 2 * kHour;
    } else if (std::strcmp(argv[i], "--frames") == 0 && i + 1 < argc && ParseFrames(argv[i + 1], &frames)) {
      ++i;
    } else if (tools::AsksForHelp(argv[i])) {
      return tools::ShowHelp(kUsage);
    } else {
      return tools::UsageError(kUsage);
    }
  }
  // The attract counter starts the round at the logo that shows the opening.
  AttractCounter = 0;
  headless::Run run;
  if (!run.Ok()) {
    std::fprintf(stderr, "soak: start-up failed: %s\n", run.Failure().c_str());
    return 1;
  }
  Game* g = Game::GetInstance();
  int32_t scene = 0;
  int64_t sceneSince = 0;
  std::set<int32_t> seen;
  int rounds = 0;
  bool inRound = false;
  // The most resident memory of the first round, of the round running, of
  // the whole run; the heap in use where the first round ended.
  double baseline = 0.0, roundPeak = 0.0, runPeak = 0.0;
  size_t heapBaseline = 0;
  // What the shared total of loads held where the first round ended.
  uint64_t loadedBaseline = 0;
  for (int64_t f = 1; f <= frames; ++f) {
    if (!run.Step()) return Fail("the program quit", f);
    if (!run.Errors().empty()) return Fail(run.Errors().front().c_str(), f);
    const int32_t id = g->GetSceneId() == SCENE_STAGE ? 1000 + g->GetCurrentRequest().a1 : g->GetSceneId();
    if (id != scene) {
      // A round runs from the logo that chooses the opening to the next.
      if (id == SCENE_LOGO && AttractCounter == 0) {
        if (inRound) {
          for (int32_t want : kRoundScenes)
            if (seen.count(want) == 0) return Fail("a round of the attract sequence missed a scene", f);
          ++rounds;
          const size_t heap = mallinfo2().uordblks;
          const uint64_t loaded = LoadedTotal().Used();
          if (rounds == 1) baseline = roundPeak, heapBaseline = heap, loadedBaseline = loaded;
          std::printf("round %d over at frame %lld, resident %.1f MiB at most, heap in use %.1f KiB, "
                      "loaded %llu bytes at most\n",
                      rounds, static_cast<long long>(f), roundPeak, double(heap) / 1024.0,
                      static_cast<unsigned long long>(LoadedTotal().Most()));
          if (heap > heapBaseline + kHeapSlack) return Fail("the heap in use grew from round to round", f);
          if (loaded > loadedBaseline) return Fail("what the loads hold grew from round to round", f);
          LoadedTotal().ResetMost();
          roundPeak = 0.0;
        }
        inRound = true;
        seen.clear();
      }
      scene = id;
      sceneSince = f;
      seen.insert(id);
    } else if (f - sceneSince > kStallFrames) {
      return Fail("a scene stayed on too long", f);
    }
    if (f % kReadFrames == 0) {
      const double rss = ResidentMiB();
      roundPeak = std::max(roundPeak, rss);
      runPeak = std::max(runPeak, rss);
      if (f % kSampleFrames == 0) {
        std::printf("frame %7lld  resident %7.1f MiB  rounds %d\n", static_cast<long long>(f), rss, rounds);
        std::fflush(stdout);
      }
      if (rounds >= 1 && rss > baseline + kSlackMiB) return Fail("the resident memory grew", f);
    }
  }
  if (rounds < 1) return Fail("not one round of the attract sequence was completed", frames);
  std::printf("soak: ok, %lld frames, %d rounds, resident memory at most %.1f MiB (%.1f MiB in the first round)\n",
              static_cast<long long>(frames), rounds, runPeak, baseline);
  return 0;
}
