#pragma once
// The resource request tables of the five stages, each loaded into resource
// group 3 by its stage scene: the enemy and boss images and models into the
// enemy slots, the stage script into StageScriptSlot, the camera paths, the
// tunnel, the object sets and the sky into MapMng's slots. Each table ends
// with a row whose target is null.
#include <cstdint>

#include "vrax/resource/SRscMan.h"

extern const SRscRequest RscTableStage1[];  // 74 rows
extern const SRscRequest RscTableStage2[];  // 147 rows
extern const SRscRequest RscTableStage3[];  // 63 rows
extern const SRscRequest RscTableStage4[];  // 56 rows
extern const SRscRequest RscTableStage5[];  // 87 rows

