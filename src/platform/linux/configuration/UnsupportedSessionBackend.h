#pragma once

#include "platform/linux/configuration/OutputConfigurationBackend.h"

namespace lumadesk {

// A session with no display-configuration service this program can drive (a console, an unknown
// compositor): every change fails and says so.
class UnsupportedSessionBackend final : public OutputConfigurationBackend {
public:
    static constexpr char message[] = "Taking a display off the desktop is not supported in this session.";

    std::string name() const override { return "none (not supported in this session)"; }
    bool isSupported() const override { return false; }
    void setChangeHandler(std::function<void()>) override {}
    int eventDescriptor() const override { return -1; }
    void processEvents() override {}

protected:
    void applyWithin(const std::vector<OutputChange>& changes, const Deadline& deadline) override;
};

}  // namespace lumadesk
