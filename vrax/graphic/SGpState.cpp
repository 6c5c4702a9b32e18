#include "vrax/graphic/SGpState.h"

#include <cmath>

#include "vrax/io/SysUtil.h"

namespace {

constexpr const char* kSource = "VRAX\\Graphic\\SGpState";

void ReportOverflow(int line) { FatalError("%s(%d) : %s\n", kSource, line, "render state stack overflow"); }
void ReportUnderflow(int line) { FatalError("%s(%d) : %s\n", kSource, line, "render state stack underflow"); }

// A fixed stack of sgp_stacks::kDepth entries.
template <class T>
class Stack {
 public:
  bool Fits(int n) const { return depth_ + n <= sgp_stacks::kDepth; }
  bool Has(int n) const { return depth_ >= n; }
  void Push(const T& v) { items_[depth_++] = v; }  // caller checked Fits
  T Pop() { return items_[--depth_]; }             // caller checked Has
  int Depth() const { return depth_; }
  void Clear() { depth_ = 0; }

 private:
  T items_[sgp_stacks::kDepth];
  int depth_ = 0;
};

Stack<uint32_t> g_lightFlags;
Stack<uint32_t> g_lightEnable;
Stack<SVec4> g_lightDir;
Stack<SGpColour> g_lightColour;
Stack<SGpColour> g_ambient;

// Pushes that were refused; their pops are swallowed so that the pops of
// the pushes around them still restore the right entries.
int g_refusedLight = 0;
int g_refusedAmbient = 0;

int Bits(uint32_t v) { return __builtin_popcount(v & 7u); }

SVec4 Normalised(float x, float y, float z, float w) {
  float len = std::sqrt(x * x + y * y + z * z);
  if (!(len > 0.0f)) return SVec4{0.0f, 0.0f, 0.0f, w};
  float inv = 1.0f / len;
  return SVec4{x * inv, y * inv, z * inv, w};
}

}  // namespace

namespace sgp_stacks {
int LightFlagsDepth() { return g_lightFlags.Depth(); }
int LightDirectionDepth() { return g_lightDir.Depth(); }
void Clear() {
  g_lightFlags.Clear();
  g_lightEnable.Clear();
  g_lightDir.Clear();
  g_lightColour.Clear();
  g_ambient.Clear();
  g_refusedLight = g_refusedAmbient = 0;
}
}  // namespace sgp_stacks

// --------------------------------------------------------------- simple packets

void SGpState_Cull::Execute() { SGpMan::SetCull(mode_); }

void SGpState_Projection::Set(float width, float height, float distance) {
  width_ = width;
  height_ = height;
  distance_ = distance;
}
void SGpState_Projection::Execute() { SGpMan::SetProjection(width_, height_, distance_); }

void SGpState_ViewRect::Set(float x, float y, float width, float height) {
  x_ = x;
  y_ = y;
  width_ = width;
  height_ = height;
}
void SGpState_ViewRect::Execute() { SGpMan::SetViewRect(x_, y_, width_, height_); }

void SGpState_Clip::Set(float nearZ, float farZ) {
  near_ = nearZ;
  far_ = farZ;
}
void SGpState_Clip::Get(float* nearZ, float* farZ) const {
  *nearZ = near_;
  *farZ = far_;
}
void SGpState_Clip::Execute() { SGpMan::SetClip(near_, far_); }

void SGpState_Matrix::SetMatrix(const float* sixteen) {
  for (int r = 0; r < 4; ++r)
    for (int c = 0; c < 4; ++c) m_.m[r][c] = sixteen[r * 4 + c];
}
void SGpState_View::Execute() { SGpMan::SetView(m_); }
void SGpState_World::Execute() { SGpMan::SetWorld(m_); }

void SGpState_Ambient::Execute() { SGpMan::SetAmbient(c_); }

void SGpState_Fog::Execute() {
  if (enableChanged_) SGpMan::SetFogEnable(enable_);
  if (colourChanged_) SGpMan::SetFogColour(c_);
  if (rangeChanged_) SGpMan::SetFogRange(start_, end_);
}

void SGpState_ZMode::Execute() { SGpMan::SetZMode(mode_); }
void SGpState_Blend::Execute() { SGpMan::SetBlendMode(mode_, alpha_); }

void SGpState_AlphaTest::Execute() {
  SGpMan::SetAlphaTest(mode_ < 0 ? SGpMan::GetAlphaTestMode() : mode_,
                       ref_ < 0.0f ? SGpMan::GetAlphaReference() : ref_);
}

void SGpState_Block::Execute() {
  for (SGpObj* p : packets_) {
    if (p) p->Execute();
  }
}

// --------------------------------------------------------------- lights

SGpState_Light::SGpState_Light() {
  for (int i = 0; i < kLights; ++i) {
    dir_[i] = SVec4{0.0f, 0.0f, 0.0f, 0.0f};
    colour_[i] = SGpColour{0.0f, 0.0f, 0.0f, 1.0f};
  }
}

void SGpState_Light::SetEnable(uint32_t mask) {
  enable_ = mask;
  enableChanged_ = 1;
}

void SGpState_Light::SetDirection(int i, const SVec4& v) {
  if (i < 0 || i >= kLights) return;
  dir_[i] = Normalised(v.x, v.y, v.z, v.w);
  dirBits_ |= 1u << i;
}

void SGpState_Light::SetDirection(int i, float x, float y, float z) {
  if (i < 0 || i >= kLights) return;
  dir_[i] = Normalised(x, y, z, dir_[i].w);
  dirBits_ |= 1u << i;
}

