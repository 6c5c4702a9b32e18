#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "vrax/kernel/SObject.h"

namespace {

// A list member that runs a hook when the walk calls it.
struct Node : SObject {
  explicit Node(char n) : name(n) {}
  char name;
  std::function<void()> hook;
};

// The names the walk called, in order.
std::string Walk(SObjList& list) {
  std::string order;
  list.SafeWalkNextAfter([&](SObject* o) {
    auto* n = static_cast<Node*>(o);
    order += n->name;
    if (n->hook) {
      auto hook = std::move(n->hook);
      n->hook = nullptr;
      hook();
    }
  });
  return order;
}

TEST(SObjListWalk, TheSuccessorOfAMemberStillListedIsReadAfterItsCall) {
  struct Case {
    const char* what;
    std::function<void(SObjList&, std::vector<Node*>&, Node&)> arrange;
    std::string order;
  };
  const std::vector<Case> cases = {
      // c, the last, appends x during its call: x is reached.
      {"tail appends", [](SObjList& l, std::vector<Node*>& n, Node& x) { n[2]->hook = [&] { l.PushBack(&x); }; },
       "abcx"},
      // a appends x: reached at the end as with any walk.
      {"head appends", [](SObjList& l, std::vector<Node*>& n, Node& x) { n[0]->hook = [&] { l.PushBack(&x); }; },
       "abcx"},
      // b leaves during its call: the walk goes on with c.
      {"member leaves", [](SObjList& l, std::vector<Node*>& n, Node&) { n[1]->hook = [&] { l.Remove(n[1]); }; },
       "abc"},
      // a takes its successor b out: the walk goes on with c.
      {"successor leaves",
       [](SObjList& l, std::vector<Node*>& n, Node&) { n[0]->hook = [&] { l.Remove(n[1]); }; }, "ac"},
      // c, the last, leaves and x is appended: the walk had no successor
      // for c when c left, so x is not reached.
      {"tail leaves, x appended",
       [](SObjList& l, std::vector<Node*>& n, Node& x) {
         n[2]->hook = [&] {
           l.Remove(n[2]);
           l.PushBack(&x);
         };
       },
       "abc"},
  };
  for (const Case& c : cases) {
    Node a('a'), b('b'), cc('c'), x('x');
    std::vector<Node*> n = {&a, &b, &cc};
    SObjList list;
    for (Node* m : n) list.PushBack(m);
    c.arrange(list, n, x);
    EXPECT_EQ(Walk(list), c.order) << c.what;
    list.RemoveAll();
  }
}

}  // namespace
