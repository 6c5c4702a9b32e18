#include "game/stage/RailCamera.h"

#include "game/core/GameMath.h"

void RailCamera::SetProjection(float f, float a, float zn, float zf) {
  fov = f, aspect = a, zNear = zn, zFar = zf;
  MatrixPerspective(&projection, f, a, zn, zf);
}

const SMatrix& RailCamera::BuildView() {
  const SVec3 eye{matrix.m[3][0], matrix.m[3][1], matrix.m[3][2]};
  const SVec3 at{eye.x + matrix.m[2][0] * 100000.0f, eye.y + matrix.m[2][1] * 100000.0f,
                 eye.z + matrix.m[2][2] * 100000.0f};
  const SVec3 up{matrix.m[1][0], matrix.m[1][1], matrix.m[1][2]};
  MatrixFromTransform(&view, &eye, &at, &up);
  return view;
}
