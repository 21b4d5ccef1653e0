// Program entry of quadrant-rush.
// Until the host and the game land, it says plainly that they are missing.
#include <cstdio>

int main() {
    std::puts("Quadrant Rush: the window, the host and the game are not built yet;"
              " only the language runtime and its tests exist so far.");
    return 1;
}
