#include "vrax/graphic/SGpObj_Prim.h"

#include <algorithm>
#include <cstring>
#include <new>

#include "vrax/graphic/SGpMan.h"
#include "vrax/graphic/SGpVtxList.h"
#include "vrax/io/SysUtil.h"

namespace {

const char kSource[] = "Vrax/Graphic/SGpObj_Prim";

}  // namespace

SGpObj_Prim::SGpObj_Prim(uint32_t fvf) : fvf_(fvf) {
  switch (fvf) {
    case plat::kFvfPosColour:
      stride_ = 16, normalOffset_ = -1, colourOffset_ = 12, uvOffset_ = -1;
      break;
    case plat::kFvfPosNormalColour:
      stride_ = 28, normalOffset_ = 12, colourOffset_ = 24, uvOffset_ = -1;
      break;
    case plat::kFvfPosNormalColourTex:
      stride_ = 36, normalOffset_ = 12, colourOffset_ = 24, uvOffset_ = 28;
      break;
    default:
      fvf_ = plat::kFvfPosColourTex;
      stride_ = 24, normalOffset_ = -1, colourOffset_ = 12, uvOffset_ = 16;
      break;
  }
}

SGpObj_Prim::~SGpObj_Prim() { ReleaseBuffers(); }

void SGpObj_Prim::ReleaseBuffers() {
  if (vb_ != nullptr) GetVtxList().Release(vb_);
  if (ib_ != nullptr) GetVtxListB().Release(ib_);
  vb_ = nullptr;
  ib_ = nullptr;
}

uint32_t SGpObj_Prim::PackColour(float r, float g, float b, float a) { return plat::PackColour(r, g, b, a); }

// ------------------------------------------------------------------ allocation

void SGpObj_Prim::ResetCounts() {
  // A failed allocation leaves no storage behind, so no count may promise any.
  ReleaseBuffers();
  vertices_.clear();
  indices_.clear();
  primStart_.clear();
  primCapacity_ = vertexCapacity_ = activeCount_ = 0;
  curPrim_ = curVertex_ = 0;
  dirty_ = false;
}

int SGpObj_Prim::Alloc(int prims, int vertsPerPrim) {
  if (prims == 0) return AllocVertices(vertsPerPrim);
  if (CreateBuffers(prims, vertsPerPrim) < 0) {
    FatalError("%s(%d) : %s\n", kSource, 48, "primitive allocation error\n");
    ResetCounts();
    return -1;
  }
  primCapacity_ = activeCount_ = prims;
  vertexCapacity_ = prims * vertsPerPrim;
  vertsPerPrim_ = vertsPerPrim;
  curPrim_ = curVertex_ = 0;
  return 0;
}

int SGpObj_Prim::AllocPrims(int prims) {
  if (CreatePrims(prims) < 0) {
    FatalError("%s(%d) : %s\n", kSource, 28, "primitive allocation error\n");
    ResetCounts();
    return -1;
  }
  primCapacity_ = activeCount_ = prims;
  vertexCapacity_ = prims * GetVertsPerPrim();
  vertsPerPrim_ = 0;
  curPrim_ = curVertex_ = 0;
  return 0;
}

int SGpObj_Prim::AllocVertices(int vertices) {
  if (CreateVertices(vertices) < 0) {
    FatalError("%s(%d) : %s\n", kSource, 66, "vertex allocation error\n");
    ResetCounts();
    return -1;
  }
  primCapacity_ = 0;
  vertexCapacity_ = vertices;
  activeCount_ = vertsPerPrim_ = curPrim_ = curVertex_ = 0;
  if (primStart_.empty()) primStart_.push_back(0);
  return 0;
}

int SGpObj_Prim::CreatePrims(int) { return -1; }

int SGpObj_Prim::CreateVertices(int vertices) { return CreateBuffers(0, vertices); }

