#include "vrax/graphic/SGpMan.h"

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <memory>

#include "platform/clock.h"
#include "platform/frame_pacer.h"
#include "vrax/graphic/SGpState.h"
#include "vrax/io/SysUtil.h"
#include "vrax/sound/SSndMan.h"

namespace {

SGpMan* g_gpMan = nullptr;

// Everything the device-side free functions share. Lives from program start;
// the device itself from CreateDevice to ReleaseDevice.
struct Module {
  SGpDeviceRecord record;
  plat::DeviceParams params;
  std::unique_ptr<plat::GfxDevice> device;
  SGpFrameServices* services = nullptr;
  bool startsSound = true;
  uint8_t hardwareError = 0;  // latched for the life of the program
  uint8_t skip = 0;           // this frame will not be shown
  // The hold's counter and the ticks taken right after the previous present.
  plat::FramePacer pacer;
  plat::Light lights[3];

  // Transform cache.
  SMatrix world, view, viewInv, worldView, worldViewInv, projection;
  bool worldDirty = false, viewDirty = false;
  bool viewInvDirty = false, worldViewDirty = false, worldViewInvDirty = false;
  int inverseCount = 0;
  float viewParams[4];
  float clipNear, clipFar;
  float viewRect[4];

  // Recorded render state.
  int zMode = 0, blendMode = 0, alphaMode = 0, cullMode = 0;
  float blendAlpha = 0.0f, alphaRef = 0.0f;
  SGpColour ambient, textureFactor, fogColour;
  uint8_t fogEnable = 0;
  float fogStart = 0.0f, fogEnd = 0.0f;
  uint32_t lightEnable = 0;
  SVec4 lightDir[3];
  SGpColour lightColour[3];
  SRsc_Image* texOwner = nullptr;
  int texIndex = 0;
  plat::Texture* texLast = nullptr;
  bool texMissing = false;  // the last texture asked for is not there

  Module() { ResetState(); }

  void ResetState() {
    world = view = viewInv = worldView = worldViewInv = projection = kIdentityMatrix;
    worldDirty = viewDirty = viewInvDirty = worldViewDirty = worldViewInvDirty = false;
    inverseCount = 0;
    viewParams[0] = 640.0f, viewParams[1] = 480.0f, viewParams[2] = 512.0f, viewParams[3] = 0.0f;
    clipNear = 1.0f, clipFar = 65536.0f;
    viewRect[0] = -320.0f, viewRect[1] = -240.0f, viewRect[2] = 640.0f, viewRect[3] = 480.0f;
    zMode = blendMode = alphaMode = cullMode = 0;
    blendAlpha = alphaRef = 0.0f;
    ambient = textureFactor = fogColour = SGpColour{0.0f, 0.0f, 0.0f, 0.0f};
    fogEnable = 0;
    fogStart = fogEnd = 0.0f;
    lightEnable = 0;
    for (int i = 0; i < 3; ++i) {
      lightDir[i] = SVec4{0.0f, 0.0f, 0.0f, 0.0f};
      lightColour[i] = SGpColour{0.0f, 0.0f, 0.0f, 0.0f};
      lights[i] = plat::Light{};
    }
    texOwner = nullptr;
    texIndex = 0;
    texLast = nullptr;
    texMissing = false;
  }
};

Module& M() {
  static Module m;
  return m;
}

plat::GfxDevice* Dev() { return M().device.get(); }

// The device takes the same row-major layout.
plat::Matrix ToDev(const SMatrix& m) {
  plat::Matrix r;
  static_assert(sizeof(r.m) == sizeof(m.m));
  std::memcpy(r.m, m.m, sizeof(r.m));
  return r;
}

SMatrix FromDev(const plat::Matrix& m) {
  SMatrix r;
  std::memcpy(r.m, m.m, sizeof(r.m));
  return r;
}

SMatrix Mul(const SMatrix& a, const SMatrix& b) {
  SMatrix r;
  SMatrix::Multiply(&r, &a, &b);
  return r;
}

void SetDevTransform(uint32_t slot, const SMatrix& m);
bool GetDevTransform(uint32_t slot, SMatrix* out);

uint32_t PackRgb(const SGpColour& c, uint32_t alphaByte) {
  return (SGpMan::PackColour(c.r, c.g, c.b, 0.0f) & 0x00FFFFFFu) | (alphaByte << 24);
}

// value x 255 truncated, clamped to a byte (references, constant alphas).
uint32_t ByteTrunc(float v) {
  if (!(v > 0.0f)) return 0;
  if (v >= 1.0f) return 255;
  return static_cast<uint32_t>(static_cast<int>(v * 255.0f)) & 0xFFu;
}

}  // namespace

