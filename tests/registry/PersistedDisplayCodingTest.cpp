#include "registry/PersistedDisplayCoding.h"

#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include "registry/DisplayStoreError.h"

namespace lumadesk {
namespace {

using namespace std::chrono_literals;
using nlohmann::json;

const WallInstant referenceDate{std::chrono::sys_days{std::chrono::January / 1 / 2001}};

Data bytes(std::string_view text) {
    return Data(text.begin(), text.end());
}

json parsed(const Data& data) {
    return json::parse(data.begin(), data.end());
}

// The message decoding the text fails with; empty when it decodes.
std::string decodingFailure(std::string_view text) {
    try {
        decodeDisplayRecords(bytes(text));
    } catch (const DisplayStoreError& error) {
        return error.what();
    }
    return {};
}

// A record with the four required keys, each of the fields set to its JSON text or, when that is empty,
// left out.
std::string recordWith(const std::vector<std::pair<std::string, std::string>>& fields) {
    json made = {{"hardwareID", "4268-41234-1"}, {"sortOrder", 1}, {"isConnected", true}, {"lastSeenAt", 0}};
    for (const auto& [key, value] : fields) {
        if (value.empty()) {
            made.erase(key);
        } else {
            made[key] = json::parse(value);
        }
    }
    return made.dump();
}

TEST(PersistedDisplayCodingTest, RoundTripsFullAndMinimalRecords) {
    const PersistedDisplay full{.hardwareID = "4268-41234-1",
                                .modelName = "U2720Q",
                                .customName = "Desk left",
                                .sortOrder = -3,
                                .isConnected = false,
                                .lastSeenAt = referenceDate + 725760000s + 500ms,
                                .savedDisplayID = 4294967295u,
                                .lastBrightness = 35};
    const PersistedDisplay minimal{.hardwareID = "1552-1-2", .sortOrder = 4, .lastSeenAt = referenceDate};

    const Data encoded = encodeDisplayRecords({full, minimal});
    EXPECT_EQ(decodeDisplayRecords(encoded), (std::vector<PersistedDisplay>{full, minimal}));

    const json array = parsed(encoded);
    ASSERT_EQ(array.size(), 2u);
    EXPECT_EQ(array[0],
              json::parse(R"({"hardwareID":"4268-41234-1","modelName":"U2720Q","customName":"Desk left",
        "sortOrder":-3,"isConnected":false,"lastSeenAt":725760000.5,"savedDisplayID":4294967295,"lastBrightness":35})"));
    // Absent optionals leave their keys out instead of writing null.
    EXPECT_EQ(array[1],
              json::parse(R"({"hardwareID":"1552-1-2","sortOrder":4,"isConnected":true,"lastSeenAt":0.0})"));
    EXPECT_EQ(encodeDisplayRecords({}), bytes("[]"));
}

TEST(PersistedDisplayCodingTest, DatesAreSecondsSince2001) {
    const WallInstant newYear2024{std::chrono::sys_days{std::chrono::January / 1 / 2024}};
    const json encoded =
        parsed(encodeDisplayRecords({PersistedDisplay{.hardwareID = "x", .lastSeenAt = newYear2024}}));
    EXPECT_TRUE(encoded[0]["lastSeenAt"].is_number_float());
    EXPECT_DOUBLE_EQ(encoded[0]["lastSeenAt"].get<double>(), 725760000.0);

    // Integers and fractions both decode; the Unix epoch lies before the reference date.
    const auto decodedAt = [](const std::string& seconds) {
        return decodeDisplayRecords(bytes("[" + recordWith({{"lastSeenAt", seconds}}) + "]"))[0].lastSeenAt;
    };
    EXPECT_EQ(decodedAt("725760000"), newYear2024);
    EXPECT_EQ(decodedAt("86400.25"), referenceDate + 86400s + 250ms);
    EXPECT_EQ(decodedAt("-978307200"), WallInstant{});
}

TEST(PersistedDisplayCodingTest, OptionalKeysMayBeMissingOrNullAndUnknownKeysAreIgnored) {
    const auto records = decodeDisplayRecords(bytes("[" + recordWith({}) + "," +
                                                    recordWith({{"modelName", "null"},
                                                                {"customName", "null"},
                                                                {"savedDisplayID", "null"},
                                                                {"lastBrightness", "null"},
                                                                {"vendor", R"("x")"},
                                                                {"extra", R"({"a": [1]})"}}) +
                                                    "]"));
    ASSERT_EQ(records.size(), 2u);
    const PersistedDisplay expected{
        .hardwareID = "4268-41234-1", .sortOrder = 1, .lastSeenAt = referenceDate};
    EXPECT_EQ(records[0], expected);
    EXPECT_EQ(records[1], expected);
}

TEST(PersistedDisplayCodingTest, WrongOrMissingFieldsFailWithTheRecordAndKey) {
    const std::vector<std::tuple<std::string, std::string, std::string>> cases = {
        {"hardwareID", "", R"("hardwareID" is missing.)"},
        {"hardwareID", "null", R"("hardwareID" is missing.)"},
        {"hardwareID", "12", R"("hardwareID" must be a string.)"},
        {"sortOrder", "", R"("sortOrder" is missing.)"},
        {"sortOrder", R"("1")", R"("sortOrder" must be an integer.)"},
        {"sortOrder", "2.0", R"("sortOrder" must be an integer.)"},
        {"sortOrder", "true", R"("sortOrder" must be an integer.)"},
        {"sortOrder", "2147483648", R"("sortOrder" must be between -2147483648 and 2147483647.)"},
        {"isConnected", "", R"("isConnected" is missing.)"},
        {"isConnected", "1", R"("isConnected" must be true or false.)"},
        {"lastSeenAt", "", R"("lastSeenAt" is missing.)"},
        {"lastSeenAt", R"("today")", R"("lastSeenAt" must be a number.)"},
        {"lastSeenAt", "1e300", R"("lastSeenAt" is out of range.)"},
        {"lastSeenAt", "-1e13", R"("lastSeenAt" is out of range.)"},
        // Within range since 1970, but not as nanoseconds since 2001: once converted through overflow.
        {"lastSeenAt", "-1e10", R"("lastSeenAt" is out of range.)"},
        {"lastSeenAt", "-9.3e9", R"("lastSeenAt" is out of range.)"},
        {"modelName", "5", R"("modelName" must be a string.)"},
        {"customName", R"(["a"])", R"("customName" must be a string.)"},
        {"savedDisplayID", "-1", R"("savedDisplayID" must be between 0 and 4294967295.)"},
        {"savedDisplayID", "4294967296", R"("savedDisplayID" must be between 0 and 4294967295.)"},
        {"savedDisplayID", R"("7")", R"("savedDisplayID" must be an integer.)"},
        {"lastBrightness", "35.5", R"("lastBrightness" must be an integer.)"}};
    const std::string prefix = "The stored display list could not be read: record ";
    for (const auto& [key, value, problem] : cases) {
        EXPECT_EQ(decodingFailure("[" + recordWith({{key, value}}) + "]"), prefix + "1: " + problem)
            << key << value;
    }
    EXPECT_EQ(decodingFailure("[[]]"), prefix + "1: it must be an object.");
    // The whole list fails with the number of the first bad record.
    EXPECT_EQ(decodingFailure("[" + recordWith({}) + "," + recordWith({{"sortOrder", R"("2")"}}) + "]"),
              prefix + R"(2: "sortOrder" must be an integer.)");
}

TEST(PersistedDisplayCodingTest, GarbageFailsWithAReadableMessage) {
    const std::string prefix = "The stored display list could not be read: ";
    EXPECT_EQ(decodingFailure("garbage"), prefix + "it is not valid JSON (error at byte 1).");
    EXPECT_EQ(decodingFailure(""), prefix + "it is not valid JSON (error at byte 1).");
    EXPECT_EQ(decodingFailure(R"([{"a":1)"), prefix + "it is not valid JSON (error at byte 8).");
    EXPECT_EQ(decodingFailure("[\"\xFF\"]"), prefix + "it is not valid JSON (error at byte 3).");
    EXPECT_EQ(decodingFailure("[1e400]"), prefix + "it holds a number that is too large.");
    EXPECT_EQ(decodingFailure(recordWith({})), prefix + "it is not a list of display records.");
    EXPECT_EQ(decodingFailure("null"), prefix + "it is not a list of display records.");
    EXPECT_FALSE(decodingFailure(std::string(100000, '[')).empty());
}

TEST(PersistedDisplayCodingTest, InvalidUtf8InNamesIsReplacedSoSavingStillWorks) {
    const PersistedDisplay broken{.hardwareID = "4268-1-2", .modelName = std::string("Mon\xE9tor")};
    const auto decoded = decodeDisplayRecords(encodeDisplayRecords({broken}));
    ASSERT_EQ(decoded.size(), 1u);
    EXPECT_EQ(decoded[0].hardwareID, "4268-1-2");
    EXPECT_EQ(decoded[0].modelName, "Mon\xEF\xBF\xBDtor");
}

}  // namespace
}  // namespace lumadesk
