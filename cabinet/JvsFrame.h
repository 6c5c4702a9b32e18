#pragma once
#include <cstddef>
#include <cstdint>

// The lower half of the JVS library: the serial port of the bus, the
// per-node command queues and the frames on the wire (sync 0xE0, node,
// length, data, 8-bit sum; 0xE0 and 0xD0 after the sync sent as 0xD0 and the
// byte minus 1). Driven by the bus master (JvsMaster.h).
//
// What a frame answers is never guessed. A request is written only on a
// quiet line: after every exchange that went wrong (silence, a damaged
// frame, a frame that does not answer) nothing is written until no byte has
// come for kJvsQuietMs, and everything read meanwhile is dropped. Every
// answer to every request written before has then come or never will, so
// the first frame to the master after a request is that request's answer,
// from that node, or the exchange went wrong.
//
// A frame that pauses kJvsByteWaitMs (a sync byte alone, a header cut
// short: no frame pauses so on the wire, none takes more than
// kJvsLongestFrameMs) is dead: its bytes are dropped with the bytes outside
// frames, the receiver starts afresh, and it breaks no quiet.
//
// On a line that hands back every byte the master writes (many adapters
// do), each frame's echo is dropped before the bytes are read as below: no
// byte outside frames, no dropped frame, no wait. That the line echoes is
// learnt at each port open, from a frame to another node than 0 coming back
// whole as the first bytes read after it; before that nothing is taken for
// an echo.

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
constexpr int kJvsReplyBuffer = 258;    // what a caller of JvsReceiveAnswer provides
// The most bytes one receive, or one wait for a quiet line, looks at:
// sixteen of the longest frames, far beyond what an answer takes. A node
// that keeps talking cannot hold the master beyond it (0.7 s of a busy
// line).
constexpr size_t kJvsMaxReceiveBytes = 16 * size_t{kJvsMaxFrame};
constexpr uint32_t kJvsByteWaitMs = 20;  // the longest wait for one byte
// The longest a node may take to begin its answer after the end of a
// request. The master waits kJvsByteWaitMs for it; a node slower than that
// has spoiled the exchange, but its answer may still come, up to this long.
constexpr uint32_t kJvsAnswerMs = 100;
// The longest frame on the wire at 115,200 baud: 516 bytes of 10 bits each,
// 44.8 ms.
constexpr uint32_t kJvsLongestFrameMs = 45;
// How long the line must have been quiet, after the last request written,
// before anything more is written once an exchange went wrong: any answer
// still owed has begun by then, and has ended.
constexpr uint32_t kJvsQuietMs = kJvsAnswerMs + kJvsLongestFrameMs;
// The longest one wait for a quiet line lasts. An answer still owed ends at
// the latest kJvsQuietMs after the last request written, which went out
// before the wait began; a line that carries nothing more then is quiet
// kJvsQuietMs later. A line that is not quiet by then carries noise, not an
// answer: the wait ends and the frame goes out all the same.
constexpr uint32_t kJvsSettleMs = kJvsQuietMs + kJvsQuietMs;
// The longest one receive lasts: a node begins its answer within
// kJvsByteWaitMs and the longest frame takes kJvsLongestFrameMs, so an
// answer has long ended by then; bytes that keep coming are noise.
constexpr uint32_t kJvsReceiveMs = kJvsQuietMs;

// Reply status codes.
enum : uint8_t { kJvsStatusNormal = 1, kJvsStatusUnsupported = 2, kJvsStatusSumError = 3, kJvsStatusOverflow = 4 };

// The command that asks a node to send its last reply again.
constexpr uint8_t kJvsCmdRetransmit = 0x2F;

// The clock the bus waits on: the byte waits here, the master's pauses and
// time-outs (not owned; null: the system clock). Tests run the bus on a clock
// of their own, so a wait ends when they move it, not when a loaded machine
// happens to be slow.
void JvsSetClock(plat::MsClock* clock);
plat::MsClock& JvsClock();

