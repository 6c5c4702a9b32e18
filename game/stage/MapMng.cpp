#include "game/stage/MapMng.h"

#include <cmath>

#include "game/core/Game.h"
#include "game/core/GameMath.h"
#include "game/core/MotionParam.h"
#include "game/player/Player.h"
#include "game/stage/CamRsc.h"
#include "game/stage/ObjOvlRsc.h"
#include "game/stage/TnlRsc.h"
#include "vrax/resource/SRsc_Image.h"
#include "vrax/resource/SRsc_Model.h"

// g_MapMng is defined with the other global objects, in their order
// (game/flow/GlobalObjects.cpp).

// Declared with the movers (game/core/MotionParam.h), which step by it.
float StageFrameStep() { return g_MapMng.enemyTimeScale; }

namespace {

constexpr float kPi = 3.14159265f;


// The camera's fixed orientation: yaw half a turn.
const SVec3 kCameraAngles{0.0f, kPi, 0.0f};

}  // namespace

MapMng::MapMng() {
  camera = &cameraObject_;
  MakeDefaultView();
}

MapMng::~MapMng() = default;

void MapMng::MakeDefaultView() {
  SMatrix::Identity(&camera->matrix);
  camera->RotateEuler(&kCameraAngles);
  const SVec3 back{0.0f, 0.0f, -1000.0f};
  camera->MoveLocal(&back);
  camera->SetProjection(2.0f * std::atan(0.625f), 0.75f, 1.0f, 10000.0f);
  camera->BuildView();
}

// ---------------------------------------------------------------- slots

int32_t MapMng::GetKeyCount(int32_t path) const {
  const CamRsc* p = GetPath(path);
  return p != nullptr ? p->GetKeyCount() : 0;
}

const CamKey* MapMng::GetPathKey(int32_t path, int32_t k) const {
  const CamRsc* p = GetPath(path);
  return p != nullptr ? p->GetKey(k) : nullptr;
}

// ---------------------------------------------------------------- rail

void MapMng::SetSection(int32_t path, float pos) {
  t = pos;
  if (!(pos >= 0.0f)) ClearRail();  // negative or not a number
  t = pos;
  currentPath = path;
  ApplyCamera(path, t);
  const int32_t key = static_cast<int32_t>(t);
  if (TnlRsc* tnl = GetTunnel()) tnl->ApplyVisibility(path, key);
  for (ObjPlacer& layer : layers) layer.RecomputeVisibility(path, key);
}

void MapMng::Advance(float dv) {
  if (t <= 0.0f) RunEvents();
  const float old = t;
  t = t + dv;
  if (static_cast<int32_t>(t) != static_cast<int32_t>(old)) RunEvents();
  distance = distance + dv;
  ApplyCamera(currentPath, t);
  const int32_t key = static_cast<int32_t>(t);
  if (TnlRsc* tnl = GetTunnel()) tnl->StepVisibility(currentPath, key);
  for (ObjPlacer& layer : layers) layer.StepVisibility(currentPath, key);
}

void MapMng::ApplyCamera(int32_t path, float pos) {
  const CamRsc* p = GetPath(path);
  if (p == nullptr) return;
  const int32_t k = static_cast<int32_t>(pos);
  const CamKey* a = p->GetKey(k);
  const CamKey* b = p->GetKey(k + 1);
  SVec3 position{0.0f, 0.0f, 0.0f};
  SQuat rotation{0.0f, 0.0f, 0.0f, 1.0f};
  if (a != nullptr && b != nullptr) {
    const float f = pos - float(k);
    position.x = a->x + (b->x - a->x) * f;
    position.y = a->y + (b->y - a->y) * f;
    position.z = a->z + (b->z - a->z) * f;
    const SQuat qa{a->qx, a->qy, a->qz, a->qw};
    SQuat qb{b->qx, b->qy, b->qz, b->qw};
    float d = qa.x * qb.x + qa.y * qb.y + qa.z * qb.z + qa.w * qb.w;
    if (d < 0.0f) {
      qb = SQuat{-qb.x, -qb.y, -qb.z, -qb.w};
      d = -d;
    }
    float wa = 1.0f - f, wb = f;
    if (1.0f - d > 0.001f) {
      const float theta = std::acos(d);
      const float s = std::sin(theta);
      wa = std::sin((1.0f - f) * theta) / s;
      wb = std::sin(f * theta) / s;
    }
    rotation = SQuat{qa.x * wa + qb.x * wb, qa.y * wa + qb.y * wb, qa.z * wa + qb.z * wb, qa.w * wa + qb.w * wb};
  }
  SMatrix::RotationQuaternion(&railMatrix, &rotation);
  SMatrix::Identity(&camera->matrix);
  camera->SetRotationEuler(&kCameraAngles);
  camera->SetPositionV(&position);
  const SMatrix& view = camera->BuildView();
  if (Game* game = GetGame()) game->StageCamera() = view;
}

