#pragma once
#include <cstddef>
#include <cstdint>

// The lower half of the JVS library: the serial port of the bus, the
// per-node command queues and the frames on the wire (sync 0xE0, node,
// length, data, 8-bit sum; 0xE0 and 0xD0 after the sync sent as 0xD0 and the
// byte minus 1). Driven by the bus master thread (JvsMaster.h).

namespace plat {
class SerialLines;
}

constexpr uint8_t kJvsSync = 0xE0;
constexpr uint8_t kJvsEscape = 0xD0;
constexpr uint8_t kJvsBroadcast = 0xFF;
constexpr int kJvsQueueSlots = 33;      // nodes 0-31, then the broadcast slot
constexpr int kJvsQueueBytes = 256;
constexpr int kJvsMaxFrame = 516;       // the longest frame on the wire, escapes included
constexpr int kJvsReplyBuffer = 258;    // what a caller of JvsReceiveFrame provides
constexpr int kJvsMaxErrors = 5;        // more errors in one receive end it
constexpr uint32_t kJvsByteWaitMs = 20;  // the longest wait for one byte

// Reply status codes.
enum : uint8_t { kJvsStatusNormal = 1, kJvsStatusUnsupported = 2, kJvsStatusSumError = 3, kJvsStatusOverflow = 4 };

// Port. 1 ok, 0 failure (also when a port is already open).
int JvsOpenPort(const char* portName);
void JvsClosePort();
bool JvsPortIsOpen();
size_t JvsWritePort(const uint8_t* bytes, size_t count);
// Reads what is waiting, at most max; with nothing waiting clears RTS, waits
// up to kJvsByteWaitMs for one byte and sets RTS again.
size_t JvsReadPort(uint8_t* buffer, size_t max);
int JvsGetSense();             // the SENSE line (the port's CTS): 1, 0, or -1
bool JvsSetRts(int clearFlag);  // non-zero clears RTS, zero sets it
// Modem lines for the next port opened (not owned; null: the device's own).
// For devices without modem lines, such as a pseudo-terminal.
void JvsSetPortLines(plat::SerialLines* lines);

// Queues. A null data pointer empties the node's queue. 1 ok, 0 full.
int JvsQueueCommand(uint8_t node, const uint8_t* bytes, size_t count);
// Start and length of the node's command at index; null beyond the count.
const uint8_t* JvsGetQueuedCommand(uint8_t node, uint32_t index, size_t* length = nullptr);
uint32_t JvsQueuedCount(uint8_t node);
void JvsClearQueues();
uint32_t JvsGetErrorCount();

// 0xE0 and 0xD0 become 0xD0, byte - 1 (2); any other byte is copied (1).
int JvsEscapeByte(uint8_t byte, uint8_t* out2);

// Builds one frame of all the node's queued commands, keeps it for resends
// and writes it. 1 sent, 0 nothing queued or too long.
int JvsSendFrame(uint8_t node);
// The last frame built (for tests).
const uint8_t* JvsLastFrame(size_t* length);

// Reads one reply frame addressed to the master into buffer (status first,
// then the reports and their data; the sum is not stored). Returns the data
// length or -1: status 0 or above 4, more than kJvsMaxErrors bad sums or
// empty reads in this call, or a frame longer than max. A status 3 reply
// resends the last frame; a bad sum or an empty read asks for a resend when
// retransmit is set.
int JvsReceiveFrame(uint8_t* buffer, size_t max, int retransmit);

// The receiving state machine, fed one byte of the wire at a time: waits for
// 0xE0 (which restarts a frame anywhere), takes frames for node 0 only,
// undoes the escapes (also across separate feeds) and checks the sum. A frame
// whose sum is wrong is dropped whole and the machine waits for the next
// 0xE0; no byte is ever stored beyond its own buffer.
class JvsReceiver {
 public:
  enum Event { kNone, kFrame, kBadSum };

  Event Feed(uint8_t byte);
  void Reset();
  // The data of the last complete frame (status first; the sum not stored).
  const uint8_t* Data() const { return data_; }
  size_t Size() const { return size_; }

 private:
  enum State { kWaitSync, kNode, kLength, kData };
  State state_ = kWaitSync;
  bool escaped_ = false;
  uint8_t length_ = 0;  // data bytes + 1
  uint8_t sum_ = 0;
  size_t size_ = 0;
  uint8_t data_[255] = {};
};
