#include "cabinet/Accessory.h"

#include <cstring>

#include "cabinet/JvsFrame.h"
#include "cabinet/JvsMaster.h"
#include "platform/clock.h"

namespace {

// The accessory's own commands on the bus besides its switch byte
// (kJvsCmdAccessorySwitches) and output byte (kJvsCmdOutputs).
constexpr uint8_t kAccCmdRead = 0x61;  // kAccReadReplySize bytes back
constexpr size_t kAccReadReplySize = 24;
// Where the identity (8 bytes) and the data (16 bytes, from the same place)
// lie in the read reply.
constexpr size_t kAccReadIdentityAt = 8;
// Bits of the accessory's switch byte.
constexpr uint32_t kAccSwitchReadDone = 0x10;
constexpr uint32_t kAccSwitchError = 0x20;
// The output byte: idle, and reading (once a read has run a few updates).
constexpr uint8_t kAccOutputIdle = 0x80;
constexpr uint8_t kAccOutputReading = 0xC0;

// The unit's accessory node on the bus, or 0 when it has none.
int32_t AccessoryNode(int32_t unit) {
  const int32_t node = JvsGetNodeCount() - unit;
  if (unit < 0 || unit > 1 || node < 1 || JvsNodeHasSwitches(node)) return 0;
  return node;
}

// The end of an identity read: the identity and, for a full read, the data
// from the accessory's 0x61 reply.
void FinishRead(AccessoryUnit& u, const uint8_t* reply61) {
  if (u.operation == kAccReadAll) {
    std::memcpy(u.data, reply61 + kAccReadIdentityAt, 16);
    u.dataValid = 1;
  }
  u.operation = kAccIdle;
  u.identityValid = 1;
  u.idsRead = 1;
  u.result = kAccDone;
  std::memcpy(u.readId, reply61 + kAccReadIdentityAt, 8);
}

}  // namespace

void AccessoryBase::Begin(AccessoryUnit& u, uint32_t op, const uint8_t* id8) {
  u.operation = op;
  if (op == kAccFetch)
    u.dataValid = 0;
  else
    u.identityValid = 0;
  if (op == kAccFetch && id8) std::memcpy(u.fetchId, id8, 8);
}

int32_t AccessoryBase::Cancel(AccessoryUnit& u) {
  if (u.operation == kAccIdle) return 4;
  u.operation = kAccIdle;
  u.identityValid = 1;
  u.idsRead = 1;
  u.result = kAccCancelled;
  return 0;
}

// ---------------------------------------------------------------------------

int32_t JvsAccessory::Start(AccessoryUnit& u, uint32_t op, const uint8_t* id8, uint32_t timeoutMs) {
  if (u.operation != kAccIdle) return 3;
  u.updates = 0;
  if (JvsGetState() > kJvsStateStarting) {
    Begin(u, op, id8);
    u.startTime = JvsClock().NowMs();
    u.timeoutMs = timeoutMs;
  } else {
    u.identityValid = 1;
    u.result = kAccNoLink;
  }
  return 0;
}

int32_t JvsAccessory::Update(int32_t unit, AccessoryUnit& u) {
  const Record& r = records_[unit == 1 ? 1 : 0];
  if ((u.operation == kAccReadId || u.operation == kAccReadAll) && u.updates > 3) {
    if (r.switches & kAccSwitchReadDone) {
      FinishRead(u, r.reply61);
    } else if (r.switches & kAccSwitchError) {
      u.result = kAccError;
      u.operation = kAccIdle;
      u.idsRead = 0;
    } else if (JvsClock().NowMs() - u.startTime > u.timeoutMs) {
      u.result = kAccTimeOut;
      u.abort = 1;
      u.operation = kAccIdle;
      u.idsRead = 0;
    }
  }
  if (u.operation == kAccFetch) {
    u.result = kAccTimeOut;
    if (u.idsRead && std::memcmp(u.fetchId, u.readId, 8) == 0) {
      std::memcpy(u.data, r.reply61 + kAccReadIdentityAt, 16);
      u.dataValid = 1;
      u.result = kAccDone;
    }
    u.operation = kAccIdle;
  }
  const int32_t node = AccessoryNode(unit);
  if (node < 1) {
    // No accessory node for this unit: a read can never finish.
    if (u.operation != kAccIdle) {
      u.operation = kAccIdle;
      u.identityValid = 1;
      u.result = kAccNoLink;
    }
    return JvsGetNodeCount();
  }
  const uint8_t running = u.operation != kAccIdle;
  const uint8_t x = running && u.updates > 3 ? kAccOutputReading : kAccOutputIdle;
  const uint8_t n = static_cast<uint8_t>(node);
  static const uint8_t kSwitch[2] = {kJvsCmdAccessorySwitches, 0x01};
  const uint8_t out[3] = {kJvsCmdOutputs, 0x01, x};
  JvsQueueCommand(n, nullptr, 0);
  JvsQueueCommand(n, kSwitch, 2);
  JvsQueueCommand(n, &kAccCmdRead, 1);
  JvsQueueCommand(n, out, 3);
  records_[unit == 1 ? 1 : 0].output = x;
  u.abort = 0;
  return static_cast<int32_t>(++u.updates);
}

