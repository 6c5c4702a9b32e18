#include "game/stage/ObjPlacer.h"

#include <algorithm>

#include "game/core/GameMath.h"
#include "game/stage/MapMng.h"
#include "game/stage/ObjOvlRsc.h"
#include "game/stage/ObjRsc.h"
#include "vrax/graphic/SGpMan.h"
#include "vrax/graphic/SGpPacket.h"
#include "vrax/resource/SRsc_Image.h"
#include "vrax/resource/SRsc_Model.h"

namespace {


// Identity, scaled, times the rotation of the angles (yaw y, pitch x, roll
// z, radians).
void BuildPlacement(SMatrix* out, const SVec3* angles, const SVec3* scale) {
  SMatrix::Identity(out);
  if (scale != nullptr) SMatrix::Scale(out, out, scale->x, scale->y, scale->z);
  if (angles != nullptr) {
    SQuat q;
    QuatFromEuler(&q, angles->y, angles->x, angles->z);
    SMatrix r;
    SMatrix::RotationQuaternion(&r, &q);
    SMatrix::Multiply(out, out, &r);
  }
}

}  // namespace

void WorldMatrixPacket::Execute() {
  if (matrix_ != nullptr) SGpMan::SetWorld(*matrix_);
}

void ObjPlacer::RecomputeVisibility(int32_t path, int32_t key) {
  cursor.Set(0);
  ObjRsc* objs = GetObjects();
  const ObjOvlRsc* list = GetVisibility(path);
  if (objs == nullptr || objs->Objects().empty() || list == nullptr) return;
  objs->HideAll();
  VisibilityRecompute(list->Steps(), key, &cursor, [objs](uint32_t i) { objs->Toggle(i); });
}

void ObjPlacer::StepVisibility(int32_t path, int32_t key) {
  const ObjOvlRsc* list = GetVisibility(path);
  if (list == nullptr) return;
  ObjRsc* objs = GetObjects();
  VisibilityAdvance(list->Steps(), key, &cursor, [objs](uint32_t i) {
    if (objs != nullptr) objs->Toggle(i);
  });
}

void ObjPlacer::Update(float time) {
  SRsc_Model* m = GetModel();
  if (m == nullptr) return;
  animTime = time;
  instance.Bind(m);
  const float length = m->GetLastFrame();
  SGpMotionCursor c;
  c.model = m;
  c.time = std::clamp(time, 0.0f, std::max(length, 0.0f));
  instance.ApplyMotion(c);
  for (int32_t i = std::min(instance.NodeCount(), m->NodeCount()) - 1; i >= 0; --i)
    *m->GetNode(i)->GetLocal() = *instance.GetNode(i)->GetLocal();
}

void ObjPlacer::EnterModel(const SMatrix* matrix) {
  SRsc_Image* tex = GetTexture();
  SRsc_Model* m = GetModel();
  SGpMan* gp = GetGpMan();
  SGpPacket* mem = GetGpPacket();
  if (tex == nullptr || m == nullptr || gp == nullptr || mem == nullptr || m->GetNode(0) == nullptr) return;
  gp->SetDefaultKey(drawKey);
  tex->GetTexturePacket(0)->EnterDefault();
  WorldMatrixPacket* w = mem->New<WorldMatrixPacket>(matrix);
  if (w == nullptr) return;
  w->EnterDefault();
  // The model's tree draws under the world the packet before it set.
  SGpNode* root = m->GetNode(0)->GetRoot();
  root->SetInheritWorld(1);
  root->EnterDefault();
}

void ObjPlacer::Place(float time, const SVec3* position, const SVec3* angles, const SVec3* scale) {
  if (GetTexture() == nullptr || GetModel() == nullptr) return;
  BuildPlacement(&placedMatrix, angles, scale);
  // The position is used only together with a scale.
  if (scale != nullptr && position != nullptr) {
    placedMatrix.m[3][0] = position->x, placedMatrix.m[3][1] = position->y, placedMatrix.m[3][2] = position->z;
  }
  if (time >= 0.0f) Update(time);
  EnterModel(&placedMatrix);
}

void ObjPlacer::PlaceMatrix(float time, const SMatrix* matrix) {
  if (time >= 0.0f) Update(time);
  EnterModel(matrix);
}

void ObjPlacer::Spawn(int32_t path, int32_t fromKey, int32_t toKey, int32_t mode, int32_t count, float start,
                      float end, float rate, uint32_t flags) {
  if (segments.empty()) instance.Bind(GetModel());
  segments.push_back(AnimSegment{path, fromKey, toKey, mode, count, start, end, rate, flags});
}

void ObjPlacer::StepSegment(AnimSegment& s) {
  float cur = animTime;
  float rate = s.rate;
  if ((s.flags & AnimSegment::kRateBySpeed) != 0) rate = rate * g_MapMng.speed;
  if ((rate >= 0.0f && cur < s.start) || (rate < 0.0f && cur > s.start)) cur = s.start;
  float next = cur + rate * 0.4f;
  if ((rate >= 0.0f && next >= s.end) || (rate < 0.0f && next <= s.end)) {
    switch (s.mode) {
      case AnimSegment::PLAY_ONCE: next = s.end; break;
      case AnimSegment::REPEAT_COUNT:
        s.count = s.count - 1;
        next = s.count <= 0 ? s.end : next - s.end + s.start;
        break;
      case AnimSegment::REPEAT: next = next - s.end + s.start; break;
      default: break;
    }
  }
  if (next == animTime) return;
  Update(next);
}

int32_t ObjPlacer::Draw(SProcArg) {
  ObjRsc* objs = GetObjects();
  if (objs == nullptr || objs->Objects().empty()) return 0;
  for (AnimSegment& s : segments)
    if (s.path == g_MapMng.currentPath && float(s.fromKey) <= g_MapMng.t && g_MapMng.t < float(s.toKey)) StepSegment(s);
  if (enable == 0) return 0;
  SRsc_Image* tex = GetTexture();
  SRsc_Model* m = GetModel();
  SGpMan* gp = GetGpMan();
  SGpPacket* mem = GetGpPacket();
  if (tex == nullptr || m == nullptr || gp == nullptr || mem == nullptr || m->GetNode(0) == nullptr) return 0;
  gp->SetDefaultKey(drawKey);
  tex->GetTexturePacket(0)->EnterDefault();
  SGpNode* root = m->GetNode(0)->GetRoot();
  root->SetInheritWorld(1);
  bool room = true;
  objs->ForEachVisible([&](const PlacedObject& o) {
    WorldMatrixPacket* w = room ? mem->New<WorldMatrixPacket>(&o.matrix) : nullptr;
    if (w == nullptr) {
      room = false;  // the frame's packet memory is used up: no more objects this frame
      return;
    }
    w->EnterDefault();
    root->EnterDefault();
  });
  return 0;
}

void ObjPlacer::ResetLayer() {
  ResetSlots();
  segments.clear();
}

void ObjPlacer::ResetSlots() {
  texture.Reset();
  model.Reset();
  objects.Reset();
  visibility[0].Reset();
  visibility[1].Reset();
  enable = 1;
  cursor.Set(0);
  drawKey = kDefaultDrawKey;
  animTime = 0.0f;
}

int32_t ObjPlacer::Init(SProcArg) {
  ResetSlots();
  SetInitResult(0);
  return 0;
}

int32_t ObjPlacer::Main(SProcArg) { return 0; }

int32_t ObjPlacer::OnDispose(SProcArg) {
  ResetLayer();
  return 0;
}
