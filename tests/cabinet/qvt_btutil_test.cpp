#include "cabinet/QvtBTUtil.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "platform/clock.h"
#include "platform/ipc.h"
#include "platform/paths.h"
#include "platform/registry.h"
#include "support/BuildDirs.h"
#include "support/TempDir.h"
#include "support/ExpectAll.h"

namespace fs = std::filesystem;

namespace {

class QvtTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ch_ = QvtChannels::Default();
    ch_.Unlink();
  }
  void TearDown() override { ch_.Unlink(); }
  // The service's view of the block.
  uint8_t* Block() {
    if (!block_.IsOpen()) {
      EXPECT_TRUE(block_.Open(ch_.blockName, 128));
    }
    return block_.data();
  }
  std::vector<uint8_t> Drain(plat::FifoReader& r) {
    std::vector<uint8_t> out;
    uint8_t buf[64];
    while (size_t n = r.Read(buf, sizeof buf, 0)) out.insert(out.end(), buf, buf + n);
    return out;
  }
  uint32_t RegValue(const char* name) {
    plat::RegKey k;
    uint32_t v = 0xDEADBEEF;
    if (k.Open(ch_.registryKey, false)) k.ReadDword(name, &v);
    return v;
  }

  // The shared-memory objects named for this test's save directory, sorted.
  std::vector<std::string> OurSharedObjects() const {
    const std::string prefix = plat::IpcName("");
    std::vector<std::string> names;
    for (const auto& e : fs::directory_iterator("/dev/shm")) {
      const std::string n = e.path().filename().string();
      if (n.rfind(prefix, 0) == 0) names.push_back(n);
    }
    std::sort(names.begin(), names.end());
    return names;
  }

  testsupport::ScopedSaveDir save_;
  fs::path dir_{save_.Path()};
  QvtChannels ch_;
  plat::SharedMemory block_;
};

TEST_F(QvtTest, WithoutServiceCodesDropButCountersAndBusyMove) {
  QvtBTUtil q(0, ch_);
  EXPECT_FALSE(q.HasPipe());
  EXPECT_TRUE(q.IsEventBSet());
  EXPECT_ALL({VAL(q.GetCoinCredit(), 1u), VAL(q.GetResolution(), 0u), VAL(q.GetScreenVertical(), 0u),
              VAL(q.GetUserSelectEnable(), 0u), VAL(q.ReadSharedStatus(), -1)});
  EXPECT_FALSE(q.IsEventASet());
  EXPECT_EQ(Block()[1], 0);

  q.SetStatusB(1);  // a credit
  EXPECT_TRUE(q.IsEventASet());
  EXPECT_EQ(Block()[1], 1);
  q.PushFD();
  q.PushCode(0);
  EXPECT_ALL({VAL(q.GetCounterE(), 1), VAL(q.GetCounterC(), 1), VAL(q.GetDroppedCodes(), 2u)});
  q.SetStatusB(0);
  EXPECT_TRUE(q.IsEventASet());  // play and visit still open
  EXPECT_TRUE(q.PopCode(0));
  EXPECT_TRUE(q.PopFE());
  EXPECT_FALSE(q.IsEventASet());
  EXPECT_EQ(Block()[1], 0);
}

TEST_F(QvtTest, FullVisitWritesCodesInOrder) {
  plat::FifoReader service;
  ASSERT_TRUE(service.Open(ch_.pipePath));
  QvtBTUtil q(0, ch_);
  ASSERT_TRUE(q.HasPipe());
  EXPECT_FALSE(q.IsEventBSet());
  q.PushFD();
  q.PushCode(0);
  q.SendCode4(0);
  q.SendCode4(0);
  EXPECT_TRUE(q.PopCode(0));
  EXPECT_FALSE(q.PopCode(0));  // nothing open: nothing sent
  EXPECT_TRUE(q.PopFE());
  EXPECT_FALSE(q.PopFE());
  EXPECT_EQ(Drain(service), (std::vector<uint8_t>{0xFD, 0x00, 0x04, 0x04, 0x08, 0xFE}));
  EXPECT_ALL({VAL(q.GetDroppedCodes(), 0u), VAL(q.GetCounterC(), 0), VAL(q.GetCounterE(), 0)});
  EXPECT_FALSE(q.IsEventASet());
}

