// The Player process: its frame handlers, states, scripted sequences, input
// step, death and the position it publishes.
#include "game/player/Player.h"

#include <cmath>
#include <new>

#include "game/core/Easing.h"
#include "game/core/Game.h"
#include "game/core/GameMath.h"
#include "game/core/MotionParam.h"
#include "game/core/Replay.h"
#include "game/effect/EShotMan.h"
#include "game/effect/RandF.h"
#include "game/player/PlayerFx.h"
#include "game/player/PlayerStage.h"
#include "game/player/ZGInterface.h"
#include "game/scene/ContinuePrompt.h"
#include "platform/crt_rand.h"

// g_Player is defined with the other global objects, in their order
// (game/flow/GlobalObjects.cpp).
SVec4 PlayerPos = {0.0f, 0.0f, 0.0f, 0.0f};
SMatrix ViewTiltMatrix = kIdentityMatrix;
int32_t DashPressCount = 0;
SRsc* RscPlayerHull = nullptr;
SRsc* RscPlayerPart = nullptr;

// Declared with the movers (game/core/MotionParam.h), which aim by it.
float AimAtPlayer(float x, float y) {
  return std::atan2(PlayerPos.y - y, PlayerPos.x - x) * 0.15915494f;
}

namespace {

constexpr int32_t kSoundDeathStop = 5;

Game* TheGame() { return Game::GetInstance(); }


// counter / length, 1.0 for a length of 0 or less.
float Ratio(int32_t counter, int32_t length) {
  return length > 0 ? static_cast<float>(counter) / static_cast<float>(length) : 1.0f;
}

}  // namespace

Player::Player() = default;
Player::~Player() = default;

// ============================================================ process

int32_t Player::Init(SProcArg) {
  SetName("Player");
  if (options.GetParent() != this) AddChildProcess(&options, 0);
  BuildMotionTables();
  RegisterBodies();
  for (int i = 0; i < 4; ++i) middlePoint[i] = position[i];
  middlePoint[3] = 1.0f;
  lockOnCooldown = 0;
  invulnerability = 0;
  displayMatrix = kIdentityMatrix;
  for (RecordQueue& q : trails) {
    q.Prepare();
    q.Clear();
  }
  for (Anchor& a : anchors) a = Anchor{};
  SetInitResult(0);
  return 0;
}

int32_t Player::OnDispose(SProcArg) { return 0; }

void Player::RegisterBodies() {
  coreBody.Register(kHitGroupPlayerCore, 0, position, 1.0f, this, 0, 100);
  body.Register(kHitGroupPlayerBody, 0, position, 1.0f, this, 0, 100);
  wideBody.Register(kHitGroupWide, 0, widePoint, 90.0f, this, 0, 100);
  middleBody.Register(kHitGroupMiddle, 0, middlePoint, 40.0f, this, 0, 100);
  for (int i = 0; i < kOuterBodies; ++i) {
    for (float& v : outerPoints[i]) v = 0.0f;
    outerBodies[i].Register(kHitGroupOuter, 0, outerPoints[i], 20.0f, this, 100, 100);
  }
  EnableBodies();
}

void Player::EnableBodies() {
  coreBody.SetDisabled(0);
  body.SetDisabled(0);
  middleBody.SetDisabled(0);
  // The wide body clears what it touches: it takes part only while the
  // bomb or the dash runs, at the ship.
  const bool wide = controlMode == CONTROL_BOMB || controlMode == CONTROL_DASH;
  wideBody.SetDisabled(wide ? 0 : 1);
  // The outer bodies are switched on by the lock-on sweep alone.
  for (HitBody& b : outerBodies) b.SetDisabled(1);
}

void Player::ShowBodies() {
  EnableBodies();
  shieldShown = invulnerability > 0 ? 1 : 0;
}

int32_t Player::Begin(SProcArg) {
  displayPosition[0] = position[0];
  displayPosition[1] = position[1] + (input.tiltY - 1.0f) * 8.0f + (position[1] - 320.0f) * 0.025f;
  displayPosition[2] = position[2];
  displayPosition[3] = position[3];
  displayMatrix = kIdentityMatrix;
  displayMatrix.m[3][0] = displayPosition[0];
  displayMatrix.m[3][1] = displayPosition[1];
  displayMatrix.m[3][2] = displayPosition[2];
  frameRandom = static_cast<float>(plat::Rand()) * 3.051851e-5f;
  if (state == STATE_PLAY && controlMode == CONTROL_NORMAL && lockOnCooldown >= 1) --lockOnCooldown;
  return 0;
}

