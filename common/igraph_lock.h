#pragma once

#include <mutex>

// The lock that every use of the igraph library holds. The igraph build the
// project links keeps its state process-wide, not per thread: the error and
// warning handlers, the attribute table, the stack of cleanups run on an
// error and the random generator are shared by every thread. Two threads
// using it at once (a file read on the load's thread while the window lays
// out a graph) would corrupt that state, so each use runs whole under this
// lock. It holds no igraph header, so that any layer can take it.
std::mutex& igraph_lock();
