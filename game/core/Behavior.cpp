#include "game/core/Behavior.h"

int32_t Behavior::Run(int32_t code) {
  while (pending_ != 0) {
    pending_ = 0;
    Handle(CODE_LEAVE, current_);
    // Read after the leave call: a request made while leaving redirects it.
    current_ = next_;
    Handle(CODE_ENTER, current_);
  }
  return Handle(code, current_);
}

int32_t Behavior::ChangeState(int32_t state) {
  previous_ = current_;
  next_ = state;
  pending_ = 1;
  return current_;
}
