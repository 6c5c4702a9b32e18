#pragma once
// The yes/no question the settings pages of the test mode put over the page
// when the operator chooses their exit item: keep the changes (yes), discard
// them (no) or go back to editing (cancelled). One lives in the test mode's
// child list 0, so it runs after the page's logic and draws over the page.
#include <cstdint>

#include "vrax/graphic/SGpObj_Prim.h"
#include "vrax/kernel/SProc.h"

class TestModeYN : public SProc {
 public:
  enum State : int32_t { kClosed = 0, kOpen = 1 };
  enum Answer : int32_t { kYes = 0, kNo = 1, kCancelled = 2 };
  static constexpr int32_t kQuads = 7;

  // Asks it to open at its next EVENT_MAIN (the same frame's, when the page
  // asks from its logic), with the choice on no.
  void Open() {
    state_ = kClosed;
    request_ = 1;
  }
  int32_t GetState() const { return state_; }
  // While open, the highlighted choice (yes or no); once closed, the answer.
  int32_t GetAnswer() const { return answer_; }

 protected:
  int32_t Init(SProcArg arg) override;
  int32_t Draw(SProcArg arg) override;
  int32_t Main(SProcArg arg) override;
  // Kills nothing: it lives as long as the test mode.
  int32_t KillChildren(SProcArg arg) override;

 private:
  int32_t state_ = kClosed;
  int32_t answer_ = kYes;
  int32_t request_ = 0;
  SGpObj_PrimQuadFill quads_[kQuads];
};