void MapMng::StartTransition(float target, int32_t n) {
  startSpeed = speed;
  targetSpeed = target;
  steps = n;
  step = 0;
}

void MapMng::StepTransition() {
  // No steps (or a negative count): the target at once, instead of 0/0.
  if (steps <= 0) {
    if (step <= 0) speed = targetSpeed;
    step = 1;
    return;
  }
  if (step > steps) return;
  const int32_t s = step;
  step = step + 1;
  const float u = float(s) / float(steps);
  speed = startSpeed + (targetSpeed - startSpeed) * (1.0f - std::cos(u * (kPi / 2.0f)));
}

void MapMng::CheckQueuedSection() {
  if (armed != 0 && currentPath == armedPath && t >= armedAt) SetSection(armedPath, armedT);
}

void MapMng::RunEvents() {
  const int32_t key = static_cast<int32_t>(t);
  const float frac = t - float(key);
  // A jump may clear the command list (SetSection with a negative key), so
  // walk by index and stop at the first jump.
  for (size_t i = 0; i < commands.size(); ++i) {
    MapCommand& c = commands[i];
    if (c.key != key || c.path != currentPath) continue;
    switch (c.kind) {
      case MapCommand::LOOP:
        if (c.fired < c.count) {
          c.fired = c.fired + 1;
          lastLoopCount = c.fired;
          SetSection(c.destPath, float(c.destKey) + frac);
          return;
        }
        break;
      case MapCommand::BRANCH:
        if (BranchTaken()) {
          SetSection(c.destPath, float(c.destKey) + frac);
          return;
        }
        break;
      case MapCommand::SHOW: SetLayerFlags(c.target, c.value); break;
      case MapCommand::RESTART_POINT:
        if (g_Player.state != 4) {
          if (Game* game = GetGame()) game->SetStage(c.id);
        }
        break;
      default: break;
    }
  }
}

// ---------------------------------------------------------------- commands

void MapMng::PushEventA(int32_t kind, int32_t path, int32_t key, int32_t destPath, int32_t destKey,
                        int32_t count) {
  MapCommand c;
  c.kind = kind, c.path = path, c.key = key, c.destPath = destPath, c.destKey = destKey, c.count = count;
  commands.push_back(c);
}

void MapMng::PushEventB(int32_t kind, int32_t path, int32_t key, int32_t target, int32_t value) {
  MapCommand c;
  c.kind = kind, c.path = path, c.key = key, c.target = target, c.value = value;
  commands.push_back(c);
}

void MapMng::PushEventType3(int32_t id, int32_t path, int32_t key, int32_t restartPath, int32_t restartKey) {
  MapCommand c;
  c.kind = MapCommand::RESTART_POINT, c.path = path, c.key = key, c.destPath = restartPath;
  c.destKey = restartKey, c.id = id;
  commands.push_back(c);
}

bool MapMng::FindEventType3(int32_t id, int32_t* restartPath, int32_t* restartKey) const {
  for (const MapCommand& c : commands) {
    if (c.kind == MapCommand::RESTART_POINT && c.id == id) {
      *restartPath = c.destPath;
      *restartKey = c.destKey;
      return true;
    }
  }
  *restartPath = 0;
  *restartKey = 0;
  return false;
}

void MapMng::SetLayerFlags(int32_t target, int32_t value) {
  if (target == MapCommand::kTargetAll || target == MapCommand::kTargetTunnel) {
    if (TnlRsc* tnl = tunnel.Get()) tnl->enable = value;
  }
  if (target == MapCommand::kTargetAll || target == MapCommand::kTargetLayers) {
    for (ObjPlacer& layer : layers) layer.enable = value;
  } else if (target >= 0 && target < kLayers) {
    layers[target].enable = value;
  }
}

bool MapMng::BranchTaken() {
  if (branchLatch == 2) branchLatch = PlayerPos.x <= 0.0f ? 1 : 0;
  return branchLatch == 1;
}

// ---------------------------------------------------------------- placements

