#pragma once
// The combinations of draw state a GL driver compiles code for, kept from
// one run to the next. A driver compiles shader code for each new
// combination of program, blending, depth test, culling, fill mode, texture
// sampling and vertex layout at the first draw that uses it (a software
// rasteriser takes 5 to 25 ms for one), which makes the first frame of a
// scene or a stage late. The GL device records every combination the first
// time it draws with it; the list is saved in the save directory; the next
// start draws each listed combination once, with nothing reaching the
// target, before the first frame.
//
// The draw-state file "draw_states.bin" (little-endian):
//   0  4 bytes  "OSDS"
//   4  uint32   version, 1
//   8  uint32   record count n, at most kMaxDrawStates
//  12  n records of kDrawStateWords int32 each, in the order of
//      DrawStateKey's fields (fvf, the mode switches, depth test, function
//      and mask, blend, source and destination factor, cull face, fill
//      mode, then for texture stages 0 and 1: minifying and magnifying
//      filter, wrap s and t, width and height a power of two)
//  12 + n * kDrawStateWords * 4: uint32 CRC-32 of every byte before it
#include <array>
#include <atomic>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace plat {

class GfxDevice;
class Thread;

constexpr int kDrawModeCount = 23;
constexpr int kDrawSamplerWords = 6;
constexpr int kDrawStateWords = 1 + kDrawModeCount + 8 + 2 * kDrawSamplerWords;
constexpr size_t kMaxDrawStates = 4096;
constexpr size_t kDrawStateFileMax = 16 + kMaxDrawStates * kDrawStateWords * 4;
constexpr const char* kDrawStatesFile = "draw_states.bin";

// GL values as GL takes them. A state that is off leaves its values 0
// (depth function with the depth test off, blend factors with blending off,
// the sampler words of a stage without a texture), so that combinations
// the driver compiles alike are one record.
struct DrawStateKey {
  int32_t fvf = 0;
  std::array<int32_t, kDrawModeCount> modes{};  // the program's mode switches
  int32_t depthTest = 0, depthFunc = 0, depthMask = 0;
  int32_t blend = 0, blendSrc = 0, blendDst = 0;
  int32_t cullFace = 0;  // 0 (none), GL_FRONT or GL_BACK
  int32_t fill = 0;      // GL_POINT, GL_LINE or GL_FILL
  // min filter, mag filter, wrap s, wrap t, width and height a power of 2
  std::array<std::array<int32_t, kDrawSamplerWords>, 2> sampler{};

  bool operator==(const DrawStateKey&) const = default;
};

struct DrawStateKeyHash {
  size_t operator()(const DrawStateKey& k) const;
};

// The file's bytes for a list of at most kMaxDrawStates records (the first
// kMaxDrawStates of a longer one).
std::vector<uint8_t> WriteDrawStates(const std::vector<DrawStateKey>& keys);

// Reads a draw-state file: false, with out emptied, for anything but a
// whole, unaltered file of valid records.
bool ReadDrawStates(const uint8_t* data, size_t size, std::vector<DrawStateKey>* out);

// Keeps a device's draw-state file: warms the device up from it at the
// start and saves the list again when it has grown. Saves run on a worker
// thread, so a frame never waits for the disk. The first save that fails
// (a save folder that cannot be made) is told in one line on standard
// error; later failures are not.
class DrawStateStore {
 public:
  // New combinations are saved once none has been met for this many frames
  // (a scene's first frames meet them in a burst).
  static constexpr int kQuietFrames = 300;

  DrawStateStore();
  ~DrawStateStore();
  DrawStateStore(const DrawStateStore&) = delete;
  DrawStateStore& operator=(const DrawStateStore&) = delete;

  // Reads the file at path (a missing or damaged one warms nothing up and is
  // replaced by the next save) and has the device draw its combinations.
  // The number of combinations drawn.
  int Open(GfxDevice* device, const std::string& path);
  // Once a frame.
  void Frame(const GfxDevice* device);
  // Saves what is new and waits for every save.
  void Close(const GfxDevice* device);

 private:
  void Save(const GfxDevice* device, bool wait);

  std::string path_;
  size_t saved_ = 0, lastCount_ = 0;
  int quiet_ = 0;
  bool dirty_ = false;  // the file on disk is damaged or unreadable
  std::vector<uint8_t> bytes_;
  std::atomic<bool> toldFailure_{false};  // a failed save was told
  std::unique_ptr<Thread> saver_;
};

}  // namespace plat
