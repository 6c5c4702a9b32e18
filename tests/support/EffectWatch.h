#pragma once
// The effect manager watched over a play, frame by frame: the most elements
// each of its nine pools held at a frame's end, the most engine sprite cells
// in use, and the oldest sprite particle seen. A sprite's age is read from
// its animation track, which each step of the manager moves one frame on
// from its first key: the wraps times the list's length plus the time into
// the list. A particle whose lives are both 0 ends when its track wraps, so
// a held last key keeps it as long as the hold.
//
//   testsupport::EffectWatch watch;
//   for (...) { w.Step(); watch.Frame(); }
//   watch.ExpectRoomAndNoStuckSprites("stage 3");
#include <cstdint>
#include <string>

class EfxSprite;
struct SGpKeyList;

namespace testsupport {

class EffectWatch {
 public:
  // The longest an effect sprite lives: the white flash of stage 5's
  // collapse, 50 frames of fade and 300 of fade-out, released on the step
  // after.
  static constexpr float kLongestSprite = 351.0f;
  // The player's burst asks the tendril pool (7) for 60 to 68 tendrils, more
  // than its 32 cells: it may be full for as long as a tendril lives, 30
  // frames, and the frame it is released in.
  static constexpr int32_t kTendrilPool = 7;
  static constexpr int32_t kLongestTendril = 31;

  // After each frame.
  void Frame();
  // Frames a sprite particle has lived, read from its track.
  static float Age(const EfxSprite& e);

  // The most live elements of pool 1 to 9, the most sprite cells in use.
  int32_t Peak(int pool) const { return peak_[pool - 1]; }
  int32_t PeakCells() const { return peakCells_; }
  // The oldest sprite particle seen, its age in frames and its key list.
  float Oldest() const { return oldest_; }
  const SGpKeyList* OldestKeys() const { return oldestKeys_; }
  int32_t Frames() const { return frames_; }

  // The most frames in a row pool 1 to 9 was full.
  int32_t LongestFull(int pool) const { return longestFull_[pool - 1]; }

  // No pool but the tendrils' and not the sprite cells ever filled, the
  // tendrils' never for longer than a tendril lives, and no sprite outlived
  // kLongestSprite; `where` names the play in the messages.
  void ExpectRoomAndNoStuckSprites(const std::string& where) const;

 private:
  int32_t peak_[9] = {};
  int32_t capacity_[9] = {};
  int32_t peakCells_ = 0, cells_ = 0;
  int32_t peakAt_[9] = {};
  int32_t full_[9] = {}, longestFull_[9] = {};
  int32_t peakCellsAt_ = 0;
  float oldest_ = 0.0f;
  const SGpKeyList* oldestKeys_ = nullptr;
  int32_t oldestAt_ = 0;
  int32_t frames_ = 0;
};

}  // namespace testsupport
