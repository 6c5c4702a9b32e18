// Whole games through the real program, from the coin to the attract
// sequence again, played by a scripted player (support/Pilot.h) through the
// cabinet inputs only: the title takes the coin and the start, the tutorial
// is skipped with start, the stages follow in order with a stage result
// after each, then the ending the score earns, the name entry with a typed
// name, the ranking showing it and the logo; like a player in a hurry it
// taps through the stage results and the staff roll. Each game checks the
// scenes in order, the stage number each stage runs with, the score carried
// from stage to stage, the ranking file byte by byte as its format lays it
// out, the codes the network service hears, and that through every stage
// the effect manager never runs out of room and no effect sprite outlives
// the longest effect.
//
// A game that ends below the ending score of stage 4 (350,000,000) sees the
// first ending; one above it goes on to stage 5 and the second ending. The
// low game starts carelessly, loses its lives in stage 1 and continues with
// a coin (a continue starts the score again); the high game chains its
// enemies with the lock-on and the dash until it is well past the ending
// score, then plays safe. A third game loses every life in stage 2 and lets
// the continue offer run out.
#include <gtest/gtest.h>

#include <cstdio>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "game/core/CoinCounter.h"
#include "game/core/Game.h"
#include "game/core/RankTable.h"
#include "game/core/StageCounters.h"
#include "game/player/Player.h"
#include "game/scene/ContinuePrompt.h"
#include "game/scene/Entry.h"
#include "game/scene/Ranking.h"
#include "support/EffectWatch.h"
#include "support/ErrorBox.h"
#include "support/Headless.h"
#include "support/LeBytes.h"
#include "support/Pilot.h"
#include "support/ServiceTap.h"

namespace {

using plat::CabInput;
using testsupport::Headless;
using testsupport::Pilot;
using Codes = std::vector<uint8_t>;

constexpr uint64_t kEndingScore = 350000000u;
// Frames a whole game may take at most (one plays about 60,000).
constexpr int kGameLimit = 100000;
// The high game chains until its score is this far on, then plays safe.
constexpr uint64_t kLead = 450000000u;
// Network service codes: a game begins, player 0 starts, continues, ends;
// the game ends.
constexpr uint8_t kGameBegins = 0xFD, kPlayStarts = 0x00, kContinues = 0x04, kPlayEnds = 0x08, kGameEnds = 0xFE;

uint64_t Score(const Game* g) {
  return uint64_t(g->record[REC_OVERFLOW]) * 1000000000u + g->record[REC_SCORE];
}

// One stage of the game as it was played.
struct StagePlayed {
  std::string name;
  std::vector<int32_t> stageWords;  // every value the stage number took
  uint64_t scoreAtStart = 0, scoreAtEnd = 0, scoreAfterResult = 0;
  int frames = 0;
  int32_t defeats = 0;  // enemies defeated in the stage
  testsupport::EffectWatch effects;
};

// How the scripted player meets the continue offer.
enum class AtThePrompt { kContinue, kDecline };

class GameRun {
 public:
  GameRun() {
    CoinCounter* coins = GetCoinCounter();
    coins->pendingCoins = coins->handOver = coins->coins = coins->totalCoins = coins->serviceCoins = 0;
    coins->credits = coins->serviceCredits = coins->remainder = coins->coinEvent = 0;
    testsupport::HeadlessOptions o;
    o.nullDevice = true;
    o.skipSpriteBatches = true;
    h_ = std::make_unique<Headless>(o);
    if (h_->Ok()) tap_ = std::make_unique<testsupport::ServiceTap>();
    pilot_ = std::make_unique<Pilot>(*h_);
  }
  ~GameRun() {
    pilot_.reset();
    tap_.reset();
    h_.reset();
  }

  Headless& H() { return *h_; }
  Game* G() const { return GetGame(); }
  Pilot& P() { return *pilot_; }
  Codes TakeCodes() { return tap_->Codes(); }
  const std::vector<std::string>& Scenes() const { return scenes_; }
  const std::vector<StagePlayed>& Stages() const { return stages_; }
  int Continues() const { return continues_; }
  int Frames() const { return frames_; }

