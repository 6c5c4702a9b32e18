#include "support/SoundProbe.h"

#include "platform/sound_device.h"
#include "vrax/resource/SRscMan.h"
#include "vrax/resource/SRsc_Sound.h"

namespace testsupport {

namespace {

plat::SoundBuffer* Buffer(SRsc* bank, int32_t n) {
  auto* sound = dynamic_cast<SRsc_Sound*>(bank);
  if (sound == nullptr || n < 0 || n >= static_cast<int32_t>(sound->Bank()->entries.size())) return nullptr;
  return sound->Bank()->entries[size_t(n)]->buffer;
}

SRsc* Find(const char* path) {
  SRscMan* rm = GetRscMan();
  return rm != nullptr ? rm->Find(path, RscTag("SND")) : nullptr;
}

}  // namespace

SRsc* EffectBank() { return Find("\\sound\\osr_se"); }
SRsc* VoiceBank() { return Find("\\sound\\osr_voice"); }
SRsc* MusicBank() { return Find("\\sound\\osr_bgm_low"); }

void MarkSound(SRsc* bank, int32_t n) {
  if (plat::SoundBuffer* b = Buffer(bank, n)) b->SetVolume(plat::kSoundVolumeMin);
}

void RearmSound(SRsc* bank, int32_t n) {
  StopSound(bank, n);
  MarkSound(bank, n);
}

bool SoundPlayed(SRsc* bank, int32_t n) {
  int32_t volume = plat::kSoundVolumeMin;
  plat::SoundBuffer* b = Buffer(bank, n);
  return b != nullptr && b->GetVolume(&volume) == plat::kSoundOk && volume != plat::kSoundVolumeMin;
}

int32_t SoundVolume(SRsc* bank, int32_t n) {
  int32_t volume = plat::kSoundVolumeMin;
  if (plat::SoundBuffer* b = Buffer(bank, n)) b->GetVolume(&volume);
  return volume;
}

void LoopSound(SRsc* bank, int32_t n) {
  if (plat::SoundBuffer* b = Buffer(bank, n)) b->Play(plat::kSoundPlayLooping);
}

void StopSound(SRsc* bank, int32_t n) {
  if (plat::SoundBuffer* b = Buffer(bank, n)) b->Stop();
}

bool SoundPlaying(SRsc* bank, int32_t n) {
  uint32_t status = 0;
  plat::SoundBuffer* b = Buffer(bank, n);
  return b != nullptr && b->GetStatus(&status) == plat::kSoundOk && (status & plat::kSoundStatusPlaying) != 0;
}

}  // namespace testsupport
