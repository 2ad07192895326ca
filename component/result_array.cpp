#include "component/result_array.h"

#include <cstring>
#include <string>
#include <utility>

#include "component/failure.h"

namespace tarvo {

namespace {

com::SAFEARRAY* create(std::size_t rows, std::size_t columns) {
    com::SAFEARRAYBOUND bounds[2] = {{static_cast<com::ULONG>(rows), 0},
                                     {static_cast<com::ULONG>(columns), 0}};
    com::SAFEARRAY* array = com::SafeArrayCreate(com::VT_VARIANT, 2, bounds);
    if (!array)
        fail(com::E_OUTOFMEMORY, "out of memory for a result of " + std::to_string(rows) +
                                     " rows and " + std::to_string(columns) + " columns");
    return array;
}

}  // namespace

ResultArray::ResultArray(std::size_t rows, std::size_t columns)
    : array_(create(rows, columns)), rows_(rows), columns_(columns) {}

ResultArray::~ResultArray() {
    com::SafeArrayDestroy(array_);
}

ResultArray::ResultArray(ResultArray&& other) noexcept
    : array_(std::exchange(other.array_, nullptr)),
      rows_(std::exchange(other.rows_, 0)),
      columns_(std::exchange(other.columns_, 0)) {}

ResultArray& ResultArray::operator=(ResultArray&& other) noexcept {
    std::swap(array_, other.array_);
    std::swap(rows_, other.rows_);
    std::swap(columns_, other.columns_);
    return *this;
}

void ResultArray::outside(std::size_t row, std::size_t column) const {
    fail(TARVO_E_INDEX, "result cell (" + std::to_string(row) + ", " + std::to_string(column) +
                            ") is outside the array of " + std::to_string(rows_) + " rows and " +
                            std::to_string(columns_) + " columns");
}

void ResultArray::set(std::size_t row, std::size_t column, const com::VARIANT& value) {
    com::VARIANT* target = cell(row, column);
    com::Variant copy(value);
    com::VariantClear(target);
    *target = copy.release();
}

void ResultArray::put(std::size_t row, std::size_t column, com::VARIANT value) {
    com::Variant owned = com::Variant::adopt(value);
    com::VARIANT* target = cell(row, column);
    com::VariantClear(target);
    *target = owned.release();
}

void ResultArray::keep_rows(std::size_t rows) {
    if (rows > rows_) cell(rows - 1, 0);  // fails with the range in the description
    if (rows == rows_) return;
    // Rows are not contiguous: move the kept cells into an array of the new shape.
    ResultArray kept(rows, columns_);
    for (std::size_t c = 0; c < columns_; ++c)
        for (std::size_t r = 0; r < rows; ++r) std::swap(*kept.cell(r, c), *cell(r, c));
    *this = std::move(kept);
}

void ResultArray::reorder_rows(std::size_t first, const std::vector<std::int32_t>& from) {
    if (first + from.size() > rows_) outside(first + from.size() - 1, 0);
    for (std::int32_t r : from)
        if (r < 0 || first + r >= rows_) outside(first + r, 0);
    std::vector<com::VARIANT> buffer(from.size());
    for (std::size_t c = 0; c < columns_ && !from.empty(); ++c) {
        com::VARIANT* column = cell(first, c);
        for (std::size_t k = 0; k < from.size(); ++k)
            buffer[k] = std::exchange(column[from[k]], com::var_empty());
        for (std::size_t k = 0; k < from.size(); ++k) {
            if (column[k].vt != com::VT_EMPTY) com::VariantClear(&column[k]);  // a dropped row
            column[k] = buffer[k];
        }
    }
    keep_rows(first + from.size());
}

com::SAFEARRAY* ResultArray::release() {
    rows_ = columns_ = 0;
    return std::exchange(array_, nullptr);
}

}  // namespace tarvo
