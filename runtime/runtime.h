// runtime/runtime.h: the language runtime in one include: collector and objects, strings, arrays.
// Also errors and debug output, the start-up hooks and the containers.
#pragma once

#include "runtime/gc.h"
#include "runtime/array.h"
#include "runtime/text.h"
#include "runtime/debug.h"
#include "runtime/startup.h"
#include "runtime/containers.h"
