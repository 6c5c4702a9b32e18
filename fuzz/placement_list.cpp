// libFuzzer entry point for the object placement (".opl") parser.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "game/stage/ObjRsc.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::vector<PlacedObject> objects;
  if (ParsePlacementList(data, size, &objects) && 8 + objects.size() * 28 > size) __builtin_trap();
  for (const PlacedObject& o : objects)
    if (o.visible != 0) __builtin_trap();
  return 0;
}
