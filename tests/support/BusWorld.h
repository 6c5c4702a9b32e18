#pragma once
#include <cstdint>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "cabinet/JvsMaster.h"
#include "support/SimJvsWire.h"

class XioDevice;

namespace testsupport {

// The cabinet I/O device in its bus mode over a simulated wire, driven frame
// by frame as the game drives it: each frame the controller manager's poll
// and sync (and, after a sync that was not ready, the board setting, when
// asked for), the coin counter's way with coins (a count read is handed
// back to be taken off, and credited in the next frame, once that frame's
// poll has written the take-off), player 1's switch word read; then the bus
// master's work for the frame, on this thread, and 16 ms of the wire's
// clock. Everything is deterministic: the same faults give the same run.
//
// Properties are watched as it runs: a switch word read is always one set
// for node 1 in this frame or the one before (never another node's); a
// credit never runs ahead of the coins put in; within the master's work no
// wait for a quiet line outlasts kSettleBoundMs (measured on the wire: from
// the write before, or the start of the work, to the next write, with the
// longest receive, the reset's wait and one wait for each spoiled receive
// or wait the bus counted meanwhile allowed for); noise that ends
// leaves the bus up: a bus that is up does not stop while the line carries
// noise, or within StopBoundMs after it, unless exchanges that faults (not
// the noise) spoiled make six in a row, and once the noise has ended it
// writes a request within kNoiseEndPollMs of its last byte (and the frame
// in which the game asks for one); while the bus is up, no piece of the
// master's work, and no stretch without a fresh read of the inputs (a sync
// that found a cycle's answers in) from node 1's last exchange that went
// wrong (noise on the line lately excepted), lasts longer than
// StopBoundMs, and no piece of it longer than WorkBoundMs
// (a step's kJvsCycleMs, its setting step and cycle together, and the
// exchanges that may begin before its time is up); a cycle ends within its
// step, what it read handed on, whatever its nodes' exchanges met, and one
// whose time ran out before it reached a node begins the next with one of
// those. A node that gave no good answer (an exchange the wire
// spoiled none of, or a cycle that ended) for kAnswerBoundMs of bus time
// from its first exchange that went wrong stops the bus within what a step
// may add, and a bring-up whose work got no good answer for
// kAnswerBoundMs from its first address assignment on the same (before it,
// within the reset's tries, where reset frames are lost); such a stop is
// allowed whatever spoiled the exchanges. The game never reads a switch
// word (other than all released) that the board changed longer than
// StopBoundMs ago as current. Node 1's switches (the game's) do not read
// stale (as the game has them) for more than kAnswerBoundMs of any
// kJvsStaleWindowMs while the bus is up, but for what a step may add and a
// frame for each stretch (the game sees a read at the frame after it); a
// stop is allowed from there on. The six in a row that may stop the bus
// are a node's own exchanges (others between them).
//
// The master writes through a watched line: past kWriteBound frames in one
// piece of its work the frame is not written and every wait of the bus ends
// at once (JvsCancelWaits, until the next open), so that a master that would
// write for ever stops (the run notes it) instead of hanging the test.
//
// Coins are credited once each, except the loss the master documents: a
// coin that goes in between the two counter readings of a decrease whose
// fate the master may have had to learn from the counter can be taken off
// uncredited. Counted conservatively as at risk: every coin put in from the
// frame before the first take-off of the coins then owed until the end of
// the master's work in which the decrease's fate was known, where a request
// carrying a decrease went wrong on the wire by a fault (not the line's
// noise), or on a board that cannot send its last reply again, or the bus
// stopped while its fate was open. Noise that ends leaves a decrease's fate
// open on a board that sends its reply again, to be learnt from its copy:
// no coin is at risk there.
class BusWorld {
 public:
  // The nodes' switch words carry the node's tag in their top two bits and
  // the frame's number in the rest (its two lowest bits, which no switch
  // feeds, clear).
  static uint16_t Pattern(int node, int frame) {
    return static_cast<uint16_t>((node + 1) << 14 | (frame * 4 & 0x3FFC));
  }

