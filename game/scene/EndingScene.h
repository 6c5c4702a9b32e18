#pragma once
// The two endings share one design: the ending picture drifts slowly and
// fades out after 800 frames while a staff roll of three tall strips
// scrolls up across the screen to the ending music; a button press or 5,800
// frames end the roll, and the screen and the music fade out together. The
// endings differ in their picture, its height, the frame their fade-out
// ends on and where the play goes next.
#include <cstdint>

#include "game/scene/SceneFrame.h"
#include "vrax/graphic/SGpObj_Prim.h"

struct SGpRect;
struct SRscRequest;

class EndingScene : public SceneProc {
 public:
  enum State : int32_t { STATE_LOAD = 0, STATE_ROLL = 1, STATE_FADE = 2 };
  static constexpr int32_t kMusic = 7;
  static constexpr int32_t kRollFrames = 5800;

  int32_t GetCount() const { return count_; }
  int32_t GetFrames() const { return frames_; }
  const SGpObj_Prim& Picture() const { return picture_; }
  const SGpObj_Prim& Roll(int k) const { return roll_[k]; }

  // What one ending is made of.
  struct Design {
    const char* name;
    const SRscRequest* table;
    const char* cacheName;
    const SGpRect* picture;
    float pictureTop;       // the picture spans offset - top to offset + 320
    int32_t lastFadeCount;  // the fade-out kills the scene at this count
  };

 protected:
  explicit EndingScene(const Design& design) : design_(design) {}

  int32_t Init(SProcArg arg) override;
  int32_t Handler(int32_t code, int32_t state) override;
  // The music stopped; the rest of the hand-over is the ending's own.
  int32_t OnDispose(SProcArg arg) override;

 private:
  void Update();
  void DrawScreen();

  const Design& design_;
  int32_t count_ = 0;
  int32_t frames_ = 0;
  float pictureOffset_ = 0.0f;
  float rollOffset_ = 0.0f;
  SGpObj_PrimQuad picture_;
  SGpObj_PrimQuad roll_[3];
};
