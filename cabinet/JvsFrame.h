#pragma once
#include <cstddef>
#include <cstdint>

// The lower half of the JVS library: the serial port of the bus, the
// per-node command queues and the frames on the wire (sync 0xE0, node,
// length, data, 8-bit sum; 0xE0 and 0xD0 after the sync sent as 0xD0 and the
// byte minus 1). Driven by the bus master thread (JvsMaster.h).

namespace plat {
class MsClock;
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
// The most bytes one receive (or the drop of stale input before a request)
// looks at: sixteen of the longest frames, far beyond what a receive that
// ends well reads (its few damaged or refused frames, the copies owed and the
// reply, most of them a few dozen bytes). A node that keeps talking without
// answering cannot hold the master beyond it (0.7 s of a busy line).
constexpr size_t kJvsMaxReceiveBytes = 16 * size_t{kJvsMaxFrame};
constexpr uint32_t kJvsByteWaitMs = 20;  // the longest wait for one byte

// Reply status codes.
enum : uint8_t { kJvsStatusNormal = 1, kJvsStatusUnsupported = 2, kJvsStatusSumError = 3, kJvsStatusOverflow = 4 };

// The clock the bus waits on: the byte waits here, the master's pauses and
// time-outs (not owned; null: the system clock). Tests run the bus on a clock
// of their own, so a wait ends when they move it, not when a loaded machine
// happens to be slow.
void JvsSetClock(plat::MsClock* clock);
plat::MsClock& JvsClock();

// Port. 1 ok, 0 failure (also when a port is already open).
int JvsOpenPort(const char* portName);
void JvsClosePort();
size_t JvsWritePort(const uint8_t* bytes, size_t count);
// Reads what is waiting, at most max; with nothing waiting clears RTS, waits
// up to kJvsByteWaitMs on the bus clock for one byte and sets RTS again.
size_t JvsReadPort(uint8_t* buffer, size_t max);
// Ends every byte wait at once from now until the next port open (the
// master's close, so that a wait on a stopped clock cannot hold it).
void JvsCancelWaits();
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
// Reply frames thrown away since the port was opened: stale bytes found
// before a request, a late copy of a reply already taken, and frames that do
// not answer the request.
uint32_t JvsGetDroppedReplyCount();

// 0xE0 and 0xD0 become 0xD0, byte - 1 (2); any other byte is copied (1).
int JvsEscapeByte(uint8_t byte, uint8_t* out2);

// Builds one frame of all the node's queued commands, keeps it for resends
// and writes it; whatever was waiting on the input is dropped first, since
// nothing that came before a request can answer it. 1 sent, 0 nothing queued
// or too long.
int JvsSendFrame(uint8_t node);
// The same for a frame of the given command bytes, leaving the queues alone.
int JvsSendBytes(uint8_t node, const uint8_t* bytes, size_t count);

// Reads one reply frame addressed to the master into buffer (status first,
// then the reports and their data; the sum is not stored). Returns the data
// length or -1: status 0 or above 4, more than kJvsMaxErrors errors in this
// call (damaged frames, empty reads, status 3 replies, frames refused), more
// than kJvsMaxReceiveBytes bytes without a reply, a frame longer than max,
// or a close (JvsCancelWaits). A status 3 reply resends the last frame; a
// damaged frame (a wrong sum, or no status byte) or an empty read asks for a
// resend when retransmit is set.
int JvsReceiveFrame(uint8_t* buffer, size_t max, int retransmit);

// Whether a reply frame (status first) answers the request it follows: the
// bytes from its start that answer it (status and reports; bytes after them
// belong to no report), 0 when it cannot be the answer.
using JvsReplyCheck = size_t (*)(const void* request, const uint8_t* reply, size_t length);

// JvsReceiveFrame for a reply to a known request. A frame answers it when
// check finds its reports and it ends with them; only after this receive has
// asked the node to send its reply again may a frame carry bytes after its
// reports (some nodes lengthen each copy asked for). Any other frame is
// refused: dropped, and counted toward the errors of the receive (not the
// module's error count: nothing was asked again), so a node that keeps
// sending frames that answer nothing ends the wait.
//
// After empty reads have asked for resends, the reply taken may still come
// again, late (the first answer, and at most a copy for each further
// request): frames that begin with the part of it that answered are dropped
// as late copies, here, before a later request or in a later receive, unless
// the request then waiting takes such a frame whole as a reply of another
// length. A node sends its frames in order, so its copies all come before
// its answer to a later request: the copies are expected only until the
// next reply taken from that node. While waiting for that node, a frame that
// is the same as the copies is held rather than dropped: when the wait for
// the next byte runs out with nothing further, it was the node's answer
// (the node sent fewer copies than it was asked for) and is taken, with no
// error and no request to send again. While waiting for another node, such
// a frame is dropped even when it would answer: taking it could give that
// node the inputs of the one whose copy it is.
//
// A node asked to send its reply again that never heard the request (lost,
// or damaged and so ignored) sends its previous reply. When the part of the
// node's last reply taken that answered its request cannot answer this
// request (its reports have another layout), a frame that begins with it,
// once a request to send again has gone out, is that previous reply: it is
// dropped, never read against this request, and the request itself goes out
// again (a request the node never heard had no effect). The answers still
// owed to the requests to send again written before it are dropped as well.
// Such a frame is no error (it came through whole); the request goes out at
// most kJvsMaxErrors + 1 times in one receive, and a further such frame ends
// it. A last reply that could answer this request cannot be told from its
// answer and is taken as one: its inputs are at worst those of the request
// before, and the callers never send a request that takes effect once
// (a coin decrease, a setting command) when the node's last reply could
// answer it (JvsMaster.h). A status 3 reply after a request to send again
// may answer that request: the node is asked again, not sent the request.
//
// Every frame of every read goes through these checks in order: the bytes a
// read brought after the frame taken are kept, and are looked at before the
// next request (or by the next receive).
int JvsReceiveReply(uint8_t* buffer, size_t max, int retransmit, JvsReplyCheck check, const void* request);

// The part of the node's last reply taken that answered its request (null
// and size 0 when none was taken since the port opened).
const uint8_t* JvsLastReply(uint8_t node, size_t* size);

// What the last receive met (for the master's messages).
struct JvsReceiveStats {
  int emptyReads;  // reads that waited kJvsByteWaitMs for nothing
  int damaged;     // frames with a wrong sum, or without a status byte
  int damagedRequests;  // status 3: the node saw a damaged request
  int refused;     // frames that did not answer the request
  int lateCopies;  // late copies of a reply already taken
  int oldReplies;  // the node's previous reply, sent again for a request it never heard
  int requestsSent;  // times the request itself went out again for them
  bool overrun;    // kJvsMaxReceiveBytes read without a reply
  bool unheard;    // the request went out again kJvsMaxErrors + 1 times, and was never heard
};
JvsReceiveStats JvsLastReceiveStats();

// The receiving state machine, fed one byte of the wire at a time: waits for
// 0xE0 (which restarts a frame anywhere), takes frames for node 0 only,
// undoes the escapes (also across separate feeds) and checks the sum. A frame
// whose sum is wrong is dropped whole and the machine waits for the next
// 0xE0; no byte is ever stored beyond its own buffer. A frame of length 1
// (the sum alone) is a frame of size 0: it has no status byte, and the
// receivers take it as damaged.
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
