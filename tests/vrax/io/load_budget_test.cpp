#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <vector>

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

  // A block's bytes and its header together overflow: 2^64 - 2 + 16.
  EXPECT_FALSE(ChargeBlock(big, std::numeric_limits<uint64_t>::max() / 2, 2));
}

// Budgets that charge through a total: each stays within its own limit and
// all of them within the total's; a charge past either is refused with
// nothing taken from the other; what a budget charged goes back to the
// total, exactly, when it is released or ends.
TEST(LoadBudget, ChargesThroughATotalAndGivesItBack) {
  LoadTotal total(1000);
  {
    LoadBudget a(600, &total), b(600, &total);
    EXPECT_TRUE(a.Charge(5, 100));   // a 500, total 500
    EXPECT_TRUE(b.Charge(400));      // b 400, total 900
    EXPECT_FALSE(b.Charge(101));     // b 501 would fit, the total 1001 not
    EXPECT_FALSE(a.Charge(101));     // a 601: its own limit; the total keeps 900
    EXPECT_EQ(total.Used(), 900u);
    EXPECT_EQ(b.Used(), 400u);
    EXPECT_TRUE(ChargeBlock(b, 21, 4));  // 84 + 16
    EXPECT_EQ(total.Used(), 1000u);
    a.Release();
    EXPECT_EQ(a.Used(), 0u);
    EXPECT_EQ(total.Used(), 500u);
    a.Release();  // nothing more to give
    EXPECT_EQ(total.Used(), 500u);
    EXPECT_TRUE(a.Charge(500));
    total.SetLimit(800);  // below what is held: nothing more is taken
    EXPECT_FALSE(b.Charge(1));
    EXPECT_EQ(total.Used(), 1000u);
    // Part of a charge goes back as its memory is freed; never more than
    // the budget holds.
    b.GiveBack(100);
    EXPECT_EQ(b.Used(), 400u);
    EXPECT_EQ(total.Used(), 900u);
    b.GiveBack(1000);
    EXPECT_EQ(b.Used(), 0u);
    EXPECT_EQ(total.Used(), 500u);
    // The most held at once: 1000, until counted again from what is held.
    EXPECT_EQ(total.Most(), 1000u);
    total.ResetMost();
    EXPECT_EQ(total.Most(), 500u);
    total.SetLimit(1000);
    EXPECT_TRUE(b.Charge(200));
    b.GiveBack(200);
    EXPECT_EQ(total.Most(), 700u);
  }
  EXPECT_EQ(total.Used(), 0u);  // both ended
}

// Room held ahead is given back to a charge for what a load needs, the
// holder joined last first, as much as is missing, and only when that makes
// the charge fit; what is charged ahead takes free room only.
TEST(LoadBudget, RoomHeldAheadIsGivenBackToAChargeThatNeedsIt) {
  struct Ahead : LoadYielder {
    Ahead(LoadTotal& t, std::vector<int>* a, int i) : copies(1000, &t, LoadUse::kAhead), asked(a), id(i) { Join(t); }
    uint64_t HeldAhead() const override { return copies.Used(); }
    void Yield(uint64_t bytes) override { asked->push_back(id), copies.GiveBack(bytes); }
    LoadBudget copies;
    std::vector<int>* asked;
    int id;
  };
  LoadTotal total(1000);
  std::vector<int> asked;
  LoadBudget needed(1000, &total);
  Ahead first(total, &asked, 1), second(total, &asked, 2);
  EXPECT_TRUE(first.copies.Charge(300) && second.copies.Charge(300) && needed.Charge(300));
  EXPECT_FALSE(first.copies.Charge(101));  // 1001
  EXPECT_FALSE(needed.ChargeAhead(101));
  EXPECT_FALSE(needed.Charge(701));  // 300 + 701 held besides the copies
  // A budget that admits the charge: the total refuses it all the same, as
  // the 300 held besides the copies leave 700, and the copies are kept.
  LoadBudget other(1000, &total);
  EXPECT_FALSE(other.Charge(701));
  EXPECT_EQ(first.copies.Used(), 300u);
  EXPECT_EQ(second.copies.Used(), 300u);
  EXPECT_EQ(total.Used(), 900u);
  EXPECT_TRUE(asked.empty());
  EXPECT_TRUE(needed.Charge(250));  // 150 missing
  EXPECT_EQ(asked, std::vector<int>{2});
  EXPECT_EQ(second.copies.Used(), 150u);
  EXPECT_TRUE(needed.Charge(400));  // 400 missing: 150 of the second, 250 of the first
  EXPECT_EQ(asked, (std::vector<int>{2, 2, 1}));
  EXPECT_EQ(first.copies.Used(), 50u);
  EXPECT_EQ(total.Used(), 1000u);
}