int32_t Player::Main(SProcArg) {
  const int32_t s = state;
  switch (s) {
    case STATE_START:
      UpdateInput(0);
      StartStep();
      break;
    case STATE_SCRIPTED:
      UpdateInput(kInputButtons | kInputTiltDecay);
      ScriptedStep();
      break;
    case STATE_PLAY:
      UpdateInput(controlMode == CONTROL_NORMAL ? kInputDirections | kInputButtons
                                              : kInputDirections | kInputButtons | kInputTiltDecay);
      PlayStep();
      break;
    case STATE_DEATH:
      UpdateInput(kInputTiltDecay);
      DeathStep();
      break;
    default:
      break;
  }
  if (s >= STATE_SCRIPTED && s <= STATE_DEATH) {
    PublishState();
    ApplyTweens();
    Game* g = TheGame();
    if (g != nullptr && g->stageClear != 0) ++stageClearCounter;
    playerstage::SettleSpeed();
  }
  BroadcastAll(EVENT_MAIN, 0);
  return 0;
}

int32_t Player::User(int32_t code, SProcArg arg) {
  switch (code) {
    case kHitEventHit:
      OnHit(reinterpret_cast<HitBody*>(arg));
      break;
    case kEventDash:
      StartDash();
      break;
    case kEventLockHit:
      OnLockHit(reinterpret_cast<HitBody*>(arg));
      break;
    case kEventPushOut:
      PushOut(reinterpret_cast<const HitBody*>(arg));
      break;
    case kEventStageClear:
      StartStageClear();
      break;
    case kEventShake:
      if (Game* g = TheGame()) g->StartShake(static_cast<int32_t>(arg));
      break;
    case kEventScripted:
      OnEvent(static_cast<int32_t>(arg));
      break;
    default:
      break;
  }
  return 0;
}

// ============================================================ states

void Player::SetState(int32_t s, int32_t argument) {
  state = s;
  step = 0;
  stepCounter = 0;
  stepLength = 1;
  ShowBodies();
  lockMarkersShown = 1;  // drawn while the lock-on runs
  switch (s) {
    case STATE_START:
      StartPlay();
      options.ClearAll();
      break;
    case STATE_SCRIPTED:
      EnterScripted(argument);
      options.ClearAll();
      break;
    case STATE_PLAY:
      ResetControl();
      break;
    case STATE_DEATH:
      EnterDeath();
      break;
    default:
      // State 0, and any number outside 1 to 4 (kept as given), rests at
      // the origin.
      ResetToOrigin();
      break;
  }
}

void Player::ResetToOrigin() {
  SMatrix* m = rootNode.GetLocal();
  *m = kIdentityMatrix;
  m->m[3][1] = 1024.0f;
  ViewTiltMatrix = kIdentityMatrix;
  Place(0.0f, 400.0f, 0.0f);
  position[3] = 0.0f;
  drawn = 0;
  g_ZGInterface.Ramp().Update(false);
  options.ClearAll();
}

void Player::StartPlay() {
  Game* g = TheGame();
  float p = 2.0f;
  // The stage-entry code: the stage number the stage was started with.
  if (g != nullptr && g->stage >= 2 && g->stage <= 100) p = power;
  power = 0.0f;
  AddPower(p);
  StartMotion(0, 0);
  StartMotion(1, 0);
  Place(0.0f, 400.0f, 0.0f);
  position[3] = 0.0f;
  stageClearCounter = 0;
  EnableBodies();
  ResetControl();
  controlMode = CONTROL_NORMAL;
  modeSubState = 0;
  modeCounter = 0;
  UpdateInput(0);
  inputRecords.clear();
  recordCursor = 0;
}

void Player::EnterScripted(int32_t sub) {
  scriptedSub = sub;
  ShowBodies();
  drawn = 1;
  for (float& v : hullOffset) v = 0.0f;
  for (float& v : hullScale) v = 1.0f;
}

void Player::EnterDeath() {
  StartMotion(1, 0);
  controlMode = CONTROL_NONE;
  modeSubState = 0;
  modeCounter = 0;
  drawn = 1;
  ShowBodies();
  options.ClearAll();
  deathOrigin[0] = position[0];
  deathOrigin[1] = position[1];
  deathOrigin[2] = position[2];
}

