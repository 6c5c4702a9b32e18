#pragma once
#include <cstdint>

#include "cabinet/CabRegisterBoard.h"

// A board that behaves like the cabinet's: unit 0 linked with the cabinet's
// controls on its input word 0 (from plat::ReadCabInputs, read when the
// register is read) and its coin mechanism on counter 0, unit 1 absent.
// A coin input counts one coin on its press. Writing a counter register adds
// the signed value to the count (the driver writes negative amounts to take
// coins off); writing a status register acknowledges it.
class SimCabIoBoard : public CabRegisterBoard {
 public:
  static constexpr uint32_t kHandle = 0x51;
  static constexpr uint32_t kId = 0x00010108;
  // Bits 0-7 (link up) and 16-23 (new status, above 2) of a linked unit.
  static constexpr uint32_t kLinkedStatus = 0x00030001;

  SimCabIoBoard() : CabRegisterBoard(kHandle, kId) {}
  static SimCabIoBoard& Instance();

  uint32_t Open(uint32_t device, uint32_t* handle, uint32_t* status) override;

  // Input word 0 of a unit for the inputs held now (the switch bit layout).
  static uint32_t InputWordFor(bool up, bool down, bool left, bool right, bool b1, bool b2, bool start,
                               bool service, bool test);

  // Operator and test controls of the simulated hardware.
  void AddCoins(int unit, int channel, int coins);
  void SetCoinFault(int unit, int channel, bool fault);
  int CoinCount(int unit, int channel) const;
  void Reset();

 private:
  uint32_t ReadUnit(int unit, uint32_t kind, int index) override;
  void WriteUnit(int unit, uint32_t kind, int index, uint32_t value) override;
  uint32_t SampleInputWord();

  uint32_t outputs_[2][4] = {};
  int32_t coins_[2][2] = {};
  bool coinFault_[2][2] = {};
  bool coinWasHeld_ = false;
};
