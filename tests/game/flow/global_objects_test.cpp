#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "cabinet/ServiceClient.h"
#include "game/core/Game.h"
#include "game/flow/GlobalObjects.h"
#include "support/TempDir.h"
#include "vrax/kernel/SKernel.h"

namespace {

std::vector<std::string> g_trace;
bool g_gameAliveWhenServiceCloses = false;

void Observe(const char* name, bool constructed) {
  g_trace.push_back(std::string(constructed ? "+" : "-") + name);
  if (!constructed && std::string(name) == "QvtBTUtil")
    g_gameAliveWhenServiceCloses = Game::GetInstance() != nullptr && SKernel::GetInstance() != nullptr;
}

TEST(GlobalObjects, BuiltInOrderAndTakenDownInReverseServiceClientFirst) {
  testsupport::ScopedSaveDir save;
  g_trace.clear();
  SetGlobalObjectObserver(&Observe);
  {
    EngineObjects objects;
    ConstructEngineObjects(&objects);
    EXPECT_EQ(Game::GetInstance(), objects.game.get());
    EXPECT_EQ(GetServiceClient(), objects.service.get());
    DestroyEngineObjects(&objects);
    EXPECT_EQ(Game::GetInstance(), nullptr);
    EXPECT_EQ(GetServiceClient(), nullptr);
    EXPECT_EQ(SKernel::GetInstance(), nullptr);
  }
  SetGlobalObjectObserver(nullptr);
  const std::vector<std::string> expected = {
      "+SKernel", "+SIOMan", "+SRscMan", "+SGpMan", "+SCtrlMan", "+Game", "+QvtBTUtil",
      "-QvtBTUtil", "-Game", "-SCtrlMan", "-SGpMan", "-SRscMan", "-SIOMan", "-SKernel"};
  EXPECT_EQ(g_trace, expected);
  EXPECT_TRUE(g_gameAliveWhenServiceCloses);
}

}  // namespace
