#include "cabinet/Dmac.h"

#include <algorithm>

#include "cabinet/CabIoDriver.h"

namespace {

struct DmacState {
  uint32_t handle = 0;
  uint32_t driverStatus = 0;
  uint32_t opened = 0;
  uint32_t boardId = 0;
  uint32_t statusReg[2] = {0xFFFFFFFFu, 0xFFFFFFFFu};
  uint32_t link[2] = {0, 0};
};

DmacState g;
uint32_t g_deviceNumber = 1;

constexpr uint32_t kStatusReg[2] = {cabreg::kStatus0, cabreg::kStatus1};
constexpr uint32_t kBase[2] = {cabreg::kUnitBase0, cabreg::kUnitBase1};

}  // namespace

uint32_t DmacLinkStatus(uint32_t s) {
  uint32_t w = (s & 0xFF) ? 0x100 : 0x001;
  w += (s & 0xFF0000) ? 0x200 : 0x002;
  if (s & 0xFF00) w += 0x004;
  return w;
}

uint16_t DmacCoinValue(uint32_t r) {
  const uint32_t count = std::min<uint32_t>(r & 0x7FFFFFFFu, 0x3FFF);
  return static_cast<uint16_t>(count | ((r & 0x80000000u) ? 0x8000u : 0u));
}

int DmacOpen() {
  g.opened = 0;
  CabIoDriver* drv = GetCabIoDriver();
  if (drv->Open(g_deviceNumber, &g.handle, &g.driverStatus) != 0) return 0;
  g.boardId = 0;
  if (!DmacReadRegister(cabreg::kBoardId, &g.boardId)) return 0;
  g.statusReg[0] = g.statusReg[1] = 0xFFFFFFFFu;
  if (!DmacReadRegister(kStatusReg[0], &g.statusReg[0])) return 0;
  if (!DmacReadRegister(kStatusReg[1], &g.statusReg[1])) return 0;
  g.link[0] = g.link[1] = 0;
  g.opened = 1;
  return 1;
}

int DmacClose() {
  if (g.handle) {
    if (GetCabIoDriver()->Close(g.handle, &g.driverStatus) != 0) return 0;
    g.handle = 0;
  }
  g.opened = 0;
  return 1;
}

int DmacReadRegister(uint32_t reg, uint32_t* value) {
  return GetCabIoDriver()->ReadRegister(g.handle, reg, value, &g.driverStatus) == 0 ? 1 : 0;
}

int DmacWriteRegister(uint32_t reg, uint32_t value) {
  return GetCabIoDriver()->WriteRegister(g.handle, reg, value, &g.driverStatus) == 0 ? 1 : 0;
}

int DmacPollInputs(XioUnitRecord* rec) {
  if (!rec || !g.opened) return 0;
  for (int u = 0; u < 2; ++u) {
    uint32_t s = 0;
    if (!DmacReadRegister(kStatusReg[u], &s)) return 0;
    g.statusReg[u] = s;
    if (((s >> 16) & 0xFF) > 2) {
      if (!DmacWriteRegister(kStatusReg[u], 0)) return 0;
      g.link[u] = DmacLinkStatus(s);
    }
    rec[u].link = g.link[u];
  }
  for (int u = 0; u < 2; ++u)
    for (int i = 0; i < 4; ++i)
      if (!DmacReadRegister(kBase[u] + cabreg::kInput + 4 * i, &rec[u].in[i])) return 0;
  for (int u = 0; u < 2; ++u)
    for (int i = 0; i < 4; ++i)
      if (!DmacWriteRegister(kBase[u] + cabreg::kOutput + 4 * i, rec[u].out[i])) return 0;
  for (int u = 0; u < 2; ++u) {
    for (int c = 0; c < 2; ++c) {
      const uint32_t reg = kBase[u] + cabreg::kCounter + 4 * c;
      // The request is a count of coins: never negative, and no more than a
      // counter can hold in one write; the rest stays for the next poll.
      const uint16_t take = std::min(rec[u].decrease[c], kMaxCoinDecrease);
      if (take) {
        if (!DmacWriteRegister(reg, static_cast<uint32_t>(-static_cast<int32_t>(take)))) return 0;
        rec[u].decrease[c] = static_cast<uint16_t>(rec[u].decrease[c] - take);
      }
      uint32_t r = 0;
      if (!DmacReadRegister(reg, &r)) return 0;
      rec[u].coin[c] = DmacCoinValue(r);
    }
  }
  return 1;
}

uint32_t DmacGetBoardId() { return g.boardId; }

uint32_t DmacGetStatusRegister(int32_t unit) {
  return (unit == 0 || unit == 1) ? g.statusReg[unit] : 0xFFFFFFFFu;
}
