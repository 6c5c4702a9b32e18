#include "vrax/io/SysUtil.h"

#include <gtest/gtest.h>

#include "tests/vrax/io/io_test_util.h"

namespace {

TEST(SysUtil, FileWrappersFailCleanly) {
  IoTempDir dir;
  std::string name = dir.path + "/sub/a.bin";
  FILE* f = FileOpen(name, true);  // creates the missing directory
  ASSERT_NE(f, nullptr);
  EXPECT_EQ(FileWrite(f, "0123456789", 10), 10u);
  EXPECT_EQ(FileClose(f), 0);
  char buf[16] = {};
  EXPECT_EQ(FileReadAll(name, buf, 10), 10);
  EXPECT_EQ(FileReadAll(name, buf, 11), -1) << "short read";
  EXPECT_EQ(FileSize(dir.path), -1) << "a directory is not a file";
  // A message longer than any fixed buffer reaches the box whole.
  ErrorBoxCatcher box;
  FatalError("%s(%d) : %s\n", "src", 1, std::string(2000, 'x').c_str());
  ASSERT_EQ(box.texts.size(), 1u);
  EXPECT_EQ(box.texts[0].size(), 2010u);
}

}  // namespace
