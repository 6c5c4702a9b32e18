// Coins through the whole program: the simulated board's coin input and the
// service button become credits that the credit line shows and that the
// network service hears, in its own process.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <string>

#include "cabinet/QvtBTUtil.h"
#include "cabinet/SimCabIoBoard.h"
#include "game/core/CoinCounter.h"
#include "game/core/Game.h"
#include "game/player/ZGInterface.h"
#include "platform/clock.h"
#include "support/BuildDirs.h"
#include "support/Headless.h"
#include "support/ImageCompare.h"

namespace {

using plat::CabInput;
using testsupport::Headless;

// Bright pixels on the row band of the credit line (play y 300 to 318 at
// three quarters: screen rows 465 to 478), over the middle of the screen.
int64_t CreditLinePixels(Headless& h) {
  plat::Image img;
  if (!h.Screenshot(&img)) return -1;
  return testsupport::PixelsUnlike(img, 0xFF000000u, 250, 466, 390, 478, 60);
}

// The coin counter is a global object: a program started earlier in this
// test binary must not leave its counts to the next.
void ClearCoins() {
  CoinCounter* c = GetCoinCounter();
  c->pendingCoins = c->handOver = c->coins = c->totalCoins = c->serviceCoins = 0;
  c->serviceCredits = c->credits = c->remainder = c->coinEvent = c->lastSource = 0;
  c->mode = CoinCounter::MODE_IDLE;
}

void RunUntilScene(Headless& h, int32_t scene) {
  Game* g = Game::GetInstance();
  for (int i = 0; i < 600 && g->GetSceneId() < scene; ++i) h.Step();
  ASSERT_GE(g->GetSceneId(), scene);
}

TEST(CoinPlay, CoinsAndServicePressesRaiseTheCreditsShownAndReported) {
  ClearCoins();
  Headless h;
  ASSERT_TRUE(h.Ok()) << h.Failure();
  CoinCounter* coins = GetCoinCounter();
  ASSERT_NE(coins, nullptr);
  // Until the first scene the counter is idle: a coin stays on the board.
  h.Step(2);
  ASSERT_EQ(coins->mode, CoinCounter::MODE_IDLE);
  h.Press(CabInput::kCoin, 2);
  h.Step(2);
  EXPECT_EQ(SimCabIoBoard::Instance().CoinCount(0, 0), 1);
  EXPECT_EQ(coins->credits, 0);
  RunUntilScene(h, SCENE_NOTICE);
  h.Step(4);
  EXPECT_EQ(coins->mode, CoinCounter::MODE_PLAY);
  EXPECT_EQ(SimCabIoBoard::Instance().CoinCount(0, 0), 0);  // handed back to the board and counted
  EXPECT_EQ(coins->credits, 1);
  // The line fades 4 s after the change; a coin brings it back.
  h.Step(250);
  EXPECT_EQ(CreditLinePixels(h), 0);
  h.Press(CabInput::kCoin, 2);
  h.Step(4);
  EXPECT_EQ(coins->credits, 2);
  EXPECT_STREQ(g_ZGInterface.Coins().LineText(), "CREDIT(S) 2");
  EXPECT_GT(CreditLinePixels(h), 40);
  // The service button: one credit a press with the default coin settings.
  h.Press(CabInput::kService, 2);
  h.Step(2);
  EXPECT_EQ(coins->credits, 3);
  EXPECT_EQ(coins->serviceCredits, 1);
}

// The fake network service, in its own process, sees the game's busy byte
// go to 1 with the first credit.
TEST(CoinPlay, TheFakeServiceSeesTheGameBusy) {
  const std::string tool = std::string(testsupport::TestBinaryDir()) + "/tools/fake_service";
  ASSERT_TRUE(std::filesystem::exists(tool)) << tool;
  ClearCoins();
  Headless h;
  ASSERT_TRUE(h.Ok()) << h.Failure();
  RunUntilScene(h, SCENE_NOTICE);
  int out[2];
  ASSERT_EQ(::pipe(out), 0);
  const pid_t pid = ::fork();
  ASSERT_GE(pid, 0);
  if (pid == 0) {
    ::dup2(out[1], 1);
    ::close(out[0]);
    ::close(out[1]);
    ::execl(tool.c_str(), tool.c_str(), "--save-dir", h.SaveDir().c_str(), "--busy", "--expect", "0",
            "--timeout-ms", "3000", static_cast<char*>(nullptr));
    ::_exit(127);
  }
  ::close(out[1]);
  FILE* f = ::fdopen(out[0], "r");
  ASSERT_NE(f, nullptr);
  char line[64] = {};
  ASSERT_NE(std::fgets(line, sizeof line, f), nullptr);  // "READY"
  // Each state held for a while of wall time, so that the service sees it.
  auto hold = [&h](int64_t ms) {
    const int64_t end = plat::PerfCounter() + ms * plat::PerfFrequency() / 1000;
    while (plat::PerfCounter() < end) h.Step();
  };
  hold(300);
  h.Press(CabInput::kCoin, 2);
  hold(300);
  h.Press(CabInput::kCoin, 2);
  hold(300);
  std::string received;
  while (std::fgets(line, sizeof line, f)) received += line;
  std::fclose(f);
  int status = 0;
  ASSERT_EQ(::waitpid(pid, &status, 0), pid);
  EXPECT_TRUE(WIFEXITED(status));
  EXPECT_EQ(WEXITSTATUS(status), 0) << received;
  EXPECT_EQ(received, "BUSY 0\nBUSY 1\n");
}

}  // namespace
