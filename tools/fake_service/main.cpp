// Plays the network service's side for tests and manual runs: creates the
// pipe and reads the one-byte play codes, publishes a count-down status in the
// shared block and writes the registry values the game reads at start-up.
//
//   fake_service [--save-dir DIR] [--status MS] [--countdown MS]
//                [--reg Name=value]... [--expect N] [--timeout-ms T]
//                [--busy]
//   fake_service --help      prints this usage
//
// Prints "READY" once the pipe is open, then every code received as two hex
// digits on its own line; with --busy also "BUSY b" whenever the game's busy
// byte in the shared block changes.
// Exits 0 after N codes (N of 0: at the time-out), 2 on a time-out before
// N codes, 1 on a set-up failure.
//
// A count-down (--countdown MS, or a line "start MS" on standard input) runs
// down in real time; at 0 it holds for a second and is then withdrawn, as is
// any status at a line "stop" and when the tool ends. The tool also removes
// its pipe when it ends.
#include <poll.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "cabinet/QvtBTUtil.h"
#include "platform/byte_order.h"
#include "platform/clock.h"
#include "platform/ipc.h"
#include "platform/paths.h"
#include "platform/registry.h"
#include "tools/common/Arguments.h"
#include "tools/common/WholeNumber.h"

namespace {

bool PublishStatus(QvtSharedMemory& block, int32_t status) {
  uint8_t head[8] = {1};
  plat::WriteLe32(head + 4, static_cast<uint32_t>(status));
  // Byte 1 belongs to the game: write the valid byte and the status word only.
  return block.Write(0, 1, head) && block.Write(4, 4, head + 4);
}

bool WithdrawStatus(QvtSharedMemory& block) {
  const uint8_t none = 0;
  return block.Write(0, 1, &none);
}

// A count-down published from the real clock.
struct CountDown {
  bool running = false;
  int64_t endTicks = 0;  // when it reaches 0
  int32_t last = -2;

  void Start(int32_t ms) {
    running = true;
    endTicks = plat::PerfCounter() + int64_t(ms) * plat::PerfFrequency() / 1000;
    last = -2;
  }
  // Publishes the time left when it changed; withdraws the status a second
  // after 0.
  void Tick(QvtSharedMemory& block) {
    if (!running) return;
    const int64_t left = (endTicks - plat::PerfCounter()) * 1000 / plat::PerfFrequency();
    if (left < -1000) {
      Stop(block);
      return;
    }
    const int32_t ms = static_cast<int32_t>(std::max<int64_t>(left, 0));
    if (ms != last) PublishStatus(block, ms);
    last = ms;
  }
  void Stop(QvtSharedMemory& block) {
    running = false;
    WithdrawStatus(block);
  }
};

// Reads "start MS" and "stop" lines from standard input without waiting.
void ReadCommands(QvtSharedMemory& block, CountDown* cd, bool* stdinOpen, std::string* pending) {
  if (!*stdinOpen) return;
  pollfd p{0, POLLIN, 0};
  if (::poll(&p, 1, 0) <= 0) return;
  char buf[256];
  const ssize_t n = ::read(0, buf, sizeof buf);
  if (n <= 0) {
    *stdinOpen = false;
    return;
  }
  pending->append(buf, static_cast<size_t>(n));
  size_t nl;
  while ((nl = pending->find('\n')) != std::string::npos) {
    const std::string line = pending->substr(0, nl);
    pending->erase(0, nl + 1);
    if (line.rfind("start", 0) == 0) {
      cd->Start(static_cast<int32_t>(std::strtol(line.c_str() + 5, nullptr, 0)));
    } else if (line.rfind("stop", 0) == 0) {
      cd->Stop(block);
    }
  }
}

// Prints the game's busy byte (offset 1 of the block) when it differs from
// the last one printed.
struct BusyWatch {
  bool shown = false;
  uint8_t busy = 0;
  void Tick(QvtSharedMemory& block) {
    uint8_t bytes[QvtSharedMemory::kSize];
    if (!block.Read(bytes) || (shown && bytes[1] == busy)) return;
    shown = true;
    busy = bytes[1];
    std::printf("BUSY %u\n", unsigned{busy});
    std::fflush(stdout);
  }
};

const char kUsage[] =
    "usage: fake_service [--save-dir DIR] [--status MS] [--countdown MS]\n"
    "                    [--reg Name=value]... [--expect N] [--timeout-ms T] [--busy]\n"
    "       fake_service --help\n"
    "  plays the network service for the game: writes registry values (--reg Resolution=1),\n"
    "  publishes a count-down status (--status, milliseconds) or runs a count-down (--countdown;\n"
    "  lines \"start MS\" and \"stop\" on standard input), prints READY, then every play code\n"
    "  received as two hex digits (and with --busy the game's busy byte as \"BUSY b\");\n"
    "  ends after N codes (--expect; 0: at the time-out, 10000 ms unless --timeout-ms).\n"
    "  Exit status: 0, 2 on a usage error or a time-out before N codes, 1 on a set-up failure.\n";

}  // namespace

