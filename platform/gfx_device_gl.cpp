// OpenGL backend of the graphics device: one shader reproduces the
// fixed-function pipeline (transforms, directional lighting, two texture
// stages, alpha test, table fog); the fixed GL states do depth, blending and
// culling. The shader's mode switches (stage operations, alpha comparison,
// fog mode, lighting on or off...) are compiled in as constants, one program
// per combination in use, because a software rasteriser pays for every
// branch on a uniform at every pixel; the values (colours, matrices, fog
// range, alpha reference) stay uniforms. Everything is drawn into an offscreen framebuffer of back-buffer
// size, stored top row first, which Present scales into the window.
#include "platform/gfx_device_gl.h"

#include "platform/gfx_draw_states.h"
#include "platform/window.h"

#define GL_GLEXT_PROTOTYPES 1
#include <GL/gl.h>
#include <GL/glext.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <array>
#include <string>
#include <unordered_map>
#include <unordered_set>

namespace plat {
namespace {

// ---------------------------------------------------------------- shaders
const char* const kVertexShader = R"(
layout(location = 0) in vec4 aPos;
layout(location = 1) in vec3 aNormal;
layout(location = 2) in vec4 aColour;
layout(location = 3) in vec2 aTex;

uniform mat4 uWorldView;
uniform mat4 uProj;
uniform mat3 uNormalMat;
uniform mat4 uTexMat0;
uniform vec4 uViewport;     // x, y, width, height in pixels
uniform vec2 uPixelOffset;  // half a pixel in normalised coordinates
uniform int uFogW;

uniform vec3 uGlobalAmbient;
uniform vec4 uMatDiffuse;
uniform vec4 uMatAmbient;
uniform vec4 uMatEmissive;
uniform int uLightCount;
uniform vec3 uLightDir[8];  // towards the light, view space, unit length
uniform vec3 uLightDiffuse[8];
uniform vec3 uLightAmbient[8];

out vec4 vDiffuse;
out vec2 vTex;
out float vFogDepth;

void main() {
  vec4 clip;
  if (uScreen != 0) {
    // Pretransformed vertex: x, y in pixels, z the depth value, w = 1 / rhw.
    float w = 1.0 / aPos.w;
    vec2 ndc = vec2((aPos.x - uViewport.x) / uViewport.z * 2.0 - 1.0,
                    1.0 - (aPos.y - uViewport.y) / uViewport.w * 2.0);
    clip = vec4(ndc * w, aPos.z * w, w);
    vFogDepth = w;
    vDiffuse = aColour;
  } else {
    vec4 eye = uWorldView * vec4(aPos.xyz, 1.0);
    clip = uProj * eye;
    vFogDepth = uFogW != 0 ? clip.w : clip.z;
    if (uLighting != 0) {
      vec3 n = uNormalMat * aNormal;
      if (uNormalize != 0 && dot(n, n) > 0.0) n = normalize(n);
      vec4 md = uDiffuseSrc != 0 ? aColour : uMatDiffuse;
      vec4 ma = uAmbientSrc != 0 ? aColour : uMatAmbient;
      vec4 me = uEmissiveSrc != 0 ? aColour : uMatEmissive;
      vec3 c = me.rgb + ma.rgb * uGlobalAmbient;
      for (int i = 0; i < uLightCount; ++i) {
        c += ma.rgb * uLightAmbient[i];
        c += md.rgb * uLightDiffuse[i] * max(dot(n, uLightDir[i]), 0.0);
      }
      vDiffuse = vec4(clamp(c, 0.0, 1.0), clamp(md.a, 0.0, 1.0));
    } else {
      vDiffuse = aColour;
    }
  }
  if (uTexXform != 0) {
    // Two coordinates are extended to (u, v, 1, 0): the third row translates.
    vTex = (uTexMat0 * vec4(aTex, 1.0, 0.0)).xy;
  } else {
    vTex = aTex;
  }
  // Depth 0..w becomes -w..w; y turns so the framebuffer's first row is the
  // top; pixel centres move from integer coordinates to GL's half-integers.
  clip.z = 2.0 * clip.z - clip.w;
  clip.y = -clip.y;
  clip.xy += uPixelOffset * clip.w;
  gl_Position = clip;
}
)";

const char* const kFragmentShader = R"(
in vec4 vDiffuse;
in vec2 vTex;
in float vFogDepth;
out vec4 fragColour;

uniform sampler2D uTex0;
uniform sampler2D uTex1;
uniform vec4 uTFactor;
uniform int uAlphaRef;
uniform float uFogStart;
uniform float uFogEnd;
uniform float uFogDensity;
uniform vec3 uFogColour;

vec4 gTex0;
vec4 gTex1;
vec4 gCurrent;

vec4 Arg(int a) {
  vec4 v;
  int sel = a & 15;
  if (sel == 0) v = vDiffuse;
  else if (sel == 1) v = gCurrent;
  else if (sel == 3) v = uTFactor;
  else v = gTex0;  // the caller substitutes its stage's texture below
  return v;
}

vec4 StageArg(int a, int stage) {
  vec4 v = (a & 15) == 2 ? (stage == 0 ? gTex0 : gTex1) : Arg(a);
  if ((a & 32) != 0) v = v.aaaa;
  if ((a & 16) != 0) v = 1.0 - v;
  return v;
}

vec4 Op(int op, vec4 a1, vec4 a2) {
  if (op == 2) return a1;
  if (op == 3) return a2;
  if (op == 4) return a1 * a2;
  if (op == 5) return clamp(2.0 * a1 * a2, 0.0, 1.0);
  if (op == 6) return clamp(4.0 * a1 * a2, 0.0, 1.0);
  if (op == 7) return clamp(a1 + a2, 0.0, 1.0);
  if (op == 8) return clamp(a1 + a2 - 0.5, 0.0, 1.0);
  if (op == 9) return clamp(2.0 * (a1 + a2 - 0.5), 0.0, 1.0);
  if (op == 10) return clamp(a1 - a2, 0.0, 1.0);
  if (op == 11) return clamp(a1 + a2 - a1 * a2, 0.0, 1.0);
  if (op == 12) return mix(a2, a1, vDiffuse.a);
  if (op == 13) return mix(a2, a1, gTex0.a);
  if (op == 14) return mix(a2, a1, uTFactor.a);
  if (op == 16) return mix(a2, a1, gCurrent.a);
  return a1;
}

vec4 RunStage(int s, ivec3 c, ivec3 a) {
  vec3 rgb = Op(c.x, StageArg(c.y, s), StageArg(c.z, s)).rgb;
  float alpha;
  if (a.x == 1) {
    // Alpha operation disabled while the colour operation runs: the first
    // stage takes the vertex alpha (a case the pipeline this device follows
    // leaves undefined), later stages pass the alpha on.
    alpha = s == 0 ? vDiffuse.a : gCurrent.a;
  } else {
    alpha = Op(a.x, StageArg(a.y, s), StageArg(a.z, s)).a;
  }
  return vec4(rgb, alpha);
}

bool Compare(int func, int a, int ref) {
  if (func == 1) return false;
  if (func == 2) return a < ref;
  if (func == 3) return a == ref;
  if (func == 4) return a <= ref;
  if (func == 5) return a > ref;
  if (func == 6) return a != ref;
  if (func == 7) return a >= ref;
  return true;
}

void main() {
  // A stage without a texture reads white.
  gTex0 = uHasTex0 != 0 ? texture(uTex0, vTex) : vec4(1.0);
  gTex1 = uHasTex1 != 0 ? texture(uTex1, vTex) : vec4(1.0);
  gCurrent = vDiffuse;
  // A disabled colour operation ends the cascade.
  if (uColourStage0.x != 1) {
    gCurrent = RunStage(0, uColourStage0, uAlphaStage0);
    if (uColourStage1.x != 1) gCurrent = RunStage(1, uColourStage1, uAlphaStage1);
  }
  if (uAlphaFunc != 0) {
    int a8 = int(floor(gCurrent.a * 255.0 + 0.5));
    if (!Compare(uAlphaFunc, a8, uAlphaRef)) discard;
  }
  if (uFogMode != 0) {
    float d = vFogDepth;
    float f;
    if (uFogMode == 3) f = uFogEnd != uFogStart ? (uFogEnd - d) / (uFogEnd - uFogStart) : (d < uFogEnd ? 1.0 : 0.0);
    else if (uFogMode == 1) f = exp(-uFogDensity * d);
    else f = exp(-(uFogDensity * d) * (uFogDensity * d));
    f = clamp(f, 0.0, 1.0);
    gCurrent.rgb = mix(uFogColour, gCurrent.rgb, f);
  }
  fragColour = gCurrent;
}
)";

