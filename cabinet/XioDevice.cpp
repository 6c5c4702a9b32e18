#include "cabinet/XioDevice.h"

#include <algorithm>
#include <cstring>
#include <new>

#include "cabinet/JvsFrame.h"
#include "cabinet/JvsMaster.h"

namespace {

XioDevice* g_device = nullptr;

// Bit of input word 0 feeding each bit (7 down to 0) of switch bytes 0-4;
// -1: always 0.
constexpr int kLayout[5][8] = {
    {6, 7, -1, -1, -1, -1, -1, -1},
    {4, 2, 8, 10, 12, 14, 16, 18},
    {20, 22, 24, 26, 28, 30, -1, -1},
    {5, 3, 9, 11, 13, 15, 17, 19},
    {21, 23, 25, 27, 29, 31, -1, -1},
};

// The device's reply handler on the bus: node 0's status and the standard
// replies go to the standard layer, the accessory's to the accessory.
int32_t ReplyHandler(uint8_t node, const uint8_t* command, size_t commandLen, const uint8_t* reply, size_t left) {
  if (!command || commandLen == 0 || !reply || left == 0) return -1;
  if (node == 0) return JvsStdReplyHandler(node, command, commandLen, reply, left);
  switch (command[0]) {
    case kJvsCmdSwitches:
    case kJvsCmdCoins:
    case kJvsCmdCoinDecrease:
    case kJvsCmdOutputs:
      return JvsStdReplyHandler(node, command, commandLen, reply, left);
    default:
      break;
  }
  if (reply[0] != kJvsReportNormal) return 1;
  XioDevice* d = GetXioDevice();
  AccessoryBase* acc = d ? d->GetAccessory() : nullptr;
  return acc ? acc->ParseReply(node, command, commandLen, reply + 1, left - 1) : -1;
}

// 2 for a bad unit, 1 for a bad channel, else 0.
int32_t ChannelError(uint32_t unit, int32_t channel) {
  if (unit >= 2) return 2;
  if (channel < 0 || channel > 3) return 1;
  return 0;
}

}  // namespace

uint32_t XioInputWordFromBlock(const uint8_t* block) {
  uint32_t w = 0;
  for (int b = 0; b < 5; ++b)
    for (int i = 0; i < 8; ++i)
      if (kLayout[b][i] >= 0 && (block[b] & (0x80u >> i))) w |= 1u << kLayout[b][i];
  return w;
}

void XioFillSwitchBlock(uint32_t w, uint8_t* block) {
  std::memset(block, 0, 16);
  for (int b = 0; b < 5; ++b)
    for (int i = 0; i < 8; ++i)
      if (kLayout[b][i] >= 0 && (w >> kLayout[b][i]) & 1u) block[b] |= uint8_t(0x80u >> i);
}

XioDevice* CreateXioDevice(const char* portName, uint32_t flags) {
  g_device = new (std::nothrow) XioDevice(portName, flags);
  return g_device;
}

XioDevice* GetXioDevice() { return g_device; }

XioDevice::XioDevice(const char* portName, uint32_t flags) : flags_(flags), portName_(portName ? portName : "") {
  accessoryUnits_[0].Reset();
  accessoryUnits_[1].Reset();
}

XioDevice::~XioDevice() {
  if (g_device == this) g_device = nullptr;
  if (GetDefaultCabIoBoard() == &busBoard_) SetDefaultCabIoBoard(nullptr);
}

int32_t XioDevice::Open() {
  firstSyncPending_ = 1;
  polled_ = 0;
  // On the bus the registers are the bus board's.
  const bool bus = !(flags_ & kNoBusMaster);
  if (bus) SetDefaultCabIoBoard(&busBoard_);
  if (!DmacOpen() || (bus && !JvsOpen(portName_.c_str(), &ReplyHandler))) {
    DmacClose();
    if (bus) SetDefaultCabIoBoard(nullptr);
    return 6;
  }
  jvsStarted_ = bus ? 1 : 0;
  opened_ = 1;
  if (flags_ & kPipeAccessory)
    accessory_.reset(new (std::nothrow) PipeAccessory());
  else
    accessory_.reset(new (std::nothrow) JvsAccessory());
  return 0;
}

int32_t XioDevice::Close() {
  if (opened_ && jvsStarted_) {
    // Coins a poll took off the board's counters go to their nodes once
    // the cycle under way is over: the master sends them before it stops.
    // The game counted them (it counts a take-off in the frame after the
    // one that asked for it, whose poll came first and wrote it), and a
    // node still holding them would have them counted again at the next
    // start. A take-off still asked for (no poll wrote it) was not counted:
    // its coins stay on the node for the next start.
    if (busBoard_.HoldsTaken() && JvsFinishCycle() == kJvsStateReady && JvsUpdateNodeTable() == kJvsStateReady)
      busBoard_.Trade();
  }
  if (opened_) {
    DmacClose();
    opened_ = 0;
  }
  if (jvsStarted_) {
    jvsStarted_ = 0;
    const int32_t closed = JvsClose() ? 0 : 6;
    if (GetDefaultCabIoBoard() == &busBoard_) SetDefaultCabIoBoard(nullptr);
    return closed;
  }
  accessory_.reset();
  return 1;
}

