#include "game/enemy/boss06/EnemyType6Arm.h"

#include <cmath>

#include "game/core/GameMath.h"
#include "vrax/graphic/SGpMan.h"
#include "vrax/resource/SImageSlot.h"

namespace {

constexpr float kTwoPi = 6.2831855f;
const float kNowhere[4] = {0.0f, 0.0f, 0.0f, 1.0f};
const float kWhite[4] = {1.0f, 1.0f, 1.0f, 1.0f};

}  // namespace

void AimAround(float* out, const float* anchor, float a, float r, const float* tilt) {
  SMatrix m = kIdentityMatrix;
  MakeRotationXYZ(&m, tilt[0], tilt[1], tilt[2]);
  const float v[3] = {r * std::cos(kTwoPi * a), r * std::sin(kTwoPi * a), 0.0f};
  for (int i = 0; i < 3; ++i) out[i] = anchor[i] + v[0] * m.m[0][i] + v[1] * m.m[1][i] + v[2] * m.m[2][i];
}

void EaseTo(float* current, const float* target, float rate) {
  for (int i = 0; i < 3; ++i) current[i] = rate == 1.0f ? target[i] : current[i] + (target[i] - current[i]) * rate;
}

int32_t EnemyType6Arm::Init(SProcArg arg) {
  SetName("EnemyType6Arm");
  const float* a = anchor != nullptr ? anchor : kNowhere;
  for (int i = 0; i < 3; ++i) current[i] = target[i] = position[i] = a[i];
  rate = 1.0f;
  visible = 1;
  angles[0] = angles[1] = angles[2] = 0.0f;
  const auto* pair = reinterpret_cast<const EnemyRscSlotPair*>(arg);
  image = pair != nullptr ? pair->image : nullptr;
  model.Bind(pair != nullptr && pair->model != nullptr ? pair->model->Get() : nullptr);
  body.Register(9, 0x10, position, 14.0f, this, 100, 0);
  colour.SetColour(kWhite);
  return 0;
}

void EnemyType6Arm::Aim(float angle, float radius, float k, const float* tilt) {
  AimAround(target, anchor != nullptr ? anchor : kNowhere, angle, radius, tilt);
  rate = k;
  EaseTo(current, target, k);
  for (int i = 0; i < 3; ++i) position[i] = current[i];
}

int32_t EnemyType6Arm::Main(SProcArg) {
  if (SGpNode* root = model.GetRootNode()) {
    SMatrix* m = root->GetLocal();
    *m = kIdentityMatrix;
    m->m[3][0] = position[0], m->m[3][1] = position[1], m->m[3][2] = position[2];
    MakeRotationXYZ(m, m, angles[0], angles[1], angles[2]);
  }
  return 0;
}

int32_t EnemyType6Arm::Draw(SProcArg) {
  if (visible == 0) return 0;
  // Everything at the default key, set to the arm's own first.
  if (SGpMan* gp = GetGpMan()) gp->SetDefaultKey(kDrawKey);
  colour.EnterDefault();
  if (image != nullptr)
    if (SRsc_Image* img = image->Get()) img->GetTexturePacket(0)->EnterDefault();
  if (model.GetRootNode() != nullptr) model.EnterDefault();
  end.EnterDefault();
  return 0;
}
