// The process entry with no application: starts the window system and the runtime, finds no
// delegate, and ends without opening a window.
#include "host/host_game.h"

int main(int argc, char** argv) { return OxTarnGame::Main(argc, const_cast<const char**>(argv)); }
