// Drives the cabinet I/O device on the simulated bus (tests/support) from
// the input: the board's ways, then a script of what happens to each frame
// either way (whole, lost, damaged, status 3 for a request, late for an
// answer; bytes of no frame after an answer), when coins go in, and what
// the line and the coin conditions do each game frame; every frame of one
// kind of request may be spoiled while the script lasts. Traps on what must
// never happen (BusWorld's properties): a switch word not set for node 1
// lately, a credit ahead of the coins, a wait for a quiet line longer than
// its bound, a stop by noise on the line, or no request within 0.3 s of the
// end of the line's noise on a bus that is up, a stop before six spoiled
// exchanges in a row (or six failed address assignments, or a reset every
// frame of which was lost), a piece of the master's work that writes more than
// BusWorld::kWriteBound frames (one that would never end), a setting of
// node 0 carried out more often than it was asked for, and, once the script
// is spent and the bus has settled, a coin not credited once (but where the
// documented loss may take it) or not taken off once, or the node's counter
// not at 0.
//
// Input: byte 0: bit 0 two nodes, bit 1 silent on damage, bit 2 status 3
// kept, bit 3 copies growing, bit 4 counts busy after a decrease, bits 5-6
// coins per insertion (1-4), bit 7 byte 1 follows: bit 0 a stray byte (FF)
// after each frame a node sends, bit 1 two (FF FF) 2 ms after it, bit 2
// coin conditions from the script, bit 3 coins at any frame (else only
// when the last are counted), bit 4 noise from the script, bits 5-6 how the
// nodes meet a request to send their last reply again (0 a copy, 1 status 2,
// 2 a report 2 of their own, 3 silence), bit 7 byte 2 follows: bits 0-1
// every request of one kind, while the script lasts, 1 lost, 2 damaged, 3
// answered status 3; bits 2-3 the kind: 0 polls that take coins off, 1 node
// 0's setting commands, 2 requests to send again, 3 the requests that go
// before one that takes effect (identity, node 0's status twice); bit 4 the
// board setting asked for as the game asks (after each sync that was not
// ready); bit 5 node 0 answers the first command of a frame alone; bit 6
// node 0's status bytes are 01 01 (they read like a report); bit 7 byte 3
// follows: bit 0 noise that ends from the script, bit 1 an echoing line
// (every byte the master writes comes back), bits 2-3 what a node's line
// driver puts after each of its frames instead of byte 1's (1 a sync byte
// alone 2 ms after it, 2 a header cut short E0 00 FF, 3 FF E0 55 right
// after it), bit 4 noise that ends lasts 2 to 3 s (longer than six spoiled
// exchanges; else 60-240 ms), bit 5 noise is sparse sync bytes (one every
// 60-120 ms) instead of bursts of any bytes, bit 6 node 0's answers pass
// whole through the line's noise, which swallows the other nodes' answers
// (an adapter that answers the board's channel itself), bit 7 byte 4 follows: bits 0-2
// a status (0, 1, 2, 3, 4, 5, 7F, FF), bit 3 an answer whose script byte's
// low three bits are 3 is replaced by a frame with a right sum and that
// status alone (one the noise formed), bit 4 the nodes meet a request to
// send their last reply again with a frame of that status (status 1: with a
// report 3 of their own), bit 5 a node raises SENSE late after answering
// its address (10, 40, 70 or 100 ms by bits 0-1), bit 6 byte 5 follows:
// bits 0-1 what comes back for every frame a node sends (1 garbage without sync bytes, as from a
// board at another line rate, 2 garbage with sync bytes, 3 the frame
// damaged and a byte trailed in the same read), from the open with bit 2,
// else once the bus is up; bit 3 node 1 dead once the bus is up, on a line
// that carries frames to another node every 20-200 ms; bit 4 frames shaped
// as answers to the master (E0 00 03 01 01 05) at line rate from the open,
// for 0.5 s and 1.2 s times bits 5-6; bit 7 the floods of noise that ends
// are such frames; byte 4's bit 7: once the bus is up, with byte 5's
// garbage (1 or 2) one of node 1's answers passes clean every 5-9 s, else
// node 1 answers its switches busy (report 4), while the script lasts.
// With any of bits 0-4 a game frame is 100 ms of bus time
// (the script then spans the time bound), and the board is made whole once
// the script is spent. Besides, a piece of the master's work longer than
// the step's time allows, a stretch without a fresh read of the inputs
// longer than the stop bound while the bus is up, a switch word older than
// that read as current, a node without a good answer for the time bound
// (or a bring-up that long), or node 1's switches read stale for longer
// than it in any 30 s, on a bus that did not stop, and a cycle that goes
// on past its step trap (BusWorld). Then one byte per frame on the
// wire (low three bits: 0-3 whole, 4 lost, 5 damaged, 6 status 3 or late, 7
// whole, or with noise that ends, that noise from the frame on; with noise,
// on an answer bits 3-4: 1 noise bytes after it, 2 a sync byte and two more
// after it) and per game frame (bit 7 set: coins go in; with conditions,
// bits 0-1 are slot 1's; with noise that ends, bits 4-6 not 0: noise that
// ends from now on, a flood with bit 4 (else three bytes every 5-40 ms),
// sync bytes among it with bit 5, ending inside a frame (a sync byte and
// the start of a frame to the master) with bit 6, for 60 ms times 1 + bits
// 2-3, also the noise later frames on the wire start; noise that ends
// starts only after a second without noise; else with noise, bits 2-3: 1 a burst
// of noise bytes every 1-10 ms for 50 ms, 2 one byte every 10-100 ms for
// 400 ms, sync bytes among them, 3 the line busy for 3 s, or until the
// script is spent).
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "cabinet/JvsMaster.h"
#include "cabinet/XioDevice.h"
#include "support/BusWorld.h"

