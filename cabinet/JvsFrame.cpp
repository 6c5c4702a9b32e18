#include "cabinet/JvsFrame.h"

#include <algorithm>
#include <atomic>
#include <cstring>
#include <utility>

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

// The longest a byte wait sleeps before it looks at the bus clock again.
constexpr uint32_t kWaitSliceMs = 5;

// The serial port as the bus's line.
class SerialPortLine : public JvsLine {
 public:
  bool Open(const char* name) override {
    port_.SetLines(lines_);
    return port_.Open(name);
  }
  void Close() override { port_.Close(); }
  bool IsOpen() const override { return port_.IsOpen(); }
  size_t Write(const uint8_t* bytes, size_t count) override { return port_.Write(bytes, count); }
  size_t ReadAvailable(uint8_t* buffer, size_t max) override { return port_.ReadAvailable(buffer, max); }
  size_t ReadWait(uint8_t* buffer, size_t max, uint32_t ms) override { return port_.ReadWait(buffer, max, ms); }
  int GetCts() override { return port_.GetCts(); }
  bool SetRts(bool asserted) override { return port_.SetRts(asserted); }
  void SetLines(plat::SerialLines* lines) {
    lines_ = lines;
    port_.SetLines(lines);
  }

 private:
  plat::SerialPort port_;
  plat::SerialLines* lines_ = nullptr;
};

// What an echoing line hands back of the frames the master writes. Many bus
// adapters give back every byte written, so each frame comes back to the
// master before anything else. That the line echoes is learnt per port open,
// from a frame written to someone other than node 0 coming back whole as the
// first bytes read after its write (the resets at bring-up come first);
// before that a frame to node 0 is never looked for, since a reply of node 0
// may in principle equal its request's bytes. From then on the bytes read
// after each write that repeat the frame from its start (its sync byte:
// nothing before it can belong to it) are its echo, and are dropped. They
// are held until the frame is whole: a byte that departs from it ends the
// match, and the bytes held are read as usual, with that byte (an answer may
// begin as its request does), unless it is a sync byte, where the echo may
// begin again.
class EchoWatch {
 public:
  void Reset() { *this = EchoWatch{}; }
  // The frame just written to the node (its bytes as they went).
  void Wrote(uint8_t node, const uint8_t* bytes, size_t n) {
    size_ = learnt_ || node != 0 ? std::min(n, sizeof frame_) : 0;
    std::memcpy(frame_, bytes, size_);
    matched_ = 0;
    probing_ = !learnt_;
  }
  // Takes the bytes read; the bytes to be read as usual go to out (room for
  // n + kJvsMaxFrame). How many.
  size_t Filter(const uint8_t* in, size_t n, uint8_t* out) {
    size_t k = 0, i = 0;
    for (; i < n && size_; ++i) {
      const uint8_t b = in[i];
      if (matched_ < size_ && b == frame_[matched_]) {
        if (++matched_ == size_) {
          learnt_ = true;
          size_ = matched_ = 0;
        }
        continue;
      }
      std::memcpy(out + k, frame_, matched_);
      k += matched_;
      matched_ = 0;
      // Learning takes the first bytes read only.
      if (probing_) size_ = 0;
      if (size_ && b == frame_[0]) {
        matched_ = 1;
        continue;
      }
      out[k++] = b;
    }
    // With no frame looked for, the rest is read as it came.
    std::memcpy(out + k, in + i, n - i);
    return k + (n - i);
  }

 private:
  bool learnt_ = false;
  bool probing_ = false;  // the frame looked for would teach that the line echoes
  size_t size_ = 0;       // the frame looked for (0: none)
  size_t matched_ = 0;    // its bytes read so far, held
  uint8_t frame_[kJvsMaxFrame] = {};
};

// Room for the bytes of one read, and the echo's bytes held before them.
constexpr size_t kFilteredRoom = 2 * size_t{kJvsMaxFrame};

