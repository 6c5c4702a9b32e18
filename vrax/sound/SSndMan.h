#pragma once
#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

#include "vrax/sound/SoundList.h"

class LoadBudget;

namespace plat {
class SoundBuffer;
class SoundDevice;
class Window;
}  // namespace plat

// The sound player: the sound device, the stream table and the streaming
// thread, as free functions over one global state.
//
// A sound bank (what a sound resource loads) holds one buffer entry per line
// of its list. A static entry's buffer holds the whole sound; a streamed
// entry keeps the whole sample data in memory and plays through a 64 KB
// looping buffer that the streaming thread refills half by half, looping back
// to the loop start.
//
// Volumes and pans are 16.16 fixed point: volume 0..65536 (full), pan -65536
// (full left) .. 65536 (full right).

constexpr uint32_t kStreamBufferBytes = 0x10000;
constexpr uint32_t kStreamHalfBytes = 0x8000;
constexpr size_t kStreamTableReserve = 256;

struct SoundBufferEntry {
  plat::SoundBuffer* buffer = nullptr;
  // Streamed: the whole sample data (shared by the bank's streamed entries
  // of the same file); null: static.
  std::shared_ptr<const uint8_t[]> streamData;
  uint32_t loopStart = 0;   // streamed: byte offset playback loops back to
  uint32_t dataSize = 0;    // streamed: bytes of sample data
  uint32_t frameBytes = 0;  // bytes of one 1/60 s frame of sound
  uint8_t silence = 0;      // the format's silent byte (0x80 for 8-bit)
};

// The buffers of one sound resource; sound n is entry n. Entries are held by
// pointer so a stream entry's pointer stays valid while the bank grows.
struct SoundBank {
  std::vector<std::unique_ptr<SoundBufferEntry>> entries;
};

// One streamed sound the streaming thread keeps fed.
struct StreamEntry {
  SoundBank* sound = nullptr;
  int32_t index = 0;
  SoundBufferEntry* entry = nullptr;
  uint32_t position = 0;  // next byte of the stream data to copy
  uint32_t half = 0;      // 0: the next fill goes to the second half; 1: to the first
};

// Error lines of adding one wave file to a bank, as the loader reports them.
constexpr int kSoundErrorHeader = 151;      // not RIFF WAVE, or no "fmt " before the samples
constexpr int kSoundErrorNoData = 163;      // no usable "data" chunk
constexpr int kSoundErrorCreate = 217;      // the device refused the buffer
constexpr int kSoundErrorStreamAlloc = 232; // no memory for the stream data
constexpr int kSoundErrorLock = 254;        // the static buffer could not be locked

// Copies one half's worth (room bytes) of a stream into dst starting at
// position: straight on while the data lasts, then the loop section (loop
// start to data size) repeated as often as needed. Returns the next position;
// a position that reaches the data size becomes the loop start. Never spins:
// an empty loop section fills the rest with silence.
uint32_t FillStreamHalf(const uint8_t* data, uint32_t dataSize, uint32_t loopStart,
                        uint32_t position, uint8_t* dst, uint32_t room, uint8_t silence);

namespace SSndMan {

// Opens the sound device (the real output, else a clock-driven silent one),
// reserves the stream table and starts the streaming thread. Returns 0.
// The graphic manager calls it once its device exists; window is not used.
// When the device is already open it stays (with every buffer on it) and
// only a stopped thread is started again.
int Init(plat::Window* window);
// The same over a given device; startThread false leaves the refills to
// StreamPass (tests drive them step by step). Returns -1 on a null device.
int InitWithDevice(std::unique_ptr<plat::SoundDevice> device, bool startThread);
// Ends the streaming thread and waits for it; nothing when none runs.
void StopThread();
// Stops the thread if needed and closes the device (at shutdown, after every
// sound resource was disposed: their buffers die with the device).
void ReleaseDevice();
plat::SoundDevice* Device();
bool ThreadRunning();

// Converts a 16.16 volume to hundredths of a decibel: (v x 10000 >> 16) - 10000,
// held within -10000..0.
int32_t VolumeToHundredths(int32_t volume);
// Converts a 16.16 pan: trunc(pan / 65536 x 10000), held within -10000..10000.
int32_t PanToHundredths(int32_t pan);

// Plays sound n: nothing when n is out of range or the sound is playing and
// has played less than one frame's worth of data (no restart within a frame);
// otherwise stops it, sets volume and pan and starts it from the beginning,
// once for a static sound, looping (with its stream primed) for a streamed one.
void Play(SoundBank* sound, int32_t n, int32_t volume, int32_t pan);
void Stop(SoundBank* sound, int32_t n);
void StopAll(SoundBank* sound);
// Sets sound n's volume, playing or not.
void SetVolume(SoundBank* sound, int32_t n, int32_t volume);
int32_t Count(const SoundBank* sound);

// Stream table edits; they exclude the streaming thread's refill passes.
void AddStream(SoundBank* sound, int32_t n);
void RemoveStream(SoundBank* sound);
size_t StreamCount();
// Restarts sound n's stream at position 0 and fills the buffer's first half.
void PrimeStream(SoundBank* sound, int32_t n);
// One pass of the streaming thread: refills every stream entry that needs it.
void StreamPass();
// Passes the streaming thread has completed.
uint64_t StreamPassCount();

// Creates the buffer for one wave file and appends it to the bank: streamed
// per the list line (registering its stream), else static. Returns 0 or one
// of the kSoundError* lines; a failing file appends nothing. With a budget,
// the bytes the sound takes (a static sound's buffer; a streamed one's
// looping buffer and its copy of the samples) are charged before they are
// made: a charge refused is kSoundErrorCreate for the buffer and
// kSoundErrorStreamAlloc for the copy. Memory running out is the same.
int AddWave(SoundBank* sound, const uint8_t* wave, size_t size, const SoundListLine& line,
            LoadBudget* budget = nullptr);
// Appends a sound of the same file and kind as entry `original` of the bank
// (made by AddWave) without reading the file again: a static sound's buffer
// shares the original's memory, a streamed one gets its own looping buffer
// (charged to the budget) over the original's sample data, looping from
// this line's loop start. Returns 0 or a kSoundError* line.
int AddShared(SoundBank* sound, int32_t original, const SoundListLine& line, LoadBudget* budget = nullptr);
// Removes the bank's streams, releases its buffers and frees its data.
void ReleaseBank(SoundBank* sound);

}  // namespace SSndMan
