#include "platform/linux/configuration/X11RandRBackend.h"

#include <algorithm>
#include <cmath>
#include <variant>

#include "platform/linux/configuration/OutputConfigurationError.h"

namespace lumadesk {

namespace {

// Holds the server grabbed for the scope.
class ServerGrab {
public:
    explicit ServerGrab(RandRServer& server) : m_server(server) { m_server.grab(); }
    ~ServerGrab() { m_server.ungrab(); }
    ServerGrab(const ServerGrab&) = delete;
    ServerGrab& operator=(const ServerGrab&) = delete;

private:
    RandRServer& m_server;
};

bool contains(const std::vector<RandRID>& ids, RandRID id) {
    return std::find(ids.begin(), ids.end(), id) != ids.end();
}

}  // namespace

// The requests that turn the read layout into the asked one, kept with what they replace so that they
// can be undone.
class X11RandRBackend::Plan {
public:
    Plan(RandRLayout layout, std::map<std::string, RandRCrtc>& saved)
        : m_layout(std::move(layout)), m_saved(saved) {}

    void disable(const RandROutput& output) {
        RandRCrtc& crtc = crtcOf(output.crtc);
        m_saved[output.name] = crtc;
        RandRCrtc changed = crtc;
        std::erase(changed.outputs, output.id);
        // A CRTC that shows other outputs too (a clone) keeps showing them.
        if (changed.outputs.empty()) changed = RandRCrtc{crtc.id, 0, 0, 0, randRRotate0, {}};
        m_disables.push_back(changed);
        crtc = changed;
    }

    void enable(const RandROutput& output) {
        if (output.modes.empty()) throw OutputConfigurationError(output.name + " offers no display mode.");
        const auto saved = m_saved.find(output.name);
        RandRCrtc wanted{0, output.modes.front(), 0, 0, randRRotate0, {output.id}};
        if (saved != m_saved.end() && contains(output.modes, saved->second.mode)) {
            wanted.mode = saved->second.mode;
            wanted.x = saved->second.x;
            wanted.y = saved->second.y;
            wanted.rotation = saved->second.rotation;
        } else {
            wanted.x = rightEdge();
        }
        wanted.id = freeCrtcFor(output, saved == m_saved.end() ? 0 : saved->second.id);
        m_enables.push_back(wanted);
        crtcOf(wanted.id) = wanted;
    }

    // Sends the requests: disables, the grown screen, enables, the final screen. Undoes the sent ones
    // in reverse when one is refused.
    void send(RandRServer& server, const std::string& names) {
        const RandRScreenSize finalSize = neededSize();
        const RandRScreenSize grown{std::max(finalSize.width, m_layout.size.width),
                                    std::max(finalSize.height, m_layout.size.height), 0, 0};
        std::vector<std::variant<RandRCrtc, RandRScreenSize>> steps(m_disables.begin(), m_disables.end());
        steps.emplace_back(withMillimetres(grown));
        steps.insert(steps.end(), m_enables.begin(), m_enables.end());
        steps.emplace_back(finalSize);

        // What the server has now, to undo each step with.
        std::map<RandRID, RandRCrtc> currentCrtcs;
        for (const RandRCrtc& crtc : m_originalCrtcs) currentCrtcs[crtc.id] = crtc;
        RandRScreenSize currentSize = m_layout.size;
        std::vector<std::variant<RandRCrtc, RandRScreenSize>> undo;
        for (const auto& step : steps) {
            const auto* crtc = std::get_if<RandRCrtc>(&step);
            const std::variant<RandRCrtc, RandRScreenSize> previous =
                crtc ? std::variant<RandRCrtc, RandRScreenSize>(currentCrtcs[crtc->id]) : currentSize;
            if (previous == step) continue;
            if (!sendStep(server, step)) {
                for (auto back = undo.rbegin(); back != undo.rend(); ++back) sendStep(server, *back);
                throw OutputConfigurationError("The X server refused the new layout of " + names + ".");
            }
            undo.push_back(previous);
            if (crtc) {
                currentCrtcs[crtc->id] = *crtc;
            } else {
                currentSize = std::get<RandRScreenSize>(step);
            }
        }
    }

private:
    static bool sendStep(RandRServer& server, const std::variant<RandRCrtc, RandRScreenSize>& step) {
        if (const auto* crtc = std::get_if<RandRCrtc>(&step)) return server.setCrtc(*crtc);
        return server.setScreenSize(std::get<RandRScreenSize>(step));
    }

