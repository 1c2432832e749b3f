#include "registry/PersistedDisplayCoding.h"

#include <chrono>
#include <cstdint>
#include <limits>
#include <stdexcept>
#include <string>
#include <utility>

#include <nlohmann/json.hpp>

#include "registry/DisplayStoreError.h"
#include "runtime/TextLimits.h"

namespace lumadesk {

namespace {

using nlohmann::json;

constexpr char readFailurePrefix[] = "The stored display list could not be read: ";

// Timestamps are stored as seconds since this instant, the reference date of the stored form.
constexpr WallInstant referenceDate{std::chrono::sys_days{std::chrono::January / 1 / 2001}};

// A problem inside one record; the array decoder adds which record it was.
class RecordError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

std::string quoted(const char* key) {
    return std::string("\"") + key + "\"";
}

double secondsSinceReferenceDate(WallInstant instant) {
    return std::chrono::duration<double>(instant - referenceDate).count();
}

// The instant for stored seconds; values WallInstant cannot hold (it counts nanoseconds in
// 64 bits, about 292 years either side of 1970) are refused rather than wrapped around.
WallInstant instantFromSecondsSinceReferenceDate(double seconds, const char* key) {
    const double sinceEpoch =
        seconds + std::chrono::duration<double>(referenceDate.time_since_epoch()).count();
    const double limit = static_cast<double>(
        std::chrono::duration_cast<std::chrono::seconds>(WallInstant::duration::max()).count() - 1);
    // Both the stored seconds (converted to nanoseconds on the way) and the instant must fit: -1e10 is an
    // instant of 1684, but not a count of nanoseconds.
    const auto fits = [limit](double value) { return value > -limit && value < limit; };
    if (!fits(seconds) || !fits(sinceEpoch)) throw RecordError(quoted(key) + " is out of range.");
    return referenceDate + std::chrono::round<WallInstant::duration>(std::chrono::duration<double>(seconds));
}

// The value of a key; null when the key is missing or holds null.
const json& optionalField(const json& object, const char* key) {
    static const json null;
    auto it = object.find(key);
    return it == object.end() ? null : *it;
}

const json& requiredField(const json& object, const char* key) {
    const json& value = optionalField(object, key);
    if (value.is_null()) throw RecordError(quoted(key) + " is missing.");
    return value;
}

std::string stringValue(const json& value, const char* key) {
    if (!value.is_string()) throw RecordError(quoted(key) + " must be a string.");
    return value.get<std::string>();
}

bool boolValue(const json& value, const char* key) {
    if (!value.is_boolean()) throw RecordError(quoted(key) + " must be true or false.");
    return value.get<bool>();
}

// Whole JSON numbers only (no fractions, texts or booleans), and only those the field can hold.
template <typename Integer>
Integer integerValue(const json& value, const char* key) {
    if (!value.is_number_integer()) throw RecordError(quoted(key) + " must be an integer.");
    auto checked = [key](auto number) {
        if (!std::in_range<Integer>(number)) {
            throw RecordError(quoted(key) + " must be between " +
                              std::to_string(std::numeric_limits<Integer>::min()) + " and " +
                              std::to_string(std::numeric_limits<Integer>::max()) + ".");
        }
        return static_cast<Integer>(number);
    };
    return value.is_number_unsigned() ? checked(value.get<std::uint64_t>())
                                      : checked(value.get<std::int64_t>());
}

WallInstant instantValue(const json& value, const char* key) {
    if (!value.is_number()) throw RecordError(quoted(key) + " must be a number.");
    return instantFromSecondsSinceReferenceDate(value.get<double>(), key);
}

template <typename Value, typename Read>
std::optional<Value> optionalValue(const json& object, const char* key, Read read) {
    const json& value = optionalField(object, key);
    if (value.is_null()) return std::nullopt;
    return read(value, key);
}

// A stored name, cut to the length names are kept at, whatever put a longer one there.
std::string nameValue(const json& value, const char* key) {
    return cutToCharacters(stringValue(value, key), maximumNameLength);
}

BrightnessRange rangeValue(const json& value, const char* key) {
    if (!value.is_object()) throw RecordError(quoted(key) + " must be an object.");
    const BrightnessRange range{
        .minimum = integerValue<int>(requiredField(value, "minimum"), "minimum"),
        .maximum = integerValue<int>(requiredField(value, "maximum"), "maximum"),
    };
    if (!range.isValid()) {
        throw RecordError(quoted(key) + " must have a minimum below its maximum, both between 0 and 100.");
    }
    return range;
}

json encodeRecord(const PersistedDisplay& record) {
    json object = json::object();
    object["hardwareID"] = record.hardwareID;
    if (record.modelName) object["modelName"] = *record.modelName;
    if (record.customName) object["customName"] = *record.customName;
    object["sortOrder"] = record.sortOrder;
    object["isConnected"] = record.isConnected;
    object["lastSeenAt"] = secondsSinceReferenceDate(record.lastSeenAt);
    if (record.savedDisplayID) object["savedDisplayID"] = *record.savedDisplayID;
    if (record.lastBrightness) object["lastBrightness"] = *record.lastBrightness;
    if (record.brightnessRange) {
        object["brightnessRange"] = {{"minimum", record.brightnessRange->minimum},
                                     {"maximum", record.brightnessRange->maximum}};
    }
    if (record.followsBuiltInScreen) object["followsBuiltInScreen"] = true;
    return object;
}

PersistedDisplay decodeRecord(const json& object) {
    if (!object.is_object()) throw RecordError("it must be an object.");
    PersistedDisplay record;
    record.hardwareID = stringValue(requiredField(object, "hardwareID"), "hardwareID");
    record.modelName = optionalValue<std::string>(object, "modelName", nameValue);
    record.customName = optionalValue<std::string>(object, "customName", nameValue);
    record.sortOrder = integerValue<int>(requiredField(object, "sortOrder"), "sortOrder");
    record.isConnected = boolValue(requiredField(object, "isConnected"), "isConnected");
    record.lastSeenAt = instantValue(requiredField(object, "lastSeenAt"), "lastSeenAt");
    record.savedDisplayID = optionalValue<DisplayID>(object, "savedDisplayID", integerValue<DisplayID>);
    record.lastBrightness = optionalValue<int>(object, "lastBrightness", integerValue<int>);
    record.brightnessRange = optionalValue<BrightnessRange>(object, "brightnessRange", rangeValue);
    record.followsBuiltInScreen =
        optionalValue<bool>(object, "followsBuiltInScreen", boolValue).value_or(false);
    return record;
}

json parseDocument(const Data& bytes) {
    try {
        return json::parse(bytes.begin(), bytes.end());
    } catch (const json::parse_error& error) {
        throw DisplayStoreError(std::string(readFailurePrefix) + "it is not valid JSON (error at byte " +
                                std::to_string(error.byte) + ").");
    } catch (const json::exception&) {
        // The parser also refuses numbers beyond the range of a double.
        throw DisplayStoreError(std::string(readFailurePrefix) + "it holds a number that is too large.");
    }
}

}  // namespace

Data encodeDisplayRecords(const std::vector<PersistedDisplay>& records) {
    json array = json::array();
    for (const auto& record : records) array.push_back(encodeRecord(record));
    // Names come from monitors and users; a stray invalid UTF-8 byte must not make saving impossible.
    const std::string text = array.dump(-1, ' ', false, json::error_handler_t::replace);
    return Data(text.begin(), text.end());
}

std::vector<PersistedDisplay> decodeDisplayRecords(const Data& bytes) {
    const json document = parseDocument(bytes);
    if (!document.is_array()) {
        throw DisplayStoreError(std::string(readFailurePrefix) + "it is not a list of display records.");
    }
    std::vector<PersistedDisplay> records;
    records.reserve(document.size());
    for (std::size_t index = 0; index < document.size(); ++index) {
        try {
            records.push_back(decodeRecord(document[index]));
        } catch (const RecordError& error) {
            throw DisplayStoreError(std::string(readFailurePrefix) + "record " + std::to_string(index + 1) +
                                    ": " + error.what());
        }
    }
    return records;
}

}  // namespace lumadesk
