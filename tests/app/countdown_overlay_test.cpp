// The service's count-down through the whole program: the status word in the
// shared block reaches the overlay at the frame end, which fades the panel
// in over the game's picture and out again when the status is withdrawn.
#include <gtest/gtest.h>

#include "cabinet/QvtBTUtil.h"
#include "platform/byte_order.h"
#include "support/Headless.h"

namespace {

TEST(CountDownOverlay, FadesInWithTheStatusAndOutWithoutIt) {
  testsupport::Headless sys;
  ASSERT_TRUE(sys.Ok()) << sys.Failure();
  QvtSharedMemory block;
  ASSERT_TRUE(block.Open(QvtChannels::Default()));
  auto panel = [&] {
    plat::Image shot;
    if (!sys.Screenshot(&shot)) return -1;
    const uint8_t* p = &shot.rgba[(size_t(145) * shot.width + 320) * 4];  // inside the panel's band
    return p[0] + p[1] + p[2];
  };
  sys.Step(3);
  EXPECT_EQ(panel(), 0);  // no count-down: nothing there
  uint8_t head[8] = {1};
  plat::WriteLe32(head + 4, 30000);
  ASSERT_TRUE(block.Write(0, 1, head) && block.Write(4, 4, head + 4));
  int frames = 0;
  while (panel() <= 0 && frames < 300) frames += sys.Step(1);
  EXPECT_GT(panel(), 0) << "after " << frames << " frames";
  const uint8_t none = 0;
  ASSERT_TRUE(block.Write(0, 1, &none));
  frames = 0;
  while (panel() != 0 && frames < 300) frames += sys.Step(1);
  EXPECT_EQ(panel(), 0) << "after " << frames << " frames";
}

}  // namespace
