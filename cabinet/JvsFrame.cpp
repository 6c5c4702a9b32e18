#include "cabinet/JvsFrame.h"

#include <algorithm>
#include <atomic>
#include <cstring>

#include "platform/clock.h"
#include "platform/serial_port.h"

namespace {

struct CommandQueue {
  uint8_t data[kJvsQueueBytes];
  uint8_t ends[kJvsQueueBytes];  // ends[0] = 0, ends[i + 1] = end of command i
  uint32_t count;
};

// The queue slot of the broadcast, and of every node above it.
constexpr int kBroadcastSlot = kJvsQueueSlots - 1;
// The command that asks a node to send its last reply again.
constexpr uint8_t kCmdRetransmit = 0x2F;

// The longest a byte wait sleeps before it looks at the bus clock again.
constexpr uint32_t kWaitSliceMs = 5;

struct FrameModule {
  plat::SerialPort port;
  plat::SerialLines* lines = nullptr;
  plat::MsClock* clock = nullptr;
  std::atomic<bool> cancelWaits{false};
  CommandQueue queues[kJvsQueueSlots] = {};
  std::atomic<uint32_t> errors{0};
  std::atomic<uint32_t> dropped{0};
  uint8_t lastFrame[kJvsMaxFrame] = {};
  size_t lastLength = 0;
  uint8_t lastNode = 0;  // the node of the last frame
  // Per node (by queue slot), the reply taken after empty reads asked for
  // it again: the first answer and a copy for each request but the one
  // answered may still come, each beginning with the part of it that
  // answered the request (a node may add bytes after its reports), until the
  // next reply taken from that node.
  struct LateCopies {
    uint8_t data[255];
    size_t size;
    uint32_t expected;
  };
  LateCopies late[kJvsQueueSlots] = {};
  // Per node (by queue slot), the part of the last reply taken from it that
  // answered its request: what the node sends when it is asked to send its
  // reply again and never heard the request since.
  struct LastReply {
    uint8_t data[255];
    size_t size;
  };
  LastReply last[kJvsQueueSlots] = {};
  // What a receive read after the frame it took: looked at before the next
  // request, or first by the next receive.
  uint8_t pending[kJvsMaxFrame] = {};
  size_t pendingSize = 0;
  JvsReceiveStats stats = {};
};

FrameModule& M() {
  static FrameModule m;
  return m;
}

int SlotOf(uint8_t node) { return node >= kBroadcastSlot ? kBroadcastSlot : node; }
CommandQueue& Slot(uint8_t node) { return M().queues[SlotOf(node)]; }

// Appends a byte, escaped, to a frame under construction.
void PutEscaped(uint8_t* frame, size_t* n, uint8_t byte) { *n += static_cast<size_t>(JvsEscapeByte(byte, frame + *n)); }

// The slot of the node whose late copy the frame (status first) is (one
// fewer is then expected of that node); -1 when it is none. A copy begins with
// the part of the reply taken that answered its request. answered: the bytes
// of the frame that answer the request now waiting (0: none, or no request
// waits); a frame that answers it whole with another length is its reply,
// not a copy. The node now asked (slot first) is looked at first.
int TakeLateCopy(const uint8_t* data, size_t size, size_t answered, int first = -1) {
  FrameModule& m = M();
  for (int k = -1; k < kJvsQueueSlots; ++k) {
    const int slot = k < 0 ? first : k;
    if (slot < 0 || (k >= 0 && k == first)) continue;
    FrameModule::LateCopies& c = m.late[slot];
    if (c.expected == 0 || size < c.size || std::memcmp(data, c.data, c.size) != 0) continue;
    if (answered == size && answered != c.size) continue;
    --c.expected;
    return slot;
  }
  return -1;
}

// Throws away the bytes left by the last receive and what waits on the
// input: replies that came too late for the request they answered. Each
// frame among them is counted. At most kJvsMaxReceiveBytes are looked at (a
// node that never stops talking is met by the receive), none after a close.
void DropStaleInput() {
  FrameModule& m = M();
  JvsReceiver rx;
  auto drop = [&](const uint8_t* bytes, size_t n) {
    for (size_t i = 0; i < n; ++i) {
      const JvsReceiver::Event ev = rx.Feed(bytes[i]);
      if (ev == JvsReceiver::kNone) continue;
      if (ev == JvsReceiver::kFrame) TakeLateCopy(rx.Data(), rx.Size(), 0);
      ++m.dropped;
    }
  };
  drop(m.pending, m.pendingSize);
  size_t seen = m.pendingSize;
  m.pendingSize = 0;
  uint8_t chunk[kJvsMaxFrame];
  size_t n;
  while (seen < kJvsMaxReceiveBytes && !m.cancelWaits.load() &&
         (n = m.port.ReadAvailable(chunk, std::min(sizeof chunk, kJvsMaxReceiveBytes - seen))) > 0) {
    drop(chunk, n);
    seen += n;
  }
}

// Writes a frame of the given command bytes to the node and keeps it for
// resends.
int WriteFrame(uint8_t node, const uint8_t* data, size_t total) {
  FrameModule& m = M();
  const size_t length = total + 1;
  if (length >= 255) return 0;
  size_t n = 0;
  m.lastFrame[n++] = kJvsSync;
  uint8_t sum = static_cast<uint8_t>(node + length);
  PutEscaped(m.lastFrame, &n, node);
  PutEscaped(m.lastFrame, &n, static_cast<uint8_t>(length));
  for (size_t i = 0; i < total; ++i) {
    PutEscaped(m.lastFrame, &n, data[i]);
    sum = static_cast<uint8_t>(sum + data[i]);
  }
  PutEscaped(m.lastFrame, &n, sum);
  m.lastLength = n;
  m.lastNode = node;
  if (m.port.IsOpen()) DropStaleInput();
  JvsWritePort(m.lastFrame, n);
  return 1;
}

}  // namespace

