#pragma once

namespace lumadesk {

// Where the running tray application offers the display actions on the session bus; the tray program
// serves them, lumadesk-ctl and the launcher call them.
struct AppBusNames {
    static constexpr const char* service = "io.lumadesk.Lumadesk";
    static constexpr const char* objectPath = "/io/lumadesk/Lumadesk";
    static constexpr const char* interface = "io.lumadesk.Lumadesk1";
    static constexpr const char* displayNotFoundError = "io.lumadesk.Lumadesk1.Error.DisplayNotFound";
    static constexpr const char* operationFailedError = "io.lumadesk.Lumadesk1.Error.OperationFailed";
};

}  // namespace lumadesk
