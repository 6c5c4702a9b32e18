#include "game/stage/DemoStage2.h"

DemoStage2::DemoStage2() : StandInDemo("Demo2") {}
