#pragma once
// The stage's enemy counters behind the destruction ratio of the stage
// result: enemies spawned by the enemy timeline and enemies defeated, both
// cleared when a stage starts.
#include <cstdint>

extern int32_t StageEnemyCount;
extern int32_t StageDefeatCount;

// Both counters to 0.
void ResetStageCounters();
