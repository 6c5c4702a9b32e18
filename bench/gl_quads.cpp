// 20,000 textured, alpha-blended quads per frame at 640x480 on the OpenGL
// device (headless under SDL_VIDEODRIVER=offscreen: Mesa's software
// rasteriser, whose fill rate bounds the frame rate). Arguments: the number of
// draw calls the quads are split into and the quad size in pixels. Reports
// frames per second (each frame ends with a read-back of the picture, so its
// GL work is finished within the frame), the processor time of the calling
// thread per frame in the device calls (filling the vertices included) and
// the wall time of those calls (they may wait for the rasteriser).
#include <benchmark/benchmark.h>

#include <time.h>

#include <cstring>
#include <memory>
#include <vector>

#include "platform/clock.h"
#include "platform/crt_rand.h"
#include "platform/gfx_device.h"
#include "platform/window.h"
#include "support/image_files.h"

namespace {

constexpr int kQuads = 20000;

int64_t ThreadCpuNs() {
  timespec ts;
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &ts);
  return int64_t{ts.tv_sec} * 1000000000 + ts.tv_nsec;
}

struct V142 { float x, y, z; uint32_t c; float u, v; };

// The OpenGL device on a hidden window; null (the benchmark marked skipped)
// when there is no context.
std::unique_ptr<plat::GfxDevice> OpenDevice(plat::Window* window, benchmark::State& state) {
  plat::WindowDesc desc;
  desc.hidden = true;
  std::unique_ptr<plat::GfxDevice> dev;
  if (window->Create(desc)) dev = plat::CreateGfxDevice(window, plat::DeviceParams{});
  if (!dev) state.SkipWithError("no OpenGL context");
  return dev;
}

// Screen pixels of the 640x480 back buffer, y down, onto clip space.
plat::Matrix PixelProjection() {
  plat::Matrix proj{};
  proj.m[0][0] = 2.0f / 640;
  proj.m[1][1] = -2.0f / 480;
  proj.m[2][2] = 1.0f;
  proj.m[3][0] = -1.0f;
  proj.m[3][1] = 1.0f;
  proj.m[3][3] = 1.0f;
  return proj;
}