TEST_F(QvtTest, TestModeCodesAndGameResult) {
  plat::FifoReader service;
  ASSERT_TRUE(service.Open(ch_.pipePath));
  QvtBTUtil q(0, ch_);
  EXPECT_FALSE(q.EndCode14());  // never begun: nothing sent, nothing written
  EXPECT_EQ(RegValue("GameResult"), 0xDEADBEEFu);
  q.PushCode(0);
  q.ClearCounterC();
  q.BeginCode12(0);
  EXPECT_TRUE(q.IsEventASet());  // the test counter keeps the game busy
  EXPECT_TRUE(q.EndCode14());
  EXPECT_EQ(q.GetTestCounter(), 1);  // never decreased
  EXPECT_EQ(RegValue("GameResult"), 0u);
  EXPECT_EQ(Drain(service), (std::vector<uint8_t>{0x00, 0x0C, 0x0E}));
}

TEST_F(QvtTest, UnchangedStatusDoesNotTouchEventOrBlock) {
  QvtBTUtil q(1, ch_);
  q.SetStatusA(3);
  ASSERT_EQ(Block()[1], 1);
  Block()[1] = 0x55;
  q.SetStatusA(3);
  q.SetStatusAB(3, 0);
  EXPECT_EQ(Block()[1], 0x55);
  q.SetStatusAB(0, 0);
  EXPECT_EQ(Block()[1], 0);
}

TEST_F(QvtTest, StatusNeedsTheValidByte) {
  QvtBTUtil q(1, ch_);
  uint8_t* b = Block();
  b[0] = 0;
  b[4] = b[5] = b[6] = b[7] = 0;
  EXPECT_EQ(q.ReadSharedStatus(), -1);
  b[0] = 1;
  EXPECT_EQ(q.ReadSharedStatus(), 0);
  b[4] = 0x39;
  b[5] = 0x30;  // 12345
  EXPECT_EQ(q.ReadSharedStatus(), 12345);
  b[4] = b[5] = b[6] = b[7] = 0xFF;
  EXPECT_EQ(q.ReadSharedStatus(), -1);
}

// A service that hangs while holding the lock must not freeze the game.
TEST_F(QvtTest, HeldLockTimesOut) {
  QvtBTUtil q(1, ch_);
  Block()[0] = 1;
  plat::FileLock held;
  ASSERT_TRUE(held.Open(ch_.lockPath));
  ASSERT_TRUE(held.Lock(0));
  int64_t t0 = plat::PerfCounter();
  EXPECT_EQ(q.ReadSharedStatus(), -1);
  q.SetStatusA(5);  // busy write skipped
  double ms = double(plat::PerfCounter() - t0) * 1000.0 / double(plat::PerfFrequency());
  EXPECT_LT(ms, 500.0);
  EXPECT_EQ(Block()[1], 0);
  EXPECT_TRUE(q.IsEventASet());
  held.Unlock();
  EXPECT_EQ(q.ReadSharedStatus(), 0);
  q.SetStatusA(5);  // unchanged, but the busy byte never got there
  EXPECT_EQ(Block()[1], 1);
}

// A count-down left in the block by a service that died is not shown.
TEST_F(QvtTest, LeftoverStatusOfADeadServiceStartsNotSet) {
  uint8_t* b = Block();
  b[0] = 1;
  b[4] = 0x88;
  b[5] = 0x13;  // 5000
  QvtBTUtil q(0, ch_);
  EXPECT_FALSE(q.HasPipe());
  EXPECT_EQ(q.ReadSharedStatus(), -1);
  EXPECT_EQ(b[5], 0);
}

TEST_F(QvtTest, MissingSharedMemoryReadsMinusOne) {
  QvtChannels bad = ch_;
  bad.blockName = "no/such/object";  // shm_open refuses inner slashes
  QvtBTUtil q(1, bad);
  EXPECT_FALSE(q.HasSharedMemory());
  q.SetStatusA(1);
  EXPECT_TRUE(q.IsEventASet());
  EXPECT_EQ(q.ReadSharedStatus(), -1);
}

