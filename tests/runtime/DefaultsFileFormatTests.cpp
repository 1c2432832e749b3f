#include "runtime/DefaultsFileFormat.h"

#include <gtest/gtest.h>

#include "runtime/Base64.h"

namespace lumadesk {
namespace {

Data bytesOf(std::string_view text) {
    return Data(text.begin(), text.end());
}

TEST(Base64, MatchesTheStandardVectors) {
    const std::vector<std::pair<std::string, std::string>> vectors = {
        {"", ""},        {"f", "Zg=="},        {"fo", "Zm8="},
        {"foo", "Zm9v"}, {"foob", "Zm9vYg=="}, {"foobar", "Zm9vYmFy"}};
    for (const auto& [plain, encoded] : vectors) {
        EXPECT_EQ(encodeBase64(bytesOf(plain)), encoded);
        EXPECT_EQ(decodeBase64(encoded), bytesOf(plain));
    }
}

TEST(Base64, RejectsTextThatIsNotCanonical) {
    for (const std::string_view text :
         {"Zg", "Zg=", "Zg=a", "Z===", "====", "Zh==", "Zm9=", "Zm9v!A==", "=Zg="}) {
        EXPECT_FALSE(decodeBase64(text)) << text;
    }
}

TEST(DefaultsFileFormat, TellsIntegersFromDoublesByTheirText) {
    const auto values = parseDefaults(R"({"i": 3, "d": 3.0, "e": 1e2, "n": -7})");

    EXPECT_EQ(values.at("i"), DefaultsValue(std::int64_t{3}));
    EXPECT_EQ(values.at("d"), DefaultsValue(3.0));
    EXPECT_EQ(values.at("e"), DefaultsValue(100.0));
    EXPECT_EQ(values.at("n"), DefaultsValue(std::int64_t{-7}));
    EXPECT_EQ(parseDefaults(serialiseDefaults(values)), values);
}

TEST(DefaultsFileFormat, ReadsTaggedValues) {
    const auto values = parseDefaults(R"({"d": {"$data": "AP8="}, "x": {"$double": "-inf"}})");

    EXPECT_EQ(values.at("d"), DefaultsValue(Data{0x00, 0xFF}));
    EXPECT_EQ(values.at("x"), DefaultsValue(-std::numeric_limits<double>::infinity()));
}

TEST(DefaultsFileFormat, RejectsWhatItDidNotWrite) {
    for (const std::string_view text :
         {R"({"a": 1)", "null", R"("text")", R"({"a": null})", R"({"a": {}})", R"({"a": {"$data": 1}})",
          R"({"a": {"$double": "huge"}})", R"({"a": {"$text": "x"}})"}) {
        EXPECT_THROW(parseDefaults(text), DefaultsFormatError) << text;
    }
}

TEST(DefaultsFileFormat, ExplainsParseErrorsWithoutLibraryJargon) {
    try {
        parseDefaults("{\"a\": tru");
        ADD_FAILURE() << "parsed";
    } catch (const DefaultsFormatError& error) {
        EXPECT_EQ(std::string(error.what()).find("[json.exception"), std::string::npos) << error.what();
        EXPECT_NE(std::string(error.what()).find("line 1"), std::string::npos) << error.what();
    }
}

TEST(DefaultsFileFormat, RefusesTextThatIsNotUtf8) {
    EXPECT_THROW(serialiseDefaults({{"a", std::string("\xC3")}}), DefaultsFormatError);
    EXPECT_THROW(serialiseDefaults({{"\xFF", true}}), DefaultsFormatError);
}

}  // namespace
}  // namespace lumadesk
