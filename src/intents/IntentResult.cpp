#include "intents/IntentResult.h"

namespace lumadesk {

std::string IntentDescription::renderSummary(
    const std::map<std::string, std::string, std::less<>>& values) const {
    std::string text;
    std::string_view rest = summary;
    while (!rest.empty()) {
        const auto start = rest.find("${");
        const auto end = rest.find('}', start);
        if (start == std::string_view::npos || end == std::string_view::npos) break;
        text += rest.substr(0, start);
        const auto name = rest.substr(start + 2, end - start - 2);
        const auto value = values.find(name);
        text += value != values.end() ? std::string_view(value->second) : rest.substr(start, end - start + 1);
        rest.remove_prefix(end + 1);
    }
    return text += rest;
}

}  // namespace lumadesk
