#pragma once
#include <cstdint>

#include "vrax/kernel/SProc.h"

// The root of the process tree. It owns four lists and fixes the order in
// which the events of one frame reach them:
//   list 0 graphic manager, list 1 controller manager, list 2 the game,
//   list 3 I/O manager and resource manager.
// One Step(): EVENT_DRAW to lists 0..3, user event 7 to lists 0, 1, 3;
// EVENT_BEGIN, EVENT_MAIN, EVENT_END each to lists 0, 1, 2 (not while
// paused), 3; then every process advances its state.
class SKernel : public SProc {
 public:
  static constexpr int32_t kListCount = 4;
  static constexpr int32_t kGameList = 2;     // the list the pause holds
  static constexpr int32_t kFrameUserEvent = EVENT_USER;  // user event 7

  // Platform hooks run by Start (a negative result makes Start fail) and by
  // the kernel's dispose handler (releases the sound device). Null: none.
  using StartHook = int32_t (*)();
  using EndHook = void (*)();
  static void SetPlatformHooks(StartHook start, EndHook end);

  // Records this kernel as the singleton; the destructor clears it.
  SKernel();
  ~SKernel() override;

  static SKernel* GetInstance() { return s_instance; }

  // Runs the platform start hook, then makes the kernel the root and
  // initialises it (four lists, name "VRAX Kernel"). 0, or -1.
  virtual int32_t Start();
  virtual bool IsPaused() const { return pause_ != 0; }
  // Requests the pause of list 2; it takes effect after this frame's
  // EVENT_END.
  virtual void SetPause(bool flag) { requestedPause_ = flag ? 1 : 0; }
  void BroadcastList(int32_t n, int32_t code, SProcArg arg);

  int32_t Init(SProcArg arg) override;
  int32_t Draw(SProcArg arg) override;
  int32_t Begin(SProcArg arg) override;
  int32_t Main(SProcArg arg) override;
  int32_t End(SProcArg arg) override;
  // EVENT_KILL: every process of the four lists gets EVENT_KILL(0); their
  // states are left to them.
  int32_t KillChildren(SProcArg arg) override;
  int32_t OnDispose(SProcArg arg) override;

 private:
  void FrameEvent(int32_t code, SProcArg arg);

  uint8_t requestedPause_ = 0;
  uint8_t pause_ = 0;

  static SKernel* s_instance;
};
