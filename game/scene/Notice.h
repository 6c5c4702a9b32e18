#pragma once
// The notice shown once after start-up (scene 3): a warning text on a black
// screen for about four seconds, faded in and out, then the logo, or the
// title when credits are present. It loads nothing of its own, keeps no
// cache archive and is never cut short; in free play a start press grants
// the one service credit that leads to the title.
#include "game/core/GfxObject.h"
#include "game/scene/AttractScene.h"

class Notice : public AttractScene {
 public:
  // The show state changes once its count exceeds 239 (241 frames shown).
  static constexpr int32_t kShowLimit = 239;
  static constexpr const char* kBodyLines[8] = {
      "THIS VIDEO GAME IS\n",      "FOR USE IN JAPAN ONLY.\n", "SALES, EXPORTS, OR\n", "OPERATION OUTSIDE JAPAN\n",
      "MAY VIOLATE COPYRIGHT\n",   "AND TRADEMARK LAWS\n",     "AND SUBJECT THE VIOLATOR\n", "TO SEVERE PENALTIES.\n",
  };

  const GfxObject& TitleText() const { return titleText_; }
  const GfxObject& BodyText() const { return bodyText_; }

 protected:
  int32_t Init(SProcArg arg) override;
  int32_t Main(SProcArg arg) override;
  int32_t OnDispose(SProcArg arg) override;
  int32_t Handler(int32_t code, int32_t state) override;

 private:
  void DrawScreen() override;

  GfxObject titleText_;
  GfxObject bodyText_;
};
