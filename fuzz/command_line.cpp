// The arguments of lumadesk-ctl and lumadesk: NUL-separated arguments, the first one standing for
// LUMADESK_TRANSPORT. Anything wrong must come back as a UsageError.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "app/AppCommandLine.h"
#include "cli/CtlCommandLine.h"

namespace {

std::vector<std::string> splitAtNul(const std::uint8_t* data, std::size_t size) {
    std::vector<std::string> parts(1);
    for (std::size_t i = 0; i < size; ++i) {
        if (data[i] == 0)
            parts.emplace_back();
        else
            parts.back().push_back(static_cast<char>(data[i]));
    }
    return parts;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    auto arguments = splitAtNul(data, size);
    const std::optional<std::string> transport =
        arguments.front().empty() ? std::nullopt : std::optional<std::string>(arguments.front());
    arguments.erase(arguments.begin());
    const lumadesk::EnvironmentLookup environment = [&](const std::string& name) -> std::optional<std::string> {
        return name == "LUMADESK_TRANSPORT" ? transport : std::nullopt;
    };
    try {
        lumadesk::CtlCommandLine::parse(arguments, environment);
    } catch (const lumadesk::UsageError&) {
    }
    lumadesk::AppCommandLine::asksForHelp(arguments);
    try {
        lumadesk::AppCommandLine::parse(arguments, transport);
    } catch (const lumadesk::UsageError&) {
    }
    return 0;
}
