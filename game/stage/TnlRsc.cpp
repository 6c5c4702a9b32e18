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
// What a tunnel primitive keeps per vertex: 24 bytes of position, colour
// and texture coordinates and 6 of strip indices, here and on the device.
constexpr uint64_t kPrimBytesPerVertex = 2 * (24 + 6);

}  // namespace

bool ParseTunnelFile(const uint8_t* data, size_t size, TunnelMesh* mesh, LoadBudget* budget) {
  *mesh = TunnelMesh{};
  LoadBudget own;
  LoadBudget& b = budget != nullptr ? *budget : own;
  ByteReader r(data, size);
  uint32_t k = 0, t = 0, g = 0;
  if (size < kHeaderBytes || !r.Seek(kTextureCountAt) || !r.U32(&k)) return false;
  // Block S follows the header and the K texture records.
  const uint64_t s = kHeaderBytes + uint64_t(k) * kTextureRecordBytes;
  if (s + 0x10 > size || !r.Seek(size_t(s) + 0x0C) || !r.U32(&t)) return false;
  const uint64_t m = s + (uint64_t(t) + 2) * 16;
  if (m + 0x20 > size || !r.Seek(size_t(m) + 0x0C) || !r.U32(&g) || !r.Seek(size_t(m) + 0x20)) return false;
  if (g > r.left() / 4 || !ChargeBlock(b, g, sizeof(std::vector<TunnelRecord>))) return false;
  mesh->textureCount = k;
  mesh->groups.resize(g);
  bool fits = true;
  for (std::vector<TunnelRecord>& group : mesh->groups) {
    uint32_t n = 0;
    if (!r.Count(&n, 12)) break;
    if (!(fits = ChargeBlock(b, n, sizeof(TunnelRecord)))) break;
    group.reserve(n);
    for (uint32_t i = 0; i < n && fits; ++i) {
      TunnelRecord rec;
      uint32_t count = 0;
      if (!r.U32(&rec.texture) || !r.Skip(4) || !r.Count(&count, kVertexBytes)) break;
      if (!(fits = ChargeBlock(b, count, sizeof(TunnelVertex)))) break;
      rec.vertices.resize(count);
      for (TunnelVertex& v : rec.vertices) r.Floats(&v.x, 8);
      // A strip needs three vertices; a texture must be in the image.
      if (r.ok() && rec.texture < k && count >= 3) group.push_back(std::move(rec));
    }
    if (!r.ok() || !fits) break;
  }
  if (!r.ok() || !fits) {
    *mesh = TunnelMesh{};
    return false;
  }
  return true;
}

SRsc* TnlRsc::Create() { return new (std::nothrow) TnlRsc(); }

TnlRsc::~TnlRsc() { Release(); }

int32_t TnlRsc::Init(SProcArg arg) {
  cursor_.Set(0);
  enable = 1;
  return StageRsc::Init(arg);
}

bool TnlRsc::Parse(const uint8_t* data, size_t size) {
  TunnelMesh mesh;
  return ParseTunnelFile(data, size, &mesh, &Budget()) && Build(mesh, &Budget());
}

