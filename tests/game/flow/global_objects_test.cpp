#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "cabinet/ServiceClient.h"
#include "game/core/Game.h"
#include "game/enemy/EObjBase.h"
#include "game/enemy/EnemyMan.h"
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

// An enemy as the draw list sees it: listed when it starts, unlisted when it
// is disposed.
class ListedEnemy : public EObjBase {
 protected:
  int32_t Init(SProcArg) override {
    EnemyDrawListAdd(this);
    SetInitResult(0);
    return 0;
  }
  int32_t OnDispose(SProcArg) override {
    EnemyDrawListRemove(this);
    return 0;
  }
};

// At exit the enemy manager is taken down before the storage of its pointer
// array: an enemy still under it leaves the array while the array exists.
TEST(GlobalObjectsDeathTest, TheEnemyArrayOutlivesTheEnemyManagerAtExit) {
  // A fresh process: its globals built by the start-up, not left by earlier tests.
  const std::string style = GTEST_FLAG_GET(death_test_style);
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  EXPECT_EXIT(
      {
        SProc root;  // never destroyed: the process ends inside this block
        root.StartRoot(0);
        root.AddChildProcess(&g_EnemyMan, 0);
        g_EnemyMan.AddChild(0, new ListedEnemy, 0);
        if (EnemyDrawList.size() != 1) std::_Exit(3);
        std::exit(0);
      },
      ::testing::ExitedWithCode(0), "");
  GTEST_FLAG_SET(death_test_style, style);
}

}  // namespace
