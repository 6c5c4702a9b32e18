#pragma once
// The tutorial (scene 6): a recorded play ("common\Tutorial.rpd") against a
// plain sweeping band, explained by a timeline of captions, blinking
// markers and pauses, with the enemies of its own script. Argument 0, the
// attract mode: reached after a demo play, it shows the coin prompt, ends
// early on a coin or a free-play start and leads to the title. Argument 1,
// before a game: it shows a hint, ends early on a start press and leads to
// stage 1. Left alone it ends at frame 3,000 of its timeline and fades out
// over 60 frames.
#include <cstdint>
#include <vector>

#include "game/core/GfxObject.h"
#include "game/scene/AttractScene.h"
#include "game/scene/TutorialParts.h"
#include "vrax/graphic/SGpObj_Prim.h"

// One timed step of the tutorial's timeline.
struct TutorialEvent {
  int32_t kind, frame, a, b, c, d;
};

class Tutorial : public AttractScene {
 public:
  enum State : int32_t { STATE_LOADING = 0, STATE_TUTORIAL = 1, STATE_ENDING = 2 };
  enum Mode : int32_t { MODE_ATTRACT = 0, MODE_BEFORE_GAME = 1 };
  // Event kinds: a marker, a caption, the ring, the play frozen or not, the
  // end.
  enum EventKind : int32_t { EVENT_MARKER = 0, EVENT_CAPTION = 1, EVENT_RING = 2, EVENT_PAUSE = 3, EVENT_END = 4 };
  static constexpr size_t kEventCapacity = 128;
  static constexpr int32_t kFadeFrames = 60;

  // Queues an event; nothing happens once the capacity is taken.
  void AddEvent(int32_t kind, int32_t frame, int32_t a = 0, int32_t b = 0, int32_t c = 0, int32_t d = 0);

  int32_t GetMode() const { return mode_; }
  int32_t GetBandPhase() const { return bandPhase_; }
  const CaptionPanel& Captions() const { return captions_; }
  const TutorialMarker& Marker(int i) const { return markers_[i & 1]; }

 protected:
  int32_t Init(SProcArg arg) override;
  int32_t Draw(SProcArg arg) override;
  int32_t Main(SProcArg arg) override;
  int32_t End(SProcArg arg) override;
  int32_t OnDispose(SProcArg arg) override;
  int32_t Handler(int32_t code, int32_t state) override;

 private:
  // The loading state's end: the play set up as the recording expects it.
  void StartPlay();
  void QueueEvents();
  void DispatchEvents();
  void Apply(const TutorialEvent& e);
  void BuildBand();
  void DrawAll();
  // Attract mode: a coin in this frame, or a free-play start, ends it at
  // once; true when it ended.
  bool EarlyEnd();
  // Ends what the recorded play left behind and the scene itself.
  void CleanUp();

  SGpObj_PrimQuad band_;
  SGpObj_PrimQuad frameQuad_;
  SGpObj_PrimQuad hint_;
  GfxObject text_;
  int32_t bandPhase_ = 0;
  int32_t mode_ = MODE_ATTRACT;
  CaptionPanel captions_;
  TutorialMarker markers_[2];
  TutorialRing ring_;
  std::vector<TutorialEvent> events_;
  size_t nextEvent_ = 0;
};
