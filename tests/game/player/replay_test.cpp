// Replays: the frame bytes recorded and played back, the file format, load
// failures, and a whole play recorded and played back frame for frame.
#include "game/core/Replay.h"

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "game/core/Game.h"
#include "game/effect/EShotMan.h"
#include "game/player/PShotMan.h"
#include "game/player/Player.h"
#include "platform/crt_rand.h"
#include "support/ErrorBox.h"
#include "support/PlayWorld.h"
#include "support/TempDir.h"
#include "vrax/io/LoadBudget.h"

namespace {

using testsupport::ErrorBoxCatcher;
using testsupport::PlayOptions;
using testsupport::PlayWorld;
using testsupport::ScopedDataDir;
using testsupport::TempDir;

// Steps a replay with eight counters.
struct Counters {
  int32_t c[8] = {-5, -5, -5, -5, -5, -5, -5, -5};
  void Step(Replay& r) { r.Step(&c[0], &c[1], &c[2], &c[3], &c[4], &c[5], &c[6], &c[7]); }
};

TEST(ReplayFile, RecordingStoresOneByteOfHeldInputsPerFrame) {
  TempDir dir;
  ScopedDataDir data(dir.Path());
  Replay r;
  r.Begin(Replay::MODE_RECORD, "Data//rec.rpd");
  // Counter 0 held throughout, counter 5 pressed on the second frame; the
  // first frame is forced to released.
  int32_t c0 = 3, c5 = -2;
  int32_t* none = nullptr;
  r.Step(&c0, none, none, none, none, &c5, none, none);
  EXPECT_EQ(c0, -1);
  c0 = 0, c5 = 0;
  r.Step(&c0, none, none, none, none, &c5, none, none);
  c0 = 1, c5 = 1;
  r.Step(&c0, none, none, none, none, &c5, none, none);
  EXPECT_EQ(r.Data(), (std::vector<uint8_t>{0x00, 0x84, 0x84}));
  r.Save();
  EXPECT_EQ(r.GetMode(), Replay::MODE_OFF);
  // The file: one LZ block at level 1 (header: version 1, level 1, total,
  // token and literal sizes, unpacked size 3).
  const std::string file = dir.Read("rec.rpd");
  ASSERT_GE(file.size(), 20u);
  uint16_t version, level;
  uint32_t total, unpacked;
  std::memcpy(&version, file.data(), 2);
  std::memcpy(&level, file.data() + 2, 2);
  std::memcpy(&total, file.data() + 4, 4);
  std::memcpy(&unpacked, file.data() + 16, 4);
  EXPECT_EQ(version, 1);
  EXPECT_EQ(level, 1);
  EXPECT_EQ(total, file.size());
  EXPECT_EQ(unpacked, 3u);
  std::vector<uint8_t> frames;
  ASSERT_TRUE(Replay::Decode(reinterpret_cast<const uint8_t*>(file.data()), file.size(), &frames));
  EXPECT_EQ(frames, (std::vector<uint8_t>{0x00, 0x84, 0x84}));
}

TEST(ReplayFile, ASaveWhoseFileDoesNotOpenIsSkippedWithoutAWord) {
  TempDir dir;
  // A plain file where the recording's folder would have to be: the
  // recording's file cannot be opened.
  ASSERT_TRUE(dir.Write("blocker", "x"));
  ScopedDataDir data(dir.Path());
  ErrorBoxCatcher box;
  Replay r;
  r.Begin(Replay::MODE_RECORD, "Data//blocker/rec.rpd");
  Counters k;
  k.Step(r);
  k.Step(r);
  r.Save();
  EXPECT_EQ(r.GetMode(), Replay::MODE_OFF);
  EXPECT_TRUE(box.texts.empty());
  EXPECT_EQ(dir.Read("blocker"), "x");
}

TEST(ReplayFile, PlaybackDrivesTheCountersAndLeavesThemPastTheEnd) {
  TempDir dir;
  const std::vector<uint8_t> file = Replay::Encode({0x00, 0x80, 0x80, 0x01, 0x80});
  ASSERT_TRUE(dir.Write("p.rpd", std::string(file.begin(), file.end())));
  ScopedDataDir data(dir.Path());
  Replay r;
  r.Begin(Replay::MODE_PLAY, "Data//p.rpd");
  ASSERT_EQ(r.GetMode(), Replay::MODE_PLAY);
  Counters k;
  struct Frame {
    int32_t c0, c7;
  };
  // Frame 0 starts from -1 (released) and falls; a held bit makes a
  // released counter 0 and a held one count up; bit 0 drives counter 7.
  const Frame want[] = {{-2, -2}, {0, -3}, {1, -4}, {-1, 0}, {0, -1}};
  for (const Frame& f : want) {
    k.Step(r);
    EXPECT_EQ(k.c[0], f.c0);
    EXPECT_EQ(k.c[7], f.c7);
  }
  // Past the end every counter keeps its last value (counter 0 held on its
  // first frame, counter 7 just released); the cursor moves on.
  k.Step(r);
  k.Step(r);
  EXPECT_EQ(k.c[0], 0);
  EXPECT_EQ(k.c[7], -1);
  EXPECT_EQ(r.GetCursor(), 7);
  // Saving in playback writes nothing and ends the playback.
  r.Save();
  EXPECT_EQ(r.GetMode(), Replay::MODE_OFF);
  EXPECT_EQ(dir.Read("p.rpd"), std::string(file.begin(), file.end()));
  k.Step(r);
  EXPECT_EQ(k.c[0], 0);
}

TEST(ReplayFile, DamagedOrShortFilesFailToLoadWithTheErrorLine) {
  TempDir dir;
  std::vector<uint8_t> good = Replay::Encode(std::vector<uint8_t>(300, 0x88));
  ASSERT_GT(good.size(), 24u);
  std::vector<uint8_t> huge = good;
  const uint32_t claim = 0x7FFFFFFFu;  // an unpacked size no replay has
  std::memcpy(huge.data() + 16, &claim, 4);
  std::vector<uint8_t> badVersion = good;
  badVersion[0] = 9;
  std::vector<uint8_t> badStream = good;
  badStream[20] = 0xFF;  // the first run length runs past the output
  badStream[21] = 0xFF;
  const struct {
    const char* name;
    std::vector<uint8_t> bytes;
  } cases[] = {
      {"empty.rpd", {}},
      {"short.rpd", std::vector<uint8_t>(good.begin(), good.end() - 3)},
      {"header.rpd", std::vector<uint8_t>(good.begin(), good.begin() + 12)},
      {"version.rpd", badVersion},
      {"huge.rpd", huge},
      {"stream.rpd", badStream},
  };
  for (const auto& c : cases) ASSERT_TRUE(dir.Write(c.name, std::string(c.bytes.begin(), c.bytes.end())));
  ScopedDataDir data(dir.Path());
  const uint64_t held = LoadedTotal().Used();
  for (const char* name : {"Data//empty.rpd", "Data//short.rpd", "Data//header.rpd", "Data//version.rpd",
                           "Data//huge.rpd", "Data//stream.rpd", "Data//missing.rpd"}) {
    ErrorBoxCatcher box;
    Replay r;
    r.Begin(Replay::MODE_PLAY, name);
    EXPECT_EQ(r.GetMode(), Replay::MODE_OFF) << name;
    EXPECT_TRUE(r.Data().empty()) << name;
    EXPECT_EQ(r.Data().capacity(), 0u) << name << ": frames that did not decode are freed";
    EXPECT_EQ(LoadedTotal().Used(), held) << name << ": and given back";
    ASSERT_EQ(box.texts.size(), 1u) << name;
    EXPECT_EQ(box.texts[0], ".\\Game\\Replay(60) : replay load error!\n") << name;
    // Nothing plays: the counters are left to the pad.
    Counters k;
    k.Step(r);
    EXPECT_EQ(k.c[0], -5);
  }
}

// A replay is read whole: a file past the largest data file (256 MB) is
// refused with the error line before room is made for it, although its
// play would decode (what follows the packed block is passed over). The
// file is sparse: it takes no disk.
TEST(ReplayFile, AReplayPastTheLargestDataFileIsRefusedUnread) {
  TempDir dir;
  const std::vector<uint8_t> good = Replay::Encode(std::vector<uint8_t>(300, 0x88));
  for (const char* name : {"padded.rpd", "past.rpd"})
    ASSERT_TRUE(dir.Write(name, std::string(good.begin(), good.end())));
  std::filesystem::resize_file(dir.File("padded.rpd"), good.size() + (1 << 20));
  std::filesystem::resize_file(dir.File("past.rpd"), (uint64_t(256) << 20) + 1);
  ScopedDataDir data(dir.Path());
  ErrorBoxCatcher box;
  Replay r;
  r.Begin(Replay::MODE_PLAY, "Data//padded.rpd");
  EXPECT_EQ(r.GetMode(), Replay::MODE_PLAY);
  EXPECT_EQ(r.Data().size(), 300u);
  r.Begin(Replay::MODE_PLAY, "Data//past.rpd");
  EXPECT_EQ(r.GetMode(), Replay::MODE_OFF);
  EXPECT_TRUE(r.Data().empty());
  EXPECT_EQ(box.texts, std::vector<std::string>{".\\Game\\Replay(60) : replay load error!\n"});
}

// A replay's file is held in the shared total while it is read and
// decoded, and its frames while they are held. Worked from the sizes: a
// total of the file and the frames plays it, one byte less refuses it (at
// the frames' charge) and one less than the file refuses it unread, each
// with the error line and the replay off, and the next play loads. The
// frames go back when the replay is cleared, begins again or ends.
TEST(ReplayFile, TheFileAndItsFramesAreHeldInTheTotal) {
  TempDir dir;
  std::vector<uint8_t> frames(5000);
  for (size_t i = 0; i < frames.size(); ++i) frames[i] = static_cast<uint8_t>(i * 37 / 100);
  const std::vector<uint8_t> file = Replay::Encode(frames);
  ASSERT_TRUE(dir.Write("p.rpd", std::string(file.begin(), file.end())));
  ScopedDataDir data(dir.Path());
  const struct Restore {
    uint64_t limit = LoadedTotal().Limit();
    ~Restore() { LoadedTotal().SetLimit(limit); }
  } restore;
  const uint64_t base = LoadedTotal().Used();
  for (const uint64_t limit : {file.size() + 5000, file.size() + 4999, file.size() - 1}) {
    SCOPED_TRACE(limit);
    LoadedTotal().SetLimit(base + limit);
    ErrorBoxCatcher box;
    Replay r;
    r.Begin(Replay::MODE_PLAY, "Data//p.rpd");
    if (limit == file.size() + 5000) {
      EXPECT_EQ(r.GetMode(), Replay::MODE_PLAY);
      EXPECT_EQ(r.Data(), frames);
      EXPECT_TRUE(box.texts.empty());
      EXPECT_EQ(LoadedTotal().Used(), base + 5000);
      r.Begin(Replay::MODE_PLAY, "Data//p.rpd");  // the earlier frames go first
      EXPECT_EQ(r.GetMode(), Replay::MODE_PLAY);
      EXPECT_EQ(LoadedTotal().Used(), base + 5000);
      r.Clear();
      EXPECT_EQ(LoadedTotal().Used(), base);
      r.Begin(Replay::MODE_PLAY, "Data//p.rpd");
      r.Begin(Replay::MODE_RECORD, "Data//q.rpd");
      EXPECT_EQ(LoadedTotal().Used(), base);
      r.Begin(Replay::MODE_PLAY, "Data//p.rpd");
    } else {
      EXPECT_EQ(r.GetMode(), Replay::MODE_OFF);
      EXPECT_TRUE(r.Data().empty());
      EXPECT_EQ(box.texts, std::vector<std::string>{".\\Game\\Replay(60) : replay load error!\n"});
      EXPECT_EQ(LoadedTotal().Used(), base);
    }
  }
  EXPECT_EQ(LoadedTotal().Used(), base) << "ended";
}

// What a frame of play leaves behind, folded into one number.
uint64_t StateHash() {
  uint64_t h = 1469598103934665603ull;
  auto mix = [&h](uint64_t v) { h = (h ^ v) * 1099511628211ull; };
  auto bits = [](float f) {
    uint32_t u;
    std::memcpy(&u, &f, 4);
    return u;
  };
  mix(static_cast<uint64_t>(g_Player.state));
  mix(static_cast<uint64_t>(g_Player.controlMode));
  for (int i = 0; i < 3; ++i) mix(bits(g_Player.position[i]));
  mix(bits(g_Player.power));
  mix(static_cast<uint64_t>(g_Player.fireCounter));
  mix(static_cast<uint64_t>(g_PShotMan.LiveCount()));
  mix(static_cast<uint64_t>(g_Player.options.PresentCount()));
  mix(plat::RandSeed());
  if (const Game* g = Game::GetInstance()) {
    mix(static_cast<uint64_t>(g->bombs));
    mix(static_cast<uint64_t>(g->lives));
  }
  return h;
}

// The inputs of the recorded play by frame: moves, fire, a lock-on, a bomb.
void Script(PlayWorld& w, int frame) {
  using plat::CabInput;
  struct Span {
    int from, to;
    CabInput input;
  };
  static constexpr Span kSpans[] = {
      {70, 200, CabInput::kButton1}, {90, 130, CabInput::kLeft},   {140, 170, CabInput::kUp},
      {260, 261, CabInput::kButton2}, {330, 332, CabInput::kButton1}, {330, 332, CabInput::kButton2},
      {420, 520, CabInput::kRight},   {430, 560, CabInput::kButton1}, {600, 620, CabInput::kDown},
  };
  for (const Span& s : kSpans) w.Hold(s.input, frame >= s.from && frame < s.to);
}

TEST(ReplayPlay, APlayRecordedAndPlayedBackRepeatsEveryFrame) {
  constexpr int kFrames = 700;
  TempDir dir;
  std::vector<uint64_t> recorded;
  {
    PlayOptions o;
    o.beforeStage = [] { g_Replay.Begin(Replay::MODE_RECORD, "play.rpd"); };
    PlayWorld w(o);
    ASSERT_TRUE(w.Ok());
    for (int f = 0; f < kFrames; ++f) {
      Script(w, f);
      w.Step();
      recorded.push_back(StateHash());
    }
    ScopedDataDir data(dir.Path());
    g_Replay.Save();
  }
  // The play did things worth repeating.
  EXPECT_NE(recorded[100], recorded[99]);
  std::vector<uint64_t> played;
  {
    PlayOptions o;
    o.beforeStage = [&dir] {
      ScopedDataDir data(dir.Path());
      g_Replay.Begin(Replay::MODE_PLAY, "play.rpd");
    };
    PlayWorld w(o);
    ASSERT_TRUE(w.Ok());
    ASSERT_EQ(g_Replay.GetMode(), Replay::MODE_PLAY);
    // The replay alone drives the input counters: a held cabinet input
    // changes nothing.
    w.Hold(plat::CabInput::kLeft);
    for (int f = 0; f < kFrames; ++f) {
      w.Step();
      played.push_back(StateHash());
    }
    g_Replay.Save();
  }
  ASSERT_EQ(played.size(), recorded.size());
  for (int f = 0; f < kFrames; ++f) ASSERT_EQ(played[f], recorded[f]) << "frame " << f;
}

TEST(ReplayPlay, TheGeneratedDemoPlaysFlyShootAndBomb) {
  PlayOptions o;
  o.beforeStage = [] { g_Replay.Begin(Replay::MODE_PLAY, "common\\Demo01.rpd"); };
  PlayWorld w(o);
  ASSERT_TRUE(w.Ok());
  ASSERT_EQ(g_Replay.GetMode(), Replay::MODE_PLAY);
  EXPECT_GE(g_Replay.Data().size(), 2402u);
  bool fired = false, bombed = false, moved = false;
  for (int f = 0; f < 1200; ++f) {
    w.Step();
    fired = fired || g_PShotMan.LiveCount() > 0;
    bombed = bombed || g_Player.controlMode == Player::CONTROL_BOMB;
    moved = moved || (g_Player.state == Player::STATE_PLAY && g_Player.position[0] != 0.0f);
  }
  EXPECT_TRUE(fired);
  EXPECT_TRUE(bombed);
  EXPECT_TRUE(moved);
  g_Replay.Save();
  // The tutorial's recording is long enough for its scene.
  g_Replay.Begin(Replay::MODE_PLAY, "common\\Tutorial.rpd");
  EXPECT_GE(g_Replay.Data().size(), 3000u);
  g_Replay.Save();
}

}  // namespace