int SGpObj_Prim::CreateBuffers(int prims, int vertsPerPrim) {
  const bool strips = prims == 0;
  if (strips) prims = 1;
  if (prims < 0 || vertsPerPrim < 0) return -1;
  const int64_t nV = int64_t(prims) * vertsPerPrim;
  if (nV > kMaxVertices) return -1;  // 16-bit indices cannot reach further
  const int64_t nI = std::max<int64_t>(0, int64_t(vertsPerPrim - 2) * prims * 3);
  const size_t vBytes = static_cast<size_t>(nV) * stride_;
  const size_t iBytes = static_cast<size_t>(nI) * 2;
  try {
    vertices_.resize(vBytes);
    indices_.assign(static_cast<size_t>(nI), 0);
  } catch (const std::bad_alloc&) {
    return -1;
  }
  // Device buffers that are large enough stay; smaller ones are made anew.
  if (vb_ != nullptr && vb_->Size() < vBytes) {
    GetVtxList().Release(vb_);
    vb_ = nullptr;
  }
  if (ib_ != nullptr && ib_->Size() < iBytes) {
    GetVtxListB().Release(ib_);
    ib_ = nullptr;
  }
  bool created = false;
  if (!EnsureDeviceBuffers(&created)) return -1;
  if (!strips) {
    size_t w = 0;
    for (int p = 0; p < prims; ++p) {
      const int b = p * vertsPerPrim;
      for (int k = 0; k + 2 < vertsPerPrim; ++k) {
        indices_[w++] = static_cast<uint16_t>(b + k);
        indices_[w++] = static_cast<uint16_t>(b + k + 1);
        indices_[w++] = static_cast<uint16_t>(b + k + 2);
      }
    }
  }
  // Fresh device buffers hold nothing yet: the next draw uploads.
  dirty_ = created;
  return 0;
}

bool SGpObj_Prim::EnsureDeviceBuffers(bool* created) {
  plat::GfxDevice* dev = SGpMan::GetDevice();
  // Without a device the system copies are all there is: such a primitive
  // draws nothing until it is allocated again on a device.
  if (dev == nullptr) return true;
  // Buffers of an earlier device (a primitive that outlives its device, as
  // a global object does when a second program starts in one process) are
  // let go: that device has cut them off, so they would draw nothing.
  if ((vb_ != nullptr || ib_ != nullptr) && bufferDevice_ != dev->Serial()) ReleaseBuffers();
  bufferDevice_ = dev->Serial();
  const uint32_t vBytes = static_cast<uint32_t>(vertices_.size());
  const uint32_t iBytes = static_cast<uint32_t>(indices_.size() * 2);
  if (vb_ == nullptr && vBytes > 0) {
    vb_ = GetVtxList().Create(dev, vBytes, fvf_);
    if (vb_ == nullptr) return false;
    *created = true;
  }
  if (ib_ == nullptr && iBytes > 0) {
    ib_ = GetVtxListB().Create(dev, iBytes);
    if (ib_ == nullptr) return false;
    *created = true;
  }
  return true;
}

// ------------------------------------------------------------------ cursor

int SGpObj_Prim::GetCurPrim() const {
  const int n = GetVertsPerPrim();
  return n == 0 ? curPrim_ : curVertex_ / n;
}

int SGpObj_Prim::GetPrimStart(int p) const {
  const int n = GetVertsPerPrim();
  if (n != 0) return p * n;
  // Strips: a strip number beyond the closed ones reads the end of the last.
  if (primStart_.empty() || p < 0) return 0;
  if (static_cast<size_t>(p) >= primStart_.size()) return primStart_.back();
  return primStart_[static_cast<size_t>(p)];
}

void SGpObj_Prim::Seek(int prim, int vertex) {
  curPrim_ = prim;
  curVertex_ = GetPrimStart(prim) + vertex;
}

void SGpObj_Prim::SeekVertex(int vertex) {
  curVertex_ = vertex;
  if (GetVertsPerPrim() == 0) {
    size_t i = 1;
    while (i < primStart_.size() && primStart_[i] <= vertex) ++i;
    curPrim_ = static_cast<int>(i - 1);
  }
}

void SGpObj_Prim::Next() { ++curVertex_; }
void SGpObj_Prim::Prev() { --curVertex_; }

void SGpObj_Prim::EndStrip() {
  if (GetVertsPerPrim() != 0) {
    dirty_ = true;
    return;
  }
  // A strip number out of any sensible range (a seek far off) closes nothing.
  if (curPrim_ < 0 || curPrim_ >= kMaxVertices) {
    dirty_ = true;
    return;
  }
  ++curPrim_;
  const size_t cp = static_cast<size_t>(curPrim_);
  if (primStart_.size() <= cp) {
    if (primStart_.capacity() < 2 * cp) primStart_.reserve(2 * cp);
    primStart_.resize(cp + 1, 0);
  }
  primStart_[cp] = curVertex_;
  activeCount_ = curPrim_;
  const int p = curPrim_ - 1;
  const int s = primStart_[static_cast<size_t>(p)];
  // Triangles only over vertices that exist.
  const int e = std::min(curVertex_, std::min(vertexCapacity_, int(vertices_.size() / stride_)));
  const int64_t base = 3 * (int64_t(s) - 2 * int64_t(p));
  for (int k = 0; s + k + 2 < e; ++k) {
    const int64_t pos = base + 3 * int64_t(k);
    if (pos < 0) continue;
    if (pos + 3 > static_cast<int64_t>(indices_.size())) break;
    indices_[static_cast<size_t>(pos)] = static_cast<uint16_t>(s + k);
    indices_[static_cast<size_t>(pos + 1)] = static_cast<uint16_t>(s + k + 1);
    indices_[static_cast<size_t>(pos + 2)] = static_cast<uint16_t>(s + k + 2);
  }
  dirty_ = true;
}

