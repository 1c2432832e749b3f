#include "platform/linux/configuration/XlibRandRServer.h"

#include <X11/Xlib.h>
#include <X11/extensions/Xrandr.h>

#include "platform/linux/configuration/OutputConfigurationError.h"

namespace lumadesk {

namespace {

struct DisplayCloser {
    void operator()(Display* display) const { XCloseDisplay(display); }
};
struct ResourcesFreer {
    void operator()(XRRScreenResources* resources) const { XRRFreeScreenResources(resources); }
};
struct OutputInfoFreer {
    void operator()(XRROutputInfo* info) const { XRRFreeOutputInfo(info); }
};
struct CrtcInfoFreer {
    void operator()(XRRCrtcInfo* info) const { XRRFreeCrtcInfo(info); }
};
struct XFreer {
    void operator()(unsigned char* data) const { XFree(data); }
};

// Counts the X errors raised while it exists instead of letting Xlib end the process. Requests are
// synchronised before it is read, so errors of the requests made under it have arrived.
class XErrorTrap {
public:
    explicit XErrorTrap(Display* display) : m_display(display), m_previous(XSetErrorHandler(&count)) {
        s_errors = 0;
    }
    ~XErrorTrap() { XSetErrorHandler(m_previous); }
    XErrorTrap(const XErrorTrap&) = delete;
    XErrorTrap& operator=(const XErrorTrap&) = delete;

    bool failed() {
        XSync(m_display, False);
        return s_errors > 0;
    }

private:
    static int count(Display*, XErrorEvent*) {
        ++s_errors;
        return 0;
    }

