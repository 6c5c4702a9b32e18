// The bus master on the simulated wire, frame by frame as the game drives the
// I/O device: what it writes after each kind of fault, byte for byte and
// when; the node's counter settling what the node cannot tell, also across
// a stop and a reopen; and seeded noise from the first byte of bring-up.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include <unistd.h>

#include "cabinet/JvsFrame.h"
#include "cabinet/JvsMaster.h"
#include "cabinet/XioDevice.h"
#include "support/BusWorld.h"
#include "support/ExpectAll.h"
#include "support/StderrCapture.h"

using testsupport::BusWorld;
using testsupport::SimJvsWire;
using Bytes = std::vector<uint8_t>;

namespace {

// A frame the master wrote: when, to which node, its data.
struct Sent {
  uint32_t at;
  uint8_t node;
  Bytes data;
};

std::vector<Sent> Written(SimJvsWire& wire) {
  std::vector<Sent> out;
  testsupport::SimFrameParser parser;
  for (const SimJvsWire::Written& w : wire.TakeWritten())
    for (uint8_t b : w.bytes)
      if (parser.Feed(b) == testsupport::SimFrameParser::kFrame) out.push_back({w.at, parser.Node(), parser.Data()});
  return out;
}

// Node 1's poll with a coin decrease: switches, the decrease, coins.
bool Decrease(const Sent& s) { return s.node == 1 && s.data.size() > 3 && s.data[3] == kJvsCmdCoinDecrease; }
bool AskAgain(const Sent& s, uint8_t node) { return s.node == node && s.data == Bytes{kJvsCmdRetransmit}; }
bool PlainPoll(const Sent& s) { return s.node == 1 && !s.data.empty() && s.data[0] == kJvsCmdSwitches && !Decrease(s); }

// What node 1 was sent, as letters: D a decrease poll, P a poll without,
// A a request to send again, I the identity request.
std::string Letters(const std::vector<Sent>& sent) {
  std::string s;
  for (const Sent& f : sent) {
    if (f.node != 1) continue;
    s += Decrease(f) ? 'D' : PlainPoll(f) ? 'P' : AskAgain(f, 1) ? 'A' : f.data == Bytes{kJvsCmdIdentity} ? 'I' : '?';
  }
  return s;
}

class MasterOnAWire : public ::testing::Test {
 protected:
  // Brings the bus up and polls until node 1's switches are read.
  void Ready(BusWorld& w) {
    ASSERT_TRUE(w.Open());
    ASSERT_TRUE(w.FramesUntil([&] { return w.Ready() && w.inputsRead > 0; }));
  }
  // Puts coins into node 1 and places the faults (counted from the frame
  // whose poll first carries the decrease), then plays until every coin is
  // in and counted. What node 1 was sent from then on.
  std::vector<Sent> PlayDecrease(BusWorld& w, uint16_t coins, std::vector<std::pair<int, SimJvsWire::Fault>> requests,
                             std::vector<std::pair<int, SimJvsWire::Fault>> replies) {
    bool placed = false;
    w.beforeStep = [&](BusWorld& world) {
      if (placed || !BusWorld::QueuedDecrease()) return;
      placed = true;
      world.wire.StartCounting();
      for (auto [i, f] : requests) world.wire.SetRequestFault(i, f);
      for (auto [i, f] : replies) world.wire.SetReplyFault(i, f);
      world.wire.TakeWritten();
    };
    w.InsertCoins(0, coins);
    EXPECT_TRUE(w.FramesUntil([&] { return placed && w.CoinsSettled(); }));
    for (int i = 0; i < 3; ++i) w.Frame();
    w.beforeStep = nullptr;
    return Written(w.wire);
  }
  // A coin taken off under the faults given: node 1 must have been sent
  // what the story says, and the coin credited once and taken off once.
  struct Story {
    const char* what;
    std::vector<std::pair<int, SimJvsWire::Fault>> requests, replies;
    std::string story;
  };
  template <class Board>
  std::vector<Sent> Tell(const Story& c, Board board) {
    SCOPED_TRACE(c.what);
    BusWorld w;
    board(w);
    Ready(w);
    const std::vector<Sent> sent = PlayDecrease(w, 1, c.requests, c.replies);
    EXPECT_EQ(Letters(sent).substr(0, c.story.size()), c.story);
    EXPECT_EQ(w.CoinProperties(), "");
    EXPECT_EQ(w.wire.board.decreases, (std::vector<std::pair<int, int>>{{1, 1}}));
    return sent;
  }
};

// A poll without effect whose answer was lost goes out again, byte for
// byte, once the line has been quiet: kJvsByteWaitMs of waiting for the
// answer and kJvsQuietMs of quiet after it. Never a request to send again.
TEST_F(MasterOnAWire, ARequestWithoutEffectIsWrittenAgainWholeOnceTheLineIsQuiet) {
  {
    BusWorld w;
    Ready(w);
    w.wire.StartCounting();
    w.wire.SetReplyFault(1, SimJvsWire::kLost);  // node 1's answer of the next cycle
    w.wire.TakeWritten();
    w.Frame();
    const std::vector<Sent> sent = Written(w.wire);
    ASSERT_EQ(sent.size(), 3u);
    EXPECT_EQ(sent[0].node, 0);
    EXPECT_EQ(sent[1].node, 1);
    EXPECT_EQ(sent[2].node, 1);
    EXPECT_EQ(sent[2].data, sent[1].data);
    EXPECT_EQ(sent[2].at, sent[1].at + kJvsByteWaitMs + kJvsQuietMs);
    EXPECT_EQ(w.fault, "");
  }

  // A cycle whose step's time is spent by a good answer (node 0's, read a
  // step's time late on a loaded machine) asks no further node: nodes 1 and
  // 2 go first in the next step.
  BusWorld late(2);
  Ready(late);
  bool once = true;
  late.wire.script = [&](bool request) {
    if (request && once && late.WritingNode() == 0) {
      once = false;
      late.wire.lateOnceMs = kJvsCycleMs;
    }
    return SimJvsWire::kWhole;
  };
  late.wire.TakeWritten();
  std::vector<int> nodes[2];
  for (auto& step : nodes) {
    late.Frame();
    for (const Sent& f : Written(late.wire)) step.push_back(f.node);
  }
  EXPECT_EQ(nodes[0], std::vector<int>{0});
  EXPECT_EQ(nodes[1], (std::vector<int>{1, 2, 0}));
  EXPECT_EQ(late.fault, "");
}

// A poll that takes a coin off, spoiled in each way: the node is asked for
// its last reply (A) once the line is quiet, and the poll goes out again only
// where that reply says the node never carried it out. The coin is credited
// once, taken off once, and the node's counter ends at 0.
TEST_F(MasterOnAWire, ADecreaseGoesOutAgainOnlyWhereTheNodeSaysItWasNotCarriedOut) {
  using F = SimJvsWire::Fault;
  const Story cases[] = {
      {"answer lost", {}, {{1, F::kLost}}, "DAP"},
      {"answer damaged", {}, {{1, F::kDamaged}}, "DAP"},
      {"answer late", {}, {{1, F::kLate}}, "DAP"},
      {"request lost", {{1, F::kLost}}, {}, "DADP"},
      {"request damaged, the node silent", {{1, F::kDamaged}}, {}, "DADP"},
      // A status 3 is no proof: the node's copy tells.
      {"request answered with status 3", {{1, F::kStatusThree}}, {}, "DADP"},
      {"request carried out, a status 3 frame in place of its answer", {}, {{1, F::kOtherStatus}}, "DAP"},
      {"answer lost, the request to send again lost", {{2, F::kLost}}, {{1, F::kLost}}, "DAAP"},
      {"answer lost, the copy damaged", {}, {{1, F::kLost}, {2, F::kDamaged}}, "DAAP"},
  };
  testsupport::StderrCapture quiet;  // the bus's lines on damaged frames
  for (const Story& c : cases) {
    const std::vector<Sent> sent = Tell(c, [](BusWorld& w) {
      w.wire.board.silentOnDamage = true;
      w.wire.otherStatus = kJvsStatusSumError;
    });
    // The request to send again waited for a quiet line after the poll's
    // exchange (a damaged answer ends it at once, silence after 20 ms).
    for (size_t i = 1; i < sent.size(); ++i) {
      if (AskAgain(sent[i], 1) && Decrease(sent[i - 1])) {
        EXPECT_GE(sent[i].at, sent[i - 1].at + SimJvsWire::kReplyMs + kJvsQuietMs);
      }
    }
  }
}

// A board that keeps its status 3 as its last reply: the decrease's answer
// lost, then the request to send it again damaged, leaves the node with
// nothing to tell but its status 3 (asked twice). The next poll's count
// settles it: below the count before, the decrease was carried out and is
// not sent again; the same, it was not, and it goes out again. Either way
// once.
TEST_F(MasterOnAWire, TheCounterSettlesADecreaseTheNodeCannotTell) {
  using F = SimJvsWire::Fault;
  const Story cases[] = {
      {"carried out", {{2, F::kDamaged}}, {{1, F::kLost}}, "DAAPP"},
      {"not carried out", {{1, F::kDamaged}}, {{1, F::kLost}}, "DAAPD"},
  };
  for (const Story& c : cases) {
    Tell(c, [](BusWorld& w) { w.wire.board.keepStatusThree = true; });
    EXPECT_FALSE(JvsDecreaseUnsettled(1));
  }
}

// 256 coins on an idle node: the answer to the poll before (a count of 1,0)
// could be read as the decrease's answer sent again with a byte added. The
// identity request goes first, so that the node's last reply is text, which
// no answer of the decrease poll can begin with; with 255 coins nothing goes
// first.
TEST_F(MasterOnAWire, TheIdentityGoesFirstWhenTheLastReplyCouldBeTheAnswer) {
  for (uint16_t coins : {256, 255}) {
    SCOPED_TRACE(coins);
    BusWorld w;
    w.changingInputs = false;
    Ready(w);
    // The fault: the decrease's answer lost, so that the copy decides (the
    // third answer of the cycle after the identity's).
    const std::vector<Sent> sent = PlayDecrease(w, coins, {}, {{coins == 256 ? 2 : 1, SimJvsWire::kLost}});
    const std::string story = Letters(sent);
    EXPECT_EQ(story.substr(0, 4), coins == 256 ? "IDAP" : "DAPP");
    EXPECT_EQ(w.CoinProperties(), "");
    EXPECT_EQ(w.wire.board.decreases.size(), 1u);
  }
}

// The setting frames, worked by hand: node 0, the command, then node 0's
// status command. 18000 is 0x4650: length 6, sum 6 + 5 + 0x46 + 0x50 + 1 +
// 2 = 0xA4; the apply: length 4, sum 4 + 4 + 1 + 2 = 0x0B. Each goes out
// once, a second apart.
TEST_F(MasterOnAWire, EachSettingCommandGoesOutWithTheStatusCommandAfterIt) {
  BusWorld w;
  w.boardSetting = true;
  w.wire.TakeWritten();
  ASSERT_TRUE(w.Open());
  ASSERT_TRUE(w.FramesUntil([] { return JvsGetNodeSettingResult() == kJvsSettingDone; }));
  std::vector<SimJvsWire::Written> settings;
  for (const SimJvsWire::Written& x : w.wire.TakeWritten())
    if (x.bytes.size() > 3 && x.bytes[1] == 0 && (x.bytes[3] == 0x05 || x.bytes[3] == 0x04)) settings.push_back(x);
  ASSERT_EQ(settings.size(), 2u);
  EXPECT_EQ(settings[0].bytes, (Bytes{0xE0, 0x00, 0x06, 0x05, 0x46, 0x50, 0x01, 0x02, 0xA4}));
  EXPECT_EQ(settings[1].bytes, (Bytes{0xE0, 0x00, 0x04, 0x04, 0x01, 0x02, 0x0B}));
  EXPECT_GE(settings[1].at - settings[0].at, kJvsSettingPauseMs);
  EXPECT_ALL({VAL(w.wire.board.boardValues, 1), VAL(w.wire.board.boardApplies, 1),
              VAL(w.wire.board.boardSetting, 18000)});
}

// Five of node 0's exchanges spoiled in a row, and the sixth answered: the
// bus goes on. Six: it stops, in one line that says what the six met. Node
// 1 is asked between node 0's tries (its turn comes before node 0 is asked
// again) and answers well: that ends no run of node 0's. So too for node 1
// behind an adapter that answers node 0 itself through noise, which
// swallows node 1's answer: where a byte of noise came as node 0 was asked
// (the adapter's answer swallows it) and a sync byte and two bytes after
// node 0's answer landed in node 1's, the master reads them as the answer
// cut short, one of the six (BusWorld takes the stop for no stop on noise);
// so too where node 0's line driver trails a header cut short (E0 00 FF)
// 2 ms after its answer and bytes of noise without a sync byte follow it,
// both landing in node 1's answer: the master reads a frame to it begun and
// never ended; where a flood of answer-shaped frames of 120 ms began with node 0's
// answer, the first is taken for an answer that answers nothing and the
// wait after it drops the others: noise, none of the six.
TEST_F(MasterOnAWire, TheBusStopsOnlyAfterSixSpoiledExchangesInARow) {
  using F = SimJvsWire::Fault;
  for (int spoiled : {5, 6}) {
    SCOPED_TRACE(spoiled);
    BusWorld w;
    Ready(w);
    testsupport::StderrCapture capture;
    // Node 0's status request, the first of each cycle: lost, damaged (the
    // node answers status 3), its answer lost, damaged, late, lost.
    const F faults[6] = {F::kLost, F::kDamaged, F::kLost, F::kDamaged, F::kLate, F::kLost};
    int asked = 0;
    w.wire.script = [&](bool request) {
      if (w.WritingNode() != 0) return F::kWhole;
      const int i = request ? asked++ : asked - 1;
      if (i >= spoiled || (i < 2) != request) return F::kWhole;
      return faults[i];
    };
    w.FramesUntil([&] { return asked > spoiled; }, 40);
    const std::string err = capture.Take();
    // The damaged answer is told once; a late answer is silence (it comes
    // while the line is waited out, and is dropped).
    const std::string damaged = "jvs bus: damaged or unfitting replies while waiting for node 0\n";
    if (spoiled == 5) {
      EXPECT_EQ(JvsGetState(), kJvsStateReady);
      EXPECT_EQ(err, damaged);
    } else {
      EXPECT_EQ(JvsGetState(), kJvsStateBusError);
      EXPECT_EQ(err, damaged +
                         "jvs bus: no good answer from node 0 in 6 exchanges in a row (4 silent, 1 damaged, "
                         "1 status 3 (the node saw a damaged request)); the bus is stopped\n");
    }
  }
  // How node 1's answer is swallowed: noise with a sync byte after node
  // 0's answer, a flood, node 0's trailer with noise after it.
  enum Swallowed { kSyncNoise, kFlood, kTrailer };
  for (Swallowed how : {kSyncNoise, kFlood, kTrailer}) {
    const bool flood = how == kFlood;
    for (bool stops : {false, true}) {
      // Node 1's requests lost after its swallowed answer.
      const int lost = (flood ? 5 : 4) + int(stops);
      SCOPED_TRACE(testing::Message() << "node 1's answer swallowed (" << int(how) << "), then " << lost
                                      << " requests lost");
      BusWorld w;
      Ready(w);
      w.wire.channelThroughNoise = true;
      if (how == kTrailer) w.wire.afterReply = {0xE0, 0x00, 0xFF};
      w.wire.noiseFrom = testsupport::SimLineNoise::Flood(7, true, 120);
      w.wire.noiseFrom.answerFrames = true;
      testsupport::StderrCapture capture;
      int asked = -1;  // node 1's requests from the swallowed answer's on
      w.wire.script = [&](bool request) {
        const int node = w.WritingNode();
        if (asked < 0 && node == 0) {
          if (request && !flood) w.wire.SetLineNoise({7, 50, 50, 1, false, 20});
          return request ? F::kWhole : flood ? F::kNoiseFrom : how == kTrailer ? F::kNoiseAfter : F::kSyncNoiseAfter;
        }
        if (node != 1 || !request) return F::kWhole;
        ++asked;
        return asked >= 1 && asked <= lost ? F::kLost : F::kWhole;
      };
      w.FramesUntil([&] { return asked > lost; }, 60);
      const std::string err = capture.Take();
      // The trailer and the three bytes of noise after it: a frame begun
      // of 6 bytes, dropped.
      const std::string seen = flood ? "6 silent"
                               : "5 silent, 1 with only bytes outside frames; " +
                                     std::string(how == kTrailer ? "6" : "3") + " bytes outside frames";
      EXPECT_EQ(w.fault, "");
      EXPECT_EQ(err.find("jvs bus: no good answer from node 1 in 6 exchanges in a row (" + seen +
                         "); the bus is stopped\n") != std::string::npos,
                stops)
          << err;
      EXPECT_EQ(w.Halted(), stops);
    }
  }
  // A node that sends each frame twice (the copy 3 ms after it), its
  // answers failing: a wrong sum, status 3, status 1 alone (answering
  // nothing). The copy, alone and byte for byte the answer, is the node's
  // own, no noise: six in a row stop the bus within a second, as node 1 and
  // as node 2 beside a good node 1 (node 2 answering well every 5 s).
  const std::pair<F, const char*> failing[] = {{F::kDamaged, "6 damaged"},
                                               {F::kStatusThree, "6 status 3 (the node saw a damaged request)"},
                                               {F::kOtherStatus, "6 answering nothing asked"}};
  for (const auto& [fault, met] : failing) {
    for (uint8_t node : {1, 2}) {
      SCOPED_TRACE(testing::Message() << "node " << int(node) << " sends each frame twice: " << met);
      BusWorld w(node);
      Ready(w);
      testsupport::StderrCapture capture;
      w.wire.otherStatus = kJvsStatusNormal;
      w.wire.twiceNode = node;
      const uint32_t start = w.wire.NowMs();
      uint32_t goodAt = start;
      w.wire.script = [&](bool request) {
        if (w.WritingNode() != node || request != (fault == F::kStatusThree)) return F::kWhole;
        if (node == 1 || w.wire.NowMs() - goodAt < 5000) return fault;
        goodAt = w.wire.NowMs();
        return F::kWhole;
      };
      w.FramesUntil([&] { return w.Halted(); }, 2000);
      const uint32_t stopMs = w.wire.NowMs() - start;
      const std::string err = capture.Take();
      EXPECT_EQ(w.fault, "");
      EXPECT_NE(err.find("no good answer from node " + std::to_string(node) + " in 6 exchanges in a row (" + met + ")"),
                std::string::npos) << err;
      EXPECT_LE(stopMs, 1300u);
      std::printf("node %d sending each frame twice, %s: %s after %u ms\n", node, met, w.Halted() ? "stopped" : "up",
                  stopMs);
    }
  }
  // Where a frame the wait after a failing answer drops is the node's own
  // copy and where it is not. Node 1's answers come with a wrong sum for 4
  // s, then whole; where each of its exchanges meets noise, none counts
  // toward its six, and the bus stays up and reads on after:
  // - it sends each frame twice, and noise damaged the frame alone: the
  //   copy, whole, differs from it in the sum;
  // - it sent one failing answer twice (a copy came on this open), then
  //   sends each once with a frame to the master 2 ms after it (E0 00 02 01
  //   03: status 1 alone): one frame dropped, not a copy of its answer;
  // - it sends each frame twice, and from 10 ms after each request frames
  //   to node 5 come every 50 ms for 260 ms: the copy, then a line that
  //   does not go quiet within the wait (node 2 beside it, whose turn takes
  //   the write after that wait, so that each of node 1's requests goes out
  //   on a quiet line).
  // And where node 1 sends each failing answer twice, each right after a
  // header to node 5 (E0 05), its copy is the answer from its own sync
  // byte: six in a row stop the bus within a second, not at the 10 s bound.
  enum Edge { kCopyWhole, kCopyBefore, kCopyThenBusy, kAfterAHeader };
  const char* const edgeNames[] = {"its frame damaged, its copy whole", "a copy before, then another frame",
                                   "its copy, then a busy line", "its frames after another node's header"};
  for (Edge edge : {kCopyWhole, kCopyBefore, kCopyThenBusy, kAfterAHeader}) {
    SCOPED_TRACE(edgeNames[edge]);
    const bool stops = edge == kAfterAHeader;
    BusWorld w(edge == kCopyThenBusy ? 2 : 1);
    Ready(w);
    testsupport::StderrCapture capture;
    w.wire.twiceNode = 1;
    w.wire.twiceCopyWhole = edge == kCopyWhole;
    testsupport::SimLineNoise busy;
    busy.minMs = busy.maxMs = 50;
    busy.bytes = 6;
    busy.forMs = 260;
    busy.otherNodeFrames = true;
    const uint32_t start = w.wire.NowMs();
    int answers = 0;
    w.wire.script = [&](bool request) {
      if (w.WritingNode() != 1) return F::kWhole;
      const bool failing = stops || w.wire.NowMs() - start < 4000;
      if (!request) {
        ++answers;
        return failing ? F::kDamaged : F::kWhole;
      }
      if (edge == kCopyBefore && answers > 0) {
        w.wire.twiceNode = -1;
        w.wire.afterReply = failing ? Bytes{0xE0, 0x00, 0x02, 0x01, 0x03} : Bytes{};
      }
      if (edge == kCopyThenBusy && failing) w.wire.SetLineNoise(busy, 10);
      if (edge == kAfterAHeader) w.wire.Inject({0xE0, 0x05});
      return F::kWhole;
    };
    if (stops) {
      w.FramesUntil([&] { return w.Halted(); }, 2000);
      EXPECT_TRUE(w.Halted());
      EXPECT_LE(w.wire.NowMs() - start, 1300u);
      const std::string err = capture.Take();
      EXPECT_NE(err.find("no good answer from node 1 in 6 exchanges in a row (6 damaged)"), std::string::npos) << err;
    } else {
      w.FramesUntil([&] { return w.wire.NowMs() - start >= 4000; }, 2000);
      const int inputs = w.inputsRead;
      w.FramesUntil([&] { return w.wire.NowMs() - start >= 5000; }, 2000);
      EXPECT_FALSE(w.Halted());
      EXPECT_GT(w.inputsRead, inputs + 3);
      EXPECT_GT(answers, 12);
    }
    EXPECT_EQ(w.fault, "");
    std::printf("node 1 failing, %s: %s after %u ms\n", edgeNames[edge], w.Halted() ? "stopped" : "up",
                w.wire.NowMs() - start);
  }
}

// The bus stops while a decrease's fate is unknown (its answer lost, and
// every request to send it again after). The device is closed and opened
// again: the bring-up resets the node, so only its counter can tell, at the
// first poll. Carried out: never sent again; not: sent again, once. The
// open keeps nothing else of the bus before: no node, switches or good
// answer until its own. Nor after a close during a bring-up cut short
// (three nodes, node 3's identity answer lost and its wait a step's time
// late): opened on a bus of one node whose first identity answer is lost,
// it comes up with it, stopping on nothing the bus before met.
TEST_F(MasterOnAWire, AfterAStopAndAReopenTheCounterSettlesTheDecrease) {
  using F = SimJvsWire::Fault;
  for (bool carried : {true, false}) {
    SCOPED_TRACE(carried ? "carried out" : "never reached the node");
    BusWorld w;
    Ready(w);
    bool placed = false;
    w.beforeStep = [&](BusWorld& world) {
      if (placed || !BusWorld::QueuedDecrease()) return;
      placed = true;
      world.wire.StartCounting();
      if (carried)
        world.wire.SetReplyFault(1, F::kLost);
      else
        world.wire.SetRequestFault(1, F::kLost);
      // Every request to send again, and the poll that follows the fifth
      // (the counter would settle the decrease there): seven spoiled
      // exchanges.
      for (int i = 2; i <= 7; ++i) world.wire.SetRequestFault(i, F::kLost);
    };
    w.InsertCoins(0, 1);
    ASSERT_FALSE(w.FramesUntil([] { return false; }, 60));
    ASSERT_TRUE(w.Halted());
    EXPECT_TRUE(w.LastExchangesSpoiled(kJvsMaxSpoiled));
    EXPECT_TRUE(JvsDecreaseUnsettled(1));
    EXPECT_EQ(w.credited, 1);
    w.beforeStep = nullptr;
    w.wire.ClearFaults();
    ASSERT_TRUE(w.Reopen());
    EXPECT_ALL({VAL(JvsGetNodeCount(), 0), VAL(JvsSwitchesCurrent(1), false), VAL(JvsSwitchesReadAt(1), 0u),
                VAL(JvsGoodAnswerAt(1), 0u)});
    EXPECT_TRUE(w.FramesUntil([&] { return w.Ready() && w.CoinsSettled(); }));
    EXPECT_EQ(w.CoinProperties(), "");
    EXPECT_EQ(w.wire.board.decreases, (std::vector<std::pair<int, int>>{{1, 1}}));
    EXPECT_FALSE(JvsDecreaseUnsettled(1));
  }

  {
    BusWorld three(3);
    three.wire.script = [&three](bool request) {
      if (request || three.WritingNode() != 3) return SimJvsWire::kWhole;
      three.wire.lateOnceMs = kJvsCycleMs;
      return SimJvsWire::kLost;
    };
    ASSERT_TRUE(three.Open());
    three.Frame();
    ASSERT_EQ(JvsGetState(), kJvsStateStarting);
    ASSERT_EQ(JvsGetNodeCount(), 3);
  }
  BusWorld one;
  one.wire.StartCounting();
  one.wire.SetReplyFault(1, SimJvsWire::kLost);  // node 1's identity answer, after its address's
  testsupport::StderrCapture capture;
  ASSERT_TRUE(one.Open());
  EXPECT_TRUE(one.FramesUntil([&] { return one.Ready() && one.inputsRead > 0; }));
  const std::string told = capture.Take();
  EXPECT_ALL({VAL(one.Halted(), false), VAL(JvsGetNodeCount(), 1), VAL(one.wire.Exchanges().front(), true)});
  EXPECT_EQ(told.find("stopped"), std::string::npos) << told;
}

// Seeded noise on the wire from the first byte of bring-up: one node or
// two, frames lost, damaged or late at 1 to 8 per cent each way, now and
// then several in a row; a board silent on damage, one answering status 3,
// one growing its copies; coins at random. The bus may stop only after six
// spoiled exchanges in a row; then the device is opened again (the noise
// goes on). Whatever the run: the switches read were node 1's, no credit
// ran ahead of the coins, and once the noise stops every coin is credited
// once, taken off once, and the counter is at 0.
TEST_F(MasterOnAWire, SeededNoiseFromBringUpAndAcrossRestarts) {
  constexpr int kSeeds = 60;
  constexpr int kFrames = 500;
  int stops = 0, spoiled = 0, exchanges = 0, coins = 0;
  // The most time read stale in any window, at up to 2, 4 and 8 per cent.
  uint32_t mostStale[3] = {};
  for (uint32_t seed = 1; seed <= kSeeds; ++seed) {
    SCOPED_TRACE(testing::Message() << "seed " << seed);
    const int nodes = 1 + int(seed % 2);
    const int perMille = 10 + int(seed * 7 % 71);  // 1 % to 8 %
    BusWorld w(nodes);
    w.wire.board.silentOnDamage = seed % 3 == 0;
    w.wire.board.grow = seed % 5 == 0;
    w.wire.SetNoise({seed, perMille / 2, perMille / 2, 25}, 30);
    ASSERT_TRUE(w.Open());
    uint32_t draw = seed;
    for (int f = 0; f < kFrames && w.fault.empty(); ++f) {
      draw = draw * 1103515245u + 12345u;
      // A coin now and then, once the last one is in and counted.
      if (w.Ready() && w.CoinsSettled() && (draw >> 16) % 20 == 0) w.InsertCoins(0, 1 + (draw >> 8) % 3);
      if (w.Halted()) {
        ASSERT_TRUE(w.StopAllowed()) << "stopped after fewer than six spoiled exchanges";
        ++stops;
        ASSERT_TRUE(w.Reopen());
      }
      w.Frame();
    }
    ASSERT_EQ(w.fault, "");
    for (bool bad : w.wire.Exchanges()) spoiled += bad;
    exchanges += int(w.wire.Exchanges().size());
    uint32_t& most = mostStale[perMille <= 20 ? 0 : perMille <= 40 ? 1 : 2];
    most = std::max(most, w.mostStaleMs);
    w.wire.NoiseOff();
    if (w.Halted()) {
      ASSERT_TRUE(w.Reopen());
    }
    ASSERT_TRUE(w.FramesUntil([&] { return w.Ready() && w.CoinsSettled(); }, 600)) << w.CoinProperties();
    for (int i = 0; i < 10; ++i) w.Frame();
    EXPECT_EQ(w.CoinProperties(), "");
    coins += w.inserted;
  }
  // The noise struck, and the coins went in.
  EXPECT_GT(spoiled, exchanges / 50);
  EXPECT_GT(coins, 300);
  RecordProperty("stops", stops);
  RecordProperty("spoiled", spoiled);
  RecordProperty("exchanges", exchanges);
  RecordProperty("coins", coins);
  std::printf("the most time read stale in any 30 s: %u ms at up to 2 %%, %u ms at up to 4 %%, %u ms at up to 8 %%\n",
              mostStale[0], mostStale[1], mostStale[2]);
}

// The lines the bus wrote to standard error that hold the words.
int Lines(const std::string& err, const std::string& words) {
  return testsupport::LinesWith(err, "jvs bus: ", words);
}

// Frame bytes on the line that never pause kJvsQuietMs (a sync byte and a
// byte after it, another node's header, every 5 ms), for 0.7 s and for 10
// s: after a good answer a frame to another node makes no wait, and a wait
// for a quiet line (at open, after an exchange that went wrong) ends after
// kJvsSettleMs with its request written all the same; the answers, which
// the noise does not meet, are taken, so the inputs are read on meanwhile
// at nearly the clean rate. The noise is told once at most, in a line that
// names its bytes and time, and the bus never stops; once the noise ends, a
// poll goes out within 0.3 s (BusWorld).
TEST_F(MasterOnAWire, ALineThatNeverGoesQuietLeavesTheBusUp) {
  for (uint32_t noiseMs : {700u, 10000u}) {
    SCOPED_TRACE(noiseMs);
    BusWorld w;
    Ready(w);
    testsupport::StderrCapture capture;
    const uint32_t start = w.wire.NowMs();
    for (uint32_t t = 0; t < noiseMs; t += 5) w.wire.Inject({0xE0, 0x55}, t);
    const int read = w.inputsRead;
    w.FramesUntil([&] { return w.wire.NowMs() - start >= noiseMs / 2; }, 5000);
    const int during = w.inputsRead - read;
    w.FramesUntil([&] { return w.wire.NowMs() - start >= noiseMs + 500; }, 5000);
    const std::string err = capture.Take();
    EXPECT_EQ(w.fault, "");
    EXPECT_FALSE(w.Halted()) << err;
    EXPECT_GT(during, int(noiseMs / 2 / 18 * 9 / 10));
    EXPECT_GT(w.inputsRead, read + during + 10);
    EXPECT_EQ(Lines(err, "the bus is stopped"), 0);
    EXPECT_LE(Lines(err, "the line did not go quiet ("), 1);
    std::printf("%u ms of noise: %d switch words read in its first half; %s", noiseMs, during, err.c_str());
  }
}

// A header cut short (E0 00 FF: a frame of 254 bytes more) after a poll's
// answer, then one stray byte every 100 ms for 3 s, in play: the header
// pauses, so it is dead, and the trickle is bytes outside frames. Nothing
// waits for them: the bus polls on at the clean rate, never stops, and a
// coin put in meanwhile is credited once and taken off.
TEST_F(MasterOnAWire, ACutHeaderAndATrickleCostNothing) {
  BusWorld w;
  Ready(w);
  testsupport::StderrCapture capture;
  const int polls = w.wire.board.cycles.at(1);
  const uint32_t start = w.wire.NowMs();
  w.wire.Inject({0xE0, 0x00, 0xFF}, 3);
  for (uint32_t t = 100; t <= 3000; t += 100) w.wire.Inject({0x55}, t);
  w.InsertCoins(0, 1);
  while (w.wire.NowMs() - start < 3500 && !w.Halted()) w.Frame();
  const double rate = (w.wire.board.cycles.at(1) - polls) * 1000.0 / (w.wire.NowMs() - start);
  const std::string err = capture.Take();
  EXPECT_EQ(w.fault, "");
  EXPECT_FALSE(w.Halted()) << err;
  EXPECT_EQ(Lines(err, "the bus is stopped"), 0);
  // 55.6 polls a second on a clean line (one frame of 16 ms and 2 ms of bus
  // time a poll).
  EXPECT_GT(rate, 0.95 * 1000.0 / 18);
  EXPECT_EQ(w.CoinProperties(), "");
  EXPECT_GE(JvsGetStrayByteCount(), 33u);
  std::printf("a cut header and a trickle: %.1f polls a second\n", rate);
}

// A board whose line driver puts bytes on the line 2 ms after each of its
// frames that belong to no frame or begin one that never ends: a stray
// byte, a sync byte alone, half a frame (E0 00 05 01). They cost no wait
// (a frame that pauses is dead, and one only begun makes none): node 1 is
// polled as often (within 5 %) as on a clean line, with one node and with
// two; the bytes are told once for each node they came with. So too on a
// line that echoes what the master writes.
TEST_F(MasterOnAWire, AStrayByteAfterEveryReplyCostsNoPolls) {
  struct Way {
    const char* what;
    Bytes after;
    bool echo = false;
  } ways[] = {{"a clean line", {}},
              {"a stray byte", {0xFF}},
              {"a sync byte alone", {0xE0}},
              {"half a frame", {0xE0, 0x00, 0x05, 0x01}},
              {"an echoing line", {}, true}};
  for (int nodes : {1, 2}) {
    SCOPED_TRACE(nodes);
    double clean = 0;
    for (const Way& way : ways) {
      SCOPED_TRACE(way.what);
      BusWorld w(nodes);
      w.wire.afterReply = way.after;
      w.wire.echo = way.echo;
      testsupport::StderrCapture capture;
      Ready(w);
      const uint32_t start = w.wire.NowMs();
      const int polls = w.wire.board.cycles.at(1);
      for (int f = 0; f < 300; ++f) w.Frame();
      const double rate = (w.wire.board.cycles.at(1) - polls) * 1000.0 / (w.wire.NowMs() - start);
      if (clean == 0) clean = rate;
      const std::string err = capture.Take();
      EXPECT_EQ(w.fault, "");
      EXPECT_FALSE(w.Halted());
      const int told = Lines(err, "bytes outside frames on the line while node");
      if (!way.after.empty()) {
        EXPECT_GT(JvsGetStrayByteCount(), 300u);
        EXPECT_GE(told, 1) << err;
        EXPECT_LE(told, nodes + 1) << err;
      } else {
        EXPECT_EQ(told, 0) << err;
      }
      EXPECT_GE(rate, 0.95 * clean) << "polls a second: " << clean << " clean, " << rate;
      std::printf("%d node(s), %s: %.1f polls a second\n", nodes, way.what, rate);
    }
  }
}

// Sparse noise on a bus that is up, for 10 s: one byte every 10-100 ms, a
// tenth of them sync bytes. A sync byte alone is dead kJvsByteWaitMs on,
// and the noise spoils an exchange only where it meets its answer (some 4 %
// of them, each then costing a quiet line); the bus never stops, polls on
// at more than 60 % of the clean rate, and no two polls of node 1 are more
// than 0.5 s apart.
TEST_F(MasterOnAWire, SparseNoiseWithSyncBytesLeavesNoLongGaps) {
  BusWorld w;
  Ready(w);
  testsupport::StderrCapture capture;
  testsupport::SimLineNoise noise{11, 10, 100, 1, true, 10000};
  noise.syncPercent = 10;
  w.wire.SetLineNoise(noise);
  const uint32_t start = w.wire.NowMs();
  int polls = w.wire.board.cycles.at(1), first = polls;
  uint32_t last = start, gap = 0;
  while (w.wire.NowMs() - start < 10000 && !w.Halted()) {
    w.Frame();
    if (w.wire.board.cycles.at(1) != polls) {
      polls = w.wire.board.cycles.at(1);
      gap = std::max(gap, w.wire.NowMs() - last);
      last = w.wire.NowMs();
    }
  }
  const double rate = (polls - first) * 1000.0 / (w.wire.NowMs() - start);
  capture.Take();
  EXPECT_EQ(w.fault, "");
  EXPECT_FALSE(w.Halted());
  EXPECT_LE(gap, 500u);
  EXPECT_GT(rate, 0.6 * 1000.0 / 18);
  std::printf("sparse noise, 10 %% sync bytes: %.1f polls a second, the longest gap %u ms\n", rate, gap);
}

// A decrease whose answer was lost, and every request to send it again
// after it: the node is asked until the run of spoiled exchanges would stop
// the bus, then the counter settles the decrease at the poll that follows
// at once; the bus goes on. So too where the step's time runs out first
// (node 0's answers lost twice, asked in turn with node 1, and node 1's
// five) after exchanges spoiled on a quiet line: the fate is not kept open;
// nor where the time runs out while the fate waits for node 1's next turn
// (node 0, asked between, meets noise). A board seen to send a true copy
// after answering a request to send again with status 3 keeps no status 3:
// later, two such status 3s in a row are asked past.
TEST_F(MasterOnAWire, TheFateIsAskedUpToTheSpoiledRunThenTheCounterSettlesAtOnce) {
  using F = SimJvsWire::Fault;
  std::vector<std::pair<int, F>> asks;
  for (int i = 2; i <= 6; ++i) asks.push_back({i, F::kLost});
  std::vector<std::pair<int, F>> requestToo = asks;
  requestToo.push_back({1, F::kLost});
  const Story cases[] = {
      {"carried out", asks, {{1, F::kLost}}, "DAAAAAPP"},
      {"never reached the node", requestToo, {}, "DAAAAAPD"},
      // The answers lost: node 0's status twice, asked in turn with node
      // 1, the decrease's, and those of four requests to send it again.
      // Node 0's two tries and node 1's five spend the step's time before
      // node 1's exchanges make six in a row.
      {"carried out, the step's time up", {},
       {{0, F::kLost}, {1, F::kLost}, {2, F::kLost}, {3, F::kLost}, {5, F::kLost}, {6, F::kLost}, {7, F::kLost}},
       "DAAAAPP"},
  };
  for (const Story& c : cases) {
    Tell(c, [](BusWorld& w) { w.wire.board.silentOnDamage = true; });
    EXPECT_FALSE(JvsDecreaseUnsettled(1));
  }

  {
    BusWorld w;
    Ready(w);
    EXPECT_EQ(Letters(PlayDecrease(w, 1, {{2, F::kStatusThree}}, {{1, F::kLost}})).substr(0, 4), "DAAP");
    EXPECT_EQ(Letters(PlayDecrease(w, 1, {{2, F::kStatusThree}, {3, F::kStatusThree}}, {{1, F::kLost}})).substr(0, 5),
              "DAAAP");
    EXPECT_EQ(w.CoinProperties(), "");
    EXPECT_EQ(w.wire.board.decreases, (std::vector<std::pair<int, int>>{{1, 1}, {1, 1}}));
  }

  // While the coin is taken off, node 0's answers each damaged by 5 ms of
  // noise and read 150 ms late (a loaded machine), node 1's first three
  // answers lost (the decrease's, the request to send it again's, the
  // poll's after it): node 1's fate waits for its turn after node 0's each
  // time, and the step's time runs out while it waits. Spoiled on a quiet line,
  // the fate goes to the counter, which the next poll asks.
  BusWorld put;
  Ready(put);
  testsupport::StderrCapture quiet;
  bool on = false;
  int lost = 0;
  put.wire.script = [&](bool request) {
    if (request && on && put.WritingNode() == 0) {
      put.wire.SetLineNoise(testsupport::SimLineNoise::Flood(7, false, 5));
      put.wire.lateOnceMs = 150;
    }
    if (!request && on && put.WritingNode() == 1 && lost < 3) {
      ++lost;
      return F::kLost;
    }
    return F::kWhole;
  };
  put.beforeStep = [&](BusWorld& world) {
    if (on || !BusWorld::QueuedDecrease()) return;
    on = true;
    world.wire.TakeWritten();
  };
  put.InsertCoins(0, 1);
  bool unsettled = false;
  EXPECT_TRUE(put.FramesUntil([&] {
    unsettled = unsettled || JvsDecreaseUnsettled(1);
    return on && put.CoinsSettled();
  }));
  EXPECT_EQ(Letters(Written(put.wire)).substr(0, 4), "DAPP");
  EXPECT_EQ(put.CoinProperties(), "");
  EXPECT_ALL({VAL(unsettled, true),
              VAL(put.wire.board.decreases == (std::vector<std::pair<int, int>>{{1, 1}}), true)});
}

// The take-off's result (CheckCoinSlot) reads busy from the game's
// decrease until the node has taken the coins off and its count was read
// after it, then done; frame by frame from the frame the coins go in: the
// cycle of that frame reads them, the next frame's poll hands them to the
// game, which takes them off (asked for); the poll after writes them to the
// board's counter, the one after hands them to the node's poll, whose
// answer takes them off and counts; the poll after that reads it done.
// Where the counts in the answer that took them off come busy, one cycle
// more reads them. When the result reads done, the node has them off.
TEST_F(MasterOnAWire, TheTakeOffReadsBusyUntilTheNodeCountedAfterIt) {
  const struct {
    const char* what;
    uint8_t countsAfterDecrease;  // their report byte
    std::string results;
  } cases[] = {{"counts given with the decrease", 1, "03330"}, {"counts busy with the decrease", 4, "033330"}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    BusWorld w;
    w.wire.board.nodes[0].coinReportAfterDecrease = c.countsAfterDecrease;
    Ready(w);
    w.InsertCoins(0, 3);
    std::string results;
    for (size_t i = 0; i < c.results.size(); ++i) {
      w.Frame();
      results += char('0' + w.device->CheckCoinSlot(0, 0));
    }
    EXPECT_EQ(results, c.results);
    EXPECT_ALL({VAL(w.wire.board.nodes[0].coins[0], 0), VAL(w.credited, 3)});
    EXPECT_EQ(w.wire.board.decreases, (std::vector<std::pair<int, int>>{{1, 3}}));
    EXPECT_EQ(w.CoinProperties(), "");
  }
}

// A close right after the game took coins off: those it counted are taken
// off the node, those it only asked for are not. The game asks for a
// take-off in one frame and counts it in the next, whose poll wrote it:
// counted, written to the board's counter (not handed on yet), or in the
// node's poll with its cycle asked for, the node has them off when the
// close returns, within the close's bound; asked for and not counted, they
// stay on the node, and the next open counts them once. Where the
// decrease's request is lost on a node that cannot send its reply again,
// its counter tells it was not carried out and a cycle more sends it
// again; where that counter reads busy, a cycle more reads it first. What
// node 1 is sent in the close, as letters.
TEST_F(MasterOnAWire, ACloseRightAfterATakeOffSendsWhatTheGameCounted) {
  const struct {
    const char* what;
    int frames;        // from the frame the coins go in
    bool poll;         // and a poll after them
    bool lost;         // the decrease's first request lost, the node asked again answering status 2
    bool counterBusy;  // and its counts busy in the answer to the poll after that
    const char* story;
  } cases[] = {{"asked for, not counted", 2, false, false, false, ""},
               {"counted, on the board's counter", 3, false, false, false, "D"},
               {"counted, in the node's poll, its cycle asked for", 3, true, false, false, "D"},
               {"counted, its request lost, the counter tells", 3, false, true, false, "DAPD"},
               {"counted, its request lost, the counter busy once", 3, false, true, true, "DAPPD"}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    BusWorld w;
    Ready(w);
    w.InsertCoins(0, 3);
    for (int i = 0; i < c.frames; ++i) w.Frame();
    if (c.poll) w.device->Poll();
    const bool counted = c.frames == 3;
    EXPECT_ALL({VAL(w.credited, counted ? 3 : 0), VAL(w.HandedBack(), counted ? 0 : 3),
                VAL(w.device->Request(0).decrease[0], counted ? 0 : 3),
                VAL(BusWorld::QueuedDecrease() && JvsGetState() == kJvsStateRequested, c.poll),
                VAL(w.wire.board.decreases.empty(), true)});
    bool lost = !c.lost, asked = false, busy = c.counterBusy;
    w.wire.board.askedAgain = testsupport::SimJvsBoard::AskedAgain::kUnsupported;
    w.wire.script = [&](bool request) {
      if (!request || w.WritingNode() != 1) return SimJvsWire::kWhole;
      if (!lost && w.WritingDecrease()) {
        lost = true;
        return SimJvsWire::kLost;
      }
      if (asked) {
        w.wire.board.nodes[0].coinReport = busy ? 4 : 1;
        busy = false;
      }
      asked = asked || w.WritingAskAgain();
      return SimJvsWire::kWhole;
    };
    w.wire.TakeWritten();
    const uint32_t from = w.wire.NowMs();
    EXPECT_EQ(w.device->Close(), 0);
    EXPECT_ALL({VAL(w.wire.board.nodes[0].coins[0], counted ? 0 : 3),
                VAL(w.wire.NowMs() - from <= kJvsCloseBoundMs, true), VAL(JvsGetState(), -1)});
    EXPECT_EQ(Letters(Written(w.wire)), c.story);
    EXPECT_EQ(w.wire.board.decreases.size(), counted ? 1u : 0u);
    // The next open: every coin credited once and taken off once.
    w.wire.script = nullptr;
    ASSERT_TRUE(w.Reopen());
    EXPECT_TRUE(w.FramesUntil([&] { return w.CoinsSettled(); }));
    EXPECT_EQ(w.CoinProperties(), "");
    EXPECT_ALL({VAL(w.credited, 3), VAL(w.wire.board.nodes[0].coins[0], 0)});
    EXPECT_EQ(w.wire.board.decreases, (std::vector<std::pair<int, int>>{{1, 3}}));
  }
}

// A coin counter word's condition bits (14-15: a jam, the counter busy) are
// no part of its count. The poll before a decrease reads the count with the
// busy bit on, and it is off again when the counter settles the decrease
// (the node kept its status 3, so it could not tell): the count is the
// same, so the decrease was not carried out and goes out again. The coin is
// credited once.
TEST_F(MasterOnAWire, ACountsConditionBitsSettleNoDecrease) {
  using F = SimJvsWire::Fault;
  BusWorld w;
  w.wire.board.keepStatusThree = true;
  Ready(w);
  testsupport::StderrCapture quiet;
  bool bitOn = false, placed = false;
  w.beforeStep = [&](BusWorld& world) {
    testsupport::SimJvsNode& n = world.wire.board.nodes[0];
    if (!bitOn && world.credited == 1) {
      n.coins[0] |= 0x4000;  // read by this frame's poll, before the decrease
      bitOn = true;
    } else if (bitOn && !placed && BusWorld::QueuedDecrease()) {
      placed = true;
      n.coins[0] &= kJvsCoinCountBits;
      world.wire.StartCounting();
      world.wire.SetRequestFault(1, F::kDamaged);
      world.wire.SetReplyFault(1, F::kLost);
      world.wire.TakeWritten();
    }
  };
  w.InsertCoins(0, 1);
  EXPECT_TRUE(w.FramesUntil([&] { return placed && w.CoinsSettled(); }));
  for (int i = 0; i < 3; ++i) w.Frame();
  EXPECT_EQ(Letters(Written(w.wire)).substr(0, 5), "DAAPD");
  EXPECT_EQ(w.fault, "");
  EXPECT_EQ(w.credited, 1);
  EXPECT_EQ(w.CoinProperties(), "");
  EXPECT_EQ(w.wire.board.decreases, (std::vector<std::pair<int, int>>{{1, 1}}));
}

// Node 0's setting goes out and is done whatever node 0's status bytes and
// whether it answers every command of a frame or only the first: the
// marker, its status command twice, shows which. A node that answers every
// command gets the setting command with its status command after it (the
// frames worked by hand in EachSettingCommandGoesOutWithTheStatusCommandAfterIt);
// a node that answers the first alone gets the setting command alone: 18000
// is 0x4650, length 4, sum 4 + 5 + 0x46 + 0x50 = 0x9F; the apply, length 2,
// sum 2 + 4 = 6. Where no reply of node 0 could tell the fate of a setting
// command whose answer was lost, the setting is given up in one line, never
// sent twice, and the bus goes on.
TEST_F(MasterOnAWire, TheSettingGoesOutWhateverNodeZeroAnswers) {
  const struct Case {
    const char* what;
    bool firstOnly;
    uint8_t status[2];
  } cases[] = {
      {"every command answered, status 5A 01", false, {0x5A, 0x01}},
      {"every command answered, status 01 01", false, {0x01, 0x01}},
      {"every command answered, status 02 03", false, {0x02, 0x03}},
      {"the first command answered alone", true, {0x5A, 0x01}},
      {"the first command answered alone, status 01 01", true, {0x01, 0x01}},
  };
  for (const Case& c : cases) {
    for (bool valueAnswerLost : {false, true}) {
      SCOPED_TRACE(testing::Message() << c.what << (valueAnswerLost ? ", the value's answer lost" : ""));
      BusWorld w;
      w.boardSetting = true;
      w.frameMs = 100;
      w.wire.board.boardAnswersFirstOnly = c.firstOnly;
      std::copy(c.status, c.status + 2, w.wire.board.boardStatus);
      // Where the lost answer leaves the fate to node 0's last reply, it is
      // asked for: a node that answers every command, whose first status
      // byte cannot be a report byte (1 to 4), so that the marker's answer
      // breaks the layout of the setting frame's. Where nothing can tell, the
      // setting is given up.
      const bool tells = !c.firstOnly && (c.status[0] == 0 || c.status[0] > kJvsReportLast);
      testsupport::StderrCapture capture;
      bool placed = false;
      w.beforeStep = [&](BusWorld& world) {
        if (placed || !world.settingAsked) return;
        placed = true;
        world.wire.TakeWritten();
        if (!valueAnswerLost) return;
        // The setting's step goes before the frame's cycle: the marker's
        // answer (where it can tell nothing, a second marker's), then the
        // value's.
        world.wire.StartCounting();
        world.wire.SetReplyFault(tells ? 1 : 2, SimJvsWire::kLost);
      };
      ASSERT_TRUE(w.Open());
      ASSERT_TRUE(w.FramesUntil([] { return JvsGetNodeSettingResult() == kJvsSettingDone ||
                                            JvsGetNodeSettingResult() == kJvsSettingFailed; }));
      for (int i = 0; i < 10; ++i) w.Frame();
      const std::string err = capture.Take();
      EXPECT_FALSE(w.Halted()) << err;
      EXPECT_EQ(w.wire.board.boardValues, 1);
      EXPECT_EQ(w.wire.board.boardSetting, 18000);
      std::vector<Bytes> settings;
      for (const SimJvsWire::Written& x : w.wire.TakeWritten())
        if (x.bytes.size() > 3 && x.bytes[1] == 0 && (x.bytes[3] == 0x05 || x.bytes[3] == 0x04))
          settings.push_back(x.bytes);
      const Bytes value = c.firstOnly ? Bytes{0xE0, 0x00, 0x04, 0x05, 0x46, 0x50, 0x9F}
                                      : Bytes{0xE0, 0x00, 0x06, 0x05, 0x46, 0x50, 0x01, 0x02, 0xA4};
      const Bytes apply = c.firstOnly ? Bytes{0xE0, 0x00, 0x02, 0x04, 0x06} : Bytes{0xE0, 0x00, 0x04, 0x04, 0x01, 0x02, 0x0B};
      if (!valueAnswerLost) {
        EXPECT_EQ(JvsGetNodeSettingResult(), kJvsSettingDone);
        EXPECT_EQ(settings, (std::vector<Bytes>{value, apply}));
        EXPECT_EQ(w.wire.board.boardApplies, 1);
        EXPECT_EQ(err, "");
      } else if (tells) {
        EXPECT_EQ(JvsGetNodeSettingResult(), kJvsSettingDone);
        EXPECT_EQ(settings, (std::vector<Bytes>{value, apply}));
      } else {
        EXPECT_EQ(JvsGetNodeSettingResult(), kJvsSettingFailed);
        EXPECT_EQ(settings, (std::vector<Bytes>{value}));
        EXPECT_EQ(w.wire.board.boardApplies, 0);
        EXPECT_EQ(err,
                  "jvs bus: node 0 cannot tell whether it carried out its setting command 0x05: the setting is "
                  "not sent again\n");
      }
    }
  }
}

// A frame with a right sum and a status the exchange cannot use (0, 2, 4, 5,
// FF: a node's, or one noise formed) in place of an answer is one spoiled
// exchange like any other: a poll without effect is written again, a
// decrease's fate is asked of the node (its copy says it was carried out),
// and the bus goes on. Six of a node's in a row stop it, in one line that
// names the status: node 0's, asked first in each round of turns.
TEST_F(MasterOnAWire, AFrameOfAStatusTheExchangeCannotUseIsOneSpoiledExchange) {
  using F = SimJvsWire::Fault;
  for (uint8_t status : {0x00, 0x02, 0x04, 0x05, 0xFF}) {
    SCOPED_TRACE(int{status});
    const Story poll{"node 1's answer", {}, {{1, F::kOtherStatus}}, "PP"};
    {
      testsupport::StderrCapture quiet;
      BusWorld w;
      w.wire.otherStatus = status;
      Ready(w);
      w.wire.StartCounting();
      w.wire.SetReplyFault(1, F::kOtherStatus);
      w.wire.TakeWritten();
      const int read = w.inputsRead;
      for (int i = 0; i < 3; ++i) w.Frame();
      EXPECT_EQ(Letters(Written(w.wire)).substr(0, 2), poll.story);
      EXPECT_EQ(w.fault, "");
      EXPECT_ALL({VAL(w.Halted(), false), VAL(w.inputsRead - read, 3)});
    }
    {
      testsupport::StderrCapture quiet;
      Tell({"a decrease's answer", {}, {{1, F::kOtherStatus}}, "DAP"},
           [status](BusWorld& w) { w.wire.otherStatus = status; });
    }
    BusWorld w;
    w.wire.otherStatus = status;
    Ready(w);
    testsupport::StderrCapture capture;
    w.wire.script = [](bool request) { return request ? F::kWhole : F::kOtherStatus; };
    w.FramesUntil([] { return false; }, 10);
    const std::string err = capture.Take();
    EXPECT_TRUE(w.Halted());
    EXPECT_EQ(Lines(err, "jvs bus: no good answer from node 0 in 6 exchanges in a row (6 with status " +
                             std::to_string(status) + "); the bus is stopped"),
              1)
        << err;
    EXPECT_EQ(Lines(err, "the bus is stopped"), 1) << err;
  }
}

// A node asked for its last reply after a decrease poll's exchange went
// wrong, by the way it meets that request: with status 2, as a command it
// does not have, or a report 2 of its own for it, it says it cannot tell:
// the counter settles the decrease at the poll that follows (below the count
// before: carried out; else it goes out again), and the node, told of once,
// is not asked again until the bus comes up again. Silent to it, it cannot
// be told from a lost request: it is asked up to the spoiled run, then the
// counter settles, and it is asked again the next time. Two decreases in a
// row, each carried out or lost on its way: each coin taken off once.
TEST_F(MasterOnAWire, ANodeThatCannotSendItsReplyAgainLeavesTheFateToItsCounter) {
  using F = SimJvsWire::Fault;
  using Way = testsupport::SimJvsBoard::AskedAgain;
  const struct Case {
    const char* what;
    Way way;
    bool carried;  // the decrease's answer lost (else its request)
    const char* first;
    const char* second;
  } cases[] = {
      {"status 2, carried out", Way::kUnsupported, true, "DAP", "DP"},
      {"status 2, never reached the node", Way::kUnsupported, false, "DAPD", "DPD"},
      {"a report 2 of its own, carried out", Way::kOwnReport, true, "DAP", "DP"},
      {"a report 2 of its own, never reached the node", Way::kOwnReport, false, "DAPD", "DPD"},
      {"silent, carried out", Way::kSilent, true, "DAAAAAP", "DAAAAAP"},
      {"silent, never reached the node", Way::kSilent, false, "DAAAAAPD", "DAAAAAPD"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    BusWorld w;
    w.wire.board.askedAgain = c.way;
    testsupport::StderrCapture capture;
    Ready(w);
    const std::vector<std::pair<int, F>> lost = {{1, F::kLost}}, none;
    for (const char* story : {c.first, c.second}) {
      const std::vector<Sent> sent = PlayDecrease(w, 1, c.carried ? none : lost, c.carried ? lost : none);
      EXPECT_EQ(Letters(sent).substr(0, strlen(story) + 1), std::string(story) + "P");
      EXPECT_FALSE(JvsDecreaseUnsettled(1));
    }
    const std::string err = capture.Take();
    EXPECT_EQ(w.fault, "");
    EXPECT_FALSE(w.Halted());
    EXPECT_EQ(w.CoinProperties(), "");
    EXPECT_EQ(w.wire.board.decreases, (std::vector<std::pair<int, int>>{{1, 1}, {1, 1}}));
    EXPECT_EQ(Lines(err, "node 1 does not send its last reply again"), c.way == Way::kSilent ? 0 : 1) << err;
  }
}

// Node 0 without the request to send again: the value's answer lost, it
// answers the request with status 2, so the setting is given up in one line,
// never sent twice; a setting after that whose answer is lost is given up
// at once, node 0 not asked again. The bus goes on.
TEST_F(MasterOnAWire, ASettingNodeZeroCannotTellIsGivenUpOnceItSaysSo) {
  BusWorld w;
  w.boardSetting = true;
  w.frameMs = 100;
  w.wire.board.askedAgain = testsupport::SimJvsBoard::AskedAgain::kUnsupported;
  testsupport::StderrCapture capture;
  // The step's frames for node 0: the marker (its status twice), then the
  // value; its answer is the second of the step.
  bool placed = false;
  w.beforeStep = [&](BusWorld& world) {
    if (placed || !world.settingAsked) return;
    placed = true;
    world.wire.StartCounting();
    world.wire.SetReplyFault(1, SimJvsWire::kLost);
  };
  ASSERT_TRUE(w.Open());
  ASSERT_TRUE(w.FramesUntil([] { return JvsGetNodeSettingResult() == kJvsSettingFailed; }));
  EXPECT_EQ(w.wire.board.retransmits, 1);
  // The second setting: its value's answer is the first of the next step.
  w.Frame();
  w.wire.StartCounting();
  w.wire.SetReplyFault(0, SimJvsWire::kLost);
  ASSERT_EQ(JvsSendNodeSetting(18000), 1);
  ASSERT_TRUE(w.FramesUntil([] { return JvsGetNodeSettingResult() == kJvsSettingFailed; }));
  for (int i = 0; i < 5; ++i) w.Frame();
  const std::string err = capture.Take();
  EXPECT_EQ(w.fault, "");
  EXPECT_ALL({VAL(w.Halted(), false), VAL(w.wire.board.boardValues, 2), VAL(w.wire.board.boardApplies, 0),
              VAL(w.wire.board.retransmits, 1),
              VAL(Lines(err, "node 0 does not send its last reply again"), 1),
              VAL(Lines(err, "node 0 cannot tell whether it carried out its setting command 0x05"), 2)});
}

// Node 0 refuses its setting command (a report 2, 3 or 4 in a whole answer):
// the setting is given up in one line that names the report, and the bus
// goes on polling.
TEST_F(MasterOnAWire, ASettingNodeZeroRefusesIsGivenUpAndTheBusGoesOn) {
  for (uint8_t report : {2, 3, 4}) {
    SCOPED_TRACE(int{report});
    BusWorld w;
    w.boardSetting = true;
    w.frameMs = 100;
    w.wire.board.boardSettingReport = report;
    testsupport::StderrCapture capture;
    ASSERT_TRUE(w.Open());
    ASSERT_TRUE(w.FramesUntil([] { return JvsGetNodeSettingResult() == kJvsSettingFailed; }));
    const int read = w.inputsRead;
    for (int i = 0; i < 5; ++i) w.Frame();
    const std::string err = capture.Take();
    EXPECT_EQ(w.fault, "");
    EXPECT_ALL({VAL(w.Halted(), false), VAL(w.inputsRead - read, 5), VAL(w.wire.board.boardValues, 0),
                VAL(Lines(err, "jvs bus: node 0 refused its setting command 0x05 (report " + std::to_string(report) +
                                   "); the setting is given up"),
                    1),
                VAL(Lines(err, "the bus is stopped"), 0)});
  }
}

// A request that never reaches its node whole, while the short request to
// send the last reply again does: the copy says each time that it was not
// carried out, and it goes out again, but the copies end no run: after six
// spoiled exchanges of it the bus stops, in one line, as for any request
// (the master's work is held to BusWorld::kWriteBound frames, so a master
// that would go on for ever fails here instead of hanging). So too where
// the node answers each with status 3 (each asked again: a status 3 is no
// proof), and for node 0's setting, each setting frame answered status 3.
// A restart on a clean wire then carries the decrease, or the setting, out
// once.
TEST_F(MasterOnAWire, ARequestThatNeverArrivesWholeStopsTheBusAfterSixSpoiled) {
  const struct Case {
    const char* what;
    bool setting;
    bool silentOnDamage;
    SimJvsWire::Fault fault;
    const char* story;  // node 1's frames, or node 0's setting frames (S)
    const char* line;
  } cases[] = {
      {"a decrease, its frames damaged, the node silent on damage", false, true, SimJvsWire::kDamaged,
       "DADADADADAD", "no good answer from node 1 in 6 exchanges in a row (6 silent); the bus is stopped"},
      {"a decrease, its frames damaged, the node answering status 3", false, false, SimJvsWire::kDamaged,
       "DADADADADAD",
       "no good answer from node 1 in 6 exchanges in a row (6 status 3 (the node saw a damaged request)); the bus "
       "is stopped"},
      {"node 0's setting, its frames answered status 3", true, false, SimJvsWire::kStatusThree, "SSSSSS",
       "no good answer from node 0 in 6 exchanges in a row (6 status 3 (the node saw a damaged request)); the bus "
       "is stopped"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    BusWorld w;
    w.wire.board.silentOnDamage = c.silentOnDamage;
    w.boardSetting = c.setting;
    w.wire.script = [&w, &c](bool request) {
      return request && (c.setting ? w.WritingSetting() : w.WritingDecrease()) ? c.fault : SimJvsWire::kWhole;
    };
    testsupport::StderrCapture capture;
    if (c.setting) {
      ASSERT_TRUE(w.Open());
    } else {
      Ready(w);
      w.wire.TakeWritten();
      w.InsertCoins(0, 1);
    }
    EXPECT_FALSE(w.FramesUntil([] { return false; }, 100));
    const std::string err = capture.Take();
    EXPECT_EQ(w.fault, "");
    EXPECT_TRUE(w.Halted());
    const std::vector<Sent> sent = Written(w.wire);
    std::string story;
    for (const Sent& s : sent)
      if (s.node == 0 && !s.data.empty() && s.data[0] == kJvsBoardSetValue) story += 'S';
    // Node 1's polls until the coin is counted, then the decrease's story.
    const std::string letters = Letters(sent);
    if (!c.setting) story = letters.substr(std::min(letters.find('D'), letters.size()));
    EXPECT_EQ(story.substr(0, 16), c.story);
    EXPECT_EQ(Lines(err, "the bus is stopped"), 1) << err;
    EXPECT_EQ(Lines(err, c.line), 1) << err;
    EXPECT_TRUE(w.StopAllowed());
    // The figures: the longest piece of the master's work, and the longest
    // stretch without a fresh read of the inputs, while the bus was up.
    std::printf("%s: longest work %u ms, longest stretch without a fresh read %u ms\n", c.what, w.longestWorkMs,
                w.longestStaleMs);
    // A restart on a clean wire.
    w.wire.script = nullptr;
    ASSERT_TRUE(w.Reopen());
    if (c.setting) {
      EXPECT_TRUE(w.FramesUntil([] { return JvsGetNodeSettingResult() == kJvsSettingDone; }));
      EXPECT_ALL({VAL(w.wire.board.boardValues, 1), VAL(w.wire.board.boardApplies, 1)});
    } else {
      EXPECT_TRUE(w.FramesUntil([&] { return w.Ready() && w.CoinsSettled(); }));
      EXPECT_EQ(w.CoinProperties(), "");
      EXPECT_EQ(w.wire.board.decreases, (std::vector<std::pair<int, int>>{{1, 1}}));
    }
    EXPECT_EQ(w.fault, "");
  }
}

}  // namespace

namespace {

// The coin-loss sweep: seeded noise of 1 to 8 per cent spoiled frames each
// way (now and then several in a row) on one node, and a coin about every
// twentieth frame, whatever the bus is doing (far more coins than a cabinet
// sees). No credit may run ahead of the coins, no wait for a quiet line
// outlast its bound, and once the noise stops every coin is credited once,
// except those the documented loss takes (BusWorld: coins at risk), and
// taken off once. The coins lost are the figure.
struct LossFigure {
  int coins = 0, lost = 0, atRisk = 0, stops = 0;
};

LossFigure SweepCoinLoss(void (*board)(BusWorld&), int coins) {
  constexpr int kFrames = 1000;
  LossFigure out;
  testsupport::StderrCapture quiet;  // the bus's lines on damaged frames and stops
  for (uint32_t seed = 1; out.coins < coins; ++seed) {
    SCOPED_TRACE(testing::Message() << "seed " << seed);
    const int perMille = 10 + int(seed * 7 % 71);
    BusWorld w;
    board(w);
    w.wire.SetNoise({seed, perMille / 2, perMille / 2, 25}, 30);
    EXPECT_TRUE(w.Open());
    uint32_t draw = seed;
    for (int f = 0; f < kFrames && w.fault.empty() && out.coins + w.inserted < coins; ++f) {
      draw = draw * 1103515245u + 12345u;
      if ((draw >> 16) % 20 == 0) w.InsertCoins(0, 1);
      if (w.Halted()) {
        EXPECT_TRUE(w.StopAllowed()) << "stopped after fewer than six spoiled exchanges";
        ++out.stops;
        EXPECT_TRUE(w.Reopen());
      }
      w.Frame();
    }
    EXPECT_EQ(w.fault, "");
    w.wire.NoiseOff();
    if (w.Halted()) {
      EXPECT_TRUE(w.Reopen());
    }
    EXPECT_TRUE(w.FramesUntil([&] { return w.Ready() && w.CoinsSettled(); }, 600)) << w.CoinProperties();
    for (int i = 0; i < 10; ++i) w.Frame();
    EXPECT_EQ(w.CoinProperties(), "");
    out.coins += w.inserted;
    out.lost += w.Lost();
    out.atRisk += w.atRisk;
    if (::testing::Test::HasFailure()) break;
  }
  return out;
}

void Report(const char* board, const LossFigure& f) {
  ::testing::Test::RecordProperty("coins", f.coins);
  ::testing::Test::RecordProperty("lost", f.lost);
  ::testing::Test::RecordProperty("at_risk", f.atRisk);
  std::printf("%s: %d of %d coins lost (%d at risk), %d stops\n", board, f.lost, f.coins, f.atRisk, f.stops);
}

// The figure's count of coins, per board.
constexpr int kSweepCoins = 18750;

}  // namespace

TEST_F(MasterOnAWire, CoinsLostOnAPlainBoardAtSeededNoise) {
  Report("plain board", SweepCoinLoss([](BusWorld&) {}, kSweepCoins));
}

TEST_F(MasterOnAWire, CoinsLostOnABoardThatKeepsStatusThreeAtSeededNoise) {
  Report("board that keeps status 3",
         SweepCoinLoss([](BusWorld& w) { w.wire.board.keepStatusThree = true; }, kSweepCoins));
}

TEST_F(MasterOnAWire, CoinsLostOnABoardSilentOnDamageAtSeededNoise) {
  Report("board silent on damage",
         SweepCoinLoss([](BusWorld& w) { w.wire.board.silentOnDamage = true; }, kSweepCoins));
}

TEST_F(MasterOnAWire, CoinsLostOnABoardWithoutTheRequestToSendAgainAtSeededNoise) {
  using Way = testsupport::SimJvsBoard::AskedAgain;
  Report("board without the request to send again",
         SweepCoinLoss([](BusWorld& w) { w.wire.board.askedAgain = Way::kUnsupported; }, kSweepCoins));
}

namespace {

// What a run on the wire did, to hold a run on an echoing line against the
// same run on a plain one.
struct Trace {
  std::vector<std::pair<uint32_t, Bytes>> written;  // every write: when, what
  std::string told;                                 // the bus's lines
  int state = 0, credited = 0, inputsRead = 0, setting = 0, values = 0, applies = 0;
  std::vector<std::pair<int, int>> decreases;
  uint32_t errors = 0, stray = 0, dropped = 0;
  uint8_t boardStatus[2] = {};
};

// Plays a story on one node (two with `two`), on a plain or an echoing line.
// The stories' faults are placed from the frame where `from` first holds,
// in frames counted each way from there (echoes are no frames).
struct EchoStory {
  const char* what;
  bool two = false;
  void (*board)(BusWorld&) = nullptr;
  bool (*from)(BusWorld&) = nullptr;
  std::vector<std::pair<int, SimJvsWire::Fault>> requests = {}, replies = {};
  uint16_t coins = 0;  // put in once the bus is up
};

Trace PlayEchoStory(const EchoStory& s, bool echo) {
  BusWorld w(s.two ? 2 : 1);
  w.wire.echo = echo;
  if (s.board) s.board(w);
  bool placed = !s.from;
  auto place = [&](BusWorld& world) {
    world.wire.StartCounting();
    for (auto [i, f] : s.requests) world.wire.SetRequestFault(i, f);
    for (auto [i, f] : s.replies) world.wire.SetReplyFault(i, f);
  };
  if (!s.from) place(w);
  w.beforeStep = [&](BusWorld& world) {
    if (placed || !s.from(world)) return;
    placed = true;
    place(world);
  };
  Trace t;
  testsupport::StderrCapture capture;
  EXPECT_TRUE(w.Open());
  for (int f = 0; f < 160 && !w.Halted(); ++f) {
    if (f == 0 || (s.coins && w.Ready() && w.inserted == 0)) {
      if (w.Ready()) w.InsertCoins(0, s.coins);
    }
    w.Frame();
  }
  t.told = capture.Take();
  EXPECT_EQ(w.fault, "");
  for (const SimJvsWire::Written& x : w.wire.TakeWritten()) t.written.emplace_back(x.at, x.bytes);
  t.state = JvsGetState();
  t.credited = w.credited;
  t.inputsRead = w.inputsRead;
  t.setting = JvsGetNodeSettingResult();
  t.values = w.wire.board.boardValues;
  t.applies = w.wire.board.boardApplies;
  t.decreases = w.wire.board.decreases;
  t.errors = JvsGetErrorCount();
  t.stray = JvsGetStrayByteCount();
  t.dropped = JvsGetDroppedReplyCount();
  std::copy(JvsGetNodeRecord(0)->switches, JvsGetNodeRecord(0)->switches + 1, t.boardStatus + 1);
  t.boardStatus[0] = JvsGetNodeRecord(0)->system;
  return t;
}

void Setting(BusWorld& w) {
  w.boardSetting = true;
  w.frameMs = 100;
}

}  // namespace

// Many bus adapters hand back every byte the master writes. On such a line
// every kind of exchange goes as on a plain line: the same frames written
// at the same times, the same answers taken (node 0's status 5A 01, not its
// own status command read back), the same lines told, no byte counted as
// outside frames and no frame dropped: bring-up, polls of one and two nodes
// with coins and decreases, node 0's setting sequence, requests to send
// again after a decrease's or a setting's answer was lost, a counter that
// settles a decrease, requests written again after faults, and a stop after
// six spoiled exchanges.
TEST_F(MasterOnAWire, AnEchoingLineGoesAsAPlainLine) {
  using F = SimJvsWire::Fault;
  auto decreasing = [](BusWorld&) { return BusWorld::QueuedDecrease(); };
  auto settingAsked = [](BusWorld& w) { return w.settingAsked; };
  auto ready = [](BusWorld& w) { return w.Ready() && w.inputsRead > 0; };
  const EchoStory stories[] = {
      {.what = "bring-up and polls with coins, one node", .coins = 3},
      {.what = "bring-up and polls with coins, two nodes", .two = true, .coins = 2},
      {.what = "bring-up with an address's answer and an identity request lost",
       .requests = {{4, F::kLost}},
       .replies = {{0, F::kLost}}},
      {.what = "node 0's setting sequence", .board = Setting},
      {.what = "node 0's setting, the value's answer lost: asked to send again",
       .board = Setting,
       .from = settingAsked,
       .replies = {{1, F::kLost}}},
      {.what = "node 0's setting, the value damaged on its way",
       .board = Setting,
       .from = settingAsked,
       .requests = {{1, F::kDamaged}}},
      {.what = "a decrease's answer lost: asked to send again", .from = decreasing, .replies = {{1, F::kLost}},
       .coins = 1},
      {.what = "a decrease's request answered with status 3",
       .from = decreasing,
       .requests = {{1, F::kStatusThree}},
       .coins = 1},
      {.what = "a decrease the counter settles, status 3 kept",
       .board = [](BusWorld& w) { w.wire.board.keepStatusThree = true; },
       .from = decreasing,
       .requests = {{2, F::kDamaged}},
       .replies = {{1, F::kLost}},
       .coins = 1},
      {.what = "polls written again after late and damaged answers",
       .two = true,
       .from = ready,
       .replies = {{0, F::kLate}, {2, F::kDamaged}, {3, F::kLost}}},
      {.what = "six spoiled exchanges stop the bus",
       .from = ready,
       .requests = {{0, F::kLost}, {1, F::kLost}, {2, F::kLost}, {3, F::kLost}, {4, F::kLost}, {5, F::kLost}}},
  };
  for (const EchoStory& s : stories) {
    SCOPED_TRACE(s.what);
    const Trace plain = PlayEchoStory(s, false);
    const Trace echoing = PlayEchoStory(s, true);
    EXPECT_EQ(echoing.written, plain.written);
    EXPECT_EQ(echoing.told, plain.told);
    EXPECT_ALL({VAL(echoing.state, plain.state), VAL(echoing.credited, plain.credited),
                VAL(echoing.inputsRead, plain.inputsRead), VAL(echoing.setting, plain.setting),
                VAL(echoing.values, plain.values), VAL(echoing.applies, plain.applies),
                VAL(echoing.errors, plain.errors), VAL(echoing.dropped, plain.dropped), VAL(echoing.stray, 0u),
                VAL(echoing.boardStatus[0], plain.boardStatus[0]), VAL(echoing.boardStatus[1], plain.boardStatus[1])});
    EXPECT_EQ(echoing.decreases, plain.decreases);
  }
}

namespace {

// Where noise on the line begins: at a frame the master writes (counted from
// the bus's open, its first poll, its first poll that takes coins off, or
// the setting asked for; -1: as the port opens), delayMs after it; with the
// answer to that frame lost, the noise meets the master's wait for a quiet
// line.
struct NoisePhase {
  const char* what;
  enum From { kOpen, kReady, kDecrease, kSetting } from;
  int request;
  uint32_t delayMs = 0;
  bool answerLost = false;
};

const NoisePhase kNoisePhases[] = {
    {"the port's open", NoisePhase::kOpen, -1},
    {"the resets", NoisePhase::kOpen, 0},
    {"address assignment", NoisePhase::kOpen, 2},
    {"the identity request", NoisePhase::kOpen, 3},
    {"the feature request", NoisePhase::kOpen, 7},
    {"a poll", NoisePhase::kReady, 1},
    {"a poll that takes coins off", NoisePhase::kDecrease, 1},
    {"node 0's marker before its setting", NoisePhase::kSetting, 0},
    {"node 0's setting value", NoisePhase::kSetting, 1},
    {"a wait for a quiet line", NoisePhase::kReady, 1, 2 * kJvsByteWaitMs, true},
};

struct NoiseRun {
  bool halted = false;
  std::string told, fault, coins;
  int inputsAfter = 0;  // switch words read after the noise ended
  uint32_t noiseFrom = 0, stoppedAfter = 0;
  // From the noise's end to the first switch word read after it.
  uint32_t recoveryMs = 0;
  int setting = 0, values = 0;
  uint32_t longestWorkMs = 0;  // the longest piece of the master's work on a bus that was up
};

// One node with coins put in at the phase's start, noise from the phase on;
// then frames until the noise ended, and after it twenty switch words were
// read, the coins settled and the setting asked for ended.
NoiseRun PlayNoise(const NoisePhase& p, const testsupport::SimLineNoise& noise) {
  NoiseRun run;
  BusWorld w;
  w.boardSetting = p.from == NoisePhase::kSetting;
  if (w.boardSetting) w.frameMs = 100;
  bool counting = false, started = false;
  auto count = [&](BusWorld& world) {
    counting = true;
    world.wire.StartCounting();
    if (p.answerLost) world.wire.SetReplyFault(p.request, SimJvsWire::kLost);
  };
  w.wire.script = [&](bool request) {
    if (request && counting && !started && w.wire.RequestsCounted() - 1 == p.request) {
      started = true;
      run.noiseFrom = w.wire.NowMs() + p.delayMs;
      w.wire.SetLineNoise(noise, p.delayMs);
    }
    return SimJvsWire::kWhole;
  };
  w.beforeStep = [&](BusWorld& world) {
    if (counting) return;
    if ((p.from == NoisePhase::kReady && world.Ready() && world.inputsRead > 0) ||
        (p.from == NoisePhase::kDecrease && world.Ready() && BusWorld::QueuedDecrease()) ||
        (p.from == NoisePhase::kSetting && world.settingAsked))
      count(world);
  };
  testsupport::StderrCapture capture;
  if (p.from == NoisePhase::kOpen) {
    count(w);
    w.InsertCoins(0, 2);
  }
  if (p.request < 0) {
    started = true;
    run.noiseFrom = w.wire.NowMs();
    w.wire.SetLineNoise(noise);
  }
  EXPECT_TRUE(w.Open());
  const uint32_t lasts = noise.forMs ? noise.forMs : 60000;
  int readAtEnd = -1;
  for (int f = 0; f < 3000 && !w.Halted(); ++f) {
    if (p.from != NoisePhase::kOpen && w.Ready() && w.inserted == 0) w.InsertCoins(0, 2);
    const bool over = started && int32_t(w.wire.NowMs() - (run.noiseFrom + lasts)) >= 0;
    if (over && readAtEnd < 0) readAtEnd = w.inputsRead;
    if (over && w.inputsRead > readAtEnd && !run.recoveryMs) run.recoveryMs = w.wire.NowMs() - (run.noiseFrom + lasts);
    if (over && w.inputsRead >= readAtEnd + 20 && w.CoinsSettled() &&
        JvsGetNodeSettingResult() != kJvsSettingRunning)
      break;
    w.Frame();
  }
  run.halted = w.Halted();
  if (run.halted) run.stoppedAfter = w.wire.NowMs() - run.noiseFrom;
  run.told = capture.Take();
  run.fault = w.fault.empty() && !started ? "the noise never began" : w.fault;
  run.inputsAfter = readAtEnd < 0 ? 0 : w.inputsRead - readAtEnd;
  run.coins = w.CoinProperties();
  run.setting = JvsGetNodeSettingResult();
  run.values = w.wire.board.boardValues;
  run.longestWorkMs = w.longestWorkMs;
  return run;
}

}  // namespace

// Noise on the line that ends, at each phase of the bus's work: floods at
// line rate and sparse bursts (three bytes every 5 to 40 ms), with sync bytes
// among them or without, ending inside a frame (a sync byte and the start of
// a frame to the master, then nothing) or not, for 50 ms to 1.5 s. Noise
// stops nothing: the bus keeps running, the inputs are read again, every
// coin is credited once and taken off once, the setting asked for is
// carried out once. Measured: how soon after the noise inputs are read
// again.
TEST_F(MasterOnAWire, NoiseThatEndsWithinTheSpoiledRunLeavesTheBusRunning) {
  using testsupport::SimLineNoise;
  constexpr uint32_t kWithinRunMs = 4 * kJvsQuietMs - kJvsByteWaitMs;
  for (const NoisePhase& p : kNoisePhases) {
    uint32_t worst = 0;
    for (int kind = 0; kind < 4; ++kind) {
      const bool flood = kind < 2, sync = kind % 2 == 0;
      for (bool inFrame : {false, true}) {
        for (uint32_t ms = 50; ms <= 1500; ms += 50) {
          const SimLineNoise noise = flood ? SimLineNoise::Flood(7, sync, ms, inFrame)
                                           : SimLineNoise{7, 5, 40, 3, sync, ms, inFrame};
          SCOPED_TRACE(testing::Message() << p.what << ": " << (flood ? "a flood" : "bursts")
                                          << (sync ? " with sync bytes" : " without sync bytes") << " for " << ms
                                          << " ms" << (inFrame ? ", ending inside a frame" : ""));
          const NoiseRun run = PlayNoise(p, noise);
          ASSERT_EQ(run.fault, "");
          ASSERT_FALSE(run.halted) << run.told;
          EXPECT_GE(run.inputsAfter, 20);
          EXPECT_EQ(run.coins, "");
          worst = std::max(worst, run.recoveryMs);
          // Where the asking for its fate reached the spoiled run, the
          // setting is given up, never sent twice.
          if (p.from == NoisePhase::kSetting) {
            EXPECT_EQ(run.values, 1);
            if (ms < kWithinRunMs) {
              EXPECT_EQ(run.setting, kJvsSettingDone) << run.told;
            }
          }
        }
      }
    }
    std::printf("%s: inputs read again at most %u ms after the noise ended\n", p.what, worst);
  }
}

// Noise that ends long after six exchanges could have gone wrong, from each
// phase: a 3 s flood with sync bytes and without (every answer meanwhile
// damaged), 3 s of frames to another node at line rate, floods of frames
// shaped as a node's answer to the master (E0 00 03 01 01 05) of 1.5, 2 and
// 3 s, sparse sync bytes (one every 60-120 ms) for 0.5 s and for 10 s, and
// a flood just within kJvsNoAnswerMs (no piece of the master's work
// outlasts the stop bound). The requests go out when a wait for a quiet
// line runs out, and the exchanges the noise spoils count toward no stop:
// the bus never stops (it comes up where the noise met its bring-up), the
// noise is told in a line that names its bytes and time, every coin put in
// counts once, and once the noise ends a request goes out within 0.3 s on a
// bus that is up (BusWorld). A flood just past kJvsNoAnswerMs stops the
// bus, in one line.
TEST_F(MasterOnAWire, NoiseThatEndsLongAfterTheSpoiledRunLeavesTheBusUp) {
  using testsupport::SimLineNoise;
  auto frames = [] {
    SimLineNoise n = SimLineNoise::Flood(7, true, 3000);
    n.otherNodeFrames = true;
    return n;
  };
  auto sparse = [](uint32_t ms) {
    SimLineNoise n{7, 60, 120, 1, true, ms};
    n.syncPercent = 100;
    return n;
  };
  auto answers = [](uint32_t ms) {
    SimLineNoise n = SimLineNoise::Flood(7, true, ms);
    n.answerFrames = true;
    return n;
  };
  // Past the bound by a reset's wait and more: a bring-up's bound runs from
  // its first spoiled exchange, which may come after a reset's wait that
  // the noise began in (frames shaped as answers answer the address
  // assignments).
  constexpr uint32_t kWithinMs = kJvsNoAnswerMs - 500, kPastMs = kJvsNoAnswerMs + kJvsResetWaitMs + 500;
  const struct {
    const char* what;
    SimLineNoise noise;
    bool stops = false;
  } kinds[] = {{"a 3 s flood with sync bytes", SimLineNoise::Flood(7, true, 3000)},
               {"a 3 s flood without sync bytes", SimLineNoise::Flood(7, false, 3000)},
               {"3 s of frames to another node", frames()},
               {"a 1.5 s flood of frames shaped as answers", answers(1500)},
               {"a 2 s flood of frames shaped as answers", answers(2000)},
               {"a 3 s flood of frames shaped as answers", answers(3000)},
               {"sparse sync bytes for 0.5 s", sparse(500)},
               {"sparse sync bytes for 10 s", sparse(10000)},
               // Every exchange spoiled for far longer than a cycle may take:
               // the step's time cuts the cycle, which goes on at the next.
               {"a flood with sync bytes just within the bound", SimLineNoise::Flood(7, true, kWithinMs)},
               {"a flood of frames shaped as answers just within the bound", answers(kWithinMs)},
               {"a flood with sync bytes just past the bound", SimLineNoise::Flood(7, true, kPastMs), true},
               {"a flood of frames shaped as answers just past the bound", answers(kPastMs), true}};
  for (const auto& k : kinds) {
    uint32_t worst = 0, longest = 0, stop = 0;
    for (const NoisePhase& p : kNoisePhases) {
      SCOPED_TRACE(testing::Message() << p.what << ", " << k.what);
      const NoiseRun run = PlayNoise(p, k.noise);
      if (k.stops) {  // BusWorld takes this stop on noise for a fault
        EXPECT_ALL({VAL(run.halted, true), VAL(Lines(run.told, "the bus is stopped"), 1),
                    VAL(Lines(run.told, " ms ("), 1), VAL(run.stoppedAfter >= kJvsNoAnswerMs - kJvsSettleMs, true),
                    VAL(run.stoppedAfter <= kPastMs + kJvsSettleMs, true)});
        stop = std::max(stop, run.stoppedAfter);
        continue;
      }
      longest = std::max(longest, run.longestWorkMs);
      EXPECT_EQ(run.fault, "");
      ASSERT_FALSE(run.halted) << run.told;
      EXPECT_EQ(Lines(run.told, "stopped"), 0) << run.told;
      EXPECT_LE(Lines(run.told, "the line did not go quiet ("), 3) << run.told;
      EXPECT_GE(run.inputsAfter, 20);
      EXPECT_EQ(run.coins, "");
      if (p.from != NoisePhase::kOpen) worst = std::max(worst, run.recoveryMs);
    }
    if (k.stops)
      std::printf("%s: stopped at most %u ms after it began\n", k.what, stop);
    else
      std::printf("%s: inputs read again at most %u ms after the noise ended, on a bus that was up; the longest "
                  "piece of the master's work %u ms\n",
                  k.what, worst, longest);
  }
}

namespace {

// Frames for forMs of bus time, or until the bus stops: the longest the
// game read one switch word (bus time).
uint32_t HeldWordMs(BusWorld& w, uint32_t forMs) {
  const uint32_t start = w.wire.NowMs();
  uint32_t word = 0, since = start, held = 0;
  while (!w.Halted() && w.wire.NowMs() - start < forMs) {
    w.Frame();
    const uint32_t now = static_cast<uint32_t>(w.device->GetSwitchWord(0));
    since = now != word ? w.wire.NowMs() : since;
    word = now;
    if (word != 0) held = std::max(held, w.wire.NowMs() - since);
  }
  return held;
}

}  // namespace

// Boards that never answer well, each exchange spoiled in a way the master
// cannot tell from noise: every answer garbage (a board at another line
// rate: bytes of no frame, with sync bytes or without), every answer damaged
// with bytes trailed in the same read, a dead board on a line with another
// node's frames every 20-200 ms. In play and from the port's open, the bus
// stops once the node has had no good answer for kJvsNoAnswerMs (or six
// spoiled exchanges in a row came on a quiet line), in one line; meanwhile no
// switch word is read longer than kJvsStopBoundMs (then released). Every
// answer lost and in its place a stray byte, then a frame shaped as an
// answer that answers nothing (E0 00 03 01 01 05): the line went quiet, so
// the frame is no noise, and six in a row stop the bus long before the
// time bound. A dead board on a line with bytes outside frames every 5-15
// ms (they break no quiet: each wait for a quiet line finds it, and each
// receive meets them): from the port's open, the bytes in the resets' wait
// start the bring-up's bound there, and it stops the bus within an
// exchange of it.
TEST_F(MasterOnAWire, ABoardThatNeverAnswersWellStopsTheBusWithinTheTimeBound) {
  using F = SimJvsWire::Fault;
  const struct {
    const char* what;
    F fault;
    std::vector<uint8_t> after;
    bool sixInARow = false;
    bool strayLine = false;  // bytes outside frames on the line, not frames
  } boards[] = {{"garbage answers without sync bytes", F::kLost, {0x13, 0x57, 0x9B, 0x3C, 0x77, 0x41}},
                {"garbage answers with sync bytes", F::kLost, {0xE0, 0x37, 0x91, 0xE0, 0x0F, 0x52}},
                {"every answer damaged, bytes trailed", F::kDamaged, {0x11, 0x22, 0x33}},
                {"a stray byte and a frame answering nothing", F::kLost, {0x55, 0xE0, 0x00, 0x03, 0x01, 0x01, 0x05},
                 true},
                {"a dead board on a line with another node's frames", F::kLost, {}},
                {"a dead board on a line with bytes outside frames", F::kLost, {}, false, true}};
  for (bool fromOpen : {false, true}) {
    for (const auto& b : boards) {
      SCOPED_TRACE(testing::Message() << b.what << (fromOpen ? ", from the port's open" : ", in play"));
      BusWorld w;
      testsupport::StderrCapture capture;
      if (!fromOpen) Ready(w);
      const uint32_t start = w.wire.NowMs();
      w.wire.script = [&w, &b](bool request) { return !request && w.WritingNode() == 1 ? b.fault : F::kWhole; };
      w.wire.afterReply = b.after;
      w.wire.afterReplyMs = 0;
      testsupport::SimLineNoise frames{7, 20, 200, 6, true};
      frames.otherNodeFrames = true;
      if (b.strayLine) frames = {7, 5, 15, 3, false};
      if (b.after.empty()) w.wire.SetLineNoise(frames);
      ASSERT_TRUE(!fromOpen || w.Open());
      const uint32_t held = HeldWordMs(w, 60000), stopMs = w.wire.NowMs() - start;
      const std::string told = capture.Take();
      // BusWorld takes a stop while noise is on the line for a fault.
      EXPECT_TRUE(w.fault.empty() || w.fault.find("stopped on noise") != std::string::npos) << w.fault;
      ASSERT_TRUE(w.Halted());
      // The bound is looked at with each spoiled exchange: from the port's
      // open, the resets' wait and a round of the bring-up besides.
      EXPECT_LE(stopMs, kJvsNoAnswerMs + (fromOpen ? 3 * kJvsResetWaitMs : 0) + 1000) << told;
      EXPECT_ALL({VAL(Lines(told, "the bus is stopped"), 1),
                  VAL(Lines(told, "no good answer from node 1 in ") + Lines(told, "the bus did not come up"), 1)});
      EXPECT_LE(held, kJvsStopBoundMs + w.frameMs);
      if (b.sixInARow) {
        EXPECT_ALL({VAL(Lines(told, "in 6 exchanges in a row (6 answering nothing asked"), 1),
                    VAL(stopMs < kJvsNoAnswerMs / 2, true)});
      }
      if (b.strayLine && fromOpen) {  // the first reset goes after the open's quiet line
        EXPECT_ALL({VAL(Lines(told, "the bus did not come up"), 1),
                    VAL(stopMs <= kJvsQuietMs + kJvsNoAnswerMs + kJvsReceiveMs + kJvsSettleMs, true)});
      }
      std::printf("%s%s: stopped after %u ms, a switch word read %u ms at most\n%s", b.what,
                  fromOpen ? " from the port's open" : " in play", stopMs, held, told.c_str());
    }
  }
}

// Standard error into a file while it lives, readable meanwhile (the bus's
// lines as they are told, in the middle of the master's work).
class StderrTap {
 public:
  StderrTap() : file_(std::tmpfile()), saved_(dup(2)) { dup2(fileno(file_), 2); }
  ~StderrTap() {
    dup2(saved_, 2);
    close(saved_);
    std::fclose(file_);
  }
  StderrTap(const StderrTap&) = delete;
  StderrTap& operator=(const StderrTap&) = delete;
  std::string Text() const {
    std::string text;
    char chunk[4096];
    for (ssize_t n; (n = pread(fileno(file_), chunk, sizeof chunk, off_t(text.size()))) > 0;)
      text.append(chunk, size_t(n));
    return text;
  }

 private:
  std::FILE* file_;
  int saved_;
};

// Whether the whole text reads as the pattern, where '#' stands for a
// number (digits): those numbers, in order.
bool Reads(const std::string& text, const std::string& pattern, std::vector<uint32_t>* numbers = nullptr) {
  size_t t = 0;
  for (char c : pattern) {
    if (c != '#') {
      if (t >= text.size() || text[t++] != c) return false;
      continue;
    }
    const size_t from = t;
    while (t < text.size() && text[t] >= '0' && text[t] <= '9') ++t;
    if (t == from || t - from > 9) return false;
    if (numbers) numbers->push_back(uint32_t(std::stoul(text.substr(from, t - from))));
  }
  return t == text.size();
}

// The line that tells the stop (empty: none).
std::string StopLine(const std::string& err) {
  const size_t at = err.find("; the bus is stopped");
  if (at == std::string::npos) return "";
  const size_t begin = err.rfind('\n', at);
  return err.substr(begin == std::string::npos ? 0 : begin + 1, err.find('\n', at) - (begin + 1));
}

namespace {

// A run in play (or from the device's open) for forMs of bus time, or until
// the bus stops: when it
// stopped (from the start), the frames (and their bus time) whose switch
// word the game had stale (released: the read handed on older than kJvsStopBoundMs), the
// most time read stale in any window (BusWorld), and what was told.
struct StaleRun {
  bool halted = false;
  uint32_t stopMs = 0, mostStaleMs = 0, staleMs = 0;
  // At the end: the time read stale in the last window as the game has it,
  // and the stretches in it.
  uint32_t gameStaleMs = 0;
  int stretches = 0;
  // When a line holding the words watched was first seen, and when the bus
  // was first seen up (at the end of a frame; 0: never).
  uint32_t watchedAt = 0, upMs = 0;
  int frames = 0, staleFrames = 0;
  std::string told, fault;
};

StaleRun PlayStale(BusWorld& w, uint32_t forMs, const std::string& watch = "", bool open = false) {
  StaleRun run;
  StderrTap tap;
  if (open && !w.Open()) run.fault = "the device did not open";
  const uint32_t start = w.wire.NowMs();
  while (!w.Halted() && w.wire.NowMs() - start < forMs && w.fault.empty()) {
    const uint32_t at = w.wire.NowMs();
    w.Frame();
    ++run.frames;
    // The nodes' words are never all released (BusWorld::Pattern). A frame
    // lasts as long as the master's work in it.
    const bool stale = !w.Halted() && w.device->GetSwitchWord(0) == 0;
    run.staleFrames += stale;
    run.staleMs += stale ? w.wire.NowMs() - at : 0;
    if (!watch.empty() && !run.watchedAt && Lines(tap.Text(), watch) > 0) run.watchedAt = w.wire.NowMs() - start;
    if (!run.upMs && JvsGetState() >= kJvsStateReady) run.upMs = w.wire.NowMs() - start;
  }
  run.halted = w.Halted();
  run.stopMs = w.wire.NowMs() - start;
  run.mostStaleMs = w.mostStaleMs;
  run.gameStaleMs = w.StaleMsNow(&run.stretches);
  run.told = tap.Text();
  run.fault = w.fault;
  return run;
}

}  // namespace

// A board that answers well only now and then, in play: node 1's answers
// garbage (bytes of no frame, with sync bytes or without) but one passed
// clean every 5 to 9 s; floods of 9.9 s with gaps of 160 ms; node 1's
// answers so beside a node 2 whose answers are so too (a cycle's read of
// node 1 may come early in it, handed on when the step's time ends it: the
// stale time runs from the read). Each lone good answer
// restarts the time without one, but the switches read stale most of the
// time: more than kJvsNoAnswerMs of stale reads in a kJvsStaleWindowMs
// stops the bus, told in one line with the stale time and what the
// exchanges met meanwhile. Noise that ends within the time bound leaves the
// bus up: one flood of 9.5 s, floods of 9.5 s every 40 s and every 28 s
// (a stretch read stale leaves the window while the next is under way) for
// 3 minutes, an hour of short floods every few seconds; so do bursts over
// node 2's exchanges from its request on, each once node 2 answered since
// the last, of 1.2 s but 2 s in 3 of 18 (many stretches end within a
// window; each of the 18 placements of the long ones). A node 2 whose
// answers are garbage but one a second or one every 5 to 9 s, or a node 0
// (asked before node 1) whose answers are garbage but one every 5 to 9 s, costs
// node 1 nothing but a step's time: its switches are read afresh in every
// step, every coin is credited, the bus stays up. So too where a third
// node, polled besides, is not reached within a cycle's time behind nodes
// 0 and 2 read late: it is asked first in the next.
TEST_F(MasterOnAWire, ABoardThatAnswersWellOnlyNowAndThenStopsTheBus) {
  using testsupport::SimLineNoise;
  auto nowAndThen = [](SimJvsWire::Garbage garbage) {
    return [garbage](BusWorld& w) { w.GarbageButNowAndThen(garbage); };
  };
  // The node's answers garbage but one clean every everyMs to everyMs +
  // spreadMs; node 1's too, with node1 (one every 5-9 s).
  auto otherNowAndThen = [](int node, uint32_t everyMs, uint32_t spreadMs, bool node1) {
    return [node, everyMs, spreadMs, node1](BusWorld& w) {
      if (node1) w.GarbageButNowAndThen(SimJvsWire::kGarbage);
      w.GarbageButNowAndThen(SimJvsWire::kGarbage, node, everyMs, spreadMs);
    };
  };
  // Floods of forMs every everyMs from now on.
  auto floods = [](uint32_t forMs, uint32_t everyMs) {
    return [forMs, everyMs](BusWorld& w) {
      auto next = std::make_shared<uint32_t>(w.wire.NowMs());
      auto seed = std::make_shared<uint32_t>(3);
      w.beforeStep = [forMs, everyMs, next, seed](BusWorld& world) {
        if (int32_t(world.wire.NowMs() - *next) < 0) return;
        world.wire.SetLineNoise(SimLineNoise::Flood(++*seed, true, forMs));
        *next += everyMs;
      };
    };
  };
  // A burst over node 2's exchanges from its request on, once it answered
  // since the last: 2 s in the bursts k with (k + placement) % 18 < 3, else
  // 1.2 s.
  auto bursts = [](int placement) {
    return [placement](BusWorld& w) {
      auto k = std::make_shared<int>(0);
      auto answered = std::make_shared<uint32_t>(0);
      w.wire.script = [&w, k, answered, placement](bool request) {
        if (request && w.WritingNode() == 2 && !w.wire.LineNoisy() && JvsGoodAnswerAt(2) != *answered) {
          *answered = JvsGoodAnswerAt(2);
          const uint32_t ms = (*k + placement) % 18 < 3 ? 2000 : 1200;
          w.wire.SetLineNoise(SimLineNoise::Flood(uint32_t(5 + *k), true, ms));
          ++*k;
        }
        return SimJvsWire::kWhole;
      };
    };
  };
  // Three nodes, node 3 polled besides the game's two units (as a user of
  // the standard poll asks every node), nodes 0 and 2 answered 500 ms late
  // two times in three (a loaded machine reads them so): a cycle's first
  // round then runs out of time before node 3, which goes first in the
  // next (BusWorld).
  auto thirdNode = [](BusWorld& w) {
    auto asked = std::make_shared<std::vector<int>>(4, 0);
    w.wire.script = [&w, asked](bool request) {
      const int node = w.WritingNode();
      if (request && (node == 0 || node == 2) && (*asked)[size_t(node)]++ % 3 != 0) w.wire.lateOnceMs = 500;
      return SimJvsWire::kWhole;
    };
    w.beforeStep = [](BusWorld&) {
      if (JvsGetState() == kJvsStateRequested && JvsQueuedCount(3) == 0) JvsQueueNodePoll(3);
    };
  };
  // One flood of answer-shaped frames (E0 00 03 01 01 05) at line rate, node
  // 0 answered through it by the adapter while it swallows node 1's answers.
  auto answerFlood = [](uint32_t forMs) {
    return [forMs](BusWorld& w) {
      w.wire.channelThroughNoise = true;
      SimLineNoise flood = SimLineNoise::Flood(3, true, forMs);
      flood.answerFrames = true;
      w.wire.SetLineNoise(flood);
    };
  };
  // Node 1's switches answered busy for 1 s, then its answers garbage but
  // one every 5-9 s, each with its switches normal: the report that ended
  // leads no stop line.
  auto busyThenNowAndThen = [](BusWorld& w) {
    w.wire.board.nodes[0].switchReport = kJvsReportLast;
    w.beforeStep = [until = w.wire.NowMs() + 1000](BusWorld& world) {
      if (int32_t(world.wire.NowMs() - until) < 0) return;
      world.wire.board.nodes[0].switchReport = kJvsReportNormal;
      world.GarbageButNowAndThen(SimJvsWire::kGarbage);
      world.beforeStep = nullptr;
    };
  };
  // A motor switching near the line: floods of 0.3 to 2 s every 3 to 8 s.
  auto motor = [](BusWorld& w) {
    auto next = std::make_shared<uint32_t>(w.wire.NowMs());
    auto draw = std::make_shared<uint32_t>(11);
    w.beforeStep = [next, draw](BusWorld& world) {
      if (int32_t(world.wire.NowMs() - *next) < 0) return;
      *draw = *draw * 1103515245u + 12345u;
      world.wire.SetLineNoise(SimLineNoise::Flood(*draw, true, 300 + (*draw >> 16) % 1701));
      *next += 3000 + (*draw >> 8) % 5001;
    };
  };
  struct Row {
    std::string what;
    std::function<void(BusWorld&)> board;
    bool stops;
    uint32_t forMs = 180000;
    int nodes = 1;
    // A coin into node 1 every 10 s, each to be credited once.
    bool coins = false;
  };
  std::vector<Row> rows = {
      {"garbage without sync bytes, a good answer every 5-9 s", nowAndThen(SimJvsWire::kGarbage), true},
      {"garbage with sync bytes, a good answer every 5-9 s", nowAndThen(SimJvsWire::kGarbageWithSync), true},
      {"switches busy for 1 s, then garbage, a good answer every 5-9 s", busyThenNowAndThen, true},
      {"floods of 9.9 s with gaps of 160 ms", floods(9900, 10060), true},
      {"garbage, a good answer every 5-9 s, node 2's too", otherNowAndThen(2, 5000, 4000, true), true, 180000, 2},
      {"one flood of 9.5 s", floods(9500, 1000000), false},
      {"floods of 9.5 s every 40 s", floods(9500, 40000), false},
      {"floods of 9.5 s every 28 s", floods(9500, 28000), false},
      {"an hour of motor bursts", motor, false, 3600000},
      {"an answer-shaped flood of 6 s, node 0 answered through it", answerFlood(6000), false, 30000},
      {"an answer-shaped flood of 8 s, node 0 answered through it", answerFlood(8000), false, 30000},
      {"an answer-shaped flood of 9.5 s, node 0 answered through it", answerFlood(9500), false, 30000},
      {"an answer-shaped flood of 9.9 s, node 0 answered through it", answerFlood(9900), false, 30000},
      {"node 2's answers garbage but one a second", otherNowAndThen(2, 1000, 0, false), false, 180000, 2, true},
      {"node 2's answers garbage but one every 2 s", otherNowAndThen(2, 2000, 0, false), false, 180000, 2, true},
      {"node 2's answers garbage but one every 2.5 s", otherNowAndThen(2, 2500, 0, false), false, 180000, 2, true},
      {"node 2's answers garbage but one every 4 s", otherNowAndThen(2, 4000, 0, false), false, 180000, 2, true},
      {"node 0's answers garbage but one a second", otherNowAndThen(0, 1000, 0, false), false, 180000, 1, true},
      {"node 0's answers garbage but one every 4 s", otherNowAndThen(0, 4000, 0, false), false, 180000, 1, true},
      {"node 0's answers garbage but one every 9 s", otherNowAndThen(0, 9000, 0, false), false, 180000, 1, true},
      {"node 2's answers garbage but one every 5-9 s", otherNowAndThen(2, 5000, 4000, false), false, 180000, 2, true},
      // The board's channel, asked before node 1 in each cycle.
      {"node 0's answers garbage but one every 5-9 s", otherNowAndThen(0, 5000, 4000, false), false, 180000, 1, true},
      {"nodes 0 and 2 read late two times in three, node 3 polled too", thirdNode, false, 180000, 3, true}};
  for (int placement = 0; placement < 18; ++placement)
    rows.push_back({"bursts over node 2's exchanges, long ones at " + std::to_string(placement), bursts(placement),
                    false, 180000, 2});
  uint32_t mostBursts = 0;
  for (const Row& row : rows) {
    SCOPED_TRACE(row.what);
    BusWorld w(row.nodes);
    Ready(w);
    row.board(w);
    if (row.coins) {
      auto next = std::make_shared<uint32_t>(w.wire.NowMs());
      const std::function<void(BusWorld&)> before = w.beforeStep;
      w.beforeStep = [next, before](BusWorld& world) {
        if (before) before(world);
        if (int32_t(world.wire.NowMs() - *next) < 0) return;
        world.InsertCoins(0, 1);
        *next += 10000;
      };
    }
    const StaleRun run = PlayStale(w, row.forMs);
    const double share = run.frames ? 100.0 * run.staleFrames / run.frames : 0;
    const double timeShare = 100.0 * run.staleMs / run.stopMs;
    if (row.stops) {
      // BusWorld takes a stop while noise is on the line for a fault.
      EXPECT_TRUE(run.fault.empty() || run.fault.find("stopped on noise") != std::string::npos) << run.fault;
      ASSERT_TRUE(run.halted) << "no stop in 180 s; stale " << share << " % of the frames";
      EXPECT_ALL({VAL(Lines(run.told, "the bus is stopped"), 1),
                  VAL(Lines(run.told, "node 1's switches read stale for "), 1),
                  VAL(Lines(run.told, " ms of the last 30000 ms ("), 1),
                  VAL(Lines(run.told, "'s exchanges went wrong: "), 1),
                  VAL(Lines(StopLine(run.told), "answered with report"), 0)});
      // The bound is weighed at each step and spoiled exchange.
      EXPECT_LE(run.mostStaleMs, kJvsNoAnswerMs + BusWorld::WorkBoundMs() + 20 * w.frameMs);
      EXPECT_LE(run.stopMs, kJvsStaleWindowMs + BusWorld::WorkBoundMs());
      // The stale time told is the game's, give or take a frame at each end
      // of each stretch and the slices' rounding.
      std::vector<uint32_t> n;
      ASSERT_TRUE(Reads(StopLine(run.told).substr(0, StopLine(run.told).find('(')),
                        "jvs bus: node 1's switches read stale for # ms of the last 30000 ms ", &n))
          << run.told;
      const uint32_t apart = n[0] > run.gameStaleMs ? n[0] - run.gameStaleMs : run.gameStaleMs - n[0];
      EXPECT_LE(apart, uint32_t(run.stretches + 1) * w.frameMs + 100) << run.told;
      std::printf("%s: stopped after %u ms, %.0f %% of the frames (%.0f %% of the time) read stale before it; %u ms "
                  "told, %u ms as the game had it (%d stretches)\n%s",
                  row.what.c_str(), run.stopMs, share, timeShare, n[0], run.gameStaleMs, run.stretches,
                  run.told.c_str());
      continue;
    }
    EXPECT_EQ(run.fault, "");
    EXPECT_FALSE(run.halted) << run.told;
    EXPECT_EQ(Lines(run.told, "stopped"), 0) << run.told;
    if (row.nodes > 1 && row.what.find("bursts") == 0) {
      mostBursts = std::max(mostBursts, run.mostStaleMs);
      continue;
    }
    if (row.coins) {
      // Node 1's inputs read afresh at least once in each step's time, and
      // every coin credited once.
      w.wire.script = nullptr;
      w.FramesUntil([&] { return w.CoinsSettled(); }, 200);
      EXPECT_LE(w.longestStaleMs, BusWorld::WorkBoundMs() + w.frameMs);
      EXPECT_EQ(w.CoinProperties(), "");
      EXPECT_ALL({VAL(w.inserted >= 18, true), VAL(w.credited, w.inserted)});
      // A cycle whose other nodes are done does not ask the failing node
      // again: player 1's word reaches the game within one failing exchange
      // of the failing node (its receive and a wait for a quiet line) and
      // the frames around it, never a step late.
      const uint32_t oneFailing = kJvsReceiveMs + kJvsSettleMs + 2 * w.frameMs;
      const uint64_t meanMs = w.inputDelays ? w.inputDelayTotalMs / uint64_t(w.inputDelays) : 0;
      if (row.what.find("late") == std::string::npos)
        EXPECT_ALL({VAL(w.inputDelayMaxMs <= oneFailing, true), VAL(meanMs <= kJvsSettleMs, true)});
      std::printf("%s: up for %u ms, node 1's inputs read afresh at least every %u ms, player 1's word %llu ms old on "
                  "average, at most %u ms; %d of %d coins credited\n",
                  row.what.c_str(), run.stopMs, w.longestStaleMs, static_cast<unsigned long long>(meanMs),
                  w.inputDelayMaxMs, w.credited, w.inserted);
      continue;
    }
    std::printf("%s: up for %u ms, at most %u ms read stale in any 30 s (%.0f %% of the frames, %.0f %% of the "
                "time)\n",
                row.what.c_str(), run.stopMs, run.mostStaleMs, share, timeShare);
  }
  std::printf("bursts over node 2's exchanges, 18 placements: up for 180 s each, at most %u ms read stale in any 30 s\n",
              mostBursts);
}

// A node that answers its switches with a report other than normal for
// good (report 4: busy; report 2) answers every exchange well and reads
// nothing: its switches read stale, and kJvsNoAnswerMs of that stops the
// bus, told in a line that names the report; so from the bus's coming up,
// the stale time running from kJvsStopBoundMs after the first cycle. A node
// busy for less than the bound is read again once it answers, and the bus
// goes on. Node 2, whose switches the game does not read, answering them
// with report 2 for good stops nothing. Each node's first report other
// than normal is told once, at once: also where one read in 100 or 150
// comes through (never stale for the bound), and the bus goes on.
TEST_F(MasterOnAWire, ASwitchReportThatIsNeverNormalStopsTheBus) {
  const struct {
    uint8_t report;
    uint32_t forMs;  // then normal again (0: never)
    bool stops;
    bool fromOpen = false;
    int node = 1;
    int oneIn = 0;  // one poll in so many answered with a normal report
  } rows[] = {{4, 0, true},           {2, 0, true},          {4, kJvsNoAnswerMs - 1000, false},
              {4, 0, true, true},     {2, 0, false, false, 2}, {4, 0, false, false, 1, 100},
              {4, 0, false, false, 1, 150}};
  for (const auto& row : rows) {
    SCOPED_TRACE(testing::Message() << "node " << row.node << ", report " << int(row.report) << " for " << row.forMs
                                    << " ms" << (row.fromOpen ? ", from the bus's coming up" : "")
                                    << (row.oneIn ? ", one normal in " + std::to_string(row.oneIn) : ""));
    BusWorld w(row.node);
    testsupport::SimJvsNode& n = w.wire.board.nodes[size_t(row.node - 1)];
    if (row.fromOpen)
      n.switchReport = row.report;
    else
      Ready(w);
    w.InsertCoins(0, 1);
    const uint32_t start = w.wire.NowMs();
    n.switchReport = row.report;
    if (row.forMs)
      w.beforeStep = [&](BusWorld& world) {
        if (world.wire.NowMs() - start >= row.forMs) n.switchReport = 1;
      };
    int polls = 0;
    if (row.oneIn)
      w.wire.script = [&](bool request) {
        if (request && w.WritingNode() == row.node && w.WritingData()[0] == kJvsCmdSwitches)
          n.switchReport = polls++ % row.oneIn == 0 ? kJvsReportNormal : row.report;
        return SimJvsWire::kWhole;
      };
    const std::string reportLine = "node " + std::to_string(row.node) + " answered its switches with report " +
                                   std::to_string(row.report);
    const StaleRun run = PlayStale(w, 60000, reportLine, row.fromOpen);
    const std::string& told = run.told;
    const uint32_t toldAt = run.watchedAt;
    EXPECT_EQ(Lines(told, reportLine), 1) << told;
    if (!row.stops) {
      EXPECT_ALL({VAL(run.halted, false), VAL(Lines(told, "stopped"), 0)});
      EXPECT_EQ(run.fault, "");
      EXPECT_EQ(w.CoinProperties(), "");
      // Told in the frame the report came (the node's first poll after it,
      // or its second where the first is the one normal).
      EXPECT_LE(toldAt, 3 * w.frameMs) << told;
      std::printf("node %d, report %d%s: up for %u ms, the report told after %u ms\n%s", row.node, row.report,
                  row.oneIn ? (", one normal in " + std::to_string(row.oneIn)).c_str() : " for a while", run.stopMs,
                  toldAt, told.c_str());
      continue;
    }
    const std::string report = "its switches answered with report " + std::to_string(row.report);
    ASSERT_TRUE(run.halted) << run.fault << " after " << run.frames << " frames";
    // The last fresh read (or the bus's coming up: its first cycle, a frame
    // or two after), kJvsStopBoundMs, then the bound; weighed at the steps.
    const uint32_t from = row.fromOpen ? run.upMs : 0, first = row.fromOpen ? 2 * w.frameMs : 0;
    EXPECT_ALL({VAL(run.stopMs >= from + kJvsStopBoundMs + kJvsNoAnswerMs, true),
                VAL(run.stopMs <= from + first + kJvsStopBoundMs + kJvsNoAnswerMs + 2 * w.frameMs, true),
                VAL(Lines(told, "the bus is stopped"), 1), VAL(Lines(told, report), 1),
                VAL(Lines(told, "node 1's switches read stale for "), 1)});
    // The coin went in all the same, and the game sees the I/O error.
    EXPECT_EQ(w.credited, 1);
    EXPECT_EQ(w.device->Sync(), -1);
    std::printf("report %d for good%s: stopped after %u ms (the bus up after %u ms)\n%s", row.report,
                row.fromOpen ? " from the bus's coming up" : "", run.stopMs, run.upMs, told.c_str());
  }

  // The game's frames held for 20 s (no cycle asked for) right after a
  // cycle that read no fresh switches (a flood of 1.5, 3 or 6 s under way,
  // one busy answer) or after a clean one: no switches read stale while no
  // cycle asks for them, and the bus stays up.
  const struct {
    const char* what;
    uint32_t floodMs;
    bool busy;
  } holds[] = {{"a flood of 1.5 s", 1500, false}, {"a flood of 3 s", 3000, false}, {"a flood of 6 s", 6000, false},
               {"one busy answer", 0, true},       {"a clean cycle", 0, false}};
  for (const auto& hold : holds) {
    SCOPED_TRACE(hold.what);
    BusWorld w;
    Ready(w);
    testsupport::StderrCapture capture;
    testsupport::SimJvsNode& n = w.wire.board.nodes[0];
    const uint32_t start = w.wire.NowMs();
    if (hold.floodMs) w.wire.SetLineNoise(testsupport::SimLineNoise::Flood(5, true, hold.floodMs));
    if (hold.busy) n.switchReport = 4;
    // The last cycle before the hold reads no fresh switches: it ends more
    // than a step before the flood does.
    do w.Frame();
    while (!w.Halted() && w.wire.NowMs() - start + kJvsCycleMs + 100 < hold.floodMs);
    const bool readInFlood = hold.floodMs && int32_t(JvsSwitchesReadAt(1) - start) > 0;
    EXPECT_FALSE(readInFlood);
    n.switchReport = 1;
    w.Hold(20000);
    for (int f = 0; f < 50; ++f) w.Frame();
    const std::string told = capture.Take();
    EXPECT_ALL({VAL(w.Halted(), false), VAL(Lines(told, "stopped"), 0)});
    EXPECT_EQ(w.fault, "") << told;
  }

  // Two stretches of busy reports: 7 s read stale, then, 20 s later, stale
  // again for good, begun so that while the first leaves the window the
  // two weigh a little under the bound. The part of the oldest slice that
  // left the window counts out: the bus stops only once the second alone
  // is past the bound.
  {
    BusWorld w;
    Ready(w);
    testsupport::StderrCapture capture;
    testsupport::SimJvsNode& n = w.wire.board.nodes[0];
    w.wire.TakeWritten();
    const uint32_t fresh = JvsSwitchesReadAt(1);
    n.switchReport = 4;
    const uint32_t firstFrom = fresh + kJvsStopBoundMs;
    while (!w.Halted() && int32_t(w.wire.NowMs() - firstFrom) < 7000) w.Frame();
    n.switchReport = kJvsReportNormal;
    const uint32_t normalAt = w.wire.NowMs();
    while (!w.Halted() && int32_t(JvsSwitchesReadAt(1) - normalAt) < 0) w.Frame();
    const uint32_t firstMs = JvsSwitchesReadAt(1) - firstFrom;
    constexpr uint32_t kUnderMs = 50;
    const uint32_t secondFrom = firstFrom + kJvsStaleWindowMs + firstMs - (kJvsNoAnswerMs - kUnderMs);
    while (!w.Halted() && int32_t(w.wire.NowMs() + w.frameMs - (secondFrom - kJvsStopBoundMs)) < 0) w.Frame();
    const uint32_t secondFresh = JvsSwitchesReadAt(1);
    n.switchReport = 4;
    // Both stretches weighed whole while the first leaves the window.
    const uint32_t weighed = firstMs + kJvsStaleWindowMs - (secondFresh + kJvsStopBoundMs - firstFrom);
    EXPECT_ALL({VAL(weighed < kJvsNoAnswerMs, true), VAL(weighed + kUnderMs + 2 * w.frameMs >= kJvsNoAnswerMs, true)});
    while (!w.Halted() && w.wire.NowMs() - secondFresh < kJvsStopBoundMs + kJvsNoAnswerMs + 1000) w.Frame();
    const std::string told = capture.Take();
    EXPECT_TRUE(w.Halted());
    const uint32_t stop = w.wire.NowMs();
    EXPECT_GE(stop, secondFresh + kJvsStopBoundMs + kJvsNoAnswerMs) << told;
    EXPECT_EQ(w.fault, "") << told;
    // The line counts node 1's exchanges of the stale time in the window,
    // and of at most one slice (100 ms) before it.
    int inStale = 0;
    for (const Sent& f : Written(w.wire)) {
      const bool first = int32_t(f.at - firstFrom) >= 0 && int32_t(f.at - (firstFrom + firstMs)) <= 0;
      const bool second = int32_t(f.at - (secondFresh + kJvsStopBoundMs)) >= 0;
      inStale += f.node == 1 && int32_t(f.at - (stop - kJvsStaleWindowMs - 100)) >= 0 && (first || second);
    }
    const size_t all = told.find("node 1 answered all ");
    int counted = -1;
    ASSERT_NE(all, std::string::npos) << told;
    ASSERT_EQ(std::sscanf(told.c_str() + all, "node 1 answered all %d of", &counted), 1) << told;
    EXPECT_LE(counted, inStale + 1) << told;
    std::printf("7 s stale, then stale again for good 20 s later: stopped %u ms after the second began (%d of node "
                "1's exchanges counted, %d in the stale time of the window and a slice before it)\n",
                stop - (secondFresh + kJvsStopBoundMs), counted, inStale);
  }
}

// Every reply of node 1 garbage in play (as from a board at another line
// rate: bytes of no frame, without sync bytes or with), for 9.5 s of bus
// time: the bytes outside frames are told in one line for node 1 within a
// second of the garbage's start, not at its next good answer, and the bus
// stays up and reads the inputs again once it ends. Garbage until
// the bus stops at the time bound: the stop line names the exchanges as
// having got only bytes outside frames, none as silent.
TEST_F(MasterOnAWire, GarbageIsToldWithinASecondOfItsStart) {
  for (SimJvsWire::Garbage garbage : {SimJvsWire::kGarbage, SimJvsWire::kGarbageWithSync}) {
    for (bool toTheBound : {false, true}) {
      const char* what = garbage == SimJvsWire::kGarbage ? "garbage" : "garbage with sync bytes";
      SCOPED_TRACE(testing::Message() << what << (toTheBound ? " to the bound" : " for 9.5 s"));
      BusWorld w;
      Ready(w);
      const uint32_t start = w.wire.NowMs();
      const uint32_t ends = start + (toTheBound ? 2 * kJvsNoAnswerMs : 9500);
      const std::string strayLine = "bytes outside frames on the line while node 1 was asked; they are dropped";
      StderrTap tap;
      // When the line was told: by the master's next write after it.
      uint32_t firstAt = 0;
      w.wire.script = [&](bool request) {
        const bool on = w.WritingNode() == 1 && int32_t(w.wire.NowMs() - ends) < 0;
        if (!request) w.wire.garbage = on ? garbage : SimJvsWire::kNoGarbage;
        if (request && !firstAt && Lines(tap.Text(), strayLine) > 0) firstAt = w.wire.NowMs() - start;
        return SimJvsWire::kWhole;
      };
      while (!w.Halted() && int32_t(w.wire.NowMs() - ends) < 0) w.Frame();
      const int read = w.inputsRead;
      for (int f = 0; f < 30 && !w.Halted(); ++f) w.Frame();
      const std::string all = tap.Text();
      EXPECT_EQ(w.fault, "");
      EXPECT_EQ(w.Halted(), toTheBound) << all;
      EXPECT_EQ(Lines(all, strayLine), 1) << all;
      EXPECT_GT(firstAt, 0u);
      EXPECT_LE(firstAt, 1000u) << all;
      if (toTheBound) {
        std::vector<uint32_t> n;
        EXPECT_TRUE(Reads(StopLine(all),
                          "jvs bus: no good answer from node 1 in # ms (# exchanges: # with only bytes outside "
                          "frames; # of them spoiled by noise on the line; # bytes outside frames; # frames "
                          "dropped); the bus is stopped",
                          &n) &&
                    n[1] > 0 && n[2] == n[1] && n[3] == n[1])
            << all;
      } else {
        EXPECT_GT(w.inputsRead, read);
      }
      std::printf("%s%s: the bytes outside frames told %u ms after it began\n%s", what,
                  toTheBound ? " to the bound" : " for 9.5 s", firstAt, all.c_str());
    }
  }
}

// The stop lines name what the exchanges met, each list well formed: a
// bring-up whose resets are lost on a line that never goes quiet (no
// exchange since them), a node silent to six polls in a row, and one silent
// to four polls, then its replies lost and bytes of no frame in their place
// (both kinds; garbage alone: GarbageIsToldWithinASecondOfItsStart); and the
// stale reads' stop of two nodes, one failing, one answering its switches
// busy.
TEST_F(MasterOnAWire, StopLinesNameWhatTheirExchangesMet) {
  const std::vector<uint8_t> kGarbage = {0x13, 0x57, 0x9B, 0x3C, 0x77, 0x41};
  const struct Row {
    const char* what;
    int quiet;          // node 1's replies lost on a quiet line, before garbage (-1: never garbage)
    bool resetsLost;    // every reset lost, a line that never goes quiet
    const char* line;   // '#' a number
    // The numbers' bond: the exchanges counted with each kind.
    bool (*holds)(const std::vector<uint32_t>& n);
    // Node 1's lost replies that garbage follows ('n', spoiled by noise),
    // by letter from its first; past the end, as quiet says.
    const char* noise = "";
  } rows[] = {
      {"resets lost on a line that never goes quiet", 0, true,
       "jvs bus: the bus did not come up: no good answer in # ms (no exchange since the resets; # bytes outside "
       "frames; # frames dropped); the bus is stopped",
       [](const std::vector<uint32_t>& n) { return n[0] >= kJvsNoAnswerMs; }},
      {"node 1 silent", -1, false,
       "jvs bus: no good answer from node 1 in 6 exchanges in a row (6 silent); the bus is stopped",
       [](const std::vector<uint32_t>&) { return true; }},
      {"node 1 silent four times, then answering garbage", 4, false,
       "jvs bus: no good answer from node 1 in # ms (# exchanges: 4 silent, # with only bytes outside frames; # of "
       "them spoiled by noise on the line; # bytes outside frames; # frames dropped); the bus is stopped",
       [](const std::vector<uint32_t>& n) { return n[2] > 0 && n[1] == 4 + n[2] && n[3] == n[2]; }},
      // Noise between a node's own six ends no run of them, and is named.
      {"node 1 silent, every third of its exchanges spoiled by noise", -1, false,
       "jvs bus: no good answer from node 1 in 6 exchanges on a quiet line, 2 spoiled by noise between them (6 "
       "silent; # bytes outside frames); the bus is stopped",
       [](const std::vector<uint32_t>& n) { return n[0] == 2 * 6; }, "..n..n..n..n..n..n"},
      // Noise before the six is not between them.
      {"node 1 silent, its first exchange spoiled by noise", -1, false,
       "jvs bus: no good answer from node 1 in 6 exchanges in a row (6 silent); the bus is stopped",
       [](const std::vector<uint32_t>&) { return true; }, "n"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.what);
    BusWorld w;
    Ready(w);
    testsupport::StderrCapture capture;
    int lost = 0;
    w.wire.afterReplyMs = 0;
    w.wire.script = [&](bool request) {
      const std::vector<uint8_t>& d = w.WritingData();
      if (request) return row.resetsLost && !d.empty() && d[0] == kJvsCmdReset ? SimJvsWire::kLost : SimJvsWire::kWhole;
      const bool node1 = !row.resetsLost && w.WritingNode() == 1;
      const size_t k = node1 ? size_t(lost++) : 0;
      const bool garbage = k < std::strlen(row.noise) ? row.noise[k] == 'n' : row.quiet >= 0 && int(k) >= row.quiet;
      w.wire.afterReply = node1 && garbage ? kGarbage : std::vector<uint8_t>{};
      return node1 ? SimJvsWire::kLost : SimJvsWire::kWhole;
    };
    if (row.resetsLost) {
      w.wire.SetLineNoise(testsupport::SimLineNoise::Flood(3, true, 3 * kJvsNoAnswerMs));
      ASSERT_TRUE(w.Reopen());
    }
    w.FramesUntil([] { return false; }, 2000);
    const std::string err = capture.Take();
    const std::string stop = StopLine(err);
    std::vector<uint32_t> n;
    EXPECT_TRUE(w.Halted());
    EXPECT_TRUE(Reads(stop, row.line, &n) && row.holds(n)) << err;
    // No list is left empty, whatever the run held.
    for (const char* gap : {"(0 exchanges", ": ;", ": )", "()", "(;"})
      EXPECT_EQ(stop.find(gap), std::string::npos) << stop;
    EXPECT_EQ(Lines(err, "the bus is stopped"), 1) << err;
    std::printf("%s: %s\n", row.what, stop.c_str());
  }

  {
    // Node 0 failing beside node 2 (garbage but one good answer in 3 s, node
    // 2's one a second): the node whose exchanges went wrong most is named
    // first.
    BusWorld both(2);
    Ready(both);
    both.GarbageButNowAndThen(SimJvsWire::kGarbage, 2, 1000, 0);
    both.GarbageButNowAndThen(SimJvsWire::kGarbage, 0, 3000, 0);
    both.wire.board.nodes[0].switchReport = 4;
    const StaleRun two = PlayStale(both, 60000);
    ASSERT_TRUE(two.halted) << two.told;
    const std::string line = StopLine(two.told);
    const size_t at = line.rfind("node ", line.find("'s exchanges went wrong: "));
    int first = 0, second = 0, firstWrong = 0, secondWrong = 0;
    ASSERT_EQ(std::sscanf(line.c_str() + (at == std::string::npos ? 0 : at),
                          "node %d's exchanges went wrong: %d of %*d, node %d's: %d of", &first, &firstWrong, &second,
                          &secondWrong),
              4)
        << line;
    EXPECT_GT(firstWrong, secondWrong) << line;
  }

  // The stale reads' stop where node 1 answers its switches busy and node 2
  // answers garbage but one a second: the line leads with node 1's busy
  // report, the cause, then node 2, whose exchanges went wrong, then node 1,
  // which answered well, and counts each
  // exchange of the stale time once, as the wire carried them (one more
  // for each node where an exchange written before the stale time began
  // ended in it).
  BusWorld w(2);
  Ready(w);
  w.GarbageButNowAndThen(SimJvsWire::kGarbage, 2, 1000, 0);
  w.wire.board.nodes[0].switchReport = 4;
  const uint32_t openFrom = JvsSwitchesReadAt(1) + kJvsStopBoundMs;
  const size_t first = w.wire.Exchanges().size();
  w.wire.TakeWritten();
  const StaleRun run = PlayStale(w, 60000);
  ASSERT_TRUE(run.halted) << run.told;
  std::vector<uint32_t> n;
  ASSERT_TRUE(Reads(StopLine(run.told),
                    "jvs bus: node 1's switches read stale for # ms of the last 30000 ms (its switches answered with "
                    "report 4 (busy); node 2's exchanges went wrong: # of #, # of them spoiled by noise on the line; "
                    "node 1 answered all # of its exchanges well; # bytes outside frames); the bus is stopped",
                    &n))
      << run.told;
  int spoiled2 = 0, total2 = 0, total1 = 0;
  const std::vector<Sent> sent = Written(w.wire);
  for (size_t i = 0; i < sent.size() && first + i < w.wire.Exchanges().size(); ++i) {
    if (int32_t(sent[i].at - openFrom) < 0) continue;
    total1 += sent[i].node == 1;
    total2 += sent[i].node == 2;
    spoiled2 += sent[i].node == 2 && w.wire.Exchanges()[first + i];
  }
  EXPECT_ALL({VAL(n[1] - spoiled2 <= 1, true), VAL(n[2] - total2 <= 1, true), VAL(n[3] == n[1], true),
              VAL(n[4] - total1 <= 1, true), VAL(spoiled2 > 0 && total2 > spoiled2, true)});
  std::printf("node 1 busy, node 2's answers garbage but one a second: %s (the wire: node 2 %d of %d spoiled, node 1 "
              "%d)\n",
              StopLine(run.told).c_str(), spoiled2, total2, total1);
}

// Another node's frames every 20-200 ms for three minutes of bus time: the
// noise is told at most once a minute, the later lines with the runs since.
TEST_F(MasterOnAWire, TheNoiseLineIsToldAtMostOnceAMinute) {
  BusWorld w;
  Ready(w);
  testsupport::StderrCapture capture;
  testsupport::SimLineNoise n{7, 20, 200, 6, true, 180000};
  n.otherNodeFrames = true;
  w.wire.SetLineNoise(n);
  HeldWordMs(w, 181000);
  const std::string err = capture.Take();
  const int lines = Lines(err, "the line did not go quiet (");
  EXPECT_FALSE(w.Halted()) << err;
  EXPECT_ALL({VAL(lines >= 1 && lines <= 4, true), VAL(Lines(err, "runs of noise since this was last told"), lines - 1)});
}

// A flood from the moment a decrease poll reaches a board that sends its
// reply again (the answer is lost in it), with sync bytes or without, of
// 0.5 to 8 s, a coin put in halfway: the decrease's fate stays open while
// noise spoils the exchanges that would tell it, and the node's copy tells
// it once the line is quiet. Both coins credited and taken off once. So
// too where the noise lands only in node 1's exchanges that are to tell
// the fate (25 ms of it from each write of the decrease or of a request to
// send again, for as long), node 0 and node 1's identity answered
// meanwhile: node 1 gets nothing but the request to send again while its
// fate is open.
TEST_F(MasterOnAWire, NoiseThatHidesADecreasesFateLosesNoCoin) {
  for (uint32_t ms : {500u, 1500u, 5000u, 8000u}) {
    for (int kind = 0; kind < 3; ++kind) {
      const bool sync = kind == 1, node1Only = kind == 2;
      SCOPED_TRACE(testing::Message() << ms << " ms"
                                      << (sync ? " with sync bytes" : node1Only ? " in node 1's asking alone" : ""));
      BusWorld w;
      Ready(w);
      testsupport::StderrCapture capture;
      uint32_t from = 0;
      w.wire.script = [&](bool request) {
        if (request && !from && w.WritingDecrease()) {
          from = w.wire.NowMs();
          if (!node1Only) w.wire.SetLineNoise(testsupport::SimLineNoise::Flood(7, sync, ms));
        }
        if (node1Only && request && from && w.wire.NowMs() - from < ms && w.WritingNode() == 1 &&
            (w.WritingDecrease() || w.WritingAskAgain()))
          w.wire.SetLineNoise(testsupport::SimLineNoise::Flood(7, false, 25));
        return SimJvsWire::kWhole;
      };
      w.InsertCoins(0, 1);
      EXPECT_TRUE(w.FramesUntil([&] { return from && w.wire.NowMs() - from >= ms / 2; }));
      w.InsertCoins(0, 1);
      w.FramesUntil([&] { return w.wire.NowMs() - from > ms + 1000 && w.credited == 2 && w.CoinsSettled(); }, 1000);
      int taken = 0;
      for (const auto& d : w.wire.board.decreases) taken += d.second;
      EXPECT_FALSE(w.Halted()) << capture.Take();
      EXPECT_ALL({VAL(w.credited, 2), VAL(taken, 2), VAL(int(w.wire.board.nodes[0].coins[0]), 0)});
    }
  }
}

// Bring-ups that frames shaped as a node's answer (E0 00 03 01 01 05) could
// fool: one after each answer of a node that raises SENSE 60 ms after taking
// its address (SENSE is read after the wait for a quiet line that the frame
// makes, right before the assignment it decides); a 300 ms flood of them
// from the first assignment, lost on its way (a node counted on noise must
// answer its identity, else the bring-up goes again). The bus comes up with
// its one node, and a coin put in is credited once.
TEST_F(MasterOnAWire, ABringUpAmongFramesShapedAsAnswersCountsOnlyItsNodes) {
  const std::vector<uint8_t> kAnswer = {0xE0, 0x00, 0x03, 0x01, 0x01, 0x05};
  for (bool flood : {false, true}) {
    SCOPED_TRACE(flood ? "a flood from a lost assignment" : "SENSE raised late");
    BusWorld w;
    bool lost = false;
    w.wire.senseLagMs = flood ? 0 : 60;
    w.wire.afterReply = flood ? std::vector<uint8_t>{} : kAnswer;
    w.wire.afterReplyMs = 0;
    w.wire.script = [&](bool request) {
      const std::vector<uint8_t>& d = w.WritingData();
      if (!flood || !request || lost || d.empty() || d[0] != kJvsCmdSetAddress) return SimJvsWire::kWhole;
      testsupport::SimLineNoise n = testsupport::SimLineNoise::Flood(7, true, 300);
      n.answerFrames = lost = true;
      w.wire.SetLineNoise(n);
      return SimJvsWire::kLost;
    };
    testsupport::StderrCapture capture;
    w.InsertCoins(0, 1);
    ASSERT_TRUE(w.Open());
    EXPECT_TRUE(w.FramesUntil([&] { return w.Ready() && w.CoinsSettled(); }, 1000));
    EXPECT_FALSE(w.Halted()) << capture.Take();
    EXPECT_ALL({VAL(JvsGetNodeCount(), 1), VAL(w.credited, 1), VAL(lost, flood)});
  }
  // The first assignment reaches the nodes damaged (status 3) as a flood of
  // such frames of 60, 120 or 200 ms starts, and an adapter that answers
  // node 0 itself swallows the nodes' answer: a frame of the flood is taken
  // for it, the address counted given. The wait for a quiet line before the
  // next assignment drops the flood's other frames (a flood that outlasts
  // it makes the wait run out): the bring-up goes round again rather than
  // stop on the address no node took, and comes up with its one or two
  // nodes.
  for (int nodes : {1, 2}) {
    for (uint32_t ms : {60u, 120u, 200u}) {
      SCOPED_TRACE(testing::Message() << nodes << " nodes, an assignment's answer swallowed, a flood of " << ms
                                      << " ms");
      BusWorld w(nodes);
      w.wire.channelThroughNoise = true;
      w.wire.noiseFrom = testsupport::SimLineNoise::Flood(7, true, ms);
      w.wire.noiseFrom.answerFrames = true;
      bool swallowed = false;
      w.wire.script = [&](bool request) {
        const std::vector<uint8_t>& d = w.WritingData();
        if (swallowed || d.empty() || d[0] != kJvsCmdSetAddress) return SimJvsWire::kWhole;
        swallowed = !request;
        return request ? SimJvsWire::kStatusThree : SimJvsWire::kNoiseFrom;
      };
      testsupport::StderrCapture capture;
      w.InsertCoins(0, 1);
      ASSERT_TRUE(w.Open());
      EXPECT_TRUE(w.FramesUntil([&] { return w.Ready() && w.CoinsSettled(); }, 1000));
      const std::string told = capture.Take();
      EXPECT_EQ(w.fault, "");
      EXPECT_FALSE(w.Halted()) << told;
      EXPECT_ALL({VAL(JvsGetNodeCount(), nodes), VAL(w.wire.board.nodes.back().address, nodes), VAL(w.credited, 1),
                  VAL(swallowed, true), VAL(Lines(told, "the bus is stopped"), 0)});
    }
  }
  // A round given out on such a flood (the first assignment lost), then a
  // quiet line, the next round's address 1 given out on it and the node
  // silent after it: that round came on no noise, and six of the node's
  // exchanges in a row stop the bus within a round.
  BusWorld w;
  bool lost = false;
  uint32_t quietAt = 0;  // address 1 given out again, on a quiet line
  w.wire.script = [&](bool request) {
    if (quietAt && request && w.WritingNode() == 1) return SimJvsWire::kLost;
    if (!request || w.WritingData() != std::vector<uint8_t>{kJvsCmdSetAddress, 1}) return SimJvsWire::kWhole;
    if (lost && !quietAt && !w.wire.LineNoisy()) quietAt = w.wire.NowMs();
    if (lost) return SimJvsWire::kWhole;
    testsupport::SimLineNoise n = testsupport::SimLineNoise::Flood(7, true, 300);
    n.answerFrames = lost = true;
    w.wire.SetLineNoise(n);
    return SimJvsWire::kLost;
  };
  testsupport::StderrCapture capture;
  ASSERT_TRUE(w.Open());
  w.FramesUntil([&] { return w.Halted(); }, 2000);
  const std::string told = capture.Take();
  EXPECT_EQ(w.fault, "");
  EXPECT_ALL({VAL(quietAt != 0, true), VAL(w.wire.NowMs() - quietAt <= kJvsResetWaitMs + 2 * kJvsCycleMs, true),
              VAL(Lines(told, "no good answer from node 1 in 6 exchanges in a row (6 silent)"), 1)});
}

// Nodes that raise SENSE 0 to 100 ms after taking their address, one or
// two of them, on a clean line, after 0.5 s of noise from the open, and
// with the last node's answer to its assignment lost once: the bus comes
// up with every node, each time (an assignment no node answers is no end
// of the addresses where SENSE then rises: the last node may hold it). A
// node that never takes address 2 (its assignment lost each time) still
// stops the bus after the resets, told, each failed assignment waiting at
// most kJvsSenseLagMs for SENSE.
TEST_F(MasterOnAWire, ANodeThatRaisesSenseLateAfterItsAddressStillBringsTheBusUp) {
  static const char* kWays[] = {"", ", 0.5 s of noise", ", the last answer lost"};
  for (int way = 0; way < 3; ++way) {
    for (int nodes : {1, 2}) {
      for (uint32_t lag : {0u, 10u, 50u, 100u}) {
        SCOPED_TRACE(testing::Message() << nodes << " nodes, SENSE " << lag << " ms late" << kWays[way]);
        BusWorld w(nodes);
        w.wire.senseLagMs = lag;
        if (way == 1) w.wire.SetLineNoise(testsupport::SimLineNoise::Flood(7, true, 500));
        bool lost = false;
        if (way == 2)
          w.wire.script = [&](bool request) {
            const std::vector<uint8_t>& d = w.WritingData();
            const bool last = !request && !lost && d == std::vector<uint8_t>{kJvsCmdSetAddress, uint8_t(nodes)};
            lost = lost || last;
            return last ? SimJvsWire::kLost : SimJvsWire::kWhole;
          };
        testsupport::StderrCapture capture;
        const uint32_t openAt = w.wire.Now();
        ASSERT_TRUE(w.Open());
        EXPECT_TRUE(w.FramesUntil([&] { return JvsGetState() == kJvsStateReady; }, 1000)) << capture.Take();
        const uint32_t upMs = w.wire.Now() - openAt;
        // A round of the bring-up (two where it goes again): the resets'
        // wait and three waits for a quiet line (the port's open, the
        // resets', a spoiled assignment's), and per node the wait for its
        // SENSE and a byte wait (a silent assignment; each answer takes a
        // millisecond); the frame it ends in and one more.
        const uint32_t round = kJvsResetWaitMs + 3 * kJvsQuietMs + uint32_t(nodes) * (kJvsSenseLagMs + kJvsByteWaitMs);
        const uint32_t bound = (way > 0 ? 2 : 1) * round + 2 * w.frameMs;
        EXPECT_ALL({VAL(JvsGetNodeCount(), nodes), VAL(w.wire.board.nodes.back().address, nodes),
                    VAL(upMs <= bound, true), VAL(lost, way == 2)});
        std::printf("%d node%s, SENSE %3u ms late%s: %s %u ms after the open\n", nodes, nodes > 1 ? "s" : "", lag,
                    kWays[way], w.Halted() ? "stopped" : "up", upMs);
      }
    }
  }
  {
    BusWorld w(2);
    w.wire.senseLagMs = 50;
    w.wire.script = [&](bool request) {
      const std::vector<uint8_t>& d = w.WritingData();
      return request && d.size() == 2 && d[0] == kJvsCmdSetAddress && d[1] == 2 ? SimJvsWire::kLost : SimJvsWire::kWhole;
    };
    testsupport::StderrCapture capture;
    const uint32_t openAt = w.wire.Now();
    ASSERT_TRUE(w.Open());
    EXPECT_FALSE(w.FramesUntil([] { return JvsGetState() == kJvsStateReady; }, 2000));
    const uint32_t stopMs = w.wire.Now() - openAt;
    const std::string told = capture.Take();
    EXPECT_ALL({VAL(w.Halted(), true), VAL(Lines(told, "no node took address 2 after 5 resets"), 1)});
    // The first try and a reset for each retry, each with the resets' wait,
    // two waits for a quiet line (before the resets, after them), node 1's
    // assignment, the wait for SENSE, and the silent assignment's byte wait;
    // 10 ms for the frames' own time, and the frame it ends in.
    const uint32_t perTry = kJvsResetWaitMs + 2 * kJvsQuietMs + kJvsSenseLagMs + kJvsByteWaitMs + 10;
    EXPECT_LE(stopMs, (kJvsAddressRetries + 1) * perTry + w.frameMs) << told;
    std::printf("node 2 never takes its address: stopped %u ms after the open\n", stopMs);
  }

  // A glitch of the SENSE line: high for 1 or 3 ms, at every millisecond from
  // 0 to 100 ms after node 1 answered its address, on a bus of two and of
  // three nodes: the addressing goes on to the last node, each time, no
  // slower than a bring-up without the glitch but for the wait that SENSE
  // holds high at its end (kJvsSenseSteadyMs). In play, SENSE low for 1, 3
  // or 5 ms at the start of a cycle is no lost address (five reads a
  // millisecond apart span 4 ms); low for 6 or 10 ms is (one line, the bus
  // stopped). So on a clock that reads whole milliseconds of a finer time,
  // its reads 1.06 ms apart (as a sleep of 1 ms lasts on a real machine),
  // at seeded phases within the millisecond: a low of 4.5 or 4.9 ms stops
  // nothing, whether it begins at the cycle's first read or up to a read's
  // gap before it; one of 5.5 or 6 ms from the first read always stops the
  // bus (the sixth read, 5.3 ms after the first, still reads it low).

  for (int nodes : {2, 3}) {
    uint32_t slowest = 0, quiet = 0, frameMs = 0;
    {
      BusWorld w(nodes);
      frameMs = w.frameMs;
      const uint32_t openAt = w.wire.Now();
      ASSERT_TRUE(w.Open());
      ASSERT_TRUE(w.FramesUntil([] { return JvsGetState() == kJvsStateReady; }, 1000));
      quiet = w.wire.Now() - openAt;
    }
    int up = 0, placements = 0;
    for (uint32_t ms : {1u, 3u}) {
      for (uint32_t at = 0; at <= kJvsSenseLagMs; ++at) {
        SCOPED_TRACE(testing::Message() << nodes << " nodes, SENSE high for " << ms << " ms, " << at
                                        << " ms after node 1's answer");
        BusWorld w(nodes);
        w.wire.senseGlitch = {1, at, ms};
        testsupport::StderrCapture capture;
        const uint32_t openAt = w.wire.Now();
        ASSERT_TRUE(w.Open());
        const bool ready = w.FramesUntil([] { return JvsGetState() == kJvsStateReady; }, 1000);
        for (int f = 0; f < 5; ++f) w.Frame();
        ++placements;
        up += ready && !w.Halted() && JvsGetNodeCount() == nodes;
        EXPECT_ALL({VAL(ready, true), VAL(JvsGetNodeCount(), nodes), VAL(w.Halted(), false),
                    VAL(w.wire.board.nodes.back().address, nodes)});
        slowest = std::max(slowest, w.wire.Now() - openAt - 5 * w.frameMs);
      }
    }
    // A glitch costs at most its time and the wait for SENSE to hold
    // (a glitch at the lag's end runs past it); the frame the bring-up ends
    // in is counted whole, so that may move the end into the next.
    EXPECT_LE(slowest, quiet + kJvsSenseSteadyMs + frameMs);
    std::printf("%d nodes, SENSE high for 1 or 3 ms 0-100 ms after node 1's answer: %d of %d up with every node, "
                "up at most %u ms after the open (%u without the glitch)\n",
                nodes, up, placements, slowest, quiet);
  }
  // Reads on the millisecond, 1 ms apart (phases 0), or at seeded phases
  // 1.06 ms apart; the low from the cycle's first read or up to 1.06 ms
  // before it.
  const struct {
    uint32_t lowUs;
    int phases;
    bool fromStart;
  } lows[] = {{1000, 0, true},    {3000, 0, true},    {5000, 0, true},   {6000, 0, true},    {10000, 0, true},
              {4500, 100, true},  {4900, 100, true},  {5500, 100, true}, {6000, 100, true},  {4500, 100, false},
              {4900, 100, false}, {5500, 100, false}, {6000, 100, false}};
  for (const auto& low : lows) {
    int stops = 0;
    uint32_t draw = low.lowUs + low.fromStart;
    for (int phase = 0; phase < std::max(low.phases, 1); ++phase) {
      draw = draw * 1103515245u + 12345u;
      const uint32_t atUs = low.phases ? (draw >> 8) % 1000 : 0, beforeUs = low.fromStart ? 0 : (draw >> 18) % 1060;
      SCOPED_TRACE(testing::Message() << "SENSE low for " << low.lowUs << " us, the first read " << atUs
                                      << " us past the millisecond, " << beforeUs << " us after the low began");
      BusWorld w;
      Ready(w);
      testsupport::StderrCapture capture;
      w.beforeStep = [&](BusWorld& world) {
        world.wire.sleepOverUs = low.phases ? 60 : 0;
        world.wire.SetUs(atUs);
        const uint32_t from = world.wire.NowUs() - beforeUs;
        world.wire.senseGlitch = {0, from / 1000, 0, from % 1000, low.lowUs};
        world.beforeStep = nullptr;
      };
      for (int f = 0; f < 10; ++f) w.Frame();
      stops += w.Halted();
      EXPECT_EQ(Lines(capture.Take(), "a node lost its address (SENSE went low)"), int(w.Halted()));
      if (!low.phases || low.lowUs < 5000 || (low.fromStart && low.lowUs >= 5500)) {
        EXPECT_EQ(w.Halted(), low.lowUs > kJvsSenseSteadyMs * 1000);
      }
    }
    if (low.phases)
      std::printf("SENSE low for %.1f ms, reads 1.06 ms apart, from %s: %d of %d stopped the bus\n", low.lowUs / 1000.0,
                  low.fromStart ? "the first read" : "up to 1.06 ms before it", stops, low.phases);
  }
}

