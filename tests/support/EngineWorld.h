#pragma once
#include <gtest/gtest.h>

#include "platform/window.h"
#include "support/ErrorBox.h"
#include "vrax/graphic/SGpMan.h"
#include "vrax/io/SIOMan.h"
#include "vrax/kernel/SKernel.h"
#include "vrax/resource/SRscMan.h"

// The engine's graphic, I/O and resource managers on a started kernel over
// the null graphics device, as the start-up adds them; with `withSound` set
// before SetUp, the sound player over a manual null device too; with `window`
// set before SetUp, the OpenGL device on that window instead of the null one
// (the test is skipped when it cannot be had). Error boxes are collected in
// `box`. The data directory is the caller's.
namespace testsupport {

class EngineWorld : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;

  bool withSound = false;
  plat::Window* window = nullptr;
  ErrorBoxCatcher box;
  SKernel kernel;
  SGpMan gp;
  SIOMan io;
  SRscMan rm;
};

}  // namespace testsupport
