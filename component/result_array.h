// ResultArray: the two-dimensional array of variants that every read returns, row first,
// both indices from 0. At the interface it becomes a SAFEARRAY of VARIANT whose first
// dimension counts rows; the empty array (no dimensions) becomes a null SAFEARRAY.
#pragma once

#include <cstddef>
#include <cstdint>
#include <utility>
#include <vector>

#include "platform/com/safearray.h"
#include "platform/com/variant.h"

namespace tarvo {

class ResultArray {
  public:
    // The empty array.
    ResultArray() = default;
    ~ResultArray();
    ResultArray(ResultArray&& other) noexcept;
    ResultArray& operator=(ResultArray&& other) noexcept;
    // rows x columns cells, every cell Empty.
    ResultArray(std::size_t rows, std::size_t columns);

    bool is_empty_array() const { return !array_; }
    std::size_t rows() const { return rows_; }
    std::size_t columns() const { return columns_; }

    // A cell outside the array fails the call with TARVO_E_INDEX.
    void set(std::size_t row, std::size_t column, const com::VARIANT& value);
    // Takes ownership of `value`.
    void put(std::size_t row, std::size_t column, com::VARIANT value);
    const com::VARIANT& at(std::size_t row, std::size_t column) const { return *cell(row, column); }
    // The cell, emptied, for a value to be written into it in place. Inline: a read writes
    // every cell through it.
    com::VARIANT* slot(std::size_t row, std::size_t column) {
        com::VARIANT* target = cell(row, column);
        if (target->vt != com::VT_EMPTY) com::VariantClear(target);
        return target;
    }
    // The cell's value, handed over; the cell is left Empty.
    com::VARIANT take(std::size_t row, std::size_t column) {
        return std::exchange(*cell(row, column), com::var_empty());
    }
    // Keeps rows 0 .. rows - 1 with their values (rows must not exceed the current count).
    void keep_rows(std::size_t rows);
    // Row first + from[k] becomes row first + k, for every k (`from` names distinct rows);
    // the rows before `first` stay, the others are dropped: the array keeps first +
    // from.size() rows. Each column is rearranged where it lies, through a buffer of one
    // column, so no second array of the whole size is needed.
    void reorder_rows(std::size_t first, const std::vector<std::int32_t>& from);

    // The array itself, for the data-access layer to fill its cells in place (nullptr for
    // the empty array); this array keeps it.
    com::SAFEARRAY* cells() { return array_; }

    // Hands the cells over as a SAFEARRAY (nullptr for the empty array) and leaves this
    // array empty.
    com::SAFEARRAY* release();

  private:
    com::VARIANT* cell(std::size_t row, std::size_t column) const {
        if (!array_ || row >= rows_ || column >= columns_) outside(row, column);
        return static_cast<com::VARIANT*>(array_->pvData) + row + column * rows_;
    }
    [[noreturn]] void outside(std::size_t row, std::size_t column) const;

    // The cells live in the SAFEARRAY that release() hands over, so a large result is
    // never copied: first index the row, and, as in every SAFEARRAY, the first index
    // varies fastest in memory.
    com::SAFEARRAY* array_ = nullptr;
    std::size_t rows_ = 0, columns_ = 0;
};

}  // namespace tarvo