// ------------------------------------------------------------------ setters

uint8_t* SGpObj_Prim::CursorVertex() {
  if (curVertex_ < 0 || curVertex_ >= vertexCapacity_) return nullptr;
  const size_t off = static_cast<size_t>(curVertex_) * stride_;
  if (off + stride_ > vertices_.size()) return nullptr;
  return vertices_.data() + off;
}

void SGpObj_Prim::SetPos(const SVec3& p) { SetPos(p.x, p.y, p.z); }

void SGpObj_Prim::SetPos(float x, float y, float z) {
  uint8_t* v = CursorVertex();
  if (v == nullptr) return;
  const float f[3] = {x, y, z};
  std::memcpy(v, f, sizeof f);
  dirty_ = true;
}

void SGpObj_Prim::SetNormal(const SVec3& n) { SetNormal(n.x, n.y, n.z); }

void SGpObj_Prim::SetNormal(float x, float y, float z) {
  if (normalOffset_ < 0) return;
  uint8_t* v = CursorVertex();
  if (v == nullptr) return;
  const float f[3] = {x, y, z};
  std::memcpy(v + normalOffset_, f, sizeof f);
  dirty_ = true;
}

void SGpObj_Prim::SetUV(const SVec2& uv) { SetUV(uv.x, uv.y); }

void SGpObj_Prim::SetUV(float u, float v) {
  if (uvOffset_ < 0) return;
  uint8_t* p = CursorVertex();
  if (p == nullptr) return;
  const float f[2] = {u, v};
  std::memcpy(p + uvOffset_, f, sizeof f);
  dirty_ = true;
}

void SGpObj_Prim::SetColour(const float* rgba) { SetColour(rgba[0], rgba[1], rgba[2], rgba[3]); }

void SGpObj_Prim::SetColour(float r, float g, float b, float a) {
  uint8_t* v = CursorVertex();
  if (v == nullptr) return;
  const uint32_t c = PackColour(r, g, b, a);
  std::memcpy(v + colourOffset_, &c, 4);
  dirty_ = true;
}

void SGpObj_Prim::WriteColourRange(int from, int to, uint32_t packed) {
  from = std::max(from, 0);
  to = std::min(to, std::min(vertexCapacity_, int(vertices_.size() / stride_)));
  for (int i = from; i < to; ++i)
    std::memcpy(vertices_.data() + size_t(i) * stride_ + colourOffset_, &packed, 4);
}

void SGpObj_Prim::SetPrimitiveColour(uint32_t packed) {
  const int n = GetVertsPerPrim();
  if (n != 0) {
    const int first = GetCurPrim() * n;
    WriteColourRange(first, first + n, packed);
  } else {
    primColour_ = packed;
    const int cp = GetCurPrim();
    if (cp < GetActiveCount()) WriteColourRange(GetPrimStart(cp), GetPrimStart(cp + 1), packed);
  }
  dirty_ = true;
}

void SGpObj_Prim::EndStripFill() {
  WriteColourRange(GetPrimStart(GetCurPrim()), GetCurVertex(), primColour_);
  SGpObj_Prim::EndStrip();
}

void SGpObj_PrimFill::SetColour(const float* rgba) { SetColour(rgba[0], rgba[1], rgba[2], rgba[3]); }
void SGpObj_PrimFill::SetColour(float r, float g, float b, float a) {
  SetPrimitiveColour(PackColour(r, g, b, a));
}
void SGpObj_PrimQuadFill::SetColour(const float* rgba) { SetColour(rgba[0], rgba[1], rgba[2], rgba[3]); }
void SGpObj_PrimQuadFill::SetColour(float r, float g, float b, float a) {
  SetPrimitiveColour(PackColour(r, g, b, a));
}

// ------------------------------------------------------------------ reading back

SVec3 SGpObj_Prim::GetVertexPos(int i) const {
  SVec3 p{0, 0, 0};
  if (i >= 0 && size_t(i + 1) * stride_ <= vertices_.size())
    std::memcpy(&p, vertices_.data() + size_t(i) * stride_, sizeof p);
  return p;
}

