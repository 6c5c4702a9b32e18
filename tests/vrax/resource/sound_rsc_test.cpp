#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/sound_device.h"
#include "support/EngineWorld.h"
#include "support/NewFails.h"
#include "support/Repeated.h"
#include "support/TempDir.h"
#include "vrax/resource/SRsc_Sound.h"
#include "vrax/sound/SSndMan.h"
#include "vrax/sound/WavWriter.h"

namespace {

using testsupport::Numbered;
using testsupport::Repeated;

constexpr uint32_t kSnd = RscTag("SND");

std::string Str(const std::vector<uint8_t>& v) { return std::string(v.begin(), v.end()); }

std::vector<int16_t> Ramp(size_t n) {
  std::vector<int16_t> s(n);
  for (size_t i = 0; i < n; ++i) s[i] = static_cast<int16_t>(static_cast<int>((i * 389) % 50001) - 25000);
  return s;
}

// The engine's managers and the sound player on a kernel, with a data
// directory of its own.
class SoundRscWorld : public testsupport::EngineWorld {
 protected:
  SoundRscWorld() { withSound = true; }
  SRsc* Load(const char* path) {
    SRsc* slot = nullptr;
    const SRscRequest table[] = {{&slot, kSnd, path, 0, 0, 0, 0}, {nullptr, 0, nullptr, 0, 0, 0, 0}};
    rm.LoadTable(1, table, -1);
    for (int i = 0; i < 60 && !rm.Sync(0); ++i) kernel.Step();
    return slot;
  }
  std::vector<int16_t> Render(uint32_t frames) {
    std::vector<int16_t> out(frames * 2);
    SSndMan::Device()->Render(out.data(), frames);
    return out;
  }

