#include <cmath>

#include "game/enemy/EnemyToolkit.h"
#include "game/enemy/boss03/EnemyType3.h"

namespace {
constexpr float kHalfPi = 1.5707964f;
}  // namespace

int32_t B001Wheel::Init(SProcArg wheelNumber) {
  SetName("B001 Wheel");
  node = boss_->model.GetNode(int32_t(wheelNumber));
  translation = nullptr;
  if (node != nullptr) {
    node->SetKeepWorld(1);
    translation = &node->GetWorld()->m[3][0];
  }
  easeFrames = 120.0f;
  easeCounter = 0.0f;
  startSpeed = targetSpeed = speed = 0.02f;
  angle = 0.0f;
  return 0;
}

int32_t B001Wheel::Main(SProcArg) {
  const float t = std::min(easeCounter / easeFrames, 1.0f);
  speed = startSpeed + (targetSpeed - startSpeed) * (1.0f - std::cos(t * kHalfPi));
  angle -= speed;
  // The boss's animation has set the node's local matrix this frame.
  if (node != nullptr) RotateLeft(node->GetLocal(), 0, angle);
  easeCounter += 1.0f;
  BroadcastAll(EVENT_MAIN, 0);
  return 0;
}

int32_t B001Wheel::Draw(SProcArg) {
  if (node != nullptr && node->GetParent() == nullptr) node->Enter(EnemyBase::kModelKey);
  return 0;
}
