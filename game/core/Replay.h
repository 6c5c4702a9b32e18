#pragma once
// The replay buffer: records the player's inputs, or plays a recorded file
// back. Only its life cycle is here so far.
#include <cstdint>
#include <string>
#include <vector>

class Replay {
 public:
  Replay() = default;
  ~Replay() { Clear(); }

  // Mode 1 records, mode 2 plays the file back (not built yet: nothing plays).
  void Begin(int32_t mode, const char* file) {
    mode_ = mode;
    path_ = file ? file : "";
  }
  // Ends recording or playback.
  void Save() { mode_ = 0; }
  void Clear() {
    path_.clear();
    buffer_.clear();
  }
  int32_t GetMode() const { return mode_; }

 private:
  std::vector<uint8_t> buffer_;
  std::string path_;
  int32_t mode_ = 0;
};

// The persistent replay object.
extern Replay g_Replay;
