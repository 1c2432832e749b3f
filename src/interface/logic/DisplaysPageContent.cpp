#include "interface/logic/DisplaysPageContent.h"

#include <algorithm>
#include <utility>

#include "interface/logic/BrightnessLevel.h"

namespace lumadesk {

DisplaysPageContent::DisplaysPageContent(bool hasLoaded, std::vector<Display> visibleDisplays)
    : m_content(hasLoaded, std::move(visibleDisplays)) {}

int DisplaysPageContent::tableHeight() const {
    const std::size_t height = rowHeight * shownDisplays().size() + headerHeight;
    return static_cast<int>(std::min<std::size_t>(height, maximumTableHeight));
}

int DisplaysPageContent::tableHeight(int room) const {
    const int natural = tableHeight();
    return std::clamp(room, std::min(natural, headerHeight + rowHeight), natural);
}

std::string DisplaysPageContent::allDisplaysTooltip() const {
    return isAllDisplaysEnabled() ? "Adjust brightness for all displays"
                                  : "No displays support DDC brightness control";
}

std::string DisplaysPageContent::allDisplaysLevelText(int level) const {
    return isAllDisplaysEnabled() ? percentText(level) : "—";
}

std::string DisplaysPageContent::allDisplaysSpokenValue(int level) const {
    return isAllDisplaysEnabled() ? percentSpoken(level) : "Unavailable";
}

std::optional<RowMove> rowMove(std::size_t from, std::size_t destination, std::size_t count) {
    if (from >= count || destination > count) return std::nullopt;
    if (destination == from || destination == from + 1) return std::nullopt;
    return RowMove{{from}, destination};
}

DropTarget dropTarget(const std::vector<RowSpan>& rows, std::size_t from, int y) {
    const auto below = std::find_if(rows.begin(), rows.end(),
                                    [y](const RowSpan& row) { return y < (row.top + row.bottom) / 2; });
    const auto destination = static_cast<std::size_t>(below - rows.begin());
    auto move = rowMove(from, destination, rows.size());
    if (!move) return {};
    return {std::move(move), below == rows.end() ? rows.back().bottom : below->top};
}

}  // namespace lumadesk
