#include "game/scene/LoadingScreen.h"

#include "game/tables/font_tables.h"
#include "game/tables/image_slots.h"
#include "vrax/graphic/SGpMan.h"
#include "vrax/graphic/SGpText.h"
#include "vrax/input/SCtrlMan.h"
#include "vrax/resource/SRsc_Image.h"
#include "vrax/resource/SRscMan.h"

// The laid-out text as a packet: binds the font's texture, then draws the
// glyph quads.
class LoadingScreen::Text : public SGpObj {
 public:
  void Execute() override {
    const SGpRect* part = layout.font ? layout.font->part : nullptr;
    if (!part || !part->image || !*part->image) return;
    SGpMan::SetTexture(*part->image, static_cast<int>(part->id));
    layout.quads.Execute();
  }
  SGpText layout;
};

LoadingScreen::LoadingScreen() : text_(std::make_unique<Text>()) {}

LoadingScreen::~LoadingScreen() = default;

int32_t LoadingScreen::Init(SProcArg) {
  SetName("LoadingScreen");
  timer_.SetPhase(0);
  timer_.ResetCount();
  return 0;
}

int32_t LoadingScreen::Draw(SProcArg) {
  SRscMan* rsc = GetRscMan();
  if (!rsc || rsc->Sync(0) != 0) {
    Kill(0);
    if (SCtrlMan* ctrl = SCtrlMan::GetInstance()) ctrl->EnableTestSwitch(1);
    return 0;
  }
  if (timer_.GetPhase() == 0) {
    if (ImgFontLarge && ImgFontLarge->GetStatus() == kRscReady) {
      SGpText& t = text_->layout;
      if (t.Init(&SprFontDesc[0], 64) == 0) {
        t.scale[0] = t.scale[1] = 0.5f;
        t.origin[0] = kTextX, t.origin[1] = kTextY, t.origin[2] = 0.0f;
        t.Printf("%s", kText);
        timer_.NextPhase();
      }
    }
  } else {
    text_->Enter(kDrawKey);
  }
  timer_.Tick();
  return 0;
}
