#include "runtime/DefaultsFileFormat.h"

#include <nlohmann/json.hpp>

#include <cmath>
#include <cstdint>
#include <limits>
#include <type_traits>
#include <variant>

#include "runtime/Base64.h"

namespace lumadesk {

namespace {

using Json = nlohmann::json;

constexpr const char* dataTag = "$data";
constexpr const char* doubleTag = "$double";

// nlohmann's messages start with "[json.exception.parse_error.101] "; the user needs only the rest.
std::string plainMessage(const Json::exception& error) {
    const std::string_view message = error.what();
    const auto end = message.find("] ");
    return std::string(end == std::string_view::npos ? message : message.substr(end + 2));
}

Json encodeDouble(double number) {
    if (std::isfinite(number)) return number;
    const char* name = std::isnan(number) ? "nan" : number > 0 ? "inf" : "-inf";
    return Json::object({{doubleTag, name}});
}

Json encodeValue(const DefaultsValue& value) {
    return std::visit(
        [](const auto& typed) -> Json {
            using T = std::decay_t<decltype(typed)>;
            if constexpr (std::is_same_v<T, Data>) {
                return Json::object({{dataTag, encodeBase64(typed)}});
            } else if constexpr (std::is_same_v<T, double>) {
                return encodeDouble(typed);
            } else {
                return typed;
            }
        },
        value);
}

std::optional<DefaultsValue> decodeTagged(const Json& object) {
    if (object.size() != 1 || !object.begin().value().is_string()) return std::nullopt;
    const auto& tag = object.begin().key();
    const auto& text = object.begin().value().get_ref<const std::string&>();
    if (tag == dataTag) {
        if (auto bytes = decodeBase64(text)) return DefaultsValue(std::move(*bytes));
    } else if (tag == doubleTag) {
        constexpr auto infinity = std::numeric_limits<double>::infinity();
        if (text == "nan") return DefaultsValue(std::numeric_limits<double>::quiet_NaN());
        if (text == "inf") return DefaultsValue(infinity);
        if (text == "-inf") return DefaultsValue(-infinity);
    }
    return std::nullopt;
}

std::optional<DefaultsValue> decodeValue(const Json& json) {
    switch (json.type()) {
        case Json::value_t::boolean:
            return json.get<bool>();
        case Json::value_t::number_integer:
            return json.get<std::int64_t>();
        case Json::value_t::number_unsigned:
            if (json.get<std::uint64_t>() > std::uint64_t{std::numeric_limits<std::int64_t>::max()})
                return std::nullopt;
            return json.get<std::int64_t>();
        case Json::value_t::number_float:
            return json.get<double>();
        case Json::value_t::string:
            return json.get<std::string>();
        case Json::value_t::object:
            return decodeTagged(json);
        default:
            return std::nullopt;
    }
}

// Finds integers too large for 64 bits, which the parser hands over as doubles: their text has no
// fraction or exponent. Everything else is accepted; the document is built by the parser itself.
class IntegerRangeCheck final : public nlohmann::json_sax<Json> {
public:
    bool foundIntegerBeyond64Bits = false;

    bool null() override { return true; }
    bool boolean(bool) override { return true; }
    bool number_integer(number_integer_t) override { return true; }
    bool number_unsigned(number_unsigned_t) override { return true; }
    bool number_float(number_float_t, const string_t& text) override {
        foundIntegerBeyond64Bits = text.find_first_of(".eE") == string_t::npos;
        return !foundIntegerBeyond64Bits;
    }
    bool string(string_t&) override { return true; }
    bool binary(binary_t&) override { return true; }
    bool start_object(std::size_t) override { return true; }
    bool key(string_t&) override { return true; }
    bool end_object() override { return true; }
    bool start_array(std::size_t) override { return true; }
    bool end_array() override { return true; }
    bool parse_error(std::size_t, const std::string&, const nlohmann::detail::exception&) override {
        return false;
    }
};

}  // namespace

DefaultsMap parseDefaults(std::string_view text) {
    Json document;
    try {
        document = Json::parse(text);
    } catch (const Json::exception& error) {  // also a number beyond a double, such as 1e400
        throw DefaultsFormatError(plainMessage(error));
    }
    // The parser reads an integer beyond 64 bits as a double; the file format does not allow it.
    IntegerRangeCheck check;
    Json::sax_parse(text, &check);
    if (check.foundIntegerBeyond64Bits) throw DefaultsFormatError("the file holds an integer beyond 64 bits");
    if (!document.is_object()) throw DefaultsFormatError("the file does not hold a JSON object");
    DefaultsMap values;
    for (const auto& [key, json] : document.items()) {
        auto value = decodeValue(json);
        if (!value) throw DefaultsFormatError("the value of \"" + key + "\" has an unknown shape");
        values.emplace(key, std::move(*value));
    }
    return values;
}

std::string serialiseDefaults(const DefaultsMap& values) {
    Json document = Json::object();
    for (const auto& [key, value] : values) document[key] = encodeValue(value);
    try {
        return document.dump(2) + "\n";
    } catch (const Json::type_error& error) {
        throw DefaultsFormatError(plainMessage(error));
    }
}

}  // namespace lumadesk
