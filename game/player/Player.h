#pragma once
// The player's ship: one persistent process in list 1 of the game root,
// named "Player". It owns the ship's position and transform, its collision
// bodies, its two animated models (hull and second part) with their motion
// slots, the options (a static child), the blade trails and the effect
// anchors, and a state machine of five states: reset, start, scripted
// flight, play and death. In play it runs the control layer: movement,
// tilt and pose, auto-fire, the bomb, the lock-on and the dash attack.
//
// Coordinates are play coordinates: origin at the centre of the play area,
// x -240..240 to the right, y -320..320 downwards, z into the screen.
#include <cstdint>
#include <vector>

#include "game/core/HitBody.h"
#include "game/core/MotionPath.h"
#include "game/player/POptionMan.h"
#include "game/player/RecordQueue.h"
#include "vrax/graphic/SGpNode.h"
#include "vrax/graphic/SGpObj_Prim.h"
#include "vrax/graphic/SMath.h"
#include "vrax/kernel/SHandle.h"
#include "vrax/kernel/SProc.h"

class SRsc;
class SRsc_Model;

class Player : public SProc {
 public:
  enum PlayerState : int32_t {
    STATE_RESET = 0,
    STATE_START = 1,
    STATE_SCRIPTED = 2,
    STATE_PLAY = 3,
    STATE_DEATH = 4,
  };
  // Control modes: 0 normal, 1 lock-on, 4 bomb, 5 dash, 10 no control.
  enum ControlMode : int32_t {
    CONTROL_NORMAL = 0,
    CONTROL_LOCKON = 1,
    CONTROL_BOMB = 4,
    CONTROL_DASH = 5,
    CONTROL_NONE = 10,
  };
  // User event codes the Player takes (and kHitEventHit: a body hit the ship).
  static constexpr int32_t kEventDash = 9;       // start the dash
  static constexpr int32_t kEventLockHit = 11;   // an enemy was caught
  static constexpr int32_t kEventPushOut = 16;   // a solid body pushes
  static constexpr int32_t kEventShake = 19;     // screen shake of strength arg
  static constexpr int32_t kEventScripted = 20;  // scripted sequence arg
  static constexpr int32_t kEventStageClear = 18;

  static constexpr int32_t kHullMotions = 53;
  static constexpr int32_t kPartMotions = 27;
  static constexpr int32_t kBones = 131;
  static constexpr int32_t kAnchors = 128;
  static constexpr int32_t kOuterBodies = 5;
  static constexpr int32_t kPadCounters = 7;
  // Slots of the raw pad counters, in the order ReadInput reads them and the
  // replay stores them.
  enum PadSlot : int32_t {
    PAD_SLOT_UP = 0,
    PAD_SLOT_DOWN = 1,
    PAD_SLOT_LEFT = 2,
    PAD_SLOT_RIGHT = 3,
    PAD_SLOT_BUTTON1 = 4,
    PAD_SLOT_BUTTON2 = 5,
    PAD_SLOT_START = 6,
  };
  // Mask bits of UpdateInput: the parts of the input block that follow the
  // pad this frame (a part left out is cleared; the tilt decay is skipped).
  static constexpr int32_t kInputDirections = 2;  // up, down, left, right
  static constexpr int32_t kInputButtons = 4;     // A, B, both and their taps
  static constexpr int32_t kInputTiltDecay = 8;   // tilt and pose weight ease back
  // Mask bits of ControlStep: the parts of control the current mode runs.
  static constexpr int32_t kControlMove = 1;
  static constexpr int32_t kControlTilt = 2;       // tilt from the directions
  static constexpr int32_t kControlTiltDecay = 4;
  static constexpr int32_t kControlAutoFire = 8;
  static constexpr int32_t kControlBomb = 16;
  static constexpr int32_t kControlLockOn = 32;
  static constexpr int32_t kLockOnCooldown = 240;
  // Frames of the ending flight along the ending path (sequence 10).
  static constexpr int32_t kEndingFlightFrames = 1080;
  static constexpr int32_t kShipDrawKey = 15;
  static constexpr int32_t kMarkQuads = 32;
  // Play area limits kept by ClampToPlayArea.
  static constexpr float kMinX = -208.0f, kMaxX = 208.0f, kMinY = -256.0f, kMaxY = 288.0f;