int32_t JvsAccessory::ParseReply(uint8_t node, const uint8_t* command, size_t commandLen, const uint8_t* data,
                                 size_t dataLeft) {
  if (!command || commandLen == 0 || command[0] < kJvsCmdAccessorySwitches || command[0] > 0x62) return -1;
  // Replies of a node beyond the two records are read past, not stored.
  const int32_t idx = JvsGetNodeCount() - node;
  Record* r = idx == 0 || idx == 1 ? &records_[idx] : nullptr;
  switch (command[0]) {
    case kJvsCmdAccessorySwitches:
      if (dataLeft < 1) return -1;
      if (r) r->switches = data[0];
      return 2;
    case kAccCmdRead:
      if (dataLeft < kAccReadReplySize) return -1;
      if (r) std::memcpy(r->reply61, data, kAccReadReplySize);
      return static_cast<int32_t>(1 + kAccReadReplySize);
    case kJvsCmdOutputs:
    case 0x62:
      return 1;
    default:
      return -1;
  }
}

// ---------------------------------------------------------------------------

std::string PipeAccessory::DefaultPath() {
  return plat::IpcDir() + "/" + plat::IpcName("FF5E8C4A-0BBD-4b95-BDD0-8D240B785986");
}

PipeAccessory::PipeAccessory(const std::string& path, plat::MsClock* clock)
    : clock_(clock ? clock : &plat::SystemClock()) {
  pipe_.Connect(path);
}

int32_t PipeAccessory::Start(AccessoryUnit& u, uint32_t op, const uint8_t* id8, uint32_t timeoutMs) {
  if (u.operation != kAccIdle) return 3;
  Begin(u, op, id8);
  u.updates = clock_->NowMs() % 60 + 10;
  u.timeoutMs = timeoutMs;
  return 0;
}

void PipeAccessory::FetchData(int32_t unit, AccessoryUnit& u) {
  uint8_t req[10] = {0x01, static_cast<uint8_t>(unit)};
  std::memcpy(req + 2, u.fetchId, 8);
  uint8_t reply[21];
  if (!pipe_.SendAll(req, sizeof req, kExchangeMs) || !pipe_.ReceiveAll(reply, sizeof reply, kExchangeMs)) {
    u.result = kAccNoLink;
  } else if (reply[0] == 1) {
    std::memcpy(u.data, reply + 1, 16);
    u.result = kAccDone;
  } else {
    u.result = kAccError;
  }
  u.operation = kAccIdle;
  u.dataValid = 1;
}

int32_t PipeAccessory::Update(int32_t unit, AccessoryUnit& u) {
  if (u.operation == kAccReadId || u.operation == kAccReadAll) {
    if (u.updates != 0) {
      --u.updates;
      return 0;
    }
    const bool all = u.operation == kAccReadAll;
    const uint8_t req[6] = {0x00, static_cast<uint8_t>(unit), 0, 0, 0, 0};
    uint8_t reply[9];
    bool fetch = false;
    if (!pipe_.SendAll(req, sizeof req, kExchangeMs) || !pipe_.ReceiveAll(reply, sizeof reply, kExchangeMs)) {
      u.result = kAccNoLink;
    } else if (reply[0] == 255) {
      u.result = kAccError;
    } else if (reply[0] == 0) {
      u.idsRead = 0;
      u.result = kAccDone;
    } else {
      u.idsRead = 1;
      std::memcpy(u.readId, reply + 1, 8);
      if (all) {
        std::memcpy(u.fetchId, reply + 1, 8);
        fetch = true;
      } else {
        u.result = kAccDone;
      }
    }
    u.operation = kAccIdle;
    u.identityValid = 1;
    if (fetch) FetchData(unit, u);
    return 0;
  }
  if (u.operation == kAccFetch) {
    if (u.updates != 0) {
      --u.updates;
      return 0;
    }
    FetchData(unit, u);
  }
  return 0;
}
