#include "platform/sound_device.h"

#include <SDL.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <new>

#include "platform/clock.h"
#include "platform/sound_mixer.h"

namespace plat {
namespace {

constexpr uint32_t kMixChunk = 1024;  // output frames mixed per pass
constexpr uint32_t kStageKeepBytes = 0x10000;  // larger buffers drop their lock copy after Unlock
constexpr uint64_t kClockMaxCatchUp = kMixRate * 2;  // longer gaps are skipped, not mixed

bool ValidFormat(const PcmFormat& f) {
  if (f.formatTag != 1) return false;
  if (f.channels != 1 && f.channels != 2) return false;
  if (f.bitsPerSample != 8 && f.bitsPerSample != 16) return false;
  if (f.sampleRate < 100 || f.sampleRate > 200000) return false;
  if (f.blockAlign != f.channels * f.bitsPerSample / 8) return false;
  if (f.bytesPerSecond != f.blockAlign * f.sampleRate) return false;
  return true;
}

}  // namespace

PcmFormat MakePcmFormat(uint16_t channels, uint32_t sampleRate, uint16_t bitsPerSample) {
  PcmFormat f;
  f.formatTag = 1;
  f.channels = channels;
  f.sampleRate = sampleRate;
  f.bitsPerSample = bitsPerSample;
  f.blockAlign = static_cast<uint16_t>(channels * bitsPerSample / 8);
  f.bytesPerSecond = f.blockAlign * sampleRate;
  return f;
}

StereoGain GainFor(int32_t volume, int32_t pan) {
  const float g = static_cast<float>(std::pow(10.0, volume / 2000.0));
  StereoGain s{g, g};
  if (pan < 0) s.right *= static_cast<float>(std::pow(10.0, pan / 2000.0));
  if (pan > 0) s.left *= static_cast<float>(std::pow(10.0, -pan / 2000.0));
  return s;
}

// ---------------------------------------------------------------------------
// SDL audio output: its callback thread pulls the mix.

struct SoundDevice::Backend {
  SDL_AudioDeviceID id = 0;
  ~Backend() {
    if (id != 0) SDL_CloseAudioDevice(id);  // waits for a running callback
    SDL_QuitSubSystem(SDL_INIT_AUDIO);
  }
  static void Callback(void* user, Uint8* stream, int len) {
    static_cast<SoundDevice*>(user)->Render(reinterpret_cast<int16_t*>(stream),
                                            static_cast<uint32_t>(len) / 4);
  }
};

SoundDevice::SoundDevice() : mixScratch_(kMixChunk * kMixChannels) {}

SoundDevice::~SoundDevice() {
  backend_.reset();  // no callback after this
  for (SoundBuffer* b : buffers_) delete b;
  buffers_.clear();
}

std::unique_ptr<SoundDevice> SoundDevice::Open() {
  std::unique_ptr<SoundDevice> dev(new SoundDevice());
  if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) {
    std::fprintf(stderr, "sound: no audio output (%s); running without sound\n", SDL_GetError());
    return OpenNull(NullMode::kClock);
  }
  SDL_AudioSpec want{};
  SDL_AudioSpec have{};
  want.freq = static_cast<int>(kMixRate);
  want.format = AUDIO_S16SYS;
  want.channels = kMixChannels;
  want.samples = kMixChunk;
  want.callback = &Backend::Callback;
  want.userdata = dev.get();
  const SDL_AudioDeviceID id = SDL_OpenAudioDevice(nullptr, 0, &want, &have, 0);
  if (id == 0) {
    std::fprintf(stderr, "sound: no audio output (%s); running without sound\n", SDL_GetError());
    SDL_QuitSubSystem(SDL_INIT_AUDIO);
    return OpenNull(NullMode::kClock);
  }
  dev->backend_ = std::make_unique<Backend>();
  dev->backend_->id = id;
  SDL_PauseAudioDevice(id, 0);
  return dev;
}

std::unique_ptr<SoundDevice> SoundDevice::OpenNull(NullMode mode) {
  std::unique_ptr<SoundDevice> dev(new SoundDevice());
  dev->nullMode_ = mode;
  dev->clockOrigin_ = PerfCounter();
  return dev;
}

