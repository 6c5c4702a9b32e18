// libFuzzer entry point for the tunnel model (".tnl"): the parser, then the
// build of the parts that loading runs on what it parsed (where a load's
// time goes), so that the fuzzer's time and memory limits catch a build
// whose cost outgrows its file. Every record the parser keeps can be drawn;
// every part's primitives stand in ascending texture order below K.
#include <cstddef>
#include <cstdint>

#include "game/stage/TnlRsc.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  TunnelMesh mesh;
  if (!ParseTunnelFile(data, size, &mesh)) return 0;
  uint64_t records = 0;
  for (const auto& group : mesh.groups) {
    records += group.size();
    for (const TunnelRecord& r : group)
      if (r.texture >= mesh.textureCount || r.vertices.size() < 3) __builtin_trap();
  }
  TnlRsc tnl;
  tnl.Build(mesh);
  if (tnl.Parts().size() != mesh.groups.size() || tnl.BuildSteps() > mesh.groups.size() + 2 * records)
    __builtin_trap();
  for (const TunnelPart& part : tnl.Parts()) {
    for (size_t i = 0; i < part.prims.size(); ++i) {
      const uint32_t tex = part.prims[i]->texture;
      if (tex >= mesh.textureCount || (i > 0 && part.prims[i - 1]->texture >= tex)) __builtin_trap();
    }
  }
  return 0;
}
