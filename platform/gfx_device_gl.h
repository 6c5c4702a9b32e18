#pragma once
#include <memory>

#include "platform/gfx_device.h"

// The OpenGL backend bound to the game window (internal to platform/).
namespace plat {
std::unique_ptr<GfxDevice> CreateGlGfxDeviceForWindow(Window* window, const DeviceParams& params);
}
