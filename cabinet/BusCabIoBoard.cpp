#include "cabinet/BusCabIoBoard.h"

#include <algorithm>

#include "cabinet/JvsMaster.h"
#include "cabinet/XioDevice.h"
#include "platform/clock.h"

uint32_t BusCabIoBoard::Open(uint32_t device, uint32_t* handle, uint32_t* status) {
  if (status) *status = 0;
  if (device != 1 || !handle) return 1;
  open_ = true;
  failed_ = false;
  // A new bring-up finds the nodes again; the coins taken and not yet
  // confirmed taken off stay owed, so that a reopen cannot count them twice.
  for (Unit& u : units_) {
    u.node = 0;
    u.linkReported = false;
    u.input = 0;
    u.inputRead = false;
  }
  status_[0] = kLinkedStatus;
  status_[1] = 0;
  units_[0].linkReported = true;
  *handle = kHandle;
  return 0;
}

uint32_t BusCabIoBoard::ReadUnit(int unit, uint32_t kind, int index) {
  const Unit& u = units_[unit];
  if (kind == cabreg::kOutput) return u.outputs[index];
  // Switches not read lately (the bus keeps failing to read them) read
  // released: a switch held when the reading stopped is not held for ever.
  if (kind == cabreg::kInput)
    return index == 0 && u.inputRead && JvsClock().NowMs() - u.inputAt <= kJvsStopBoundMs ? u.input : 0;
  const uint32_t count = u.coins[index] & kJvsCoinCountBits;
  const uint32_t owed = u.inFlight[index] + u.taken[index];
  return (count > owed ? count - owed : 0) | ((u.coins[index] >> 14) ? 0x80000000u : 0u);
}

void BusCabIoBoard::WriteUnit(int unit, uint32_t kind, int index, uint32_t value) {
  Unit& u = units_[unit];
  if (kind == cabreg::kOutput) {
    u.outputs[index] = value;
  } else if (const int32_t v = static_cast<int32_t>(value); v < 0) {
    // Coins taken off; a node cannot be given coins.
    u.taken[index] = std::min<uint32_t>(0xFFFF, u.taken[index] + uint32_t(-int64_t(v)));
  }
}

bool BusCabIoBoard::HoldsTaken() const {
  for (const Unit& u : units_)
    if (u.taken[0] || u.taken[1]) return true;
  return false;
}

void BusCabIoBoard::Trade() {
  int32_t found[2] = {0, 0};
  int n = 0;
  for (int32_t node = 1; node <= JvsCopiedNodeCount() && n < 2; ++node)
    if (JvsNodeHasSwitches(node)) found[n++] = node;
  for (int i = 0; i < 2; ++i) {
    Unit& u = units_[i];
    u.node = found[i];
    const bool linked = u.node != 0;
    if (linked != u.linkReported) {
      status_[i] = linked ? kLinkedStatus : kUnlinkedStatus;
      u.linkReported = linked;
    }
    if (!linked) continue;
    JvsNodeState& s = *JvsGetNodeRecord(u.node);
    for (int c = 0; c < 2; ++c) {
      s.coinDecrease[c] = static_cast<uint16_t>(std::min<uint32_t>(0xFFFF, uint32_t(s.coinDecrease[c]) + u.taken[c]));
      u.taken[c] = 0;
      // Until the node's counts are read after it took the coins off, its
      // count still holds them: those asked for, those whose decrease waits
      // for the node's counter, and those taken off since the last count.
      u.inFlight[c] = uint32_t(s.coinDecrease[c]) + s.coinUncounted[c];
      u.coins[c] = s.coins[c];
    }
    for (int k = 0; k < 4; ++k) s.outputs[k] = static_cast<uint8_t>(u.outputs[0] >> (8 * k));
    const int per = std::clamp((JvsFeatureParam(s.record, kJvsFeatureSwitches, 2) + 7) / 8, 1, 7);
    const uint8_t block[5] = {s.system, s.switches[0], s.switches[1], s.switches[per], s.switches[per + 1]};
    u.input = XioInputWordFromBlock(block);
    u.inputRead = JvsSwitchesCurrent(u.node);
    u.inputAt = JvsSwitchesReadAt(u.node);
  }
  // The game reads the first unit's switches: only their stale reads stop
  // the bus.
  JvsWatchSwitches(units_[0].node);
}
