#include "platform/gfx_device_gl.h"

namespace plat {

// The OpenGL backend arrives with the window layer; until then a window
// cannot carry a device.
std::unique_ptr<GfxDevice> CreateGlGfxDeviceForWindow(Window*, const DeviceParams&) { return nullptr; }

std::unique_ptr<GfxDevice> CreateGlGfxDevice(GlSurface*, const DeviceParams&) { return nullptr; }

}  // namespace plat
