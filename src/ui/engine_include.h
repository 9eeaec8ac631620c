// The engine seen from Qt code. Qt defines "slots" as a macro, and the
// engine has a member of that name: include the engine through this header
// so the macro is out of the way while its declarations are read.
#pragma once

#pragma push_macro("slots")
#undef slots
#include "render/engine.h"
#pragma pop_macro("slots")
