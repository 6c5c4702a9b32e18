#include "game/enemy/BossOption2D.h"

#include "game/enemy/EObjBase.h"
#include "game/enemy/EnemyToolkit.h"
#include "game/enemy/SpawnChild.h"

const float* OptionAnchor(SProc* parent, const float* fallback) {
  auto* e = dynamic_cast<EObjBase*>(parent);
  return e != nullptr ? e->GetPosition() : fallback;
}

BossOption2D* BossOption2D::Spawn(SProc* boss, const SGpKeyList* keys) {
  return SpawnChild<BossOption2D>(boss, kBossList, reinterpret_cast<SProcArg>(keys));
}

int32_t BossOption2D::Init(SProcArg arg) {
  SetName("Boss Option2D");
  fadeMode = FADE_IN;
  fadeCount = 0;
  alpha = 0.0f;
  quad.AllocPrims(1);
  quad.SetActiveCount(0);
  track.Init(reinterpret_cast<const SGpKeyList*>(arg));
  glide.Start(OptionAnchor(GetParent(), ownAnchor_));
  return 0;
}

int32_t BossOption2D::Main(SProcArg) {
  glide.Step();
  track.Advance(1.0f);
  if (fadeMode == FADE_IN) {
    alpha = float(fadeCount) / float(kFadeInFrames);
    if (++fadeCount == kFadeInFrames) {
      fadeCount = 0;
      fadeMode = SHOWN;
    }
  } else if (fadeMode == FADE_OUT) {
    alpha -= alpha * float(fadeCount) / float(kFadeOutFrames);
    if (++fadeCount == kFadeOutFrames) Kill(0);
  }
  quad.Seek(0, 0);
  if (const SGpRect* r = track.GetPart()) {
    const float hw = r->width * 0.5f, hh = r->height * 0.5f;
    const float x = glide.current[0], y = glide.current[1];
    const float corners[4][4] = {{x - hw, y - hh, r->uTL, r->vTL},
                                 {x + hw, y - hh, r->uTR, r->vTR},
                                 {x - hw, y + hh, r->uBL, r->vBL},
                                 {x + hw, y + hh, r->uBR, r->vBR}};
    for (const auto& c : corners) {
      quad.SetColour(1.0f, 1.0f, 1.0f, alpha);
      quad.SetPos(c[0], c[1], 0.0f);
      quad.SetUV(c[2], c[3]);
      quad.Next();
    }
  }
  quad.SetActiveCount(quad.GetCurVertex() / 4);
  return 0;
}

int32_t BossOption2D::Draw(SProcArg) {
  EnterPartTexture(track.GetPart(), kDrawKey);
  quad.Enter(kDrawKey);
  return 0;
}

int32_t BossOption2D::User(int32_t code, SProcArg) {
  if (code == kHitEventDefeated || code == EObjBase::EV_GRABBED || code == EObjBase::EV_GRAB_ATTEMPT) {
    fadeMode = FADE_OUT;
    fadeCount = 0;
  }
  return 0;
}