  // One row of a motion table: end mode 0 chain to next, 1 loop a number
  // of times then chain, 2 loop for ever, 3 hold the end frame.
  struct MotionEntry {
    int32_t id = 0;
    int32_t next = -1;
    int32_t endMode = 0;
    int32_t loops = 0;
    float first = 0.0f;
    float last = 0.0f;
    float speed = 0.0f;
  };
  // A motion player of one model (slot 0 hull, slot 1 second part).
  struct MotionSlot {
    int32_t motion = 0;
    float frame = 0.0f;
    uint8_t ended = 0;
    int32_t loopsLeft = 0;
    int32_t ticks[3] = {0, 0, 0};
    int32_t poseLink = -1;
    float poseValues[2] = {0.0f, 0.0f};
  };
  // This frame's input counters (frames held, 0 when released), the tap
  // counters and the tilt.
  struct InputBlock {
    int32_t unused = 0;
    int32_t up = 0, down = 0, left = 0, right = 0;
    int32_t a = 0, b = 0, both = 0;
    int32_t aTap = 0, bTap = 0, bothTap = 0;
    int32_t spare11 = 0, spare12 = 0;
    float tiltX = 0.0f, tiltY = 0.0f;
    int32_t spare15 = 0, spare16 = 0;
  };
  // Draws a model at a matrix when the draw queue runs, provided the model
  // (found by its path) is still loaded then.
  class ModelPacket : public SGpObj {
   public:
    void Execute() override;
    const char* path = nullptr;
    SMatrix matrix = kIdentityMatrix;
  };
  // A movement tween: the position moves by direction x the eased change of
  // value over the record's frames.
  struct Tween {
    int32_t frame = 0;
    int32_t length = 0;
    float from = 0.0f;
    float to = 0.0f;
    int32_t type = 0;
    float direction[3] = {0.0f, 0.0f, 0.0f};
    int32_t extra = 0;
  };
  // An effect held at the ship: its owner effect's position follows the
  // anchor for its life.
  struct Anchor {
    SHandle<SObject> owner;
    float* ownerPosition = nullptr;  // inside the owner; used only while it lives
    SMatrix* ownerMatrix = nullptr;
    int32_t life = -1;  // -1: free
    static constexpr uint32_t kOffset = 1, kRotation = 2, kScaling = 4;
    uint32_t flags = 0;  // which of offset, rotation and scaling apply
    float offset[4] = {0.0f, 0.0f, 0.0f, 0.0f};
    float rotation[3][4] = {};
    float scaling[3][4] = {};
    float* scaled[3] = {nullptr, nullptr, nullptr};
    float position[4] = {0.0f, 0.0f, 0.0f, 1.0f};
  };
  // The ship's run between two dash targets.
  struct DashRun {
    int32_t n = 0;  // segment frame counter
    int32_t target = 0;
    float start[4] = {0.0f, 0.0f, 0.0f, 0.0f};
    float end[4] = {0.0f, 0.0f, 0.0f, 0.0f};
    float travelled = 0.0f;
    float length = 0.0f;
    float speed = 0.0f;
    float direction = 0.0f;  // turns
    uint8_t arrived = 0;
    uint8_t reAimed = 0;
    int32_t strike = 0;  // 0 none, 4 struck, 5 passed
    uint8_t goodTiming = 0;
  };

  Player();
  ~Player() override;

  // ------------------------------------------------------------ states
  void SetState(int32_t state, int32_t argument = 0);
  // Starts scripted sequence 0, 1, 2, 3, 9 or 10 (in the death state only
  // 0, 1 and 3); other numbers do nothing.
  void OnEvent(int32_t sequence);
  // Transform = identity, position (x, y, z); w is kept.
  void SetPosition(float x, float y, float z);
  // Zeroes this and the previous frame's input block.
  void ClearInputHistory();
  // Power += amount, an option for each new whole unit, capped at 4.0.
  void AddPower(float amount);
  // Called on an outer-body hit: contact counter = 10.
  void ArmCounter() { contactCounter = 10; }
  // Game::kEventStageClear, passed on by the game root: the stage is cleared.
  void StartStageClear();
  // True once the stage-clear sequence has run its course (counter above
  // 600); starts the fade to black at counter 360.
  bool IsStageClearDone();
  void SetGameOverFlag(uint8_t value);
  uint8_t GetGameOverFlag() const;
  // Reaction to an enemy body with mask bit 0x1 touching an outer body.
  virtual void OnOuterContact(HitBody* body);

  // ------------------------------------------------------------ motion tables
  void BuildMotionTables();
  void SetMotionEntry(int32_t table, int32_t index, int32_t next, int32_t endMode, int32_t loops, float first,
                      float last, float speed);
  void StartMotion(int32_t slot, int32_t motion);
  void StepMotion(int32_t slot);
  void StepMotions();
  // The entry a slot plays (a slot outside 0..1 or a motion outside its
  // table gives entry 0 of table 0).
  const MotionEntry& EntryOf(int32_t slot, int32_t motion) const;
  // Copies 32-byte input records into the Player's record array.
  void TakeInputRecords(const std::vector<uint8_t>& records);

