#include "vrax/sound/SSndMan.h"

#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstring>
#include <mutex>
#include <new>
#include <thread>

#include "platform/clock.h"
#include "platform/sound_device.h"
#include "vrax/io/LoadBudget.h"
#include "vrax/sound/WaveFile.h"

namespace {

// The player's global state. The stream lock is what the streaming thread
// holds for one refill pass and the main thread for one table edit or prime.
struct Player {
  std::unique_ptr<plat::SoundDevice> device;
  std::mutex streamLock;
  std::vector<StreamEntry> streams;
  std::thread thread;
  std::atomic<bool> quit{false};
  std::atomic<uint64_t> passes{0};
};

Player& P() {
  static Player* player = new Player();  // outlives every static destructor
  return *player;
}

// The entry of sound n, or null when n is out of range or the device (with
// every buffer) is already gone.
SoundBufferEntry* EntryAt(SoundBank* sound, int32_t n) {
  if (P().device == nullptr) return nullptr;
  if (sound == nullptr || n < 0 || static_cast<size_t>(n) >= sound->entries.size()) return nullptr;
  return sound->entries[static_cast<size_t>(n)].get();
}

// Fills one half of a stream's buffer; the half flips before the lock, so a
// failed lock skips that fill. Stream lock held.
void FillHalf(StreamEntry& s, uint32_t offset) {
  plat::SoundBuffer* b = s.entry->buffer;
  void* p1 = nullptr;
  void* p2 = nullptr;
  uint32_t n1 = 0;
  uint32_t n2 = 0;
  if (b->Lock(0, 0, &p1, &n1, &p2, &n2, plat::kSoundLockEntireBuffer) != plat::kSoundOk) return;
  if (n1 >= offset + kStreamHalfBytes) {
    s.position = FillStreamHalf(s.entry->streamData.get(), s.entry->dataSize, s.entry->loopStart,
                                s.position, static_cast<uint8_t*>(p1) + offset, kStreamHalfBytes,
                                s.entry->silence);
  }
  b->Unlock(p1, n1, p2, n2);
}

void RefillStream(StreamEntry& s) {
  plat::SoundBuffer* b = s.entry->buffer;
  uint32_t status = 0;
  if (b->GetStatus(&status) != plat::kSoundOk || !(status & plat::kSoundStatusPlaying)) return;
  uint32_t play = 0;
  if (b->GetCurrentPosition(&play, nullptr) != plat::kSoundOk) return;
  if (s.half == 0 && play < kStreamHalfBytes) {
    s.half = 1;
    FillHalf(s, kStreamHalfBytes);
  } else if (s.half == 1 && play >= kStreamHalfBytes) {
    s.half = 0;
    FillHalf(s, 0);
  }
}

void ThreadMain() {
  Player& p = P();
  while (!p.quit.load(std::memory_order_acquire)) {
    SSndMan::StreamPass();
    p.passes.fetch_add(1, std::memory_order_acq_rel);
    plat::SleepMs(1);
  }
}

void StartThread(Player& p) {
  p.quit.store(false, std::memory_order_release);
  p.thread = std::thread(ThreadMain);
}

}  // namespace

uint32_t FillStreamHalf(const uint8_t* data, uint32_t dataSize, uint32_t loopStart,
                        uint32_t position, uint8_t* dst, uint32_t room, uint8_t silence) {
  if (data == nullptr || dataSize == 0) {
    std::memset(dst, silence, room);
    return 0;
  }
  if (loopStart >= dataSize) loopStart = 0;
  if (position > dataSize) position = loopStart;
  if (dataSize - position >= room) {
    std::memcpy(dst, data + position, room);
    position += room;
  } else {
    const uint32_t rest = dataSize - position;
    std::memcpy(dst, data + position, rest);
    dst += rest;
    room -= rest;
    const uint32_t loopLength = dataSize - loopStart;
    while (room > loopLength) {
      std::memcpy(dst, data + loopStart, loopLength);
      dst += loopLength;
      room -= loopLength;
    }
    std::memcpy(dst, data + loopStart, room);
    position = loopStart + room;
  }
  if (position == dataSize) position = loopStart;
  return position;
}