namespace {
void SetDevTransform(uint32_t slot, const SMatrix& m) {
  if (Dev()) Dev()->SetTransform(slot, ToDev(m));
}

bool GetDevTransform(uint32_t slot, SMatrix* out) {
  plat::Matrix r;
  if (!Dev() || Dev()->GetTransform(slot, &r) < 0) return false;
  *out = FromDev(r);
  return true;
}
}  // namespace

// ============================================================ the process

SGpMan* GetGpMan() { return g_gpMan; }

SGpMan::SGpMan() { g_gpMan = this; }

SGpMan::~SGpMan() {
  delete queue_;
  delete packet_;
  delete defaultBlock_;
  if (g_gpMan == this) g_gpMan = nullptr;
}

int32_t SGpMan::Init(SProcArg arg) {
  DebugPrint("%s %s", GetName().c_str(), "initialize... ");
  SetName("VRAX Graphic Manager");
  MoveToList(0, true);
  SGpDeviceRecord fallback;
  const auto* record = arg ? reinterpret_cast<const SGpDeviceRecord*>(arg) : &fallback;
  if (CreateDevice(record) < 0) {
    DebugPrint("failed\n");
    SetInitResult(-1);
    return -1;
  }
  delete queue_;
  queue_ = new SGpQueue;
  queue_->Create(kQueueBits);
  queue_->Reset();
  delete packet_;
  packet_ = new SGpPacket;
  packet_->Create(kPacketBytes, kPacketAlign);
  packet_->Reset();
  current_ = queue_;
  defaultKey_ = 0;
  BuildDefaultBlock();
  DebugPrint("completed\n");
  SetInitResult(0);
  return 0;
}

void SGpMan::AddDefaultPacket(SGpObj* p) {
  if (defaultCount_ < kMaxDefaultPackets) defaults_[defaultCount_++] = p;
}

void SGpMan::BuildDefaultBlock() {
  // The sub-packets are static and shared by every build; only the block
  // belongs to this manager.
  static SGpState_Cull cull;
  static SGpState_Projection projection;
  static SGpState_ViewRect viewRect;
  static SGpState_Clip clip;
  static SGpState_View view;
  static SGpState_Light light;
  static SGpState_Ambient ambient;
  static SGpState_Fog fog;
  static SGpState_ZMode zmode;
  static SGpState_Blend blend;

  delete defaultBlock_;
  defaultBlock_ = new SGpState_Block;
  defaultCount_ = 0;
  SGpObj* order[] = {&cull, &projection, &viewRect, &clip, &view, &light, &ambient, nullptr, &fog, &zmode, &blend};
  for (int pos = 0; pos < 11; ++pos) {
    if (!order[pos]) continue;
    defaultBlock_->SetPacket(pos, order[pos]);
    AddDefaultPacket(order[pos]);
  }
  cull.Set(0);
  projection.Set(640.0f, 480.0f, 512.0f);
  viewRect.Set(-320.0f, -240.0f, 640.0f, 480.0f);
  clip.Set(8.0f, 4096.0f);
  SMatrix v;
  GetPresetMatrix(1, &v);
  v.m[3][2] = 512.0f;
  view.SetMatrix(v);
  light.SetEnable(7);
  light.SetDirection(0, 1.0f, 1.0f, -1.0f);
  light.SetColour(0, 1.0f, 0.5f, 0.25f);
  light.SetDirection(1, 0.25f, -1.0f, 0.25f);
  light.SetColour(1, 0.25f, 0.25f, 0.25f);
  light.SetDirection(2, -1.0f, 1.0f, 0.5f);
  light.SetColour(2, 0.25f, 0.25f, 0.25f);
  ambient.Set(0.1f, 0.1f, 0.1f);
  fog.SetEnable(0);
  zmode.SetMode(1);
  blend.SetMode(0);
  blend.SetAlpha(0.25f);
}