  testsupport::TempDir dir{"snd"};
  testsupport::ScopedDataDir data{dir.Path()};
};

TEST_F(SoundRscWorld, ListOfStaticAndStreamedSoundsLoadsPlaysAndIsReleased) {
  auto music = Ramp(40000);  // 80,000 bytes: streamed through the 64 KB buffer
  ASSERT_TRUE(dir.Write("sound/se0.wav", Str(MakeWaveFile(1, 22050, 8, std::vector<uint8_t>(500, 0xC0)))));
  ASSERT_TRUE(dir.Write("sound/bgm.wav", Str(MakeWaveFile16(1, 44100, music))));
  ASSERT_TRUE(dir.Write("sound/se1.wav", Str(MakeWaveFile16(2, 44100, std::vector<int16_t>(200, 7)))));
  ASSERT_TRUE(dir.Write("sound/bank.sr", MakeSoundList({{"se0.wav", false, 0}, {"bgm.wav", true, 1000}}) +
                                             "se1.wav 77\r\n"));
  SRsc* r = Load("\\sound\\bank");
  ASSERT_NE(r, nullptr);
  ASSERT_EQ(r->GetStatus(), kRscReady) << (box.texts.empty() ? "" : box.texts[0]);
  EXPECT_EQ(r->Kind(), 0x534E44u);
  auto* snd = static_cast<SRsc_Sound_Ex*>(r);
  EXPECT_EQ(snd->GetStep(), 2);
  EXPECT_EQ(snd->GetDirectory(), "\\sound\\");
  ASSERT_EQ(SSndMan::Count(r), 3);
  SoundBank* bank = snd->Bank();
  EXPECT_EQ(bank->entries[0]->streamData, nullptr);
  ASSERT_NE(bank->entries[1]->streamData, nullptr);
  EXPECT_EQ(bank->entries[1]->loopStart, 2000u);
  EXPECT_EQ(bank->entries[1]->dataSize, 80000u);
  EXPECT_EQ(bank->entries[2]->streamData, nullptr);  // one number: static
  EXPECT_EQ(SSndMan::StreamCount(), 1u);
  EXPECT_EQ(SSndMan::Device()->BufferCount(), 3u);
  EXPECT_TRUE(box.texts.empty());

  // The music plays through the resource's slot and loops at frame 1000.
  SSndMan::Play(r, 1, 65536, 0);
  SSndMan::StreamPass();
  for (uint32_t done = 0; done < 100000; done += 2500) {
    auto out = Render(2500);
    for (uint32_t k = 0; k < 2500; ++k) {
      const uint32_t f = done + k;
      const uint32_t src = f < 40000 ? f : 1000 + (f - 40000) % 39000;
      ASSERT_EQ(out[2 * k], music[src]) << f;
    }
    SSndMan::StreamPass();
  }
  snd->Play(0, 65536, 0);
  EXPECT_EQ(Render(1)[0], 64 * 256 + music[1000 + (100000 - 40000) % 39000]);  // both sounds mixed
  snd->Stop(1);
  SSndMan::Play(static_cast<SRsc*>(nullptr), 0, 65536, 0);  // an empty slot: nothing

  // Releasing the group disposes the resource: streams and buffers go.
  rm.ReleaseGroup(1, nullptr, 0);
  for (int i = 0; i < 2; ++i) kernel.Step();
  EXPECT_EQ(SSndMan::StreamCount(), 0u);
  EXPECT_EQ(SSndMan::Device()->BufferCount(), 0u);
}

TEST_F(SoundRscWorld, TwoStreamedSoundsLeaveTheTableOnDisposal) {
  ASSERT_TRUE(dir.Write("m/a.wav", Str(MakeWaveFile16(2, 22050, Ramp(30000)))));
  // Sound n is line n from the first byte: the empty text before the first
  // break and the blank line are empty sounds 0 and 2.
  ASSERT_TRUE(dir.Write("m/list.sr", "\na.wav 0 1\n  \na.wav 5 1\n"));
  ASSERT_TRUE(dir.Write("m/other.sr", "a.wav 0 1\n"));
  SRsc *a = Load("\\m\\list"), *b = Load("\\m\\other");
  for (SRsc* r : {a, b}) ASSERT_EQ(r->GetStatus(), kRscReady);
  EXPECT_EQ(SSndMan::StreamCount(), 3u);
  const SoundBank* bank = static_cast<SRsc_Sound_Ex*>(a)->Bank();
  ASSERT_EQ(SSndMan::Count(a), 4);
  EXPECT_TRUE(bank->entries[0]->buffer == nullptr && bank->entries[2]->buffer == nullptr);
  EXPECT_EQ(bank->entries[3]->loopStart, 5u * 4);  // loop start x block size
  for (int n = 0; n < 4; ++n) SSndMan::Play(a, n, 65536, 0);
  a->Kill();
  for (int i = 0; i < 2; ++i) kernel.Step();
  EXPECT_EQ(SSndMan::StreamCount(), 1u);
  EXPECT_EQ(SSndMan::Device()->BufferCount(), 1u);
  SSndMan::StreamPass();
}

struct BadCase {
  const char* what;
  std::string list;
  std::string wave;
  int line;           // the line in the error text
  int loaded;         // sounds made before the failure
  const char* left;   // the file whose bytes were refused: it leaves the cache ("": none)
};

// With the cache on, a list or wave refused for its bytes leaves it, and no
// archive is saved from it; one refused for another reason stays.
TEST_F(SoundRscWorld, DamagedListsAndWavesFailWithResourceOpenError) {
  io.SetCacheMode(2, 1u << 24, 0, 0);
  const std::string good = Str(MakeWaveFile16(1, 22050, std::vector<int16_t>(64, 3)));
  std::string noFmt = good;
  noFmt[12] = 'x';
  std::string noData = good;
  noData[36] = 'x';
  std::string sizes = good;  // data and format sizes past the end of the file
  sizes[40] = sizes[41] = sizes[42] = static_cast<char>(0xFF);
  const std::string wide = Str(MakeWaveFile(1, 22050, 24, std::vector<uint8_t>(96, 1)));
  const std::vector<BadCase> cases = {
      {"list missing", "", good, 122, 0, ""},
      {"wave missing", "ok.wav\r\nmissing.wav\r\n", good, 141, 1, ""},
      {"not a wave", "ok.wav\r\nbad.wav\r\n", noFmt, 151, 1, "bad.wav"},
      {"no data chunk", "bad.wav 10 1\r\n", noData, 163, 0, "bad.wav"},
      {"data past the end (a file cut short)", "ok.wav\r\nbad.wav\r\n", sizes, 163, 1, "bad.wav"},
      {"24-bit samples", "bad.wav\r\n", wide, 217, 0, ""},
      {"name too long", "ok.wav\r\n" + std::string(300, 'n') + ".wav\r\n", good, 122, 1, "bank.sr"},
      {"first name too long", std::string(300, 'n') + ".wav\r\n", good, 122, 0, "bank.sr"},
      {"a name out of the data folder", "ok.wav\r\n..\\..\\ok.wav\r\n", good, 141, 1, ""},
  };
  int k = 0;
  for (const BadCase& c : cases) {
    SCOPED_TRACE(c.what);
    const std::string d = "case" + std::to_string(k++);
    ASSERT_TRUE(dir.Write(d + "/ok.wav", good));
    ASSERT_TRUE(dir.Write(d + "/bad.wav", c.wave));
    if (!c.list.empty()) { ASSERT_TRUE(dir.Write(d + "/bank.sr", c.list)); }
    box.texts.clear();
    io.CacheClear();
    const std::string path = "\\" + d + "\\bank";
    SRsc* r = Load(path.c_str());
    ASSERT_NE(r, nullptr);
    EXPECT_EQ(r->GetStatus(), kRscFailed);
    EXPECT_EQ(static_cast<SRsc_Sound_Ex*>(r)->GetStep(), -1);
    EXPECT_EQ(box.Count("SRsc_Sound_Ex(" + std::to_string(c.line) + ") : resource open error"), 1);
    EXPECT_EQ(SSndMan::Count(r), c.loaded);
    const std::string left = *c.left != '\0' ? "\\" + d + "\\" + c.left : "";
    EXPECT_EQ(io.Cache().Contains(path + ".sr"), !c.list.empty() && left != path + ".sr");
    EXPECT_TRUE(left.empty() || !io.Cache().Contains(left));
    EXPECT_EQ(io.CacheSave("cache/sound"), left.empty() ? 0 : -1);
    SSndMan::Play(r, 0, 65536, 0);  // what was made plays
    Render(100);
  }
  // What the failed banks made goes with their group.
  rm.ReleaseGroup(1, nullptr, 0);
  for (int i = 0; i < 2; ++i) kernel.Step();
  EXPECT_EQ(SSndMan::Device()->BufferCount(), 0u);
}

// A file named again as the same kind of sound is not read again: its line
// shares the samples of the sound first made from it (a static buffer over
// the same memory, a looping buffer of its own over the same stream data,
// from its own loop start), in a frame of its own. The files are spoilt
// once their sounds are made, so a second read would fail the bank.
TEST_F(SoundRscWorld, AFileNamedAgainIsReadOnce) {
  const std::vector<int16_t> music = Ramp(40000);
  ASSERT_TRUE(dir.Write("d/a.wav", Str(MakeWaveFile16(1, 44100, std::vector<int16_t>(300, 2222)))));
  ASSERT_TRUE(dir.Write("d/b.wav", Str(MakeWaveFile16(1, 44100, music))));
  ASSERT_TRUE(dir.Write("d/list.sr", "a.wav\r\nb.wav 0 1\r\na.wav\r\nb.wav 100 1\r\n"));
  SRsc* slot = nullptr;
  const SRscRequest table[] = {{&slot, kSnd, "\\d\\list", 0, 0, 0, 0}, {nullptr, 0, nullptr, 0, 0, 0, 0}};
  rm.LoadTable(1, table, -1);
  std::vector<int> counts;
  for (int frame = 1; frame <= 9; ++frame) {
    kernel.Step();
    counts.push_back(SSndMan::Count(slot));
    if (SSndMan::Count(slot) == 2) {
      ASSERT_TRUE(dir.Write("d/a.wav", "spoilt"));
      ASSERT_TRUE(dir.Write("d/b.wav", "spoilt"));
    }
  }
  // The list in frames 1 and 2, each file in two more, each line of a file
  // named again in one.
  EXPECT_EQ(counts, (std::vector<int>{0, 0, 0, 1, 1, 2, 3, 4, 4}));
  ASSERT_EQ(slot->GetStatus(), kRscReady);
  EXPECT_TRUE(box.texts.empty());
  const SoundBank* bank = static_cast<SRsc_Sound_Ex*>(slot)->Bank();
  EXPECT_NE(bank->entries[2]->buffer, bank->entries[0]->buffer);
  EXPECT_EQ(bank->entries[2]->buffer->Memory(), bank->entries[0]->buffer->Memory());
  EXPECT_EQ(bank->entries[2]->streamData, nullptr);
  EXPECT_NE(bank->entries[3]->buffer, bank->entries[1]->buffer);
  EXPECT_EQ(bank->entries[3]->streamData.get(), bank->entries[1]->streamData.get());
  EXPECT_EQ(bank->entries[3]->loopStart, 200u);
  EXPECT_EQ(SSndMan::Device()->BufferCount(), 4u);
  EXPECT_EQ(SSndMan::StreamCount(), 2u);
  // The third sound is the first one's samples.
  SSndMan::Play(slot, 2, 65536, 0);
  auto out = Render(301);
  EXPECT_EQ(out[0], 2222);
  EXPECT_EQ(out[2 * 299], 2222);
  EXPECT_EQ(out[2 * 300], 0);
  // The fourth plays the music and loops back to its own frame 100.
  SSndMan::Play(slot, 3, 65536, 0);
  SSndMan::StreamPass();
  for (uint32_t done = 0; done < 42000; done += 2000) {
    out = Render(2000);
    for (uint32_t k = 0; k < 2000; ++k) {
      const uint32_t f = done + k;
      ASSERT_EQ(out[2 * k], music[f < 40000 ? f : 100 + (f - 40000)]) << f;
    }
    SSndMan::StreamPass();
  }
  rm.ReleaseGroup(1, nullptr, 0);
  for (int i = 0; i < 2; ++i) kernel.Step();
  EXPECT_EQ(SSndMan::Device()->BufferCount(), 0u);
  EXPECT_EQ(SSndMan::StreamCount(), 0u);
}

// The bytes of a bank's sounds are charged before they are made: a wave of
// 33 MB of samples, static (33 MB) and then streamed (64 KB and its own copy
// of the 33 MB), does not fit, and the streamed line fails the bank with
// the line of the copy it could not make; the static sound stays. Every
// other bank has a budget of its own: the streamed line alone loads.
TEST_F(SoundRscWorld, ABankPastItsBudgetIsRefusedAndTheGameGoesOn) {
  const uint32_t bytes = 33u << 20;
  ASSERT_TRUE(dir.Write("g/big.wav", Str(MakeWaveFile16(2, 44100, std::vector<int16_t>(bytes / 2, 300)))));
  ASSERT_TRUE(dir.Write("g/both.sr", "big.wav\r\nbig.wav 0 1\r\n"));
  ASSERT_TRUE(dir.Write("g/music.sr", "big.wav 0 1\r\n"));
  SRsc* both = Load("\\g\\both");
  ASSERT_NE(both, nullptr);
  EXPECT_EQ(both->GetStatus(), kRscFailed);
  EXPECT_EQ(SSndMan::Count(both), 1);
  EXPECT_EQ(box.Count("SRsc_Sound_Ex(232) : resource open error"), 1);
  EXPECT_EQ(box.texts.size(), 1u);
  EXPECT_EQ(SSndMan::StreamCount(), 0u);
  SRsc* music = Load("\\g\\music");
  ASSERT_EQ(music->GetStatus(), kRscReady);
  EXPECT_EQ(static_cast<SRsc_Sound_Ex*>(music)->Bank()->entries[0]->dataSize, bytes);
  EXPECT_EQ(box.texts.size(), 1u);
}

// Memory running out is the open error and the bank stops there, with what
// it made: in the device (a static sound's 1 MB buffer refused, the buffer's
// line) and in the loader's own list (the list's first 65 lines are blank,
// and the list of 64 empty sounds cannot grow to 128, 1 KB: the list's
// line). Nothing is thrown through the frame.
TEST_F(SoundRscWorld, MemoryRunningOutIsTheOpenError) {
  ASSERT_TRUE(dir.Write("o/big.wav", Str(MakeWaveFile16(1, 44100, std::vector<int16_t>(1 << 19, 5)))));
  ASSERT_TRUE(dir.Write("o/small.wav", Str(MakeWaveFile16(1, 44100, std::vector<int16_t>(64, 5)))));
  ASSERT_TRUE(dir.Write("o/one.sr", "small.wav\r\nbig.wav\r\n"));
  ASSERT_TRUE(dir.Write("o/two.sr", Repeated(" \r\n", 65) + "small.wav\r\n"));
  SRsc* one = nullptr;
  const SRscRequest first[] = {{&one, kSnd, "\\o\\one", 0, 0, 0, 0}, {nullptr, 0, nullptr, 0, 0, 0, 0}};
  rm.LoadTable(1, first, -1);
  int refused = 0;
  {
    testsupport::NewFails fail(1u << 20);
    EXPECT_NO_THROW(rm.Sync(1));
    refused = fail.Refused();
  }
  EXPECT_EQ(refused, 1);
  EXPECT_EQ(one->GetStatus(), kRscFailed);
  EXPECT_EQ(SSndMan::Count(one), 1);
  EXPECT_EQ(box.Count("SRsc_Sound_Ex(217) : resource open error"), 1);

  // The list is read in frame 2, where its empty sounds are made.
  SRsc* two = nullptr;
  const SRscRequest second[] = {{&two, kSnd, "\\o\\two", 0, 0, 0, 0}, {nullptr, 0, nullptr, 0, 0, 0, 0}};
  rm.LoadTable(1, second, -1);
  kernel.Step();
  ASSERT_EQ(static_cast<SRsc_Sound_Ex*>(two)->GetStep(), 0);
  {
    testsupport::NewFails fail(128 * sizeof(void*));
    EXPECT_NO_THROW(kernel.Step());
    refused = fail.Refused();
  }
  EXPECT_EQ(refused, 1);
  EXPECT_EQ(two->GetStatus(), kRscFailed);
  EXPECT_EQ(SSndMan::Count(two), 64);
  EXPECT_EQ(box.Count("SRsc_Sound_Ex(122) : resource open error"), 1);
  EXPECT_EQ(box.texts.size(), 2u);

  // Without any memory even the line cannot be shown: the bank still ends
  // failed, so that nothing waits for it.
  SRsc* three = nullptr;
  const SRscRequest third[] = {{&three, kSnd, "\\o\\two", 0, 0, 0, 0}, {nullptr, 0, nullptr, 0, 0, 0, 0}};
  rm.LoadTable(1, third, -1);
  kernel.Step();
  {
    testsupport::NewFails fail(1);
    EXPECT_NO_THROW(kernel.Step());
  }
  EXPECT_EQ(three->GetStatus(), kRscFailed);
  EXPECT_EQ(box.texts.size(), 2u);
  kernel.Step();
  EXPECT_EQ(rm.Sync(0), 1);  // all settled: the game goes on
}

// A bank loads at most 128 sounds, one wave file a frame at best: lines
// past them (named or blank) are left out, told in one error line, and the
// bank is ready with the first 128. The list is read in frames 1 and 2,
// then each wave file in two frames: ready in frame 2 + 2 x (waves read)
// however long the list. Every line names a file of its own (a file named
// again is not read again).
TEST_F(SoundRscWorld, LinesPastTheBanksLastSoundAreToldOnceAndLeftOut) {
  const std::string wave = Str(MakeWaveFile16(1, 22050, std::vector<int16_t>(64, 5)));
  ASSERT_TRUE(dir.Write("s/a.wav", wave));
  for (int i = 0; i < 128; ++i) ASSERT_TRUE(dir.Write("s/w" + std::to_string(i) + ".wav", wave));
  const struct {
    const char* what;
    std::string list;
    uint32_t waves;  // wave files read, each a buffer
    int errorLines;
  } cases[] = {
      {"128 lines", Numbered("w", ".wav\r\n", 128), 128, 0},
      {"129 lines", Numbered("w", ".wav\r\n", 129), 128, 1},
      {"200,000 lines", Numbered("w", ".wav\r\n", 200000), 128, 1},
      {"128 lines, then 10,000 blank ones", Numbered("w", ".wav 0 1\r\n", 128) + Repeated(" \r\n", 10000), 128, 1},
      {"10,000 blank lines, then a name", Repeated(" \n", 10000) + "a.wav\n", 0, 1},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    box.texts.clear();
    ASSERT_TRUE(dir.Write("s/list.sr", c.list));
    SRsc* slot = nullptr;
    const SRscRequest table[] = {{&slot, kSnd, "\\s\\list", 0, 0, 0, 0}, {nullptr, 0, nullptr, 0, 0, 0, 0}};
    rm.LoadTable(1, table, -1);
    int frames = 0;
    while (!rm.Sync(0) && frames < 1000) {
      kernel.Step();
      ++frames;
    }
    ASSERT_EQ(slot->GetStatus(), kRscReady);
    EXPECT_EQ(frames, 2 + 2 * int(c.waves));
    EXPECT_EQ(SSndMan::Count(slot), 128);
    EXPECT_EQ(SSndMan::Device()->BufferCount(), c.waves);
    EXPECT_EQ(box.Count("SRsc_Sound_Ex(128) : resource open error"), c.errorLines);
    EXPECT_EQ(box.texts.size(), size_t(c.errorLines));
    rm.ReleaseGroup(1, nullptr, 0);
    for (int i = 0; i < 2; ++i) kernel.Step();
  }
}

}  // namespace
