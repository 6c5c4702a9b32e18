#include "platform/gfx_device.h"

#include <algorithm>
#include <cstring>
#include <new>
#include <utility>

#include "platform/gfx_device_gl.h"
#include "platform/image_decode.h"

namespace plat {

// ---------------------------------------------------------------- helpers
uint32_t FloatBits(float f) {
  uint32_t u;
  std::memcpy(&u, &f, 4);
  return u;
}

float BitsFloat(uint32_t u) {
  float f;
  std::memcpy(&f, &u, 4);
  return f;
}

uint32_t ColourChannel(float v) {
  if (!(v > 0.0f)) return 0;  // also NaN
  if (v >= 1.0f) return 255;
  return static_cast<uint32_t>(v * 255.0f + 0.5f);
}

Colour PackColour(float r, float g, float b, float a) {
  return ColourChannel(a) << 24 | ColourChannel(r) << 16 | ColourChannel(g) << 8 | ColourChannel(b);
}

uint32_t VertexStride(uint32_t fvf) {
  switch (fvf) {
    case kFvfPosColour: return 16;
    case kFvfPosColourTex: return 24;
    case kFvfPosNormalColour: return 28;
    case kFvfPosNormalColourTex: return 36;
    case kFvfScreenColourTex: return 28;
    default: return 0;
  }
}

// ---------------------------------------------------------------- resources
uint32_t GfxResource::Release() {
  if (refs_ == 0) return 0;
  if (--refs_ == 0) {
    delete this;
    return 0;
  }
  return refs_;
}

int GfxBuffer::Lock(uint32_t offset, uint32_t size, void** out) {
  if (!out) return kErrInvalidCall;
  *out = nullptr;
  if (locked_ || offset > data_.size()) return kErrInvalidCall;
  if (size == 0) size = static_cast<uint32_t>(data_.size()) - offset;
  if (size > data_.size() - offset) return kErrInvalidCall;
  locked_ = true;
  lockOffset_ = offset;
  lockSize_ = size;
  *out = data_.data() + offset;
  return kOk;
}

int GfxBuffer::Unlock() {
  if (!locked_) return kErrInvalidCall;
  locked_ = false;
  if (lockSize_ > 0) Upload(lockOffset_, lockSize_);
  return kOk;
}

// ---------------------------------------------------------------- device state
GfxDevice::GfxDevice(const DeviceParams& params, bool null) : params_(params), null_(null) {
  static uint64_t s_serial = 0;
  serial_ = ++s_serial;
  ResetStates();
}

GfxDevice::~GfxDevice() {
  for (Texture*& t : textures_) {
    if (t) t->Release();
    t = nullptr;
  }
  SetStreamSource(nullptr, 0);
  SetIndices(nullptr, 0);
}

// The power-on state: every value as a freshly created device has it.
void GfxDevice::ResetStates() {
  std::fill(std::begin(rs_), std::end(rs_), 0u);
  rs_[kRsZEnable] = 1;
  rs_[kRsFillMode] = kFillSolid;
  rs_[kRsShadeMode] = 2;  // Gouraud
  rs_[kRsZWriteEnable] = 1;
  rs_[kRsSrcBlend] = kBlendOne;
  rs_[kRsDestBlend] = kBlendZero;
  rs_[kRsCullMode] = kCullCcw;
  rs_[kRsZFunc] = kCmpLessEqual;
  rs_[kRsAlphaFunc] = kCmpAlways;
  rs_[kRsFogEnd] = FloatBits(1.0f);
  rs_[kRsFogDensity] = FloatBits(1.0f);
  rs_[kRsTextureFactor] = 0xFFFFFFFFu;
  rs_[kRsLighting] = 1;
  rs_[kRsColourVertex] = 1;
  rs_[kRsDiffuseMaterialSource] = kMcsColour1;
  rs_[kRsSpecularMaterialSource] = kMcsColour2;
  rs_[kRsAmbientMaterialSource] = kMcsMaterial;
  rs_[kRsEmissiveMaterialSource] = kMcsMaterial;
  for (uint32_t s = 0; s < kMaxStages; ++s) {
    uint32_t* t = tss_[s];
    std::fill(t, t + kStageStateCount, 0u);
    t[kTssColourOp] = s == 0 ? kTopModulate : kTopDisable;
    t[kTssColourArg1] = kTaTexture;
    t[kTssColourArg2] = kTaCurrent;
    t[kTssAlphaOp] = s == 0 ? kTopSelectArg1 : kTopDisable;
    t[kTssAlphaArg1] = kTaTexture;
    t[kTssAlphaArg2] = kTaCurrent;
    t[kTssTexCoordIndex] = s;
    t[kTssAddressU] = kTaddrWrap;
    t[kTssAddressV] = kTaddrWrap;
    t[kTssMagFilter] = kTexfPoint;
    t[kTssMinFilter] = kTexfPoint;
    t[kTssMipFilter] = kTexfNone;
    t[kTssTextureTransformFlags] = kTtffDisable;
  }
  world_ = view_ = projection_ = Matrix::Identity();
  for (Matrix& m : texture_) m = Matrix::Identity();
  viewport_ = Viewport{0, 0, static_cast<uint32_t>(params_.backBufferWidth),
                       static_cast<uint32_t>(params_.backBufferHeight), 0.0f, 1.0f};
  material_ = Material{};
  for (Light& l : lights_) {
    l = Light{};
    l.type = kLightDirectional;
    l.diffuse = {1, 1, 1, 0};
    l.direction = {0, 0, 1};
  }
  std::fill(std::begin(lightEnabled_), std::end(lightEnabled_), false);
  dirtyStates_ = dirtyTransforms_ = dirtyLights_ = dirtyStream_ = true;
}

int GfxDevice::BeginScene() {
  if (inScene_) return kErrInvalidCall;
  inScene_ = true;
  return kOk;
}

int GfxDevice::EndScene() {
  if (!inScene_) return kErrInvalidCall;
  inScene_ = false;
  return kOk;
}

int GfxDevice::SetTransform(uint32_t slot, const Matrix& m) {
  switch (slot) {
    case kTsWorld: world_ = m; break;
    case kTsView: view_ = m; break;
    case kTsProjection: projection_ = m; break;
    default:
      if (slot >= kTsTexture0 && slot < kTsTexture0 + kMaxStages) {
        texture_[slot - kTsTexture0] = m;
        break;
      }
      return kErrInvalidCall;
  }
  dirtyTransforms_ = true;
  return kOk;
}

int GfxDevice::GetTransform(uint32_t slot, Matrix* out) const {
  if (!out) return kErrInvalidCall;
  switch (slot) {
    case kTsWorld: *out = world_; return kOk;
    case kTsView: *out = view_; return kOk;
    case kTsProjection: *out = projection_; return kOk;
    default:
      if (slot >= kTsTexture0 && slot < kTsTexture0 + kMaxStages) {
        *out = texture_[slot - kTsTexture0];
        return kOk;
      }
      return kErrInvalidCall;
  }
}

int GfxDevice::SetViewport(const Viewport& vp) {
  const uint64_t right = uint64_t{vp.x} + vp.width, bottom = uint64_t{vp.y} + vp.height;
  if (vp.width == 0 || vp.height == 0 || right > static_cast<uint64_t>(params_.backBufferWidth) ||
      bottom > static_cast<uint64_t>(params_.backBufferHeight))
    return kErrInvalidCall;
  viewport_ = vp;
  dirtyStates_ = dirtyTransforms_ = true;
  return kOk;
}

int GfxDevice::GetViewport(Viewport* out) const {
  if (!out) return kErrInvalidCall;
  *out = viewport_;
  return kOk;
}

int GfxDevice::SetMaterial(const Material& m) {
  material_ = m;
  dirtyLights_ = true;
  return kOk;
}

int GfxDevice::SetLight(uint32_t index, const Light& light) {
  if (index >= kMaxLights) return kErrInvalidCall;
  lights_[index] = light;
  dirtyLights_ = true;
  return kOk;
}

int GfxDevice::GetLight(uint32_t index, Light* out) const {
  if (index >= kMaxLights || !out) return kErrInvalidCall;
  *out = lights_[index];
  return kOk;
}

int GfxDevice::LightEnable(uint32_t index, bool enable) {
  if (index >= kMaxLights) return kErrInvalidCall;
  lightEnabled_[index] = enable;
  dirtyLights_ = true;
  return kOk;
}

int GfxDevice::GetLightEnable(uint32_t index, bool* out) const {
  if (index >= kMaxLights || !out) return kErrInvalidCall;
  *out = lightEnabled_[index];
  return kOk;
}

int GfxDevice::SetRenderState(uint32_t state, uint32_t value) {
  if (state >= kRenderStateCount) return kErrInvalidCall;
  if (rs_[state] != value) {
    rs_[state] = value;
    dirtyStates_ = true;
    if (state == kRsAmbient) dirtyLights_ = true;
  }
  return kOk;
}

uint32_t GfxDevice::GetRenderState(uint32_t state) const {
  return state < kRenderStateCount ? rs_[state] : 0;
}

int GfxDevice::SetTextureStageState(uint32_t stage, uint32_t state, uint32_t value) {
  if (stage >= kMaxStages || state >= kStageStateCount) return kErrInvalidCall;
  if (tss_[stage][state] != value) {
    tss_[stage][state] = value;
    dirtyStates_ = true;
  }
  return kOk;
}

uint32_t GfxDevice::GetTextureStageState(uint32_t stage, uint32_t state) const {
  return stage < kMaxStages && state < kStageStateCount ? tss_[stage][state] : 0;
}

int GfxDevice::SetTexture(uint32_t stage, Texture* texture) {
  if (stage >= kMaxStages) return kErrInvalidCall;
  if (textures_[stage] == texture) return kOk;
  if (texture) texture->AddRef();
  if (textures_[stage]) textures_[stage]->Release();
  textures_[stage] = texture;
  dirtyStates_ = true;
  return kOk;
}

Texture* GfxDevice::GetTexture(uint32_t stage) const {
  return stage < kMaxStages ? textures_[stage] : nullptr;
}

DeviceState GfxDevice::GetState() const {
  DeviceState s;
  std::memcpy(s.renderStates, rs_, sizeof rs_);
  std::memcpy(s.stageStates, tss_, sizeof tss_);
  s.world = world_;
  s.view = view_;
  s.projection = projection_;
  for (int i = 0; i < kMaxStages; ++i) s.texture[i] = texture_[i];
  s.viewport = viewport_;
  s.material = material_;
  for (int i = 0; i < kMaxLights; ++i) {
    s.lights[i] = lights_[i];
    s.lightEnabled[i] = lightEnabled_[i];
  }
  return s;
}

void GfxDevice::SetState(const DeviceState& s) {
  std::memcpy(rs_, s.renderStates, sizeof rs_);
  std::memcpy(tss_, s.stageStates, sizeof tss_);
  world_ = s.world;
  view_ = s.view;
  projection_ = s.projection;
  for (int i = 0; i < kMaxStages; ++i) texture_[i] = s.texture[i];
  if (SetViewport(s.viewport) != kOk) viewport_ = s.viewport;
  material_ = s.material;
  for (int i = 0; i < kMaxLights; ++i) {
    lights_[i] = s.lights[i];
    lightEnabled_[i] = s.lightEnabled[i];
  }
  dirtyStates_ = dirtyTransforms_ = dirtyLights_ = true;
}

int GfxDevice::SetStreamSource(VertexBuffer* vb, uint32_t stride) {
  if (vb && stride == 0) return kErrInvalidCall;
  if (vb) vb->AddRef();
  if (stream_) stream_->Release();
  stream_ = vb;
  streamStride_ = vb ? stride : 0;
  dirtyStream_ = true;
  return kOk;
}

int GfxDevice::SetIndices(IndexBuffer* ib, uint32_t baseVertex) {
  if (ib) ib->AddRef();
  if (indices_) indices_->Release();
  indices_ = ib;
  baseVertex_ = baseVertex;
  dirtyStream_ = true;
  return kOk;
}

int GfxDevice::SetVertexShader(uint32_t fvf) {
  if (VertexStride(fvf) == 0) return kErrInvalidCall;
  if (fvf_ != fvf) {
    fvf_ = fvf;
    dirtyStream_ = dirtyStates_ = true;
  }
  return kOk;
}

int GfxDevice::ValidateIndexedDraw(uint32_t type, uint32_t startIndex, uint32_t primCount) const {
  if (type != kPtTriangleList || !inScene_ || !stream_ || !indices_ || fvf_ == 0 ||
      fvf_ == kFvfScreenColourTex || streamStride_ < VertexStride(fvf_))
    return kErrInvalidCall;
  const uint64_t end = (uint64_t{startIndex} + uint64_t{primCount} * 3) * 2;
  if (end > indices_->Size() || stream_->IsLocked() || indices_->IsLocked()) return kErrInvalidCall;
  return kOk;
}

int GfxDevice::CreateTextureFromMemory(const void* data, size_t size, Texture** out, uint64_t maxBytes) {
  if (!out) return kErrInvalidCall;
  *out = nullptr;
  Image image;
  if (!DecodeImage(data, size, &image, nullptr, maxBytes)) return kErrInvalidCall;
  return CreateTextureFromImage(std::move(image), out);
}

int GfxDevice::CreateTextureFromImage(Image image, Texture** out) {
  if (!out) return kErrInvalidCall;
  *out = nullptr;
  if (image.width <= 0 || image.height <= 0 || image.width > kMaxImageSide ||
      image.height > kMaxImageSide ||
      image.rgba.size() != static_cast<size_t>(image.width) * image.height * 4)
    return kErrInvalidCall;
  try {
    return MakeTexture(std::move(image), out);
  } catch (const std::bad_alloc&) {
    *out = nullptr;
    return kErrOutOfMemory;
  }
}

// ---------------------------------------------------------------- null backend
namespace {

class NullVertexBuffer final : public VertexBuffer {
 public:
  explicit NullVertexBuffer(uint32_t size) : VertexBuffer(size) {}

