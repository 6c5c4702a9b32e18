#pragma once
// The test pages' view of the controls: the hold counters of the game's pad
// (0 in the frame of a press, k - 1 in the k-th frame held, negative after
// release) and the cabinet's test switch.
#include <cstdint>

#include "vrax/input/SPad.h"

class TestInput {
 public:
  enum Counter : int32_t {
    kUp = SPad::PAD_UP,
    kDown = SPad::PAD_DOWN,
    kLeft = SPad::PAD_LEFT,
    kRight = SPad::PAD_RIGHT,
    kButton1 = SPad::PAD_BUTTON1,
    kButton2 = SPad::PAD_BUTTON2,
    kService = SPad::PAD_SERVICE,
    kStart = SPad::PAD_START,
  };
  // A direction held past this many frames repeats every frame.
  static constexpr int32_t kRepeatAfter = 20;

  // The counter of the game's pad; -1 (released) without a game.
  static int32_t Read(int32_t counter);
  // Pressed in this frame.
  bool Pressed(int32_t counter) const { return Read(counter) == 0; }
  // Button 1 or button 2 pressed in this frame.
  bool ButtonPressed() const { return Pressed(kButton1) || Pressed(kButton2); }
  // Held from the frame of the press on.
  bool Held(int32_t counter) const { return Read(counter) >= 0; }
  // Acts in the frame of the press and in every frame from the 22nd held.
  bool Repeat(int32_t counter) const {
    const int32_t c = Read(counter);
    return c == 0 || c > kRepeatAfter;
  }
  // +1 for right, -1 for left, 0 for both or neither, by the rule given.
  int32_t Step(bool (TestInput::*rule)(int32_t) const) const {
    return ((this->*rule)(kRight) ? 1 : 0) - ((this->*rule)(kLeft) ? 1 : 0);
  }
  // The cabinet's test switch is on.
  bool TestSwitch() const;
};
