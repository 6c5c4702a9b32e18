// 20,000 textured, alpha-blended 16x16 quads per frame at 640x480 through the
// graphic manager's draw queue on the OpenGL device (a hidden window; Mesa's
// software renderer when headless). Every quad is a packet entered under one
// of eight keys; each key also
// gets a blend preset, a texture bind and a flush packet that hands the
// key's vertices to the device in one indexed draw.
//
// The quads are packets owned by the scene (as game objects own theirs) and
// entered every frame; the per-frame packet memory holds 256 KB, too little
// for 20,000 separate packets.
//
// Reports frames per second and the CPU time per frame spent in the engine's
// queue and state code (entering, packet memory, executing the chain, state
// packets, writing vertices), apart from the time inside the device's draw
// calls and present.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <cstring>
#include <memory>
#include <vector>

#include "platform/clock.h"
#include "platform/crt_rand.h"
#include "platform/gfx_device.h"
#include "platform/window.h"
#include "vrax/graphic/SGpMan.h"
#include "vrax/graphic/SGpState.h"
#include "vrax/kernel/SKernel.h"

namespace {

constexpr int kQuads = 20000;
constexpr int kKeys = 8;
float kSize = 16.0f;

struct Vtx {
  float x, y, z;
  uint32_t colour;
  float u, v;
};

// The frame's vertices, four per quad, written by the quad packets; each
// flush hands the key's share to the device through one vertex buffer and a
// shared index buffer (two triangles per quad).
std::vector<Vtx> g_batch;
size_t g_flushed = 0;  // vertices of g_batch already handed over
plat::VertexBuffer* g_vb = nullptr;
plat::IndexBuffer* g_ib = nullptr;
int64_t g_deviceNs = 0;  // time inside the device's calls this frame

struct QuadPacket : SGpObj {
  float x, y;
  uint32_t colour;
  void Execute() override {
    const float x1 = x + kSize, y1 = y + kSize;
    g_batch.push_back({x, y, 0.0f, colour, 0.0f, 0.0f});
    g_batch.push_back({x1, y, 0.0f, colour, 1.0f, 0.0f});
    g_batch.push_back({x, y1, 0.0f, colour, 0.0f, 1.0f});
    g_batch.push_back({x1, y1, 0.0f, colour, 1.0f, 1.0f});
  }
};

struct FlushPacket : SGpObj {
  void Execute() override {
    const size_t count = g_batch.size() - g_flushed;
    if (count == 0) return;
    plat::GfxDevice* d = SGpMan::GetDevice();
    int64_t t0 = plat::PerfCounter();
    void* p = nullptr;
    const uint32_t offset = static_cast<uint32_t>(g_flushed * sizeof(Vtx));
    if (g_vb->Lock(offset, static_cast<uint32_t>(count * sizeof(Vtx)), &p) == plat::kOk) {
      std::memcpy(p, &g_batch[g_flushed], count * sizeof(Vtx));
      g_vb->Unlock();
    }
    d->SetVertexShader(plat::kFvfPosColourTex);
    d->SetStreamSource(g_vb, sizeof(Vtx));
    d->SetIndices(g_ib, static_cast<uint32_t>(g_flushed));
    d->DrawIndexedPrimitive(plat::kPtTriangleList, 0, static_cast<uint32_t>(count), 0,
                            static_cast<uint32_t>(count / 2));
    g_deviceNs += plat::PerfCounter() - t0;
    g_flushed += count;
  }
};

struct TexturePacket : SGpObj {
  plat::Texture* tex = nullptr;
  void Execute() override {
    SGpMan::BindTexture(nullptr, 0, tex);
    plat::GfxDevice* d = SGpMan::GetDevice();
    d->SetTextureStageState(0, plat::kTssColourOp, plat::kTopModulate);
    d->SetTextureStageState(0, plat::kTssAlphaOp, plat::kTopModulate);
  }
};

class Scene : public SProc {
 public:
  int64_t enterNs = 0;
  plat::Texture* tex = nullptr;

 protected:
  int32_t Init(SProcArg) override {
    SetName("BenchScene");
    // Play coordinates: x right, y down, the plane z = 0 at eye distance 512.
    view_.SetMatrix(SMatrix{{{1, 0, 0, 0}, {0, -1, 0, 0}, {0, 0, -1, 0}, {0, 0, -512, 0}}});
    view_.GetMatrix().m[3][3] = 1.0f;
    texPacket_.tex = tex;
    SetInitResult(0);
    return 0;
  }
  int32_t Draw(SProcArg) override {
    int64_t t0 = plat::PerfCounter();
    plat::SRand(1);
    view_.Enter(kKeys + 1);
    WorldPresets[1].Enter(kKeys + 1);
    GetZModePreset(4)->Enter(kKeys + 1);
    GetAlphaTestPreset(0)->Enter(kKeys + 1);
    for (int k = kKeys; k >= 1; --k) {
      BlendPresets[1].Enter(k);
      texPacket_.Enter(k);
    }
    for (int i = 0; i < kQuads; ++i) {
      QuadPacket* q = &quads_[static_cast<size_t>(i)];
      q->x = static_cast<float>(plat::Rand() % 624) - 320.0f;
      q->y = static_cast<float>(plat::Rand() % 464) - 240.0f;
      q->colour = 0x80000000u | static_cast<uint32_t>(plat::Rand() * 511);
      q->Enter(1 + i % kKeys);
    }
    for (int k = kKeys; k >= 1; --k) flush_.Enter(k);
    enterNs += plat::PerfCounter() - t0;
    return 0;
  }

