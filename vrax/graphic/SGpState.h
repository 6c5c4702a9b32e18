#pragma once
#include <cstdint>

#include "vrax/graphic/SGpMan.h"
#include "vrax/graphic/SGpObj.h"

// Render-state packets: each Execute calls one setter of SGpMan with the
// values the packet holds, so a state change entered under a key governs
// every packet that runs after it in the frame.

class SGpState_Cull : public SGpObj {
 public:
  explicit SGpState_Cull(int mode = 0) : mode_(mode) {}
  void Execute() override;
  void Set(int mode) { mode_ = mode; }
  int GetMode() const { return mode_; }

 private:
  int mode_;
};

class SGpState_Projection : public SGpObj {
 public:
  void Execute() override;
  void Set(float width, float height, float distance);
  float GetWidth() const { return width_; }
  float GetDistance() const { return distance_; }

 private:
  float width_ = 640.0f, height_ = 480.0f, distance_ = 512.0f;
};

class SGpState_ViewRect : public SGpObj {
 public:
  void Execute() override;
  void Set(float x, float y, float width, float height);

 private:
  float x_ = -320.0f, y_ = -240.0f, width_ = 640.0f, height_ = 480.0f;
};

class SGpState_Clip : public SGpObj {
 public:
  void Execute() override;
  void Set(float nearZ, float farZ);
  void Get(float* nearZ, float* farZ) const;

 private:
  float near_ = 1.0f, far_ = 65536.0f;
};

// A 4x4 matrix that can stand in a queue; Execute does nothing.
class SGpState_Matrix : public SGpObj {
 public:
  SGpState_Matrix() { SMatrix::Identity(&m_); }
  void SetMatrix(const float* sixteen);
  void SetMatrix(const SMatrix& m) { m_ = m; }
  SMatrix& GetMatrix() { return m_; }
  const SMatrix& GetMatrix() const { return m_; }

 protected:
  SMatrix m_;
};

class SGpState_View : public SGpState_Matrix {
 public:
  void Execute() override;
};

class SGpState_World : public SGpState_Matrix {
 public:
  void Execute() override;
};

// Lights 0..2: an enable mask, a direction and a colour per light; only the
// parts whose setter was called are applied (and re-applied every run).
class SGpState_Light : public SGpObj {
 public:
  static constexpr int kLights = 3;
  SGpState_Light();
  void Execute() override;
  void SetEnable(uint32_t mask);
  // Normalises (x, y, z); w is kept.
  void SetDirection(int i, const SVec4& v);
  void SetDirection(int i, float x, float y, float z);
  void SetColour(int i, const SGpColour& c);
  void SetColour(int i, float r, float g, float b);

  uint32_t GetEnable() const { return enable_; }
  const SGpColour& GetColour(int i) const { return colour_[i]; }
  uint32_t ColourBits() const { return colourBits_; }

 protected:
  uint32_t enable_ = 0;
  SVec4 dir_[kLights];
  SGpColour colour_[kLights];
  uint8_t enableChanged_ = 0;
  uint32_t dirBits_ = 0;
  uint32_t colourBits_ = 0;
};

// Saves the light settings it changes on the light stacks, then applies its
// own; the matching SGpState_LightPop restores them. Pairs may nest up to
// the stacks' depth; a push that does not fit is refused (reported, nothing
// changed) and its pop then does nothing, so the pairing stays intact.
class SGpState_LightPush : public SGpState_Light {
 public:
  void Execute() override;
};

class SGpState_LightPop : public SGpObj {
 public:
  void Execute() override;
};

class SGpState_Ambient : public SGpObj {
 public:
  SGpState_Ambient() : c_{0.0f, 0.0f, 0.0f, 1.0f} {}
  void Execute() override;
  void Set(const SGpColour& c) { c_ = c; }
  void Set(float r, float g, float b) { c_.r = r, c_.g = g, c_.b = b; }
  const SGpColour& Get() const { return c_; }

 private:
  SGpColour c_;
};

class SGpState_Fog : public SGpObj {
 public:
  void Execute() override;
  void SetEnable(uint8_t flag) { enable_ = flag, enableChanged_ = 1; }
  uint8_t GetEnable() const { return enable_; }
  void SetColour(float r, float g, float b) { c_.r = r, c_.g = g, c_.b = b, colourChanged_ = 1; }
  const SGpColour& GetColour() const { return c_; }
  void SetRange(float start, float end) { start_ = start, end_ = end, rangeChanged_ = 1; }
  void GetRange(float* start, float* end) const { *start = start_, *end = end_; }

 private:
  uint8_t enable_ = 0;
  SGpColour c_{0.0f, 0.0f, 0.0f, 1.0f};
  float start_ = 0.0f, end_ = 0.0f;
  uint8_t enableChanged_ = 0, colourChanged_ = 0, rangeChanged_ = 0;
};