TEST_F(QvtTest, RegistryValuesNeedFourBytes) {
  {
    std::ofstream f(dir_ / "registry.txt");
    f << "[" << ch_.registryKey << "]\n"
      << "CoinCredit=dword:00000003\n"
      << "Resolution=qword:0000000000000001\n"  // wrong size: ignored
      << "ScreenVertical=dword:00000001\n"
      << "UserSelectEnable=hex:01,00,00,00\n";  // wrong type: ignored
  }
  QvtBTUtil q(1, ch_);
  EXPECT_ALL({VAL(q.GetCoinCredit(), 3u), VAL(q.GetResolution(), 0u), VAL(q.GetScreenVertical(), 1u),
              VAL(q.GetUserSelectEnable(), 0u)});
}

// The coin credit is checked against the coin unit's range; one outside it
// takes its default and is told. A coin credit of 0xFFFFFFFF once became a
// coin unit of -1. The three flags are on for any value but 0.
TEST_F(QvtTest, RegistryValuesOutsideTheirRangeTakeTheirDefaults) {
  const auto start = [&](const char* coin, const char* flags) {
    std::ofstream(dir_ / "registry.txt") << "[" << ch_.registryKey << "]\n"
                                         << "CoinCredit=dword:" << coin << "\n"
                                         << "Resolution=dword:" << flags << "\n"
                                         << "ScreenVertical=dword:" << flags << "\n"
                                         << "UserSelectEnable=dword:" << flags << "\n";
    return std::make_unique<QvtBTUtil>(1, ch_);
  };
  ::testing::internal::CaptureStderr();
  auto q = start("ffffffff", "00000002");
  EXPECT_EQ(::testing::internal::GetCapturedStderr(),
            "registry value CoinCredit = 0xffffffff is outside 0..4: using 1\n");
  EXPECT_ALL({VAL(q->GetCoinCredit(), 1u), VAL(q->GetResolution(), 2u), VAL(q->GetScreenVertical(), 2u),
              VAL(q->GetUserSelectEnable(), 2u)});
  q.reset();
  ::testing::internal::CaptureStderr();
  q = start("00000005", "00000001");
  EXPECT_EQ(::testing::internal::GetCapturedStderr(),
            "registry value CoinCredit = 0x00000005 is outside 0..4: using 1\n");
  EXPECT_ALL({VAL(q->GetCoinCredit(), 1u), VAL(q->GetResolution(), 1u), VAL(q->GetScreenVertical(), 1u),
              VAL(q->GetUserSelectEnable(), 1u)});
  // The ends of the range are good values, without a word.
  for (const char* coin : {"00000000", "00000004"}) {
    q.reset();
    ::testing::internal::CaptureStderr();
    q = start(coin, "00000000");
    EXPECT_EQ(::testing::internal::GetCapturedStderr(), "");
    EXPECT_EQ(q->GetCoinCredit(), std::strtoul(coin, nullptr, 16));
  }
}

