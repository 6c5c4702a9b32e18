#include "vrax/kernel/SHandle.h"

#include <gtest/gtest.h>

#include "tests/vrax/kernel/proc_test_util.h"
#include "vrax/graphic/SGpSpriteCell.h"

namespace {

// A process named by a handle: readable while it exists, not "live" once
// killed, null once disposed; a static process disposed back to state none
// still exists but is not live.
TEST(HandleTest, ProcessesKilledDisposedAndStatic) {
  std::vector<std::string> log;
  RecProc root("root", &log);
  root.lists = 1;
  ASSERT_EQ(root.StartRoot(0), 0);
  root.Step();
  auto* child = new RecProc("child", &log);
  ASSERT_GE(root.AddChild(0, child, 0), 0);
  SHandle<RecProc> h(child);
  SHandle<RecProc> h2(child);
  EXPECT_TRUE(h == h2) << "one slot per object";
  EXPECT_EQ(h.Get(), child);
  EXPECT_EQ(LiveProc(h), child);
  child->Kill(0);
  EXPECT_EQ(h.Get(), child) << "a killed process still exists until disposed";
  EXPECT_EQ(LiveProc(h), nullptr);
  const uint32_t before = SHandleTable::LiveSlots();
  for (int i = 0; i < 3 && h.Get() != nullptr; ++i) root.Step();
  EXPECT_EQ(h.Get(), nullptr) << "disposed and deleted";
  EXPECT_EQ(SHandleTable::LiveSlots(), before - 1);

  RecProc member("member", &log);
  ASSERT_GE(root.AddChildProcess(&member, 0), 0);
  SHandle<RecProc> hs(&member);
  root.Step();
  EXPECT_EQ(LiveProc(hs), &member);
  member.Dispose();
  EXPECT_EQ(hs.Get(), &member);
  EXPECT_EQ(LiveProc(hs), nullptr) << "state none after a static dispose";
  root.Dispose();

  SHandle<RecProc> empty;
  EXPECT_TRUE(empty.Empty());
  EXPECT_EQ(empty.Get(), nullptr);
  EXPECT_EQ(LiveProc(empty), nullptr);
}

// A released pool cell reused by a new request: the old handle reads null,
// the new one the new request, although both live at the same address.
TEST(HandleTest, ReusedPoolCell) {
  SGpSpriteCellPool pool(1);
  SGpSpriteCell* a = pool.Acquire();
  a->angle = 1.0f;
  SHandle<SGpSpriteCell> ha(a);
  EXPECT_TRUE(ha.Names(a));
  delete a;  // gives the cell back
  EXPECT_EQ(ha.Get(), nullptr);
  SGpSpriteCell* b = pool.Acquire();
  ASSERT_EQ(static_cast<void*>(b), static_cast<void*>(a)) << "same cell";
  b->angle = 2.0f;
  SHandle<SGpSpriteCell> hb(b);
  EXPECT_EQ(ha.Get(), nullptr) << "stale generation";
  EXPECT_FALSE(ha.Names(b));
  ASSERT_NE(hb.Get(), nullptr);
  EXPECT_EQ(hb->angle, 2.0f);
  EXPECT_FALSE(ha == hb);
  pool.DestroyAll();
  EXPECT_EQ(hb.Get(), nullptr);
}

}  // namespace