void XioDevice::PollBus() {
  const int32_t st = JvsGetState();
  if (st < 0) {
    accessoryUnits_[0].result = accessoryUnits_[1].result = kAccNoLink;
    busBoard_.Fail();
    return;
  }
  if (st != kJvsStateReady) return;  // a cycle is running: the node records are the master's
  JvsUpdateNodeTable();
  boardStatus_ = JvsGetNodeRecord(0)->system;
  // What the registers took since the last trade goes out in the next cycle.
  busBoard_.Trade();
  JvsQueueCommand(0, nullptr, 0);
  JvsQueueCommand(0, kJvsBoardStatusPoll, sizeof kJvsBoardStatusPoll);
  for (int unit = 0; unit < 2; ++unit)
    if (const int32_t node = busBoard_.UnitNode(unit)) JvsQueueNodePoll(node);
  // One accessory update per node index below the node count, as far as
  // there are unit blocks.
  if (accessory_)
    for (int32_t i = 0; i < JvsGetNodeCount() && i < 2; ++i) accessory_->Update(i, accessoryUnits_[i]);
  JvsRequest();
}

int32_t XioDevice::Poll() {
  polled_ = 1;
  if (flags_ & kNoBusMaster) {
    if (accessory_) {
      accessory_->Update(0, accessoryUnits_[0]);
      accessory_->Update(1, accessoryUnits_[1]);
    }
  } else {
    PollBus();
  }
  XioUnitRecord local[2];
  std::memcpy(local, requests_, sizeof local);
  for (auto& r : requests_) r.decrease[0] = r.decrease[1] = 0;
  const int ok = DmacPollInputs(local);
  // Whatever the poll did not hand on stays requested: a failed poll must
  // not lose coins that are still to be taken off.
  for (int u = 0; u < 2; ++u)
    for (int c = 0; c < 2; ++c)
      requests_[u].decrease[c] =
          static_cast<uint16_t>(std::min<uint32_t>(0xFFFF, uint32_t(requests_[u].decrease[c]) + local[u].decrease[c]));
  if (!ok) return 6;
  std::memcpy(results_, local, sizeof results_);
  for (auto& r : results_) r.decrease[0] = r.decrease[1] = 0;
  // Two words per linked unit from index 0 on; an unlinked unit's words
  // keep their last values and take no place.
  int n = 0;
  for (int u = 0; u < 2; ++u) {
    if ((results_[u].link & kXioLinked) != kXioLinked) continue;
    XioFillSwitchBlock(results_[u].in[0], switchBlocks_[u]);
    switchWords_[n++] = uint32_t(switchBlocks_[u][1]) << 8 | switchBlocks_[u][2];
    switchWords_[n++] = uint32_t(switchBlocks_[u][3]) << 8 | switchBlocks_[u][4];
  }
  return 0;
}

int32_t XioDevice::Sync() {
  if (!opened_) return -1;
  if (!polled_) return 0;
  if ((results_[0].link & kXioLinked) != kXioLinked) return -1;
  // On the bus: while the master brings the bus up, "not yet"; once it is up
  // the first complete sync comes as on the registers alone.
  const bool bus = !(flags_ & kNoBusMaster);
  if (bus) {
    const int32_t st = JvsGetState();
    if (st == kJvsStateStarting) return 0;
    if (st < 0 || st > kJvsStateRunning) return -1;
  }
  if (!firstSyncPending_) return 1;
  if (bus && JvsGetState() == kJvsStateReady) JvsQueuePoll();
  XioUnitRecord zero[2] = {};
  DmacPollInputs(zero);
  firstSyncPending_ = 0;
  return 0;
}

int32_t XioDevice::GetUnitCount() {
  if ((results_[0].link & kXioLinked) != kXioLinked) return 0;
  return (results_[1].link & kXioLinked) == kXioLinked ? 2 : 1;
}

int32_t XioDevice::GetUnitInfo(uint32_t unit, uint32_t* out5) {
  if (Sync() != 1) return 3;
  if (unit >= uint32_t(GetUnitCount())) return 2;
  if (out5) {
    const uint32_t info[5] = {2, 16, 2, 0, 0};
    std::memcpy(out5, info, sizeof info);
  }
  return 0;
}

int32_t XioDevice::Release() {
  const int32_t closed = Close();
  delete this;  // the destructor clears the singleton
  g_device = nullptr;
  return closed;
}