void MapMng::AddPlacement(int32_t kind, int32_t path, int32_t firstKey, int32_t endKey, int32_t layer,
                          const SVec3* position, const SVec3* angles, const SVec3* scale) {
  MapPlacement p;
  p.kind = kind, p.path = path, p.firstKey = firstKey, p.endKey = endKey, p.layer = layer;
  SMatrix::Identity(&p.matrix);
  if (scale != nullptr) SMatrix::Scale(&p.matrix, &p.matrix, scale->x, scale->y, scale->z);
  if (angles != nullptr) {
    SQuat q;
    QuatFromEuler(&q, angles->y, angles->x, angles->z);
    SMatrix r;
    SMatrix::RotationQuaternion(&r, &q);
    SMatrix::Multiply(&p.matrix, &p.matrix, &r);
  }
  if (position != nullptr) {
    p.matrix.m[3][0] = position->x, p.matrix.m[3][1] = position->y, p.matrix.m[3][2] = position->z;
  }
  placements.push_back(p);
}

void MapMng::Reset() {
  if (TnlRsc* tnl = tunnel.Get()) tnl->enable = 0;
  for (ObjPlacer& layer : layers) layer.enable = 0;
  const SVec3 zero{0.0f, 0.0f, 0.0f}, one{1.0f, 1.0f, 1.0f};
  AddPlacement(0, 0, 0, 9999, 9, &zero, &zero, &one);
}

void MapMng::PlaceLayers(int32_t first, int32_t end, float time, const SVec3* position, const SVec3* angles,
                         const SVec3* scale) {
  for (int32_t i = first; i < end; ++i)
    if (ObjPlacer* layer = GetLayer(i)) layer->Place(time, position, angles, scale);
}

// ---------------------------------------------------------------- clock

void MapMng::SettleSpeed() {
  if (holdState == 2) return;
  holdFrames = holdFrames + 1;
  if (holdFrames >= kHoldFrames) {
    holdState = 2;
    holdFrames = 0;
  }
  speed = enemyTimeScale = shotTimeScale = 1.0f;
}

// ---------------------------------------------------------------- state

void MapMng::ResetState() {
  paths[0].Reset();
  paths[1].Reset();
  tunnel.Reset();
  tunnelVisibility[0].Reset();
  tunnelVisibility[1].Reset();
  for (ObjPlacer& layer : layers) layer.ResetLayer();
  // The sky model slot stays as it was.
  skyImage.Reset();
  t = 0.0f;
  distance = 0.0f;
  ClearRail();
}

void MapMng::ClearRail() {
  holdState = 2;
  holdFrames = 0;
  speed = enemyTimeScale = shotTimeScale = 1.0f;
  branchLatch = 2;
  // A boss escape belongs to the rail it happened on.
  sectionFlag = 0;
  commands.clear();
  placements.clear();
}

bool MapMng::WorldActive() const {
  const Game* game = GetGame();
  return game != nullptr && game->mapEnable != 0 && g_Player.state != 0 && g_Player.state != 1;
}

// ---------------------------------------------------------------- handlers

int32_t MapMng::Init(SProcArg) {
  SetName("MapMng");
  startSpeed = targetSpeed = 1.0f;
  steps = 1;
  step = 0;
  armedT = 0.0f;
  armedAt = 1000000.0f;
  armedPath = 0;
  armed = 0;
  tunnel.Reset();
  frameCounter = tunnelTriangles = 0;
  ResetState();
  SetInitResult(0);
  return 0;
}

int32_t MapMng::Main(SProcArg) {
  if (!WorldActive() || GetPath(currentPath) == nullptr) return 0;
  CheckQueuedSection();
  StepTransition();
  if (t < 0.0f) {
    SetSection(0, 0.0f);
    distance = 0.0f;
  } else if (t + 2.0f < float(GetKeyCount(0))) {
    Advance(speed);
  }
  const Game* game = GetGame();
  if (game != nullptr && !game->IsPaused()) {
    for (ObjPlacer& layer : layers) layer.Main(0);
  }
  return 0;
}

int32_t MapMng::Draw(SProcArg) {
  if (!WorldActive()) return 0;
  frameCounter = tunnelTriangles = 0;
  for (ObjPlacer& layer : layers) layer.Draw(0);
  const int32_t key = static_cast<int32_t>(t);
  for (const MapPlacement& p : placements) {
    if (p.kind != 0 || p.path != currentPath || p.firstKey > key || key >= p.endKey) continue;
    if (ObjPlacer* layer = GetLayer(p.layer)) layer->PlaceMatrix(-1.0f, &p.matrix);
  }
  if (TnlRsc* tnl = GetTunnel()) tnl->DrawTunnel();
  return 0;
}

int32_t MapMng::OnDispose(SProcArg) {
  ResetState();
  return 0;
}
