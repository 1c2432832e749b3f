#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace lumadesk {

// An X resource ID (output, CRTC, mode); 0 is none.
using RandRID = std::uint64_t;

// RandR's rotation bits; the angle is in the low four.
inline constexpr unsigned randRRotate0 = 1;
inline constexpr unsigned randRRotate90 = 2;
inline constexpr unsigned randRRotate270 = 8;

struct RandRMode {
    RandRID id = 0;
    int width = 0;
    int height = 0;
    double refresh = 0;  // in Hz; 0 when the server did not tell
};

struct RandROutput {
    RandRID id = 0;
    std::string name;
    std::vector<std::uint8_t> edid;
    bool connected = false;
    RandRID crtc = 0;            // the CRTC showing it, 0 when it is off
    std::vector<RandRID> crtcs;  // the CRTCs that can drive it
    std::vector<RandRID> modes;  // the preferred modes first
};

// A CRTC (display controller): which mode it scans out where, to which outputs; mode 0 is off.
struct RandRCrtc {
    RandRID id = 0;
    RandRID mode = 0;
    int x = 0;
    int y = 0;
    unsigned rotation = randRRotate0;
    std::vector<RandRID> outputs;

    friend bool operator==(const RandRCrtc&, const RandRCrtc&) = default;
};

struct RandRScreenSize {
    int width = 0;
    int height = 0;
    int widthMM = 0;
    int heightMM = 0;

    friend bool operator==(const RandRScreenSize&, const RandRScreenSize&) = default;
};

// The X screen's outputs, CRTCs and modes as one read sees them.
struct RandRLayout {
    std::vector<RandROutput> outputs;
    std::vector<RandRCrtc> crtcs;
    std::vector<RandRMode> modes;
    RandRScreenSize size;
    int maxWidth = 0;
    int maxHeight = 0;
    RandRID primary = 0;  // the primary output; 0 when none is
};

// The RandR requests the X11 backend makes, so that its planning runs against a fake X server.
class RandRServer {
public:
    virtual ~RandRServer() = default;
    RandRServer() = default;
    RandRServer(const RandRServer&) = delete;
    RandRServer& operator=(const RandRServer&) = delete;

    // Reads the current outputs, CRTCs, modes and screen size.
    virtual RandRLayout layout() = 0;
    // Holds every other client off until ungrab(), so a layout changes in one piece.
    virtual void grab() = 0;
    // Lets the other clients go on.
    virtual void ungrab() = 0;
    // Sets one CRTC; false when the server refused.
    virtual bool setCrtc(const RandRCrtc& crtc) = 0;
    // Resizes the screen; false when the server refused.
    virtual bool setScreenSize(const RandRScreenSize& size) = 0;
    // Makes the output the primary one; false when the server refused.
    virtual bool setPrimary(RandRID output) = 0;
    // The connection's descriptor, readable when events arrived.
    virtual int eventDescriptor() const = 0;
    // Reads the arrived events; true when a screen, CRTC or output change was among them.
    virtual bool takeLayoutChanges() = 0;
};

}  // namespace lumadesk