  // The longest wait for a quiet line, and the slack allowed on it.
  static constexpr uint32_t kSettleBoundMs = kJvsSettleMs;
  static constexpr uint32_t kSlackMs = 10;
  // The longest a line that never goes quiet may keep the bus going: six
  // exchanges, each a receive and a wait for a quiet line.
  static uint32_t StopBoundMs();
  // The longest a node may give no good answer, or a bring-up take, before
  // the bus stops (bus time).
  static constexpr uint32_t kAnswerBoundMs = kJvsNoAnswerMs;
  // The longest piece of the master's work while the bus is up: the step's
  // time, and two exchanges (a wait for a quiet line and a receive each)
  // begun before it ran out.
  static uint32_t WorkBoundMs();
  // The longest from the last byte of noise on the line to the next
  // request, on a bus that is up.
  static constexpr uint32_t kNoiseEndPollMs = 300;
  // The most frames the master may write in one piece of its work: far
  // beyond a bring-up of two nodes on a bad wire, or a cycle.
  static constexpr int kWriteBound = 4096;

  // Nodes 1..nodes on the board (the same identity, features and, until
  // inputs change, the same replies); the master stepped, on the wire.
  explicit BusWorld(int nodes = 1);
  ~BusWorld();
  BusWorld(const BusWorld&) = delete;
  BusWorld& operator=(const BusWorld&) = delete;

  // Creates and opens the device (the bus starts coming up). False when the
  // open fails.
  bool Open();
  // Closes and opens the device again, as a restart of the cabinet I/O.
  bool Reopen();
  void Frame();
  // The game's frames held for ms of bus time: no poll, no cycle asked for.
  // The master's work runs every millisecond meanwhile, as its thread looks
  // at its state while ready. The game reads nothing meanwhile: the held
  // time is no time its switches read stale, nor one without a fresh read.
  void Hold(uint32_t ms);
  // Frames until pred holds or the bus stopped, at most max; whether pred
  // holds.
  template <class Pred>
  bool FramesUntil(Pred pred, int max = 400) {
    for (int i = 0; i < max; ++i) {
      if (pred()) return true;
      if (Halted()) return false;
      Frame();
    }
    return pred();
  }
  bool Ready() const { return lastSync_ == 1; }
  bool Halted() const;

  // New switch words on every node each frame (else every node's stay
  // kIdlePattern, the same on all).
  bool changingInputs = true;
  static constexpr uint16_t kIdlePattern = 0x4004;
  // Asks for the board setting after each sync that was not ready, as the
  // controller manager does.
  bool boardSetting = false;
  bool settingAsked = false;  // in this frame
  // The wire's clock moves this much each frame.
  uint32_t frameMs = 16;
  // Called in each frame right before the master's work.
  std::function<void(BusWorld&)> beforeStep;

  void InsertCoins(int node, uint16_t coins);
  // From now on the node's answers come as garbage (SimJvsWire::garbage),
  // but one passed clean every everyMs to everyMs + spreadMs of bus time
  // (seeded): a board that answers well only now and then. The wire's
  // script goes on after it. A node whose answers are garbage so excuses
  // no stretch without a fresh read of node 1's inputs but node 1.
  void GarbageButNowAndThen(SimJvsWire::Garbage garbage, int node = 1, uint32_t everyMs = 5000,
                            uint32_t spreadMs = 4000);
  int inserted = 0;   // coins put into slot 1 of node 1
  int credited = 0;   // coins the game counted
  // Coins whose take-off the game asked for in the last frame, to be
  // counted in this one.
  int HandedBack() const { return handedBack_; }
  int frames = 0;
  int inputsRead = 0;
  // Coins at risk of the documented loss (see above), and those lost: put
  // in and not credited.
  int atRisk = 0;
  int Lost() const { return inserted - credited; }
  // How old each changing switch word was when the game read it (bus time,
  // from the frame it was set).
  int inputDelays = 0;
  uint64_t inputDelayTotalMs = 0;
  uint32_t inputDelayMaxMs = 0;
  // The longest piece of the master's work, and the longest stretch without
  // a fresh read of the inputs, while the bus was up (bus time).
  uint32_t longestWorkMs = 0, longestStaleMs = 0;
  // The oldest switch word (other than all released) the game read as
  // current: its age then (bus time).
  uint32_t oldestWordMs = 0;
  // The most time node 1's switches read stale (not read afresh within
  // kJvsStopBoundMs, as the game has them) in any kJvsStaleWindowMs while
  // the bus was up (bus time).
  uint32_t mostStaleMs = 0;
  // Node 1's time read stale, as the game has it, in the window that ends
  // now, and the stretches in it.
  uint32_t StaleMsNow(int* stretches) const;
  // Whether a stop is allowed by the time bound: a node asked gave no good
  // answer for kAnswerBoundMs, or the bring-up took that long.
  bool TimeStopAllowed() const;
  // What went against a property, with the frame; empty while all hold.
  std::string fault;

