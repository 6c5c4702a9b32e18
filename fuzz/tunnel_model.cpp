// libFuzzer entry point for the tunnel model (".tnl"): the parser, then the
// build of the parts that loading runs on what it parsed, within one budget
// of 1 MB: what they make never takes more than they charged. Every record
// the parser keeps can be drawn; every part is a group with a strip, in
// group order, its primitives in ascending texture order below K; the build
// visits each group once and each record twice.
#include <cstddef>
#include <cstdint>

#include "fuzz/load_bytes.h"
#include "game/stage/TnlRsc.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  LoadBudget budget(uint64_t(1) << 20);
  TunnelMesh mesh;
  TnlRsc tnl;
  fuzzsupport::LoadBytes::Begin();
  const bool parsed = ParseTunnelFile(data, size, &mesh, &budget);
  const bool built = parsed && tnl.Build(mesh, &budget);
  if (fuzzsupport::LoadBytes::End() > budget.Used() + fuzzsupport::LoadBytes::kSlack) __builtin_trap();
  if (!built) return 0;
  uint64_t records = 0, drawn = 0;
  for (const auto& group : mesh.groups) {
    records += group.size();
    drawn += group.empty() ? 0 : 1;
    for (const TunnelRecord& r : group)
      if (r.texture >= mesh.textureCount || r.vertices.size() < 3) __builtin_trap();
  }
  if (tnl.Parts().size() > drawn || tnl.BuildSteps() > mesh.groups.size() + 2 * records) __builtin_trap();
  for (size_t p = 0; p < tnl.Parts().size(); ++p) {
    const TunnelPart& part = tnl.Parts()[p];
    if (part.group >= mesh.groups.size() || mesh.groups[part.group].empty() || part.prims.empty() ||
        (p > 0 && tnl.Parts()[p - 1].group >= part.group))
      __builtin_trap();
    for (size_t i = 0; i < part.prims.size(); ++i) {
      const uint32_t tex = part.prims[i]->texture;
      if (tex >= mesh.textureCount || (i > 0 && part.prims[i - 1]->texture >= tex)) __builtin_trap();
    }
  }
  return 0;
}
