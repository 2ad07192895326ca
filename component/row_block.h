// Rows of a result whose count is not known before they are read (a page, the top level of
// the department tree): row after row in chunks, each value converted once from the cursor
// into its cell. Chunks never move, so growing costs no copy; a result takes the cells over.
#pragma once

#include <cstddef>
#include <memory>
#include <string>
#include <vector>

#include "platform/com/variant.h"

namespace tarvo {

class RowBlock {
  public:
    explicit RowBlock(long columns = 0) : columns_(columns) {}
    RowBlock(RowBlock&&) noexcept = default;
    RowBlock& operator=(RowBlock&&) noexcept = default;
    ~RowBlock() {
        for (auto& chunk : chunks_)
            for (std::size_t i = 0; i < kChunkRows * columns_; ++i)
                if (chunk[i].vt != com::VT_EMPTY) com::VariantClear(&chunk[i]);
    }

    long columns() const { return columns_; }
    std::size_t rows() const { return rows_; }
    // The cells of a row lie side by side.
    com::VARIANT& cell(std::size_t row, long column) {
        return chunks_[row / kChunkRows][row % kChunkRows * columns_ + column];
    }
    // A new last row, every cell Empty; returns its number.
    std::size_t add_row() {
        if (rows_ % kChunkRows == 0)  // value-initialised: every cell Empty
            chunks_.push_back(std::make_unique<com::VARIANT[]>(kChunkRows * columns_));
        return rows_++;
    }

    std::vector<std::u16string> names;

  private:
    static constexpr std::size_t kChunkRows = 64;
    std::vector<std::unique_ptr<com::VARIANT[]>> chunks_;
    long columns_;
    std::size_t rows_ = 0;
};

}  // namespace tarvo
