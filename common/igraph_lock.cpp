#include "common/igraph_lock.h"

std::mutex& igraph_lock() {
    static std::mutex lock;
    return lock;
}
