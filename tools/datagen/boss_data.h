#pragma once
// The stand-in data of the bosses that have their own: models with the
// nodes their defeat shows work on, and each boss's route table (the
// stretches of its model's animation that its script names) on its
// parameter record.
#include <cstdint>
#include <string>
#include <vector>

#include "tools/datagen/stage_script_builder.h"

namespace datagen {

// The model of a boss row ("osr_bs05"), empty when the boss has no model of
// its own here.
std::vector<uint8_t> BossModelFor(const std::string& stem, uint32_t scale);
// The route table and record words of the boss of parameter p.
void AddBossData(StageScriptBuilder& b, EnemyParam& p);

// ------------------------------------------------------------- shared parts
// A model of `nodes` nodes drawing `span` units wide: node `hull` a hull
// and the root, every other node a small plate child of it on rings round
// it, so that each node a show hides or shakes is a visible piece (and
// hiding one hides that piece only). Node 0 takes the hull's place on the
// rings when another node is the hull.
std::vector<uint8_t> BossModel(int nodes, float span, int hull = 0);
// A route table of `entries` stretches of `frames` frames each (entry i runs
// from 10 i), none looping unless listed in `loops`; the record names it.
RouteTable& BossRoutes(StageScriptBuilder& b, EnemyParam& p, int entries, float frames,
                       std::initializer_list<int> loops);

// One node of a boss model, in game coordinates relative to its parent;
// size 0: no mesh (a point the script reads).
struct BossModelNode {
  int parent;  // -1 for the root
  float x, y, z;
  float size;
};
// A model of the nodes, each with a plate of its size facing the viewer,
// each animated (still) over `frames` frames, so that every frame's pose
// starts from the node's rest matrix (pieces that turn their nodes add
// their turn to it).
std::vector<uint8_t> WriteBossModel(const std::vector<BossModelNode>& nodes, uint32_t frames);

// Per boss.
void AddBoss05(StageScriptBuilder& b, EnemyParam& p);
void AddBoss06(StageScriptBuilder& b, EnemyParam& p);
void AddBoss07(StageScriptBuilder& b, EnemyParam& p);
std::vector<uint8_t> Boss03Model();
void Boss03Record(StageScriptBuilder& b, EnemyParam& p);
std::vector<uint8_t> Boss08Model();
void Boss08Record(StageScriptBuilder& b, EnemyParam& p);
std::vector<uint8_t> Boss04Model();
void Boss04Record(StageScriptBuilder& b, EnemyParam& p);
void AddBoss13(StageScriptBuilder& b, EnemyParam& p);
void AddBoss14(StageScriptBuilder& b, EnemyParam& p);
void AddBoss15(StageScriptBuilder& b, EnemyParam& p);

}  // namespace datagen
