#pragma once

#include <filesystem>
#include <stdexcept>
#include <string>
#include <string_view>

#include "platform/simulated/SimulatedDeskConfig.h"

namespace lumadesk {

// A desk file that cannot be used; the message names the file, the display (index and name) and the
// field at fault.
class SimulatedDeskError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Reads desks from their JSON form (described in docs/simulated-desk.md). Unknown fields are refused, so
// that a misspelt field does not silently fall back to its default.
class SimulatedDeskFile {
public:
    // How the compiled-in default desk is named in messages and in the state file.
    static constexpr std::string_view defaultDeskName = "the default desk";

    // The desk described by the text; `source` names it in error messages. Throws SimulatedDeskError.
    static SimulatedDeskConfig parse(std::string_view text, const std::string& source);
    // The text of the file; throws SimulatedDeskError when it cannot be read.
    static std::string read(const std::filesystem::path& file);
    // The JSON text of the default desk, compiled in from fixtures/default-desk.json.
    static std::string_view defaultDeskText();
};

}  // namespace lumadesk
