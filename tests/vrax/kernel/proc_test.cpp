#include "vrax/kernel/SProc.h"

#include <gtest/gtest.h>

#include "tests/vrax/kernel/proc_test_util.h"

namespace {

using Log = std::vector<std::string>;

// A root with `lists` child lists, started and running.
struct Root : RecProc {
  Root(int nLists, Log* log) : RecProc("root", log) { lists = nLists; }
};

struct TreeFixture : ::testing::Test {
  Log log;
  Root root{3, &log};
  void SetUp() override {
    ASSERT_EQ(root.StartRoot(0), 0);
    root.Step();  // running
    log.clear();
  }
  void TearDown() override { root.Dispose(); }
  RecProc* Add(SProc* parent, int n, const std::string& tag, int lists = 0) {
    auto* p = new RecProc(tag, &log);
    p->lists = lists;
    EXPECT_GE(parent->AddChild(n, p, 0), 0);
    return p;
  }
};

TEST_F(TreeFixture, AddChildIndexRulesAndInitResult) {
  RecProc* a = Add(&root, 0, "a");
  auto* b = new RecProc("b", &log);
  EXPECT_EQ(a->AddChild(1, b, 0), -1) << "no lists: only index 0";
  EXPECT_EQ(a->ListCount(), 0);
  EXPECT_EQ(root.AddChild(3, b, 0), -1) << "beyond the lists";
  EXPECT_EQ(root.AddChild(-1, b, 0), -1);
  EXPECT_EQ(b->GetParent(), nullptr);
  EXPECT_EQ(b->GetState(), SProc::STATE_NONE);
  EXPECT_EQ(root.CountChildren(), 1);
  b->initResultToStore = -7;
  EXPECT_EQ(a->AddChild(0, b, 0), -7) << "failed init is returned, child stays linked";
  EXPECT_EQ(a->ListCount(), 1);
  EXPECT_EQ(b->GetParent(), a);
  EXPECT_EQ(b->GetState(), SProc::STATE_ADDED);
  // A parent in state none cannot take children.
  RecProc loose("loose", &log);
  RecProc member("member", &log);
  EXPECT_EQ(loose.AddChildProcess(&member, 0), -1);
  EXPECT_TRUE(member.IsStatic()) << "flag stays set when the add fails";
}

// A static process re-added after its Dispose starts from init result 0: its
// handler stores an outcome only when it fails, so a failure of the earlier
// add must not be reported again for the new one.
TEST_F(TreeFixture, ReAddedStaticProcessDoesNotReportAnEarlierFailure) {
  struct FailsOnce : SProc {
    int adds = 0;
    int32_t Init(SProcArg) override {
      if (adds++ == 0) SetInitResult(-3);
      return 0;
    }
  } once;
  EXPECT_EQ(root.AddChildProcess(&once, 0), -3);
  once.Dispose();
  EXPECT_EQ(once.GetState(), SProc::STATE_NONE);
  EXPECT_EQ(root.AddChildProcess(&once, 0), 0);
  EXPECT_EQ(once.GetInitResult(), 0);
  once.Dispose();
}

TEST_F(TreeFixture, BroadcastSurvivesHandlersThatKillMoveAndDispose) {
  RecProc *a = Add(&root, 0, "a"), *b = Add(&root, 0, "b"), *c = Add(&root, 0, "c"), *d = Add(&root, 0, "d"),
          *e = Add(&root, 0, "e");
  root.Step();
  bool cDeleted = false;
  c->deleted_ = &cDeleted;
  // a kills b (its next), b would otherwise run; c moves d to list 1 and
  // disposes itself; e moves itself to the front.
  a->hook = [&](RecProc*, int32_t code, SProcArg) { if (code == 2) { b->Kill(0); b->Kill(0); } };
  c->hook = [&](RecProc* self, int32_t code, SProcArg) {
    if (code == 2) { d->MoveToList(1, false); self->Dispose(); }
  };
  e->hook = [&](RecProc* self, int32_t code, SProcArg) { if (code == 2) self->MoveWithinList(true); };
  log.clear();
  root.GetList(0)->Broadcast(SProc::EVENT_MAIN, 0);
  EXPECT_EQ(log, (Log{"a:2", "b:5", "c:2", "c:6", "e:2"}));
  EXPECT_TRUE(cDeleted);
  EXPECT_EQ(d->GetListIndex(), 1);
  EXPECT_EQ(root.GetList(0)->Head(), e);
  EXPECT_EQ(root.GetList(0)->Count(), 3);  // e, a, b
  EXPECT_EQ(root.GetList(1)->Head(), d);
}

TEST_F(TreeFixture, AppendedDuringWalkIsReachedUnlessRunnerWasTail) {
  RecProc* a = Add(&root, 0, "a");
  Add(&root, 0, "b");
  auto *x = new RecProc("x", &log), *y = new RecProc("y", &log);
  a->hook = [&](RecProc*, int32_t code, SProcArg) { if (code == 9) root.AddChild(0, x, 0); };
  x->hook = [&](RecProc*, int32_t code, SProcArg) { if (code == 9) root.AddChild(0, y, 0); };
  log.clear();
  root.GetList(0)->Broadcast(9, 0);
  // x is appended while a (not the tail) runs: reached in the same walk. y is
  // appended while x runs as the tail: its successor was read as none.
  EXPECT_EQ(log, (Log{"a:9", "x:4", "b:9", "x:9", "y:4"}));
}

TEST_F(TreeFixture, DisposeOrderAndStaticReuse) {
  RecProc* a = Add(&root, 1, "a", 2);
  Add(a, 0, "a0");
  Add(a, 1, "a1");
  RecProc member("m", &log);
  EXPECT_EQ(a->AddChildProcess(&member, 0), 0);
  EXPECT_EQ(member.GetListIndex(), 0);
  EXPECT_EQ(a->CountChildren(), 3);
  EXPECT_EQ(root.CountDescendants(), 4);
  log.clear();
  a->Dispose();
  EXPECT_EQ(log, (Log{"a0:6", "m:6", "a1:6", "a:6"}));
  EXPECT_EQ(member.GetState(), SProc::STATE_NONE);
  EXPECT_TRUE(member.GetParent() == nullptr && member.GetOwner() == nullptr);
  EXPECT_EQ(root.CountDescendants(), 0);
  // Static: re-addable, and lists are created afresh.
  member.lists = 1;
  EXPECT_EQ(root.AddChild(2, &member, 0), 0);
  Add(&member, 0, "mc");
  EXPECT_EQ(root.CountDescendants(), 2);
  member.Dispose();
  EXPECT_EQ(member.ListCount(), 0);
  EXPECT_EQ(root.CountDescendants(), 0);
}

TEST_F(TreeFixture, MoveKeepsParentAndIndexSoDisposeUnlinksRightList) {
  RecProc* a = Add(&root, 0, "a");
  RecProc* b = Add(&root, 0, "b", 1);
  EXPECT_EQ(a->MoveToList(2, true), 0);
  EXPECT_EQ(a->GetParent(), &root);
  EXPECT_EQ(a->GetListIndex(), 2);
  EXPECT_EQ(a->MoveToList(3, true), -1) << "no list 3";
  EXPECT_EQ(a->MoveTo(b, 0, false), 0);
  EXPECT_EQ(a->GetParent(), b);
  EXPECT_EQ(b->MoveTo(a, 0, false), -1) << "no cycles";
  EXPECT_EQ(root.GetList(2)->Count(), 0);
  a->Dispose();
  EXPECT_EQ(b->CountChildren(), 0);
  RecProc loose("loose", &log);
  EXPECT_EQ(loose.MoveToList(0, false), -1);
  EXPECT_EQ(loose.MoveWithinList(false), -1);
}

TEST_F(TreeFixture, FindNextVisitsEveryMatchOncePostOrder) {
  // root: list0 [x(children: list0 [x1=x, y]), z=x], list1 [w(list0 [x])], list2 [x]
  RecProc* x = Add(&root, 0, "x", 1);
  auto* xc = new RecProc("x", &log);
  x->AddChild(0, xc, 0);
  Add(x, 0, "y");
  RecProc* z = Add(&root, 0, "x");
  RecProc* w = Add(&root, 1, "w", 1);
  RecProc* wx = Add(w, 0, "x");
  RecProc* last = Add(&root, 2, "x");
  root.SetName("x");  // the searcher itself never matches
  auto hits = [&](SProc* h) {
    std::vector<SProc*> all;
    for (; h; h = root.FindNext("x")) all.push_back(h);
    return all;
  };
  EXPECT_EQ(hits(root.FindFirst("x")), (std::vector<SProc*>{xc, x, z, wx, last}));
  z->Kill(0);  // a killed process is invisible from the kill on
  EXPECT_EQ(hits(root.FindFirst("x")), (std::vector<SProc*>{xc, x, wx, last}));
  // In one list: stops at the end of that list.
  EXPECT_EQ(hits(root.FindFirstInList("x", 0)), (std::vector<SProc*>{xc, x}));
  EXPECT_EQ(root.FindInList("w", 1), w);
  EXPECT_EQ(root.FindByName("x"), xc);
  EXPECT_EQ(x->FindFirst("x"), xc);
  EXPECT_EQ(x->FindNext("x"), nullptr);
  EXPECT_EQ(root.FindByName("X"), nullptr) << "case-sensitive";
}

TEST_F(TreeFixture, NamesMatchByWholeTextWhateverStringTheyCameFrom) {
  RecProc* a = Add(&root, 0, "alpha", 1);
  auto* unnamed = new SProc();  // never named: its name is the empty text
  ASSERT_EQ(a->AddChild(0, unnamed, 0), 0);
  RecProc* b = Add(&root, 1, std::string("al") + "pha");
  EXPECT_EQ(root.FindFirst(std::string("alpha")), a);
  EXPECT_EQ(root.FindNext("alpha"), b);
  EXPECT_EQ(root.FindByName(""), unnamed);
  EXPECT_EQ(root.FindByName("alph"), nullptr);
  EXPECT_EQ(root.FindByName("never given to any process"), nullptr);
  EXPECT_EQ(root.FindInList("never given to any process", 1), nullptr);

  // A search for a name nobody has ends the walk: the cursor is cleared.
  EXPECT_EQ(root.FindFirst("alpha"), a);
  EXPECT_EQ(root.FindNext("never given to any process"), nullptr);
  EXPECT_EQ(root.FindNext("alpha"), nullptr);

  // Renaming: found by the new name only; the old one still names b.
  a->SetName("beta");
  EXPECT_EQ(root.FindByName("beta"), a);
  EXPECT_EQ(root.FindByName("alpha"), b);
  EXPECT_EQ(a->GetName(), "beta");
  unnamed->SetName("alpha");
  EXPECT_EQ(root.FindByName("alpha"), unnamed);
  EXPECT_EQ(root.FindByName(""), nullptr);
}

TEST_F(TreeFixture, CurrentProcessGlobalsNest) {
  RecProc* a = Add(&root, 0, "a");
  RecProc* b = Add(&root, 0, "b");
  root.Step();
  using Seen = std::vector<std::pair<SProc*, int32_t>>;
  Seen seen;
  a->hook = [&](RecProc*, int32_t code, SProcArg) {
    if (code != 2) return;
    seen.emplace_back(GetCurrentProcess(), GetCurrentEvent());
    b->SendEvent(12, 0);
    seen.emplace_back(GetCurrentProcess(), GetCurrentEvent());
  };
  b->hook = [&](RecProc*, int32_t code, SProcArg) {
    if (code == 12) seen.emplace_back(GetCurrentProcess(), GetCurrentEvent());
  };
  a->SendEvent(SProc::EVENT_MAIN, 0);
  EXPECT_EQ(seen, (Seen{{a, 2}, {b, 12}, {a, 2}}));
  EXPECT_EQ(GetCurrentProcess(), nullptr);
  // Frame events are filtered by state; the others are not.
  auto* fresh = new RecProc("fresh", &log);
  root.AddChild(0, fresh, 0);
  log.clear();
  fresh->SendEvent(SProc::EVENT_DRAW, 0);
  fresh->SendEvent(SProc::EVENT_KILL, 0);
  EXPECT_EQ(log, (Log{"fresh:5"}));
  EXPECT_STREQ(SProc::EventName(6), "SProc::EVENT_DISPOSE");
}

// Within a broadcast every member runs as its own current process under the
// walk's code, nested sends inside a handler come back to it, and the values
// from before the walk hold again after it, also for a member that is
// filtered out or one that disposes itself.
TEST_F(TreeFixture, BroadcastsSetTheGlobalsForEachMemberAndRestoreThem) {
  RecProc* outer = Add(&root, 1, "outer");
  RecProc* a = Add(&root, 0, "a");
  RecProc* gone = Add(&root, 0, "gone");
  RecProc* b = Add(&root, 0, "b");
  RecProc* late = Add(&root, 2, "late");
  root.Step();
  auto* fresh = Add(&root, 0, "fresh");  // added: no frame events this frame
  using Seen = std::vector<std::pair<SProc*, int32_t>>;
  Seen seen;
  auto record = [&](RecProc* p, int32_t code, SProcArg) {
    if (code == SProc::EVENT_MAIN || code == 9) seen.emplace_back(GetCurrentProcess(), GetCurrentEvent());
    if (p == a && code == SProc::EVENT_MAIN) {
      late->SendEvent(12, 0);
      seen.emplace_back(GetCurrentProcess(), GetCurrentEvent());
    }
    if (p == late && code == 12) seen.emplace_back(GetCurrentProcess(), GetCurrentEvent());
  };
  a->hook = b->hook = late->hook = fresh->hook = record;
  gone->hook = [&](RecProc* p, int32_t code, SProcArg) {
    if (code == SProc::EVENT_MAIN || code == 9) p->Dispose();
  };
  outer->hook = [&](RecProc*, int32_t code, SProcArg) {
    if (code != SProc::EVENT_END) return;
    root.GetList(0)->Broadcast(SProc::EVENT_MAIN, 0);
    seen.emplace_back(GetCurrentProcess(), GetCurrentEvent());
    root.GetList(0)->Broadcast(9, 0);
    seen.emplace_back(GetCurrentProcess(), GetCurrentEvent());
  };
  outer->SendEvent(SProc::EVENT_END, 0);
  EXPECT_EQ(seen, (Seen{{a, 2}, {late, 12}, {a, 2}, {b, 2}, {outer, 3},  // fresh is not running yet
                        {a, 9}, {b, 9}, {fresh, 9}, {outer, 3}}));  // user events reach any state
  EXPECT_EQ(GetCurrentProcess(), nullptr);
}

TEST_F(TreeFixture, KillTreeAndFramesUntilDisposed) {
  RecProc* a = Add(&root, 0, "a", 1);
  RecProc* c = Add(a, 0, "c");
  root.Step();
  bool aDel = false, cDel = false;
  a->deleted_ = &aDel;
  c->deleted_ = &cDel;
  log.clear();
  a->Kill(3);
  EXPECT_EQ(log, (Log{"a:5", "c:5"}));
  EXPECT_EQ(c->GetState(), SProc::STATE_KILLED);
  root.Step();
  EXPECT_FALSE(aDel);
  root.Step();
  EXPECT_TRUE(aDel && cDel);
}

}  // namespace
