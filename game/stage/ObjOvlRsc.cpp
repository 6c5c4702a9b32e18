#include "game/stage/ObjOvlRsc.h"

#include <new>

SRsc* ObjOvlRsc::Create() { return new (std::nothrow) ObjOvlRsc(); }
