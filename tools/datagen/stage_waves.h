#pragma once
// The content of each stage's script: which enemies come when, with their
// parameters, scripts, routes and bullet paths.
#include "tools/datagen/stage_script_builder.h"

namespace datagen {

// Stage 1 to 5, or 0 for the tutorial.
void BuildStageWaves(int stage, StageScriptBuilder& b);

}  // namespace datagen
