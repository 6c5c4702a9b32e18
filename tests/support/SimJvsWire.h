#pragma once
#include <cstdint>
#include <deque>
#include <functional>
#include <vector>

#include "cabinet/JvsFrame.h"
#include "platform/clock.h"
#include "support/SimJvsBoard.h"

namespace testsupport {

// A simulated wire under the bus master: a line (JvsSetLine) and the bus
// clock (JvsSetClock) in one, with the nodes of a SimJvsBoard at its far
// end. Time is the wire's own: it moves only when the master waits on it
// (a byte wait, a pause, a reset's wait) or when the test moves it, so a
// run is the same on every machine and costs no real time. Each frame the
// master writes reaches the board at once; a node's answer is on the line
// kReplyMs later, unless a fault says otherwise.
//
// Faults are placed by frame: the n-th frame the master writes (requests,
// requests to send again, resets, addresses, counted from 0 when placing
// starts: StartCounting) and the n-th frame a node sends back (answers and
// copies).
class SimJvsWire : public JvsLine, public plat::MsClock {
 public:
  enum Fault : uint8_t {
    kWhole = 0,
    kLost,         // either way: it never arrives
    kDamaged,      // either way: it arrives with a wrong sum
    kStatusThree,  // a request: the node takes it as damaged and answers status 3, carrying nothing out
    kLate,         // an answer: it comes after the master's wait for it, within kJvsAnswerMs
    // An answer that comes whole, and then bytes of no frame: three bytes,
    // none a sync byte, 2, 4 and 6 ms after it; or a sync byte and two
    // more 2 ms after it (a frame begun that never ends).
    kNoiseAfter,
    kSyncNoiseAfter,
    // An answer that meets the line going busy for kBusyMs, far longer than
    // a run of spoiled exchanges (SimLineNoise::Flood, sync bytes among the
    // noise), or until LineNoiseOff.
    kBusyFrom,
    // Either way: the line carries noiseFrom from this frame on (noise that
    // ends, as noiseFrom's forMs says), unless noise is on it already; the
    // frame itself is whole.
    kNoiseFrom,
    // An answer: in its place a frame to the master with a right sum and
    // the status otherStatus alone (noise that formed a frame, or a node's
    // status the exchange cannot use); the node carried the request out.
    kOtherStatus,
  };
  // How long after a request a node's answer is on the line.
  static constexpr uint32_t kReplyMs = 1;
  // How long the line stays busy from a kBusyFrom fault.
  static constexpr uint32_t kBusyMs = 3000;

  SimJvsBoard board;

  // From now on the frames each way are counted from 0 for the faults.
  void StartCounting();
  void SetRequestFault(int index, Fault fault);
  void SetReplyFault(int index, Fault fault);
  // No fault placed from now on (the frames go on being counted).
  void ClearFaults() {
    requestFaults_.clear();
    replyFaults_.clear();
  }
  // Frames each way since StartCounting.
  int RequestsCounted() const { return requests_; }
  int RepliesCounted() const { return replies_; }
  // Seeded noise on every frame each way from now on (lost or damaged; a
  // lost answer comes late instead with lateShare percent).
  void SetNoise(const SimNoise& noise, int lateShare = 0);
  void NoiseOff() { noise_ = SimNoiseDraw{}; }
  // Faults from a script: asked for each frame (request: one the master
  // wrote) that no placed fault or noise spoiled.
  std::function<Fault(bool request)> script;

  // The status of the frame a kOtherStatus fault puts on the line.
  uint8_t otherStatus = 2;

  // The noise a kNoiseFrom fault starts.
  SimLineNoise noiseFrom = SimLineNoise::Flood(1, true, 300);

  // Every frame a node sends comes as garbage, as from a board at another
  // line rate: as many bytes, none a sync byte (kGarbage) or one in eight
  // (kGarbageWithSync, the first among them); the exchange is spoiled.
  enum Garbage : uint8_t { kNoGarbage, kGarbage, kGarbageWithSync };
  Garbage garbage = kNoGarbage;

  // A bus adapter that answers node 0, the board's channel, itself: while
  // the line carries noise (SetLineNoise), node 0's answer is the first
  // thing the master reads after its request, whole (the noise on the line
  // until its end is swallowed), and the other nodes' answers that noise
  // bytes land in are swallowed by it (lost, the exchange spoiled by it; a
  // fault as any where what the master reads in its place, the noise and
  // any node's bytes among it, is a frame to the master begun and never
  // ended, which the master cannot tell from an answer cut short).
  bool channelThroughNoise = false;

  // An echoing line: every byte the master writes comes back to it on the
  // line at once, in order, whatever becomes of the frame on its way to the
  // nodes (an adapter that hands back what it sends).
  bool echo = false;

