#pragma once
#include <cstdint>

#include "cabinet/CabRegisterBoard.h"

// The cabinet's I/O board when the I/O device runs on a serial bus: the
// registers of the two I/O units as a bus adapter presents them, served from
// the bus's I/O nodes. Unit u is the u-th node with switches, in address
// order. Input word 0 is the node's switch bytes, a coin counter is the
// node's coin count less the coins taken off that the node has not counted
// yet (so a count never reads a coin twice, also across a close and the
// next open of the device), output word 0 goes to the
// node's output bytes, and writing a counter register with a negative value
// takes that many coins off.
//
// The bus master fills the node records between its cycles; the board trades
// with them only then (Trade, from the device's poll in the master's ready
// state) and serves the registers from its own copies at any time.
//
// Unit 0 reports its link at open, as a board wired to the bus does: while
// the bus comes up its inputs and coins read 0, which is "nothing yet", not a
// fault. Once the nodes are known each unit reports the link it has, so a bus
// without a node with switches unlinks unit 0. After a bus fault (Fail)
// every register access fails.
class BusCabIoBoard : public CabRegisterBoard {
 public:
  static constexpr uint32_t kHandle = 0x4A;
  static constexpr uint32_t kId = 0x00020107;
  static constexpr uint32_t kLinkedStatus = 0x00030001;    // new status, link up
  static constexpr uint32_t kUnlinkedStatus = 0x00030000;  // new status, link down

  BusCabIoBoard() : CabRegisterBoard(kHandle, kId) {}
  uint32_t Open(uint32_t device, uint32_t* handle, uint32_t* status) override;

  // Hands the coins taken off and the output words to the units' nodes and
  // takes the nodes' last replies. Only while the master is ready and the
  // standard layer has copied its node table.
  void Trade();
  void Fail() { failed_ = true; }
  // The bus node of a unit; 0 when it has none (or none is known yet).
  int32_t UnitNode(int unit) const { return unit == 0 || unit == 1 ? units_[unit].node : 0; }
  // Coins taken off a unit's counter that its node has not yet taken off
  // and counted, as the last trade left them, with those taken since.
  uint32_t CoinsOwed(int unit, int channel) const {
    return units_[unit & 1].inFlight[channel & 1] + units_[unit & 1].taken[channel & 1];
  }
  // Whether coins taken off wait to be handed to the nodes.
  bool HoldsTaken() const;

 private:
  struct Unit {
    int32_t node = 0;
    bool linkReported = false;
    uint32_t input = 0;
    // Whether the switches of the input word were read, and when (bus clock).
    bool inputRead = false;
    uint32_t inputAt = 0;
    uint32_t outputs[4] = {};
    uint16_t coins[2] = {};     // the node's last coin reply: condition (bits 14-15), count
    uint32_t inFlight[2] = {};  // handed to the node, not yet counted by it
    uint32_t taken[2] = {};     // written here, not yet handed to the node
  };
  bool Usable() const override { return open_ && !failed_; }
  uint32_t ReadUnit(int unit, uint32_t kind, int index) override;
  void WriteUnit(int unit, uint32_t kind, int index, uint32_t value) override;

  bool failed_ = false;
  Unit units_[2];
};
