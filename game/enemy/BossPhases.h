#pragma once
// A boss script written as three handlers a state: what it does on entering,
// each frame and on leaving. A handler answers false for a state it does not
// know, and the script then answers 0.
#include <cstdint>

#include "game/enemy/BossBehavior.h"
#include "game/enemy/BossScript.h"

template <class Boss>
class BossPhases : public BossBehaviorOf<Boss> {
 public:
  explicit BossPhases(Boss* boss) { this->enemy = boss; }

  int32_t Handle(int32_t code, int32_t state) final {
    switch (code) {
      case Behavior::CODE_ENTER:
        return OnEnter(state) ? 1 : 0;
      case Behavior::CODE_FRAME:
        return OnFrame(state) ? 1 : 0;
      case Behavior::CODE_LEAVE:
        return OnLeave(state) ? 1 : 0;
      default:
        return 0;
    }
  }

 protected:
  virtual bool OnEnter(int32_t state) = 0;
  virtual bool OnFrame(int32_t state) = 0;
  virtual bool OnLeave(int32_t state) = 0;

  // At the end of an attack: past its time limit the boss is defeated (a
  // boss of phases loses its phase), else the script goes on to `to`.
  void DefeatOrChange(int32_t to) {
    if (BossTimeUp(this->enemy))
      DefeatBoss(this->enemy);
    else
      this->ChangeState(to);
  }
};

// Ends what hangs on pieces first..last of a boss (their generators).
template <class Piece>
void EndPieceChildren(Piece* pieces, int first, int last) {
  for (int i = first; i <= last; ++i) pieces[i].KillChildrenAll(0);
}
