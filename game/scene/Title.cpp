#include "game/scene/Title.h"

#include "cabinet/QvtBTUtil.h"
#include "cabinet/ServiceClient.h"
#include "game/core/CoinCounter.h"
#include "game/core/Game.h"
#include "game/scene/AttractScene.h"
#include "game/tables/image_slots.h"
#include "game/tables/scene_tables.h"
#include "vrax/graphic/SGpRect.h"
#include "vrax/graphic/SGpState.h"
#include "vrax/input/SPad.h"
#include "vrax/resource/SRscMan.h"

const SRscRequest RscTableTitle[] = {
    {RequestTarget(ImgTitle), RscTag("IMG"), "\\Module\\Title", 0, 0, 0, 0},
    {nullptr, 0, nullptr, 0, 0, 0, 0},
};

namespace {

// Each layer: its texture, its part of SprTitle, its corners and the quads
// it holds.
struct LayerDef {
  int32_t texture;
  int part;
  float x0, x1, y0, y1;
  int quads;
};
constexpr LayerDef kLayerDefs[Title::kLayers] = {
    {0, 0, -240.0f, 240.0f, -320.0f, 320.0f, 1},  // background
    {1, 2, -240.0f, 240.0f, 41.0f, 161.0f, 1},    // band
    {3, 5, -148.0f, -34.0f, -5.0f, 113.0f, 1},    // emblem
    {1, 1, -240.0f, 240.0f, -125.0f, 129.0f, 2},  // scrolling band
    {2, 3, -240.0f, 240.0f, -320.0f, 320.0f, 1},  // overlay
};
constexpr int kScrollLayer = 3;

// The first frame of a start press on the game's first pad.
bool StartPressed() {
  Game* g = GetGame();
  return g != nullptr && g->Pad(0).GetCounter(SPad::PAD_START) == 0;
}

}  // namespace

int32_t Title::Init(SProcArg) {
  SetName("Title");
  LoadSceneResources(RscTableTitle, kTitleCacheArchive);
  for (int i = 0; i < kLayers; ++i) {
    layers_[i].AllocPrims(kLayerDefs[i].quads);
    layers_[i].SetActiveCount(0);
  }
  frame_ = scroll_ = 0;
  started_ = 0;
  behavior.Enter();
  SetInitResult(0);
  return 0;
}

int32_t Title::OnDispose(SProcArg) {
  ReleaseSceneResources();
  if (Game* g = GetGame()) g->ChangeScene(started_ != 0 ? SCENE_TUTORIAL : SCENE_RANKING, 1);
  return 0;
}

void Title::BuildLayers() {
  for (int i : {0, 2, 1, 4}) {
    const LayerDef& d = kLayerDefs[i];
    SetSceneQuad(layers_[i], d.x0, d.y0, d.x1, d.y1, 0.0f, &SprTitle[d.part], kSceneWhite);
  }
}

void Title::Scroll() {
  const float f = float(scroll_) / float(kScrollFrames);
  if (f >= 1.0f) scroll_ = 0;
  ++scroll_;
  // A window half the part's width slides across the part: its u from
  // w (1 - f) to w (2 - f), w being half the part's right-hand u.
  const SGpRect& part = SprTitle[kLayerDefs[kScrollLayer].part];
  const float w = part.Corner(1).u * 0.5f;
  const LayerDef& d = kLayerDefs[kScrollLayer];
  SGpObj_PrimQuad& q = layers_[kScrollLayer];
  q.Seek(0, 0);
  const float xs[4] = {d.x0, d.x1, d.x0, d.x1}, ys[4] = {d.y0, d.y0, d.y1, d.y1};
  for (int i = 0; i < 4; ++i) {
    q.SetPos(xs[i], ys[i], 0.0f);
    q.SetColour(kSceneWhite);
    q.SetUV(i % 2 == 0 ? w * (1.0f - f) : w * (2.0f - f), part.Corner(i).v);
    q.Next();
  }
  q.SetActiveCount(1);
}

void Title::Wait() {
  Scroll();
  if (frame_ > kIdleFrames) {
    behavior.ChangeState(STATE_TIME_OUT);
    return;
  }
  ++frame_;
  Game* g = GetGame();
  CoinCounter* coins = GetCoinCounter();
  if (g == nullptr || coins == nullptr) return;
  if (g->settings[SettingsWord::coinPlay] == 0) {
    // Free play: the first press grants the credit, a later one starts.
    if (!coins->HasCredit()) {
      if (StartPressed()) {
        AttractGrantFreeStart();
        frame_ = 0;
      }
      return;
    }
    frame_ = 0;
  } else {
    if (coins->HasCredit()) frame_ = 0;
    if (!coins->CanStart()) return;
  }
  if (StartPressed()) behavior.ChangeState(STATE_START);
}

void Title::FadeOut() {
  Scroll();
  if (frame_ > kFadeFrames - 1) Kill(0);
  ++frame_;
}

void Title::DrawLayers() {
  SceneDrawKey(kDrawKey);
  WorldPresets[1].EnterDefault();
  for (int i = 0; i < kLayers; ++i) {
    // A layer whose picture is not there is not drawn.
    if (SRsc_Image* image = ImgTitle) image->GetTexturePacket(kLayerDefs[i].texture)->EnterDefault();
    layers_[i].EnterDefault();
  }
}

int32_t Title::Handler(int32_t code, int32_t state) {
  Game* g = GetGame();
  switch (state) {
    case STATE_LOAD:
      if (code == Behavior::CODE_ENTER) {
        SceneFade(0.0f, 0);
      } else if (code == Behavior::CODE_FRAME) {
        if (SceneResourcesLoaded()) behavior.ChangeState(STATE_WAIT);
      } else if (code == Behavior::CODE_LEAVE) {
        SceneFade(1.0f, kFadeFrames);
        BuildLayers();
      }
      return 1;
    case STATE_WAIT:
    case STATE_START:
    case STATE_TIME_OUT:
      if (code == Behavior::CODE_ENTER) {
        frame_ = 0;
        if (state == STATE_START) {
          // The start goes to the network service before the play is paid.
          if (QvtBTUtil* client = GetServiceClient()) {
            client->PushFD();
            client->PushCode(0);
          }
          if (CoinCounter* coins = GetCoinCounter()) {
            coins->ConsumePlay();
            coins->mode = CoinCounter::MODE_START;
          }
          started_ = 1;
          SceneFade(0.0f, kFadeFrames);
          if (g != nullptr) g->PlaySeUnlessSoundOff(kStartSound, 61440);
        } else if (state == STATE_TIME_OUT) {
          SceneFade(0.0f, kFadeFrames);
          started_ = 0;
        }
      } else if (code == Behavior::CODE_FRAME) {
        if (state == STATE_WAIT)
          Wait();
        else
          FadeOut();
      } else if (code == Behavior::CODE_NOTIFY) {
        DrawLayers();
      }
      return 1;
    default:
      return 0;
  }
}
