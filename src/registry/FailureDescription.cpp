#include "registry/FailureDescription.h"

#include <new>

namespace lumadesk {

std::string failureDescription(const std::exception_ptr& failure) {
    try {
        std::rethrow_exception(failure);
    } catch (const std::bad_alloc&) {
        return "There is not enough memory.";
    } catch (const std::exception& error) {
        return error.what();
    } catch (...) {
        return "An unexpected error occurred.";
    }
}

}  // namespace lumadesk
