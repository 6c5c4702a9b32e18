#include <algorithm>

#include "game/enemy/boss04/EnemyType4.h"

int32_t B002Parts::Init(SProcArg nodeNumber) {
  SetName("B002 Parts");
  hitPoints = 1000;
  classKind = 3;
  paramKind = 0;
  // The parts have no record of their own.
  param = nullptr;
  node = boss_->model.GetNode(int32_t(nodeNumber));
  if (node == nullptr) {
    SetInitResult(-1);
    Kill(0);
    return -1;
  }
  nodeMatrix = node->GetWorld();
  position = &nodeMatrix->m[3][0];
  node->SetKeepWorld(1);
  std::copy_n(position, 4, hitPosition);
  body.Register(kHitGroup, kMask, hitPosition, kRadius, this, 0, kHitAux);
  return 0;
}

int32_t B002Parts::Main(SProcArg) {
  std::copy_n(&nodeMatrix->m[3][0], 4, hitPosition);
  if (hitPosition[2] != 0.0f) {
    ProjectToScreen(hitPosition, hitPosition);
    hitPosition[3] = 1.0f;
  }
  if (targetableFrames > 0) --targetableFrames;
  std::copy_n(hitPosition, 3, previousPosition);
  BroadcastAll(EVENT_MAIN, 0);
  return 0;
}

int32_t B002Parts::Draw(SProcArg) {
  if (node != nullptr && node->GetParent() == nullptr) node->Enter(EnemyBase::kModelKey);
  BroadcastAll(EVENT_DRAW, 0);
  return 0;
}

int32_t B002Parts::OnDispose(SProcArg) {
  body.Detach();
  return 0;
}

int32_t B002Parts::User(int32_t code, SProcArg) {
  // Damage and defeat do nothing: a part cannot be destroyed.
  if (code == EV_GRABBED || code == EV_GRAB_ATTEMPT) KillChildrenAll(0);
  return 0;
}
