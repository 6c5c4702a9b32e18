#include <gtest/gtest.h>

#include <cstdint>
#include <limits>

#include "vrax/io/LoadBudget.h"

// The limit is reached exactly and never passed; a refused charge leaves
// what was charged before; a product that overflows 64 bits is refused.
TEST(LoadBudget, ChargesUpToTheLimitAndRefusesPastIt) {
  LoadBudget b(1000);
  EXPECT_TRUE(b.Charge(10, 90));  // 900
  EXPECT_FALSE(b.Charge(101));    // 1001
  EXPECT_EQ(b.Used(), 900u);
  EXPECT_TRUE(b.Charge(4, 25));   // 1000
  EXPECT_FALSE(b.Charge(1));
  EXPECT_TRUE(b.Charge(0, 1));
  EXPECT_TRUE(b.Charge(7, 0));
  EXPECT_EQ(b.Used(), 1000u);

  LoadBudget big(std::numeric_limits<uint64_t>::max());
  EXPECT_FALSE(big.Charge(uint64_t{1} << 33, uint64_t{1} << 31));  // 2^64
  EXPECT_TRUE(big.Charge(uint64_t{1} << 32, uint64_t{1} << 31));   // 2^63
  EXPECT_EQ(big.Used(), uint64_t{1} << 63);

}
