#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstring>
#include <thread>
#include <vector>

#include "cabinet/Accessory.h"
#include "platform/ipc.h"
#include "support/ExpectAll.h"
#include "support/Eventually.h"
#include "support/FakeClock.h"
#include "support/TempDir.h"

using Bytes = std::vector<uint8_t>;
using testsupport::Eventually;

namespace {

// The accessory server: its replies (identity replies are 9 bytes, data
// replies 21) and the requests it was sent.
class FakeServer {
 public:
  explicit FakeServer(const std::string& path) { listener_.Listen(path); }
  ~FakeServer() {
    stop_ = true;
    if (thread_.joinable()) thread_.join();
  }
  // Sends every reply as soon as the accessory connects, before any request:
  // an exchange then finds its reply waiting, however slow this thread is.
  // Then keeps the requests as they come.
  void ServeInAdvance(std::vector<Bytes> replies) {
    thread_ = std::thread([this, replies] {
      plat::LocalStream s;
      if (!listener_.Accept(&s, 30000)) return;
      for (const Bytes& r : replies)
        if (!s.SendAll(r.data(), r.size(), 30000)) return;
      answered_ = true;
      for (size_t i = 0; i < replies.size(); ++i)
        if (!KeepRequest(s)) return;
    });
  }
  // Takes one request and never answers it.
  void Hang() {
    thread_ = std::thread([this] {
      plat::LocalStream s;
      if (!listener_.Accept(&s, 30000) || !KeepRequest(s)) return;
      while (!stop_) std::this_thread::sleep_for(std::chrono::milliseconds(1));
    });
  }
  bool Answered() const { return answered_.load(); }
  // Waits until the serving thread has ended; its requests are then stable.
  void Join() {
    if (thread_.joinable()) thread_.join();
  }
  std::vector<Bytes> requests;

 private:
  bool KeepRequest(plat::LocalStream& s) {
    uint8_t head[2];
    if (!s.ReceiveAll(head, 2, 30000)) return false;
    Bytes req(head, head + 2);
    Bytes rest(head[0] == 0 ? 4 : 8);
    if (!s.ReceiveAll(rest.data(), rest.size(), 30000)) return false;
    req.insert(req.end(), rest.begin(), rest.end());
    requests.push_back(req);
    return true;
  }

