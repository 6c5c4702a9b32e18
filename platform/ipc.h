#pragma once
#include <cstddef>
#include <cstdint>
#include <string>

// Small POSIX stand-ins for the named objects two local processes share:
// a shared-memory block, a cross-process lock that dies with its holder,
// a flag that behaves like a manual-reset event, and the writing end of a
// named pipe. All are silent on failure: callers test the results.
namespace plat {

// Object names that are unique per user and per save directory, so parallel
// runs (tests, two checkouts) never meet: "ostrel-<uid>-<hash>-<base>".
std::string IpcName(const std::string& base);
// Directory for FIFOs and lock files: $XDG_RUNTIME_DIR when it names a
// directory this user may write in, else /tmp.
std::string IpcDir();

// A POSIX shared-memory object mapped read-write; created when absent.
class SharedMemory {
 public:
  SharedMemory() = default;
  ~SharedMemory() { Close(); }
  SharedMemory(const SharedMemory&) = delete;
  SharedMemory& operator=(const SharedMemory&) = delete;

  // name without the leading '/'; size in bytes. Without `create` only an
  // existing object of at least that size is opened. False on any failure.
  bool Open(const std::string& name, size_t size, bool create = true);
  void Close();
  bool IsOpen() const { return data_ != nullptr; }
  uint8_t* data() const { return data_; }
  static void Unlink(const std::string& name);

 private:
  uint8_t* data_ = nullptr;
  size_t size_ = 0;
};

// An exclusive lock on a lock file (flock): the kernel drops it when the
// holder exits or dies, so a crashed peer never leaves it held.
//
// The same file counts the processes that use a group of named objects
// (JoinUsers): each holds a shared record lock on the file's first byte
// while it uses them (record locks of the open file, apart from the flock
// of Lock). The last to leave finds no other holder (LeaveUsers) and
// removes the objects and the lock file; the kernel drops the record lock
// of a process that dies, so a crashed user never counts.
class FileLock {
 public:
  FileLock() = default;
  ~FileLock() { Close(); }
  FileLock(const FileLock&) = delete;
  FileLock& operator=(const FileLock&) = delete;

  bool Open(const std::string& path);
  void Close();
  bool IsOpen() const { return fd_ >= 0; }
  // Waits at most timeoutMs; false on time-out or failure.
  bool Lock(uint32_t timeoutMs);
  void Unlock();

  // Opens the lock file and joins its users until Close. A lock file that
  // the last user removed while this one waited is opened afresh. Waits at
  // most timeoutMs for a user that is leaving. False when it could not join
  // (the file may still be open for Lock).
  bool JoinUsers(const std::string& path, uint32_t timeoutMs);
  // Leaves the users; true when this was the last one. Users leave one at a
  // time (under the exclusive lock, waited for at most timeoutMs), so that
  // two leaving together never both see the other and stay their hand. The
  // last one holds the file alone until Close, so nobody joins before the
  // shared objects are removed.
  bool LeaveUsers(uint32_t timeoutMs);
  // Whether this one has joined the users (and not left).
  bool IsUser() const { return user_; }

 private:
  int fd_ = -1;
  bool user_ = false;
};

// A flag in shared memory that stands in for a named manual-reset event.
class SharedFlag {
 public:
  // Without `create` only an existing flag is opened.
  bool Open(const std::string& name, bool create = true);
  void Close() { mem_.Close(); }
  void Set();
  void Reset();
  bool IsSet() const;

 private:
  SharedMemory mem_;
};

// The writing end of a FIFO, opened without blocking: opening fails when no
// reader has it open (the peer is absent). Writes never raise SIGPIPE in this
// process (it is ignored once the first writer opens).
class FifoWriter {
 public:
  FifoWriter() = default;
  ~FifoWriter() { Close(); }
  FifoWriter(const FifoWriter&) = delete;
  FifoWriter& operator=(const FifoWriter&) = delete;

  bool Open(const std::string& path);
  void Close();
  bool IsOpen() const { return fd_ >= 0; }
  // Writes all bytes at once; false when the pipe is full, broken or closed.
  bool Write(const void* data, size_t size);

 private:
  int fd_ = -1;
};

// The reading end (the service's side): creates the FIFO when missing and
// opens it without blocking.
class FifoReader {
 public:
  FifoReader() = default;
  ~FifoReader() { Close(); }
  FifoReader(const FifoReader&) = delete;
  FifoReader& operator=(const FifoReader&) = delete;

  bool Open(const std::string& path);
  void Close();
  // Waits up to timeoutMs for data; returns the bytes read (0 on none).
  size_t Read(void* buf, size_t size, uint32_t timeoutMs);

 private:
  int fd_ = -1;
};

// A two-way local connection (a Unix-domain stream socket) in place of a
// duplex named pipe. Every transfer is bounded by a time-out.
class LocalStream {
 public:
  LocalStream() = default;
  ~LocalStream() { Close(); }
  LocalStream(const LocalStream&) = delete;
  LocalStream& operator=(const LocalStream&) = delete;

  // Connects to a listening path; false when nobody listens there.
  bool Connect(const std::string& path);
  void Adopt(int fd);
  void Close();
  bool IsOpen() const { return fd_ >= 0; }
  // Sends or receives exactly size bytes within timeoutMs; false on a
  // time-out, a closed peer or an error.
  bool SendAll(const void* data, size_t size, uint32_t timeoutMs);
  bool ReceiveAll(void* data, size_t size, uint32_t timeoutMs);

 private:
  int fd_ = -1;
};

// The listening side (the server's; tests and tools).
class LocalListener {
 public:
  LocalListener() = default;
  ~LocalListener() { Close(); }
  LocalListener(const LocalListener&) = delete;
  LocalListener& operator=(const LocalListener&) = delete;

  // Replaces a stale socket file at path.
  bool Listen(const std::string& path);
  void Close();
  // Waits at most timeoutMs for a connection.
  bool Accept(LocalStream* out, uint32_t timeoutMs);

 private:
  int fd_ = -1;
  std::string path_;
};

// Sets SIGPIPE to ignored unless the program installed a handler of its own.
void IgnoreSigpipe();

}  // namespace plat
