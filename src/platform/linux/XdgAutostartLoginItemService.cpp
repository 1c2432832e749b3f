#include "platform/linux/XdgAutostartLoginItemService.h"

#include <cstdlib>
#include <sstream>
#include <string_view>
#include <system_error>
#include <utility>

#include "runtime/AtomicFile.h"
#include "runtime/FileSnapshot.h"

namespace lumadesk {

namespace {

constexpr std::string_view entryGroup = "[Desktop Entry]";
// A desktop entry is a few lines long.
constexpr std::size_t entrySizeLimit = 64 * 1024;

std::optional<std::string> processEnvironment(const std::string& name) {
    const char* value = std::getenv(name.c_str());
    if (value == nullptr) return std::nullopt;
    return std::string(value);
}

std::optional<std::string> nonEmpty(const EnvironmentLookup& environment, const std::string& name) {
    auto value = environment(name);
    if (!value || value->empty()) return std::nullopt;
    return value;
}

// One argument of an Exec line: quoted when it holds a character the Desktop Entry rules reserve,
// with the four characters that stay special inside quotes escaped.
std::string quotedExecArgument(std::string_view argument) {
    constexpr std::string_view reserved = " \t\n\"'\\><~|&;$*?#()`";
    if (argument.find_first_of(reserved) == std::string_view::npos) return std::string(argument);
    std::string quoted = "\"";
    for (const char character : argument) {
        if (character == '"' || character == '`' || character == '$' || character == '\\') quoted += '\\';
        quoted += character;
    }
    return quoted + "\"";
}

// The Exec value as written in the file: "%" is doubled (it starts field codes), then the value is
// escaped as every string value of the file format is.
std::string execValue(std::string_view argument) {
    std::string value;
    for (const char character : quotedExecArgument(argument)) {
        switch (character) {
            case '%':
                value += "%%";
                break;
            case '\\':
                value += "\\\\";
                break;
            case '\n':
                value += "\\n";
                break;
            case '\t':
                value += "\\t";
                break;
            case '\r':
                value += "\\r";
                break;
            default:
                value += character;
        }
    }
    return value;
}

std::string_view trimmed(std::string_view text) {
    constexpr std::string_view blanks = " \t\r";
    const auto first = text.find_first_not_of(blanks);
    if (first == std::string_view::npos) return {};
    return text.substr(first, text.find_last_not_of(blanks) - first + 1);
}

// Whether the entry's main group says Hidden=true, which makes the session treat it as deleted. An entry
// that cannot be read (a FIFO, a directory, far too large) is not one the session starts either.
bool isHidden(const std::filesystem::path& entry) {
    std::optional<FileSnapshot> snapshot;
    try {
        snapshot = readFileSnapshot(entry, entrySizeLimit);
    } catch (const FileReadError&) {
        return true;
    }
    if (!snapshot) return false;
    std::istringstream file(snapshot->contents);
    bool inEntryGroup = false;
    for (std::string line; std::getline(file, line);) {
        const std::string_view text = trimmed(line);
        if (text.starts_with('[')) {
            inEntryGroup = text == entryGroup;
            continue;
        }
        const auto equals = text.find('=');
        if (!inEntryGroup || equals == std::string_view::npos) continue;
        if (trimmed(text.substr(0, equals)) == "Hidden") return trimmed(text.substr(equals + 1)) == "true";
    }
    return false;
}

}  // namespace

XdgAutostartLoginItemService::XdgAutostartLoginItemService(std::optional<std::filesystem::path> executable)
    : XdgAutostartLoginItemService(std::move(executable), processEnvironment) {}

XdgAutostartLoginItemService::XdgAutostartLoginItemService(std::optional<std::filesystem::path> executable,
                                                           EnvironmentLookup environment)
    : m_executable(std::move(executable)), m_environment(std::move(environment)) {}

std::optional<std::filesystem::path> XdgAutostartLoginItemService::entryPath() const {
    // The base-directory rules say a relative XDG_CONFIG_HOME is invalid and must be ignored.
    if (auto xdg = nonEmpty(m_environment, "XDG_CONFIG_HOME");
        xdg && std::filesystem::path(*xdg).is_absolute())
        return std::filesystem::path(*xdg) / "autostart" / entryFileName;
    if (auto home = nonEmpty(m_environment, "HOME"))
        return std::filesystem::path(*home) / ".config" / "autostart" / entryFileName;
    return std::nullopt;
}

std::optional<std::filesystem::path> XdgAutostartLoginItemService::executable() const {
    std::error_code error;
    std::filesystem::path path = m_executable ? std::filesystem::absolute(*m_executable, error)
                                              : std::filesystem::read_symlink("/proc/self/exe", error);
    if (error || !std::filesystem::is_regular_file(path, error)) return std::nullopt;
    return path;
}

LoginItemStatus XdgAutostartLoginItemService::status() const {
    if (!executable()) return LoginItemStatus::notFound;
    const auto entry = entryPath();
    std::error_code error;
    if (!entry || !std::filesystem::exists(*entry, error)) return LoginItemStatus::notRegistered;
    return isHidden(*entry) ? LoginItemStatus::notRegistered : LoginItemStatus::enabled;
}

std::filesystem::path XdgAutostartLoginItemService::requiredEntryPath() const {
    auto entry = entryPath();
    if (!entry) {
        throw LoginItemError(
            "Cannot tell where the autostart entry belongs: neither XDG_CONFIG_HOME nor HOME is set.");
    }
    return *entry;
}

void XdgAutostartLoginItemService::registerItem() {
    const auto entry = requiredEntryPath();
    const auto program = executable();
    if (!program) {
        throw LoginItemError("Cannot write the autostart entry " + entry.string() +
                             ": the program to start was not found.");
    }
    try {
        createConfigDirectory(entry.parent_path());
        AtomicFile(entry).replace(entryText(*program));
    } catch (const std::system_error& error) {
        throw LoginItemError("Cannot write the autostart entry " + entry.string() + ": " +
                             error.code().message() + ".");
    }
}

void XdgAutostartLoginItemService::unregisterItem() {
    const auto entry = requiredEntryPath();
    std::error_code error;
    std::filesystem::remove(entry, error);
    if (error) {
        throw LoginItemError("Cannot remove the autostart entry " + entry.string() + ": " + error.message() +
                             ".");
    }
}

std::string XdgAutostartLoginItemService::entryText(const std::filesystem::path& executable) {
    return std::string(entryGroup) +
           "\n"
           "Type=Application\n"
           "Name=Lumadesk\n"
           "Comment=External display control, right from your menu bar.\n"
           "Exec=" +
           execValue(executable.string()) +
           "\n"
           "Terminal=false\n"
           "X-GNOME-Autostart-enabled=true\n";
}

}  // namespace lumadesk
