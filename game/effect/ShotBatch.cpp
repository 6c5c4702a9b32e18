#include "game/effect/ShotBatch.h"

void ShotBatch::DrawAll(int count) {
  SetActiveCount(count);
  Execute();
}
