#pragma once
// A frame timer over a model's animation: bound to the model and one of its
// animations, it takes the animation's length from the model and moves its
// own time by a step each frame, looping by default.
#include <cstdint>

#include "vrax/kernel/SHandle.h"
#include "vrax/resource/SRsc_Model.h"

class SGpTrackTimer {
 public:
  // Binds the model and animation `index`: length = the length the model
  // gives for that animation (a model holds animation 0 only), time 0,
  // looping, wrap count 0. A null model has length 0.
  void Bind(SRsc_Model* object, uint32_t index);

  // time += step. Looping, the time wraps into [0, length) and each wrap
  // past the end adds one to the wrap count (a wrap below 0 from a negative
  // step counts nothing, as with key tracks). Not looping, the time holds at
  // the end (wrap count 1 once reached) and at 0. A length of 0 or less
  // holds the time at 0.
  void Advance(float step);

  SRsc_Model* GetObject() const { return object_.Get(); }
  uint32_t GetIndex() const { return index_; }
  float GetLength() const { return length_; }
  float GetTime() const { return time_; }
  void SetLoop(bool loop) { loop_ = loop ? 1 : 0; }
  int GetWrapCount() const { return wraps_; }

 private:
  SHandle<SRsc_Model> object_;
  uint32_t index_ = 0;
  float length_ = 0.0f;
  float time_ = 0.0f;
  uint8_t loop_ = 1;
  int wraps_ = 0;
};
