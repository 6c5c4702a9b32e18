// The scripted explosion sequences (pool 8). Kinds 1 and 2 ease the stage's
// rail speed back to normal after a wait; kinds 3 to 7 are frame timelines of
// smoke, streaks, a rising column, a blast of ring and discs, a white flash of
// the screen and debris, which kill a given process at the blast.
#include <cmath>

#include "game/core/Game.h"
#include "game/effect/EfxMan.h"
#include "game/effect/EfxMath.h"
#include "game/effect/EfxTables.h"
#include "game/stage/MapMng.h"

namespace {

constexpr float kTwoPi = 6.2831855f;

struct Timeline {
  int32_t burstLo, burstHi;  // ages of the burst window, both included
  int32_t soundAge;
  float burstOffset, burstSpan;
  uint32_t streakKind;
  int32_t columnLo, columnHi;
  float columnOffset, columnSpan;
  int32_t blast, end;
  int32_t debrisLo, debrisHi;  // every other age from lo to hi; lo > hi: none
  float debrisBase, debrisScale;
  float puff[4], puffTarget[4], column[4];
  float ring1[4], ring2[4], disc1[4], disc2[4];
  int32_t ringLife;
  float debris[4], debrisTarget[4];
};

// Kinds 3 to 7.
constexpr Timeline kTimelines[5] = {
    {0, 129, 1, 0, 130, 4, 81, 159, 80, 80, 160, 270, 1, 0, 0, 0,
     {0.5f, 0.5f, 0.5f, 0.1f}, {0.7f, 0.7f, 0.7f, 0.8f}, {0.5f, 0.5f, 0.5f, 0.1f},
     {1, 1, 0.95f, 0.6f}, {1, 1, 0.85f, 0.6f}, {1, 1, 0.95f, 0.5f}, {1, 0.5f, 0, 0.5f}, 120, {}, {}},
    {10, 139, 11, 10, 130, 2, 21, 169, 20, 150, 170, 280, 1, 0, 0, 0,
     {0.4f, 0.4f, 0.7f, 0.1f}, {0.6f, 0.6f, 0.8f, 0.8f}, {0.4f, 0.4f, 0.6f, 0.1f},
     {0.95f, 1, 1, 0.6f}, {0.85f, 1, 1, 0.6f}, {0.95f, 1, 1, 0.5f}, {0, 0.5f, 1, 0.5f}, 120, {}, {}},
    {170, 299, 171, 170, 130, 2, 151, 329, 150, 180, 330, 440, 1, 0, 0, 0,
     {0.4f, 0.4f, 0.7f, 0.1f}, {0.6f, 0.6f, 0.8f, 0.8f}, {0.4f, 0.4f, 0.6f, 0.1f},
     {0.95f, 1, 1, 0.75f}, {0.85f, 1, 1, 0.75f}, {0.95f, 1, 1, 0.5f}, {0, 0.5f, 1, 0.5f}, 120, {}, {}},
    {30, 159, 31, 30, 130, 0, 81, 189, 80, 110, 190, 300, 216, 260, 10, 70,
     {0.7f, 0.4f, 0.4f, 0.1f}, {0.8f, 0.6f, 0.6f, 0.8f}, {0.6f, 0.4f, 0.4f, 0.1f},
     {1, 1, 0.95f, 0.75f}, {1, 1, 0.85f, 0.75f}, {1, 1, 0.95f, 0.5f}, {1, 0.5f, 0, 0.5f}, 120,
     {0.6f, 0.4f, 0.4f, 0.2f}, {0.85f, 0.65f, 0.65f, 0.6f}},
    {0, 219, 1, 0, 220, 4, 21, 249, 20, 230, 250, 360, 275, 319, 20, 100,
     {0.5f, 0.5f, 0.5f, 0.1f}, {0.7f, 0.7f, 0.7f, 0.8f}, {0.5f, 0.5f, 0.5f, 0.1f},
     {1, 1, 0.95f, 0.75f}, {1, 1, 0.85f, 0.75f}, {1, 1, 0.95f, 0.5f}, {1, 0.5f, 0, 0.5f}, 140,
     {0.5f, 0.5f, 0.5f, 0.2f}, {0.75f, 0.75f, 0.75f, 0.6f}},
};

SVec4 Add(const SVec4& p, float x, float y, float z) { return SVec4{p.x + x, p.y + y, p.z + z, p.w}; }

// The rail speed eases back to 1.0 over `steps` frames; the armed section
// change of a boss fight is switched off.
void RestoreRail(int32_t steps) {
  g_MapMng.StartTransition(1.0f, steps);
  g_MapMng.armed = 0;
}

}  // namespace

void EfxMan::UpdateSequences() {
  live_[7].SafeWalk([this](SObject* o) { StepSequence(static_cast<EfxSequence*>(o)); });
}

