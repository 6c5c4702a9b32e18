#pragma once
// The demo play of stage 2: its scene played from "common\Demo02.rpd".
#include "game/stage/DemoPlay.h"
#include "game/stage/Stage2.h"

class DemoStage2 : public DemoStage<Stage2> {
 public:
  DemoStage2() : DemoStage("common\\Demo02.rpd") {}
};
