#include "game/player/HitMan.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "game/core/Game.h"
#include "game/enemy/EObjBase.h"
#include "game/player/ChainCounter.h"
#include "game/player/Player.h"
#include "support/ExpectAll.h"

namespace {

struct Event {
  std::string who;
  int32_t code;
  SProcArg arg;
  bool operator==(const Event& o) const { return who == o.who && code == o.code && arg == o.arg; }
};
using Log = std::vector<Event>;

void PrintTo(const Event& e, std::ostream* os) { *os << e.who << ":" << e.code << ":" << e.arg; }

SProcArg A(const void* p) { return reinterpret_cast<SProcArg>(p); }

// A process that logs the user events it receives.
class Receiver : public SProc {
 public:
  Receiver(std::string n, Log* l) : name(std::move(n)), log(l) {}
  int32_t User(int32_t code, SProcArg arg) override {
    log->push_back({name, code, arg});
    if (onEvent) onEvent(code, arg);
    return 0;
  }
  std::string name;
  Log* log;
  std::function<void(int32_t, SProcArg)> onEvent;
};

class TestPlayer : public Player {
 public:
  explicit TestPlayer(Log* l) : log(l) {}
  int32_t User(int32_t code, SProcArg arg) override {
    log->push_back({"player", code, arg});
    return 0;
  }
  void OnOuterContact(HitBody* b) override { log->push_back({"player.outer", 0, A(b)}); }
  Log* log;
};

// An enemy that takes damage from event 7 and records everything.
class TestEnemy : public EObjBase {
 public:
  explicit TestEnemy(Log* l) : log(l) {}
  int32_t User(int32_t code, SProcArg arg) override {
    log->push_back({"enemy", code, arg});
    if (code == 7) hitPoints -= static_cast<int32_t>(arg);
    if (onEvent) onEvent(code, arg);
    return 0;
  }
  Log* log;
  std::function<void(int32_t, SProcArg)> onEvent;
};

struct Pos {
  float v[4] = {0, 0, 0, 0};
};

class HitManTest : public ::testing::Test {
 protected:
  void SetUp() override {
    root.StartRoot(0);
    root.CreateLists(1);
    hit.SetPlayer(&player);
    g_ChainCounter.contactTally = 0;
    for (SProc* p : std::initializer_list<SProc*>{&player, &shots, &bullets, &lasers}) Add(p);
  }
  void TearDown() override {
    for (auto& l : HitGroupTable) l.RemoveAll();
  }
  void Add(SProc* p) {
    root.AddChildProcess(p, 0);
    root.Advance();  // added -> running
  }
  HitBody* Body(int32_t group, uint32_t mask, float x, float y, float r, SProc* owner,
                intptr_t power = 0, float z = 0.0f) {
    positions.push_back(std::make_unique<Pos>(Pos{{x, y, z, 0}}));
    bodies.push_back(std::make_unique<HitBody>());
    bodies.back()->Register(group, mask, positions.back()->v, r, owner, power, 100);
    return bodies.back().get();
  }
  TestEnemy* Enemy(uint32_t mask, int32_t hp, float x = 0.0f, float y = 0.0f) {
    enemies.push_back(std::make_unique<TestEnemy>(&log));
    TestEnemy* e = enemies.back().get();
    e->hitPoints = hp;
    e->scoreValue = 1234;
    e->hitPosition[0] = x;
    e->hitPosition[1] = y;
    e->body.Register(7, mask, e->hitPosition, 16.0f, e, 0, 100);
    Add(e);
    return e;
  }

