#include "interface/InputDeviceAccess.h"

#include <unistd.h>

#include <system_error>

namespace lumadesk {

bool InputDeviceAccess::canReadEventDevices(const std::filesystem::path& directory) {
    std::error_code error;
    for (std::filesystem::directory_iterator entry(directory, error), end; !error && entry != end;
         entry.increment(error)) {
        if (entry->path().filename().string().starts_with("event") &&
            ::access(entry->path().c_str(), R_OK) == 0)
            return true;
    }
    return false;
}

KeyboardPermissionModel::Operations InputDeviceAccess::operations() {
    return {
        [] {
            return KeyboardGrants{true, canReadEventDevices(inputDirectory)};
        },
        [] {},
        [] {},
    };
}

}  // namespace lumadesk
