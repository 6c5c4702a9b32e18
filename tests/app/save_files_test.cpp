// The whole program against its save directory: odd entries in place of the
// saved files, and what a start leaves behind on the machine.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "game/core/Game.h"
#include "game/core/RankTable.h"
#include "game/core/SystemFile.h"
#include "platform/gfx_device.h"
#include "platform/gfx_draw_states.h"
#include "platform/ipc.h"
#include "platform/paths.h"
#include "support/ChildProcess.h"
#include "support/Headless.h"
#include "support/TempDir.h"
#include "vrax/graphic/SGpMan.h"

namespace {

namespace fs = std::filesystem;
using testsupport::Headless;
using testsupport::HeadlessOptions;
using testsupport::TempDir;

// The default settings, word by word.
constexpr int32_t kDefaults[15] = {1, 1, 1, 1, 1, 2, 2, 3, 0, 100, 100, 0, 1, 3, 1};

// The settings file of the defaults, worked by hand: the fifteen words
// little-endian; their byte sum 220 plus 120 for the positions is 340,
// 0x154, so the checksum is 0x51; three zero fill bytes.
std::string DefaultSettingsFile() {
  std::string bytes(64, '\0');
  for (int i = 0; i < 15; ++i) bytes[4 * i] = static_cast<char>(kDefaults[i]);
  bytes[60] = 0x51;
  return bytes;
}

// A named pipe in place of the settings file, the ranking file and the
// registry once stalled the start for good, in the first open of the
// settings. The start now goes on with the defaults, says what it found, and
// the saves put regular files in place of the pipes. In a child process,
// bounded, in case the start should wait on a pipe again.
TEST(SaveFiles, PipesInPlaceOfTheSavedFilesNeitherStallTheStartNorStopTheSaves) {
  TempDir out("ostrel-told");
  const auto r = testsupport::RunInChild([&] {
    const int fd = ::open(out.File("stderr").c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
    if (fd < 0 || ::dup2(fd, 2) < 0) return 2;
    HeadlessOptions o = testsupport::NullDevice();
    o.prepareSaveDir = [](const TempDir& dir) {
      for (const char* name : {"OSR_SYS.dat", "OSR_RANK.dat", "registry.txt"}) EXPECT_TRUE(dir.MakePipe(name));
    };
    Headless h(o);
    EXPECT_TRUE(h.Ok()) << h.Failure();
    h.Step(10);
    Game* g = GetGame();
    EXPECT_NE(g, nullptr);
    if (g == nullptr) return 1;
    for (int i = 0; i < kSettingsCount; ++i) EXPECT_EQ(g->settings[i], kDefaults[i]) << i;
    EXPECT_EQ(RankTable[0].word[1], 100000000u);
    EXPECT_TRUE(SaveSystemFile());
    EXPECT_TRUE(SaveRankFile());
    out.Write("save-dir", h.SaveDir());
    const std::string dir = h.SaveDir() + "/";
    EXPECT_EQ(fs::status(dir + "OSR_SYS.dat").type(), fs::file_type::regular);
    EXPECT_EQ(fs::status(dir + "OSR_RANK.dat").type(), fs::file_type::regular);
    std::string settings(64, '\0');
    int sf = ::open((dir + "OSR_SYS.dat").c_str(), O_RDONLY | O_CLOEXEC);
    EXPECT_EQ(::read(sf, settings.data(), 65), 64);
    ::close(sf);
    EXPECT_EQ(settings, DefaultSettingsFile());
    // The ranking: 904 bytes, place 0 the default 100,000,000 (0x05F5E100)
    // named "OSR".
    std::string rank(905, '\0');
    int rf = ::open((dir + "OSR_RANK.dat").c_str(), O_RDONLY | O_CLOEXEC);
    EXPECT_EQ(::read(rf, rank.data(), 905), 904);
    ::close(rf);
    EXPECT_EQ(rank.substr(4, 4), std::string("\x00\xE1\xF5\x05", 4));
    EXPECT_EQ(rank.substr(20, 4), std::string("OSR\0", 4));
    return ::testing::Test::HasFailure() ? 1 : 0;
  });
  ASSERT_TRUE(r.ended) << "the start waited on a pipe";
  EXPECT_EQ(r.exitCode, 0);
  const std::string told = out.Read("stderr");
  const std::string dir = out.Read("save-dir") + "/";
  for (const std::string& line :
       {"settings file " + dir + "OSR_SYS.dat is a named pipe, not a regular file: using the default settings\n",
        "ranking file " + dir + "OSR_RANK.dat is a named pipe, not a regular file: using the default ranking\n",
        "registry file " + dir + "registry.txt is a named pipe, not a regular file: its values are not read\n"})
    EXPECT_NE(told.find(line), std::string::npos) << line << "\nin:\n" << told;
}

// What stands in the shared-memory directory and the runtime directory under
// the names of the current save directory.
std::vector<std::string> Leftovers() {
  const std::string prefix = plat::IpcName("");
  std::vector<std::string> found;
  for (const std::string& dir : {std::string("/dev/shm"), plat::IpcDir()}) {
    std::error_code ec;
    for (auto it = fs::directory_iterator(dir, ec); !ec && it != fs::directory_iterator(); it.increment(ec)) {
      const std::string name = it->path().filename().string();
      if (name.compare(0, prefix.size(), prefix) == 0) found.push_back(dir + "/" + name);
    }
  }
  return found;
}

// Each start left three shared-memory objects and a lock file named after
// its save directory, and nothing removed them. A test start now leaves
// nothing, in shared memory, in the runtime directory or of its save
// directory.
TEST(SaveFiles, AStartLeavesNothingBehind) {
  std::vector<std::string> before, during;
  std::string saveDir;
  {
    HeadlessOptions o = testsupport::NullDevice();
    o.prepareSaveDir = [&](const TempDir&) { before = Leftovers(); };
    Headless h(o);
    ASSERT_TRUE(h.Ok()) << h.Failure();
    h.Step(30);
    during = Leftovers();
    saveDir = h.SaveDir();
  }
  EXPECT_TRUE(before.empty());
  EXPECT_EQ(during.size(), 4u);  // the two events, the block and its lock file
  plat::SetSaveDir(saveDir);
  EXPECT_EQ(Leftovers(), std::vector<std::string>{});
  plat::SetSaveDir("");
  EXPECT_FALSE(fs::exists(saveDir));
}

// The draw states a run met are saved for the next start, which has the
// driver compile for them before its first frame: the second start meets
// them all before it draws, and running the same frames meets none anew.
// The file is not written while new states keep coming, only once a spell
// of frames met none (or at the end).
TEST(SaveFiles, TheDrawStatesOfOneRunAreWarmedUpAtTheNextStart) {
  std::string file;
  size_t met = 0;
  {
    Headless h;
    ASSERT_TRUE(h.Ok()) << h.Failure();
    h.Step(30);
    met = SGpMan::GetDevice()->DrawStatesMet();
    EXPECT_GT(met, 0u);
    EXPECT_FALSE(fs::exists(fs::path(h.SaveDir()) / plat::kDrawStatesFile)) << "saved before a quiet spell";
    h.App().Shutdown();
    std::error_code ec;
    const auto size = fs::file_size(fs::path(h.SaveDir()) / plat::kDrawStatesFile, ec);
    ASSERT_FALSE(ec) << "no draw-state file after the run";
    file.resize(size);
    FILE* f = std::fopen((fs::path(h.SaveDir()) / plat::kDrawStatesFile).c_str(), "rb");
    ASSERT_NE(f, nullptr);
    EXPECT_EQ(std::fread(file.data(), 1, file.size(), f), file.size());
    std::fclose(f);
  }
  std::vector<plat::DrawStateKey> keys;
  ASSERT_TRUE(plat::ReadDrawStates(reinterpret_cast<const uint8_t*>(file.data()), file.size(), &keys));
  EXPECT_EQ(keys.size(), met);

  HeadlessOptions o;
  o.saveFiles = {{plat::kDrawStatesFile, file}};
  Headless h(o);
  ASSERT_TRUE(h.Ok()) << h.Failure();
  EXPECT_EQ(SGpMan::GetDevice()->DrawStatesMet(), met);
  h.Step(30);
  EXPECT_EQ(SGpMan::GetDevice()->DrawStatesMet(), met);
}

}  // namespace