// ---------------------------------------------------------------- helpers
constexpr int kMaxTargetSide = 8192;

GLenum CompareToGl(uint32_t f) {
  switch (f) {
    case kCmpNever: return GL_NEVER;
    case kCmpLess: return GL_LESS;
    case kCmpEqual: return GL_EQUAL;
    case kCmpLessEqual: return GL_LEQUAL;
    case kCmpGreater: return GL_GREATER;
    case kCmpNotEqual: return GL_NOTEQUAL;
    case kCmpGreaterEqual: return GL_GEQUAL;
    default: return GL_ALWAYS;
  }
}

GLenum BlendToGl(uint32_t b) {
  switch (b) {
    case kBlendZero: return GL_ZERO;
    case kBlendOne: return GL_ONE;
    case kBlendSrcColour: return GL_SRC_COLOR;
    case kBlendInvSrcColour: return GL_ONE_MINUS_SRC_COLOR;
    case kBlendSrcAlpha: return GL_SRC_ALPHA;
    case kBlendInvSrcAlpha: return GL_ONE_MINUS_SRC_ALPHA;
    case kBlendDestAlpha: return GL_DST_ALPHA;
    case kBlendInvDestAlpha: return GL_ONE_MINUS_DST_ALPHA;
    case kBlendDestColour: return GL_DST_COLOR;
    case kBlendInvDestColour: return GL_ONE_MINUS_DST_COLOR;
    default: return GL_ONE;
  }
}

void DrainGlErrors() {
  for (int i = 0; i < 64 && glGetError() != GL_NO_ERROR; ++i) {
  }
}

GLint FilterToGl(uint32_t f) { return f == kTexfLinear ? GL_LINEAR : GL_NEAREST; }

GLint AddressToGl(uint32_t a) {
  switch (a) {
    case kTaddrMirror: return GL_MIRRORED_REPEAT;
    case kTaddrClamp: return GL_CLAMP_TO_EDGE;
    default: return GL_REPEAT;
  }
}

void Unpack(Colour c, float out[4]) {
  out[0] = static_cast<float>(c >> 16 & 0xFF) / 255.0f;
  out[1] = static_cast<float>(c >> 8 & 0xFF) / 255.0f;
  out[2] = static_cast<float>(c & 0xFF) / 255.0f;
  out[3] = static_cast<float>(c >> 24 & 0xFF) / 255.0f;
}

Matrix Multiply(const Matrix& a, const Matrix& b) {
  Matrix r{};
  for (int i = 0; i < 4; ++i)
    for (int j = 0; j < 4; ++j) {
      float s = 0.0f;
      for (int k = 0; k < 4; ++k) s += a.m[i][k] * b.m[k][j];
      r.m[i][j] = s;
    }
  return r;
}

// Inverse transpose of the upper 3x3 of m, laid out for the shader's
// column-major mat3 so that `uNormalMat * n` is the row vector n times it.
void NormalMatrix(const Matrix& m, float out[9]) {
  const double a = m.m[0][0], b = m.m[0][1], c = m.m[0][2];
  const double d = m.m[1][0], e = m.m[1][1], f = m.m[1][2];
  const double g = m.m[2][0], h = m.m[2][1], i = m.m[2][2];
  const double A = e * i - f * h, B = -(d * i - f * g), C = d * h - e * g;
  const double det = a * A + b * B + c * C;
  const double inv = std::fabs(det) > 1e-30 ? 1.0 / det : 0.0;
  // inverse = adj / det; inverse-transpose element (r, c) = cofactor(r, c) / det.
  const double cof[3][3] = {{A, B, C},
                            {-(b * i - c * h), a * i - c * g, -(a * h - b * g)},
                            {b * f - c * e, -(a * f - c * d), a * e - b * d}};
  // n' (row) = n x IT, IT[r][c] = cof[r][c] * inv; column-major storage of
  // a matrix N with N * n = n x IT means N[col][row] = IT[col][row].
  for (int r = 0; r < 3; ++r)
    for (int col = 0; col < 3; ++col) out[r * 3 + col] = static_cast<float>(cof[r][col] * inv);
}

class GlGfxDevice;

// Links a GL object to its device, so that a device going away first can
// delete the GL side while the resource object lives on.
struct GlLink {
  virtual void DetachGl() = 0;
  GlGfxDevice* device = nullptr;
};

// ---------------------------------------------------------------- device
class GlGfxDevice final : public GfxDevice {
 public:
  GlGfxDevice(GlSurface* surface, const DeviceParams& params, std::unique_ptr<GlSurface> owned)
      : GfxDevice(params, false), surface_(surface), ownedSurface_(std::move(owned)) {}
  ~GlGfxDevice() override;

  bool Init();

  int Reset(const DeviceParams& params) override;
  int Present() override;
  int Clear(uint32_t flags, Colour colour, float z, uint32_t stencil) override;
  int CreateVertexBuffer(uint32_t size, uint32_t fvf, VertexBuffer** out) override;
  int CreateIndexBuffer(uint32_t size, IndexBuffer** out) override;
  int DrawIndexedPrimitive(uint32_t type, uint32_t minIndex, uint32_t numVertices, uint32_t startIndex,
                           uint32_t primCount) override;
  int DrawPrimitiveUp(uint32_t type, uint32_t primCount, const void* vertices, uint32_t stride) override;
  int ReadBackBuffer(Image* out) override;
  std::vector<uint8_t> DrawStateFile() const override { return WriteDrawStates(metOrder_); }
  size_t DrawStatesMet() const override { return metOrder_.size(); }
  int WarmUpDrawStates(const uint8_t* bytes, size_t size) override;

  void Register(GlLink* r) {
    r->device = this;
    links_.insert(r);
  }
  void Unregister(GlLink* r) { links_.erase(r); }

 protected:
  int MakeTexture(Image image, Texture** out) override;

