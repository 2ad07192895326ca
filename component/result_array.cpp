#include "component/result_array.h"

#include <string>

#include "component/failure.h"

namespace tarvo {

ResultArray::ResultArray(std::size_t rows, std::size_t columns)
    : dimensioned_(true), rows_(rows), columns_(columns), cells_(rows * columns) {}

std::size_t ResultArray::index(std::size_t row, std::size_t column) const {
    if (!dimensioned_ || row >= rows_ || column >= columns_)
        fail(TARVO_E_INDEX, "result cell (" + std::to_string(row) + ", " + std::to_string(column) +
                                ") is outside the array of " + std::to_string(rows_) +
                                " rows and " + std::to_string(columns_) + " columns");
    return row * columns_ + column;
}

void ResultArray::set(std::size_t row, std::size_t column, const com::VARIANT& value) {
    cells_[index(row, column)] = com::Variant(value);
}

void ResultArray::put(std::size_t row, std::size_t column, com::VARIANT value) {
    com::Variant owned = com::Variant::adopt(value);
    cells_[index(row, column)] = std::move(owned);
}

const com::VARIANT& ResultArray::at(std::size_t row, std::size_t column) const {
    return *cells_[index(row, column)];
}

void ResultArray::keep_rows(std::size_t rows) {
    if (rows > rows_) index(rows - 1, 0);  // fails with the range in the description
    rows_ = rows;
    cells_.resize(rows * columns_);
}

com::SAFEARRAY* ResultArray::release() {
    if (!dimensioned_) return nullptr;
    com::SAFEARRAYBOUND bounds[2] = {{static_cast<com::ULONG>(rows_), 0},
                                     {static_cast<com::ULONG>(columns_), 0}};
    com::SAFEARRAY* array = com::SafeArrayCreate(com::VT_VARIANT, 2, bounds);
    if (!array)
        fail(com::E_OUTOFMEMORY,
             "out of memory for a result of " + std::to_string(rows_) + " rows");
    for (std::size_t r = 0; r < rows_; ++r) {
        for (std::size_t c = 0; c < columns_; ++c) {
            com::LONG at[2] = {static_cast<com::LONG>(r), static_cast<com::LONG>(c)};
            void* element;
            com::SafeArrayPtrOfIndex(array, at, &element);
            *static_cast<com::VARIANT*>(element) = cells_[r * columns_ + c].release();
        }
    }
    *this = ResultArray();
    return array;
}

}  // namespace tarvo
