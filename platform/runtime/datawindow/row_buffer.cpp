#include "platform/runtime/datawindow/row_buffer.h"

#include <cstring>
#include <stdexcept>
#include <vector>

namespace runtime {
namespace {

constexpr std::uint32_t kNullBit2 = 0x8000u;
constexpr std::uint32_t kNullBit4 = 0x80000000u;

std::uint32_t null_bit(std::size_t width) {
    return width == 2 ? kNullBit2 : kNullBit4;
}

void put(unsigned char* at, std::size_t width, std::uint32_t v) {
    if (width == 2) {
        auto v16 = static_cast<std::uint16_t>(v);
        std::memcpy(at, &v16, 2);
    } else {
        std::memcpy(at, &v, 4);
    }
}

}  // namespace

unsigned char* RowArena::allocate(std::size_t bytes) {
    bytes += bytes & 1;  // even addresses only (see PackedRow)
    while (current_ < blocks_.size() && used_ + bytes > blocks_[current_].size) {
        ++current_;  // the rest of this block is too small: go on to the next
        used_ = 0;
    }
    if (current_ == blocks_.size()) {
        std::size_t size = bytes > kBlock / 4 ? bytes : kBlock;
        blocks_.push_back({std::unique_ptr<unsigned char[]>(new unsigned char[size]), size});
        used_ = 0;
    }
    unsigned char* p = blocks_[current_].data.get() + used_;
    used_ += bytes;
    return p;
}

void RowArena::rewind() {
    current_ = 0;
    used_ = 0;
}

void RowArena::trim() {
    std::size_t keep = used_ > 0 ? current_ + 1 : current_;
    if (keep < blocks_.size()) blocks_.resize(keep);
}

std::size_t RowArena::allocated_bytes() const {
    std::size_t total = 0;
    for (const auto& b : blocks_) total += b.size;
    return total;
}

PackedRow& PackedRow::operator=(PackedRow&& other) noexcept {
    if (this != &other) {
        release();
        tagged_ = other.tagged_;
        other.tagged_ = 0;
    }
    return *this;
}

PackedRow::~PackedRow() {
    release();
}

void PackedRow::release() {
    if (tagged_ && !in_arena()) delete[] data();
    tagged_ = 0;
}

PackedRow PackedRow::pack(const std::optional<std::string_view>* values, std::size_t count,
                          RowArena* arena) {
    if (count > 0xFFFF) throw std::length_error("too many columns in a row");
    std::size_t total = 0;
    for (std::size_t i = 0; i < count; ++i)
        if (values[i]) total += values[i]->size();
    // Two-byte offsets while the text fits below the null bit, four bytes beyond.
    std::size_t width = total < kNullBit2 ? 2 : 4;
    if (total >= kNullBit4) throw std::length_error("row too large");

    std::size_t size = kHeader + count * width + total;
    PackedRow row;
    unsigned char* p = arena ? arena->allocate(size) : new unsigned char[size];
    row.tagged_ = reinterpret_cast<std::uintptr_t>(p) | (arena ? kArenaTag : 0);
    p[0] = static_cast<unsigned char>(width);
    auto n16 = static_cast<std::uint16_t>(count);
    std::memcpy(p + 1, &n16, 2);
    unsigned char* ends = p + kHeader;
    unsigned char* out = ends + count * width;
    std::uint32_t end = 0;
    for (std::size_t i = 0; i < count; ++i) {
        if (values[i]) {
            if (!values[i]->empty()) std::memcpy(out + end, values[i]->data(), values[i]->size());
            end += static_cast<std::uint32_t>(values[i]->size());
            put(ends + i * width, width, end);
        } else {
            put(ends + i * width, width, end | null_bit(width));
        }
    }
    return row;
}

PackedRow PackedRow::nulls(std::size_t count) {
    std::vector<std::optional<std::string_view>> none(count);
    return pack(none.data(), count);
}

std::size_t PackedRow::column_count() const {
    if (!tagged_) return 0;
    std::uint16_t n;
    std::memcpy(&n, data() + 1, 2);
    return n;
}

std::uint32_t PackedRow::end_entry(std::size_t column) const {
    const unsigned char* at = data() + kHeader + column * width();
    if (width() == 2) {
        std::uint16_t v;
        std::memcpy(&v, at, 2);
        return v;
    }
    std::uint32_t v;
    std::memcpy(&v, at, 4);
    return v;
}

const unsigned char* PackedRow::values_start() const {
    return data() + kHeader + column_count() * width();
}

std::optional<std::string_view> PackedRow::get(std::size_t column) const {
    if (column >= column_count()) return std::nullopt;
    std::uint32_t bit = null_bit(width());
    std::uint32_t entry = end_entry(column);
    if (entry & bit) return std::nullopt;
    std::uint32_t begin = column == 0 ? 0 : (end_entry(column - 1) & ~bit);
    auto start = reinterpret_cast<const char*>(values_start());
    return std::string_view(start + begin, entry - begin);
}

PackedRow PackedRow::with(std::size_t column, std::optional<std::string_view> value) const {
    std::size_t n = column_count();
    std::vector<std::optional<std::string_view>> values(n);
    for (std::size_t i = 0; i < n; ++i) values[i] = i == column ? value : get(i);
    return pack(values.data(), n);
}

std::size_t PackedRow::allocated_bytes() const {
    if (!tagged_) return 0;
    std::size_t n = column_count();
    std::size_t text = n == 0 ? 0 : (end_entry(n - 1) & ~null_bit(width()));
    return kHeader + n * width() + text;
}

}  // namespace runtime
