#pragma once
// The replay buffer: records the player's inputs, one byte per frame, or
// plays a recorded file back. The game seeds its random numbers the same way
// at every play start, so inputs alone repeat a play.
//
// A replay file (".rpd") is one block of the engine's LZ codec at level 1
// whose unpacked size is the number of frames; byte n is frame n, bit 7 the
// first input counter down to bit 0 the eighth, a set bit meaning held.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "vrax/io/LoadBudget.h"

class Replay {
 public:
  enum Mode : int32_t { MODE_OFF = 0, MODE_RECORD = 1, MODE_PLAY = 2 };
  // Longest replay that loads: a file whose header claims more frames is
  // taken as damaged (about 78 hours at 60 frames a second).
  static constexpr uint32_t kMaxFrames = 1u << 24;

  Replay() = default;
  ~Replay() { Clear(); }
  Replay(const Replay&) = delete;
  Replay& operator=(const Replay&) = delete;

  // Mode 1 starts recording into the file name (under the data root); mode
  // 2 loads that file and plays it back. A file that cannot be loaded
  // reports "replay load error!" and leaves the replay off. The file, while
  // it is read and decoded, and its frames, while they are held, are
  // charged to what all loads hold together (LoadedTotal()); a file or
  // frames the total cannot take, or memory running out, fail the load
  // the same way.
  void Begin(int32_t mode, const char* name);
  // One frame: records the counters given (each may be null) or, in
  // playback, drives them from the frame's byte. The first frame forces
  // every given counter to released.
  void Step(int32_t* c0, int32_t* c1, int32_t* c2, int32_t* c3, int32_t* c4, int32_t* c5, int32_t* c6,
            int32_t* c7);
  // Recording: writes the file. Every mode: the replay ends.
  void Save();
  void Clear();

  int32_t GetMode() const { return mode_; }
  int32_t GetCursor() const { return cursor_; }
  const std::vector<uint8_t>& Data() const { return data_; }

  // The frame bytes of a replay file, decoded from the file's bytes in
  // place; false (frames emptied and freed) when the block is damaged,
  // shorter than its header says or claims too many frames. With a budget,
  // the frames are charged to it before they are made (false when it
  // refuses them) and given back when the decode fails.
  static bool Decode(const uint8_t* file, size_t size, std::vector<uint8_t>* frames, LoadBudget* budget = nullptr);
  // The replay file holding the frame bytes; empty when they cannot be
  // packed.
  static std::vector<uint8_t> Encode(const std::vector<uint8_t>& frames);

 private:
  std::vector<uint8_t> data_;
  // The decoded frames of a play while data_ holds them.
  LoadBudget frames_{kMaxFrames, &LoadedTotal()};
  std::string path_;
  int32_t mode_ = MODE_OFF;
  int32_t cursor_ = 0;
};

// The persistent replay object.
extern Replay g_Replay;
