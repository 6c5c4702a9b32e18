#include "game/stage/DemoStage1.h"

DemoStage1::DemoStage1() : StandInDemo("Demo1") {}
