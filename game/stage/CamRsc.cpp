#include "game/stage/CamRsc.h"

#include <new>

SRsc* CamRsc::Create() { return new (std::nothrow) CamRsc(); }
