#pragma once
// The cloud layer of stages 1 and 3 (process name "Cloud"): two large cloud
// planes that the camera flies through at the start of the stage, one
// sliding past the other as a phase value v runs on (only its fraction
// matters: a is v's fraction, b that of v + 0.5; the plane whose fraction is
// smaller is drawn first, and each plane is scaled by how near it is).
//
// Stage 1 adds forty cloud puffs facing the camera, placed with `rand` in
// INIT (before the stage seeds the generator), that fade out with the first
// step; the planes run four steps (wait, ease in, run, cross-fade) and are
// shown up to rail position 800 (puffs: 400) on camera path 0.
// Stage 3 scrolls both planes through two steps up to rail position 400,
// and shows a veil of cloud twice later on: on path 0 between rail
// positions 5300 and 5745 and on path 1 between 2000 and 2600.
#include <cstdint>

#include "game/core/ScrollLayer.h"
#include "vrax/graphic/SGpObj_Prim.h"
#include "vrax/graphic/SGpState.h"
#include "vrax/graphic/SMath.h"
#include "vrax/kernel/SProc.h"

class Cloud : public SProc {
 public:
  static constexpr int kPuffs = 40;
  // Draw keys: the planes and veil, the puffs.
  static constexpr int32_t kPlaneKey = 24;
  static constexpr int32_t kPuffKey = 20;

  // stage: 1 or 3.
  explicit Cloud(int32_t stage) : stage_(stage) {}

  // State readers for tests.
  int32_t GetStep() const { return step_; }
  int32_t GetCounter() const { return counter_; }
  int32_t GetLength() const { return length_; }
  float GetPhase() const { return v_; }
  float GetWeightA() const { return weightA_; }
  float GetWeightB() const { return weightB_; }
  const SVec3& GetPuffPosition(int i) const { return puffPos_[i]; }
  float GetPuffSize(int i) const { return puffSize_[i]; }
  float GetPuffAlpha() const { return puffAlpha_; }
  bool VeilShown() const { return veilShown_ != 0; }
  float GetVeilAlpha() const { return veilAlpha_; }
  float GetVeilSpeedY() const { return veilSpeed_[1]; }
  // The veil's packets of the last draw: its view state and its layer
  // (whose world matrix is the screen matrix moved back to z -1300).
  const SGpState_View& VeilView() const { return veilView_; }
  const ScrollLayer& VeilLayer() const { return veil_; }
  // Weights the planes were drawn with in the last draw (0: not drawn), and
  // whether plane A came first.
  float DrawnWeightA() const { return drawnA_; }
  float DrawnWeightB() const { return drawnB_; }
  bool DrewAFirst() const { return aFirst_ != 0; }

 protected:
  int32_t Init(SProcArg arg) override;
  int32_t Main(SProcArg arg) override;
  int32_t Draw(SProcArg arg) override;

 private:
  // Stage 1's steps and drawing.
  void MainStage1();
  void DrawStage1();
  // Stage 3's steps, veil and drawing.
  void MainStage3();
  void UpdateVeil();
  void DrawStage3();
  // Enters one plane at the plane key with its weight; `first` takes the
  // nearer depth. depthBase and depthSpan: the plane's scale is
  // 512 / ((depthBase - u depthSpan) + 512).
  void DrawPlane(ScrollLayer& plane, float weight, float u, bool first, float depthSpan);
  void PlacePuffs();
  // Starts the next segment of the phase: `span` more over `length` frames.
  void NextSegment(int32_t step, int32_t length, float before, float span);

  int32_t stage_;
  ScrollLayer planeA_, planeB_, veil_;
  float weightA_ = 1.0f, weightB_ = 1.0f;
  float v_ = 0.65f, s_ = 0.65f, e_ = 20.0f;
  int32_t length_ = 0, counter_ = 0, step_ = 0;
  int32_t fadingIndex_ = 0;
  uint8_t fading_ = 0;
  // Stage 1's puffs.
  SGpObj_Prim puffQuad_;
  float puffAlpha_ = 0.5f;
  SGpState_World puffPackets_[kPuffs];
  SVec3 puffPos_[kPuffs] = {};
  float puffSize_[kPuffs] = {};
  // Stage 3's veil.
  float veilAlpha_ = 0.0f;
  float veilSpeed_[2] = {0.0f, 0.0f};
  uint8_t veilShown_ = 0;
  // The veil's own matrix (a slight tilt, set each frame it is shown) and
  // the state packet that makes it the view the veil is seen through.
  SMatrix veilMatrix_ = kIdentityMatrix;
  SGpState_View veilView_;
  // Last draw.
  float drawnA_ = 0.0f, drawnB_ = 0.0f;
  uint8_t aFirst_ = 1;
};
