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

// Opening a settings file just under the 16 MiB limit: one value of base64 data, as a stored display list
// of many records takes.
void loadLargestSettingsFile(benchmark::State& state) {
    std::string directory = (std::filesystem::temp_directory_path() / "lumadesk-bench-XXXXXX").string();
    if (::mkdtemp(directory.data()) == nullptr) {
        state.SkipWithError("cannot create a temporary directory");
        return;
    }
    SystemClock clock;
    {
        // Base64 grows data by a third: 12 MiB of data make a file of about 16 MiB.
        JsonFileDefaults(directory, clock).setValue("persistedDisplays", Data(12 * 1024 * 1024 - 64, 'x'));
    }
    for (auto _ : state) {
        JsonFileDefaults defaults(directory, clock);
        benchmark::DoNotOptimize(defaults.dataValue("persistedDisplays"));
    }
    state.counters["file_MiB"] =
        static_cast<double>(std::filesystem::file_size(std::filesystem::path(directory) / "defaults.json")) /
        (1024 * 1024);
    std::filesystem::remove_all(directory);
}
BENCHMARK(loadLargestSettingsFile)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace lumadesk