  // Whether everything asked for was taken off and counted: no coin owed
  // anywhere, none waiting for the counter, the node's counter at 0.
  bool CoinsSettled() const;
  // After the run: each coin credited once (or lost where at risk), taken
  // off once, the node's counter at 0. Empty when all hold, else what does
  // not.
  std::string CoinProperties() const;
  // Whether node 1's queued poll takes coins off.
  static bool QueuedDecrease();
  // Whether the last n exchanges on the wire each went wrong.
  bool LastExchangesSpoiled(int n) const;
  // The frame the master writes now (for the wire's script: the request it
  // is asked about): its node and data.
  uint8_t WritingNode() const { return line_.node; }
  const std::vector<uint8_t>& WritingData() const { return line_.data; }
  // Whether the frame being written carries a coin decrease, a setting
  // command of node 0, or is a request to send the last reply again.
  bool WritingDecrease() const;
  bool WritingSetting() const;
  bool WritingAskAgain() const;
  // Whether the bus may have stopped: six of a node's own exchanges in a
  // row went wrong (the others' between them end no run of it; requests
  // to send again answered in between end no run unless the copy carried
  // the answer of the request before: the node's last reply before it, or
  // a refusal, answers nothing asked; those a node is silent to went
  // wrong); or, giving out addresses, the first assignment and its five
  // retries failed, a fault on the wire (not the line's noise) among the
  // causes (a reset lost leaves a node its address, and the assignment
  // after it finds no node);
  // or every reset frame since the last assignment was lost, all twenty of
  // a reset's tries unless noise kept some from going out; or a node asked
  // gave no good answer, or the bring-up went on, for kAnswerBoundMs.
  // Noise that ends within that bound stops nothing, at power-on too (see
  // the properties above).
  bool StopAllowed() const;

  SimJvsWire wire;
  XioDevice* device = nullptr;

 private:
  // The wire as the master's line, watched (see above).
  struct WatchedLine : JvsLine {
    explicit WatchedLine(SimJvsWire& w) : wire(w) {}
    bool Open(const char* name) override { return wire.Open(name); }
    void Close() override { wire.Close(); }
    bool IsOpen() const override { return wire.IsOpen(); }
    size_t Write(const uint8_t* bytes, size_t count) override;
    size_t ReadAvailable(uint8_t* buffer, size_t max) override { return wire.ReadAvailable(buffer, max); }
    size_t ReadWait(uint8_t* buffer, size_t max, uint32_t ms) override { return wire.ReadWait(buffer, max, ms); }
    int GetCts() override { return wire.GetCts(); }
    bool SetRts(bool asserted) override { return wire.SetRts(asserted); }

