#pragma once
// The staged set pieces of the stand-in stage scripts: which event enemy
// comes at which rail key of which stage, with the route tables whose
// animation stretches their sequences play.
#include "tools/datagen/stage_script_builder.h"

namespace datagen {

// Where a stage's set piece comes in its timeline.
enum class EventPlace {
  kNone,           // the stage has none
  kAtKey,          // among the waves, when the rail reaches its key
  kAfterLastBoss,  // after the stage's last boss's spawn record, so in that boss's frame
  kWithBoss,       // in the frame of the boss at its key, cleared when that boss ends
};

// Appends stage n's set piece (if any) to its timeline: the timeline waits
// for the piece's rail key, then spawns it.
void AddStageEvents(int stage, StageScriptBuilder& b);
// Where stage n's set piece comes, and its rail key (-1 when it has none).
EventPlace StageEventPlace(int stage, float* railKey);

}  // namespace datagen