void RunQuads(benchmark::State& state) {
  const int batches = static_cast<int>(state.range(0));
  const float size = static_cast<float>(state.range(1));
  plat::Window window;
  std::unique_ptr<plat::GfxDevice> dev = OpenDevice(&window, state);
  if (!dev) return;
  plat::GfxDevice& d = *dev;
  plat::Texture* tex = nullptr;
  const auto img = testsupport::MakeImage(32, 32, [](int x, int y) {
    const int dx = x - 16, dy = y - 16;
    const uint32_t a = dx * dx + dy * dy < 256 ? 0xC0u : 0x00u;
    return a << 24 | 0xFFC080u;
  });
  d.CreateTextureFromImage(img, &tex);
  plat::VertexBuffer* vb = nullptr;
  plat::IndexBuffer* ib = nullptr;
  d.CreateVertexBuffer(kQuads * 4 * sizeof(V142), plat::kFvfPosColourTex, &vb);
  d.CreateIndexBuffer(kQuads * 6 * 2, &ib);
  void* p = nullptr;
  ib->Lock(0, 0, &p);
  auto* idx = static_cast<uint16_t*>(p);
  // 16-bit indices reach 16384 quads; every batch indexes from its own base vertex.
  const int perBatch = kQuads / batches;
  for (int q = 0; q < perBatch; ++q) {
    const uint16_t b = static_cast<uint16_t>(q * 4);
    const uint16_t quad[6] = {b, uint16_t(b + 1), uint16_t(b + 2), uint16_t(b + 1), uint16_t(b + 2), uint16_t(b + 3)};
    std::memcpy(idx + q * 6, quad, sizeof quad);
  }
  ib->Unlock();

  plat::SRand(7);
  std::vector<float> pos(kQuads * 2);
  for (int i = 0; i < kQuads; ++i) {
    pos[i * 2] = static_cast<float>(plat::Rand() % 620) - 10.0f;
    pos[i * 2 + 1] = static_cast<float>(plat::Rand() % 460) - 10.0f;
  }
  const plat::Matrix proj = PixelProjection();

  int64_t cpuTicks = 0, cpuNs = 0;
  int frames = 0;
  plat::Image shot;
  int frame = 0;
  for (auto _ : state) {
    const int64_t t0 = plat::PerfCounter();
    const int64_t c0 = ThreadCpuNs();
    d.Clear(plat::kClearTarget | plat::kClearZBuffer, 0xFF102040u, 1.0f, 0);
    d.BeginScene();
    d.SetTransform(plat::kTsProjection, proj);
    d.SetRenderState(plat::kRsLighting, 0);
    d.SetRenderState(plat::kRsCullMode, plat::kCullNone);
    d.SetRenderState(plat::kRsZFunc, plat::kCmpLessEqual);
    d.SetRenderState(plat::kRsAlphaBlendEnable, 1);
    d.SetRenderState(plat::kRsSrcBlend, plat::kBlendSrcAlpha);
    d.SetRenderState(plat::kRsDestBlend, plat::kBlendInvSrcAlpha);
    d.SetTextureStageState(0, plat::kTssColourOp, plat::kTopModulate);
    d.SetTextureStageState(0, plat::kTssColourArg1, plat::kTaDiffuse);
    d.SetTextureStageState(0, plat::kTssColourArg2, plat::kTaTexture);
    d.SetTextureStageState(0, plat::kTssAlphaOp, plat::kTopModulate);
    d.SetTextureStageState(0, plat::kTssAlphaArg1, plat::kTaDiffuse);
    d.SetTextureStageState(0, plat::kTssAlphaArg2, plat::kTaTexture);
    d.SetTextureStageState(0, plat::kTssMinFilter, plat::kTexfLinear);
    d.SetTextureStageState(0, plat::kTssMagFilter, plat::kTexfLinear);
    d.SetTexture(0, tex);
    vb->Lock(0, 0, &p);
    auto* v = static_cast<V142*>(p);
    const float shift = static_cast<float>(frame++ % 16);
    for (int i = 0; i < kQuads; ++i) {
      const float x = pos[i * 2] + shift, y = pos[i * 2 + 1], z = 0.5f;
      const uint32_t c = 0xFF000000u | static_cast<uint32_t>(i * 2654435761u >> 8);
      v[0] = {x, y, z, c, 0, 0};
      v[1] = {x + size, y, z, c, 1, 0};
      v[2] = {x, y + size, z, c, 0, 1};
      v[3] = {x + size, y + size, z, c, 1, 1};
      v += 4;
    }
    vb->Unlock();
    d.SetStreamSource(vb, sizeof(V142));
    d.SetVertexShader(plat::kFvfPosColourTex);
    for (int b = 0; b < batches; ++b) {
      d.SetIndices(ib, static_cast<uint32_t>(b * perBatch * 4));
      d.DrawIndexedPrimitive(plat::kPtTriangleList, 0, perBatch * 4, 0, perBatch * 2);
    }
    d.EndScene();
    cpuTicks += plat::PerfCounter() - t0;
    cpuNs += ThreadCpuNs() - c0;
    d.Present();
    d.ReadBackBuffer(&shot);
    ++frames;
  }
  state.counters["fps"] = benchmark::Counter(frames, benchmark::Counter::kIsRate);
  state.counters["device_cpu_ms"] = static_cast<double>(cpuNs) / 1e6 / frames;
  state.counters["device_wall_ms"] =
      static_cast<double>(cpuTicks) * 1000.0 / static_cast<double>(plat::PerfFrequency()) / frames;
  d.SetTexture(0, nullptr);
  d.SetStreamSource(nullptr, 0);
  d.SetIndices(nullptr, 0);
  tex->Release();
  vb->Release();
  ib->Release();
}

BENCHMARK(RunQuads)
    ->Args({2, 8})
    ->Args({100, 8})
    ->Args({2, 16})
    ->Args({100, 16})
    ->Args({2, 32})
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->MinTime(1.0);

