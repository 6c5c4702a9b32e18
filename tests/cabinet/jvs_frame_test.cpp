#include "cabinet/JvsFrame.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <stdlib.h>
#include <termios.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <string>
#include <thread>
#include <vector>

#include "platform/serial_port.h"
#include "support/ExpectAll.h"
#include "support/Eventually.h"
#include "support/FakeClock.h"

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
    if (receiver_.joinable()) receiver_.join();
    JvsClosePort();
    JvsSetPortLines(nullptr);
    JvsSetClock(nullptr);
    JvsClearQueues();
  }
  // On the fake bus clock: sends node 1 a request and waits for its reply
  // on a thread of its own (the result in got_, the reply in buf_).
  void StartReceive() {
    JvsSetClock(&clock_);
    const uint8_t cmd[1] = {0x11};
    JvsQueueCommand(1, cmd, 1);
    JvsSendFrame(1);
    pty_.Take();
    drops_ = pty_.rtsDrops.load();
    receiver_ = std::thread([this] { got_ = JvsReceiveFrame(buf_, sizeof buf_, 1); });
  }
  // Lets the receiver's next wait for a byte run out once it has begun:
  // nothing is asked while the clock stands still, however long; after
  // 20 ms of it, what the port wrote.
  // The receiver thread gets to its wait when it is scheduled: the bounds
  // (30 s each) only keep a broken receive from hanging the test.
  Bytes RunOutOneWait() {
    for (int i = 0; i < 6000 && pty_.rtsDrops.load() == drops_; ++i) pty_.Take(5);
    EXPECT_NE(pty_.rtsDrops.load(), drops_) << "the receiver never began to wait for a byte";
    drops_ = pty_.rtsDrops.load();
    EXPECT_TRUE(pty_.Take(50).empty());
    clock_.Advance(kJvsByteWaitMs);
    Bytes asked;
    for (int i = 0; i < 600 && asked.empty(); ++i) asked = pty_.Take(50);
    return asked;
  }
  RawPty pty_;
  testsupport::FakeClock clock_;
  std::thread receiver_;
  int drops_ = 0;
  int got_ = 0;
  uint8_t buf_[kJvsReplyBuffer] = {};
  const Bytes askAgain_ = {0xE0, 0x01, 0x02, 0x2F, 0x32};  // sum 1 + 0x31
};

// A check that takes only replies of the given length, whole.
size_t LengthIs(const void* want, const uint8_t*, size_t length) {
  return length == *static_cast<const size_t*>(want) ? length : 0;
}

