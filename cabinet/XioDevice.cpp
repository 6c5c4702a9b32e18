#include "cabinet/XioDevice.h"

#include <algorithm>
#include <cstring>
#include <new>

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

int32_t ReplyHandler(uint8_t node, const uint8_t* command, const uint8_t* reply) {
  (void)node;
  (void)command;
  (void)reply;
  return -1;  // no JVS master runs in this build
}

}  // namespace

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
}

int32_t XioDevice::Open() {
  firstSyncPending_ = 1;
  polled_ = 0;
  if (!DmacOpen()) return 6;
  if (!(flags_ & 1)) {
    if (!JvsOpen(portName_.c_str(), &ReplyHandler)) {
      DmacClose();
      return 6;
    }
    jvsStarted_ = 1;
  }
  opened_ = 1;
  if (!(flags_ & 2)) accessory_.reset(new (std::nothrow) JvsAccessory());
  return 0;
}

int32_t XioDevice::Close() {
  if (opened_) {
    DmacClose();
    opened_ = 0;
  }
  if (jvsStarted_) {
    jvsStarted_ = 0;
    return JvsClose() ? 0 : 6;
  }
  accessory_.reset();
  return 1;
}

int32_t XioDevice::Poll() {
  polled_ = 1;
  if (accessory_) {
    accessory_->Update(0, accessoryUnits_[0]);
    accessory_->Update(1, accessoryUnits_[1]);
  }
  XioUnitRecord local[2];
  std::memcpy(local, requests_, sizeof local);
  for (auto& r : requests_) r.decrease[0] = r.decrease[1] = 0;
  const int ok = DmacPollInputs(local);
  // Whatever the poll did not write to the board stays requested: a failed
  // poll must not lose coins that are still to be taken off.
  for (int u = 0; u < 2; ++u)
    for (int c = 0; c < 2; ++c)
      requests_[u].decrease[c] =
          static_cast<uint16_t>(std::min<uint32_t>(0xFFFF, uint32_t(requests_[u].decrease[c]) + local[u].decrease[c]));
  if (!ok) return 6;
  std::memcpy(results_, local, sizeof results_);
  for (auto& r : results_) r.decrease[0] = r.decrease[1] = 0;
  // The words are rebuilt from index 0 on every poll, two per linked unit.
  uint32_t words[4] = {};
  int n = 0;
  for (int u = 0; u < 2; ++u) {
    if ((results_[u].link & kXioLinked) != kXioLinked) continue;
    XioFillSwitchBlock(results_[u].in[0], switchBlocks_[u]);
    words[n++] = uint32_t(switchBlocks_[u][1]) << 8 | switchBlocks_[u][2];
    words[n++] = uint32_t(switchBlocks_[u][3]) << 8 | switchBlocks_[u][4];
  }
  std::memcpy(switchWords_, words, sizeof words);
  return 0;
}

int32_t XioDevice::Sync() {
  if (!opened_) return -1;
  if (!polled_) return 0;
  if ((results_[0].link & kXioLinked) != kXioLinked) return -1;
  if (!(flags_ & 1)) {
    const int32_t st = JvsGetState();
    if (st == 0) return 0;
    if (st < 0 || st > 3) return -1;
  }
  if (!firstSyncPending_) return 1;
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
  Close();
  delete this;  // the destructor clears the singleton
  g_device = nullptr;
  return 0;
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
  if (const int32_t r = CheckCoinChannel(unit, channel)) return r;
  if (channel >= 2) return 0;
  uint16_t& req = requests_[unit].decrease[channel];
  req = static_cast<uint16_t>(std::min<uint32_t>(0xFFFF, uint32_t(req) + count));
  return 0;
}

int32_t XioDevice::CheckCoinChannel(uint32_t unit, int32_t channel) {
  if (unit >= 2) return 2;
  if (channel < 0 || channel > 3) return 1;
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
