#include "vrax/io/SysUtil.h"

#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <string>
#include <vector>

#include "platform/message_box.h"

namespace {

struct TempDir {
  std::string path;
  TempDir() {
    char tmpl[] = "/tmp/vrax_sysutil_XXXXXX";
    path = mkdtemp(tmpl);
  }
  ~TempDir() { std::filesystem::remove_all(path); }
};

TEST(SysUtil, FatalErrorShowsFormattedTextInErrorBox) {
  std::string title, text;
  plat::SetMessageBoxQuiet(true);
  auto old = plat::SetMessageBoxHook([&](const std::string& t, const std::string& m) {
    title = t;
    text = m;
  });
  FatalError("%s(%d) : %s\n", "Vrax\\Io\\SIOMan", 136, "file open error");
  EXPECT_EQ(title, "ERROR");
  EXPECT_EQ(text, "Vrax\\Io\\SIOMan(136) : file open error\n");
  std::string longMsg(2000, 'x');
  FatalError("%s(%d) : %s\n", "src", 1, longMsg.c_str());
  EXPECT_EQ(text.size(), longMsg.size() + 10);
  plat::SetMessageBoxHook(old);
  plat::SetMessageBoxQuiet(false);
}

TEST(SysUtil, FileWrappersRoundTripAndFailCleanly) {
  TempDir dir;
  std::string name = dir.path + "/sub/a.bin";
  FILE* f = FileOpen(name, true);  // creates the missing directory
  ASSERT_NE(f, nullptr);
  const char data[] = "0123456789";
  EXPECT_EQ(FileWrite(f, data, 10), 10u);
  EXPECT_EQ(FileClose(f), 0);
  EXPECT_EQ(FileSize(name), 10);
  char buf[16] = {};
  EXPECT_EQ(FileReadAll(name, buf, 10), 10);
  EXPECT_EQ(std::string(buf, 10), "0123456789");
  EXPECT_EQ(FileReadAll(name, buf, 11), -1) << "short read";
  EXPECT_EQ(FileReadAll(dir.path + "/none", buf, 1), -1);
  EXPECT_EQ(FileSize(dir.path + "/none"), -1);
  EXPECT_EQ(FileSize(dir.path), -1) << "a directory is not a file";
  EXPECT_EQ(FileClose(nullptr), -1);
  EXPECT_EQ(MakeFileName("\\cache\\logo", ".sca"), "\\cache\\logo.sca");
}

}  // namespace
