#include "fake_cab_io_driver.h"

namespace {
constexpr uint32_t kHandle = 0x77;
}

uint32_t FakeCabIoDriver::Open(uint32_t device, uint32_t* handle, uint32_t* status) {
  *status = 0;
  lastDevice = device;
  if (failOpen) return 5;
  open = true;
  *handle = kHandle;
  return 0;
}

uint32_t FakeCabIoDriver::Close(uint32_t handle, uint32_t* status) {
  *status = 0;
  if (failClose || handle != kHandle) return 5;
  open = false;
  return 0;
}

uint32_t FakeCabIoDriver::ReadRegister(uint32_t handle, uint32_t reg, uint32_t* value, uint32_t* status) {
  *status = 0;
  ++accesses;
  if (!open || handle != kHandle || failRead.count(reg) || (failAfter >= 0 && accesses > failAfter)) return 5;
  *value = regs[reg];
  log.push_back({false, reg, *value});
  return 0;
}

uint32_t FakeCabIoDriver::WriteRegister(uint32_t handle, uint32_t reg, uint32_t value, uint32_t* status) {
  *status = 0;
  ++accesses;
  if (!open || handle != kHandle || failWrite.count(reg) || (failAfter >= 0 && accesses > failAfter)) return 5;
  regs[reg] = value;
  log.push_back({true, reg, value});
  return 0;
}

void FakeCabIoDriver::SetUpLinkedBoard() {
  regs[0x400] = 0x1234;
  regs[0x4000] = 0x00030001;
  regs[0x4004] = 0;
}

std::vector<FakeCabIoDriver::Access> FakeCabIoDriver::Writes() const {
  std::vector<Access> w;
  for (const Access& a : log)
    if (a.write) w.push_back(a);
  return w;
}
