#include "game/player/InpRsc.h"

#include <new>

SRsc* InpRsc::Create() { return new (std::nothrow) InpRsc(); }
