#pragma once
// The resource request tables of the end-of-play scenes, each loaded into
// the scenes' resource group, and their cache archives.
#include "vrax/resource/SRscMan.h"

extern const SRscRequest RscTableResult[];   // "\Module\Result_Back", "\Module\Result_Spr"
extern const SRscRequest RscTableEnding1[];  // "\Module\Ending1", "\Module\Staff"
extern const SRscRequest RscTableEnding2[];  // "\Module\Ending2", "\Module\Staff"
extern const SRscRequest RscTableEntry[];    // "\Module\Entry"
extern const SRscRequest RscTableRanking[];  // "\Module\Ranking"
