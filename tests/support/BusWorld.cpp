#include "support/BusWorld.h"

#include <algorithm>
#include <iterator>

#include "cabinet/CabRegisterBoard.h"
#include "cabinet/JvsFrame.h"
#include "cabinet/JvsMaster.h"
#include "cabinet/XioDevice.h"

namespace testsupport {

namespace {

// Forgets what an earlier world left in the bus library's state that
// outlives a close (coin fields of the node records, decreases waiting for
// a counter, the commands queued).
void ForgetBusState() {
  for (int n = 0; n < kJvsMaxNodes; ++n) *JvsGetNodeRecord(n) = JvsNodeState{};
  JvsForgetCoinState();
  JvsClearQueues();
}

}  // namespace

BusWorld::BusWorld(int nodes) {
  for (int i = 0; i < nodes; ++i) wire.board.nodes.push_back(SimJvsNode{});
  stale_.resize(size_t(nodes) + 1);
  ForgetBusState();
  JvsSetStepped(true);
  JvsSetLine(&line_);
  JvsSetClock(&wire);
}

size_t BusWorld::WatchedLine::Write(const uint8_t* bytes, size_t count) {
  if (!IsOpen()) return 0;
  if (++writes > kWriteBound) {
    if (!overran) JvsCancelWaits();
    overran = true;
    return 0;
  }
  bool frame = false;
  for (size_t i = 0; i < count; ++i) {
    if (parser.Feed(bytes[i]) == SimFrameParser::kNone) continue;
    node = parser.Node();
    data = parser.Data();
    frame = node != kJvsBroadcast;
  }
  // The board counts the requests that reached a node whole.
  const std::vector<int>& whole = wire.board.cycles;
  const int before = node < whole.size() ? whole[node] : 0;
  const uint32_t at = wire.NowMs(), noiseAt = wire.LastLineNoiseAt();
  const bool assigning = node == kJvsBroadcast && !data.empty() && data[0] == kJvsCmdSetAddress;
  if (assigning && !assignedAt) assignedAt = at;
  const size_t assignment = wire.Addressings().size();
  const size_t written = wire.Write(bytes, count);
  if (assigning && wire.Addressings().size() > assignment) assignments.push_back({assignment, at});
  if (!frame) return written;
  if (firstNode < 0) firstNode = node;
  const bool onNoise = wire.LineNoisy() || (noiseAt != 0 && at - noiseAt <= kJvsSettleMs);
  sent.push_back({node, at, noiseAt, onNoise,
                  node == 0 && data != std::vector<uint8_t>(std::begin(kJvsBoardStatusPoll), std::end(kJvsBoardStatusPoll))});
  using Way = SimJvsBoard::AskedAgain;
  if (data == std::vector<uint8_t>{kJvsCmdRetransmit}) {
    const Way way = wire.board.askedAgain;
    // A reply of a status the master cannot use (0, 3, 5 and up) spoils
    // the exchange; status 2 or 4, or status 1 with a report of the node's
    // own, refuses the request and answers nothing asked.
    const std::vector<uint8_t>& r = wire.board.askedAgainReply;
    const bool unusable = way == Way::kReply && (r.empty() || r[0] == 0 || r[0] == 3 || r[0] > 4);
    runs.push_back(way == Way::kSilent || unusable ? kSpoils : !arrived[node] || way != Way::kCopy ? kGoesOn : kEnds);
  } else {
    arrived[node] = (node < whole.size() ? whole[node] : 0) > before;
    runs.push_back(kEnds);
  }
  return written;
}

bool BusWorld::WritingDecrease() const { return SimJvsBoard::Decreasing(line_.node, line_.data); }

bool BusWorld::WritingSetting() const {
  const std::vector<uint8_t>& d = line_.data;
  return line_.node == 0 && !d.empty() && (d[0] == kJvsBoardSetValue || d[0] == kJvsBoardApplySetting);
}

bool BusWorld::WritingAskAgain() const { return line_.data == std::vector<uint8_t>{kJvsCmdRetransmit}; }

BusWorld::~BusWorld() {
  if (device) device->Release();
  JvsClose();
  JvsSetStepped(false);
  JvsSetLine(nullptr);
  JvsSetClock(nullptr);
  ForgetBusState();
}

void BusWorld::Opened() {
  openedAt_ = wire.NowMs();
  upSinceOpen_ = false;
  // What the master kept of an earlier bus is no good answer of this one.
  for (int n = 0; n < kJvsMaxNodes; ++n) masterGood_[n] = JvsGoodAnswerAt(n);
  std::fill(std::begin(lastGood_), std::end(lastGood_), openedAt_);
  std::fill(std::begin(lastWireGood_), std::end(lastWireGood_), openedAt_);
  std::fill(std::begin(wrongFrom_), std::end(wrongFrom_), 0);
  unreached_ = 0;
  std::fill(std::begin(asked_), std::end(asked_), false);
  goodFrom_ = line_.sent.size();
  for (StaleView& v : stale_) {
    v = StaleView{};
    v.freshAt = openedAt_;
  }
  line_.assignedAt = 0;
  line_.assignments.clear();
}

bool BusWorld::Open() {
  device = CreateXioDevice("sim", 0);
  Opened();
  return device && device->Open() == 0;
}

bool BusWorld::Reopen() {
  device->Close();
  lastSync_ = 0;
  Opened();
  return device->Open() == 0;
}

bool BusWorld::Halted() const { return JvsGetState() < 0; }

uint32_t BusWorld::StopBoundMs() { return kJvsMaxSpoiled * (kJvsReceiveMs + kSettleBoundMs + kSlackMs); }

uint32_t BusWorld::WorkBoundMs() { return kJvsCycleMs + 2 * (kJvsReceiveMs + kSettleBoundMs + kSlackMs); }

bool BusWorld::TimeStopAllowed() const {
  const uint32_t now = wire.Now();
  if (!upSinceOpen_ && now - openedAt_ + kSlackMs >= kAnswerBoundMs) return true;
  for (int n = 0; n < 256; ++n)
    if (asked_[n] && now - lastWireGood_[n] + kSlackMs >= kAnswerBoundMs) return true;
  // The master's view of the game's switches' reads (node 1's) runs ahead
  // of the game's by up to a frame at each end of a stretch read stale.
  if (stale_.size() > 1) {
    int stretches = 0;
    const uint32_t ms = StaleInWindow(stale_[1], now, &stretches);
    if (ms + uint32_t(stretches + 1) * (frameMs + kSlackMs) >= kAnswerBoundMs) return true;
  }
  return false;
}

uint32_t BusWorld::StaleInWindow(const StaleView& v, uint32_t now, int* stretches) const {
  uint32_t ms = 0;
  *stretches = 0;
  auto add = [&](uint32_t from, uint32_t to) {
    if (now - to >= kJvsStaleWindowMs) return;
    ms += std::min(now - from, kJvsStaleWindowMs) - (now - to);
    ++*stretches;
  };
  for (const auto& [from, to] : v.past) add(from, to);
  // The stretch under way (up to a stop that ended it).
  if (v.open)
    add(v.openFrom, now);
  else if (upSinceOpen_ && now - v.freshAt > kJvsStopBoundMs)
    add(v.freshAt + kJvsStopBoundMs, now);
  return ms;
}

uint32_t BusWorld::StaleMsNow(int* stretches) const {
  *stretches = 0;
  return stale_.size() > 1 ? StaleInWindow(stale_[1], wire.Now(), stretches) : 0;
}

void BusWorld::WatchStale() {
  const uint32_t now = wire.NowMs();
  const bool up = upSinceOpen_ && !Halted() && JvsGetState() >= kJvsStateReady;
  // The bus came up in the last step (a bring-up may take many seconds in
  // one): its time read stale runs from here.
  const bool cameUp = up && !staleUp_;
  staleUp_ = up;
  for (size_t n = 1; n < stale_.size(); ++n) {
    StaleView& v = stale_[n];
    const uint32_t readAt = JvsSwitchesReadAt(int32_t(n));
    // The device reads the node records afresh only when the cycle is done.
    const bool fresh = JvsGetState() == kJvsStateReady && readAt != v.readAt;
    if (fresh) v.readAt = readAt;
    if (!up || cameUp) {
      v.freshAt = now;
      v.open = false;
      if (!up) continue;
    }
    if (!fresh) continue;
    // The word the game gets is as old as the read: one older than the
    // bound reads released, and the stretch goes on.
    if (!v.open && now - v.freshAt > kJvsStopBoundMs) {
      v.open = true;
      v.openFrom = v.freshAt + kJvsStopBoundMs;
    }
    v.freshAt = readAt;
    if (v.open && now - readAt <= kJvsStopBoundMs) {
      v.past.emplace_back(v.openFrom, now);
      v.open = false;
    }
    while (!v.past.empty() && now - v.past.front().second >= kJvsStaleWindowMs) v.past.erase(v.past.begin());
  }
  // The game reads node 1's switches: only their stale reads are bounded.
  for (size_t n = 1; n < stale_.size() && n <= 1 && up; ++n) {
    int stretches = 0;
    const uint32_t ms = StaleInWindow(stale_[n], now, &stretches);
    mostStaleMs = std::max(mostStaleMs, ms);
    // The master weighs the bound at its steps and spoiled exchanges.
    const uint32_t allowed = kAnswerBoundMs + WorkBoundMs() + kJvsReceiveMs + kSettleBoundMs + kSlackMs +
                             uint32_t(stretches + 1) * frameMs;
    if (ms > allowed)
      Note("node " + std::to_string(n) + "'s switches read stale for " + std::to_string(ms) + " ms of the last " +
           std::to_string(kJvsStaleWindowMs) + " ms while the bus was up (at most " + std::to_string(allowed) +
           " ms allowed)");
  }
}

bool BusWorld::NoisyExchange(size_t i) const {
  const std::vector<WatchedLine::Sent>& s = line_.sent;
  if (i >= s.size()) return false;
  // Noise came while it went on: by the next write, or by now.
  const uint32_t until = i + 1 < s.size() ? s[i + 1].noiseAt : wire.LastLineNoiseAt();
  return s[i].onNoise || (until != 0 && int32_t(until - s[i].at) >= 0);
}

void BusWorld::InsertCoins(int node, uint16_t coins) {
  SimJvsNode& n = wire.board.nodes.at(size_t(node));
  n.coins[0] = static_cast<uint16_t>(n.coins[0] + coins);
  if (node != 0) return;
  inserted += coins;
  insertions_.push_back({frames, coins});
}

void BusWorld::GarbageButNowAndThen(SimJvsWire::Garbage garbage, int node, uint32_t everyMs, uint32_t spreadMs) {
  // Each node its own draws (node 1 as ever).
  nowAndThen_.push_back({node, garbage, wire.NowMs(), everyMs, spreadMs, 7u * uint32_t(node)});
  if (nowAndThen_.size() > 1) return;
  const std::function<SimJvsWire::Fault(bool)> before = wire.script;
  wire.script = [this, before](bool request) {
    // The answer being sent is to the frame the master wrote last: garbage
    // where its node's board answers so, but one passed clean when its
    // time has come.
    if (!request) {
      wire.garbage = SimJvsWire::kNoGarbage;
      for (NowAndThen& n : nowAndThen_) {
        if (WritingNode() != n.node) continue;
        if (int32_t(wire.NowMs() - n.at) >= 0) {
          n.draw = n.draw * 1103515245u + 12345u;
          n.at = wire.NowMs() + n.everyMs + (n.draw >> 16) % (n.spreadMs + 1);
        } else {
          wire.garbage = n.garbage;
        }
      }
    }
    return before ? before(request) : SimJvsWire::kWhole;
  };
}

bool BusWorld::GarbageOnNode1() const {
  if (nowAndThen_.empty()) return wire.garbage != SimJvsWire::kNoGarbage;
  return std::any_of(nowAndThen_.begin(), nowAndThen_.end(), [](const NowAndThen& n) { return n.node == 1; });
}

void BusWorld::Note(const std::string& what) {
  if (fault.empty()) fault = "frame " + std::to_string(frames) + ": " + what;
}

void BusWorld::Hold(uint32_t ms) {
  // The reads handed on by the last frame's work are the game's before the
  // hold.
  WatchStale();
  for (uint32_t t = 0; t < ms && !Halted(); ++t) {
    JvsStep();
    wire.Advance(1);
  }
  for (StaleView& v : stale_) {
    v.freshAt += ms;
    if (v.open) v.openFrom += ms;
  }
  freshAt_ += ms;
  if (noiseWatched_) noiseWatched_ += ms;
}

void BusWorld::Frame() {
  for (size_t i = 0; i < wire.board.nodes.size(); ++i) {
    if (changingInputs)
      wire.board.SetSwitches(int(i), 0, Pattern(int(i), frames), Pattern(int(i), frames + 1000));
    else
      wire.board.SetSwitches(int(i), 0, kIdlePattern, kIdlePattern);
  }
  set_.push_back(changingInputs ? Pattern(0, frames) : kIdlePattern);
  setAt_.push_back(wire.NowMs());
  // The device reads the node records afresh only when the master's cycle
  // is done, and node 1's switches in it only when the cycle read them (a
  // node whose decrease's fate is open is not read); while one goes on (cut
  // short by its step's time), a sync gives the inputs the last cycle read.
  WatchStale();
  const bool fresh = JvsGetState() == kJvsStateReady && JvsSwitchesReadAt(1) != switchesReadAt_;
  if (fresh) switchesReadAt_ = JvsSwitchesReadAt(1);
  device->Poll();
  const int32_t sync = device->Sync();
  if (sync == 1 && fresh) freshAt_ = readFreshAt_ = wire.NowMs();
  if (sync == 1) {
    const uint16_t word = static_cast<uint16_t>(device->GetSwitchWord(0));
    // A switch word handed on as current is never older than the stop
    // bound: from the frame that set the next word on the board (changing
    // inputs), or from the last fresh read.
    if (word != 0 && inputsRead > 0) {
      uint32_t heldUntil = readFreshAt_;
      if (changingInputs)
        for (size_t j = set_.size(); j-- > 0;)
          if (set_[j] == word) {
            heldUntil = j + 1 < setAt_.size() ? setAt_[j + 1] : wire.NowMs();
            break;
          }
      const uint32_t age = wire.NowMs() - heldUntil;
      oldestWordMs = std::max(oldestWordMs, age);
      const uint32_t allowed = StopBoundMs() + frameMs + kSlackMs;
      if (age > allowed)
        Note("switch word " + std::to_string(word) + " read as current " + std::to_string(age) +
             " ms after the board changed it (at most " + std::to_string(allowed) + " ms allowed)");
    }
    // Before the first cycle's answer is in, nothing was read yet.
    // Switches not read lately read released.
    const bool early = word == 0 && (inputsRead == 0 || !JvsSwitchesCurrent(1));
    // Node 1 answered in one of the steps since the cycle began (at the
    // frame of the last fresh read; one frame more back for slack): its word
    // was set in one of those frames.
    const size_t f = set_.size() - 1;
    size_t at = f;
    for (size_t j = f; j-- > 0 && j + 1 >= std::min(f, cycleFrom_);)
      if (word == set_[j]) {
        at = j;
        break;
      }
    const bool recent = at < f;
    // Where every reset frame of a bring-up was lost, the first node may
    // keep an address of before and another take address 1 (the master
    // cannot see it): the word is then that other node's.
    const bool firstIsOne = wire.board.nodes.empty() || wire.board.nodes[0].address == 1;
    if (fresh && !early && !recent && firstIsOne)
      Note("switch word " + std::to_string(word) + " was not set for node 1 lately");
    if (fresh) cycleFrom_ = f;
    if (fresh && !early) ++inputsRead;
    if (fresh && !early && recent && changingInputs) {
      const uint32_t delay = wire.NowMs() - setAt_[at];
      ++inputDelays;
      inputDelayTotalMs += delay;
      inputDelayMaxMs = std::max(inputDelayMaxMs, delay);
    }
    // The game's coin counter: a count read is handed back to be taken
    // off, and counted in the next frame, whose poll wrote the take-off.
    if (device->GetCoinStatus(0, 0) == 0) {
      if (handedBack_ > 0) {
        credited += handedBack_;
        handedBack_ = 0;
        if (credited > inserted) Note("a credit without a coin");
      } else if (const int32_t n = device->GetCoinCount(0, 0); n > 0) {
        if (owedSince_ < 0) owedSince_ = frames;
        handedBack_ = n;
        device->DecreaseCoin(0, 0, static_cast<uint16_t>(n));
      }
    }
  }
  settingAsked = boardSetting && lastSync_ != 1 && sync == 1;
  if (settingAsked) device->SendBoardSetting(18000);
  lastSync_ = sync;
  if (beforeStep) beforeStep(*this);
  const size_t exchanges = wire.Exchanges().size();
  const uint32_t stepAt = wire.NowMs();
  lateAtStep_ = wire.LateGivenMs();
  const bool wasHalted = Halted();
  const bool wasUp = JvsGetState() >= kJvsStateReady;
  wire.TakeWriteMarks();
  // A step that brings the bus up counts its spoiled receives from 0 (the
  // bring-up clears the count first), whatever an earlier open left.
  const uint32_t errors = JvsGetState() == kJvsStateStarting ? 0 : JvsGetErrorCount();
  line_.writes = 0;
  line_.overran = false;
  // The nodes the cycle asked for, if the step runs one (a setting step of
  // node 0 may go first).
  const bool cycle = JvsGetState() == kJvsStateRequested;
  uint64_t due = 0;
  for (int n = 0; cycle && n <= JvsGetNodeCount() && n < 64; ++n)
    if (JvsQueuedCount(uint8_t(n)) > 0 || JvsDecreaseOpen(n)) due |= uint64_t{1} << n;
  const size_t sentAt = line_.sent.size();
  JvsStep();
  // A cycle ends within its step, what it read handed on, however its
  // nodes fared: a node that keeps failing never holds the others' reads.
  if (JvsGetState() == kJvsStateRunning || JvsGetState() == kJvsStateRequested)
    Note("a cycle went on past its step (state " + std::to_string(JvsGetState()) + ")");
  // A cycle whose step's time ran out before it reached a node asks that
  // node first in the next.
  if (cycle && !Halted()) {
    uint64_t asked = 0;
    int first = -1;
    for (size_t i = sentAt; i < line_.sent.size(); ++i) {
      if (line_.sent[i].setting) continue;
      asked |= uint64_t{1} << (line_.sent[i].node & 63);
      if (first < 0) first = line_.sent[i].node;
    }
    if (unreached_ && first >= 0 && !(unreached_ >> first & 1))
      Note("the cycle began with node " + std::to_string(first) + ", not with a node the last did not reach");
    unreached_ = JvsGetState() == kJvsStateReady ? due & ~asked : 0;
  }
  if (line_.overran)
    Note("the master wrote more than " + std::to_string(kWriteBound) + " frames in one piece of its work");
  AfterStep(exchanges, stepAt, errors, wasHalted, wasUp);
  wire.Advance(frameMs);
  ++frames;
}

bool BusWorld::NodeOwesNothing() {
  // Every coin the game took (credited, or handed back to be counted in
  // the next frame) taken off the node (the coins on their way there pass
  // through registers of the device that no count shows), and no decrease
  // left to the master or the device: one the master took for not carried
  // out goes out again, though the node took its coins off.
  const auto& d = wire.board.decreases;
  for (; decreasesSeen_ < d.size(); ++decreasesSeen_) taken_ += d[decreasesSeen_].first == 1 ? d[decreasesSeen_].second : 0;
  const int took = credited + handedBack_;
  takenTwice_ = std::max(takenTwice_, taken_ - took);
  return taken_ - takenTwice_ >= took && !JvsDecreaseUnsettled(1) && !JvsDecreaseOpen(1) &&
         JvsGetNodeRecord(1)->coinDecrease[0] == 0 &&
         device->Request(0).decrease[0] == 0;
}

void BusWorld::AfterStep(size_t exchangesBefore, uint32_t stepAt, uint32_t errorsAtStep, bool wasHalted,
                         bool wasUp) {
  const uint32_t now = wire.NowMs();
  // No wait for a quiet line outlasted its bound: between two writes (or
  // from the start of the work) the receive of the first, and one wait for
  // each spoiled receive or wait counted meanwhile and one more.
  // A loaded machine (the wire's late looks) adds its lateness.
  uint32_t prev = stepAt;
  bool wrote = false, reset = false;
  uint32_t errors = errorsAtStep, late = lateAtStep_;
  auto allowed = [&](uint32_t errorsNow, uint32_t lateNow) {
    const uint32_t waits = 1 + (errorsNow >= errors ? errorsNow - errors : errorsNow);
    return (wrote ? kJvsReceiveMs : 0) + waits * (kSettleBoundMs + kSlackMs) + (reset ? kJvsResetWaitMs : 0) +
           (lateNow - late);
  };
  writesAt_.clear();
  for (const SimJvsWire::WriteMark& m : wire.TakeWriteMarks()) {
    if (!m.reset) writesAt_.push_back(m.at);
    if (m.at - prev > allowed(m.errors, m.lateMs))
      Note("a write waited " + std::to_string(m.at - prev) + " ms (at most " +
           std::to_string(allowed(m.errors, m.lateMs)) + " ms allowed) for a quiet line");
    prev = m.at;
    wrote = true;
    reset = m.reset;
    errors = m.errors;
    late = m.lateMs;
  }
  if (!Halted() && now - prev > allowed(JvsGetErrorCount(), wire.LateGivenMs()))
    Note("the master's work went on " + std::to_string(now - prev) + " ms after its last write (at most " +
         std::to_string(allowed(JvsGetErrorCount(), wire.LateGivenMs())) + " ms allowed)");
  // Noise that ends leaves the bus up: no stop while the line carries it or
  // lately carried it, but where exchanges that faults spoiled made the
  // run (those the noise spoiled go on with it); and once it has ended, a request goes out within kNoiseEndPollMs
  // of its last byte (and the frame in which the game asks for one).
  const uint32_t noiseAt = wire.LastLineNoiseAt();
  const bool noiseLately = noiseAt != 0 && (wire.LineNoisy() || now - noiseAt <= StopBoundMs());
  // The good answers of each node, and whether one went too long without.
  const std::vector<bool>& ex = wire.Exchanges();
  for (; goodFrom_ < line_.sent.size() && goodFrom_ < ex.size(); ++goodFrom_) {
    const WatchedLine::Sent& e = line_.sent[goodFrom_];
    // A node's time without a good answer runs from its first request.
    if (!asked_[e.node]) lastGood_[e.node] = lastWireGood_[e.node] = e.at;
    asked_[e.node] = true;
    const WatchedLine::Run way = goodFrom_ < line_.runs.size() ? line_.runs[goodFrom_] : WatchedLine::kEnds;
    if (!ex[goodFrom_] && way == WatchedLine::kEnds) {
      lastGood_[e.node] = lastWireGood_[e.node] = e.at;
      wrongFrom_[e.node] = 0;
    } else if (!wrongFrom_[e.node]) {
      wrongFrom_[e.node] = e.at;
    }
  }
  // The master takes answers the wire marked spoiled (a sync byte of noise
  // that came after an answer was read marks its exchange too): a node's
  // last good answer as the master has it counts, its time without one
  // running from its first exchange the wire spoiled after it.
  for (int n = 0; n < kJvsMaxNodes; ++n) {
    const uint32_t good = JvsGoodAnswerAt(n);
    if (!asked_[n] || good == masterGood_[n]) continue;
    masterGood_[n] = good;
    if (int32_t(good - lastGood_[n]) <= 0 || int32_t(good - openedAt_) < 0 || int32_t(now - good) < 0) continue;
    lastGood_[n] = good;
    wrongFrom_[n] = 0;
    for (size_t i = exchangesBefore; i < line_.sent.size() && i < ex.size(); ++i) {
      const WatchedLine::Run way = i < line_.runs.size() ? line_.runs[i] : WatchedLine::kEnds;
      if (line_.sent[i].node == n && int32_t(line_.sent[i].at - good) > 0 && (ex[i] || way != WatchedLine::kEnds)) {
        wrongFrom_[n] = line_.sent[i].at;
        break;
      }
    }
  }
  if (JvsGetState() >= kJvsStateReady) upSinceOpen_ = true;
  if (!wasHalted && Halted() && !TimeStopAllowed() && noiseLately && wasUp &&
      !line_.RunOfSpoiled(wire.FaultedExchanges(), kJvsMaxSpoiled, &wire.Exchanges()))
    Note("the bus stopped on noise on the line");
  if (!Halted() && JvsGetState() != kJvsStateClosed) {
    // The master weighs a node's time bound at its exchanges: the stop may
    // come a step and an exchange after the bound.
    const uint32_t allowed = kAnswerBoundMs + WorkBoundMs() + kJvsReceiveMs + kSettleBoundMs + kSlackMs + frameMs;
    // A bring-up: the resets' tries (reset frames a fault lost, which the
    // master sees only as SENSE staying high), then, from the first address
    // assignment or the last good answer of its work (an assignment's, a
    // node's), the time bound and a reset's tries more (the master weighs
    // its time bound at the exchanges, none of which goes out while it
    // resets the nodes): a bring-up never goes on for good.
    const uint32_t resets = kJvsResetTries * (kJvsResetWaitMs + kSettleBoundMs + kSlackMs);
    uint32_t from = line_.assignedAt ? line_.assignedAt : openedAt_;
    for (const auto& [index, at] : line_.assignments)
      if (index < wire.Addressings().size() && !wire.Addressings()[index] && int32_t(at - from) > 0) from = at;
    for (int n = 0; n < 256 && line_.assignedAt; ++n)
      if (asked_[n] && int32_t(lastGood_[n] - from) > 0) from = lastGood_[n];
    const uint32_t bringUp = (line_.assignedAt ? kAnswerBoundMs : 0) + resets + WorkBoundMs() + frameMs;
    if (!upSinceOpen_ && now - from > bringUp)
      Note("the bus was still starting " + std::to_string(now - openedAt_) + " ms after the open (" +
           std::to_string(now - from) + " ms without a good answer to its work, at most " +
           std::to_string(bringUp) + " ms allowed)");
    // A node's time without a good answer runs from its first exchange
    // that went wrong after its last good answer.
    for (int n = 0; n < 256 && upSinceOpen_; ++n)
      if (wrongFrom_[n] && now - wrongFrom_[n] > allowed) {
        Note("node " + std::to_string(n) + " gave no good answer for " + std::to_string(now - wrongFrom_[n]) +
             " ms from the first exchange that went wrong, and the bus did not stop (at most " +
             std::to_string(allowed) + " ms allowed)");
        break;
      }
  }
  if (wire.LineNoisy() || !wasUp || wasHalted || Halted()) {
    noiseWatched_ = 0;
  } else if (noiseAt != 0 && noiseAt != noiseSeen_ && int32_t(now - noiseAt) >= 0) {
    noiseSeen_ = noiseWatched_ = noiseAt;
  }
  if (noiseWatched_) {
    for (const uint32_t at : writesAt_) {
      if (int32_t(at - noiseWatched_) > 0) noiseWatched_ = 0;
    }
    if (noiseWatched_ && now - noiseWatched_ > kNoiseEndPollMs + frameMs) {
      Note("no request " + std::to_string(now - noiseWatched_) + " ms after the line's noise ended (at most " +
           std::to_string(kNoiseEndPollMs + frameMs) + " ms allowed)");
      noiseWatched_ = 0;
    }
  }
  // While the bus is up, the master's work ends, and the inputs are read
  // afresh (but while noise keeps every exchange from going through), within
  // the time a run of spoiled exchanges that stops the bus may take.
  const uint32_t bound = StopBoundMs();
  if (!wasUp || wasHalted) {
    freshAt_ = now;
  } else {
    longestWorkMs = std::max(longestWorkMs, now - stepAt);
    // Noise on the line, bytes a node trails after a frame the line
    // damaged (the master cannot tell them from noise that landed in it),
    // and a node that sends garbage may keep every exchange from going
    // through without a stop within the time bound (checked above).
    const bool trailedDamage = !wire.afterReply.empty() && JvsGetErrorCount() != errorsAtStep;
    // Node 1 answering its switches with another report reads nothing, and
    // node 1's exchanges that go wrong read nothing either, while the other
    // nodes have their turns between them (the stale reads' bound, checked
    // in WatchStale): the inputs are read afresh within the bound from the
    // last of them.
    const bool unread = !wire.board.nodes.empty() && wire.board.nodes[0].switchReport != kJvsReportNormal;
    bool node1Wrong = false;
    for (size_t i = exchangesBefore; i < line_.sent.size() && i < ex.size(); ++i)
      node1Wrong = node1Wrong || (line_.sent[i].node == 1 &&
                                  (ex[i] || (i < line_.runs.size() && line_.runs[i] == WatchedLine::kSpoils)));
    if (noiseLately || trailedDamage || unread || node1Wrong || GarbageOnNode1()) freshAt_ = now;
    longestStaleMs = std::max(longestStaleMs, now - freshAt_);
    if (now - stepAt > WorkBoundMs())
      Note("a piece of the master's work lasted " + std::to_string(now - stepAt) + " ms while the bus was up (at most " +
           std::to_string(WorkBoundMs()) + " ms allowed)");
    else if (now - freshAt_ > bound + frameMs)  // a read is seen at the next frame
      Note("no fresh read of the inputs for " + std::to_string(now - freshAt_) + " ms while the bus was up (at most " +
           std::to_string(bound + frameMs) + " ms allowed)");
  }
  // The decreases whose fate the master may have learnt from the counter,
  // and the coins at risk in them.
  // The line's noise leaves a decrease's fate open on a board that sends
  // its reply again; faults, a board that cannot, or a stop meanwhile leave
  // it to the counter.
  const std::vector<bool>& spoiled = wire.Exchanges();
  const std::vector<bool>& decreasing = wire.DecreaseExchanges();
  const bool cannotSendAgain = wire.board.askedAgain != SimJvsBoard::AskedAgain::kCopy;
  const std::vector<bool>& byFault = wire.FaultOnlyExchanges();
  for (size_t i = exchangesBefore; i < spoiled.size(); ++i) {
    // While a decrease's fate is open, a fault on an exchange with its node
    // (the requests to send again) may leave it to the counter.
    const bool fault = i < byFault.size() && byFault[i] && i < line_.sent.size() && line_.sent[i].node == 1;
    if (openByNoise_ && fault) uncertain_ = true;
    if (!spoiled[i] || !decreasing[i]) continue;
    if (cannotSendAgain || fault || !NoisyExchange(i))
      uncertain_ = true;
    else
      openByNoise_ = true;
  }
  if (openByNoise_ && Halted()) uncertain_ = true;
  if (JvsDecreaseUnsettled(1) && (cannotSendAgain || !openByNoise_ || Halted())) uncertain_ = true;
  // A fate the master keeps open goes to the counter on a board that
  // cannot send its reply again, or where the bus stops meanwhile.
  if (JvsDecreaseOpen(1) && (cannotSendAgain || Halted())) uncertain_ = true;
  if (uncertain_ && !JvsDecreaseUnsettled(1) && !JvsDecreaseOpen(1)) {
    const int from = (owedSince_ >= 0 ? owedSince_ : frames) - 1;
    for (; riskFrom_ < insertions_.size(); ++riskFrom_)
      if (insertions_[riskFrom_].frame >= from) atRisk += insertions_[riskFrom_].coins;
    uncertain_ = false;
  }
  if (!uncertain_ && device && NodeOwesNothing()) {
    owedSince_ = -1;
    openByNoise_ = false;
  }
}

bool BusWorld::CoinsSettled() const {
  const JvsNodeState* s = JvsGetNodeRecord(1);
  const XioUnitRecord& req = device->Request(0);
  // The node's own counter too: coins the game took may wait in the
  // device's registers for the next trade with the bus.
  const bool counted = credited == inserted || (credited < inserted && inserted - credited <= atRisk);
  return req.decrease[0] == 0 && s->coinDecrease[0] == 0 && s->coinUncounted[0] == 0 && !JvsDecreaseUnsettled(1) &&
         !JvsDecreaseOpen(1) &&
         device->GetCoinCount(0, 0) == 0 && counted && wire.board.nodes[0].coins[0] == 0;
}

std::string BusWorld::CoinProperties() const {
  int taken = 0;
  for (const auto& d : wire.board.decreases) taken += d.first == 1 ? d.second : 0;
  std::string out;
  if (credited > inserted || inserted - credited > atRisk)
    out += "credited " + std::to_string(credited) + " of " + std::to_string(inserted) + " coins (" +
           std::to_string(atRisk) + " at risk); ";
  if (taken != inserted) out += "taken off " + std::to_string(taken) + " for " + std::to_string(inserted) + "; ";
  if (!wire.board.nodes.empty() && wire.board.nodes[0].coins[0] != 0)
    out += "the node's counter at " + std::to_string(wire.board.nodes[0].coins[0]) + "; ";
  return out;
}

namespace {

bool LastSpoiled(const std::vector<bool>& e, int n) {
  if (int(e.size()) < n) return false;
  for (size_t i = e.size() - size_t(n); i < e.size(); ++i)
    if (!e[i]) return false;
  return true;
}

}  // namespace

bool BusWorld::QueuedDecrease() {
  for (uint32_t i = 0; i < JvsQueuedCount(1); ++i) {
    size_t length = 0;
    const uint8_t* c = JvsGetQueuedCommand(1, i, &length);
    if (length > 0 && c[0] == kJvsCmdCoinDecrease) return true;
  }
  return false;
}

bool BusWorld::LastExchangesSpoiled(int n) const { return LastSpoiled(wire.Exchanges(), n); }

bool BusWorld::WatchedLine::RunOfSpoiled(const std::vector<bool>& spoiled, int n, const std::vector<bool>* goOn) const {
  // Each node's own run (another node's exchanges between its own end no
  // run of it, and make none).
  int runs256[256] = {};
  bool ended[256] = {};
  for (size_t i = spoiled.size(); i-- > 0;) {
    const Run way = i < runs.size() ? runs[i] : kEnds;
    const uint8_t node = i < sent.size() ? sent[i].node : 0;
    if (spoiled[i] || way == kSpoils) {
      if (!ended[node] && ++runs256[node] >= n) return true;
    } else if (way != kGoesOn && !(goOn && i < goOn->size() && (*goOn)[i])) {
      ended[node] = true;
    }
  }
  return false;
}

bool BusWorld::StopAllowed() const {
  const bool addressing = wire.AddressingsSinceOpen() >= kJvsAddressRetries + 1 &&
                          (wire.FaultedAddressingsSinceOpen() > 0 || LastSpoiled(wire.Resets(), 1));
  const int resets = wire.ResetsSinceAddressing();
  const bool resetsLost = resets > 0 && wire.SpoiledResetsSinceAddressing() == resets &&
                          (resets >= 2 * kJvsResetTries || wire.NoiseSinceAddressing());
  return line_.RunOfSpoiled(wire.Exchanges(), kJvsMaxSpoiled) || addressing || resetsLost || TimeStopAllowed();
}

}  // namespace testsupport
