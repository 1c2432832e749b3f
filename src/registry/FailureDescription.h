#pragma once

#include <exception>
#include <string>

namespace lumadesk {

// The text shown to the user for a failure the manager caught: the error's own description (hardware
// errors, system errors from a platform, store errors), or a plain sentence for the rest.
std::string failureDescription(const std::exception_ptr& failure);

}  // namespace lumadesk
