// The whole program in its bus mode: the serial port named by the
// environment leads to a simulated bus, and the pads read its I/O node.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <chrono>

#include "cabinet/JvsFrame.h"
#include "cabinet/JvsMaster.h"
#include "platform/serial_port.h"
#include "support/FakeClock.h"
#include "support/Headless.h"
#include "support/SimJvsBus.h"
#include "vrax/input/SCtrlMan.h"

namespace {

// The master thread cycles the bus in real time while the program's frames
// run unpaced on the null device: wait for the pads on the wall clock (a
// loaded machine may need many frames), never on a frame count alone.
template <class Done>
int StepUntil(testsupport::Headless& sys, Done done) {
  const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(10);
  int frames = 0;
  while (!done() && std::chrono::steady_clock::now() < until) frames += sys.Step(1);
  return frames;
}

TEST(BusMode, PadsReadTheBusNode) {
  testsupport::SimJvsBus bus;
  ASSERT_TRUE(bus.Ok());
  bus.AddNode(testsupport::SimJvsNode{});
  testsupport::FakeClock clock;
  JvsSetClock(&clock);
  JvsSetPortLines(&bus);
  ::setenv(plat::kBusPortVariable, bus.PortPath().c_str(), 1);
  {
    testsupport::HeadlessOptions opt;
    opt.nullDevice = true;
    testsupport::Headless sys(opt);
    ::unsetenv(plat::kBusPortVariable);
    ASSERT_TRUE(sys.Ok()) << sys.Failure();
    bus.SetSwitches(0, 0, 0x8000 | 0x0800, 0);  // start and left
    const uint32_t want = 1u << 31 | 1u << 28;
    const int frames = StepUntil(sys, [&] { return (EngineInputBits & want) == want; });
    EXPECT_EQ(EngineInputBits & want, want) << "after " << frames << " frames";
    EXPECT_EQ(bus.BoardSetting(), 18000);  // sent once the board was ready
    bus.SetSwitches(0, 0, 0, 0);
    StepUntil(sys, [] { return EngineInputBits == 0; });
    EXPECT_EQ(EngineInputBits, 0u);
  }
  EXPECT_EQ(JvsGetState(), -1);  // the master stopped with the controller manager
  JvsSetPortLines(nullptr);
  JvsSetClock(nullptr);
}

}  // namespace
