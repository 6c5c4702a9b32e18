#include "cabinet/QvtBTUtil.h"

#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <optional>
#include <string>

#include "platform/byte_order.h"
#include "platform/registry.h"

namespace {

constexpr const char* kEventA = "QvtEvent_2F22DDBA-AB97-4923-B238-9D142A021422";
constexpr const char* kEventB = "QvtEvent_EEF89F64-AAAE-42d1-8488-4FBD5892E513";
constexpr const char* kPipe = "QvtPipe2A311A48-E08E-485c-B60D-F9BA73F21D61";
constexpr const char* kBlock = "QvtMMF_a9205441cae3469b83cc1fa16020db68";
constexpr const char* kMutex = "QvtMTX_a9205441cae3469b83cc1fa16020db68";

// A value as the file has it, for an error line: a long one (a damaged file
// may hold hundreds of kilobytes on one line) is cut to its first
// kEchoChars bytes, never inside a UTF-8 character, and marked with "...".
constexpr size_t kEchoChars = 32;
std::string Echo(const std::string& text) {
  if (text.size() <= kEchoChars) return text;
  size_t n = kEchoChars;
  while (n > 0 && (static_cast<unsigned char>(text[n]) & 0xC0) == 0x80) --n;
  return text.substr(0, n) + "...";
}

}  // namespace

QvtChannels QvtChannels::Default() {
  QvtChannels ch;
  ch.eventA = plat::IpcName(kEventA);
  ch.eventB = plat::IpcName(kEventB);
  ch.pipePath = plat::IpcDir() + "/" + plat::IpcName(kPipe);
  ch.blockName = plat::IpcName(kBlock);
  ch.lockPath = plat::IpcDir() + "/" + plat::IpcName(kMutex);
  ch.registryKey = kQvtRegistryKey;
  return ch;
}

void QvtChannels::Unlink() const {
  UnlinkShared();
  ::unlink(pipePath.c_str());
}

void QvtChannels::UnlinkShared() const {
  plat::SharedMemory::Unlink(eventA);
  plat::SharedMemory::Unlink(eventB);
  plat::SharedMemory::Unlink(blockName);
  ::unlink(lockPath.c_str());
}

bool WriteGameResult(uint32_t value, const std::string& key) {
  plat::RegKey k;
  if (!k.Open(key, true)) return false;
  return k.WriteDword("GameResult", value);
}

bool WriteGameResultError(int32_t index, uint32_t coins, uint32_t credits, const std::string& key) {
  if (index != 0 && index != 1) return false;
  plat::RegKey k;
  if (!k.Open(key, true)) return false;
  const uint32_t result = static_cast<uint32_t>(index == 0 ? -2 : -3);
  return k.WriteMany({{"GameResult", plat::RegValue::Dword(result)},
                      {"IOErrorCoin", plat::RegValue::Dword(coins)},
                      {"IOErrorCredit", plat::RegValue::Dword(credits)}});
}

// ---------------------------------------------------------------------------

bool QvtSharedMemory::Open(const QvtChannels& ch) {
  Close();
  ch_ = ch;
  // Joined before anything shared is made, so that a last user leaving
  // meanwhile never removes what this one has just made.
  lock_.JoinUsers(ch.lockPath, kJoinTimeoutMs);
  if (!lock_.IsOpen()) return false;
  // Only a user makes the block: the last user removes it.
  return mem_.Open(ch.blockName, kSize, lock_.IsUser());
}

bool QvtSharedMemory::Read(uint8_t* dst128) {
  if (!IsOpen() || !lock_.Lock(kLockTimeoutMs)) return false;
  std::memcpy(dst128, mem_.data(), kSize);
  lock_.Unlock();
  return true;
}

bool QvtSharedMemory::Write(int32_t offset, uint32_t count, const void* src) {
  if (!IsOpen() || offset < 0 || uint64_t(offset) + count > kSize) return false;
  if (!lock_.Lock(kLockTimeoutMs)) return false;
  std::memcpy(mem_.data() + offset, src, count);
  lock_.Unlock();
  return true;
}