class SGpState_ZMode : public SGpObj {
 public:
  explicit SGpState_ZMode(int mode = 0) : mode_(mode) {}
  void Execute() override;
  void SetMode(int mode) { mode_ = mode; }

 private:
  int mode_;
};

class SGpState_Blend : public SGpObj {
 public:
  SGpState_Blend(int mode = 0, float alpha = 0.0f) : mode_(mode), alpha_(alpha) {}
  void Execute() override;
  void SetMode(int mode) { mode_ = mode; }
  void SetAlpha(float alpha) { alpha_ = alpha; }

 private:
  int mode_;
  float alpha_;
};

// A negative mode or reference keeps the one in force.
class SGpState_AlphaTest : public SGpObj {
 public:
  SGpState_AlphaTest(int mode = -1, float reference = -1.0f) : mode_(mode), ref_(reference) {}
  void Execute() override;
  void SetMode(int mode) { mode_ = mode; }
  void SetReference(float reference) { ref_ = reference; }
  int GetMode() const { return mode_; }
  float GetReference() const { return ref_; }

 private:
  int mode_;
  float ref_;
};

// Binds texture index of an image resource on stage 0 when executed.
class SGpState_Texture : public SGpObj {
 public:
  SGpState_Texture(SRsc_Image* owner = nullptr, uint32_t index = 0) : owner_(owner), index_(index) {}
  void Execute() override;
  void Bind(SRsc_Image* owner, uint32_t index) { owner_ = owner, index_ = index; }
  uint32_t GetIndex() const { return index_; }

 private:
  SRsc_Image* owner_;
  uint32_t index_;
};

// The packet that binds no texture and leaves no image current
// (SGpMan::SetNoTexture): the textured primitives and the model materials
// after it draw nothing until an image's texture is bound again.
SGpState_Texture& NoTexturePacket();

// The packet that binds nothing (a texture number past its image's list):
// the textured primitives and the model materials after it draw with the
// texture bound before it, or not at all where that one was missing.
SGpState_Texture& KeepTexturePacket();

// Up to 13 packets, one per position, applied in position order (projection
// before clip, so the clip's recomputation uses the new view parameters;
// the view before the lights). The block does not own its packets.
class SGpState_Block : public SGpObj {
 public:
  static constexpr int kPositions = 13;
  void Execute() override;
  void SetPacket(int pos, SGpObj* p) {
    if (pos >= 0 && pos < kPositions) packets_[pos] = p;
  }
  SGpObj* GetPacket(int pos) const { return pos >= 0 && pos < kPositions ? packets_[pos] : nullptr; }

#define SGP_BLOCK_POSITION(n)                     \
  void SetPacket##n(SGpObj* p) { packets_[n] = p; } \
  SGpObj* GetPacket##n() const { return packets_[n]; }
  SGP_BLOCK_POSITION(0)
  SGP_BLOCK_POSITION(1)
  SGP_BLOCK_POSITION(2)
  SGP_BLOCK_POSITION(3)
  SGP_BLOCK_POSITION(4)
  SGP_BLOCK_POSITION(5)
  SGP_BLOCK_POSITION(6)
  SGP_BLOCK_POSITION(7)
  SGP_BLOCK_POSITION(8)
  SGP_BLOCK_POSITION(9)
  SGP_BLOCK_POSITION(10)
  SGP_BLOCK_POSITION(11)
  SGP_BLOCK_POSITION(12)
#undef SGP_BLOCK_POSITION

 private:
  SGpObj* packets_[kPositions] = {};
};

// Shared ready-made packets: drawing code switches a mode by entering one of
// these instead of owning a packet.
extern SGpState_Blend BlendPresets[8];          // mode n, alpha 0.5
extern SGpState_ZMode ZModePresets[7];          // mode n
extern SGpState_AlphaTest AlphaTestPresets[7];  // mode n, reference kept
extern SGpState_World WorldPresets[7];          // preset matrix n; 1 = identity
extern SGpState_Cull CullPresets[10];           // see GetCullPreset

SGpState_ZMode* GetZModePreset(int n);
SGpState_AlphaTest* GetAlphaTestPreset(int n);
// Writes mode n into entry n and returns it.
SGpState_Cull* GetCullPreset(int n);

// The module's save stacks of 32 entries each, shared by the push and pop
// packets: a push beyond 32 entries or a pop of an empty stack is refused
// and reported, never writes outside the stack.
namespace sgp_stacks {
constexpr int kDepth = 32;
// Current depths (entries held), for tests and diagnostics.
int LightFlagsDepth();
int LightDirectionDepth();
// Empties every stack (tests).
void Clear();
}  // namespace sgp_stacks

// Ambient colour: push the current one and set c; pop restores it. False
// (after the error box) when the stack is full or empty.
bool PushAmbient(const SGpColour& c);
bool PopAmbient();