// The line under the bus: the serial port by default. A line of another
// kind can take its place (JvsSetLine, before the port is opened): tests
// run the bus on a simulated wire with a clock of its own.
class JvsLine {
 public:
  virtual ~JvsLine() = default;
  virtual bool Open(const char* name) = 0;
  virtual void Close() = 0;
  virtual bool IsOpen() const = 0;
  // Writes the bytes; how many were written.
  virtual size_t Write(const uint8_t* bytes, size_t count) = 0;
  // The bytes already waiting, at most max.
  virtual size_t ReadAvailable(uint8_t* buffer, size_t max) = 0;
  // Waits at most ms (on the bus clock) for input, then reads what is there.
  virtual size_t ReadWait(uint8_t* buffer, size_t max, uint32_t ms) = 0;
  virtual int GetCts() = 0;  // 1, 0, or -1
  virtual bool SetRts(bool asserted) = 0;
};
// The line used from the next port open on (not owned; null: the serial
// port).
void JvsSetLine(JvsLine* line);

// Port. 1 ok, 0 failure (also when a port is already open).
int JvsOpenPort(const char* portName);
void JvsClosePort();
size_t JvsWritePort(const uint8_t* bytes, size_t count);
// Reads what is waiting, at most max; with nothing waiting clears RTS, waits
// up to kJvsByteWaitMs on the bus clock for one byte and sets RTS again.
size_t JvsReadPort(uint8_t* buffer, size_t max);
// The same with a wait of at most waitMs.
size_t JvsReadPortWithin(uint8_t* buffer, size_t max, uint32_t waitMs);
// Ends every byte wait at once from now until the next port open (the
// master's close, so that a wait on a stopped clock cannot hold it).
void JvsCancelWaits();
int JvsGetSense();             // the SENSE line (the port's CTS): 1, 0, or -1
bool JvsSetRts(int clearFlag);  // non-zero clears RTS, zero sets it
// Modem lines of the serial port for the next port opened (not owned; null:
// the device's own). For devices without modem lines, such as a
// pseudo-terminal.
void JvsSetPortLines(plat::SerialLines* lines);

// Queues. A null data pointer empties the node's queue. 1 ok, 0 full.
int JvsQueueCommand(uint8_t node, const uint8_t* bytes, size_t count);
// Start and length of the node's command at index; null beyond the count.
const uint8_t* JvsGetQueuedCommand(uint8_t node, uint32_t index, size_t* length = nullptr);
uint32_t JvsQueuedCount(uint8_t node);
void JvsClearQueues();
// Receives that did not end with an answer since the queues were last
// cleared.
uint32_t JvsGetErrorCount();
// Frames dropped since the port was opened: those read while waiting for
// a quiet line, and those that came with or after a frame that ended a
// receive.
uint32_t JvsGetDroppedReplyCount();
// Of them, those byte for byte the frame that decided the receive before
// them (a wrong sum, status 3, a frame that answers nothing): the copy a
// node that sends each of its frames twice puts after it.
uint32_t JvsGetDroppedCopyCount();
// Bytes outside frames since the port was opened (a line driver's glitch,
// padding after a reply): no sync byte came before them, and the escaping
// keeps the sync byte out of every frame's body, so they can begin no frame
// and are no answer; with them, the bytes of dead frames (a frame that
// paused kJvsByteWaitMs, or that a sync byte cut). They are dropped and do
// not make the line wait. By
// node: those read while the last request written went to the node (the
// broadcast's slot for the addresses), or all of them with node -1.
uint32_t JvsGetStrayByteCount(int node = -1);
// What the last wait for a quiet line, or the last receive, that ended on a
// line that never went quiet met: the bytes it read and the time it took.
struct JvsNoise {
  uint32_t bytes = 0;
  uint32_t ms = 0;
};
JvsNoise JvsGetLastNoise();

// 0xE0 and 0xD0 become 0xD0, byte - 1 (2); any other byte is copied (1).
int JvsEscapeByte(uint8_t byte, uint8_t* out2);

