#pragma once
// The frame every stage scene is built on: one process that the game root
// runs in its list 6 while a stage is played. It loads the stage's
// resources into group 3 (through the stage's cache archive, written on the
// first run), attaches MapMng, and runs a behaviour machine with two
// states: 0 loading (once everything has settled it starts the stage's fog,
// cloud and extra layers, pushes its map commands, resets the stage, hands
// the stage script to the enemy timeline and starts the music) and 1 play
// (the enemy timeline steps, then the stage's rail triggers). Stage clear
// and game over belong to the game root; a killed stage scene stops its
// music and releases its resources in its dispose handler.
//
// Handlers: DRAW calls the behaviour handler with the draw code on the
// current state (a pending change is not taken there), then draws the
// children; MAIN passes MAIN to the children; END runs the behaviour (the
// frame code), then passes END on.
#include <cstdint>

#include "game/core/Behavior.h"
#include "game/stage/CloudQuad.h"
#include "game/stage/StageFog.h"
#include "vrax/graphic/SGpState.h"
#include "vrax/kernel/SProc.h"

struct SRscRequest;

// What sets one stage's frame apart.
struct StageParams {
  int32_t stage;              // 1 to 5
  const char* name;           // process name, "Stage1"
  const SRscRequest* table;   // resource table, loaded into group 3
  const char* cacheArchive;   // "\cache\stage1"
  int32_t musicEntry;         // entry of the music bank
  // The dispose also stops the shared music entry (5) that the stage's
  // events may start; stage 5 stops only the entry it started.
  bool stopsSharedMusic = true;
};

class StageProc : public SProc {
 public:
  // The stage's resource group (loaded over the shared scene buffer).
  static constexpr int32_t kResourceGroup = 3;
  static constexpr int32_t kSharedMusicEntry = 5;
  enum State : int32_t { STATE_LOADING = 0, STATE_PLAY = 1 };

  int32_t GetBehaviorState() const { return behavior_.GetState(); }

  // The rail position with its fraction cut off toward zero: the value the
  // rail triggers compare with whole numbers.
  static int32_t RailKey();
  // Whether the rail is on camera path 0.
  static bool OnPath0();

 protected:
  explicit StageProc(const StageParams& params);

  int32_t Init(SProcArg arg) override;
  int32_t Draw(SProcArg arg) override;
  int32_t Main(SProcArg arg) override;
  int32_t End(SProcArg arg) override;
  int32_t OnDispose(SProcArg arg) override;

  // The behaviour handler (codes: Behavior::CODE_FRAME, CODE_ENTER,
  // CODE_LEAVE, CODE_NOTIFY for draw): 1 for the codes of states 0 and 1,
  // 0 otherwise. The stages fill in the hooks below.
  virtual int32_t Handler(int32_t code, int32_t state);

  // Loading state, once everything has settled: the layers the stage starts
  // before its map commands (fog, clouds, extra members).
  virtual void StartLayers() {}
  // The stage's map commands and draw keys.
  virtual void SetUpMap() {}
  // Starts the stage music (the checks of the stage included).
  virtual void StartMusic();
  // The end of the loading state after the music (stage 5 does its own).
  virtual void FinishLoading();
  // Play state: entering it, the frame's rail triggers, its drawing.
  virtual void PlayEnter() {}
  virtual void PlayTriggers() {}
  virtual void PlayDraw() {}

  // Helpers of the stages.
  // Adds the fog member with the tables of path 0 and of the other paths.
  void StartFog(const float* path0, const float* otherPaths);
  // Adds the cloud member with its INIT words.
  void StartClouds(const CloudQuadArgs& args);
  // A new StageName in child list 0 (nothing when it cannot be made).
  void AddStageName(int32_t stage);
  // Adds a newly made process to child list 0 with the argument; the
  // process, or null when there was none or it could not be added (it is
  // then freed): the stage plays on without it.
  SProc* AddNewChild(SProc* child, SProcArg arg = 0);
  // The stage music on its entry: only while the checkpoint value is below
  // `checkpointLimit`, sound is on and, when `attractGate`, the attract
  // sound rule allows it.
  void PlayMusic(int32_t checkpointLimit, bool attractGate);
  // A stage sound effect with the effect volume curve times gain, under the
  // sound rule (sound on; attract sound or no demo play).
  static void PlayStageSe(int32_t n, int32_t gain);
  // Enemy timeline on the loaded stage script, resumed at the checkpoint.
  void StartTimeline();
  // The sky model of MapMng's sky slots: its world matrix (set it first),
  // then EnterSky enters the matrix, the sky image's texture and the model
  // at the key (nothing while the sky is not loaded).
  SMatrix& SkyMatrix() { return skyWorld_.GetMatrix(); }
  void EnterSky(int32_t key);

  class StageBehavior : public Behavior {
   public:
    explicit StageBehavior(StageProc* owner) : owner_(owner) {}
    int32_t Handle(int32_t code, int32_t state) override { return owner_->Handler(code, state); }

   private:
    StageProc* owner_;
  };

  StageParams params_;
  StageBehavior behavior_{this};
  StageFog fog_;
  CloudQuad clouds_;
  CloudQuadArgs cloudArgs_;
  SGpState_World skyWorld_;
};
