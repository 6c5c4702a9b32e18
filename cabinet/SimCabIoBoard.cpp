#include "cabinet/SimCabIoBoard.h"

#include <algorithm>

#include "platform/input_devices.h"

namespace {

CabIoDriver* g_driver = nullptr;
CabIoDriver* g_defaultBoard = nullptr;

}  // namespace

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

uint32_t SimCabIoBoard::ReadUnit(int unit, uint32_t kind, int index) {
  switch (kind) {
    case cabreg::kOutput:
      return outputs_[unit][index];
    case cabreg::kInput:
      return (unit == 0 && index == 0) ? SampleInputWord() : 0;
    default:
      return uint32_t(coins_[unit][index]) | (coinFault_[unit][index] ? 0x80000000u : 0u);
  }
}

void SimCabIoBoard::WriteUnit(int unit, uint32_t kind, int index, uint32_t value) {
  if (kind == cabreg::kOutput)
    outputs_[unit][index] = value;
  else
    AddCoins(unit, index, static_cast<int32_t>(value));
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
