#include "game/enemy/BossOption3D.h"

#include "game/enemy/BossOption2D.h"
#include "game/enemy/SpawnChild.h"
#include "vrax/resource/SImageSlot.h"

BossOption3D* BossOption3D::Spawn(SProc* boss, const EnemyRscSlotPair* pair) {
  return SpawnChild<BossOption3D>(boss, kBossList, reinterpret_cast<SProcArg>(pair));
}

int32_t BossOption3D::Init(SProcArg arg) {
  SetName("Boss Option3D");
  glide.Start(OptionAnchor(GetParent(), ownAnchor_));
  const auto* pair = reinterpret_cast<const EnemyRscSlotPair*>(arg);
  SRsc_Model* m = pair != nullptr && pair->model != nullptr ? pair->model->Get() : nullptr;
  image = pair != nullptr ? pair->image : nullptr;
  position = spare_;
  if (model.Bind(m) == 0 && model.GetRootNode() != nullptr) position = &model.GetRootNode()->GetLocal()->m[3][0];
  for (int i = 0; i < 3; ++i) position[i] = glide.current[i];
  return 0;
}

int32_t BossOption3D::Main(SProcArg) {
  glide.Step();
  for (int i = 0; i < 3; ++i) position[i] = glide.current[i];
  return 0;
}

int32_t BossOption3D::Draw(SProcArg) {
  if (image != nullptr)
    if (SRsc_Image* img = image->Get()) img->GetTexturePacket(0)->Enter(kDrawKey);
  if (model.GetRootNode() != nullptr) model.Enter(kDrawKey);
  return 0;
}
