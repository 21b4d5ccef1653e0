// runtime/runtime.h: the language runtime in one include: collector and objects, strings, arrays.
// Later parts of the runtime (errors, containers) are added here as they land.
#pragma once

#include "runtime/gc.h"
#include "runtime/array.h"
#include "runtime/text.h"