 private:
  bool CreateTarget();
  void DestroyTarget();
  void ApplyState();
  void ApplyTransforms();
  void ApplyLights();
  void SetupAttributes(GLuint buffer, uintptr_t offset, uint32_t stride, uint32_t fvf);
  void BindTexture(int stage);
  void ActiveUnit(int unit);
  // Records the combination a draw is about to use, once.
  void NoteDrawState(const std::array<int32_t, kDrawModeCount>& modes);
  void Enable(GLenum cap, int on, int* cached);

 public:
  void ForgetTexture(GLuint name);
  void ForgetTextureBindings();

 private:
  // What GL holds now (-1: not known); invalid after anything that changes
  // GL state behind the draw path (clear, present, reset).
  struct GlCache {
    bool valid = false;
    GLint viewport[4] = {-1, -1, -1, -1};
    float depthRange[2] = {-1.0f, -1.0f};
    int depthTest = -1, depthMask = -1, blend = -1, cull = -1;
    GLenum depthFunc = 0, blendSrc = 0, blendDst = 0, cullFace = 0, fill = 0;
    int unit = -1;
    GLuint texture[2] = {~0u, ~0u};
  } cache_;

  GlSurface* surface_;
  std::unique_ptr<GlSurface> ownedSurface_;
  std::unordered_set<GlLink*> links_;

  GLuint vao_ = 0, upBuffer_ = 0;
  GLuint fbo_ = 0, colourRb_ = 0, depthRb_ = 0;
  bool attribsForUp_ = false;

  struct Locations {
    GLint worldView, proj, normalMat, texMat0, viewport, pixelOffset, fogW;
    GLint globalAmbient, matDiffuse, matAmbient, matEmissive;
    GLint lightCount, lightDir, lightDiffuse, lightAmbient;
    GLint tfactor, alphaRef, fogStart, fogEnd, fogDensity, fogColour;
  };
  // The mode switches a program is compiled with.
  using ModeKey = std::array<int32_t, kDrawModeCount>;
  struct ModeKeyHash {
    size_t operator()(const ModeKey& k) const {
      size_t h = 1469598103934665603ull;
      for (int32_t v : k) h = (h ^ static_cast<uint32_t>(v)) * 1099511628211ull;
      return h;
    }
  };
  struct Program {
    GLuint name = 0;
    Locations loc{};
    // The render-state values behind its state uniforms, as last uploaded
    // (texture factor, alpha reference, fog start, end, density and colour,
    // ambient); uploaded = false until the first upload.
    uint32_t stateValues[7] = {};
    bool uploaded = false;
    // The transform and light settings its uniforms hold (0: none yet).
    uint64_t transformSerial = 0, lightSerial = 0;
  };
  // Bumped at each change of the transforms (or viewport) and of the lights
  // (or the view, which places them), so that every program uploads a
  // change once, when it next draws.
  void SyncUniforms();
  uint64_t transformSerial_ = 1, lightSerial_ = 1;
  Matrix lightView_{};
  ModeKey CurrentModes() const;
  Program* ProgramFor(const ModeKey& key);
  void UploadStateUniforms();

  std::unordered_map<ModeKey, Program, ModeKeyHash> programs_;
  // Every combination of draw state met, in the order first met.
  std::unordered_set<DrawStateKey, DrawStateKeyHash> metStates_;
  std::vector<DrawStateKey> metOrder_;
  Program* current_ = nullptr;
  ModeKey currentKey_{};
  Locations loc_{};
};

// ---------------------------------------------------------------- resources
class GlVertexBuffer final : public VertexBuffer, public GlLink {
 public:
  GlVertexBuffer(GlGfxDevice* dev, uint32_t size) : VertexBuffer(size) {
    dev->Register(this);
    // No storage until the first draw, which uploads the whole shadow copy:
    // storage made here would be allocated and cleared only to be replaced
    // by the first whole upload, in the frame that creates the buffer.
    glGenBuffers(1, &name_);
  }
  ~GlVertexBuffer() override {
    if (device) {
      device->Unregister(this);
      glDeleteBuffers(1, &name_);
    }
  }
  void DetachGl() override {
    glDeleteBuffers(1, &name_);
    name_ = 0;
    device = nullptr;
  }
  // The buffer's name, its storage holding the shadow copy.
  GLuint NameForDraw() {
    if (device && !storage_) {
      glBindBuffer(GL_ARRAY_BUFFER, name_);
      glBufferData(GL_ARRAY_BUFFER, Size(), Data(), GL_DYNAMIC_DRAW);
      storage_ = true;
    }
    return name_;
  }

 protected:
  void Upload(uint32_t offset, uint32_t size) override {
    if (!device || !storage_) return;
    glBindBuffer(GL_ARRAY_BUFFER, name_);
    if (offset == 0 && size == Size()) {
      // Whole buffer: new storage, so a draw still reading the old contents
      // never stalls the upload.
      glBufferData(GL_ARRAY_BUFFER, size, Data(), GL_DYNAMIC_DRAW);
    } else {
      glBufferSubData(GL_ARRAY_BUFFER, offset, size, Data() + offset);
    }
  }

 private:
  GLuint name_ = 0;
  bool storage_ = false;
};

class GlTexture final : public Texture, public GlLink {
 public:
  GlTexture(GlGfxDevice* dev, Image image) : Texture(std::move(image)) {
    dev->Register(this);
    glGenTextures(1, &name_);
    dev->ForgetTextureBindings();  // the upload binds on the active unit
    glBindTexture(GL_TEXTURE_2D, name_);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    // Row 0 of the image (its top) becomes texture coordinate v = 0.
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, Width(), Height(), 0, GL_RGBA, GL_UNSIGNED_BYTE,
                 Pixels().rgba.data());
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAX_LEVEL, 0);
  }
  ~GlTexture() override {
    if (device) {
      device->Unregister(this);
      device->ForgetTexture(name_);
      glDeleteTextures(1, &name_);
    }
  }
  void DetachGl() override {
    glDeleteTextures(1, &name_);
    name_ = 0;
    device = nullptr;
  }
  GLuint Name() const { return name_; }
  // Sampler parameters last set on this texture: min, mag, u, v.
  GLint params[4] = {-1, -1, -1, -1};

 private:
  GLuint name_ = 0;
};

// ---------------------------------------------------------------- device body
GlGfxDevice::~GlGfxDevice() {
  // Drop the stage and stream references first, while GL is still here.
  for (int s = 0; s < kMaxStages; ++s) SetTexture(s, nullptr);
  SetStreamSource(nullptr, 0);
  SetIndices(nullptr, 0);
  for (GlLink* r : std::vector<GlLink*>(links_.begin(), links_.end())) r->DetachGl();
  links_.clear();
  DestroyTarget();
  if (upBuffer_) glDeleteBuffers(1, &upBuffer_);
  if (vao_) glDeleteVertexArrays(1, &vao_);
  for (auto& [key, prog] : programs_) glDeleteProgram(prog.name);
}

GLuint Compile(GLenum type, const std::string& prelude, const char* body) {
  GLuint s = glCreateShader(type);
  const char* parts[2] = {prelude.c_str(), body};
  glShaderSource(s, 2, parts, nullptr);
  glCompileShader(s);
  GLint ok = 0;
  glGetShaderiv(s, GL_COMPILE_STATUS, &ok);
  if (!ok) {
    char log[2048];
    glGetShaderInfoLog(s, sizeof log, nullptr, log);
    std::fprintf(stderr, "gfx: shader compile failed: %s\n", log);
    glDeleteShader(s);
    return 0;
  }
  return s;
}

