#include "cabinet/JvsFrame.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <stdlib.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <string>
#include <thread>
#include <vector>

#include "platform/serial_port.h"
#include "support/ExpectAll.h"
#include "support/Eventually.h"
#include "support/FakeClock.h"
#include "support/SimJvsWire.h"

using Bytes = std::vector<uint8_t>;
using testsupport::Eventually;

namespace {

// A bare pseudo-terminal pair: the frame layer's port on one side, the test
// reading and writing raw bytes on the other.
class RawPty : public plat::SerialLines {
 public:
  RawPty() {
    master_ = ::posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
    ::grantpt(master_);
    ::unlockpt(master_);
    path_ = ::ptsname(master_);
  }
  ~RawPty() override { CloseMaster(); }
  const std::string& Path() const { return path_; }
  // The terminal settings of the port's side (a pseudo-terminal's master
  // reports those of its slave).
  termios Settings() const {
    termios t{};
    EXPECT_EQ(::tcgetattr(master_, &t), 0);
    return t;
  }
  void SetSettings(const termios& t) { EXPECT_EQ(::tcsetattr(master_, TCSANOW, &t), 0); }
  // Hangs the line up: every write of the port fails from now on.
  void CloseMaster() {
    if (master_ >= 0) ::close(master_);
    master_ = -1;
  }
  int GetCts() override { return 1; }
  bool SetRts(bool asserted) override {
    if (!asserted) ++rtsDrops;
    rtsLow = !asserted;
    return true;
  }
  // The port drops RTS as it starts each wait for a byte, and raises it when
  // the wait is over.
  std::atomic<int> rtsDrops{0};
  std::atomic<bool> rtsLow{false};
  void Send(const Bytes& b) { ASSERT_EQ(::write(master_, b.data(), b.size()), ssize_t(b.size())); }
  // Writes as much of b as the terminal takes without waiting; how much.
  size_t SendSome(const Bytes& b) {
    const int flags = ::fcntl(master_, F_GETFL);
    ::fcntl(master_, F_SETFL, flags | O_NONBLOCK);
    size_t done = 0;
    for (ssize_t n; done < b.size() && (n = ::write(master_, b.data() + done, b.size() - done)) > 0;)
      done += size_t(n);
    ::fcntl(master_, F_SETFL, flags);
    return done;
  }
  // Everything the port wrote within a short wait.
  Bytes Take(int waitMs = 30) {
    Bytes out;
    pollfd p{master_, POLLIN, 0};
    while (::poll(&p, 1, waitMs) > 0 && (p.revents & POLLIN)) {
      uint8_t buf[600];
      const ssize_t n = ::read(master_, buf, sizeof buf);
      if (n <= 0) break;
      out.insert(out.end(), buf, buf + n);
    }
    return out;
  }

