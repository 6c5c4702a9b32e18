#include "platform/message_box.h"

#include <gtest/gtest.h>

TEST(MessageBox, ReturnsAtOnceAndReachesTheHook) {
  std::string title, text;
  auto old = plat::SetMessageBoxHook([&](const std::string& t, const std::string& x) {
    title = t;
    text = x;
  });
  plat::SetMessageBoxQuiet(true);
  plat::ShowMessageBox("ERROR", "Vrax\\Io\\SFile(42) : file busy error\n");
  plat::SetMessageBoxQuiet(false);
  plat::SetMessageBoxHook(old);
  EXPECT_EQ(title, "ERROR");
  EXPECT_EQ(text, "Vrax\\Io\\SFile(42) : file busy error\n");
}
