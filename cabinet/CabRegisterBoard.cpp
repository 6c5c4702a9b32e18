#include "cabinet/CabRegisterBoard.h"

bool cabreg::Decode(uint32_t reg, int* unit, uint32_t* kind, int* index) {
  uint32_t base;
  if (reg >= kUnitBase0 && reg < kUnitBase0 + 0x80) {
    *unit = 0;
    base = kUnitBase0;
  } else if (reg >= kUnitBase1 && reg < kUnitBase1 + 0x80) {
    *unit = 1;
    base = kUnitBase1;
  } else {
    return false;
  }
  const uint32_t off = reg - base;
  if (off & 3) return false;
  if (off < 0x10) {
    *kind = kOutput;
    *index = int(off / 4);
  } else if (off >= 0x20 && off < 0x30) {
    *kind = kInput;
    *index = int((off - 0x20) / 4);
  } else if (off == 0x40 || off == 0x44) {
    *kind = kCounter;
    *index = int((off - 0x40) / 4);
  } else {
    return false;
  }
  return true;
}

uint32_t CabRegisterBoard::Close(uint32_t handle, uint32_t* status) {
  if (status) *status = 0;
  if (!open_ || handle != handle_) return 1;
  open_ = false;
  return 0;
}

uint32_t CabRegisterBoard::ReadRegister(uint32_t handle, uint32_t reg, uint32_t* value, uint32_t* status) {
  if (status) *status = 0;
  if (!Usable() || handle != handle_ || !value) return 1;
  if (reg == cabreg::kBoardId) {
    *value = id_;
    return 0;
  }
  if (reg == cabreg::kStatus0 || reg == cabreg::kStatus1) {
    *value = status_[reg == cabreg::kStatus1];
    return 0;
  }
  int unit, index;
  uint32_t kind;
  if (!cabreg::Decode(reg, &unit, &kind, &index)) return 2;
  *value = ReadUnit(unit, kind, index);
  return 0;
}

uint32_t CabRegisterBoard::WriteRegister(uint32_t handle, uint32_t reg, uint32_t value, uint32_t* status) {
  if (status) *status = 0;
  if (!Usable() || handle != handle_) return 1;
  if (reg == cabreg::kStatus0 || reg == cabreg::kStatus1) {
    status_[reg == cabreg::kStatus1] = value;
    return 0;
  }
  int unit, index;
  uint32_t kind;
  if (!cabreg::Decode(reg, &unit, &kind, &index) || kind == cabreg::kInput) return 2;
  WriteUnit(unit, kind, index, value);
  return 0;
}
