#pragma once
// The title screen of the attract sequence (process name "Title"): the
// title picture in five layers with a band sliding across it once every
// 6480 frames; it waits for a play to be started with a credit (in free
// play a first start press grants the credit), reports the start to the
// network service (0xFD, then 0x00), takes the play from the coin counter
// and fades out into the tutorial; left alone for 1200 frames it fades out
// into the ranking.
//
// Behaviour states: 0 loading, 1 waiting, 2 starting, 3 timing out. DRAW
// draws the layers in states 1 to 3; MAIN runs the behaviour.
#include <cstdint>

#include "game/scene/SceneFrame.h"
#include "vrax/graphic/SGpObj_Prim.h"

struct SRscRequest;

// The title's resources: its picture "\Module\Title" into ImgTitle.
extern const SRscRequest RscTableTitle[];
inline constexpr const char* kTitleCacheArchive = "\\cache\\title";

class Title : public SceneProc {
 public:
  enum State : int32_t { STATE_LOAD = 0, STATE_WAIT = 1, STATE_START = 2, STATE_TIME_OUT = 3 };
  static constexpr int kLayers = 5;
  static constexpr int32_t kScrollFrames = 6480;
  static constexpr int32_t kIdleFrames = 1200;
  static constexpr int32_t kFadeFrames = 60;
  static constexpr int32_t kDrawKey = 3;
  static constexpr int32_t kStartSound = 1;

  int32_t GetFrame() const { return frame_; }
  int32_t GetScroll() const { return scroll_; }
  bool Started() const { return started_ != 0; }
  const SGpObj_PrimQuad& Layer(int n) const { return layers_[n]; }

 protected:
  int32_t Init(SProcArg arg) override;
  int32_t OnDispose(SProcArg arg) override;
  int32_t Handler(int32_t code, int32_t state) override;

 private:
  // Builds the fixed quads of layers 0, 2, 1 and 4.
  void BuildLayers();
  // One frame of the sliding band (states 1 to 3).
  void Scroll();
  // The waiting state's frame.
  void Wait();
  // The frame of the two fading states: the scene ends after 60 frames.
  void FadeOut();
  void DrawLayers();

  int32_t frame_ = 0;
  int32_t scroll_ = 0;
  uint8_t started_ = 0;
  SGpObj_PrimQuad layers_[kLayers];
};
