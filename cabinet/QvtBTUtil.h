#pragma once
#include <cstdint>
#include <memory>
#include <string>

#include "platform/ipc.h"

// Where the client meets the network service. Every name is already made
// unique per user and save directory (DefaultChannels); tests and the fake
// service pass their own.
struct QvtChannels {
  std::string eventA;       // shared-memory name of the busy event
  std::string eventB;       // shared-memory name of the "no pipe" event
  std::string pipePath;     // FIFO path
  std::string blockName;    // shared-memory name of the 128-byte block
  std::string lockPath;     // lock file guarding the block
  std::string registryKey;  // key in the file-backed registry

  static QvtChannels Default();
  // Removes the shared-memory objects, the FIFO and the lock file (tests).
  void Unlink() const;
  // Removes what the users of the block share: the two events, the block and
  // the lock file (the FIFO is the service's).
  void UnlinkShared() const;
};

// The service's registry key.
inline constexpr const char* kQvtRegistryKey = "HKLM\\SOFTWARE\\KORVA\\Lumoranet";

// Write `GameResult` (and, for an I/O error, -2 for index 0 or -3 for index 1
// with `IOErrorCoin` and `IOErrorCredit`); false when the key cannot be opened.
bool WriteGameResult(uint32_t value, const std::string& key = kQvtRegistryKey);
bool WriteGameResultError(int32_t index, uint32_t coins, uint32_t credits,
                          const std::string& key = kQvtRegistryKey);

// The 128-byte block shared with the service, guarded by a lock that lives
// outside the block. Every wait is bounded.
// Layout: byte 0 the service's valid byte, byte 1 the game's busy byte,
// bytes 4-7 the service's status word (little-endian); the client writes only
// the busy byte.
//
// Each open block is one user of the channels' shared objects (the events,
// the block and its lock file) from Open to Close; the last user to close
// removes them, so nothing is left behind once the game and the service
// have both ended.
class QvtSharedMemory {
 public:
  static constexpr uint32_t kSize = 128;
  static constexpr uint32_t kLockTimeoutMs = 4;
  // How long Open waits for a last user that is removing the objects, and
  // Close for another user that is leaving.
  static constexpr uint32_t kJoinTimeoutMs = 2000;
  static constexpr uint32_t kLeaveTimeoutMs = 100;

  QvtSharedMemory() = default;
  ~QvtSharedMemory() { Close(); }
  QvtSharedMemory(const QvtSharedMemory&) = delete;
  QvtSharedMemory& operator=(const QvtSharedMemory&) = delete;

  // Joins the users, then opens the block (a user makes it when missing).
  // False when the block or its lock cannot be had; a user that joined
  // stays one until Close.
  bool Open(const QvtChannels& ch);
  // False when the block is missing or the lock was not had in time.
  bool Read(uint8_t* dst128);
  bool Write(int32_t offset, uint32_t count, const void* src);
  // Leaves; the last user removes the shared objects.
  void Close();
  bool IsOpen() const { return mem_.IsOpen() && lock_.IsOpen(); }
  // Whether this one counts among the users of the shared objects (from
  // Open to Close). Only users make them; the others open what exists.
  bool IsUser() const { return lock_.IsUser(); }

 private:
  QvtChannels ch_;
  plat::SharedMemory mem_;
  plat::FileLock lock_;
};

// The client of the arcade network service: one-byte play codes over a pipe,
// a busy event and busy byte, the service's count-down status word, and the
// registry values it keeps. Every channel failure is silent: without a
// service the game runs with the pipe absent, status -1 and default values.
class QvtBTUtil {
 public:
  explicit QvtBTUtil(uint32_t flags = 0);
  QvtBTUtil(uint32_t flags, const QvtChannels& channels);
  ~QvtBTUtil();
  QvtBTUtil(const QvtBTUtil&) = delete;
  QvtBTUtil& operator=(const QvtBTUtil&) = delete;

  void RefreshStatus();
  // Each stores and refreshes only when a value changed, or when the last
  // busy write could not be made.
  void SetStatusA(uint32_t coins);
  void SetStatusB(uint32_t credits);
  void SetStatusAB(uint32_t coins, uint32_t credits);

  void PushCode(uint32_t n);
  void SendCode4(uint32_t n);
  bool PopCode(uint32_t n);
  void BeginCode12(uint32_t n);
  bool EndCode14();
  void PushFD();
  bool PopFE();
  bool SendRaw(uint8_t byte);
  void ClearCounterC() { playCounter_ = 0; }

  int32_t GetCounterC() const { return playCounter_; }
  int32_t GetCounterE() const { return visitCounter_; }
  uint32_t GetUserSelectEnable() const { return userSelectEnable_; }
  uint32_t GetCoinCredit() const { return coinCredit_; }
  uint32_t GetResolution() const { return resolution_; }
  uint32_t GetScreenVertical() const { return screenVertical_; }

  // The service's count-down in milliseconds, or -1 without a valid status
  // (also when the block is missing or its lock is held too long).
  int32_t ReadSharedStatus();
  bool WriteGameResultOnce(uint32_t value);
  bool WriteIOError(int32_t index, uint32_t coins, uint32_t credits);
  bool SetEventModeEnable(uint8_t flag);
  void SetEventB();
  static const char* GetVersionString() { return "QvtBTUtil version 2.03"; }

  // The library's own leave rule; window is called to close the window.
  int32_t CheckUserExit(uint32_t p1Word, uint32_t word2, uint32_t p2Word, uint32_t word4,
                        void (*closeWindow)(), int32_t writeFlag);

  // Observers for tests and diagnostics.
  bool HasPipe() const { return pipe_.IsOpen(); }
  uint32_t GetDroppedCodes() const { return droppedCodes_; }
  int32_t GetTestCounter() const { return testCounter_; }
  bool IsEventASet() const { return eventA_.IsSet(); }
  bool IsEventBSet() const { return eventB_.IsSet(); }
  bool HasSharedMemory() const { return shared_ && shared_->IsOpen(); }

 private:
  // The registry values the client reads, each with its range and default:
  // CoinCredit 0 (free play) to 4 coins a credit, default 1; Resolution,
  // ScreenVertical and UserSelectEnable any value (0 off), default 0. A value
  // outside its range takes its default, told in one line on standard error
  // (a value of another form is echoed there cut to its first 32 bytes).
  struct RegistryWord {
    const char* name;
    uint32_t QvtBTUtil::*field;
    uint32_t max;
    uint32_t fallback;
  };
  static const RegistryWord kRegistryWords[4];

  void Construct();
  void Send(uint8_t byte);
  bool IsBusy() const;

  QvtChannels ch_;
  plat::SharedFlag eventA_;
  plat::SharedFlag eventB_;
  plat::FifoWriter pipe_;
  uint32_t coins_ = 0;
  uint32_t credits_ = 0;
  int32_t playCounter_ = 0;
  int32_t testCounter_ = 0;
  uint32_t testPlayer_ = 0;
  int32_t visitCounter_ = 0;
  uint8_t resultWritten_ = 0;
  uint8_t eventMode_ = 0;
  uint32_t flags_ = 0;
  uint32_t userSelectEnable_ = 0;
  uint32_t coinCredit_ = 1;
  uint32_t resolution_ = 0;
  uint32_t screenVertical_ = 0;
  std::unique_ptr<QvtSharedMemory> shared_;
  uint32_t droppedCodes_ = 0;
  bool busyWritePending_ = false;
};
