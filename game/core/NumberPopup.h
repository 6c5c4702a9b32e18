#pragma once
// A number that pops up where a chain or a contact tally was scored and
// fades: ":b" (a chain) or "a:b" (a tally), centred on its position and kept
// inside the play field. A chain popup flies toward the viewer, a tally
// popup rises, one with a forced size flies more slowly; each kills itself
// at the end of its fade. A child of the chain counter's list 1.
#include <cstdint>

#include "game/core/GfxObject.h"
#include "game/core/PhaseTimer.h"
#include "vrax/graphic/SGpState.h"
#include "vrax/kernel/SProc.h"

class NumberPopup : public SProc, public PhaseTimer {
 public:
  static constexpr int32_t kDrawKey = 1;
  static constexpr int32_t kCapacity = 24;

  // a 0: a chain popup of b; else a tally popup a:b. sizeClass 0 chooses
  // the font from the numbers, 1 to 3 force small, medium or large.
  NumberPopup(const float* position, int32_t a, int32_t b, int32_t sizeClass);

  // The font entry (0 small, 1 medium, 2 large) for the numbers.
  static int32_t FontFor(int32_t a, int32_t b, int32_t sizeClass);

  const SMatrix& GetWorld() const { return world_.GetMatrix(); }
  const GfxObject& GetText() const { return text_; }
  const char* Text() const { return buffer_; }

 protected:
  int32_t Init(SProcArg arg) override;
  int32_t Main(SProcArg arg) override;
  int32_t Draw(SProcArg arg) override;

 private:
  void Print();

  float position_[4];
  int32_t a_;
  int32_t b_;
  int32_t sizeClass_;
  SGpState_World world_;
  GfxObject text_;
  char buffer_[32] = {};
};