int SoundDevice::CreateSoundBuffer(const PcmFormat& format, uint32_t bytes, SoundBuffer** out) {
  if (out == nullptr) return kSoundErrInvalidParam;
  *out = nullptr;
  if (!ValidFormat(format)) return kSoundErrBadFormat;
  if (bytes < kMinBufferBytes || bytes > kMaxBufferBytes || bytes < format.blockAlign)
    return kSoundErrInvalidParam;
  SoundBuffer* b = new (std::nothrow) SoundBuffer(this, format, bytes);
  if (b == nullptr) return kSoundErrOutOfMemory;
  try {
    b->data_ = std::make_shared<std::vector<uint8_t>>(bytes, format.bitsPerSample == 8 ? 0x80 : 0x00);
    std::lock_guard<std::mutex> g(mutex_);
    buffers_.push_back(b);
  } catch (const std::bad_alloc&) {
    delete b;
    return kSoundErrOutOfMemory;
  }
  *out = b;
  return kSoundOk;
}

int SoundDevice::DuplicateSoundBuffer(SoundBuffer* original, SoundBuffer** out) {
  if (out == nullptr) return kSoundErrInvalidParam;
  *out = nullptr;
  if (original == nullptr || original->device_ != this) return kSoundErrInvalidParam;
  SoundBuffer* b = new (std::nothrow) SoundBuffer(this, original->format_, original->size_);
  if (b == nullptr) return kSoundErrOutOfMemory;
  try {
    std::lock_guard<std::mutex> g(mutex_);
    b->data_ = original->data_;
    buffers_.push_back(b);
  } catch (const std::bad_alloc&) {
    delete b;
    return kSoundErrOutOfMemory;
  }
  *out = b;
  return kSoundOk;
}

size_t SoundDevice::BufferCount() {
  std::lock_guard<std::mutex> g(mutex_);
  return buffers_.size();
}

void SoundDevice::ReleaseBuffer(SoundBuffer* buffer) {
  {
    std::lock_guard<std::mutex> g(mutex_);
    auto it = std::find(buffers_.begin(), buffers_.end(), buffer);
    if (it != buffers_.end()) buffers_.erase(it);
  }
  delete buffer;
}

void SoundDevice::Render(int16_t* out, uint32_t frames) {
  std::lock_guard<std::mutex> g(mutex_);
  RenderLocked(out, frames);
}

void SoundDevice::RenderLocked(int16_t* out, uint32_t frames) {
  float* acc = mixScratch_.data();
  while (frames > 0) {
    const uint32_t n = std::min(frames, kMixChunk);
    std::fill(acc, acc + n * kMixChannels, 0.0f);
    for (SoundBuffer* b : buffers_) SoundMixer::MixVoice(*b, acc, n);
    if (out != nullptr) {
      SoundMixer::ToPcm16(acc, out, n);
      out += n * kMixChannels;
    }
    frames -= n;
  }
}

void SoundDevice::CatchUpLocked() {
  if (backend_ != nullptr || nullMode_ != NullMode::kClock) return;
  const __int128 elapsed = static_cast<__int128>(PerfCounter() - clockOrigin_) * kMixRate;
  const uint64_t due = static_cast<uint64_t>(elapsed / PerfFrequency());
  if (due <= clockFrames_) return;
  uint64_t n = due - clockFrames_;
  clockFrames_ = due;
  if (n > kClockMaxCatchUp) n = kClockMaxCatchUp;  // a stall: the sounds just lose that time
  RenderLocked(nullptr, static_cast<uint32_t>(n));
}

// ---------------------------------------------------------------------------
// Buffers. Every call takes the device lock (and, in clock mode, first mixes
// what has played since the last call).

SoundBuffer::SoundBuffer(SoundDevice* device, const PcmFormat& format, uint32_t size)
    : device_(device), format_(format), size_(size), frames_(size / format.blockAlign) {
  step_ = (static_cast<uint64_t>(format.sampleRate) << 32) / kMixRate;
}

#define SOUND_GUARD                                   \
  std::lock_guard<std::mutex> guard(device_->mutex_); \
  device_->CatchUpLocked()

