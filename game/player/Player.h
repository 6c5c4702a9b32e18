#pragma once
// The player process. Only what the collision layer and the movers use is
// here so far: the control mode, the outer-contact serial and counter, the
// outer-contact entry (which does nothing yet) and the published position.
#include <cstdint>

#include "vrax/graphic/SMath.h"
#include "vrax/kernel/SProc.h"

class HitBody;

class Player : public SProc {
 public:
  // Control modes: 0 normal, 1 lock-on, 4 bomb, 5 dash, 10 no control.
  enum ControlMode : int32_t {
    CONTROL_NORMAL = 0,
    CONTROL_LOCKON = 1,
    CONTROL_BOMB = 4,
    CONTROL_DASH = 5,
    CONTROL_NONE = 10,
  };

  // Called when an enemy body with mask bit 0x1 touches an outer body. Not
  // built yet: it does nothing.
  virtual void OnOuterContact(HitBody* body);
  // Called on an outer-body hit: contact counter = 10.
  void ArmCounter() { contactCounter = 10; }

  // 0 reset, 1 start, 2 scripted, 3 play, 4 death. The stage world idles
  // in states 0 and 1 and records no restart point in state 4.
  int32_t state = 0;
  int32_t controlMode = CONTROL_NORMAL;
  int32_t outerContactSerial = 0;
  int32_t contactCounter = 0;
};

// The persistent player object.
extern Player g_Player;

// A copy of the player's position (x, y, z, w), rewritten once per frame by
// the Player; everything that aims at the player reads it.
extern SVec4 PlayerPos;
