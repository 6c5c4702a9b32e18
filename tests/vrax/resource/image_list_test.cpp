#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "vrax/resource/ImageList.h"

namespace {

std::vector<std::string> ParseOk(const std::string& text) {
  std::vector<std::string> names;
  EXPECT_TRUE(image_list::Parse(reinterpret_cast<const uint8_t*>(text.data()), text.size(), &names))
      << "input: " << text;
  return names;
}

bool ParseFails(const std::string& text) {
  std::vector<std::string> names;
  return !image_list::Parse(reinterpret_cast<const uint8_t*>(text.data()), text.size(), &names);
}

using V = std::vector<std::string>;

TEST(ImageList, FirstNameEndsAtBlankLaterNamesKeepBlanks) {
  // The first line holds three names: the first ends at its blank, the
  // second runs through the next blank to the line break.
  EXPECT_EQ(ParseOk("a.png b.png c.png\r\nd e.png\r\n"), (V{"a.png", "b.png c.png", "d e.png"}));
}

TEST(ImageList, TrailingBreaksAndLeadingBlanksAddNothing) {
  EXPECT_EQ(ParseOk("\r\n  one.png\r\ntwo.jpg\r\n\r\n\n"), (V{"one.png", "two.jpg"}));
  EXPECT_EQ(ParseOk("last.png"), (V{"last.png"}));  // no line break at the end
}

TEST(ImageList, HighBytesAreSeparators) {
  // 0x80 and up read as negative chars: they end names like control bytes.
  EXPECT_EQ(ParseOk(std::string("x.png\xA0y.png\xFFz.png", 17)), (V{"x.png", "y.png", "z.png"}));
  EXPECT_EQ(ParseOk(std::string("a.png\0b.png", 11)), (V{"a.png", "b.png"}));
}

TEST(ImageList, EmptyOrBlankListFails) {
  for (const char* text : {"", " \r\n\t \n", "\x80\x90\xff"}) EXPECT_TRUE(ParseFails(text)) << text;
}

TEST(ImageList, NameLengthIsBounded) {
  std::string ok(255, 'n');
  EXPECT_EQ(ParseOk(ok + "\n" + ok), (V{ok, ok}));
  std::string longName(256, 'n');
  // The last one runs into the data end.
  for (const std::string& text : {longName, "a.png\r\n" + longName + "\r\n", "a.png\r\n" + longName})
    EXPECT_TRUE(ParseFails(text)) << text.size();
}

// Deterministic mutations of valid lists: the parser must neither crash nor
// read outside the data (AddressSanitizer watches an exact-size copy), and
// whatever it accepts must obey the name rules.
TEST(ImageList, MutatedListsFailCleanly) {
  const std::vector<std::string> seeds = {
      "a.png b.png\r\nc d.jpg\r\n",
      "\\x\\tex00.png\r\ntex01.png\r\ntex02.jpg",
      std::string(250, 'q') + ".png\n",
      "one\n",
  };
  uint32_t s = 12345;
  auto next = [&s]() { return (s = s * 1664525u + 1013904223u) >> 8; };
  int accepted = 0;
  for (int iter = 0; iter < 4000; ++iter) {
    std::string text = seeds[iter % seeds.size()];
    int edits = 1 + static_cast<int>(next() % 8);
    for (int e = 0; e < edits; ++e) {
      uint32_t op = next() % 4;
      size_t at = text.empty() ? 0 : next() % text.size();
      if (op == 0 && !text.empty()) {
        text[at] = static_cast<char>(next() & 0xFF);
      } else if (op == 1) {
        text.insert(at, 1, static_cast<char>(next() & 0xFF));
      } else if (op == 2 && !text.empty()) {
        text.erase(at, 1 + next() % 4);
      } else {
        text.insert(at, std::string(next() % 300, static_cast<char>('a' + next() % 26)));
      }
    }
    std::vector<uint8_t> exact(text.begin(), text.end());
    std::vector<std::string> names;
    if (!image_list::Parse(exact.data(), exact.size(), &names)) continue;
    ++accepted;
    ASSERT_FALSE(names.empty());
    for (size_t i = 0; i < names.size(); ++i) {
      const std::string& n = names[i];
      ASSERT_FALSE(n.empty());
      ASSERT_LE(n.size(), image_list::kImageNameMax);
      ASSERT_GT(static_cast<int8_t>(n[0]), 0x20);
      for (char c : n) ASSERT_TRUE(i == 0 ? static_cast<int8_t>(c) > 0x20 : static_cast<int8_t>(c) >= 0x20);
    }
  }
  EXPECT_GT(accepted, 100);
}

}  // namespace
