#include "game/stage/TnlRsc.h"

#include <algorithm>
#include <new>
#include <numeric>

#include "game/stage/MapMng.h"
#include "game/stage/ObjOvlRsc.h"
#include "vrax/graphic/SGpState.h"
#include "vrax/io/ByteReader.h"
#include "vrax/resource/SRsc_Image.h"

namespace {

constexpr size_t kHeaderBytes = 0x120;
constexpr size_t kTextureCountAt = 0x10C;
constexpr size_t kTextureRecordBytes = 32;
constexpr size_t kVertexBytes = 32;
constexpr int32_t kDrawKey = 29;

}  // namespace

bool ParseTunnelFile(const uint8_t* data, size_t size, TunnelMesh* mesh) {
  *mesh = TunnelMesh{};
  ByteReader r(data, size);
  uint32_t k = 0, t = 0, g = 0;
  if (size < kHeaderBytes || !r.Seek(kTextureCountAt) || !r.U32(&k)) return false;
  // Block S follows the header and the K texture records.
  const uint64_t s = kHeaderBytes + uint64_t(k) * kTextureRecordBytes;
  if (s + 0x10 > size || !r.Seek(size_t(s) + 0x0C) || !r.U32(&t)) return false;
  const uint64_t m = s + (uint64_t(t) + 2) * 16;
  if (m + 0x20 > size || !r.Seek(size_t(m) + 0x0C) || !r.U32(&g) || !r.Seek(size_t(m) + 0x20)) return false;
  if (g > r.left() / 4) return false;
  mesh->textureCount = k;
  mesh->groups.resize(g);
  for (std::vector<TunnelRecord>& group : mesh->groups) {
    uint32_t n = 0;
    if (!r.Count(&n, 12)) break;
    group.reserve(n);
    for (uint32_t i = 0; i < n; ++i) {
      TunnelRecord rec;
      uint32_t count = 0;
      if (!r.U32(&rec.texture) || !r.Skip(4) || !r.Count(&count, kVertexBytes)) break;
      rec.vertices.resize(count);
      for (TunnelVertex& v : rec.vertices) r.Floats(&v.x, 8);
      // A strip needs three vertices; a texture must be in the image.
      if (r.ok() && rec.texture < k && count >= 3) group.push_back(std::move(rec));
    }
  }
  if (!r.ok()) *mesh = TunnelMesh{};
  return r.ok();
}

SRsc* TnlRsc::Create() { return new (std::nothrow) TnlRsc(); }

TnlRsc::~TnlRsc() { Release(); }

int32_t TnlRsc::Init(SProcArg arg) {
  cursor_ = 0;
  enable = 1;
  return StageRsc::Init(arg);
}

bool TnlRsc::Parse(const uint8_t* data, size_t size) {
  TunnelMesh mesh;
  if (!ParseTunnelFile(data, size, &mesh)) return false;
  Build(mesh);
  return true;
}

void TnlRsc::Build(const TunnelMesh& mesh) {
  Release();
  buildSteps_ = 0;
  drawLists_.resize(mesh.textureCount);
  parts_.resize(mesh.groups.size());
  std::vector<uint32_t> order;
  for (size_t p = 0; p < mesh.groups.size(); ++p) {
    const std::vector<TunnelRecord>& records = mesh.groups[p];
    TunnelPart& part = parts_[p];
    ++buildSteps_;
    // The part's records sorted by texture, file order kept within a
    // texture: each texture the part uses is one run, in ascending order.
    order.resize(records.size());
    std::iota(order.begin(), order.end(), 0u);
    std::stable_sort(order.begin(), order.end(),
                     [&records](uint32_t a, uint32_t b) { return records[a].texture < records[b].texture; });
    for (size_t begin = 0, end = 0; begin < order.size(); begin = end) {
      const uint32_t tex = records[order[begin]].texture;
      int64_t count = 0;
      for (end = begin; end < order.size() && records[order[end]].texture == tex; ++end, ++buildSteps_)
        count += int64_t(records[order[end]].vertices.size());
      // A primitive holds at most kMaxVertices: later records of that
      // texture which would overflow it are left out.
      const int capacity = int(std::min<int64_t>(count, SGpObj_Prim::kMaxVertices));
      auto prim = std::make_unique<TunnelPrim>();
      prim->texture = tex;
      if (prim->prim.AllocVertices(capacity) < 0) continue;
      int used = 0;
      for (size_t i = begin; i < end; ++i, ++buildSteps_) {
        const TunnelRecord& rec = records[order[i]];
        if (used + int(rec.vertices.size()) > capacity) continue;
        for (const TunnelVertex& v : rec.vertices) {
          prim->prim.SetPos(v.x, v.y, v.z);
          prim->prim.SetColour(v.r, v.g, v.b, 1.0f);
          prim->prim.SetUV(v.u, v.v);
          prim->prim.Next();
        }
        prim->prim.EndStrip();
        used += int(rec.vertices.size());
        part.triangleCount += uint32_t(rec.vertices.size() - 2);
      }
      part.prims.push_back(std::move(prim));
    }
    part.visible = 0;
  }
}

void TnlRsc::Release() {
  parts_.clear();
  drawLists_.clear();
}

void TnlRsc::ApplyVisibility(int32_t path, int32_t key) {
  cursor_ = 0;
  for (TunnelPart& p : parts_) p.visible = 0;
  const ObjOvlRsc* list = g_MapMng.GetTunnelVisibility(path);
  if (list == nullptr) return;
  VisibilityRecompute(list->Steps(), key, &cursor_, [this](uint32_t i) {
    if (i < parts_.size()) parts_[i].visible = 1 - parts_[i].visible;
  });
}

void TnlRsc::StepVisibility(int32_t path, int32_t key) {
  if (GetStep() < 2) return;
  const ObjOvlRsc* list = g_MapMng.GetTunnelVisibility(path);
  if (list == nullptr) return;
  VisibilityAdvance(list->Steps(), key, &cursor_, [this](uint32_t i) {
    if (i < parts_.size()) parts_[i].visible = 1 - parts_[i].visible;
  });
}

void TnlRsc::DrawTunnel() {
  SRsc_Image* image = g_MapMng.GetTunnelImage();
  if (enable == 0 || GetStep() < 2 || image == nullptr) return;
  g_MapMng.tunnelTriangles = 0;
  WorldPresets[1].Enter(kDrawKey);
  for (TunnelPart& part : parts_) {
    if (part.visible == 0) continue;
    for (const std::unique_ptr<TunnelPrim>& p : part.prims) drawLists_[p->texture].push_back(p.get());
    g_MapMng.tunnelTriangles += int32_t(part.triangleCount);
  }
  for (size_t tex = 0; tex < drawLists_.size(); ++tex) {
    std::vector<TunnelPrim*>& list = drawLists_[tex];
    if (list.empty()) continue;
    if (SGpState_Texture* packet = image->GetTexturePacket(int32_t(tex))) packet->Enter(kDrawKey);
    for (TunnelPrim* p : list) p->prim.Enter(kDrawKey);
    list.clear();
  }
}

int32_t TnlRsc::Draw(SProcArg) {
  DrawTunnel();
  return 0;
}
