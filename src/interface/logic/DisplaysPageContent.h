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
    // The card's height where the page leaves it `room`: its own height where that fits, else the room,
    // the rows scrolling inside it; never less than the lines above the rows and one row (the page
    // scrolls then).
    int tableHeight(int room) const;
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

// A row's place in the list, from its top to just past its bottom.
struct RowSpan {
    int top = 0;
    int bottom = 0;
};

// What a row dragged over the list at height `y` would do if dropped there: the move, and the height of
// the line that shows where it goes (the top of the row it goes before, or under the last row). A place
// where the drop changes nothing has neither.
struct DropTarget {
    std::optional<RowMove> move;
    std::optional<int> indicatorY;

    friend bool operator==(const DropTarget&, const DropTarget&) = default;
};

// The drop of the row at `from` at height `y` among `rows`, top to bottom: it goes before the first row
// whose middle lies below `y`.
DropTarget dropTarget(const std::vector<RowSpan>& rows, std::size_t from, int y);

}  // namespace lumadesk
