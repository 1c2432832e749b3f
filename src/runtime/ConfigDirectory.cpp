#include "runtime/ConfigDirectory.h"

#include <sys/stat.h>

#include <cerrno>
#include <cstdlib>
#include <stdexcept>

#include "runtime/SystemError.h"

namespace lumadesk {

namespace {

std::optional<std::string> nonEmpty(const EnvironmentLookup& environment, const std::string& name) {
    auto value = environment(name);
    if (!value || value->empty()) return std::nullopt;
    return value;
}

}  // namespace

std::filesystem::path defaultConfigDirectory(const EnvironmentLookup& environment) {
    if (auto chosen = nonEmpty(environment, "LUMADESK_CONFIG_DIR")) return std::filesystem::absolute(*chosen);
    // The base-directory rules say a relative XDG_CONFIG_HOME is invalid and must be ignored.
    if (auto xdg = nonEmpty(environment, "XDG_CONFIG_HOME"); xdg && std::filesystem::path(*xdg).is_absolute())
        return std::filesystem::path(*xdg) / "lumadesk";
    if (auto home = nonEmpty(environment, "HOME"))
        return std::filesystem::path(*home) / ".config" / "lumadesk";
    throw std::runtime_error(
        "Lumadesk cannot tell where to keep its settings: none of LUMADESK_CONFIG_DIR, XDG_CONFIG_HOME "
        "or HOME is set.");
}

std::filesystem::path defaultConfigDirectory() {
    return defaultConfigDirectory([](const std::string& name) -> std::optional<std::string> {
        const char* value = std::getenv(name.c_str());
        if (value == nullptr) return std::nullopt;
        return std::string(value);
    });
}

void createConfigDirectory(const std::filesystem::path& directory) {
    std::filesystem::path partial;
    for (const auto& component : directory) {
        partial /= component;
        if (::mkdir(partial.c_str(), 0700) != 0 && errno != EEXIST)
            throw systemError("cannot create the directory " + partial.string());
    }
}

}  // namespace lumadesk
