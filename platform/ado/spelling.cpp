#include "platform/ado/spelling.h"

#include <unordered_map>

#include "platform/text/gbk.h"
#include "schema/schema.h"

namespace ado {

std::string declared_spelling(std::string_view reported) {
    static const std::unordered_map<std::string, std::string> spellings = [] {
        std::unordered_map<std::string, std::string> m;
        for (const std::string& name : schema::declared_names()) m[text::ascii_lower(name)] = name;
        return m;
    }();
    auto it = spellings.find(text::ascii_lower(reported));
    return it == spellings.end() ? std::string(reported) : it->second;
}

}  // namespace ado
