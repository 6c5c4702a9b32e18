#include "vrax/input/SPad.h"

#include <climits>

#include "vrax/input/SCtrlMan.h"

namespace {

// The hold and release rules of a counter; they stop at the ends of the range.
inline void Hold(int32_t& c) {
  if (c < 0)
    c = 0;
  else if (c < INT32_MAX)
    ++c;
}
inline void Release(int32_t& c) {
  if (c >= 0)
    c = -1;
  else if (c > INT32_MIN)
    --c;
}

// Accessor numbers 9 and up, in order, name these counters.
constexpr int8_t kAccessorCounters[] = {
    0,  1,  2,  3,  4,  5,  6,  7,  8,  9,  10, 11,                  // 9-20
    12, 13, 14, 15, 16, 17, 18, 19, 20, 21, 22, 23,                  // 21-32
    16, 17, 18, 19, 20, 21, 22, 23, 21, 22,                          // 33-42
    24, 25, 26, 27, 28, 29, 30, 31, 32, 33, 34, 35,                  // 43-54
    36, 37, 38, 39, 40, 41, 42, 43, 44, 45, 46, 47,                  // 55-66
    40, 41, 42, 43, 44, 45, 46, 47, 45, 46,                          // 67-76
    49, 50, 51, 52,                                                  // 77-80
    53, 54,                                                          // 81-82
    55, 56, 57, 58, 59, 60, 61, 62, 63, 64, 65, 66, 67, 68, 69, 70,  // 83-98
    63, 64, 65, 66, 67, 68,                                          // 99-104
};
constexpr int32_t kFirstAccessor = 9;

}  // namespace

const uint8_t kPadIdentityKeyMap[32] = {0,  1,  2,  3,  4,  5,  6,  7,  8,  9,  10, 11, 12, 13, 14, 15,
                                        16, 17, 18, 19, 20, 21, 22, 23, 24, 25, 26, 27, 28, 29, 30, 31};

SPadBase::~SPadBase() {
  if (SCtrlMan* m = SCtrlMan::GetInstance()) m->UnregisterAll(this);
}

void SPadBase::Register(int32_t port) {
  if (SCtrlMan* m = SCtrlMan::GetInstance()) m->Register(port, this);
}

void SPadBase::Unregister(int32_t port) {
  if (SCtrlMan* m = SCtrlMan::GetInstance()) m->Unregister(port, this);
}

void SPadBase::UnregisterAll() {
  if (SCtrlMan* m = SCtrlMan::GetInstance()) m->UnregisterAll(this);
}

void SPadBase::SetWord(int32_t n, uintptr_t value) {
  if (n == 0) {
    SetKeyMap(reinterpret_cast<const uint8_t*>(value), value ? 32 : 0);
  } else if (n >= 1 && n <= kRawWords) {
    raw_[n - 1] = static_cast<int32_t>(value);
  }
}

void SPadBase::Output(int32_t channel, int32_t level) {
  SCtrlMan* m = SCtrlMan::GetInstance();
  if (!m) return;
  for (int32_t p = 0; p < kPorts; ++p)
    if (portMask_ & (1u << p)) m->PortOutput(p, channel, level);
}

void SPadBase::GetPortMask(uint32_t* out) const {
  if (out) *out = portMask_;
}

void SPadBase::SetKeyMap(const uint8_t* map, int32_t count) {
  keyMap_ = map;
  keyMapCount_ = map ? (count < 0 ? 0 : (count > kRawWords ? kRawWords : count)) : 0;
}

SPad::SPad() { Reset(); }

void SPad::Reset() {
  for (int32_t& c : counters_) c = -1;
}

int32_t SPad::AccessorToIndex(int32_t n) {
  const int32_t i = n - kFirstAccessor;
  if (i < 0 || i >= static_cast<int32_t>(sizeof kAccessorCounters)) return -1;
  return kAccessorCounters[i];
}

int32_t SPad::GetCounter(int32_t n) const {
  const int32_t idx = AccessorToIndex(n);
  return idx < 0 ? -1 : counters_[idx];
}

int32_t SPad::Counter(int32_t index) const {
  return (index >= 0 && index < kCounterCount) ? counters_[index] : -1;
}

void SPad::Update() {
  bool up = raw_[0] != 0, down = raw_[1] != 0, left = raw_[2] != 0, right = raw_[3] != 0;
  const int32_t t = threshold_;
  if (t > 0) {
    const int32_t x = raw_[16], y = raw_[17];
    up |= y >= t;
    down |= y <= -t;
    left |= x <= -t;
    right |= x >= t;
  }

  bool tick = false;
  int32_t& timer = counters_[kRepeatTimer];
  if (up || down || left || right) {
    if (timer < 0) {
      timer = 0;
      tick = true;
    } else {
      Hold(timer);
      tick = timer >= RepeatDelay();
    }
  } else {
    Release(timer);
  }

  bool held[24] = {};
  if (up && !down) {
    held[kUp] = true;
    held[kUpOnly] = !left && !right;
    held[kUpLeft] = left;
    held[kUpRight] = right && !left;
  }
  if (down && !up) {
    held[kDown] = true;
    held[kDownOnly] = !left && !right;
    held[kDownLeft] = left;
    held[kDownRight] = right && !left;
  }
  if (left && !right) {
    held[kLeft] = true;
    held[kLeftOnly] = !up && !down;
  }
  if (right && !left) {
    held[kRight] = true;
    held[kRightOnly] = !up && !down;
  }
  for (int k = 0; k < 12; ++k) held[kButton0 + k] = raw_[4 + k] != 0;

  for (int i = 0; i < 24; ++i) {
    if (held[i]) {
      const bool press = counters_[i] < 0;
      Hold(counters_[i]);
      if (press)
        counters_[kHeldTotal + i] = 0;
      else
        Hold(counters_[kHeldTotal + i]);
    } else {
      Release(counters_[i]);
    }
  }

  for (int d = 0; d < 4; ++d) {
    int32_t& rep = counters_[kRepeatUp + d];
    if (held[kUp + d] && (tick || counters_[kUp + d] == 0))
      Hold(rep);
    else
      Release(rep);
  }

  for (int c = 0; c < 2; ++c) {
    int32_t& ot = counters_[kOutputTimer + c];
    if (ot == 0)
      Output(c, 0);
    else if (ot > 0)
      Output(c, outputLevel_[c]);
    if (ot > INT32_MIN) --ot;
  }

  for (int i = 0; i < 16; ++i) counters_[kAnalogCopy + i] = raw_[16 + i];
}
