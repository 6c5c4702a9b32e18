#include "game/effect/EfxGen.h"

EfxGen::EfxGen(uint32_t sheet, const SVec4* origin, uint32_t flags, const EfxSpriteDesc* look, float baseAngle,
               float turn0, float turn1, float speed0, float speed1, float damping, int32_t count, float spread,
               float scaleX, float scaleY, float interval0, float interval1, int32_t emissions, const SVec4* drift,
               int32_t delay)
    : sheet_(sheet), origin_(origin), flags_(flags), look_(look), baseAngle_(baseAngle), turn0_(turn0),
      turn1_(turn1), speed0_(speed0), speed1_(speed1), damping_(damping), count_(count), spread_(spread),
      scaleX_(scaleX), scaleY_(scaleY), interval0_(interval0), interval1_(interval1), emissions_(emissions),
      drift_(drift != nullptr ? *drift : SVec4{0.0f, 1.0f, 0.0f, 1.0f}), delay_(delay) {}

int32_t EfxGen::Init(SProcArg) {
  SetName("EfxGen");
  return 0;
}

int32_t EfxGen::Main(SProcArg) { return 0; }
