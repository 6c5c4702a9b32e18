#pragma once
#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

// The graphics device the engine draws through: a small fixed-function
// device (transforms, lights, material, render states, two texture stages,
// vertex and index buffers, indexed triangle lists) with an OpenGL backend
// and a null backend. The numeric values of states, state values, transform
// slots, vertex format codes and clear flags follow the Direct3D 8
// conventions, so engine code and data tables can keep them as plain numbers.
//
// Results are ints: 0 (kOk) for success, negative for failure.
//
// Conventions reproduced by the OpenGL backend:
// - matrices are row-major and applied to row vectors (v' = v x M, the
//   translation in the fourth row);
// - projected depth runs from 0 (near) to w (far);
// - the viewport origin is the top left of the back buffer and pixel centres
//   lie at integer coordinates (a pixel covers [x - 0.5, x + 0.5));
// - packed colours are 0xAARRGGBB words (bytes B, G, R, A in memory).
namespace plat {

class Window;

// ---------------------------------------------------------------- results
constexpr int kOk = 0;
constexpr int kErrFail = -1;
constexpr int kErrInvalidCall = -2;
constexpr int kErrOutOfMemory = -3;
constexpr int kErrDeviceLost = -4;

// ---------------------------------------------------------------- basic types
using Colour = uint32_t;  // 0xAARRGGBB

struct Matrix {
  float m[4][4];  // m[row][column]
  static Matrix Identity() {
    Matrix r{};
    r.m[0][0] = r.m[1][1] = r.m[2][2] = r.m[3][3] = 1.0f;
    return r;
  }
  bool operator==(const Matrix&) const = default;
};

struct Vec3 {
  float x, y, z;
  bool operator==(const Vec3&) const = default;
};

struct ColourValue {
  float r, g, b, a;
  bool operator==(const ColourValue&) const = default;
};

struct Viewport {
  uint32_t x, y, width, height;  // pixels, origin top left
  float minZ, maxZ;              // depth range, 0..1
  bool operator==(const Viewport&) const = default;
};

struct Material {
  ColourValue diffuse, ambient, specular, emissive;
  float power;
  bool operator==(const Material&) const = default;
};

enum LightType : uint32_t { kLightPoint = 1, kLightSpot = 2, kLightDirectional = 3 };

// Only directional lights take part in lighting; the other fields are kept
// so a light reads back as it was set.
struct Light {
  uint32_t type;  // LightType
  ColourValue diffuse, specular, ambient;
  Vec3 position, direction;
  float range, falloff, attenuation0, attenuation1, attenuation2, theta, phi;
  bool operator==(const Light&) const = default;
};

// ---------------------------------------------------------------- enumerations
// Transform slots.
enum TransformSlot : uint32_t {
  kTsView = 2,
  kTsProjection = 3,
  kTsTexture0 = 16,  // kTsTexture0 + stage, stages 0..7
  kTsWorld = 256,
};

// Render states (only those the engine uses or reads are honoured by the
// OpenGL backend; every state in 0..255 is stored and reads back).
enum RenderState : uint32_t {
  kRsZEnable = 7,
  kRsFillMode = 8,
  kRsShadeMode = 9,
  kRsZWriteEnable = 14,
  kRsAlphaTestEnable = 15,
  kRsSrcBlend = 19,
  kRsDestBlend = 20,
  kRsCullMode = 22,
  kRsZFunc = 23,
  kRsAlphaRef = 24,
  kRsAlphaFunc = 25,
  kRsDitherEnable = 26,
  kRsAlphaBlendEnable = 27,
  kRsFogEnable = 28,
  kRsSpecularEnable = 29,
  kRsFogColour = 34,
  kRsFogTableMode = 35,
  kRsFogStart = 36,  // float stored bit for bit in the 32-bit value
  kRsFogEnd = 37,    // float
  kRsFogDensity = 38,  // float
  kRsStencilEnable = 52,
  kRsTextureFactor = 60,
  kRsLighting = 137,
  kRsAmbient = 139,
  kRsFogVertexMode = 140,
  kRsColourVertex = 141,
  kRsNormalizeNormals = 143,
  kRsDiffuseMaterialSource = 145,
  kRsSpecularMaterialSource = 146,
  kRsAmbientMaterialSource = 147,
  kRsEmissiveMaterialSource = 148,
  kRenderStateCount = 256,
};

enum FillMode : uint32_t { kFillPoint = 1, kFillWireframe = 2, kFillSolid = 3 };
enum CullMode : uint32_t { kCullNone = 1, kCullCw = 2, kCullCcw = 3 };
enum CompareFunc : uint32_t {
  kCmpNever = 1,
  kCmpLess = 2,
  kCmpEqual = 3,
  kCmpLessEqual = 4,
  kCmpGreater = 5,
  kCmpNotEqual = 6,
  kCmpGreaterEqual = 7,
  kCmpAlways = 8,
};
enum BlendFactor : uint32_t {
  kBlendZero = 1,
  kBlendOne = 2,
  kBlendSrcColour = 3,
  kBlendInvSrcColour = 4,
  kBlendSrcAlpha = 5,
  kBlendInvSrcAlpha = 6,
  kBlendDestAlpha = 7,
  kBlendInvDestAlpha = 8,
  kBlendDestColour = 9,
  kBlendInvDestColour = 10,
};
enum FogMode : uint32_t { kFogNone = 0, kFogExp = 1, kFogExp2 = 2, kFogLinear = 3 };
enum MaterialSource : uint32_t { kMcsMaterial = 0, kMcsColour1 = 1, kMcsColour2 = 2 };

// Texture stage states.
enum StageState : uint32_t {
  kTssColourOp = 1,
  kTssColourArg1 = 2,
  kTssColourArg2 = 3,
  kTssAlphaOp = 4,
  kTssAlphaArg1 = 5,
  kTssAlphaArg2 = 6,
  kTssTexCoordIndex = 11,
  kTssAddressU = 13,
  kTssAddressV = 14,
  kTssMagFilter = 16,
  kTssMinFilter = 17,
  kTssMipFilter = 18,
  kTssTextureTransformFlags = 24,
  kStageStateCount = 32,
};

enum TextureOp : uint32_t {
  kTopDisable = 1,
  kTopSelectArg1 = 2,
  kTopSelectArg2 = 3,
  kTopModulate = 4,
  kTopModulate2x = 5,
  kTopModulate4x = 6,
  kTopAdd = 7,
  kTopAddSigned = 8,
  kTopAddSigned2x = 9,
  kTopSubtract = 10,
  kTopAddSmooth = 11,
  kTopBlendDiffuseAlpha = 12,
  kTopBlendTextureAlpha = 13,
  kTopBlendFactorAlpha = 14,
  kTopBlendCurrentAlpha = 16,
};

// Texture stage arguments; the two modifiers may be or-ed in.
enum TextureArg : uint32_t {
  kTaDiffuse = 0,
  kTaCurrent = 1,
  kTaTexture = 2,
  kTaTFactor = 3,
  kTaSelectMask = 0x0F,
  kTaComplement = 0x10,
  kTaAlphaReplicate = 0x20,
};

enum TextureFilter : uint32_t { kTexfNone = 0, kTexfPoint = 1, kTexfLinear = 2 };
enum TextureAddress : uint32_t { kTaddrWrap = 1, kTaddrMirror = 2, kTaddrClamp = 3 };
enum TextureTransformFlags : uint32_t { kTtffDisable = 0, kTtffCount2 = 2 };

// Flexible vertex format bits and the four formats the engine uses.
enum VertexFormat : uint32_t {
  kFvfXyz = 0x002,
  kFvfXyzRhw = 0x004,
  kFvfNormal = 0x010,
  kFvfDiffuse = 0x040,
  kFvfTex1 = 0x100,
  kFvfPosColour = 0x042,             // 16 bytes: x y z, colour
  kFvfPosColourTex = 0x142,          // 24 bytes: x y z, colour, u v
  kFvfPosNormalColour = 0x052,       // 28 bytes: x y z, nx ny nz, colour
  kFvfPosNormalColourTex = 0x152,    // 36 bytes: x y z, nx ny nz, colour, u v
  kFvfScreenColourTex = 0x144,       // 28 bytes: x y z rhw (pixels), colour, u v
};

// Byte size of one vertex of a format; 0 for a format the device cannot draw.
uint32_t VertexStride(uint32_t fvf);

enum ClearFlags : uint32_t { kClearTarget = 1, kClearZBuffer = 2, kClearStencil = 4 };

enum PrimitiveType : uint32_t { kPtTriangleList = 4, kPtTriangleStrip = 5 };

// ---------------------------------------------------------------- resources
// Device resources count references: a new resource holds one, Release drops
// one and frees the resource at zero. A resource may outlive its device; it
// then keeps its memory but draws nothing.
class GfxResource {
 public:
  void AddRef() { ++refs_; }
  // Returns the references left.
  uint32_t Release();

