#include "game/stage/DemoStage3.h"

DemoStage3::DemoStage3() : StandInDemo("Demo3") {}
