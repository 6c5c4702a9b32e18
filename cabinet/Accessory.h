#pragma once
#include <cstdint>

// An I/O unit's accessory: reads an 8-byte identity from a medium and, for an
// identity, 16 bytes of data. One block per unit lives in the I/O device.
struct AccessoryUnit {
  uint32_t identityValid;
  uint32_t dataValid;
  uint32_t abort;
  uint32_t updates;      // update count
  uint32_t fetchId[2];   // identity to fetch
  uint32_t readId[2];    // identity read
  uint32_t idsRead;      // 0 or 1
  uint32_t zero;
  uint32_t data[4];
  uint32_t startTime;    // millisecond clock
  uint32_t timeoutMs;
  uint32_t operation;    // 0 idle, 1 read identity, 2 fetch data, 3 both
  uint32_t result;       // 0 done, 1 no link, 2 error, 3 time-out/no match, 4 cancelled

  void Reset() { identityValid = dataValid = operation = result = 0; }
};
static_assert(sizeof(AccessoryUnit) == 18 * 4, "eighteen words");

class AccessoryBase {
 public:
  virtual ~AccessoryBase() = default;
  virtual int32_t Update(int32_t unit, AccessoryUnit& u) = 0;
  virtual int32_t StartRead(AccessoryUnit& u, uint32_t timeoutMs) = 0;
  virtual int32_t StartFetch(AccessoryUnit& u, const uint8_t* id8, uint32_t timeoutMs) = 0;
  virtual int32_t StartReadAll(AccessoryUnit& u, uint32_t timeoutMs) = 0;
  virtual int32_t Cancel(AccessoryUnit& u) = 0;
  virtual int32_t ParseReply(uint8_t node, const uint8_t* command, const uint8_t* reply) = 0;
};

// The accessory as a node of the JVS bus. Without a running JVS master every
// operation ends at once with result 1 (no link).
class JvsAccessory : public AccessoryBase {
 public:
  int32_t Update(int32_t unit, AccessoryUnit& u) override;
  int32_t StartRead(AccessoryUnit& u, uint32_t timeoutMs) override { return Start(u, 1, nullptr, timeoutMs); }
  int32_t StartFetch(AccessoryUnit& u, const uint8_t* id8, uint32_t timeoutMs) override {
    return Start(u, 2, id8, timeoutMs);
  }
  int32_t StartReadAll(AccessoryUnit& u, uint32_t timeoutMs) override { return Start(u, 3, nullptr, timeoutMs); }
  int32_t Cancel(AccessoryUnit& u) override;
  int32_t ParseReply(uint8_t node, const uint8_t* command, const uint8_t* reply) override;

 private:
  int32_t Start(AccessoryUnit& u, uint32_t op, const uint8_t* id8, uint32_t timeoutMs);
  struct Record {
    uint32_t switches;
    uint32_t reply61[6];
    uint8_t output;
  };
  Record records_[2] = {};
};
