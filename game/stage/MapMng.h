#pragma once
// The stage world's conductor. MapMng moves the camera along a camera path
// at a variable speed and keeps the rail position that enemies, bosses,
// scenery and the stage scenes read as the stage's clock; it fires the
// stage's map commands (loops, a branch to the second path, showing and
// hiding scenery, restart points), eases speed changes, performs an armed
// section change, and owns the scenery: 64 object layers, explicit
// placements of those layers, the tunnel and the sky slots.
//
// One global object (g_MapMng). Each stage scene adds it as a static child
// of its list 0, so it receives the scene's frame events; the Game resets it
// between plays (ClearStageObjects). Process name "MapMng".
//
// The stage clock: t counts keys of the current path, speed (keys per
// frame) drives the enemy timeline, enemyTimeScale advances enemy timers and
// emitter delays, shotTimeScale advances bullet motion; all three are 1.0 in
// normal play.
#include <cstdint>
#include <vector>

#include "game/stage/CamRsc.h"
#include "game/stage/ObjOvlRsc.h"
#include "game/stage/ObjPlacer.h"
#include "game/stage/RailCamera.h"
#include "game/stage/TnlRsc.h"
#include "vrax/graphic/SMath.h"
#include "vrax/kernel/SProc.h"
#include "vrax/resource/SRscSlot.h"
#include "vrax/resource/SRsc_Image.h"
#include "vrax/resource/SRsc_Model.h"

// One map command, ten 32-bit words; words a kind does not use are 0.
struct MapCommand {
  enum Kind : int32_t { LOOP = 0, BRANCH = 1, SHOW = 2, RESTART_POINT = 3 };
  // Show targets besides a layer index 0..63.
  static constexpr int32_t kTargetAll = -100;
  static constexpr int32_t kTargetTunnel = -10;
  static constexpr int32_t kTargetLayers = -1;

  int32_t kind = 0;      // 0
  int32_t path = 0;      // 1: path on which it fires
  int32_t key = 0;       // 2: integer rail position at which it fires
  int32_t destPath = 0;  // 3: Loop/Branch destination; RestartPoint restart path
  int32_t destKey = 0;   // 4: Loop/Branch destination; RestartPoint restart key
  int32_t count = 0;     // 5: Loop: how many times it may fire
  int32_t fired = 0;     // 6: Loop: how many times it has fired
  int32_t target = 0;    // 7: Show target
  int32_t value = 0;     // 8: Show: value written to the target's enable flag
  int32_t id = 0;        // 9: RestartPoint id
};

// A layer drawn once at a fixed matrix while the rail is on `path` with
// firstKey <= trunc(t) < endKey. Only kind 0 is drawn.
struct MapPlacement {
  int32_t kind = 0;
  int32_t path = 0;
  int32_t firstKey = 0;
  int32_t endKey = 0;  // exclusive
  int32_t layer = 0;
  SMatrix matrix = kIdentityMatrix;
};

class MapMng : public SProc {
 public:
  static constexpr int kLayers = 64;
  // Frames a hold state other than 2 lasts before it settles.
  static constexpr int32_t kHoldFrames = 50;

  MapMng();
  ~MapMng() override;

  // ------------------------------------------------------------ rail
  // Jump to (path, t). A negative t (or not a number) first clears the rail
  // state (ClearRail). Places the camera and recomputes the visibility of
  // the tunnel and every layer from scratch.
  void SetSection(int32_t path, float t);
  // Moves the rail by dv keys: runs the map commands at key 0 at the start
  // and whenever the integer position changes (for the final key only),
  // adds dv to the distance, places the camera and steps visibility.
  void Advance(float dv);
  // Camera pose at rail position t of the path (the origin pose when the
  // path is missing or too short); writes the view into the Game.
  void ApplyCamera(int32_t path, float t);
  // Eases the speed from its current value to `target` over `steps` steps.
  void StartTransition(float target, int32_t steps);
  // One easing step (also with 0 steps: the target at once).
  void StepTransition();
  // The armed section change: while armed, on armedPath with t >= armedAt,
  // jump to (armedPath, armedT). Repeats every frame the condition holds.
  void CheckQueuedSection();
  // Runs the commands at trunc(t) on the current path, in insertion order.
  void RunEvents();

  // ------------------------------------------------------------ commands
  // A Loop (kind 0) or Branch (kind 1).
  void PushEventA(int32_t kind, int32_t path, int32_t key, int32_t destPath, int32_t destKey, int32_t count);
  // A Show (kind 2).
  void PushEventB(int32_t kind, int32_t path, int32_t key, int32_t target, int32_t value);
  // A RestartPoint (kind 3).
  void PushEventType3(int32_t id, int32_t path, int32_t key, int32_t restartPath, int32_t restartKey);
  // The first RestartPoint with that id: its restart path and key; false
  // (both 0) when none.
  bool FindEventType3(int32_t id, int32_t* restartPath, int32_t* restartKey) const;
  // The Show action: -100 or -10 the tunnel's enable flag; -100 or -1 every
  // layer's; 0..63 that layer's; anything else nothing.
  void SetLayerFlags(int32_t target, int32_t value);
  // The branch latch: decided (1 when PlayerPos x <= 0, else 0) on its first
  // call after being re-armed with 2; true when the latch is 1.
  bool BranchTaken();

