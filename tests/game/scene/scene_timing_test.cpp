// The timed steps of the scenes around a play, one table per scene: each
// fade's first frame and length, the frame a press starts to count, the
// frames on which a number, a row or a sound changes, and the frame the
// scene ends. Every step is checked in its frame and in the frame before
// (frame 1 is the first frame of the state named), so a step one frame
// early or late fails.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "SceneRig.h"
#include "game/core/CoinCounter.h"
#include "game/core/RankTable.h"
#include "game/player/ChainCounter.h"
#include "game/scene/CommonTables.h"
#include "game/scene/Continue.h"
#include "game/scene/ContinuePrompt.h"
#include "game/scene/Ending1.h"
#include "game/scene/Ending2.h"
#include "game/scene/Entry.h"
#include "game/scene/Ranking.h"
#include "game/scene/StageResult.h"
#include "platform/sound_device.h"
#include "support/SoundProbe.h"
#include "support/Timeline.h"

namespace {

using scene_rig::CabInput;
using scene_rig::SceneRig;
using testsupport::FadeReaches;
using testsupport::FadeStarts;
using testsupport::Flagged;
using testsupport::Sample;
using testsupport::StateIs;
using testsupport::TimedStep;
using testsupport::Timeline;
using testsupport::ValueIs;

// A sample's value k below v.
testsupport::Seen ValueBelow(int k, float v) {
  return [=](const Timeline& t, size_t i) { return t[i].v[size_t(k)] < v; };
}

// One scene run frame by frame: after every frame a sample of the scene's
// state (-1 while no process of its name runs), the fade and the values
// `look` reads. The sounds listed are rearmed before every frame, so that
// `look` can tell which of them started in it.
class SceneRun {
 public:
  using Look = std::function<void(SceneProc*, Sample&)>;
  SceneRun(SceneRig& rig, std::string name, Look look, std::vector<std::pair<SRsc*, int32_t>> sounds = {})
      : rig_(rig), name_(std::move(name)), look_(std::move(look)), sounds_(std::move(sounds)) {}

  SceneProc* Scene() const { return dynamic_cast<SceneProc*>(rig_.G()->FindInList(name_, GAME_LIST_SCENE)); }
  int32_t State() const {
    SceneProc* s = Scene();
    return s != nullptr ? s->GetSceneState() : -1;
  }
  // The scene requested; its first frames are sampled too.
  void Request(int32_t id, int32_t a1 = 0) { rig_.G()->ChangeScene(id, a1); }
  void Frame(const scene_rig::Inputs& held = {}) {
    for (const auto& [bank, n] : sounds_) testsupport::RearmSound(bank, n);
    rig_.Frame(held);
    Sample s;
    s.fade = rig_.G()->GetFadeLevel();
    s.fadeLayer = rig_.G()->GetFadeLayer();
    if (SceneProc* p = Scene()) {
      s.state = p->GetSceneState();
      look_(p, s);
    }
    t.Add(s);
  }
  void Frames(int n) {
    for (int i = 0; i < n; ++i) Frame();
  }
  // Frames until the scene is in `state` (or has ended, state -1, once it ran).
  bool RunTo(int32_t state, int limit) {
    bool ran = false;
    for (int i = 0; i < limit; ++i) {
      Frame();
      ran = ran || State() != -1;
      if (State() == state && (state != -1 || ran)) return true;
    }
    ADD_FAILURE() << name_ << " never reached state " << state;
    return false;
  }
  // Runs to the frame before frame k of `state` (its first frame is 1):
  // the next Frame is frame k.
  bool RunToFrameBefore(int32_t state, int32_t k, int limit) {
    if (!RunTo(state, limit)) return false;
    for (int32_t f = 1; f < k - 1; ++f) Frame();
    return State() == state || k == 1;
  }

  Timeline t;

