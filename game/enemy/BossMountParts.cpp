#include "game/enemy/BossMountParts.h"

#include <algorithm>

#include "game/enemy/EnemyBase.h"

int32_t BossMountParts::Init(SProcArg nodeNumber) {
  SetName(kind_.name);
  hitPoints = 1000;
  classKind = 3;
  paramKind = kind_.paramKind;
  // The pieces have no record of their own.
  param = nullptr;
  node = boss_->model.GetNode(int32_t(nodeNumber));
  if (node == nullptr) {
    SetInitResult(-1);
    Kill(0);
    return -1;
  }
  // The node keeps its world matrix: its translation row is where the
  // piece, and the generators on it, stand.
  node->SetKeepWorld(1);
  nodeMatrix = node->GetWorld();
  position = &nodeMatrix->m[3][0];
  std::copy_n(position, 4, hitPosition);
  body.Register(kHitGroup, kMask, hitPosition, kind_.radius, this, 0, kHitAux);
  return 0;
}

int32_t BossMountParts::Main(SProcArg) {
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

int32_t BossMountParts::OnDispose(SProcArg) {
  body.Detach();
  return 0;
}

int32_t BossMountParts::User(int32_t code, SProcArg) {
  // Damage and defeat do nothing: a piece cannot be destroyed. Grabbed, it
  // lets go of what hangs on it.
  if (code != EV_GRABBED && code != EV_GRAB_ATTEMPT) return 0;
  if (kind_.endsEveryList)
    KillChildrenAll(0);
  else
    KillList(0);
  return 0;
}