// A value the client cannot use (a sign, too many digits, a letter that is
// no hex digit, or another type, empty or not) takes its default and is told
// with the value as the file has it, like a value outside its range.
TEST_F(QvtTest, RegistryValuesThatCannotBeReadAreTold) {
  const struct {
    const char* text;
    const char* told;
  } cases[] = {
      {"dword:-0000001", "dword:-0000001"},
      {"dword:0000000000000001", "dword:0000000000000001"},
      {"dword:0000000g", "dword:0000000g"},
      {"dword:", "dword:"},
      {"qword:", "qword:"},
      {"qword:0000000000000001", "qword:0000000000000001"},
      {"sz:", "sz:"},
      {"sz:1", "sz:1"},
      {"hex:", "hex:"},
      {"hex:01,00,00,00", "hex:01,00,00,00"},
      // The echo holds the first 32 bytes of a longer value (a damaged
      // file's 300 KB were once told whole), never half a UTF-8 character.
      {"sz:12345678901234567890123456789", "sz:12345678901234567890123456789"},
      {"sz:123456789012345678901234567890", "sz:12345678901234567890123456789..."},
      {"sz:1234567890123456789012345678\xC3\xA9z", "sz:1234567890123456789012345678..."},
  };
  for (const auto& c : cases) {
    std::ofstream(dir_ / "registry.txt") << "[" << ch_.registryKey << "]\n"
                                         << "CoinCredit=" << c.text << "\n"
                                         << "Resolution=dword:00000001\n";
    ::testing::internal::CaptureStderr();
    QvtBTUtil q(1, ch_);
    EXPECT_EQ(::testing::internal::GetCapturedStderr(),
              std::string("registry value CoinCredit = ") + c.told + " is not a dword of 8 hex digits: using 1\n")
        << c.text;
    EXPECT_EQ(q.GetCoinCredit(), 1u) << c.text;
    EXPECT_EQ(q.GetResolution(), 1u) << c.text;
  }
  std::ofstream(dir_ / "registry.txt") << "[" << ch_.registryKey << "]\n"
                                       << "CoinCredit=sz:" << std::string(300 * 1024, 'A') << "\n";
  ::testing::internal::CaptureStderr();
  QvtBTUtil q(1, ch_);
  EXPECT_EQ(::testing::internal::GetCapturedStderr(),
            "registry value CoinCredit = sz:" + std::string(29, 'A') + "... is not a dword of 8 hex digits: using 1\n");
}

// The events, the block and its lock file are named after the save
// directory; each start made them anew and nothing removed them. The last
// of their users to leave removes them, whichever it is; a user that died
// does not count.
TEST_F(QvtTest, TheLastUserToLeaveRemovesTheSharedObjects) {
  const auto shm = [](const std::string& name) { return fs::exists("/dev/shm/" + name); };
  const auto present = [&] {
    return std::vector<bool>{shm(ch_.eventA), shm(ch_.eventB), shm(ch_.blockName), fs::exists(ch_.lockPath)};
  };
  const std::vector<bool> all(4, true), none(4, false);
  ASSERT_EQ(present(), none);
  // The game leaves first; the service still uses the objects.
  auto service = std::make_unique<QvtSharedMemory>();
  ASSERT_TRUE(service->Open(ch_));
  {
    QvtBTUtil game(1, ch_);
    EXPECT_EQ(present(), all);
  }
  EXPECT_EQ(present(), all);
  service.reset();
  EXPECT_EQ(present(), none);
  // The service leaves first; the game removes them. A user that died
  // without leaving is no user.
  {
    QvtBTUtil game(1, ch_);
    service = std::make_unique<QvtSharedMemory>();
    ASSERT_TRUE(service->Open(ch_));
    service.reset();
    EXPECT_EQ(present(), all);
    const pid_t pid = ::fork();
    ASSERT_GE(pid, 0);
    if (pid == 0) {
      QvtSharedMemory dies;
      ::_exit(dies.Open(ch_) ? 0 : 1);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(pid, &status, 0), pid);
    ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
  }
  EXPECT_EQ(present(), none);
  // A block that cannot be made still counts its client as a user.
  {
    QvtChannels bad = ch_;
    bad.blockName = "no/such/object";
    QvtBTUtil game(1, bad);
    EXPECT_FALSE(game.HasSharedMemory());
    EXPECT_TRUE(shm(ch_.eventA));
  }
  EXPECT_EQ(present(), none);
}

