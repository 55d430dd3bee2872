#include "graph/cell_matrix.h"

#include <sys/mman.h>

#include <new>
#include <type_traits>

// The cells are made of zero bytes in a block from mmap: an empty cell must
// be all zero bytes, and the block's cells must not need constructing.
static_assert(std::is_trivially_copyable_v<EdgeCell> && std::is_trivially_destructible_v<EdgeCell>);

namespace {

// Below this, the cells come from new: the system's pages only pay for a
// block of several huge pages (2 MiB each on x86-64).
constexpr std::size_t mapped_bytes = std::size_t{4} << 20;

}  // namespace

CellMatrix::CellMatrix(int n) : n_(static_cast<std::size_t>(n > 0 ? n : 0)) {
    const std::size_t bytes = n_ * n_ * sizeof(EdgeCell);
    if (bytes < mapped_bytes) {
        cells_ = std::unique_ptr<EdgeCell[], Release>(new EdgeCell[n_ * n_](), Release{0});
        return;
    }
    void* block = mmap(nullptr, bytes, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (block == MAP_FAILED) {
        throw std::bad_alloc();
    }
    // Advice only: without huge pages the block works the same.
    madvise(block, bytes, MADV_HUGEPAGE);
    cells_ = std::unique_ptr<EdgeCell[], Release>(static_cast<EdgeCell*>(block), Release{bytes});
}

void CellMatrix::Release::operator()(EdgeCell* cells) const {
    if (bytes > 0) {
        munmap(cells, bytes);
    } else {
        delete[] cells;
    }
}
