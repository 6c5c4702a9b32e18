#pragma once
#include <atomic>
#include <cstdint>
#include <map>
#include <set>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "platform/clock.h"
#include "platform/serial_port.h"
#include "support/Eventually.h"
#include "support/FakeClock.h"
#include "support/SimJvsBoard.h"

namespace testsupport {

// A bus of simulated nodes behind a pseudo-terminal pair: the game's serial
// port opens PortPath() (the terminal side) and the bus answers on the other
// side from its own thread, with its own frame parser. It also stands for the
// SENSE and RTS lines, which a pseudo-terminal does not have: install it
// with JvsSetPortLines. SENSE reads 0 while some node has no address; like
// the wire it reflects every frame written before it is read (reading it
// first handles what the bus has not handled yet).
//
// The nodes answer as SimJvsBoard makes them. Faults can be injected.
class SimJvsBus : public plat::SerialLines {
 public:
  SimJvsBus();
  ~SimJvsBus() override;
  SimJvsBus(const SimJvsBus&) = delete;
  SimJvsBus& operator=(const SimJvsBus&) = delete;

  bool Ok() const { return master_ >= 0; }
  // Handles every frame written to the bus so far: each request then has
  // its reply on the line (unless a fault or a delay holds it back).
  void Settle() { Pump(); }
  // Moves the bus clock on, a millisecond at a time, until pred holds: what
  // waits on the clock runs out only here. Before each step the bus answers
  // every request written so far, so a wait for a node that answers never
  // runs out, however slowly the bus thread is scheduled.
  template <class Pred>
  bool AdvanceUntil(FakeClock& clock, Pred pred) {
    return Eventually([&] {
      if (pred()) return true;
      Settle();
      clock.Advance(1);
      return false;
    });
  }
  const std::string& PortPath() const { return slavePath_; }
  // Adds a node at the end of the chain; returns its index.
  int AddNode(const SimJvsNode& node);

  // Node state, read and written under the bus lock.
  void SetSwitches(int index, uint8_t system, uint16_t player1, uint16_t player2);
  void SetCoins(int index, uint16_t slot0, uint16_t slot1);
  void SetAccessory(int index, uint8_t switchByte, const uint8_t* reply61);
  // The report byte of the node's coin counts (SimJvsNode::coinReport), and
  // of those in an answer that took coins off.
  void SetCoinReport(int index, uint8_t report, uint8_t afterDecrease = 1);
  SimJvsNode Node(int index);

