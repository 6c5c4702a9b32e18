#pragma once
// What a test can tell of the game's sounds without listening: each entry
// of a loaded bank ("\sound\osr_se", "\sound\osr_voice", "\sound\osr_bgm_low")
// is a buffer of the sound device. Mark gives an entry's buffer the lowest
// volume, which no play at a level above 0 sets, so Played tells whether
// the entry has been started since; Loop starts an entry looping, so that
// it plays until something stops it and Playing tells whether something
// did. Neither depends on how long a sound lasts or how fast the machine
// runs.
#include <cstdint>

class SRsc;

namespace testsupport {

// The loaded sound-effect, voice and music banks of the running program
// (null before the common resources are in).
SRsc* EffectBank();
SRsc* VoiceBank();
SRsc* MusicBank();

void MarkSound(SRsc* bank, int32_t n);
// Stops entry n, then marks it: a play that comes less than a frame's worth
// of sound after an earlier one leaves a playing entry as it is, unmarked,
// so a test that looks for a second start stops the first.
void RearmSound(SRsc* bank, int32_t n);
bool SoundPlayed(SRsc* bank, int32_t n);
// The entry's buffer volume in hundredths of a decibel (the minimum when
// the entry does not exist).
int32_t SoundVolume(SRsc* bank, int32_t n);
void LoopSound(SRsc* bank, int32_t n);
void StopSound(SRsc* bank, int32_t n);
bool SoundPlaying(SRsc* bank, int32_t n);

}  // namespace testsupport
