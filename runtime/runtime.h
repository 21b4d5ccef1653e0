// runtime/runtime.h: the language runtime in one include: collector and objects, strings, arrays.
// Also errors and debug output, start-up hooks; containers are added as they land.
#pragma once

#include "runtime/gc.h"
#include "runtime/array.h"
#include "runtime/text.h"
#include "runtime/debug.h"
#include "runtime/startup.h"
