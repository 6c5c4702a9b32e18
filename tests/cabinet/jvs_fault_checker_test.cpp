// Every placement of up to three faults among the first eight frames each
// way of an exchange of each kind, on the simulated wire, with the cabinet
// I/O device driven as the game drives it. Some kinds have a board that
// sends stray bytes after its answers, whose coin conditions come and go,
// or that meets a request to send its last reply again with no reply of its
// own or not at all; some put a coin in at each frame of the window in turn
// (up to two faults then); some add, as faults on answers, bytes of no frame
// after them or a line that goes busy for 3 s; some spoil every frame of
// one kind of request until the restart (the master's work is held to a
// bound of frames: one that would never end fails the case). In every case: no credit without a coin,
// each coin credited once (but where the documented loss may take it:
// BusWorld) and taken off once, the node's counter back at 0, the switches
// read always those set for that node in this or the previous poll, the
// board's setting carried out at most once, no wait for a quiet line longer
// than its bound, and the bus stopped only after six spoiled exchanges in a
// row (three faults spoil at most three, unless they leave the nodes
// sharing an address), never by noise on the line; a restart of the device
// then brings every coin in once. Some kinds run on an echoing line. In
// some, any frame either way may start noise that ends (250 ms of it; or,
// with one fault more, 2 to 3 s of it, longer than a run of six spoiled
// exchanges): it must never stop the bus, and once it has ended a request
// goes out within 0.3 s (BusWorld). Some boards put a sync byte alone, a
// header cut short, or a sync byte among stray bytes after each answer.
// Some boards never answer well from the open or once the bus is up
// (garbage for every answer, every answer damaged with bytes trailed, a
// dead node on a line that carries another node's frames): the bus stops
// within the time bound (BusWorld), telling it in a line, and a restart on
// a board made whole brings every coin in once. Some put frames of status 3
// in place of answers, or answer-shaped frames on the line at power-on and
// in play. Some boards answer well only now and then once up (a good
// answer every 5-9 s among garbage, switches answered busy for good): their
// switches read stale, and the bus stops once that lasted the time bound
// in the stale reads' window. Some raise SENSE 50 ms after answering their
// address, or whose SENSE goes high for 3 ms while node 2 waits for its
// address: the bring-up sweep comes up as often as with nodes that raise it
// at once and a line without glitches.
#include <gtest/gtest.h>

#include <chrono>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "cabinet/JvsMaster.h"
#include "cabinet/XioDevice.h"
#include "support/BusWorld.h"
#include "support/StderrCapture.h"

using testsupport::BusWorld;
using testsupport::SimJvsWire;

