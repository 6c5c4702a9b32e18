#pragma once
#include <gtest/gtest.h>

#include <utility>
#include <vector>

#include "platform/window.h"
#include "vrax/graphic/SGpMan.h"
#include "vrax/graphic/SGpState.h"
#include "vrax/kernel/SKernel.h"

namespace testsupport {

// Enters the packets it holds into the drawing queue every frame, each
// under its key.
class PacketScene : public SProc {
 public:
  std::vector<std::pair<int, SGpObj*>> entries;

 protected:
  int32_t Init(SProcArg arg) override;
  int32_t Draw(SProcArg arg) override;
};

// Layer state under `key` (20 unless given) in play coordinates: one unit
// per pixel, origin at the screen's centre, y down, clip from 8 to
// `clipFar`, no depth test; alpha blended when `blend` is set.
void AddPlayLayer(PacketScene* scene, SGpState_View* view, SGpState_Clip* clip, float clipFar, bool blend,
                  int key = 20);

// The graphic manager alone on a started kernel, drawing with the OpenGL
// device into a hidden 640x480 window (the test is skipped when either
// cannot be had), with a packet scene in kernel list 2 whose play layer
// (see AddPlayLayer) is entered with `clipFar` and `blend` as set before
// SetUp.
class GlSceneWorld : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;

  float clipFar = 65535.0f;
  bool blend = false;
  plat::Window window;
  SKernel kernel;
  SGpMan gp;
  PacketScene scene;
  SGpState_View view;
  SGpState_Clip clip;
};

}  // namespace testsupport
