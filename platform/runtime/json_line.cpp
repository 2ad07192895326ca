#include "platform/runtime/json_line.h"

#include "platform/text/utf8.h"

namespace runtime {

using text::json_quote;

std::string json_array(const std::vector<std::optional<std::string>>& items) {
    std::string out = "[";
    for (std::size_t i = 0; i < items.size(); ++i) {
        if (i) out += ",";
        out += items[i] ? json_quote(*items[i]) : "null";
    }
    return out + "]";
}

void JsonLine::key(std::string_view k) {
    if (body_.size() > 1) body_ += ",";
    body_ += json_quote(k) + ":";
}

JsonLine& JsonLine::add(std::string_view k, std::string_view value) {
    key(k);
    body_ += json_quote(value);
    return *this;
}

JsonLine& JsonLine::add(std::string_view k, const std::optional<std::string>& value) {
    key(k);
    body_ += value ? json_quote(*value) : "null";
    return *this;
}

JsonLine& JsonLine::add(std::string_view k, std::int64_t value) {
    key(k);
    body_ += std::to_string(value);
    return *this;
}

JsonLine& JsonLine::add(std::string_view k, bool value) {
    key(k);
    body_ += value ? "true" : "false";
    return *this;
}

JsonLine& JsonLine::add_raw(std::string_view k, std::string_view json) {
    key(k);
    body_ += json;
    return *this;
}

}  // namespace runtime
