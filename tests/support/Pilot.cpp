#include "support/Pilot.h"

#include <cmath>
#include <vector>

#include "game/core/HitBody.h"
#include "game/enemy/EObjBase.h"
#include "game/player/DashForm.h"
#include "game/player/Player.h"

namespace testsupport {

namespace {

using plat::CabInput;

// The ship's reach: x -208 .. 208, y -256 .. 288.
constexpr float kLeft = -208.0f, kRight = 208.0f, kTop = -256.0f, kBottom = 288.0f;
// Where the ship waits when nothing calls it elsewhere: low on the screen.
constexpr float kHomeY = 220.0f;
// The lock-on sweep: a circle of 88 around a point 28 above the ship; the
// pilot puts its target this far into it.
constexpr float kSweepLift = 28.0f;
constexpr float kSweepRadius = 88.0f;
// Room round the spot below a target that must be free of threats.
constexpr float kSpotRoom = 45.0f;
// Frames the chaining pilot holds its fire for a target to come within reach.
constexpr int32_t kHoldFire = 240;
constexpr float kSweepReach = 60.0f;
// Frames looked ahead when steering, and the room kept round each threat.
constexpr int kLookAhead = 10;
constexpr float kMargin = 10.0f;

float Clamp(float v, float lo, float hi) { return v < lo ? lo : (v > hi ? hi : v); }

// Where the ship sweeps a target at y of radius r from: below it, the
// target well inside the sweep.
float SweepSpot(float y, float r) { return Clamp(y + kSweepLift + kSweepReach + r * 0.5f, kTop + 60.0f, kBottom); }

}  // namespace

void Pilot::Hold(CabInput in, bool on) {
  const int i = static_cast<int>(in);
  if (held_[i] == on) return;
  held_[i] = on;
  h_.Hold(in, on);
}

void Pilot::ReleaseAll() {
  for (CabInput in : {CabInput::kUp, CabInput::kDown, CabInput::kLeft, CabInput::kRight, CabInput::kButton1,
                      CabInput::kButton2})
    Hold(in, false);
}

void Pilot::ScreenPoint(const HitBody* b, float* x, float* y) {
  const float* p = b->position;
  const float z = p[2];
  const float s = z != 0.0f ? 512.0f / (z + 512.0f) : 1.0f;
  *x = p[0] * s;
  *y = p[1] * s;
}

int Pilot::Steer(float gx, float gy, float speed, const Threat* threats, int n) const {
  const float px = g_Player.position[0], py = g_Player.position[1];
  int best = 4;
  float bestCost = 1e30f;
  for (int m = 0; m < 9; ++m) {
    const float dx = static_cast<float>(m % 3 - 1), dy = static_cast<float>(m / 3 - 1);
    float cost = 0.0f;
    for (int t = 1; t <= kLookAhead; ++t) {
      const float x = Clamp(px + dx * speed * static_cast<float>(t), kLeft, kRight);
      const float y = Clamp(py + dy * speed * static_cast<float>(t), kTop, kBottom);
      for (int i = 0; i < n; ++i) {
        const Threat& th = threats[i];
        const float ex = x - (th.x + th.vx * static_cast<float>(t));
        const float ey = y - (th.y + th.vy * static_cast<float>(t));
        const float room = std::sqrt(ex * ex + ey * ey) - th.r - kMargin;
        // A hit soon weighs more than one later; near misses a little.
        if (room < 0.0f) cost += 100000.0f / static_cast<float>(t);
        else if (room < 20.0f) cost += (20.0f - room) * 10.0f / static_cast<float>(t);
      }
    }
    const float x = Clamp(px + dx * speed * kLookAhead, kLeft, kRight);
    const float y = Clamp(py + dy * speed * kLookAhead, kTop, kBottom);
    cost += std::sqrt((x - gx) * (x - gx) + (y - gy) * (y - gy));
    if (cost < bestCost) bestCost = cost, best = m;
  }
  return best;
}

void Pilot::Dash() {
  const DashForm& f = g_DashForm;
  if (f.dashState != lastDashState_ && f.dashState == DashForm::DASH_OPENING) ++dashes_;
  lastDashState_ = f.dashState;
  Hold(CabInput::kButton2, false);
  for (CabInput in : {CabInput::kUp, CabInput::kDown, CabInput::kLeft, CabInput::kRight}) Hold(in, false);
  // Against a boss each strike waits for a press inside its window: one,
  // on the marker's beat (the sixth frame of the aim).
  const bool press = f.variant == DashForm::VARIANT_BOSS && f.dashState == DashForm::DASH_AIMING && f.stateCounter == 6;
  Hold(CabInput::kButton1, press);
  shotHeld_ = 0;
}

void Pilot::Fly() {
  if (g_Player.state != Player::STATE_PLAY) {
    ReleaseAll();
    shotHeld_ = 0;
    last_.clear();
    return;
  }
  if (g_Player.controlMode == Player::CONTROL_DASH) {
    Dash();
    return;
  }
  lastDashState_ = g_DashForm.dashState;

  // What would hit the ship: bullets, beams and the enemies' own bodies.
  std::vector<Threat> threats;
  std::map<const HitBody*, std::pair<float, float>> seen;
  for (int group : {7, 8, 9}) {
    for (HitBody* b = HitGroupTable[group].Head(); b != nullptr; b = b->NextBody()) {
      if (b->disabled != 0 || b->position == nullptr) continue;
      if (group == 7 && (b->mask & kHitHurtsPlayer) == 0) continue;
      float x, y;
      ScreenPoint(b, &x, &y);
      seen[b] = {x, y};
      float vx = 0.0f, vy = 0.0f;
      if (auto it = last_.find(b); it != last_.end()) vx = x - it->second.first, vy = y - it->second.second;
      if (std::fabs(vx) > 40.0f || std::fabs(vy) > 40.0f) vx = vy = 0.0f;  // a cell taken again
      threats.push_back(Threat{x, y, vx, vy, b->radius});
    }
  }
  last_.swap(seen);

  const float px = g_Player.position[0], py = g_Player.position[1];
  // The lock-on target: the lockable enemy nearest the sweep's centre
  // whose sweeping spot below it is clear (never a boss: the sweep only
  // grazes a boss).
  const HitBody* target = nullptr;
  float tx = 0.0f, ty = 0.0f, best = 1e30f;
  bool bossPresent = false;
  if (style_ == STYLE_CHAIN) {
    for (HitBody* b = HitGroupTable[7].Head(); b != nullptr; b = b->NextBody()) {
      if (b->position == nullptr) continue;
      const auto* e = dynamic_cast<const EObjBase*>(b->owner);
      if (e != nullptr && e->classKind == EObjBase::KIND_BOSS) {
        bossPresent = true;
        continue;
      }
      float x, y;
      ScreenPoint(b, &x, &y);
      const float at[4] = {x, y, 0.0f, 1.0f};
      if (!DashForm::IsLockable(b, at) || y > kBottom - 80.0f) continue;
      const float spotX = x, spotY = SweepSpot(y, b->radius);
      bool clear = true;
      for (const Threat& th : threats)
        if (std::fabs(th.x - spotX) < kSpotRoom && std::fabs(th.y - spotY) < kSpotRoom) clear = false;
      if (!clear) continue;
      const float d = (x - px) * (x - px) + (y - (py - kSweepLift)) * (y - (py - kSweepLift));
      if (d < best) best = d, target = b, tx = x, ty = y;
    }
  }
  // Goal: below the target while the lock-on is ready or running, so that
  // the sweep takes it in; else low on the screen under the nearest enemy.
  float gx = px, gy = kHomeY;
  const bool lockingOn = g_Player.controlMode == Player::CONTROL_LOCKON;
  const bool hunting = target != nullptr && (lockingOn || g_Player.lockOnCooldown <= 0);
  if (hunting) {
    gx = tx;
    gy = SweepSpot(ty, target->radius);
  } else {
    float nearest = 1e30f;
    for (HitBody* b = HitGroupTable[7].Head(); b != nullptr; b = b->NextBody()) {
      if (b->disabled != 0 || b->position == nullptr || (b->mask & kHitDamageable) == 0) continue;
      float x, y;
      ScreenPoint(b, &x, &y);
      if (x < -240.0f || x > 240.0f || y < -320.0f || y > 320.0f) continue;
      const float d = std::fabs(x - px);
      if (d < nearest) nearest = d, gx = x;
    }
  }
  gx = Clamp(gx, kLeft, kRight);

  // Fire all the time but while hunting (the shots would take the target
  // away, and the ship is faster without them); with the lock-on ready and
  // no target in reach, hold the fire a while so that the enemies come down
  // within reach.
  waiting_ = style_ == STYLE_CHAIN && !hunting && g_Player.lockOnCooldown <= 0 ? waiting_ + 1 : 0;
  const bool fire = !hunting && (style_ != STYLE_CHAIN || bossPresent || waiting_ == 0 || waiting_ > kHoldFire);
  Hold(CabInput::kButton1, fire);
  shotHeld_ = fire ? shotHeld_ + 1 : 0;
  const int m = style_ == STYLE_CARELESS ? 4 : Steer(gx, gy, fire ? 3.0f : 5.0f, threats.data(),
                                                     static_cast<int>(threats.size()));
  const int dx = m % 3 - 1, dy = m / 3 - 1;
  Hold(CabInput::kLeft, dx < 0);
  Hold(CabInput::kRight, dx > 0);
  Hold(CabInput::kUp, dy < 0);
  Hold(CabInput::kDown, dy > 0);

  // The lock-on: the special button alone, for one frame, when the target
  // lies well inside the sweep's reach.
  bool special = false;
  if (hunting && !lockingOn && g_Player.controlMode == Player::CONTROL_NORMAL && !specialDown_ &&
      (shotHeld_ == 0 || shotHeld_ > 6)) {
    const float ex = tx - px, ey = ty - (py - kSweepLift);
    const float reach = kSweepRadius + target->radius - 12.0f;
    if (ex * ex + ey * ey < reach * reach) {
      special = true;
      ++lockOns_;
    }
  }
  specialDown_ = special;
  Hold(CabInput::kButton2, special);
}

}  // namespace testsupport
