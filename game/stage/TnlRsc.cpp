#include "game/stage/TnlRsc.h"

#include <new>

SRsc* TnlRsc::Create() { return new (std::nothrow) TnlRsc(); }
