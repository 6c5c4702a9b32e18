#pragma once
// Playback of key lists (sprite animations) and interpolated value tracks
// with integer frame keys (node animation of models).
#include <cstddef>
#include <cstdint>
#include <vector>

#include "vrax/graphic/SGpRect.h"

// Plays an SGpKeyList: advancing by a time step moves the current time and
// tells which part is current. Loops by default.
class SGpKeyTrack {
 public:
  SGpKeyTrack() = default;
  explicit SGpKeyTrack(const SGpKeyList* list) { Init(list); }

  // Starts at the first key, looping, wrap count 0. A null list is empty.
  void Init(const SGpKeyList* list);

  // Moves the current time by dt (which may be negative) and the current
  // part with it. An empty list, and a looping list whose total duration is
  // not positive, hold their current state.
  void Advance(float dt);

  const SGpRect* GetPart() const { return part_; }
  const SGpKeyList* GetList() const { return start_; }
  int GetKeyCount() const { return count_; }
  float GetTotal() const { return total_; }
  float GetStartTime() const { return keyStart_; }
  float GetEndTime() const { return keyEnd_; }
  float GetTime() const { return time_; }
  bool GetLoop() const { return loop_ != 0; }
  void SetLoop(bool loop) { loop_ = loop ? 1 : 0; }
  int GetWrapCount() const { return wraps_; }

 private:
  void ToFirst();
  void ToLast();

  const SGpRect* part_ = nullptr;
  const SGpKeyList* cursor_ = nullptr;
  const SGpKeyList* start_ = nullptr;
  int count_ = 0;
  float total_ = 0.0f;
  float keyStart_ = 0.0f;
  float keyEnd_ = 0.0f;
  float time_ = 0.0f;
  uint8_t loop_ = 1;
  int wraps_ = 0;
};

// A track of four-float keys at integer frames, with a per-frame index of the
// key in force. The first three components interpolate linearly between keys;
// the fourth is held from the caller's output.
class SGpVec4Track {
 public:
  struct Key {
    float v[4];
    int32_t frame;
  };

  // Highest frame a key may carry; the per-frame index would otherwise grow
  // without bound on a damaged file.
  static constexpr int kMaxFrame = 65535;

  // Appends a key when frame is above the last key frame. Returns 0 when the
  // key was added, 1 when it was ignored (frame not above the last), and -1
  // when the frame is beyond kMaxFrame (the caller fails its load).
  int AddKey(const float value[4], int frame);

  // Value at time t. Without keys the output is left as it is.
  void Evaluate(float out[4], float t) const;

  int GetKeyCount() const { return static_cast<int>(keys_.size()); }
  const std::vector<uint16_t>& GetFrameIndex() const { return index_; }
  void Clear();

 private:
  std::vector<Key> keys_;
  std::vector<uint16_t> index_;
  int lastFrame_ = -1;
};
