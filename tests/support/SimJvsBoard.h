#pragma once
#include <cstdint>
#include <map>
#include <string>
#include <utility>
#include <vector>

namespace testsupport {

// One simulated node of the I/O bus.
struct SimJvsNode {
  std::string identity = "SIM;I/O BD;Ver1.00";
  // Feature groups of four bytes (the 0x14 reply), without the end marker.
  std::vector<uint8_t> features = {0x01, 2, 13, 0, 0x02, 2, 0, 0};
  bool accessory = false;  // answers 0x26 and 0x61
  uint8_t system = 0;
  uint8_t switches[4] = {};  // player 1 (two bytes), player 2 (two bytes)
  uint16_t coins[2] = {};
  // The report byte of its coin counts (0x21): 1 gives the counts; another
  // (2 to 4: the counter busy or in error) is the report byte alone.
  uint8_t coinReport = 1;
  // The report byte of its counts in an answer to a request that took coins
  // off (the counter busy just then, say).
  uint8_t coinReportAfterDecrease = 1;
  // The report byte of its switches (0x20): 1 gives them; another (2 to
  // 4: busy, say) is the report byte alone.
  uint8_t switchReport = 1;
  // Coin condition of each slot (0 normal; 1-3 jammed, counter gone,
  // busy), sent in bits 14-15 of the slot's count word; the count itself
  // is coins[] alone.
  uint8_t condition[2] = {};
  uint8_t accSwitch = 0;     // 0x26 reply
  uint8_t acc61[24] = {};    // 0x61 reply
  uint8_t address = 0;       // 0: not addressed
};

// A frame to the master (node 0) of the given data (status first); sumOffset
// added to the sum damages it.
std::vector<uint8_t> SimFramed(const std::vector<uint8_t>& data, int sumOffset);

// The frame parser of the nodes' side: fed the bytes the master writes.
class SimFrameParser {
 public:
  enum Event { kNone, kFrame, kBadSum };
  Event Feed(uint8_t byte);
  uint8_t Node() const { return node_; }
  const std::vector<uint8_t>& Data() const { return data_; }

 private:
  enum { kSync, kNode, kLength, kData } state_ = kSync;
  bool escaped_ = false;
  uint8_t node_ = 0, length_ = 0, sum_ = 0;
  std::vector<uint8_t> data_;
};

// Seeded noise on the wire: the fate of each frame in the order the frames
// go (0 whole, 1 lost, 2 damaged), at rates per thousand, with a frame right
// after a spoiled one spoiled too with burstPercent.
struct SimNoise {
  uint32_t seed = 1;
  int lostPerMille = 0, damagedPerMille = 0, burstPercent = 0;
};
class SimNoiseDraw {
 public:
  void Start(const SimNoise& noise);
  bool On() const { return on_; }
  int NextFate();

 private:
  uint32_t Next(uint32_t range);
  bool on_ = false;
  SimNoise noise_;
  uint32_t state_ = 1;
  bool lastSpoiled_ = false;
};

// Bytes on the line that belong to no frame, seeded: a burst of `bytes`
// bytes every minMs to maxMs (a flood at line rate: about 11 bytes every
// millisecond), never a sync byte (0xE0) unless syncBytes, for forMs (0:
// until it is turned off). Noise that ends inFrame ends with a sync byte and
// the start of a frame to the master (E0 00 05 01) that never goes on.
struct SimLineNoise {
  uint32_t seed = 1;
  uint32_t minMs = 10, maxMs = 100;
  int bytes = 1;
  bool syncBytes = false;
  uint32_t forMs = 0;
  bool inFrame = false;
  // With sync bytes: this share of the bytes (per cent) are sync bytes (0:
  // as drawn, one in 256).
  int syncPercent = 0;
  // Each burst is frames to node 5 (E0 05 03 01 01 0A), as many as make
  // `bytes`, instead of drawn bytes.
  bool otherNodeFrames = false;
  // Each burst is frames to the master shaped as a node's answer (status 1,
  // report 1: E0 00 03 01 01 05), as many as make `bytes`.
  bool answerFrames = false;
  // The line busy at line rate (115,200 baud: a byte every 87 us).
  static SimLineNoise Flood(uint32_t seed, bool syncBytes, uint32_t forMs = 0, bool inFrame = false) {
    return {seed, 1, 1, 11, syncBytes, forMs, inFrame};
  }
};
class SimLineNoiseDraw {
 public:
  // Starts at the given time: the first burst comes then.
  void Start(const SimLineNoise& noise, uint32_t now);
  void Stop() { on_ = false; }
  bool On() const { return on_; }
  // The next burst due at or before `until`: true with its time and bytes.
  bool Next(uint32_t until, uint32_t* at, std::vector<uint8_t>* bytes);