int32_t SGpMan::Draw(SProcArg) {
  if (queue_) queue_->Reset();
  if (packet_) packet_->Reset();
  if (defaultBlock_) defaultBlock_->Enter(kDefaultBlockKey);
  return 0;
}

int32_t SGpMan::User(int32_t code, SProcArg) {
  if (code == EVENT_USER) FrameBegin();
  return 0;
}

int32_t SGpMan::Begin(SProcArg) {
  if (queue_) queue_->Execute();
  FrameEnd();
  return 0;
}

int32_t SGpMan::OnDispose(SProcArg) {
  DebugPrint("%s %s", GetName().c_str(), "...disposed\n");
  ReleaseDevice();
  delete queue_;
  queue_ = nullptr;
  current_ = nullptr;
  delete packet_;
  packet_ = nullptr;
  delete defaultBlock_;
  defaultBlock_ = nullptr;
  defaultCount_ = 0;
  return 0;
}

// ============================================================ device and frame

plat::GfxDevice* SGpMan::GetDevice() { return Dev(); }
bool SGpMan::IsPresentSkipped() { return M().skip != 0; }
bool SGpMan::HardwareErrorLatched() { return M().hardwareError != 0; }
void SGpMan::SetFrameServices(SGpFrameServices* services) { M().services = services; }
void SGpMan::SetStartsSound(bool on) { M().startsSound = on; }