struct FrameModule {
  SerialPortLine serial;
  JvsLine* chosen = nullptr;  // the line for the next open (null: the serial port)
  JvsLine* line = &serial;    // the line in use
  plat::MsClock* clock = nullptr;
  std::atomic<bool> cancelWaits{false};
  CommandQueue queues[kJvsQueueSlots] = {};
  std::atomic<uint32_t> errors{0};
  std::atomic<uint32_t> dropped{0};
  std::atomic<uint32_t> stray{0};
  std::atomic<uint32_t> strayBy[kJvsQueueSlots] = {};
  int lastSlot = 0;  // the slot of the node the last frame went to
  JvsNoise noise;
  // What is thrown away, from the bytes after the frame that decided a
  // receive to the end of the next wait for a quiet line: a frame begun
  // there goes on there. When its last byte came.
  JvsReceiver dropped_rx;
  uint32_t droppedAt = 0;
  // The frame that decided the last receive, as it came on the wire from
  // its sync byte (none: 0 bytes), how many frames dropped were that frame
  // byte for byte, and how much of it the frame being dropped has matched
  // (kNoMatch: it differs).
  uint8_t decided[kJvsMaxFrame] = {};
  size_t decidedSize = 0;
  size_t matched = 0;
  std::atomic<uint32_t> copies{0};
  // Whether the next frame written must wait for a quiet line.
  bool unsettled = true;
  // Whether the last frame written went out after a wait for a quiet line
  // that ran out; whether the last wait since the last write ran out.
  bool wroteOnNoise = false;
  bool settledOnNoise = false;
  // Whether the last wait for a quiet line that waited ran out.
  bool noisy = false;
  // Whether the last receive met noise before what decided it.
  bool receiveNoise = false;
  // The bytes the last receive read, the echo aside.
  uint32_t receiveBytes = 0;
  EchoWatch echo;
  uint8_t frame[kJvsMaxFrame] = {};  // the frame being written
};

FrameModule& M() {
  static FrameModule m;
  return m;
}

int SlotOf(uint8_t node) { return node >= kBroadcastSlot ? kBroadcastSlot : node; }
CommandQueue& Slot(uint8_t node) { return M().queues[SlotOf(node)]; }

// Appends a byte, escaped, to a frame under construction.
void PutEscaped(uint8_t* frame, size_t* n, uint8_t byte) { *n += static_cast<size_t>(JvsEscapeByte(byte, frame + *n)); }

// The time a wait has spent looking at the line: the clock between two
// looks, each gap counted at most as the longest single wait (a longer gap
// is time this thread did not run, not time the line was watched), so that
// a busy machine cannot end a wait by its bound.
class LookTime {
 public:
  explicit LookTime(uint32_t now) : last_(now) {}
  uint32_t Look(uint32_t now) {
    spent_ += std::min(now - last_, kJvsByteWaitMs);
    last_ = now;
    return spent_;
  }

 private:
  uint32_t last_;
  uint32_t spent_ = 0;
};

// Whether a byte may belong to a frame: a sync byte, or any byte while the
// receiver is inside a frame. Any other byte can begin no frame.
bool FrameByte(const JvsReceiver& rx, uint8_t byte) { return byte == kJvsSync || rx.InFrame(); }

void CountStray(size_t n) {
  FrameModule& m = M();
  m.stray += static_cast<uint32_t>(n);
  m.strayBy[m.lastSlot] += static_cast<uint32_t>(n);
}

// A frame that paused kJvsByteWaitMs, or was cut by a sync byte, is dead:
// no frame pauses so on the wire. Its bytes are dropped with the bytes
// outside frames, and the receiver starts afresh.
void Dead(JvsReceiver& rx) {
  if (!rx.InFrame()) return;
  CountStray(rx.FrameBytes());
  rx.Reset();
}

// What ended among bytes thrown away: nothing, a frame to another node (its
// node byte, or a length of 0, ends it for the master), or a frame to the
// master through to its sum.
enum Ended { kNoFrame, kOtherFrame, kMasterFrame };

constexpr size_t kNoMatch = ~size_t{0};

