#include "game/enemy/Flasher.h"

#include <new>

#include "game/enemy/EObjBase.h"
#include "game/enemy/EnemyType0.h"

namespace {

EObjBase* EnemyOf(SProc* p) { return p != nullptr ? dynamic_cast<EObjBase*>(p->GetParent()) : nullptr; }

void Copy4(float* to, const float* from) {
  for (int i = 0; i < 4; ++i) to[i] = from[i];
}

}  // namespace

Flasher::Flasher(SGpNode* nodeA, SGpNode* nodeB, const float* colour, uint8_t hold)
    : hold_(hold), nodeA_(nodeA), nodeB_(nodeB != nullptr ? nodeB : nodeA) {
  Copy4(colour_, colour);
}

int32_t Flasher::Init(SProcArg) {
  SetName("Flasher");
  set_.SetColour(colour_);
  if (nodeA_ != nullptr) {
    // Front insertions: the light set runs first, then the ambient set.
    nodeA_->AddPacketFront(&set_.ambient);
    nodeA_->AddPacketFront(&set_.light);
    nodeB_->AddPacket(&restore_.ambient);
    nodeB_->AddPacket(&restore_.light);
    attached_ = 1;
  }
  if (EObjBase* e = EnemyOf(this)) e->flashRunning = 1;
  SetInitResult(0);
  return 0;
}

int32_t Flasher::Main(SProcArg) {
  if (hold_ == 0 && ++frames_ >= kFlashFrames) Kill(0);
  return 0;
}

int32_t Flasher::KillChildren(SProcArg arg) {
  if (EObjBase* e = EnemyOf(this)) e->flashRunning = 0;
  if (attached_ != 0) {
    nodeA_->RemovePacket(&set_.ambient);
    nodeB_->RemovePacket(&restore_.ambient);
    nodeA_->RemovePacket(&set_.light);
    nodeB_->RemovePacket(&restore_.light);
    attached_ = 0;
  }
  return SProc::KillChildren(arg);
}

FlasherSprite::FlasherSprite(const float* colour, uint8_t hold) : hold_(hold) { Copy4(colour_, colour); }

int32_t FlasherSprite::Init(SProcArg) {
  SetName("Flasher");
  if (auto* e = dynamic_cast<EnemyType0*>(GetParent())) {
    Copy4(e->colour, colour_);
    e->flashRunning = 1;
  }
  SetInitResult(0);
  return 0;
}

int32_t FlasherSprite::Main(SProcArg) {
  if (hold_ == 0 && ++frames_ >= kFlashFrames) Kill(0);
  return 0;
}

int32_t FlasherSprite::KillChildren(SProcArg arg) {
  if (auto* e = dynamic_cast<EnemyType0*>(GetParent())) {
    e->RestoreColour();
    e->flashRunning = 0;
  }
  return SProc::KillChildren(arg);
}

void StartModelFlash(EObjBase* enemy, SGpNode* nodeA, const float* colour, uint8_t hold) {
  if (enemy->flashRunning != 0) return;
  SGpNode* nodeB = nodeA != nullptr ? nodeA->GetLastInTree() : nullptr;
  auto* f = new (std::nothrow) Flasher(nodeA, nodeB, colour, hold);
  if (f != nullptr && enemy->AddChild(1, f, 0) < 0 && f->GetParent() == nullptr) delete f;
}