 protected:
  GfxResource() = default;
  virtual ~GfxResource() = default;
  GfxResource(const GfxResource&) = delete;
  GfxResource& operator=(const GfxResource&) = delete;

 private:
  uint32_t refs_ = 1;
};

// A block of vertices or 16-bit indices. The contents live in memory owned
// by the buffer; Lock hands out a pointer into it and Unlock sends what
// changed to the backend.
class GfxBuffer : public GfxResource {
 public:
  uint32_t Size() const { return static_cast<uint32_t>(data_.size()); }
  // offset and size in bytes; size 0 means up to the end. Fails with
  // kErrInvalidCall on a range outside the buffer or when already locked.
  int Lock(uint32_t offset, uint32_t size, void** out);
  int Unlock();
  bool IsLocked() const { return locked_; }
  const uint8_t* Data() const { return data_.data(); }

 protected:
  explicit GfxBuffer(uint32_t size) : data_(size) {}
  // Called after Unlock with the byte range that was locked.
  virtual void Upload(uint32_t offset, uint32_t size) = 0;

 private:
  std::vector<uint8_t> data_;
  bool locked_ = false;
  uint32_t lockOffset_ = 0, lockSize_ = 0;
};

// A vertex buffer is only memory: the layout of its vertices is the one the
// draw sets (SetVertexShader), not one kept with the buffer.
class VertexBuffer : public GfxBuffer {
 protected:
  explicit VertexBuffer(uint32_t size) : GfxBuffer(size) {}
};

// Index buffers keep only the memory copy on every backend: draws take their
// indices from it (the GL backend after checking them against the vertex
// buffer, into a stream buffer), so there is nothing to upload.
class IndexBuffer : public GfxBuffer {
 public:
  explicit IndexBuffer(uint32_t size) : GfxBuffer(size) {}