  // Faults: the next n replies go out with a wrong sum, with status 3 (the
  // node saw a bad sum), or one data byte short with a right sum (a reply
  // that does not answer its request; this one also counts the answers to
  // resend requests); otherwise a resend request gets the good reply. A
  // silent bus answers nothing.
  void CorruptReplies(int n) { corrupt_ = n; }
  void SumErrorReplies(int n) { sumErrors_ = n; }
  void UnfittingReplies(int n) { unfitting_ = n; }
  void SetSilent(bool silent) { silent_ = silent; }
  // A board that appends to its last frame: each resend request gets the
  // frame sent last with one more data byte (and a right sum), up to six
  // more than the reply.
  void GrowOnResend(bool grow);
  // The next n answers to resend requests go out with a wrong sum.
  void CorruptResends(int n) { corruptResends_ = n; }
  // The next n replies are followed, in the same write, by one byte that
  // belongs to no frame.
  void StrayByteAfterReplies(int n, uint8_t byte) {
    strayByte_ = byte;
    stray_ = n;
  }
  // The next reply of the node at this address is held back until the
  // master has asked for it again `asks` times; then `frames` copies of it
  // go out in one write: by default the reply and a copy for each request,
  // fewer for a board that answers only some of the requests.
  void BundleNextReply(int nodeAddress, int asks, int frames = -1);
  // The reply to the next request of the node at this address (onDecrease:
  // its next request that carries a coin decrease) comes again after the
  // node's following request, before that request's reply. late: it is held
  // back until then, and a request to send it again meanwhile gets a copy at
  // once (so the master has taken that copy); else it goes out at once too,
  // and again unasked. how: kOneWrite, the two go out in one write;
  // kTwoWrites, the following reply waits for ReleaseReply, so that they
  // come in separate reads; kWhenAskedAgain, both wait until the master asks
  // the node to send its reply again, and then go out in one write.
  enum AgainHow { kOneWrite, kTwoWrites, kWhenAskedAgain };
  void ReplyAgainAfterNextRequest(int nodeAddress, bool late, AgainHow how, bool onDecrease);
  // Requests spoiled on the way to the node at this address: lost (the node
  // never sees them) or damaged (the node sees a wrong sum). which: the
  // node's next request (a request to send again is none), its next request
  // that carries a coin decrease, or the request after that one.
  enum Which { kNextRequest, kNextDecrease, kAfterNextDecrease, kNextWithCommand };
  enum Spoil { kLost, kDamaged };
  // kNextWithCommand: the node's next request whose first command is
  // `command`.
  void SpoilRequest(int nodeAddress, Which which, Spoil how, uint8_t command = 0);
  // The node's next reply (onDecrease: its next reply to a request that took
  // coins off; command: its next reply to a request whose first command is
  // that) is lost or damaged on its way to the master.
  void SpoilNextReply(int nodeAddress, Spoil how, bool onDecrease = false, int command = -1);
  // Of the node's next replies, those marked (in the order they go, copies
  // asked for included) are lost on their way.
  void LoseReplies(int nodeAddress, std::vector<bool> which);
  // When the node gets its next request, its last reply goes out again,
  // unasked, right after its answer (a duplicate that comes within the time
  // a node may take to answer).
  void RepeatOnNextRequest(int nodeAddress);
  // The clock late replies are timed on (not owned).
  void SetClock(plat::MsClock* clock) { clock_ = clock; }
  // The node's next reply (onDecrease: its next reply to a request that took
  // coins off) goes out only once the clock has moved ms past the request:
  // a slow node's. With the clock at a standstill it waits.
  void LateNextReply(int nodeAddress, uint32_t ms, bool onDecrease = false);
  // Every answer, and every copy asked for, goes out a time after its
  // request drawn from fromMs to toMs (seeded), on the clock: a board, or a
  // bus adapter that holds what it receives for a while, answering late.
  // 0, 0: at once.
  void AnswerLate(uint32_t fromMs, uint32_t toMs);
  // A node that stays silent on a request with a wrong sum, as some boards
  // do (else it answers status 3).
  void SilentOnDamagedRequests(bool silent);
  // A node that keeps the status 3 it sent as its last reply.
  void KeepStatusThree(bool keep);
  // Requests lost on the way (spoiled or by the noise below).
  int LostRequests() const { return lostRequests_.load(); }
  // Noise on the wire once the bus is up: every frame, either way (requests,
  // requests to send again, replies and their copies), is lost or arrives
  // with a wrong sum (SimNoise), drawn in the order the frames go. A frame
  // that reaches a node damaged gets no answer or status 3, as above.
  using Noise = SimNoise;
  void SetNoise(const Noise& noise);
  // One entry for each frame sent to a node since the noise was set: true
  // when that frame or the node's answer to it was lost or damaged.
  std::vector<bool> Exchanges();
  // Coins put into a slot of the node at this index, counted with those it
  // holds (the bus may take some off meanwhile).
  void InsertCoins(int index, int slot, uint16_t coins);
  // The next n replies are preceded, in the same write, by a frame with a
  // right sum and no status byte (E0 00 01 01).
  void EmptyFrameBeforeReplies(int n) { emptyFrames_ = n; }
  // A board gone mad: it answers nothing and writes `frames` frames about
  // every `everyMs` milliseconds, as much of them as the line takes without
  // waiting; everyMs 0: all the time, as fast as the line takes them.
  // kFloodNoAnswer: frames to the master that answer no request (status 1,
  // no report); kFloodOtherNode: frames addressed to node 5. kFloodOff ends
  // it.
  enum Flood { kFloodOff, kFloodNoAnswer, kFloodOtherNode };
  void SetFlood(Flood kind, int frames, int everyMs = 1) {
    floodFrames_ = frames;
    floodEveryMs_ = everyMs;
    flood_ = kind;
  }
  // Bytes the flood wrote so far.
  int FloodBytes() const { return floodBytes_.load(); }
  // The next reply of the node at this address is held back until
  // ReleaseReply: a late reply. A resend request meanwhile gets it at once,
  // so the late one comes after its copy.
  void HoldNextReply(int nodeAddress);
  void ReleaseReply(int nodeAddress);
  // Replies held back so far, and those of them released.
  int HeldReplies() const { return held_.load(); }
  int LateReplies() const { return lateSent_.load(); }
  // Frames with a wrong sum that the bus received.
  int BadRequests();
  int Resets();
  // The most data bytes a reset frame carried.
  int LongestReset();
  int RetransmitRequests();
  int Cycles(int nodeAddress);
  uint16_t BoardSetting();
  int BoardApplies();
  // Coin decreases received (slot, amount), in order.
  std::vector<std::pair<int, int>> Decreases();