void Player::OnEvent(int32_t sequence) {
  if (state == STATE_DEATH && sequence != 0 && sequence != 1 && sequence != 3) return;
  switch (sequence) {
    case 0:
    case 1:
    case 2:
    case 3:
    case 9:
    case 10:
      SetState(STATE_SCRIPTED, sequence);
      break;
    default:
      break;
  }
}

void Player::Place(float x, float y, float z) {
  transform = kIdentityMatrix;
  position[0] = x;
  position[1] = y;
  position[2] = z;
}

void Player::SetPosition(float x, float y, float z) { Place(x, y, z); }

void Player::ClearInputHistory() {
  input = InputBlock{};
  previousInput = InputBlock{};
}

void Player::AddPower(float amount) {
  const auto before = static_cast<int32_t>(power);
  power += amount;
  const auto after = static_cast<int32_t>(power);
  for (int32_t k = before; k < after && k < 4; ++k) options.PlaceByPower();
  if (power > 4.0f) power = 4.0f;
}

void Player::StartStageClear() {
  Game* g = TheGame();
  if (g == nullptr || g->stageClear != 0) return;
  g->stageClear = 1;
  stageClearCounter = 0;
}

bool Player::IsStageClearDone() {
  Game* g = TheGame();
  if (g == nullptr || g->stageClear == 0) return false;
  if (stageClearCounter == 360) g->RampValue(Game::kFadeLayerTop, 0.0f, 90);
  return stageClearCounter > 600;
}

void Player::SetGameOverFlag(uint8_t value) {
  if (Game* g = TheGame()) g->gameOver = value;
}

uint8_t Player::GetGameOverFlag() const {
  const Game* g = TheGame();
  return g != nullptr ? g->gameOver : 0;
}

// ============================================================ input

void Player::ReadInput() {
  if (g_Replay.GetMode() != Replay::MODE_PLAY) {
    Game* g = TheGame();
    if (g != nullptr) {
      static constexpr int32_t kCounters[kPadCounters] = {SPad::PAD_UP,      SPad::PAD_DOWN,    SPad::PAD_LEFT,
                                                           SPad::PAD_RIGHT,   SPad::PAD_BUTTON1, SPad::PAD_BUTTON2,
                                                           SPad::PAD_START};
      for (int i = 0; i < kPadCounters; ++i) padCounters[i] = g->GamePadRef().GetCounter(kCounters[i]);
    }
  }
  int32_t* c = padCounters;
  g_Replay.Step(&c[0], &c[1], &c[2], &c[3], &c[4], &c[5], &c[6], nullptr);
}

void Player::UpdateInput(int32_t mask) {
  ReadInput();
  InputBlock& in = input;
  const InputBlock& prev = previousInput;
  auto held = [](int32_t counter, int32_t frames) { return counter >= 0 ? frames + 1 : 0; };
  if ((mask & kInputDirections) != 0) {
    in.up = held(padCounters[PAD_SLOT_UP], in.up);
    in.down = held(padCounters[PAD_SLOT_DOWN], in.down);
    in.left = held(padCounters[PAD_SLOT_LEFT], in.left);
    in.right = held(padCounters[PAD_SLOT_RIGHT], in.right);
  } else {
    in.up = in.down = in.left = in.right = 0;
  }
  if ((mask & kInputButtons) != 0) {
    in.a = held(padCounters[PAD_SLOT_BUTTON1], in.a);
    in.b = held(padCounters[PAD_SLOT_BUTTON2], in.b);
    const int32_t gap = in.a > in.b ? in.a - in.b : in.b - in.a;
    in.both = (in.a > 0 && in.b > 0 && gap < 6) ? in.both + 1 : 0;
    in.aTap = (in.a <= 0 && prev.a >= 1 && prev.a <= 19) ? in.aTap + 1 : 0;
    in.bTap = (in.b <= 0 && prev.b >= 1 && prev.b <= 19) ? in.bTap + 1 : 0;
    in.bothTap = (in.both < 1 && prev.both >= 1 && prev.both <= 19) ? in.bothTap + 1 : 0;
  } else {
    in.a = in.b = in.both = in.aTap = in.bTap = in.bothTap = 0;
  }
  if ((mask & kInputTiltDecay) != 0) {
    auto decay = [](float v) {
      if (v > 0.0f) v -= 0.05f;
      else if (v < 0.0f) v += 0.05f;
      return (v > -0.05f && v < 0.05f) ? 0.0f : v;
    };
    in.tiltX = decay(in.tiltX);
    in.tiltY = decay(in.tiltY);
    poseWeight = poseWeight - 0.05f < 0.0f ? 0.0f : poseWeight - 0.05f;
  }
  previousInput = input;
}

