#include "game/enemy/EnemyType1.h"

#include <algorithm>
#include <cstring>
#include <string>

#include "game/enemy/EnemyMan.h"
#include "game/enemy/EnemyToolkit.h"
#include "game/enemy/Flasher.h"
#include "game/stage/ScriptStgRsc.h"
#include "game/tables/enemy_tables.h"

void EnemyType1::ApplyAnimation() {
  trackTime = std::clamp(animator.value, 0.0f, std::max(trackLength, 0.0f));
  if (modelRsc == nullptr) return;
  SGpMotionCursor c;
  c.model = modelRsc;
  c.time = trackTime;
  model.ApplyMotion(c);
}

int32_t EnemyType1::Init(SProcArg arg) {
  if (param != nullptr) SetName(std::string(param->name, strnlen(param->name, sizeof param->name)));
  behavior.Enter();
  classKind = KIND_SIMPLE;
  const auto* pair = reinterpret_cast<const EnemyRscSlotPair*>(arg);
  texture = pair != nullptr && pair->image != nullptr ? *pair->image : nullptr;
  modelRsc = pair != nullptr && pair->model != nullptr ? *pair->model : nullptr;
  CreateLists(2);
  EnemyDrawListAdd(this);
  listed_ = 1;
  if (model.Bind(modelRsc) < 0 || model.GetRootNode() == nullptr) {
    // A model that cannot be bound: nothing to show, the enemy ends.
    modelRsc = nullptr;
    SetInitResult(-1);
    Kill(0);
    return -1;
  }
  trackLength = modelRsc->GetLastFrame();
  ApplyAnimation();
  SMatrix* m = placement.GetLocal();
  SMatrix::Identity(m);
  model.GetRootNode()->SetParent(&placement);
  m->m[3][0] = spawnPosition[0];
  m->m[3][1] = spawnPosition[1];
  m->m[3][2] = spawnPosition[2];
  position = &m->m[3][0];
  motion.Setup(motionCursor != nullptr ? &motionCursor->block : nullptr);
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
  for (int r = 0; r < 3; ++r)
    for (int c = 0; c < 4; ++c) m->m[r][c] = r == c ? 1.0f : 0.0f;
  RotateLeft(m, 0, angles[0]);
  RotateLeft(m, 1, angles[1]);
  RotateLeft(m, 2, angles[2]);
}

int32_t EnemyType1::Draw(SProcArg) {
  BuildRotation();
  const int32_t key = body.disabled == 0 ? kKeyNear : kKeyFar;
  if (texture != nullptr)
    if (SGpState_Texture* t = texture->GetTexturePacket(0)) t->Enter(key);
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
