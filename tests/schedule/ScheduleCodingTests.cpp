#include "schedule/ScheduleCoding.h"

#include <gtest/gtest.h>

#include "runtime/InMemoryDefaults.h"
#include "schedule/ScheduleStore.h"

namespace lumadesk {
namespace {

TEST(ScheduleCodingTest, RoundTripsAndRefusesBadValuesWithAReadableMessage) {
    ScheduleSettings settings;
    settings.location = GeoLocation{52.52, -13.405};
    settings.applyAtStart = false;
    settings.entries = {
        {.anchor = ScheduleAnchor::timeOfDay, .minutes = 420, .level = 80},
        {.anchor = ScheduleAnchor::sunset,
         .minutes = -45,
         .weekdays = 0b1000001,
         .displayLevels = {{"10-1-1", 30}},
         .transitionMinutes = 30},
    };
    const std::string text = encodeSchedule(settings);
    EXPECT_EQ(
        text,
        R"({"applyAtStart":false,"entries":[{"anchor":"time","level":80,"minutes":420,"transitionMinutes":0},)"
        R"({"anchor":"sunset","displayLevels":{"10-1-1":30},"minutes":-45,"transitionMinutes":30,)"
        R"("weekdays":[0,6]}],"location":{"latitude":52.52,"longitude":-13.405}})");
    EXPECT_EQ(decodeSchedule(text), settings);
    EXPECT_EQ(decodeSchedule("{}"), ScheduleSettings{});

    const std::pair<const char*, const char*> refused[] = {
        {"[]", "it is not a JSON object."},
        {"{", "it is not a JSON object."},
        {R"({"entries":{}})", "\"entries\" must be a list."},
        {R"({"entries":[{"anchor":"noon"}]})", "\"anchor\" must be \"time\", \"sunrise\" or \"sunset\"."},
        {R"({"entries":[{"anchor":"time","minutes":1440}]})",
         "\"minutes\" must be a whole number from 0 to 1439."},
        {R"({"entries":[{"anchor":"sunrise","minutes":-721}]})",
         "\"minutes\" must be a whole number from -720 to 720."},
        {R"({"entries":[{"anchor":"time","level":101}]})", "\"level\" must be a whole number from 0 to 100."},
        {R"({"entries":[{"anchor":"time","weekdays":[7]}]})",
         "\"weekdays\" must be a list of days from 0 (Sunday) to 6."},
        {R"({"entries":[{"anchor":"time","displayLevels":{"a":"x"}}]})",
         "\"a\" must be a whole number from 0 to 100."},
        {R"({"location":{"latitude":91,"longitude":0}})", "\"latitude\" must be a number from -90 to 90."},
        {R"({"applyAtStart":1})", "\"applyAtStart\" must be true or false."},
    };
    for (const auto& [stored, message] : refused) {
        try {
            decodeSchedule(stored);
            ADD_FAILURE() << stored << " was accepted";
        } catch (const ScheduleCodingError& error) {
            EXPECT_EQ(std::string(error.what()), std::string("The schedule could not be read: ") + message)
                << stored;
        }
    }
}

}  // namespace
}  // namespace lumadesk

namespace lumadesk {
namespace {

TEST(ScheduleStoreTest, KeepsTheScheduleInTheDefaultsAndReadsDamageAsEmpty) {
    InMemoryDefaults defaults;
    ScheduleStore store(defaults);
    EXPECT_EQ(store.load(), ScheduleSettings{});
    ScheduleSettings settings;
    settings.entries = {{.anchor = ScheduleAnchor::sunrise, .minutes = 15, .level = 60}};
    store.save(settings);
    EXPECT_EQ(ScheduleStore(defaults).load(), settings);
    EXPECT_FALSE(store.lastProblem());

    defaults.setValue(ScheduleStore::storageKey, std::string(R"({"entries":[{"anchor":"noon"}]})"));
    EXPECT_EQ(store.load(), ScheduleSettings{});
    EXPECT_EQ(store.lastProblem(),
              "The schedule could not be read: \"anchor\" must be \"time\", \"sunrise\" or \"sunset\".");
    defaults.setValue(ScheduleStore::storageKey, std::int64_t{3});
    EXPECT_EQ(store.load(), ScheduleSettings{});
    EXPECT_EQ(store.lastProblem(), "The schedule could not be read: it is not text.");
}

}  // namespace
}  // namespace lumadesk