// Throws bytes away: the frames to the master among them are counted as
// dropped (and as copies, those byte for byte the frame that decided the
// last receive), the bytes outside frames and of dead frames as stray. What
// ended among them (the most of it). A frame still under way at their end
// is left to the receiver.
Ended Drop(JvsReceiver& rx, const uint8_t* bytes, size_t n) {
  Ended ended = kNoFrame;
  size_t stray = 0;
  for (size_t i = 0; i < n; ++i) {
    if (!FrameByte(rx, bytes[i])) {
      ++stray;
      continue;
    }
    FrameModule& m = M();
    if (bytes[i] == kJvsSync) {
      Dead(rx);
      m.matched = 0;
    }
    if (m.matched != kNoMatch)
      m.matched = m.matched < m.decidedSize && m.decided[m.matched] == bytes[i] ? m.matched + 1 : kNoMatch;
    const bool inFrame = rx.InFrame();
    const JvsReceiver::Event ev = rx.Feed(bytes[i]);
    if (ev != JvsReceiver::kNone) {
      ++m.dropped;
      if (m.decidedSize && m.matched == m.decidedSize) ++m.copies;
      ended = kMasterFrame;
    } else if (inFrame && !rx.InFrame() && ended == kNoFrame) {
      ended = kOtherFrame;
    }
  }
  if (stray) CountStray(stray);
  return ended;
}

// Writes a frame of the given command bytes to the node on a quiet line.
int WriteFrame(uint8_t node, const uint8_t* data, size_t total) {
  FrameModule& m = M();
  const size_t length = total + 1;
  if (length >= 255) return 0;
  if (!JvsSettleLine()) return -1;
  // A wait may have been made before the write itself (a caller that reads
  // a line right before the write it decides): it counts as the write's.
  m.wroteOnNoise = std::exchange(m.settledOnNoise, false);
  m.lastSlot = SlotOf(node);
  size_t n = 0;
  m.frame[n++] = kJvsSync;
  uint8_t sum = static_cast<uint8_t>(node + length);
  PutEscaped(m.frame, &n, node);
  PutEscaped(m.frame, &n, static_cast<uint8_t>(length));
  for (size_t i = 0; i < total; ++i) {
    PutEscaped(m.frame, &n, data[i]);
    sum = static_cast<uint8_t>(sum + data[i]);
  }
  PutEscaped(m.frame, &n, sum);
  m.echo.Wrote(node, m.frame, JvsWritePort(m.frame, n));
  return 1;
}

}  // namespace

void JvsSetClock(plat::MsClock* clock) { M().clock = clock; }

plat::MsClock& JvsClock() { return M().clock ? *M().clock : plat::SystemClock(); }

void JvsSetLine(JvsLine* line) {
  FrameModule& m = M();
  m.chosen = line;
  // A closed line is let go at once: it may be gone before the next open.
  if (!m.line->IsOpen()) m.line = line ? line : &m.serial;
}

int JvsOpenPort(const char* portName) {
  FrameModule& m = M();
  if (m.line->IsOpen() || !portName) return 0;
  m.line = m.chosen ? m.chosen : &m.serial;
  if (!m.line->Open(portName)) return 0;
  m.cancelWaits = false;
  m.dropped = 0;
  m.copies = 0;
  m.decidedSize = 0;
  m.stray = 0;
  for (auto& s : m.strayBy) s = 0;
  m.noise = JvsNoise{};
  m.dropped_rx.Reset();
  m.echo.Reset();
  // Whatever the line held before is unknown: the first frame waits for it
  // to be quiet.
  m.unsettled = true;
  m.noisy = m.wroteOnNoise = m.settledOnNoise = false;
  return 1;
}

void JvsCancelWaits() { M().cancelWaits = true; }

void JvsClosePort() { M().line->Close(); }

void JvsSetPortLines(plat::SerialLines* lines) { M().serial.SetLines(lines); }

size_t JvsWritePort(const uint8_t* bytes, size_t count) {
  if (count == 0 || !bytes) return 0;
  return M().line->Write(bytes, count);
}

size_t JvsReadPort(uint8_t* buffer, size_t max) { return JvsReadPortWithin(buffer, max, kJvsByteWaitMs); }

