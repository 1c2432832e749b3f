#pragma once

#include <map>
#include <stdexcept>
#include <string>
#include <string_view>

#include "runtime/UserDefaults.h"

namespace lumadesk {

using DefaultsMap = std::map<std::string, DefaultsValue>;

// Settings text that cannot be understood, or values that cannot be written as text; what() says why.
class DefaultsFormatError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// The settings file is one JSON object, key to value. Booleans, integers, doubles and texts are
// plain JSON values (doubles always carry a fraction or exponent, so 3.0 stays a double); data is
// {"$data": "<base64>"} and a double that JSON cannot write is {"$double": "nan" | "inf" | "-inf"}.

// The values in the settings text; throws DefaultsFormatError for anything else.
DefaultsMap parseDefaults(std::string_view text);

// The settings text for the values; throws DefaultsFormatError for keys or texts that are not UTF-8.
std::string serialiseDefaults(const DefaultsMap& values);

}  // namespace lumadesk