  // Bytes a node's line driver puts on the line afterReplyMs after each of
  // its frames (a turn-around glitch, padding; whatever becomes of the
  // frame on the way): none when empty. 0 ms: in the same read as the frame.
  std::vector<uint8_t> afterReply;
  uint32_t afterReplyMs = 2;

  // The node at twiceNode (-1: none) sends each of its frames twice: the
  // copy, byte for byte, comes twiceMs after the frame's end (a board, a
  // hub or a driver that repeats what it sends).
  int twiceNode = -1;
  uint32_t twiceMs = 3;
  // The damage a fault does to such a node's frame befalls the frame alone:
  // its copy comes whole (noise that hit the frame on the line).
  bool twiceCopyWhole = false;

  // How long after taking its address a node raises SENSE.
  uint32_t senseLagMs = 0;
  // A glitch of the SENSE line: it reads the other way for forMs, from atMs
  // after the address assignment of afterAddress that reached the nodes
  // whole (the last one), or from the wire's time atMs (afterAddress 0).
  struct SenseGlitch {
    uint8_t afterAddress = 0;
    uint32_t atMs = 0, forMs = 0;
    uint32_t atUs = 0, forUs = 0;  // microseconds added to atMs and forMs
  };
  SenseGlitch senseGlitch;

  // A loaded machine: each wait for input ends lateMs after it should,
  // having read nothing (what came meanwhile waits for the next look).
  uint32_t lateLooksMs = 0;
  // The same once: the next wait for input ends this much late (the
  // master's thread did not run meanwhile).
  uint32_t lateOnceMs = 0;
  // The lateness those gave the waits for input so far.
  uint32_t LateGivenMs() const { return lateGivenMs_; }

  // Raw bytes on the line delayMs from now, from no node in particular.
  void Inject(const std::vector<uint8_t>& bytes, uint32_t delayMs = 0);
  // Bytes of no frame on the line from delayMs on (SimLineNoise). A node's
  // frame that goes while a noise byte does is damaged by it (the byte lands
  // in the frame), and its exchange is spoiled; so is an exchange during
  // which a noise sync byte came.
  void SetLineNoise(const SimLineNoise& noise, uint32_t delayMs = 0) { lineNoise_.Start(noise, now_ + delayMs); }
  void LineNoiseOff() { lineNoise_.Stop(); }
  // Whether the line carries noise (until it ends or for good).
  bool LineNoisy() const { return lineNoise_.On(); }
  // The time of the last noise byte on the line (0: none yet), and how many;
  // the same of the line's noise alone (SetLineNoise, kNoiseFrom, kBusyFrom).
  uint32_t LastNoiseAt() const { return lastNoiseAt_; }
  uint32_t LastLineNoiseAt() const { return lastLineNoiseAt_; }
  int NoiseBytes() const { return noiseBytes_; }
  // Every byte the master wrote since the last call, with the time of each
  // write.
  struct Written {
    uint32_t at;
    std::vector<uint8_t> bytes;
  };
  std::vector<Written> TakeWritten();
  // The times of the master's writes since the last call, each with whether
  // it was a reset frame and the bus's count of spoiled receives and waits
  // for a quiet line then (JvsGetErrorCount).
  struct WriteMark {
    uint32_t at;
    bool reset;
    uint32_t errors;
    uint32_t lateMs;  // LateGivenMs then
  };
  std::vector<WriteMark> TakeWriteMarks();

  // One entry per request written to a node (not broadcasts): whether it or
  // what answered it went wrong on the wire, or the node answered status 3.
  const std::vector<bool>& Exchanges() const { return exchanges_; }
  // For each of them: whether the request carried a coin decrease; whether
  // a placed fault, the script or the seeded noise spoiled it (the line's
  // noise aside, but where its bytes landed in a frame without a sync byte:
  // a damaged frame as any).
  const std::vector<bool>& DecreaseExchanges() const { return decreasing_; }
  const std::vector<bool>& FaultedExchanges() const { return faulted_; }
  // Those a placed fault, the script or the seeded noise spoiled, the
  // line's noise aside altogether.
  const std::vector<bool>& FaultOnlyExchanges() const { return byFault_; }
  // The same for the address assignments (broadcast 0xF1), and for the
  // reset frames (spoiled: lost or damaged).
  const std::vector<bool>& Addressings() const { return addressings_; }
  const std::vector<bool>& Resets() const { return resets_; }
  // Address assignments since the line was last opened, and those of them
  // spoiled.
  int AddressingsSinceOpen() const { return int(addressings_.size()) - addressingsAtOpen_; }
  int SpoiledAddressingsSinceOpen() const;
  // Those a fault spoiled (not the line's noise).
  int FaultedAddressingsSinceOpen() const;
  // Reset frames since the last address assignment (or the open), those of
  // them spoiled, and whether noise came on the line meanwhile.
  int ResetsSinceAddressing() const { return int(resets_.size()) - resetsAtAddressing_; }
  int SpoiledResetsSinceAddressing() const;
  bool NoiseSinceAddressing() const { return noiseBytes_ > noiseAtAddressing_; }
  // Whether noise came on the line, since it was last opened, while the
  // bring-up gave out addresses (after a reset or an address assignment). It may form an answer (a right-sum
  // frame to the master) or hide one, so that the master counts other nodes
  // than the line holds; the exchanges with a node it counts that is not
  // there go wrong though the wire spoiled none of them.
  bool NoiseInAddressingSinceOpen() const { return noiseInAddressing_; }

