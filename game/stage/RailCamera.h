#pragma once
// MapMng's camera: a CameraTransform (rows X axis, Y axis, Z axis,
// position) with the view matrix it builds and a perspective projection.
// The view looks from the position along the Z axis (forward) to a point
// 100000 units ahead, the Y axis up.
#include "game/core/CameraTransform.h"
#include "vrax/graphic/SMath.h"

class RailCamera : public CameraTransform {
 public:
  // Projection: vertical field of view (radians), aspect, near, far.
  void SetProjection(float fov, float aspect, float zNear, float zFar);
  // Rebuilds the view matrix from the transform and returns it.
  const SMatrix& BuildView();
  // The forward (Z) axis.
  SVec3 GetViewDirection() const { return SVec3{matrix.m[2][0], matrix.m[2][1], matrix.m[2][2]}; }

  SMatrix view = kIdentityMatrix;
  SMatrix projection = kIdentityMatrix;
  float fov = 0.0f, aspect = 1.0f, zNear = 1.0f, zFar = 1.0f;
};