int SoundBuffer::Lock(uint32_t offset, uint32_t bytes, void** ptr1, uint32_t* bytes1, void** ptr2,
                      uint32_t* bytes2, uint32_t flags) {
  if (ptr1 == nullptr || bytes1 == nullptr) return kSoundErrInvalidParam;
  SOUND_GUARD;
  if (locked_) return kSoundErrInvalidCall;
  if (flags & kSoundLockEntireBuffer) {
    offset = 0;
    bytes = size_;
  } else if (offset >= size_ || bytes == 0 || bytes > size_) {
    return kSoundErrInvalidParam;
  }
  const uint32_t first = std::min(bytes, size_ - offset);
  const uint32_t second = bytes - first;
  if (second > 0 && (ptr2 == nullptr || bytes2 == nullptr)) return kSoundErrInvalidParam;
  try {
    if (stage_.size() != size_) stage_.resize(size_);
  } catch (const std::bad_alloc&) {
    return kSoundErrOutOfMemory;
  }
  std::memcpy(stage_.data() + offset, data_->data() + offset, first);
  if (second > 0) std::memcpy(stage_.data(), data_->data(), second);
  *ptr1 = stage_.data() + offset;
  *bytes1 = first;
  if (ptr2 != nullptr) *ptr2 = second > 0 ? stage_.data() : nullptr;
  if (bytes2 != nullptr) *bytes2 = second;
  locked_ = true;
  lockOffset_ = offset;
  lockBytes1_ = first;
  lockBytes2_ = second;
  return kSoundOk;
}

int SoundBuffer::Unlock(void* ptr1, uint32_t bytes1, void* ptr2, uint32_t bytes2) {
  SOUND_GUARD;
  if (!locked_) return kSoundErrInvalidCall;
  if (ptr1 != stage_.data() + lockOffset_ || bytes1 > lockBytes1_ || bytes2 > lockBytes2_ ||
      (bytes2 > 0 && ptr2 != stage_.data()))
    return kSoundErrInvalidParam;
  std::memcpy(data_->data() + lockOffset_, stage_.data() + lockOffset_, bytes1);
  if (bytes2 > 0) std::memcpy(data_->data(), stage_.data(), bytes2);
  locked_ = false;
  if (size_ > kStageKeepBytes) std::vector<uint8_t>().swap(stage_);
  return kSoundOk;
}

int SoundBuffer::Play(uint32_t flags) {
  SOUND_GUARD;
  playing_ = true;
  looping_ = (flags & kSoundPlayLooping) != 0;
  return kSoundOk;
}

int SoundBuffer::Stop() {
  SOUND_GUARD;
  playing_ = false;
  return kSoundOk;
}

int SoundBuffer::SetCurrentPosition(uint32_t bytes) {
  SOUND_GUARD;
  if (bytes >= size_) return kSoundErrInvalidParam;
  uint32_t frame = bytes / format_.blockAlign;
  if (frame >= frames_) frame = 0;
  pos_ = static_cast<uint64_t>(frame) << 32;
  return kSoundOk;
}

int SoundBuffer::GetCurrentPosition(uint32_t* playCursor, uint32_t* writeCursor) {
  SOUND_GUARD;
  const uint32_t play = static_cast<uint32_t>(pos_ >> 32) * format_.blockAlign;
  if (playCursor != nullptr) *playCursor = play;
  if (writeCursor != nullptr) *writeCursor = play;
  return kSoundOk;
}

int SoundBuffer::GetStatus(uint32_t* status) {
  if (status == nullptr) return kSoundErrInvalidParam;
  SOUND_GUARD;
  *status = playing_ ? (kSoundStatusPlaying | (looping_ ? kSoundStatusLooping : 0u)) : 0u;
  return kSoundOk;
}

int SoundBuffer::SetVolume(int32_t volume) {
  if (volume < kSoundVolumeMin || volume > kSoundVolumeMax) return kSoundErrInvalidParam;
  SOUND_GUARD;
  volume_ = volume;
  gain_ = GainFor(volume_, pan_);
  return kSoundOk;
}

int SoundBuffer::GetVolume(int32_t* volume) {
  if (volume == nullptr) return kSoundErrInvalidParam;
  SOUND_GUARD;
  *volume = volume_;
  return kSoundOk;
}

int SoundBuffer::SetPan(int32_t pan) {
  if (pan < kSoundPanLeft || pan > kSoundPanRight) return kSoundErrInvalidParam;
  SOUND_GUARD;
  pan_ = pan;
  gain_ = GainFor(volume_, pan_);
  return kSoundOk;
}

int SoundBuffer::GetPan(int32_t* pan) {
  if (pan == nullptr) return kSoundErrInvalidParam;
  SOUND_GUARD;
  *pan = pan_;
  return kSoundOk;
}

void SoundBuffer::Release() { device_->ReleaseBuffer(this); }

#undef SOUND_GUARD

}  // namespace plat
