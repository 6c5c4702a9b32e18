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
  // Node 0: its two status bytes (0x01), and whether it answers a frame of
  // several commands with the first command's report alone (it carries
  // them all out).
  uint8_t boardStatus[2] = {0x5A, 0x01};
  bool boardAnswersFirstOnly = false;

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
  // The frame the node sends when asked to send its reply again, grown as
  // the board grows its copies.
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
  std::map<int, Last> last_;
};

}  // namespace testsupport