// A client that cannot join the users of the shared objects (its lock
// file's directory is a file) made both events all the same and, being no
// user, never removed them: two objects stayed behind after every run. It
// makes none now; events a user made it opens and sets.
TEST_F(QvtTest, AClientThatCannotJoinTheUsersLeavesNothingBehind) {
  const std::vector<std::string> none;
  ASSERT_EQ(OurSharedObjects(), none);
  ASSERT_TRUE(save_.Dir().Write("not_a_dir", "x"));
  QvtChannels cut = ch_;
  cut.lockPath = save_.Dir().File("not_a_dir") + "/lock";
  {
    QvtBTUtil q(1, cut);
    q.SetStatusA(1);
    EXPECT_ALL({VAL(q.HasSharedMemory(), false), VAL(q.IsEventASet(), false)});
    EXPECT_EQ(OurSharedObjects(), none);
  }
  EXPECT_EQ(OurSharedObjects(), none);
  // The same while the last user holds the lock file alone, removing the
  // objects: the client waits its time, joins nobody and makes nothing.
  {
    const int held = ::open(ch_.lockPath.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    ASSERT_GE(held, 0);
    struct flock alone{};
    alone.l_type = F_WRLCK;
    alone.l_whence = SEEK_SET;
    alone.l_len = 1;
    ASSERT_EQ(::fcntl(held, F_OFD_SETLK, &alone), 0);
    {
      QvtBTUtil q(1, ch_);
      EXPECT_FALSE(q.HasSharedMemory());
      EXPECT_EQ(OurSharedObjects(), none);
    }
    ::close(held);
    EXPECT_EQ(OurSharedObjects(), none);
    ::unlink(ch_.lockPath.c_str());
  }

  auto service = std::make_unique<QvtSharedMemory>();
  ASSERT_TRUE(service->Open(ch_));
  plat::SharedFlag busy;
  ASSERT_TRUE(busy.Open(ch_.eventA));
  {
    QvtBTUtil q(1, cut);
    q.SetStatusA(1);
    EXPECT_ALL({VAL(q.IsEventASet(), true), VAL(busy.IsSet(), true)});
  }
  // Opening without making neither makes an object nor grows one.
  plat::SharedMemory peek;
  EXPECT_FALSE(peek.Open(ch_.eventA, 128, false));
  EXPECT_EQ(fs::file_size("/dev/shm/" + ch_.eventA), 4u);
  EXPECT_FALSE(peek.Open(plat::IpcName("absent"), 4, false));
  busy.Close();
  service.reset();
  EXPECT_EQ(OurSharedObjects(), none);
}

// XDG_RUNTIME_DIR that names no directory: the lock file and the pipe go to
// /tmp, and a run with the default channels leaves nothing behind.
TEST_F(QvtTest, ARuntimeDirThatIsNoDirectoryFallsBackToTmp) {
  ASSERT_TRUE(save_.Dir().Write("runtime_file", "x"));
  const std::string file = save_.Dir().File("runtime_file");
  fs::permissions(file, fs::perms::owner_all);  // one that may be written and searched
  testsupport::ScopedEnv env("XDG_RUNTIME_DIR", nullptr);
  const struct {
    std::string value, dir;
  } cases[] = {{file, "/tmp"}, {save_.Dir().File("missing"), "/tmp"}, {"", "/tmp"}, {save_.Path(), save_.Path()}};
  for (const auto& c : cases) {
    env.Set(c.value.c_str());
    EXPECT_EQ(plat::IpcDir(), c.dir) << c.value;
  }
  env.Set(file.c_str());
  const QvtChannels def = QvtChannels::Default();
  {
    QvtBTUtil q(0, def);
    EXPECT_TRUE(q.HasSharedMemory());
    std::vector<std::string> made = {def.eventA, def.eventB, def.blockName};
    std::sort(made.begin(), made.end());
    EXPECT_EQ(OurSharedObjects(), made);
  }
  EXPECT_EQ(OurSharedObjects(), std::vector<std::string>());
  EXPECT_FALSE(fs::exists(def.lockPath));
  def.Unlink();
}

TEST_F(QvtTest, ResultWrittenOnceAfterIoError) {
  QvtBTUtil q(1, ch_);
  q.SetStatusAB(7, 2);
  EXPECT_TRUE(q.WriteIOError(1, 0xFFFFFFFFu, 0xFFFFFFFFu));
  EXPECT_ALL({VAL(RegValue("GameResult"), 0xFFFFFFFDu), VAL(RegValue("IOErrorCoin"), 7u),
              VAL(RegValue("IOErrorCredit"), 2u)});
  EXPECT_FALSE(q.WriteGameResultOnce(0));
  EXPECT_EQ(RegValue("GameResult"), 0xFFFFFFFDu);
  EXPECT_FALSE(q.WriteIOError(5, 0, 0));  // no such error index
  EXPECT_TRUE(q.SetEventModeEnable(9));
  EXPECT_EQ(RegValue("EventModeEnable"), 1u);
}

TEST_F(QvtTest, LeaveRuleOfTheLibrary) {
  {
    plat::RegKey k;
    ASSERT_TRUE(k.Open(ch_.registryKey, true));
    ASSERT_TRUE(k.WriteDword("UserSelectEnable", 1));
  }
  QvtBTUtil q(0, ch_);  // no pipe: event B set
  static int closes = 0;
  closes = 0;
  auto close = [] { ++closes; };
  EXPECT_EQ(q.CheckUserExit(0, 0, 0, 0, close, 0), 0);  // no status, no buttons
  EXPECT_EQ(q.CheckUserExit(0x8200, 0, 0, 0, close, 0), 1);
  EXPECT_EQ(q.CheckUserExit(0, 0, 0x8200, 0, close, 0), 3);
  Block()[0] = 1;  // count-down ran out
  EXPECT_EQ(q.CheckUserExit(0, 0, 0, 0, close, 1), 5);
  EXPECT_EQ(closes, 3);
  q.SetStatusB(1);  // busy: stays
  EXPECT_EQ(q.CheckUserExit(0x8200, 0, 0, 0, close, 1), 0);
}

// A reader that went away must not kill the game with SIGPIPE.
TEST_F(QvtTest, BrokenPipeCountsDroppedCodes) {
  auto service = std::make_unique<plat::FifoReader>();
  ASSERT_TRUE(service->Open(ch_.pipePath));
  QvtBTUtil q(0, ch_);
  ASSERT_TRUE(q.HasPipe());
  q.PushFD();
  service.reset();
  q.PushCode(0);
  q.SendCode4(0);
  EXPECT_EQ(q.GetDroppedCodes(), 2u);
  EXPECT_EQ(q.GetCounterC(), 1);
  struct sigaction sa{};
  sigaction(SIGPIPE, nullptr, &sa);
  EXPECT_EQ(sa.sa_handler, SIG_IGN);
}

// The fake service in its own process: it receives the start-of-play codes and
// publishes a status and registry values that the client reads.
TEST_F(QvtTest, TwoProcessesWithFakeService) {
  const std::string tool = std::string(testsupport::TestBinaryDir()) + "/tools/fake_service";
  ASSERT_TRUE(fs::exists(tool)) << tool;
  int out[2];
  ASSERT_EQ(::pipe(out), 0);
  pid_t pid = ::fork();
  ASSERT_GE(pid, 0);
  if (pid == 0) {
    ::dup2(out[1], 1);
    ::close(out[0]);
    ::close(out[1]);
    const std::string save = dir_.string();
    ::execl(tool.c_str(), tool.c_str(), "--save-dir", save.c_str(), "--status", "4500", "--reg", "Resolution=1",
            "--expect", "2", "--timeout-ms", "10000", static_cast<char*>(nullptr));
    ::_exit(127);
  }
  ::close(out[1]);
  FILE* f = ::fdopen(out[0], "r");
  ASSERT_NE(f, nullptr);
  char line[64] = {};
  ASSERT_NE(std::fgets(line, sizeof line, f), nullptr);
  EXPECT_STREQ(line, "READY\n");

  {
    QvtBTUtil q(0, ch_);
    EXPECT_TRUE(q.HasPipe());
    EXPECT_EQ(q.GetResolution(), 1u);
    EXPECT_EQ(q.ReadSharedStatus(), 4500);
    q.PushFD();
    q.PushCode(0);
    EXPECT_EQ(q.GetDroppedCodes(), 0u);
  }
  std::string received;
  while (std::fgets(line, sizeof line, f)) received += line;
  std::fclose(f);
  int status = 0;
  ASSERT_EQ(::waitpid(pid, &status, 0), pid);
  EXPECT_TRUE(WIFEXITED(status));
  EXPECT_EQ(WEXITSTATUS(status), 0);
  EXPECT_EQ(received, "FD\n00\n");
  // Both have ended, in whichever order: nothing of theirs is left.
  for (const std::string& name : {ch_.eventA, ch_.eventB, ch_.blockName})
    EXPECT_FALSE(fs::exists("/dev/shm/" + name)) << name;
  EXPECT_FALSE(fs::exists(ch_.lockPath));
  EXPECT_FALSE(fs::exists(ch_.pipePath));
}

}  // namespace
