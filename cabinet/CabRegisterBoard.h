#pragma once
#include <cstdint>

#include "cabinet/CabIoDriver.h"

namespace cabreg {
// A unit register's unit (0, 1), kind (kOutput, kInput or kCounter) and
// index within its kind; false for any other register.
bool Decode(uint32_t reg, int* unit, uint32_t* kind, int* index);
}  // namespace cabreg

// A board of the cabinet's register map, the part every board shares: the
// board identity, the two status registers (written back to acknowledge a
// new status) and the unit registers, which the board itself serves. An
// access fails (1) unless the board is usable and the handle is its own, and
// names a register outside the map (2) or writes an input.
class CabRegisterBoard : public CabIoDriver {
 public:
  // Closes an open board given its own handle.
  uint32_t Close(uint32_t handle, uint32_t* status) final;
  uint32_t ReadRegister(uint32_t handle, uint32_t reg, uint32_t* value, uint32_t* status) final;
  uint32_t WriteRegister(uint32_t handle, uint32_t reg, uint32_t value, uint32_t* status) final;

 protected:
  CabRegisterBoard(uint32_t handle, uint32_t id) : handle_(handle), id_(id) {}
  // Open (and not failed).
  virtual bool Usable() const { return open_; }
  virtual uint32_t ReadUnit(int unit, uint32_t kind, int index) = 0;
  // Outputs and counters only.
  virtual void WriteUnit(int unit, uint32_t kind, int index, uint32_t value) = 0;

  bool open_ = false;
  uint32_t status_[2] = {0, 0};

 private:
  uint32_t handle_;
  uint32_t id_;
};