 private:
  SceneRig& rig_;
  std::string name_;
  Look look_;
  std::vector<std::pair<SRsc*, int32_t>> sounds_;
};

TEST(SceneTiming, ContinueScene) {
  SRsc* se = nullptr;
  auto look = [&](SceneProc* p, Sample& s) {
    auto* c = static_cast<Continue*>(p);
    s.v = {float(c->GetCountdown()), float(testsupport::SoundPlayed(se, 12)), float(testsupport::SoundPlayed(se, 13)),
           c->GameOverQuad().GetVertexPos(0).z};
  };
  {
    SCOPED_TRACE("left alone");
    SceneRig rig;
    ASSERT_TRUE(rig.Ok());
    ResetRankTable();
    rig.G()->stage = 3;
    se = testsupport::EffectBank();
    SceneRun run(rig, "Continue", look, {{se, 12}, {se, 13}});
    run.Request(SCENE_CONTINUE);
    ASSERT_TRUE(run.RunTo(-1, 3000));
    const int32_t count = Continue::STATE_COUNTDOWN, over = Continue::STATE_GAME_OVER;
    testsupport::ExpectSteps(run.t, {
        // The count shows 20 at its first frame and one less every 120
        // frames (frame f runs with the counter at f - 1), with sound 12
        // from 19 down; after 0 (frame 2,401) it goes below 0 at frame
        // 2,521 and GAME OVER follows in the next frame.
        {"fade from black over 30 frames", count, 1, FadeStarts(1.0f, 30)},
        {"clear", count, 30, FadeReaches(1.0f)},
        {"the count shows 19", count, 121, ValueIs(0, 19)},
        {"sound 12 with 19", count, 121, Flagged(1)},
        {"the count shows 0", count, 2401, ValueIs(0, 0)},
        {"GAME OVER", count, 2522, StateIs(over)},
        // GAME OVER: sound 13 at its counter 35; the quad comes from depth
        // -500 to 0 by counter 40; to black over 30 frames from counter
        // 240; the end at counter 270.
        {"sound 13", over, 36, Flagged(2)},
        {"GAME OVER on the screen", over, 41, ValueIs(3, 0.0f)},
        {"fade to black over 30 frames", over, 241, FadeStarts(0.0f, 30)},
        {"black", over, 270, FadeReaches(0.0f)},
        {"the scene ends", over, 271, StateIs(-1)},
    });
  }
  {
    SCOPED_TRACE("continued");
    SceneRig rig;
    ASSERT_TRUE(rig.Ok());
    rig.G()->stage = 3;
    se = testsupport::EffectBank();
    SceneRun run(rig, "Continue", look);
    run.Request(SCENE_CONTINUE);
    ASSERT_TRUE(run.RunToFrameBefore(Continue::STATE_COUNTDOWN, 40, 10));
    rig.GiveCredits(1);
    run.Frame({CabInput::kStart});
    ASSERT_TRUE(run.RunTo(-1, 100));
    const int32_t on = Continue::STATE_CONTINUE;
    testsupport::ExpectSteps(run.t, {
        {"the continue follows the start", Continue::STATE_COUNTDOWN, 41, StateIs(on)},
        {"fade to black over 30 frames", on, 1, FadeStarts(0.0f, 30)},
        {"black", on, 30, FadeReaches(0.0f)},
        // Counter above 30: its 32nd frame.
        {"the scene ends", on, 32, StateIs(-1)},
    });
  }
  PendingRankEntry = RankEntry{};
}

// The prompt runs in its drawing, one count a frame from count 1: its phase
// stands for the state (the count is 0 in the frame GAME OVER begins).
TEST(SceneTiming, ContinuePrompt) {
  {
    SceneRig rig;
    ASSERT_TRUE(rig.Ok());
    SRsc* se = testsupport::EffectBank();
    ContinuePromptAnswer = -1;
    auto* p = new ContinuePrompt();
    rig.G()->AddChild(GAME_LIST_SCENE, p, 0);
    rig.Frame();  // added: it runs from the next frame on
    Timeline t;
    for (int i = 0; i < 1600 && rig.G()->FindInList("ContinuePrompt", GAME_LIST_SCENE) != nullptr; ++i) {
      testsupport::RearmSound(se, 7);
      rig.Frame();
      Sample s;
      s.state = rig.G()->FindInList("ContinuePrompt", GAME_LIST_SCENE) != nullptr ? p->GetPhase() : -1;
      if (s.state != -1) s.v = {float(p->GetCount()), float(p->GetShown()), float(testsupport::SoundPlayed(se, 7))};
      s.v[3] = float(ContinuePromptAnswer);  // set in the frame the prompt ends
      t.Add(s);
    }
    const int32_t count = ContinuePrompt::PHASE_COUNTDOWN, over = ContinuePrompt::PHASE_GAME_OVER;
    testsupport::ExpectSteps(t, {
        // 21 - 21 count / 1260, truncated: 20 up to count 60, 19 from 61.
        {"19 shows", count, 61, ValueIs(1, 19)},
        {"sound 7 at count 61 (mod 60 is 1)", count, 61, Flagged(2)},
        {"GAME OVER at count 1260", count, 1260, StateIs(over)},
        {"the answer no after 240 frames of GAME OVER", over, 241, ValueIs(3, -1)},
        {"the prompt ends with it", over, 241, StateIs(-1)},
    });
  }
  // A press is seen in the frame after its own: presses count from count
  // 180 on, and a press at 180 jumps to the next whole second, 240.
  for (const auto& [at, after] : {std::pair{179, 179}, std::pair{180, 240}}) {
    SCOPED_TRACE(at);
    SceneRig r;
    ASSERT_TRUE(r.Ok());
    ContinuePromptAnswer = -1;
    auto* q = new ContinuePrompt();
    r.G()->AddChild(GAME_LIST_SCENE, q, 0);
    while (q->GetCount() < at - 2) r.Frame();
    r.Frame({CabInput::kButton1});
    r.Frame();
    EXPECT_EQ(q->GetCount(), after);
  }
  ContinuePromptAnswer = -1;
}

// A play of 50,000,000 points, place 13 of the defaults.
void PendingPlay() {
  ResetRankTable();
  PendingRankEntry = RankEntry{};
  PendingRankEntry.word[1] = 50000000;
  PendingRankEntry.word[2] = 4;
}

TEST(SceneTiming, NameEntry) {
  SRsc* se = nullptr;
  auto look = [&](SceneProc* p, Sample& s) {
    auto* e = static_cast<Entry*>(p);
    s.v = {float(e->GetTimer()), float(e->NameLine().GlyphCount()), float(testsupport::SoundPlayed(se, 44)), 0.0f};
  };
  const int32_t name = Entry::STATE_NAME, done = Entry::STATE_CONFIRMED, saving = Entry::STATE_SAVING;
  {
    SCOPED_TRACE("left alone");
    SceneRig rig;
    ASSERT_TRUE(rig.Ok());
    PendingPlay();
    se = testsupport::EffectBank();
    SceneRun run(rig, "Entry", look, {{se, 44}});
    run.Request(SCENE_ENTRY);
    ASSERT_TRUE(run.RunTo(-1, 3000));
    testsupport::ExpectSteps(run.t, {
        {"fade from black over 30 frames", name, 1, FadeStarts(1.0f, 30)},
        {"clear", name, 30, FadeReaches(1.0f)},
        // 31 seconds, one off at counters 0, 60, ...: 30 at first, 29 from
        // frame 61; at counter 1,860 the time is up.
        {"29 seconds left", name, 61, ValueIs(0, 29)},
        // The letter is drawn while the counter (counted before the name
        // is printed) mod 40 is below 30: with its underline 2 glyphs,
        // without it 1.
        {"the letter blinks off", name, 30, ValueIs(1, 1)},
        {"the letter blinks on", name, 40, ValueIs(1, 2)},
        {"time up: the name is confirmed", name, 1862, StateIs(done)},
        {"sound 44 with the confirmation", done, 1, Flagged(2)},
        {"left alone, on after 420 frames", done, 422, StateIs(saving)},
        {"fade to black over 60 frames", saving, 1, FadeStarts(0.0f, 60)},
        {"black", saving, 60, FadeReaches(0.0f)},
        // Counter above 60: its 62nd frame.
        {"the scene ends", saving, 62, StateIs(-1)},
    });
  }
  // Button 1 counts from counter 180 of the confirmation: its 181st frame.
  for (const auto& [k, takes] : {std::pair{180, false}, std::pair{181, true}}) {
    SCOPED_TRACE(k);
    SceneRig rig;
    ASSERT_TRUE(rig.Ok());
    PendingPlay();
    se = testsupport::EffectBank();
    SceneRun run(rig, "Entry", look);
    run.Request(SCENE_ENTRY);
    ASSERT_TRUE(run.RunTo(name, 10));
    // "A": the first letter chosen, then the end mark on the second slot.
    run.Frame({CabInput::kButton1});
    run.Frame();
    run.Frame({CabInput::kLeft});
    run.Frame();
    run.Frame({CabInput::kButton1});
    ASSERT_TRUE(run.RunToFrameBefore(done, k, 5));
    run.Frame({CabInput::kButton1});
    run.Frame();
    EXPECT_EQ(run.State(), takes ? saving : done);
  }
  ResetRankTable();
  PendingRankEntry = RankEntry{};
}

TEST(SceneTiming, Ranking) {
  SceneRig rig;
  ASSERT_TRUE(rig.Ok());
  ResetRankTable();
  PendingRankEntry = RankEntry{};
  SceneRun run(rig, "Ranking", [](SceneProc* p, Sample& s) {
    auto* r = static_cast<Ranking*>(p);
    s.v = {float(r->GetRow(23).rowState), float(r->GetRow(24).rowState), r->GetRow(24).alpha,
           float(r->GetRow(0).rowState)};
  });
  run.Request(SCENE_RANKING);
  ASSERT_TRUE(run.RunTo(-1, 2000));
  const int32_t rows = Ranking::STATE_ROWS, closing = Ranking::STATE_CLOSING;
  testsupport::ExpectSteps(run.t, {
      {"fade from black over 60 frames", rows, 1, FadeStarts(1.0f, 60)},
      {"clear", rows, 60, FadeReaches(1.0f)},
      // Place 25 slides in at once over 20 frames (t = 0.05 a frame from
      // 0), then scrolls from y -236 by 716/1225 a frame: at y 285 or more
      // (its 893rd step of scrolling) it fades, and after 1,225 it stops.
      {"place 25 scrolls", rows, 21, ValueIs(1, Ranking::ROW_SCROLLING)},
      {"place 25 fades", rows, 914, ValueBelow(2, 1.0f)},
      {"place 25 is done", rows, 1247, ValueIs(1, Ranking::ROW_DONE)},
      // One place every 62 frames: place 24 at counter 62, place 1 at 24 x
      // 62; the rows stop 21 frames after place 1.
      {"place 24 slides in", rows, 63, ValueIs(0, Ranking::ROW_SLIDING)},
      {"place 1 slides in", rows, 1489, ValueIs(3, Ranking::ROW_SLIDING)},
      {"the rows stop", rows, 1511, StateIs(closing)},
      {"fade to black over 60 frames", closing, 301, FadeStarts(0.0f, 60)},
      {"black", closing, 360, FadeReaches(0.0f)},
      {"the scene ends", closing, 361, StateIs(-1)},
  });
}

TEST(SceneTiming, StageResult) {
  SRsc* se = nullptr;
  auto look = [&](SceneProc* p, Sample& s) {
    s.v = {float(static_cast<StageResult*>(p)->GetRow()), float(testsupport::SoundPlayed(se, 19)), 0.0f, 0.0f};
  };
  const int32_t tally = StageResult::STATE_TALLY, wait = StageResult::STATE_WAIT, fade = StageResult::STATE_FADE;
  auto start = [](SceneRig& rig) {
    rig.G()->stage = 1;
    rig.G()->settings[SettingsWord::extendRow] = 0;
  };
  {
    SCOPED_TRACE("left alone");
    SceneRig rig;
    ASSERT_TRUE(rig.Ok());
    start(rig);
    se = testsupport::EffectBank();
    SceneRun run(rig, "StageResult", look, {{se, 19}});
    run.Request(SCENE_STAGE_RESULT);
    ASSERT_TRUE(run.RunTo(-1, 1000));
    testsupport::ExpectSteps(run.t, {
        {"fade from black over 60 frames", tally, 1, FadeStarts(1.0f, 60)},
        {"clear", tally, 60, FadeReaches(1.0f)},
        // A row moves while count / 30 is at most 1: 31 frames, done on
        // its 32nd; the next row starts with sound 19.
        {"row 0 done", tally, 32, ValueIs(0, 1)},
        {"sound 19 for row 1", tally, 33, Flagged(1)},
        {"all seven rows in: the wait", tally, 225, StateIs(wait)},
        // Count 240: the 241st frame of the wait.
        {"fade to black over 60 frames", wait, 241, FadeStarts(0.0f, 60)},
        {"black", wait, 300, FadeReaches(0.0f)},
        {"the fade-out", wait, 242, StateIs(fade)},
        {"the scene ends", fade, 62, StateIs(-1)},
    });
  }
  // A press works from the wait's first frame; one held from the tally's
  // last frame does not.
  for (const bool early : {true, false}) {
    SCOPED_TRACE(early);
    SceneRig rig;
    ASSERT_TRUE(rig.Ok());
    start(rig);
    se = testsupport::EffectBank();
    SceneRun run(rig, "StageResult", look);
    run.Request(SCENE_STAGE_RESULT);
    ASSERT_TRUE(run.RunToFrameBefore(tally, early ? 224 : 225, 10));
    run.Frame({CabInput::kButton1});
    if (early) run.Frame({CabInput::kButton1});
    ASSERT_EQ(run.State(), wait);
    EXPECT_EQ(FadeStarts(0.0f, 60)(run.t, run.t.Size() - 1), !early);
  }
}

TEST(SceneTiming, Endings) {
  auto look = [](SceneProc* p, Sample& s) {
    auto* e = static_cast<EndingScene*>(p);
    s.v = {float(testsupport::SoundPlaying(RscMusic, 7)), float(testsupport::SoundVolume(RscMusic, 7)),
           float(e->Picture().GetVertexColour(0) >> 24), 0.0f};
  };
  const int32_t roll = EndingScene::STATE_ROLL, fade = EndingScene::STATE_FADE;
  {
    SCOPED_TRACE("the second ending, left alone");
    SceneRig rig;
    ASSERT_TRUE(rig.Ok());
    testsupport::StopSound(RscMusic, 7);
    SceneRun run(rig, "Ending2", look);
    run.Request(SCENE_ENDING2, 1);
    ASSERT_TRUE(run.RunTo(-1, 7000));
    testsupport::ExpectSteps(run.t, {
        {"fade from black over 120 frames", roll, 1, FadeStarts(1.0f, 120)},
        {"clear", roll, 120, FadeReaches(1.0f)},
        {"music 7 with the fade", roll, 1, Flagged(0)},
        // Opaque while fewer than 800 updates ran before this one; 0 once
        // 920 had run.
        {"the picture fades", roll, 802, ValueBelow(2, 255.0f)},
        {"the picture is gone", roll, 921, ValueIs(2, 0.0f)},
        // Count 5,800 ends the roll.
        {"the fade-out", roll, 5802, StateIs(fade)},
        {"fade to black over 60 frames", fade, 1, FadeStarts(0.0f, 60)},
        {"black", fade, 60, FadeReaches(0.0f)},
        {"the music is silent at count 60", fade, 61, ValueIs(1, float(plat::kSoundVolumeMin))},
        // Count above 60: its 62nd frame.
        {"the scene ends", fade, 62, StateIs(-1)},
    });
  }
  {
    SCOPED_TRACE("the first ending, a press");
    SceneRig rig;
    ASSERT_TRUE(rig.Ok());
    ResetRankTable();
    PendingRankEntry = RankEntry{};
    SceneRun run(rig, "Ending1", look);
    run.Request(SCENE_ENDING1, 1);
    ASSERT_TRUE(run.RunToFrameBefore(roll, 5, 10));
    run.Frame({CabInput::kButton1});
    ASSERT_TRUE(run.RunTo(-1, 100));
    testsupport::ExpectSteps(run.t, {
        {"the fade-out after the press", roll, 6, StateIs(fade)},
        {"fade to black over 60 frames", fade, 1, FadeStarts(0.0f, 60)},
        // Count 60 or more: its 61st frame.
        {"the scene ends", fade, 61, StateIs(-1)},
    });
  }
  ResetRankTable();
}

}  // namespace
