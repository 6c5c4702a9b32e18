#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "vrax/io/LoadBudget.h"
#include "vrax/io/SFile.h"
#include "vrax/resource/SRsc.h"
#include "vrax/sound/SSndMan.h"
#include "vrax/sound/SoundList.h"

// The sound kind ('SND'): a numbered bank of sound buffers; sound n is line n
// of the resource's sound list.
class SRsc_Sound : public SRsc {
 public:
  uint32_t Kind() const override { return RscTag("SND"); }
  // SSndMan::Play / SSndMan::Stop on this bank.
  virtual void Play(int32_t n, int32_t volume, int32_t pan);
  virtual void Stop(int32_t n);

  SoundBank* Bank() { return &bank_; }
  int32_t Count() const { return static_cast<int32_t>(bank_.entries.size()); }

 protected:
  SoundBank bank_;
};

// The sound bank loaded from a sound list (".sr"): the list is read first,
// then one wave file per line, each turned into a static or streamed buffer.
// Lines past the first kMaxSoundListLines are left out and told with one
// error line; the bank is ready with the sounds before them.
//
// A file a line names again, as the same kind of sound, is not read again:
// the line's sound shares the earlier one's samples (a static buffer over the
// same memory, or a looping buffer of its own over the same stream data) and
// takes a frame, as a file from the cache would. The bytes the sounds take
// are charged to the resource's budget before they are made; a sound past it
// (or past what all resources may hold together) fails the bank with the
// line of the buffer it could not make. A failed bank keeps the sounds it
// made, and their charge, until it is released.
class SRsc_Sound_Ex : public SRsc_Sound {
 public:
  SRsc_Sound_Ex() = default;
  ~SRsc_Sound_Ex() override;

  // The 'SND' factory.
  static SRsc* Create();
  // The sound device every bank's buffers live on.
  static plat::SoundDevice* GetDirectSound() { return SSndMan::Device(); }

  int32_t GetStep() const { return step_; }
  const std::string& GetDirectory() const { return directory_; }

 protected:
  int32_t Init(SProcArg arg) override;
  int32_t Main(SProcArg arg) override;
  int32_t OnDispose(SProcArg arg) override;

 private:
  void Fail(int line);
  // Frees the list and reports the bank ready.
  void Finish();
  enum class Next { kQueued, kEnd, kDamaged };
  // From the cursor on: appends an empty sound for each blank line, then
  // queues the wave file of the first line with a name. kEnd when the list
  // has no further line, or when the bank holds kMaxSoundListLines sounds
  // (the lines left are told with one error line); kDamaged on a line that
  // cannot be read.
  Next QueueLine();
  // One loader step (Main without its guard against memory running out).
  void Step();

  // A sound made from a file, for the lines that name the file again.
  struct Made {
    std::string name;
    bool streamed;
    int32_t index;  // its entry in the bank
  };

  int32_t step_ = 0;  // 0 list, 1 wave files, 2 finished, -1 failed
  size_t cursor_ = 0;
  std::string directory_;
  SFile listFile_;
  SFile waveFile_;
  SoundListLine line_;  // the line whose wave file is being read
  int32_t shareOf_ = -1;  // >= 0: line_ names the file of that entry again
  std::vector<Made> made_;
};

// The player's operations on a resource (a null pointer or a resource of
// another kind does nothing), for the game's resource slots.
namespace SSndMan {
void Play(SRsc* sound, int32_t n, int32_t volume, int32_t pan);
void Stop(SRsc* sound, int32_t n);
void StopAll(SRsc* sound);
void SetVolume(SRsc* sound, int32_t n, int32_t volume);
int32_t Count(SRsc* sound);
}  // namespace SSndMan
