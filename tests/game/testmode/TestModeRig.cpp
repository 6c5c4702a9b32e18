#include "TestModeRig.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "cabinet/ServiceClient.h"
#include "platform/input_devices.h"
#include "platform/registry.h"

namespace testmode_rig {

namespace {

testsupport::HeadlessOptions WithDevice(bool pictures, testsupport::HeadlessOptions o) {
  o.nullDevice = !pictures;
  return o;
}

std::string SceneName(Game* g) {
  SProcList* l = g->GetList(GAME_LIST_SCENE);
  for (SProc* p = l ? l->Head() : nullptr; p; p = SProcList::Next(p))
    if (p->GetState() == SProc::STATE_RUNNING) return p->GetName();
  return {};
}

}  // namespace

TestModeRig::TestModeRig(bool pictures, testsupport::HeadlessOptions options)
    : sys_(WithDevice(pictures, std::move(options))) {
  // What a program start in a fresh process holds (several tests share one).
  for (int32_t& w : ManualCoinSettings) w = 1;
}

TestMode* TestModeRig::Mode() const {
  Game* g = GetGame();
  return g ? dynamic_cast<TestMode*>(g->FindInList("TestMode", GAME_LIST_MANAGERS)) : nullptr;
}

bool TestModeRig::RunToScene(const std::string& scene) {
  EXPECT_TRUE(sys_.Ok()) << sys_.Failure();
  Game* g = GetGame();
  if (!sys_.Ok() || !g) return false;
  for (int frames = 0; SceneName(g) != scene && frames < 2000; ++frames) sys_.Step();
  EXPECT_EQ(SceneName(g), scene);
  return SceneName(g) == scene;
}

bool TestModeRig::Open(const std::string& scene) {
  if (!RunToScene(scene)) return false;
  Frame({kTest});
  int frames = 0;
  EXPECT_NE(Mode(), nullptr) << "the test switch did not start the test mode";
  for (frames = 0; frames < 20 && Mode() && Mode()->GetRunState() != TEST_RUN_RUNNING; ++frames) Frame();
  const bool running = Mode() && Mode()->GetRunState() == TEST_RUN_RUNNING;
  EXPECT_TRUE(running);
  return running;
}

void TestModeRig::Frame(const Inputs& held, int frames) {
  plat::ClearInjectedCabInputs();
  for (CabInput i : held) plat::InjectCabInput(i, true);
  sys_.Step(frames);
  plat::ClearInjectedCabInputs();
}

void TestModeRig::Tap(const Inputs& held) {
  Frame(held);
  Frame();
}

void TestModeRig::Run(const std::vector<PadLine>& script) {
  for (const PadLine& line : script) Frame(line.held, line.frames);
}

void TestModeRig::CursorTo(int32_t item) {
  ASSERT_NE(Mode(), nullptr);
  for (int i = 0; i < 8 && Mode()->GetCursor() != item; ++i) Tap({kDown});
  ASSERT_EQ(Mode()->GetCursor(), item);
}

void TestModeRig::OpenPage(int32_t item) {
  ASSERT_NE(Mode(), nullptr);
  ASSERT_EQ(Mode()->GetPage(), TEST_PAGE_MENU);
  CursorTo(item);
  Tap({kB1});
  ASSERT_EQ(Mode()->GetPage(), item + 1);
}

bool TestModeRig::BackToMenu(int limit) {
  for (int i = 0; i < limit; ++i) {
    TestMode* m = Mode();
    if (m && m->GetPage() == TEST_PAGE_MENU && m->GetRunState() == TEST_RUN_RUNNING) return true;
    Frame();
  }
  return false;
}

std::string SettingsFileBytes(const testsupport::Headless& sys) {
  std::ifstream f(sys.SaveDir() + "/OSR_SYS.dat", std::ios::binary);
  std::stringstream s;
  s << f.rdbuf();
  return s.str();
}

std::string SettingsFileFor(const int32_t* words) {
  std::string bytes(64, '\0');
  for (int w = 0; w < 15; ++w)
    for (int b = 0; b < 4; ++b) bytes[4 * w + b] = static_cast<char>((static_cast<uint32_t>(words[w]) >> (8 * b)) & 0xFF);
  unsigned sum = 0;
  for (int p = 0; p < 60; ++p) sum += static_cast<uint8_t>(bytes[p]) + p % 5;
  bytes[60] = static_cast<char>(sum & 0xFF);
  return bytes;
}

}  // namespace testmode_rig
