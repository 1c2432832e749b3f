#include "assembly/PlatformArguments.h"

#include <string_view>

namespace lumadesk {

namespace {

constexpr std::string_view simulatedOption = "--simulated=";
constexpr std::string_view transportOption = "--transport=";

TransportKind transportNamed(const std::string& name, const std::string& where) {
    const auto kind = transportKindNamed(name);
    if (!kind) throw UsageError("Unknown transport \"" + name + "\" in " + where + " (use arm64 or intel).");
    return *kind;
}

}  // namespace

void PlatformArguments::applyTransportVariable(const std::optional<std::string>& value) {
    if (value && !value->empty()) transport = transportNamed(*value, "LUMADESK_TRANSPORT");
}

TransportKind PlatformArguments::chosenTransport() const {
    if (transport) return *transport;
    return simulated ? builtTransportKind() : TransportKind::arm64;
}

bool PlatformArguments::apply(const std::string& argument) {
    if (argument == "--simulated") {
        simulated = true;
        deskFile.reset();
    } else if (argument.starts_with(simulatedOption)) {
        const std::string file = argument.substr(simulatedOption.size());
        if (file.empty()) throw UsageError("--simulated= needs a desk file.");
        simulated = true;
        deskFile = file;
    } else if (argument.starts_with(transportOption)) {
        transport = transportNamed(argument.substr(transportOption.size()), "--transport");
    } else {
        return false;
    }
    return true;
}

}  // namespace lumadesk