void JvsSetClock(plat::MsClock* clock) { M().clock = clock; }

plat::MsClock& JvsClock() { return M().clock ? *M().clock : plat::SystemClock(); }

int JvsOpenPort(const char* portName) {
  FrameModule& m = M();
  if (m.port.IsOpen() || !portName) return 0;
  m.port.SetLines(m.lines);
  if (!m.port.Open(portName)) return 0;
  m.cancelWaits = false;
  m.dropped = 0;
  for (FrameModule::LateCopies& c : m.late) c.expected = 0;
  for (FrameModule::LastReply& r : m.last) r.size = 0;
  m.pendingSize = 0;
  return 1;
}

void JvsCancelWaits() { M().cancelWaits = true; }

void JvsClosePort() { M().port.Close(); }


void JvsSetPortLines(plat::SerialLines* lines) {
  M().lines = lines;
  M().port.SetLines(lines);
}

size_t JvsWritePort(const uint8_t* bytes, size_t count) {
  if (count == 0 || !bytes) return 0;
  return M().port.Write(bytes, count);
}

size_t JvsReadPort(uint8_t* buffer, size_t max) {
  FrameModule& m = M();
  if (!buffer || max == 0 || !m.port.IsOpen()) return 0;
  size_t n = m.port.ReadAvailable(buffer, max);
  if (n) return n;
  // The wait is measured on the bus clock, from before RTS drops, in short
  // slices of real time; once it is over, a last look takes a byte that came
  // meanwhile.
  plat::MsClock& clock = JvsClock();
  const uint32_t start = clock.NowMs();
  m.port.SetRts(false);
  for (;;) {
    const uint32_t spent = clock.NowMs() - start;
    const uint32_t slice = spent >= kJvsByteWaitMs ? 0 : std::min(kJvsByteWaitMs - spent, kWaitSliceMs);
    n = m.port.ReadWait(buffer, 1, slice);
    if (n || slice == 0 || m.cancelWaits.load()) break;
  }
  m.port.SetRts(true);
  return n;
}

int JvsGetSense() { return M().port.GetCts(); }

bool JvsSetRts(int clearFlag) { return M().port.SetRts(clearFlag == 0); }

int JvsQueueCommand(uint8_t node, const uint8_t* bytes, size_t count) {
  CommandQueue& q = Slot(node);
  if (!bytes) {
    q.count = 0;
    q.ends[0] = 0;
    return 1;
  }
  // ends[] has room for 255 commands; the data must stay below 256 bytes.
  if (q.count + 1 >= kJvsQueueBytes) return 0;
  const size_t start = q.ends[q.count];
  if (start + count >= kJvsQueueBytes) return 0;
  std::memcpy(q.data + start, bytes, count);
  q.ends[q.count + 1] = static_cast<uint8_t>(start + count);
  ++q.count;
  return 1;
}

