// The Player's drawing and visual effects: the hull and second part, the
// shields and lock-on markers, the blade trails, the effect anchors, the
// sparkles and the per-frame effects of the special modes.
#include <cmath>

#include "game/core/Game.h"
#include "game/core/GameMath.h"
#include "game/effect/RandF.h"
#include "game/player/DashForm.h"
#include "game/player/Player.h"
#include "game/player/PlayerFx.h"
#include "game/tables/shot_tables.h"
#include "platform/crt_rand.h"
#include "vrax/graphic/SGpState.h"

namespace {

constexpr float kTurn = 6.2831855f;

// The motions during which the blade trail is laid.
bool TrailMotion(int32_t m) {
  switch (m) {
    case 16: case 17: case 19: case 20: case 21: case 24: case 25: case 26:
    case 29: case 30: case 31: case 34: case 35: case 36:
      return true;
    default:
      return false;
  }
}

}  // namespace

int32_t Player::Draw(SProcArg) {
  if (drawn != 0) {
    DrawHull();
    DrawPart();
    DrawMarks();
  }
  const Game* g = Game::GetInstance();
  if (g == nullptr || !g->IsPaused()) StepTrail();
  BuildTrails();
  BroadcastAll(EVENT_DRAW, 0);
  return 0;
}

// The shields (a ring of quads round the ship while invulnerable) and the
// two lock-on markers, in one quad list textured with the ship's part.
void Player::DrawMarks() {
  if (marks.GetPrimCapacity() < kMarkQuads) marks.AllocPrims(kMarkQuads);
  const SGpRect& part = SprPShot00_1[0];
  int32_t q = 0;
  auto quad = [&](float x, float y, float half, const float* c) {
    if (q >= kMarkQuads) return;
    marks.Seek(q++, 0);
    static constexpr float kCorner[4][2] = {{-1, -1}, {1, -1}, {-1, 1}, {1, 1}};
    for (int v = 0; v < 4; ++v) {
      marks.SetPos(x + kCorner[v][0] * half, y + kCorner[v][1] * half, 0.0f);
      marks.SetColour(c[0], c[1], c[2], c[3]);
      const SGpUV uv = part.Corner(v);
      marks.SetUV(uv.u, uv.v);
      marks.Next();
    }
  };
  const int32_t frame = GetFrameCount();
  if (shieldShown != 0 && invulnerability > 0) {
    const float pulse = 0.35f + 0.15f * std::sin(static_cast<float>(frame) * 0.3f);
    const float c[4] = {0.5f, 0.8f, 1.0f, pulse};
    for (int32_t k = 0; k < 12; ++k) {
      const float a = (static_cast<float>(k) / 12.0f + static_cast<float>(frame) * 0.01f) * kTurn;
      quad(displayPosition[0] + 36.0f * std::cos(a), displayPosition[1] + 36.0f * std::sin(a), 8.0f, c);
    }
  }
  if (lockMarkersShown != 0 && controlMode == CONTROL_LOCKON) {
    const float c[4] = {1.0f, 0.4f, 0.3f, 0.8f};
    quad(lockOnReference[0] - 24.0f, lockOnReference[1], 6.0f, c);
    quad(lockOnReference[0] + 24.0f, lockOnReference[1], 6.0f, c);
  }
  marks.SetActiveCount(q);
  if (q == 0) return;
  WorldPresets[1].Enter(kShipDrawKey);
  if (SGpObj* tex = part.GetTexture()) tex->Enter(kShipDrawKey);
  marks.Enter(kShipDrawKey);
}

void Player::StepTrail() {
  if (TrailMotion(slots[0].motion)) {
    CaptureBonePositions();
    const SVec4 a = BonePosition(12);
    const SVec4 tip = BonePosition(13);
    float dx = tip.x - a.x, dy = tip.y - a.y, dz = tip.z - a.z;
    const float len = std::sqrt(dx * dx + dy * dy + dz * dz);
    if (len > 0.0001f) {
      dx /= len, dy /= len, dz /= len;
    } else {
      dx = 0.0f, dy = -1.0f, dz = 0.0f;
    }
    trails[1].Push(a, SVec4{a.x + dx * 70.0f, a.y + dy * 70.0f, a.z + dz * 70.0f, 1.0f});
  }
  for (RecordQueue& q : trails)
    if (!q.records.empty()) q.Tick();
}

void Player::BuildTrails() {
  trails[0].BuildRibbon();
  trails[1].BuildRibbon();
}

// ============================================================ anchors

