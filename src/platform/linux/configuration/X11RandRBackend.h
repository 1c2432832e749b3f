#pragma once

#include <map>
#include <memory>

#include "platform/linux/configuration/OutputConfigurationBackend.h"
#include "platform/linux/configuration/RandRServer.h"

namespace lumadesk {

// X11 sessions: a change is a sequence of CRTC and screen-size requests under a server grab, undone in
// reverse when the server refuses one. A disabled output's CRTC, mode, position and rotation are kept
// so that enabling it puts it back where it was (else its preferred mode right of the rightmost output).
class X11RandRBackend final : public OutputConfigurationBackend {
public:
    explicit X11RandRBackend(std::unique_ptr<RandRServer> server);

    std::string name() const override { return "X11 RandR"; }
    bool isSupported() const override { return true; }
    void setChangeHandler(std::function<void()> handler) override { m_changeHandler = std::move(handler); }
    int eventDescriptor() const override { return m_server->eventDescriptor(); }
    void processEvents() override;
    // X drivers name outputs their own way (some number them from 0), so the EDIDs tell which is which.
    std::vector<OutputCandidate> connectedOutputs() override;
    std::optional<OutputPlace> placeOf(const OutputIdentity& output) const override;
    void rememberPlace(const OutputIdentity& output, const OutputPlace& place) override;

protected:
    void applyWithin(const std::vector<OutputChange>& changes, const Deadline& deadline) override;

private:
    class Plan;

    std::unique_ptr<RandRServer> m_server;
    std::function<void()> m_changeHandler;
    std::map<std::string, RandRCrtc> m_saved;  // by output name: the CRTC state before it was disabled
    // By the program's connector name: where each output this backend took off was, and where the ones
    // another process took off were (rememberPlace()).
    OutputPlacesByConnector m_places;
};

}  // namespace lumadesk