size_t JvsReadPortWithin(uint8_t* buffer, size_t max, uint32_t waitMs) {
  FrameModule& m = M();
  JvsLine& line = *m.line;
  if (!buffer || max == 0 || !line.IsOpen()) return 0;
  size_t n = line.ReadAvailable(buffer, max);
  if (n) return n;
  // The wait is measured on the bus clock, from before RTS drops, in short
  // slices; once it is over, a last look takes a byte that came meanwhile.
  plat::MsClock& clock = JvsClock();
  const uint32_t start = clock.NowMs();
  line.SetRts(false);
  for (;;) {
    const uint32_t spent = clock.NowMs() - start;
    const uint32_t slice = spent >= waitMs ? 0 : std::min(waitMs - spent, kWaitSliceMs);
    n = line.ReadWait(buffer, 1, slice);
    if (n || slice == 0 || m.cancelWaits.load()) break;
  }
  line.SetRts(true);
  return n;
}

int JvsGetSense() { return M().line->IsOpen() ? M().line->GetCts() : -1; }

bool JvsSetRts(int clearFlag) { return M().line->IsOpen() && M().line->SetRts(clearFlag == 0); }

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

uint32_t JvsGetDroppedCopyCount() { return M().copies.load(); }

uint32_t JvsGetStrayByteCount(int node) {
  if (node < 0) return M().stray.load();
  return M().strayBy[SlotOf(static_cast<uint8_t>(std::min(node, 255)))].load();
}

JvsNoise JvsGetLastNoise() { return M().noise; }

int JvsEscapeByte(uint8_t byte, uint8_t* out2) {
  if (byte == kJvsSync || byte == kJvsEscape) {
    out2[0] = kJvsEscape;
    out2[1] = static_cast<uint8_t>(byte - 1);
    return 2;
  }
  out2[0] = byte;
  return 1;
}

bool JvsLineUnsettled() { return M().unsettled; }

void JvsUnsettleLine() { M().unsettled = true; }

uint32_t JvsDropWaiting() {
  FrameModule& m = M();
  if (!m.line->IsOpen()) return 0;
  uint8_t chunk[kJvsMaxFrame];
  uint8_t read[kFilteredRoom];
  uint32_t total = 0;
  for (int i = 0; i < 64; ++i) {
    const size_t n = m.line->ReadAvailable(chunk, sizeof chunk);
    if (n == 0) break;
    total += static_cast<uint32_t>(n);
    if (Drop(m.dropped_rx, read, m.echo.Filter(chunk, n, read)) == kMasterFrame) m.unsettled = true;
    if (m.dropped_rx.InFrame()) m.droppedAt = JvsClock().NowMs();
  }
  return total;
}

bool JvsLastWriteOnNoise() { return M().wroteOnNoise; }

bool JvsLineNoisy() { return M().noisy; }

bool JvsLastReceiveMetNoise() { return M().receiveNoise; }
uint32_t JvsLastReceiveByteCount() { return M().receiveBytes; }

