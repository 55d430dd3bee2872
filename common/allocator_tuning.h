#pragma once

// Tells the C library's allocator to keep the memory a load frees for the
// next allocations instead of handing it back to the system at once. A load
// allocates and frees arrays of megabytes again and again (the flow
// program's rows, the LP engine's copies and factors); by default every
// block above 128 KiB is mapped afresh and unmapped on free, so each use
// faults its pages in again, and the heap is trimmed as soon as its top is
// free. Called once at the start of a program, before its first load.
void keep_freed_memory_for_loads();