 protected:
  void Upload(uint32_t, uint32_t) override {}
};

class NullTexture final : public Texture {
 public:
  explicit NullTexture(Image image) : Texture(std::move(image)) {}
};

class NullGfxDevice final : public GfxDevice {
 public:
  explicit NullGfxDevice(const DeviceParams& params) : GfxDevice(params, true) {}

  int Reset(const DeviceParams& params) override {
    if (params.backBufferWidth <= 0 || params.backBufferHeight <= 0) return kErrInvalidCall;
    params_ = params;
    inScene_ = false;
    viewport_ = Viewport{0, 0, static_cast<uint32_t>(params.backBufferWidth),
                         static_cast<uint32_t>(params.backBufferHeight), 0.0f, 1.0f};
    return kOk;
  }
  int Present() override {
    if (inScene_) return kErrInvalidCall;
    ++stats_.presents;
    return kOk;
  }
  int Clear(uint32_t flags, Colour colour, float, uint32_t) override {
    if (flags & kClearTarget) lastClear_ = colour;
    return kOk;
  }
  int CreateVertexBuffer(uint32_t size, uint32_t /*fvf*/, VertexBuffer** out) override {
    if (!out) return kErrInvalidCall;
    *out = size ? new NullVertexBuffer(size) : nullptr;
    return size ? kOk : kErrInvalidCall;
  }
  int CreateIndexBuffer(uint32_t size, IndexBuffer** out) override {
    if (!out) return kErrInvalidCall;
    *out = size ? new IndexBuffer(size) : nullptr;
    return size ? kOk : kErrInvalidCall;
  }
  int DrawIndexedPrimitive(uint32_t type, uint32_t, uint32_t, uint32_t startIndex,
                           uint32_t primCount) override {
    const int r = ValidateIndexedDraw(type, startIndex, primCount);
    if (r != kOk) return r;
    ++stats_.draws;
    stats_.triangles += primCount;
    return kOk;
  }
  int DrawPrimitiveUp(uint32_t type, uint32_t primCount, const void* vertices, uint32_t stride) override {
    if (!inScene_ || !vertices || stride == 0 || (type != kPtTriangleList && type != kPtTriangleStrip))
      return kErrInvalidCall;
    ++stats_.draws;
    stats_.triangles += primCount;
    return kOk;
  }
  int ReadBackBuffer(Image* out) override {
    if (!out) return kErrInvalidCall;
    out->width = params_.backBufferWidth;
    out->height = params_.backBufferHeight;
    out->rgba.resize(static_cast<size_t>(out->width) * out->height * 4);
    for (size_t i = 0; i < out->rgba.size(); i += 4) {
      out->rgba[i] = static_cast<uint8_t>(lastClear_ >> 16);
      out->rgba[i + 1] = static_cast<uint8_t>(lastClear_ >> 8);
      out->rgba[i + 2] = static_cast<uint8_t>(lastClear_);
      out->rgba[i + 3] = static_cast<uint8_t>(lastClear_ >> 24);
    }
    return kOk;
  }

 protected:
  int MakeTexture(Image image, Texture** out) override {
    *out = new NullTexture(std::move(image));
    return kOk;
  }

 private:
  Colour lastClear_ = 0;
};

}  // namespace

std::unique_ptr<GfxDevice> CreateGfxDevice(Window* window, const DeviceParams& params) {
  if (!window) return CreateNullGfxDevice(params);
  return CreateGlGfxDeviceForWindow(window, params);
}

std::unique_ptr<GfxDevice> CreateNullGfxDevice(const DeviceParams& params) {
  if (params.backBufferWidth <= 0 || params.backBufferHeight <= 0) return nullptr;
  return std::make_unique<NullGfxDevice>(params);
}

}  // namespace plat
