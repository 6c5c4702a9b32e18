#pragma once
#include <cstddef>
#include <cstdint>
#include <string>

// A serial port in place of the COM-port API: a terminal device opened raw at
// 115,200 baud, 8 data bits, no parity, one stop bit, without flow control,
// exclusive to this process. Reads never block longer than asked.
namespace plat {

// The environment variable naming the serial device of the cabinet's I/O bus
// (for example /dev/ttyUSB0). Unset or empty: the bus is not used.
inline constexpr const char* kBusPortVariable = "OSTREL_JVS_PORT";
// The device path from kBusPortVariable, or "" when it is not set.
std::string BusPortPath();

// The two modem lines the bus uses. A device without modem lines (a
// pseudo-terminal) can be given lines of another origin.
class SerialLines {
 public:
  virtual ~SerialLines() = default;
  // 1 asserted, 0 not, -1 unknown.
  virtual int GetCts() = 0;
  virtual bool SetRts(bool asserted) = 0;
};

class SerialPort {
 public:
  SerialPort() = default;
  ~SerialPort() { Close(); }
  SerialPort(const SerialPort&) = delete;
  SerialPort& operator=(const SerialPort&) = delete;

  // Opens an existing device; false when it is missing, busy (another
  // process holds it exclusively) or not a terminal.
  bool Open(const std::string& path);
  void Close();
  bool IsOpen() const { return fd_ >= 0; }

  // Writes every byte, waiting at most timeoutMs for room; returns the bytes
  // written.
  size_t Write(const void* data, size_t size, uint32_t timeoutMs = 100);
  // The bytes already waiting, at most max; 0 when none.
  size_t ReadAvailable(void* buf, size_t max);
  // Waits at most timeoutMs for input, then reads what is there (at most max).
  size_t ReadWait(void* buf, size_t max, uint32_t timeoutMs);

  // The CTS input: 1, 0, or -1 when the modem status cannot be read.
  int GetCts();
  // Sets (asserted) or clears the RTS output; false on failure.
  bool SetRts(bool asserted);
  // Lines used instead of the device's modem-status calls (not owned; null:
  // the device's own).
  void SetLines(SerialLines* lines) { lines_ = lines; }

 private:
  int fd_ = -1;
  SerialLines* lines_ = nullptr;
};

}  // namespace plat
