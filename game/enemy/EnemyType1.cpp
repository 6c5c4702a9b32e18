#include "game/enemy/EnemyType1.h"

#include <algorithm>
#include <cstring>
#include <string>

#include "game/enemy/EnemyMan.h"
#include "game/enemy/EnemyToolkit.h"
#include "game/enemy/Flasher.h"
#include "game/stage/ScriptStgRsc.h"
#include "game/tables/enemy_tables.h"

void EnemyType1::ApplyAnimation() { trackTime = model.PoseAt(animator.value); }

int32_t EnemyType1::Init(SProcArg arg) {
  NameFromParam();
  behavior.Enter();
  classKind = KIND_SIMPLE;
  const auto* pair = reinterpret_cast<const EnemyRscSlotPair*>(arg);
  texture = pair != nullptr && pair->image != nullptr ? pair->image->Get() : nullptr;
  modelRsc = pair != nullptr && pair->model != nullptr ? pair->model->Get() : nullptr;
  CreateLists(2);
  EnemyDrawListAdd(this);
  listed_ = 1;
  if (model.BindUnder(modelRsc, &placement, spawnPosition) < 0) {
    // A model that cannot be bound: nothing to show, the enemy ends.
    modelRsc = nullptr;
    SetInitResult(-1);
    Kill(0);
    return -1;
  }
  trackLength = model.Length();
  ApplyAnimation();
  position = &placement.GetLocal()->m[3][0];
  StartMotion();
  SetInitResult(0);
  return 0;
}

int32_t EnemyType1::Main(SProcArg) {
  ApplyAnimation();
  behavior.Update();
  return 0;
}

void EnemyType1::BuildRotation() {
  SMatrix* m = placement.GetLocal();
  ResetRotation(m);
  RotateLeft(m, 0, angles[0]);
  RotateLeft(m, 1, angles[1]);
  RotateLeft(m, 2, angles[2]);
}

int32_t EnemyType1::Draw(SProcArg) {
  BuildRotation();
  const int32_t key = body.disabled == 0 ? kKeyNear : kKeyFar;
  if (texture != nullptr) texture->GetTexturePacket(0)->Enter(key);
  if (model.GetRootNode() != nullptr) model.Enter(key);
  BroadcastAll(EVENT_DRAW, 0);
  return 0;
}

int32_t EnemyType1::OnDispose(SProcArg) {
  if (listed_ != 0) EnemyDrawListRemove(this);
  listed_ = 0;
  return 0;
}

void EnemyType1::Flash(const float* c, uint8_t hold) { StartModelFlash(this, model.GetRootNode(), c, hold); }