// ============================================================ publishing

void Player::PublishState() {
  if (invulnerability > 0) --invulnerability;
  StepMotions();
  ViewTiltMatrix = kIdentityMatrix;
  const auto a = static_cast<int32_t>(position[0] * -8.0f);
  MakeRotationTurns16(&ViewTiltMatrix, &ViewTiltMatrix, 0, a, 0);
  ViewTiltMatrix.m[3][0] = position[0] * -0.125f;
  ViewTiltMatrix.m[3][1] = 0.0f;
  ViewTiltMatrix.m[3][2] = 0.0f;
  for (int i = 0; i < 3; ++i) middlePoint[i] = widePoint[i] = position[i];
  PlayerPos = SVec4{position[0], position[1], position[2], position[3]};
}

SVec4 Player::SumTweenOffsets() {
  SVec4 off{0.0f, 0.0f, 0.0f, 1.0f};
  for (size_t i = 0; i < tweens.size();) {
    Tween& t = tweens[i];
    ++t.frame;
    if (t.frame > t.length) {
      tweens.erase(tweens.begin() + static_cast<std::ptrdiff_t>(i));
      continue;
    }
    auto ratio = [&](int32_t n) {
      return (n < 0 || t.length <= 0) ? 0.0f : static_cast<float>(n) / static_cast<float>(t.length);
    };
    const float d = Interpolate(t.type, t.from, t.to, ratio(t.frame)) - Interpolate(t.type, t.from, t.to, ratio(t.frame - 1));
    off.x += t.direction[0] * d;
    off.y += t.direction[1] * d;
    off.z += t.direction[2] * d;
    ++i;
  }
  return off;
}

void Player::ApplyTweens() {
  if (!tweens.empty()) {
    const SVec4 off = SumTweenOffsets();
    position[0] += off.x;
    position[1] += off.y;
    position[2] += off.z;
  }
  StepAnchors();
}

void Player::PushOut(const HitBody* solid) {
  if (solid == nullptr || solid->position == nullptr) return;
  const float* b = solid->position;
  const float a = std::atan2(position[1] - b[1], position[0] - b[0]);
  const float r = body.radius + solid->radius;
  const float tx = b[0] + std::cos(a) * r;
  const float ty = b[1] + std::sin(a) * r;
  position[0] += (tx - position[0]) * 0.25f;
  position[1] += (ty - position[1]) * 0.25f;
}

// ============================================================ start and scripts

void Player::StartStep() {
  Game* g = TheGame();
  if (g != nullptr) g->RampValue(Game::kFadeLayerTop, 1.0f, 30);
  drawn = 1;
  g_ZGInterface.Ramp().Update(true);
  // The intro flight when stage 1 (or its demo) starts from its beginning.
  const bool intro = g != nullptr && g->checkpoint == 0 && (g->stage == 1 || g->stage == 101) &&
                     state != STATE_DEATH;
  SetState(STATE_SCRIPTED, intro ? 2 : 0);
}

void Player::ScriptedStep() {
  if (stepLength > 0) ++stepCounter;
  switch (scriptedSub) {
    case 0: SequenceEntry(); break;
    case 1:
      Place(0.0f, 80.0f, 0.0f);
      StartMotion(0, 0);
      StartMotion(1, 0);
      SetState(STATE_PLAY);
      break;
    case 2: SequenceIntroFlight(); break;
    case 3: SequencePathFlight(); break;
    case 4:
    case 7:
    case 9: SequenceWarp(scriptedSub); break;
    case 5: SequenceLongFlight(49, 515); break;
    case 6: SequenceLongFlight(50, 515); break;
    case 8: SequenceLongFlight(51, 500); break;
    case 10: SequenceEnding(); break;
    default: SetState(STATE_PLAY); break;
  }
}

void Player::SequenceEntry() {
  const float r = Ratio(stepCounter, stepLength);
  switch (step) {
    case 0:
      StartMotion(0, 0);
      StartMotion(1, 25);
      Place(0.0f, 500.0f, 0.0f);
      step = 1, stepLength = 60, stepCounter = 0;
      break;
    case 1:
      position[0] = 0.0f;
      position[2] = 0.0f;
      position[1] = 275.0f + 125.0f * std::cos(kPi * r);
      hullOffset[0] = 0.075f + 0.075f * std::cos(kPi * r);
      if (stepCounter == 40) StartMotion(1, 26);
      if (stepCounter >= stepLength) step = 2, stepLength = 30, stepCounter = 0;
      break;
    default:
      invulnerability = 180;
      g_EShotMan.ClearAll(1);
      SetState(STATE_PLAY);
      break;
  }
}