bool GlGfxDevice::Init() {
  const char* version = reinterpret_cast<const char*>(glGetString(GL_VERSION));
  if (!version) return false;
  DrainGlErrors();
  int major = 0;
  if (std::sscanf(version, "%d", &major) != 1 || major < 3) return false;

  // The program of the power-on state, so a broken shader shows at once.
  if (!ProgramFor(CurrentModes())) return false;
  glGenVertexArrays(1, &vao_);
  glBindVertexArray(vao_);
  glGenBuffers(1, &upBuffer_);
  glDisable(GL_DITHER);
  glPixelStorei(GL_PACK_ALIGNMENT, 1);
  if (!CreateTarget()) return false;
  glClearColor(0, 0, 0, 1);
  glClearDepth(1.0);
  glClearStencil(0);
  glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT | GL_STENCIL_BUFFER_BIT);
  return glGetError() == GL_NO_ERROR;
}

bool GlGfxDevice::CreateTarget() {
  glGenFramebuffers(1, &fbo_);
  glBindFramebuffer(GL_FRAMEBUFFER, fbo_);
  glGenRenderbuffers(1, &colourRb_);
  glBindRenderbuffer(GL_RENDERBUFFER, colourRb_);
  glRenderbufferStorage(GL_RENDERBUFFER, GL_RGBA8, params_.backBufferWidth, params_.backBufferHeight);
  glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_RENDERBUFFER, colourRb_);
  glGenRenderbuffers(1, &depthRb_);
  glBindRenderbuffer(GL_RENDERBUFFER, depthRb_);
  glRenderbufferStorage(GL_RENDERBUFFER, GL_DEPTH24_STENCIL8, params_.backBufferWidth,
                        params_.backBufferHeight);
  glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_DEPTH_STENCIL_ATTACHMENT, GL_RENDERBUFFER, depthRb_);
  return glCheckFramebufferStatus(GL_FRAMEBUFFER) == GL_FRAMEBUFFER_COMPLETE;
}

void GlGfxDevice::DestroyTarget() {
  if (fbo_) glDeleteFramebuffers(1, &fbo_);
  if (colourRb_) glDeleteRenderbuffers(1, &colourRb_);
  if (depthRb_) glDeleteRenderbuffers(1, &depthRb_);
  fbo_ = colourRb_ = depthRb_ = 0;
}

int GlGfxDevice::Reset(const DeviceParams& params) {
  if (params.backBufferWidth <= 0 || params.backBufferHeight <= 0 ||
      params.backBufferWidth > kMaxTargetSide || params.backBufferHeight > kMaxTargetSide)
    return kErrInvalidCall;
  if (surface_ && params.vsync != params_.vsync) surface_->SetSwapInterval(params.vsync ? 1 : 0);
  params_ = params;
  inScene_ = false;
  DestroyTarget();
  cache_.valid = false;
  if (!CreateTarget()) return kErrDeviceLost;
  viewport_ = Viewport{0, 0, static_cast<uint32_t>(params.backBufferWidth),
                       static_cast<uint32_t>(params.backBufferHeight), 0.0f, 1.0f};
  dirtyStates_ = dirtyTransforms_ = true;
  return kOk;
}

int GlGfxDevice::Present() {
  if (inScene_) return kErrInvalidCall;
  int dw = params_.backBufferWidth, dh = params_.backBufferHeight;
  if (surface_) surface_->DrawableSize(&dw, &dh);
  glBindFramebuffer(GL_DRAW_FRAMEBUFFER, 0);
  glBindFramebuffer(GL_READ_FRAMEBUFFER, fbo_);
  glDisable(GL_SCISSOR_TEST);
  glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE);
  glClearColor(0, 0, 0, 1);
  glClear(GL_COLOR_BUFFER_BIT);
  if (dw > 0 && dh > 0) {
    // Largest picture of the back buffer's aspect that fits, centred.
    const int64_t bw = params_.backBufferWidth, bh = params_.backBufferHeight;
    int64_t w = dw, h = dw * bh / bw;
    if (h > dh) {
      h = dh;
      w = dh * bw / bh;
    }
    const int64_t x0 = (dw - w) / 2, y0 = (dh - h) / 2;
    // The framebuffer holds the top row first; the window's first row is its
    // bottom, so the copy turns the picture over.
    glBlitFramebuffer(0, 0, params_.backBufferWidth, params_.backBufferHeight, static_cast<GLint>(x0),
                      static_cast<GLint>(y0 + h), static_cast<GLint>(x0 + w), static_cast<GLint>(y0),
                      GL_COLOR_BUFFER_BIT, (w == bw && h == bh) ? GL_NEAREST : GL_LINEAR);
  }
  if (surface_) surface_->Swap();
  glBindFramebuffer(GL_FRAMEBUFFER, fbo_);
  dirtyStates_ = true;
  cache_.valid = false;
  ++stats_.presents;
  // Only a lost target fails a present; a stray GL error from elsewhere must
  // not make the caller reset the device every frame.
  DrainGlErrors();
  return glCheckFramebufferStatus(GL_FRAMEBUFFER) == GL_FRAMEBUFFER_COMPLETE ? kOk : kErrDeviceLost;
}

int GlGfxDevice::Clear(uint32_t flags, Colour colour, float z, uint32_t stencil) {
  glBindFramebuffer(GL_FRAMEBUFFER, fbo_);
  GLbitfield mask = 0;
  if (flags & kClearTarget) {
    float c[4];
    Unpack(colour, c);
    // The back buffer has no alpha channel of its own: it stays 1.
    glClearColor(c[0], c[1], c[2], 1.0f);
    glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE);
    mask |= GL_COLOR_BUFFER_BIT;
  }
  if (flags & kClearZBuffer) {
    glClearDepth(std::clamp(z, 0.0f, 1.0f));
    glDepthMask(GL_TRUE);
    mask |= GL_DEPTH_BUFFER_BIT;
  }
  if (flags & kClearStencil) {
    glClearStencil(static_cast<GLint>(stencil & 0xFF));
    glStencilMask(0xFF);
    mask |= GL_STENCIL_BUFFER_BIT;
  }
  if (!mask) return kErrInvalidCall;
  // Only the viewport's rectangle is cleared.
  glEnable(GL_SCISSOR_TEST);
  glScissor(viewport_.x, viewport_.y, viewport_.width, viewport_.height);
  glClear(mask);
  dirtyStates_ = true;  // scissor and masks restored at the next draw
  cache_.valid = false;
  return kOk;
}

int GlGfxDevice::CreateVertexBuffer(uint32_t size, uint32_t /*fvf*/, VertexBuffer** out) {
  if (!out) return kErrInvalidCall;
  *out = nullptr;
  if (size == 0) return kErrInvalidCall;
  *out = new GlVertexBuffer(this, size);
  return kOk;
}

int GlGfxDevice::CreateIndexBuffer(uint32_t size, IndexBuffer** out) {
  if (!out) return kErrInvalidCall;
  *out = nullptr;
  if (size == 0) return kErrInvalidCall;
  *out = new IndexBuffer(size);
  return kOk;
}

int GlGfxDevice::MakeTexture(Image image, Texture** out) {
  DrainGlErrors();  // only an error of this upload may fail it
  auto* t = new GlTexture(this, std::move(image));
  if (glGetError() != GL_NO_ERROR) {
    t->Release();
    return kErrOutOfMemory;
  }
  *out = t;
  return kOk;
}

