#pragma once

#include <string>
#include <vector>

#include "registry/Display.h"

namespace lumadesk {

// Which of its three bodies the popover shows.
enum class PopoverContentState { loading, empty, list };

// What the popover shows for one state of the manager: the displays in the user's order, which of
// them a slider acts on, the header's subtitle, the body, whether the all-displays card is there, and
// how high the list is.
class PopoverContent {
public:
    static constexpr int rowHeightWithSlider = 70;
    static constexpr int rowHeightWithoutSlider = 46;
    static constexpr int maximumListHeight = 280;

    // `visibleDisplays` in the manager's order; `hasLoaded` false until its first refresh ended.
    PopoverContent(bool hasLoaded, std::vector<Display> visibleDisplays);

    // The visible displays sorted by `sortOrder`; equal orders keep the manager's order.
    const std::vector<Display>& shownDisplays() const { return m_shownDisplays; }
    // The shown displays whose brightness can be set, in the same order.
    const std::vector<Display>& controllableDisplays() const { return m_controllableDisplays; }

    PopoverContentState state() const;
    // "Finding displays" before the first load, then "1 display" or "N displays".
    std::string subtitle() const;
    // The all-displays card is worth showing only when it acts on two displays or more.
    bool showsAllDisplaysCard() const { return m_controllableDisplays.size() >= 2; }
    // The rows' heights added up, kept between one short row and four rows with sliders.
    int listHeight() const;

private:
    bool m_hasLoaded;
    std::vector<Display> m_shownDisplays;
    std::vector<Display> m_controllableDisplays;
};

}  // namespace lumadesk
