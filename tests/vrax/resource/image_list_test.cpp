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

// An image loads at most 128 textures: the names past them are not read,
// so a list of thousands of names costs no more than one of 128; an
// over-long name past them does not fail the list.
TEST(ImageList, OnlyTheFirst128NamesAreRead) {
  std::string text;
  for (int i = 0; i < 300; ++i) text += "n" + std::to_string(i) + ".png\r\n";
  const V names = ParseOk(text + std::string(300, 'x'));
  ASSERT_EQ(names.size(), 128u);
  EXPECT_EQ(names.front(), "n0.png");
  EXPECT_EQ(names.back(), "n127.png");
}

}  // namespace
