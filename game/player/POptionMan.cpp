#include "game/player/POptionMan.h"

#include <cmath>

#include "game/player/PShotMan.h"
#include "game/player/Player.h"
#include "game/player/PlayerFx.h"
#include "platform/crt_rand.h"

namespace {

// Formation offsets of slots 0 to 3 from the ship.
constexpr float kOffsets[POptionMan::kSlots][2] = {{35.0f, -30.0f}, {-35.0f, -30.0f}, {25.0f, 50.0f}, {-25.0f, 50.0f}};
// Shot directions (turns; 0.75 is straight up) by present count and slot.
constexpr float kAngles[POptionMan::kSlots][POptionMan::kSlots] = {
    {0.75f, 0.75f, 0.75f, 0.75f},
    {0.76f, 0.74f, 0.75f, 0.75f},
    {0.76f, 0.74f, 0.75f, 0.75f},
    {0.76f, 0.74f, 0.77f, 0.73f},
};
constexpr float kTwoPi = 6.2831855f;
constexpr int32_t kVanishFrames = 15;

}  // namespace

Player* POptionMan::Owner() const { return dynamic_cast<Player*>(GetParent()); }

int32_t POptionMan::Init(SProcArg) {
  SetName("POptionMan");
  frameCounter = 0;
  for (Option& o : options) {
    o = Option{};
    o.position[0] = PlayerPos.x;
    o.position[1] = PlayerPos.y;
    o.position[2] = PlayerPos.z;
    o.position[3] = PlayerPos.w;
  }
  SetInitResult(0);
  return 0;
}

int32_t POptionMan::OnDispose(SProcArg) {
  for (Option& o : options) o.state = OPTION_ABSENT;
  return 0;
}

int32_t POptionMan::PresentCount() const {
  int32_t n = 0;
  for (const Option& o : options) n += o.state != OPTION_ABSENT ? 1 : 0;
  return n;
}

int32_t POptionMan::Main(SProcArg) {
  ++frameCounter;
  const int32_t n = PresentCount();
  const Player* p = Owner();
  const int32_t fire = p != nullptr ? p->fireCounter : 0;
  for (int32_t slot = 0; slot < kSlots; ++slot) Step(slot, n, fire);
  return 0;
}

void POptionMan::Place(int32_t slot, int32_t present) {
  Option& o = options[slot];
  float dx = kOffsets[slot][0], dy = kOffsets[slot][1];
  if ((present == 1 && slot == 0) || (present == 3 && slot == 2)) dx = 0.0f, dy = 50.0f;
  const Player* p = Owner();
  const float* at = p != nullptr ? p->position : &PlayerPos.x;
  o.position[0] = at[0] + dx;
  o.position[1] = at[1] + dy;
  o.position[2] = 0.0f;
  o.position[3] = 1.0f;
  const float phase = static_cast<float>(frameCounter % 60) / 60.0f * kTwoPi + 4.712389f;
  const float b = (std::sin(phase) + 1.0f) * 0.5f * 0.1f;
  o.position[0] += dx * b;
  o.position[1] += dy * b;
}

void POptionMan::Step(int32_t slot, int32_t present, int32_t fire) {
  Option& o = options[slot];
  if (o.state == OPTION_ABSENT) return;
  ++o.counter;
  Place(slot, present);
  if (o.state == OPTION_APPEARING) {
    plat::Rand();  // drawn and not used
    PlayerFx::OptionAppearing(o.position, static_cast<float>(o.counter) * 0.1f);
    if (o.counter > 9) {
      o.state = OPTION_ACTIVE;
      o.counter = 0;
    }
  } else {
    PlayerFx::OptionActive(o.position, (o.counter / 4) % 4);
  }
  Fire(slot, present, fire);
}

void POptionMan::Fire(int32_t slot, int32_t present, int32_t fire) {
  const Option& o = options[slot];
  if (o.state == OPTION_ABSENT || fire < 1 || fire % 3 != 0 || fire % 15 > 11) return;
  const int32_t row = present >= 1 && present <= kSlots ? present - 1 : 0;
  const float a = kAngles[row][slot] * kTwoPi;
  g_PShotMan.Fire(0, 0, o.position[0], o.position[1], std::cos(a) * 30.0f, std::sin(a) * 30.0f, 1.2f, 1.2f, 6.25f);
}

void POptionMan::Vanish(int32_t slot, int32_t frames) {
  Option& o = options[slot];
  PlayerFx::OptionVanish(o.position, frames);
  o.state = OPTION_ABSENT;
  o.counter = 0;
}

void POptionMan::PlaceByPower() {
  const Player* p = Owner();
  if (p == nullptr || p->state != Player::STATE_PLAY || p->controlMode != Player::CONTROL_NORMAL) return;
  const int32_t present = PresentCount();
  int32_t k = static_cast<int32_t>(p->power) - present;
  for (int32_t slot = 0; slot < kSlots && k > 0; ++slot) {
    Option& o = options[slot];
    if (o.state != OPTION_ABSENT) continue;
    o.state = OPTION_APPEARING;
    o.counter = 0;
    --k;
    Place(slot, PresentCount());
  }
}

void POptionMan::RemoveOne() {
  const Player* p = Owner();
  const int32_t whole = p != nullptr ? static_cast<int32_t>(p->power) : 0;
  if (PresentCount() <= whole) return;
  for (int32_t slot = kSlots - 1; slot >= 0; --slot) {
    if (options[slot].state == OPTION_ACTIVE) {
      Vanish(slot, kVanishFrames);
      return;
    }
  }
}

void POptionMan::ClearAll() {
  for (int32_t slot = 0; slot < kSlots; ++slot)
    if (options[slot].state != OPTION_ABSENT) Vanish(slot, kVanishFrames);
}
