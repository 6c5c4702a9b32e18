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

#include "game/stage/StageRsc.h"
#include "vrax/graphic/SGpObj_Prim.h"

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
// fails the whole file.
struct TunnelMesh {
  uint32_t textureCount = 0;
  std::vector<std::vector<TunnelRecord>> groups;
};

bool ParseTunnelFile(const uint8_t* data, size_t size, TunnelMesh* mesh);

// The part's vertices that use one texture, as one drawable primitive.
struct TunnelPrim {
  uint32_t texture = 0;
  SGpObj_Prim prim;
};

struct TunnelPart {
  uint32_t visible = 0;        // toggled by visibility steps; 0 after loading
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
  // MapMng's tunnel triangle counter.
  void DrawTunnel();

  // One part per group of the parsed mesh, in group order (what loading
  // does once the file is parsed). The work grows with the mesh's groups
  // and records alone: a part visits only the textures its records use.
  void Build(const TunnelMesh& mesh);
  // Group and record visits of the last build (each group once, each of its
  // records twice): the bound a damaged file's load is held to.
  uint64_t BuildSteps() const { return buildSteps_; }

  std::vector<TunnelPart>& Parts() { return parts_; }
  const std::vector<TunnelPart>& Parts() const { return parts_; }

  // 1 after opening; MapMng's Show command writes it.
  int32_t enable = 1;

 protected:
  int32_t Init(SProcArg arg) override;
  int32_t Draw(SProcArg arg) override;
  bool Parse(const uint8_t* data, size_t size) override;
  void Release() override;

 private:
  int32_t cursor_ = 0;
  uint64_t buildSteps_ = 0;
  std::vector<TunnelPart> parts_;
  // One list per texture, filled and emptied within a draw.
  std::vector<std::vector<TunnelPrim*>> drawLists_;
};
