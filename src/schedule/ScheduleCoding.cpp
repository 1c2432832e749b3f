#include "schedule/ScheduleCoding.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <string_view>

#include <nlohmann/json.hpp>

namespace lumadesk {

namespace {

using nlohmann::json;

constexpr std::array<std::pair<ScheduleAnchor, std::string_view>, 3> anchorNames{{
    {ScheduleAnchor::timeOfDay, "time"},
    {ScheduleAnchor::sunrise, "sunrise"},
    {ScheduleAnchor::sunset, "sunset"},
}};

[[noreturn]] void fail(const std::string& what) {
    throw ScheduleCodingError("The schedule could not be read: " + what);
}

int integerIn(const json& object, const char* key, int minimum, int maximum, int fallback) {
    const auto found = object.find(key);
    if (found == object.end() || found->is_null()) return fallback;
    if (!found->is_number_integer() || *found < minimum || *found > maximum) {
        fail(std::string("\"") + key + "\" must be a whole number from " + std::to_string(minimum) + " to " +
             std::to_string(maximum) + ".");
    }
    return found->get<int>();
}

double degreesIn(const json& object, const char* key, double limit) {
    const auto found = object.find(key);
    if (found == object.end() || !found->is_number() || std::abs(found->get<double>()) > limit) {
        fail(std::string("\"") + key + "\" must be a number from " +
             std::to_string(static_cast<int>(-limit)) + " to " + std::to_string(static_cast<int>(limit)) +
             ".");
    }
    return found->get<double>();
}

json encodeEntry(const ScheduleEntry& entry) {
    json object = json::object();
    for (const auto& [anchor, name] : anchorNames) {
        if (anchor == entry.anchor) object["anchor"] = name;
    }
    object["minutes"] = entry.minutes;
    if (entry.weekdays != 0) {
        json days = json::array();
        for (unsigned day = 0; day < 7; ++day) {
            if (entry.appliesOn(day)) days.push_back(day);
        }
        object["weekdays"] = days;
    }
    if (entry.level) object["level"] = *entry.level;
    if (!entry.displayLevels.empty()) object["displayLevels"] = entry.displayLevels;
    object["transitionMinutes"] = entry.transitionMinutes;
    return object;
}

ScheduleEntry decodeEntry(const json& object) {
    if (!object.is_object()) fail("an entry must be an object.");
    ScheduleEntry entry;
    const auto anchor = object.find("anchor");
    const auto named = std::ranges::find_if(anchorNames, [&](const auto& pair) {
        return anchor != object.end() && anchor->is_string() && anchor->get<std::string>() == pair.second;
    });
    if (named == anchorNames.end()) fail("\"anchor\" must be \"time\", \"sunrise\" or \"sunset\".");
    entry.anchor = named->first;
    entry.minutes = entry.anchor == ScheduleAnchor::timeOfDay
                        ? integerIn(object, "minutes", 0, ScheduleEntry::minutesPerDay - 1, 0)
                        : integerIn(object, "minutes", -ScheduleEntry::maximumOffsetMinutes,
                                    ScheduleEntry::maximumOffsetMinutes, 0);
    if (const auto days = object.find("weekdays"); days != object.end()) {
        if (!days->is_array()) fail("\"weekdays\" must be a list of days from 0 (Sunday) to 6.");
        for (const auto& day : *days) {
            if (!day.is_number_integer() || day < 0 || day > 6)
                fail("\"weekdays\" must be a list of days from 0 (Sunday) to 6.");
            entry.weekdays |= static_cast<std::uint8_t>(1u << day.get<unsigned>());
        }
    }
    if (object.contains("level")) entry.level = integerIn(object, "level", 0, 100, 0);
    if (const auto levels = object.find("displayLevels"); levels != object.end()) {
        if (!levels->is_object()) fail("\"displayLevels\" must map hardware IDs to levels.");
        for (const auto& [hardwareID, level] : levels->items()) {
            entry.displayLevels[hardwareID] = integerIn(*levels, hardwareID.c_str(), 0, 100, 0);
        }
    }
    entry.transitionMinutes =
        integerIn(object, "transitionMinutes", 0, ScheduleEntry::maximumTransitionMinutes, 0);
    return entry;
}

}  // namespace

std::string encodeSchedule(const ScheduleSettings& settings) {
    json document = json::object();
    json entries = json::array();
    for (const auto& entry : settings.entries) entries.push_back(encodeEntry(entry));
    document["entries"] = entries;
    if (settings.location) {
        document["location"] = {{"latitude", settings.location->latitude},
                                {"longitude", settings.location->longitude}};
    }
    document["applyAtStart"] = settings.applyAtStart;
    return document.dump(-1, ' ', false, json::error_handler_t::replace);
}

ScheduleSettings decodeSchedule(const std::string& text) {
    const json document = json::parse(text, nullptr, false);
    if (document.is_discarded() || !document.is_object()) fail("it is not a JSON object.");
    ScheduleSettings settings;
    if (const auto entries = document.find("entries"); entries != document.end()) {
        if (!entries->is_array()) fail("\"entries\" must be a list.");
        for (const auto& entry : *entries) settings.entries.push_back(decodeEntry(entry));
    }
    if (const auto location = document.find("location"); location != document.end() && !location->is_null()) {
        if (!location->is_object()) fail("\"location\" must be an object.");
        settings.location =
            GeoLocation{degreesIn(*location, "latitude", 90), degreesIn(*location, "longitude", 180)};
    }
    if (const auto apply = document.find("applyAtStart"); apply != document.end()) {
        if (!apply->is_boolean()) fail("\"applyAtStart\" must be true or false.");
        settings.applyAtStart = apply->get<bool>();
    }
    return settings;
}

}  // namespace lumadesk
