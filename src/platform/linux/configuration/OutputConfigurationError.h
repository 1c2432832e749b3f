#pragma once

#include <stdexcept>
#include <string>

namespace lumadesk {

// A display configuration the window system could not or would not apply; what() is the text shown
// to the user.
class OutputConfigurationError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

}  // namespace lumadesk
