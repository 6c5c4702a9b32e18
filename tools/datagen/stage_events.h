#pragma once
// The staged set pieces of the stand-in stage scripts: which event enemy
// comes at which rail key of which stage, with the route tables whose
// animation stretches their sequences play.
#include "tools/datagen/stage_script_builder.h"

namespace datagen {

// Appends stage n's set piece (if any) to the end of its timeline.
void AddStageEvents(int stage, StageScriptBuilder& b);

}  // namespace datagen
