#include "game/enemy/EnemyType0.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <new>
#include <string>

#include "game/enemy/EnemyMan.h"
#include "game/enemy/EnemyToolkit.h"
#include "game/enemy/Flasher.h"
#include "game/stage/ScriptStgRsc.h"
#include "vrax/resource/SImageSlot.h"

namespace {

float WordF(uint32_t w) {
  float f;
  std::memcpy(&f, &w, 4);
  return f;
}

}  // namespace

void EnemyType0::RestoreColour() {
  for (int i = 0; i < 3; ++i) colour[i] = param != nullptr ? WordF(param->typeWords[i]) : 1.0f;
  colour[3] = 1.0f;
}

void EnemyType0::SetTrackTime() {
  const float t = std::clamp(animator.value, 0.0f, std::max(track.GetTotal(), 0.0f));
  track.Advance(t - track.GetTime());
  rect = track.GetPart();
}

int32_t EnemyType0::Init(SProcArg arg) {
  NameFromParam();
  behavior.Enter();
  classKind = KIND_SIMPLE;
  quad.AllocPrims(1);
  track.Init(reinterpret_cast<const SGpKeyList*>(arg));
  track.SetLoop(false);
  rect = track.GetPart();
  scale = param != nullptr ? WordF(param->typeWord) : 1.0f;
  RestoreColour();
  position = spawnPosition;
  StartMotion();
  CreateLists(2);
  EnemyDrawListAdd(this);
  listed_ = 1;
  SetInitResult(0);
  return 0;
}

void EnemyType0::BuildQuad() {
  const float* p = GetPosition();
  quad.Seek(0, 0);
  if (rect == nullptr) {
    quad.SetActiveCount(0);
    return;
  }
  const float a = angles[2] * 6.2831855f;
  const float c = std::cos(a) * scale, s = std::sin(a) * scale;
  const float px = rect->pivotX, py = rect->pivotY, w = rect->width, h = rect->height;
  const float uv[4][2] = {{-px, -py}, {w - px, -py}, {-px, h - py}, {w - px, h - py}};
  const float tex[4][2] = {{rect->uTL, rect->vTL}, {rect->uTR, rect->vTR}, {rect->uBL, rect->vBL}, {rect->uBR, rect->vBR}};
  for (int i = 0; i < 4; ++i) {
    corners[i][0] = uv[i][0] * c - uv[i][1] * s;
    corners[i][1] = uv[i][0] * s + uv[i][1] * c;
    quad.SetPos(p[0] + corners[i][0], p[1] + corners[i][1], p[2]);
    quad.SetUV(tex[i][0], tex[i][1]);
    quad.SetColour(colour);
    quad.Next();
  }
  quad.SetActiveCount(1);
}

int32_t EnemyType0::Main(SProcArg) {
  // The quad of the frame the last step chose, before the behaviour moves.
  BuildQuad();
  SetTrackTime();
  behavior.Update();
  return 0;
}

int32_t EnemyType0::Draw(SProcArg) {
  const int32_t key = body.disabled == 0 ? kKeyNear : kKeyFar;
  EnterPartTexture(rect, key);
  quad.Enter(key);
  BroadcastAll(EVENT_DRAW, 0);
  return 0;
}

int32_t EnemyType0::OnDispose(SProcArg) {
  if (listed_ != 0) EnemyDrawListRemove(this);
  listed_ = 0;
  return 0;
}

void EnemyType0::Flash(const float* c, uint8_t hold) {
  if (flashRunning != 0) return;
  auto* f = new (std::nothrow) FlasherSprite(c, hold);
  if (f != nullptr && AddChild(1, f, 0) < 0 && f->GetParent() == nullptr) delete f;
}