 private:
  int master_ = -1;
  std::string path_;
};

class FrameTest : public ::testing::Test {
 protected:
  void SetUp() override {
    JvsClearQueues();
    JvsSetPortLines(&pty_);
    ASSERT_EQ(JvsOpenPort(pty_.Path().c_str()), 1);
  }
  void TearDown() override {
    JvsClosePort();
    JvsSetPortLines(nullptr);
    JvsSetClock(nullptr);
    JvsClearQueues();
  }
  RawPty pty_;
  testsupport::FakeClock clock_;
};

// A check that takes only replies of the given length, whole.
size_t LengthIs(const void* want, const uint8_t*, size_t length) {
  return length == *static_cast<const size_t*>(want) ? length : 0;
}

JvsReceiver::Event FeedAll(JvsReceiver& rx, const Bytes& bytes) {
  JvsReceiver::Event last = JvsReceiver::kNone;
  for (uint8_t b : bytes) {
    const JvsReceiver::Event e = rx.Feed(b);
    if (e != JvsReceiver::kNone) last = e;
  }
  return last;
}

TEST(JvsEscape, SyncAndEscapeBytes) {
  struct Case {
    uint8_t in;
    Bytes out;
  } cases[] = {{0xE0, {0xD0, 0xDF}}, {0xD0, {0xD0, 0xCF}}, {0x00, {0x00}}, {0xFF, {0xFF}}, {0xDF, {0xDF}}};
  for (const Case& c : cases) {
    uint8_t out[2] = {};
    const int n = JvsEscapeByte(c.in, out);
    EXPECT_EQ(Bytes(out, out + n), c.out) << int(c.in);
  }
}

// Frames worked by hand: sum = node + length + data, escapes after the sync.
TEST_F(FrameTest, FramesOnTheWire) {
  const uint8_t a[1] = {0x10}, b[1] = {0xE0};
  ASSERT_EQ(JvsQueueCommand(1, a, 1), 1);
  ASSERT_EQ(JvsQueueCommand(1, b, 1), 1);
  EXPECT_EQ(JvsSendFrame(1), 1);
  // 1 + 3 + 0x10 + 0xE0 = 0xF4
  EXPECT_EQ(pty_.Take(), (Bytes{0xE0, 0x01, 0x03, 0x10, 0xD0, 0xDF, 0xF4}));

  const uint8_t c[1] = {0xCD};  // 1 + 2 + 0xCD = 0xD0: the sum is escaped
  JvsQueueCommand(1, nullptr, 0);
  JvsQueueCommand(1, c, 1);
  EXPECT_EQ(JvsSendFrame(1), 1);
  EXPECT_EQ(pty_.Take(), (Bytes{0xE0, 0x01, 0x02, 0xCD, 0xD0, 0xCF}));

  EXPECT_EQ(JvsSendFrame(2), 0);  // nothing queued

  // Every byte after the sync is escaped, the node byte too: node 0xD0 (the
  // broadcast slot's) goes out as 0xD0 0xCF. Sum 0xD0 + 2 + 0x01 = 0xD3.
  const uint8_t d[1] = {0x01};
  JvsQueueCommand(0xD0, nullptr, 0);
  JvsQueueCommand(0xD0, d, 1);
  EXPECT_EQ(JvsSendFrame(0xD0), 1);
  EXPECT_EQ(pty_.Take(), (Bytes{0xE0, 0xD0, 0xCF, 0x02, 0x01, 0xD3}));
}

TEST_F(FrameTest, QueueLimitsAndBroadcastSlot) {
  Bytes big(256, 0x01);
  EXPECT_EQ(JvsQueueCommand(3, big.data(), 256), 0);
  EXPECT_EQ(JvsQueueCommand(3, big.data(), 255), 1);
  EXPECT_EQ(JvsQueueCommand(3, big.data(), 1), 0);  // the data would reach 256 bytes
  // 254 data bytes make a length of 255, which a frame cannot carry.
  JvsQueueCommand(3, nullptr, 0);
  EXPECT_EQ(JvsQueueCommand(3, big.data(), 254), 1);
  EXPECT_EQ(JvsSendFrame(3), 0);

  JvsQueueCommand(4, nullptr, 0);
  int accepted = 0;
  for (int i = 0; i < 300; ++i) accepted += JvsQueueCommand(4, big.data(), 0);
  EXPECT_EQ(accepted, 255);

  const uint8_t cmd[2] = {0xF1, 0x07};
  JvsQueueCommand(40, cmd, 2);
  size_t len = 0;
  const uint8_t* got = JvsGetQueuedCommand(kJvsBroadcast, 0, &len);
  ASSERT_NE(got, nullptr);
  EXPECT_EQ(Bytes(got, got + len), (Bytes{0xF1, 0x07}));
  EXPECT_EQ(JvsGetQueuedCommand(kJvsBroadcast, 1), nullptr);
}

// The port as the bus uses it: 115,200 baud, 8 data bits, no parity, one
// stop bit, no flow control of either kind, raw bytes; a second open is
// refused; the SENSE line is the port's CTS (-1 without a port); RTS is
// cleared on request and while a read waits for a byte, and set again
// after; a read takes what is waiting, at most the maximum, without a wait.
TEST_F(FrameTest, PortSettingsAndLines) {
  // Whatever the line was set to before, the open sets it for the bus.
  JvsClosePort();
  termios before = pty_.Settings();
  before.c_cflag = (before.c_cflag & ~CSIZE) | CS7 | PARENB | CSTOPB | CRTSCTS;
  before.c_iflag |= IXON | IXOFF | ICRNL;
  before.c_lflag |= ICANON | ECHO | ISIG;
  before.c_oflag |= OPOST;
  ::cfsetispeed(&before, B9600);
  ::cfsetospeed(&before, B9600);
  pty_.SetSettings(before);
  ASSERT_EQ(JvsOpenPort(pty_.Path().c_str()), 1);
  const termios t = pty_.Settings();
  EXPECT_ALL({VAL(::cfgetispeed(&t), B115200), VAL(::cfgetospeed(&t), B115200), VAL(t.c_cflag & CSIZE, CS8),
              VAL(t.c_cflag & (PARENB | CSTOPB | CRTSCTS), 0), VAL(t.c_iflag & (IXON | IXOFF | ICRNL), 0),
              VAL(t.c_lflag & (ICANON | ECHO | ISIG), 0), VAL(t.c_oflag & OPOST, 0)});
  EXPECT_EQ(JvsOpenPort(pty_.Path().c_str()), 0);  // already open

  EXPECT_TRUE(JvsSetRts(1));
  EXPECT_TRUE(pty_.rtsLow);
  EXPECT_TRUE(JvsSetRts(0));
  EXPECT_FALSE(pty_.rtsLow);

  const uint8_t three[3] = {1, 2, 3};
  EXPECT_ALL({VAL(JvsWritePort(three, 0), 0), VAL(JvsWritePort(nullptr, 3), 0), VAL(JvsWritePort(three, 3), 3)});
  EXPECT_EQ(pty_.Take(), (Bytes{1, 2, 3}));

  // Five bytes in one write: the first read may wait for them (on a bus
  // clock that stands still, until they come); once one is in, the rest
  // are waiting and are read at once, at most the maximum each time, with
  // RTS left alone.
  JvsSetClock(&clock_);
  pty_.Send({0x11, 0x22, 0x33, 0x44, 0x55});
  uint8_t buf[8] = {};
  ASSERT_EQ(JvsReadPort(buf, 1), 1u);
  EXPECT_EQ(buf[0], 0x11);
  const int drops = pty_.rtsDrops.load();
  EXPECT_EQ(JvsReadPort(buf, 2), 2u);
  EXPECT_EQ(Bytes(buf, buf + 2), (Bytes{0x22, 0x33}));
  EXPECT_EQ(JvsReadPort(buf, 8), 2u);
  EXPECT_EQ(Bytes(buf, buf + 2), (Bytes{0x44, 0x55}));
  EXPECT_EQ(pty_.rtsDrops.load(), drops);
  EXPECT_FALSE(pty_.rtsLow);

  // Nothing waiting: RTS low through the wait for one byte, which runs out
  // after 20 ms of the bus clock, then high again.
  size_t waited = 99;
  std::thread reader([&] { waited = JvsReadPort(buf, 8); });
  const bool began = Eventually([&] { return pty_.rtsDrops.load() != drops; });
  EXPECT_TRUE(began) << "the read never began to wait";
  EXPECT_TRUE(pty_.rtsLow);
  clock_.Advance(kJvsByteWaitMs);
  reader.join();
  EXPECT_EQ(waited, 0u);
  EXPECT_FALSE(pty_.rtsLow);

  EXPECT_EQ(JvsGetSense(), 1);
  JvsClosePort();
  EXPECT_ALL({VAL(JvsGetSense(), -1), VAL(JvsReadPort(buf, 8), 0), VAL(JvsWritePort(three, 3), 0)});
}

// A line that takes nothing more (the other side stopped reading) cannot
// hold a write for ever: the write gives up, and says how much went out.
TEST_F(FrameTest, WriteToALineThatTakesNothingEnds) {
  Bytes frame(kJvsMaxFrame, 0x5A);
  std::atomic<bool> done{false};
  size_t written = 0, asked = 0;
  std::thread writer([&] {
    for (int i = 0; i < 4000; ++i) {  // 2 MB, far beyond what a terminal holds
      asked += frame.size();
      const size_t n = JvsWritePort(frame.data(), frame.size());
      written += n;
      if (n < frame.size()) break;
    }
    done = true;
  });
  const bool ended = Eventually([&] { return done.load(); });
  if (!ended) pty_.CloseMaster();  // a write that never ends: hang the line up to end it
  writer.join();
  ASSERT_TRUE(ended) << "a write waited on";
  EXPECT_LT(written, asked);
}

// The receive state machine, one byte at a time.
TEST(JvsReceiverTest, ByteByByte) {
  JvsReceiver rx;
  // Status 1, report 1, data 0xE0 (escaped): length 4, sum 4 + 1 + 1 + 0xE0 = 0xE6.
  const Bytes good = {0xE0, 0x00, 0x04, 0x01, 0x01, 0xD0, 0xDF, 0xE6};
  EXPECT_EQ(FeedAll(rx, good), JvsReceiver::kFrame);
  EXPECT_EQ(Bytes(rx.Data(), rx.Data() + rx.Size()), (Bytes{0x01, 0x01, 0xE0}));

  struct Case {
    const char* what;
    Bytes bytes;
    JvsReceiver::Event want;
  } cases[] = {
      {"bad sum", {0xE0, 0x00, 0x03, 0x01, 0x01, 0x06}, JvsReceiver::kBadSum},
      {"another node's reply", {0xE0, 0x05, 0x03, 0x01, 0x01, 0x05}, JvsReceiver::kNone},
      {"bytes after a bad sum", {0xE0, 0x00, 0x02, 0x01, 0x07, 0x01, 0x01, 0x05}, JvsReceiver::kBadSum},
      {"a sync restarts", {0xE0, 0x00, 0x09, 0x01, 0xE0, 0x00, 0x02, 0x01, 0x03}, JvsReceiver::kFrame},
      {"escaped sum", {0xE0, 0x00, 0x02, 0xCE, 0xD0, 0xCF}, JvsReceiver::kFrame},
      {"length 0", {0xE0, 0x00, 0x00, 0x00}, JvsReceiver::kNone},
  };
  for (const Case& c : cases) {
    rx.Reset();
    EXPECT_EQ(FeedAll(rx, c.bytes), c.want) << c.what;
  }
  // After a bad sum the bytes up to the next sync belong to no frame.
  rx.Reset();
  FeedAll(rx, {0xE0, 0x00, 0x02, 0x01, 0x07});
  EXPECT_EQ(FeedAll(rx, {0x00, 0x02, 0x01, 0x03}), JvsReceiver::kNone);
  // An escape split over two reads.
  rx.Reset();
  FeedAll(rx, {0xE0, 0x00, 0x03, 0x01, 0xD0});
  EXPECT_EQ(FeedAll(rx, {0xCF, 0xD4}), JvsReceiver::kFrame);  // 3 + 1 + 0xD0
  EXPECT_EQ(Bytes(rx.Data(), rx.Data() + rx.Size()), (Bytes{0x01, 0xD0}));
}


// ---------------------------------------------------------------------------
// Receiving on a simulated wire with no node on it: the test puts bytes on
// the line at chosen times and reads what the frame layer wrote, and when.

class WireTest : public ::testing::Test {
 protected:
  void SetUp() override {
    JvsClearQueues();
    JvsSetLine(&wire_);
    JvsSetClock(&wire_);
    ASSERT_EQ(JvsOpenPort("sim"), 1);
  }
  void TearDown() override {
    JvsClosePort();
    JvsSetLine(nullptr);
    JvsSetClock(nullptr);
    JvsClearQueues();
  }
  // Writes the request of node 1 (0x11) on a quiet line; the time it went.
  // (To node 0, no byte read after it is held as its echo's first.)
  uint32_t Request(uint8_t node = 1) {
    const uint8_t cmd[1] = {0x11};
    JvsQueueCommand(node, nullptr, 0);
    JvsQueueCommand(node, cmd, 1);
    EXPECT_EQ(JvsSendFrame(node), 1);
    const auto w = wire_.TakeWritten();
    EXPECT_EQ(w.size(), 1u);
    return w.empty() ? 0 : w.back().at;
  }
  testsupport::SimJvsWire wire_;
};

// A frame is written only once the line has been quiet for kJvsQuietMs
// after the last byte read: at open, and after a receive that did not end
// with an answer. Everything read meanwhile is dropped, its frames counted.
// After an answer the next frame goes at once.
TEST_F(WireTest, FramesWaitForAQuietLine) {
  const Bytes frame = {0xE0, 0x00, 0x03, 0x01, 0x01, 0x05};  // status 1, report 1
  const uint32_t opened = wire_.NowMs();
  wire_.Inject(frame, 30);
  wire_.Inject(frame, 100);
  const uint32_t dropped = JvsGetDroppedReplyCount();
  ASSERT_TRUE(JvsLineUnsettled());
  const uint32_t sent = Request();
  EXPECT_EQ(sent, opened + 100 + kJvsQuietMs);
  EXPECT_EQ(JvsGetDroppedReplyCount() - dropped, 2u);
  EXPECT_FALSE(JvsLineUnsettled());

  // An answer; the next request goes out at once.
  wire_.Inject(frame, 1);
  uint8_t buf[kJvsReplyBuffer];
  int n = 0;
  const size_t two = 2;
  ASSERT_EQ(JvsReceiveAnswer(buf, sizeof buf, &n, &LengthIs, &two), JvsReceipt::kAnswer);
  const uint32_t answered = wire_.NowMs();
  EXPECT_EQ(Request(), answered);

  // Silence: the wait runs out after 20 ms of the bus clock, and the next
  // request waits a quiet line out from there.
  ASSERT_EQ(JvsReceiveAnswer(buf, sizeof buf, &n), JvsReceipt::kSilence);
  EXPECT_EQ(wire_.NowMs(), answered + kJvsByteWaitMs);
  EXPECT_TRUE(JvsLineUnsettled());
  // A late answer comes 60 ms after the request: the quiet begins after it.
  wire_.Inject(frame, 40);
  EXPECT_EQ(Request(), answered + 60 + kJvsQuietMs);

  // Bytes outside frames, one every millisecond: no byte of a frame, so the
  // quiet after a silence ends kJvsQuietMs after it all the same.
  ASSERT_EQ(JvsReceiveAnswer(buf, sizeof buf, &n), JvsReceipt::kSilence);
  const uint32_t silent = wire_.NowMs();
  const uint32_t stray = JvsGetStrayByteCount();
  for (uint32_t t = 1; t <= 1000; ++t) wire_.Inject({0x55}, t);
  EXPECT_EQ(Request(), silent + kJvsQuietMs);
  EXPECT_EQ(JvsGetStrayByteCount() - stray, kJvsQuietMs);
  wire_.Advance(1000);
  ASSERT_EQ(JvsReceiveAnswer(buf, sizeof buf, &n), JvsReceipt::kSilence);

  // The request to send again, worked by hand: sum 1 + 2 + 0x2F = 0x32.
  ASSERT_EQ(JvsSendRetransmitRequest(1), 1);
  const auto w = wire_.TakeWritten();
  ASSERT_EQ(w.size(), 1u);
  EXPECT_EQ(w[0].bytes, (Bytes{0xE0, 0x01, 0x02, 0x2F, 0x32}));
}

// What the first frame to the master after a request makes of the receive,
// and what it leaves: the data, the error count, whether the next frame
// waits for a quiet line, and whether the receive met noise before what
// decided it (bytes outside frames, a frame a sync byte cut, a line that
// never went quiet, or a wrong sum with bytes outside frames right after it).
TEST_F(WireTest, TheFirstFrameDecidesTheReceive) {
  const size_t two = 2;
  struct Case {
    const char* what;
    Bytes bytes;
    JvsReceipt want;
    Bytes data;
    bool unsettled;
    uint32_t stray = 0;  // bytes outside frames
    bool metNoise = false;
    uint32_t gapMs = 0;  // between the bytes (0: all at once)
    uint32_t atMs = 1;   // after the request (0: waiting when the receive begins)
  } cases[] = {
      {"an answer", {0xE0, 0x00, 0x03, 0x01, 0x01, 0x05}, JvsReceipt::kAnswer, {0x01, 0x01}, false},
      {"an answer, escaped", {0xE0, 0x00, 0x03, 0x01, 0xD0, 0xCF, 0xD4}, JvsReceipt::kAnswer, {0x01, 0xD0}, false},
      // Bytes outside frames, before the answer or after it, can begin no
      // frame: dropped, counted, and no reason to wait.
      {"an answer and a stray byte", {0xE0, 0x00, 0x03, 0x01, 0x01, 0x05, 0x77}, JvsReceipt::kAnswer, {1, 1}, false, 1},
      {"stray bytes, then an answer", {0xFF, 0xD0, 0x00, 0xE0, 0x00, 0x03, 0x01, 0x01, 0x05}, JvsReceipt::kAnswer,
       {1, 1}, false, 3, true},
      // A frame to the master after it says the line is not quiet: it is
      // waited out. A frame to another node answers nothing, and one only
      // begun makes no wait (it is dead, or its rest comes with no sync
      // byte before it).
      {"an answer and a sync byte", {0xE0, 0x00, 0x03, 0x01, 0x01, 0x05, 0xFF, 0xE0}, JvsReceipt::kAnswer, {1, 1},
       false, 1},
      {"an answer and half a frame", {0xE0, 0x00, 0x03, 0x01, 0x01, 0x05, 0xE0, 0x00, 0x05, 0x01}, JvsReceipt::kAnswer,
       {1, 1}, false},
      {"an answer and another node's frame", {0xE0, 0x00, 0x03, 0x01, 0x01, 0x05, 0xE0, 0x05, 0x03, 0x01, 0x01, 0x0A},
       JvsReceipt::kAnswer, {1, 1}, false, 4},
      {"an answer and a frame", {0xE0, 0x00, 0x03, 0x01, 0x01, 0x05, 0xE0, 0x00, 0x02, 0x01, 0x03}, JvsReceipt::kAnswer,
       {1, 1}, true},
      {"stray bytes, then nothing", {0x55, 0x55}, JvsReceipt::kSilence, {}, true, 2, true},
      {"stray bytes, then a wrong sum, in one read", {0x55, 0xE0, 0x00, 0x03, 0x01, 0x01, 0x06}, JvsReceipt::kDamaged,
       {}, true, 1, true, 0, 0},
      {"a wrong sum, then stray bytes", {0xE0, 0x00, 0x03, 0x01, 0x01, 0x06, 0x55}, JvsReceipt::kDamaged, {}, true, 1,
       true},
      // A sync byte inside a frame cuts it: no frame has one in its body.
      {"a frame a sync byte cut, then nothing", {0xE0, 0x00, 0x05, 0x01, 0xE0}, JvsReceipt::kSilence, {}, true, 4,
       true},
      {"a frame a sync byte cut, then a wrong sum", {0xE0, 0x00, 0x05, 0x01, 0xE0, 0x00, 0x03, 0x01, 0x01, 0x06},
       JvsReceipt::kDamaged, {}, true, 4, true},
      // A frame to the master whose bytes come 19 ms apart (each within
      // the byte wait), 171 ms in all: the receive ends at kJvsReceiveMs
      // on a line that never went quiet.
      {"a frame that trickles in slower than the receive bound",
       {0xE0, 0x00, 0x08, 0x01, 0x01, 0x02, 0x03, 0x04, 0x05, 0x18}, JvsReceipt::kTalking, {}, true, 0, true, 19},
      {"a wrong sum", {0xE0, 0x00, 0x03, 0x01, 0x01, 0x06}, JvsReceipt::kDamaged, {}, true},
      {"no status byte", {0xE0, 0x00, 0x01, 0x01}, JvsReceipt::kDamaged, {}, true},
      {"status 3", {0xE0, 0x00, 0x02, 0x03, 0x05}, JvsReceipt::kStatusThree, {0x03}, true},
      {"status 5", {0xE0, 0x00, 0x02, 0x05, 0x07}, JvsReceipt::kUnknownStatus, {0x05}, true},
      {"status 0", {0xE0, 0x00, 0x02, 0x00, 0x02}, JvsReceipt::kUnknownStatus, {0x00}, true},
      // A status 2 or 4 answers only where the check takes it (a node's
      // refusal of the request to send again); elsewhere it is a status
      // the exchange cannot use.
      {"status 2 the check takes", {0xE0, 0x00, 0x03, 0x02, 0x09, 0x0E}, JvsReceipt::kAnswer, {0x02, 0x09}, false},
      {"status 2 the check refuses", {0xE0, 0x00, 0x02, 0x02, 0x04}, JvsReceipt::kUnknownStatus, {0x02}, true},
      {"status 4 the check refuses", {0xE0, 0x00, 0x02, 0x04, 0x06}, JvsReceipt::kUnknownStatus, {0x04}, true},
      {"a byte too many", {0xE0, 0x00, 0x04, 0x01, 0x01, 0x07, 0x0D}, JvsReceipt::kUnfitting, {1, 1, 7}, true},
      {"a byte too few", {0xE0, 0x00, 0x02, 0x01, 0x03}, JvsReceipt::kUnfitting, {0x01}, true},
      {"another node's frame, then nothing", {0xE0, 0x05, 0x03, 0x01, 0x01, 0x0A}, JvsReceipt::kSilence, {}, true, 4,
       true},
      {"half a frame, then nothing", {0xE0, 0x00, 0x03, 0x01}, JvsReceipt::kSilence, {}, true},
      {"nothing", {}, JvsReceipt::kSilence, {}, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    Request();
    for (size_t i = 0; i < c.bytes.size() && c.gapMs; ++i) wire_.Inject({c.bytes[i]}, c.atMs + uint32_t(i) * c.gapMs);
    if (!c.bytes.empty() && !c.gapMs) wire_.Inject(c.bytes, c.atMs);
    const uint32_t errors = JvsGetErrorCount(), stray = JvsGetStrayByteCount(), strayOne = JvsGetStrayByteCount(1);
    uint8_t buf[kJvsReplyBuffer] = {};
    int n = -1;
    EXPECT_EQ(JvsReceiveAnswer(buf, sizeof buf, &n, &LengthIs, &two), c.want);
    EXPECT_EQ(Bytes(buf, buf + n), c.data);
    EXPECT_EQ(JvsGetErrorCount() - errors, c.want == JvsReceipt::kAnswer ? 0u : 1u);
    EXPECT_EQ(JvsLineUnsettled(), c.unsettled);
    EXPECT_EQ(JvsLastReceiveMetNoise(), c.metNoise);
    // Counted against node 1, which the last request went to.
    EXPECT_ALL({VAL(JvsGetStrayByteCount() - stray, c.stray), VAL(JvsGetStrayByteCount(1) - strayOne, c.stray)});
  }
  // Without a check any whole frame is taken, bytes after its reports too.
  Request();
  wire_.Inject({0xE0, 0x00, 0x04, 0x01, 0x01, 0x07, 0x0D}, 1);
  uint8_t buf[kJvsReplyBuffer];
  int n = 0;
  EXPECT_EQ(JvsReceiveAnswer(buf, sizeof buf, &n), JvsReceipt::kAnswer);
  EXPECT_EQ(n, 3);
  // A frame longer than the caller's buffer answers nothing.
  Request();
  wire_.Inject({0xE0, 0x00, 0x03, 0x01, 0x01, 0x05}, 1);
  EXPECT_EQ(JvsReceiveAnswer(buf, 1, &n), JvsReceipt::kUnfitting);
}

// A line whose adapter hands back every byte the master writes, worked by
// hand. Node 1's request 11 is E0 01 02 11 14; node 0's status command 01 02
// is E0 00 03 01 02 06, the very bytes of a status 1 answer with report 2;
// node 0's status answer 01 01 5A 01 is E0 00 05 01 01 5A 01 62; the reset
// E0 FF 03 F0 D9 CB. That the line echoes is learnt per open from a frame to
// another node than 0 coming back whole first; then each frame's echo is
// dropped, counted nowhere, and makes no wait. Bytes that only begin to
// repeat the frame are read as usual.
TEST_F(WireTest, AnEchoIsLearntFromAFrameToAnotherNodeThenDropped) {
  const Bytes status = {0xE0, 0x00, 0x03, 0x01, 0x02, 0x06};
  const Bytes statusAnswer = {0xE0, 0x00, 0x05, 0x01, 0x01, 0x5A, 0x01, 0x62};
  const Bytes answer = {0xE0, 0x00, 0x03, 0x01, 0x01, 0x05};
  const uint8_t statusCommand[2] = {0x01, 0x02};
  // The receipt and the data of what follows a request: the bytes given
  // (none: only what the wire brings) 1 ms after it.
  auto receive = [&](const Bytes& bytes) {
    if (!bytes.empty()) wire_.Inject(bytes, 1);
    uint8_t buf[kJvsReplyBuffer];
    int n = 0;
    const JvsReceipt r = JvsReceiveAnswer(buf, sizeof buf, &n);
    return std::make_pair(r, Bytes(buf, buf + n));
  };
  using Got = std::pair<JvsReceipt, Bytes>;
  // No node hears a request (node 0 would answer): the test gives the answers.
  wire_.script = [](bool request) { return request ? testsupport::SimJvsWire::kLost : testsupport::SimJvsWire::kWhole; };

  // Nothing learnt yet, also where node 1's request came back after another
  // byte: node 0's status command comes back as a status 1 answer with
  // report 2, and is taken (a reply may be its request's bytes).
  wire_.echo = false;
  Request();
  EXPECT_EQ(receive({0x55, 0xE0, 0x01, 0x02, 0x11, 0x14}).first, JvsReceipt::kSilence);
  wire_.echo = true;
  ASSERT_EQ(JvsSendBytes(0, statusCommand, 2), 1);
  EXPECT_EQ(receive({}), (Got{JvsReceipt::kAnswer, {0x01, 0x02}}));

  // Node 1's request comes back whole, first: the line echoes.
  wire_.TakeWritten();
  Request();
  const uint32_t stray = JvsGetStrayByteCount(), dropped = JvsGetDroppedReplyCount(), errors = JvsGetErrorCount();
  EXPECT_EQ(receive(answer), (Got{JvsReceipt::kAnswer, {0x01, 0x01}}));
  // Node 0's status command's echo is dropped: its answer is taken, and so
  // is an answer of the request's very bytes after the echo.
  for (const Bytes& reply : {statusAnswer, status}) {
    ASSERT_EQ(JvsSendBytes(0, statusCommand, 2), 1);
    EXPECT_EQ(receive(reply), (Got{JvsReceipt::kAnswer, Bytes(reply.begin() + 3, reply.end() - 1)}));
  }
  // Two resets in a row: the second's wait finds the first's echo alone,
  // and it goes at once.
  JvsQueueCommand(kJvsBroadcast, nullptr, 0);
  const uint8_t reset[2] = {0xF0, 0xD9};
  JvsQueueCommand(kJvsBroadcast, reset, 2);
  wire_.TakeWritten();
  ASSERT_EQ(JvsSendFrame(kJvsBroadcast), 1);
  ASSERT_EQ(JvsSendFrame(kJvsBroadcast), 1);
  const auto resets = wire_.TakeWritten();
  ASSERT_EQ(resets.size(), 2u);
  EXPECT_EQ(resets[0].bytes, (Bytes{0xE0, 0xFF, 0x03, 0xF0, 0xD9, 0xCB}));
  EXPECT_EQ(resets[1].at, resets[0].at);

  // Bytes that begin as the frame does and then depart from it are read as
  // usual: an answer where no echo came (to node 1: its sync byte; to node 0:
  // E0 00 too), a sync byte before the echo, an echo cut short before the
  // answer. What a sync byte cuts short is a dead frame: its bytes are
  // counted outside frames (the lone sync byte, the echo's four).
  wire_.echo = false;
  Request();
  EXPECT_EQ(receive(answer), (Got{JvsReceipt::kAnswer, {0x01, 0x01}}));
  const Bytes statusData = {0x01, 0x01, 0x5A, 0x01};
  for (const Bytes& before : {Bytes{}, Bytes{0xE0, 0xE0, 0x00, 0x03, 0x01, 0x02, 0x06}, Bytes{0xE0, 0x00, 0x03, 0x01}}) {
    SCOPED_TRACE(testing::Message() << before.size() << " bytes before the answer");
    ASSERT_EQ(JvsSendBytes(0, statusCommand, 2), 1);
    if (!before.empty()) wire_.Inject(before);
    EXPECT_EQ(receive(statusAnswer), (Got{JvsReceipt::kAnswer, statusData}));
  }
  EXPECT_ALL({VAL(JvsGetStrayByteCount(), stray + 1 + 4), VAL(JvsGetDroppedReplyCount(), dropped),
              VAL(JvsGetErrorCount(), errors), VAL(JvsLineUnsettled(), false)});

  // A port opened again has learnt nothing.
  wire_.echo = true;
  JvsClosePort();
  ASSERT_EQ(JvsOpenPort("sim"), 1);
  ASSERT_EQ(JvsSendBytes(0, statusCommand, 2), 1);
  EXPECT_EQ(receive({}), (Got{JvsReceipt::kAnswer, {0x01, 0x02}}));
}

// Noise that begins 30 ms into the wait for a quiet line after a silence,
// and ends inside a frame (its last bytes a sync byte and the start of a
// frame to the master, E0 00 05 01) before the wait would have ended: that
// frame pauses, so it is dead and breaks no quiet, but the wait holds until
// it is (kJvsByteWaitMs after those last bytes), and the next frame goes
// at most kJvsQuietMs after them, whatever came before them (a flood with
// sync bytes or without, sparse bursts); on a loaded machine whose looks at
// the line come 3 ms late, within two late looks and a wait's slice after
// that. A byte outside frames after it makes no wait, and the next answer
// is taken.
TEST_F(WireTest, NoiseThatEndsIsWaitedOutFromItsLastByte) {
  using testsupport::SimLineNoise;
  const SimLineNoise kinds[] = {SimLineNoise::Flood(3, true, 100, true), SimLineNoise::Flood(3, false, 100, true),
                                SimLineNoise{3, 5, 40, 3, true, 60, true}};
  for (uint32_t late : {0u, 3u}) {
    for (const SimLineNoise& noise : kinds) {
      SCOPED_TRACE(testing::Message() << "bursts of " << noise.bytes << (noise.syncBytes ? " with" : " without")
                                      << " sync bytes, looks " << late << " ms late");
      Request();
      uint8_t buf[kJvsReplyBuffer];
      int n = 0;
      ASSERT_EQ(JvsReceiveAnswer(buf, sizeof buf, &n), JvsReceipt::kSilence);
      const uint32_t silent = wire_.NowMs();
      wire_.SetLineNoise(noise, 30);
      wire_.lateLooksMs = late;
      const uint32_t sent = Request();
      wire_.lateLooksMs = 0;
      EXPECT_GE(sent, std::max(wire_.LastNoiseAt() + kJvsByteWaitMs, silent + kJvsQuietMs));
      // A byte is seen at most a slice and a late look after it came; the
      // quiet is seen at most a late look after it is whole.
      EXPECT_LE(sent, wire_.LastNoiseAt() + kJvsQuietMs + (late ? 5 + 2 * late : 0));
      const uint32_t stray = JvsGetStrayByteCount();
      wire_.Inject({0x55});
      EXPECT_EQ(Request(), sent);
      EXPECT_EQ(JvsGetStrayByteCount(), stray + 1);
      wire_.Inject({0xE0, 0x00, 0x03, 0x01, 0x01, 0x05}, 1);
      EXPECT_EQ(JvsReceiveAnswer(buf, sizeof buf, &n), JvsReceipt::kAnswer);
    }
  }
}

// Frames that pause on the wait for a quiet line after a silence, worked by
// hand (the wait begins at S, the silence's end): a frame that pauses
// kJvsByteWaitMs is dead, its bytes counted outside frames, and it breaks no
// quiet; one that does not is a frame, and the quiet begins after it. The
// next frame goes out at the time given, and the bytes outside frames and
// the frames dropped meanwhile are those given.
TEST_F(WireTest, AFrameThatPausesIsDeadAndMakesNoWait) {
  struct Part {
    uint32_t at;  // after S
    Bytes bytes;
  };
  struct Case {
    const char* what;
    std::vector<Part> parts;
    uint32_t sent;  // after S
    uint32_t stray, dropped;
  } cases[] = {
      {"a sync byte alone", {{30, {0xE0}}}, kJvsQuietMs, 1, 0},
      {"a sync byte alone, late in the wait: dead 20 ms on", {{140, {0xE0}}}, 160, 1, 0},
      // E0 00 FF asks for 254 more bytes: one every 100 ms never ends it.
      {"a header cut short, then a stray byte every 100 ms",
       {{30, {0xE0, 0x00, 0xFF}}, {130, {0x55}}, {230, {0x55}}, {330, {0x55}}},
       kJvsQuietMs, 4, 0},
      {"half a frame, its rest 30 ms on", {{30, {0xE0, 0x00, 0x03, 0x01}}, {60, {0x01, 0x05}}}, kJvsQuietMs, 6, 0},
      {"half a frame, its rest 15 ms on", {{30, {0xE0, 0x00, 0x03, 0x01}}, {45, {0x01, 0x05}}}, 45 + kJvsQuietMs, 0, 1},
      {"a frame", {{30, {0xE0, 0x00, 0x03, 0x01, 0x01, 0x05}}}, 30 + kJvsQuietMs, 0, 1},
      {"another node's frame", {{30, {0xE0, 0x05, 0x03, 0x01, 0x01, 0x0A}}}, 30 + kJvsQuietMs, 4, 0},
      {"a sync byte alone, then a frame", {{30, {0xE0}}, {60, {0xE0, 0x00, 0x02, 0x01, 0x03}}}, 60 + kJvsQuietMs, 1,
       1},
      {"a sync byte every 60 ms", {{10, {0xE0}}, {70, {0xE0}}, {130, {0xE0}}, {190, {0xE0}}}, 150, 3, 0},
  };
  // No node hears a request (node 0 would answer).
  wire_.script = [](bool request) { return request ? testsupport::SimJvsWire::kLost : testsupport::SimJvsWire::kWhole; };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    Request(0);
    uint8_t buf[kJvsReplyBuffer];
    int n = 0;
    ASSERT_EQ(JvsReceiveAnswer(buf, sizeof buf, &n), JvsReceipt::kSilence);
    const uint32_t s = wire_.NowMs();
    for (const Part& p : c.parts) wire_.Inject(p.bytes, p.at);
    const uint32_t stray = JvsGetStrayByteCount(), dropped = JvsGetDroppedReplyCount();
    EXPECT_ALL({VAL(Request(0) - s, c.sent), VAL(JvsGetStrayByteCount() - stray, c.stray),
                VAL(JvsGetDroppedReplyCount() - dropped, c.dropped), VAL(JvsLastWriteOnNoise(), false)});
    wire_.Advance(1000);
    wire_.TakeWritten();
  }
}

// The rest of a frame that a receive ended inside goes on in the next wait
// for a quiet line, worked by hand. Cut by the receive's silence, the frame
// paused: dead, its bytes and its tail's counted outside frames, and the
// next frame goes kJvsQuietMs after the silence (the tail, 10 ms after it,
// breaks no quiet). Begun after the answer, in the same read, and ended
// 2 ms later: a frame, dropped, and the next frame waits a quiet line out; begun so and not ended when the next frame is written, it makes no
// wait (its rest, with no sync byte before it, is no frame for the receive
// after that frame).
TEST_F(WireTest, TheRestOfAFrameGoesOnInTheWaitAfterTheReceive) {
  uint8_t buf[kJvsReplyBuffer];
  int n = 0;
  // Node 0's status answer E0 00 05 01 01 5A 01 62: its head 1 ms after the
  // request, its tail 30 ms later.
  uint32_t sent = Request();
  wire_.Inject({0xE0, 0x00, 0x05, 0x01, 0x01}, 1);
  wire_.Inject({0x5A, 0x01, 0x62}, 31);
  ASSERT_EQ(JvsReceiveAnswer(buf, sizeof buf, &n), JvsReceipt::kSilence);
  EXPECT_EQ(wire_.NowMs(), sent + 1 + kJvsByteWaitMs);
  uint32_t stray = JvsGetStrayByteCount(), dropped = JvsGetDroppedReplyCount();
  EXPECT_EQ(Request(), sent + 1 + kJvsByteWaitMs + kJvsQuietMs);
  EXPECT_ALL({VAL(JvsGetStrayByteCount() - stray, 8u), VAL(JvsGetDroppedReplyCount() - dropped, 0u)});

  const Bytes answer = {0xE0, 0x00, 0x03, 0x01, 0x01, 0x05};
  for (bool ends : {true, false}) {
    SCOPED_TRACE(ends ? "a frame after the answer" : "a frame begun after the answer");
    wire_.Advance(1000);
    Request();
    Bytes bytes = answer;
    bytes.insert(bytes.end(), {0xE0, 0x00, 0x02});
    wire_.Inject(bytes, 1);
    if (ends) wire_.Inject({0x01, 0x03}, 3);
    ASSERT_EQ(JvsReceiveAnswer(buf, sizeof buf, &n), JvsReceipt::kAnswer);
    const uint32_t answered = wire_.NowMs();
    wire_.Advance(5);
    stray = JvsGetStrayByteCount(), dropped = JvsGetDroppedReplyCount();
    sent = Request();
    if (ends) {
      EXPECT_EQ(sent, answered + 5 + kJvsQuietMs);
      EXPECT_ALL({VAL(JvsGetStrayByteCount() - stray, 0u), VAL(JvsGetDroppedReplyCount() - dropped, 1u)});
    } else {
      EXPECT_EQ(sent, answered + 5);
      EXPECT_ALL({VAL(JvsGetStrayByteCount() - stray, 3u), VAL(JvsGetDroppedReplyCount() - dropped, 0u)});
    }
  }
}

// A gap between two looks at the line (the master's thread did not run for
// 300 ms) counts kJvsByteWaitMs at most toward a receive's or a wait's
// bound: it is no time the line was watched. Worked by hand. Mid-answer:
// the head of node 0's status answer (E0 00 05 01 01) 1 ms after the
// request, the gap, its tail (5A 01 62) 5 ms after the look that ends the
// gap: the answer is read. Mid-wait, after a silence: another node's frame
// right before the look that ends the gap: the quiet begins after it, and
// the line is found quiet kJvsQuietMs later, the wait not run out.
TEST_F(WireTest, AGapBetweenLooksCountsTheByteWaitAtMost) {
  wire_.script = [](bool request) { return request ? testsupport::SimJvsWire::kLost : testsupport::SimJvsWire::kWhole; };
  uint8_t buf[kJvsReplyBuffer];
  int n = 0;
  uint32_t sent = Request(0);
  wire_.Inject({0xE0, 0x00, 0x05, 0x01, 0x01}, 1);
  wire_.lateOnceMs = 300;
  // The first look finds nothing; its wait of 1 ms ends 300 ms late.
  wire_.Inject({0x5A, 0x01, 0x62}, 1 + 300 + 5);
  EXPECT_EQ(JvsReceiveAnswer(buf, sizeof buf, &n), JvsReceipt::kAnswer);
  EXPECT_EQ(Bytes(buf, buf + n), (Bytes{0x01, 0x01, 0x5A, 0x01}));

  wire_.Advance(1000);
  sent = Request(0);
  ASSERT_EQ(JvsReceiveAnswer(buf, sizeof buf, &n), JvsReceipt::kSilence);
  const uint32_t silent = wire_.NowMs();
  EXPECT_EQ(silent, sent + kJvsByteWaitMs);
  wire_.lateOnceMs = 300;
  // The wait's first slice (5 ms) ends 300 ms late; the frame came 2 ms
  // before.
  wire_.Inject({0xE0, 0x05, 0x02, 0x01, 0x08}, 5 + 300 - 2);
  const uint32_t errors = JvsGetErrorCount();
  EXPECT_EQ(Request(0), silent + 5 + 300 + kJvsQuietMs);
  EXPECT_ALL({VAL(JvsLastWriteOnNoise(), false), VAL(JvsGetErrorCount(), errors)});
}

// A line that never pauses: the receive gives up kJvsReceiveMs after the
// request without a frame for the master, and the wait for a quiet line
// kJvsSettleMs after it began; its frame is then written all the same. Each
// says what it met. An answer then leaves the line settled: the next frame
// goes at once, on no wait, so not on noise (the line still counts as
// noisy: no wait has found it quiet). A close ends either at once.
TEST_F(WireTest, ALineThatKeepsTalkingEndsTheWaits) {
  // Frames for node 5, 6 bytes each, one every millisecond from the
  // request on: never kJvsQuietMs apart.
  const Bytes other = {0xE0, 0x05, 0x03, 0x01, 0x01, 0x0A};
  const uint32_t sent = Request();
  for (uint32_t t = 1; t <= 6000; ++t) wire_.Inject(other, t);
  uint8_t buf[kJvsReplyBuffer];
  int n = 0;
  const uint32_t errors = JvsGetErrorCount();
  EXPECT_EQ(JvsReceiveAnswer(buf, sizeof buf, &n), JvsReceipt::kTalking);
  // 145 frames came in the 145 ms: 870 bytes.
  EXPECT_ALL({VAL(wire_.NowMs(), sent + kJvsReceiveMs), VAL(JvsGetLastNoise().bytes, 145u * 6),
              VAL(JvsGetLastNoise().ms, kJvsReceiveMs)});
  // Every answer owed has come by then: the frame goes out all the same.
  const uint8_t cmd[1] = {0x11};
  JvsQueueCommand(1, cmd, 1);
  wire_.TakeWritten();
  EXPECT_EQ(JvsSendFrame(1), 1);
  EXPECT_ALL({VAL(wire_.NowMs(), sent + kJvsReceiveMs + kJvsSettleMs), VAL(JvsGetLastNoise().bytes, 290u * 6),
              VAL(JvsGetLastNoise().ms, kJvsSettleMs), VAL(JvsGetErrorCount() - errors, 2u),
              VAL(JvsLastWriteOnNoise(), true), VAL(wire_.TakeWritten().size(), size_t{1})});
  wire_.Inject({0xE0, 0x00, 0x03, 0x01, 0x01, 0x05}, 1);
  ASSERT_EQ(JvsReceiveAnswer(buf, sizeof buf, &n), JvsReceipt::kAnswer);
  const uint32_t answered = wire_.NowMs();
  EXPECT_EQ(JvsSendFrame(1), 1);
  EXPECT_ALL({VAL(wire_.NowMs(), answered), VAL(JvsLastWriteOnNoise(), false), VAL(JvsLineNoisy(), true)});
  JvsCancelWaits();
  EXPECT_EQ(JvsReceiveAnswer(buf, sizeof buf, &n), JvsReceipt::kClosed);
  EXPECT_EQ(JvsSendFrame(1), -1);
}

}  // namespace
