#include "game/effect/EfxProcG.h"

EfxProcG::EfxProcG(const SVec4* pos, int32_t type, float scale, const SMatrix* orientation)
    : type_(type), scale_(scale), pos_(*pos), orient_(orientation != nullptr ? *orientation : kIdentityMatrix),
      hasOrientation_(orientation != nullptr) {
  orient_.m[3][0] = orient_.m[3][1] = orient_.m[3][2] = 0.0f;
}

int32_t EfxProcG::Init(SProcArg) { return 0; }

int32_t EfxProcG::Main(SProcArg) { return 0; }