void GlGfxDevice::BindTexture(int stage) {
  auto* t = static_cast<GlTexture*>(textures_[stage]);
  const GLuint name = t && t->device ? t->Name() : 0;
  if (cache_.texture[stage] != name) {
    ActiveUnit(stage);
    glBindTexture(GL_TEXTURE_2D, name);
    cache_.texture[stage] = name;
  }
  if (!name) return;
  const uint32_t* s = tss_[stage];
  const GLint want[4] = {FilterToGl(s[kTssMinFilter]), FilterToGl(s[kTssMagFilter]),
                         AddressToGl(s[kTssAddressU]), AddressToGl(s[kTssAddressV])};
  static const GLenum names[4] = {GL_TEXTURE_MIN_FILTER, GL_TEXTURE_MAG_FILTER, GL_TEXTURE_WRAP_S,
                                  GL_TEXTURE_WRAP_T};
  for (int i = 0; i < 4; ++i)
    if (t->params[i] != want[i]) {
      ActiveUnit(stage);
      glTexParameteri(GL_TEXTURE_2D, names[i], want[i]);
      t->params[i] = want[i];
    }
}

void GlGfxDevice::ActiveUnit(int unit) {
  if (cache_.unit != unit) {
    glActiveTexture(GL_TEXTURE0 + unit);
    cache_.unit = unit;
  }
}

void GlGfxDevice::Enable(GLenum cap, int on, int* cached) {
  if (*cached != on) {
    if (on) glEnable(cap); else glDisable(cap);
    *cached = on;
  }
}

void GlGfxDevice::ForgetTextureBindings() {
  for (GLuint& t : cache_.texture) t = ~0u;
}

void GlGfxDevice::ForgetTexture(GLuint name) {
  for (GLuint& t : cache_.texture)
    if (t == name) t = 0;
}

void GlGfxDevice::ApplyState() {
  // GL calls only for what differs from what GL already holds: a software
  // rasteriser revalidates its state on every change.
  GlCache& c = cache_;
  if (!c.valid) {
    c = GlCache{};
    c.valid = true;
    glBindFramebuffer(GL_FRAMEBUFFER, fbo_);
    glDisable(GL_SCISSOR_TEST);
    // Drawing never writes the target's alpha (a back buffer of 8 bits per
    // colour channel and none for alpha): destination alpha reads 1.
    glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_FALSE);
  }
  const GLint vp[4] = {static_cast<GLint>(viewport_.x), static_cast<GLint>(viewport_.y),
                       static_cast<GLint>(viewport_.width), static_cast<GLint>(viewport_.height)};
  if (std::memcmp(vp, c.viewport, sizeof vp) != 0) {
    glViewport(vp[0], vp[1], vp[2], vp[3]);
    std::memcpy(c.viewport, vp, sizeof vp);
  }
  if (c.depthRange[0] != viewport_.minZ || c.depthRange[1] != viewport_.maxZ) {
    glDepthRange(viewport_.minZ, viewport_.maxZ);
    c.depthRange[0] = viewport_.minZ;
    c.depthRange[1] = viewport_.maxZ;
  }

  Enable(GL_DEPTH_TEST, rs_[kRsZEnable] ? 1 : 0, &c.depthTest);
  const GLenum zf = CompareToGl(rs_[kRsZFunc]);
  if (rs_[kRsZEnable] && c.depthFunc != zf) {
    glDepthFunc(zf);
    c.depthFunc = zf;
  }
  const int zw = rs_[kRsZWriteEnable] ? 1 : 0;
  if (c.depthMask != zw) {
    glDepthMask(zw ? GL_TRUE : GL_FALSE);
    c.depthMask = zw;
  }

  Enable(GL_BLEND, rs_[kRsAlphaBlendEnable] ? 1 : 0, &c.blend);
  if (rs_[kRsAlphaBlendEnable]) {
    const GLenum src = BlendToGl(rs_[kRsSrcBlend]), dst = BlendToGl(rs_[kRsDestBlend]);
    if (c.blendSrc != src || c.blendDst != dst) {
      glBlendFunc(src, dst);
      c.blendSrc = src;
      c.blendDst = dst;
    }
  }

  // The framebuffer is stored top row first, so a triangle that runs
  // clockwise on screen has positive area in GL's window coordinates (GL's
  // front face with GL_CCW).
  const uint32_t cull = rs_[kRsCullMode];
  Enable(GL_CULL_FACE, cull == kCullCw || cull == kCullCcw ? 1 : 0, &c.cull);
  if (cull == kCullCw || cull == kCullCcw) {
    const GLenum face = cull == kCullCw ? GL_FRONT : GL_BACK;
    if (c.cullFace != face) {
      glCullFace(face);
      c.cullFace = face;
    }
  }
  const GLenum fill = rs_[kRsFillMode] == kFillPoint ? GL_POINT : rs_[kRsFillMode] == kFillWireframe ? GL_LINE : GL_FILL;
  if (c.fill != fill) {
    glPolygonMode(GL_FRONT_AND_BACK, fill);
    c.fill = fill;
  }

  for (int s = 0; s < kMaxStages; ++s) BindTexture(s);

  const ModeKey key = CurrentModes();
  if (!current_ || key != currentKey_) {
    Program* prog = ProgramFor(key);
    if (prog) {
      current_ = prog;
      currentKey_ = key;
      loc_ = prog->loc;
      glUseProgram(prog->name);
    }
  }
  UploadStateUniforms();
  NoteDrawState(key);
  dirtyStates_ = false;
}

void GlGfxDevice::NoteDrawState(const ModeKey& modes) {
  const GlCache& c = cache_;
  DrawStateKey k;
  k.fvf = static_cast<int32_t>(fvf_);
  k.modes = modes;
  k.depthTest = c.depthTest;
  if (c.depthTest) k.depthFunc = static_cast<int32_t>(c.depthFunc);
  k.depthMask = c.depthMask;
  k.blend = c.blend;
  if (c.blend) {
    k.blendSrc = static_cast<int32_t>(c.blendSrc);
    k.blendDst = static_cast<int32_t>(c.blendDst);
  }
  if (c.cull) k.cullFace = static_cast<int32_t>(c.cullFace);
  k.fill = static_cast<int32_t>(c.fill);
  const auto pow2 = [](int v) { return v > 0 && (v & (v - 1)) == 0 ? 1 : 0; };
  for (int st = 0; st < kMaxStages; ++st) {
    if (!modes[7 + st]) continue;
    const auto* t = static_cast<const GlTexture*>(textures_[st]);
    k.sampler[st] = {t->params[0], t->params[1], t->params[2], t->params[3], pow2(t->Width()), pow2(t->Height())};
  }
  if (metStates_.insert(k).second) metOrder_.push_back(k);
}