void EfxMan::StepSequence(EfxSequence* e) {
  e->age += 1;
  const int32_t age = e->age;
  if (e->kind == 1 || e->kind == 2) {
    const bool due = e->kind == 1 ? age > e->count : e->param < g_MapMng.t;
    if (due) {
      RestoreRail(e->kind == 1 ? static_cast<int32_t>(e->param) : e->count);
      e->Release(1);
    }
    return;
  }
  const Timeline& tl = kTimelines[e->kind - 3];
  const bool raised = e->kind == 3 || e->kind == 7;
  const SVec4 pos = e->pos;
  const SVec4 high = Add(pos, 0.0f, raised ? 10.0f : 0.0f, 0.0f);
  Game* game = GetGame();

  if (age >= tl.burstLo && age <= tl.burstHi) {
    const float u = (static_cast<float>(age) - tl.burstOffset) / tl.burstSpan;
    const int32_t n = static_cast<int32_t>(u * 4.0f + 1.0f);
    const float s = u * 7.9f + 0.1f;
    if (age == tl.soundAge && game != nullptr) game->PlaySe(55, 59648);
    for (int32_t i = 0; i < n; ++i) {
      const float a = RandFS();
      const float dist = RandF() * s * 128.0f;
      const float dz = RandF() * s * -256.0f;
      const float scale = RandF() * 0.5f + 0.3f;
      const SVec4 off{std::cos(a * kTwoPi) * dist, std::sin(a * kTwoPi) * dist, dz, 0.0f};
      const SVec4 at = Add(high, off.x, off.y, off.z);
      const SVec4 v2{off.x * -0.015625f, off.y * -0.015625f, off.z * -0.015625f, 0.0f};
      SpawnSprite(8, &at, EfxKeyList7, tl.puff, tl.puffTarget, 30, 30, 0.0f, scale, scale, nullptr, &v2, 0.0f, 1);
      for (int k = 0; k < 2; ++k) {
        const float b = RandF();
        const float r = k == 0 ? RandF() * 120.0f + 150.0f : RandF() * static_cast<float>(n) * 120.0f + 150.0f;
        const SVec4 d{std::cos(b * kTwoPi) * r, std::sin(b * kTwoPi) * r, r, 0.0f};
        const float f = k == 0 ? -0.05f : -1.0f / (20.0f * static_cast<float>(n));
        const SVec4 start = Add(high, d.x, d.y, d.z);
        const SVec4 v{d.x * f, d.y * f, d.z * f, 0.0f};
        SpawnB(tl.streakKind, &start, &v, static_cast<int32_t>(r * (k == 0 ? 0.22222222f : 0.25f)), 1.0f);
      }
    }
  }
  if (age >= tl.columnLo && age <= tl.columnHi) {
    float f = (static_cast<float>(age) - tl.columnOffset) / tl.columnSpan;
    if (f > 1.0f) f = 1.0f;
    const float s = f * 3.0f + 1.0f;
    const float a = RandF();
    const float dist = RandF() * s * 4.0f;
    const SVec4 at = Add(high, std::cos(a * kTwoPi) * dist, std::sin(a * kTwoPi) * dist, 0.0f);
    SpawnSprite(8, &at, EfxKeyList7, tl.column, tl.puffTarget, 15, 15, 0.0f, s, s, nullptr, nullptr, 0.0f, 1);
  }
  if (age == tl.blast) {
    if (game != nullptr) game->PlaySe(48, 65536);
    SMatrix m = kIdentityMatrix;
    m.m[3][0] = pos.x, m.m[3][1] = pos.y, m.m[3][2] = pos.z;
    const SMatrix flat = m;
    MatrixRotateX(&m, -0.1f);
    SpawnC(1, 1, &m, 32.0f, 768.0f, 0.0f, 64.0f, tl.ring1, tl.ring2, tl.ringLife, nullptr);
    SpawnD(1, 1, &m, 64.0f, 1024.0f, tl.disc1, tl.disc2, tl.ringLife, nullptr);
    if (e->kind >= 4) SpawnD(1, 1, &flat, 64.0f, 1024.0f, tl.disc1, tl.disc2, 180, nullptr);
  }
  if (age == tl.blast + 10 && game != nullptr) game->RampValue(Game::kFadeLayerFlash, 2.0f, 10);
  if (age == tl.blast + 25) {
    if (SProc* victim = LiveProc(e->victim)) victim->Kill(0);
    if (game != nullptr) game->RampValue(Game::kFadeLayerFlash, 1.0f, 85);
  }
  if (e->kind == 3 && (age == tl.blast + 25 || age == tl.blast + 40)) {
    static constexpr float kFrom[4] = {0.8f, 0.8f, 0.8f, 0.8f};
    static constexpr float kTo[4] = {0.65f, 0.65f, 0.65f, 0.5f};
    for (int i = 0; i < 12; ++i) {
      const float a = static_cast<float>(i) / 12.0f;
      const SVec4 v2{std::cos(a * kTwoPi) * 15.0f, std::sin(a * kTwoPi) * 10.0f, 0.0f, 0.0f};
      SpawnSprite(8, &pos, EfxKeyList1, kFrom, kTo, 80, 120, RandF(), 17.0f, 17.0f, nullptr, &v2, 0.965f, 1);
    }
  }
  if (age >= tl.debrisLo && age <= tl.debrisHi && (age - tl.debrisLo) % 2 == 0) {
    const float a = RandF();
    const float dist = RandF() * tl.debrisScale + tl.debrisBase;
    const float vz = e->kind == 6 ? (RandF() - 0.5f) * 16.0f : 0.0f;
    const SVec4 at = Add(pos, std::cos(a * kTwoPi) * dist, std::sin(a * kTwoPi) * dist, 0.0f);
    const SVec4 v2{std::cos(a * kTwoPi) * 3.0f, std::sin(a * kTwoPi) * 3.0f, vz, 0.0f};
    SpawnSprite(8, &at, EfxKeyList1, tl.debris, tl.debrisTarget, 30, 100, RandF(), 8.0f, 8.0f, nullptr, &v2, 0.97f,
                1);
  }
  if (age >= tl.end) e->Release(1);
}
