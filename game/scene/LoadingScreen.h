#pragma once
// The loading screen shown while the common resources load: once the large
// font is there it prints "   NOW LOADING... \nDON'T INSERT COINS" near the
// bottom of the play field, and when every requested resource is loaded it
// ends itself and lets the test switch count from then on.
#include "game/core/GfxObject.h"
#include "game/core/PhaseTimer.h"
#include "vrax/kernel/SProc.h"

class LoadingScreen : public SProc {
 public:
  static constexpr const char* kText = "   NOW LOADING... \nDON'T INSERT COINS";
  // Where the text starts and the draw key it is entered at.
  static constexpr float kTextX = -126.0f;
  static constexpr float kTextY = 260.0f;
  static constexpr int kDrawKey = 0;

  int32_t GetPhase() const { return timer_.GetPhase(); }

 protected:
  int32_t Init(SProcArg arg) override;
  int32_t Draw(SProcArg arg) override;

 private:
  PhaseTimer timer_;
  GfxObject text_;
};
