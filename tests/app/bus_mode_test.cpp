// The whole program in its bus mode: the serial port named by the
// environment leads to a simulated bus, and the pads read its I/O node.
#include <gtest/gtest.h>
#include <stdlib.h>

#include "cabinet/JvsFrame.h"
#include "cabinet/JvsMaster.h"
#include "platform/serial_port.h"
#include "support/FakeClock.h"
#include "support/Headless.h"
#include "support/SimJvsBus.h"
#include "vrax/input/SCtrlMan.h"

namespace {

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
    int frames = 0;
    while ((EngineInputBits & want) != want && frames < 300) frames += sys.Step(1);
    EXPECT_EQ(EngineInputBits & want, want) << "after " << frames << " frames";
    EXPECT_EQ(bus.BoardSetting(), 18000);  // sent once the board was ready
    bus.SetSwitches(0, 0, 0, 0);
    for (int i = 0; i < 20 && EngineInputBits; ++i) sys.Step(1);
    EXPECT_EQ(EngineInputBits, 0u);
  }
  EXPECT_EQ(JvsGetState(), -1);  // the master stopped with the controller manager
  JvsSetPortLines(nullptr);
  JvsSetClock(nullptr);
}

}  // namespace