  int GetCts() override;
  bool SetRts(bool asserted) override {
    rts_ = asserted;
    return true;
  }
  bool Rts() const { return rts_.load(); }

 private:
  void Run();
  // Handles every byte written to the bus so far.
  void Pump();
  void Send(const std::vector<uint8_t>& bytes);
  void OnFrame(uint8_t node, const std::vector<uint8_t>& data);
  // Sends a node's reply (status first) through the faults set.
  void Reply(uint8_t node, const std::vector<uint8_t>& data, bool decreasing = false, bool garbled = false);
  // A request spoiled on its way (lost or damaged): handled as such, and
  // true; false for a request that arrives whole.
  bool SpoiledOnTheWay(uint8_t node, const std::vector<uint8_t>& data);
  // The noise's verdict on the next frame (0 whole, 1 lost, 2 damaged).
  int NoiseFate();
  // Writes, in one write, the bytes before and a reply frame of the given
  // data, as the noise leaves it.
  void SendReply(const std::vector<uint8_t>& frame, const std::vector<uint8_t>& data,
                 std::vector<uint8_t> before = {});
  void FloodOnce();
  // Answers a request to send the last reply again.
  void Resend(uint8_t node);

  int master_ = -1;
  int slave_ = -1;
  std::string slavePath_;
  std::mutex lock_;
  SimJvsBoard board_;  // under lock_
  // Spoiled requests by node address, and whether a decrease went by for
  // the one after it.
  struct Spoiled {
    Which which = kNextRequest;
    Spoil how = kLost;
    bool decreaseSeen = false;
    uint8_t command = 0;
  };
  std::map<int, Spoiled> spoiled_;
  // Replies to spoil or to delay, by node address.
  struct ReplyFate {
    bool onDecrease = false;
    bool late = false;
    Spoil how = kLost;
    uint32_t ms = 0;
    int command = -1;
  };
  std::map<int, uint8_t> requestFirst_;
  std::map<int, std::vector<bool>> lose_;   // replies to lose, by node address, under pumpLock_
  std::set<int> repeat_;                    // nodes whose last reply comes again, under pumpLock_
  // Whether the node's next reply is to be lost (LoseReplies); counts it.
  bool LoseThis(uint8_t node);  // the first command of each node's last request, under pumpLock_
  std::map<int, ReplyFate> replyFates_;  // under pumpLock_
  plat::MsClock* clock_ = nullptr;
  struct Timed {
    uint32_t due;
    std::vector<uint8_t> bytes;
    bool counted = true;  // counts as a late reply (not an answer of AnswerLate)
  };
  std::vector<Timed> timed_;  // under pumpLock_
  uint32_t lateFromMs_ = 0, lateToMs_ = 0, lateDraw_ = 1;  // AnswerLate, under pumpLock_
  // The noise, and the exchanges so far.
  SimNoiseDraw noise_;
  std::vector<bool> exchanges_;
  // The frame parser, owned by whoever holds pumpLock_.
  std::mutex pumpLock_;
  SimFrameParser parser_;
  // Late replies: the node addresses whose next reply is held, and the
  // replies held by node address.
  std::mutex lateLock_;
  std::set<int> holds_;
  std::map<int, std::vector<uint8_t>> heldReplies_;
  // Bundled replies: asks wanted by node address, and the replies held with
  // the asks still missing.
  std::map<int, int> bundleAsks_;
  std::map<int, int> bundleFrames_;
  struct Bundle {
    std::vector<uint8_t> frame;
    int asks = 0, missing = 0, frames = 0;
    std::vector<uint8_t> before;  // bytes that go out before the frames
  };
  std::map<int, Bundle> bundles_;
  // Replies sent again after the following request, by node address.
  struct Again {
    bool late = false, onDecrease = false;
    AgainHow how = kOneWrite;
    bool taken = false;  // the reply to send again is in frame
    std::vector<uint8_t> frame;
  };
  std::map<int, Again> again_;
  std::atomic<int> held_{0}, lateSent_{0};
  std::atomic<int> corrupt_{0}, sumErrors_{0}, unfitting_{0};
  std::atomic<int> corruptResends_{0}, stray_{0}, emptyFrames_{0};
  std::atomic<int> flood_{kFloodOff}, floodFrames_{0}, floodEveryMs_{1}, floodBytes_{0};
  std::atomic<uint8_t> strayByte_{0};
  std::atomic<bool> silent_{false}, stop_{false}, rts_{true};
  std::atomic<int> lostRequests_{0};
  std::thread thread_;
};

}  // namespace testsupport