int32_t SGpMan::CreateDevice(const SGpDeviceRecord* record) {
  Module& m = M();
  if (!record) return -1;
  m.record = *record;
  m.params = plat::DeviceParams{};
  m.params.backBufferWidth = record->width;
  m.params.backBufferHeight = record->height;
  m.params.fullScreen = record->fullScreen != 0;
  // Full screen asks the present to wait for the vertical blank (no
  // tearing); the frame hold after the present keeps the rate where the
  // display does not wait.
  m.params.vsync = record->fullScreen != 0 && record->holdRate != 0;
  if (m.params.fullScreen) m.params.refreshRate = PickRefreshRate(plat::ListDisplayModes(), record->width, record->height);
  m.device.reset();
  m.device = plat::CreateGfxDevice(record->window, m.params);
  if (!m.device) return -1;
  plat::GfxDevice* d = m.device.get();
  m.texLast = nullptr;
  m.skip = 0;

  if (m.services && !m.services->HasOverlay()) {
    m.services->CreateOverlay(d, m.services->IsHighResolution(), m.services->IsScreenVertical());
  }

  // Initial transforms; the default state block replaces both every frame.
  SMatrix proj;
  SMatrix::PerspectiveFovRH(&proj, 0.785398f, 4.0f / 3.0f, 1.0f, 500.0f);
  SetDevTransform(plat::kTsProjection, proj);
  m.projection = proj;
  const SVec3 eye{0.0f, 0.0f, -7.0f}, at{0.0f, 0.0f, 0.0f}, up{0.0f, 1.0f, 0.0f};
  SMatrix view;
  SMatrix::LookAtLH(&view, &eye, &at, &up);
  SetView(view);
  SetWorld(kIdentityMatrix);

  d->SetTextureStageState(0, plat::kTssColourArg1, plat::kTaDiffuse);
  d->SetTextureStageState(0, plat::kTssColourArg2, plat::kTaTexture);
  d->SetTextureStageState(0, plat::kTssAlphaArg1, plat::kTaCurrent);
  d->SetTextureStageState(0, plat::kTssAlphaArg2, plat::kTaTexture);
  d->SetTextureStageState(0, plat::kTssMinFilter, plat::kTexfLinear);
  d->SetTextureStageState(0, plat::kTssMagFilter, plat::kTexfLinear);
  d->SetTextureStageState(1, plat::kTssColourOp, plat::kTopAdd);
  d->SetTextureStageState(1, plat::kTssColourArg1, plat::kTaCurrent);
  d->SetTextureStageState(1, plat::kTssColourArg2, plat::kTaTFactor);
  d->SetTextureStageState(0, plat::kTssAlphaOp, plat::kTopDisable);
  d->SetRenderState(plat::kRsTextureFactor, 0);
  m.textureFactor = SGpColour{0.0f, 0.0f, 0.0f, 0.0f};

  for (int i = 0; i < 3; ++i) {
    plat::Light l{};
    l.type = plat::kLightDirectional;
    l.diffuse = plat::ColourValue{0.0f, 0.0f, 0.0f, 1.0f};
    l.direction = plat::Vec3{0.0f, 0.0f, 1.0f};
    m.lights[i] = l;
    d->SetLight(static_cast<uint32_t>(i), l);
    d->LightEnable(static_cast<uint32_t>(i), false);
  }
  m.lightEnable = 0;

  d->SetRenderState(plat::kRsDitherEnable, 1);
  d->SetRenderState(plat::kRsColourVertex, 1);
  d->SetRenderState(plat::kRsAmbientMaterialSource, plat::kMcsColour1);

  plat::Material mat{};
  mat.diffuse = plat::ColourValue{1.0f, 1.0f, 1.0f, 1.0f};
  mat.ambient = plat::ColourValue{1.0f, 1.0f, 1.0f, 1.0f};
  d->SetMaterial(mat);

  d->SetRenderState(plat::kRsFogEnable, 1);
  d->SetRenderState(plat::kRsFogColour, 0xFFFFFFFFu);
  d->SetRenderState(plat::kRsFogTableMode, plat::kFogLinear);
  d->SetRenderState(plat::kRsFogStart, plat::FloatBits(1.0f));
  d->SetRenderState(plat::kRsFogEnd, plat::FloatBits(1024.0f));
  d->SetRenderState(plat::kRsFogDensity, plat::FloatBits(0.0f));
  m.fogEnable = 1;
  m.fogColour = SGpColour{1.0f, 1.0f, 1.0f, 1.0f};
  m.fogStart = 1.0f;
  m.fogEnd = 1024.0f;

  // The sound player needs the window; it starts with the device.
  if (m.startsSound && SSndMan::Init(record->window) < 0) return -1;
  return 0;
}

void SGpMan::ReleaseDevice() {
  Module& m = M();
  if (m.startsSound) SSndMan::StopThread();
  if (m.services && m.services->HasOverlay()) m.services->DestroyOverlay();
  m.device.reset();
  m.texLast = nullptr;
}

namespace {
void SetViewportRect(uint32_t x, uint32_t y, uint32_t w, uint32_t h) {
  plat::GfxDevice* d = Dev();
  if (!d) return;
  plat::Viewport vp{};
  d->GetViewport(&vp);
  vp.x = x, vp.y = y, vp.width = w, vp.height = h;
  d->SetViewport(vp);
}
bool HighResolution() {
  Module& m = M();
  if (m.services) return m.services->IsHighResolution();
  return m.record.width >= 1280;
}
}  // namespace

void SGpMan::SetViewport43() {
  bool high = HighResolution();
  if (M().services) M().services->IsScreenVertical();  // asked, answer unused
  if (high)
    SetViewportRect(160, 0, 960, 720);
  else
    SetViewportRect(0, 0, 640, 480);
}

void SGpMan::SetViewportFull() {
  if (HighResolution())
    SetViewportRect(0, 0, 1280, 720);
  else
    SetViewportRect(0, 0, 640, 480);
}

