#pragma once
// The general-purpose drawable geometry: vertices kept in system memory,
// mirrored into a device vertex buffer and a 16-bit index buffer, drawn as an
// indexed triangle list. Callers fill it through a vertex cursor, either as
// fixed-size primitives (quads of four vertices, ...) or as variable-length
// triangle strips that are turned into triangle-list indices as each strip is
// closed.
//
// One class serves the four vertex formats (position + colour, + texture,
// + normal, + normal + texture); the format is chosen at construction and
// fixes the stride, the colour offset and the stage and lighting states.
#include <cstdint>
#include <vector>

#include "platform/gfx_device.h"
#include "vrax/graphic/SGpObj.h"
#include "vrax/graphic/SMath.h"

// Vertex layouts in memory, by format.
struct SGpVertex {  // 0x142, 24 bytes
  float x, y, z;
  uint32_t colour;
  float u, v;
};
struct SGpVertexNCT {  // 0x152, 36 bytes
  float x, y, z;
  float nx, ny, nz;
  uint32_t colour;
  float u, v;
};

class SGpObj_Prim : public SGpObj {
 public:
  // Indices are 16 bits and address vertices 0 to 65535: a larger
  // allocation fails, since its later vertices could only be named by
  // indices that wrap round to the first ones.
  static constexpr int kMaxVertices = 65536;

  explicit SGpObj_Prim(uint32_t fvf = plat::kFvfPosColourTex);
  ~SGpObj_Prim() override;
  SGpObj_Prim(const SGpObj_Prim&) = delete;
  SGpObj_Prim& operator=(const SGpObj_Prim&) = delete;

  // Uploads when something changed and draws the active primitives.
  // Nothing is drawn, and no state set, without both device buffers of the
  // device in use (allocated before there was a device, or on one that has
  // ended): the next allocation on the device makes them. A format with
  // texture coordinates draws nothing while the texture last asked for is
  // not there (SGpMan::TextureMissing).
  void Execute() override;

  // prims = 0: AllocVertices(vertsPerPrim). Otherwise prims primitives of
  // vertsPerPrim vertices each, all active. 0, or -1 (counts then all 0).
  virtual int Alloc(int prims, int vertsPerPrim);
  // prims primitives of the class's fixed size; -1 in a class without one.
  virtual int AllocPrims(int prims);
  // Room for `vertices` vertices in strips; no strip active.
  virtual int AllocVertices(int vertices);

  virtual int GetPrimCapacity() const { return primCapacity_; }
  virtual int GetVertexCapacity() const { return vertexCapacity_; }
  virtual int SetActiveCount(int n) { return activeCount_ = n; }
  virtual int GetActiveCount() const { return activeCount_; }
  // 0: variable-length strips; n > 0: fixed primitives of n vertices.
  virtual int GetVertsPerPrim() const { return vertsPerPrim_; }
  virtual int GetCurPrim() const;
  virtual int GetCurVertex() const { return curVertex_; }
  virtual int GetPrimStart(int p) const;

  virtual void Seek(int prim, int vertex);
  virtual void SeekVertex(int vertex);
  virtual void Next();
  virtual void Prev();
  // Closes the current strip and writes its triangles (strip mode).
  virtual void EndStrip();

  // Setters of the cursor vertex. A cursor outside the allocated vertices
  // writes nothing.
  virtual void SetPos(const SVec3& p);
  virtual void SetPos(float x, float y, float z);
  virtual void SetNormal(const SVec3& n);
  virtual void SetNormal(float x, float y, float z);
  virtual void SetUV(const SVec2& uv);
  virtual void SetUV(float u, float v);
  virtual void SetColour(const float* rgba);
  virtual void SetColour(float r, float g, float b, float a);

  virtual int CreateBuffers(int prims, int vertsPerPrim);
  virtual int CreatePrims(int prims);
  virtual int CreateVertices(int vertices);

  // Points indices of later duplicates (byte-equal vertices) at the first
  // one; returns the number of indices rewritten.
  virtual int Weld();