int32_t Player::AddAnchor(SObject* owner, float* ownerPosition, SMatrix* ownerMatrix, const float* offset,
                          const float* rotation, const float* scaling, int32_t life) {
  for (int32_t i = 0; i < kAnchors; ++i) {
    Anchor& a = anchors[i];
    if (a.life >= 0) continue;
    a = Anchor{};
    a.owner.Set(owner);
    a.ownerPosition = ownerPosition;
    a.ownerMatrix = ownerMatrix;
    a.life = life;
    if (offset != nullptr) {
      a.flags |= Anchor::kOffset;
      for (int k = 0; k < 3; ++k) a.offset[k] = offset[k];
    }
    if (rotation != nullptr) {
      a.flags |= Anchor::kRotation;
      for (int k = 0; k < 3; ++k) a.rotation[k][0] = rotation[k];
    }
    if (scaling != nullptr) {
      a.flags |= Anchor::kScaling;
      for (int k = 0; k < 3; ++k) a.scaling[k][0] = scaling[k];
    }
    return i;
  }
  return -1;
}

void Player::StepAnchors() {
  for (Anchor& a : anchors) {
    if (a.life < 0) continue;
    --a.life;
    // The owner effect may have ended; its position and matrix are read
    // only while it exists.
    if (a.owner.Get() != nullptr && a.ownerPosition != nullptr) {
      const bool offset = (a.flags & Anchor::kOffset) != 0;
      for (int k = 0; k < 3; ++k) a.position[k] = a.ownerPosition[k] + (offset ? a.offset[k] : 0.0f);
      if (a.ownerMatrix != nullptr) {
        SMatrix* m = a.ownerMatrix;
        if ((a.flags & Anchor::kScaling) != 0)
          for (int r = 0; r < 3; ++r)
            for (int c = 0; c < 3; ++c) m->m[r][c] *= a.scaling[r][0];
        if ((a.flags & Anchor::kRotation) != 0)
          MakeRotationXYZ(m, m, a.rotation[0][0], a.rotation[1][0], a.rotation[2][0]);
        m->m[3][0] = a.position[0];
        m->m[3][1] = a.position[1];
        m->m[3][2] = a.position[2];
      }
    }
    if (a.life < 0) a = Anchor{};
  }
}

// ============================================================ sparkles

void Player::SpawnSparkle(const float* point, float angle, float speedA, float speedB, float v0, float, float, float,
                          int32_t life, int32_t life2) {
  const float damping = v0 > 0.0f && v0 < 1.0f ? v0 : 0.9f;
  PlayerFx::Sparkle(point, angle, speedA, speedB, damping, life, life2);
}

void Player::SpawnEffect(const float* point, float angle, float speedA, float speedB, float v0, float v1,
                         float v2, int32_t life, int32_t life2) {
  CaptureBonePositions();
  const SVec4 e7 = BonePosition(7);
  const SVec4 e14 = BonePosition(14);
  const bool bones = e7.x != e14.x || e7.y != e14.y;
  const float base = bones ? std::atan2(e14.y - e7.y, e14.x - e7.x) * 0.15915494f - 0.25f : 0.0f;
  const float a7[4] = {bones ? e7.x : point[0], bones ? e7.y : point[1], bones ? e7.z : point[2], 1.0f};
  const float a14[4] = {bones ? e14.x : point[0], bones ? e14.y : point[1], bones ? e14.z : point[2], 1.0f};
  SpawnSparkle(a7, base + angle, speedA, speedB, v0, v1, v2, 0.0f, life, life2);
  SpawnSparkle(a14, base + angle, speedA, speedB, v0, v1, v2, 0.0f, life, life2);
}

void Player::EmitRandomEffect(const float* point, float angle) {
  const float r1 = RandF(), r2 = RandF(), r3 = RandF(), r4 = RandF();
  plat::Rand();  // two further draws keep the sequence at six
  plat::Rand();
  SpawnEffect(point, angle, 20.0f, 1.2f + 0.3f * r1, 0.4f + 0.3f * r2, 0.2f * (1.0f + r3), 0.1f * r4, 20, 40);
}

void Player::ModeEffects() {
  if (controlMode != CONTROL_DASH || dashEffectCount > 4) return;
  const DashForm& f = g_DashForm;
  if (f.dashState == DashForm::DASH_STRIKING && dash.n % 3 == 0) {
    EmitRandomEffect(position, 0.2f * RandF());
    ++dashEffectCount;
  } else if (f.dashState == DashForm::DASH_CLOSING && f.stateCounter % 3 == 0) {
    EmitRandomEffect(position, 0.2f * RandF());
    ++dashEffectCount;
  }
}
