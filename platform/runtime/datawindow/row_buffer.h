// Compact storage of one row's values: a single block holding a table of end offsets
// followed by the values' bytes. A retrieved row of short texts thus costs little more than
// its text, where a string object per cell would cost 32 bytes before any text.
//
// Rows read together (a retrieve) are placed one after another in large blocks of a
// RowArena, which frees them all at once; a row built later (a changed or inserted row) has
// a heap block of its own.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string_view>
#include <vector>

namespace runtime {

// Large blocks that rows are carved from. The arena must outlive the rows placed in it.
class RowArena {
  public:
    unsigned char* allocate(std::size_t bytes);
    // Starts again at the first block, keeping the blocks (their pages stay mapped, which
    // makes a repeated retrieve much cheaper). Every row placed before must be gone.
    void rewind();
    // Frees the blocks after the one in use.
    void trim();
    std::size_t allocated_bytes() const;

  private:
    struct Block {
        std::unique_ptr<unsigned char[]> data;
        std::size_t size;
    };
    static constexpr std::size_t kBlock = 1 << 20;
    std::vector<Block> blocks_;
    std::size_t current_ = 0;  // index of the block in use; blocks_.size() when none
    std::size_t used_ = 0;     // bytes used of the block in use
};

class PackedRow {
  public:
    PackedRow() = default;
    PackedRow(PackedRow&& other) noexcept : tagged_(other.tagged_) { other.tagged_ = 0; }
    PackedRow& operator=(PackedRow&& other) noexcept;
    PackedRow(const PackedRow&) = delete;
    PackedRow& operator=(const PackedRow&) = delete;
    ~PackedRow();

    // Packs `count` values (nullopt: null) into a block of its own, or of `arena`.
    static PackedRow pack(const std::optional<std::string_view>* values, std::size_t count,
                          RowArena* arena = nullptr);
    // A row of `count` nulls.
    static PackedRow nulls(std::size_t count);

    bool empty() const { return tagged_ == 0; }
    std::size_t column_count() const;
    // The value of a column (nullopt: null). The view lives as long as this row is unchanged.
    std::optional<std::string_view> get(std::size_t column) const;
    // A copy of this row with one value replaced.
    PackedRow with(std::size_t column, std::optional<std::string_view> value) const;
    // Bytes of the block.
    std::size_t allocated_bytes() const;
    // True when the block belongs to an arena (and is freed with it).
    bool in_arena() const { return tagged_ & kArenaTag; }

  private:
    // Layout: [offset width: 1 byte][column count: 2 bytes][end offsets][value bytes]. An
    // end offset's top bit marks a null value; offsets count from the start of the value
    // bytes. Arena blocks start at even addresses, so the pointer's lowest bit can tell
    // them apart without touching the row (dropping 100,000 rows then reads no memory).
    static constexpr std::size_t kHeader = 3;
    static constexpr std::uintptr_t kArenaTag = 1;

    unsigned char* data() const { return reinterpret_cast<unsigned char*>(tagged_ & ~kArenaTag); }
    std::size_t width() const { return data()[0]; }
    std::uint32_t end_entry(std::size_t column) const;
    const unsigned char* values_start() const;
    void release();

    std::uintptr_t tagged_ = 0;  // the block's address, kArenaTag set for arena blocks
};

}  // namespace runtime