namespace SSndMan {

int Init(plat::Window* /*window*/) {
  Player& p = P();
  if (p.device != nullptr) {
    // Already open (a second device creation): keep the device, and with it
    // every buffer the loaded banks hold; only make sure the thread runs.
    if (!p.thread.joinable()) StartThread(p);
    return 0;
  }
  return InitWithDevice(plat::SoundDevice::Open(), true);
}

int InitWithDevice(std::unique_ptr<plat::SoundDevice> device, bool startThread) {
  if (device == nullptr) return -1;
  Player& p = P();
  StopThread();
  {
    std::lock_guard<std::mutex> g(p.streamLock);
    p.streams.clear();
    p.streams.reserve(kStreamTableReserve);
  }
  p.device = std::move(device);
  if (startThread) StartThread(p);
  return 0;
}

void StopThread() {
  Player& p = P();
  if (!p.thread.joinable()) return;
  p.quit.store(true, std::memory_order_release);
  p.thread.join();
}

void ReleaseDevice() {
  Player& p = P();
  StopThread();
  {
    std::lock_guard<std::mutex> g(p.streamLock);
    p.streams.clear();
  }
  p.device.reset();
}

plat::SoundDevice* Device() { return P().device.get(); }
bool ThreadRunning() { return P().thread.joinable(); }

int32_t VolumeToHundredths(int32_t volume) {
  const int64_t v = ((static_cast<int64_t>(volume) * 10000) >> 16) - 10000;
  return static_cast<int32_t>(std::clamp<int64_t>(v, plat::kSoundVolumeMin, plat::kSoundVolumeMax));
}

int32_t PanToHundredths(int32_t pan) {
  const float f = static_cast<float>(pan) * (1.0f / 65536.0f) * 10000.0f;
  const float t = std::clamp(std::trunc(f), static_cast<float>(plat::kSoundPanLeft),
                             static_cast<float>(plat::kSoundPanRight));
  return static_cast<int32_t>(t);
}

void Play(SoundBank* sound, int32_t n, int32_t volume, int32_t pan) {
  SoundBufferEntry* e = EntryAt(sound, n);
  if (e == nullptr || e->buffer == nullptr) return;
  plat::SoundBuffer* b = e->buffer;
  uint32_t status = 0;
  b->GetStatus(&status);
  if (status & plat::kSoundStatusPlaying) {
    uint32_t play = 0;
    b->GetCurrentPosition(&play, nullptr);
    if (play < e->frameBytes) return;  // started less than a frame ago
  }
  b->Stop();
  b->SetVolume(VolumeToHundredths(volume));
  b->SetPan(PanToHundredths(pan));
  if (e->streamData != nullptr) {
    PrimeStream(sound, n);
    b->SetCurrentPosition(0);
    b->Play(plat::kSoundPlayLooping);
  } else {
    b->SetCurrentPosition(0);
    b->Play(0);
  }
}

void Stop(SoundBank* sound, int32_t n) {
  SoundBufferEntry* e = EntryAt(sound, n);
  if (e != nullptr && e->buffer != nullptr) e->buffer->Stop();
}

void StopAll(SoundBank* sound) {
  if (sound == nullptr || Device() == nullptr) return;
  for (auto& e : sound->entries)
    if (e->buffer != nullptr) e->buffer->Stop();
}

void SetVolume(SoundBank* sound, int32_t n, int32_t volume) {
  SoundBufferEntry* e = EntryAt(sound, n);
  if (e != nullptr && e->buffer != nullptr) e->buffer->SetVolume(VolumeToHundredths(volume));
}

int32_t Count(const SoundBank* sound) {
  return sound == nullptr ? 0 : static_cast<int32_t>(sound->entries.size());
}

void AddStream(SoundBank* sound, int32_t n) {
  SoundBufferEntry* e = EntryAt(sound, n);
  if (e == nullptr) return;
  Player& p = P();
  std::lock_guard<std::mutex> g(p.streamLock);
  p.streams.push_back(StreamEntry{sound, n, e, 0, 0});
}

void RemoveStream(SoundBank* sound) {
  Player& p = P();
  std::lock_guard<std::mutex> g(p.streamLock);
  p.streams.erase(std::remove_if(p.streams.begin(), p.streams.end(),
                                 [sound](const StreamEntry& s) { return s.sound == sound; }),
                  p.streams.end());
}

size_t StreamCount() {
  Player& p = P();
  std::lock_guard<std::mutex> g(p.streamLock);
  return p.streams.size();
}

void PrimeStream(SoundBank* sound, int32_t n) {
  Player& p = P();
  std::lock_guard<std::mutex> g(p.streamLock);
  for (StreamEntry& s : p.streams) {
    if (s.sound != sound || s.index != n) continue;
    s.position = 0;
    s.half = 0;
    FillHalf(s, 0);
    return;
  }
}

void StreamPass() {
  Player& p = P();
  std::lock_guard<std::mutex> g(p.streamLock);
  for (size_t i = p.streams.size(); i-- > 0;) RefillStream(p.streams[i]);
}

uint64_t StreamPassCount() { return P().passes.load(std::memory_order_acquire); }

namespace {

// A streamed sound's loop start in bytes. A loop start outside the data
// would leave no loop section to repeat: such a sound loops over the whole
// of its data instead.
uint32_t LoopStartBytes(int32_t frames, uint16_t blockSize, uint32_t dataSize) {
  const int64_t loop = static_cast<int64_t>(frames) * blockSize;
  return (loop < 0 || loop >= dataSize) ? 0 : static_cast<uint32_t>(loop);
}

// A stream's own copy of its samples; null when memory runs out.
std::shared_ptr<const uint8_t[]> CopySamples(const uint8_t* samples, uint32_t bytes) {
  std::unique_ptr<uint8_t[]> copy(new (std::nothrow) uint8_t[bytes]);
  if (copy == nullptr) return nullptr;
  std::memcpy(copy.get(), samples, bytes);
  try {
    return std::shared_ptr<const uint8_t[]>(std::move(copy));
  } catch (const std::bad_alloc&) {
    return nullptr;  // the copy goes with the pointer that still owns it
  }
}

bool Charge(LoadBudget* budget, uint64_t bytes) { return budget == nullptr || budget->Charge(bytes); }

// Appends e and registers its stream when it has one. When the bank cannot
// grow, e is left as it was.
void Append(SoundBank* sound, std::unique_ptr<SoundBufferEntry>& e) {
  const bool streamed = e->streamData != nullptr;
  sound->entries.push_back(std::move(e));
  if (streamed) AddStream(sound, static_cast<int32_t>(sound->entries.size() - 1));
}

}  // namespace

int AddWave(SoundBank* sound, const uint8_t* wave, size_t size, const SoundListLine& line, LoadBudget* budget) {
  WaveInfo w;
  switch (ParseWave(wave, size, &w)) {
    case WaveError::kHeader:
      return kSoundErrorHeader;
    case WaveError::kNoData:
      return kSoundErrorNoData;
    case WaveError::kNone:
      break;
  }
  plat::SoundDevice* device = Device();
  if (sound == nullptr || device == nullptr) return kSoundErrorCreate;
  const uint32_t bufferBytes = line.streamed ? kStreamBufferBytes : w.dataSize;
  if (!Charge(budget, bufferBytes)) return kSoundErrorCreate;
  if (line.streamed && !Charge(budget, w.dataSize)) return kSoundErrorStreamAlloc;
  plat::PcmFormat f;
  f.formatTag = w.formatTag;
  f.channels = w.channels;
  f.sampleRate = w.sampleRate;
  f.bitsPerSample = w.bitsPerSample;
  f.blockAlign = w.blockSize;
  f.bytesPerSecond = w.bytesPerSecond;
  auto e = std::unique_ptr<SoundBufferEntry>(new (std::nothrow) SoundBufferEntry);
  if (e == nullptr) return kSoundErrorCreate;
  if (device->CreateSoundBuffer(f, bufferBytes, &e->buffer) != plat::kSoundOk) return kSoundErrorCreate;
  plat::SoundBuffer* b = e->buffer;
  e->frameBytes = w.bytesPerSecond / 60;
  e->silence = w.bitsPerSample == 8 ? 0x80 : 0x00;
  const uint8_t* samples = wave + w.dataOffset;
  if (line.streamed) {
    e->streamData = CopySamples(samples, w.dataSize);
    if (e->streamData == nullptr) {
      b->Release();
      return kSoundErrorStreamAlloc;
    }
    e->dataSize = w.dataSize;
    e->loopStart = LoopStartBytes(line.loopStart, w.blockSize, w.dataSize);
  } else {
    void* p1 = nullptr;
    void* p2 = nullptr;
    uint32_t n1 = 0;
    uint32_t n2 = 0;
    if (b->Lock(0, 0, &p1, &n1, &p2, &n2, plat::kSoundLockEntireBuffer) != plat::kSoundOk) {
      b->Release();
      return kSoundErrorLock;
    }
    const uint32_t n = std::min(n1, w.dataSize);
    std::memcpy(p1, samples, n);
    b->Unlock(p1, n, nullptr, 0);
  }
  try {
    Append(sound, e);
  } catch (const std::bad_alloc&) {
    if (e != nullptr) b->Release();
    return kSoundErrorCreate;
  }
  return 0;
}

int AddShared(SoundBank* sound, int32_t original, const SoundListLine& line, LoadBudget* budget) {
  const SoundBufferEntry* o = EntryAt(sound, original);
  plat::SoundDevice* device = Device();
  if (o == nullptr || o->buffer == nullptr || device == nullptr) return kSoundErrorCreate;
  const bool streamed = o->streamData != nullptr;
  if (streamed && !Charge(budget, kStreamBufferBytes)) return kSoundErrorCreate;
  auto e = std::unique_ptr<SoundBufferEntry>(new (std::nothrow) SoundBufferEntry);
  if (e == nullptr) return kSoundErrorCreate;
  const plat::PcmFormat& f = o->buffer->Format();
  const int r = streamed ? device->CreateSoundBuffer(f, kStreamBufferBytes, &e->buffer)
                         : device->DuplicateSoundBuffer(o->buffer, &e->buffer);
  if (r != plat::kSoundOk) return kSoundErrorCreate;
  plat::SoundBuffer* b = e->buffer;
  e->frameBytes = o->frameBytes;
  e->silence = o->silence;
  if (streamed) {
    e->streamData = o->streamData;
    e->dataSize = o->dataSize;
    e->loopStart = LoopStartBytes(line.loopStart, f.blockAlign, o->dataSize);
  }
  try {
    Append(sound, e);
  } catch (const std::bad_alloc&) {
    if (e != nullptr) b->Release();
    return kSoundErrorCreate;
  }
  return 0;
}

void ReleaseBank(SoundBank* sound) {
  if (sound == nullptr) return;
  RemoveStream(sound);
  const bool deviceAlive = Device() != nullptr;  // a closed device freed its buffers
  for (auto& e : sound->entries) {
    if (e->buffer != nullptr && deviceAlive) e->buffer->Release();
    e->buffer = nullptr;
  }
  sound->entries.clear();
}

}  // namespace SSndMan
