#include "interface/logic/PopoverContent.h"

#include <algorithm>
#include <iterator>
#include <utility>

#include "interface/logic/DisplayPresentation.h"

namespace lumadesk {

PopoverContent::PopoverContent(bool hasLoaded, std::vector<Display> visibleDisplays)
    : m_hasLoaded(hasLoaded), m_shownDisplays(std::move(visibleDisplays)) {
    std::stable_sort(m_shownDisplays.begin(), m_shownDisplays.end(),
                     [](const Display& a, const Display& b) { return a.sortOrder < b.sortOrder; });
    std::copy_if(m_shownDisplays.begin(), m_shownDisplays.end(), std::back_inserter(m_controllableDisplays),
                 [](const Display& display) { return DisplayPresentation(display).isControllable(); });
}

PopoverContentState PopoverContent::state() const {
    if (!m_hasLoaded) return PopoverContentState::loading;
    return m_shownDisplays.empty() ? PopoverContentState::empty : PopoverContentState::list;
}

std::string PopoverContent::subtitle() const {
    if (!m_hasLoaded) return "Finding displays";
    if (m_shownDisplays.size() == 1) return "1 display";
    return std::to_string(m_shownDisplays.size()) + " displays";
}

int PopoverContent::listHeight() const {
    int height = 0;
    for (const auto& display : m_shownDisplays) {
        height +=
            DisplayPresentation(display).isControllable() ? rowHeightWithSlider : rowHeightWithoutSlider;
    }
    return std::clamp(height, rowHeightWithoutSlider, maximumListHeight);
}

}  // namespace lumadesk
