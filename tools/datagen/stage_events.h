#pragma once
// The staged set pieces of the stand-in stage scripts: which event enemy
// comes at which rail key of which stage, with the route tables whose
// animation stretches their sequences play.
#include "tools/datagen/stage_script_builder.h"

namespace datagen {

// Appends stage n's set piece (if any) to its timeline: the timeline waits
// for the piece's rail key, then spawns it.
void AddStageEvents(int stage, StageScriptBuilder& b);
// The rail key of stage n's set piece (-1 when it has none), and whether the
// piece stays until the stage ends (it then holds the timeline for good).
float StageEventKey(int stage);
bool StageEventLasts(int stage);

}  // namespace datagen
