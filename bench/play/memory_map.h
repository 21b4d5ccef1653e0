// Where the resident memory of this process lies: the kernel's per-mapping figures summed by
// what is mapped (a library, the heap, anonymous memory, a driver's device mapping).
#pragma once

namespace play {

// Prints the largest holders of resident memory, one line each, with anonymous and file-backed
// totals; says so in one line when the kernel's map cannot be read.
void PrintMemoryMap();

}  // namespace play
