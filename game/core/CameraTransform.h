#pragma once
// A matrix object with local moves and rotations: rows X axis, Y axis, Z
// axis and position (x, y, z, w). MapMng's camera is one.
#include "vrax/graphic/SMath.h"

class CameraTransform {
 public:
  CameraTransform() = default;
  virtual ~CameraTransform() = default;

  // Position row = (x, y, z, 1).
  virtual void SetPosition(float x, float y, float z);
  virtual void SetPositionV(const SVec3* p);
  // Keeps the position; the rotation part from the quaternion.
  virtual void SetRotationQuat(const SQuat* q);
  // The quaternion of yaw angles.y, pitch angles.x, roll angles.z (radians),
  // then SetRotationQuat.
  virtual void SetRotationEuler(const SVec3* angles);
  // The three diagonal entries of the rotation part.
  virtual void SetScale(const SVec3* s);
  // position += X axis d.x + Y axis d.y + Z axis d.z.
  virtual void MoveLocal(const SVec3* d);
  // matrix = matrix x rotation of the three angles.
  virtual void RotateEuler(const SVec3* angles);
  virtual void RotateAndMove(const SVec3* d, const SVec3* angles);
  virtual const float* GetPosition() const { return matrix.m[3]; }
  // position += d (the rotation is not used).
  virtual void Move(const SVec3* d);
  // Copies the X, Y and Z axis rows.
  virtual void GetAxes(float* x, float* y, float* z) const;
  // The same rows in the order Z, X, Y.
  virtual void GetAxesZXY(float* z, float* x, float* y) const;

  SMatrix matrix = kIdentityMatrix;
};

// (Copying one is CopyMatrix of game/effect/EfxMath.h.)
// True when all 16 floats are equal, compared from the last one down.
bool MatrixEquals(const SMatrix* a, const SMatrix* b);
