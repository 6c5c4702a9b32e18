// The title scene through the whole program: a credit keeps it up, a start
// press starts a play (reported to the network service, paid, followed by
// the tutorial), a coin short of a credit starts nothing, free play takes
// two presses, a held press does not count, left alone it times out into
// the ranking, each fade lasting exactly 61 frames; its sliding band, its
// picture (also with a picture file damaged) and, with a credit, the coin
// display's prompt to press start over it.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <tuple>

#include "cabinet/QvtBTUtil.h"
#include "cabinet/ServiceClient.h"
#include "game/core/CoinCounter.h"
#include "game/core/Game.h"
#include "game/scene/Title.h"
#include "game/tables/scene_tables.h"
#include "support/ExpectAll.h"
#include "support/Headless.h"
#include "support/ImageCompare.h"
#include "support/SoundProbe.h"
#include "support/TempDir.h"
#include "vrax/kernel/SHandle.h"

namespace {

using plat::CabInput;
using testsupport::Headless;
using testsupport::RunUntilScene;

// The coin counter is a global object: a program started earlier in this
// test binary must not leave its counts to the next.
void ClearCoins() {
  CoinCounter* c = GetCoinCounter();
  c->pendingCoins = c->handOver = c->coins = c->totalCoins = c->serviceCoins = 0;
  c->serviceCredits = c->credits = c->remainder = c->coinEvent = c->lastSource = 0;
  c->mode = CoinCounter::MODE_IDLE;
}

// The whole program up to the title, reached by a coin during the notice
// (coin play) or by a free-play start press there (free play: the notice's
// start grants a credit, which the test takes back).
class TitleWorld : public ::testing::Test {
 protected:
  // holdStart: the start button is held from the notice on. A failure here
  // is fatal: callers wrap it in ASSERT_NO_FATAL_FAILURE, so that no test
  // goes on without its title.
  void Start(bool freePlay, bool nullDevice = true, bool holdStart = false) {
    ClearCoins();
    h = std::make_unique<Headless>(testsupport::HeadlessOptions{.nullDevice = nullDevice});
    ASSERT_TRUE(h->Ok()) << h->Failure();
    ASSERT_GE(RunUntilScene(*h, "Notice", 600), 0);
    Game* g = GetGame();
    g->settings[SettingsWord::coinPlay] = freePlay ? 0 : 1;
    h->Press(freePlay ? CabInput::kStart : CabInput::kCoin, 2);
    if (holdStart) h->Hold(CabInput::kStart);
    ASSERT_GE(RunUntilScene(*h, "Title", 600), 0);
    title = dynamic_cast<Title*>(testsupport::CurrentScene());
    ASSERT_NE(title, nullptr);
    // Loaded and waiting.
    for (int i = 0; i < 5 && title->GetSceneState() != Title::STATE_WAIT; ++i) h->Step();
    ASSERT_EQ(title->GetSceneState(), Title::STATE_WAIT);
    if (freePlay) ClearCoins();
  }
  // The fade of states 2 and 3. The frame that enters the state runs its
  // first frame, and the counter, from 0, counts up after the test "above
  // 59": after its 60th frame the title still runs with the counter at 60;
  // its 61st ends it.
  void ExpectTheFadeEndsOnItsFrame61() {
    SHandle<Title> t(title);
    const auto running = [&] { return t && t->GetState() == SProc::STATE_RUNNING; };
    ASSERT_GE(title->GetFrame(), 1);
    for (int i = 0; i < 70 && running() && t->GetFrame() < 60; ++i) h->Step();
    ASSERT_TRUE(running()) << "ended before its 61st frame";
    EXPECT_EQ(t->GetFrame(), 60);
    h->Step();
    EXPECT_FALSE(running()) << "still running after its 61st frame";
  }
  // The title faded in, in free play on the OpenGL device, from the data
  // tree the data directory names (and osr_efx02's first texture, when
  // asked); the program ends after it.
  void FadedIn(plat::Image* shot, plat::Image* efx = nullptr) {
    h.reset();
    ASSERT_NO_FATAL_FAILURE(Start(true, false));
    h->Step(70);
    ASSERT_TRUE(h->Screenshot(shot));
    ASSERT_TRUE(efx == nullptr || (ImgEfx02 != nullptr && ImgEfx02->GetDeviceTexture(0) != nullptr));
    if (efx != nullptr) *efx = ImgEfx02->GetDeviceTexture(0)->Pixels();
    h.reset();
  }
  // Runs until the scene list holds no title (the frames, or -1).
  int RunUntilTitleEnds(int limit) {
    for (int f = 0; f < limit; ++f) {
      if (testsupport::CurrentSceneName() != "Title") return f;
      h->Step();
    }
    return -1;
  }
  std::unique_ptr<Headless> h;
  Title* title = nullptr;
};

TEST_F(TitleWorld, ACreditKeepsItUpAndAStartPlaysReportedPaidAndIntoTheTutorial) {
  ASSERT_NO_FATAL_FAILURE(Start(false));
  CoinCounter* coins = GetCoinCounter();
  ASSERT_TRUE(coins->HasCredit());
  QvtBTUtil* client = GetServiceClient();
  const int32_t visits = client->GetCounterE(), plays = client->GetCounterC();
  // The idle count restarts while a credit is there.
  h->Step(1300);
  EXPECT_EQ(title->GetSceneState(), Title::STATE_WAIT);
  EXPECT_LE(title->GetFrame(), 1);
  h->Press(CabInput::kStart, 1);
  EXPECT_EQ(title->GetSceneState(), Title::STATE_START);
  // The service heard the visit (0xFD) and the play (0x00); the play was
  // paid and the coin counter shows the start.
  EXPECT_ALL({VAL(client->GetCounterE(), visits + 1), VAL(client->GetCounterC(), plays + 1),
              VAL(coins->HasCredit(), false), VAL(coins->mode, int32_t(CoinCounter::MODE_START)),
              VAL(title->Started(), true)});
  // 61 frames of fade, then the tutorial before the play.
  ASSERT_NO_FATAL_FAILURE(ExpectTheFadeEndsOnItsFrame61());
  ASSERT_GE(RunUntilTitleEnds(10), 0);
  ASSERT_GE(RunUntilScene(*h, "Tutorial", 10), 0);
  EXPECT_ALL({VAL(GetGame()->GetSceneId(), int32_t(SCENE_TUTORIAL)), VAL(GetGame()->GetCurrentRequest().a1, 1)});
}

TEST_F(TitleWorld, AStartHeldFromBeforeDoesNotCount) {
  ASSERT_NO_FATAL_FAILURE(Start(false, true, true));
  h->Step(30);
  EXPECT_EQ(title->GetSceneState(), Title::STATE_WAIT);
  h->Hold(CabInput::kStart, false);
  h->Step(2);
  h->Press(CabInput::kStart, 1);
  EXPECT_EQ(title->GetSceneState(), Title::STATE_START);
}

TEST_F(TitleWorld, FreePlayTakesOnePressForTheCreditAndOneToStart) {
  ASSERT_NO_FATAL_FAILURE(Start(true));
  CoinCounter* coins = GetCoinCounter();
  ASSERT_FALSE(coins->HasCredit());
  h->Step(100);
  EXPECT_EQ(title->GetFrame(), 100);
  h->Press(CabInput::kStart, 1);
  EXPECT_ALL({VAL(title->GetSceneState(), Title::STATE_WAIT), VAL(coins->serviceCredits, 1)});
  EXPECT_LE(title->GetFrame(), 2);
  h->Step(2);
  h->Press(CabInput::kStart, 1);
  EXPECT_EQ(title->GetSceneState(), Title::STATE_START);
  EXPECT_FALSE(coins->HasCredit());
}

// Coin play at two coins a credit, one coin in: the coin keeps the title up
// but buys no play. A start press leaves the title waiting with the coin
// still counted and nothing told to the network service; the second coin
// makes the credit, and the next press starts the play and spends both.
TEST_F(TitleWorld, AStartWithACoinShortOfACreditStartsNothingAndKeepsTheCoin) {
  ASSERT_NO_FATAL_FAILURE(Start(true));
  Game* g = GetGame();
  g->settings[SettingsWord::coinPlay] = 1;
  g->settings[SettingsWord::coinUnit] = 2;
  g->settings[SettingsWord::creditsPerUnit] = 1;
  g->settings[SettingsWord::continueCoins] = 1;
  CoinCounter* coins = GetCoinCounter();
  coins->mode = CoinCounter::MODE_ATTRACT;  // the title's, which the clearing above took away
  QvtBTUtil* client = GetServiceClient();
  const int32_t visits = client->GetCounterE(), plays = client->GetCounterC();
  h->Press(CabInput::kCoin, 2);
  h->Step(4);
  ASSERT_EQ(std::tuple(coins->totalCoins, coins->credits, coins->remainder), std::tuple(1, 0, 1));
  h->Step(1300);  // past the idle limit: the coin keeps the title up
  ASSERT_EQ(title->GetSceneState(), Title::STATE_WAIT);
  for (int press = 0; press < 3; ++press) {
    h->Press(CabInput::kStart, 1);
    h->Step(2);
  }
  EXPECT_ALL({VAL(title->GetSceneState(), Title::STATE_WAIT), VAL(title->Started(), false),
              VAL(coins->totalCoins, 1), VAL(coins->coins, 1), VAL(coins->credits, 0),
              VAL(client->GetCounterE(), visits), VAL(client->GetCounterC(), plays)});
  EXPECT_LE(title->GetFrame(), 1);
  // The second coin: one credit, and a press starts the play with it.
  h->Press(CabInput::kCoin, 2);
  h->Step(4);
  ASSERT_EQ(std::tuple(coins->totalCoins, coins->credits), std::tuple(2, 1));
  h->Press(CabInput::kStart, 1);
  EXPECT_ALL({VAL(title->GetSceneState(), Title::STATE_START), VAL(title->Started(), true),
              VAL(coins->totalCoins, 0), VAL(client->GetCounterC(), plays + 1)});
}

TEST_F(TitleWorld, LeftAloneItTimesOutIntoTheRanking) {
  ASSERT_NO_FATAL_FAILURE(Start(true));
  const int wait = [&] {
    for (int f = 0; f < 1400; ++f) {
      if (title->GetSceneState() != Title::STATE_WAIT) return f;
      h->Step();
    }
    return -1;
  }();
  // The idle count runs to 1201; the frame after it asks for the change,
  // which the next frame makes.
  EXPECT_GE(wait, 1201);
  EXPECT_LE(wait, 1203);
  EXPECT_EQ(title->GetSceneState(), Title::STATE_TIME_OUT);
  EXPECT_FALSE(title->Started());
  ASSERT_NO_FATAL_FAILURE(ExpectTheFadeEndsOnItsFrame61());
  ASSERT_GE(RunUntilTitleEnds(10), 0);
  ASSERT_GE(RunUntilScene(*h, "Ranking", 10), 0);
  EXPECT_ALL({VAL(GetGame()->GetSceneId(), int32_t(SCENE_RANKING)), VAL(GetGame()->GetCurrentRequest().a1, 1)});
}

TEST_F(TitleWorld, TheBandSlidesHalfThePartOnceEvery6480Frames) {
  ASSERT_NO_FATAL_FAILURE(Start(true));
  // Part 1's right-hand u is 479/512; the window is half of it.
  const float w = (479.0f / 512.0f) * 0.5f;
  auto leftU = [&] { return title->Layer(3).GetVertexUV(0).x; };
  auto rightU = [&] { return title->Layer(3).GetVertexUV(1).x; };
  const int32_t s = title->GetScroll();
  // The quad built in the last frame used the count before that frame's
  // step: f = (s - 1) / 6480.
  const float f = float(s - 1) / 6480.0f;
  EXPECT_NEAR(leftU(), w * (1.0f - f), 1e-5f);
  EXPECT_NEAR(rightU(), w * (2.0f - f), 1e-5f);
  EXPECT_FLOAT_EQ(title->Layer(3).GetVertexUV(2).y, SprTitle[1].Corner(2).v);
}

TEST_F(TitleWorld, AStartPlaysSoundOneUnlessTheSoundIsOff) {
  using testsupport::SoundPlayed;
  ASSERT_NO_FATAL_FAILURE(Start(false));
  SRsc* se = testsupport::EffectBank();
  ASSERT_NE(se, nullptr);
  testsupport::RearmSound(se, 1);
  h->Step(10);
  EXPECT_FALSE(SoundPlayed(se, 1));
  h->Press(CabInput::kStart, 1);
  ASSERT_EQ(title->GetSceneState(), Title::STATE_START);
  EXPECT_TRUE(SoundPlayed(se, 1));
}

TEST_F(TitleWorld, WithTheSoundOffAStartIsSilent) {
  using testsupport::SoundPlayed;
  ASSERT_NO_FATAL_FAILURE(Start(false));
  SRsc* se = testsupport::EffectBank();
  ASSERT_NE(se, nullptr);
  GetGame()->soundOff = 1;
  testsupport::RearmSound(se, 1);
  h->Press(CabInput::kStart, 1);
  ASSERT_EQ(title->GetSceneState(), Title::STATE_START);
  EXPECT_FALSE(SoundPlayed(se, 1));
  GetGame()->soundOff = 0;
}

namespace fs = std::filesystem;

std::string ReadWhole(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

// The generated data tree as links, its folders of pictures and archives
// holding links of their own: without the title's archive, so that the
// title reads its pictures, and without `picture`, or with it cut in half.
// Given an entry, archive `left` is copied with that entry's middle byte
// inverted, or its byte `at` (a 28-byte head, then each entry's 136: name,
// size at 128).
struct DamagedTitleTree {
  DamagedTitleTree(const std::string& picture, bool cut, const std::string& left = kArchive,
                   const std::string& entry = "", size_t at = SIZE_MAX) {
    const fs::path from = testsupport::GeneratedDataRoot();
    testsupport::LinkDataTreeWithout(dir, {left, picture});
    const std::string whole = cut ? ReadWhole(from / picture) : "";
    EXPECT_TRUE(!cut || dir.Write(picture, whole.substr(0, whole.size() / 2)));
    if (entry.empty()) return;
    std::string b = ReadWhole(from / left);
    const auto sizeAt = [&b](size_t at) { uint32_t n = 0; std::memcpy(&n, &b[at + 128], 4); return size_t(n); };
    size_t e = 28;
    while (e + 136 <= b.size() && std::strcmp(&b[e], entry.c_str()) != 0) e += 136 + sizeAt(e);
    const bool found = e + 136 < b.size() && e + 136 + sizeAt(e) <= b.size();
    if (found) b[e + 136 + std::min(at, sizeAt(e) / 2)] ^= char(0xFF);
    EXPECT_TRUE(found && dir.Write(left, b)) << entry;
  }
  static constexpr const char* kArchive = "cache/title.sca";
  testsupport::TempDir dir{"title_data"};
};

// The picture from the generated data, then from damaged copies compared
// with it. The layers: the sky from picture 0; the plate and the sliding
// cloud band from picture 1; the overlay from picture 2, darkening the edges
// but clear over play x -168 to 168, y -320 to 192; the emblem from picture
// 3 in play x -148 to -34, y -5 to 113.
// - Picture 2 deleted: the list stops there, so picture 3 is not read either,
//   and neither layer is drawn: where the overlay is clear, the picture is
//   the whole one's outside the emblem's box, and the box shows no gold
//   above the plate's rule (play y 61 to 64).
// - Picture 1 cut in half: no archive is written; with the picture put back
//   the next start reads the tree, shows the whole picture and writes the
//   archive the generator wrote.
// - A byte inverted in picture 1's entry in the title's archive, or osr_efx02's
//   in the common one, or in the head of picture 1's LZ block (its version,
//   its total, the top of its unpacked size): both starts whole, the archive
//   the generator's.
TEST_F(TitleWorld, Picture) {
  plat::Image whole, wholeEfx;
  ASSERT_NO_FATAL_FAILURE(FadedIn(&whole, &wholeEfx));
  // The plate (part 2, 120 high, from play y 41) has a gold rule 3 pixels
  // thick a sixth down: play y 61 to 64, screen rows 240 + 0.75 y.
  const uint8_t* p = &whole.rgba[(size_t(240 + 47) * whole.width + 320 + 75) * 4];
  EXPECT_GT(p[0], 180);
  EXPECT_GT(p[1], 120);
  EXPECT_LT(p[2], 110);
  EXPECT_TRUE(testsupport::MatchesGolden(whole, "title_frame.png", 8, 300));

  // The overlay's clear part two pixels in (its top row takes in the dark
  // foot of its picture, which the filter wraps round), but the emblem's box
  // and 2 pixels about it; the rest black.
  const auto clearPart = [](plat::Image img) {
    for (int y = 0; y < img.height; ++y)
      for (int x = 0; x < img.width; ++x)
        if (x < 196 || x >= 444 || y < 2 || y >= 382 || (x >= 207 && x < 296 && y >= 234 && y < 327))
          std::memset(&img.rgba[(size_t(y) * img.width + x) * 4], 0, 4);
    return img;
  };
  const auto emblemGold = [](const plat::Image& img) {
    return testsupport::CountPlayPixels(img, -148.0f, -5.0f, -34.0f, 58.0f, [](uint32_t r, uint32_t g, uint32_t b) {
      return r > 180 && g > 120 && b < 110;
    });
  };
  EXPECT_GT(emblemGold(whole), 100);
  {
    DamagedTitleTree tree("Module/Title_02.png", false);
    testsupport::ScopedDataDir data(tree.dir.Path());
    plat::Image shot;
    ASSERT_NO_FATAL_FAILURE(FadedIn(&shot));
    EXPECT_TRUE(testsupport::ImagesMatch(clearPart(shot), clearPart(whole))) << "picture 2 deleted";
    EXPECT_EQ(emblemGold(shot), 0);
  }
  const struct {
    const char* archive;
    const char* entry;
    size_t at;
  } entries[] = {{"cache/title.sca", "\\Module\\Title_01.png", SIZE_MAX},
                 {"cache/common.sca", "\\common\\osr_efx02_00.png", SIZE_MAX},
                 {"cache/title.sca", "\\Module\\Title_01.png", 0},
                 {"cache/title.sca", "\\Module\\Title_01.png", 5},
                 {"cache/title.sca", "\\Module\\Title_01.png", 19}};
  for (const auto& [archive, entry, at] : entries) {
    DamagedTitleTree tree("", false, archive, entry, at);
    testsupport::ScopedDataDir data(tree.dir.Path());
    for (int start = 1; start <= 2; ++start) {
      plat::Image shot, efx;
      ASSERT_NO_FATAL_FAILURE(FadedIn(&shot, &efx));
      EXPECT_TRUE(testsupport::ImagesMatch(shot, whole)) << entry << " " << at << ", start " << start;
      EXPECT_TRUE(testsupport::ImagesMatch(efx, wholeEfx)) << entry << " " << at << ", start " << start;
      EXPECT_TRUE(tree.dir.Read(archive) == ReadWhole(fs::path(testsupport::GeneratedDataRoot()) / archive))
          << entry << " " << at << ", start " << start;
    }
  }
  DamagedTitleTree tree("Module/Title_01.png", true);
  testsupport::ScopedDataDir data(tree.dir.Path());
  plat::Image shot;
  ASSERT_NO_FATAL_FAILURE(FadedIn(&shot));
  EXPECT_EQ(tree.dir.Kind(DamagedTitleTree::kArchive), '-') << "picture 1 cut in half";
  fs::remove(tree.dir.File("Module/Title_01.png"));
  fs::create_symlink(fs::path(testsupport::GeneratedDataRoot()) / "Module/Title_01.png", tree.dir.File("Module/Title_01.png"));
  ASSERT_NO_FATAL_FAILURE(FadedIn(&shot));
  EXPECT_TRUE(testsupport::ImagesMatch(shot, whole)) << "picture 1 put back";
  const std::string archive = tree.dir.Read(DamagedTitleTree::kArchive);
  EXPECT_EQ(archive.size(), ReadWhole(fs::path(testsupport::GeneratedDataRoot()) / DamagedTitleTree::kArchive).size());
  EXPECT_TRUE(archive == ReadWhole(fs::path(testsupport::GeneratedDataRoot()) / DamagedTitleTree::kArchive));
}

// White ink on the 640 x 480 picture in a play-space box.
int WhitePixels(const plat::Image& img, float x0, float y0, float x1, float y1) {
  return testsupport::CountPlayPixels(img, x0, y0, x1, y1,
                                      [](uint32_t r, uint32_t g, uint32_t b) { return r > 235 && g > 235 && b > 235; });
}

TEST_F(TitleWorld, WithACreditThePromptToPressStartShowsOverThePicture) {
  ASSERT_NO_FATAL_FAILURE(Start(false, false));
  ASSERT_EQ(GetCoinCounter()->credits, 1);
  h->Step(70);  // faded in
  plat::Image img;
  ASSERT_TRUE(h->Screenshot(&img));
  // The coin display's prompt for a credit from (-168, -20) in the small
  // font (14 x 18 cells): "PRESS START BUTTON" from the fifth cell of the
  // first line (x -112 to 140), "TO START !" from the ninth cell of the
  // second (x -56 to 84, y -2 to 16). The picture under them has only a few
  // white stars.
  EXPECT_GT(WhitePixels(img, -112.0f, -20.0f, 140.0f, -2.0f), 80);
  EXPECT_GT(WhitePixels(img, -56.0f, -2.0f, 84.0f, 16.0f), 50);
  EXPECT_TRUE(testsupport::MatchesGolden(img, "title_credit.png", 8, 300));
}

}  // namespace