int main(int argc, char** argv) {
  bool haveStatus = false;
  int32_t status = 0;
  int32_t countdown = -1;
  long expect = 0;
  long timeoutMs = 10000;
  bool busy = false;
  std::vector<std::pair<std::string, uint32_t>> regs;
  // A number argument (tools::ParseWholeNumber); anything else is a usage
  // error told in one line that names the option (tools::BadArgument).
  bool badNumber = false;
  for (int i = 1; i < argc && !badNumber; ++i) {
    std::string a = argv[i];
    auto next = [&]() -> const char* { return i + 1 < argc ? argv[++i] : ""; };
    auto number = [&](const char* text, int64_t least, int64_t most) {
      int64_t n = 0;
      badNumber = !tools::ParseWholeNumber(text, least, most, &n);
      if (badNumber) tools::BadArgument("fake_service", a, tools::WholeNumberRange(least, most));
      return n;
    };
    if (a == "--save-dir") {
      const char* dir = next();
      if (int bad = tools::CheckFolder("fake_service", a, dir, "the save directory")) return bad;
      plat::SetSaveDir(dir);
    } else if (a == "--status") {
      haveStatus = true;
      status = static_cast<int32_t>(number(next(), INT32_MIN, INT32_MAX));
    } else if (a == "--countdown") {
      countdown = static_cast<int32_t>(number(next(), 0, INT32_MAX));
    } else if (a == "--reg") {
      std::string kv = next();
      size_t eq = kv.find('=');
      int64_t v = 0;
      if (eq == std::string::npos || eq == 0 || !tools::ParseWholeNumber(kv.c_str() + eq + 1, 0, UINT32_MAX, &v))
        return tools::BadArgument("fake_service", a, "Name=value, the value " + tools::WholeNumberRange(0, UINT32_MAX));
      regs.emplace_back(kv.substr(0, eq), static_cast<uint32_t>(v));
    } else if (a == "--expect") {
      expect = number(next(), 0, INT32_MAX);
    } else if (a == "--busy") {
      busy = true;
    } else if (a == "--timeout-ms") {
      timeoutMs = number(next(), 0, INT32_MAX);
    } else if (tools::AsksForHelp(argv[i])) {
      return tools::ShowHelp(kUsage);
    } else {
      std::fprintf(stderr, "fake_service: unknown argument %s\n%s", a.c_str(), kUsage);
      return 2;
    }
  }
  if (badNumber) return 2;

  const QvtChannels ch = QvtChannels::Default();
  if (!regs.empty()) {
    plat::RegKey key;
    if (!key.Open(ch.registryKey, true)) return 1;
    for (const auto& [name, v] : regs)
      if (!key.WriteDword(name, v)) return 1;
  }
  // Held for the whole run: the service is one of the users of the shared
  // objects, which the last user to leave removes.
  QvtSharedMemory block;
  if (!block.Open(ch)) return 1;
  if (haveStatus && !PublishStatus(block, status)) return 1;

  plat::FifoReader pipe;
  if (!pipe.Open(ch.pipePath)) return 1;
  std::printf("READY\n");
  std::fflush(stdout);

  CountDown cd;
  BusyWatch watch;
  if (countdown >= 0) cd.Start(countdown);
  bool stdinOpen = true;
  std::string pending;
  const int64_t deadline = plat::PerfCounter() + int64_t(timeoutMs) * plat::PerfFrequency() / 1000;
  long got = 0;
  int rc = 0;
  while (expect == 0 || got < expect) {
    if (plat::PerfCounter() >= deadline) {
      rc = expect == 0 ? 0 : 2;
      break;
    }
    ReadCommands(block, &cd, &stdinOpen, &pending);
    cd.Tick(block);
    if (busy) watch.Tick(block);
    uint8_t buf[64];
    size_t n = pipe.Read(buf, expect ? std::min<size_t>(sizeof buf, size_t(expect - got)) : sizeof buf, 20);
    for (size_t k = 0; k < n; ++k) std::printf("%02X\n", buf[k]);
    if (n) std::fflush(stdout);
    got += static_cast<long>(n);
  }
  // The service's objects end with it: no count-down is left behind, the
  // pipe goes, and the shared objects too when the game has ended.
  WithdrawStatus(block);
  pipe.Close();
  ::unlink(ch.pipePath.c_str());
  block.Close();
  return rc;
}
