#pragma once
// What every boss script keeps, under one set of names, and the states the
// bosses share. A boss's script derives from BossBehaviorOf<its body>, keeps
// its own attack states and hands the shared ones to this class.
#include <cstdint>

#include "game/core/Behavior.h"
#include "game/core/SplineMover.h"
#include "game/enemy/EnemyBase.h"

class BossBehavior : public Behavior {
 public:
  // The body's translation, which the script moves.
  float* position = nullptr;
  // Where the boss hovers and where it flies back to.
  float home[4] = {0.0f, 0.0f, 0.0f, 1.0f};
  // The state that follows the current one (after the flight home).
  int32_t next = 0;
  // Frames counted within the current state, and its sub-step.
  int32_t frame = 0;
  int32_t step = 0;
  // The path the boss flies between two points.
  SplineMover path;

 protected:
  // How the boss flies home when the enemy timeline releases it.
  struct HomeFlight {
    float frames;        // length of the two-key path home
    int32_t routePoint;  // animation segment on the way; kKeepRoute leaves it
    int32_t timeUp;      // out of time: this state; kDefeat sends the defeat
    // The segment is set only when the route stands elsewhere: setting it
    // again would start the segment over, and a boss already idling would
    // visibly jump back to the segment's first frame.
    bool routeIfElsewhere = false;
  };
  static constexpr int32_t kKeepRoute = -1;
  static constexpr int32_t kDefeat = -1;

  virtual EnemyBase* Body() = 0;

  // The attack's start: the boss hovers and returns where it stands now, and
  // `after` follows the flight home.
  void SetHome(int32_t after);
  // SetHome with the frame count and the sub-step from 0: the start of an
  // attack in a fixed cycle.
  void BeginAttack(int32_t after) {
    frame = step = 0;
    SetHome(after);
  }
  // The end of an attack: out of time, `timeUp` (kDefeat: the defeat);
  // else `state`.
  void NextOrTimeUp(int32_t state, int32_t timeUp);
  // The end of an attack that, out of time, ends in the boss's defeat.
  void EndAttack(int32_t state) { NextOrTimeUp(state, kDefeat); }
  // The body's animation segment has run through `times` times.
  bool SegmentDone(uint32_t times = 1) { return Body()->animator.count >= times; }
  // The boss trembles where it stands: up to 1.5 each way in x and y (two
  // draws).
  void Shake();

  // The flight home: on enter, out of time the boss escapes or is defeated;
  // else a path from where it is to `to` starts. Each frame it moves along
  // the path and, when there, changes to AfterHome(). On leave the path is
  // cleared and the body's every-N counter starts again, so that the next
  // attack's intervals count from its own start.
  int32_t FlyHome(int32_t code, const HomeFlight& flight, const float* to);
  // The state after the flight home; `next` unless the boss chooses.
  virtual int32_t AfterHome() { return next; }
  // The boss's own work on entering the flight home, before the time check.
  virtual void HomeEnter() {}
  // The boss's own work each frame of the flight, before the path moves.
  virtual void HomeFrame() {}

  // The pause before the next attack: the boss idles until its animation
  // segment has run through once more, then changes to `next`. A new attack
  // thus starts where a motion starts, not in the middle of one.
  int32_t WaitSegment(int32_t code);

  // The escape of a boss out of time: it can no longer be caught or hit, its
  // generators go and it flies to `to` in `frames` frames; there the stage
  // fades out, the rail stops waiting for it and the body ends.
  int32_t FlyAway(int32_t code, const float* to, float frames);
  // The boss's own work as it gives up the fight (after its body stops
  // being hit, before its generators go), and each frame of the escape.
  virtual void AwayEnter() {}
  virtual void AwayFrame() {}

 private:
  // Out of time: `timeUp`, or the defeat for kDefeat.
  void TimeUp(int32_t timeUp);
  // The leave of both flights.
  void EndFlight();

  // The segment count WaitSegment waits for.
  uint32_t waitMark_ = 0;
};

template <class Boss>
class BossBehaviorOf : public BossBehavior {
 public:
  Boss* enemy = nullptr;

 protected:
  EnemyBase* Body() override { return enemy; }
};
