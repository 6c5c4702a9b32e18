#include "game/player/PlayerFx.h"

#include <cmath>

#include "game/core/Game.h"
#include "game/effect/EfxMan.h"
#include "game/effect/ExplosionBursts.h"
#include "game/effect/RandF.h"
#include "game/player/DashForm.h"
#include "game/player/Player.h"
#include "game/tables/effect_tables.h"
#include "game/tables/shot_tables.h"
#include "platform/crt_rand.h"

namespace {

constexpr float kTurn = 6.2831855f;
// Effect layers (sprite sheets) of the player's effects.
constexpr uint32_t kSheetSparkle = 6;
constexpr uint32_t kSheetOptionAppear = 13;
constexpr uint32_t kSheetOption = 14;
constexpr uint32_t kSheetBossMarker = 7;
constexpr float kWhite[4] = {1.0f, 1.0f, 1.0f, 1.0f};
constexpr float kClear[4] = {1.0f, 1.0f, 1.0f, 0.0f};

SVec4 At(const float* p) { return SVec4{p[0], p[1], p[2], 1.0f}; }

SMatrix MatrixAt(const float* p) {
  SMatrix m = kIdentityMatrix;
  m.m[3][0] = p[0];
  m.m[3][1] = p[1];
  m.m[3][2] = p[2];
  return m;
}

// The scale that makes the first part of a key list w pixels wide.
float ScaleFor(const SGpKeyList* keys, float w) {
  const float pw = keys != nullptr && keys[0].part != nullptr ? keys[0].part->width : 0.0f;
  return pw > 0.0f ? w / pw : 1.0f;
}

}  // namespace

void PlayerFx::Voice(int32_t first, int32_t second) {
  const auto d = static_cast<int32_t>(2.0f * static_cast<float>(plat::Rand()) / 32767.0f);
  Game* g = Game::GetInstance();
  if (g == nullptr) return;
  if (d == 0) g->PlayVoice(first, 61440);
  if (d == 1) g->PlayVoice(second, 61440);
}

void PlayerFx::Burst(const float* point) {
  const SVec4 from = At(point);
  // Spark k is aimed k / m turns round, m from 8 to 16, so that the first 32
  // (all the tendril pool holds) already ring the point two to four times.
  const float m = 8.0f * (1.0f + RandF());
  const int32_t n = static_cast<int32_t>(m) + 52;  // 60 to 68 sparks
  for (int32_t k = 0; k < n; ++k) {
    const float a = static_cast<float>(k) / m * kTurn;
    const float jx = RandFS() * 200.0f, jy = RandFS() * 200.0f;
    const SVec4 aim{from.x + 300.0f * std::cos(a) + jx, from.y + 300.0f * std::sin(a) + jy, 0.0f, 1.0f};
    g_EfxMan.SpawnF(3, &from, &aim, 12.0f, 0.15f, 6.0f, 30);
  }
}

void PlayerFx::Flash(const float* point) {
  const SVec4 at = At(point);
  const float s = ScaleFor(SprEfx_11Keys, 1280.0f);
  g_EfxMan.SpawnSprite(kSheetSparkle, &at, SprEfx_11Keys, kWhite, kClear, 6, 6, 0.0f, s, s, nullptr, nullptr, 0.0f,
                       1);
}

// The bomb's start: the dark trail picture at the ship (it fades out), six
// half-lit ones standing still on a 3 px circle around it, 60 degrees
// apart, a burst and the white flash.
void PlayerFx::Trail(const Player* player) {
  const SVec4 at = At(player->position);
  g_EfxMan.SpawnSpriteDir(kSheetOption, &at, &SprEfx07DescA, 0.0f, 1.5f, 1.5f, nullptr, nullptr, 0.0f, 1);
  for (int32_t k = 0; k < 6; ++k) {
    const float a = static_cast<float>(k) / 6.0f * kTurn;
    const SVec4 p{at.x + 3.0f * std::cos(a), at.y + 3.0f * std::sin(a), 0.0f, 1.0f};
    g_EfxMan.SpawnSpriteDir(kSheetSparkle, &p, &SprEfx07DescB, 0.0f, 1.5f, 1.5f, nullptr, nullptr, 0.0f, 1);
  }
  Burst(player->position);
  Flash(player->position);
}

void PlayerFx::RingBurst(const float* point) {
  const SMatrix m = MatrixAt(point);
  const float from[4] = {0.6f, 0.7f, 1.0f, 0.8f};
  const float to[4] = {0.3f, 0.3f, 1.0f, 0.0f};
  g_EfxMan.SpawnD(0, 0, &m, 10.0f, 120.0f, from, to, 20, nullptr);
}

// Debris and sparkles are the 31 x 31 dot at their sizes (28 to 53 and 6 to
// 15 units across); the one-texel list would make them a unit or less.
void PlayerFx::Debris(const float* point) {
  const SVec4 at = At(point);
  const float from[4] = {1.0f, 0.8f, 0.5f, 1.0f};
  const float to[4] = {0.6f, 0.2f, 0.1f, 0.0f};
  for (int32_t k = 0; k < 3; ++k) {
    const float a = (0.25f + RandFS() * 0.4f) * kTurn;
    const float size = 0.9f + 0.8f * RandF();
    const SVec4 v{4.0f * std::cos(a), 4.0f * std::sin(a), 0.0f, 0.0f};
    g_EfxMan.SpawnSprite(kSheetSparkle, &at, SprEfx_9Keys, from, to, 20, 10, a / kTurn, size, size, &v, nullptr,
                         0.0f, 1);
  }
}