namespace {

constexpr int kWindow = 8;     // frames each way where faults are placed
constexpr int kMaxFaults = 3;

// Where a kind's faults start to be counted.
// kSecondDecrease: the decrease of a second coin, put in once the first is
// settled.
enum class From { kOpen, kFirstPoll, kDecrease, kSettingValue, kSettingApply, kSecondDecrease };

struct Kind {
  const char* name;
  int nodes;
  From from;
  uint16_t coins;  // put into node 1 (before the open, or once ready)
  void (*board)(BusWorld&);
  int maxFaults = kMaxFaults;
  bool coinInWindow = false;  // one more coin, at each frame of the window in turn
  bool noiseFaults = false;   // answers may be followed by noise, or meet a line busy for 3 s
  bool endingNoise = false;   // any frame may start the kind's noise that ends (SimJvsWire::noiseFrom)
  bool statusFrames = false;  // answers may be replaced by right-sum frames of the wire's otherStatus
  // The board's way from the window's start (null: none), and whether it
  // stops the bus: a restart then finds the board whole.
  void (*atWindow)(BusWorld&) = nullptr;
  bool stops = false;
};

void Plain(BusWorld&) {}
void Identical(BusWorld& w) { w.changingInputs = false; }
void SenseLate(BusWorld& w) { w.wire.senseLagMs = 50; }
// SENSE high for 3 ms, 20 ms after node 1 took its address, while node 2
// still waits for one.
void SenseGlitch(BusWorld& w) { w.wire.senseGlitch = {1, 20, 3}; }
void Growing(BusWorld& w) { w.wire.board.grow = true; }
void SilentOnDamage(BusWorld& w) { w.wire.board.silentOnDamage = true; }
void KeepsStatusThree(BusWorld& w) { w.wire.board.keepStatusThree = true; }
void BusyCountAfterDecrease(BusWorld& w) { w.wire.board.nodes[0].coinReportAfterDecrease = 4; }
void Setting(BusWorld& w) {
  w.boardSetting = true;
  w.frameMs = 100;  // the setting's one-second pauses in fewer frames
}
void SettingKeepsStatusThree(BusWorld& w) {
  Setting(w);
  KeepsStatusThree(w);
}
// A line driver's glitch at each turn-around: a byte right after each frame
// a node sends; or two, 2 ms after it.
void StrayByte(BusWorld& w) {
  w.wire.afterReply = {0xFF};
  w.wire.afterReplyMs = 0;
}
void StrayPair(BusWorld& w) {
  w.wire.afterReply = {0xFF, 0xFF};
  w.wire.afterReplyMs = 2;
}
// Coin conditions (jam, counter gone, busy) that come and go over the first
// twelve coin reports.
void Conditions(BusWorld& w) { w.wire.board.conditions = {7, 40, 12}; }
// Nodes that meet a request to send their last reply again as a command
// they do not have (status 2), with a report 2 of their own, or not at all.
using AskedAgain = testsupport::SimJvsBoard::AskedAgain;
void Unsupported(BusWorld& w) { w.wire.board.askedAgain = AskedAgain::kUnsupported; }
void OwnReport(BusWorld& w) { w.wire.board.askedAgain = AskedAgain::kOwnReport; }
void SilentToIt(BusWorld& w) { w.wire.board.askedAgain = AskedAgain::kSilent; }
void SettingUnsupported(BusWorld& w) {
  Setting(w);
  Unsupported(w);
}
// Every frame of one kind of request spoiled, until the restart: a coin
// decrease, damaged, on a node silent on damage (the short request to send
// again gets through); node 0's setting, answered status 3, where node 0's
// last reply cannot tell the setting's fate (it answers the first command
// of a frame alone).
void DecreaseNeverWhole(BusWorld& w) {
  SilentOnDamage(w);
  w.wire.script = [&w](bool request) {
    return request && w.WritingDecrease() ? SimJvsWire::kDamaged : SimJvsWire::kWhole;
  };
}
void SettingNeverWhole(BusWorld& w) {
  Setting(w);
  w.wire.board.boardAnswersFirstOnly = true;
  w.wire.script = [&w](bool request) {
    return request && w.WritingSetting() ? SimJvsWire::kStatusThree : SimJvsWire::kWhole;
  };
}
// An adapter that hands back every byte the master writes.
void Echoing(BusWorld& w) { w.wire.echo = true; }
void SettingEchoing(BusWorld& w) {
  Setting(w);
  Echoing(w);
}
void KeepsStatusThreeEchoing(BusWorld& w) {
  KeepsStatusThree(w);
  Echoing(w);
}
// Noise that ends, 250 ms after the frame that starts it, inside a frame:
// a flood without sync bytes (every frame a node sends meanwhile damaged),
// one with them (the line not quiet meanwhile), sparse bursts with them.
constexpr uint32_t kEndingNoiseMs = 250;
void FloodThatEnds(BusWorld& w) { w.wire.noiseFrom = testsupport::SimLineNoise::Flood(5, false, kEndingNoiseMs, true); }
void SyncFloodThatEnds(BusWorld& w) {
  w.wire.noiseFrom = testsupport::SimLineNoise::Flood(5, true, kEndingNoiseMs, true);
}
void SettingBurstsThatEnd(BusWorld& w) {
  Setting(w);
  w.wire.noiseFrom = {5, 5, 40, 3, true, kEndingNoiseMs, true};
}
void EchoingFloodThatEnds(BusWorld& w) {
  Echoing(w);
  SyncFloodThatEnds(w);
}
// Bytes a node's line driver puts on the line after each of its frames that
// begin a frame never ended: a sync byte alone, 2 ms after it; a header cut
// short (E0 00 FF, a frame of 254 bytes more); a sync byte among stray bytes
// right after it.
void StraySync(BusWorld& w) { w.wire.afterReply = {0xE0}; }
void StrayCutHeader(BusWorld& w) { w.wire.afterReply = {0xE0, 0x00, 0xFF}; }
void StrayWithSync(BusWorld& w) {
  w.wire.afterReply = {0xFF, 0xE0, 0x55};
  w.wire.afterReplyMs = 0;
}
// Noise that ends, longer than a run of six spoiled exchanges: a 3 s flood
// with sync bytes, ending inside a frame; 3 s of frames to another node at
// line rate; a sync byte alone every 60-120 ms for 2 s.
void LongFloodThatEnds(BusWorld& w) { w.wire.noiseFrom = testsupport::SimLineNoise::Flood(5, true, 3000, true); }
void OtherNodeFloodThatEnds(BusWorld& w) {
  w.wire.noiseFrom = testsupport::SimLineNoise::Flood(5, true, 3000);
  w.wire.noiseFrom.otherNodeFrames = true;
}
void SparseSyncBytesThatEnd(BusWorld& w) {
  w.wire.noiseFrom = {5, 60, 120, 1, true, 2000};
  w.wire.noiseFrom.syncPercent = 100;
}
void SettingSparseSyncBytesThatEnd(BusWorld& w) {
  Setting(w);
  SparseSyncBytesThatEnd(w);
}

// Nodes that meet a request to send their last reply again with a frame of
// one status (status 1: with a report 3 of their own).
template <uint8_t kStatus>
void AskedAgainStatus(BusWorld& w) {
  w.wire.board.askedAgain = AskedAgain::kReply;
  w.wire.board.askedAgainReply = kStatus == 1 ? std::vector<uint8_t>{1, 3} : std::vector<uint8_t>{kStatus};
}
// Right-sum frames of one status in place of answers (SimJvsWire::
// kOtherStatus).
template <uint8_t kStatus>
void StatusFrames(BusWorld& w) {
  w.wire.otherStatus = kStatus;
}
void SettingStatusFrames(BusWorld& w) {
  Setting(w);
  StatusFrames<2>(w);
}
// A node learnt to send true copies after a status 3: the first decrease's
// answer lost, the first request to send it again answered status 3, the
// next with a true copy. The window is the second coin's decrease.
void LearntCopies(BusWorld& w) {
  auto step = std::make_shared<int>(0);
  w.wire.script = [&w, step](bool request) {
    SimJvsWire::Fault f = SimJvsWire::kWhole;
    if (*step == 0 && request && w.WritingDecrease())
      *step = 1;
    else if (*step == 1 && !request)
      f = SimJvsWire::kLost;
    else if (*step == 2 && request && w.WritingAskAgain())
      f = SimJvsWire::kStatusThree;
    else
      return f;
    if (f != SimJvsWire::kWhole) ++*step;
    return f;
  };
}

// Boards that never answer well, on frames of 100 ms (the time bound in
// fewer frames): garbage for every answer, as from a board at another line
// rate, without sync bytes or with; every answer damaged, and a byte
// trailed in the same read; node 2 dead on a line that carries frames to
// another node every 20 to 200 ms.
void SlowFrames(BusWorld& w) { w.frameMs = 100; }
void Garbage(BusWorld& w) {
  SlowFrames(w);
  w.wire.garbage = SimJvsWire::kGarbage;
}
void GarbageWithSync(BusWorld& w) { w.wire.garbage = SimJvsWire::kGarbageWithSync; }
void DamagedTrailed(BusWorld& w) {
  w.wire.afterReply = {0x55};
  w.wire.afterReplyMs = 0;
  w.wire.script = [](bool request) { return request ? SimJvsWire::kWhole : SimJvsWire::kDamaged; };
}
void DeadAmongFrames(BusWorld& w) {
  w.wire.script = [&w](bool request) {
    return request && w.WritingNode() == 2 ? SimJvsWire::kLost : SimJvsWire::kWhole;
  };
  testsupport::SimLineNoise frames{3, 20, 200, 6, true};
  frames.otherNodeFrames = true;
  w.wire.SetLineNoise(frames);
}
// Frames shaped as answers to the master (E0 00 03 01 01 05) at line rate,
// from a frame of the window on: 3 s at power-on, 2 s in play.
void AnswerFlood(BusWorld& w, uint32_t ms) {
  w.wire.noiseFrom = testsupport::SimLineNoise::Flood(9, true, ms);
  w.wire.noiseFrom.answerFrames = true;
}
void AnswerFloodAtPowerOn(BusWorld& w) { AnswerFlood(w, 3000); }
// A flood without sync bytes for 1.5 s (every answer meanwhile damaged),
// longer than a step's time: a decrease's fate stays open across the cuts.
void FloodForAStepAndAHalf(BusWorld& w) { w.wire.noiseFrom = testsupport::SimLineNoise::Flood(5, false, 1500); }
void AnswerFloodInPlay(BusWorld& w) { AnswerFlood(w, 2000); }
// Boards that answer well only now and then once up, on frames of 200 ms
// (the stale reads' bound in fewer frames): node 1's answers garbage but
// one every 5 to 9 s; node 1's switches answered busy (report 4) for good.
void LongFrames(BusWorld& w) { w.frameMs = 200; }
void GoodNowAndThen(BusWorld& w) { w.GarbageButNowAndThen(SimJvsWire::kGarbage); }
void SwitchesBusy(BusWorld& w) { w.wire.board.nodes[0].switchReport = 4; }

const Kind kKinds[] = {
    {"bring-up, one node", 1, From::kOpen, 1, Plain},
    {"bring-up, two nodes", 2, From::kOpen, 0, Plain},
    {"setting value", 1, From::kSettingValue, 0, Setting},
    {"setting apply", 1, From::kSettingApply, 0, Setting},
    {"setting apply, status 3 kept", 1, From::kSettingApply, 0, SettingKeepsStatusThree},
    {"polls of two nodes", 2, From::kFirstPoll, 0, Plain},
    {"two nodes with the same idle replies", 2, From::kFirstPoll, 1, Identical},
    {"decrease poll", 1, From::kDecrease, 1, Plain},
    {"decrease poll, copies growing", 1, From::kDecrease, 2, Growing},
    {"decrease poll, silent on damage", 1, From::kDecrease, 1, SilentOnDamage},
    {"decrease poll, status 3 kept", 1, From::kDecrease, 1, KeepsStatusThree},
    {"decrease poll, count busy after it", 1, From::kDecrease, 1, BusyCountAfterDecrease},
    {"decrease poll of 256 coins, idle switches", 1, From::kDecrease, 256, Identical},
    {"decrease poll, a stray byte after each answer", 1, From::kDecrease, 1, StrayByte},
    {"polls of two nodes, FF FF 2 ms after each answer", 2, From::kFirstPoll, 0, StrayPair, 2},
    {"decrease poll, coin conditions coming and going", 1, From::kDecrease, 1, Conditions},
    {"decrease poll, a coin at a frame of the window", 1, From::kDecrease, 1, Plain, 2, true},
    {"decrease poll, status 3 kept, a coin at a frame of the window", 1, From::kDecrease, 1, KeepsStatusThree, 2,
     true},
    {"decrease poll, noise after answers, a line busy for 3 s", 1, From::kDecrease, 1, Plain, 2, false, true},
    {"polls of two nodes, noise after answers, a line busy for 3 s", 2, From::kFirstPoll, 0, Plain, 2, false, true},
    {"decrease poll, no request to send again (status 2)", 1, From::kDecrease, 1, Unsupported},
    {"decrease poll, a report of its own to a request to send again", 1, From::kDecrease, 1, OwnReport, 2},
    {"decrease poll, silent to a request to send again", 1, From::kDecrease, 1, SilentToIt, 2},
    {"setting value, no request to send again (status 2)", 1, From::kSettingValue, 0, SettingUnsupported, 2},
    {"decrease poll, every frame of it damaged, silent on damage", 1, From::kDecrease, 1, DecreaseNeverWhole, 2},
    {"setting value, every setting frame status 3, the first command answered alone", 1, From::kSettingValue, 0,
     SettingNeverWhole, 2},
    {"bring-up, one node, an echoing line", 1, From::kOpen, 1, Echoing, 2},
    {"setting value, an echoing line", 1, From::kSettingValue, 0, SettingEchoing, 2},
    {"decrease poll, status 3 kept, an echoing line", 1, From::kDecrease, 1, KeepsStatusThreeEchoing, 2},
    {"bring-up, two nodes, a flood that ends", 2, From::kOpen, 1, FloodThatEnds, 2, false, false, true},
    {"decrease poll, a flood with sync bytes that ends", 1, From::kDecrease, 1, SyncFloodThatEnds, 2, false, false,
     true},
    {"setting apply, bursts that end", 1, From::kSettingApply, 0, SettingBurstsThatEnd, 2, false, false, true},
    {"polls of two nodes, an echoing line, a flood that ends", 2, From::kFirstPoll, 0, EchoingFloodThatEnds, 2, false,
     false, true},
    {"decrease poll, a request to send again answered status 0", 1, From::kDecrease, 1, AskedAgainStatus<0>, 2},
    {"decrease poll, a request to send again answered status 1, report 3", 1, From::kDecrease, 1,
     AskedAgainStatus<1>, 2},
    {"decrease poll, a request to send again answered status 3", 1, From::kDecrease, 1, AskedAgainStatus<3>, 2},
    {"decrease poll, a request to send again answered status 4", 1, From::kDecrease, 1, AskedAgainStatus<4>, 2},
    {"decrease poll, a request to send again answered status 5", 1, From::kDecrease, 1, AskedAgainStatus<5>, 2},
    {"decrease poll, a request to send again answered status FF", 1, From::kDecrease, 1, AskedAgainStatus<0xFF>, 2},
    {"decrease poll, frames of status 0 in place of answers", 1, From::kDecrease, 1, StatusFrames<0>, 2, false, false,
     false, true},
    {"polls of two nodes, frames of status 5 in place of answers", 2, From::kFirstPoll, 0, StatusFrames<5>, 2, false,
     false, false, true},
    {"setting value, frames of status 2 in place of answers", 1, From::kSettingValue, 0, SettingStatusFrames, 2, false,
     false, false, true},
    {"second decrease poll, the node learnt to send copies after a status 3", 1, From::kSecondDecrease, 1,
     LearntCopies},
    {"decrease poll, a sync byte alone after each answer", 1, From::kDecrease, 1, StraySync},
    {"polls of two nodes, a header cut short after each answer", 2, From::kFirstPoll, 0, StrayCutHeader, 2},
    {"decrease poll, FF E0 55 after each answer", 1, From::kDecrease, 1, StrayWithSync, 2},
    {"decrease poll, a 3 s flood with sync bytes that ends", 1, From::kDecrease, 1, LongFloodThatEnds, 1, false,
     false, true},
    {"polls of two nodes, 3 s of frames to another node", 2, From::kFirstPoll, 0, OtherNodeFloodThatEnds, 1, false,
     false, true},
    {"bring-up, one node, sparse sync bytes for 2 s", 1, From::kOpen, 1, SparseSyncBytesThatEnd, 1, false, false,
     true},
    {"setting value, sparse sync bytes for 2 s", 1, From::kSettingValue, 0, SettingSparseSyncBytesThatEnd, 1, false,
     false, true},
    {"decrease poll, frames of status 3 in place of answers", 1, From::kDecrease, 1, StatusFrames<3>, 2, false, false,
     false, true},
    {"bring-up, one node, garbage for every answer", 1, From::kOpen, 1, Garbage, 1, false, false, false, false, nullptr,
     true},
    {"polls, garbage with sync bytes for every answer once up", 1, From::kFirstPoll, 0, SlowFrames, 1, false, false,
     false, false, GarbageWithSync, true},
    {"decrease poll, every answer damaged and a byte trailed", 1, From::kDecrease, 1, SlowFrames, 1, false, false,
     false, false, DamagedTrailed, true},
    {"polls of two nodes, node 2 dead, another node's frames on the line", 2, From::kFirstPoll, 0, SlowFrames, 1,
     false, false, false, false, DeadAmongFrames, true},
    {"bring-up, one node, 3 s of answer-shaped frames", 1, From::kOpen, 1, AnswerFloodAtPowerOn, 1, false, false,
     true},
    {"decrease poll, 2 s of answer-shaped frames, a coin at a frame of the window", 1, From::kDecrease, 1,
     AnswerFloodInPlay, 1, true, false, true},
    {"decrease poll, a 1.5 s flood without sync bytes, a coin at a frame of the window", 1, From::kDecrease, 1,
     FloodForAStepAndAHalf, 1, true, false, true},
    {"polls, a good answer every 5-9 s among garbage once up", 1, From::kFirstPoll, 0, LongFrames, 1, false, false,
     false, false, GoodNowAndThen, true},
    {"decrease poll, switches answered busy once up", 1, From::kDecrease, 1, LongFrames, 1, false, false, false, false,
     SwitchesBusy, true},
    {"bring-up, one node, SENSE raised 50 ms after its address", 1, From::kOpen, 1, SenseLate},
    {"bring-up, two nodes, SENSE raised 50 ms after their addresses", 2, From::kOpen, 0, SenseLate},
    {"bring-up, two nodes, SENSE high for 3 ms 20 ms after node 1's address", 2, From::kOpen, 1, SenseGlitch},
};

struct Fault {
  bool reply;
  int index;
  SimJvsWire::Fault what;
};

std::string Describe(const std::vector<Fault>& p, int coinAt) {
  std::ostringstream o;
  static const char* kNames[] = {"whole",      "lost",          "damaged",          "status 3",      "late",
                                 "noise after", "sync noise after", "line busy 3 s from", "noise that ends from",
                                 "a frame of another status"};
  if (coinAt >= 0) o << " a coin at frame " << coinAt << ";";
  if (p.empty()) o << " no fault";
  for (const Fault& f : p) o << (f.reply ? " answer " : " request ") << f.index << " " << kNames[f.what] << ";";
  return o.str();
}

struct Run {
  std::string fault;  // empty: every property held
  int requests = 0, replies = 0;  // frames each way counted in the window
  bool lost = false;              // a coin lost where the documented loss may take it
  bool stopped = false;           // the bus stopped (and was restarted)
};

Run RunCase(const Kind& k, const std::vector<Fault>& placement, int coinAt) {
  BusWorld w(k.nodes);
  k.board(w);
  bool counting = false, windowCoin = false, secondCoin = false;
  int countedFrom = 0;
  uint32_t valueAt = 0;
  auto start = [&] {
    counting = true;
    countedFrom = w.frames;
    w.wire.StartCounting();
    if (k.atWindow) k.atWindow(w);
    for (const Fault& f : placement) {
      if (f.reply)
        w.wire.SetReplyFault(f.index, f.what);
      else
        w.wire.SetRequestFault(f.index, f.what);
    }
  };
  w.beforeStep = [&](BusWorld& world) {
    if (counting) {
      if (coinAt >= 0 && !windowCoin && world.frames - countedFrom == coinAt) {
        world.InsertCoins(0, 1);
        windowCoin = true;
      }
      return;
    }
    switch (k.from) {
      case From::kFirstPoll:
        counting = world.Ready();
        break;
      case From::kDecrease:
        counting = BusWorld::QueuedDecrease();
        break;
      case From::kSettingValue:
        counting = world.settingAsked;
        break;
      case From::kSettingApply:
        // The apply goes out a second after the value was carried out.
        if (!valueAt && world.wire.board.boardValues) valueAt = world.wire.NowMs();
        counting = valueAt && world.wire.NowMs() - valueAt + world.frameMs >= kJvsSettingPauseMs;
        break;
      case From::kSecondDecrease:
        if (world.wire.board.decreases.empty()) break;
        if (!secondCoin && world.CoinsSettled()) {
          world.InsertCoins(0, 1);
          secondCoin = true;
        }
        counting = secondCoin && BusWorld::QueuedDecrease();
        break;
      case From::kOpen:
        break;
    }
    if (!counting) return;
    start();
    // The window's coin goes in right before the master's work of its
    // frame (the first: the work that starts the window).
    if (coinAt == 0) {
      world.InsertCoins(0, 1);
      windowCoin = true;
    }
  };
  if (k.from == From::kOpen) {
    start();
    if (k.coins) w.InsertCoins(0, k.coins);
  }
  Run run;
  if (!w.Open()) {
    run.fault = "the device did not open";
    return run;
  }
  const bool coinKind = k.coins > 0;
  bool coinsIn = k.from == From::kOpen;
  int settledAt = -1;
  constexpr int kMaxFrames = 300;
  bool restarted = false;
  for (int f = 0; f < kMaxFrames && w.fault.empty(); ++f) {
    if (w.Halted()) {
      // Only six spoiled exchanges in a row may stop the bus. Then a restart
      // of the device, on a wire without faults, must bring every coin in
      // once.
      if (!w.StopAllowed() || restarted) break;
      restarted = true;
      w.wire.ClearFaults();
      w.wire.script = nullptr;
      w.wire.LineNoiseOff();
      w.wire.garbage = SimJvsWire::kNoGarbage;
      if (k.stops) {
        w.wire.afterReply.clear();
        for (testsupport::SimJvsNode& n : w.wire.board.nodes) n.switchReport = 1;
      }
      if (!w.Reopen()) break;
    }
    if (!coinsIn && w.Ready() && coinKind) {
      w.InsertCoins(0, k.coins);
      coinsIn = true;
    }
    w.Frame();
    const bool settingDone = !w.boardSetting || JvsGetNodeSettingResult() != kJvsSettingRunning;
    // Noise that ends has ended, and what follows it is watched too.
    const bool settled = counting && w.inputsRead > 0 && settingDone && (coinAt < 0 || windowCoin) &&
                         !w.wire.LineNoisy() && (!k.stops || restarted) &&
                         (!coinKind || (coinsIn && w.CoinsSettled()));
    if (settled && settledAt < 0) settledAt = w.frames;
    if (!settled) settledAt = -1;
    // A few frames more with everything settled: nothing moves after it.
    if (settledAt >= 0 && w.frames - settledAt >= 4) break;
  }
  run.lost = w.Lost() > 0;
  run.stopped = restarted;
  run.requests = w.wire.RequestsCounted();
  run.replies = w.wire.RepliesCounted();
  if (!w.fault.empty()) {
    run.fault = w.fault;
  } else if (w.Halted()) {
    run.fault = w.StopAllowed() ? "the bus stopped twice"
                                : "the bus stopped after fewer than six spoiled exchanges in a row";
  } else if (settledAt < 0) {
    run.fault = "not settled after " + std::to_string(kMaxFrames) + " frames: " + w.CoinProperties();
  } else if (const std::string coins = w.CoinProperties(); !coins.empty()) {
    run.fault = coins;
  }
  const testsupport::SimJvsBoard& b = w.wire.board;
  if (run.fault.empty() && w.boardSetting) {
    const int32_t result = JvsGetNodeSettingResult();
    if (b.boardValues > 1 || b.boardApplies > 1)
      run.fault = "setting carried out " + std::to_string(b.boardValues) + " + " + std::to_string(b.boardApplies) +
                  " times";
    else if (result == kJvsSettingDone && (b.boardApplies != 1 || b.boardSetting != 18000))
      run.fault = "setting done but not on the board";
    else if (result != kJvsSettingDone && result != kJvsSettingFailed)
      run.fault = "setting neither done nor failed";
  }
  return run;
}

struct Tally {
  int cases = 0, failures = 0, lost = 0, stops = 0;
  std::vector<std::string> shown;
};

// Runs the placement, then every placement that adds one fault at a later
// place reached in the run (a fault placed on a frame the run never reached
// changes nothing: that case is this one).
void Explore(const Kind& k, std::vector<Fault>& placement, int fromSlot, int coinAt, Tally& t) {
  const Run run = RunCase(k, placement, coinAt);
  ++t.cases;
  t.lost += run.lost;
  t.stops += run.stopped;
  if (!run.fault.empty()) {
    ++t.failures;
    if (t.shown.size() < 5) t.shown.push_back(Describe(placement, coinAt) + " -> " + run.fault);
  }
  if (int(placement.size()) == k.maxFaults) return;
  static const std::vector<SimJvsWire::Fault> kOnRequests = {SimJvsWire::kLost, SimJvsWire::kDamaged,
                                                             SimJvsWire::kStatusThree};
  static const std::vector<SimJvsWire::Fault> kOnReplies = {SimJvsWire::kLost, SimJvsWire::kDamaged,
                                                            SimJvsWire::kLate};
  static const std::vector<SimJvsWire::Fault> kOnRepliesNoisy = {
      SimJvsWire::kLost,        SimJvsWire::kDamaged,         SimJvsWire::kLate,
      SimJvsWire::kNoiseAfter,  SimJvsWire::kSyncNoiseAfter,  SimJvsWire::kBusyFrom};
  static const std::vector<SimJvsWire::Fault> kOnRequestsEnding = {SimJvsWire::kLost, SimJvsWire::kDamaged,
                                                                   SimJvsWire::kStatusThree, SimJvsWire::kNoiseFrom};
  static const std::vector<SimJvsWire::Fault> kOnRepliesEnding = {SimJvsWire::kLost, SimJvsWire::kDamaged,
                                                                  SimJvsWire::kLate, SimJvsWire::kNoiseFrom};
  static const std::vector<SimJvsWire::Fault> kOnRepliesStatus = {SimJvsWire::kLost, SimJvsWire::kDamaged,
                                                                  SimJvsWire::kLate, SimJvsWire::kOtherStatus};
  // Noise that ends is started once in a case.
  bool noiseStarted = false;
  for (const Fault& f : placement) noiseStarted = noiseStarted || f.what == SimJvsWire::kNoiseFrom;
  for (int slot = fromSlot; slot < 2 * kWindow; ++slot) {
    const bool reply = slot >= kWindow;
    const int index = slot % kWindow;
    if (index >= (reply ? run.replies : run.requests)) continue;
    const std::vector<SimJvsWire::Fault>& faults =
        k.endingNoise    ? (reply ? kOnRepliesEnding : kOnRequestsEnding)
        : k.statusFrames ? (reply ? kOnRepliesStatus : kOnRequests)
        : reply          ? (k.noiseFaults ? kOnRepliesNoisy : kOnReplies)
                         : kOnRequests;
    for (SimJvsWire::Fault what : faults) {
      if (what == SimJvsWire::kNoiseFrom && noiseStarted) continue;
      placement.push_back({reply, index, what});
      Explore(k, placement, slot + 1, coinAt, t);
      placement.pop_back();
    }
  }
}

class FaultChecker : public ::testing::TestWithParam<int> {};

TEST_P(FaultChecker, EveryPlacementOfUpToThreeFaultsKeepsTheProperties) {
  const Kind& k = kKinds[GetParam()];
  SCOPED_TRACE(k.name);
  // The bus's lines on damaged frames and noise.
  std::unique_ptr<testsupport::StderrCapture> quiet = std::make_unique<testsupport::StderrCapture>();
  const auto t0 = std::chrono::steady_clock::now();
  Tally t;
  std::vector<Fault> placement;
  for (int coinAt = k.coinInWindow ? 0 : -1; coinAt < (k.coinInWindow ? kWindow : 0); ++coinAt)
    Explore(k, placement, 0, coinAt, t);
  const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
  const std::string told = quiet->Take();
  std::ostringstream report;
  for (const std::string& s : t.shown) report << "\n  " << s;
  EXPECT_EQ(t.failures, 0) << t.failures << " of " << t.cases << " cases failed:" << report.str();
  // Every stop was told in a line.
  EXPECT_GE(testsupport::LinesWith(told, "jvs bus: ", "the bus is stopped"), t.stops);
  if (k.stops) {
    EXPECT_EQ(t.stops, t.cases) << "a board that never answers well left the bus up";
  }
  RecordProperty("cases", t.cases);
  RecordProperty("lost", t.lost);
  std::printf("%s: %d cases in %.1f s (%d lost a coin at risk, %d stopped)\n", k.name, t.cases, seconds, t.lost,
              t.stops);
}

INSTANTIATE_TEST_SUITE_P(Kinds, FaultChecker, ::testing::Range(0, int(std::size(kKinds))));

}  // namespace
