#include <algorithm>

#include "game/enemy/boss08/EnemyType8.h"

int32_t B006Parts::Init(SProcArg nodeNumber) {
  SetName("B006 Parts");
  hitPoints = 1000;
  classKind = 3;
  paramKind = 1;
  // The mounts have no record of their own.
  param = nullptr;
  node = boss_->model.GetNode(int32_t(nodeNumber));
  if (node == nullptr) {
    SetInitResult(-1);
    Kill(0);
    return -1;
  }
  node->SetKeepWorld(1);
  position = &node->GetWorld()->m[3][0];
  std::copy_n(position, 4, hitPosition);
  body.Register(kHitGroup, kMask, hitPosition, kRadius, this, 0, kHitAux);
  return 0;
}

int32_t B006Parts::Main(SProcArg) {
  std::copy_n(position, 4, hitPosition);
  if (hitPosition[2] != 0.0f) {
    ProjectToScreen(hitPosition, hitPosition);
    hitPosition[3] = 1.0f;
  }
  if (targetableFrames > 0) --targetableFrames;
  std::copy_n(hitPosition, 3, previousPosition);
  BroadcastAll(EVENT_MAIN, 0);
  return 0;
}

int32_t B006Parts::OnDispose(SProcArg) {
  body.Detach();
  return 0;
}

int32_t B006Parts::User(int32_t code, SProcArg) {
  // Damage and defeat do nothing: a mount cannot be destroyed.
  if (code == EV_GRABBED || code == EV_GRAB_ATTEMPT) KillList(0);
  return 0;
}
