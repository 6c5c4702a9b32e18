#include "vrax/input/SCtrlMan.h"

#include <algorithm>
#include <climits>
#include <cstdlib>

#include "cabinet/XioDevice.h"
#include "platform/serial_port.h"
#include "vrax/input/SPad.h"
#include "vrax/io/SysUtil.h"

uint32_t EngineInputBits = 0;
SCtrlMan* SCtrlMan::s_instance = nullptr;

namespace {

struct BitMap {
  uint32_t switchBit;
  int engineBit;
  int portIndex;
};
constexpr BitMap kBits[] = {
    {0x8000, 31, 15}, {0x4000, 22, 8}, {0x2000, 30, 0}, {0x1000, 29, 1},
    {0x0800, 28, 2},  {0x0400, 27, 3}, {0x0200, 26, 4}, {0x0100, 25, 5},
};

int64_t Magnitude(int32_t v) { return v < 0 ? -int64_t(v) : int64_t(v); }

}  // namespace

SCtrlMan::SCtrlMan() { s_instance = this; }

SCtrlMan::~SCtrlMan() {
  // Pads that outlive the manager must not point back at it.
  for (SPadBase* pad : pads_) {
    pad->portCount_ = 0;
    pad->portMask_ = 0;
  }
  pads_.clear();
  if (s_instance == this) s_instance = nullptr;
}

int32_t SCtrlMan::Init(SProcArg) {
  SetName("VRAX Controller Manager");
  MoveToList(1, false);
  const int32_t r = OpenBoard();
  DebugPrint("VRAX Controller Manager initialized (board %s)\n", r == 0 ? "open" : "not available");
  SetInitResult(0);
  return 0;
}

int32_t SCtrlMan::OnDispose(SProcArg) {
  DebugPrint("VRAX Controller Manager disposed\n");
  CloseBoard();
  return 0;
}

int32_t SCtrlMan::User(int32_t code, SProcArg) {
  if (code != EVENT_USER) return 0;
  Poll();
  BuildPortRecords();
  MergePads();
  return 0;
}

int32_t SCtrlMan::OpenBoard() {
  EngineInputBits = 0;
  pending_ = 0;
  // With a bus port configured the board is read over the serial bus by the
  // bus master; otherwise through its registers on this thread.
  const std::string busPort = plat::BusPortPath();
  board_ = busPort.empty() ? CreateXioDevice("COM2", XioDevice::kNoBusMaster) : CreateXioDevice(busPort.c_str(), 0);
  if (!board_) return -1;
  return board_->Open() == 0 ? 0 : -1;
}

void SCtrlMan::CloseBoard() {
  if (!board_) return;
  board_->Close();
  board_->Release();
  board_ = nullptr;
}

void SCtrlMan::Poll() {
  if (!board_) {
    EngineInputBits = 0;
    return;
  }
  board_->Poll();
  const int32_t status = board_->Sync();
  uint32_t bits = 0;
  if (status == 1) {
    const uint32_t word = board_->GetSwitchWord(0);
    for (const BitMap& b : kBits)
      if (word & b.switchBit) bits |= 1u << b.engineBit;
    if (prevStatus_ != 1) board_->SendBoardSetting(kBoardSetting);
  }
  EngineInputBits = bits;
  prevStatus_ = status;
}

void SCtrlMan::BuildPortRecords() {
  for (PortRecord& r : ports_) {
    r.state = 0;
    r.count = kPortValues;
    std::fill(std::begin(r.values), std::end(r.values), 0);
    for (const BitMap& b : kBits) r.values[b.portIndex] = (EngineInputBits >> b.engineBit) & 1;
  }
}

void SCtrlMan::MergePads() {
  // A pad's Update may not change the list, but copy it to be safe.
  const std::vector<SPadBase*> pads = pads_;
  for (SPadBase* pad : pads) {
    std::fill(std::begin(pad->raw_), std::end(pad->raw_), 0);
    const uint8_t* map = pad->KeyMap();
    const int32_t n = pad->KeyMapCount();
    for (int32_t p = 0; p < kPorts; ++p) {
      if (!(pad->portMask_ & (1u << p)) || ports_[p].state == -1 || !map) continue;
      for (int32_t j = 0; j < n; ++j) {
        const int32_t v = ports_[p].values[map[j]];
        if (Magnitude(v) > Magnitude(pad->raw_[j])) pad->raw_[j] = v;
      }
    }
    pad->Update();
  }
}

void SCtrlMan::Register(int32_t port, SPadBase* pad) {
  if (!pad || port < 0 || port >= kPorts) return;
  if (pad->portCount_ == 0 && std::find(pads_.begin(), pads_.end(), pad) == pads_.end()) pads_.push_back(pad);
  const uint32_t bit = 1u << port;
  if (!(pad->portMask_ & bit)) {
    ++pad->portCount_;
    pad->portMask_ |= bit;
  }
}

void SCtrlMan::Unregister(int32_t port, SPadBase* pad) {
  if (!pad || port < 0 || port >= kPorts || pad->portCount_ == 0) return;
  const uint32_t bit = 1u << port;
  // Only a port the pad listens to lowers its count.
  if (!(pad->portMask_ & bit)) return;
  --pad->portCount_;
  pad->portMask_ &= ~bit;
  if (pad->portCount_ == 0) pads_.erase(std::remove(pads_.begin(), pads_.end(), pad), pads_.end());
}

void SCtrlMan::UnregisterAll(SPadBase* pad) {
  if (!pad || pad->portCount_ == 0) return;
  pad->portCount_ = 0;
  pad->portMask_ = 0;
  pads_.erase(std::remove(pads_.begin(), pads_.end(), pad), pads_.end());
}

bool SCtrlMan::IsTestSwitch() {
  if (!testSwitchEnabled_ || !board_) return false;
  uint8_t block[16] = {};
  if (board_->GetSwitchBlock(0, block) != 0) return false;
  return (block[0] & 0x80) != 0;
}

int32_t SCtrlMan::BoardStatus() { return board_ ? board_->Sync() : -1; }

int32_t SCtrlMan::BoardQuery11(int32_t player) {
  if (!board_) return 0;
  if (board_->GetCoinStatus(static_cast<uint32_t>(player), 0) != 0) return 0;
  return board_->GetCoinCount(static_cast<uint32_t>(player), 0);
}

int32_t SCtrlMan::BoardQuery12(int32_t player) {
  return board_ ? board_->GetCoinStatus(static_cast<uint32_t>(player), 0) : 4;
}

int32_t SCtrlMan::BoardQuery14(int32_t player) {
  return board_ ? board_->CheckCoinSlot(static_cast<uint32_t>(player), 0) : 2;
}

void SCtrlMan::OfferPending(int32_t player) {
  // The board takes a count of coins: nothing to offer unless positive, and
  // no more than one request can carry.
  if (pending_ <= 0) return;
  const uint16_t amount = static_cast<uint16_t>(std::min<int32_t>(pending_, 0xFFFF));
  if (board_->AddCoins(static_cast<uint32_t>(player), 0, amount) == 0) pending_ -= amount;
}

void SCtrlMan::BoardOutput(int32_t player, int32_t delta) {
  if (!board_) return;
  pending_ = static_cast<int32_t>(std::clamp<int64_t>(int64_t(pending_) + delta, INT32_MIN, INT32_MAX));
  OfferPending(player);
}

int32_t SCtrlMan::BoardOutput2(int32_t player) {
  if (pending_ >= 1 && board_) {
    pending_ = pending_ > 0x3FFFFFFF ? 0x7FFFFFFF : pending_ * 2;
    OfferPending(player);
  }
  return pending_;
}
