#pragma once
// The engine's vector and matrix math. Matrices are 4x4 floats, row-major,
// in the row-vector convention: a point is transformed as v x M and the
// translation sits in the fourth row. Rotation helpers of the engine take
// angles in turns (1.0 = a full revolution, x 6.2831855 before sine and
// cosine); the quaternion, perspective and z-rotation builders take radians.
//
// Every result must be bit-identical from build to build (replays repeat the
// game's arithmetic), so each function evaluates its terms in one fixed
// order, written out below, in single precision and without contraction.

struct SVec2 {
  float x, y;
};

struct SVec3 {
  float x, y, z;
};

struct SVec4 {
  float x, y, z, w;
};

struct SQuat {
  float x, y, z, w;
};

// 2 pi as the engine multiplies turns with it.
inline constexpr float kTurnToRad = 6.2831855f;

struct SMatrix {
  float m[4][4];

  float* operator[](int r) { return m[r]; }
  const float* operator[](int r) const { return m[r]; }

  // out = identity.
  static SMatrix* Identity(SMatrix* out);
  // out = in with row 0 scaled by sx, row 1 by sy, row 2 by sz (the fourth
  // element of those rows copied unscaled) and row 3 copied.
  static SMatrix* Scale(SMatrix* out, const SMatrix* in, float sx, float sy, float sz);
  static SMatrix* Copy(SMatrix* out, const SMatrix* in);
  // Copies preset orientation n (0..6; others give preset 0, all zero).
  static SMatrix* SetPreset(SMatrix* out, int n);
  static const SMatrix& Preset(int n);
  static constexpr int kPresetCount = 7;

  // out = a x b: out[i][j] = ((a[i][0] b[0][j] + a[i][1] b[1][j]) + a[i][2] b[2][j]) + a[i][3] b[3][j].
  // out may be a or b.
  static SMatrix* Multiply(SMatrix* out, const SMatrix* a, const SMatrix* b);
  // Inverse by cofactors; null (out untouched) when the determinant is 0.
  // The determinant is stored through det when det is not null.
  static SMatrix* Inverse(SMatrix* out, float* det, const SMatrix* in);

  // Right-handed perspective: y scale = 1 / tan(fovY / 2), x scale = y scale /
  // aspect, m22 = zf / (zn - zf), m23 = -1, m32 = zn zf / (zn - zf), m33 = 0.
  static SMatrix* PerspectiveFovRH(SMatrix* out, float fovY, float aspect, float zn, float zf);
  // Right-handed orthographic: 2/w, 2/h, m22 = 1 / (zn - zf), m32 = zn / (zn - zf).
  static SMatrix* OrthoRH(SMatrix* out, float w, float h, float zn, float zf);
  // Left-handed look-at: z = norm(at - eye), x = norm(up x z), y = z x x;
  // columns x, y, z and the fourth row (-x.eye, -y.eye, -z.eye, 1).
  static SMatrix* LookAtLH(SMatrix* out, const SVec3* eye, const SVec3* at, const SVec3* up);
  static SMatrix* Translation(SMatrix* out, float x, float y, float z);
  static SMatrix* Scaling(SMatrix* out, float sx, float sy, float sz);
  // Rotation about z by an angle in radians: rows (c, s), (-s, c).
  static SMatrix* RotationZ(SMatrix* out, float radians);
  // Rotation of a unit quaternion: rows (1 - 2(yy + zz), 2(xy + zw), 2(xz - yw)),
  // (2(xy - zw), 1 - 2(xx + zz), 2(yz + xw)), (2(xz + yw), 2(yz - xw), 1 - 2(xx + yy)).
  static SMatrix* RotationQuaternion(SMatrix* out, const SQuat* q);
};

inline constexpr SMatrix kIdentityMatrix = {{{1, 0, 0, 0}, {0, 1, 0, 0}, {0, 0, 1, 0}, {0, 0, 0, 1}}};

// out = v / |v| (each component divided by the length); a zero vector stays 0.
SVec3* SVec3Normalize(SVec3* out, const SVec3* v);
// (x, y, z, 1) x m, divided by the resulting w.
SVec3* SVec3TransformCoord(SVec3* out, const SVec3* v, const SMatrix* m);
// (x, y, z, 1) x m, all four components.
SVec4* SVec3Transform(SVec4* out, const SVec3* v, const SMatrix* m);
// a x b.
SVec3* SVec3Cross(SVec3* out, const SVec3* a, const SVec3* b);
// ((a.x b.x + a.y b.y) + a.z b.z).
float SVec3Dot(const SVec3* a, const SVec3* b);

// out = R(turns) x in for the rotation about x, y or z. Rx: (1,1) = c,
// (1,2) = s, (2,1) = -s, (2,2) = c; Ry: (0,0) = c, (0,2) = -s, (2,0) = s,
// (2,2) = c; Rz: (0,0) = c, (0,1) = s, (1,0) = -s, (1,1) = c. out may be in.
SMatrix* RotateX(SMatrix* out, const SMatrix* in, float turns);
SMatrix* RotateY(SMatrix* out, const SMatrix* in, float turns);
SMatrix* RotateZ(SMatrix* out, const SMatrix* in, float turns);

// (1 - t)^2 a + 2 (1 - t) t b + t^2 c, evaluated as
// ((u u) a + ((2 u) t) b) + (t t) c with u = 1 - t.
float QuadBezier(float a, float b, float c, float t);
