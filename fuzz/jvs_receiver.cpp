// Feeds arbitrary wire bytes to the bus's receive state machine, split into
// reads at the positions the first byte chooses; a complete frame must lie
// inside the machine's buffer and its length must come from the wire. Each
// complete frame is then read as the reply to every standard command of a
// node (bit 0x40 of the first byte: a player node's poll, else the board's
// own channel), report by report as the master hands a reply to the
// standard reply handler, which must never take more than the frame holds.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "cabinet/JvsFrame.h"
#include "cabinet/JvsMaster.h"

namespace {

using Command = std::vector<uint8_t>;

// Node 0: status, the setting commands and one the handler does not know.
const std::vector<Command> kBoardCommands = {{0x01, 0x02}, {0x02, 0x10}, {0x06, 0x00}, {0x08, 0x01},
                                             {0x00},       {0x03},       {0x04},       {0x05},
                                             {0x07},       {0x09}};
// A player node: switches of 2 players x 2 bytes, 2 coin slots, a coin
// decrease, outputs, and one the handler does not know.
const std::vector<Command> kNodeCommands = {{0x20, 2, 2}, {0x21, 2}, {0x30, 1, 0, 1}, {0x32, 1, 0x80}, {0x70}};

void WalkReply(uint8_t node, const std::vector<Command>& commands, const uint8_t* reply, size_t len) {
  size_t p = 1;  // past the status byte
  for (const Command& c : commands) {
    if (p >= len) return;
    // Commands 0x04 and 0x05 have a report byte only, as the master reads them.
    const int32_t r =
        (c[0] == 0x04 || c[0] == 0x05) ? 1 : JvsStdReplyHandler(node, c.data(), c.size(), reply + p, len - p);
    if (r < 0) return;
    if (size_t(r) > len - p) __builtin_trap();
    p += size_t(r);
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0) return 0;
  JvsReceiver rx;
  const size_t step = data[0] % 7 + 1;
  const bool playerNode = (data[0] & 0x40) != 0;
  for (size_t i = 1; i < size; i += step) {
    if (data[0] & 0x80) rx.Reset();
    for (size_t k = i; k < size && k < i + step; ++k) {
      if (rx.Feed(data[k]) != JvsReceiver::kFrame) continue;
      if (rx.Size() > 254) __builtin_trap();
      WalkReply(playerNode ? 1 : 0, playerNode ? kNodeCommands : kBoardCommands, rx.Data(), rx.Size());
    }
  }
  return 0;
}