 private:
  uint32_t Draw(uint32_t range);
  bool on_ = false;
  SimLineNoise noise_;
  uint32_t state_ = 1, since_ = 0, next_ = 0;
};

// Coin conditions that come and go: at each coin report of a node, each
// slot's condition changes with `percent` per cent to a drawn one (0-3),
// for the first `reports` reports; after them every condition is 0.
struct SimConditions {
  uint32_t seed = 1;
  int percent = 0;
  int reports = 1 << 30;
};

// The nodes of a simulated bus and how they answer, without a wire: each
// whole frame the master wrote goes in, and what the addressed node sends
// back comes out. Node 0 is the board's own channel: 0x01 answers two status
// bytes, 0x04 and 0x05 are acknowledged (0x05's value kept). Every node
// keeps its last reply, which a request to send it again (0x2F) gets; a
// reset (F0 D9) takes the nodes' addresses and last replies, not their
// coins. Nodes that share an address (a reset lost on the way leaves a node
// its address) all answer, on top of each other.
class SimJvsBoard {
 public:
  // How the nodes meet a frame with a wrong sum, and requests to send again.
  bool silentOnDamage = false;   // no answer (else status 3)
  bool keepStatusThree = false;  // the status 3 sent becomes the node's last reply
  bool grow = false;             // each copy sent again is one byte longer, up to six
  // How the nodes meet a request to send their last reply again (0x2F):
  // with a copy of it; as a command they do not have (status 2); with a
  // report of their own for it (status 1, report byte 2); or not at all;
  // or with askedAgainReply (status first: any status, or status 1 with
  // reports of their own). Whatever they answer becomes their last reply.
  enum class AskedAgain { kCopy, kUnsupported, kOwnReport, kSilent, kReply };
  AskedAgain askedAgain = AskedAgain::kCopy;
  std::vector<uint8_t> askedAgainReply = {2};
  // Coin conditions that come and go (none while percent is 0).
  SimConditions conditions;
  // Node 0: its two status bytes (0x01), and whether it answers a frame of
  // several commands with the first command's report alone (it carries
  // them all out).
  uint8_t boardStatus[2] = {0x5A, 0x01};
  bool boardAnswersFirstOnly = false;
  // Node 0's report to its setting commands: 1 carries them out; another
  // (2 to 4) refuses them, carrying nothing out.
  uint8_t boardSettingReport = 1;

  std::vector<SimJvsNode> nodes;
  uint16_t boardSetting = 0;
  int boardValues = 0, boardApplies = 0;  // setting commands carried out
  int resets = 0, longestReset = 0, retransmits = 0, badRequests = 0;
  std::vector<std::pair<int, int>> decreases;  // (slot, amount) carried out, in order
  std::vector<int> cycles;                     // requests carried out, by address

  struct Reply {
    bool send = false;
    std::vector<uint8_t> data;  // status first
    bool decreasing = false;    // it answers a request that took coins off
    // Several nodes at the address answered at once: the master gets their
    // frames on top of each other, which no sum survives.
    bool garbled = false;
  };
  // A whole frame to the node (its data, without the sum); damaged: its sum
  // was wrong.
  Reply Receive(uint8_t node, const std::vector<uint8_t>& data, bool damaged);
  // SENSE: 0 while some node has no address.
  int Sense() const;
  // The node's last reply (empty when it has none).
  std::vector<uint8_t> LastReply(int address) const;
  // The frame the node sends when asked to send its reply again (as the
  // board meets such a request), grown as the board grows its copies.
  Reply Resend(uint8_t node);
  // Whether a request carries a coin decrease.
  static bool Decreasing(uint8_t node, const std::vector<uint8_t>& data);
  // Switches and coins of the node at this index.
  void SetSwitches(int index, uint8_t system, uint16_t player1, uint16_t player2);

 private:
  bool AnswerBoard(const std::vector<uint8_t>& d, std::vector<uint8_t>* body);
  bool AnswerNode(SimJvsNode& n, const std::vector<uint8_t>& d, std::vector<uint8_t>* body);
  struct Last {
    std::vector<uint8_t> data;
    int grown = 0;
  };
  void DrawConditions(SimJvsNode& n);
  std::map<int, Last> last_;
  uint32_t conditionDraw_ = 0;
  int conditionReports_ = 0;
};

}  // namespace testsupport
