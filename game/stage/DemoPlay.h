#pragma once
// The demo plays of the attract sequence (scene 7 with 101, 102 and 103):
// the scene of stage 1, 2 or 3 with its own handlers, driven by a recorded
// replay, with the blinking coin prompt. Left alone a demo fades out on the
// 2,402nd frame of its playback and is followed by the attract tutorial; a
// coin, or a start press in free play, ends it at once and the title
// follows.
#include <cstdint>

#include "game/core/GfxObject.h"
#include "vrax/kernel/SProc.h"

// What a demo adds to its stage scene, run around the stage's handlers.
class DemoPlay {
 public:
  enum Phase : int32_t { PHASE_WAIT = 0, PHASE_PLAY = 1, PHASE_FADE = 2 };
  // Playback frames before the fade-out (it starts once the count exceeds
  // this) and frames of the fade-out.
  static constexpr int32_t kPlayLimit = 2400;
  static constexpr int32_t kFadeFrames = 60;

  explicit DemoPlay(const char* replayFile) : replayFile_(replayFile) {}

  // After the stage's INIT: the game's demo flag and the prompt.
  void Init();
  // After the stage's MAIN; stageReady: the stage has loaded and plays.
  void Main(bool stageReady);
  // After the stage's DRAW: the prompt, and the coin and start tests.
  void Draw();
  // Before the stage's DISPOSE: the flag cleared and the playback ended.
  void DisposeBefore();
  // After it: the title when coins or service credits are present, else the
  // tutorial.
  void DisposeAfter();

  int32_t GetPhase() const { return phase_; }
  int32_t GetCounter() const { return counter_; }
  const GfxObject& Prompt() const { return text_; }

 private:
  const char* replayFile_;
  int32_t phase_ = PHASE_WAIT;
  int32_t counter_ = 0;
  GfxObject text_;
};

// A stage scene run as a demo play. A stage with a behaviour machine is
// ready once that reached its play state (1); one without is ready at once.
template <class Stage>
class DemoStage : public Stage {
 public:
  const DemoPlay& Demo() const { return demo_; }

 protected:
  explicit DemoStage(const char* replayFile) : demo_(replayFile) {}

  int32_t Init(SProcArg arg) override {
    const int32_t r = Stage::Init(arg);
    demo_.Init();
    return r;
  }
  int32_t Main(SProcArg arg) override {
    const int32_t r = Stage::Main(arg);
    bool ready = true;
    if constexpr (requires(const Stage& s) { s.GetBehaviorState(); }) ready = this->GetBehaviorState() == 1;
    demo_.Main(ready);
    return r;
  }
  int32_t Draw(SProcArg arg) override {
    const int32_t r = Stage::Draw(arg);
    demo_.Draw();
    return r;
  }
  int32_t OnDispose(SProcArg arg) override {
    demo_.DisposeBefore();
    const int32_t r = Stage::OnDispose(arg);
    demo_.DisposeAfter();
    return r;
  }

 private:
  DemoPlay demo_;
};
