#pragma once
// What the staged set pieces (enemy types 2, 9, 17 and 18) share: they are
// model enemies that cannot be hit and do not count for the stage's
// destruction ratio; they hold the enemy timeline while they play their
// sequence, fly two-key spline paths and play voices.
#include <cstdint>

#include "game/core/Behavior.h"
#include "game/core/SplineMover.h"
#include "game/enemy/EnemyBase.h"

// The EVENT_INIT of a set piece: the type's script becomes the enemy's
// script, EnemyBase::OnInit (which pauses the timeline), the spawn is taken
// back from the stage's enemy count, the collision body leaves its group
// and the script enters its first state. The init result (negative when the
// model could not be bound: the enemy then ends, nothing else is done).
int32_t InitEventEnemy(EnemyBase* e, Behavior* script, SProcArg extra);
// The EVENT_MAIN of a set piece: the animation, one behaviour frame and the
// frames alive (no gauge: these enemies have no hit points to show).
int32_t MainEventEnemy(EnemyBase* e);
// A flight from a to b over `frames` frames: key a with the tangent
// (a, a, b), key b with (a, b, b) and no duration (tension and bias 0).
// Advance(position, 1.0) then reports its end on call frames + 1, with the
// position on b.
void StartFlight(SplineMover* mover, const float* a, const float* b, float frames);
// Voice n of the voice bank at level 61440 under the game's sound rule.
void PlayEventVoice(int32_t n);