  // The clock. Its time has a part below the millisecond (NowUs; NowMs
  // reads whole milliseconds of it, as a real clock does), set with SetUs,
  // and each sleep asked of it lasts sleepOverUs longer (a sleep of 1 ms
  // takes about 1.06 ms on a real machine).
  uint32_t NowMs() override { return now_; }
  uint32_t NowUs() override { return now_ * 1000u + subUs_; }
  uint32_t Now() const { return now_; }
  void SetUs(uint32_t us) { subUs_ = us % 1000; }
  uint32_t sleepOverUs = 0;
  void Sleep(uint32_t ms) override {
    const uint32_t us = subUs_ + sleepOverUs;
    now_ += ms + us / 1000;
    subUs_ = us % 1000;
  }
  bool Wait(plat::Event& event, uint32_t ms) override;
  void Advance(uint32_t ms) { now_ += ms; }

  // The line.
  bool Open(const char*) override;
  void Close() override { open_ = false; }
  bool IsOpen() const override { return open_; }
  size_t Write(const uint8_t* bytes, size_t count) override;
  size_t ReadAvailable(uint8_t* buffer, size_t max) override;
  size_t ReadWait(uint8_t* buffer, size_t max, uint32_t ms) override;
  // SENSE reads low for senseLagMs after a node took an address (a node
  // that raises it some time after its answer), else as the board has it;
  // the other way while senseGlitch is on.
  int GetCts() override;
  bool SetRts(bool) override { return true; }

 private:
  struct Pending {
    uint32_t at;
    std::vector<uint8_t> bytes;
    bool noise = false;
  };
  void OnFrame(uint8_t node, const std::vector<uint8_t>& data, bool damaged);
  void Send(const SimJvsBoard::Reply& r, uint32_t delay);
  Fault NextFault(std::vector<Fault>& placed, int& counter, bool request);
  uint32_t LateMs() const;
  void InjectAt(uint32_t at, std::vector<uint8_t> bytes, bool noise = false);
  // Puts the line noise due up to `until` on the line.
  void NoiseUntil(uint32_t until);
  // The frame being answered went wrong: by a fault, or by the noise.
  // byNoise: the line's noise landed in the frame.
  void Spoil(bool fault, bool byNoise = false);
  void Noise(uint32_t at, const std::vector<uint8_t>& bytes);

  bool open_ = false;
  uint32_t now_ = 1000;
  uint32_t subUs_ = 0;
  SimFrameParser parser_;
  std::deque<Pending> pending_;  // in the order they reach the line
  std::vector<uint8_t> ready_;   // on the line now
  size_t readyAt_ = 0;
  bool counting_ = false;
  int requests_ = 0, replies_ = 0;
  std::vector<Fault> requestFaults_, replyFaults_;
  SimNoiseDraw noise_;
  int lateShare_ = 0;
  uint32_t lateDraw_ = 7, garbageDraw_ = 5;
  std::vector<bool> exchanges_, addressings_, resets_, decreasing_, faulted_, faultedAddressings_, byFault_;
  SimLineNoiseDraw lineNoise_;
  std::vector<uint8_t> drawn_;  // the noise burst being drawn
  uint32_t lastNoiseAt_ = 0, lastRequestAt_ = 0, lastLineNoiseAt_ = 0, addressedAt_ = 0;
  // By address: when its last assignment reached the nodes whole.
  uint32_t assignedAt_[256] = {};
  bool assigned_[256] = {};
  int noiseBytes_ = 0;
  uint32_t lateGivenMs_ = 0;
  bool resetWritten_ = false;
  uint8_t replyNode_ = 0;  // the node of the frame being answered
  std::vector<WriteMark> marks_;
  std::vector<bool>* log_ = nullptr;  // the log of the frame being answered
  int addressingsAtOpen_ = 0;
  bool noiseInAddressing_ = false;
  int resetsAtAddressing_ = 0, noiseAtAddressing_ = 0;
  void Addressing();  // an address assignment, or the open
  std::vector<Written> written_;
};

}  // namespace testsupport
