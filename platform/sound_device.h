#pragma once
#include <cstdint>
#include <memory>
#include <mutex>
#include <vector>

// The sound device: secondary sound buffers in any PCM layout a wave file
// carries, mixed in software into 44,100 Hz 16-bit stereo.
//
// The calls keep the shape the engine's player is written against: a buffer
// is locked (one or two regions, the second when the range wraps past the
// end), written, unlocked, then played once or looping; its play cursor is
// read back in bytes; volume and pan are in hundredths of a decibel (volume
// -10000..0, gain 10^(v/2000); pan -10000..10000, where a pan to one side
// attenuates the other side by the same law).
//
// Results are 0 on success and negative on failure.
//
// Backends: the real one plays through SDL audio, whose callback thread pulls
// the mix. The null one has no output: its play cursors move only when the
// owner calls Render() (manual mode, for deterministic tests) or with the
// clock (clock mode, used when no audio device can be opened so the game
// still runs). Every call is safe from any thread.
namespace plat {

constexpr int kSoundOk = 0;
constexpr int kSoundErrInvalidParam = -1;
constexpr int kSoundErrOutOfMemory = -2;
constexpr int kSoundErrInvalidCall = -3;
constexpr int kSoundErrBadFormat = -4;

constexpr uint32_t kSoundPlayLooping = 0x1;       // Play flags
constexpr uint32_t kSoundLockEntireBuffer = 0x2;  // Lock flags
constexpr uint32_t kSoundStatusPlaying = 0x1;     // GetStatus bits
constexpr uint32_t kSoundStatusLooping = 0x4;

constexpr int32_t kSoundVolumeMin = -10000;
constexpr int32_t kSoundVolumeMax = 0;
constexpr int32_t kSoundPanLeft = -10000;
constexpr int32_t kSoundPanRight = 10000;

constexpr uint32_t kMixRate = 44100;     // output frames per second
constexpr uint32_t kMixChannels = 2;
constexpr uint32_t kMinBufferBytes = 4;  // smaller buffers are refused
constexpr uint32_t kMaxBufferBytes = 0x10000000;

// PCM layout of a buffer. blockAlign and bytesPerSecond must agree with the
// other fields (channels x bits / 8, blockAlign x sampleRate).
struct PcmFormat {
  uint16_t formatTag = 1;  // 1 = PCM, the only layout accepted
  uint16_t channels = 1;   // 1 or 2
  uint32_t sampleRate = 22050;
  uint32_t bytesPerSecond = 44100;
  uint16_t blockAlign = 2;
  uint16_t bitsPerSample = 16;  // 8 (unsigned) or 16 (signed, little endian)
};

// Fills blockAlign and bytesPerSecond from the other fields.
PcmFormat MakePcmFormat(uint16_t channels, uint32_t sampleRate, uint16_t bitsPerSample);

// Linear gains for a volume and a pan in hundredths of a decibel.
struct StereoGain {
  float left;
  float right;
};
StereoGain GainFor(int32_t volume, int32_t pan);

class SoundDevice;

class SoundBuffer {
 public:
  // Locks bytes from offset (modulo the size); a range running past the end
  // continues at the start in the second region. With kSoundLockEntireBuffer
  // the whole buffer comes back as the first region. One lock at a time.
  int Lock(uint32_t offset, uint32_t bytes, void** ptr1, uint32_t* bytes1, void** ptr2,
           uint32_t* bytes2, uint32_t flags);
  // Commits what was written: bytes1 and bytes2 count from the starts of the
  // regions Lock returned.
  int Unlock(void* ptr1, uint32_t bytes1, void* ptr2, uint32_t bytes2);
  int Play(uint32_t flags);  // from the current position; kSoundPlayLooping
  int Stop();                // keeps the position
  int SetCurrentPosition(uint32_t bytes);
  int GetCurrentPosition(uint32_t* playCursor, uint32_t* writeCursor);
  int GetStatus(uint32_t* status);
  int SetVolume(int32_t volume);
  int GetVolume(int32_t* volume);
  int SetPan(int32_t pan);
  int GetPan(int32_t* pan);
  // Stops the buffer, takes it out of the mix and frees it.
  void Release();

  uint32_t Size() const { return size_; }
  const PcmFormat& Format() const { return format_; }
  // The memory the buffer plays from (the same for a buffer and its
  // duplicates).
  const uint8_t* Memory() const { return data_->data(); }

 private:
  friend class SoundDevice;
  friend struct SoundMixer;
  SoundBuffer(SoundDevice* device, const PcmFormat& format, uint32_t size);

  SoundDevice* device_;
  PcmFormat format_;
  uint32_t size_;
  uint32_t frames_;            // whole sample frames in the buffer
  // What the mixer reads; shared with the buffer's duplicates.
  std::shared_ptr<std::vector<uint8_t>> data_;
  std::vector<uint8_t> stage_; // what a lock hands out; copied in at Unlock
  bool locked_ = false;
  uint32_t lockOffset_ = 0;
  uint32_t lockBytes1_ = 0;
  uint32_t lockBytes2_ = 0;
  // Mixer state, guarded by the device's lock.
  bool playing_ = false;
  bool looping_ = false;
  uint64_t pos_ = 0;   // source frames, 32.32 fixed point
  uint64_t step_ = 0;  // source frames per output frame, 32.32
  int32_t volume_ = 0;
  int32_t pan_ = 0;
  StereoGain gain_{1.0f, 1.0f};
};

enum class NullMode { kManual, kClock };

class SoundDevice {
 public:
  // Opens the real output. When it cannot be had, logs one line on standard
  // error and returns the clock-driven null device instead; never null.
  static std::unique_ptr<SoundDevice> Open();
  static std::unique_ptr<SoundDevice> OpenNull(NullMode mode);
  ~SoundDevice();
  SoundDevice(const SoundDevice&) = delete;
  SoundDevice& operator=(const SoundDevice&) = delete;

  // A new stopped buffer of the given size, filled with silence.
  int CreateSoundBuffer(const PcmFormat& format, uint32_t bytes, SoundBuffer** out);
  // A new stopped buffer over the original's memory, without a copy: what
  // one holds the other holds, also what is written later through a lock of
  // either; the play state, position, volume and pan are its own. The memory
  // lives while any buffer over it does. The original must be this device's.
  int DuplicateSoundBuffer(SoundBuffer* original, SoundBuffer** out);

  size_t BufferCount();

  // Mixes frames of output (interleaved left, right) and moves every play
  // cursor. out may be null. The null device's owner (a test, a benchmark)
  // drives the mix with this; the real backend's thread calls it itself.
  void Render(int16_t* out, uint32_t frames);

 private:
  friend class SoundBuffer;
  struct Backend;
  SoundDevice();
  void ReleaseBuffer(SoundBuffer* buffer);
  void CatchUpLocked();  // clock mode: mix what the clock says has played
  void RenderLocked(int16_t* out, uint32_t frames);

  std::mutex mutex_;
  std::vector<SoundBuffer*> buffers_;
  std::vector<float> mixScratch_;
  std::unique_ptr<Backend> backend_;  // null: the null device
  NullMode nullMode_ = NullMode::kManual;
  int64_t clockOrigin_ = 0;
  uint64_t clockFrames_ = 0;  // output frames mixed since the origin
};

}  // namespace plat