  // ------------------------------------------------------------ frame parts
  void UpdateInput(int32_t mask);
  void ReadInput();
  void PublishState();
  void ApplyTweens();
  // The summed offset of the movement tweens this frame (x, y, z, 1).
  SVec4 SumTweenOffsets();
  void StartStep();
  void ScriptedStep();
  void PlayStep();
  void DeathStep();
  void PushOut(const HitBody* solid);

  // ------------------------------------------------------------ control
  void ControlStep();
  void NormalStep();
  void LockOnStep();
  void BombStep();
  // One explosion of the bomb's run of bursts (i of n), at the bomb's
  // grid of blast points.
  void SpawnRandomBurst(int32_t i, int32_t n);
  // The ring of 16 bomb flashes around the ship.
  void BombRing();
  void DashStep();
  void ClampToPlayArea();
  void FireVolley();
  void EnterLockOn();
  void StartBomb();
  void EndLockOn();
  void OnLockHit(HitBody* enemyBody);
  void TryStartDash();
  void OnHit(HitBody* body);
  void ResetControl();
  void StartDash();
  void UpdatePose();

  // ------------------------------------------------------------ effects
  void SpawnSparkle(const float* point, float angle, float speedA, float speedB, float v0, float v1, float v2,
                    float v3, int32_t life, int32_t life2);
  // One sparkle beside each engine (bones 7 and 14), aimed along the line
  // between them turned by angle.
  void SpawnEffect(const float* point, float angle, float speedA, float speedB, float v0, float v1, float v2,
                   int32_t life, int32_t life2);
  void EmitRandomEffect(const float* point, float angle);
  void FireEffectShot(const float* from, const float* to, float damage);
  // Takes the first free anchor; -1 when none is free.
  int32_t AddAnchor(SObject* owner, float* ownerPosition, SMatrix* ownerMatrix, const float* offset,
                    const float* rotation, const float* scaling, int32_t life);
  void StepAnchors();
  void ModeEffects();
  void StepTrail();
  void BuildTrails();
  void DrawHull();
  void DrawPart();
  // The shields and the lock-on markers.
  void DrawMarks();
  void CaptureBonePositions();
  // World position of bone n of the hull as last captured (the ship's
  // position when the model is missing or has no such bone).
  SVec4 BonePosition(int32_t n) const;
  // Where bone n of the hull is with the hull placed at origin in its
  // current pose.
  SVec4 HullPoint(int32_t bone, const float* origin);
  // The hull's matrix: display position, lean, scale and offsets.
  void HullMatrix(SMatrix* out) const;
  void ApplyModelMotions();

  // ------------------------------------------------------------ state fields
  int32_t state = STATE_RESET;
  int32_t step = 0;
  int32_t stepLength = 1;
  int32_t stepCounter = 0;
  int32_t scriptedSub = 0;
  float power = 0.0f;
  MotionPath flightPath;
  int32_t controlMode = CONTROL_NORMAL;
  int32_t modeSubState = 0;
  int32_t modeCounter = 0;
  SMatrix transform = kIdentityMatrix;
  float position[4] = {0.0f, 400.0f, 0.0f, 0.0f};
  float displayPosition[4] = {0.0f, 0.0f, 0.0f, 0.0f};
  SMatrix displayMatrix = kIdentityMatrix;
  int32_t drawn = 0;
  int32_t invulnerability = 0;
  InputBlock input;
  InputBlock previousInput;
  MotionSlot slots[2];
  std::vector<MotionEntry> tables[2];
  SGpNode rootNode;
  SGpNode partNodes[2];
  HitBody coreBody, body, wideBody, middleBody;
  HitBody outerBodies[kOuterBodies];
  RecordQueue trails[2];
  float middlePoint[4] = {0.0f, 0.0f, 0.0f, 1.0f};
  float widePoint[4] = {0.0f, 0.0f, 0.0f, 1.0f};
  float outerPoints[kOuterBodies][4] = {};
  int32_t stageClearCounter = 0;
  std::vector<Tween> tweens;
  float frameRandom = 0.0f;
  int32_t contactCounter = 0;
  int32_t padCounters[kPadCounters] = {-1, -1, -1, -1, -1, -1, -1};
  int32_t lockOnCooldown = 0;
  POptionMan options;

