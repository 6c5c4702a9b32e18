#include "platform/serial_port.h"

#include <errno.h>
#include <fcntl.h>
#include <poll.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

#include <cstdlib>

#include "platform/clock.h"

namespace plat {

std::string BusPortPath() {
  const char* v = std::getenv(kBusPortVariable);
  return v ? std::string(v) : std::string();
}

bool SerialPort::Open(const std::string& path) {
  Close();
  if (path.empty()) return false;
  const int fd = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) return false;
  termios t{};
  if (!::isatty(fd) || ::ioctl(fd, TIOCEXCL) != 0 || ::tcgetattr(fd, &t) != 0) {
    ::close(fd);
    return false;
  }
  ::cfmakeraw(&t);
  t.c_cflag &= ~(CSIZE | PARENB | CSTOPB | CRTSCTS);
  t.c_cflag |= CS8 | CREAD | CLOCAL;
  t.c_iflag &= ~(IXON | IXOFF | IXANY);
  t.c_cc[VMIN] = 0;
  t.c_cc[VTIME] = 0;
  if (::cfsetispeed(&t, B115200) != 0 || ::cfsetospeed(&t, B115200) != 0 || ::tcsetattr(fd, TCSANOW, &t) != 0) {
    ::close(fd);
    return false;
  }
  ::tcflush(fd, TCIOFLUSH);
  fd_ = fd;
  return true;
}

void SerialPort::Close() {
  if (fd_ >= 0) ::close(fd_);
  fd_ = -1;
}

size_t SerialPort::Write(const void* data, size_t size, uint32_t timeoutMs) {
  if (fd_ < 0 || !data) return 0;
  const uint8_t* p = static_cast<const uint8_t*>(data);
  size_t done = 0;
  const uint32_t start = TimeGetTime();
  while (done < size) {
    const ssize_t n = ::write(fd_, p + done, size - done);
    if (n > 0) {
      done += static_cast<size_t>(n);
      continue;
    }
    if (n < 0 && errno != EAGAIN && errno != EINTR) break;
    const uint32_t spent = TimeGetTime() - start;
    if (spent >= timeoutMs) break;
    pollfd pf{fd_, POLLOUT, 0};
    ::poll(&pf, 1, static_cast<int>(timeoutMs - spent));
  }
  return done;
}

size_t SerialPort::ReadAvailable(void* buf, size_t max) {
  if (fd_ < 0 || !buf || max == 0) return 0;
  ssize_t n;
  do {
    n = ::read(fd_, buf, max);
  } while (n < 0 && errno == EINTR);
  return n > 0 ? static_cast<size_t>(n) : 0;
}

size_t SerialPort::ReadWait(void* buf, size_t max, uint32_t timeoutMs) {
  if (fd_ < 0 || !buf || max == 0) return 0;
  pollfd pf{fd_, POLLIN, 0};
  if (::poll(&pf, 1, static_cast<int>(timeoutMs)) <= 0 || !(pf.revents & POLLIN)) return 0;
  return ReadAvailable(buf, max);
}

int SerialPort::GetCts() {
  if (fd_ < 0) return -1;
  if (lines_) return lines_->GetCts();
  int bits = 0;
  if (::ioctl(fd_, TIOCMGET, &bits) != 0) return -1;
  return (bits & TIOCM_CTS) ? 1 : 0;
}

bool SerialPort::SetRts(bool asserted) {
  if (fd_ < 0) return false;
  if (lines_) return lines_->SetRts(asserted);
  int bit = TIOCM_RTS;
  return ::ioctl(fd_, asserted ? TIOCMBIS : TIOCMBIC, &bit) == 0;
}

}  // namespace plat
