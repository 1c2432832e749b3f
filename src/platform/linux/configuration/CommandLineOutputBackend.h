#pragma once

#include <chrono>
#include <map>
#include <string>
#include <vector>

#include "platform/linux/configuration/OutputConfigurationBackend.h"
#include "platform/linux/configuration/ProcessRunner.h"

namespace lumadesk {

// An output as a compositor's command-line tool lists it.
struct ToolOutput {
    std::string name;
    bool enabled = false;
    std::string mode;      // the current mode in the tool's own spelling; empty when off
    std::string position;  // "x,y"; empty when off
    int rightEdge = 0;     // x plus width when on
    // The first mode listed, in the tool's spelling, when the tool marks none preferred; empty otherwise.
    std::string unpreferredMode{};
};

// A session whose compositor is configured through its command-line tool: list the outputs, run the
// tool once with every change (the tool applies them as one configuration), list again and check that
// the compositor really did what was asked, since such tools do not always fail loudly.
class CommandLineOutputBackend : public OutputConfigurationBackend {
public:
    bool isSupported() const override { return true; }
    void setChangeHandler(std::function<void()> handler) override { m_changeHandler = std::move(handler); }
    int eventDescriptor() const override { return -1; }
    void processEvents() override {}

protected:
    // The tool, its Debian package (for the message when it is missing), the desktop's name, and how
    // the tool is run.
    CommandLineOutputBackend(std::string program, std::string package, std::string desktop,
                             ProcessRunning runner);

    void applyWithin(const std::vector<OutputChange>& changes, const Deadline& deadline) override;

    // The outputs, read from the tool's listing.
    virtual std::vector<ToolOutput> parseListing(const std::string& listing) const = 0;
    // The tool's arguments that list the outputs.
    virtual std::vector<std::string> listArguments() const = 0;
    // The tool's arguments that turn an output off.
    virtual std::vector<std::string> disableArguments(const ToolOutput& output) const = 0;
    // The tool's arguments that turn an output on where it was before (saved is empty when it was never
    // seen on), else right of the outputs that are on.
    virtual std::vector<std::string> enableArguments(const ToolOutput& output, const ToolOutput& saved,
                                                     int rightEdge) const = 0;

private:
    std::vector<ToolOutput> listOutputs(const Deadline& deadline);
    ProcessResult run(const std::vector<std::string>& arguments, const Deadline& deadline);
    // The arguments that turn each named output on (true) or off, in the listing's order.
    std::vector<std::string> changeArguments(const std::vector<ToolOutput>& outputs,
                                             const std::map<std::string, bool>& wanted,
                                             const std::map<std::string, ToolOutput>& saved) const;
    // After a change that failed half way: turns the outputs that did change back as they were; the
    // names of those that stay changed.
    std::string rollBack(const std::vector<ToolOutput>& before, const std::map<std::string, bool>& wanted,
                         const Deadline& deadline);

    std::string m_program;
    std::string m_package;
    std::string m_desktop;
    ProcessRunning m_runner;
    std::function<void()> m_changeHandler;
    std::map<std::string, ToolOutput> m_saved;  // by name: how an output was before it was disabled
};

}  // namespace lumadesk
