#include "game/stage/ObjRsc.h"

#include <new>

SRsc* ObjRsc::Create() { return new (std::nothrow) ObjRsc(); }
