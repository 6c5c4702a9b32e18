// Runs of value checks written as one list: each entry carries the text of
// the expression it checks, so a failure still names the value that is wrong.
//   EXPECT_ALL({VAL(a.x, 1.0f), VAL(a.count, 3)});
//   EXPECT_SAME({SAME(a.part, &parts[2]), SAME(a.next, nullptr)});
#pragma once

#include <gtest/gtest.h>

#include <initializer_list>

namespace testsupport {

// Numbers compare as doubles: every float and every integer up to 2^53 is exact.
struct WantVal {
  const char* what;
  double got, want;
};
struct WantSame {
  const char* what;
  const void *got, *want;
};

inline void ExpectAll(std::initializer_list<WantVal> list) {
  for (const WantVal& w : list) EXPECT_EQ(w.got, w.want) << w.what;
}
inline void ExpectSame(std::initializer_list<WantSame> list) {
  for (const WantSame& w : list) EXPECT_EQ(w.got, w.want) << w.what;
}

}  // namespace testsupport

#define VAL(got, want) ::testsupport::WantVal{#got, static_cast<double>(got), static_cast<double>(want)}
#define SAME(got, want) ::testsupport::WantSame{#got, (got), (want)}
#define EXPECT_ALL(...) ::testsupport::ExpectAll(__VA_ARGS__)
#define EXPECT_SAME(...) ::testsupport::ExpectSame(__VA_ARGS__)
