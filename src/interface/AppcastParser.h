#pragma once

#include <optional>
#include <string>
#include <vector>

#include "interface/logic/UpdateDecision.h"

#include <QByteArray>

namespace lumadesk {

// Reads an appcast: an RSS feed whose items announce releases, each with its version as an element or
// an attribute of the enclosure (`sparkle:version`, `sparkle:shortVersionString`) and an optional
// release-notes link. Plain data in, plain data out; it never throws.
class AppcastParser {
public:
    struct Result {
        std::vector<AppcastItem> items;
        std::optional<std::string> error;  // why the feed could not be read
    };

    static Result parse(const QByteArray& feed);
};

}  // namespace lumadesk