int GlGfxDevice::WarmUpDrawStates(const uint8_t* bytes, size_t size) {
  std::vector<DrawStateKey> keys;
  if (!ReadDrawStates(bytes, size, &keys)) return kErrInvalidCall;
  // An empty scissor box: the driver compiles for each combination (it
  // does so when it takes the states, before it clips), and no fragment
  // reaches the colour or depth buffer.
  glBindFramebuffer(GL_FRAMEBUFFER, fbo_);
  glEnable(GL_SCISSOR_TEST);
  glScissor(0, 0, 0, 0);
  glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_FALSE);
  // Stand-in textures of each stage, by width and height a power of two or
  // not (the driver compiles sampling apart for the two).
  GLuint stand[2][2][2] = {};
  const uint8_t texels[9 * 4] = {};
  const uint8_t vertices[3 * 36] = {};
  int drawn = 0;
  for (const DrawStateKey& k : keys) {
    if (!metStates_.insert(k).second) continue;
    metOrder_.push_back(k);
    const Program* prog = ProgramFor(k.modes);
    if (!prog) continue;
    glUseProgram(prog->name);
    if (k.depthTest) {
      glEnable(GL_DEPTH_TEST);
      glDepthFunc(static_cast<GLenum>(k.depthFunc));
    } else {
      glDisable(GL_DEPTH_TEST);
    }
    glDepthMask(k.depthMask ? GL_TRUE : GL_FALSE);
    if (k.blend) {
      glEnable(GL_BLEND);
      glBlendFunc(static_cast<GLenum>(k.blendSrc), static_cast<GLenum>(k.blendDst));
    } else {
      glDisable(GL_BLEND);
    }
    if (k.cullFace) {
      glEnable(GL_CULL_FACE);
      glCullFace(static_cast<GLenum>(k.cullFace));
    } else {
      glDisable(GL_CULL_FACE);
    }
    glPolygonMode(GL_FRONT_AND_BACK, static_cast<GLenum>(k.fill));
    for (int st = 0; st < kMaxStages; ++st) {
      glActiveTexture(GL_TEXTURE0 + st);
      if (!k.modes[7 + st]) {
        glBindTexture(GL_TEXTURE_2D, 0);
        continue;
      }
      const auto& sm = k.sampler[st];
      GLuint& t = stand[st][sm[4]][sm[5]];
      if (!t) {
        glGenTextures(1, &t);
        glBindTexture(GL_TEXTURE_2D, t);
        glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
        glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, sm[4] ? 1 : 3, sm[5] ? 1 : 3, 0, GL_RGBA, GL_UNSIGNED_BYTE, texels);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAX_LEVEL, 0);
      }
      glBindTexture(GL_TEXTURE_2D, t);
      glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, sm[0]);
      glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, sm[1]);
      glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, sm[2]);
      glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, sm[3]);
    }
    // Three vertices at one point: a triangle without area.
    const uint32_t stride = VertexStride(static_cast<uint32_t>(k.fvf));
    glBindBuffer(GL_ARRAY_BUFFER, upBuffer_);
    glBufferData(GL_ARRAY_BUFFER, static_cast<GLsizeiptr>(3 * stride), vertices, GL_STREAM_DRAW);
    SetupAttributes(upBuffer_, 0, stride, static_cast<uint32_t>(k.fvf));
    glDrawArrays(GL_TRIANGLES, 0, 3);
    ++drawn;
  }
  glDisable(GL_SCISSOR_TEST);
  for (auto& st : stand)
    for (auto& w : st) glDeleteTextures(2, w);
  // GL holds other states than the draw path knows of: the next draw sets
  // them all again.
  cache_.valid = false;
  ForgetTextureBindings();
  current_ = nullptr;
  dirtyStates_ = dirtyStream_ = true;
  attribsForUp_ = true;
  DrainGlErrors();
  return drawn;
}

void GlGfxDevice::UploadStateUniforms() {
  const uint32_t v[7] = {rs_[kRsTextureFactor], rs_[kRsAlphaRef] & 0xFF, rs_[kRsFogStart], rs_[kRsFogEnd],
                         rs_[kRsFogDensity],    rs_[kRsFogColour],       rs_[kRsAmbient]};
  Program& p = *current_;
  if (p.uploaded && std::memcmp(v, p.stateValues, sizeof v) == 0) return;
  const bool all = !p.uploaded;
  auto changed = [&](int i) { return all || v[i] != p.stateValues[i]; };
  float c[4];
  if (changed(0)) {
    Unpack(v[0], c);
    glUniform4fv(loc_.tfactor, 1, c);
  }
  if (changed(1)) glUniform1i(loc_.alphaRef, static_cast<GLint>(v[1]));
  if (changed(2)) glUniform1f(loc_.fogStart, BitsFloat(v[2]));
  if (changed(3)) glUniform1f(loc_.fogEnd, BitsFloat(v[3]));
  if (changed(4)) glUniform1f(loc_.fogDensity, BitsFloat(v[4]));
  if (changed(5)) {
    Unpack(v[5], c);
    glUniform3fv(loc_.fogColour, 1, c);
  }
  if (changed(6)) {
    Unpack(v[6], c);
    glUniform3fv(loc_.globalAmbient, 1, c);
  }
  std::memcpy(p.stateValues, v, sizeof v);
  p.uploaded = true;
}

GlGfxDevice::ModeKey GlGfxDevice::CurrentModes() const {
  ModeKey k{};
  const bool screen = (fvf_ & kFvfXyzRhw) != 0;
  k[0] = screen ? 1 : 0;
  k[1] = tss_[0][kTssTextureTransformFlags] == kTtffCount2 ? 1 : 0;
  const bool lit = rs_[kRsLighting] && !screen;
  k[2] = lit ? 1 : 0;
  if (lit) {
    k[3] = rs_[kRsNormalizeNormals] ? 1 : 0;
    // A material colour comes from the vertex colour when colour vertex is
    // on and its source names the diffuse colour (every format here has one).
    const bool cv = rs_[kRsColourVertex] != 0;
    k[4] = cv && rs_[kRsDiffuseMaterialSource] == kMcsColour1 ? 1 : 0;
    k[5] = cv && rs_[kRsAmbientMaterialSource] == kMcsColour1 ? 1 : 0;
    k[6] = cv && rs_[kRsEmissiveMaterialSource] == kMcsColour1 ? 1 : 0;
  }
  k[7] = textures_[0] && static_cast<GlTexture*>(textures_[0])->device ? 1 : 0;
  k[8] = textures_[1] && static_cast<GlTexture*>(textures_[1])->device ? 1 : 0;
  // Stage operations; everything after a disabled colour operation is unused.
  bool on = true;
  for (int st = 0; st < 2; ++st) {
    on = on && tss_[st][kTssColourOp] != kTopDisable;
    int32_t* c = &k[9 + st * 6];
    if (!on) {
      c[0] = kTopDisable;
      continue;
    }
    c[0] = static_cast<int32_t>(tss_[st][kTssColourOp] & 31);
    c[1] = static_cast<int32_t>(tss_[st][kTssColourArg1] & 63);
    c[2] = static_cast<int32_t>(tss_[st][kTssColourArg2] & 63);
    c[3] = static_cast<int32_t>(tss_[st][kTssAlphaOp] & 31);
    c[4] = static_cast<int32_t>(tss_[st][kTssAlphaArg1] & 63);
    c[5] = static_cast<int32_t>(tss_[st][kTssAlphaArg2] & 63);
  }
  k[22] = static_cast<int32_t>(rs_[kRsAlphaTestEnable] ? (rs_[kRsAlphaFunc] & 15) : 0);
  uint32_t fog = 0;
  if (rs_[kRsFogEnable] && !screen) fog = rs_[kRsFogTableMode] <= kFogLinear ? rs_[kRsFogTableMode] : 0;
  k[21] = static_cast<int32_t>(fog);
  return k;
}

