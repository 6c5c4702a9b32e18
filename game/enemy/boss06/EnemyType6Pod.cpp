#include "game/enemy/boss06/EnemyType6Pod.h"

#include <algorithm>
#include <cmath>

#include "game/effect/EfxMan.h"
#include "game/effect/RandF.h"
#include "game/enemy/BossScript.h"
#include "game/enemy/EnemyBase.h"
#include "game/enemy/EnemyToolkit.h"
#include "game/player/Player.h"
#include "game/tables/effect_tables.h"
#include "game/tables/enemy_tables.h"
#include "vrax/graphic/SGpMan.h"

namespace {

constexpr float kTwoPi = 6.2831855f;
constexpr float kHalfPi = 1.5707964f;
const float kNowhere[4] = {0.0f, 0.0f, 0.0f, 1.0f};
const float kWhite[4] = {1.0f, 1.0f, 1.0f, 1.0f};

}  // namespace

void EnemyType6PodBehavior::Orbit() {
  const float* c = centre != nullptr ? centre : kNowhere;
  position[0] = c[0] + radius * std::cos(kTwoPi * orbit);
  position[1] = c[1] + radius * std::sin(kTwoPi * orbit);
  position[2] = c[2];
}

void EnemyType6PodBehavior::Expand() {
  counter = std::min(counter + 1, 30);
  radius += (1.0f - std::cos(float(counter) * (1.0f / 30.0f) * kHalfPi)) * 15.0f + 10.0f;
}

void EnemyType6PodBehavior::Place() {
  SGpNode* root = model != nullptr ? model->GetRootNode() : nullptr;
  if (root == nullptr) return;
  SMatrix* m = root->GetLocal();
  *m = kIdentityMatrix;
  RotateLeft(m, 2, spin);
  m->m[3][0] = position[0], m->m[3][1] = position[1], m->m[3][2] = position[2];
}

int32_t EnemyType6PodBehavior::Handle(int32_t code, int32_t state) {
  if (code == CODE_LEAVE) return 1;
  if (code == CODE_NOTIFY) return state > IDLE && state <= RETURN ? 1 : 0;  // 1: draw the pod
  switch (state) {
    case IDLE:
      return 1;
    case DOCKED:
      if (code == CODE_ENTER) {
        position[0] = position[1] = position[2] = 0.0f;
        return 1;
      }
      if (SGpNode* root = model != nullptr ? model->GetRootNode() : nullptr) {
        // The quarter turn about x of preset 3 (y to -z), then the spin, at
        // the origin: the pod is drawn under node 47's world matrix, which
        // places it on the body.
        SMatrix* m = root->GetLocal();
        SMatrix::SetPreset(m, 3);
        RotateLeft(m, 2, spin);
      }
      return 1;
    case SPREAD:
    case LAUNCH:
      if (code == CODE_ENTER) {
        radius = 0.0f;
        counter = 0;
        if (state == LAUNCH) BossSe(20);
        return 1;
      }
      Orbit();
      Expand();
      if (radius >= kSpreadRadius) ChangeState(state == SPREAD ? int32_t(IDLE) : int32_t(DIVE));
      Place();
      return 1;
    case DIVE: {
      if (code == CODE_ENTER) {
        radius = 0.0f;
        counter = 0;
        heading = std::atan2(PlayerPos.y - position[1], PlayerPos.x - position[0]) / kTwoPi;
        return 1;
      }
      position[0] += radius * std::cos(kTwoPi * heading);
      position[1] += radius * std::sin(kTwoPi * heading);
      radius += acceleration;
      if (radius >= kDiveSpeed) ChangeState(RETURN);
      SGpNode* root = model != nullptr ? model->GetRootNode() : nullptr;
      if (root != nullptr) {
        SMatrix* m = root->GetLocal();
        *m = kIdentityMatrix;
        RotateLeft(m, 2, heading - 0.75f);
        m->m[3][0] = position[0], m->m[3][1] = position[1], m->m[3][2] = position[2];
      }
      static constexpr float kFrom[4] = {1.0f, 1.0f, 1.0f, 0.1f}, kTo[4] = {1.0f, 1.0f, 1.0f, 0.8f};
      const SVec4 at{position[0], position[1], position[2], 1.0f};
      const float r = RandF();
      if (EfxMan* efx = EfxMan::Instance())
        efx->SpawnSprite(6, &at, SprEfx02_4Keys, kFrom, kTo, 30, 30, r, 2.0f, 2.0f, nullptr, nullptr, 1.0f, 1);
      ++counter;
      return 1;
    }
    case RETURN:
      if (code == CODE_ENTER) {
        radius = kReturnRadius;
        return 1;
      }
      Orbit();
      radius -= radius * 0.1f;
      if (radius <= 35.0f) BossSe(45, 57344);
      if (radius <= 0.5f) ChangeState(DOCKED);
      Place();
      return 1;
    default:
      return 0;
  }
}

void EnemyType6Pod::DockWorld::Execute() {
  replaced = SGpMan::GetWorld();
  if (matrix != nullptr) SGpMan::SetWorld(*matrix);
}

void EnemyType6Pod::DockWorldEnd::Execute() { SGpMan::SetWorld(begin_->replaced); }

void EnemyType6Pod::UpdateHitPosition() {
  // Docked, the model stands at the origin of node 47's matrix: the hit
  // body goes with it, onto the node's translation.
  const float* at = kNowhere;
  if (behavior.GetState() == EnemyType6PodBehavior::DOCKED) {
    if (dockWorld.matrix != nullptr) at = dockWorld.matrix->m[3];
  } else if (SGpNode* root = model.GetRootNode()) {
    at = root->GetLocal()->m[3];
  }
  hit_[0] = at[0], hit_[1] = at[1], hit_[2] = at[2];
}

int32_t EnemyType6Pod::Init(SProcArg arg) {
  SetName("EnemyType6Pod");
  auto* boss = reinterpret_cast<EnemyBase*>(arg);
  behavior.centre = boss != nullptr ? boss->GetPosition() : nullptr;
  behavior.acceleration = 0.8f;
  model.Bind(MdlEnemyBs04a.Get());
  behavior.model = &model;
  body.Register(9, 0, HitPosition(), 6.0f, this, 100, 0);
  colour.SetColour(kWhite);
  behavior.Enter();
  UpdateHitPosition();
  return 0;
}

int32_t EnemyType6Pod::Draw(SProcArg) {
  colour.Enter(kDrawKey);
  SGpNode* root = model.GetRootNode();
  if (behavior.Notify() != 0 && root != nullptr) {
    // Docked, the model draws under the world matrix the packet before it
    // sets; elsewhere it stands on its own in the world.
    const bool docked = behavior.GetState() == EnemyType6PodBehavior::DOCKED;
    root->SetInheritWorld(docked ? 1 : 0);
    if (docked) dockWorld.Enter(kDrawKey);
    model.Enter(kDrawKey);
    if (docked) dockWorldEnd.Enter(kDrawKey);
  }
  end.Enter(kDrawKey);
  return 0;
}

int32_t EnemyType6Pod::Main(SProcArg) {
  behavior.Update();
  UpdateHitPosition();
  return 0;
}
