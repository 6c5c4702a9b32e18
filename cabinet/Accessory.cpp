#include "cabinet/Accessory.h"

#include <cstring>

#include "cabinet/JvsMaster.h"
#include "platform/clock.h"

int32_t JvsAccessory::Start(AccessoryUnit& u, uint32_t op, const uint8_t* id8, uint32_t timeoutMs) {
  if (u.operation != 0) return 3;
  u.updates = 0;
  if (JvsGetState() > 0) {
    u.operation = op;
    if (op == 2)
      u.dataValid = 0;
    else
      u.identityValid = 0;
    if (id8) std::memcpy(u.fetchId, id8, 8);
    u.startTime = plat::TimeGetTime();
    u.timeoutMs = timeoutMs;
  } else {
    u.identityValid = 1;
    u.result = 1;
  }
  return 0;
}

int32_t JvsAccessory::Cancel(AccessoryUnit& u) {
  if (u.operation == 0) return 4;
  u.operation = 0;
  u.identityValid = 1;
  u.idsRead = 1;
  u.result = 4;
  return 0;
}

int32_t JvsAccessory::Update(int32_t unit, AccessoryUnit& u) {
  const int32_t nodes = JvsGetNodeCount();
  const int32_t node = nodes - unit;
  Record& r = records_[unit == 1 ? 1 : 0];  // unit i is node (count - i)
  if ((u.operation == 1 || u.operation == 3) && u.updates > 3) {
    if (r.switches & 0x10) {
      if (u.operation == 3) {
        std::memcpy(u.data, &r.reply61[2], 16);
        u.dataValid = 1;
      }
      u.operation = 0;
      u.identityValid = 1;
      u.idsRead = 1;
      u.result = 0;
      std::memcpy(u.readId, &r.reply61[2], 8);
    } else if (r.switches & 0x20) {
      u.result = 2;
      u.operation = 0;
      u.idsRead = 0;
    } else if (plat::TimeGetTime() - u.startTime > u.timeoutMs) {
      u.result = 3;
      u.abort = 1;
      u.operation = 0;
      u.idsRead = 0;
    }
  }
  if (u.operation == 2) {
    u.result = 3;
    if (u.idsRead && std::memcmp(u.fetchId, u.readId, 8) == 0) {
      std::memcpy(u.data, &r.reply61[2], 16);
      u.dataValid = 1;
      u.result = 0;
    }
    u.operation = 0;
  }
  if (node < 1) return nodes;
  // The bus commands for the node belong to the JVS master, which does not
  // run in register mode.
  u.abort = 0;
  return static_cast<int32_t>(++u.updates);
}

int32_t JvsAccessory::ParseReply(uint8_t node, const uint8_t* command, const uint8_t* reply) {
  if (!command || !reply || command[0] < 0x26 || command[0] > 0x62) return -1;
  const int32_t idx = JvsGetNodeCount() - node;
  if (idx < 0 || idx > 1) return -1;
  Record& r = records_[idx];
  switch (command[0]) {
    case 0x26:
      r.switches = reply[0];
      return 2;
    case 0x61:
      std::memcpy(r.reply61, reply, 24);
      return 25;
    case 0x32:
    case 0x62:
      return 1;
    default:
      return -1;
  }
}