  // From power-on: a coin at the notice, start at the title, start again to
  // skip the tutorial; true once stage 1 is under way.
  bool CoinAndStart() {
    if (!h_->Ok() || testsupport::RunUntilScene(*h_, "Notice", 600) < 0) return false;
    lastScene_ = "Notice";  // the log starts with the coin
    h_->Press(CabInput::kCoin, 2);
    if (!RunUntil([] { return testsupport::CurrentSceneName() == "Title"; }, 600)) return false;
    Step(10);
    h_->Press(CabInput::kStart, 1);
    if (!RunUntil([] { return testsupport::CurrentSceneName() == "Tutorial"; }, 300)) return false;
    Step(30);
    h_->Press(CabInput::kStart, 1);
    return RunUntil([this] { return !stages_.empty(); }, 600);
  }

  // Runs frames, the pilot flying, until done() or limit frames; the
  // prompt is answered as told. False at the limit, or once more stages
  // have started than a game has.
  template <class Done>
  bool RunUntil(Done done, int limit) {
    for (int i = 0; i < limit; ++i) {
      if (done()) return true;
      if (h_->QuitRequested() || stages_.size() > 5) return false;
      Step(1);
    }
    return done();
  }

  void Step(int n) {
    for (int i = 0; i < n; ++i) {
      Fly();
      h_->Step();
      ++frames_;
      Watch();
    }
  }

  AtThePrompt atThePrompt = AtThePrompt::kContinue;
  // Called on each frame of play before the pilot flies (a change of style).
  std::function<void(GameRun&)> beforeFlying;
  // The score when the last prompt came up and the first frame after the
  // continue it led to.
  uint64_t scoreAtPrompt = 0, scoreAfterContinue = 0;
  int32_t livesAfterContinue = -1, stageAtPrompt = 0;

 private:
  void Fly() {
    Game* g = G();
    if (prompt_ != nullptr) {
      pilot_->ReleaseAll();
      return;
    }
    if (g->GetSceneId() != SCENE_STAGE) {
      pilot_->ReleaseAll();
      // A player in a hurry: button 1 taps through each row of a stage
      // result and its wait, and ends the staff roll of an ending.
      const std::string scene = testsupport::CurrentSceneName();
      const bool hurry = scene == "StageResult" || scene == "Ending1" || scene == "Ending2";
      const bool tap = hurry && frames_ % 4 == 0;
      if (tap != tapping_) h_->Hold(CabInput::kButton1, tap);
      tapping_ = tap;
      return;
    }
    if (beforeFlying) beforeFlying(*this);
    pilot_->Fly();
  }

  // The scene log, the stage records and the prompt.
  void Watch() {
    Game* g = G();
    const std::string scene = testsupport::CurrentSceneName();
    // The stage scene (the dash's scene-parts objects share its list).
    std::string stage;
    if (SProcList* l = g->GetList(GAME_LIST_STAGE))
      for (SProc* p = l->Head(); p != nullptr && stage.empty(); p = SProcList::Next(p))
        if ((p->GetState() == SProc::STATE_RUNNING || p->GetState() == SProc::STATE_ADDED) &&
            p->GetName().rfind("Stage", 0) == 0)
          stage = p->GetName();
    if (!scene.empty() && scene != lastScene_) scenes_.push_back(scene);
    if (!stage.empty() && stage != lastStage_) {
      scenes_.push_back(stage);
      stages_.push_back(StagePlayed{stage, {}, Score(g), 0, 0, 0, 0, {}});
    }
    if (!stage.empty()) {
      StagePlayed& s = stages_.back();
      if (s.stageWords.empty() || s.stageWords.back() != g->stage) s.stageWords.push_back(g->stage);
      s.scoreAtEnd = Score(g);
      s.defeats = StageDefeatCount;
      ++s.frames;
      s.effects.Frame();
    }
    if (scene == "StageResult" && !stages_.empty()) stages_.back().scoreAfterResult = Score(g);
    lastScene_ = scene;
    lastStage_ = stage;
    Prompt();
  }

  void Prompt() {
    Game* g = G();
    SProc* prompt = g->FindInList("ContinuePrompt", GAME_LIST_SCENE);
    if (prompt != nullptr && prompt_ == nullptr) {
      scoreAtPrompt = Score(g);
      stageAtPrompt = g->stage;
      if (atThePrompt == AtThePrompt::kContinue) {
        // A coin, and start once it counts.
        h_->Press(CabInput::kCoin, 2);
        for (int i = 0; i < 30 && !GetCoinCounter()->CanStart(); ++i) h_->Step();
        h_->Press(CabInput::kStart, 1);
        ++continues_;
        waitingForRespawn_ = true;
      }
    }
    prompt_ = prompt;
    if (waitingForRespawn_ && prompt == nullptr && g_Player.state == Player::STATE_SCRIPTED) {
      scoreAfterContinue = Score(g);
      livesAfterContinue = g->lives;
      waitingForRespawn_ = false;
    }
  }

