// One JSON object on one line, built field by field (the driver's transcript format).
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace runtime {

// A JSON array of texts, null for a missing one.
std::string json_array(const std::vector<std::optional<std::string>>& items);

class JsonLine {
  public:
    explicit JsonLine(std::string_view event) { add("event", event); }

    JsonLine& add(std::string_view key, std::string_view value);
    JsonLine& add(std::string_view key, const char* value) {
        return add(key, std::string_view(value));
    }
    JsonLine& add(std::string_view key, const std::string& value) {
        return add(key, std::string_view(value));
    }
    JsonLine& add(std::string_view key, const std::optional<std::string>& value);
    JsonLine& add(std::string_view key, std::int64_t value);
    JsonLine& add(std::string_view key, int value) { return add(key, std::int64_t{value}); }
    JsonLine& add(std::string_view key, bool value);
    // A value already in JSON form (an array or object).
    JsonLine& add_raw(std::string_view key, std::string_view json);

    std::string str() const { return body_ + "}"; }

  private:
    void key(std::string_view k);
    std::string body_ = "{";
};

}  // namespace runtime