uint32_t SGpObj_Prim::GetVertexColour(int i) const {
  uint32_t c = 0;
  if (i >= 0 && size_t(i + 1) * stride_ <= vertices_.size())
    std::memcpy(&c, vertices_.data() + size_t(i) * stride_ + colourOffset_, 4);
  return c;
}

SVec2 SGpObj_Prim::GetVertexUV(int i) const {
  SVec2 uv{0, 0};
  if (uvOffset_ >= 0 && i >= 0 && size_t(i + 1) * stride_ <= vertices_.size())
    std::memcpy(&uv, vertices_.data() + size_t(i) * stride_ + uvOffset_, sizeof uv);
  return uv;
}

SVec3 SGpObj_Prim::GetVertexNormal(int i) const {
  SVec3 n{0, 0, 0};
  if (normalOffset_ >= 0 && i >= 0 && size_t(i + 1) * stride_ <= vertices_.size())
    std::memcpy(&n, vertices_.data() + size_t(i) * stride_ + normalOffset_, sizeof n);
  return n;
}

// ------------------------------------------------------------------ weld, draw

int SGpObj_Prim::Weld() {
  const int active = GetActiveCount();
  int V = std::min(GetPrimStart(active), int(vertices_.size() / stride_));
  if (V <= 1) return 0;
  int64_t count = 3 * (int64_t(GetPrimStart(active)) - 2 * int64_t(active));
  count = std::clamp<int64_t>(count, 0, int64_t(indices_.size()));
  int rewritten = 0;
  for (int i = 0; i < V; ++i) {
    const uint8_t* vi = vertices_.data() + size_t(i) * stride_;
    for (int j = i + 1; j < V; ++j) {
      if (std::memcmp(vi, vertices_.data() + size_t(j) * stride_, stride_) != 0) continue;
      for (int64_t k = 0; k < count; ++k) {
        if (indices_[size_t(k)] == j) {
          indices_[size_t(k)] = static_cast<uint16_t>(i);
          ++rewritten;
        }
      }
    }
  }
  if (rewritten > 0) dirty_ = true;
  return rewritten;
}

void SGpObj_Prim::Execute() {
  if (SGpMan::IsPresentSkipped()) return;
  plat::GfxDevice* dev = SGpMan::GetDevice();
  int active = GetActiveCount();
  if (dev == nullptr || active <= 0) return;
  const int n = GetVertsPerPrim();
  // Never draw more than was allocated.
  if (n != 0) {
    active = std::min(active, vertexCapacity_ / n);
  } else {
    active = std::min(active, std::max(0, int(primStart_.size()) - 1));
  }
  if (active <= 0) return;
  const int64_t V = std::min<int64_t>(GetPrimStart(active), int64_t(vertices_.size() / stride_));
  int64_t T = n != 0 ? int64_t(n - 2) * active : int64_t(GetPrimStart(active)) - 2 * int64_t(active);
  T = std::min<int64_t>(T, int64_t(indices_.size() / 3));
  if (V <= 0 || T <= 0) return;
  // Without both device buffers nothing is drawn. Buffers of an earlier
  // device count as missing: that device has ended.
  if (vb_ == nullptr || ib_ == nullptr || bufferDevice_ != dev->Serial()) return;
  // A textured primitive whose texture is not there draws nothing, rather
  // than the picture bound before it.
  const bool textured = uvOffset_ >= 0;
  if (textured && SGpMan::TextureMissing()) return;
  const uint32_t op = textured ? plat::kTopModulate : plat::kTopSelectArg1;
  dev->SetTextureStageState(0, plat::kTssColourOp, op);
  dev->SetTextureStageState(0, plat::kTssAlphaOp, SGpMan::GetBlendMode() == 0 ? plat::kTopDisable : op);
  dev->SetRenderState(plat::kRsLighting, normalOffset_ >= 0 ? 1 : 0);
  dev->SetRenderState(plat::kRsCullMode, plat::kCullNone);
  dev->SetStreamSource(vb_, stride_);
  dev->SetIndices(ib_, 0);
  dev->SetVertexShader(fvf_);

  if (dirty_) {
    void* p = nullptr;
    if (vb_->Lock(0, uint32_t(V) * stride_, &p) == plat::kOk) {
      std::memcpy(p, vertices_.data(), size_t(V) * stride_);
      vb_->Unlock();
    }
    if (ib_->Lock(0, uint32_t(T) * 6, &p) == plat::kOk) {
      std::memcpy(p, indices_.data(), size_t(T) * 3 * 2);
      ib_->Unlock();
    }
    dirty_ = false;
  }
  dev->DrawIndexedPrimitive(plat::kPtTriangleList, 0, uint32_t(V), 0, uint32_t(T));
}
