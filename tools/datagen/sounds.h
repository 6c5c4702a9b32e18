#pragma once
#include <string>

#include "tools/datagen/output.h"

namespace datagen {

// Synthesises the sound banks: "\sound\osr_se" and "\sound\osr_voice" as
// short distinct tones and noises, "\sound\osr_bgm_low" as streamed loops,
// each with its ".sr" sound list.
void GenerateSounds(const std::string& root, WriteStats* stats);

constexpr int kEffectSounds = 64;
constexpr int kVoiceSounds = 64;
constexpr int kMusicTracks = 8;
constexpr int kSoundRate = 22050;

}  // namespace datagen