void Player::SequenceIntroFlight() {
  const float r = Ratio(stepCounter, stepLength);
  auto scale = [this](float s) {
    for (float& v : hullScale) v = s;
  };
  switch (step) {
    case 0:
      flightPath.Reset();
      flightPath.kind = 0;
      flightPath.tension = 0.0f;
      flightPath.AddKey(SVec4{-150.0f, -190.0f, 0.0f, 1.0f});
      flightPath.AddKey(SVec4{1200.0f, 2600.0f, 0.0f, 1.0f});
      flightPath.SetEnds(nullptr, nullptr);
      pathSegment = 0;
      pathT = 0.0f;
      StartMotion(1, 24);
      scale(0.08f);
      Place(-145.0f, -180.0f, 0.0f);
      step = 1, stepLength = 130, stepCounter = 0;
      break;
    case 1:
      position[0] = -140.0f - 10.0f * r;
      position[1] = -175.0f - 15.0f * r;
      scale(0.1f * r);
      if (stepCounter >= stepLength) step = 2, stepLength = 120, stepCounter = 0;
      break;
    case 2: {
      const float s = (std::sin(kTwoPi * r + kThreeHalfPi) + 1.0f) * 0.5f;
      const float e = s * s * s * s;
      int32_t seg = pathSegment;
      float t = pathT;
      flightPath.Advance(&seg, &t, pathSegment, pathT, e * 99.9f + 0.1f);
      pathSegment = seg;
      pathT = t;
      float p[3] = {position[0], position[1], position[2]};
      if (flightPath.Evaluate(p, pathSegment, pathT)) {
        position[0] = p[0];
        position[1] = p[1];
        position[2] = p[2];
      }
      scale(e * 3.9f + 0.1f);
      if (position[1] > 400.0f) step = 3, stepLength = 1, stepCounter = 0;
      break;
    }
    default:
      Place(0.0f, 500.0f, 0.0f);
      scale(0.5f);
      OnEvent(3);
      flightPath.Reset();
      break;
  }
}

void Player::SequencePathFlight() {
  switch (step) {
    case 0:
      StartMotion(0, 48);
      StartMotion(1, 24);
      Place(0.0f, 500.0f, 0.0f);
      for (float& v : hullOffset) v = 0.0f;
      for (float& v : hullScale) v = 1.0f;
      step = 1, stepLength = 400, stepCounter = 0;
      break;
    default: {
      float x = 0.0f, y = 0.0f;
      if (playerstage::PathKey(stepCounter, &x, &y)) {
        position[0] = x;
        position[1] = y;
      }
      if (stepCounter == 385) StartMotion(1, 26);
      if (stepCounter >= stepLength) SetState(STATE_PLAY);
      break;
    }
  }
}

// Warp out (sequences 4, 7 and 9): the hull shrinks away in sparkles, a
// ring burst, and the ship waits off the rail for its warp-in point.
void Player::SequenceWarp(int32_t sub) {
  const float r = Ratio(stepCounter, stepLength);
  switch (step) {
    case 0:
      drawn = 1;
      StartMotion(1, 24);
      step = 1, stepLength = 20, stepCounter = 0;
      break;
    case 1:
      hullOffset[2] += 0.11f;
      hullScale[0] = 1.0f - r;
      EmitRandomEffect(position, 0.0f);  // two sparkles, one beside each engine
      if (stepCounter >= stepLength) {
        drawn = 0;
        PlayerFx::RingBurst(position);
        Place(0.0f, sub == 9 ? 130.0f : 50.0f, 0.0f);
        step = 2, stepLength = sub == 9 ? 100 : 120, stepCounter = 0;
      }
      break;
    default: {
      const float rail = playerstage::RailPosition();
      if (sub == 9) {
        if (std::lround(rail) == 4100) SetState(STATE_SCRIPTED, 10);
        break;
      }
      const float in = sub == 4 ? 3565.0f : 6680.0f;
      if (rail >= in && rail < in + 20.0f) {
        const float f = (rail - in) * 0.05f;
        drawn = 1;
        hullOffset[2] = f * 2.2f - 2.2f;
        hullScale[0] = f;
        EmitRandomEffect(position, 0.0f);
      }
      if (sub == 4) {
        if (playerstage::RailPath() == 1)
          SetState(STATE_SCRIPTED, 6);
        else if (rail >= 3585.0f)
          SetState(STATE_SCRIPTED, 5);
      } else if (std::lround(rail) == 6700) {
        SetState(STATE_SCRIPTED, 8);
      }
      break;
    }
  }
}

