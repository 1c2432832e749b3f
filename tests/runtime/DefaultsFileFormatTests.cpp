#include "runtime/DefaultsFileFormat.h"

#include <gtest/gtest.h>

#include "runtime/Base64.h"

namespace lumadesk {
namespace {

Data bytesOf(std::string_view text) {
    return Data(text.begin(), text.end());
}

TEST(Base64, MatchesTheStandardVectorsAndRejectsTextThatIsNotCanonical) {
    const std::vector<std::pair<std::string, std::string>> vectors = {
        {"", ""},        {"f", "Zg=="},        {"fo", "Zm8="},
        {"foo", "Zm9v"}, {"foob", "Zm9vYg=="}, {"foobar", "Zm9vYmFy"}};
    for (const auto& [plain, encoded] : vectors) {
        EXPECT_EQ(encodeBase64(bytesOf(plain)), encoded);
        EXPECT_EQ(decodeBase64(encoded), bytesOf(plain));
    }
    // Missing or stray padding, and unused bits that are not zero, would let two texts mean one value.
    for (const std::string_view text :
         {"Zg", "Zg=", "Zg=a", "Z===", "====", "Zh==", "Zm9=", "Zm9v!A==", "=Zg="}) {
        EXPECT_FALSE(decodeBase64(text)) << text;
    }
}

TEST(DefaultsFileFormat, RefusesWhatItDidNotWrite) {
    for (const std::string_view text :
         {R"({"a": 1)", "null", R"("text")", R"({"a": null})", R"({"a": {}})", R"({"a": {"$data": 1}})",
          R"({"a": {"$double": "huge"}})", R"({"a": {"$text": "x"}})",
          // A number beyond a double's range: the JSON parser throws something other than a parse error.
          R"({"a": 5555e55555})", "5555e55555eg"}) {
        EXPECT_THROW(parseDefaults(text), DefaultsFormatError) << text;
    }
    // The message says where the text broke, without the JSON library's jargon.
    try {
        parseDefaults("{\"a\": tru");
        ADD_FAILURE() << "parsed";
    } catch (const DefaultsFormatError& error) {
        EXPECT_EQ(std::string(error.what()).find("[json.exception"), std::string::npos) << error.what();
        EXPECT_NE(std::string(error.what()).find("line 1"), std::string::npos) << error.what();
    }
    // Keys that are not UTF-8 cannot be written as JSON (the settings file tests cover values).
    EXPECT_THROW(serialiseDefaults({{"\xFF", true}}), DefaultsFormatError);
}

}  // namespace
}  // namespace lumadesk