GlGfxDevice::Program* GlGfxDevice::ProgramFor(const ModeKey& k) {
  auto it = programs_.find(k);
  if (it != programs_.end()) return &it->second;
  char vs[512], fs[512];
  std::snprintf(vs, sizeof vs,
                "#version 330 core\n"
                "const int uScreen = %d;\nconst int uTexXform = %d;\nconst int uLighting = %d;\n"
                "const int uNormalize = %d;\nconst int uDiffuseSrc = %d;\nconst int uAmbientSrc = %d;\n"
                "const int uEmissiveSrc = %d;\n",
                k[0], k[1], k[2], k[3], k[4], k[5], k[6]);
  std::snprintf(fs, sizeof fs,
                "#version 330 core\n"
                "const int uHasTex0 = %d;\nconst int uHasTex1 = %d;\n"
                "const ivec3 uColourStage0 = ivec3(%d, %d, %d);\nconst ivec3 uColourStage1 = ivec3(%d, %d, %d);\n"
                "const ivec3 uAlphaStage0 = ivec3(%d, %d, %d);\nconst ivec3 uAlphaStage1 = ivec3(%d, %d, %d);\n"
                "const int uFogMode = %d;\nconst int uAlphaFunc = %d;\n",
                k[7], k[8], k[9], k[10], k[11], k[15], k[16], k[17], k[12], k[13], k[14], k[18], k[19],
                k[20], k[21], k[22]);
  GLuint v = Compile(GL_VERTEX_SHADER, vs, kVertexShader);
  GLuint f = Compile(GL_FRAGMENT_SHADER, fs, kFragmentShader);
  if (!v || !f) {
    if (v) glDeleteShader(v);
    if (f) glDeleteShader(f);
    return nullptr;
  }
  Program p;
  p.name = glCreateProgram();
  glAttachShader(p.name, v);
  glAttachShader(p.name, f);
  glBindAttribLocation(p.name, 0, "aPos");
  glLinkProgram(p.name);
  glDeleteShader(v);
  glDeleteShader(f);
  GLint ok = 0;
  glGetProgramiv(p.name, GL_LINK_STATUS, &ok);
  if (!ok) {
    char log[2048];
    glGetProgramInfoLog(p.name, sizeof log, nullptr, log);
    std::fprintf(stderr, "gfx: shader link failed: %s\n", log);
    glDeleteProgram(p.name);
    return nullptr;
  }
  auto U = [&](const char* n) { return glGetUniformLocation(p.name, n); };
  p.loc = Locations{U("uWorldView"),    U("uProj"),        U("uNormalMat"),   U("uTexMat0"),
                    U("uViewport"),     U("uPixelOffset"), U("uFogW"),        U("uGlobalAmbient"),
                    U("uMatDiffuse"),   U("uMatAmbient"),  U("uMatEmissive"), U("uLightCount"),
                    U("uLightDir"),     U("uLightDiffuse"), U("uLightAmbient"), U("uTFactor"),
                    U("uAlphaRef"),     U("uFogStart"),    U("uFogEnd"),      U("uFogDensity"),
                    U("uFogColour")};
  glUseProgram(p.name);
  glUniform1i(U("uTex0"), 0);
  glUniform1i(U("uTex1"), 1);
  if (current_) glUseProgram(current_->name);
  return &programs_.emplace(k, p).first->second;
}

void GlGfxDevice::ApplyTransforms() {
  const Matrix wv = Multiply(world_, view_);
  glUniformMatrix4fv(loc_.worldView, 1, GL_FALSE, &wv.m[0][0]);
  glUniformMatrix4fv(loc_.proj, 1, GL_FALSE, &projection_.m[0][0]);
  float nm[9];
  NormalMatrix(wv, nm);
  glUniformMatrix3fv(loc_.normalMat, 1, GL_FALSE, nm);
  glUniformMatrix4fv(loc_.texMat0, 1, GL_FALSE, &texture_[0].m[0][0]);
  // Fog depth: the eye distance w under a perspective projection, the
  // projected depth z under an orthographic one.
  glUniform1i(loc_.fogW, projection_.m[2][3] != 0.0f ? 1 : 0);
  glUniform4f(loc_.viewport, static_cast<float>(viewport_.x), static_cast<float>(viewport_.y),
              static_cast<float>(viewport_.width), static_cast<float>(viewport_.height));
  glUniform2f(loc_.pixelOffset, 1.0f / static_cast<float>(viewport_.width),
              1.0f / static_cast<float>(viewport_.height));
  current_->transformSerial = transformSerial_;
}

void GlGfxDevice::SyncUniforms() {
  if (dirtyTransforms_) {
    ++transformSerial_;
    dirtyTransforms_ = false;
    if (!(view_ == lightView_)) {
      lightView_ = view_;
      dirtyLights_ = true;
    }
  }
  if (dirtyLights_) {
    ++lightSerial_;
    dirtyLights_ = false;
  }
  if (current_->transformSerial != transformSerial_) ApplyTransforms();
  if (current_->lightSerial != lightSerial_) ApplyLights();
}

void GlGfxDevice::ApplyLights() {
  float dir[8 * 3], dif[8 * 3], amb[8 * 3];
  int n = 0;
  for (int i = 0; i < kMaxLights; ++i) {
    const Light& l = lights_[i];
    // Only directional lights are lit; point and spot lights are not used by
    // the engine.
    if (!lightEnabled_[i] || l.type != kLightDirectional) continue;
    const Vec3& d = l.direction;
    double v[3];
    for (int c = 0; c < 3; ++c) v[c] = d.x * view_.m[0][c] + d.y * view_.m[1][c] + d.z * view_.m[2][c];
    const double len = std::sqrt(v[0] * v[0] + v[1] * v[1] + v[2] * v[2]);
    if (len <= 0.0) continue;
    for (int c = 0; c < 3; ++c) dir[n * 3 + c] = static_cast<float>(-v[c] / len);
    dif[n * 3] = l.diffuse.r;
    dif[n * 3 + 1] = l.diffuse.g;
    dif[n * 3 + 2] = l.diffuse.b;
    amb[n * 3] = l.ambient.r;
    amb[n * 3 + 1] = l.ambient.g;
    amb[n * 3 + 2] = l.ambient.b;
    ++n;
  }
  glUniform1i(loc_.lightCount, n);
  if (n > 0) {
    glUniform3fv(loc_.lightDir, n, dir);
    glUniform3fv(loc_.lightDiffuse, n, dif);
    glUniform3fv(loc_.lightAmbient, n, amb);
  }
  const ColourValue* mats[3] = {&material_.diffuse, &material_.ambient, &material_.emissive};
  const GLint locs[3] = {loc_.matDiffuse, loc_.matAmbient, loc_.matEmissive};
  for (int i = 0; i < 3; ++i) glUniform4f(locs[i], mats[i]->r, mats[i]->g, mats[i]->b, mats[i]->a);
  current_->lightSerial = lightSerial_;
}

