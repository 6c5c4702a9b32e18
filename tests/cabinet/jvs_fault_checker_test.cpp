// Every placement of up to three faults among the first eight frames each
// way of an exchange of each kind, on the simulated wire, with the cabinet
// I/O device driven as the game drives it. In every case: no credit without
// a coin, each coin credited once and taken off once, the node's counter
// back at 0, the switches read always those set for that node in this or
// the previous poll, the board's setting carried out at most once, and the
// bus stopped only after six spoiled exchanges in a row (three faults spoil
// at most three, unless they leave the nodes sharing an address); a
// restart of the device then brings every coin in once.
#include <gtest/gtest.h>

#include <chrono>
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
enum class From { kOpen, kFirstPoll, kDecrease, kSettingValue, kSettingApply };

struct Kind {
  const char* name;
  int nodes;
  From from;
  uint16_t coins;  // put into node 1 (before the open, or once ready)
  void (*board)(BusWorld&);
};

void Plain(BusWorld&) {}
void Identical(BusWorld& w) { w.changingInputs = false; }
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
};

struct Fault {
  bool reply;
  int index;
  SimJvsWire::Fault what;
};

std::string Describe(const std::vector<Fault>& p) {
  std::ostringstream o;
  static const char* kNames[] = {"whole", "lost", "damaged", "status 3", "late"};
  if (p.empty()) o << "no fault";
  for (const Fault& f : p) o << (f.reply ? " answer " : " request ") << f.index << " " << kNames[f.what] << ";";
  return o.str();
}

struct Run {
  std::string fault;  // empty: every property held
  int requests = 0, replies = 0;  // frames each way counted in the window
};

Run RunCase(const Kind& k, const std::vector<Fault>& placement) {
  BusWorld w(k.nodes);
  k.board(w);
  bool counting = false;
  uint32_t valueAt = 0;
  auto start = [&] {
    counting = true;
    w.wire.StartCounting();
    for (const Fault& f : placement) {
      if (f.reply)
        w.wire.SetReplyFault(f.index, f.what);
      else
        w.wire.SetRequestFault(f.index, f.what);
    }
  };
  w.beforeStep = [&](BusWorld& world) {
    if (counting) return;
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
      case From::kOpen:
        break;
    }
    if (counting) start();
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
      if (!w.Reopen()) break;
    }
    if (!coinsIn && w.Ready() && coinKind) {
      w.InsertCoins(0, k.coins);
      coinsIn = true;
    }
    w.Frame();
    const bool settingDone = !w.boardSetting || JvsGetNodeSettingResult() != kJvsSettingRunning;
    const bool settled = counting && w.inputsRead > 0 && settingDone && (!coinKind || (coinsIn && w.CoinsSettled()));
    if (settled && settledAt < 0) settledAt = w.frames;
    if (!settled) settledAt = -1;
    // A few frames more with everything settled: nothing moves after it.
    if (settledAt >= 0 && w.frames - settledAt >= 4) break;
  }
  run.requests = w.wire.RequestsCounted();
  run.replies = w.wire.RepliesCounted();
  if (!w.fault.empty()) {
    run.fault = w.fault;
  } else if (w.Halted()) {
    run.fault = w.StopAllowed() ? "the bus stopped twice" : "the bus stopped after fewer than six spoiled exchanges in a row";
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
  int cases = 0, failures = 0;
  std::vector<std::string> shown;
};

// Runs the placement, then every placement that adds one fault at a later
// place reached in the run (a fault placed on a frame the run never reached
// changes nothing: that case is this one).
void Explore(const Kind& k, std::vector<Fault>& placement, int fromSlot, Tally& t) {
  const Run run = RunCase(k, placement);
  ++t.cases;
  if (!run.fault.empty()) {
    ++t.failures;
    if (t.shown.size() < 5) t.shown.push_back(Describe(placement) + " -> " + run.fault);
  }
  if (int(placement.size()) == kMaxFaults) return;
  static const SimJvsWire::Fault kOnRequests[] = {SimJvsWire::kLost, SimJvsWire::kDamaged, SimJvsWire::kStatusThree};
  static const SimJvsWire::Fault kOnReplies[] = {SimJvsWire::kLost, SimJvsWire::kDamaged, SimJvsWire::kLate};
  for (int slot = fromSlot; slot < 2 * kWindow; ++slot) {
    const bool reply = slot >= kWindow;
    const int index = slot % kWindow;
    if (index >= (reply ? run.replies : run.requests)) continue;
    for (SimJvsWire::Fault what : reply ? kOnReplies : kOnRequests) {
      placement.push_back({reply, index, what});
      Explore(k, placement, slot + 1, t);
      placement.pop_back();
    }
  }
}

class FaultChecker : public ::testing::TestWithParam<int> {};

TEST_P(FaultChecker, EveryPlacementOfUpToThreeFaultsKeepsTheProperties) {
  const Kind& k = kKinds[GetParam()];
  SCOPED_TRACE(k.name);
  testsupport::StderrCapture quiet;  // the bus's lines on damaged frames
  const auto t0 = std::chrono::steady_clock::now();
  Tally t;
  std::vector<Fault> placement;
  Explore(k, placement, 0, t);
  const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
  quiet.Take();
  std::ostringstream report;
  for (const std::string& s : t.shown) report << "\n  " << s;
  EXPECT_EQ(t.failures, 0) << t.failures << " of " << t.cases << " cases failed:" << report.str();
  RecordProperty("cases", t.cases);
  std::printf("%s: %d cases in %.1f s\n", k.name, t.cases, seconds);
}

INSTANTIATE_TEST_SUITE_P(Kinds, FaultChecker, ::testing::Range(0, int(std::size(kKinds))));

}  // namespace
