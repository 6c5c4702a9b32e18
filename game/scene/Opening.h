#pragma once
// The attract opening (scene 14): a fixed nine-state movie of 2D quads over
// the opening image list, with the blinking coin prompt; it always leads to
// the title. A coin, a service credit or a free-play start ends it at once.
#include "game/core/GfxObject.h"
#include "game/effect/ELaserGen.h"
#include "game/scene/AttractScene.h"
#include "vrax/graphic/SGpObj_Prim.h"
#include "vrax/graphic/SGpState.h"

struct SGpRect;

class Opening : public AttractScene {
 public:
  enum State : int32_t {
    STATE_LOAD = 0,
    STATE_PROLOGUE = 1,
    STATE_ZOOM = 2,
    STATE_INTRO1 = 3,  // 3 to 6: the four introductions
    STATE_FINALE = 7,
    STATE_WHITE_OUT = 8,
  };
  static constexpr int32_t kPrologueFrames = 740;
  static constexpr int32_t kZoomFrames = 150;
  static constexpr int32_t kIntroLast = 100;  // leaves when the count before the step reaches it

  int32_t GetTextFrame() const { return textFrame_; }
  int32_t GetPanFrame() const { return panFrame_; }
  const SGpRect* GetCaption() const { return currentCaption_; }
  const GfxObject& AttractText() const { return attractText_; }
  const SGpObj_PrimQuad& Layer(int i) const { return i == 0 ? layerA_ : i == 1 ? layerB_ : layerC_; }
  const SGpObj_PrimQuad& Captions() const { return captionQuads_; }
  const LaserStripPrim& LightBand() const { return lightBand_; }

 protected:
  int32_t Init(SProcArg arg) override;
  int32_t Draw(SProcArg arg) override;
  int32_t OnDispose(SProcArg arg) override;
  int32_t Handler(int32_t code, int32_t state) override;

 private:
  bool Prologue(int32_t code);
  bool Zoom(int32_t code);
  bool Introduction(int32_t code, int32_t state);
  bool Finale(int32_t code);
  bool WhiteOut(int32_t code);

  int32_t panFrame_ = 0;
  int32_t textFrame_ = 0;
  const SGpRect* currentCaption_ = nullptr;
  SGpObj_PrimQuad layerA_, layerB_, layerC_;
  SGpObj_PrimQuad captionQuads_;
  SGpState_World bandTransform_;
  LaserStripPrim lightBand_;
  GfxObject attractText_;
};
