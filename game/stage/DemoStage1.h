#pragma once
// The demo play of stage 1: its scene played from "common\Demo01.rpd".
#include "game/stage/DemoPlay.h"
#include "game/stage/CStage1.h"

class DemoStage1 : public DemoStage<CStage1> {
 public:
  DemoStage1() : DemoStage("common\\Demo01.rpd") {}
};
