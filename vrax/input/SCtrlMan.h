#pragma once
#include <cstdint>
#include <vector>

#include "vrax/kernel/SProc.h"

class SPadBase;
class XioDevice;

// Player 1's inputs as engine bits, rebuilt every frame from the board's
// switch word: 31 start, 30 up, 29 down, 28 left, 27 right, 26 button 1,
// 25 button 2, 22 service.
extern uint32_t EngineInputBits;

// The controller manager: reads the cabinet's I/O board once per frame in
// user event 7, publishes player 1's inputs on sixteen ports and merges the
// ports each registered pad listens to into that pad's raw words. It also
// wraps the board's coin and status queries and the test switch.
class SCtrlMan : public SProc {
 public:
  static constexpr int32_t kPorts = 16;
  static constexpr int32_t kPortValues = 256;
  static constexpr uint16_t kBoardSetting = 18000;

  struct PortRecord {
    int32_t state = -1;  // -1 absent
    int32_t count = 0;
    int32_t values[kPortValues] = {};
  };

  SCtrlMan();
  ~SCtrlMan() override;
  static SCtrlMan* GetInstance() { return s_instance; }

  int32_t Init(SProcArg arg) override;
  int32_t OnDispose(SProcArg arg) override;
  int32_t User(int32_t code, SProcArg arg) override;
  virtual int32_t Reserved(SProcArg) { return 0; }

  // Creates and opens the board; 0 when both succeeded, -1 otherwise (the
  // device stays as created).
  int32_t OpenBoard();
  void CloseBoard();
  // Reads the board and rebuilds the engine bits (start of the frame step;
  // the test mode also calls it while waiting for the board).
  void Poll();
  void BuildPortRecords();
  void MergePads();

  void Register(int32_t port, SPadBase* pad);
  void Unregister(int32_t port, SPadBase* pad);
  void UnregisterAll(SPadBase* pad);
  void PortOutput(int32_t, int32_t, int32_t) {}

  void EnableTestSwitch(uint8_t enable) { testSwitchEnabled_ = enable; }
  bool IsTestSwitch();
  int32_t BoardStatus();
  int32_t BoardQuery11(int32_t player);  // coins on slot 0 (0 on a fault)
  int32_t BoardQuery12(int32_t player);  // coin status of slot 0; 4 without a board
  int32_t BoardQuery14(int32_t player);  // check of coin slot 0; 2 without a board
  void BoardOutput(int32_t player, int32_t delta);
  int32_t BoardOutput2(int32_t player);
  // The service-switch error flag (the hardware-error check reads it;
  // nothing in the program sets it, the hardware tests do).
  uint8_t GetFlag() const { return flag_; }
  void SetFlag(uint8_t flag) { flag_ = flag; }

  XioDevice* GetBoard() const { return board_; }
  int32_t GetPending() const { return pending_; }
  const PortRecord& GetPort(int32_t p) const { return ports_[p & (kPorts - 1)]; }
  const std::vector<SPadBase*>& GetPads() const { return pads_; }

 private:
  void OfferPending(int32_t player);

  PortRecord ports_[kPorts];
  std::vector<SPadBase*> pads_;
  XioDevice* board_ = nullptr;
  int32_t pending_ = 0;
  uint8_t testSwitchEnabled_ = 0;
  int32_t prevStatus_ = 0;
  uint8_t flag_ = 0;

  static SCtrlMan* s_instance;
};
