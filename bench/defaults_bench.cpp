#include <benchmark/benchmark.h>
#include <stdlib.h>

#include <filesystem>
#include <string>

#include "runtime/JsonFileDefaults.h"
#include "runtime/SystemClock.h"

namespace lumadesk {
namespace {

// A JSON array of display records of about 200 bytes each, as the display store persists them.
Data persistedDisplays(int count) {
    std::string json = "[";
    for (int index = 0; index < count; ++index) {
        if (index > 0) json += ",";
        const auto number = std::to_string(index);
        json += R"({"identifier":"display-)" + number + R"(","name":"Desk monitor )" + number +
                R"(","vendorNumber":4268,"modelNumber":)" + std::to_string(41000 + index) +
                R"(,"serialNumber":)" + std::to_string(900000 + index) +
                R"(,"isHidden":false,"isMuted":false,"maximumBrightness":100,"brightness":0.75,"order":)" +
                number + "}";
    }
    json += "]";
    return Data(json.begin(), json.end());
}

void writePersistedDisplays(benchmark::State& state) {
    std::string directory = (std::filesystem::temp_directory_path() / "lumadesk-bench-XXXXXX").string();
    if (::mkdtemp(directory.data()) == nullptr) {
        state.SkipWithError("cannot create a temporary directory");
        return;
    }
    const auto value = persistedDisplays(1000);
    {
        SystemClock clock;
        JsonFileDefaults defaults(directory, clock);
        for (auto _ : state) defaults.setValue("persistedDisplays", value);
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * value.size()));
    std::filesystem::remove_all(directory);
}
BENCHMARK(writePersistedDisplays)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace lumadesk