  plat::LocalListener listener_;
  std::thread thread_;
  std::atomic<bool> stop_{false};
  std::atomic<bool> answered_{false};
};

Bytes IdReply(uint8_t status, uint8_t first) {
  Bytes r(9, 0);
  r[0] = status;
  for (int i = 0; i < 8; ++i) r[1 + i] = static_cast<uint8_t>(first + i);
  return r;
}

Bytes DataReply(uint8_t status) {
  Bytes r(21, 0);
  r[0] = status;
  for (int i = 0; i < 16; ++i) r[1 + i] = static_cast<uint8_t>(0xA0 + i);
  return r;
}

class PipeAccessoryTest : public ::testing::Test {
 protected:
  void SetUp() override {
    path_ = tmp_.Path() + "/acc.sock";
    clock_.Set(1000);  // 1000 mod 60 = 40: 50 updates of delay
    unit_ = AccessoryUnit{};
  }
  // Updates until the operation ends; returns the updates it took.
  int Run(PipeAccessory& acc, int unit = 0) {
    int n = 0;
    while (unit_.operation != kAccIdle && n < 200) {
      acc.Update(unit, unit_);
      ++n;
    }
    return n;
  }
  testsupport::TempDir tmp_;
  std::string path_;
  testsupport::FakeClock clock_;
  AccessoryUnit unit_;
};

TEST_F(PipeAccessoryTest, ReadAllExchangesIdentityThenDataInOneUpdate) {
  FakeServer server(path_);
  server.ServeInAdvance({IdReply(1, 0x30), DataReply(1)});
  PipeAccessory acc(path_, &clock_);
  ASSERT_TRUE(acc.IsConnected());
  ASSERT_TRUE(Eventually([&] { return server.Answered(); }));
  ASSERT_EQ(acc.StartReadAll(unit_, 100), 0);
  EXPECT_EQ(acc.StartRead(unit_, 100), 3);
  EXPECT_EQ(Run(acc, 1), 51);  // 50 updates of delay, then both exchanges
  server.Join();
  EXPECT_EQ(server.requests, (std::vector<Bytes>{{0x00, 0x01, 0, 0, 0, 0},
                                                 {0x01, 0x01, 0x30, 0x31, 0x32, 0x33, 0x34, 0x35, 0x36, 0x37}}));
  uint8_t id[8], data[16];
  std::memcpy(id, unit_.readId, 8);
  std::memcpy(data, unit_.data, 16);
  EXPECT_ALL({VAL(unit_.result, 0u), VAL(unit_.identityValid, 1u), VAL(unit_.dataValid, 1u),
              VAL(unit_.idsRead, 1u), VAL(int(id[7]), 0x37), VAL(int(data[0]), 0xA0), VAL(int(data[15]), 0xAF)});
}

TEST_F(PipeAccessoryTest, ReplyStatusesAndCancel) {
  FakeServer server(path_);
  server.ServeInAdvance({IdReply(0, 0), IdReply(255, 0), DataReply(7)});
  PipeAccessory acc(path_, &clock_);
  ASSERT_TRUE(Eventually([&] { return server.Answered(); }));
  acc.StartRead(unit_, 100);
  Run(acc);
  EXPECT_ALL({VAL(unit_.result, 0u), VAL(unit_.idsRead, 0u)});  // no medium
  acc.StartRead(unit_, 100);
  Run(acc);
  EXPECT_EQ(unit_.result, 2u);  // the server's error
  const uint8_t id[8] = {1, 2, 3, 4, 5, 6, 7, 8};
  acc.StartFetch(unit_, id, 100);
  Run(acc);
  EXPECT_ALL({VAL(unit_.result, 2u), VAL(unit_.dataValid, 1u)});
  EXPECT_EQ(acc.Cancel(unit_), 4);
  acc.StartRead(unit_, 100);
  EXPECT_ALL({VAL(acc.Cancel(unit_), 0), VAL(unit_.result, 4u), VAL(unit_.operation, 0u)});
}

// No server, or one that never answers: result 1, and the wait is bounded.
TEST_F(PipeAccessoryTest, AbsentOrHungServerIsNoLink) {
  {
    PipeAccessory acc(path_, &clock_);
    EXPECT_FALSE(acc.IsConnected());
    acc.StartRead(unit_, 100);
    Run(acc);
    EXPECT_EQ(unit_.result, 1u);
  }
  FakeServer server(path_);
  server.Hang();
  PipeAccessory acc(path_, &clock_);
  acc.StartRead(unit_, 100);
  const auto t0 = std::chrono::steady_clock::now();
  Run(acc);
  // Bounded: each exchange gives up after its time-out (the bound here is
  // loose, for a loaded machine; a wait without time-out never ends).
  EXPECT_LT(std::chrono::steady_clock::now() - t0, std::chrono::seconds(10));
  EXPECT_EQ(unit_.result, 1u);
}

// The bus accessory's replies as the master's reply walk hands them over
// (the data after the report byte and how much of the frame is left): the
// switch reply takes its report and one byte, the read its report and 24
// bytes, the output and 0x62 their report only; other commands are not its
// own. A reply shorter than its bytes is refused, never read past.
TEST(JvsAccessoryReplies, TakeTheirBytesAndRefuseShortOnes) {
  JvsAccessory acc;
  const uint8_t sw[2] = {0x26, 0x01}, read[1] = {0x61}, out[3] = {0x32, 0x01, 0x80}, last[1] = {0x62};
  const uint8_t below[1] = {0x25}, above[1] = {0x63}, inside[1] = {0x30};
  const Bytes full(24, 0x5A);
  const Bytes cut(23, 0x5A);
  EXPECT_ALL({VAL(acc.ParseReply(1, sw, 2, full.data(), 1), 2), VAL(acc.ParseReply(1, sw, 2, full.data(), 0), -1),
              VAL(acc.ParseReply(1, read, 1, full.data(), 24), 25),
              VAL(acc.ParseReply(1, read, 1, cut.data(), cut.size()), -1),
              VAL(acc.ParseReply(1, out, 3, full.data(), 0), 1), VAL(acc.ParseReply(1, last, 1, full.data(), 0), 1),
              VAL(acc.ParseReply(1, below, 1, full.data(), 24), -1),
              VAL(acc.ParseReply(1, above, 1, full.data(), 24), -1),
              VAL(acc.ParseReply(1, inside, 1, full.data(), 24), -1)});
}

}  // namespace