const uint8_t* JvsGetQueuedCommand(uint8_t node, uint32_t index, size_t* length) {
  const CommandQueue& q = Slot(node);
  if (index >= q.count) return nullptr;
  if (length) *length = size_t(q.ends[index + 1]) - q.ends[index];
  return q.data + q.ends[index];
}

uint32_t JvsQueuedCount(uint8_t node) { return Slot(node).count; }

void JvsClearQueues() {
  FrameModule& m = M();
  for (CommandQueue& q : m.queues) {
    q.count = 0;
    q.ends[0] = 0;
  }
  m.errors = 0;
}

uint32_t JvsGetErrorCount() { return M().errors.load(); }

uint32_t JvsGetDroppedReplyCount() { return M().dropped.load(); }

JvsReceiveStats JvsLastReceiveStats() { return M().stats; }

int JvsEscapeByte(uint8_t byte, uint8_t* out2) {
  if (byte == kJvsSync || byte == kJvsEscape) {
    out2[0] = kJvsEscape;
    out2[1] = static_cast<uint8_t>(byte - 1);
    return 2;
  }
  out2[0] = byte;
  return 1;
}

int JvsSendFrame(uint8_t node) {
  const CommandQueue& q = Slot(node);
  if (q.count == 0) return 0;
  return WriteFrame(node, q.data, q.ends[q.count]);
}

int JvsSendBytes(uint8_t node, const uint8_t* bytes, size_t count) {
  if (!bytes || count == 0) return 0;
  return WriteFrame(node, bytes, count);
}

void JvsReceiver::Reset() {
  state_ = kWaitSync;
  escaped_ = false;
  size_ = 0;
}

JvsReceiver::Event JvsReceiver::Feed(uint8_t raw) {
  if (raw == kJvsSync) {
    state_ = kNode;
    escaped_ = false;
    size_ = 0;
    return kNone;
  }
  if (state_ == kWaitSync) return kNone;
  if (raw == kJvsEscape && !escaped_) {
    escaped_ = true;
    return kNone;
  }
  const uint8_t byte = escaped_ ? static_cast<uint8_t>(raw + 1) : raw;
  escaped_ = false;
  switch (state_) {
    case kNode:
      state_ = byte == 0 ? kLength : kWaitSync;
      return kNone;
    case kLength:
      if (byte == 0) {  // not even room for the sum
        state_ = kWaitSync;
        return kNone;
      }
      length_ = byte;
      sum_ = byte;  // node 0 adds nothing
      size_ = 0;
      state_ = kData;
      return kNone;
    case kData:
      if (size_ + 1 < length_) {
        data_[size_++] = byte;  // size_ < 254: inside data_
        sum_ = static_cast<uint8_t>(sum_ + byte);
        return kNone;
      }
      state_ = kWaitSync;
      if (byte == sum_) return kFrame;
      size_ = 0;
      return kBadSum;
    case kWaitSync:
      break;
  }
  return kNone;
}

const uint8_t* JvsLastReply(uint8_t node, size_t* size) {
  const FrameModule::LastReply& r = M().last[SlotOf(node)];
  if (size) *size = r.size;
  return r.size ? r.data : nullptr;
}

int JvsReceiveFrame(uint8_t* buffer, size_t max, int retransmit) {
  return JvsReceiveReply(buffer, max, retransmit, nullptr, nullptr);
}

