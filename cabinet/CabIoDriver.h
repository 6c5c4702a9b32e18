#pragma once
#include <cstdint>

// The cabinet's I/O driver: four calls that open the board, close it and read
// or write one 32-bit register. Each returns 0 on success and fills a status
// word. The game reaches the board only through the driver that is current:
// by default the simulated board fed by the keyboard and game controllers
// (SimCabIoBoard); tests install a scripted one.
class CabIoDriver {
 public:
  virtual ~CabIoDriver() = default;
  virtual uint32_t Open(uint32_t device, uint32_t* handle, uint32_t* status) = 0;
  virtual uint32_t Close(uint32_t handle, uint32_t* status) = 0;
  virtual uint32_t ReadRegister(uint32_t handle, uint32_t reg, uint32_t* value, uint32_t* status) = 0;
  virtual uint32_t WriteRegister(uint32_t handle, uint32_t reg, uint32_t value, uint32_t* status) = 0;
};

// The current driver; never null.
CabIoDriver* GetCabIoDriver();
// Installs a driver (not owned); null restores the simulated board.
void SetCabIoDriver(CabIoDriver* driver);
