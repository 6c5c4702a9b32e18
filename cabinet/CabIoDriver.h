#pragma once
#include <cstdint>

// Register numbers of the cabinet's I/O board.
namespace cabreg {
constexpr uint32_t kBoardId = 0x400;
constexpr uint32_t kStatus0 = 0x4000;
constexpr uint32_t kStatus1 = 0x4004;
constexpr uint32_t kUnitBase0 = 0x4100;
constexpr uint32_t kUnitBase1 = 0x4180;
constexpr uint32_t kOutput = 0x00;   // + 4 * word, words 0-3
constexpr uint32_t kInput = 0x20;    // + 4 * word, words 0-3
constexpr uint32_t kCounter = 0x40;  // + 4 * channel, channels 0-1
}  // namespace cabreg

// The cabinet's I/O driver: four calls that open the board, close it and read
// or write one 32-bit register. Each returns 0 on success and fills a status
// word. The game reaches the board only through the driver that is current:
// by default the simulated board fed by the keyboard and game controllers
// (SimCabIoBoard), or the bus's board while the I/O device runs on a serial
// bus (BusCabIoBoard); tests install a scripted one.
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
// Installs a driver (not owned); null restores the default board.
void SetCabIoDriver(CabIoDriver* driver);
// The default board (not owned); null: the simulated board.
void SetDefaultCabIoBoard(CabIoDriver* board);
CabIoDriver* GetDefaultCabIoBoard();
