#include "game/core/StageCounters.h"

int32_t StageEnemyCount = 0;
int32_t StageDefeatCount = 0;

void ResetStageCounters() {
  StageEnemyCount = 0;
  StageDefeatCount = 0;
}