    static inline int s_errors = 0;
    Display* m_display;
    XErrorHandler m_previous;
};

std::vector<std::uint8_t> edidOf(Display* display, RROutput output) {
    const Atom edidAtom = XInternAtom(display, RR_PROPERTY_RANDR_EDID, True);
    if (edidAtom == None) return {};
    Atom type = None;
    int format = 0;
    unsigned long count = 0, remaining = 0;
    unsigned char* data = nullptr;
    if (XRRGetOutputProperty(display, output, edidAtom, 0, 1024, False, False, AnyPropertyType, &type,
                             &format, &count, &remaining, &data) != Success)
        return {};
    const std::unique_ptr<unsigned char, XFreer> owned(data);
    if (format != 8 || !data) return {};
    return {data, data + count};
}

}  // namespace

struct XlibRandRServer::Connection {
    std::unique_ptr<Display, DisplayCloser> display;
    std::unique_ptr<XRRScreenResources, ResourcesFreer> resources;
    Window root = 0;
    int eventBase = 0;
};

XlibRandRServer::XlibRandRServer(const std::string& displayName)
    : m_connection(std::make_unique<Connection>()) {
    m_connection->display.reset(XOpenDisplay(displayName.empty() ? nullptr : displayName.c_str()));
    Display* display = m_connection->display.get();
    if (!display) throw OutputConfigurationError("The X server cannot be reached.");
    int errorBase = 0, major = 0, minor = 0;
    if (!XRRQueryExtension(display, &m_connection->eventBase, &errorBase) ||
        !XRRQueryVersion(display, &major, &minor) || major < 1 || (major == 1 && minor < 2))
        throw OutputConfigurationError("The X server cannot configure outputs (it lacks RandR 1.2).");
    m_connection->root = DefaultRootWindow(display);
    XRRSelectInput(display, m_connection->root,
                   RRScreenChangeNotifyMask | RROutputChangeNotifyMask | RRCrtcChangeNotifyMask);
    XFlush(display);
}

XlibRandRServer::~XlibRandRServer() = default;

RandRLayout XlibRandRServer::layout() {
    Display* display = m_connection->display.get();
    m_connection->resources.reset(XRRGetScreenResourcesCurrent(display, m_connection->root));
    const XRRScreenResources* resources = m_connection->resources.get();
    if (!resources) throw OutputConfigurationError("The X server did not describe its outputs.");
    RandRLayout layout;
    for (int i = 0; i < resources->nmode; ++i) {
        const XRRModeInfo& mode = resources->modes[i];
        const double pixels = static_cast<double>(mode.hTotal) * mode.vTotal;
        layout.modes.push_back({mode.id, static_cast<int>(mode.width), static_cast<int>(mode.height),
                                pixels > 0 ? static_cast<double>(mode.dotClock) / pixels : 0});
    }
    layout.primary = XRRGetOutputPrimary(display, m_connection->root);
    for (int i = 0; i < resources->ncrtc; ++i) {
        const std::unique_ptr<XRRCrtcInfo, CrtcInfoFreer> info(
            XRRGetCrtcInfo(display, m_connection->resources.get(), resources->crtcs[i]));
        if (!info) continue;
        layout.crtcs.push_back({resources->crtcs[i], info->mode, info->x, info->y, info->rotation,
                                std::vector<RandRID>(info->outputs, info->outputs + info->noutput)});
    }
    for (int i = 0; i < resources->noutput; ++i) {
        const std::unique_ptr<XRROutputInfo, OutputInfoFreer> info(
            XRRGetOutputInfo(display, m_connection->resources.get(), resources->outputs[i]));
        if (!info) continue;
        layout.outputs.push_back({resources->outputs[i], std::string(info->name, info->nameLen),
                                  edidOf(display, resources->outputs[i]), info->connection == RR_Connected,
                                  info->crtc, std::vector<RandRID>(info->crtcs, info->crtcs + info->ncrtc),
                                  std::vector<RandRID>(info->modes, info->modes + info->nmode)});
    }
    Window root = 0;
    int x = 0, y = 0;
    unsigned width = 0, height = 0, border = 0, depth = 0;
    XGetGeometry(display, m_connection->root, &root, &x, &y, &width, &height, &border, &depth);
    const int screen = DefaultScreen(display);
    layout.size = {static_cast<int>(width), static_cast<int>(height), DisplayWidthMM(display, screen),
                   DisplayHeightMM(display, screen)};
    int minWidth = 0, minHeight = 0;
    XRRGetScreenSizeRange(display, m_connection->root, &minWidth, &minHeight, &layout.maxWidth,
                          &layout.maxHeight);
    return layout;
}

void XlibRandRServer::grab() {
    XGrabServer(m_connection->display.get());
}

void XlibRandRServer::ungrab() {
    XUngrabServer(m_connection->display.get());
    XFlush(m_connection->display.get());
}

bool XlibRandRServer::setCrtc(const RandRCrtc& crtc) {
    Display* display = m_connection->display.get();
    XErrorTrap trap(display);
    std::vector<RROutput> outputs(crtc.outputs.begin(), crtc.outputs.end());
    const Status status =
        XRRSetCrtcConfig(display, m_connection->resources.get(), crtc.id, CurrentTime, crtc.x, crtc.y,
                         crtc.mode, static_cast<Rotation>(crtc.rotation),
                         outputs.empty() ? nullptr : outputs.data(), static_cast<int>(outputs.size()));
    return !trap.failed() && status == RRSetConfigSuccess;
}

bool XlibRandRServer::setScreenSize(const RandRScreenSize& size) {
    Display* display = m_connection->display.get();
    XErrorTrap trap(display);
    XRRSetScreenSize(display, m_connection->root, size.width, size.height, size.widthMM, size.heightMM);
    return !trap.failed();
}

bool XlibRandRServer::setPrimary(RandRID output) {
    Display* display = m_connection->display.get();
    XErrorTrap trap(display);
    XRRSetOutputPrimary(display, m_connection->root, output);
    return !trap.failed();
}

int XlibRandRServer::eventDescriptor() const {
    return ConnectionNumber(m_connection->display.get());
}

bool XlibRandRServer::takeLayoutChanges() {
    Display* display = m_connection->display.get();
    bool changed = false;
    while (XPending(display) > 0) {
        XEvent event;
        XNextEvent(display, &event);
        XRRUpdateConfiguration(&event);
        const int type = event.type - m_connection->eventBase;
        changed = changed || type == RRScreenChangeNotify || type == RRNotify;
    }
    return changed;
}

}  // namespace lumadesk
