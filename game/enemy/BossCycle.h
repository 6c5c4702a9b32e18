#pragma once
// The steps of a fixed attack cycle, beside BossBehavior: an attack starts
// where the boss stands, ends through the time check, and before the next
// one the boss waits for its body's motion to come round.
#include <cstdint>

#include "game/enemy/BossBehavior.h"
#include "game/enemy/BossKit.h"

// The start of an attack: frame and step from 0, home where the boss
// stands (its hover's centre and the end of a flight home), `then` the
// state after it.
template <class Boss>
void BeginAttack(BossBehaviorOf<Boss>& b, int32_t then) {
  b.frame = b.step = 0;
  for (int i = 0; i < 4; ++i) b.home[i] = b.position[i];
  b.next = then;
}

// The end of an attack: past its frame limit the boss defeats itself;
// else the change to `state`.
template <class Boss>
void EndAttack(BossBehaviorOf<Boss>& b, int32_t state) {
  if (!DefeatWhenOverTime(b.enemy)) b.ChangeState(state);
}

// The wait state between two attacks: from its entry until the body's
// motion has completed once more (`target` keeps the count awaited), then
// `next`. A new attack thus starts where a motion starts, not in the middle
// of one.
template <class Boss>
int32_t WaitForMotion(BossBehaviorOf<Boss>& b, int32_t code, uint32_t& target) {
  switch (code) {
    case Behavior::CODE_ENTER:
      target = b.enemy->animator.count + 1;
      return 1;
    case Behavior::CODE_FRAME:
      if (b.enemy->animator.count >= target) b.ChangeState(b.next);
      return 1;
    case Behavior::CODE_LEAVE:
      return 1;
    default:
      return 0;
  }
}
