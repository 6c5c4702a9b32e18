#include "game/scene/LoadingScreen.h"

#include "game/tables/font_tables.h"
#include "game/tables/image_slots.h"
#include "vrax/input/SCtrlMan.h"
#include "vrax/resource/SRsc_Image.h"
#include "vrax/resource/SRscMan.h"

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
      // Room for every glyph of the text (29; blanks take none): a smaller
      // list would cut the text short. At half scale a 28-pixel cell is 14
      // wide, so the 18 glyphs of the longer line span -126 to 126.
      if (text_.Init(&FontLarge, 64) == 0) {
        text_.SetScale(0.5f, 0.5f);
        text_.SetOrigin(kTextX, kTextY, 0.0f);
        text_.Printf("%s", kText);
        timer_.NextPhase();
      }
    }
  } else {
    text_.Enter(kDrawKey);
  }
  timer_.Tick();
  return 0;
}