void PlayerFx::Sparkle(const float* point, float angle, float a, float b, float damping, int32_t life,
                       int32_t life2) {
  const SVec4 at = At(point);
  const float z = RandFS() * 0.3f;
  const float size = 0.2f + 0.3f * RandF();
  const float rad = angle * kTurn;
  const SVec4 dir{std::cos(rad), std::sin(rad), z, 0.0f};
  const SVec4 fast{dir.x * a, dir.y * a, dir.z * a, 0.0f};
  const SVec4 slow{dir.x * b, dir.y * b, dir.z * b, 0.0f};
  const float to[4] = {0.75f, 0.3f, 0.3f, 0.0f};
  g_EfxMan.SpawnSprite(kSheetSparkle, &at, SprEfx_9Keys, kWhite, to, life, life2, 0.0f, size, size, &slow, &fast,
                       damping, 1);
}

void PlayerFx::BombAnchors(Player* player, const SVec4& emitter) {
  static constexpr float kOffset[3] = {-50.0f, -100.0f, 0.0f};
  static constexpr int32_t kLife = 70;
  const float blue[4] = {0.3f, 0.3f, 0.9f, 0.7f};
  const float blueOut[4] = {0.3f, 0.3f, 0.9f, 0.0f};
  const float grey[4] = {0.9f, 0.9f, 0.9f, 0.7f};
  const float greyOut[4] = {0.9f, 0.9f, 0.9f, 0.0f};
  player->bombEmitter[0] = emitter.x;
  player->bombEmitter[1] = emitter.y;
  player->bombEmitter[2] = emitter.z;
  player->bombEmitter[3] = 1.0f;
  for (int32_t i = 0; i < 3; ++i) {
    SMatrix* m = &player->anchorMatrices[i];
    *m = MatrixAt(player->bombEmitter);
    m->m[3][0] += kOffset[0];
    m->m[3][1] += kOffset[1];
    SObject* owner = nullptr;
    if (i == 0) owner = g_EfxMan.SpawnC2(0, 0, m, 0.0f, 30.0f, 6.0f, 0.0f, blue, blueOut, kLife, nullptr, player);
    if (i == 1) owner = g_EfxMan.SpawnC2(1, 0, m, 0.0f, 10.0f, 4.0f, 0.0f, grey, greyOut, kLife, nullptr, player);
    if (i == 2) owner = g_EfxMan.SpawnD2(0, 0, m, 0.0f, 100.0f, grey, greyOut, kLife, nullptr, player);
    if (owner != nullptr) player->AddAnchor(owner, player->bombEmitter, m, kOffset, nullptr, nullptr, kLife);
  }
}

void PlayerFx::ExplosionBurst(const float* point) {
  const SVec4 at = At(point);
  SpawnExplosionBurst(&at);
}

void PlayerFx::Spark(const float* point, const float* velocity, int32_t life, float width) {
  const SVec4 at = At(point);
  const SVec4 v{velocity[0], velocity[1], velocity[2], velocity[3]};
  g_EfxMan.SpawnB(4, &at, &v, life, width);
}

void PlayerFx::HitSprite(const float* point, float start) {
  const SVec4 at = At(point);
  g_EfxMan.SpawnSprite(kSheetSparkle, &at, SprPShot00_3Keys, nullptr, nullptr, 8, 8, start, 2.0f, 2.0f, nullptr,
                       nullptr, 0.0f, 1);
}

void PlayerFx::OptionAppearing(const float* point, float scale) {
  const SVec4 at = At(point);
  const float c[4] = {1.0f, 1.0f, 1.0f, 0.5f};
  g_EfxMan.SpawnSprite(kSheetOptionAppear, &at, SprEfx02_2Keys, c, c, 2, 2, 0.0f, scale, scale, nullptr, nullptr,
                       0.0f, 1);
}

void PlayerFx::OptionActive(const float* point, int32_t frame) {
  const SVec4 at = At(point);
  g_EfxMan.SpawnSpriteDir(kSheetOption, &at, &SprSubUnitDesc[frame & 3], 0.0f, 0.4f, 0.4f, nullptr, nullptr, 0.0f,
                          1);
}

void PlayerFx::OptionVanish(const float* point, int32_t frames) {
  const SMatrix m = MatrixAt(point);
  const float from[4] = {0.8f, 0.8f, 0.8f, 0.8f};
  const float to[4] = {0.8f, 0.8f, 0.8f, 0.0f};
  g_EfxMan.SpawnC(0, 0, &m, 40.0f, 20.0f, 6.0f, 0.0f, from, to, frames, nullptr);
}

void PlayerFx::DashMarker(const float* point, const float* colour, float ringScale, float phase, float markScale) {
  const SVec4 at = At(point);
  g_EfxMan.SpawnSprite(kSheetSparkle, &at, SprDashFormJakoKeysA, colour, colour, 1, 0, 0.0f, ringScale, ringScale,
                       nullptr, nullptr, 0.0f, 1);
  g_EfxMan.SpawnSprite(kSheetSparkle, &at, SprDashFormJakoKeysB, colour, colour, 1, 0, -phase, markScale, markScale,
                       nullptr, nullptr, 0.0f, 1);
}

void PlayerFx::BossMarker(const float* point, int32_t slot, float growth, float alpha) {
  const float a = (static_cast<float>(slot) / 7.0f + static_cast<float>(DashFrameCounter % 600) / 600.0f) * kTurn;
  const float c[4] = {1.0f, 0.4f, 0.3f, alpha};
  static constexpr float kRadii[3] = {100.0f, 140.0f, 180.0f};
  for (float r : kRadii) {
    const SVec4 at{point[0] + r * growth * std::cos(a), point[1] + r * growth * std::sin(a), 0.0f, 1.0f};
    g_EfxMan.SpawnSprite(kSheetBossMarker, &at, SprDashFormBossKeysA, c, c, 1, 0, 0.0f, growth, growth, nullptr,
                         nullptr, 0.0f, 1);
  }
}
