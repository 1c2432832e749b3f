#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "interface/logic/PlatformStatus.h"
#include "registry/Display.h"

namespace lumadesk {

// The diagnostics sheet: every record the manager holds, by `sortOrder`, with the facts used to
// recognise and restore it, and below them what the platform tells about itself. A record is managed
// while the program shows it (present, or held disconnected); the others are hidden records remembered
// from the store.
class DiagnosticsContent {
public:
    // One line of the list, as it reads.
    struct Row {
        bool isActive = false;  // present and connected: a green dot
        std::string dotTooltip;
        std::string name;
        std::string modelName;
        std::string hardwareID;
        std::string displayIDText;  // "CG ID 2"
        std::string managedText;
        std::string presentText;
        std::string ddcText;
    };

    // `displays` and `visibleDisplays` as the manager holds them.
    DiagnosticsContent(std::vector<Display> displays, const std::vector<Display>& visibleDisplays,
                       PlatformFacts platform = {});

    const std::vector<Display>& records() const { return m_records; }
    std::vector<Row> rows() const;
    std::size_t managedCount() const { return m_managedCount; }
    std::size_t hiddenCount() const {
        return m_records.size() > m_managedCount ? m_records.size() - m_managedCount : 0;
    }
    // "2 managed, 1 hidden records".
    std::string footerText() const;
    // "Display configuration: <service>", then "Problem: <text>" for each platform problem.
    std::vector<std::string> platformLines() const;
    // "DDC reply wait <hardware ID>: 60 ms, last read ok" (or "failed") for each online monitor.
    std::vector<std::string> replyWaitLines() const;
    bool canCopy() const {
        return !m_records.empty() || !platformLines().empty() || !replyWaitLines().empty();
    }
    // What "Copy Diagnostics" puts on the clipboard: a block of nine lines per record, then a block of the
    // platform lines and one of the reply-wait lines, blocks apart by one empty line, no line feed at the
    // end.
    std::string copiedText() const;

private:
    bool isManaged(const Display& display) const;

    std::vector<Display> m_records;
    std::vector<std::string> m_managedHardwareIDs;  // sorted
    std::size_t m_managedCount = 0;
    PlatformFacts m_platform;
};

}  // namespace lumadesk