void SGpMan::FrameBegin() {
  plat::GfxDevice* d = Dev();
  if (!d) return;
  // The clear covers the whole target, bars of the 4:3 view included.
  SetViewportFull();
  d->Clear(plat::kClearTarget | plat::kClearZBuffer | plat::kClearStencil, 0xFF000000u, 1.0f, 0);
  d->BeginScene();
  SetViewport43();
}

int SGpMan::PickRefreshRate(const std::vector<plat::DisplayMode>& modes, int width, int height) {
  int best = 0;
  int bestDistance = -1;
  for (const plat::DisplayMode& mode : modes) {
    if (mode.width != width || mode.height != height) continue;
    const int distance = std::abs(mode.refreshRate - 60);
    if (bestDistance < 0 || distance < bestDistance) {
      best = mode.refreshRate;
      bestDistance = distance;
    }
  }
  return best;
}

uint32_t SGpMan::ReadPerfTicks() { return M().pacer.ReadTicks(); }

float SGpMan::TicksToFrames(uint32_t ticks) { return plat::FramePacer::TicksToFrames(ticks); }

void SGpMan::SetPerfCounter(int64_t (*counter)()) { M().pacer.SetCounter(counter); }

void SGpMan::FrameEnd() {
  Module& m = M();
  plat::GfxDevice* d = m.device.get();
  if (!d) return;
  if (!m.skip) {
    SetViewportFull();
    if (!m.hardwareError && m.services && m.services->CheckHardwareError()) m.hardwareError = 1;
    SGpFrameServices* s = m.services;
    if (s && s->HasOverlay() && s->OverlayLoaded() && !s->OverlayIdle() && !m.hardwareError) {
      int32_t status = s->ReadSharedStatus();
      if (!s->IsTestMode()) s->DrawOverlayBackground();
      s->RenderOverlay(status);
    }
  }
  d->EndScene();
  if (!m.skip) {
    if (m.record.holdRate && !m.record.fullScreen) {
      // Spin until TicksToFrames(ReadPerfTicks() - last present) exceeds
      // 1.0: more than one frame period since the previous present ended.
      m.pacer.Wait();
    }
    if (d->Present() < 0) {
      // A lost frame: reset with the kept parameters and go on.
      d->Reset(m.params);
    }
    if (m.record.holdRate && m.record.fullScreen) {
      // Full screen asks the present to wait for the vertical blank, but
      // some displays return at once. The present counts within the period
      // (a wait for the blank already spent part or all of it) and the rest
      // is held, so the rate never passes one frame a period whatever the
      // display does; holding before the present instead would miss every
      // other blank on a display that waits.
      m.pacer.Wait();
    }
  }
  SGpMan* man = GetGpMan();
  m.skip = man ? man->GetPresentSkip() : 0;
  // Taken after the present, and also for a frame that was not presented.
  m.pacer.MarkPresent();
}

// ============================================================ transform cache

void SGpMan::SetView(const SMatrix& mat) {
  Module& m = M();
  SetDevTransform(plat::kTsView, mat);
  m.view = mat;
  m.viewDirty = true;
  m.viewInvDirty = m.worldViewDirty = m.worldViewInvDirty = true;
}

void SGpMan::SetWorld(const SMatrix& mat) {
  Module& m = M();
  SetDevTransform(plat::kTsWorld, mat);
  m.world = mat;
  m.worldDirty = true;
  m.worldViewDirty = m.worldViewInvDirty = true;
}

const SMatrix& SGpMan::GetWorld() {
  Module& m = M();
  if (m.worldDirty) {
    GetDevTransform(plat::kTsWorld, &m.world);
    m.worldDirty = false;
  }
  return m.world;
}

const SMatrix& SGpMan::GetView() {
  Module& m = M();
  if (m.viewDirty) {
    GetDevTransform(plat::kTsView, &m.view);
    m.viewDirty = false;
  }
  return m.view;
}

