#pragma once
#include <cstdint>
#include <memory>
#include <string>

#include "cabinet/Accessory.h"
#include "cabinet/BusCabIoBoard.h"
#include "cabinet/Dmac.h"

// The cabinet I/O board as the engine sees it: two I/O units, each with the
// switches of two players, two coin counters, output words and an accessory.
// Result codes: 0 ok, 1 bad channel, 2 bad unit, 3 busy, 4 nothing there,
// 6 device or driver failure; Sync: 1 ready, 0 not yet, -1 not linked.
class XioDeviceBase {
 public:
  virtual ~XioDeviceBase() = default;
  virtual int32_t Open() = 0;
  virtual int32_t Close() = 0;
  virtual int32_t Sync() = 0;
  virtual int32_t GetUnitCount() = 0;
  virtual int32_t GetUnitInfo(uint32_t unit, uint32_t* out5) = 0;
  virtual int32_t Poll() = 0;
  virtual int32_t Release() = 0;
  virtual int32_t GetSwitchBlock(uint32_t unit, uint8_t* out16) = 0;
  virtual uint32_t GetSwitchWord(uint32_t index) = 0;
  virtual int32_t GetBoardStatus() = 0;
  virtual int32_t GetCoinCount(uint32_t unit, int32_t channel) = 0;
  virtual int32_t GetCoinStatus(uint32_t unit, int32_t channel) = 0;
  virtual int32_t DecreaseCoin(uint32_t unit, int32_t channel, uint16_t count) = 0;
  virtual int32_t CheckCoinChannel(uint32_t unit, int32_t channel) = 0;
  virtual int32_t SendBoardSetting(uint16_t value) = 0;
  virtual int32_t GetAccessoryState(uint32_t unit) = 0;
  virtual int32_t GetAccessoryResult(uint32_t unit) = 0;
  virtual int32_t StartAccessoryRead(uint32_t unit, uint32_t timeoutMs) = 0;
  virtual int32_t GetAccessoryIdent(uint32_t unit, uint32_t* out4) = 0;
  virtual int32_t StartAccessoryFetch(uint32_t unit, const uint8_t* id8, uint32_t timeoutMs) = 0;
  virtual int32_t GetAccessoryData(uint32_t unit, uint32_t* out4) = 0;
  virtual int32_t StartAccessoryReadAll(uint32_t unit, uint32_t timeoutMs) = 0;
  virtual int32_t RequestAccessoryAbort(uint32_t unit) = 0;
  virtual int32_t CancelAccessory(uint32_t unit) = 0;
};

class XioDevice : public XioDeviceBase {
 public:
  // Flags bit 0 (kNoBusMaster): no JVS master: the registers are read on
  // the calling thread. Clear: the bus mode: the master runs on the serial
  // port named by portName, and the registers are those of the bus's board
  // (BusCabIoBoard), whose units are the bus's I/O nodes. Bit 1
  // (kPipeAccessory): the accessory behind the local accessory server
  // instead of the one on the bus.
  static constexpr uint32_t kNoBusMaster = 1;
  static constexpr uint32_t kPipeAccessory = 2;
  XioDevice(const char* portName, uint32_t flags);
  ~XioDevice() override;

  int32_t Open() override;
  int32_t Close() override;
  int32_t Sync() override;
  int32_t GetUnitCount() override;
  int32_t GetUnitInfo(uint32_t unit, uint32_t* out5) override;
  int32_t Poll() override;
  // Closes, destroys the device and clears the device singleton; the
  // result is the close's.
  int32_t Release() override;
  int32_t GetSwitchBlock(uint32_t unit, uint8_t* out16) override;
  uint32_t GetSwitchWord(uint32_t index) override;
  int32_t GetBoardStatus() override { return boardStatus_; }
  int32_t GetCoinCount(uint32_t unit, int32_t channel) override;
  int32_t GetCoinStatus(uint32_t unit, int32_t channel) override;
  int32_t DecreaseCoin(uint32_t unit, int32_t channel, uint16_t count) override;
  // 0 when the coins taken off the channel are off the board; on the bus,
  // 3 (busy) until its node has taken them off and its count was read
  // after it.
  int32_t CheckCoinChannel(uint32_t unit, int32_t channel) override;
  int32_t SendBoardSetting(uint16_t value) override;
  // The accessory calls take unit 0 or 1; any other unit gives 2 (bad unit),
  // -1 from the state and result queries.
  int32_t GetAccessoryState(uint32_t unit) override;
  int32_t GetAccessoryResult(uint32_t unit) override;
  int32_t StartAccessoryRead(uint32_t unit, uint32_t timeoutMs) override;
  int32_t GetAccessoryIdent(uint32_t unit, uint32_t* out4) override;
  int32_t StartAccessoryFetch(uint32_t unit, const uint8_t* id8, uint32_t timeoutMs) override;
  int32_t GetAccessoryData(uint32_t unit, uint32_t* out4) override;
  int32_t StartAccessoryReadAll(uint32_t unit, uint32_t timeoutMs) override;
  int32_t RequestAccessoryAbort(uint32_t unit) override;
  int32_t CancelAccessory(uint32_t unit) override;
  virtual int32_t SetOutputWord(uint32_t unit, uint32_t value);

  // The same operations under the names the engine's controller manager uses.
  uint32_t GetWord(uint32_t n) { return GetSwitchWord(n); }
  int32_t GetPlayerBlock(uint32_t n, uint8_t* out16) { return GetSwitchBlock(n, out16); }
  int32_t AddCoins(uint32_t player, int32_t slot, uint16_t delta) { return DecreaseCoin(player, slot, delta); }
  int32_t CheckCoinSlot(uint32_t player, int32_t slot) { return CheckCoinChannel(player, slot); }
  int32_t SendJvsValue(uint16_t value) { return SendBoardSetting(value); }
  int32_t Destroy() { return Release(); }

  bool IsOpened() const { return opened_ != 0; }
  AccessoryBase* GetAccessory() const { return accessory_.get(); }
  const XioUnitRecord& Request(int unit) const { return requests_[unit & 1]; }
  // How many board-setting requests were made (diagnostics, tests).
  uint32_t BoardSettingRequests() const { return boardSettingRequests_; }

 private:
  // The bus part of a poll, between the master's cycles: node 0's status
  // and the board's trade with the nodes, then the next cycle queued and
  // requested. A failed bus fails the board.
  void PollBus();

  XioUnitRecord results_[2] = {};
  XioUnitRecord requests_[2] = {};
  uint8_t jvsStarted_ = 0;
  uint8_t opened_ = 0;
  uint32_t flags_ = 0;
  std::string portName_;
  uint8_t switchBlocks_[2][16] = {};
  uint32_t firstSyncPending_ = 0;
  uint32_t polled_ = 0;
  uint32_t switchWords_[4] = {};
  int32_t boardStatus_ = -1;
  std::unique_ptr<AccessoryBase> accessory_;
  AccessoryUnit accessoryUnits_[2] = {};
  uint32_t boardSettingRequests_ = 0;
  BusCabIoBoard busBoard_;
};

// Makes the device and keeps it as the device singleton (null on failure).
XioDevice* CreateXioDevice(const char* portName, uint32_t flags);
XioDevice* GetXioDevice();

// Spreads input word 0 of a unit over its 16-byte switch block.
void XioFillSwitchBlock(uint32_t inputWord0, uint8_t* block16);
// The input word 0 whose switch block starts with these five bytes.
uint32_t XioInputWordFromBlock(const uint8_t* block5);