void SGpState_Light::SetColour(int i, const SGpColour& c) {
  if (i < 0 || i >= kLights) return;
  colour_[i] = c;
  colourBits_ |= 1u << i;
}

void SGpState_Light::SetColour(int i, float r, float g, float b) {
  if (i < 0 || i >= kLights) return;
  colour_[i].r = r;
  colour_[i].g = g;
  colour_[i].b = b;
  colourBits_ |= 1u << i;
}

void SGpState_Light::Execute() {
  if (enableChanged_) SGpMan::EnableLights(enable_);
  for (int i = 0; i < kLights; ++i) {
    if (dirBits_ & (1u << i)) SGpMan::SetLightDirection(i, dir_[i]);
    if (colourBits_ & (1u << i)) SGpMan::SetLightColour(i, colour_[i]);
  }
}

void SGpState_LightPush::Execute() {
  bool fits = g_lightFlags.Fits(1) && (!enableChanged_ || g_lightEnable.Fits(1)) &&
              g_lightDir.Fits(Bits(dirBits_)) && g_lightColour.Fits(Bits(colourBits_));
  if (!fits || g_refusedLight > 0) {
    // Once a push was refused, every nested push is refused too until that
    // pair closes: the stacks must unwind in exact mirror order.
    ReportOverflow(__LINE__);
    ++g_refusedLight;
    return;
  }
  uint32_t record = 0;
  if (enableChanged_) {
    g_lightEnable.Push(SGpMan::GetLightEnable());
    record |= 1u;
    SGpMan::EnableLights(enable_);
  }
  for (int i = 0; i < kLights; ++i) {
    if (dirBits_ & (1u << i)) {
      g_lightDir.Push(SGpMan::GetLightDirection(i));
      record |= 1u << (1 + 2 * i);
      SGpMan::SetLightDirection(i, dir_[i]);
    }
    if (colourBits_ & (1u << i)) {
      g_lightColour.Push(SGpMan::GetLightColour(i));
      record |= 1u << (2 + 2 * i);
      SGpMan::SetLightColour(i, colour_[i]);
    }
  }
  g_lightFlags.Push(record);
}

void SGpState_LightPop::Execute() {
  if (g_refusedLight > 0) {
    --g_refusedLight;
    return;
  }
  if (!g_lightFlags.Has(1)) {
    ReportUnderflow(__LINE__);
    return;
  }
  uint32_t record = g_lightFlags.Pop();
  for (int i = SGpState_Light::kLights - 1; i >= 0; --i) {
    if ((record & (1u << (2 + 2 * i))) && g_lightColour.Has(1)) SGpMan::SetLightColour(i, g_lightColour.Pop());
    if ((record & (1u << (1 + 2 * i))) && g_lightDir.Has(1)) SGpMan::SetLightDirection(i, g_lightDir.Pop());
  }
  if ((record & 1u) && g_lightEnable.Has(1)) SGpMan::EnableLights(g_lightEnable.Pop());
}

// --------------------------------------------------------------- ambient stack

bool PushAmbient(const SGpColour& c) {
  if (!g_ambient.Fits(1) || g_refusedAmbient > 0) {
    ReportOverflow(__LINE__);
    ++g_refusedAmbient;
    return false;
  }
  g_ambient.Push(SGpMan::GetAmbient());
  SGpMan::SetAmbient(c);
  return true;
}

bool PopAmbient() {
  if (g_refusedAmbient > 0) {
    --g_refusedAmbient;
    return false;
  }
  if (!g_ambient.Has(1)) {
    ReportUnderflow(__LINE__);
    return false;
  }
  SGpMan::SetAmbient(g_ambient.Pop());
  return true;
}

// --------------------------------------------------------------- presets

void SGpMan::GetPresetMatrix(int n, SMatrix* out) {
  if (n < 0 || n >= SMatrix::kPresetCount || !out) return;
  SMatrix::SetPreset(out, n);
}

void SGpMan::InitPresets() {
  for (int i = 0; i < 7; ++i) WorldPresets[i].SetMatrix(SMatrix::Preset(i));
}

namespace {
struct BlendInit {
  BlendInit(SGpState_Blend* a, int n) {
    for (int i = 0; i < n; ++i) {
      a[i].SetMode(i);
      a[i].SetAlpha(0.5f);
    }
  }
};
struct ZInit {
  ZInit(SGpState_ZMode* a, int n) {
    for (int i = 0; i < n; ++i) a[i].SetMode(i);
  }
};
struct AlphaInit {
  AlphaInit(SGpState_AlphaTest* a, int n) {
    for (int i = 0; i < n; ++i) a[i].SetMode(i);
  }
};
struct WorldInit {
  WorldInit() { SGpMan::InitPresets(); }
};
}  // namespace

SGpState_Blend BlendPresets[8];
SGpState_ZMode ZModePresets[7];
SGpState_AlphaTest AlphaTestPresets[7];
SGpState_World WorldPresets[7];
SGpState_Cull CullPresets[10];

namespace {
BlendInit g_blendInit(BlendPresets, 8);
AlphaInit g_alphaInit(AlphaTestPresets, 7);
WorldInit g_worldInit;
ZInit g_zInit(ZModePresets, 7);
}  // namespace

SGpState_ZMode* GetZModePreset(int n) { return n >= 0 && n < 7 ? &ZModePresets[n] : nullptr; }
SGpState_AlphaTest* GetAlphaTestPreset(int n) { return n >= 0 && n < 7 ? &AlphaTestPresets[n] : nullptr; }
SGpState_Cull* GetCullPreset(int n) {
  if (n < 0 || n >= 10) return nullptr;
  CullPresets[n].Set(n);
  return &CullPresets[n];
}