void Player::SequenceLongFlight(int32_t hullMotion, int32_t frames) {
  if (step == 0) {
    StartMotion(0, hullMotion);
    StartMotion(1, 25);
    Place(0.0f, 50.0f, 0.0f);
    for (float& v : hullScale) v = 1.0f;
    for (float& v : hullOffset) v = 0.0f;
    drawn = 1;
    step = 1, stepLength = frames, stepCounter = 0;
    return;
  }
  if (stepCounter == frames - 10) StartMotion(1, 26);
  if (stepCounter >= stepLength) SetState(STATE_PLAY);
}

void Player::SequenceEnding() {
  switch (step) {
    case 0:
      StartMotion(0, 52);
      StartMotion(1, 25);
      Place(0.0f, 130.0f, 0.0f);
      drawn = 1;
      step = 1, stepLength = kEndingFlightFrames, stepCounter = 0;
      break;
    case 1: {
      // The ending path's key for this frame of the flight; without the
      // path the ship stays where it is.
      float x = 0.0f, y = 0.0f, z = 0.0f;
      if (playerstage::EndingPathPoint(stepCounter, &x, &y, &z)) Place(x, y, z);
      if (stepCounter >= stepLength) {
        Place(0.0f, 500.0f, 0.0f);
        step = 2, stepLength = 0, stepCounter = 0;
      }
      break;
    }
    default:
      Place(0.0f, 500.0f, 0.0f);
      break;
  }
}

// ============================================================ death

void Player::Respawn() { SetState(STATE_SCRIPTED, 0); }

void Player::DeathStep() {
  if (stepLength > 0) ++stepCounter;
  Game* g = TheGame();
  switch (step) {
    case 0:
      if (stepCounter >= stepLength) {
        step = 1, stepLength = 120, stepCounter = 0;
        StartMotion(0, 45);
      }
      break;
    case 1: {
      const int32_t k = stepCounter;
      if (k < 80) {
        const SVec4 hull = HullPoint(0, deathOrigin);
        if ((k & 1) == 0) PlayerFx::Debris(position);
        for (int i = 0; i < 3; ++i) {
          const float angle = RandF();
          const float speed = 1.0f + 2.0f * RandF();
          const auto life = static_cast<int32_t>(10.0f + 20.0f * RandF());
          const float at[4] = {hull.x, hull.y, hull.z, 1.0f};
          SpawnSparkle(at, angle, speed, speed * 0.5f, 0.0f, 0.0f, 0.0f, 0.0f, life, life);
          SpawnSparkle(at, angle + 0.5f, speed, speed * 0.5f, 0.0f, 0.0f, 0.0f, 0.0f, life, life);
        }
        Place(hull.x, hull.y, hull.z);
      }
      if (k == 60 && g != nullptr) {
        if (g->lives >= 0) {
          ++g->bombs;
          Respawn();
          return;
        }
        g->StopSe(kSoundDeathStop);
        ContinuePromptAnswer = -1;
        // A recorded play (a demo play, the tutorial) has nobody to answer a
        // prompt: it would only freeze the attract sequence. It ends as a
        // game over, which its scene takes.
        auto* prompt = g->demoPlay == 0 && g->tutorialFlag == 0 ? new (std::nothrow) ContinuePrompt() : nullptr;
        if (prompt != nullptr) {
          g->AddChild(GAME_LIST_SCENE, prompt, 0);
          if (prompt->GetParent() == nullptr) delete prompt;
        }
      }
      if (k >= 61 && g != nullptr && g->settings[SettingsWord::continueOn] != 0 && ContinuePromptAnswer == 1) {
        ContinuePromptAnswer = -1;
        g_ZGInterface.Ramp().Update(true);
        g->ResetForPlay();
        Respawn();
        return;
      }
      if (k == 100 && g != nullptr) g->RampValue(Game::kFadeLayerTop, 0.0f, 90);
      if (k >= stepLength) step = 2, stepLength = 90, stepCounter = 0;
      break;
    }
    case 2:
      if (stepCounter >= stepLength) step = 3, stepLength = 1, stepCounter = 0;
      break;
    default:
      SetState(STATE_PLAY);
      SetGameOverFlag(1);
      break;
  }
}