    SimJvsWire& wire;
    int writes = 0;        // in this piece of the master's work
    int firstNode = -1;    // the node of its first frame (not a broadcast)
    uint32_t assignedAt = 0;  // the first address assignment since the open
    // The address assignments since the open: the wire's index of each,
    // and when it was written.
    std::vector<std::pair<size_t, uint32_t>> assignments;
    // For each of the wire's exchanges: its node, when it was written, and
    // the line's last noise then.
    struct Sent {
      uint8_t node;
      uint32_t at, noiseAt;
      bool onNoise;  // the line carried noise then, or within a wait of it
      // A frame of node 0's setting step (anything but its status poll).
      bool setting;
    };
    std::vector<Sent> sent;
    bool overran = false;  // past kWriteBound in it
    SimFrameParser parser;
    uint8_t node = 0;
    std::vector<uint8_t> data;
    // By node: whether the last request to it other than a request to send
    // again reached it whole.
    bool arrived[256] = {};
    // For each of the wire's exchanges, how it stands to a run of spoiled
    // exchanges besides what the wire saw: a request to send again that
    // cannot have had a copy of the request before's answer goes on with
    // it; one the node is silent to is spoiled.
    enum Run : uint8_t { kEnds, kGoesOn, kSpoils };
    std::vector<Run> runs;
    // Whether the last of the wire's exchanges (spoiled: as the wire saw
    // them) hold n spoiled ones with nothing between them but exchanges
    // that end no run (also those goOn marks).
    bool RunOfSpoiled(const std::vector<bool>& spoiled, int n, const std::vector<bool>* goOn = nullptr) const;
  };
  WatchedLine line_{wire};
  void Note(const std::string& what);
  // The properties of the master's work that just ran.
  void AfterStep(size_t exchangesBefore, uint32_t stepAt, uint32_t errorsAtStep, bool wasHalted, bool wasUp);
  bool NodeOwesNothing();
  int lastSync_ = 0;
  std::vector<uint16_t> set_;  // node 1's pattern by frame
  std::vector<uint32_t> setAt_;  // and when it was set
  struct Insertion {
    int frame;
    int coins;
  };
  std::vector<Insertion> insertions_;  // coins put into node 1, by frame
  size_t riskFrom_ = 0;  // the first insertion not yet weighed for risk
  int owedSince_ = -1;   // the frame of the first take-off of the coins owed
  int handedBack_ = 0;   // coins handed back, not yet counted
  bool uncertain_ = false;
  size_t decreasesSeen_ = 0;  // of the board's, counted in taken_
  int taken_ = 0;             // coins taken off node 1
  // Coins taken off beyond those credited: a decrease carried out twice
  // (the documented loss). They are no coins owed.
  int takenTwice_ = 0;
  uint32_t freshAt_ = 0;  // the last fresh read of the inputs, or the bus coming up
  uint32_t switchesReadAt_ = 0;  // the master's last read of node 1's switches
  size_t cycleFrom_ = 0;  // the frame of the last fresh read: the cycle after it began there
  // The end of the line's noise last seen, and the one waiting for a
  // request after it (0: none); the times of the writes of the last step.
  uint32_t noiseSeen_ = 0, noiseWatched_ = 0;
  std::vector<uint32_t> writesAt_;
  // By node: the last good answer (or its first request since the open),
  // by the wire's marks or a cycle that ended (the stop is due from it),
  // and by the wire's marks alone (a stop is allowed from it); whether it
  // was asked.
  uint32_t lastGood_[256] = {}, lastWireGood_[256] = {};
  // By node: its first exchange that went wrong since its last good answer
  // (0: none).
  uint32_t wrongFrom_[256] = {};
  bool asked_[256] = {};
  size_t goodFrom_ = 0;    // the first exchange not yet weighed
  uint32_t openedAt_ = 0;  // the last open
  bool upSinceOpen_ = false;
  // By node: its last good answer as the master has it (JvsGoodAnswerAt),
  // at the last look.
  uint32_t masterGood_[kJvsMaxNodes] = {};
  // The nodes the last cycle asked for but did not reach (its step's time
  // ran out): the next begins with one of them.
  uint64_t unreached_ = 0;
  uint32_t lateAtStep_ = 0;  // the wire's lateness given at the step's start
  uint32_t readFreshAt_ = 0;  // the last fresh read of the inputs
  // A decrease whose exchange the line's noise spoiled on a board that
  // sends its reply again: its fate is open, no coin at risk by it.
  bool openByNoise_ = false;
  void Opened();
  bool NoisyExchange(size_t i) const;
  // By node (index = address): the time of the read of its switches last
  // handed to the game (or the bus not up), that read as the master has
  // it, and the
  // stretches read stale that ended within the last window.
  struct StaleView {
    uint32_t freshAt = 0, readAt = 0;
    // A stretch that goes on past a read handed on stale: since when.
    bool open = false;
    uint32_t openFrom = 0;
    std::vector<std::pair<uint32_t, uint32_t>> past;
  };
  std::vector<StaleView> stale_;
  // The node's time read stale in the window that ends now, and the
  // stretches in it.
  uint32_t StaleInWindow(const StaleView& v, uint32_t now, int* stretches) const;
  void WatchStale();
  bool staleUp_ = false;  // the bus was up at the last look
  struct NowAndThen {
    int node;
    SimJvsWire::Garbage garbage;
    uint32_t at, everyMs, spreadMs, draw;
  };
  std::vector<NowAndThen> nowAndThen_;
  // Whether node 1's answers come as garbage (all the wire's, or node 1's
  // now and then).
  bool GarbageOnNode1() const;
};

}  // namespace testsupport