// A check whose reports take the given number of bytes: a longer frame
// carries bytes after them, a shorter one cannot answer.
size_t ReportsTake(const void* want, const uint8_t*, size_t length) {
  const size_t w = *static_cast<const size_t*>(want);
  return length >= w ? w : 0;
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

TEST_F(FrameTest, ReceiveAsksForResendsAndGivesUp) {
  const uint8_t cmd[1] = {0x10};
  JvsQueueCommand(1, cmd, 1);
  JvsSendFrame(1);
  const Bytes request = pty_.Take();
  const Bytes resendAsk = {0xE0, 0x01, 0x02, 0x2F, 0x32};  // sum 1 + 0x31
  const Bytes bad = {0xE0, 0x00, 0x03, 0x01, 0x01, 0x09};
  const Bytes good = {0xE0, 0x00, 0x03, 0x01, 0x01, 0x05};
  uint8_t buf[kJvsReplyBuffer];

  // Two bad sums, then a good frame: two resend requests, then the data.
  pty_.Send(bad);
  pty_.Send(bad);
  pty_.Send(good);
  const uint32_t before = JvsGetErrorCount();
  EXPECT_EQ(JvsReceiveFrame(buf, sizeof buf, 1), 2);
  EXPECT_EQ(JvsGetErrorCount() - before, 2u);
  Bytes want = resendAsk;
  want.insert(want.end(), resendAsk.begin(), resendAsk.end());
  EXPECT_EQ(pty_.Take(), want);

  // Six bad sums end the receive.
  for (int i = 0; i < 6; ++i) pty_.Send(bad);
  EXPECT_EQ(JvsReceiveFrame(buf, sizeof buf, 0), -1);
  EXPECT_TRUE(pty_.Take().empty());  // no resend requests without the flag

  // A node that saw a bad sum gets the request again, unchanged.
  pty_.Send({0xE0, 0x00, 0x02, 0x03, 0x05});
  pty_.Send(good);
  EXPECT_EQ(JvsReceiveFrame(buf, sizeof buf, 1), 2);
  EXPECT_EQ(pty_.Take(), request);
  // Six such replies: six errors, each one followed by the request again,
  // the sixth too, then -1.
  ASSERT_EQ(request, (Bytes{0xE0, 0x01, 0x02, 0x10, 0x13}));  // 1 + 2 + 0x10
  for (int i = 0; i < 6; ++i) pty_.Send({0xE0, 0x00, 0x02, 0x03, 0x05});
  const uint32_t errorsBefore = JvsGetErrorCount();
  EXPECT_EQ(JvsReceiveFrame(buf, sizeof buf, 1), -1);
  EXPECT_EQ(JvsGetErrorCount() - errorsBefore, 6u);
  Bytes sixTimes;
  for (int i = 0; i < 6; ++i) sixTimes.insert(sixTimes.end(), request.begin(), request.end());
  EXPECT_EQ(pty_.Take(), sixTimes);

  // Silence: six empty reads of 20 ms, then -1.
  EXPECT_EQ(JvsReceiveFrame(buf, sizeof buf, 1), -1);
  EXPECT_EQ(pty_.Take().size(), 6 * resendAsk.size());

  // Status 0 or above 4, and a frame longer than the caller's buffer.
  pty_.Send({0xE0, 0x00, 0x02, 0x05, 0x07});
  EXPECT_EQ(JvsReceiveFrame(buf, sizeof buf, 0), -1);
  pty_.Send(good);
  EXPECT_EQ(JvsReceiveFrame(buf, 1, 0), -1);
}

// Bytes that came before a request cannot answer it: the send drops them.
TEST_F(FrameTest, StaleInputIsDroppedBeforeARequest) {
  const Bytes stale = {0xE0, 0x00, 0x03, 0x01, 0x01, 0x05};
  const Bytes fresh = {0xE0, 0x00, 0x04, 0x01, 0x01, 0x07, 0x0D};
  pty_.Send(stale);
  pty_.Send({0x01, 0x02});  // the tail of a frame whose start was lost
  const uint32_t dropped = JvsGetDroppedReplyCount();
  const uint8_t cmd[1] = {0x11};
  JvsQueueCommand(1, cmd, 1);
  ASSERT_EQ(JvsSendFrame(1), 1);
  EXPECT_EQ(JvsGetDroppedReplyCount() - dropped, 1u);
  pty_.Send(fresh);
  uint8_t buf[kJvsReplyBuffer];
  ASSERT_EQ(JvsReceiveFrame(buf, sizeof buf, 1), 3);
  EXPECT_EQ(Bytes(buf, buf + 3), (Bytes{0x01, 0x01, 0x07}));
  // The master's own command frames drop them too, and leave the queue.
  pty_.Take();
  pty_.Send(stale);
  const uint8_t apply[1] = {0x04};
  ASSERT_EQ(JvsSendBytes(0, apply, 1), 1);
  EXPECT_EQ(JvsGetDroppedReplyCount() - dropped, 2u);
  EXPECT_EQ(pty_.Take(), (Bytes{0xE0, 0x00, 0x02, 0x04, 0x06}));
  EXPECT_EQ(JvsQueuedCount(1), 1u);
}

// The drop of stale input before a request looks at no more than
// kJvsMaxReceiveBytes (8,256) bytes: a node that never stops talking cannot
// hold the request back. More than that waits, in 5-byte frames: 1,651
// whole frames lie within the first 8,256 bytes.
TEST_F(FrameTest, StaleInputDropIsBounded) {
  const Bytes frame = {0xE0, 0x00, 0x02, 0x01, 0x03};
  Bytes wire;
  for (int i = 0; i < 2400; ++i) wire.insert(wire.end(), frame.begin(), frame.end());
  // A pseudo-terminal takes some 11 to 21 KB before a write has to wait.
  ASSERT_GT(pty_.SendSome(wire), 8256u + 5u) << "the terminal took too little to test the bound";
  const uint32_t dropped = JvsGetDroppedReplyCount();
  const uint8_t cmd[1] = {0x11};
  JvsQueueCommand(1, cmd, 1);
  ASSERT_EQ(JvsSendFrame(1), 1);
  EXPECT_EQ(JvsGetDroppedReplyCount() - dropped, 1651u);
}

// A frame the check refuses is dropped and counted; the wait goes on for
// one that answers the request.
TEST_F(FrameTest, RefusedFramesAreDroppedAndTheWaitGoesOn) {
  const uint8_t cmd[1] = {0x11};
  JvsQueueCommand(1, cmd, 1);
  JvsSendFrame(1);
  pty_.Take();
  pty_.Send({0xE0, 0x00, 0x03, 0x01, 0x01, 0x05});        // 2 bytes: not the answer
  pty_.Send({0xE0, 0x00, 0x04, 0x01, 0x01, 0x13, 0x19});  // 3 bytes
  const uint32_t dropped = JvsGetDroppedReplyCount(), errors = JvsGetErrorCount();
  const size_t want = 3;
  uint8_t buf[kJvsReplyBuffer];
  ASSERT_EQ(JvsReceiveReply(buf, sizeof buf, 1, &LengthIs, &want), 3);
  EXPECT_EQ(buf[2], 0x13);
  const JvsReceiveStats st = JvsLastReceiveStats();
  EXPECT_EQ(JvsGetDroppedReplyCount() - dropped, 1u);
  EXPECT_EQ(JvsGetErrorCount(), errors);  // not an error: nothing was asked again
  EXPECT_EQ(st.refused, 1);
  EXPECT_TRUE(pty_.Take().empty());
}

// The wait for a byte is measured on the bus clock: on a clock that does
// not move it never runs out, and it runs out once the clock has moved
// 20 ms. A reply asked for again after that may come twice: the late copy
// is dropped, here or in the next receive.
TEST_F(FrameTest, ByteWaitsRunOnTheBusClockAndLateCopiesAreDropped) {
  StartReceive();
  EXPECT_EQ(RunOutOneWait(), askAgain_);
  const Bytes reply = {0xE0, 0x00, 0x04, 0x01, 0x01, 0x13, 0x19};
  pty_.Send(reply);  // the copy
  receiver_.join();
  ASSERT_EQ(got_, 3);
  const uint32_t dropped = JvsGetDroppedReplyCount();
  // The first answer comes late, during the next receive.
  pty_.Send(reply);
  pty_.Send({0xE0, 0x00, 0x04, 0x01, 0x01, 0x14, 0x1A});
  ASSERT_EQ(JvsReceiveFrame(buf_, sizeof buf_, 1), 3);
  EXPECT_EQ(buf_[2], 0x14);
  EXPECT_EQ(JvsGetDroppedReplyCount() - dropped, 1u);
  EXPECT_EQ(JvsLastReceiveStats().lateCopies, 1);
  // Only one copy is dropped: the same frame again is a reply.
  pty_.Send(reply);
  EXPECT_EQ(JvsReceiveFrame(buf_, sizeof buf_, 1), 3);
  EXPECT_EQ(JvsGetDroppedReplyCount() - dropped, 1u);
  // A wait that would not end is cut short by the close.
  int got = 0;
  std::thread waiting([&] { got = JvsReceiveFrame(buf_, sizeof buf_, 0); });
  EXPECT_TRUE(pty_.Take(50).empty());
  JvsCancelWaits();
  waiting.join();
  EXPECT_EQ(got, -1);
}

// Two waits ran out before the copy came: the first answer and the second
// copy may both still come, and both are dropped.
TEST_F(FrameTest, EachRequestToSendAgainLeavesALateCopy) {
  StartReceive();
  EXPECT_EQ(RunOutOneWait(), askAgain_);
  EXPECT_EQ(RunOutOneWait(), askAgain_);
  const Bytes reply = {0xE0, 0x00, 0x04, 0x01, 0x01, 0x13, 0x19};
  pty_.Send(reply);  // the first copy
  receiver_.join();
  ASSERT_EQ(got_, 3);
  const uint32_t dropped = JvsGetDroppedReplyCount();
  pty_.Send(reply);  // the second copy
  pty_.Send(reply);  // the first answer
  pty_.Send({0xE0, 0x00, 0x04, 0x01, 0x01, 0x14, 0x1A});
  ASSERT_EQ(JvsReceiveFrame(buf_, sizeof buf_, 1), 3);
  EXPECT_EQ(buf_[2], 0x14);
  EXPECT_EQ(JvsGetDroppedReplyCount() - dropped, 2u);
}

// A late reply and its copy come in one read: the copy, after the frame
// taken, is looked at before the next request and dropped as the copy it is;
// the genuine reply after that request, the same frame, is taken.
TEST_F(FrameTest, FrameAfterTheOneTakenInTheSameReadIsChecked) {
  StartReceive();
  EXPECT_EQ(RunOutOneWait(), askAgain_);
  const Bytes reply = {0xE0, 0x00, 0x04, 0x01, 0x01, 0x13, 0x19};
  const Bytes other = {0xE0, 0x00, 0x04, 0x01, 0x01, 0x14, 0x1A};
  Bytes both = reply;
  both.insert(both.end(), reply.begin(), reply.end());
  pty_.Send(both);  // the first answer and the copy, in one write
  receiver_.join();
  ASSERT_EQ(got_, 3);
  const uint32_t dropped = JvsGetDroppedReplyCount();
  ASSERT_EQ(JvsSendFrame(1), 1);
  EXPECT_EQ(JvsGetDroppedReplyCount() - dropped, 1u);
  Bytes next = reply;
  next.insert(next.end(), other.begin(), other.end());
  pty_.Send(next);
  ASSERT_EQ(JvsReceiveFrame(buf_, sizeof buf_, 1), 3);
  EXPECT_EQ(buf_[2], 0x13);  // the genuine reply, not taken for a copy
  EXPECT_EQ(JvsGetDroppedReplyCount() - dropped, 1u);
}

// Three copies of a reply in one read after two requests to send it again:
// the next receive looks at the two after the one taken first, drops them
// as copies, and takes every later reply.
TEST_F(FrameTest, CopiesLeftInAReadComeFirstInTheNextReceive) {
  StartReceive();
  EXPECT_EQ(RunOutOneWait(), askAgain_);
  EXPECT_EQ(RunOutOneWait(), askAgain_);
  const Bytes reply = {0xE0, 0x00, 0x04, 0x01, 0x01, 0x13, 0x19};
  Bytes three;
  for (int i = 0; i < 3; ++i) three.insert(three.end(), reply.begin(), reply.end());
  pty_.Send(three);
  receiver_.join();
  ASSERT_EQ(got_, 3);
  const uint32_t dropped = JvsGetDroppedReplyCount();
  pty_.Send({0xE0, 0x00, 0x04, 0x01, 0x01, 0x14, 0x1A});
  ASSERT_EQ(JvsReceiveFrame(buf_, sizeof buf_, 1), 3);
  EXPECT_EQ(buf_[2], 0x14);
  EXPECT_EQ(JvsLastReceiveStats().lateCopies, 2);
  // The same frame as the copies is a reply now, each time.
  for (int i = 0; i < 2; ++i) {
    Bytes next = reply;
    const Bytes other = {0xE0, 0x00, 0x04, 0x01, 0x01, 0x15, 0x1B};
    next.insert(next.end(), other.begin(), other.end());
    pty_.Send(next);
    ASSERT_EQ(JvsReceiveFrame(buf_, sizeof buf_, 1), 3);
    ASSERT_EQ(buf_[2], 0x13) << i;  // else the next receive would wait for good
    ASSERT_EQ(JvsReceiveFrame(buf_, sizeof buf_, 1), 3);
    EXPECT_EQ(buf_[2], 0x15) << i;
  }
  EXPECT_EQ(JvsGetDroppedReplyCount() - dropped, 2u);
}

// A frame with a right sum and no status byte (length 1: the sum alone) is
// damaged, as a frame with a wrong sum is: an error, and a request to send
// the reply again; six of them end the receive.
TEST_F(FrameTest, FrameWithoutAStatusByteIsDamaged) {
  const Bytes noStatus = {0xE0, 0x00, 0x01, 0x01};  // length 1, sum 1
  const Bytes good = {0xE0, 0x00, 0x03, 0x01, 0x01, 0x05};
  const uint8_t cmd[1] = {0x10};
  JvsQueueCommand(1, cmd, 1);
  JvsSendFrame(1);
  pty_.Take();
  uint8_t buf[kJvsReplyBuffer];
  struct Case {
    const char* what;
    int frames;  // frames without a status byte before the good one
    int want;
  } cases[] = {{"one, then the reply", 1, 2}, {"five, then the reply", 5, 2}, {"six", 6, -1}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    Bytes wire;
    for (int i = 0; i < c.frames; ++i) wire.insert(wire.end(), noStatus.begin(), noStatus.end());
    wire.insert(wire.end(), good.begin(), good.end());
    pty_.Send(wire);
    const uint32_t errors = JvsGetErrorCount();
    EXPECT_EQ(JvsReceiveFrame(buf, sizeof buf, 1), c.want);
    EXPECT_EQ(JvsGetErrorCount() - errors, uint32_t(c.frames));
    EXPECT_EQ(JvsLastReceiveStats().damaged, c.frames);
    EXPECT_EQ(pty_.Take(), [&] {
      Bytes asks;
      for (int i = 0; i < c.frames; ++i) asks.insert(asks.end(), askAgain_.begin(), askAgain_.end());
      return asks;
    }());
    JvsSendFrame(1);  // drops the reply the last case left
    pty_.Take();
  }
}

// Frames that do not answer the request count toward the errors of the
// receive: six end it, without a wait on the clock (which stands still) and
// without a request to send again; five are borne. They are not counted as
// errors of the module: nothing was asked again.
TEST_F(FrameTest, RefusedFramesEndTheReceiveAfterSix) {
  JvsSetClock(&clock_);
  const Bytes shortFrame = {0xE0, 0x00, 0x03, 0x01, 0x01, 0x05};         // 2 bytes
  const Bytes reply = {0xE0, 0x00, 0x04, 0x01, 0x01, 0x13, 0x19};        // 3 bytes
  const size_t want = 3;
  for (int refused : {5, 6}) {
    SCOPED_TRACE(refused);
    const uint8_t cmd[1] = {0x11};
    JvsQueueCommand(1, nullptr, 0);
    JvsQueueCommand(1, cmd, 1);
    JvsSendFrame(1);
    pty_.Take();
    Bytes wire;
    for (int i = 0; i < refused; ++i) wire.insert(wire.end(), shortFrame.begin(), shortFrame.end());
    if (refused == 5) wire.insert(wire.end(), reply.begin(), reply.end());
    pty_.Send(wire);
    const uint32_t errors = JvsGetErrorCount();
    std::atomic<bool> done{false};
    std::atomic<int> got{0};
    std::thread t([&] {
      got = JvsReceiveReply(buf_, sizeof buf_, 1, &LengthIs, &want);
      done = true;
    });
    Bytes written;  // what the port wrote meanwhile
    for (int i = 0; i < 6000 && !done; ++i) {
      const Bytes b = pty_.Take(5);
      written.insert(written.end(), b.begin(), b.end());
    }
    const bool ended = done.load();
    if (!ended) JvsCancelWaits();  // a receive that never ends: end it to fail cleanly
    t.join();
    ASSERT_TRUE(ended) << "the receive waited on";
    EXPECT_EQ(got.load(), refused == 5 ? 3 : -1);
    EXPECT_EQ(JvsLastReceiveStats().refused, refused);
    EXPECT_EQ(JvsGetErrorCount(), errors);
    const Bytes rest = pty_.Take();
    written.insert(written.end(), rest.begin(), rest.end());
    EXPECT_TRUE(written.empty());  // nothing asked again
  }
}

// A reply to a request as sent ends with its reports: a frame with a byte
// after them is refused, and the wait goes on for the one that answers.
// Once the node was asked to send its reply again, a copy may carry bytes
// after its reports and is taken.
TEST_F(FrameTest, BytesAfterTheReportsOnlyInACopyAskedFor) {
  const size_t reports = 3;
  const Bytes exact = {0xE0, 0x00, 0x04, 0x01, 0x01, 0x13, 0x19};
  const Bytes longer = {0xE0, 0x00, 0x05, 0x01, 0x01, 0x13, 0xA1, 0xBB};  // 5 + 1 + 1 + 0x13 + 0xA1
  const uint8_t cmd[1] = {0x11};
  JvsQueueCommand(1, cmd, 1);
  JvsSendFrame(1);
  pty_.Take();
  Bytes both = longer;
  both.insert(both.end(), exact.begin(), exact.end());
  pty_.Send(both);
  const uint32_t dropped = JvsGetDroppedReplyCount();
  ASSERT_EQ(JvsReceiveReply(buf_, sizeof buf_, 1, &ReportsTake, &reports), 3);
  EXPECT_EQ(Bytes(buf_, buf_ + 3), (Bytes{0x01, 0x01, 0x13}));
  EXPECT_EQ(JvsLastReceiveStats().refused, 1);
  EXPECT_EQ(JvsGetDroppedReplyCount() - dropped, 1u);

  // Asked again after a damaged frame: the longer copy is the answer.
  JvsSendFrame(1);
  pty_.Take();
  pty_.Send({0xE0, 0x00, 0x04, 0x01, 0x01, 0x13, 0x00});  // wrong sum
  pty_.Send(longer);
  ASSERT_EQ(JvsReceiveReply(buf_, sizeof buf_, 1, &ReportsTake, &reports), 4);
  EXPECT_EQ(buf_[3], 0xA1);
  EXPECT_EQ(JvsLastReceiveStats().refused, 0);
  EXPECT_EQ(pty_.Take(), askAgain_);
}

// Two requests to send the reply again, and the node sends only one copy:
// the next reply of that node, the same as the copy, is held, and taken once
// the wait for a further byte has run out: no error, nothing asked again,
// nothing dropped. The copies are expected no longer: the same frame again
// is taken at once.
TEST_F(FrameTest, FewerCopiesThanAskedForCostNoReply) {
  StartReceive();
  EXPECT_EQ(RunOutOneWait(), askAgain_);
  EXPECT_EQ(RunOutOneWait(), askAgain_);
  const Bytes reply = {0xE0, 0x00, 0x04, 0x01, 0x01, 0x13, 0x19};
  pty_.Send(reply);  // the one copy
  receiver_.join();
  ASSERT_EQ(got_, 3);
  const uint32_t dropped = JvsGetDroppedReplyCount(), errors = JvsGetErrorCount();
  for (int i = 0; i < 2; ++i) {
    SCOPED_TRACE(i);
    ASSERT_EQ(JvsSendFrame(1), 1);
    pty_.Take();
    pty_.Send(reply);  // the node's answer
    std::atomic<bool> done{false};
    receiver_ = std::thread([&] {
      got_ = JvsReceiveFrame(buf_, sizeof buf_, 1);
      done = true;
    });
    Bytes written;  // what the port wrote meanwhile
    auto within = [&](auto pred) {
      for (int k = 0; k < 6000 && !pred(); ++k) {
        const Bytes b = pty_.Take(5);
        written.insert(written.end(), b.begin(), b.end());
      }
      return pred();
    };
    if (i == 0) {
      // Held: the receiver waits for a further byte; once that wait has run
      // out it takes the frame.
      EXPECT_TRUE(within([&] { return done || (JvsGetDroppedReplyCount() != dropped && pty_.rtsLow); }));
      clock_.Advance(kJvsByteWaitMs);
    }
    const bool ended = within([&] { return done.load(); });
    if (!ended) JvsCancelWaits();  // a receive that waits on: end it to fail cleanly
    receiver_.join();
    ASSERT_TRUE(ended) << "the receive waited on";
    ASSERT_EQ(got_, 3);
    EXPECT_EQ(Bytes(buf_, buf_ + 3), (Bytes{0x01, 0x01, 0x13}));
    EXPECT_EQ(JvsGetDroppedReplyCount(), dropped);
    EXPECT_EQ(JvsGetErrorCount(), errors);
    const Bytes rest = pty_.Take();
    written.insert(written.end(), rest.begin(), rest.end());
    EXPECT_TRUE(written.empty());  // nothing asked again
  }
}

// A node asked to send its reply again that never heard the request sends
// its previous reply. Node 1 last answered with the three bytes 01 01 13;
// the request now waiting takes a four-byte answer, so that reply cannot be
// it: once the wait has run out and the node was asked again, the previous
// reply (as sent, or lengthened by a byte) is dropped and the request itself
// goes out again, byte for byte; its answer is taken. One error (the wait),
// one request to send again, one frame dropped.
TEST_F(FrameTest, PreviousReplyAskedAgainSendsTheRequestAgain) {
  JvsSetClock(&clock_);
  const size_t three = 3, four = 4;
  const Bytes previous = {0xE0, 0x00, 0x04, 0x01, 0x01, 0x13, 0x19};               // 4 + 1 + 1 + 0x13
  const Bytes previousLonger = {0xE0, 0x00, 0x05, 0x01, 0x01, 0x13, 0xA1, 0xBB};   // 5 + 1 + 1 + 0x13 + 0xA1
  const Bytes answer = {0xE0, 0x00, 0x05, 0x01, 0x01, 0x14, 0x02, 0x1D};           // 5 + 1 + 1 + 0x14 + 2
  const Bytes request = {0xE0, 0x01, 0x02, 0x11, 0x14};                            // 1 + 2 + 0x11
  const uint8_t cmd[1] = {0x11};
  JvsQueueCommand(1, cmd, 1);
  // Takes `previous` as node 1's last reply.
  auto answerWithPrevious = [&] {
    ASSERT_EQ(JvsSendFrame(1), 1);
    pty_.Take();
    pty_.Send(previous);
    ASSERT_EQ(JvsReceiveReply(buf_, sizeof buf_, 1, &LengthIs, &three), 3);
  };
  // Sends the request again and waits for its answer on a thread of its own.
  std::atomic<bool> done{false};
  auto startWaiting = [&](const size_t* want) {
    ASSERT_EQ(JvsSendFrame(1), 1);
    ASSERT_EQ(pty_.Take(), request);
    drops_ = pty_.rtsDrops.load();
    done = false;
    receiver_ = std::thread([this, want, &done] {
      got_ = JvsReceiveReply(buf_, sizeof buf_, 1, &LengthIs, want);
      done = true;
    });
  };
  // The end of the receive (a receive that waits on is ended, and fails).
  auto finish = [&] {
    for (int i = 0; i < 600 && !done; ++i) pty_.Take(50);
    const bool ended = done.load();
    if (!ended) JvsCancelWaits();
    receiver_.join();
    ASSERT_TRUE(ended) << "the receive waited on";
  };
  // What the port writes next (bounded: a broken receive fails, not hangs).
  auto nextWritten = [&] {
    Bytes b;
    for (int i = 0; i < 600 && b.empty(); ++i) b = pty_.Take(50);
    return b;
  };
  for (const Bytes* old : {&previous, &previousLonger}) {
    SCOPED_TRACE(old->size());
    ASSERT_NO_FATAL_FAILURE(answerWithPrevious());
    const uint32_t errors = JvsGetErrorCount(), dropped = JvsGetDroppedReplyCount();
    ASSERT_NO_FATAL_FAILURE(startWaiting(&four));
    EXPECT_EQ(RunOutOneWait(), askAgain_);
    pty_.Send(*old);
    EXPECT_EQ(nextWritten(), request);
    pty_.Send(answer);
    ASSERT_NO_FATAL_FAILURE(finish());
    ASSERT_EQ(got_, 4);
    EXPECT_EQ(Bytes(buf_, buf_ + 4), (Bytes{0x01, 0x01, 0x14, 0x02}));
    const JvsReceiveStats st = JvsLastReceiveStats();
    EXPECT_ALL({VAL(st.oldReplies, 1), VAL(st.requestsSent, 1), VAL(st.emptyReads, 1), VAL(st.refused, 0),
                VAL(JvsGetErrorCount() - errors, 1u), VAL(JvsGetDroppedReplyCount() - dropped, 1u)});
    EXPECT_TRUE(pty_.Take().empty());
  }

  // Two waits ran out: the node answers both requests to send again with its
  // previous reply. The request goes out again once; the second is owed and
  // dropped.
  ASSERT_NO_FATAL_FAILURE(answerWithPrevious());
  ASSERT_NO_FATAL_FAILURE(startWaiting(&four));
  EXPECT_EQ(RunOutOneWait(), askAgain_);
  EXPECT_EQ(RunOutOneWait(), askAgain_);
  pty_.Send(previous);
  pty_.Send(previous);
  EXPECT_EQ(nextWritten(), request);
  pty_.Send(answer);
  ASSERT_NO_FATAL_FAILURE(finish());
  ASSERT_EQ(got_, 4);
  EXPECT_ALL({VAL(JvsLastReceiveStats().oldReplies, 2), VAL(JvsLastReceiveStats().requestsSent, 1)});
  EXPECT_TRUE(pty_.Take().empty());

  // A node that never hears the request: each wait runs out, its previous
  // reply comes, the request goes out again; the sixth such reply ends the
  // receive (the request went out six times in all), with no further write.
  ASSERT_NO_FATAL_FAILURE(answerWithPrevious());
  const uint32_t errors = JvsGetErrorCount();
  ASSERT_NO_FATAL_FAILURE(startWaiting(&four));
  for (int i = 0; i < 6; ++i) {
    SCOPED_TRACE(i);
    EXPECT_EQ(RunOutOneWait(), askAgain_);
    pty_.Send(previous);
    if (i < 5) {
      EXPECT_EQ(nextWritten(), request);
    }
  }
  ASSERT_NO_FATAL_FAILURE(finish());
  EXPECT_EQ(got_, -1);
  const JvsReceiveStats st = JvsLastReceiveStats();
  EXPECT_ALL({VAL(st.unheard, true), VAL(st.oldReplies, 6), VAL(st.requestsSent, 5),
              VAL(JvsGetErrorCount() - errors, 6u)});
  EXPECT_TRUE(pty_.Take().empty());

  // A last reply that could answer the request is taken as its answer: it
  // cannot be told from one.
  ASSERT_NO_FATAL_FAILURE(answerWithPrevious());
  ASSERT_NO_FATAL_FAILURE(startWaiting(&three));
  EXPECT_EQ(RunOutOneWait(), askAgain_);
  pty_.Send(previous);
  ASSERT_NO_FATAL_FAILURE(finish());
  ASSERT_EQ(got_, 3);
  EXPECT_EQ(JvsLastReceiveStats().oldReplies, 0);
  EXPECT_TRUE(pty_.Take().empty());
}

// A status 3 reply after a request to send again may answer that request:
// the node may have carried out the request itself. It is asked again for
// its reply, not sent the request.
TEST_F(FrameTest, StatusThreeAfterARequestToSendAgainAsksAgain) {
  JvsSetClock(&clock_);
  const Bytes sumError = {0xE0, 0x00, 0x02, 0x03, 0x05};
  const Bytes reply = {0xE0, 0x00, 0x04, 0x01, 0x01, 0x13, 0x19};
  StartReceive();
  EXPECT_EQ(RunOutOneWait(), askAgain_);
  pty_.Send(sumError);
  Bytes asked;
  for (int i = 0; i < 600 && asked.empty(); ++i) asked = pty_.Take(50);
  EXPECT_EQ(asked, askAgain_);
  pty_.Send(reply);
  receiver_.join();
  ASSERT_EQ(got_, 3);
  EXPECT_EQ(JvsLastReceiveStats().damagedRequests, 1);
}

}  // namespace