  std::unique_ptr<Headless> h_;
  std::unique_ptr<testsupport::ServiceTap> tap_;
  std::unique_ptr<Pilot> pilot_;
  std::vector<std::string> scenes_;
  std::vector<StagePlayed> stages_;
  std::string lastScene_, lastStage_;
  SProc* prompt_ = nullptr;
  bool waitingForRespawn_ = false;
  bool tapping_ = false;
  int continues_ = 0;
  int frames_ = 0;
};

// The scenes in order without the continue prompts.
std::vector<std::string> WithoutPrompts(const std::vector<std::string>& scenes) {
  std::vector<std::string> out;
  for (const std::string& s : scenes)
    if (s != "ContinuePrompt") out.push_back(s);
  return out;
}

// Each stage ran with its own number all along, and the score went on
// from where the stage result before it left it (the result adds its
// bonus; a game over leaves the last stage without one).
void ExpectStagesInOrder(const std::vector<StagePlayed>& stages, size_t count, bool lastHasResult = true) {
  ASSERT_EQ(stages.size(), count);
  for (size_t i = 0; i < stages.size(); ++i) {
    SCOPED_TRACE(stages[i].name);
    EXPECT_EQ(stages[i].name, "Stage" + std::to_string(i + 1));
    EXPECT_EQ(stages[i].stageWords, std::vector<int32_t>{int32_t(i + 1)});
    if (i + 1 < stages.size() || lastHasResult) {
      EXPECT_GT(stages[i].scoreAfterResult, stages[i].scoreAtEnd);
    }
    if (i > 0) {
      EXPECT_EQ(stages[i].scoreAtStart, stages[i - 1].scoreAfterResult);
    }
  }
  EXPECT_EQ(stages[0].scoreAtStart, 0u);
  EXPECT_GT(stages[0].defeats, 20);  // the shots reach the enemies
}

// The name typed in the name entry: each letter reached by steps forward
// (right) or back (left) from the one before, chosen with button 1, then the
// end mark.
void TypeName(GameRun& run, const std::string& name) {
  static const std::string kLetters = "ABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789&,.-?! <";
  size_t at = 0;
  for (char c : name) {
    const size_t want = kLetters.find(c);
    for (; at < want; ++at) run.H().Press(CabInput::kRight, 1);
    for (; at > want; --at) run.H().Press(CabInput::kLeft, 1);
    run.H().Press(CabInput::kButton1, 1);
  }
  run.H().Press(CabInput::kButton1, 1);  // the end mark
}

// The name entry of a ranked game: the name typed and confirmed; returns the
// place it took (-1 when the entry never came).
int32_t EnterName(GameRun& run, const std::string& name) {
  if (!run.RunUntil([] { return testsupport::CurrentSceneName() == "Entry"; }, kGameLimit)) return -1;
  auto* entry = dynamic_cast<Entry*>(run.G()->FindInList("Entry", GAME_LIST_SCENE));
  if (entry == nullptr) return -1;
  run.RunUntil([entry] { return entry->GetSceneState() == Entry::STATE_NAME; }, 100);
  TypeName(run, name);
  EXPECT_EQ(entry->GetSceneState(), Entry::STATE_CONFIRMED);
  return entry->GetInsertedAt();
}

// The ranking file after the game, laid out by hand: the default table (25
// plays of 100,000,000 down to 4,000,000 in steps of 4,000,000, named
// "OSR") with the game's entry at its place, nine little-endian words each,
// then the checksum: the 8-bit sum of every byte plus its offset mod 5.
std::vector<uint8_t> ExpectedRankFile(int place, uint32_t overflow, uint32_t score, uint32_t stage, uint32_t chain,
                                      const char* name) {
  testsupport::LeBytes f;
  int defaults = 0;
  for (int i = 0; i < 25; ++i) {
    if (i == place) {
      const uint32_t nameWord = uint32_t(uint8_t(name[0])) | uint32_t(uint8_t(name[1])) << 8 |
                                uint32_t(uint8_t(name[2])) << 16;
      f.W(overflow).W(score).W(stage).W(chain).W(0).W(nameWord).Zeros(3);
      continue;
    }
    f.W(0).W(100000000u - 4000000u * uint32_t(defaults++)).Zeros(3).W('O' | 'S' << 8 | 'R' << 16).Zeros(3);
  }
  uint8_t sum = 0;
  for (size_t i = 0; i < f.b.size(); ++i) sum = uint8_t(sum + f.b[i] + i % 5);
  f.b.push_back(sum);
  return f.b;
}

std::vector<uint8_t> ReadFile(const std::string& path) {
  std::vector<uint8_t> bytes;
  if (std::FILE* f = std::fopen(path.c_str(), "rb")) {
    uint8_t buf[1024];
    const size_t n = std::fread(buf, 1, sizeof buf, f);
    bytes.assign(buf, buf + n);
    std::fclose(f);
  }
  return bytes;
}

// After the name entry: the ranking with the game's row highlighted and
// named, the file saved as laid out, and the logo of the attract sequence.
void ExpectRankedAndBackToTheAttract(GameRun& run, int32_t place, uint64_t score, uint32_t stage, uint32_t chain,
                                     const char* name) {
  ASSERT_TRUE(run.RunUntil([] { return testsupport::CurrentSceneName() == "Ranking"; }, 2000));
  auto* ranking = dynamic_cast<Ranking*>(run.G()->FindInList("Ranking", GAME_LIST_SCENE));
  ASSERT_NE(ranking, nullptr);
  run.Step(5);
  ASSERT_TRUE(place >= 0 && place < kRankEntries);
  const Ranking::Row& row = ranking->GetRow(place);
  char shown[4];
  RankNameText(*row.entry, shown);
  EXPECT_TRUE(row.highlight);
  EXPECT_STREQ(shown, name);
  std::vector<uint8_t> file = ReadFile(run.H().SaveDir() + "/OSR_RANK.dat");
  ASSERT_EQ(file.size(), 904u);
  file.resize(901);  // the padding after the checksum is the writer's own
  EXPECT_EQ(file, ExpectedRankFile(place, uint32_t(score / 1000000000u), uint32_t(score % 1000000000u), stage,
                                   chain, name));
  EXPECT_TRUE(run.RunUntil([] { return testsupport::CurrentSceneName() == "Logo"; }, 3000));
}

// The default table's place for a score: below every default play it does
// not beat (an equal score ranks above).
int32_t DefaultPlace(uint64_t score) {
  int32_t p = 0;
  while (p < 25 && score < 100000000u - 4000000u * uint64_t(p)) ++p;
  return p;
}

// What the service hears after the start: one code for each continue, then
// the end of player 0's play and the end of the game.
Codes EndCodes(int continues) {
  Codes codes(size_t(continues), kContinues);
  codes.insert(codes.end(), {kPlayEnds, kGameEnds});
  return codes;
}

// The frames of each stage and of the whole game, for the record, and the
// most effect sprites each stage held.
void PrintFrames(const GameRun& run, uint64_t score) {
  for (const StagePlayed& s : run.Stages())
    std::printf("%s: %d frames, %d defeats, at most %d effect sprites (%d sprite cells), oldest %.0f frames\n",
                s.name.c_str(), s.frames, s.defeats, s.effects.Peak(1), s.effects.PeakCells(), s.effects.Oldest());
  std::printf("%d frames in all, score %llu, %d continues\n", run.Frames(), static_cast<unsigned long long>(score),
              run.Continues());
}

// What a game left when its name was entered.
struct Named {
  int32_t place = -1;
  uint64_t score = 0;
  uint32_t chain = 0;  // the play's longest chain
};

// From the coin to the name entry, the name typed; the service heard the
// game and player 0's play begin.
Named PlayToTheName(GameRun& run, const std::string& name) {
  Named n;
  if (!run.CoinAndStart()) {
    ADD_FAILURE() << "no stage 1 after the coin and start";
    return n;
  }
  EXPECT_EQ(run.TakeCodes(), (Codes{kGameBegins, kPlayStarts}));
  n.place = EnterName(run, name);
  n.score = Score(run.G());
  n.chain = run.G()->record[REC_BEST_CHAIN];
  return n;
}

// The end of every game: the ranking shows the name, the file holds it,
// the attract sequence goes on, the service heard each continue and the
// end, and no error box came up.
void ExpectTheEnd(GameRun& run, const Named& n, uint32_t stage, const char* name,
                  const testsupport::ErrorBoxCatcher& box) {
  ExpectRankedAndBackToTheAttract(run, n.place, n.score, stage, n.chain, name);
  EXPECT_EQ(run.TakeCodes(), EndCodes(run.Continues()));
  for (const StagePlayed& s : run.Stages()) s.effects.ExpectRoomAndNoStuckSprites(s.name);
  PrintFrames(run, n.score);
  EXPECT_TRUE(box.texts.empty()) << box.texts.front();
}

TEST(WholeGame, BelowTheEndingScoreAfterStageFourTheFirstEnding) {
  testsupport::ErrorBoxCatcher box;
  GameRun run;
  ASSERT_TRUE(run.H().Ok()) << run.H().Failure();
  // Careless until the lives are gone in stage 1; then it plays safe.
  run.P().SetStyle(Pilot::STYLE_CARELESS);
  run.beforeFlying = [](GameRun& r) {
    if (r.Continues() > 0) r.P().SetStyle(Pilot::STYLE_SHOOT);
  };
  const Named n = PlayToTheName(run, "ACE");

  // The continue with a coin, in stage 1: the score starts again from its
  // last digit plus one and the lives are full.
  ASSERT_GE(run.Continues(), 1);
  EXPECT_EQ(run.stageAtPrompt, 1);
  const uint64_t digit = run.scoreAtPrompt % 10;
  EXPECT_EQ(run.scoreAfterContinue, digit < 9 ? digit + 1 : 9);
  EXPECT_EQ(run.livesAfterContinue, run.G()->settings[SettingsWord::lives]);

  EXPECT_EQ(WithoutPrompts(run.Scenes()),
            (std::vector<std::string>{"Title", "Tutorial", "Stage1", "StageResult", "Stage2", "StageResult", "Stage3",
                                      "StageResult", "Stage4", "StageResult", "Ending1", "Entry"}));
  ExpectStagesInOrder(run.Stages(), 4);
  EXPECT_LT(n.score, kEndingScore);
  EXPECT_EQ(n.place, DefaultPlace(n.score));
  ExpectTheEnd(run, n, 4, "ACE", box);
}

TEST(WholeGame, AboveTheEndingScoreStageFiveAndTheSecondEnding) {
  testsupport::ErrorBoxCatcher box;
  GameRun run;
  ASSERT_TRUE(run.H().Ok()) << run.H().Failure();
  // Chains the enemies until it is well past the ending score, then plays
  // safe.
  run.P().SetStyle(Pilot::STYLE_CHAIN);
  run.beforeFlying = [](GameRun& r) {
    r.P().SetStyle(Score(r.G()) < kLead ? Pilot::STYLE_CHAIN : Pilot::STYLE_SHOOT);
  };
  const Named n = PlayToTheName(run, "TOP");

  EXPECT_EQ(WithoutPrompts(run.Scenes()),
            (std::vector<std::string>{"Title", "Tutorial", "Stage1", "StageResult", "Stage2", "StageResult", "Stage3",
                                      "StageResult", "Stage4", "StageResult", "Stage5", "Ending2", "StageResult",
                                      "Entry"}));
  ExpectStagesInOrder(run.Stages(), 5);
  ASSERT_EQ(run.Stages().size(), 5u);
  EXPECT_GE(run.Stages()[4].scoreAtStart, kEndingScore);
  EXPECT_EQ(n.place, 0);
  ExpectTheEnd(run, n, 5, "TOP", box);
}

TEST(WholeGame, EveryLifeLostInStageTwoNoContinueANameEntered) {
  testsupport::ErrorBoxCatcher box;
  GameRun run;
  ASSERT_TRUE(run.H().Ok()) << run.H().Failure();
  // Safe through stage 1, careless in stage 2; the continue offer runs out.
  run.P().SetStyle(Pilot::STYLE_SHOOT);
  run.beforeFlying = [](GameRun& r) {
    r.P().SetStyle(r.G()->stage == 2 ? Pilot::STYLE_CARELESS : Pilot::STYLE_SHOOT);
    r.atThePrompt = r.G()->stage == 2 ? AtThePrompt::kDecline : AtThePrompt::kContinue;
  };
  const Named n = PlayToTheName(run, "END");

  EXPECT_EQ(run.stageAtPrompt, 2);
  EXPECT_EQ(ContinuePromptAnswer, -1);
  EXPECT_EQ(n.score, run.scoreAtPrompt);
  EXPECT_EQ(run.Scenes(), (std::vector<std::string>{"Title", "Tutorial", "Stage1", "StageResult", "Stage2",
                                                    "ContinuePrompt", "Entry"}));
  ExpectStagesInOrder(run.Stages(), 2, false);
  EXPECT_EQ(n.place, DefaultPlace(n.score));
  ExpectTheEnd(run, n, 2, "END", box);
}

}  // namespace
