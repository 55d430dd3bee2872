#pragma once

#include <cstddef>
#include <memory>
#include <span>

// One cell of the adjacency matrix. A cell without an edge reads capacity 0.
struct EdgeCell {
    bool present = false;
    float capacity = 0.0f;
};

// The n × n cells of a graph in one block, row after row, every cell empty
// (all bytes 0) until written. A large block comes straight from the system,
// whose pages are zero until first touched and are asked to be huge pages:
// filling 2 000 rows of 2 000 cells one by one, page after page of 4 KiB,
// was a fifth of a whole load of a 2 000-vertex graph.
class CellMatrix {
  public:
    CellMatrix() = default;
    // n × n empty cells; precondition: n ≥ 0.
    explicit CellMatrix(int n);

    // Number of rows (and of columns).
    std::size_t size() const { return n_; }
    bool empty() const { return n_ == 0; }

    std::span<EdgeCell> operator[](std::size_t u) { return {cells_.get() + u * n_, n_}; }
    std::span<const EdgeCell> operator[](std::size_t u) const {
        return {cells_.get() + u * n_, n_};
    }

    // The rows in order, for range-for.
    class RowIterator {
      public:
        RowIterator(const CellMatrix& matrix, std::size_t u) : matrix_(&matrix), u_(u) {}
        std::span<const EdgeCell> operator*() const { return (*matrix_)[u_]; }
        RowIterator& operator++() {
            ++u_;
            return *this;
        }
        bool operator!=(const RowIterator& other) const { return u_ != other.u_; }

      private:
        const CellMatrix* matrix_;
        std::size_t u_;
    };
    RowIterator begin() const { return {*this, 0}; }
    RowIterator end() const { return {*this, n_}; }

  private:
    struct Release {
        std::size_t bytes;  // of a block mapped from the system; 0 for one from new
        void operator()(EdgeCell* cells) const;
    };

    std::size_t n_ = 0;
    std::unique_ptr<EdgeCell[], Release> cells_;
};