// State changes between small draws: 2,000 draws of one 8x8 quad per frame,
// each after switching the texture and the blend factors (as a queue of many
// small packets does). Reports the processor time per frame in the device
// calls.
void RunStateChanges(benchmark::State& state) {
  plat::Window window;
  std::unique_ptr<plat::GfxDevice> dev = OpenDevice(&window, state);
  if (!dev) return;
  plat::GfxDevice& d = *dev;
  plat::Texture* tex[2] = {};
  for (int i = 0; i < 2; ++i)
    d.CreateTextureFromImage(testsupport::MakeImage(8, 8, [i](int x, int) { return 0xFF000000u | uint32_t(x * 30 + i * 100); }), &tex[i]);
  constexpr int kDraws = 2000;
  plat::VertexBuffer* vb = nullptr;
  plat::IndexBuffer* ib = nullptr;
  d.CreateVertexBuffer(kDraws * 4 * sizeof(V142), plat::kFvfPosColourTex, &vb);
  d.CreateIndexBuffer(6 * 2, &ib);
  void* p = nullptr;
  ib->Lock(0, 0, &p);
  const uint16_t quad[6] = {0, 1, 2, 1, 2, 3};
  std::memcpy(p, quad, sizeof quad);
  ib->Unlock();
  vb->Lock(0, 0, &p);
  auto* v = static_cast<V142*>(p);
  for (int i = 0; i < kDraws; ++i) {
    const float x = static_cast<float>(i % 80) * 8.0f, y = static_cast<float>(i / 80) * 8.0f;
    v[0] = {x, y, 0.5f, 0xFFFFFFFFu, 0, 0};
    v[1] = {x + 8, y, 0.5f, 0xFFFFFFFFu, 1, 0};
    v[2] = {x, y + 8, 0.5f, 0xFFFFFFFFu, 0, 1};
    v[3] = {x + 8, y + 8, 0.5f, 0xFFFFFFFFu, 1, 1};
    v += 4;
  }
  vb->Unlock();
  const plat::Matrix proj = PixelProjection();
  int64_t cpuNs = 0;
  int frames = 0;
  plat::Image shot;
  for (auto _ : state) {
    const int64_t c0 = ThreadCpuNs();
    d.Clear(plat::kClearTarget | plat::kClearZBuffer, 0xFF000000u, 1.0f, 0);
    d.BeginScene();
    d.SetTransform(plat::kTsProjection, proj);
    d.SetRenderState(plat::kRsLighting, 0);
    d.SetRenderState(plat::kRsCullMode, plat::kCullNone);
    d.SetRenderState(plat::kRsAlphaBlendEnable, 1);
    d.SetRenderState(plat::kRsSrcBlend, plat::kBlendSrcAlpha);
    d.SetTextureStageState(0, plat::kTssColourOp, plat::kTopModulate);
    d.SetTextureStageState(0, plat::kTssColourArg1, plat::kTaDiffuse);
    d.SetTextureStageState(0, plat::kTssColourArg2, plat::kTaTexture);
    d.SetStreamSource(vb, sizeof(V142));
    d.SetVertexShader(plat::kFvfPosColourTex);
    for (int i = 0; i < kDraws; ++i) {
      d.SetTexture(0, tex[i & 1]);
      d.SetRenderState(plat::kRsDestBlend, (i & 2) ? plat::kBlendOne : plat::kBlendInvSrcAlpha);
      d.SetIndices(ib, static_cast<uint32_t>(i * 4));
      d.DrawIndexedPrimitive(plat::kPtTriangleList, 0, 4, 0, 2);
    }
    d.EndScene();
    cpuNs += ThreadCpuNs() - c0;
    d.Present();
    d.ReadBackBuffer(&shot);
    ++frames;
  }
  state.counters["device_cpu_ms"] = static_cast<double>(cpuNs) / 1e6 / frames;
  state.counters["fps"] = benchmark::Counter(frames, benchmark::Counter::kIsRate);
  d.SetTexture(0, nullptr);
  d.SetStreamSource(nullptr, 0);
  d.SetIndices(nullptr, 0);
  for (auto* t : tex) t->Release();
  vb->Release();
  ib->Release();
}

BENCHMARK(RunStateChanges)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(1.0);

}  // namespace

BENCHMARK_MAIN();
