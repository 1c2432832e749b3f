#include "interface/logic/DiagnosticsContent.h"

#include "registry/CustomName.h"

#include <algorithm>
#include <utility>

namespace lumadesk {

namespace {

const char* flag(bool value) {
    return value ? "true" : "false";
}

}  // namespace

DiagnosticsContent::DiagnosticsContent(std::vector<Display> displays,
                                       const std::vector<Display>& visibleDisplays, PlatformFacts platform)
    : m_records(std::move(displays)), m_platform(std::move(platform)) {
    std::stable_sort(m_records.begin(), m_records.end(),
                     [](const Display& a, const Display& b) { return a.sortOrder < b.sortOrder; });
    for (const auto& display : visibleDisplays) m_managedHardwareIDs.push_back(display.hardwareID);
    std::sort(m_managedHardwareIDs.begin(), m_managedHardwareIDs.end());
    m_managedHardwareIDs.erase(std::unique(m_managedHardwareIDs.begin(), m_managedHardwareIDs.end()),
                               m_managedHardwareIDs.end());
    m_managedCount = m_managedHardwareIDs.size();
}

bool DiagnosticsContent::isManaged(const Display& display) const {
    return std::binary_search(m_managedHardwareIDs.begin(), m_managedHardwareIDs.end(), display.hardwareID);
}

std::vector<DiagnosticsContent::Row> DiagnosticsContent::rows() const {
    std::vector<Row> rows;
    for (const auto& display : m_records) {
        Row row;
        row.isActive = display.isPresent && display.isConnected;
        row.dotTooltip = row.isActive ? "Connected and present" : "Inactive record";
        row.name = trimmedName(display.displayName());
        if (row.name.empty()) row.name = "Unnamed record";
        row.modelName = display.modelName.empty() ? "Unknown model" : display.modelName;
        row.hardwareID = display.hardwareID;
        row.displayIDText = "CG ID " + std::to_string(display.id);
        row.managedText = isManaged(display) ? "Managed" : "Hidden record";
        row.presentText = display.isPresent ? "Present" : "Not present";
        row.ddcText = display.supportsDDC ? "DDC supported" : "No DDC";
        rows.push_back(std::move(row));
    }
    return rows;
}

std::string DiagnosticsContent::footerText() const {
    return std::to_string(managedCount()) + " managed, " + std::to_string(hiddenCount()) + " hidden records";
}

std::string DiagnosticsContent::copiedText() const {
    std::string text;
    for (const auto& display : m_records) {
        if (!text.empty()) text += "\n\n";
        text += "Name: " + display.displayName() + "\n";
        text += "Model: " + display.modelName + "\n";
        text += "Hardware ID: " + display.hardwareID + "\n";
        text += "CG ID: " + std::to_string(display.id) + "\n";
        text += std::string("Present: ") + flag(display.isPresent) + "\n";
        text += std::string("Connected: ") + flag(display.isConnected) + "\n";
        text += std::string("DDC: ") + flag(display.supportsDDC) + "\n";
        text += std::string("Managed: ") + flag(isManaged(display)) + "\n";
        text += "Sort order: " + std::to_string(display.sortOrder);
    }
    for (const auto& lines : {platformLines(), replyWaitLines()}) {
        std::string block;
        for (const auto& line : lines) block += (block.empty() ? "" : "\n") + line;
        if (!block.empty()) text += (text.empty() ? "" : "\n\n") + block;
    }
    return text;
}

std::vector<std::string> DiagnosticsContent::platformLines() const {
    std::vector<std::string> lines;
    if (!m_platform.displayConfigurationService.empty())
        lines.push_back("Display configuration: " + m_platform.displayConfigurationService);
    for (const auto& problem : m_platform.problems) lines.push_back("Problem: " + problem);
    return lines;
}

std::vector<std::string> DiagnosticsContent::replyWaitLines() const {
    std::vector<std::string> lines;
    for (const auto& [hardwareID, wait] : m_platform.replyWaits) {
        const auto milliseconds = std::chrono::duration_cast<std::chrono::milliseconds>(wait.wait).count();
        lines.push_back("DDC reply wait " + hardwareID + ": " + std::to_string(milliseconds) +
                        " ms, last read " + (wait.lastReadFailed ? "failed" : "ok"));
    }
    return lines;
}

}  // namespace lumadesk