bool JvsSettleLine() {
  FrameModule& m = M();
  JvsLine& line = *m.line;
  if (!line.IsOpen() || m.cancelWaits.load()) return false;
  uint8_t chunk[kJvsMaxFrame];
  uint8_t read[kFilteredRoom] = {};
  plat::MsClock& clock = JvsClock();
  // Drops what was read, the echo of the last frame written aside: what
  // ended among it.
  JvsReceiver& rx = m.dropped_rx;
  auto drop = [&](size_t n) {
    const Ended ended = Drop(rx, read, m.echo.Filter(chunk, n, read));
    if (n && rx.InFrame()) m.droppedAt = clock.NowMs();
    return ended;
  };
  // Even on a settled line, a frame to the master that came since, nobody
  // asked (or one too late), says the line is not quiet. A frame to another
  // node answers nothing, and a frame still under way makes no wait: a
  // receive takes no frame whose sync byte it did not see, so its rest is
  // read as bytes outside frames. Bytes outside frames are only dropped.
  size_t n = line.ReadAvailable(chunk, sizeof chunk);
  if (drop(n) == kMasterFrame) m.unsettled = true;
  if (!m.unsettled) {
    Dead(rx);
    return true;
  }
  size_t seen = n;
  // Quiet since the wait began, or since the last byte of a frame that
  // ended on the line; a dead frame breaks no quiet.
  uint32_t quietSince = clock.NowMs();
  LookTime looked(quietSince);
  for (;;) {
    if (m.cancelWaits.load()) return false;
    // What came meanwhile is looked at before the time is: bytes that
    // waited while this thread did not run still break the quiet.
    const size_t cap = std::min(sizeof chunk, kJvsMaxReceiveBytes - seen);
    n = line.ReadAvailable(chunk, cap);
    seen += n;
    const uint32_t now = clock.NowMs();
    if (drop(n) != kNoFrame) quietSince = now;
    // A frame is dead once a look that found nothing shows it paused.
    if (n == 0 && rx.InFrame() && now - m.droppedAt >= kJvsByteWaitMs) Dead(rx);
    const uint32_t quiet = now - quietSince;
    if (n == 0 && !rx.InFrame() && quiet >= kJvsQuietMs) break;
    const uint32_t spent = looked.Look(now);
    if (spent >= kJvsSettleMs || seen >= kJvsMaxReceiveBytes) {
      // Every answer owed has come by now, or never will: what the line
      // carries is noise, and the frame goes out all the same. A frame
      // under way is over for this wait: its rest is read as bytes
      // outside frames.
      m.noise = JvsNoise{static_cast<uint32_t>(seen), spent};
      ++m.errors;
      Dead(rx);
      m.unsettled = false;
      m.settledOnNoise = m.noisy = true;
      return true;
    }
    if (n) continue;
    const uint32_t until = rx.InFrame() ? kJvsByteWaitMs - (now - m.droppedAt) : kJvsQuietMs - quiet;
    n = line.ReadWait(chunk, cap, std::min({until, kJvsSettleMs - spent, kWaitSliceMs}));
    seen += n;
    if (drop(n) != kNoFrame) quietSince = clock.NowMs();
  }
  rx.Reset();
  m.unsettled = m.noisy = m.settledOnNoise = false;
  return true;
}

int JvsSendFrame(uint8_t node) {
  const CommandQueue& q = Slot(node);
  if (q.count == 0) return 0;
  return WriteFrame(node, q.data, q.ends[q.count]);
}

int JvsSendBytes(uint8_t node, const uint8_t* bytes, size_t count) {
  if (!bytes && count > 0) return 0;
  return WriteFrame(node, bytes, count);
}

int JvsSendRetransmitRequest(uint8_t node) { return WriteFrame(node, &kJvsCmdRetransmit, 1); }

void JvsReceiver::Reset() {
  state_ = kWaitSync;
  escaped_ = false;
  size_ = 0;
  raw_ = 0;
}

