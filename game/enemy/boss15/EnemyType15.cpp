#include "game/enemy/boss15/EnemyType15.h"

#include "game/enemy/BossScript.h"
#include "game/enemy/BossSteps.h"
#include "game/enemy/EnemyToolkit.h"
#include "game/stage/MapMng.h"

int32_t EnemyType15::Init(SProcArg arg) {
  script = &script_;
  const int32_t r = OnInit(arg);
  if (r < 0) return r;
  script_.position = GetPosition();
  script_.Enter();
  g_MapMng.armedT = kArenaStart;
  g_MapMng.armedAt = kArenaEnd;
  g_MapMng.armedPath = 0;
  g_MapMng.armed = 1;
  return 0;
}

// EnemyBase's drawing with the model first turned a quarter turn about x.
int32_t EnemyType15::Draw(SProcArg) {
  if (image != nullptr) image->GetTexturePacket(0)->Enter(kModelKey);
  if (model.GetRootNode() != nullptr) model.Enter(kModelKey);
  if (script != nullptr) script->Notify();
  // The rotation part starts from a quarter turn about x, written exactly:
  // rows (1, 0, 0), (0, 0, 1), (0, -1, 0); the translation stays.
  static constexpr float kQuarterX[3][4] = {
      {1.0f, 0.0f, 0.0f, 0.0f}, {0.0f, 0.0f, 1.0f, 0.0f}, {0.0f, -1.0f, 0.0f, 0.0f}};
  SMatrix* m = placement.GetLocal();
  for (int r = 0; r < 3; ++r)
    for (int c = 0; c < 4; ++c) m->m[r][c] = kQuarterX[r][c];
  RotateLeft(m, 0, angles[0]);
  RotateLeft(m, 1, angles[1]);
  gauge.Enter(kGaugeKey);
  spare.Enter(kGaugeKey);
  BroadcastAll(EVENT_DRAW, 0);
  return 0;
}

int32_t EnemyType15::End(SProcArg) {
  BroadcastAll(EVENT_END, 0);
  return 0;
}

int32_t EnemyType15::OnDispose(SProcArg arg) {
  if (script_.GetState() != SCRIPT_DEFEATED) StopBossVoices({53, 54, 55, 56});
  return EnemyBase::OnDispose(arg);
}

void EnemyType15::StepChildren() { script_.PlaceOptions(); }