bool TnlRsc::Build(const TunnelMesh& mesh, LoadBudget* budget) {
  Release();
  buildSteps_ = 0;
  LoadBudget own;
  LoadBudget& b = budget != nullptr ? *budget : own;
  // The tables sized by the file: a draw list per texture, a part per group
  // with records (and its visible flag), the part of each group, and the
  // order of the longest group's records.
  size_t live = 0, longest = 0;
  for (const std::vector<TunnelRecord>& records : mesh.groups) {
    live += records.empty() ? 0 : 1;
    longest = std::max(longest, records.size());
  }
  if (!ChargeBlock(b, mesh.textureCount, sizeof(std::vector<TunnelPrim*>)) ||
      !ChargeBlock(b, live, sizeof(TunnelPart)) || !ChargeBlock(b, mesh.groups.size(), sizeof(int32_t)) ||
      !ChargeBlock(b, longest, sizeof(uint32_t)) || !b.Charge(VisibleSet::BytesFor(live) + 2 * kHeapBlockOverhead))
    return false;
  drawLists_.resize(mesh.textureCount);
  partOf_.assign(mesh.groups.size(), -1);
  parts_.reserve(live);
  std::vector<uint32_t> order;
  order.reserve(longest);
  for (size_t p = 0; p < mesh.groups.size(); ++p) {
    const std::vector<TunnelRecord>& records = mesh.groups[p];
    ++buildSteps_;
    TunnelPart part;
    part.group = uint32_t(p);
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
      // The primitive, its place in the part and in its texture's draw
      // list (with the draw's list of textures), its vertices and indices
      // (here and on the device) and the start of each strip; lists grown
      // by doubling three times over (what they hold while they grow).
      if (!b.Charge(sizeof(TunnelPrim) + 3 * (2 * sizeof(TunnelPrim*) + sizeof(uint32_t)) + 6 * kHeapBlockOverhead) ||
          !b.Charge(uint64_t(capacity), kPrimBytesPerVertex) || !b.Charge(end - begin, 3 * sizeof(int32_t))) {
        Release();
        return false;
      }
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
    if (part.prims.empty()) continue;
    partOf_[p] = int32_t(parts_.size());
    parts_.push_back(std::move(part));
  }
  visible_.Reset(parts_.size());
  return true;
}

void TnlRsc::Release() {
  parts_.clear();
  partOf_.clear();
  visible_.Reset(0);
  drawLists_.clear();
  drawn_.clear();
}

void TnlRsc::ToggleGroup(uint32_t g) {
  if (g < partOf_.size() && partOf_[g] >= 0) visible_.Toggle(size_t(partOf_[g]));
}

void TnlRsc::ApplyVisibility(int32_t path, int32_t key) {
  cursor_.Set(0);
  visible_.ClearAll();
  const ObjOvlRsc* list = g_MapMng.GetTunnelVisibility(path);
  if (list == nullptr) return;
  VisibilityRecompute(list->Steps(), key, &cursor_, [this](uint32_t g) { ToggleGroup(g); });
}

void TnlRsc::StepVisibility(int32_t path, int32_t key) {
  if (GetStep() < 2) return;
  const ObjOvlRsc* list = g_MapMng.GetTunnelVisibility(path);
  if (list == nullptr) return;
  VisibilityAdvance(list->Steps(), key, &cursor_, [this](uint32_t g) { ToggleGroup(g); });
}

void TnlRsc::DrawTunnel() {
  SRsc_Image* image = g_MapMng.GetTunnelImage();
  if (enable == 0 || GetStep() < 2 || image == nullptr) return;
  g_MapMng.tunnelTriangles = 0;
  WorldPresets[1].Enter(kDrawKey);
  visible_.ForEach([this](size_t p) {
    const TunnelPart& part = parts_[p];
    for (const std::unique_ptr<TunnelPrim>& prim : part.prims) {
      std::vector<TunnelPrim*>& list = drawLists_[prim->texture];
      if (list.empty()) drawn_.push_back(prim->texture);
      list.push_back(prim.get());
    }
    g_MapMng.tunnelTriangles += int32_t(part.triangleCount);
  });
  drawSteps_ = visible_.WalkSteps() + drawn_.size();
  // The textures in ascending order, each list once.
  std::sort(drawn_.begin(), drawn_.end());
  for (uint32_t tex : drawn_) {
    std::vector<TunnelPrim*>& list = drawLists_[tex];
    image->GetTexturePacket(int32_t(tex))->Enter(kDrawKey);
    for (TunnelPrim* p : list) p->prim.Enter(kDrawKey);
    list.clear();
  }
  drawn_.clear();
}

int32_t TnlRsc::Draw(SProcArg) {
  DrawTunnel();
  return 0;
}
