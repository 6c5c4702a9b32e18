// libFuzzer entry point for the tunnel model (".tnl") parser: every record
// it keeps can be drawn.
#include <cstddef>
#include <cstdint>

#include "game/stage/TnlRsc.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  TunnelMesh mesh;
  if (!ParseTunnelFile(data, size, &mesh)) return 0;
  for (const auto& group : mesh.groups)
    for (const TunnelRecord& r : group)
      if (r.texture >= mesh.textureCount || r.vertices.size() < 3) __builtin_trap();
  return 0;
}
