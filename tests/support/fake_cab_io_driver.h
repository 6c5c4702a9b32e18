#pragma once
#include <cstdint>
#include <map>
#include <set>
#include <vector>

#include "cabinet/CabIoDriver.h"

// A scripted cabinet I/O driver for tests: registers hold what the test put
// there (or what was last written), every access is logged, and any call can
// be made to fail. Install it with ScopedCabIoDriver.
class FakeCabIoDriver : public CabIoDriver {
 public:
  struct Access {
    bool write;
    uint32_t reg;
    uint32_t value;
  };

  uint32_t Open(uint32_t device, uint32_t* handle, uint32_t* status) override;
  uint32_t Close(uint32_t handle, uint32_t* status) override;
  uint32_t ReadRegister(uint32_t handle, uint32_t reg, uint32_t* value, uint32_t* status) override;
  uint32_t WriteRegister(uint32_t handle, uint32_t reg, uint32_t value, uint32_t* status) override;

  // A board with unit 0 linked (status 0x00030001 until acknowledged).
  void SetUpLinkedBoard();

  std::map<uint32_t, uint32_t> regs;
  std::vector<Access> log;
  bool failOpen = false;
  bool failClose = false;
  std::set<uint32_t> failRead;   // registers whose reads fail
  std::set<uint32_t> failWrite;  // registers whose writes fail
  int failAfter = -1;            // >= 0: every access after this many fails
  bool open = false;
  uint32_t lastDevice = 0;
  int accesses = 0;

  std::vector<Access> Writes() const;
  void ClearLog() { log.clear(); }
};

// Installs a driver for the scope of a test and restores the default after.
class ScopedCabIoDriver {
 public:
  explicit ScopedCabIoDriver(CabIoDriver* d) { SetCabIoDriver(d); }
  ~ScopedCabIoDriver() { SetCabIoDriver(nullptr); }
};
