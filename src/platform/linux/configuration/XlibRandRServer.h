#pragma once

#include <memory>
#include <string>

#include "platform/linux/configuration/RandRServer.h"

namespace lumadesk {

// RandR 1.2+ requests through Xlib on one connection of its own to the X server.
class XlibRandRServer final : public RandRServer {
public:
    // Connects to the named display (the session's, $DISPLAY, when empty) and asks for its layout
    // events; throws OutputConfigurationError when there is no X server or it has no RandR 1.2.
    explicit XlibRandRServer(const std::string& displayName = {});
    ~XlibRandRServer() override;

    RandRLayout layout() override;
    void grab() override;
    void ungrab() override;
    bool setCrtc(const RandRCrtc& crtc) override;
    bool setScreenSize(const RandRScreenSize& size) override;
    bool setPrimary(RandRID output) override;
    int eventDescriptor() const override;
    bool takeLayoutChanges() override;

private:
    struct Connection;
    std::unique_ptr<Connection> m_connection;
};

}  // namespace lumadesk