const SMatrix& SGpMan::GetViewInverse() {
  Module& m = M();
  if (m.viewInvDirty) {
    SMatrix::Inverse(&m.viewInv, nullptr, &GetView());
    ++m.inverseCount;
    m.viewInvDirty = false;
  }
  return m.viewInv;
}

const SMatrix& SGpMan::GetWorldView() {
  Module& m = M();
  if (m.worldViewDirty) {
    m.worldView = Mul(GetWorld(), GetView());
    m.worldViewDirty = false;
  }
  return m.worldView;
}

const SMatrix& SGpMan::GetWorldViewInverse() {
  Module& m = M();
  if (m.worldViewInvDirty) {
    SMatrix::Inverse(&m.worldViewInv, nullptr, &GetWorldView());
    ++m.inverseCount;
    m.worldViewInvDirty = false;
  }
  return m.worldViewInv;
}

int SGpMan::InverseCount() { return M().inverseCount; }

void SGpMan::SetWorldView(const SMatrix& mat) {
  Module& m = M();
  SMatrix world = Mul(mat, GetViewInverse());
  SetDevTransform(plat::kTsWorld, world);
  m.world = world;
  m.worldDirty = false;
  m.worldView = mat;
  m.worldViewDirty = false;
  m.worldViewInvDirty = true;
}

void SGpMan::MultiplyWorld(const SMatrix& mat) {
  Module& m = M();
  SMatrix world = Mul(mat, GetWorld());
  SetDevTransform(plat::kTsWorld, world);
  m.world = world;
  m.worldDirty = false;
  m.worldViewDirty = m.worldViewInvDirty = true;
}

void SGpMan::SetProjection(float width, float height, float distance, float fourth) {
  Module& m = M();
  SMatrix p;
  if (distance == 0.0f) {
    SMatrix::OrthoRH(&p, width, height, m.clipNear, m.clipFar);
  } else {
    SMatrix::PerspectiveFovRH(&p, 2.0f * std::atan2(240.0f, distance), 4.0f / 3.0f, m.clipNear, m.clipFar);
    p.m[0][0] *= 640.0f / width;
    p.m[1][1] *= 480.0f / height;
  }
  SetDevTransform(plat::kTsProjection, p);
  m.projection = p;
  m.viewParams[0] = width;
  m.viewParams[1] = height;
  m.viewParams[2] = distance;
  m.viewParams[3] = fourth;
}

void SGpMan::SetClip(float nearZ, float farZ) {
  Module& m = M();
  if (!(nearZ >= 1.0f)) nearZ = 1.0f;  // below 1.0 or not a number
  m.clipNear = nearZ;
  m.clipFar = farZ;
  SetProjection(m.viewParams[0], m.viewParams[1], m.viewParams[2], m.viewParams[3]);
}

void SGpMan::SetViewRect(float x, float y, float width, float height) {
  Module& m = M();
  m.viewRect[0] = x, m.viewRect[1] = y, m.viewRect[2] = width, m.viewRect[3] = height;
}

const float* SGpMan::GetViewParams() { return M().viewParams; }
float SGpMan::GetClipNear() { return M().clipNear; }
float SGpMan::GetClipFar() { return M().clipFar; }
const float* SGpMan::GetViewRect() { return M().viewRect; }
const SMatrix& SGpMan::GetProjection() { return M().projection; }

// ============================================================ render states

uint32_t SGpMan::PackColour(float r, float g, float b, float a) { return plat::PackColour(r, g, b, a); }

void SGpMan::SetZMode(int mode) {
  Module& m = M();
  m.zMode = mode;
  plat::GfxDevice* d = Dev();
  if (!d) return;
  uint32_t func = plat::kCmpAlways;
  switch (mode & 3) {
    case 1: func = plat::kCmpLessEqual; break;
    case 2: func = plat::kCmpLess; break;
    default: break;
  }
  d->SetRenderState(plat::kRsZFunc, func);
  d->SetRenderState(plat::kRsZWriteEnable, (mode & 4) ? 0u : 1u);
}

