// Plays one recorded play of the stand-in data on the whole program,
// headless on the null device, and prints a hash of the play state after
// every frame: "<frame> <hash>" (or, with --digest, one line with the frame
// count and a hash of all of them). Two runs, or two builds, that print the
// same lines played the same game; scripts/replay_check.sh compares them.
//
//   replaycheck [--digest] demo1|demo2|demo3|tutorial|stage1..stage5
//   replaycheck --help       prints the usage
//
// A demo runs as the attract sequence runs it, from its request until it
// has ended and saved its replay; so does the tutorial (in its attract
// form). A stage N play starts stage N with "common\PlayNN.rpd" driving the
// ship and ends with its last recorded frame, or when the stage scene gives
// way (cleared, or the last life lost). Exit status 0, or 1 with a line on
// standard error when the program could not start, the play never began or
// an error box appeared.
#include <cinttypes>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "game/core/Game.h"
#include "game/core/Replay.h"
#include "tools/common/Arguments.h"
#include "tools/headless/HeadlessRun.h"
#include "tools/headless/PlayState.h"

namespace {

// Frames a play may run past its replay's end, or, for the attract plays,
// in all (a demo plays 2,401 frames and fades; the tutorial about 3,000).
constexpr int kAttractLimit = 6000;
constexpr int kAfterReplay = 600;

constexpr char kUsage[] = "usage: replaycheck [--digest] demo1|demo2|demo3|tutorial|stage1..stage5\n";

}  // namespace

int main(int argc, char** argv) {
  bool digest = false;
  // One play's name: a second word, even after an empty first one, is a
  // usage error.
  std::string name;
  bool named = false;
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "--digest") == 0) {
      digest = true;
    } else if (tools::AsksForHelp(argv[i])) {
      return tools::ShowHelp(kUsage);
    } else if (!named) {
      name = argv[i];
      named = true;
    } else {
      return tools::UsageError(kUsage);
    }
  }
  int demo = 0, stage = 0;
  if (name.size() == 5 && name.compare(0, 4, "demo") == 0 && name[4] >= '1' && name[4] <= '3')
    demo = name[4] - '0';
  else if (name.size() == 6 && name.compare(0, 5, "stage") == 0 && name[5] >= '1' && name[5] <= '5')
    stage = name[5] - '0';
  else if (name != "tutorial")
    return tools::UsageError(kUsage);

  headless::Run run;
  if (!run.Ok()) {
    std::fprintf(stderr, "replaycheck: start-up failed: %s\n", run.Failure().c_str());
    return 1;
  }
  if (!run.ToQuietStart()) {
    std::fprintf(stderr, "replaycheck: the start-up never finished\n");
    return 1;
  }
  Game* g = Game::GetInstance();
  int limit = kAttractLimit;
  if (stage != 0) {
    const int frames = run.StartRecordedPlay(stage);
    if (frames == 0) {
      std::fprintf(stderr, "replaycheck: the recorded play of stage %d did not load\n", stage);
      return 1;
    }
    limit = frames + kAfterReplay;
  } else if (demo != 0) {
    g->ChangeScene(SCENE_STAGE, 100 + demo);
  } else {
    g->ChangeScene(SCENE_TUTORIAL, 0);
  }

  std::vector<uint64_t> hashes;
  bool began = stage != 0, inStage = false;
  for (int i = 0; i < limit && run.Step(); ++i) {
    hashes.push_back(headless::PlayStateHash());
    if (!digest) std::printf("%d %016" PRIx64 "\n", i, hashes.back());
    if (stage != 0) {
      // Over once the last recorded frame has driven the ship, or the stage
      // scene has given way.
      inStage = inStage || g->GetSceneId() == SCENE_STAGE;
      if (g_Replay.GetCursor() >= static_cast<int32_t>(g_Replay.Data().size())) break;
      if (inStage && g->GetSceneId() != SCENE_STAGE) break;
    } else {
      // Over once the demo or tutorial has ended its playback.
      if (g_Replay.GetMode() == Replay::MODE_PLAY) began = true;
      if (began && g_Replay.GetMode() == Replay::MODE_OFF) break;
    }
  }
  if (digest) {
    uint64_t h = 14695981039346656037ull;
    for (uint64_t v : hashes)
      for (int b = 0; b < 8; ++b) h = (h ^ ((v >> (8 * b)) & 0xFF)) * 1099511628211ull;
    std::printf("%s %zu frames %016" PRIx64 "\n", name.c_str(), hashes.size(), h);
  }
  if (!began) {
    std::fprintf(stderr, "replaycheck: %s never began its playback\n", name.c_str());
    return 1;
  }
  if (!run.Errors().empty()) {
    std::fprintf(stderr, "replaycheck: %zu error line(s) during %s\n", run.Errors().size(), name.c_str());
    return 1;
  }
  return 0;
}
