// Writes the settings file over and over until it is killed: each round sets "payload" to a large
// text made of one repeated counter mark, then "counter" to that counter, so that a write takes long
// enough to be cut short. scripts/soak kills it with SIGKILL at random points; `--check` then reads
// the file as the program would and verifies that it is a whole version: it parses, the payload is
// complete and of one counter, and "counter" is that counter or the one before.
//   settings_writer <directory> [first counter]
//   settings_writer --check <directory>   prints the newest counter found; exits 1 when the file is bad
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <sstream>
#include <string>

#include "runtime/DefaultsFileFormat.h"
#include "runtime/JsonFileDefaults.h"
#include "runtime/SystemClock.h"

namespace {

constexpr std::size_t payloadSize = 64 * 1024;

std::string payloadFor(std::int64_t counter) {
    const std::string mark = std::to_string(counter) + ";";
    std::string payload;
    while (payload.size() < payloadSize) payload += mark;
    return payload;
}

int check(const std::filesystem::path& directory) {
    std::ifstream file(directory / "defaults.json", std::ios::binary);
    if (!file) {
        std::cerr << "the settings file is missing\n";
        return 1;
    }
    std::stringstream text;
    text << file.rdbuf();
    try {
        const auto values = lumadesk::parseDefaults(text.str());
        const auto& payload = std::get<std::string>(values.at("payload"));
        const std::int64_t mark = std::stoll(payload.substr(0, payload.find(';')));
        const auto counter = values.contains("counter") ? std::get<std::int64_t>(values.at("counter")) : mark - 1;
        if (payload != payloadFor(mark) || (counter != mark && counter != mark - 1)) {
            std::cerr << "the payload of " << mark << " does not go with counter " << counter << "\n";
            return 1;
        }
        std::cout << mark << "\n";
        return 0;
    } catch (const std::exception& error) {
        std::cerr << "the settings file is broken (" << text.str().size() << " bytes): " << error.what() << "\n";
        return 1;
    }
}

}  // namespace

int main(int argc, char** argv) {
    if (argc == 3 && std::string(argv[1]) == "--check") return check(argv[2]);
    if (argc < 2) {
        std::cerr << "usage: settings_writer <directory> [first counter] | --check <directory>\n";
        return 2;
    }
    const lumadesk::SystemClock clock;
    lumadesk::JsonFileDefaults defaults(argv[1], clock);
    for (std::int64_t counter = argc > 2 ? std::atoll(argv[2]) : 0;; ++counter) {
        defaults.setValue("payload", payloadFor(counter));
        defaults.setValue("counter", counter);
    }
}