void SGpMan::SetBlendMode(int mode, float alpha) {
  Module& m = M();
  m.blendMode = mode;
  m.blendAlpha = alpha;
  plat::GfxDevice* d = Dev();
  if (!d) return;
  if ((mode & 3) == 0) {
    d->SetRenderState(plat::kRsAlphaBlendEnable, 0);
    d->SetTextureStageState(0, plat::kTssAlphaArg1, plat::kTaDiffuse);
    return;
  }
  d->SetRenderState(plat::kRsAlphaBlendEnable, 1);
  switch (mode) {
    case 1:
    case 2:
      d->SetRenderState(plat::kRsSrcBlend, plat::kBlendSrcAlpha);
      d->SetRenderState(plat::kRsDestBlend, mode == 1 ? plat::kBlendInvSrcAlpha : plat::kBlendOne);
      d->SetTextureStageState(0, plat::kTssAlphaArg1, plat::kTaDiffuse);
      break;
    case 5:
    case 6:
      // The constant alpha travels in the texture factor's alpha byte (its
      // colour bytes become 0).
      d->SetRenderState(plat::kRsTextureFactor, ByteTrunc(alpha) << 24);
      m.textureFactor = SGpColour{0.0f, 0.0f, 0.0f, 0.0f};
      d->SetTextureStageState(0, plat::kTssAlphaArg1, plat::kTaTFactor);
      d->SetRenderState(plat::kRsSrcBlend, plat::kBlendSrcAlpha);
      d->SetRenderState(plat::kRsDestBlend, mode == 5 ? plat::kBlendInvSrcAlpha : plat::kBlendOne);
      break;
    default:  // 3, 7 and the rest: blending on, factors as they were
      break;
  }
}

void SGpMan::SetAlphaTest(int mode, float reference) {
  Module& m = M();
  // A negative mode or reference keeps the one in force.
  if (mode < 0) mode = m.alphaMode;
  if (reference < 0.0f) reference = m.alphaRef;
  m.alphaMode = mode;
  m.alphaRef = reference;
  plat::GfxDevice* d = Dev();
  if (!d) return;
  static const uint32_t kFuncs[7] = {0,
                                     plat::kCmpEqual,
                                     plat::kCmpNotEqual,
                                     plat::kCmpLessEqual,
                                     plat::kCmpLess,
                                     plat::kCmpGreaterEqual,
                                     plat::kCmpGreater};
  if (mode >= 1 && mode <= 6) {
    d->SetRenderState(plat::kRsAlphaFunc, kFuncs[mode]);
    d->SetRenderState(plat::kRsAlphaTestEnable, 1);
    d->SetRenderState(plat::kRsAlphaRef, ByteTrunc(reference));
  } else {
    d->SetRenderState(plat::kRsAlphaTestEnable, 0);
  }
}

void SGpMan::SetCull(int mode) {
  Module& m = M();
  m.cullMode = mode;
  plat::GfxDevice* d = Dev();
  if (!d) return;
  if (mode == 0 || mode == 1) {
    d->SetRenderState(plat::kRsCullMode, mode == 0 ? plat::kCullNone : plat::kCullCcw);
    d->SetRenderState(plat::kRsFillMode, plat::kFillSolid);
  } else if (mode == 9) {
    d->SetRenderState(plat::kRsFillMode, plat::kFillWireframe);
  }
}

void SGpMan::SetAmbient(const SGpColour& c) {
  M().ambient = c;
  if (Dev()) Dev()->SetRenderState(plat::kRsAmbient, PackRgb(c, 0));
}

void SGpMan::SetTextureFactor(const SGpColour& c) {
  M().textureFactor = c;
  if (Dev()) Dev()->SetRenderState(plat::kRsTextureFactor, PackRgb(c, 0));
}

void SGpMan::SetFogEnable(uint8_t flag) {
  M().fogEnable = flag;
  if (Dev()) Dev()->SetRenderState(plat::kRsFogEnable, flag ? 1u : 0u);
}

