#include "cabinet/SimCabIoBoard.h"

#include <algorithm>

#include "platform/input_devices.h"

namespace {

CabIoDriver* g_driver = nullptr;
CabIoDriver* g_defaultBoard = nullptr;

}  // namespace

bool cabreg::Decode(uint32_t reg, int* unit, uint32_t* kind, int* index) {
  uint32_t base;
  if (reg >= kUnitBase0 && reg < kUnitBase0 + 0x80) {
    *unit = 0;
    base = kUnitBase0;
  } else if (reg >= kUnitBase1 && reg < kUnitBase1 + 0x80) {
    *unit = 1;
    base = kUnitBase1;
  } else {
    return false;
  }
  const uint32_t off = reg - base;
  if (off & 3) return false;
  if (off < 0x10) {
    *kind = kOutput;
    *index = int(off / 4);
  } else if (off >= 0x20 && off < 0x30) {
    *kind = kInput;
    *index = int((off - 0x20) / 4);
  } else if (off == 0x40 || off == 0x44) {
    *kind = kCounter;
    *index = int((off - 0x40) / 4);
  } else {
    return false;
  }
  return true;
}

CabIoDriver* GetCabIoDriver() { return g_driver ? g_driver : GetDefaultCabIoBoard(); }
void SetCabIoDriver(CabIoDriver* driver) { g_driver = driver; }
CabIoDriver* GetDefaultCabIoBoard() { return g_defaultBoard ? g_defaultBoard : &SimCabIoBoard::Instance(); }
void SetDefaultCabIoBoard(CabIoDriver* board) { g_defaultBoard = board; }

SimCabIoBoard& SimCabIoBoard::Instance() {
  static SimCabIoBoard board;
  return board;
}

void SimCabIoBoard::Reset() { *this = SimCabIoBoard(); }

uint32_t SimCabIoBoard::InputWordFor(bool up, bool down, bool left, bool right, bool b1, bool b2, bool start,
                                     bool service, bool test) {
  uint32_t w = 0;
  if (test) w |= 1u << 6;
  if (start) w |= 1u << 4;
  if (service) w |= 1u << 2;
  if (up) w |= 1u << 8;
  if (down) w |= 1u << 10;
  if (left) w |= 1u << 12;
  if (right) w |= 1u << 14;
  if (b1) w |= 1u << 16;
  if (b2) w |= 1u << 18;
  return w;
}

uint32_t SimCabIoBoard::SampleInputWord() {
  using plat::CabInput;
  const plat::CabInputState s = plat::ReadCabInputs();
  const bool coin = s[CabInput::kCoin];
  if (coin && !coinWasHeld_) AddCoins(0, 0, 1);
  coinWasHeld_ = coin;
  return InputWordFor(s[CabInput::kUp], s[CabInput::kDown], s[CabInput::kLeft], s[CabInput::kRight],
                      s[CabInput::kButton1], s[CabInput::kButton2], s[CabInput::kStart], s[CabInput::kService],
                      s[CabInput::kTest]);
}

uint32_t SimCabIoBoard::Open(uint32_t device, uint32_t* handle, uint32_t* status) {
  if (status) *status = 0;
  if (device != 1 || !handle) return 1;
  open_ = true;
  status_[0] = kLinkedStatus;  // unit 0 reports its link anew
  status_[1] = 0;              // no unit 1
  *handle = kHandle;
  return 0;
}

uint32_t SimCabIoBoard::Close(uint32_t handle, uint32_t* status) {
  if (status) *status = 0;
  if (!open_ || handle != kHandle) return 1;
  open_ = false;
  return 0;
}

uint32_t SimCabIoBoard::ReadRegister(uint32_t handle, uint32_t reg, uint32_t* value, uint32_t* status) {
  if (status) *status = 0;
  if (!open_ || handle != kHandle || !value) return 1;
  if (reg == cabreg::kBoardId) {
    *value = kId;
    return 0;
  }
  if (reg == cabreg::kStatus0 || reg == cabreg::kStatus1) {
    *value = status_[reg == cabreg::kStatus1];
    return 0;
  }
  int unit, index;
  uint32_t kind;
  if (!cabreg::Decode(reg, &unit, &kind, &index)) return 2;
  switch (kind) {
    case cabreg::kOutput:
      *value = outputs_[unit][index];
      break;
    case cabreg::kInput:
      *value = (unit == 0 && index == 0) ? SampleInputWord() : 0;
      break;
    default:
      *value = uint32_t(coins_[unit][index]) | (coinFault_[unit][index] ? 0x80000000u : 0u);
      break;
  }
  return 0;
}

uint32_t SimCabIoBoard::WriteRegister(uint32_t handle, uint32_t reg, uint32_t value, uint32_t* status) {
  if (status) *status = 0;
  if (!open_ || handle != kHandle) return 1;
  if (reg == cabreg::kStatus0 || reg == cabreg::kStatus1) {
    status_[reg == cabreg::kStatus1] = value;
    return 0;
  }
  int unit, index;
  uint32_t kind;
  if (!cabreg::Decode(reg, &unit, &kind, &index) || kind == cabreg::kInput) return 2;
  if (kind == cabreg::kOutput)
    outputs_[unit][index] = value;
  else
    AddCoins(unit, index, static_cast<int32_t>(value));
  return 0;
}

void SimCabIoBoard::AddCoins(int unit, int channel, int coins) {
  if (unit < 0 || unit > 1 || channel < 0 || channel > 1) return;
  const int64_t v = int64_t(coins_[unit][channel]) + coins;
  coins_[unit][channel] = static_cast<int32_t>(std::clamp<int64_t>(v, 0, 0x7FFFFFFF));
}

void SimCabIoBoard::SetCoinFault(int unit, int channel, bool fault) {
  if (unit >= 0 && unit <= 1 && channel >= 0 && channel <= 1) coinFault_[unit][channel] = fault;
}

int SimCabIoBoard::CoinCount(int unit, int channel) const {
  if (unit < 0 || unit > 1 || channel < 0 || channel > 1) return 0;
  return coins_[unit][channel];
}
