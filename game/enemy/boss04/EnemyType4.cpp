#include "game/enemy/boss04/EnemyType4.h"

#include <algorithm>

#include "game/core/Game.h"
#include "game/core/GameMath.h"
#include "game/enemy/EnemyToolkit.h"
#include "game/enemy/OwnParam.h"

namespace {

constexpr int32_t kPartNodes[8] = {62, 63, 67, 66, 65, 64, 68, 69};
// Blob sizes of the shadow's casting nodes.
constexpr struct {
  int32_t node;
  float size;
} kCasters[] = {{5, 150.0f},  {11, 150.0f}, {2, 200.0f},  {8, 200.0f},  {1, 200.0f},  {7, 200.0f}, {14, 300.0f},
                {49, 200.0f}, {44, 200.0f}, {54, 250.0f}, {55, 200.0f}, {56, 150.0f}, {57, 100.0f}};

}  // namespace

int32_t EnemyType4::Init(SProcArg arg) {
  script = &script_;
  const int32_t r = OnInit(arg);
  if (r < 0) return r;
  angles[0] = 0.17f;
  for (int i = 0; i < 8; ++i) {
    B002Parts& p = script_.parts[i];
    p.SetStatic(true);
    AddChild(2, &p, kPartNodes[i]);
  }
  if (SGpNode* core = model.GetNode(kCoreNode)) {
    core->SetKeepWorld(1);
    coreTranslation = &core->GetWorld()->m[3][0];
    std::copy_n(coreTranslation, 4, hitPosition);
  }
  body.Detach();
  body.Register(kHitGroup, kBodyMask, hitPosition, param != nullptr ? param->hitRadius : 0.0f, this, 0, kHitAux);
  body.SetDisabled(1);
  script_.enemy = this;
  script_.position = position;
  script_.Enter();
  shadow.Bind(PlacementNode());
  shadow.SetDirection(0.0f, -500000.0f, -1000000.0f);
  shadow.SetColour(0.0f, 0.0f, 0.0f, 0.1f);
  shadow.SetMaxDistance(2000.0f);
  SMatrix* plane = shadow.GetMatrix();
  SMatrix::Identity(plane);
  RotateLeft(plane, 0, -0.01f);
  plane->m[3][0] = 0.0f;
  plane->m[3][1] = 0.0f;
  plane->m[3][2] = position[2] - kShadowBehind;
  for (const auto& c : kCasters)
    if (ShadowCaster* s = shadow.AddCaster(model.GetNode(c.node))) s->SetSize(c.size);
  if (SGpNode* root = model.GetRootNode()) root->AddPacket(&shadow);
  shadowHold = 0;
  return 0;
}

void EnemyType4::Step() {
  UpdateNodeWorlds(model.GetRootNode());
  EnemyBase::Step();
}

int32_t EnemyType4::Main(SProcArg arg) {
  shadowHold = 0;
  OnMain(arg);
  if (coreTranslation != nullptr) {
    std::copy_n(coreTranslation, 4, hitPosition);
    const float s = 512.0f / (hitPosition[2] + 512.0f);
    hitPosition[0] *= s;
    hitPosition[1] *= s;
    hitPosition[2] = 0.0f;
  }
  previousPosition[0] = hitPosition[0];
  previousPosition[1] = hitPosition[1];
  previousPosition[2] = 0.0f;
  if (shadowHold == 0) {
    SMatrix* plane = shadow.GetMatrix();
    plane->m[3][0] = position[0];
    plane->m[3][1] = position[1];
    plane->m[3][2] = position[2] - kShadowBehind;
  }
  return 0;
}

int32_t EnemyType4::OnDispose(SProcArg arg) {
  if (script_.GetState() != SCRIPT_DEFEATED)
    if (Game* g = GetGame())
      for (int32_t v : {17, 18, 19, 20}) g->StopVoice(v);
  if (SGpNode* root = model.GetRootNode()) root->RemovePacket(&shadow);
  return EnemyBase::OnDispose(arg);
}
