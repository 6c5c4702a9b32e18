#pragma once
// The small state machine that drives scenes, enemies, bosses and their
// scripts. A class derives from Behavior (beside SProc, or as a member
// object) and overrides Handle(code, state); its process calls Enter once
// from EVENT_INIT and Update once per EVENT_MAIN. Handle requests changes
// with ChangeState; a change takes effect at the start of the next run.
#include <cstdint>

class Behavior {
 public:
  enum Code : int32_t {
    CODE_FRAME = 0,   // once per Update, after any pending change
    CODE_ENTER = 1,   // to a state when it becomes current; Enter's run code
    CODE_LEAVE = 2,   // to the current state just before it is replaced
    CODE_NOTIFY = 3,  // by Notify, without processing a pending change
  };

  Behavior() = default;
  virtual ~Behavior() = default;

  // Run with the frame code.
  virtual int32_t Update() { return Run(CODE_FRAME); }
  // Calls the handler with the notify code and the current state.
  virtual int32_t Notify() { return Handle(CODE_NOTIFY, current_); }
  // The derived class's work for (code, state).
  virtual int32_t Handle(int32_t code, int32_t state) = 0;

  // Processes pending changes (leave the old state, enter the new one; an
  // enter that requests another change is left again at once), then calls
  // the handler with code and the current state and returns its result.
  int32_t Run(int32_t code);
  // Run with the enter code, from the owner's EVENT_INIT.
  int32_t Enter() { return Run(CODE_ENTER); }
  // Requests a change to state; returns the current state.
  int32_t ChangeState(int32_t state);

  int32_t GetState() const { return current_; }
  int32_t GetNextState() const { return next_; }
  int32_t GetPreviousState() const { return previous_; }
  bool IsPending() const { return pending_ != 0; }

 private:
  int32_t next_ = 0;
  int32_t previous_ = 0;
  int32_t current_ = 0;
  uint8_t pending_ = 0;
};
