#pragma once
// The drawn parts of the tutorial scene: the caption panel that squeezes
// the old caption out while the new one grows in, the blinking markers and
// the blinking ring.
#include <cstdint>

#include "vrax/graphic/SGpObj_Prim.h"

struct SGpRect;

// Two quads between y 163 and 242: over 20 frames the new caption grows
// from the lower edge while the previous one is squeezed upwards.
class CaptionPanel {
 public:
  static constexpr int32_t kCaptions = 14;
  static constexpr int32_t kTransitionFrames = 20;

  // Both captions the table's first, the transition done.
  void Init(const SGpRect* table);
  // Starts the change to caption n (ignored from kCaptions on).
  void Show(int32_t n);
  void Build();
  void Enter();

  const SGpRect* Current() const { return current_; }
  const SGpRect* Previous() const { return previous_; }

 private:
  SGpObj_PrimQuad quads_[2];
  const SGpRect* table_ = nullptr;
  const SGpRect* previous_ = nullptr;
  const SGpRect* current_ = nullptr;
  int32_t counter_ = kTransitionFrames;
};

// Marker and ring blinking: entered on frames whose count mod 15 is below 9.
bool TutorialBlinkOn(int32_t counter);

// A white quad of its sprite part's size centred on (x, y).
class TutorialMarker {
 public:
  void Init(const SGpRect* rect);
  void Set(bool enabled, float x, float y);
  void Build();
  void Enter();

  bool IsEnabled() const { return enabled_; }

 private:
  SGpObj_PrimQuad quad_;
  const SGpRect* rect_ = nullptr;
  float x_ = 0.0f, y_ = 0.0f;
  bool enabled_ = false;
  int32_t blink_ = 0;
  bool shown_ = false;
};

// A red ring, 4 units wide, of 48 segments at (x, y).
class TutorialRing {
 public:
  static constexpr int kSegments = 48;

  void Set(bool enabled, float radius, float x, float y);
  void Build();
  void Enter();

 private:
  SGpObj_PrimQuad quads_{plat::kFvfPosColour};
  float radius_ = 0.0f, x_ = 0.0f, y_ = 0.0f;
  bool enabled_ = false;
  int32_t blink_ = 0;
  bool shown_ = false;
};