  // ------------------------------------------------------------ control fields
  int32_t fireCounter = 0;
  int32_t rePress = 0;
  int32_t poseDirection = 0;
  float poseWeight = 0.0f;
  int32_t lockCount = 0;
  int32_t lockTargets = 0;
  int32_t lockCursor = 0;
  float lockOnReference[4] = {0.0f, 0.0f, 0.0f, 1.0f};
  uint8_t lockOnFlag = 0;
  int32_t lockOnTimer = 0;
  uint8_t idleFlag = 0;
  uint8_t auraOff = 0;
  int32_t effectShotCount = 0;
  int32_t outerContactSerial = 0;
  // Shown flags and value of the shields, lock-on markers and bomb gauge.
  uint8_t shieldShown = 0;
  uint8_t lockMarkersShown = 0;
  uint8_t bombGaugeShown = 0;
  float bombGaugeValue = 0.0f;

  // ------------------------------------------------------------ hull pose
  float hullOffset[3] = {0.0f, 0.0f, 0.0f};
  float hullScale[3] = {1.0f, 1.0f, 1.0f};
  float hullLean[4] = {0.0f, 0.0f, 0.0f, 1.0f};  // pitch, roll, yaw (turns), w
  float leanFrom[4] = {0.0f, 0.0f, 0.0f, 1.0f};
  float leanTarget[4] = {0.0f, 0.0f, 0.0f, 0.0f};
  int32_t leanCounter = 0;
  uint8_t hullMotionFlag = 0;
  float lightColourA[4] = {0.8f, 0.8f, 0.8f, 0.8f};
  float lightColourB[4] = {0.3f, 0.3f, 0.3f, 0.3f};
  float bonePositions[kBones][4] = {};
  // The world matrix of the hull part the second part rides on, taken with
  // the bone positions.
  static constexpr int32_t kPartMountBone = 3;
  SMatrix partMount = kIdentityMatrix;
  float deathOrigin[4] = {0.0f, 0.0f, 0.0f, 1.0f};
  // The intro flight's place on its path.
  int32_t pathSegment = 0;
  float pathT = 0.0f;
  ModelPacket hullPacket;
  ModelPacket partPacket;
  SGpObj_PrimQuad marks{0x142};
  // The bomb's emitter and the matrices its rings follow.
  float bombEmitter[4] = {0.0f, 0.0f, 0.0f, 1.0f};
  SMatrix anchorMatrices[3] = {kIdentityMatrix, kIdentityMatrix, kIdentityMatrix};

  // ------------------------------------------------------------ dash, effects
  DashRun dash;
  int32_t dashEffectCount = 0;
  Anchor anchors[kAnchors];
  // The input records taken from an ".inp" resource, and their cursor.
  std::vector<uint8_t> inputRecords;
  int32_t recordCursor = 0;

 public:
  int32_t Init(SProcArg arg) override;
  int32_t Draw(SProcArg arg) override;
  int32_t Begin(SProcArg arg) override;
  int32_t Main(SProcArg arg) override;
  int32_t OnDispose(SProcArg arg) override;
  int32_t User(int32_t code, SProcArg arg) override;

 private:
  void ResetToOrigin();
  void StartPlay();
  void EnterScripted(int32_t sub);
  void EnterDeath();
  void Respawn();
  void ShowBodies();
  void EnableBodies();
  void RegisterBodies();
  void Place(float x, float y, float z);
  void SequenceEntry();
  void SequenceIntroFlight();
  void SequencePathFlight();
  void SequenceWarp(int32_t sub);
  void SequenceLongFlight(int32_t hullMotion, int32_t frames);
  void SequenceEnding();
  void DashOpening();
  void DashAim();
  void DashStrike();
  void DashReturn();
  void DashFinishBoss();
  // The boss dash's finishing ring of 16 large explosions about the centre
  // of the play area.
  void FinishRing();
  void SetDashSegment(const float* target, float extra);
  void StepDashLean();
  void Strike(int32_t result);
  bool PressedThisFrame() const;
  void ArriveSlot(int32_t slot);
  SRsc_Model* HullModel() const;
  SRsc_Model* PartModel() const;
};

// The persistent player object.
extern Player g_Player;

// A copy of the player's position (x, y, z, w), rewritten once per frame by
// the Player; everything that aims at the player reads it.
extern SVec4 PlayerPos;
// The view tilt matrix, rewritten with PlayerPos: the play view leans a
// little with the ship's x.
extern SMatrix ViewTiltMatrix;
// Button presses counted during the current dash strike.
extern int32_t DashPressCount;
// The model slots of the ship, filled by the common resource table.
extern SRsc* RscPlayerHull;
extern SRsc* RscPlayerPart;
