#include "game/testmode/TestMode.h"

namespace {
uint8_t g_testModeActive = 0;
}

uint8_t IsTestMode() { return g_testModeActive; }

TestMode::~TestMode() { g_testModeActive = 0; }

int32_t TestMode::Init(SProcArg) {
  SetName("TestMode");
  g_testModeActive = 1;
  return 0;
}

int32_t TestMode::OnDispose(SProcArg) {
  g_testModeActive = 0;
  return 0;
}