  Log log;
  SProc root;
  Game game;
  HitMan hit;
  TestPlayer player{&log};
  Receiver shots{"shots", &log};
  Receiver bullets{"bullets", &log};
  Receiver lasers{"lasers", &log};
  std::vector<std::unique_ptr<Pos>> positions;
  std::vector<std::unique_ptr<HitBody>> bodies;
  std::vector<std::unique_ptr<TestEnemy>> enemies;
};

TEST_F(HitManTest, PairListOrderAndName) {
  const int32_t want[HitMan::kPairCount][2] = {{5, 8}, {5, 9}, {1, 7}, {0, 8}, {0, 9}, {4, 8},
                                               {4, 9}, {7, 4}, {7, 2}, {7, 3}, {10, 1}};
  for (int i = 0; i < HitMan::kPairCount; ++i) {
    EXPECT_EQ(HitMan::kPairs[i][0], want[i][0]);
    EXPECT_EQ(HitMan::kPairs[i][1], want[i][1]);
  }
  root.AddChildProcess(&hit, 0);
  EXPECT_EQ(hit.GetName(), "HitMan");
  // Pairs run in list order: (5, 8) reports before (0, 8).
  HitBody* wide = Body(5, 0, 0, 0, 90, &player);
  HitBody* core = Body(0, 0, 0, 0, 1, &player);
  HitBody* bullet = Body(8, 1, 0, 0, 4, &bullets, 777);
  hit.TestGroups();
  EXPECT_EQ(log, (Log{{"bullets", 7, 777}, {"player", 7, A(bullet)}, {"bullets", 7, A(bullet)}}));
  EXPECT_EQ(wide->lastPartner, bullet);
  EXPECT_EQ(core->lastPartner, bullet);
}

TEST_F(HitManTest, WideBodyTellsHurtingOrDamageablePartnersTheirPower) {
  Body(5, 0, 0, 0, 90, &player);
  Body(8, 1, 50, 0, 4, &bullets, 11);
  Body(8, 0, 10, 0, 4, &bullets, 12);      // neither 0x1 nor 0x2
  Body(9, 0xA, -50, 0, 4, &lasers, 13);    // effect shot, 0x2
  Body(9, 0x1, 0, 200, 4, &lasers, 14);    // out of reach
  hit.TestGroups();
  EXPECT_EQ(log, (Log{{"bullets", 7, 11}, {"lasers", 7, 13}}));
}

TEST_F(HitManTest, TheShipsWideBodyTakesBulletsOnlyInTheBombAndTheDashAndAtTheShip) {
  // The ship in play at (0, 200); one bullet crosses the centre of the play
  // area, one flies 60 px above the ship (inside 90 + 4).
  player.position[0] = 0.0f;
  player.position[1] = 200.0f;
  player.SetState(Player::STATE_PLAY);
  player.PublishState();
  Body(8, 1, 0, 0, 4, &bullets, 41);
  Body(8, 1, 0, 140, 4, &bullets, 42);
  hit.TestGroups();
  EXPECT_TRUE(log.empty());  // no circle at the centre, none round the ship
  // The bomb takes the wide body into the tests, at the ship.
  player.StartBomb();
  log.clear();
  hit.TestGroups();
  EXPECT_EQ(log, (Log{{"bullets", 7, 42}}));
}

TEST_F(HitManTest, PlayerBodyIsHurtOnlyByMaskBitOne) {
  Body(1, 0, 0, 0, 1, &player);
  TestEnemy* hurts = Enemy(0x7F, 10, 5, 0);
  Enemy(0x7E, 10, -5, 0);
  hit.TestGroups();
  EXPECT_EQ(log, (Log{{"player", 7, A(&hurts->body)}}));
}

TEST_F(HitManTest, CoreTellsThePlayerByControlModeAndThePartnerByGroup) {
  Body(0, 0, 0, 0, 1, &player);
  HitBody* bullet = Body(8, 1, 0, 0, 4, &bullets, 21);
  HitBody* laser = Body(9, 0x19, 0, 0, 4, &lasers, 22);
  HitBody* silent = Body(8, 0x11, 0, 0, 4, &bullets, 23);
  Body(8, 1, 0, 0, 4, nullptr, 24);  // unowned: never told
  hit.TestGroups();
  EXPECT_EQ(log, (Log{{"player", 7, A(bullet)},
                      {"bullets", 7, A(bullet)},
                      {"player", 7, A(silent)},
                      {"player", 7, A(bodies.back().get())},
                      {"player", 7, A(laser)},
                      {"lasers", 7, 22}}));
  log.clear();
  player.controlMode = Player::CONTROL_BOMB;
  hit.TestGroups();
  EXPECT_EQ(log, (Log{{"bullets", 7, A(bullet)}, {"lasers", 7, 22}}));
}

TEST_F(HitManTest, OuterBodiesReactTallyAndGoOnAsTheWideBody) {
  HitBody* outer = Body(4, 0, 0, 0, 20, &player, 100);
  HitBody* bullet = Body(8, 1, 0, 0, 4, &bullets, 31);
  HitBody* big = Body(8, 0x11, 0, 0, 4, &bullets, 32);
  HitBody* fx = Body(9, 0xA, 0, 0, 4, &lasers, 33);
  hit.TestGroups();
  EXPECT_EQ(log, (Log{{"player.outer", 0, A(bullet)},
                      {"bullets", 7, 31},
                      {"player.outer", 0, A(big)},
                      {"bullets", 7, 32},
                      {"lasers", 7, 33}}));
  EXPECT_EQ(g_ChainCounter.contactTally, 1 + 4 + 4);
  EXPECT_EQ(outer->lastPartner, fx);
}

TEST_F(HitManTest, EnemyAgainstOuterBodyReactsWithEventElevenOrIsStruck) {
  HitBody* outer = Body(4, 0, 0, 0, 20, &player, 100);
  TestEnemy* reacting = Enemy(0x7F, 50);
  // The enemy's serial equals the Player's: this contact was counted.
  hit.TestGroups();
  EXPECT_TRUE(log.empty());
  player.outerContactSerial = 1;
  hit.TestGroups();
  EXPECT_EQ(log, (Log{{"player", 11, A(&reacting->body)}}));
  EXPECT_EQ(reacting->lastAttacker.Get(), nullptr);
  reacting->body.SetDisabled(1);

  log.clear();
  player.outerContactSerial = 5;
  TestEnemy* e = Enemy(0x7B, 100);  // no 0x4
  hit.TestGroups();
  EXPECT_EQ(log, (Log{{"enemy", 17, A(e->hitPosition)}, {"enemy", 7, 100}, {"enemy", 8, A(&e->body)}}));
  EXPECT_EQ(player.contactCounter, 10);
  EXPECT_EQ(e->grabCount, 5);
  EXPECT_EQ(e->lastAttacker.Get(), outer);
  EXPECT_EQ(game.record[REC_SCORE], 1200u);

  // One contact per serial.
  log.clear();
  game.frameCounter++;
  hit.TestGroups();
  EXPECT_TRUE(log.empty());
  player.outerContactSerial = 6;
  game.frameCounter++;
  hit.TestGroups();
  EXPECT_EQ(log.size(), 3u);
}

TEST_F(HitManTest, ABodyLinkedBehindTheLastTestedOneIsTestedInTheSamePass) {
  // e1 is the only enemy body when the pass starts; its answer to the shot
  // links e2's body behind it. e1's successor is read after its test, so e2
  // meets the second shot in the same pass.
  TestEnemy* e1 = Enemy(0x7F, 50, 0.0f, 0.0f);
  TestEnemy* e2 = Enemy(0x7F, 50, 100.0f, 0.0f);
  e2->body.Detach();
  Body(2, 0, 0, 0, 12, &shots, 3);
  Body(2, 0, 100, 0, 12, &shots, 4);
  e1->onEvent = [e2](int32_t code, SProcArg) {
    if (code == 7 && e2->body.GetOwner() == nullptr)
      e2->body.Register(7, 0x7F, e2->hitPosition, 16.0f, e2, 0, 100);
  };
  hit.TestGroups();
  EXPECT_ALL({VAL(e1->hitPoints, 47), VAL(e2->hitPoints, 46)});
}

TEST_F(HitManTest, ShotHitsDamageDefeatAndAreAnsweredOncePerFrame) {
  TestEnemy* e = Enemy(0x7F, 5);
  HitBody* shot = Body(2, 0, 0, 0, 12, &shots, 3);
  hit.TestGroups();
  EXPECT_EQ(log, (Log{{"enemy", 7, 3}, {"shots", 7, A(shot)}}));
  EXPECT_EQ(e->hitPoints, 2);
  EXPECT_EQ(e->lastAttacker.Get(), shot);
  // The same shot cannot hit again in the same frame.
  log.clear();
  hit.TestGroups();
  EXPECT_TRUE(log.empty());
  game.frameCounter++;
  hit.TestGroups();
  EXPECT_EQ(log, (Log{{"enemy", 7, 3}, {"enemy", 8, A(&e->body)}, {"shots", 7, A(shot)}}));
  EXPECT_EQ(game.record[REC_SCORE], 1200u);
  // Already at or below 0: any further shot defeats again while 0x2 is set.
  log.clear();
  game.frameCounter++;
  hit.TestGroups();
  EXPECT_EQ(log[1], (Event{"enemy", 8, A(&e->body)}));
}

TEST_F(HitManTest, ImmuneDashingAndStateRules) {
  TestEnemy* immune = Enemy(0x17F, 5);
  Body(2, 0, 0, 0, 12, &shots, 3);
  hit.TestGroups();
  EXPECT_TRUE(log.empty());
  EXPECT_EQ(immune->hitPoints, 5);
  EXPECT_EQ(immune->lastAttacker.Get(), nullptr);
  immune->body.SetMask(0x7F);

  player.controlMode = Player::CONTROL_DASH;  // no damage, still answered
  game.frameCounter++;
  hit.TestGroups();
  EXPECT_EQ(log.size(), 1u);
  EXPECT_EQ(log[0].who, "shots");
  EXPECT_EQ(immune->hitPoints, 5);

  log.clear();
  player.controlMode = Player::CONTROL_NORMAL;
  for (auto rule : {0, 1}) {
    game.frameCounter++;
    if (rule == 0) immune->grabMode = EObjBase::GRAB_DEFEATED;
    if (rule == 1) {
      immune->grabMode = EObjBase::GRAB_FREE;
      immune->grabbed = 1;
    }
    hit.TestGroups();
    EXPECT_TRUE(log.empty()) << rule;
  }
}

TEST_F(HitManTest, GroupThreeOnlyRecordsTheAttacker) {
  TestEnemy* e = Enemy(0x7F, 5);
  HitBody* wide = Body(3, 0, 0, 0, 20, &shots, 9);
  game.frameCounter = 42;
  hit.TestGroups();
  EXPECT_TRUE(log.empty());
  EXPECT_EQ(e->lastAttacker.Get(), wide);
  EXPECT_EQ(e->lastHitFrame, 42);
  EXPECT_EQ(e->hitPoints, 5);
}

TEST_F(HitManTest, DepthScalesAndNothingCollidesBehindTheEye) {
  Body(5, 0, 0, 0, 10, &player);
  // Unscaled: 40 apart, radii 10 + 20: no touch.
  HitBody* far = Body(8, 1, 40, 0, 20, &bullets, 1);
  hit.TestGroups();
  EXPECT_TRUE(log.empty());
  // At z = 512: x 20, radius 10; 20 apart with radii 10 + 10 just touch.
  far->position[2] = 512.0f;
  hit.TestGroups();
  EXPECT_EQ(log, (Log{{"bullets", 7, 1}}));
  // At or behind the eye: never.
  log.clear();
  for (float z : {-512.0f, -600.0f}) {
    far->position[0] = 0;
    far->position[2] = z;
    hit.TestGroups();
  }
  EXPECT_TRUE(log.empty());
  bodies[0]->position[2] = -512.0f;
  far->position[2] = 0;
  hit.TestGroups();
  EXPECT_TRUE(log.empty());
}

TEST_F(HitManTest, PartnersUnlinkedByAnAnswerDoNotDisturbTheWalk) {
  TestEnemy* e = Enemy(0x7F, 1000);
  HitBody* s1 = Body(2, 0, 0, 0, 12, &shots, 1);
  HitBody* s2 = Body(2, 0, 0, 0, 12, &shots, 2);
  HitBody* s3 = Body(2, 0, 0, 0, 12, &shots, 3);
  // Answering the first shot releases it and the one after it.
  shots.onEvent = [&](int32_t, SProcArg arg) {
    if (arg == A(s1)) {
      s1->Detach();
      s2->Detach();
    }
  };
  hit.TestGroups();
  EXPECT_EQ(log, (Log{{"enemy", 7, 1}, {"shots", 7, A(s1)}, {"enemy", 7, 3}, {"shots", 7, A(s3)}}));
  EXPECT_EQ(HitGroupTable[2].Count(), 1);
  EXPECT_EQ(e->hitPoints, 996);
}

TEST_F(HitManTest, EnemyDisabledInItsAnswerIsTestedNoFurther) {
  TestEnemy* e = Enemy(0x7F, 1000);
  Body(2, 0, 0, 0, 12, &shots, 1);
  Body(2, 0, 0, 0, 12, &shots, 2);
  e->onEvent = [&](int32_t code, SProcArg) {
    if (code == 7) e->body.SetDisabled(1);
  };
  hit.TestGroups();
  EXPECT_EQ(log, (Log{{"enemy", 7, 1}, {"shots", 7, A(bodies[0].get())}}));
}

TEST_F(HitManTest, FirstOwnerNotRunningIsIgnored) {
  Receiver idle{"idle", &log};
  HitBody* a = Body(5, 0, 0, 0, 10, &idle);  // never added: not running
  Body(8, 1, 0, 0, 4, &bullets, 5);
  hit.TestGroups();
  EXPECT_TRUE(log.empty());
  EXPECT_EQ(a->lastPartner, nullptr);
}

TEST(HitBody, RegisteringTwiceMovesTheBodyAndDestructionUnlinks) {
  float p[3] = {0, 0, 0};
  {
    HitBody a, b;
    a.Register(6, 0, p, 3.0f, nullptr, 0, 100);
    b.Register(6, 0, p, 3.0f, nullptr, 0, 100);
    a.Register(6, 0, p, 5.0f, nullptr, 0, 100);
    EXPECT_ALL({VAL(HitGroupTable[6].Count(), 2), VAL(a.radiusSq, 25.0f)});
    EXPECT_SAME({SAME(HitGroupTable[6].Head(), &b), SAME(b.NextBody(), &a), SAME(a.NextBody(), nullptr)});
    a.Register(10, 0, p, 1.0f, nullptr, 0, 100);
    EXPECT_EQ(HitGroupTable[6].Count(), 1);
    EXPECT_EQ(HitGroupTable[10].Head(), &a);
    a.Register(11, 0, p, 1.0f, nullptr, 0, 100);  // no such group
    EXPECT_TRUE(HitGroupTable[10].Empty());
    EXPECT_EQ(a.GetOwner(), nullptr);
  }
  EXPECT_TRUE(HitGroupTable[6].Empty());
}

TEST_F(HitManTest, FlaggedBossTurnsOuterReactionsIntoContacts) {
  Body(4, 0, 0, 0, 20, &player, 100);
  player.outerContactSerial = 1;
  TestEnemy* boss = Enemy(0x7F, 50, 0, -300);  // out of reach, 0x40 set
  boss->classKind = EObjBase::KIND_BOSS;
  TestEnemy* e = Enemy(0x7F, 500);
  hit.TestGroups();
  EXPECT_EQ(log, (Log{{"enemy", 17, A(e->hitPosition)}, {"enemy", 7, 100}}));
}

}  // namespace
