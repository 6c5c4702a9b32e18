#pragma once
// Scene 13, the table of the 25 best plays: the rows slide in one after
// another from the 25th place up, alternately from the left and the right,
// and scroll down the screen fading out; the row of the play just entered
// is highlighted, the first place gets its badge, and the attract line
// blinks below. A coin, a credit or, in free play, start ends it early; it
// then leads to the title, otherwise to the logo.
#include <cstdint>

#include "game/core/GfxObject.h"
#include "game/core/RankTable.h"
#include "game/scene/SceneFrame.h"
#include "vrax/graphic/SGpObj_Prim.h"

class Ranking : public SceneProc {
 public:
  enum State : int32_t { STATE_LOAD = 0, STATE_ROWS = 1, STATE_CLOSING = 2 };
  enum RowState : int32_t { ROW_WAITING = 0, ROW_SLIDING = 1, ROW_SCROLLING = 2, ROW_DONE = 3 };

  struct Row {
    const RankEntry* entry = nullptr;
    float startX = 0.0f, x = 0.0f, y = 0.0f, alpha = 1.0f;
    bool highlight = false;
    int32_t rowState = ROW_WAITING;
    int32_t rowTimer = 0;
  };

  const Row& GetRow(int i) const { return rows_[i]; }
  int32_t GetFrame() const { return frame_; }
  int32_t GetNextRow() const { return nextRow_; }
  int32_t GetInterval() const { return interval_; }
  const GfxObject& PlaceText() const { return places_; }
  const GfxObject& ScoreText() const { return scores_; }
  const GfxObject& NameText() const { return names_; }
  const GfxObject& StageText() const { return stages_; }
  const GfxObject& AttractText() const { return attract_; }
  const SGpObj_Prim& Badge() const { return badge_; }
  const SGpObj_Prim& Bar() const { return bar_; }

 protected:
  int32_t Init(SProcArg arg) override;
  int32_t Draw(SProcArg arg) override;
  int32_t OnDispose(SProcArg arg) override;
  int32_t Handler(int32_t code, int32_t state) override;

 private:
  void StartRows();
  void RowsFrame();
  static void StepRow(Row& r);
  void PrintRow(int i);
  void DrawScreen();
  void Attract();

  SGpObj_PrimQuad background_;
  SGpObj_PrimQuad title_;
  SGpObj_PrimQuad badge_;
  SGpObj_PrimQuad bar_;
  GfxObject places_, scores_, names_, stages_;
  GfxObject attract_;
  int32_t frame_ = 0;
  int32_t interval_ = 0;
  int32_t nextRow_ = 0;
  Row rows_[kRankEntries];
};
