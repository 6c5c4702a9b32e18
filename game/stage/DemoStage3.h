#pragma once
// The demo play of stage 3: its scene played from "common\Demo03.rpd".
#include "game/stage/DemoPlay.h"
#include "game/stage/Stage3.h"

class DemoStage3 : public DemoStage<Stage3> {
 public:
  DemoStage3() : DemoStage("common\\Demo03.rpd") {}
};