int32_t XioDevice::GetSwitchBlock(uint32_t unit, uint8_t* out16) {
  if (unit >= 2) return 2;
  if (out16) std::memcpy(out16, switchBlocks_[unit], 16);
  return 0;
}

uint32_t XioDevice::GetSwitchWord(uint32_t index) { return index < 4 ? switchWords_[index] : 0; }

int32_t XioDevice::GetCoinCount(uint32_t unit, int32_t channel) {
  if (unit >= 2 || channel < 0 || channel > 3) return -1;
  if (channel >= 2) return 0;
  const uint16_t v = results_[unit].coin[channel];
  if (v & 0xC000) return -1;
  return v & 0x3FFF;
}

int32_t XioDevice::GetCoinStatus(uint32_t unit, int32_t channel) {
  if (unit >= 2 || channel < 0 || channel > 3) return 4;
  if (channel >= 2) return 0;
  return results_[unit].coin[channel] >> 14;
}

int32_t XioDevice::DecreaseCoin(uint32_t unit, int32_t channel, uint16_t count) {
  if (const int32_t r = ChannelError(unit, channel)) return r;
  if (channel >= 2) return 0;
  uint16_t& req = requests_[unit].decrease[channel];
  req = static_cast<uint16_t>(std::min<uint32_t>(0xFFFF, uint32_t(req) + count));
  return 0;
}

int32_t XioDevice::CheckCoinChannel(uint32_t unit, int32_t channel) {
  if (const int32_t r = ChannelError(unit, channel)) return r;
  // On the bus the coins are off once the node took them off and counted
  // after it: the decrease sent, answered, and a count read since.
  if (jvsStarted_ && channel < 2 &&
      (requests_[unit].decrease[channel] != 0 || busBoard_.CoinsOwed(int(unit), channel) != 0))
    return 3;
  return 0;
}

int32_t XioDevice::SendBoardSetting(uint16_t value) {
  ++boardSettingRequests_;
  return jvsStarted_ ? JvsSendNodeSetting(value) : 0;
}

int32_t XioDevice::GetAccessoryState(uint32_t unit) {
  return unit < 2 ? static_cast<int32_t>(accessoryUnits_[unit].operation) : -1;
}

int32_t XioDevice::GetAccessoryResult(uint32_t unit) {
  return unit < 2 ? static_cast<int32_t>(accessoryUnits_[unit].result) : -1;
}

int32_t XioDevice::StartAccessoryRead(uint32_t unit, uint32_t timeoutMs) {
  if (unit >= 2) return 2;
  return accessory_ ? accessory_->StartRead(accessoryUnits_[unit], timeoutMs) : 4;
}

int32_t XioDevice::GetAccessoryIdent(uint32_t unit, uint32_t* out4) {
  if (unit >= 2) return 2;
  const AccessoryUnit& u = accessoryUnits_[unit];
  if (u.operation != 0) return 3;
  if (!u.identityValid || !u.idsRead) return 4;
  if (out4) {
    out4[0] = u.readId[0];
    out4[1] = u.readId[1];
    out4[2] = u.idsRead;
    out4[3] = u.zero;
  }
  return 0;
}

int32_t XioDevice::StartAccessoryFetch(uint32_t unit, const uint8_t* id8, uint32_t timeoutMs) {
  if (unit >= 2) return 2;
  if (!id8) return 4;
  return accessory_ ? accessory_->StartFetch(accessoryUnits_[unit], id8, timeoutMs) : 4;
}

int32_t XioDevice::GetAccessoryData(uint32_t unit, uint32_t* out4) {
  if (unit >= 2) return 2;
  const AccessoryUnit& u = accessoryUnits_[unit];
  if (u.operation != 0) return 3;
  if (!u.dataValid) return 4;
  if (out4) std::memcpy(out4, u.data, 16);
  return 0;
}

int32_t XioDevice::StartAccessoryReadAll(uint32_t unit, uint32_t timeoutMs) {
  if (unit >= 2) return 2;
  return accessory_ ? accessory_->StartReadAll(accessoryUnits_[unit], timeoutMs) : 4;
}

int32_t XioDevice::RequestAccessoryAbort(uint32_t unit) {
  if (unit >= 2) return 2;
  AccessoryUnit& u = accessoryUnits_[unit];
  if (u.operation == 0) return 0;
  u.abort = 1;
  return 3;
}

int32_t XioDevice::CancelAccessory(uint32_t unit) {
  if (unit >= 2) return 2;
  return accessory_ ? accessory_->Cancel(accessoryUnits_[unit]) : 4;
}

int32_t XioDevice::SetOutputWord(uint32_t unit, uint32_t value) {
  if (unit >= 2) return 2;
  requests_[unit].out[0] = value;
  return 0;
}
