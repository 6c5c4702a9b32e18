#pragma once
// Walks over the enemies' collision bodies (group 7).

class EnemyScan {
 public:
  // True when some body of group 7 has mask bit 0x40 and a boss owner.
  static bool AnyKind2();
};
