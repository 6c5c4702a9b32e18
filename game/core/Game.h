#pragma once
// The game root: the one process of kernel list 2 and the parent of
// everything that is play. It holds the cabinet settings, lives, bombs,
// score and play record, the pads, the 37 draw layers, the full-screen fade
// and the screen shake; it queues scene-change requests and starts at most
// one new scene per frame, only while the resource manager has no load
// pending; it watches for hardware faults, the test switch and the moment
// the player may leave.
#include <cstdint>
#include <deque>

#include "game/core/SharedSpriteBatch.h"
#include "game/core/SystemFile.h"
#include "vrax/graphic/SGpObj_Prim.h"
#include "vrax/graphic/SGpSpriteBatch.h"
#include "vrax/graphic/SGpState.h"
#include "vrax/graphic/SMath.h"
#include "vrax/input/SPad.h"
#include "vrax/kernel/SProc.h"

class SRsc;

// Scene ids of the scene-change queue.
enum SceneId : int32_t {
  SCENE_LOAD_COMMON = 1,
  SCENE_MANAGERS = 2,
  SCENE_NOTICE = 3,
  SCENE_LOGO = 4,
  SCENE_TITLE = 5,
  SCENE_TUTORIAL = 6,
  SCENE_STAGE = 7,
  SCENE_STAGE_RESULT = 8,
  SCENE_CONTINUE = 9,
  SCENE_ENDING1 = 10,
  SCENE_ENDING2 = 11,
  SCENE_ENTRY = 12,
  SCENE_RANKING = 13,
  SCENE_OPENING = 14,
  SCENE_PARTS_SPAWN = 15,
  SCENE_TEST_MODE = 16,
};

// The Game's child lists.
enum GameList : int32_t {
  GAME_LIST_HIT = 0,
  GAME_LIST_PLAYER = 1,
  GAME_LIST_ENEMY = 2,
  GAME_LIST_SCENE = 5,
  GAME_LIST_STAGE = 6,
  GAME_LIST_MANAGERS = 7,
  GAME_LIST_COUNT = 8,
};

// Play-record words.
enum PlayRecordWord : int32_t {
  REC_SCORE = 0,
  REC_OVERFLOW = 1,
  REC_HIGH_SCORE = 2,
  REC_HIGH_OVERFLOW = 3,  // of the first ranking entry, as REC_HIGH_SCORE
  REC_BONUS_B = 4,
  REC_BONUS_B_OVERFLOW = 5,
  REC_TOTAL_C = 6,
  REC_TOTAL_C_OVERFLOW = 7,
  REC_LOCK_CATCHES = 8,  // IncCounterB
  REC_LOCK_ONS = 9,      // IncCounterA
  REC_RUN = 10,
  REC_RUN_MAX = 11,
  REC_BEST_CHAIN = 12,  // the longest chain of the play
  REC_TOTAL_COUNT = 13,
  REC_WORDS = 14,
};

struct SceneRequest {
  int32_t id;
  int32_t a1, a2, a3, a4;
};

// Set once the hardware-error screen or the test mode has taken over; play
// never comes back.
extern uint8_t g_GameTakeover;

class Game : public SProc {
 public:
  static constexpr int kLayers = 37;
  static constexpr int kPads = 4;
  static constexpr uint32_t kScoreLimit = 1000000000u;
  // The extend sound of the common sound bank.
  static constexpr int32_t kExtendSound = 58;
  // User event a beaten last boss sends: the Player's stage-clear sequence
  // starts (when the Player is in the game root's lists).
  static constexpr int32_t kEventStageClear = 18;

  Game();
  ~Game() override;
  static Game* GetInstance() { return s_instance; }

  // ------------------------------------------------------------ scenes
  void ChangeScene(int32_t id, int32_t a1 = 0, int32_t a2 = 0, int32_t a3 = 0, int32_t a4 = 0);
  // Starts the front request when no load is pending (once per EVENT_END).
  void SwitchScene();
  // Scene 1: the loading screen and the common resources.
  void LoadCommon();
  // Scene 2: the persistent managers join their lists.
  void AddPersistentManagers();
  // Ends what a stage left behind.
  void ClearStageObjects();
  // The per-stage resets at stage start: rand seeded with 0, the Player into
  // its start state with a clear input history, the chain (the score
  // multiplier) and the stage's counters, the dash formation, the display
  // and the tutorial flag.
  void ResetStageState();
  int32_t GetSceneId() const { return sceneId_; }
  const std::deque<SceneRequest>& GetRequests() const { return requests_; }
  // The request the switcher is acting on (its words reach the new scene).
  const SceneRequest& GetCurrentRequest() const { return current_; }

  // ------------------------------------------------------------ pause
  // Takes effect at the next EVENT_BEGIN; while paused the children get
  // EVENT_DRAW only.
  void SetPause(bool on) { requestedPause_ = on ? 1 : 0; }
  bool IsPaused() const { return pause_ != 0; }

