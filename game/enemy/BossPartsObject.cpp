#include "game/enemy/BossPartsObject.h"

#include "game/core/Game.h"
#include "vrax/graphic/SGpMan.h"

BossPartsObject* BossPartsObject::Attach(SProc* boss, BossPartsObject* companion) {
  if (companion == nullptr) return nullptr;
  if (boss != nullptr) boss->AddChild(0, companion, 0);
  if (companion->GetParent() == nullptr) {
    delete companion;
    return nullptr;
  }
  return companion;
}

SGpNode* BossPartsObject::GetNode(int32_t n) { return owner != nullptr ? owner->GetNode(n) : nullptr; }

SGpNode* BossPartsObject::GetTopNode() {
  SGpNode* root = owner != nullptr ? owner->GetRootNode() : nullptr;
  return root != nullptr ? root->GetRoot() : nullptr;
}

void BossPartsObject::Project(float* out, const float* p, float d) {
  out[0] = d * p[0] / (d + p[2]);
  out[1] = d * p[1] / (d + p[2]);
  out[2] = 0.0f;
  out[3] = 1.0f;
}

void BossPartsObject::ClearNodePackets() {
  if (SGpNode* top = GetTopNode()) top->ClearPackets();
  if (owner == nullptr) return;
  for (int32_t i = owner->NodeCount() - 1; i >= 0; --i)
    if (SGpNode* n = owner->GetNode(i)) n->ClearPackets();
}

float BossPartsObject::RootDepth() {
  SGpNode* root = owner != nullptr ? owner->GetRootNode() : nullptr;
  if (root == nullptr) return 0.0f;
  root->SetKeepWorld(1);
  root->GetRoot()->UpdateKept(nullptr, 0);
  return root->GetWorld()->m[3][2];
}

void BossPartsObject::NodePoint(float* out, int32_t n) {
  static constexpr float kOrigin[3] = {0.0f, 0.0f, 0.0f};
  SGpNode* node = GetNode(n);
  Project(out, node != nullptr ? node->GetWorld()->m[3] : kOrigin, 512.0f);
}

void BossPartsObject::RequestPresentSkip(int32_t mask) {
  Game* game = GetGame();
  SGpMan* gp = GetGpMan();
  if (game == nullptr || gp == nullptr) return;
  // The counter is -1 from the pad's reset and only grows from 0 while the
  // button is held, so on a cabinet without the button it never applies.
  if (game->GamePadRef().GetCounter(SPad::PAD_BUTTON3) < 0) return;
  gp->SetPresentSkip((timer.GetCount() & mask) != 0 ? 1 : 0);
}
