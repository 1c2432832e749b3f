#pragma once

#include <cstddef>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "interface/logic/PopoverContent.h"

namespace lumadesk {

// What the Displays page of the settings window shows: the same displays and states as the popover,
// a table card whose height follows the number of rows, and the all-displays line's texts.
class DisplaysPageContent {
public:
    static constexpr int rowHeight = 62;
    static constexpr int headerHeight = 90;
    static constexpr int maximumTableHeight = 360;

    DisplaysPageContent(bool hasLoaded, std::vector<Display> visibleDisplays);

    // Loading, empty, or the table (the popover's list state).
    PopoverContentState state() const { return m_content.state(); }
    const std::vector<Display>& shownDisplays() const { return m_content.shownDisplays(); }
    const std::vector<Display>& controllableDisplays() const { return m_content.controllableDisplays(); }

    // min(62 × N + 90, 360); the rows scroll beyond that.
    int tableHeight() const;
    // The all-displays slider acts only when a display can take its level.
    bool isAllDisplaysEnabled() const { return !controllableDisplays().empty(); }
    std::string allDisplaysTooltip() const;
    // The level beside the slider ("46%", or "—" when nothing is controllable).
    std::string allDisplaysLevelText(int level) const;
    // What assistive technology reads as the slider's value.
    std::string allDisplaysSpokenValue(int level) const;

private:
    PopoverContent m_content;
};

// A completed drag of rows: the offsets moved and where they go, both counted in the shown list.
struct RowMove {
    std::set<std::size_t> fromOffsets;
    std::size_t toOffset = 0;

    friend bool operator==(const RowMove&, const RowMove&) = default;
};

// The move of the row at `from` dropped before the row at `destination` (the count for the end), or
// none when the drop changes nothing (onto itself, just below itself) or lies outside the list.
std::optional<RowMove> rowMove(std::size_t from, std::size_t destination, std::size_t count);

// Where a drop at height `y` goes among rows whose vertical centres are `centres`, top to bottom: before
// the first row whose centre lies below it.
std::size_t dropDestination(const std::vector<int>& centres, int y);

}  // namespace lumadesk
