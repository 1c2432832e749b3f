#include "assembly/PlatformArguments.h"

#include <cstdlib>
#include <string_view>

#include "runtime/PrintableText.h"

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
    if (transport || !value || value->empty()) return;
    transport = transportNamed(*value, "the environment variable LUMADESK_TRANSPORT");
}

std::string PlatformArguments::deskName() const {
    if (!simulated) return "real";
    if (!deskFile) return "simulated";
    return "simulated:" + std::filesystem::absolute(*deskFile).lexically_normal().string();
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
        // The desk's saved state is keyed by the file's full path in a JSON file, which holds UTF-8
        // only: refused here, before anything is done, rather than when the state is saved.
        if (!isValidUTF8(std::filesystem::absolute(file).string())) {
            throw UsageError("The desk file's path \"" + printableText(file) +
                             "\" is not valid UTF-8 (in this or a parent folder's name); rename it.");
        }
        simulated = true;
        deskFile = file;
    } else if (argument.starts_with(transportOption)) {
        transport = transportNamed(argument.substr(transportOption.size()), "--transport");
    } else {
        return false;
    }
    return true;
}

std::optional<std::string> processEnvironment(const std::string& name) {
    const char* value = std::getenv(name.c_str());
    if (!value) return std::nullopt;
    return std::string(value);
}

}  // namespace lumadesk
