#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <unordered_map>

#include "edid/Edid.h"
#include "hardware/AVServiceLocating.h"
#include "hardware/DisplaySnapshotProviding.h"
#include "platform/DisplayRegistry.h"
#include "platform/ScreenList.h"
#include "platform/WindowServer.h"

namespace lumadesk {

// Lists the online external displays the program manages and identifies each one: a hardware ID from
// vendor, product and serial (or the EDID's serial text), and a model name from its screen or its
// registry entry. Every listing asks the platform afresh.
class SystemDisplaySnapshotProvider final : public DisplaySnapshotProviding {
public:
    SystemDisplaySnapshotProvider(WindowServer& windowServer, ScreenList& screenList,
                                  DisplayRegistry& registry, AVServiceLocating& serviceLocator);

    // Online displays that are not built in, mirror none, are not of vendor 1552 and whose screen (if
    // any) is not named "...Virtual...".
    std::vector<DisplayID> onlineDisplayIDs() override;
    std::optional<DisplaySnapshot> snapshot(DisplayID displayID) override;
    std::uint32_t unitNumber(DisplayID displayID) override { return m_windowServer.unitNumber(displayID); }

    // The display's name: its screen's name without a trailing " (n)", else its registry product name.
    std::optional<std::string> displayName(DisplayID displayID);
    // The serial-number text of the display's EDID, from the registry or else over I2C.
    std::optional<std::string> edidSerialText(DisplayID displayID);
    // The screen name without the " (2)" the system appends to identical monitors (trailing white space,
    // a bracketed number, the end); the program numbers duplicates itself.
    static std::string withoutDuplicateCounter(std::string_view name);
    // The first non-blank serial-number descriptor of an EDID base block, trimmed; none when there is none.
    static std::optional<std::string> serialText(std::span<const std::uint8_t> edid) {
        return Edid(edid).serialText();
    }

private:
    // The first screen that shows the display.
    std::optional<Screen> screenOf(DisplayID displayID);
    std::optional<std::string> registryProductName(DisplayID displayID);
    std::optional<std::string> registryEDIDSerialText(DisplayID displayID);
    std::optional<std::string> avServiceEDIDSerialText(DisplayID displayID);

    WindowServer& m_windowServer;
    ScreenList& m_screenList;
    DisplayRegistry& m_registry;
    AVServiceLocating& m_serviceLocator;
    // The screens' names by display ID as the last listing read them, so that a refresh reads the
    // screen list once rather than once per display; a display not among them is looked up afresh.
    std::unordered_map<DisplayID, std::string> m_screenNames;
};

}  // namespace lumadesk