int JvsReceiveReply(uint8_t* buffer, size_t max, int retransmit, JvsReplyCheck check, const void* request) {
  FrameModule& m = M();
  m.stats = {};
  if (!buffer) return -1;
  JvsReceiver rx;
  int errors = 0;
  uint32_t copiesAsked = 0;  // copies asked for that may come besides the one taken
  bool askedAgain = false;  // a copy asked for may carry bytes after its reports
  const uint8_t node = m.lastNode;
  const int slot = SlotOf(node);
  FrameModule::LateCopies& own = m.late[slot];  // what this node still owes comes before its answer
  const FrameModule::LastReply& last = m.last[slot];
  // The node's last reply when it cannot be this request's answer (its
  // layout is another): a frame that begins with it is that reply again,
  // never an answer. When it could be the answer, a frame the same as it is
  // taken as the answer: the inputs it carries are right either way (at
  // worst those of the request before), and no request that takes effect
  // once is ever sent so (JvsMaster.h).
  const bool lastIsNoAnswer =
      last.size > 0 && check && std::min(check(request, last.data, last.size), last.size) != last.size;
  // Requests to send again written since the request itself last went out,
  // and those written before it whose answers may still come: a node that
  // never heard the request answers each of them with its previous reply.
  uint32_t asksSinceRequest = 0, oldOwed = 0;
  auto askAgain = [&] {
    // The request-retransmit frame to the node of the last frame.
    uint8_t frame[10];
    size_t n = 0;
    frame[n++] = kJvsSync;
    PutEscaped(frame, &n, node);
    const uint8_t length = 2;  // the command and the sum
    PutEscaped(frame, &n, length);
    PutEscaped(frame, &n, kCmdRetransmit);
    PutEscaped(frame, &n, static_cast<uint8_t>(node + length + kCmdRetransmit));
    JvsWritePort(frame, n);
    askedAgain = true;
    ++asksSinceRequest;
  };
  // The request itself again. Answers to the requests to send again written
  // before it can only be the node's previous reply (or nothing).
  auto sendRequestAgain = [&] {
    JvsWritePort(m.lastFrame, m.lastLength);
    oldOwed += asksSinceRequest;
    asksSinceRequest = 0;
    copiesAsked = 0;
    askedAgain = false;
  };
  // An empty read, or a damaged frame: a copy is asked for. The copy asked
  // for after a frame with a wrong sum is the answer the node sent damaged;
  // after silence, or a frame without a status byte (which no node sends as
  // its answer), the node's first answer may still be on its way.
  enum Fault { kSilence, kWrongSum, kNoStatus };
  auto error = [&](Fault fault) {
    ++errors;
    ++m.errors;
    if (fault == kSilence) ++m.stats.emptyReads;
    else ++m.stats.damaged;
    if (retransmit && m.lastLength >= 2) {
      askAgain();
      if (fault != kWrongSum) ++copiesAsked;
    }
  };
  // A frame dropped as a copy that would also answer the request: the
  // node's answer when nothing follows it.
  uint8_t held[255];
  size_t heldSize = 0, heldAnswered = 0;
  bool holding = false;
  bool answerDropped = false;  // a frame dropped as a copy that would have answered
  uint8_t chunk[kJvsMaxFrame];
  size_t got = 0, seen = 0;
  // Whatever the read brought after byte i waits for the next look.
  auto keepAfter = [&](size_t i) {
    m.pendingSize = got - (i + 1);
    std::memcpy(m.pending, chunk + i + 1, m.pendingSize);
  };
  // Takes a frame as the reply: the node's copies, if it owed any, are in.
  // The part of it that answers is what the node sends when it is asked
  // again and has heard no request since.
  auto take = [&](const uint8_t* data, size_t size, size_t answered) {
    if (size > max) return -1;
    std::memcpy(buffer, data, size);
    own.expected = 0;
    FrameModule::LastReply& mine = m.last[slot];
    mine.size = std::min(answered, sizeof mine.data);
    std::memcpy(mine.data, data, mine.size);
    return static_cast<int>(size);
  };
  while (errors <= kJvsMaxErrors) {
    if (m.cancelWaits.load()) return -1;
    if (m.pendingSize > 0) {
      got = m.pendingSize;
      std::memcpy(chunk, m.pending, got);
      m.pendingSize = 0;
    } else {
      got = JvsReadPort(chunk, std::min(sizeof chunk, kJvsMaxReceiveBytes - seen));
    }
    if (got == 0) {
      if (m.cancelWaits.load()) return -1;
      if (holding) {
        // Nothing after the copy: it was the node's answer.
        --m.dropped;
        --m.stats.lateCopies;
        return take(held, heldSize, heldAnswered);
      }
      error(kSilence);
      continue;
    }
    seen += got;
    for (size_t i = 0; i < got; ++i) {
      const JvsReceiver::Event ev = rx.Feed(chunk[i]);
      if (ev == JvsReceiver::kNone) continue;
      // Any frame after the one held shows that one was a copy.
      holding = false;
      if (ev == JvsReceiver::kBadSum || rx.Size() == 0) {
        error(ev == JvsReceiver::kBadSum ? kWrongSum : kNoStatus);
        if (errors > kJvsMaxErrors) {
          keepAfter(i);
          return -1;
        }
        continue;
      }
      const size_t answered = check ? std::min(check(request, rx.Data(), rx.Size()), rx.Size()) : rx.Size();
      // The reply to the request as sent ends with its reports; only a copy
      // asked for may carry bytes after them.
      const bool answers = answered > 0 && (answered == rx.Size() || askedAgain);
      // Once a request to send again went out, a frame may be the node's
      // previous reply, not this request's.
      const bool mayBeOld = lastIsNoAnswer && (asksSinceRequest > 0 || oldOwed > 0);
      if (const int of = TakeLateCopy(rx.Data(), rx.Size(), answers ? answered : 0, slot); of >= 0) {
        ++m.dropped;
        ++m.stats.lateCopies;
        // A frame the same as another node's copy is dropped even when it
        // would answer: taking it could give this node that node's inputs.
        // A copy that would answer may have been this node's answer, unless
        // the node was asked again meanwhile: then it may be the node's
        // previous reply, and only a further copy will tell.
        answerDropped |= answers;
        holding = of == slot && answers && !mayBeOld;
        if (holding) {
          heldSize = rx.Size();
          heldAnswered = answered;
          std::memcpy(held, rx.Data(), heldSize);
        }
        continue;
      }
      if (mayBeOld && rx.Size() >= last.size && std::memcmp(rx.Data(), last.data, last.size) == 0) {
        // The node's previous reply (as it was sent, or lengthened as some
        // nodes lengthen each copy): it answered a request to send again
        // without having heard this request, lost or damaged on the way. A
        // request the node never heard had no effect, so it goes out again.
        // One answer of that kind is owed for each request to send again
        // written before the request last went out: those are dropped.
        ++m.dropped;
        ++m.stats.oldReplies;
        errors = 0;  // the line carried a frame each way
        if (oldOwed > 0) {
          --oldOwed;
          continue;
        }
        oldOwed = asksSinceRequest - 1;
        asksSinceRequest = 0;
        if (m.stats.requestsSent >= kJvsMaxErrors) {
          m.stats.unheard = true;
          keepAfter(i);
          return -1;
        }
        ++m.stats.requestsSent;
        sendRequestAgain();
        continue;
      }
      const uint8_t status = rx.Data()[0];
      if (status == kJvsStatusSumError) {
        // The node saw a damaged request: send it again as it was (also
        // the sixth time, as a damaged frame's sixth request to send again
        // goes out before the receive ends). Once a request to send again
        // went out, the damaged one may have been that: the node may have
        // heard the request itself and done what it asks, so it is asked
        // again for its reply instead.
        ++errors;
        ++m.errors;
        ++m.stats.damagedRequests;
        if (asksSinceRequest > 0) askAgain();
        else sendRequestAgain();
        if (errors > kJvsMaxErrors) {
          keepAfter(i);
          return -1;
        }
        continue;
      }
      if (status == 0 || status > kJvsStatusOverflow) {
        keepAfter(i);
        return -1;
      }
      if (!answers) {
        ++m.dropped;
        ++m.stats.refused;
        if (++errors > kJvsMaxErrors) {
          keepAfter(i);
          return -1;
        }
        continue;
      }
      keepAfter(i);
      const int taken = take(rx.Data(), rx.Size(), answered);
      // A reply asked for again after silence may be followed by the first
      // answer, late, and by the copies of the other requests. Not when a
      // frame that may have been the node's answer was dropped here (one the
      // same as a copy, or one that did not fit): then no other is on its
      // way.
      if (taken > 0 && copiesAsked && !answerDropped && m.stats.refused == 0 && answered <= sizeof own.data) {
        std::memcpy(own.data, rx.Data(), answered);
        own.size = answered;
        own.expected = copiesAsked;
      }
      return taken;
    }
    if (seen >= kJvsMaxReceiveBytes) {
      m.stats.overrun = true;
      return -1;
    }
  }
  return -1;
}