    RandRCrtc& crtcOf(RandRID id) {
        const auto found = std::find_if(m_layout.crtcs.begin(), m_layout.crtcs.end(),
                                        [id](const RandRCrtc& crtc) { return crtc.id == id; });
        if (found == m_layout.crtcs.end()) throw OutputConfigurationError("The X server lists no such CRTC.");
        return *found;
    }

    // The CRTC the output had, when it is still free and can drive it; else the first free one.
    RandRID freeCrtcFor(const RandROutput& output, RandRID preferred) {
        const auto isFree = [this](RandRID id) { return crtcOf(id).outputs.empty(); };
        if (preferred != 0 && contains(output.crtcs, preferred) && isFree(preferred)) return preferred;
        for (RandRID id : output.crtcs)
            if (isFree(id)) return id;
        throw OutputConfigurationError("No display controller is free for " + output.name +
                                       ": take another display off the desktop first.");
    }

    // The width and height a CRTC covers, turned by its rotation.
    std::pair<int, int> extent(const RandRCrtc& crtc) const {
        const auto mode = std::find_if(m_layout.modes.begin(), m_layout.modes.end(),
                                       [&](const RandRMode& m) { return m.id == crtc.mode; });
        if (mode == m_layout.modes.end()) return {0, 0};
        const bool turned = (crtc.rotation & (randRRotate90 | randRRotate270)) != 0;
        return turned ? std::pair{mode->height, mode->width} : std::pair{mode->width, mode->height};
    }

    int rightEdge() const {
        int edge = 0;
        for (const RandRCrtc& crtc : m_layout.crtcs)
            if (crtc.mode != 0) edge = std::max(edge, crtc.x + extent(crtc).first);
        return edge;
    }

    // The screen that just holds every CRTC, with the physical size at the same density.
    RandRScreenSize neededSize() const {
        RandRScreenSize size;
        for (const RandRCrtc& crtc : m_layout.crtcs) {
            if (crtc.mode == 0) continue;
            const auto [width, height] = extent(crtc);
            size.width = std::max(size.width, crtc.x + width);
            size.height = std::max(size.height, crtc.y + height);
        }
        if (size.width > m_layout.maxWidth || size.height > m_layout.maxHeight)
            throw OutputConfigurationError("The desktop would be larger than the X server allows (" +
                                           std::to_string(m_layout.maxWidth) + "x" +
                                           std::to_string(m_layout.maxHeight) + ").");
        return withMillimetres(size);
    }

    RandRScreenSize withMillimetres(RandRScreenSize size) const {
        const RandRScreenSize& now = m_layout.size;
        size.widthMM = now.width > 0 ? size.width * now.widthMM / now.width : 0;
        size.heightMM = now.height > 0 ? size.height * now.heightMM / now.height : 0;
        return size;
    }

