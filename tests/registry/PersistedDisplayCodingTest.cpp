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

// One record with the four required keys and the given extra members.
std::string record(std::string_view extra) {
    std::string text = R"({"hardwareID":"4268-41234-1","sortOrder":1,"isConnected":true,"lastSeenAt":0)";
    if (!extra.empty()) text += std::string(",") + std::string(extra);
    return text + "}";
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
    const auto decodedAt = [](std::string_view seconds) {
        std::string text = R"([{"hardwareID":"x","sortOrder":0,"isConnected":true,"lastSeenAt":)";
        return decodeDisplayRecords(bytes(text + std::string(seconds) + "}]"))[0].lastSeenAt;
    };
    EXPECT_EQ(decodedAt("725760000"), newYear2024);
    EXPECT_EQ(decodedAt("86400.25"), referenceDate + 86400s + 250ms);
    EXPECT_EQ(decodedAt("-978307200"), WallInstant{});
}

TEST(PersistedDisplayCodingTest, OptionalKeysMayBeMissingOrNullAndUnknownKeysAreIgnored) {
    const auto records = decodeDisplayRecords(
        bytes("[" + record("") + "," + record(R"("modelName":null,"customName":null,"savedDisplayID":null,
                                                        "lastBrightness":null,"vendor":"x","extra":{"a":[1]})") +
              "]"));
    ASSERT_EQ(records.size(), 2u);
    const PersistedDisplay expected{
        .hardwareID = "4268-41234-1", .sortOrder = 1, .lastSeenAt = referenceDate};
    EXPECT_EQ(records[0], expected);
    EXPECT_EQ(records[1], expected);
}

TEST(PersistedDisplayCodingTest, WrongOrMissingFieldsFailWithTheRecordAndKey) {
    const std::string prefix = "The stored display list could not be read: record 1: ";
    const std::vector<std::pair<std::string, std::string>> cases = {
        {R"({"sortOrder":1,"isConnected":true,"lastSeenAt":0})", R"("hardwareID" is missing.)"},
        {R"({"hardwareID":null,"sortOrder":1,"isConnected":true,"lastSeenAt":0})",
         R"("hardwareID" is missing.)"},
        {R"({"hardwareID":12,"sortOrder":1,"isConnected":true,"lastSeenAt":0})",
         R"("hardwareID" must be a string.)"},
        {R"({"hardwareID":"x","isConnected":true,"lastSeenAt":0})", R"("sortOrder" is missing.)"},
        {R"({"hardwareID":"x","sortOrder":"1","isConnected":true,"lastSeenAt":0})",
         R"("sortOrder" must be an integer.)"},
        {R"({"hardwareID":"x","sortOrder":1.5,"isConnected":true,"lastSeenAt":0})",
         R"("sortOrder" must be an integer.)"},
        {R"({"hardwareID":"x","sortOrder":2.0,"isConnected":true,"lastSeenAt":0})",
         R"("sortOrder" must be an integer.)"},
        {R"({"hardwareID":"x","sortOrder":true,"isConnected":true,"lastSeenAt":0})",
         R"("sortOrder" must be an integer.)"},
        {R"({"hardwareID":"x","sortOrder":2147483648,"isConnected":true,"lastSeenAt":0})",
         R"("sortOrder" must be between -2147483648 and 2147483647.)"},
        {R"({"hardwareID":"x","sortOrder":1,"lastSeenAt":0})", R"("isConnected" is missing.)"},
        {R"({"hardwareID":"x","sortOrder":1,"isConnected":1,"lastSeenAt":0})",
         R"("isConnected" must be true or false.)"},
        {R"({"hardwareID":"x","sortOrder":1,"isConnected":true})", R"("lastSeenAt" is missing.)"},
        {R"({"hardwareID":"x","sortOrder":1,"isConnected":true,"lastSeenAt":"today"})",
         R"("lastSeenAt" must be a number.)"},
        {R"({"hardwareID":"x","sortOrder":1,"isConnected":true,"lastSeenAt":1e300})",
         R"("lastSeenAt" is out of range.)"},
        {R"({"hardwareID":"x","sortOrder":1,"isConnected":true,"lastSeenAt":-1e13})",
         R"("lastSeenAt" is out of range.)"},
        {record(R"("modelName":5)"), R"("modelName" must be a string.)"},
        {record(R"("customName":["a"])"), R"("customName" must be a string.)"},
        {record(R"("savedDisplayID":-1)"), R"("savedDisplayID" must be between 0 and 4294967295.)"},
        {record(R"("savedDisplayID":4294967296)"), R"("savedDisplayID" must be between 0 and 4294967295.)"},
        {record(R"("savedDisplayID":"7")"), R"("savedDisplayID" must be an integer.)"},
        {record(R"("lastBrightness":35.5)"), R"("lastBrightness" must be an integer.)"},
        {record(R"("lastBrightness":false)"), R"("lastBrightness" must be an integer.)"},
        {"[]", "it must be an object."},
        {"\"x\"", "it must be an object."},
    };
    for (const auto& [text, problem] : cases) {
        EXPECT_EQ(decodingFailure("[" + text + "]"), prefix + problem) << text;
    }

    // The whole list fails with the number of the first bad record.
    EXPECT_EQ(decodingFailure("[" + record("") + "," + record(R"("sortOrder":"2")") + "]"),
              R"(The stored display list could not be read: record 2: "sortOrder" must be an integer.)");
}

TEST(PersistedDisplayCodingTest, GarbageFailsWithAReadableMessage) {
    const std::string prefix = "The stored display list could not be read: ";
    EXPECT_EQ(decodingFailure("garbage"), prefix + "it is not valid JSON (error at byte 1).");
    EXPECT_EQ(decodingFailure(""), prefix + "it is not valid JSON (error at byte 1).");
    EXPECT_EQ(decodingFailure(R"([{"a":1)"), prefix + "it is not valid JSON (error at byte 8).");
    EXPECT_EQ(decodingFailure("[\"\xFF\"]"), prefix + "it is not valid JSON (error at byte 3).");
    EXPECT_EQ(decodingFailure("[1e400]"), prefix + "it holds a number that is too large.");
    EXPECT_EQ(decodingFailure(record("")), prefix + "it is not a list of display records.");
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
