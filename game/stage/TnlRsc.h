#pragma once
// The tunnel model (".tnl"), resource kind 'TNL': the stage's static
// background geometry along the rail, a textured mesh divided into parts
// that visibility lists switch on and off as the rail advances. It reads
// MapMng's tunnel image and tunnel visibility slots.
//
// File layout (little-endian): a 0x120-byte header whose u32 at 0x10C is K,
// the texture count; K texture records of 32 bytes (not read); a block S
// whose u32 at S + 0x0C is T and which spans (T + 2) * 16 bytes; then the
// mesh block M: u32 G, the group count, at M + 0x0C; from M + 0x20, G
// groups, each u32 n and n records: u32 texture index (below K), u32 (not
// read), u32 m, then m vertices of eight f32 (x, y, z, r, g, b, u, v). Each
// record is one strip of m vertices (m - 2 triangles).
#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

#include "game/stage/ObjOvlRsc.h"
#include "game/stage/StageRsc.h"
#include "game/stage/VisibleSet.h"
#include "vrax/graphic/SGpObj_Prim.h"
#include "vrax/io/LoadBudget.h"

struct TunnelVertex {
  float x, y, z, r, g, b, u, v;
};

struct TunnelRecord {
  uint32_t texture = 0;
  std::vector<TunnelVertex> vertices;
};

// The mesh as the file holds it: K and one record list per group. Records
// whose texture index is not below K, or with fewer than 3 vertices, are
// left out (they cannot be drawn); a count or block that runs past the data
// fails the whole file, as does a mesh that would pass the budget (without
// one: a budget of kMaxResourceBytes of its own).
struct TunnelMesh {
  uint32_t textureCount = 0;
  std::vector<std::vector<TunnelRecord>> groups;
};

bool ParseTunnelFile(const uint8_t* data, size_t size, TunnelMesh* mesh, LoadBudget* budget = nullptr);

// The part's vertices that use one texture, as one drawable primitive.
struct TunnelPrim {
  uint32_t texture = 0;
  SGpObj_Prim prim;
};

// A group of the file that has something to draw. Visibility steps name
// parts by their group; a group without a drawable record makes no part
// (showing it would draw nothing), so that a frame's work follows the
// groups that draw, not how many the file lists.
struct TunnelPart {
  uint32_t group = 0;          // the file's group it was built from
  uint32_t triangleCount = 0;  // sum over the part's records of (vertices - 2)
  std::vector<std::unique_ptr<TunnelPrim>> prims;  // ascending texture order
};

class TnlRsc : public StageRsc {
 public:
  TnlRsc() : StageRsc(".tnl", "Game\\TnlRsc", true) {}
  ~TnlRsc() override;
  uint32_t Kind() const override { return RscTag("TNL"); }
  // The kind's factory: a new resource, or null when memory runs out.
  static SRsc* Create();

  // Full recompute on a jump: every part hidden, then the steps of MapMng's
  // tunnel visibility list of the path up to `key` (the rules the object
  // layers follow too).
  void ApplyVisibility(int32_t path, int32_t key);
  // The per-frame visibility step; only once the tunnel is built.
  void StepVisibility(int32_t path, int32_t key);
  // Enters the visible parts at draw key 29, batched by texture in texture
  // order, after the shared world packet; nothing while disabled, not built
  // or without MapMng's tunnel image. Adds the drawn triangles to
  // MapMng's tunnel triangle counter. The work follows the visible parts
  // and the textures they use (DrawSteps).
  void DrawTunnel();

  // One part per group of the parsed mesh that has a drawable record, in
  // group order (what loading does once the file is parsed). The work
  // grows with the mesh's groups and records alone: a part visits only the
  // textures its records use. False, with nothing built, when the parts
  // would pass the budget (without one: a budget of kMaxResourceBytes of
  // its own).
  bool Build(const TunnelMesh& mesh, LoadBudget* budget = nullptr);
  // Group and record visits of the last build (each group once, each of its
  // records twice): the bound a damaged file's load is held to.
  uint64_t BuildSteps() const { return buildSteps_; }
  // Steps of the last draw: the visible parts' walk (VisibleSet::WalkSteps)
  // and one per texture drawn.
  uint64_t DrawSteps() const { return drawSteps_; }

  const std::vector<TunnelPart>& Parts() const { return parts_; }
  // Whether part p, or the part of the file's group g, is shown (false for
  // a group without a part).
  bool PartVisible(size_t p) const { return visible_.Test(p); }
  bool GroupVisible(size_t g) const {
    return g < partOf_.size() && partOf_[g] >= 0 && visible_.Test(size_t(partOf_[g]));
  }

  // 1 after opening; MapMng's Show command writes it.
  int32_t enable = 1;

 protected:
  int32_t Init(SProcArg arg) override;
  int32_t Draw(SProcArg arg) override;
  bool Parse(const uint8_t* data, size_t size) override;
  void Release() override;

 private:
  // Flips the part of the file's group g (nothing for a group without one).
  void ToggleGroup(uint32_t g);

  VisibilityCursor cursor_;
  uint64_t buildSteps_ = 0;
  uint64_t drawSteps_ = 0;
  std::vector<TunnelPart> parts_;
  std::vector<int32_t> partOf_;  // per group of the file: its part, or -1
  VisibleSet visible_;           // per part
  // One list per texture, filled and emptied within a draw, and the
  // textures whose lists a draw filled.
  std::vector<std::vector<TunnelPrim*>> drawLists_;
  std::vector<uint32_t> drawn_;
};
