#pragma once

#include <map>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "intents/DisplayEntity.h"

namespace lumadesk {

// The value an action returns besides its dialog: nothing, a level, a text or a list of displays.
using IntentValue = std::variant<std::monostate, int, std::string, std::vector<DisplayEntity>>;

// What an action ends with: the sentence shown (or spoken) to the user, and its value.
struct IntentResult {
    std::string dialog;
    IntentValue value{};

    friend bool operator==(const IntentResult&, const IntentResult&) = default;
};

// One parameter of an action as the editor shows it.
struct IntentParameter {
    std::string_view name;   // the field that holds it
    std::string_view title;  // its label
    bool required = true;
};

// What automation shows of an action: its title, its parameters in order and the sentence that stands
// for it in the editor, with "${name}" where a parameter's value goes (empty: the framework default).
struct IntentDescription {
    std::string_view title;
    std::vector<IntentParameter> parameters;
    std::string_view summary;

    // The summary with each "${name}" replaced by the value given for it (left as it is otherwise).
    std::string renderSummary(const std::map<std::string, std::string, std::less<>>& values) const;
};

}  // namespace lumadesk