  // ------------------------------------------------------------ placements
  // Appends a placement: identity, scaled by scale, times the rotation of
  // angles (yaw y, pitch x, roll z, radians), translation = position; each
  // pointer may be null.
  void AddPlacement(int32_t kind, int32_t path, int32_t firstKey, int32_t endKey, int32_t layer,
                    const SVec3* position, const SVec3* angles, const SVec3* scale);
  // Every layer and the tunnel hidden; layer 9 placed everywhere on path 0.
  void Reset();
  // Draws layers first .. end - 1 through ObjPlacer::Place with the same
  // arguments (indices outside 0..63 are passed over).
  void PlaceLayers(int32_t first, int32_t end, float time, const SVec3* position, const SVec3* angles,
                   const SVec3* scale);

  // ------------------------------------------------------------ clock
  void SetSpeed(float v) { speed = v; }
  void SetEnemyTimeScale(float v) { enemyTimeScale = v; }
  void SetShotTimeScale(float v) { shotTimeScale = v; }
  // Sets the hold state and zeroes its frame count.
  void SetHoldState(int32_t state) {
    holdState = state;
    holdFrames = 0;
  }
  // The hold step (the Player calls it once per frame in play): while the
  // hold state is not 2 it counts frames, settles to 2 after kHoldFrames and
  // sets the three speed words to 1.0.
  void SettleSpeed();

  // ------------------------------------------------------------ state
  // Resource slots and rail to their idle state, every layer reset, then
  // ClearRail.
  void ResetState();
  // Hold state 2, the speed words 1.0, the branch latch 2, the section flag
  // 0, commands and placements emptied.
  void ClearRail();

  // ------------------------------------------------------------ paths
  // Key count of the path (0 when it is not loaded).
  int32_t GetKeyCount(int32_t path) const;
  // Key k of the path; null when the path is not loaded or k not below its
  // key count.
  const CamKey* GetPathKey(int32_t path, int32_t k) const;
  // The loaded (ready) path, tunnel, tunnel image, visibility lists and sky;
  // null when a slot is empty or its resource is gone or not ready.
  CamRsc* GetPath(int32_t path) const { return path == 0 || path == 1 ? paths[path].Ready() : nullptr; }
  TnlRsc* GetTunnel() const { return tunnel.Ready(); }
  SRsc_Image* GetTunnelImage() const { return tunnelImage.Ready(); }
  ObjOvlRsc* GetTunnelVisibility(int32_t path) const {
    return path == 0 || path == 1 ? tunnelVisibility[path].Ready() : nullptr;
  }
  SRsc_Image* GetSkyImage() const { return skyImage.Ready(); }
  SRsc_Model* GetSkyModel() const { return skyModel.Ready(); }
  ObjPlacer* GetLayer(int32_t n) { return n >= 0 && n < kLayers ? &layers[n] : nullptr; }

  // ------------------------------------------------------------ fields
  // Resource slots: a resource table writes into slot.Target().
  SRscSlot<CamRsc> paths[2];  // path 0 (names ending a), path 1 (b)
  SRscSlot<SRsc_Image> tunnelImage;
  SRscSlot<TnlRsc> tunnel;
  SRscSlot<ObjOvlRsc> tunnelVisibility[2];
  ObjPlacer layers[kLayers];
  int32_t frameCounter = 0;        // cleared each draw; not otherwise used
  int32_t tunnelTriangles = 0;     // tunnel triangles drawn in the frame
  float distance = 0.0f;           // sum of every speed advanced since the last reset
  SRscSlot<SRsc_Image> skyImage;
  SRscSlot<SRsc_Model> skyModel;
  float t = 0.0f;                  // rail position in keys of the current path
  int32_t holdState = 2;           // 2 normal
  int32_t holdFrames = 0;
  float speed = 1.0f;              // keys per frame
  float enemyTimeScale = 1.0f;
  float shotTimeScale = 1.0f;
  RailCamera* camera = nullptr;    // built by the constructor
  SMatrix railMatrix = kIdentityMatrix;  // rotation of the last interpolated key
  int32_t currentPath = 0;
  int32_t branchLatch = 2;         // 2 undecided, 1 branch taken, 0 not taken
  int32_t lastLoopCount = 0;
  std::vector<MapCommand> commands;
  std::vector<MapPlacement> placements;
  float startSpeed = 1.0f;
  float targetSpeed = 1.0f;
  int32_t steps = 1;
  int32_t step = 0;
  float armedT = 0.0f;
  float armedAt = 1000000.0f;
  int32_t armedPath = 0;
  uint8_t armed = 0;
  // Set while a boss flies its escape (the enemy timeline branches on it,
  // stage 3 takes its branch onto the escape path).
  uint8_t sectionFlag = 0;

 protected:
  int32_t Init(SProcArg arg) override;
  int32_t Draw(SProcArg arg) override;
  int32_t Main(SProcArg arg) override;
  int32_t OnDispose(SProcArg arg) override;

 private:
  // Prepares the camera at construction: the default view and projection.
  void MakeDefaultView();
  // Whether the Game lets the world run this frame (map enabled, the Player
  // neither resetting nor starting).
  bool WorldActive() const;

  RailCamera cameraObject_;
};

extern MapMng g_MapMng;