  // ------------------------------------------------------------ fade, shake
  // Fades the full screen at draw key layer from the current level to target
  // over frames (0: at once). Levels: 0 black, 1 clear, 2 white.
  void RampValue(int32_t layer, float target, int32_t frames);
  // Fade layers: the layers drawn above the fade's own stay visible.
  static constexpr int32_t kFadeLayerTop = 0;    // over the whole picture
  static constexpr int32_t kFadeLayerFlash = 7;  // the play's flashes: layers 0 to 6 stay
  void ResetFade();
  void DrawFade();
  // The second overlay: mode 1 or 2 draws it, with its own ramp.
  void SetOverlay(int32_t mode, const float corners[4][4]);
  float GetFadeLevel() const { return fade_.level; }
  int32_t GetFadeLayer() const { return fadeLayer_; }
  void StartShake(int32_t strength);
  void ResetViewParams();
  const SVec4& GetShakeOffset() const { return shakeOffset_; }
  int32_t GetShakeFrames() const { return shakeFrames_; }

  // ------------------------------------------------------------ score
  void AddScore(uint32_t n);
  void AddBonusScore(int32_t kind, int32_t value);
  // AddScore of an amount that may pass 32 bits (the result bonuses).
  void AddScoreWide(uint64_t n);
  // The result-bonus pair + n (n may pass 32 bits: the stage bonuses).
  void AddScoreCarry(uint64_t n);
  void AddTotalC(uint32_t n);
  uint32_t ResetForPlay();
  void RestorePlayRecord();
  void IncCounterA() { ++record[REC_LOCK_ONS]; }
  void IncCounterB() { ++record[REC_LOCK_CATCHES]; }
  void ResetChain(int32_t playerMode = 0);
  void ResetScoreGlobals();
  // A checkpoint reached: its value stored and the play record snapshotted.
  void SetStage(int32_t n);
  int32_t QueryStub(int32_t, int32_t, int32_t) { return 0; }
  // Whether game sounds are silent now: the sound-off flag, or a demo play
  // while the attract-sound setting is 0.
  bool SoundMuted() const;
  // Plays sound n of the common sound-effect bank with the effect volume
  // curve times gain and the balance setting (nothing while muted).
  void PlaySe(int32_t n, int32_t gain = 61440);
  // The same on the voice bank.
  void PlayVoice(int32_t n, int32_t gain = 61440);
  // PlaySe that only the sound-off flag silences (the coin sound also
  // plays in a silent demo play).
  void PlaySeUnlessSoundOff(int32_t n, int32_t gain = 61440);
  // Stops sound n of the sound-effect bank.
  void StopSe(int32_t n);
  // Sets the volume of sound n of the sound-effect bank to the effect curve
  // times gain (nothing while muted): a looping sound that fades.
  void SetSeVolume(int32_t n, int32_t gain);
  // Stops sound n of the voice bank.
  void StopVoice(int32_t n);
  // Plays entry n of the music bank at the music volume curve and the
  // balance setting; nothing while the sound-off flag is set (the only
  // condition music has).
  void PlayMusic(int32_t n);
  // Stops entry n of the music bank.
  void StopMusic(int32_t n);
  // Sets the volume of entry n of the music bank, playing or not, to the
  // music volume curve times gain (65536 is full).
  void SetMusicVolume(int32_t n, float gain);

  // ------------------------------------------------------------ draw layers
  void InitDrawLayers();
  void SetViewMode(int32_t mode);
  void BuildViews();
  int32_t GetViewMode() const { return viewMode_; }
  SGpState_Block& LayerBlock(int k) { return layers_[k].block; }
  SGpState_Projection& LayerProjection(int k) { return layers_[k].projection; }
  SGpState_View& LayerView(int k) { return layers_[k].view; }
  SGpSpriteBatch& LayerBatch(int k) { return layers_[k].batch; }
  SGpState_Fog& StageFog() { return stageFog_; }
  SGpState_Fog& PlainFog() { return plainFog_; }
  SGpState_Light& LightA() { return lightA_; }
  SGpState_Light& LightB() { return lightB_; }
  SGpState_Light& LightC() { return lightC_; }
  SGpState_Light& LightD() { return lightD_; }
  SGpState_Ambient& Ambient05() { return ambient05_; }
  SGpState_Ambient& Ambient07() { return ambient07_; }
  SGpState_Ambient& Ambient10() { return ambient10_; }
  const SMatrix& FixedView() const { return fixedView_; }
  SMatrix& StageCamera() { return stageCamera_; }
  const float* PlayRect() const { return playRect_; }
  // The camera objects: SetViewMode copies the view it sets up, placed at
  // (0, 0, -512), into both; a stage start returns the first to identity.
  const SMatrix& CameraNode(int i) const { return cameraNodes_[i & 1]; }
  // The second view: the stage camera's view followed by the second camera
  // object. It looks from the rail camera's eye the other way, along +z,
  // upside down, the eye 512 units further back.
  SMatrix SecondView() const;
  // The shared batch draw object of the items (prepared in scene 2).
  SharedSpriteBatch& SharedBatch() { return sharedBatch_; }