  // Colour channels 0..1 packed as 0xAARRGGBB: <= 0 gives 0, >= 1 gives 255,
  // otherwise (int)(f x 255 + 0.5). Not-a-number gives 0.
  static uint32_t PackColour(float r, float g, float b, float a);

  uint32_t GetStride() const { return stride_; }
  bool IsDirty() const { return dirty_; }
  const std::vector<uint8_t>& GetVertexBytes() const { return vertices_; }
  const std::vector<uint16_t>& GetIndices() const { return indices_; }
  const std::vector<int32_t>& GetPrimStarts() const { return primStart_; }
  SVec3 GetVertexPos(int i) const;
  uint32_t GetVertexColour(int i) const;
  SVec2 GetVertexUV(int i) const;
  SVec3 GetVertexNormal(int i) const;
  plat::VertexBuffer* GetVertexBuffer() const { return vb_; }
  plat::IndexBuffer* GetIndexBuffer() const { return ib_; }

 protected:
  // The primitive-colour members shared by the colour-per-primitive classes
  // (and the game's own classes on other formats).
  // Fixed primitives: the colour goes into every vertex of the current
  // primitive. Strips: it becomes the primitive colour and recolours the
  // current strip when that is already closed.
  void SetPrimitiveColour(uint32_t packed);
  // Writes the primitive colour into the open strip's vertices, then closes it.
  void EndStripFill();

  uint32_t primColour_ = 0xFFFFFFFFu;  // white until set

 private:
  uint8_t* CursorVertex();
  void WriteColourRange(int from, int to, uint32_t packed);
  void ResetCounts();
  bool EnsureDeviceBuffers(bool* created);
  void ReleaseBuffers();

  uint32_t fvf_;
  uint32_t stride_;
  int normalOffset_;  // -1 without
  int colourOffset_;
  int uvOffset_;      // -1 without

  int primCapacity_ = 0;
  int vertexCapacity_ = 0;
  int activeCount_ = 0;
  int vertsPerPrim_ = 0;
  int curPrim_ = 0;
  int curVertex_ = 0;
  std::vector<int32_t> primStart_;
  plat::VertexBuffer* vb_ = nullptr;
  plat::IndexBuffer* ib_ = nullptr;
  uint64_t bufferDevice_ = 0;  // serial of the device the buffers belong to
  std::vector<uint8_t> vertices_;
  std::vector<uint16_t> indices_;
  bool dirty_ = false;
};

// Quads of four vertices (corners in strip order), colour per vertex.
class SGpObj_PrimQuad : public SGpObj_Prim {
 public:
  explicit SGpObj_PrimQuad(uint32_t fvf = plat::kFvfPosColourTex) : SGpObj_Prim(fvf) {}
  int GetVertsPerPrim() const override { return 4; }
  int CreatePrims(int prims) override { return CreateBuffers(prims, 4); }
};

// Strips with one colour per strip.
class SGpObj_PrimFill : public SGpObj_Prim {
 public:
  explicit SGpObj_PrimFill(uint32_t fvf = plat::kFvfPosColourTex) : SGpObj_Prim(fvf) {}
  void EndStrip() override { EndStripFill(); }
  void SetColour(const float* rgba) override;
  void SetColour(float r, float g, float b, float a) override;
};

// Quads with one colour per quad.
class SGpObj_PrimQuadFill : public SGpObj_Prim {
 public:
  explicit SGpObj_PrimQuadFill(uint32_t fvf = plat::kFvfPosColourTex) : SGpObj_Prim(fvf) {}
  int GetVertsPerPrim() const override { return 4; }
  int CreatePrims(int prims) override { return CreateBuffers(prims, 4); }
  void EndStrip() override { EndStripFill(); }
  void SetColour(const float* rgba) override;
  void SetColour(float r, float g, float b, float a) override;
  uint32_t GetPrimColour() const { return primColour_; }
};
