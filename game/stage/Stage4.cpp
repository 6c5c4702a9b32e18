#include "game/stage/Stage4.h"

Stage4::Stage4() : StandInStage("Stage4") {}
