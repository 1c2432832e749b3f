#pragma once

#include <stdexcept>

namespace lumadesk {

// The stored display list could not be read; what() is a readable description for the user.
class DisplayStoreError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

}  // namespace lumadesk
