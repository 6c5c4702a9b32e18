#include "platform/paths.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "platform/file_io.h"
#include "support/TempDir.h"

namespace fs = std::filesystem;

namespace {

class PathsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    root_ = dir_.Path();
    fs::create_directories(root_ / "data" / "Enemy");
    fs::create_directories(root_ / "save");
    std::ofstream(root_ / "data" / "Enemy" / "Boss1.TR") << "x";
    plat::SetDataDir((root_ / "data").string());
    plat::SetSaveDir((root_ / "save").string());
  }
  void TearDown() override {
    plat::SetDataDir("");
    plat::SetSaveDir("");
  }
  testsupport::TempDir dir_{"ostrel-paths"};
  fs::path root_;
};

TEST_F(PathsTest, DataRootAndSeparatorsAreNormalised) {
  std::string data = (root_ / "data").string();
  EXPECT_EQ(plat::MapPathLiteral("Data//\\common\\X.tr"), data + "/common/X.tr");
  EXPECT_EQ(plat::MapPathLiteral("Data/common/X.tr"), data + "/common/X.tr");
  EXPECT_EQ(plat::MapPathLiteral("data\\\\sound//osr_se.sr"), data + "/sound/osr_se.sr");
  EXPECT_EQ(plat::MapPathLiteral("some\\rel//path"), "some/rel/path");
}

TEST_F(PathsTest, DriveDMapsToTheSaveDirectory) {
  std::string save = (root_ / "save").string();
  EXPECT_EQ(plat::MapPathLiteral("D:\\OSR_SYS.dat"), save + "/OSR_SYS.dat");
  EXPECT_EQ(plat::MapPathLiteral("d:OSR_RANK.dat"), save + "/OSR_RANK.dat");
}

TEST_F(PathsTest, CaseInsensitiveFallbackFindsExistingFiles) {
  std::string want = (root_ / "data" / "Enemy" / "Boss1.TR").string();
  EXPECT_EQ(plat::MapPath("Data//\\enemy\\boss1.tr"), want);
  EXPECT_EQ(plat::MapPath("Data//\\Enemy\\Boss1.TR"), want);
  // A missing file keeps its literal mapping so an open fails as it should.
  EXPECT_EQ(plat::MapPath("Data//\\enemy\\missing.tr"), (root_ / "data" / "enemy" / "missing.tr").string());
}

// A data folder that is not there (a mistyped OSTREL_DATA_DIR) is never
// made, nor anything in it; inside one that is there, a save makes the
// folders it needs, as one into a save folder that is not there yet does.
TEST_F(PathsTest, ADataFolderThatIsNotThereIsNeverMade) {
  const char bytes[3] = {1, 2, 3};
  for (const char* typo : {"dtaa", "dtaa/deeper", "dtaa/"}) {
    SCOPED_TRACE(typo);
    plat::SetDataDir((root_ / typo).string());
    EXPECT_FALSE(plat::ReplaceFile(plat::MapPath("Data//cache\\common.sca"), bytes, sizeof bytes));
    EXPECT_FALSE(plat::ReplaceFile(plat::MapPath("Data/demo.rpd"), bytes, sizeof bytes));
    EXPECT_FALSE(fs::exists(root_ / "dtaa"));
  }
  plat::SetDataDir((root_ / "data").string());
  EXPECT_TRUE(plat::ReplaceFile(plat::MapPath("Data//cache\\common.sca"), bytes, sizeof bytes));
  EXPECT_EQ(fs::file_size(root_ / "data" / "cache" / "common.sca"), 3u);
  plat::SetSaveDir((root_ / "new" / "save").string());
  EXPECT_TRUE(plat::ReplaceFile(plat::MapPath("D:\\OSR_SYS.dat"), bytes, sizeof bytes));
  EXPECT_EQ(fs::file_size(root_ / "new" / "save" / "OSR_SYS.dat"), 3u);
}

TEST(PathsEnv, DefaultsComeFromTheEnvironment) {
  // The variables are put back as they were, so tests after this one in the
  // same process still find the data directory.
  testsupport::ScopedEnv save("OSTREL_SAVE_DIR", "/tmp/ostrel-save-env");
  testsupport::ScopedEnv xdg("XDG_DATA_HOME", "/tmp/xdg");
  testsupport::ScopedEnv data("OSTREL_DATA_DIR", "/tmp/ostrel-data-env");
  EXPECT_EQ(plat::SaveDir(), "/tmp/ostrel-save-env");
  save.Set(nullptr);
  EXPECT_EQ(plat::SaveDir(), "/tmp/xdg/ostrel");
  EXPECT_EQ(plat::DataDir(), "/tmp/ostrel-data-env");
}

}  // namespace