void SGpMan::SetFogRange(float start, float end) {
  M().fogStart = start;
  M().fogEnd = end;
  if (!Dev()) return;
  Dev()->SetRenderState(plat::kRsFogStart, plat::FloatBits(start));
  Dev()->SetRenderState(plat::kRsFogEnd, plat::FloatBits(end));
}

void SGpMan::SetFogColour(const SGpColour& c) {
  M().fogColour = c;
  if (Dev()) Dev()->SetRenderState(plat::kRsFogColour, PackRgb(c, 0xFF));
}

void SGpMan::EnableLights(uint32_t mask) {
  M().lightEnable = mask;
  if (!Dev()) return;
  for (uint32_t i = 0; i < 3; ++i) Dev()->LightEnable(i, (mask >> i) & 1u);
}

void SGpMan::SetLightDirection(int i, const SVec4& v) {
  if (i < 0 || i >= 3) return;
  Module& m = M();
  m.lightDir[i] = v;
  m.lights[i].direction = plat::Vec3{v.x, v.y, v.z};
  if (Dev()) Dev()->SetLight(static_cast<uint32_t>(i), m.lights[i]);
}

void SGpMan::SetLightColour(int i, const SGpColour& c) {
  if (i < 0 || i >= 3) return;
  Module& m = M();
  m.lightColour[i] = c;
  m.lights[i].diffuse.r = c.r;
  m.lights[i].diffuse.g = c.g;
  m.lights[i].diffuse.b = c.b;
  if (Dev()) Dev()->SetLight(static_cast<uint32_t>(i), m.lights[i]);
}

void SGpMan::ForgetTexture(plat::Texture* texture) {
  Module& m = M();
  if (texture && m.texLast == texture) {
    if (Dev()) Dev()->SetTexture(0, nullptr);
    m.texLast = nullptr;
  }
}

void SGpMan::ForgetTextureOwner(const SRsc_Image* owner) {
  Module& m = M();
  if (owner != nullptr && m.texOwner == owner) m.texOwner = nullptr;
}

int SGpMan::GetZMode() { return M().zMode; }
int SGpMan::GetBlendMode() { return M().blendMode; }
float SGpMan::GetBlendAlpha() { return M().blendAlpha; }
int SGpMan::GetAlphaTestMode() { return M().alphaMode; }
float SGpMan::GetAlphaReference() { return M().alphaRef; }
int SGpMan::GetCullMode() { return M().cullMode; }
const SGpColour& SGpMan::GetAmbient() { return M().ambient; }
uint32_t SGpMan::GetLightEnable() { return M().lightEnable; }
const SVec4& SGpMan::GetLightDirection(int i) { return M().lightDir[i < 0 || i > 2 ? 0 : i]; }
const SGpColour& SGpMan::GetLightColour(int i) { return M().lightColour[i < 0 || i > 2 ? 0 : i]; }
SRsc_Image* SGpMan::GetTextureOwner() { return M().texOwner; }
void SGpMan::BindTexture(SRsc_Image* owner, int index, plat::Texture* texture) {
  Module& m = M();
  if (owner) m.texOwner = owner;
  m.texIndex = index;
  if (texture == nullptr) {
    // No image current: nothing was asked of an image, so the mark stands.
    if (m.texOwner != nullptr) m.texMissing = true;
    return;
  }
  m.texMissing = false;
  if (texture == m.texLast) return;
  if (Dev()) Dev()->SetTexture(0, texture);
  m.texLast = texture;
}
void SGpMan::KeepTexture(SRsc_Image* owner, int index) {
  Module& m = M();
  if (owner) m.texOwner = owner;
  m.texIndex = index;
}
void SGpMan::SetNoTexture() {
  Module& m = M();
  m.texOwner = nullptr;
  m.texIndex = -1;
  m.texMissing = true;
}
int SGpMan::GetTextureIndex() { return M().texIndex; }
bool SGpMan::TextureMissing() { return M().texMissing; }

void SGpMan::ResetRenderState() {
  M().ResetState();
  M().hardwareError = 0;
  M().skip = 0;
}
