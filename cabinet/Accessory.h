#pragma once
#include <cstddef>
#include <cstdint>
#include <string>

#include "platform/ipc.h"

namespace plat {
class MsClock;
}

// An I/O unit's accessory: reads an 8-byte identity from a medium and, for an
// identity, 16 bytes of data. One block per unit lives in the I/O device; the
// device starts an operation, updates it once per poll and reads the results
// once the operation is back to idle.
struct AccessoryUnit {
  uint32_t identityValid;
  uint32_t dataValid;
  uint32_t abort;        // set by an abort request and by a time-out
  uint32_t updates;      // update count (bus) or delay in updates (pipe)
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

enum : uint32_t { kAccIdle = 0, kAccReadId = 1, kAccFetch = 2, kAccReadAll = 3 };
enum : uint32_t { kAccDone = 0, kAccNoLink = 1, kAccError = 2, kAccTimeOut = 3, kAccCancelled = 4 };

class AccessoryBase {
 public:
  virtual ~AccessoryBase() = default;
  virtual int32_t Update(int32_t unit, AccessoryUnit& u) = 0;
  // Operations 1, 2 and 3: 0 started, 3 busy.
  virtual int32_t StartRead(AccessoryUnit& u, uint32_t timeoutMs) { return Start(u, kAccReadId, nullptr, timeoutMs); }
  virtual int32_t StartFetch(AccessoryUnit& u, const uint8_t* id8, uint32_t timeoutMs) {
    return Start(u, kAccFetch, id8, timeoutMs);
  }
  virtual int32_t StartReadAll(AccessoryUnit& u, uint32_t timeoutMs) {
    return Start(u, kAccReadAll, nullptr, timeoutMs);
  }
  // 0 cancelled, 4 idle.
  virtual int32_t Cancel(AccessoryUnit& u);
  // A reply on the bus: (node, command bytes, reply data after the report
  // byte and how many bytes of the frame are left there) -> bytes consumed,
  // report included, or -1.
  virtual int32_t ParseReply(uint8_t node, const uint8_t* command, size_t commandLen, const uint8_t* data,
                             size_t dataLeft) = 0;

 protected:
  virtual int32_t Start(AccessoryUnit& u, uint32_t op, const uint8_t* id8, uint32_t timeoutMs) = 0;
  // Sets the operation, clears the valid flag it will fill and keeps the
  // identity to fetch.
  static void Begin(AccessoryUnit& u, uint32_t op, const uint8_t* id8);
};

// The accessory as a node of the bus (commands 0x26, 0x61, 0x32). Unit i is
// node (node count - i), so unit 0 is the last node; a unit whose node is
// missing, or is an I/O node, has no accessory: its operations end with
// result 1. Without a ready bus master every operation ends at once with
// result 1.
class JvsAccessory : public AccessoryBase {
 public:
  int32_t Update(int32_t unit, AccessoryUnit& u) override;
  int32_t ParseReply(uint8_t node, const uint8_t* command, size_t commandLen, const uint8_t* data,
                     size_t dataLeft) override;

  // The reply record of a unit (its switch byte, the 0x61 reply, the output
  // byte last sent).
  struct Record {
    uint32_t switches;
    uint8_t reply61[24];
    uint8_t output;
  };

 private:
  int32_t Start(AccessoryUnit& u, uint32_t op, const uint8_t* id8, uint32_t timeoutMs) override;
  Record records_[2] = {};
};

// The accessory behind a local server, reached over a two-way local
// connection with fixed-size messages. Each exchange is bounded by
// kExchangeMs, so a server that hangs costs a frame at most that.
class PipeAccessory : public AccessoryBase {
 public:
  static constexpr uint32_t kExchangeMs = 50;
  // The server's path for this user and save directory.
  static std::string DefaultPath();

  explicit PipeAccessory(const std::string& path = DefaultPath(), plat::MsClock* clock = nullptr);
  int32_t Update(int32_t unit, AccessoryUnit& u) override;
  int32_t ParseReply(uint8_t, const uint8_t*, size_t, const uint8_t*, size_t) override { return 1; }
  bool IsConnected() const { return pipe_.IsOpen(); }

 private:
  int32_t Start(AccessoryUnit& u, uint32_t op, const uint8_t* id8, uint32_t timeoutMs) override;
  void FetchData(int32_t unit, AccessoryUnit& u);
  plat::LocalStream pipe_;
  plat::MsClock* clock_;
};