 private:
  std::vector<QuadPacket> quads_ = std::vector<QuadPacket>(kQuads);
  SGpState_View view_;
  TexturePacket texPacket_;
  FlushPacket flush_;
};

void BM_QueueQuads(benchmark::State& state) {
  plat::Window window;
  plat::WindowDesc desc;
  desc.width = 640;
  desc.height = 480;
  desc.hidden = true;
  if (!window.Create(desc)) {
    state.SkipWithError("no GL window");
    return;
  }
  SGpMan::SetStartsSound(false);
  SKernel kernel;
  kernel.Start();
  SGpMan gp;
  gp.SetStatic(true);
  SGpDeviceRecord rec;
  rec.window = &window;
  rec.holdRate = 0;  // measure the frame, not the frame hold
  if (kernel.AddChild(0, &gp, reinterpret_cast<SProcArg>(&rec)) != 0) {
    state.SkipWithError("no GL device");
    return;
  }
  plat::Image img;
  img.width = img.height = 16;
  img.rgba.resize(16 * 16 * 4);
  for (int i = 0; i < 16 * 16; ++i) {
    img.rgba[i * 4 + 0] = 255;
    img.rgba[i * 4 + 1] = static_cast<uint8_t>(i);
    img.rgba[i * 4 + 2] = 128;
    img.rgba[i * 4 + 3] = static_cast<uint8_t>(((i % 16) + (i / 16)) * 8);
  }
  plat::Texture* tex = nullptr;
  SGpMan::GetDevice()->CreateTextureFromImage(img, &tex);
  Scene scene;
  scene.SetStatic(true);
  scene.tex = tex;
  kernel.AddChild(2, &scene, 0);
  g_batch.reserve(static_cast<size_t>(kQuads) * 4);
  plat::GfxDevice* dev = SGpMan::GetDevice();
  dev->CreateVertexBuffer(kQuads * 4 * sizeof(Vtx), plat::kFvfPosColourTex, &g_vb);
  dev->CreateIndexBuffer(kQuads * 6 * sizeof(uint16_t), &g_ib);
  {
    // Every key's quads start at vertex 0 of their own range (the base
    // vertex), so one run of indices serves them all: 2,500 quads use
    // vertices 0..9,999.
    void* p = nullptr;
    g_ib->Lock(0, 0, &p);
    auto* idx = static_cast<uint16_t*>(p);
    for (int q = 0; q < kQuads; ++q) {
      const uint16_t b = static_cast<uint16_t>((q * 4) & 0xFFFF);
      const uint16_t quad[6] = {b, static_cast<uint16_t>(b + 1), static_cast<uint16_t>(b + 2),
                                static_cast<uint16_t>(b + 1), static_cast<uint16_t>(b + 3),
                                static_cast<uint16_t>(b + 2)};
      std::memcpy(idx + q * 6, quad, sizeof quad);
    }
    g_ib->Unlock();
  }
  kernel.Step();  // everything becomes running
  kernel.Step();  // warm-up frame (node blocks, GL buffers)

  SGpQueue* queue = gp.GetQueue();
  int64_t frames = 0, totalNs = 0, executeNs = 0, deviceNs = 0, enterNs = 0;
  for (auto _ : state) {
    scene.enterNs = 0;
    g_deviceNs = 0;
    g_batch.clear();
    g_flushed = 0;
    int64_t t0 = plat::PerfCounter();
    // One kernel step, with the queue's execution timed on its own: the
    // step's EVENT_BEGIN runs the same Execute.
    kernel.BroadcastList(0, SProc::EVENT_DRAW, 0);
    kernel.BroadcastList(2, SProc::EVENT_DRAW, 0);
    kernel.BroadcastList(0, SProc::EVENT_USER, 0);
    int64_t e0 = plat::PerfCounter();
    queue->Execute();
    executeNs += plat::PerfCounter() - e0;
    SGpMan::FrameEnd();
    totalNs += plat::PerfCounter() - t0;
    enterNs += scene.enterNs;
    deviceNs += g_deviceNs;
    ++frames;
  }
  double f = static_cast<double>(frames);
  double engineMs = static_cast<double>(enterNs + executeNs - deviceNs) / f / 1e6;
  state.counters["fps"] = f / (static_cast<double>(totalNs) / 1e9);
  state.counters["engine_ms"] = engineMs;
  state.counters["enter_ms"] = static_cast<double>(enterNs) / f / 1e6;
  state.counters["execute_ms"] = static_cast<double>(executeNs - deviceNs) / f / 1e6;
  state.counters["device_draw_ms"] = static_cast<double>(deviceNs) / f / 1e6;
  state.counters["frame_ms"] = static_cast<double>(totalNs) / f / 1e6;
  tex->Release();
  g_vb->Release();
  g_ib->Release();
  kernel.Kill(0);
  kernel.Dispose();
  SGpMan::SetStartsSound(true);
}

void BM_QueueQuads16(benchmark::State& state) {
  kSize = 16.0f;
  BM_QueueQuads(state);
}
void BM_QueueQuads8(benchmark::State& state) {
  kSize = 8.0f;
  BM_QueueQuads(state);
}
BENCHMARK(BM_QueueQuads16)->Iterations(200)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_QueueQuads8)->Iterations(200)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
