#pragma once
// The resource request tables of the end-of-play scenes, each loaded into
// the scenes' resource group, and their cache archives.
#include "game/scene/AttractScene.h"
#include "vrax/resource/SRscMan.h"

extern const SRscRequest RscTableResult[];   // "\Module\Result_Back", "\Module\Result_Spr"
extern const SRscRequest RscTableEnding1[];  // "\Module\Ending1", "\Module\Staff"
extern const SRscRequest RscTableEnding2[];  // "\Module\Ending2", "\Module\Staff"
extern const SRscRequest RscTableEntry[];    // "\Module\Entry"
extern const SRscRequest RscTableRanking[];  // "\Module\Ranking"

// Their cache archives.
inline constexpr const char* kResultCacheArchive = "\\cache\\result";
inline constexpr const char* kEnding1CacheArchive = "\\cache\\ending1";
inline constexpr const char* kEnding2CacheArchive = "\\cache\\ending2";
inline constexpr const char* kEntryCacheArchive = "\\cache\\entry";
inline constexpr const char* kRankingCacheArchive = "\\cache\\ranking";
// The continue scene's image is a common resource: its archive holds none.
inline constexpr const char* kContinueCacheArchive = "\\cache\\continue";
extern const SRscRequest RscTableNone[];

// Every end-of-play scene's table with its archive (the data generator
// writes the same archives with the data tree).
extern const SceneCacheTable EndSceneCacheTables[6];