JvsReceiver::Event JvsReceiver::Feed(uint8_t raw) {
  if (raw == kJvsSync) {
    state_ = kNode;
    escaped_ = false;
    size_ = 0;
    raw_ = 1;
    return kNone;
  }
  if (state_ == kWaitSync) return kNone;
  ++raw_;
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

JvsReceipt JvsReceiveAnswer(uint8_t* buffer, size_t max, int* length, JvsReplyCheck check, const void* request) {
  FrameModule& m = M();
  if (length) *length = 0;
  m.receiveNoise = false;
  m.receiveBytes = 0;
  m.decidedSize = 0;
  JvsReceiver rx;
  uint8_t raw[kJvsMaxFrame];
  uint8_t chunk[kFilteredRoom];
  size_t seen = 0;
  plat::MsClock& clock = JvsClock();
  // Anything but an answer leaves the line to be waited out before the
  // next frame: what else is on its way is unknown.
  auto spoiled = [&](JvsReceipt r) {
    m.unsettled = true;
    ++m.errors;
    return r;
  };
  // A receive that ends inside a frame leaves the rest of it to the wait
  // for a quiet line, which goes on with the frame, from the time of its
  // last byte: one that ended in silence is dead there at once.
  uint32_t lastFrameByte = clock.NowMs();
  auto ended = [&](JvsReceipt r) {
    m.dropped_rx = rx;
    m.droppedAt = lastFrameByte;
    m.decidedSize = 0;
    return spoiled(r);
  };
  // The node must begin its answer, and go on with it, without a pause of
  // kJvsByteWaitMs; bytes outside frames are no part of it.
  LookTime looked(lastFrameByte);
  for (;;) {
    if (m.cancelWaits.load()) return JvsReceipt::kClosed;
    const uint32_t spent = looked.Look(clock.NowMs());
    const size_t cap = std::min(sizeof raw, kJvsMaxReceiveBytes - seen);
    // What came meanwhile is looked at before the time is.
    size_t got = m.line->IsOpen() ? m.line->ReadAvailable(raw, cap) : 0;
    if (got == 0) {
      const uint32_t pause = clock.NowMs() - lastFrameByte;
      if (pause >= kJvsByteWaitMs) return ended(JvsReceipt::kSilence);
      if (spent >= kJvsReceiveMs || seen >= kJvsMaxReceiveBytes) {
        m.receiveNoise = true;
        m.noise = JvsNoise{static_cast<uint32_t>(seen), spent};
        return ended(JvsReceipt::kTalking);
      }
      got = JvsReadPortWithin(raw, cap, std::min(kJvsByteWaitMs - pause, kJvsReceiveMs - spent));
      if (got == 0) continue;
    }
    seen += got;
    // The echo of the request is no part of what answers it.
    got = m.echo.Filter(raw, got, chunk);
    m.receiveBytes += static_cast<uint32_t>(got);
    size_t stray = 0;
    for (size_t i = 0; i < got; ++i) {
      if (!FrameByte(rx, chunk[i])) {
        ++stray;
        continue;
      }
      lastFrameByte = clock.NowMs();
      // A frame cut by a sync byte is dead: no frame has one in its body.
      if (chunk[i] == kJvsSync && rx.InFrame()) {
        m.receiveNoise = true;
        Dead(rx);
      }
      if (chunk[i] == kJvsSync) m.decidedSize = 0;
      if (m.decidedSize < kJvsMaxFrame) m.decided[m.decidedSize++] = chunk[i];
      const JvsReceiver::Event ev = rx.Feed(chunk[i]);
      if (ev == JvsReceiver::kNone) continue;
      if (stray) CountStray(stray);
      if (stray) m.receiveNoise = true;
      // Bytes after the frame that decides the receive, in this read, came
      // from nobody asked: dropped (their frames counted). A frame to the
      // master among them says the line is not quiet: it is waited out
      // before the next frame. A frame they begin goes on in the next wait.
      m.dropped_rx.Reset();
      m.droppedAt = lastFrameByte;
      m.matched = kNoMatch;
      const uint32_t strayBefore = m.stray.load();
      if (i + 1 < got && Drop(m.dropped_rx, chunk + i + 1, got - (i + 1)) == kMasterFrame) m.unsettled = true;
      // A wrong sum with bytes outside frames right after it: noise landed
      // in the frame.
      if (ev == JvsReceiver::kBadSum && m.stray.load() != strayBefore) m.receiveNoise = true;
      if (ev == JvsReceiver::kBadSum || rx.Size() == 0) return spoiled(JvsReceipt::kDamaged);
      const size_t size = rx.Size();
      const uint8_t status = rx.Data()[0];
      if (size <= max) {
        std::memcpy(buffer, rx.Data(), size);
        if (length) *length = static_cast<int>(size);
      }
      if (status == kJvsStatusSumError) return spoiled(JvsReceipt::kStatusThree);
      if (status == 0 || status > kJvsStatusOverflow) return spoiled(JvsReceipt::kUnknownStatus);
      const bool answers = size <= max && (!check || check(request, rx.Data(), size) == size);
      if (answers) return JvsReceipt::kAnswer;
      return spoiled(status == kJvsStatusNormal ? JvsReceipt::kUnfitting : JvsReceipt::kUnknownStatus);
    }
    if (stray) CountStray(stray);
    if (stray) m.receiveNoise = true;
  }
}
