// runtime/startup.h: the start-up sequence of the language runtime and the hooks that
// the later layers fill in: module-global initialisers (oxInit) and the program body (oxMain).
#pragma once

#include "runtime/gc.h"

// Layers, in the order oxInit runs their initialisers (the same order as their collector roots).
enum ox_layer : int {
  OX_LAYER_FRAMEWORK = GC_ROOTS_FRAMEWORK,
  OX_LAYER_NET = GC_ROOTS_NET,
  OX_LAYER_CONTAINERS = GC_ROOTS_CONTAINERS,
  OX_LAYER_GAME = GC_ROOTS_GAME,
};
typedef int (*ox_hook_fn)();

// Registers a layer's module-global initialiser; oxInit runs them in layer order (registration
// order within a layer). Registering the same function twice is ignored.
void ox_register_init(int layer, ox_hook_fn fn);
// Sets oxMain's body: the game's function that creates its application object (c_MyApp).
void ox_set_main(ox_hook_fn fn);

extern int ox_argc;           // the process arguments, stored by the start-up sequence
extern char** ox_argv;

int oxInit();   // every registered initialiser; returns 0
int oxMain();   // the registered body (nothing when none is set); returns 0

// Steps 1 to 6 of the start-up: store the arguments, install the signal handler, set the
// character locale ("en_US.UTF-8", else the environment's), empty the collector's lists, oxInit(),
// gc_mark(). The host's entry runs this, then oxMain(), then its main loop.
void ox_runtime_start(int argc, char** argv);
// The whole sequence on its own: ox_runtime_start, then oxMain(). Returns 0.
int ox_std_main(int argc, char** argv);
