#pragma once
#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>
#include <vector>

#include "platform/gfx_device.h"
#include "platform/window.h"

// A hidden window with the OpenGL device on it, for picture tests (headless
// under SDL_VIDEODRIVER=offscreen). Null when no GL context can be had.
namespace testsupport {

struct GlTestDevice {
  std::unique_ptr<plat::Window> window;
  std::unique_ptr<plat::GfxDevice> device;
  ~GlTestDevice();
};

std::unique_ptr<GlTestDevice> MakeGlTestDevice(int width, int height);

// True when the CI variable is set (the project's CI sets it).
inline bool InCi() {
  const char* ci = std::getenv("CI");
  return ci != nullptr && *ci != '\0';
}

// Draws an indexed triangle list from memory through fresh device buffers
// (created, filled, drawn and released in one call).
int DrawIndexed(plat::GfxDevice& dev, uint32_t fvf, const void* vertices, size_t vertexBytes,
                const std::vector<uint16_t>& indices);

}  // namespace testsupport

// Ends a picture test that cannot have an OpenGL window or device: skipped
// on a developer's machine without one, failed in CI, where every picture
// test must draw.
#define OSTREL_SKIP_WITHOUT_GL(what)                                       \
  do {                                                                     \
    if (testsupport::InCi()) FAIL() << (what) << " (CI needs OpenGL)";    \
    GTEST_SKIP() << (what);                                                \
  } while (0)