  // ------------------------------------------------------------ pads
  SPad& Pad(int i) { return pads_[i & (kPads - 1)]; }
  SPad& GamePadRef() { return gamePad_; }

  // ------------------------------------------------------------ fields
  int32_t settings[kSettingsCount] = {};
  int32_t lives = 0;
  int32_t bombs = 0;
  int32_t frameCounter = 0;
  // The stage number a stage scene runs with (1 to 5 in a play, 101 to 103
  // in the demo plays), set where the stage starts and carried through a
  // continue.
  int32_t stage = 0;
  // The value of the last checkpoint the rail passed (SetStage); 0 at a
  // stage's start. A restart and the enemy timeline resume from it.
  int32_t checkpoint = 0;
  // 1 while a demo play or the attract tutorial runs (their sounds follow
  // the attract-sound setting).
  int32_t demoPlay = 0;
  uint8_t soundOff = 0;
  // The stage world draws and steps only while this is set (1 at the start
  // of a stage).
  uint8_t mapEnable = 0;
  // The four per-stage flag bytes.
  uint8_t stageClear = 0;
  uint8_t gameOver = 0;
  uint8_t bossBeaten = 0;
  uint8_t tutorialFlag = 0;
  uint32_t record[REC_WORDS] = {};
  uint32_t blankRecord[REC_WORDS] = {};
  uint32_t stageSnapshot[REC_WORDS] = {};
  int32_t exitWait = 0;

 protected:
  int32_t Init(SProcArg arg) override;
  int32_t Draw(SProcArg arg) override;
  int32_t Begin(SProcArg arg) override;
  int32_t Main(SProcArg arg) override;
  int32_t End(SProcArg arg) override;
  int32_t KillChildren(SProcArg arg) override;
  int32_t OnDispose(SProcArg arg) override;
  int32_t User(int32_t code, SProcArg arg) override;

 private:
  // Plays sound n of a bank under the sound rule.
  void PlayOn(SRsc* bank, int32_t n, int32_t gain);
  // Plays it at the effect volume curve times gain, whatever the rule.
  void PlayLevelled(SRsc* bank, int32_t n, int32_t gain);
  // The play globals of the chain and dash logic cleared, the ship's power
  // back to 2.0 (a continue).
  void ResetPlayGlobals();

  struct Ramp {
    float level = 1.0f, start = 1.0f, target = 1.0f;
    int32_t counter = 0, duration = 0;
    void Set(float to, int32_t frames);
    void Step();
  };
  struct Layer {
    SGpState_Projection projection;
    SGpState_View view;
    SGpState_Block block;
    SGpSpriteBatch batch;
  };

  void ActOnScene(const SceneRequest& r, int32_t previous);
  // One frame of the in-game display's hide ramp.
  void StepHoldRampOff();
  void StartStage(const SceneRequest& r, int32_t previous);
  void TakeOver(int32_t code);
  void TestExitRule();
  void CheckStageEnd();
  void ShakeStep();
  void BuildWhiteQuad();
  void RegisterResourceKinds();

  int32_t sceneId_ = 0;
  std::deque<SceneRequest> requests_;
  SceneRequest current_{0, 0, 0, 0, 0};
  uint8_t pause_ = 0;
  uint8_t requestedPause_ = 0;

  SPad pads_[kPads];
  SPad gamePad_;

  // Draw layers and the packets they share.
  Layer layers_[kLayers];
  SGpState_ViewRect viewRect_;
  SGpState_Clip clipA_, clipB_;
  SGpState_AlphaTest alphaA_, alphaB_;
  SGpState_Light lightA_, lightB_, lightC_, lightD_;
  SGpState_Ambient ambient05_, ambient07_, ambient10_;
  SGpState_Fog stageFog_, plainFog_;
  SMatrix orientation_;
  SMatrix fixedView_;
  SMatrix playView_;
  SMatrix stageCamera_;
  SMatrix cameraNodes_[2];
  SharedSpriteBatch sharedBatch_;
  int32_t viewMode_ = 10;
  float viewWidth_ = 853.33f;
  float viewHeight_ = 640.0f;
  float playRect_[4] = {-240.0f, -320.0f, 480.0f, 640.0f};

  // Shake.
  int32_t shakeStrength_ = 0;
  int32_t shakeFrames_ = 0;
  SVec4 shakeOffset_{0.0f, 0.0f, 0.0f, 1.0f};

  // Fade, the white far quad and the second overlay.
  int32_t fadeLayer_ = 0;
  Ramp fade_;
  SGpObj_PrimQuad fadeQuad_{0x042};
  SGpObj_PrimQuad whiteQuad_{0x042};
  int32_t overlayMode_ = 0;
  Ramp overlay_;
  SGpObj_PrimQuad overlayQuad_{0x042};
  float overlayColours_[4][4] = {};
  SGpState_Blend overlayBlend_[2] = {SGpState_Blend(1, 0.5f), SGpState_Blend(2, 0.5f)};

  static Game* s_instance;
};

// The game root (null when none exists).
inline Game* GetGame() { return Game::GetInstance(); }