 protected:
  void Upload(uint32_t, uint32_t) override {}
};

// An RGBA image, rows from the top, 4 bytes per pixel (R, G, B, A).
struct Image {
  int width = 0;
  int height = 0;
  std::vector<uint8_t> rgba;
};

// A two-dimensional texture of any size (non-power-of-two included), one
// level, 8 bits per channel. Keeps its pixels.
class Texture : public GfxResource {
 public:
  int Width() const { return image_.width; }
  int Height() const { return image_.height; }
  const Image& Pixels() const { return image_; }

 protected:
  explicit Texture(Image image) : image_(std::move(image)) {}

 private:
  Image image_;
};

// ---------------------------------------------------------------- the device
struct DeviceParams {
  int backBufferWidth = 640;
  int backBufferHeight = 480;
  bool fullScreen = false;
  bool vsync = false;  // present waits for the vertical blank
  int refreshRate = 0;  // full screen: the display mode's rate in Hz; 0 = the desktop mode
};

// Everything a draw depends on; GetState/SetState save and restore it whole
// (used by code that draws outside the engine's own state tracking).
struct DeviceState {
  uint32_t renderStates[kRenderStateCount];
  uint32_t stageStates[2][kStageStateCount];
  Matrix world, view, projection, texture[2];
  Viewport viewport;
  Material material;
  Light lights[8];
  bool lightEnabled[8];
};

class GfxDevice {
 public:
  static constexpr int kMaxLights = 8;
  static constexpr int kMaxStages = 2;

