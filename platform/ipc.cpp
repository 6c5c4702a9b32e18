#include "platform/ipc.h"

#include <errno.h>
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/mman.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "platform/clock.h"
#include "platform/paths.h"

namespace plat {

std::string IpcName(const std::string& base) {
  // FNV-1a over the save directory keeps names short and stable.
  uint32_t h = 2166136261u;
  for (unsigned char c : SaveDir()) {
    h ^= c;
    h *= 16777619u;
  }
  char buf[64];
  std::snprintf(buf, sizeof buf, "ostrel-%u-%08x-", static_cast<unsigned>(::getuid()), h);
  return buf + base;
}

std::string IpcDir() {
  // A writable file at the name would pass the access test, and every path
  // below it would then fail.
  const char* run = std::getenv("XDG_RUNTIME_DIR");
  struct stat st{};
  if (run && *run && ::stat(run, &st) == 0 && S_ISDIR(st.st_mode) && ::access(run, W_OK | X_OK) == 0) return run;
  return "/tmp";
}

bool SharedMemory::Open(const std::string& name, size_t size, bool create) {
  Close();
  if (size == 0 || name.empty() || name.find('/') != std::string::npos) return false;
  std::string path = "/" + name;
  int fd = ::shm_open(path.c_str(), O_RDWR | (create ? O_CREAT : 0) | O_CLOEXEC, 0600);
  if (fd < 0) return false;
  struct stat st{};
  if (::fstat(fd, &st) != 0 ||
      (static_cast<size_t>(st.st_size) < size && (!create || ::ftruncate(fd, static_cast<off_t>(size)) != 0))) {
    ::close(fd);
    return false;
  }
  void* p = ::mmap(nullptr, size, PROT_READ | PROT_WRITE, MAP_SHARED, fd, 0);
  ::close(fd);
  if (p == MAP_FAILED) return false;
  data_ = static_cast<uint8_t*>(p);
  size_ = size;
  return true;
}

void SharedMemory::Close() {
  if (data_) ::munmap(data_, size_);
  data_ = nullptr;
  size_ = 0;
}

void SharedMemory::Unlink(const std::string& name) { ::shm_unlink(("/" + name).c_str()); }

bool FileLock::Open(const std::string& path) {
  Close();
  fd_ = ::open(path.c_str(), O_RDWR | O_CREAT | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC, 0600);
  return fd_ >= 0;
}

void FileLock::Close() {
  if (fd_ >= 0) ::close(fd_);  // drops the flock and the record lock
  fd_ = -1;
  user_ = false;
}

namespace {

// A record lock of the open file (not of the process) on the first byte,
// without waiting.
bool RecordLock(int fd, short type) {
  struct flock fl{};
  fl.l_type = type;
  fl.l_whence = SEEK_SET;
  fl.l_start = 0;
  fl.l_len = 1;
  return ::fcntl(fd, F_OFD_SETLK, &fl) == 0;
}

// Whether the open file is still the one at path.
bool StillAt(int fd, const std::string& path) {
  struct stat a{}, b{};
  return ::fstat(fd, &a) == 0 && ::stat(path.c_str(), &b) == 0 && a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}

}  // namespace

bool FileLock::JoinUsers(const std::string& path, uint32_t timeoutMs) {
  const int64_t deadline = PerfCounter() + int64_t(timeoutMs) * PerfFrequency() / 1000;
  for (;;) {
    if (!Open(path)) return false;
    if (RecordLock(fd_, F_RDLCK)) {
      // The last user removes the file while it holds it alone: a file
      // joined after that is gone from its name, and the name's new file
      // is the one to join.
      if (StillAt(fd_, path)) {
        user_ = true;
        return true;
      }
    } else if (errno != EAGAIN && errno != EACCES) {
      return false;  // no record locks here: open, but not counted
    }
    if (PerfCounter() >= deadline) return false;
    ::usleep(200);
  }
}

bool FileLock::LeaveUsers(uint32_t timeoutMs) {
  if (!user_ || fd_ < 0) return false;
  user_ = false;
  const bool alone = Lock(timeoutMs);
  const bool last = RecordLock(fd_, F_WRLCK);
  if (last) return true;  // both locks held until Close
  RecordLock(fd_, F_UNLCK);
  if (alone) Unlock();
  return false;
}

bool FileLock::Lock(uint32_t timeoutMs) {
  if (fd_ < 0) return false;
  const int64_t deadline = PerfCounter() + int64_t(timeoutMs) * PerfFrequency() / 1000;
  for (;;) {
    if (::flock(fd_, LOCK_EX | LOCK_NB) == 0) return true;
    if (errno != EWOULDBLOCK && errno != EINTR) return false;
    if (PerfCounter() >= deadline) return false;
    ::usleep(200);
  }
}

void FileLock::Unlock() {
  if (fd_ >= 0) ::flock(fd_, LOCK_UN);
}

bool SharedFlag::Open(const std::string& name, bool create) { return mem_.Open(name, sizeof(uint32_t), create); }

void SharedFlag::Set() {
  if (mem_.IsOpen()) std::atomic_ref<uint32_t>(*reinterpret_cast<uint32_t*>(mem_.data())).store(1);
}

void SharedFlag::Reset() {
  if (mem_.IsOpen()) std::atomic_ref<uint32_t>(*reinterpret_cast<uint32_t*>(mem_.data())).store(0);
}

bool SharedFlag::IsSet() const {
  return mem_.IsOpen() && std::atomic_ref<uint32_t>(*reinterpret_cast<uint32_t*>(mem_.data())).load() != 0;
}

void IgnoreSigpipe() {
  struct sigaction old{};
  if (::sigaction(SIGPIPE, nullptr, &old) != 0) return;
  if (!(old.sa_flags & SA_SIGINFO) && old.sa_handler == SIG_DFL) {
    struct sigaction ign{};
    ign.sa_handler = SIG_IGN;
    sigemptyset(&ign.sa_mask);
    ::sigaction(SIGPIPE, &ign, nullptr);
  }
}

// Opens path without blocking; -1 on failure or when it is not a FIFO.
static int OpenFifo(const std::string& path, int mode) {
  const int fd = ::open(path.c_str(), mode | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) return -1;
  struct stat st{};
  if (::fstat(fd, &st) != 0 || !S_ISFIFO(st.st_mode)) {
    ::close(fd);
    return -1;
  }
  return fd;
}

bool FifoWriter::Open(const std::string& path) {
  Close();
  IgnoreSigpipe();
  // Without a reader a non-blocking open for writing fails with ENXIO.
  fd_ = OpenFifo(path, O_WRONLY);
  return fd_ >= 0;
}

void FifoWriter::Close() {
  if (fd_ >= 0) ::close(fd_);
  fd_ = -1;
}

bool FifoWriter::Write(const void* data, size_t size) {
  if (fd_ < 0) return false;
  ssize_t n;
  do {
    n = ::write(fd_, data, size);
  } while (n < 0 && errno == EINTR);
  return n == static_cast<ssize_t>(size);
}

bool FifoReader::Open(const std::string& path) {
  Close();
  if (::mkfifo(path.c_str(), 0600) != 0 && errno != EEXIST) return false;
  fd_ = OpenFifo(path, O_RDONLY);
  return fd_ >= 0;
}

void FifoReader::Close() {
  if (fd_ >= 0) ::close(fd_);
  fd_ = -1;
}

size_t FifoReader::Read(void* buf, size_t size, uint32_t timeoutMs) {
  if (fd_ < 0 || size == 0) return 0;
  struct pollfd p{fd_, POLLIN, 0};
  int r = ::poll(&p, 1, static_cast<int>(timeoutMs));
  if (r <= 0 || !(p.revents & POLLIN)) {
    // With no writer left, poll reports POLLHUP at once: pace the caller.
    if (r > 0 && timeoutMs) SleepMs(timeoutMs < 5 ? timeoutMs : 5);
    return 0;
  }
  ssize_t n = ::read(fd_, buf, size);
  return n > 0 ? static_cast<size_t>(n) : 0;
}

namespace {
bool FillAddress(const std::string& path, sockaddr_un* a) {
  if (path.empty() || path.size() >= sizeof a->sun_path) return false;
  *a = sockaddr_un{};
  a->sun_family = AF_UNIX;
  std::memcpy(a->sun_path, path.c_str(), path.size() + 1);
  return true;
}

// Waits for the socket to become readable or writable within what is left
// of the time-out; false when the time ran out.
bool WaitFd(int fd, short events, uint32_t start, uint32_t timeoutMs) {
  const uint32_t spent = TimeGetTime() - start;
  if (spent >= timeoutMs) return false;
  pollfd p{fd, events, 0};
  return ::poll(&p, 1, static_cast<int>(timeoutMs - spent)) > 0;
}
}  // namespace

bool LocalStream::Connect(const std::string& path) {
  Close();
  sockaddr_un a;
  if (!FillAddress(path, &a)) return false;
  const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
  if (fd < 0) return false;
  if (::connect(fd, reinterpret_cast<sockaddr*>(&a), sizeof a) != 0) {
    ::close(fd);
    return false;
  }
  fd_ = fd;
  return true;
}

void LocalStream::Adopt(int fd) {
  Close();
  fd_ = fd;
}

void LocalStream::Close() {
  if (fd_ >= 0) ::close(fd_);
  fd_ = -1;
}

bool LocalStream::SendAll(const void* data, size_t size, uint32_t timeoutMs) {
  if (fd_ < 0) return false;
  const uint8_t* p = static_cast<const uint8_t*>(data);
  const uint32_t start = TimeGetTime();
  size_t done = 0;
  while (done < size) {
    const ssize_t n = ::send(fd_, p + done, size - done, MSG_NOSIGNAL);
    if (n > 0) {
      done += static_cast<size_t>(n);
      continue;
    }
    if (n < 0 && errno != EAGAIN && errno != EINTR) return false;
    if (!WaitFd(fd_, POLLOUT, start, timeoutMs)) return false;
  }
  return true;
}

bool LocalStream::ReceiveAll(void* data, size_t size, uint32_t timeoutMs) {
  if (fd_ < 0) return false;
  uint8_t* p = static_cast<uint8_t*>(data);
  const uint32_t start = TimeGetTime();
  size_t done = 0;
  while (done < size) {
    const ssize_t n = ::recv(fd_, p + done, size - done, 0);
    if (n > 0) {
      done += static_cast<size_t>(n);
      continue;
    }
    if (n == 0) return false;  // the peer closed
    if (errno != EAGAIN && errno != EINTR) return false;
    if (!WaitFd(fd_, POLLIN, start, timeoutMs)) return false;
  }
  return true;
}

bool LocalListener::Listen(const std::string& path) {
  Close();
  sockaddr_un a;
  if (!FillAddress(path, &a)) return false;
  ::unlink(path.c_str());
  const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
  if (fd < 0) return false;
  if (::bind(fd, reinterpret_cast<sockaddr*>(&a), sizeof a) != 0 || ::listen(fd, 4) != 0) {
    ::close(fd);
    return false;
  }
  fd_ = fd;
  path_ = path;
  return true;
}

void LocalListener::Close() {
  if (fd_ >= 0) {
    ::close(fd_);
    ::unlink(path_.c_str());
  }
  fd_ = -1;
}

bool LocalListener::Accept(LocalStream* out, uint32_t timeoutMs) {
  if (fd_ < 0 || !out) return false;
  if (!WaitFd(fd_, POLLIN, TimeGetTime(), timeoutMs)) return false;
  const int c = ::accept4(fd_, nullptr, nullptr, SOCK_CLOEXEC | SOCK_NONBLOCK);
  if (c < 0) return false;
  out->Adopt(c);
  return true;
}

}  // namespace plat
