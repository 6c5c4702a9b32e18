#include "tools/headless/HeadlessRun.h"

#include <stdlib.h>

#include <cstdio>
#include <filesystem>

#include "game/core/Game.h"
#include "game/core/RankTable.h"
#include "game/core/Replay.h"
#include "game/core/SystemFile.h"
#include "game/player/Player.h"
#include "platform/file_io.h"
#include "platform/gfx_device.h"
#include "platform/gfx_draw_states.h"
#include "platform/input_devices.h"
#include "platform/paths.h"
#include "platform/window.h"
#include "vrax/graphic/SGpMan.h"

namespace headless {

namespace fs = std::filesystem;

Run::Run(bool nullDevice, bool paced, const std::vector<uint8_t>& drawStates) {
  setenv("SDL_VIDEODRIVER", "offscreen", 0);
  setenv("SDL_AUDIODRIVER", "dummy", 0);
  std::string tmpl = (fs::temp_directory_path() / "ostrel-run-XXXXXX").string();
  if (mkdtemp(tmpl.data()) != nullptr) {
    saveDir_ = tmpl;
    plat::SetSaveDir(saveDir_);
    // A cabinet that has run before: its saved files hold the defaults, so
    // the start has no missing file to tell of on standard error (the soak
    // allows no line there), and plays the same as with none.
    SaveSystemFile(kDefaultSettings);
    ResetRankTable();
    SaveRankFile();
    if (!drawStates.empty())
      plat::ReplaceFile(saveDir_ + "/" + plat::kDrawStatesFile, drawStates.data(), drawStates.size());
  }
  // Only injected cabinet inputs (none): a key pressed on the machine
  // running the tool must not change the play.
  plat::SetHostInputEnabled(false);
  plat::ClearInjectedCabInputs();
  oldHook_ = plat::SetMessageBoxHook([this](const std::string&, const std::string& t) { errors_.push_back(t); });
  const char* argv[] = {"ostrel", "-fullscreen", "0"};
  StartOptions start;
  start.hiddenWindow = true;
  start.nullDevice = nullDevice;
  start.holdFrameRate = paced;
  ok_ = app_.Start(3, argv, start) == 0;
}

Run::~Run() {
  app_.Shutdown();
  plat::SetMessageBoxHook(oldHook_);
  plat::SetHostInputEnabled(true);
  plat::SetSaveDir("");
  if (!saveDir_.empty()) {
    std::error_code ec;
    fs::remove_all(saveDir_, ec);
  }
}

std::vector<uint8_t> Run::DrawStateFile() const {
  const plat::GfxDevice* device = SGpMan::GetDevice();
  return ok_ && device ? device->DrawStateFile() : std::vector<uint8_t>{};
}

bool Run::Step() {
  if (!ok_ || quit_) return false;
  if (app_.PumpMessages()) {
    quit_ = true;
    return false;
  }
  app_.Step();
  ++frames_;
  return true;
}

bool Run::ToQuietStart() {
  Game* g = Game::GetInstance();
  for (int i = 0; i < 600 && g != nullptr && g->GetSceneId() != SCENE_NOTICE; ++i) Step();
  if (g == nullptr || g->GetSceneId() != SCENE_NOTICE) return false;
  // The attract scenes go without their hand-over, so none follows.
  SProcList* l = g->GetList(GAME_LIST_SCENE);
  while (l != nullptr && l->Head() != nullptr) {
    SProc* p = l->Head();
    l->DetachProcess(p);
    delete p;
  }
  return true;
}

int Run::StartRecordedPlay(int stage) {
  Game* g = Game::GetInstance();
  if (g == nullptr) return 0;
  char file[32];
  std::snprintf(file, sizeof file, "common\\Play%02d.rpd", stage);
  g_Player.SetState(Player::STATE_RESET);
  g_Replay.Begin(Replay::MODE_PLAY, file);
  if (g_Replay.GetMode() != Replay::MODE_PLAY) return 0;
  g->ChangeScene(SCENE_STAGE, stage);
  return static_cast<int>(g_Replay.Data().size());
}

}  // namespace headless
