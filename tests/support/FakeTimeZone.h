#pragma once

#include <chrono>
#include <utility>
#include <vector>

#include "schedule/LocalTimeZone.h"

namespace lumadesk {

// A time zone with a standard offset and, within given periods, a summer offset.
class FakeTimeZone final : public LocalTimeZone {
public:
    FakeTimeZone(std::chrono::seconds standard, std::chrono::seconds summer,
                 std::vector<std::pair<WallInstant, WallInstant>> summerPeriods)
        : m_standard(standard), m_summer(summer), m_summerPeriods(std::move(summerPeriods)) {}

    // Central European time in 2026: summer time from 29 March to 25 October, 01:00 UTC.
    static FakeTimeZone centralEurope2026() {
        using namespace std::chrono;
        return FakeTimeZone(
            hours(1), hours(2),
            {{sys_days{March / 29 / 2026} + hours(1), sys_days{October / 25 / 2026} + hours(1)}});
    }

    std::chrono::seconds offsetAt(WallInstant instant) const override {
        for (const auto& [begin, end] : m_summerPeriods) {
            if (instant >= begin && instant < end) return m_summer;
        }
        return m_standard;
    }

private:
    std::chrono::seconds m_standard;
    std::chrono::seconds m_summer;
    std::vector<std::pair<WallInstant, WallInstant>> m_summerPeriods;
};

}  // namespace lumadesk
