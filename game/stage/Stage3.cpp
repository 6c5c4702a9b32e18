#include "game/stage/Stage3.h"

Stage3::Stage3() : StandInStage("Stage3") {}
