#include "cli/DisplayListFormatter.h"

#include <algorithm>
#include <array>

#include <nlohmann/json.hpp>

#include "runtime/PrintableText.h"

namespace lumadesk {

namespace {

constexpr std::size_t columnCount = 7;
using Row = std::array<std::string, columnCount>;

std::string yesNo(bool value) {
    return value ? "yes" : "no";
}

}  // namespace

std::string DisplayListFormatter::table(const std::vector<Display>& displays) {
    std::vector<Row> rows{{"HARDWARE ID", "NAME", "BRIGHTNESS", "CONNECTED", "PRESENT", "DDC", "ORDER"}};
    for (const Display& display : displays) {
        rows.push_back({printableText(display.hardwareID), printableText(display.displayName()),
                        std::to_string(display.brightness), yesNo(display.isConnected),
                        yesNo(display.isPresent), yesNo(display.supportsDDC),
                        std::to_string(display.sortOrder)});
    }
    std::array<std::size_t, columnCount> widths{};
    for (const Row& row : rows) {
        for (std::size_t column = 0; column < columnCount; ++column)
            widths[column] = std::max(widths[column], printedWidth(row[column]));
    }
    std::string text;
    for (const Row& row : rows) {
        std::string line;
        for (std::size_t column = 0; column < columnCount; ++column) {
            line += row[column];
            if (column + 1 < columnCount)
                line += std::string(widths[column] - printedWidth(row[column]) + 2, ' ');
        }
        text += line + "\n";
    }
    return text;
}

std::string DisplayListFormatter::json(const std::vector<Display>& displays) {
    nlohmann::ordered_json list = nlohmann::ordered_json::array();
    for (const Display& display : displays) {
        list.push_back(
            {{"id", display.id},
             {"hardwareID", display.hardwareID},
             {"modelName", display.modelName},
             {"customName", display.customName ? nlohmann::ordered_json(*display.customName) : nullptr},
             {"brightness", display.brightness},
             {"isConnected", display.isConnected},
             {"isPresent", display.isPresent},
             {"supportsDDC", display.supportsDDC},
             {"sortOrder", display.sortOrder}});
    }
    // Names from monitors may carry invalid UTF-8; they are written with U+FFFD rather than refused.
    return list.dump(2, ' ', false, nlohmann::ordered_json::error_handler_t::replace) + "\n";
}

}  // namespace lumadesk
