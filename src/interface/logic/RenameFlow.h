#pragma once

#include <optional>
#include <string>
#include <utility>

#include "interface/logic/DisplayRowContext.h"

namespace lumadesk {

// Renaming a display in its row: offered in the settings context only. Return commits the trimmed
// text unless it is blank, Escape drops it, and losing focus does neither.
class RenameFlow {
public:
    explicit RenameFlow(DisplayRowContext context) : m_context(context) {}

    bool isRenaming() const { return m_isRenaming; }
    const std::string& draftName() const { return m_draftName; }
    void setDraftName(std::string text) { m_draftName = std::move(text); }

    // Opens the name field with the current name; false (and nothing happens) in the popover.
    bool begin(const std::string& currentName);
    // Closes the field; returns the name to store, or nothing when the text was blank.
    std::optional<std::string> commit();
    // Closes the field and drops the text.
    void cancel() { m_isRenaming = false; }

private:
    DisplayRowContext m_context;
    bool m_isRenaming = false;
    std::string m_draftName;
};

}  // namespace lumadesk
