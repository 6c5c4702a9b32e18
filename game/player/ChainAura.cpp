#include "game/player/ChainAura.h"

#include <cmath>

#include "game/core/Game.h"
#include "game/effect/EfxMan.h"
#include "game/effect/EfxTables.h"
#include "game/player/ChainCounter.h"
#include "game/player/Player.h"
#include "game/tables/effect_tables.h"

namespace {

constexpr float kPi = 3.14159265f;
// Below this neither quad is drawn.
constexpr float kVisible = 0.05f;
// Sizes in pixels of the unit quads at full intensity and glow.
constexpr float kAuraSize = 96.0f;
constexpr float kGlowSize = 160.0f;
constexpr float kRingA[4] = {0.2f, 1.0f, 0.0f, 1.0f};
constexpr float kRingB[4] = {0.2f, 1.0f, 0.0f, 0.1f};
constexpr float kSpriteColour[4] = {0.5f, 1.0f, 0.25f, 0.75f};

// One quad of half size h, coloured, with the soft dot's corners.
void LayQuad(SGpObj_PrimQuad& q, float h, const float* rgba) {
  const SGpRect& dot = SprEfx_1[0];
  const float corners[4][2] = {{-h, -h}, {h, -h}, {-h, h}, {h, h}};
  q.Seek(0, 0);
  for (int i = 0; i < 4; ++i) {
    const SGpUV uv = dot.Corner(i);
    q.SetPos(corners[i][0], corners[i][1], 0.0f);
    q.SetUV(uv.u, uv.v);
    q.SetColour(rgba);
    q.Next();
  }
}

}  // namespace

int32_t ChainAura::Init(SProcArg) {
  SetName("ChainAura");
  intensity = glow = 0.0f;
  frame_ = 0;
  SMatrix::Identity(&matrix);
  const float white[4] = {1.0f, 1.0f, 1.0f, 1.0f};
  const float halves[3] = {0.5f, 0.5f, 0.25f};
  for (int i = 0; i < 3; ++i) {
    if (quads_[i].GetPrimCapacity() < 1) quads_[i].AllocPrims(1);
    LayQuad(quads_[i], halves[i], white);
  }
  return 0;
}

void ChainAura::Flare(int32_t ringFrames) {
  g_EfxMan.SpawnC2(1, 0, &matrix, 30.0f, 90.0f, 60.0f, 30.0f, kRingA, kRingB, ringFrames, nullptr);
  const SVec4 at{matrix.m[3][0], matrix.m[3][1], matrix.m[3][2], 1.0f};
  g_EfxMan.SpawnSprite(6, &at, EfxKeyList6, kSpriteColour, kSpriteColour, 4, 10, 0.0f, 12.0f, 12.0f, nullptr, nullptr,
                       0.0f, 1);
}

int32_t ChainAura::Main(SProcArg) {
  ++frame_;
  if (g_Player.state != Player::STATE_PLAY) {
    intensity *= 0.8f;
    glow *= 0.8f;
    return 0;
  }
  if (g_Player.auraOff != 0)
    intensity *= 0.8f;
  else
    intensity += (1.0f - intensity) * 0.25f;
  SMatrix::Identity(&matrix);
  matrix.m[3][0] = PlayerPos.x;
  matrix.m[3][1] = PlayerPos.y;
  matrix.m[3][2] = PlayerPos.z;
  const int32_t blink = g_ChainCounter.gaugeBlink;
  if (blink != 0)
    glow += (1.0f - glow) * 0.1f;
  else
    glow *= 0.9f;
  if (blink == 1) {
    if (Game* g = GetGame()) g->PlaySe(kFlareSound, 59904);
    Flare(30);
  }
  return 0;
}

int32_t ChainAura::Draw(SProcArg) {
  if (intensity <= kVisible && glow <= kVisible) return 0;
  const float t = static_cast<float>(frame_);
  const float pulseA = 1.0f + 0.1f * std::sin(t * kPi / 15.0f);
  const float pulseB = 1.0f + 0.15f * std::sin(t * kPi / 12.0f);
  const float a = intensity * pulseA * kAuraSize;
  const float b = glow * pulseB * kGlowSize;
  const float auraColour[4] = {0.3f, 1.0f, 0.2f, 0.35f * intensity};
  const float innerColour[4] = {0.8f, 1.0f, 0.6f, 0.5f * intensity};
  const float glowColour[4] = {0.4f, 1.0f, 0.1f, 0.5f * glow};
  LayQuad(quads_[0], 0.5f * a, auraColour);
  LayQuad(quads_[1], 0.5f * b, glowColour);
  LayQuad(quads_[2], 0.25f * a, innerColour);
  world_.SetMatrix(matrix);
  world_.Enter(kDrawKey);
  if (SGpObj* tex = SprEfx_1[0].GetTexture()) tex->Enter(kDrawKey);
  for (SGpObj_PrimQuad& q : quads_) q.Enter(kDrawKey);
  return 0;
}
