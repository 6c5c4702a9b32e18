#include "vrax/io/SysUtil.h"

#include <gtest/gtest.h>

#include "support/ChildProcess.h"
#include "tests/vrax/io/io_test_util.h"

namespace {

TEST(SysUtil, FileWrappersFailCleanly) {
  IoTempDir dir;
  std::string name = dir.path + "/sub/a.bin";
  ASSERT_TRUE(FileSave(name, "0123456789", 10));  // creates the missing directory
  FILE* f = FileOpen(name);
  ASSERT_NE(f, nullptr);
  char buf[16] = {};
  EXPECT_EQ(FileRead(f, buf, 16), 10u);
  EXPECT_EQ(FileClose(f), 0);
  EXPECT_EQ(FileReadAll(name, buf, 10), 10);
  EXPECT_EQ(FileReadAll(name, buf, 11), -1) << "short read";
  EXPECT_EQ(FileSize(dir.path), -1) << "a directory is not a file";
  EXPECT_EQ(FileOpen(dir.path), nullptr);
  // A message longer than any fixed buffer reaches the box whole.
  ErrorBoxCatcher box;
  FatalError("%s(%d) : %s\n", "src", 1, std::string(2000, 'x').c_str());
  ASSERT_EQ(box.texts.size(), 1u);
  EXPECT_EQ(box.texts[0].size(), 2010u);
}

// Names are taken relative to the data root, '\\' and '/' alike, runs of
// separators as one; only a ".." that climbs above the root leaves it.
TEST(SysUtil, ANameStaysInTheDataFolderUnlessItClimbsOutOfIt) {
  const struct {
    const char* name;
    bool inside;
  } cases[] = {
      {"\\common\\Osr_Font.tr", true},
      {"\\enemy\\sub\\a.png", true},
      {"a/../b", true},
      {"\\l\\sub\\..\\..\\m\\x.png", true},
      {"\\l\\./x.png", true},
      {"/abs.png", true},  // the root's own name begins with a separator
      {"\\l\\/abs.png", true},
      {"\\l\\..\\x.png", true},  // up to the root, not past it
      {"..", false},
      {"../x", false},
      {"a/../../x", false},
      {"\\l\\..\\..\\x.png", false},
      {"\\l\\../../x.png", false},
      {"\\l\\sub\\..\\..\\..\\x.png", false},
      {"\\l\\..//..\\x", false},
      {"\\l\\x\\..\\..\\..", false},
      {"\\l\\...\\x.png", true},  // three dots are a name
      {"\\l\\..x\\y", true},
  };
  for (const auto& c : cases) EXPECT_EQ(StaysInDataFolder(c.name), c.inside) << c.name;
  // A zero byte would end the host's name early: "..\0a" is ".." there.
  EXPECT_FALSE(StaysInDataFolder(std::string("..\0a", 4)));
  EXPECT_FALSE(StaysInDataFolder(std::string("x\0", 2)));
}

// A data file that is a named pipe fails like a missing one, at once,
// instead of stalling the frame that reads it. Bounded in a child process,
// in case the read should wait.
TEST(SysUtil, APipeIsNoFileAndNeverWaitedOn) {
  IoTempDir dir;
  ASSERT_TRUE(dir.MakePipe("pipe.bin"));
  const std::string name = dir.path + "/pipe.bin";
  const auto r = testsupport::RunInChild([&] {
    char buf[4];
    EXPECT_EQ(FileSize(name), -1);
    EXPECT_EQ(FileReadAll(name, buf, sizeof buf), -1);
    EXPECT_EQ(FileOpen(name), nullptr);
    return ::testing::Test::HasFailure() ? 1 : 0;
  });
  EXPECT_TRUE(r.ended) << "the read waited on the pipe";
  EXPECT_EQ(r.exitCode, 0);
}

}  // namespace
