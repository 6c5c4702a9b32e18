// What the bus costs the cabinet: one frame's cycle over a clean wire (the
// master's processor time, and the bus time of the cycle: node 0 and node 1,
// a request and an answer each), and what one spoiled exchange costs: the
// bus time from the spoiled request to the answer the cycle then takes
// (reported as recovery_ms; the master waits kJvsByteWaitMs for a missing
// answer, then kJvsQuietMs of quiet line). The bus runs on the simulated
// wire of the tests, whose time is its own: the bus times are exact, the
// processor times those of this machine. Also the poll rate and input delay
// with stray bytes after every frame a node sends, and a clean cycle on an
// echoing line (every byte the master writes comes back to it).
#include <benchmark/benchmark.h>

#include "cabinet/JvsMaster.h"
#include "support/BusWorld.h"

using testsupport::BusWorld;
using testsupport::SimJvsWire;

namespace {

// The bus time of each frame's step (the wire's clock moves only while the
// master waits on it, or by the 16 ms the world adds per frame).
struct StepClock {
  uint32_t start = 0;
  uint32_t total = 0;
  int steps = 0;
};

void BM_CleanCycle(benchmark::State& state) {
  BusWorld w;
  w.wire.echo = state.range(0) != 0;
  if (!w.Open() || !w.FramesUntil([&] { return w.Ready() && w.inputsRead > 0; })) {
    state.SkipWithError("the bus did not come up");
    return;
  }
  StepClock clock;
  w.beforeStep = [&](BusWorld& world) { clock.start = world.wire.NowMs(); };
  for (auto _ : state) {
    w.Frame();
    clock.total += w.wire.NowMs() - w.frameMs - clock.start;
    ++clock.steps;
  }
  state.counters["cycle_bus_ms"] = double(clock.total) / clock.steps;
  state.counters["exchanges_per_cycle"] = double(w.wire.Exchanges().size()) / w.frames;
}
// Range 0: 1 on an echoing line.
BENCHMARK(BM_CleanCycle)->Arg(0)->Arg(1);

// One spoiled exchange every tenth frame, of the kind given: 0 node 1's
// answer lost, 1 damaged, 2 late, 3 its request lost, 4 the answer to a poll
// that takes a coin off lost (the master asks for the node's last reply).
void BM_SpoiledExchange(benchmark::State& state) {
  const int kind = int(state.range(0));
  BusWorld w;
  if (!w.Open() || !w.FramesUntil([&] { return w.Ready() && w.inputsRead > 0; })) {
    state.SkipWithError("the bus did not come up");
    return;
  }
  StepClock clock;
  bool spoil = false;  // armed until the frame whose poll is spoiled
  w.beforeStep = [&](BusWorld& world) {
    clock.start = world.wire.NowMs();
    if (!spoil || (kind == 4 && !BusWorld::QueuedDecrease())) return;
    world.wire.StartCounting();
    if (kind == 3)
      world.wire.SetRequestFault(1, SimJvsWire::kLost);
    else
      world.wire.SetReplyFault(1, kind == 1 ? SimJvsWire::kDamaged : kind == 2 ? SimJvsWire::kLate : SimJvsWire::kLost);
    spoil = false;
    clock.steps = -1;  // this step is the one measured
  };
  int frame = 0;
  uint32_t recovery = 0;
  int recoveries = 0;
  for (auto _ : state) {
    if (++frame % 10 == 0) {
      spoil = true;
      if (kind == 4) w.InsertCoins(0, 1);
    }
    w.Frame();
    if (clock.steps == -1) {
      recovery += w.wire.NowMs() - w.frameMs - clock.start;
      ++recoveries;
      clock.steps = 0;
    }
    if (w.Halted()) {
      state.SkipWithError("the bus stopped");
      return;
    }
  }
  if (recoveries) state.counters["recovery_ms"] = double(recovery) / recoveries;
  state.counters["spoiled"] = recoveries;
}
BENCHMARK(BM_SpoiledExchange)->DenseRange(0, 4);

// Polls a second and the input delay (bus time from a switch change to the
// game reading it: mean and worst) with a board whose line driver sends a
// stray byte after every frame (range 1: after a 2 ms pause; 0: none), on
// one node or two (range 0).
void BM_StrayBytes(benchmark::State& state) {
  const int nodes = int(state.range(0));
  const int stray = int(state.range(1));
  BusWorld w(nodes);
  if (stray) {
    w.wire.afterReply = {0xFF};
    w.wire.afterReplyMs = stray == 2 ? 2 : 0;
  }
  if (!w.Open() || !w.FramesUntil([&] { return w.Ready() && w.inputsRead > 0; })) {
    state.SkipWithError("the bus did not come up");
    return;
  }
  const uint32_t start = w.wire.NowMs();
  const int cycles = w.wire.board.cycles.size() > 1 ? w.wire.board.cycles[1] : 0;
  w.inputDelays = 0;
  w.inputDelayTotalMs = 0;
  w.inputDelayMaxMs = 0;
  for (auto _ : state) {
    w.Frame();
    if (w.Halted()) {
      state.SkipWithError("the bus stopped");
      return;
    }
  }
  const double seconds = (w.wire.NowMs() - start) / 1000.0;
  state.counters["polls_per_s"] = (w.wire.board.cycles[1] - cycles) / seconds;
  if (w.inputDelays) {
    state.counters["input_delay_mean_ms"] = double(w.inputDelayTotalMs) / w.inputDelays;
    state.counters["input_delay_max_ms"] = w.inputDelayMaxMs;
  }
}
BENCHMARK(BM_StrayBytes)->ArgsProduct({{1, 2}, {0, 1, 2}})->Iterations(2000);

}  // namespace

BENCHMARK_MAIN();
