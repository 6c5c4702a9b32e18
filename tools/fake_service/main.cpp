// Plays the network service's side for tests and manual runs: creates the
// pipe and reads the one-byte play codes, publishes a count-down status in the
// shared block and writes the registry values the game reads at start-up.
//
//   fake_service [--save-dir DIR] [--status MS] [--reg Name=value]...
//                [--expect N] [--timeout-ms T]
//
// Prints "READY" once the pipe is open, then every code received as two hex
// digits on its own line; exits 0 after N codes (N of 0: at the time-out),
// 2 on a time-out before N codes, 1 on a set-up failure.
#include <cstdio>
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

namespace {

bool PublishStatus(const QvtChannels& ch, int32_t status) {
  QvtSharedMemory block;
  if (!block.Open(ch)) return false;
  uint8_t head[8] = {1};
  plat::WriteLe32(head + 4, static_cast<uint32_t>(status));
  // Byte 1 belongs to the game: write the valid byte and the status word only.
  return block.Write(0, 1, head) && block.Write(4, 4, head + 4);
}

}  // namespace

int main(int argc, char** argv) {
  bool haveStatus = false;
  int32_t status = 0;
  long expect = 0;
  long timeoutMs = 10000;
  std::vector<std::pair<std::string, uint32_t>> regs;
  for (int i = 1; i < argc; ++i) {
    std::string a = argv[i];
    auto next = [&]() -> const char* { return i + 1 < argc ? argv[++i] : ""; };
    if (a == "--save-dir") {
      plat::SetSaveDir(next());
    } else if (a == "--status") {
      haveStatus = true;
      status = static_cast<int32_t>(std::strtol(next(), nullptr, 0));
    } else if (a == "--reg") {
      std::string kv = next();
      size_t eq = kv.find('=');
      if (eq == std::string::npos) return 1;
      regs.emplace_back(kv.substr(0, eq), static_cast<uint32_t>(std::strtoul(kv.c_str() + eq + 1, nullptr, 0)));
    } else if (a == "--expect") {
      expect = std::strtol(next(), nullptr, 0);
    } else if (a == "--timeout-ms") {
      timeoutMs = std::strtol(next(), nullptr, 0);
    } else {
      std::fprintf(stderr, "fake_service: unknown argument %s\n", a.c_str());
      return 1;
    }
  }

  const QvtChannels ch = QvtChannels::Default();
  if (!regs.empty()) {
    plat::RegKey key;
    if (!key.Open(ch.registryKey, true)) return 1;
    for (const auto& [name, v] : regs)
      if (!key.WriteDword(name, v)) return 1;
  }
  if (haveStatus && !PublishStatus(ch, status)) return 1;

  plat::FifoReader pipe;
  if (!pipe.Open(ch.pipePath)) return 1;
  std::printf("READY\n");
  std::fflush(stdout);

  const int64_t deadline = plat::PerfCounter() + int64_t(timeoutMs) * plat::PerfFrequency() / 1000;
  long got = 0;
  while (expect == 0 || got < expect) {
    if (plat::PerfCounter() >= deadline) return expect == 0 ? 0 : 2;
    uint8_t buf[64];
    size_t n = pipe.Read(buf, expect ? std::min<size_t>(sizeof buf, size_t(expect - got)) : sizeof buf, 20);
    for (size_t k = 0; k < n; ++k) std::printf("%02X\n", buf[k]);
    if (n) std::fflush(stdout);
    got += static_cast<long>(n);
  }
  return 0;
}
