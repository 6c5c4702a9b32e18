#include "support/gl_device.h"

#include <cstring>

namespace testsupport {

GlTestDevice::~GlTestDevice() {
  device.reset();  // before the context goes
  window.reset();
}

std::unique_ptr<GlTestDevice> MakeGlTestDevice(int width, int height) {
  auto t = std::make_unique<GlTestDevice>();
  t->window = std::make_unique<plat::Window>();
  plat::WindowDesc desc;
  desc.width = width;
  desc.height = height;
  desc.hidden = true;
  if (!t->window->Create(desc)) return nullptr;
  plat::DeviceParams p;
  p.backBufferWidth = width;
  p.backBufferHeight = height;
  t->device = plat::CreateGfxDevice(t->window.get(), p);
  if (!t->device) return nullptr;
  return t;
}

int DrawIndexed(plat::GfxDevice& dev, uint32_t fvf, const void* vertices, size_t vertexBytes,
                const std::vector<uint16_t>& indices) {
  const uint32_t stride = plat::VertexStride(fvf);
  plat::VertexBuffer* vb = nullptr;
  plat::IndexBuffer* ib = nullptr;
  int r = dev.CreateVertexBuffer(static_cast<uint32_t>(vertexBytes), fvf, &vb);
  if (r != plat::kOk) return r;
  r = dev.CreateIndexBuffer(static_cast<uint32_t>(indices.size() * 2), &ib);
  if (r != plat::kOk) {
    vb->Release();
    return r;
  }
  void* p = nullptr;
  vb->Lock(0, 0, &p);
  std::memcpy(p, vertices, vertexBytes);
  vb->Unlock();
  ib->Lock(0, 0, &p);
  std::memcpy(p, indices.data(), indices.size() * 2);
  ib->Unlock();
  dev.SetStreamSource(vb, stride);
  dev.SetIndices(ib, 0);
  dev.SetVertexShader(fvf);
  r = dev.DrawIndexedPrimitive(plat::kPtTriangleList, 0, static_cast<uint32_t>(vertexBytes / stride), 0,
                               static_cast<uint32_t>(indices.size() / 3));
  dev.SetStreamSource(nullptr, 0);
  dev.SetIndices(nullptr, 0);
  vb->Release();
  ib->Release();
  return r;
}

}  // namespace testsupport