// Waits until the line has been quiet for kJvsQuietMs, dropping every byte
// read meanwhile, when an exchange went wrong since the last wait (or the
// port was opened since, or a frame to the master came that no receive
// took). Only a frame that ends on the line (through to its sum, or at
// another node's node byte) breaks the quiet, and a frame under way holds the wait until
// it ends or is dead; bytes outside frames and dead frames are dropped and
// counted as stray. A wait that runs out (kJvsSettleMs of watching, or
// kJvsMaxReceiveBytes read: JvsGetLastNoise tells what it met, and the
// error count goes up) ends all the same. True when the frame may go out;
// false when the port was closed. Every write of a frame waits so first.
bool JvsSettleLine();
// Whether the last frame written went out after a wait for a quiet line
// that ran out: on a line that carries noise.
bool JvsLastWriteOnNoise();
// Whether the last wait for a quiet line that had to wait ran out: the
// line carries noise until a wait finds it quiet.
bool JvsLineNoisy();
// Whether the last receive met noise before what decided it (bytes outside
// frames, a frame a sync byte cut, or a line that never went quiet), or a
// frame with a wrong sum and bytes outside frames right after it.
bool JvsLastReceiveMetNoise();
// The bytes the last receive read, the echo of the request aside. One that
// ended in silence having read some met no quiet line, only bytes outside
// frames to the master (stray bytes, dead frames, frames to other nodes).
uint32_t JvsLastReceiveByteCount();
// Whether the next frame written must wait for a quiet line first.
bool JvsLineUnsettled();
// Makes the next wait for a quiet line look at the line, as after an
// exchange that went wrong (to learn whether it carries noise now).
void JvsUnsettleLine();
// Drops the bytes waiting on the line now, as a wait for a quiet line drops
// them (at most 64 of the longest frames): how many.
uint32_t JvsDropWaiting();

// Builds one frame of all the node's queued commands and writes it, on a
// quiet line (JvsSettleLine). 1 sent, 0 nothing queued or too long, -1 the
// port was closed.
int JvsSendFrame(uint8_t node);
// The same for a frame of the given command bytes, leaving the queues alone.
int JvsSendBytes(uint8_t node, const uint8_t* bytes, size_t count);
// The request to send the last reply again (0x2F), to the node, on a quiet
// line: 1 sent, -1 the port was closed.
int JvsSendRetransmitRequest(uint8_t node);

// Whether a reply frame (status first) answers the request it follows: the
// bytes from its start that answer it (status and reports), 0 when it
// cannot be the answer.
using JvsReplyCheck = size_t (*)(const void* request, const uint8_t* reply, size_t length);

// What the first thing to reach the master after a request was.
enum class JvsReceipt {
  kAnswer,      // a frame that answers the request whole (or any whole frame: no check)
  kSilence,     // no byte of a frame for kJvsByteWaitMs (also in the middle of one)
  kDamaged,     // a frame with a wrong sum, or without a status byte
  kStatusThree, // status 3: the node saw a damaged request and carried nothing out
  kUnfitting,   // a whole frame that does not answer the request
  kUnknownStatus,  // a status the exchange cannot use: 0, above 4, or 2 or 4 where the check refuses it
  kTalking,     // the line never went quiet: kJvsReceiveMs or kJvsMaxReceiveBytes
                // without a frame for the master
  kClosed,      // the port was closed (JvsCancelWaits)
};
// Reads what answers the request just written: the first frame addressed to
// the master decides. Its data (status first, sum not stored) goes to
// buffer and its size to *length (for kAnswer, kUnfitting, kStatusThree and
// kUnknownStatus). With a check, a frame answers only when the check takes
// it whole (a status 1 frame whose reports end where the frame ends);
// without one, any whole frame of status 1, 2 or 4 is taken. Anything but
// an answer marks the line unsettled, as does a frame to the master after
// the frame taken in the same read (what follows it is dropped; a frame it
// begins goes on in the next wait for a quiet line). Bytes outside frames,
// before the answer or after it, and a frame cut short by the silence, are
// dropped and counted as stray.
JvsReceipt JvsReceiveAnswer(uint8_t* buffer, size_t max, int* length, JvsReplyCheck check = nullptr,
                            const void* request = nullptr);

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
  // Whether the machine is inside a frame (after its sync byte).
  bool InFrame() const { return state_ != kWaitSync; }
  // The bytes on the wire of the frame it is inside, its sync byte
  // included.
  size_t FrameBytes() const { return InFrame() ? raw_ : 0; }

 private:
  enum State { kWaitSync, kNode, kLength, kData };
  State state_ = kWaitSync;
  bool escaped_ = false;
  uint8_t length_ = 0;  // data bytes + 1
  uint8_t sum_ = 0;
  size_t size_ = 0;
  size_t raw_ = 0;
  uint8_t data_[255] = {};
};