void QvtSharedMemory::Close() {
  const bool last = lock_.LeaveUsers(kLeaveTimeoutMs);
  mem_.Close();
  if (last) ch_.UnlinkShared();
  lock_.Close();
}

// ---------------------------------------------------------------------------

QvtBTUtil::QvtBTUtil(uint32_t flags) : ch_(QvtChannels::Default()), flags_(flags) { Construct(); }

QvtBTUtil::QvtBTUtil(uint32_t flags, const QvtChannels& channels) : ch_(channels), flags_(flags) {
  Construct();
}

// Only the coin credit has a range: it becomes the coin unit, 1 to 4 coins
// (0 free play). The other three are flags, any value but 0 meaning on.
const QvtBTUtil::RegistryWord QvtBTUtil::kRegistryWords[4] = {
    {"CoinCredit", &QvtBTUtil::coinCredit_, 4, 1},
    {"Resolution", &QvtBTUtil::resolution_, 0xFFFFFFFFu, 0},
    {"ScreenVertical", &QvtBTUtil::screenVertical_, 0xFFFFFFFFu, 0},
    {"UserSelectEnable", &QvtBTUtil::userSelectEnable_, 0xFFFFFFFFu, 0},
};

void QvtBTUtil::Construct() {
  // The block first: it makes this client one of the users of the shared
  // objects before the events are made. A client that could not join them
  // (no lock file: its directory is missing or not a directory) would never
  // remove what it made: it only opens events that a user has made.
  shared_ = std::make_unique<QvtSharedMemory>();
  shared_->Open(ch_);
  const bool user = shared_->IsUser();
  eventA_.Open(ch_.eventA, user);
  eventB_.Open(ch_.eventB, user);
  if (!(flags_ & 1) && !pipe_.Open(ch_.pipePath)) {
    eventB_.Set();
    // Nobody reads the pipe: no service runs, so a count-down still in the
    // block was left by one that died. It starts as not set.
    const uint8_t none[8] = {};
    shared_->Write(0, 1, none);
    shared_->Write(4, 4, none + 4);
  }
  plat::RegKey key;
  if (key.Open(ch_.registryKey, false)) {
    // A coin credit of 0xFFFFFFFF would become a coin unit of -1.
    for (const RegistryWord& w : kRegistryWords) {
      uint32_t v = w.fallback;
      if (!key.ReadDword(w.name, &v)) {
        // Present but not a word of 8 hex digits (another type, a sign, too
        // many digits): told like a value out of range.
        if (std::optional<std::string> text = key.ReadText(w.name))
          std::fprintf(stderr, "registry value %s = %s is not a dword of 8 hex digits: using %u\n", w.name,
                       Echo(*text).c_str(), w.fallback);
        continue;
      }
      if (v > w.max) {
        std::fprintf(stderr, "registry value %s = 0x%08x is outside 0..%u: using %u\n", w.name, v, w.max,
                     w.fallback);
        v = w.fallback;
      }
      this->*w.field = v;
    }
  }
  RefreshStatus();
}

QvtBTUtil::~QvtBTUtil() {
  eventA_.Close();
  eventB_.Close();
  pipe_.Close();
  // The last user of the shared objects removes them here.
  if (shared_) shared_->Close();
  shared_.reset();
}

bool QvtBTUtil::IsBusy() const {
  return coins_ != 0 || credits_ != 0 || playCounter_ != 0 || testCounter_ != 0 || visitCounter_ != 0;
}

void QvtBTUtil::RefreshStatus() {
  const uint8_t busy = IsBusy() ? 1 : 0;
  if (busy)
    eventA_.Set();
  else
    eventA_.Reset();
  // Skipped when the block is missing; a write that did not get the lock in
  // time is tried again by the next status report, even an unchanged one.
  busyWritePending_ = shared_ && shared_->IsOpen() && !shared_->Write(1, 1, &busy);
}

void QvtBTUtil::SetStatusA(uint32_t coins) {
  if (coins == coins_ && !busyWritePending_) return;
  coins_ = coins;
  RefreshStatus();
}

