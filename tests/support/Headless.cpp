#include "support/Headless.h"

#include <cstdlib>

#include "cabinet/QvtBTUtil.h"
#include "cabinet/SimCabIoBoard.h"
#include "game/core/Game.h"
#include "platform/crt_rand.h"
#include "platform/registry.h"
#include "platform/window.h"
#include "support/FreshGlobals.h"
#include "vrax/graphic/SGpMan.h"
#include "vrax/graphic/SGpQueue.h"
#include "vrax/graphic/SGpSpriteBatch.h"
#include "vrax/kernel/SKernel.h"

namespace testsupport {

namespace {

// A process of kernel list 0 behind the graphic manager: in the kernel's
// user event 7, which follows every process's EVENT_DRAW, it takes the
// sprite batches out of the draw queue that the graphic manager executes at
// EVENT_BEGIN.
class BatchSkipper : public SProc {
 protected:
  int32_t Init(SProcArg) override {
    SetName("BatchSkipper");
    return 0;
  }
  int32_t User(int32_t code, SProcArg) override {
    if (code != EVENT_USER) return 0;
    SGpMan* gp = GetGpMan();
    SGpQueue* q = gp != nullptr ? gp->GetQueue() : nullptr;
    if (q == nullptr) return 0;
    const std::vector<std::pair<int, SGpObj*>> entries = q->Entries();
    q->Reset();
    for (const auto& [key, p] : entries)
      if (dynamic_cast<SGpSpriteBatch*>(p) == nullptr) q->Append(key, p);
    return 0;
  }
};

// The same place in the frame for the packets a test names.
class PacketFilter : public SProc {
 public:
  std::vector<std::function<bool(int, SGpObj*)>> which;

 protected:
  int32_t Init(SProcArg) override {
    SetName("PacketFilter");
    return 0;
  }
  int32_t User(int32_t code, SProcArg) override {
    if (code != EVENT_USER || which.empty()) return 0;
    SGpMan* gp = GetGpMan();
    SGpQueue* q = gp != nullptr ? gp->GetQueue() : nullptr;
    if (q == nullptr) return 0;
    const std::vector<std::pair<int, SGpObj*>> entries = q->Entries();
    q->Reset();
    for (const auto& [key, p] : entries) {
      bool drop = false;
      for (const auto& w : which) drop = drop || w(key, p);
      if (!drop) q->Append(key, p);
    }
    return 0;
  }
};

}  // namespace

Headless::Headless(const HeadlessOptions& options) {
  setenv("SDL_VIDEODRIVER", "offscreen", 0);
  setenv("SDL_AUDIODRIVER", "dummy", 0);
  plat::ClearQuitMessage();
  // Tests without the harness draw from the one random generator too; the
  // program starts on the seed of a new process.
  plat::SRand(1);
  plat::SetHostInputEnabled(false);
  plat::ClearInjectedCabInputs();
  SimCabIoBoard::Instance().Reset();
  if (options.highResolution || options.verticalScreen) {
    plat::RegKey key;
    if (key.Open(kQvtRegistryKey, true)) {
      key.WriteDword("Resolution", options.highResolution ? 1 : 0);
      key.WriteDword("ScreenVertical", options.verticalScreen ? 1 : 0);
    }
  }
  for (const auto& [name, bytes] : options.saveFiles) save_.Dir().Write(name, bytes);
  if (options.prepareSaveDir) options.prepareSaveDir(save_.Dir());
  std::vector<const char*> argv = {"ostrel", "-fullscreen", "0"};
  for (const std::string& a : options.args) argv.push_back(a.c_str());
  StartOptions start;
  start.hiddenWindow = true;
  start.nullDevice = options.nullDevice;
  start.holdFrameRate = false;  // frames run as fast as they can
  start.extraManager = options.extraManager;
  if (options.skipSpriteBatches && options.nullDevice && !options.extraManager) {
    batchSkipper_ = std::make_unique<BatchSkipper>();
    start.extraManager = batchSkipper_.get();
  }
  ok_ = app_.Start(int(argv.size()), argv.data(), start) == 0;
}

Headless::~Headless() {
  app_.Shutdown();
  RenewGlobals();
  plat::ClearInjectedCabInputs();
  plat::SetHostInputEnabled(true);
  plat::ClearQuitMessage();
}

int Headless::Step(int frames) {
  int run = 0;
  for (int i = 0; i < frames && ok_ && !quit_; ++i) {
    if (app_.PumpMessages()) {
      quit_ = true;
      break;
    }
    app_.Step();
    ++run;
  }
  frames_ += run;
  return run;
}

void Headless::DropPackets(std::function<bool(int, SGpObj*)> which) {
  if (!packetFilter_) {
    SKernel* kernel = SKernel::GetInstance();
    if (!ok_ || kernel == nullptr) return;
    auto filter = std::make_unique<PacketFilter>();
    filter->SetStatic(true);
    if (kernel->AddChild(0, filter.get(), 0) < 0) return;
    packetFilter_ = std::move(filter);
  }
  if (which) static_cast<PacketFilter*>(packetFilter_.get())->which.push_back(std::move(which));
}

void Headless::Hold(plat::CabInput input, bool held) { plat::InjectCabInput(input, held); }

void Headless::Press(plat::CabInput input, int frames) {
  Hold(input, true);
  Step(frames);
  Hold(input, false);
  Step(1);
}

void Headless::ReleaseAll() { plat::ClearInjectedCabInputs(); }

}  // namespace testsupport

namespace testsupport {

bool Headless::Screenshot(plat::Image* out) {
  plat::GfxDevice* device = SGpMan::GetDevice();
  if (!ok_ || !device) return false;
  return device->ReadBackBuffer(out) >= 0;
}

SProc* CurrentScene() {
  Game* g = GetGame();
  SProcList* l = g ? g->GetList(GAME_LIST_SCENE) : nullptr;
  for (SProc* p = l ? l->Head() : nullptr; p; p = SProcList::Next(p))
    if (p->GetState() == SProc::STATE_RUNNING || p->GetState() == SProc::STATE_ADDED) return p;
  return nullptr;
}

std::string CurrentSceneName() {
  SProc* p = CurrentScene();
  return p ? p->GetName() : std::string();
}

int RunUntilScene(Headless& h, const std::string& name, int limit) {
  for (int i = 0; i < limit; ++i) {
    if (CurrentSceneName() == name) return i;
    h.Step();
  }
  return CurrentSceneName() == name ? limit : -1;
}

}  // namespace testsupport