    RandRLayout m_layout;
    const std::vector<RandRCrtc> m_originalCrtcs = m_layout.crtcs;
    std::map<std::string, RandRCrtc>& m_saved;
    std::vector<RandRCrtc> m_disables;
    std::vector<RandRCrtc> m_enables;
};

X11RandRBackend::X11RandRBackend(std::unique_ptr<RandRServer> server) : m_server(std::move(server)) {}

namespace {

// RandR's rotation and reflection bits as wl_output's transform, and back.
constexpr unsigned randRReflectX = 16;

int transformOf(unsigned rotation) {
    int quarterTurns = 0;
    while (quarterTurns < 3 && (rotation & (1u << quarterTurns)) == 0) ++quarterTurns;
    return quarterTurns + ((rotation & randRReflectX) ? 4 : 0);
}

unsigned rotationOf(int transform) {
    return (1u << (transform % 4)) | (transform >= 4 ? randRReflectX : 0);
}

// The output's mode of the place's size at the nearest rate; none when it has no mode of that size.
RandRID modeFor(const RandRLayout& layout, const RandROutput& output, const OutputPlace& place) {
    RandRID nearest = 0;
    double distance = 0;
    for (RandRID id : output.modes) {
        const auto mode = std::find_if(layout.modes.begin(), layout.modes.end(),
                                       [id](const RandRMode& m) { return m.id == id; });
        if (mode == layout.modes.end() || mode->width != place.width || mode->height != place.height)
            continue;
        if (nearest == 0 || std::abs(mode->refresh - place.refresh) < distance) {
            nearest = id;
            distance = std::abs(mode->refresh - place.refresh);
        }
    }
    return nearest;
}

}  // namespace

std::optional<OutputPlace> X11RandRBackend::placeOf(const OutputIdentity& output) const {
    return placeFor(m_places, output.connector);
}

void X11RandRBackend::rememberPlace(const OutputIdentity& output, const OutputPlace& place) {
    m_places[output.connector] = place;
}

std::vector<OutputCandidate> X11RandRBackend::connectedOutputs() {
    std::vector<OutputCandidate> outputs;
    try {
        for (const RandROutput& output : m_server->layout().outputs)
            if (output.connected) outputs.push_back({output.name, output.edid});
    } catch (const OutputConfigurationError&) {
        return {};  // the server did not describe its outputs this time; the names still match
    }
    return outputs;
}

void X11RandRBackend::applyWithin(const std::vector<OutputChange>& changes, const Deadline& deadline) {
    // Xlib waits for the server's replies without a limit of its own (a live server answers within
    // milliseconds); what the deadline can do is keep a change from starting once it has passed.
    requireTimeLeft(deadline);
    const ServerGrab grab(*m_server);
    RandRLayout layout = m_server->layout();
    std::vector<OutputCandidate> candidates;
    for (const RandROutput& output : layout.outputs) candidates.push_back({output.name, output.edid});

    std::vector<const RandROutput*> toDisable, toEnable;
    std::map<const RandROutput*, std::string> connectors;  // the program's name of each output changed
    std::size_t enabled = std::count_if(layout.outputs.begin(), layout.outputs.end(),
                                        [](const RandROutput& output) { return output.crtc != 0; });
    std::string names;
    for (const OutputChange& change : changes) {
        const auto index = findOutput(change.output, candidates);
        if (!index || !layout.outputs[*index].connected)
            throw OutputConfigurationError("The X server shows no connected output for " +
                                           change.output.connector + ".");
        const RandROutput& output = layout.outputs[*index];
        names += (names.empty() ? "" : ", ") + output.name;
        const bool isOn = output.crtc != 0;
        if (isOn == change.enabled) continue;
        (change.enabled ? toEnable : toDisable).push_back(&output);
        connectors[&output] = change.output.connector;
        enabled = change.enabled ? enabled + 1 : enabled - 1;
    }
    requireAnEnabledOutput(enabled);
    if (toDisable.empty() && toEnable.empty()) return;

    std::map<std::string, RandRCrtc> saved = m_saved;
    // An output another process took off goes back to the place it recorded, while its mode is there.
    for (const RandROutput* output : toEnable) {
        const auto place = m_places.find(connectors[output]);
        if (saved.contains(output->name) || place == m_places.end()) continue;
        if (const RandRID mode = modeFor(layout, *output, place->second))
            saved[output->name] = {
                0, mode, place->second.x, place->second.y, rotationOf(place->second.transform), {}};
    }
    Plan plan(layout, saved);
    for (const RandROutput* output : toDisable) plan.disable(*output);
    for (const RandROutput* output : toEnable) plan.enable(*output);
    plan.send(*m_server, names);
    for (const RandROutput* output : toDisable) {
        const RandRCrtc& crtc = saved.at(output->name);
        const auto mode = std::find_if(layout.modes.begin(), layout.modes.end(),
                                       [&](const RandRMode& m) { return m.id == crtc.mode; });
        m_places[connectors[output]] = OutputPlace{crtc.x,
                                                   crtc.y,
                                                   mode == layout.modes.end() ? 0 : mode->width,
                                                   mode == layout.modes.end() ? 0 : mode->height,
                                                   mode == layout.modes.end() ? 0 : mode->refresh,
                                                   1,
                                                   transformOf(crtc.rotation),
                                                   layout.primary == output->id};
    }
    for (const RandROutput* output : toEnable) {
        const auto place = m_places.find(connectors[output]);
        // The primary display is primary again; a refusal leaves it a display like the others.
        if (place != m_places.end() && place->second.primary) m_server->setPrimary(output->id);
        if (place != m_places.end()) m_places.erase(place);
        saved.erase(output->name);
    }
    m_saved = std::move(saved);
}

void X11RandRBackend::processEvents() {
    if (m_server->takeLayoutChanges() && m_changeHandler) m_changeHandler();
}

}  // namespace lumadesk