void QvtBTUtil::SetStatusB(uint32_t credits) {
  if (credits == credits_ && !busyWritePending_) return;
  credits_ = credits;
  RefreshStatus();
}

void QvtBTUtil::SetStatusAB(uint32_t coins, uint32_t credits) {
  if (coins == coins_ && credits == credits_ && !busyWritePending_) return;
  coins_ = coins;
  credits_ = credits;
  RefreshStatus();
}

void QvtBTUtil::Send(uint8_t byte) {
  // Without a pipe, or with a reader that went away, the code is dropped;
  // the counters and the busy state move all the same.
  if (!pipe_.Write(&byte, 1)) ++droppedCodes_;
}

bool QvtBTUtil::SendRaw(uint8_t byte) {
  bool ok = pipe_.Write(&byte, 1);
  if (!ok) ++droppedCodes_;
  return ok;
}

void QvtBTUtil::PushCode(uint32_t n) {
  ++playCounter_;
  Send(static_cast<uint8_t>(n));
  RefreshStatus();
}

void QvtBTUtil::SendCode4(uint32_t n) { Send(static_cast<uint8_t>(n + 4)); }

bool QvtBTUtil::PopCode(uint32_t n) {
  if (playCounter_ < 1) return false;
  --playCounter_;
  Send(static_cast<uint8_t>(n + 8));
  RefreshStatus();
  return true;
}

void QvtBTUtil::BeginCode12(uint32_t n) {
  ++testCounter_;
  Send(static_cast<uint8_t>(n + 12));
  RefreshStatus();
  testPlayer_ = n;
}

bool QvtBTUtil::EndCode14() {
  if (testCounter_ < 1) return false;
  Send(14);
  RefreshStatus();
  WriteGameResult(testPlayer_, ch_.registryKey);
  return true;
}

void QvtBTUtil::PushFD() {
  ++visitCounter_;
  Send(0xFD);
  RefreshStatus();
}

bool QvtBTUtil::PopFE() {
  if (visitCounter_ <= 0) return false;
  --visitCounter_;
  Send(0xFE);
  RefreshStatus();
  return true;
}

int32_t QvtBTUtil::ReadSharedStatus() {
  uint8_t block[QvtSharedMemory::kSize] = {};
  if (!shared_ || !shared_->Read(block)) return -1;
  if (block[0] == 0) return -1;
  return static_cast<int32_t>(plat::ReadLe32(block + 4));
}

bool QvtBTUtil::WriteGameResultOnce(uint32_t value) {
  if (resultWritten_) return false;
  return WriteGameResult(value, ch_.registryKey);
}

bool QvtBTUtil::WriteIOError(int32_t index, uint32_t coins, uint32_t credits) {
  bool ok = WriteGameResultError(index, coins == 0xFFFFFFFFu ? coins_ : coins,
                                 credits == 0xFFFFFFFFu ? credits_ : credits, ch_.registryKey);
  if (ok) resultWritten_ = 1;
  return ok;
}

bool QvtBTUtil::SetEventModeEnable(uint8_t flag) {
  plat::RegKey k;
  if (!k.Open(ch_.registryKey, true)) return false;
  eventMode_ = flag;
  return k.WriteDword("EventModeEnable", flag != 0 ? 1 : 0);
}

void QvtBTUtil::SetEventB() { eventB_.Set(); }

int32_t QvtBTUtil::CheckUserExit(uint32_t p1Word, uint32_t, uint32_t p2Word, uint32_t, void (*closeWindow)(),
                                 int32_t writeFlag) {
  const int32_t status = ReadSharedStatus();
  if (resultWritten_) return 0;
  auto both = [](uint32_t w) { return (w & 0x8200u) == 0x8200u; };
  if (!both(p1Word) && !both(p2Word) && status != 0) return 0;
  if (eventA_.IsSet() || !eventB_.IsSet() || userSelectEnable_ == 0) return 0;
  int32_t result = both(p1Word) ? 1 : 3;
  if (writeFlag) {
    if (status == 0)
      result = 5;
    else
      WriteGameResultOnce(result == 1 ? 0 : 2);
  }
  if (closeWindow) closeWindow();
  return result;
}
