#pragma once
// Scene 12, the name entry of a play that ranks: the play's results on a
// panel, a name of up to three characters chosen letter by letter within 30
// seconds (with auto-repeat on the two directions, an erase mark and an end
// mark), a filter of unwanted names, then the play is inserted into the
// ranking and the ranking file saved. It leads to the title when the credit
// suffices, otherwise to the ranking.
#include <cstdint>

#include "game/core/GfxObject.h"
#include "game/core/ObjPool.h"
#include "game/core/SplineMover.h"
#include "game/scene/SceneFrame.h"
#include "vrax/graphic/SGpObj_Prim.h"

// A spark left behind by the panel's three drifting lights.
class EntrySparkle : public PooledOf<SObject> {
 public:
  float x = 0.0f, y = 0.0f;
  float colour[4] = {1.0f, 1.0f, 1.0f, 1.0f};
  int32_t age = 0;
};

class Entry : public SceneProc {
 public:
  enum State : int32_t { STATE_LOAD = 0, STATE_NAME = 1, STATE_CONFIRMED = 2, STATE_SAVING = 3 };
  // The letters (index 0 to 44): 42 the blank, 43 the erase mark, 44 the
  // end mark.
  static constexpr const char kLetters[46] = "ABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789&,.-?! <`";
  static constexpr int32_t kBlank = 42;
  static constexpr int32_t kEraseMark = 43;
  static constexpr int32_t kEndMark = 44;
  static constexpr int32_t kSeconds = 31;
  static constexpr int32_t kFirstInterval = 40;
  static constexpr int32_t kSparkles = 64;
  static constexpr int32_t kStepSound = 27;
  static constexpr int32_t kSelectSound = 28;
  static constexpr int32_t kConfirmSound = 44;

  struct Slot {
    char c = ' ';
    int32_t index = kBlank;
    float x = 0.0f;
  };

  // Whether a name (three characters and a zero byte) may stand in the
  // ranking: not empty and none of the rejected words.
  static bool NameAccepted(const char* name);

  int32_t GetTimer() const { return timer_; }
  int32_t GetFrame() const { return frame_; }
  int32_t GetCursor() const { return cursor_; }
  int32_t GetMinIndex() const { return minIndex_; }
  int32_t GetRepeatCount() const { return repeatCount_; }
  int32_t GetForwardInterval() const { return forwardInterval_; }
  const Slot& GetSlot(int i) const { return slots_[i]; }
  // Where the play was inserted (25: not), and whether the file was saved.
  int32_t GetInsertedAt() const { return insertedAt_; }
  const GfxObject& NameLine() const { return nameLine_; }
  const GfxObject& TimerText() const { return timerText_; }
  const GfxObject& StageText() const { return stageText_; }
  const GfxObject& ChainText() const { return chainText_; }
  const GfxObject& ScoreText() const { return scoreText_; }
  const GfxObject& RankText() const { return rankText_; }
  const GfxObject& PlaceText() const { return placeText_; }

 protected:
  int32_t Init(SProcArg arg) override;
  int32_t Main(SProcArg arg) override;
  int32_t OnDispose(SProcArg arg) override;
  int32_t Handler(int32_t code, int32_t state) override;

 private:
  void StartResults();
  void StartName();
  void NameFrame();
  // One step of a held direction: +1 forward, -1 back.
  void Step(int32_t* interval, int32_t delta);
  void Erase();
  // The name of slots 0 to cursor - 1, blanks after them.
  void TakeName(char out[4]) const;
  // Stores the name in the pending entry, inserts it, state 2.
  void Confirm(const char* name);
  void PrintName(bool editing);
  void StepSparkles();
  void DrawScreen();

  SGpObj_PrimQuad background_;
  SGpObj_PrimQuad panel_;
  GfxObject stageText_, chainText_, scoreText_, rankText_, placeText_;
  GfxObject timerText_;
  GfxObject nameLine_;
  ObjPool<EntrySparkle> sparkles_;
  SGpObj_PrimQuadFill sparkleQuads_{plat::kFvfPosColour};
  SplineMover paths_[3];
  float lastSpawn_[3][2] = {};
  int32_t timer_ = kSeconds;
  int32_t frame_ = 0;
  int32_t repeatCount_ = 0;
  int32_t forwardInterval_ = kFirstInterval;
  int32_t backInterval_ = kFirstInterval;
  Slot slots_[4];
  int32_t cursor_ = 0;
  int32_t minIndex_ = 0;
  int32_t maxIndex_ = kEndMark;
  int32_t insertedAt_ = 25;
  bool saved_ = false;
};
