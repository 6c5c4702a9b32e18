#include "game/stage/CStage1.h"

CStage1::CStage1() : StandInStage("Stage1") {}
