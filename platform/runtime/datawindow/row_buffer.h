// Compact storage of one row's values: a single allocation holding a table of end offsets
// followed by the values' bytes. A retrieved row of short texts thus costs little more than
// its text, where a string object per cell would cost 32 bytes before any text.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string_view>

namespace runtime {

class PackedRow {
  public:
    PackedRow() = default;
    PackedRow(PackedRow&&) noexcept = default;
    PackedRow& operator=(PackedRow&&) noexcept = default;

    // Packs `count` values (nullopt: null).
    static PackedRow pack(const std::optional<std::string_view>* values, std::size_t count);
    // A row of `count` nulls.
    static PackedRow nulls(std::size_t count);

    bool empty() const { return data_ == nullptr; }
    std::size_t column_count() const;
    // The value of a column (nullopt: null). The view lives as long as this row is unchanged.
    std::optional<std::string_view> get(std::size_t column) const;
    // A copy of this row with one value replaced.
    PackedRow with(std::size_t column, std::optional<std::string_view> value) const;
    PackedRow clone() const;
    // Bytes of the allocation.
    std::size_t allocated_bytes() const;

  private:
    // Layout: [offset width: 1 byte][column count: 2 bytes][end offsets][value bytes]. An end
    // offset's top bit marks a null value; offsets count from the start of the value bytes.
    static constexpr std::size_t kHeader = 3;

    std::size_t width() const { return data_[0]; }
    std::uint32_t end_entry(std::size_t column) const;
    const unsigned char* values_start() const;

    std::unique_ptr<unsigned char[]> data_;
};

}  // namespace runtime
