#pragma once

#include <cerrno>
#include <string>
#include <system_error>

namespace lumadesk {

// The error of the system call that just failed; what() reads "<what>: <system message>".
inline std::system_error systemError(const std::string& what) {
    return std::system_error(errno, std::generic_category(), what);
}

}  // namespace lumadesk