  virtual ~GfxDevice();

  const DeviceParams& Params() const { return params_; }
  bool IsNull() const { return null_; }
  // Distinct for every device made in the process: buffers made on one
  // device are of no use on a later one.
  uint64_t Serial() const { return serial_; }

  // Frame.
  // Applies new parameters (back-buffer size, vsync). The device keeps its
  // states, buffers and textures.
  virtual int Reset(const DeviceParams& params) = 0;
  int BeginScene();
  int EndScene();
  // Shows the back buffer in the window, scaled with kept aspect between
  // black bars.
  virtual int Present() = 0;
  // Clears the current viewport: flags of ClearFlags; z in 0..1.
  virtual int Clear(uint32_t flags, Colour colour, float z, uint32_t stencil) = 0;

  // Transforms (slot: TransformSlot, or kTsTexture0 + stage).
  int SetTransform(uint32_t slot, const Matrix& m);
  int GetTransform(uint32_t slot, Matrix* out) const;

  int SetViewport(const Viewport& vp);
  int GetViewport(Viewport* out) const;

  // Lighting.
  int SetMaterial(const Material& m);
  int SetLight(uint32_t index, const Light& light);
  int GetLight(uint32_t index, Light* out) const;
  int LightEnable(uint32_t index, bool enable);
  int GetLightEnable(uint32_t index, bool* out) const;

  // States. Floats (fog start, end, density) are passed bit for bit, see
  // FloatBits.
  int SetRenderState(uint32_t state, uint32_t value);
  uint32_t GetRenderState(uint32_t state) const;
  int SetTextureStageState(uint32_t stage, uint32_t state, uint32_t value);
  uint32_t GetTextureStageState(uint32_t stage, uint32_t state) const;

  // Texture of a stage (null: none). The device holds a reference to every
  // texture and buffer set on it.
  int SetTexture(uint32_t stage, Texture* texture);
  Texture* GetTexture(uint32_t stage) const;

  DeviceState GetState() const;
  void SetState(const DeviceState& s);

  // Buffers. size in bytes; fvf is informative for vertex buffers.
  virtual int CreateVertexBuffer(uint32_t size, uint32_t fvf, VertexBuffer** out) = 0;
  virtual int CreateIndexBuffer(uint32_t size, IndexBuffer** out) = 0;

  // Stream 0 and the index buffer; vertices are read from the stream at
  // stride bytes each; every index is offset by baseVertex.
  int SetStreamSource(VertexBuffer* vb, uint32_t stride);
  int SetIndices(IndexBuffer* ib, uint32_t baseVertex);
  // Selects one of the vertex formats (a VertexFormat code).
  int SetVertexShader(uint32_t fvf);
  uint32_t GetVertexShader() const { return fvf_; }

  // Draws primCount triangles of a triangle list whose 16-bit indices start
  // at startIndex of the index buffer; minIndex and numVertices describe the
  // range of vertices used (relative to baseVertex).
  virtual int DrawIndexedPrimitive(uint32_t type, uint32_t minIndex, uint32_t numVertices,
                                   uint32_t startIndex, uint32_t primCount) = 0;
  // Draws triangles (list or strip) from caller memory, in the current
  // vertex format.
  virtual int DrawPrimitiveUp(uint32_t type, uint32_t primCount, const void* vertices,
                              uint32_t stride) = 0;

  // Textures. From PNG or JPEG bytes (alpha kept; a file without alpha reads
  // as opaque); kErrInvalidCall for damaged or unknown data and for a picture
  // whose RGBA would take more than maxBytes (refused before it is made; the
  // decoder's own size bounds hold in any case).
  int CreateTextureFromMemory(const void* data, size_t size, Texture** out, uint64_t maxBytes = ~uint64_t{0});
  // From RGBA pixels (rows from the top). Pass an image that is no longer
  // needed by move: its pixels become the texture's without a copy. Memory
  // running out is kErrOutOfMemory; neither call throws.
  int CreateTextureFromImage(Image image, Texture** out);

