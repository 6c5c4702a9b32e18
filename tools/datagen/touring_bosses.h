#pragma once
// Stand-in data of boss types 10, 11, 12 and 16: their models (many parts
// under one hull, every part animated so that the pose is rebuilt each
// frame) and, in the stage scripts of the stages they fight in, their
// parameter records, route tables and bullet paths.
#include <cstdint>
#include <string>
#include <vector>

#include "tools/datagen/stage_script_builder.h"

namespace datagen {

// The model of a boss of these types by its file stem ("osr_bs08"); empty for
// any other stem. `scale` is the model row's scale (1.0 = none).
std::vector<uint8_t> TouringBossModel(const std::string& stem, float scale);

// One boss's part: where the data of each boss says its numbered nodes
// stand, in play units on screen.
struct BossPart {
  float x, y, z;
};
// A model of `nodes` nodes: node 0 a flat hull of the span, every other
// node a small plate at place(n) under it; all nodes hold still through
// `frames` frames of animation. A lying model is laid in the x-z plane
// (y on screen becomes -z), for a boss that stands it up with a quarter
// turn about x.
std::vector<uint8_t> PartsModel(int nodes, float span, float scale, uint32_t frames, BossPart (*place)(int n),
                                bool lying = false);

// Adds the bullet path unless the stage already has one with that id.
void EnsureBulletPath(StageScriptBuilder& b, int32_t id, std::initializer_list<EShotMotion> entries);
// The boss's route table (id 1000 + type), its record set to defeat mode 3.
void SetBossRoutes(StageScriptBuilder& b, EnemyParam& p, std::initializer_list<RouteEntry> entries);

void AddBoss10(StageScriptBuilder& b, EnemyParam& p);
void AddBoss11(StageScriptBuilder& b, EnemyParam& p);
void AddBoss12(StageScriptBuilder& b, EnemyParam& p);
void AddBoss16(StageScriptBuilder& b, EnemyParam& p);
std::vector<uint8_t> Boss10Model(float scale);
std::vector<uint8_t> Boss11Model(float scale);
std::vector<uint8_t> Boss12Model(float scale);
std::vector<uint8_t> Boss16Model(float scale);

}  // namespace datagen
