#include "game/stage/Stage2.h"

Stage2::Stage2() : StandInStage("Stage2") {}
