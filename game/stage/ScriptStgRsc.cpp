#include "game/stage/ScriptStgRsc.h"

#include <new>

SRsc* ScriptStgRsc::Create() { return new (std::nothrow) ScriptStgRsc(); }