void GlGfxDevice::SetupAttributes(GLuint buffer, uintptr_t offset, uint32_t stride, uint32_t fvf) {
  glBindBuffer(GL_ARRAY_BUFFER, buffer);
  const auto at = [offset](uintptr_t o) { return reinterpret_cast<const void*>(offset + o); };
  uintptr_t o = 0;
  glEnableVertexAttribArray(0);
  if (fvf & kFvfXyzRhw) {
    glVertexAttribPointer(0, 4, GL_FLOAT, GL_FALSE, stride, at(0));
    o = 16;
  } else {
    glVertexAttribPointer(0, 3, GL_FLOAT, GL_FALSE, stride, at(0));
    o = 12;
  }
  if (fvf & kFvfNormal) {
    glEnableVertexAttribArray(1);
    glVertexAttribPointer(1, 3, GL_FLOAT, GL_FALSE, stride, at(o));
    o += 12;
  } else {
    glDisableVertexAttribArray(1);
    glVertexAttrib3f(1, 0, 0, 0);
  }
  if (fvf & kFvfDiffuse) {
    // A packed 0xAARRGGBB word is the bytes B, G, R, A in memory.
    glEnableVertexAttribArray(2);
    glVertexAttribPointer(2, GL_BGRA, GL_UNSIGNED_BYTE, GL_TRUE, stride, at(o));
    o += 4;
  } else {
    glDisableVertexAttribArray(2);
    glVertexAttrib4f(2, 1, 1, 1, 1);
  }
  if (fvf & kFvfTex1) {
    glEnableVertexAttribArray(3);
    glVertexAttribPointer(3, 2, GL_FLOAT, GL_FALSE, stride, at(o));
  } else {
    glDisableVertexAttribArray(3);
    glVertexAttrib2f(3, 0, 0);
  }
}

int GlGfxDevice::DrawIndexedPrimitive(uint32_t type, uint32_t, uint32_t, uint32_t startIndex,
                                      uint32_t primCount) {
  const int r = ValidateIndexedDraw(type, startIndex, primCount);
  if (r != kOk) return r;
  if (primCount == 0) return kOk;
  auto* vb = static_cast<GlVertexBuffer*>(stream_);
  if (!vb->device) return kErrInvalidCall;
  // Every index (plus the base vertex) must name a vertex inside the buffer.
  const uint32_t count = primCount * 3;
  const auto* idx = reinterpret_cast<const uint16_t*>(indices_->Data()) + startIndex;
  uint32_t maxIndex = 0;
  for (uint32_t i = 0; i < count; ++i) maxIndex = std::max<uint32_t>(maxIndex, idx[i]);
  const uint64_t vertexCount = vb->Size() / streamStride_;
  if (uint64_t{baseVertex_} + maxIndex >= vertexCount) return kErrInvalidCall;

  if (dirtyStates_) ApplyState();
  SyncUniforms();
  if (dirtyStream_ || attribsForUp_) {
    SetupAttributes(vb->NameForDraw(), 0, streamStride_, fvf_);
    attribsForUp_ = false;
    dirtyStream_ = false;
  }
  // The indices travel with the draw through the stream buffer.
  const size_t bytes = size_t{count} * 2;
  glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, upBuffer_);
  glBufferData(GL_ELEMENT_ARRAY_BUFFER, static_cast<GLsizeiptr>(bytes), idx, GL_STREAM_DRAW);
  glDrawElementsBaseVertex(GL_TRIANGLES, static_cast<GLsizei>(count), GL_UNSIGNED_SHORT, nullptr,
                           static_cast<GLint>(baseVertex_));
  ++stats_.draws;
  stats_.triangles += primCount;
  return kOk;
}

int GlGfxDevice::DrawPrimitiveUp(uint32_t type, uint32_t primCount, const void* vertices, uint32_t stride) {
  if (!inScene_ || !vertices || fvf_ == 0 || stride < VertexStride(fvf_) ||
      (type != kPtTriangleList && type != kPtTriangleStrip))
    return kErrInvalidCall;
  if (primCount == 0) return kOk;
  const uint32_t count = type == kPtTriangleList ? primCount * 3 : primCount + 2;
  if (dirtyStates_) ApplyState();
  SyncUniforms();
  // Vertices and their attribute layout go through the stream buffer; the
  // next indexed draw sets its own layout again.
  const size_t bytes = size_t{count} * stride;
  glBindBuffer(GL_ARRAY_BUFFER, upBuffer_);
  glBufferData(GL_ARRAY_BUFFER, static_cast<GLsizeiptr>(bytes), vertices, GL_STREAM_DRAW);
  SetupAttributes(upBuffer_, 0, stride, fvf_);
  attribsForUp_ = true;
  glDrawArrays(type == kPtTriangleList ? GL_TRIANGLES : GL_TRIANGLE_STRIP, 0, static_cast<GLsizei>(count));
  ++stats_.draws;
  stats_.triangles += primCount;
  return kOk;
}

int GlGfxDevice::ReadBackBuffer(Image* out) {
  if (!out) return kErrInvalidCall;
  out->width = params_.backBufferWidth;
  out->height = params_.backBufferHeight;
  out->rgba.assign(static_cast<size_t>(out->width) * out->height * 4, 0);
  DrainGlErrors();
  glBindFramebuffer(GL_READ_FRAMEBUFFER, fbo_);
  glReadBuffer(GL_COLOR_ATTACHMENT0);
  glPixelStorei(GL_PACK_ALIGNMENT, 1);
  // The framebuffer's first row is the picture's top row already.
  glReadPixels(0, 0, out->width, out->height, GL_RGBA, GL_UNSIGNED_BYTE, out->rgba.data());
  return glGetError() == GL_NO_ERROR ? kOk : kErrFail;
}

}  // namespace

std::unique_ptr<GfxDevice> CreateGlGfxDevice(GlSurface* surface, const DeviceParams& params) {
  if (params.backBufferWidth <= 0 || params.backBufferHeight <= 0 || params.backBufferWidth > kMaxTargetSide ||
      params.backBufferHeight > kMaxTargetSide)
    return nullptr;
  auto dev = std::make_unique<GlGfxDevice>(surface, params, nullptr);
  if (!dev->Init()) return nullptr;
  return dev;
}

namespace {
class WindowSurface final : public GlSurface {
 public:
  explicit WindowSurface(Window* w) : window_(w) {}
  void Swap() override { window_->Swap(); }
  void DrawableSize(int* width, int* height) override { window_->GetDrawableSize(width, height); }
  void SetSwapInterval(int interval) override { window_->SetSwapInterval(interval); }

 private:
  Window* window_;
};
}  // namespace

std::unique_ptr<GfxDevice> CreateGlGfxDeviceForWindow(Window* window, const DeviceParams& params) {
  if (!window || !window->IsOpen() || !window->MakeCurrent()) return nullptr;
  // A mode that cannot be set leaves the window on the desktop mode.
  if (params.fullScreen && params.refreshRate > 0)
    window->UseDisplayMode(params.backBufferWidth, params.backBufferHeight, params.refreshRate);
  auto surface = std::make_unique<WindowSurface>(window);
  GlSurface* s = surface.get();
  s->SetSwapInterval(params.vsync ? 1 : 0);
  if (params.backBufferWidth <= 0 || params.backBufferHeight <= 0 || params.backBufferWidth > kMaxTargetSide ||
      params.backBufferHeight > kMaxTargetSide)
    return nullptr;
  auto dev = std::make_unique<GlGfxDevice>(s, params, std::move(surface));
  if (!dev->Init()) return nullptr;
  return dev;
}

}  // namespace plat
