#pragma once
// The player side's walks over the enemies' collision bodies (group 7):
// the lock-on counts and aims, the bomb's blow and grid, the end of a
// chain dash. Each walk takes a body's successor before it acts, since an
// event sent to the enemy may unlink the body.
#include <cstdint>
#include <vector>

#include "vrax/graphic/SMath.h"

class EnemyScan {
 public:
  static constexpr int32_t kBombPoints = 12;
  static constexpr int32_t kBombDamage = 4000;

  // True when some body of group 7 has mask bit 0x40 and a boss owner.
  static bool AnyKind2();
  // True when a running boss has a body in group 7.
  static bool BossRunning();
  // Lockable enemies inside the play area.
  static int32_t CountLockable();
  // The position of the n-th lockable enemy into out (x, y, z); false, out
  // untouched, when there are not that many.
  static bool LockableAt(int32_t n, float* out);
  // The end of a lock-on: every enemy's outer-contact count cleared, and
  // each told (EObjBase::EV_RECOIL) with its position.
  static void ReleaseContacts();
  // The bomb's blow: 4000 damage to every ordinary enemy and the first boss.
  static void BombBlast();
  // Rebuilds the 12 blast points of the bomb.
  static void BombGrid();
  // The end of a chain dash: chain counted over the struck slots 0 .. limit-1.
  static void DashPayoff(int32_t limit);
  // Releases every player shot.
  static void ClearShots();
  // The blast points of the last BombGrid (freed by BombBlast).
  static const std::vector<SVec4>& BombPoints();
};
