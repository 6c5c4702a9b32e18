#pragma once
// The resource tables the game root loads once at start-up into resource
// group 0, which no scene releases: the loading screen's font, the common
// images with the sound-effect bank, and the remaining fonts with the music
// bank.
#include "vrax/resource/SRscMan.h"

extern const SRscRequest RscTableLoading[];
extern const SRscRequest RscTableCommon[];
extern const SRscRequest RscTableFontMusic[];

// The sound banks of the common tables (null until requested).
extern SRsc* RscSoundEffects;  // "\sound\osr_se"
extern SRsc* RscVoices;        // "\sound\osr_voice"
extern SRsc* RscMusic;         // "\sound\osr_bgm_low"

// The cache archive of the common resources.
inline constexpr const char* kCommonCacheArchive = "\\cache\\common";
