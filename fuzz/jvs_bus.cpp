// Drives the cabinet I/O device on the simulated bus (tests/support) from
// the input: the board's ways, then a script of what happens to each frame
// either way (whole, lost, damaged, status 3 for a request, late for an
// answer) and when coins go in. Traps on what must never happen: a switch
// word not set for node 1 lately, a credit ahead of the coins, a stop
// before six spoiled exchanges in a row (or six failed address assignments,
// or a reset every frame of which was lost), and, once the script is spent and
// the bus has settled, a coin not credited once or not taken off once, or
// the node's counter not at 0.
//
// Input: byte 0: bit 0 two nodes, bit 1 silent on damage, bit 2 status 3
// kept, bit 3 copies growing, bit 4 counts busy after a decrease, bits 5-7
// coins per insertion (1-8); then one byte per frame on the wire (low
// three bits: 0-3 whole, 4 lost, 5 damaged, 6 status 3 or late, 7 whole) and
// per game frame (bit 7 set: coins go in, when the last are counted).
#include <cstddef>
#include <cstdint>

#include "cabinet/JvsMaster.h"
#include "support/BusWorld.h"

using testsupport::BusWorld;
using testsupport::SimJvsWire;

namespace {

struct Script {
  const uint8_t* at;
  const uint8_t* end;
  bool Spent() const { return at >= end; }
  uint8_t Next() { return at < end ? *at++ : 0; }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 1) return 0;
  const uint8_t ways = data[0];
  Script script{data + 1, data + size};
  BusWorld w((ways & 1) ? 2 : 1);
  w.wire.board.silentOnDamage = ways & 2;
  w.wire.board.keepStatusThree = ways & 4;
  w.wire.board.grow = ways & 8;
  if (ways & 16) w.wire.board.nodes[0].coinReportAfterDecrease = 4;
  const uint16_t coins = static_cast<uint16_t>(1 + (ways >> 5));
  w.wire.script = [&](bool request) {
    switch (script.Next() & 7) {
      case 4:
        return SimJvsWire::kLost;
      case 5:
        return SimJvsWire::kDamaged;
      case 6:
        return request ? SimJvsWire::kStatusThree : SimJvsWire::kLate;
      default:
        return SimJvsWire::kWhole;
    }
  };
  if (!w.Open()) __builtin_trap();
  auto halted = [&] {
    if (!w.Halted()) return;
    if (!w.StopAllowed()) __builtin_trap();
    if (!w.Reopen()) __builtin_trap();
  };
  for (int f = 0; f < 120 && !script.Spent(); ++f) {
    halted();
    // Coins go in only once the last are in and counted: the node's counter
    // then settles a decrease exactly, whatever else happens.
    if ((script.Next() & 0x80) && w.Ready() && w.CoinsSettled()) w.InsertCoins(0, coins);
    w.Frame();
    if (!w.fault.empty()) __builtin_trap();
  }
  w.wire.script = nullptr;
  halted();
  if (!w.FramesUntil([&] { return w.Ready() && w.CoinsSettled(); }, 400)) __builtin_trap();
  for (int i = 0; i < 6; ++i) w.Frame();
  if (!w.fault.empty() || !w.CoinProperties().empty()) __builtin_trap();
  return 0;
}