using testsupport::BusWorld;
using testsupport::SimJvsWire;
using testsupport::SimLineNoise;

namespace {

// Says which property failed before trapping, so that a crash input reads.
[[noreturn]] void Trap(const std::string& what) {
  std::fprintf(stderr, "jvs_bus: %s\n", what.c_str());
  __builtin_trap();
}

struct Script {
  const uint8_t* at;
  const uint8_t* end;
  bool Spent() const { return at >= end; }
  uint8_t Next() { return at < end ? *at++ : 0; }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 1) return 0;
  const uint8_t ways = data[0];
  const uint8_t more = (ways & 0x80) && size > 1 ? data[1] : 0;
  const uint8_t spoil = (more & 0x80) && size > 2 ? data[2] : 0;
  const uint8_t extra = (spoil & 0x80) && size > 3 ? data[3] : 0;
  const uint8_t habits = (extra & 0x80) && size > 4 ? data[4] : 0;
  const uint8_t board = (habits & 0x40) && size > 5 ? data[5] : 0;
  static const uint8_t kStatuses[8] = {0, 1, 2, 3, 4, 5, 0x7F, 0xFF};
  const uint8_t status = kStatuses[habits & 7];
  const size_t head = !(ways & 0x80)    ? 1
                      : !(more & 0x80)  ? 2
                      : !(spoil & 0x80) ? 3
                      : !(extra & 0x80) ? 4
                      : !(habits & 0x40) ? 5
                                         : 6;
  Script script{data + head, data + size};
  BusWorld w((ways & 1) ? 2 : 1);
  w.wire.board.silentOnDamage = ways & 2;
  w.wire.board.keepStatusThree = ways & 4;
  w.wire.board.grow = ways & 8;
  if (ways & 16) w.wire.board.nodes[0].coinReportAfterDecrease = 4;
  const uint16_t coins = static_cast<uint16_t>(1 + ((ways >> 5) & 3));
  if (more & 1) {
    w.wire.afterReply = {0xFF};
    w.wire.afterReplyMs = 0;
  }
  if (more & 2) {
    w.wire.afterReply = {0xFF, 0xFF};
    w.wire.afterReplyMs = 2;
  }
  const bool conditions = more & 4, anyFrame = more & 8, noise = more & 16, ending = extra & 1;
  w.wire.echo = extra & 2;
  w.wire.channelThroughNoise = extra & 64;
  static const std::vector<uint8_t> kAfter[4] = {{}, {0xE0}, {0xE0, 0x00, 0xFF}, {0xFF, 0xE0, 0x55}};
  if (extra & 12) {
    w.wire.afterReply = kAfter[(extra >> 2) & 3];
    w.wire.afterReplyMs = (extra & 12) == 12 ? 0 : 2;
  }
  const bool longNoise = extra & 16, sparseSync = extra & 32;
  w.wire.noiseFrom = SimLineNoise::Flood(1, true, 200, true);
  w.wire.board.askedAgain = static_cast<testsupport::SimJvsBoard::AskedAgain>((more >> 5) & 3);
  if (habits & 0x10) {
    w.wire.board.askedAgain = testsupport::SimJvsBoard::AskedAgain::kReply;
    w.wire.board.askedAgainReply = status == 1 ? std::vector<uint8_t>{1, 3} : std::vector<uint8_t>{status};
  }
  const bool statusFrames = habits & 0x08;
  if (habits & 0x20) w.wire.senseLagMs = 10 + 30 * (habits & 3);
  // Boards that never answer well: from the open, or once the bus is up.
  static const SimJvsWire::Garbage kGarbage[4] = {SimJvsWire::kNoGarbage, SimJvsWire::kGarbage,
                                                  SimJvsWire::kGarbageWithSync, SimJvsWire::kNoGarbage};
  const int answers = board & 3;
  const bool fromOpen = board & 4, dead = board & 8, answerFlood = board & 16, answerNoise = board & 0x80;
  const bool nowAndThen = habits & 0x80;
  bool badBoard = false;  // the board's bad habit is on
  if ((board & 0x1F) || nowAndThen) w.frameMs = 100;
  auto spoilBoard = [&] {
    badBoard = true;
    if (nowAndThen && (answers == 1 || answers == 2))
      w.GarbageButNowAndThen(kGarbage[answers]);
    else if (nowAndThen)
      w.wire.board.nodes[0].switchReport = 4;
    else
      w.wire.garbage = kGarbage[answers];
    if (answers == 3) {
      w.wire.afterReply = {0x55};
      w.wire.afterReplyMs = 0;
    }
    if (dead) {
      SimLineNoise frames{7, 20, 200, 6, true};
      frames.otherNodeFrames = true;
      w.wire.SetLineNoise(frames);
    }
  };
  if (fromOpen && (answers || dead)) spoilBoard();
  if (answerFlood) {
    SimLineNoise flood = SimLineNoise::Flood(3, true, 500 + 1200 * ((board >> 5) & 3));
    flood.answerFrames = true;
    w.wire.SetLineNoise(flood);
  }
  w.wire.otherStatus = status;
  w.boardSetting = spoil & 16;
  w.wire.board.boardAnswersFirstOnly = spoil & 32;
  if (spoil & 64) w.wire.board.boardStatus[0] = 0x01;
  static const SimJvsWire::Fault kSpoils[4] = {SimJvsWire::kWhole, SimJvsWire::kLost, SimJvsWire::kDamaged,
                                               SimJvsWire::kStatusThree};
  auto spoiled = [&] {
    const std::vector<uint8_t>& d = w.WritingData();
    switch ((spoil >> 2) & 3) {
      case 0:
        return w.WritingDecrease();
      case 1:
        return w.WritingSetting();
      case 2:
        return w.WritingAskAgain();
      default:  // once the bus is up: the bring-up asks each node's identity too
        if (JvsGetState() == kJvsStateStarting) return false;
        return w.WritingNode() == 0 ? d == std::vector<uint8_t>{kJvsBoardStatus, 2, kJvsBoardStatus, 2}
                                    : d == std::vector<uint8_t>{kJvsCmdIdentity};
    }
  };
  // Noise that ends starts only after a second without noise on the line:
  // noise that starts again as soon as it ends is a line that never goes
  // quiet, where the cycle goes on as long as the noise (no exchange of it
  // counts toward a stop).
  auto quietAWhile = [&] { return w.wire.NowMs() - w.wire.LastLineNoiseAt() >= 1000; };
  w.wire.script = [&](bool request) {
    const uint8_t b = script.Next();
    if (badBoard && dead && request && w.WritingNode() == 1) return SimJvsWire::kLost;
    if (badBoard && answers == 3 && !request) return SimJvsWire::kDamaged;
    if (request && kSpoils[spoil & 3] != SimJvsWire::kWhole && spoiled()) return kSpoils[spoil & 3];
    if (ending && (b & 7) == 7 && quietAWhile()) return SimJvsWire::kNoiseFrom;
    if (noise && !request) {
      if (((b >> 3) & 3) == 1) return SimJvsWire::kNoiseAfter;
      if (((b >> 3) & 3) == 2) return SimJvsWire::kSyncNoiseAfter;
    }
    switch (b & 7) {
      case 3:
        return statusFrames && !request ? SimJvsWire::kOtherStatus : SimJvsWire::kWhole;
      case 4:
        return SimJvsWire::kLost;
      case 5:
        return SimJvsWire::kDamaged;
      case 6:
        return request ? SimJvsWire::kStatusThree : SimJvsWire::kLate;
      default:
        return SimJvsWire::kWhole;
    }
  };
  if (!w.Open()) __builtin_trap();
  auto halted = [&] {
    if (!w.Halted()) return;
    if (!w.StopAllowed()) Trap("a stop before six spoiled exchanges in a row");
    if (!w.Reopen()) __builtin_trap();
  };
  uint32_t seed = 1;
  for (int f = 0; f < 120 && !script.Spent(); ++f) {
    halted();
    const uint8_t b = script.Next();
    // Coins go in, unless at any frame, only once the last are in and
    // counted: the node's counter then settles a decrease exactly,
    // whatever else happens.
    if ((b & 0x80) && (anyFrame || (w.Ready() && w.CoinsSettled()))) w.InsertCoins(0, coins);
    if (conditions) w.wire.board.nodes[0].condition[0] = b & 3;
    if (!badBoard && (answers || dead || nowAndThen) && w.Ready()) spoilBoard();
    if (ending && (b & 0x70)) {
      // Noise that ends starts on a line without noise.
      const uint32_t ms = longNoise ? 2000 + 333 * ((b >> 2) & 3) : 60 * (1 + ((b >> 2) & 3));
      w.wire.noiseFrom = (b & 0x10) ? SimLineNoise::Flood(++seed, b & 0x20, ms, b & 0x40)
                         : sparseSync ? SimLineNoise{++seed, 60, 120, 1, true, ms, bool(b & 0x40), 100}
                                      : SimLineNoise{++seed, 5, 40, 3, bool(b & 0x20), ms, bool(b & 0x40)};
      w.wire.noiseFrom.answerFrames = answerNoise && (b & 0x10);
      if (!w.wire.LineNoisy() && quietAWhile()) w.wire.SetLineNoise(w.wire.noiseFrom);
    } else if (noise && !w.wire.LineNoisy() && quietAWhile()) {
      switch ((b >> 2) & 3) {
        case 1:
          w.wire.SetLineNoise({++seed, 1, 10, 1, false, 50});
          break;
        case 2:
          w.wire.SetLineNoise({++seed, 10, 100, 1, true, 400});
          break;
        case 3:
          w.wire.SetLineNoise(SimLineNoise::Flood(++seed, true, SimJvsWire::kBusyMs));
          break;
        default:
          break;
      }
    }
    w.Frame();
    if (!w.fault.empty()) Trap(w.fault);
  }
  auto settingOnce = [&] {
    const testsupport::SimJvsBoard& b = w.wire.board;
    const int asked = int(w.device->BoardSettingRequests());
    if (b.boardValues > asked || b.boardApplies > asked) __builtin_trap();
  };
  settingOnce();
  w.wire.script = nullptr;
  w.wire.LineNoiseOff();
  w.wire.garbage = SimJvsWire::kNoGarbage;
  if (badBoard) w.wire.afterReply.clear();
  w.wire.board.nodes[0].switchReport = 1;
  w.wire.board.nodes[0].condition[0] = 0;
  // Where every reset frame of a bring-up was lost, the first node may keep
  // an address of before that the master does not know (its coins are not
  // read): a restart on the whole wire gives the addresses out again.
  if (w.wire.board.nodes[0].address != 1 && !w.Halted() && !w.Reopen()) __builtin_trap();
  // A stop may still come of what the script did (a bring-up that began
  // on its noise keeps its time bound): the bus is opened again.
  bool settled = false;
  for (int f = 0; f < 400 && !(settled = w.Ready() && w.CoinsSettled()); ++f) {
    halted();
    w.Frame();
    if (!w.fault.empty()) Trap(w.fault);
  }
  if (!settled)
    Trap("not settled 400 frames after the script: state " + std::to_string(JvsGetState()) +
         (JvsDecreaseOpen(1) ? ", a decrease's fate open" : "") +
         (JvsDecreaseUnsettled(1) ? ", a decrease left to the counter" : "") + "; " + w.fault + w.CoinProperties());
  for (int i = 0; i < 6; ++i) w.Frame();
  if (!w.fault.empty() || !w.CoinProperties().empty()) Trap(w.fault + w.CoinProperties());
  settingOnce();
  return 0;
}
