#pragma once
// The in-game display over the play field: the score and high score, the
// life and bomb icons, the power gauge, the lock-on gauge, the route banner
// at the start of a stage and the black masks around the play field. Its
// child CoinDisplay (list 1) shows the credit line and the prompts. One
// persistent process, named "Interface", in the game root's list 7.
//
// Positions are play coordinates: x -240..240, y -320 (top) .. 320.
#include <cstdint>

#include "game/core/CoinDisplay.h"
#include "game/core/GfxObject.h"
#include "game/core/HoldRamp.h"
#include "vrax/graphic/SGpObj_Prim.h"
#include "vrax/graphic/SGpState.h"
#include "vrax/kernel/SProc.h"

class ZGInterface : public SProc {
 public:
  // Route-banner phases: fade in, choice, exit.
  enum BannerPhase : int32_t { BANNER_FADE_IN = 0, BANNER_CHOICE = 1, BANNER_EXIT = 2 };
  // Sides of the route banner (also bannerChoice; 2 = none yet).
  enum Side : int32_t { SIDE_RIGHT = 0, SIDE_LEFT = 1, SIDE_NONE = 2 };
  // Glyph of the route font behind a blinking side.
  static constexpr int32_t kBackingGlyph = 8;

  // How far the display slides up (and the bomb icons down) when hidden:
  // enough to take the panel and the life icons under the top mask.
  static constexpr float kSlide = 128.0f;

  ZGInterface();

  // The show and hide ramp: the display is drawn and updated while it is
  // not held hidden, and slides in and out with it.
  HoldRamp& Ramp() { return ramp_; }
  bool IsShown() const { return !ramp_.IsHidden(); }
  // How far the display stands from its place this frame.
  float SlideOffset() const { return (1.0f - ramp_.Value()) * kSlide; }
  // Gauges, banner and frame counter back to their start.
  void ResetPanel();
  // The route banner for a new stage: 120 frames in stage 3 (no choice),
  // else 300.
  void SetStageTimer();
  // The effect at the icon of the life just lost (nothing with lives < 0).
  void LifeLostEffect();
  // The panel's power and lock-on gauges for this frame (every frame while
  // shown; the tutorial, which hides the display, lays them itself).
  void DrawScorePanel();
  // The gauges alone (the tutorial).
  void DrawTutorialPanel();

  // The stage the banner names: 1 to 5, the demo stages 101 to 103 as 1 to
  // 3, anything else 1.
  static int32_t DisplayedStage(int32_t stage);
  // The gauge's fill target for a power level: its fraction, full at 4.0.
  static float GaugeTarget(float power);

  CoinDisplay& Coins() { return coins_; }
  const GfxObject& ScoreText() const { return scoreText_; }
  const GfxObject& BannerText() const { return bannerText_; }
  const SGpObj_PrimQuad& Panel() const { return panel_; }
  const SGpObj_PrimQuad& Masks() const { return masks_; }
  const SGpObj_PrimQuad& BannerArrows() const { return bannerArrows_; }
  float GaugeShown() const { return gaugeShown_; }
  int32_t BannerFrames() const { return bannerFrames_; }
  int32_t BannerChoice() const { return bannerChoice_; }
  int32_t BannerBlink() const { return bannerBlink_; }
  // The side the route banner commits to in displayed stage s for
  // MapMng's route word.
  static int32_t CommittedSide(int32_t displayedStage, int32_t routeWord);
  // Phase and elapsed frames of the banner for frames left L in a stage.
  static int32_t BannerPhaseOf(int32_t displayedStage, int32_t framesLeft, int32_t* elapsed);

 protected:
  int32_t Init(SProcArg arg) override;
  int32_t Main(SProcArg arg) override;
  int32_t Draw(SProcArg arg) override;

 private:
  void BuildQuads();
  void StepPowerGauge();
  void StepLockOnGauge();
  void SpawnIcons();
  void PrintScore();
  void DrawBanner();

  HoldRamp ramp_;
  SGpState_World slideWorld_;
  int32_t frameCount_ = 0;
  GfxObject insertText_;
  GfxObject scoreText_;
  SGpObj_PrimQuad masks_{0x042};
  GfxObject bannerText_;
  SGpObj_PrimQuad bannerArrows_;
  SGpObj_PrimQuad panel_;
  SGpObj_PrimQuad scoreLabels_;
  SGpObj_PrimQuad gaugeOverlay_;
  float gaugeSeen_ = 0.0f;
  float gaugeShown_ = 0.0f;
  int32_t bannerBlink_ = 0;
  int32_t bannerChoice_ = SIDE_NONE;
  int32_t bannerFrames_ = 0;
  CoinDisplay coins_;
};

// The persistent object; the game root adds it to its lists in scene 2.
extern ZGInterface g_ZGInterface;
