#pragma once

#include <stdexcept>
#include <string>

#include "schedule/ScheduleEntry.h"

namespace lumadesk {

// A schedule that cannot be read; the message says what is wrong, for the user.
class ScheduleCodingError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// The stored form: a JSON object with "entries", an optional "location" and "applyAtStart".
std::string encodeSchedule(const ScheduleSettings& settings);
// Throws ScheduleCodingError for text that is not a schedule or holds values out of range.
ScheduleSettings decodeSchedule(const std::string& text);

}  // namespace lumadesk
