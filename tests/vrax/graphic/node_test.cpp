#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "gp_support.h"
#include "support/ChildProcess.h"
#include "vrax/graphic/SGpNode.h"

namespace {

// A packet that records the world matrix in force when it executes.
struct WorldProbe : SGpObj {
  void Execute() override { seen.push_back(SGpMan::GetWorld()); }
  std::vector<SMatrix> seen;
};

SVec3 Apply(const SMatrix& m, SVec3 v) {
  SVec3 o;
  SVec3TransformCoord(&o, &v, &m);
  return o;
}

void ExpectNear(SVec3 a, SVec3 b) {
  EXPECT_NEAR(a.x, b.x, 1e-5f);
  EXPECT_NEAR(a.y, b.y, 1e-5f);
  EXPECT_NEAR(a.z, b.z, 1e-5f);
}

// root (translate 10, 0, 0) -> child (scale 2, a quarter turn about z) ->
// grandchild (translate 1, 0, 0).
struct Tree : ::testing::Test {
  void SetUp() override {
    root.GetPosition()[0] = 10.0f;
    root.BuildLocal();
    child.GetScale()[0] = child.GetScale()[1] = child.GetScale()[2] = 2.0f;
    child.GetRotation()[2] = 0.25f;
    child.BuildLocal();
    leaf.GetPosition()[0] = 1.0f;
    leaf.BuildLocal();
    child.SetParent(&root);
    leaf.SetParent(&child);
  }
  SGpNode root, child, leaf;
};

TEST(SGpNode, BuildLocalScalesRotatesThenTranslates) {
  SGpNode n;
  EXPECT_EQ(n.GetRotation()[3], 1.0f);
  EXPECT_EQ(n.GetPosition()[3], 1.0f);
  EXPECT_EQ(n.GetScale()[0], 1.0f);
  n.GetRotation()[0] = 0.25f;
  for (int i = 0; i < 3; ++i) n.GetScale()[i] = 2.0f;
  n.GetPosition()[0] = 1, n.GetPosition()[1] = 2, n.GetPosition()[2] = 3;
  n.BuildLocal();
  ExpectNear(Apply(*n.GetLocal(), {1, 0, 0}), {3, 2, 3});
  ExpectNear(Apply(*n.GetLocal(), {0, 1, 0}), {1, 2, 5});

  // The z-x-y order differs from x-y-z: a quarter turn about x then about z.
  SGpNode a, b;
  a.GetRotation()[0] = b.GetRotation()[0] = 0.25f;
  a.GetRotation()[2] = b.GetRotation()[2] = 0.25f;
  a.BuildLocal();     // x first: (0,1,0) -> (0,0,1) -> (0,0,1)
  b.BuildLocalZXY();  // z first: (0,1,0) -> (-1,0,0) -> (-1,0,0)
  ExpectNear(Apply(*a.GetLocal(), {0, 1, 0}), {0, 0, 1});
  ExpectNear(Apply(*b.GetLocal(), {0, 1, 0}), {-1, 0, 0});

  // ApplyScalePosition compounds the scale and keeps the rotation part.
  SGpNode s;
  for (int i = 0; i < 3; ++i) s.GetScale()[i] = 3.0f;
  s.GetPosition()[1] = 5.0f;
  for (int i = 0; i < 2; ++i) s.ApplyScalePosition();
  EXPECT_EQ(s.GetLocal()->m[0][0], 9.0f);
  EXPECT_EQ(s.GetLocal()->m[3][1], 5.0f);
}

TEST_F(Tree, LinksRootsAndReparenting) {
  EXPECT_EQ(leaf.GetRoot(), &root);
  EXPECT_EQ(root.GetFirstChild(), &child);
  EXPECT_EQ(root.GetDeepestLastChild(), &leaf);
  EXPECT_EQ(root.GetLastInTree(), &leaf);
  SGpNode second;
  second.SetParent(&child);
  EXPECT_EQ(leaf.GetNext(), &second);
  EXPECT_EQ(second.GetPrev(), &leaf);
  EXPECT_EQ(child.GetLastChild(), &second);
  // Same parent again: nothing changes.
  leaf.SetParent(&child);
  EXPECT_EQ(child.GetFirstChild(), &leaf);
  // Another parent: leaves the old child list, becomes the new last child.
  leaf.SetParent(&root);
  EXPECT_EQ(child.GetFirstChild(), &second);
  EXPECT_EQ(second.GetPrev(), nullptr);
  EXPECT_EQ(root.GetLastChild(), &leaf);
  EXPECT_EQ(child.GetNext(), &leaf);
  // A parent inside the node's own subtree is refused.
  root.SetParent(&second);
  EXPECT_EQ(root.GetParent(), nullptr);
  second.SetParent(nullptr);
  EXPECT_TRUE(child.GetFirstChild() == nullptr && child.GetLastChild() == nullptr);
  // A top-level sibling chain: the root is its first node.
  SGpNode before;
  before.SetParent(&root);
  before.SetParent(nullptr);
  EXPECT_EQ(before.GetRoot(), &before);
}

// A node never goes below itself or below one of its descendants; a
// childless node may go anywhere (it is below nothing of its own).
TEST_F(Tree, ParentsThatWouldMakeACycleAreRefused) {
  struct Case {
    SGpNode* node;
    SGpNode* parent;
    SGpNode* was;
  } refused[] = {
      {&root, &root, nullptr}, {&root, &child, nullptr}, {&root, &leaf, nullptr},
      {&child, &child, &root}, {&child, &leaf, &root},   {&leaf, &leaf, &child},
  };
  for (const Case& c : refused) {
    c.node->SetParent(c.parent);
    EXPECT_EQ(c.node->GetParent(), c.was);
  }
  EXPECT_EQ(root.GetFirstChild(), &child);
  EXPECT_EQ(child.GetFirstChild(), &leaf);
  EXPECT_EQ(leaf.GetFirstChild(), nullptr);
  SGpNode other;
  leaf.SetParent(&other);
  EXPECT_EQ(leaf.GetParent(), &other);
  EXPECT_EQ(child.GetFirstChild(), nullptr);
  leaf.SetParent(&root);
  EXPECT_EQ(leaf.GetRoot(), &root);
}

TEST_F(Tree, KeptWorldMatricesWithoutTheDevice) {
  leaf.SetKeepWorld(1);
  root.UpdateKept(nullptr, 0);
  // (0,0,0) in the leaf: +1 in x, scale 2 and a quarter turn -> (0, 2, 0),
  // then +10 in x.
  ExpectNear(Apply(*leaf.GetWorld(), {0, 0, 0}), {10, 2, 0});
  // Only the root acts.
  SMatrix start;
  SMatrix::Translation(&start, 0, 0, 100);
  child.UpdateKept(&start, 1);
  ExpectNear(Apply(*leaf.GetWorld(), {0, 0, 0}), {10, 2, 0});
  root.UpdateKept(&start, 1);
  ExpectNear(Apply(*leaf.GetWorld(), {0, 0, 0}), {10, 2, 100});
  ExpectNear(Apply(*child.GetWorld(), {1, 0, 0}), {10, 2, 100});
}

// A world matrix holds what a walk last wrote into it. The checked build
// stops at a read of one that no walk wrote (it would give the identity
// wherever the node stands); a node that keeps its world may hand out its
// matrix before the first walk, to be read after it, and a copy carries
// what was written.
TEST_F(Tree, AWorldNoWalkWroteIsNotToBeRead) {
  if (!SGpNode::ChecksWorldReads()) GTEST_SKIP() << "this build does not check world reads";
  NullDeviceScope gpu;
  ASSERT_TRUE(gpu.ok);
  SMatrix id;
  SGpMan::SetView(*SMatrix::Identity(&id));
  leaf.SetKeepWorld(1);
  const SMatrix* kept = leaf.GetWorld();
  root.Execute();
  ExpectNear(Apply(*kept, {0, 0, 0}), {10, 2, 0});
  SGpNode copy = leaf;
  ExpectNear(Apply(*copy.GetWorld(), {0, 0, 0}), {10, 2, 0});

  struct Case {
    const char* what;
    std::function<void()> read;
    bool stops;
  };
  const std::vector<Case> cases = {
      {"a node just built", [] { SGpNode n; (void)n.GetWorld(); }, true},
      {"a node the draw passed without keeping its world", [this] { (void)child.GetWorld(); }, true},
      {"a node that keeps its world, before any walk",
       [] {
         SGpNode n;
         n.SetKeepWorld(1);
         (void)n.GetWorld();
       },
       false},
      {"a node after a walk that writes every world",
       [this] {
         root.UpdateKept(nullptr, 1);
         (void)child.GetWorld();
       },
       false},
      {"a node copied link by link from one with a written world",
       [this] {
         root.UpdateKept(nullptr, 1);
         SGpNode n;
         n.CopyFrom(child);
         (void)n.GetWorld();
       },
       true},
  };
  for (const Case& c : cases) {
    const testsupport::ChildResult r = testsupport::RunInChild([&c] {
      c.read();
      return 0;
    });
    EXPECT_TRUE(r.ended) << c.what;
    EXPECT_EQ(r.exitCode == 0, !c.stops) << c.what;
  }
}

TEST_F(Tree, DrawingRunsPacketsUnderTheCombinedTransform) {
  NullDeviceScope gpu;
  ASSERT_TRUE(gpu.ok);
  SMatrix id, previous;
  SGpMan::SetView(*SMatrix::Identity(&id));
  SMatrix::Translation(&previous, 5, 5, 5);
  SGpMan::SetWorld(previous);
  WorldProbe a, b, c, front;
  root.AddPacket(&a);
  child.AddPacket(&b);
  leaf.AddPacket(&c);
  leaf.AddPacketFront(&front);
  leaf.AddPacket(nullptr);  // null entries are skipped
  leaf.SetKeepWorldView(1);
  leaf.SetKeepWorld(1);

  child.Execute();  // not a root: nothing
  EXPECT_TRUE(b.seen.empty());

  root.Execute();
  ASSERT_EQ(c.seen.size(), 1u);
  ASSERT_EQ(front.seen.size(), 1u);
  ExpectNear(Apply(a.seen[0], {0, 0, 0}), {10, 0, 0});
  ExpectNear(Apply(b.seen[0], {1, 0, 0}), {10, 2, 0});
  ExpectNear(Apply(c.seen[0], {0, 0, 0}), {10, 2, 0});
  ExpectNear(Apply(*leaf.GetWorld(), {0, 0, 0}), {10, 2, 0});
  ExpectNear(Apply(*leaf.GetWorldView(), {0, 0, 0}), {10, 2, 0});
  // The world in force before the tree is back.
  EXPECT_EQ(SGpMan::GetWorld().m[3][0], 5.0f);
  EXPECT_EQ(SGpMan::GetWorld().m[3][2], 5.0f);

  // Inheriting the world: the tree draws under the current one.
  root.SetInheritWorld(1);
  root.Execute();
  ExpectNear(Apply(c.seen[1], {0, 0, 0}), {15, 7, 5});
  EXPECT_EQ(SGpMan::GetWorld().m[3][0], 5.0f);
}

// A packet that logs its name and the world x in force, and may draw
// another tree from inside the walk.
struct Visit : SGpObj {
  Visit(std::vector<std::pair<std::string, float>>* log, std::string name) : log(log), name(std::move(name)) {}
  void Execute() override {
    log->push_back({name, SGpMan::GetWorld().m[3][0]});
    if (nested != nullptr) nested->Execute();
  }
  std::vector<std::pair<std::string, float>>* log;
  std::string name;
  SGpNode* nested = nullptr;
};

// r -> a -> a1, a2 -> a2x; r -> b -> b1; each node moved along x by its
// own power of two, so a world x names the chain that made it. A packet of
// a1 draws a tree of its own (o -> o1) meanwhile.
TEST(SGpNode, WalksVisitDepthFirstAndRestoreEachLevel) {
  NullDeviceScope gpu;
  ASSERT_TRUE(gpu.ok);
  SMatrix id;
  SGpMan::SetView(*SMatrix::Identity(&id));
  SGpMan::SetWorld(id);
  const char* names[] = {"r", "a", "a1", "a2", "a2x", "b", "b1", "o", "o1"};
  const int parents[] = {-1, 0, 1, 1, 3, 0, 5, -1, 7};
  SGpNode n[9];
  std::vector<std::pair<std::string, float>> log;
  std::vector<std::unique_ptr<Visit>> packets;
  for (int i = 0; i < 9; ++i) {
    n[i].GetPosition()[0] = float(1 << i);
    n[i].BuildLocal();
    if (parents[i] >= 0) n[i].SetParent(&n[parents[i]]);
    packets.push_back(std::make_unique<Visit>(&log, names[i]));
    n[i].AddPacket(packets.back().get());
  }
  packets[2]->nested = &n[7];
  using Log = std::vector<std::pair<std::string, float>>;

  n[0].Execute();
  EXPECT_EQ(log, (Log{{"r", 1}, {"a", 3}, {"a1", 7}, {"o", 128}, {"o1", 384}, {"a2", 11}, {"a2x", 27},
                      {"b", 33}, {"b1", 97}}));
  EXPECT_EQ(SGpMan::GetWorld().m[3][0], 0.0f);

  // From a inward: a and its following sibling b with their subtrees, not
  // their parent's level.
  log.clear();
  packets[2]->nested = nullptr;
  n[1].DrawTree();
  EXPECT_EQ(log, (Log{{"a", 2}, {"a1", 6}, {"a2", 10}, {"a2x", 26}, {"b", 32}, {"b1", 96}}));
  EXPECT_EQ(SGpMan::GetWorld().m[3][0], 0.0f);

  // The device-free walk places every node the same way.
  n[0].UpdateKept(nullptr, 1);
  const float kept[] = {1, 3, 7, 11, 27, 33, 97};
  for (int i = 0; i < 7; ++i) EXPECT_EQ(n[i].GetWorld()->m[3][0], kept[i]) << names[i];
}

TEST(SGpNode, PacketListOrder) {
  SGpNode n;
  WorldProbe p[3];
  n.AddPacket(&p[0]);
  n.AddPacketFront(&p[1]);
  n.AddPacket(&p[2]);
  n.RemovePacket(&p[0]);
  n.RemovePacket(&p[0]);  // absent: nothing
  ASSERT_EQ(n.GetPacketCount(), 2);
  for (int i = 0; i < 3; ++i) EXPECT_EQ(n.GetPacket(i), i < 2 ? &p[i + 1] : nullptr) << i;
}

TEST(SGpNode, CopyingAnArrayKeepsLinksInsideIt) {
  SGpNode src[3], dst[3];
  src[1].SetParent(&src[0]);
  src[2].SetParent(&src[0]);
  WorldProbe probe;
  src[2].AddPacket(&probe);
  src[2].GetLocal()->m[3][0] = 42.0f;
  for (int i = 0; i < 3; ++i) dst[i].CopyFrom(src[i]);
  EXPECT_EQ(dst[0].GetFirstChild(), &dst[1]);
  EXPECT_EQ(dst[0].GetLastChild(), &dst[2]);
  EXPECT_EQ(dst[1].GetParent(), &dst[0]);
  EXPECT_EQ(dst[1].GetNext(), &dst[2]);
  EXPECT_EQ(dst[2].GetPrev(), &dst[1]);
  EXPECT_EQ(dst[0].GetParent(), nullptr);
  EXPECT_EQ(dst[2].GetPacket(0), &probe);
  EXPECT_EQ(dst[2].GetLocal()->m[3][0], 42.0f);
  EXPECT_EQ(dst[2].GetRoot(), &dst[0]);
}

}  // namespace
