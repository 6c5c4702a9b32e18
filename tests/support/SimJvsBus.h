#pragma once
#include <atomic>
#include <cstdint>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "platform/serial_port.h"

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
  uint8_t accSwitch = 0;     // 0x26 reply
  uint8_t acc61[24] = {};    // 0x61 reply
  uint8_t address = 0;       // 0: not addressed
};

// A bus of simulated nodes behind a pseudo-terminal pair: the game's serial
// port opens PortPath() (the terminal side) and the bus answers on the other
// side from its own thread, with its own frame parser. It also stands for the
// SENSE and RTS lines, which a pseudo-terminal does not have: install it
// with JvsSetPortLines. SENSE reads 0 while some node has no address.
//
// Node 0 is the board's own channel: 0x01 answers two status bytes, 0x04 and
// 0x05 are acknowledged (0x05's value is kept). Faults can be injected.
class SimJvsBus : public plat::SerialLines {
 public:
  SimJvsBus();
  ~SimJvsBus() override;
  SimJvsBus(const SimJvsBus&) = delete;
  SimJvsBus& operator=(const SimJvsBus&) = delete;

  bool Ok() const { return master_ >= 0; }
  const std::string& PortPath() const { return slavePath_; }
  // Adds a node at the end of the chain; returns its index.
  int AddNode(const SimJvsNode& node);

  // Node state, read and written under the bus lock.
  void SetSwitches(int index, uint8_t system, uint16_t player1, uint16_t player2);
  void SetCoins(int index, uint16_t slot0, uint16_t slot1);
  void SetAccessory(int index, uint8_t switchByte, const uint8_t* reply61);
  SimJvsNode Node(int index);

  // Faults: the next n replies go out with a wrong sum, or with status 3
  // (the node saw a bad sum); a silent bus answers nothing.
  void CorruptReplies(int n) { corrupt_ = n; }
  void SumErrorReplies(int n) { sumErrors_ = n; }
  void SetSilent(bool silent) { silent_ = silent; }
  // Frames with a wrong sum that the bus received.
  int BadRequests() const { return badRequests_.load(); }
  int Resets() const { return resets_.load(); }
  int RetransmitRequests() const { return retransmits_.load(); }
  int Cycles(int nodeAddress);
  uint16_t BoardSetting() const { return boardSetting_.load(); }
  int BoardApplies() const { return boardApplies_.load(); }
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
  void OnFrame(uint8_t node, const std::vector<uint8_t>& data);
  void Reply(uint8_t status, const std::vector<uint8_t>& body);
  bool AnswerNode(SimJvsNode& n, const std::vector<uint8_t>& data, std::vector<uint8_t>* body);
  bool AnswerBoard(const std::vector<uint8_t>& data, std::vector<uint8_t>* body);

  int master_ = -1;
  int slave_ = -1;
  std::string slavePath_;
  std::mutex lock_;
  std::vector<SimJvsNode> nodes_;
  std::vector<int> cycles_;
  std::vector<std::pair<int, int>> decreases_;
  std::vector<uint8_t> lastReply_;
  std::atomic<int> corrupt_{0}, sumErrors_{0}, badRequests_{0}, resets_{0}, retransmits_{0};
  std::atomic<bool> silent_{false}, stop_{false}, rts_{true};
  std::atomic<uint16_t> boardSetting_{0};
  std::atomic<int> boardApplies_{0};
  std::thread thread_;
};

}  // namespace testsupport