  // Reads the back buffer into an RGBA image (rows from the top). The null
  // backend gives an image of the back-buffer size filled with the last clear
  // colour.
  virtual int ReadBackBuffer(Image* out) = 0;

  // The combinations of draw state met so far (see gfx_draw_states.h): as
  // the draw-state file holds them, and how many. None on the null device.
  virtual std::vector<uint8_t> DrawStateFile() const { return {}; }
  virtual size_t DrawStatesMet() const { return 0; }
  // Draws each combination of a draw-state file once, with nothing reaching
  // the target and the device's states left as they were, so that the
  // driver compiles for them now rather than in a frame; they count as met.
  // The number drawn (0 on the null device), or kErrInvalidCall for a file
  // that is not whole and valid.
  virtual int WarmUpDrawStates(const uint8_t* bytes, size_t size) {
    (void)bytes;
    (void)size;
    return 0;
  }

  // Statistics, for tests and benchmarks.
  struct Stats {
    uint64_t draws = 0;
    uint64_t triangles = 0;
    uint64_t presents = 0;
  };
  const Stats& GetStats() const { return stats_; }

 protected:
  GfxDevice(const DeviceParams& params, bool null);
  void ResetStates();
  virtual int MakeTexture(Image image, Texture** out) = 0;
  // Draw-call check shared by the backends: scene open, buffers and format
  // set, index range inside the index buffer.
  int ValidateIndexedDraw(uint32_t type, uint32_t startIndex, uint32_t primCount) const;

  DeviceParams params_;
  bool null_;
  uint64_t serial_;
  bool inScene_ = false;
  Stats stats_;

  uint32_t rs_[kRenderStateCount];
  uint32_t tss_[kMaxStages][kStageStateCount];
  Matrix world_, view_, projection_, texture_[kMaxStages];
  Viewport viewport_;
  Material material_;
  Light lights_[kMaxLights];
  bool lightEnabled_[kMaxLights];
  Texture* textures_[kMaxStages] = {};
  VertexBuffer* stream_ = nullptr;
  uint32_t streamStride_ = 0;
  IndexBuffer* indices_ = nullptr;
  uint32_t baseVertex_ = 0;
  uint32_t fvf_ = 0;

  // Set by every state setter; backends clear them when they apply state.
  bool dirtyStates_ = true;
  bool dirtyTransforms_ = true;
  bool dirtyLights_ = true;
  bool dirtyStream_ = true;
};

// Passes a float through a 32-bit state value and back.
uint32_t FloatBits(float f);
float BitsFloat(uint32_t u);

// One colour channel 0..1 as a byte: clamped, rounded to nearest; NaN gives 0.
uint32_t ColourChannel(float v);
// Packs colour channels 0..1 (clamped) as 0xAARRGGBB, rounding to nearest.
Colour PackColour(float r, float g, float b, float a);

// Creates a device. A null window gives the null backend, which accepts every
// call, keeps every state and lockable buffer and draws nothing. Otherwise
// the OpenGL backend draws into the window's context. Returns null on
// failure.
std::unique_ptr<GfxDevice> CreateGfxDevice(Window* window, const DeviceParams& params);

// The null backend without a window.
std::unique_ptr<GfxDevice> CreateNullGfxDevice(const DeviceParams& params);

// The OpenGL backend on the OpenGL context current on the calling thread
// (3.3 core or newer); present swaps through `swap` (may be empty) and
// scales into a drawable of the size `drawableSize` reports. For tools and
// tests that own their context.
struct GlSurface {
  virtual ~GlSurface() = default;
  virtual void Swap() = 0;
  virtual void DrawableSize(int* width, int* height) = 0;
  virtual void SetSwapInterval(int /*interval*/) {}
};
std::unique_ptr<GfxDevice> CreateGlGfxDevice(GlSurface* surface, const DeviceParams& params);

}  // namespace plat
