#include "SceneRig.h"

#include <gtest/gtest.h>

#include "game/core/CoinCounter.h"
#include "game/core/CoinDisplay.h"
#include "game/player/Player.h"

namespace scene_rig {

namespace {

testsupport::HeadlessOptions WithDevice(bool pictures, testsupport::HeadlessOptions o) {
  o.nullDevice = !pictures;
  return o;
}

}  // namespace

SceneRig::SceneRig(bool pictures, testsupport::HeadlessOptions options)
    : sys_(WithDevice(pictures, std::move(options))) {
  if (!sys_.Ok()) {
    ADD_FAILURE() << sys_.Failure();
    return;
  }
  tap_ = std::make_unique<testsupport::ServiceTap>();
  Game* g = Game::GetInstance();
  for (int i = 0; i < 600 && g->GetSceneId() != SCENE_NOTICE; ++i) sys_.Step();
  if (g->GetSceneId() != SCENE_NOTICE) {
    ADD_FAILURE() << "the notice never came";
    return;
  }
  // The attract scene leaves without naming a successor.
  SProcList* l = g->GetList(GAME_LIST_SCENE);
  while (l != nullptr && l->Head() != nullptr) {
    SProc* p = l->Head();
    l->DetachProcess(p);
    delete p;
  }
  // The persistent Player may still hold an earlier world's play.
  g_Player.SetState(Player::STATE_RESET);
  game_ = g;
  // No credit left over from an earlier test of this process; the credit
  // line shown for the change has faded when the test begins.
  CoinCounter* coins = GetCoinCounter();
  coins->coins = coins->serviceCoins = coins->totalCoins = coins->credits = coins->serviceCredits = 0;
  const auto* display = dynamic_cast<CoinDisplay*>(g->FindByName("CoinDisplay"));
  const int32_t shown = CoinDisplay::kShowFrames + CoinDisplay::kFadeFrames;
  for (int i = 0; display && i <= shown && display->FramesSinceChange() <= shown; ++i) Frame();
  coins->coinEvent = 0;
}

std::string SceneRig::Current() const {
  SProcList* l = game_ ? game_->GetList(GAME_LIST_SCENE) : nullptr;
  for (SProc* p = l ? l->Head() : nullptr; p; p = SProcList::Next(p))
    if (p->GetState() == SProc::STATE_RUNNING) return p->GetName();
  return {};
}

bool SceneRig::Start(int32_t id, const std::string& name, int32_t a1) {
  if (!game_) return false;
  game_->ChangeScene(id, a1);
  for (int i = 0; i < 10 && Current() != name; ++i) Frame();
  EXPECT_EQ(Current(), name);
  return Current() == name;
}

void SceneRig::Frame(const Inputs& held, int frames) {
  plat::ClearInjectedCabInputs();
  for (CabInput i : held) plat::InjectCabInput(i, true);
  sys_.Step(frames);
  plat::ClearInjectedCabInputs();
}

void SceneRig::Press(const Inputs& held) {
  Frame(held);
  Frame();
}

void SceneRig::GiveCredits(int32_t n) { GetCoinCounter()->serviceCredits = n; }

void SceneRig::CoinArrives() {
  // Read by the scenes before the counter's own step clears it.
  GetCoinCounter()->coinEvent = 1;
  Frame();
}

int SceneRig::RunToNext(int limit) {
  const int32_t id = game_->GetSceneId();
  for (int i = 0; i < limit; ++i) {
    if (game_->GetSceneId() != id) return i;
    Frame();
  }
  return -1;
}

bool DigitsOnSheet(const SGpRectGrid& font) {
  if (font.part == nullptr || font.first != '0' || font.cellW <= 0.0f || font.cellH <= 0.0f) return false;
  const int columns = static_cast<int>(font.part->width / font.cellW);
  const int rows = static_cast<int>(font.part->height / font.cellH);
  return columns > 0 && 9 / columns < rows;
}

}  // namespace scene_rig
