#include <cstdint>

#include "game/effect/EfxMath.h"
#include "game/enemy/BossKit.h"
#include "game/enemy/boss10/Boss10.h"

namespace {

// Blob sizes of the shadow: (node, size) in the order they are added.
constexpr struct {
  int32_t node;
  float size;
} kBlobs[] = {{1, 500}, {1, 500}, {1, 500}, {1, 500}, {51, 200}, {59, 250}, {59, 300}, {53, 120}, {57, 120},
              {60, 120}, {63, 120}, {16, 200}, {17, 150}, {68, 200}, {79, 250}, {79, 300}, {70, 120}, {74, 120},
              {77, 120}, {80, 120}, {8, 200}, {9, 150}, {3, 200}, {4, 150}};

}  // namespace

int32_t EnemyType10::Init(SProcArg arg) {
  script = &script_;
  if (OnInit(arg) < 0) return -1;
  hitPosition[0] = 0.0f, hitPosition[1] = -1000.0f, hitPosition[2] = 0.0f;
  body.SetDisabled(1);
  angles[0] = -0.021f;
  script_.emitterPoint = NodePoint(this, 89);
  script_.hitPoint = NodePoint(this, 90);
  for (int i = 0; i < 3; ++i) script_.muzzle[i] = NodePoint(this, 91 + i);
  script_.enemy = this;
  script_.position = position;
  script_.Enter();
  // The shadow falls on a ground plane tilted a little, 100 behind the boss.
  shadow_.Bind(PlacementNode());
  shadow_.SetDirection(0.0f, -500000.0f, -1000000.0f);
  shadow_.SetColour(0.0f, 0.0f, 0.0f, 0.15f);
  shadow_.SetMaxDistance(2000.0f);
  SMatrix* plane = shadow_.GetMatrix();
  SMatrix::Identity(plane);
  MatrixRotateX(plane, -0.01f);
  plane->m[3][0] = position[0], plane->m[3][1] = position[1], plane->m[3][2] = position[2] + 100.0f;
  for (const auto& b : kBlobs)
    if (SGpNode* n = model.GetNode(b.node))
      if (ShadowCaster* c = shadow_.AddCaster(n)) c->SetSize(b.size);
  if (SGpNode* root = model.GetRootNode()) {
    root->AddPacket(&shadow_);
    shadowAttached_ = 1;
  }
  UpdateNodeWorlds(this);
  return 0;
}

int32_t EnemyType10::Main(SProcArg arg) {
  OnMain(arg);
  UpdateNodeWorlds(this);
  ProjectToScreen(script_.hitPoint, hitPosition);
  for (int i = 0; i < 2; ++i) previousPosition[i] = position[i];
  previousPosition[2] = 0.0f;
  SMatrix* plane = shadow_.GetMatrix();
  for (int i = 0; i < 3; ++i) plane->m[3][i] = position[i];
  return 0;
}

int32_t EnemyType10::OnDispose(SProcArg arg) {
  if (shadowAttached_ != 0)
    if (SGpNode* root = model.GetRootNode()) root->RemovePacket(&shadow_);
  shadowAttached_ = 0;
  return EnemyBase::OnDispose(arg);
}
