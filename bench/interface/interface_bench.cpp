// How long the popover's list takes to follow a new display list of eight displays: all rows new (the
// displays' IDs changed), or the same rows with new values.
#include <benchmark/benchmark.h>

#include <vector>

#include "interface/DisplayRowList.h"
#include "runtime/ManualMainQueue.h"

#include <QApplication>
#include <QLayout>

using namespace lumadesk;

namespace {

constexpr int displayCount = 8;

std::vector<lumadesk::Display> eightDisplays(DisplayID firstID, int brightness) {
    std::vector<lumadesk::Display> displays;
    for (int i = 0; i < displayCount; ++i) {
        lumadesk::Display display;
        display.id = firstID + static_cast<DisplayID>(i);
        display.hardwareID = "4268-41234-" + std::to_string(i);
        display.modelName = "Northwind 27Q (" + std::to_string(i + 1) + ")";
        display.brightness = brightness + i;
        display.supportsDDC = i % 4 != 3;  // every fourth without DDC, so both row shapes occur
        display.sortOrder = i;
        displays.push_back(display);
    }
    return displays;
}

DisplayRowCallbacks noCallbacks(const lumadesk::Display&) {
    return {[](std::optional<std::string>) {}, {}, [](int) -> Task<void> { co_return; }};
}

struct ListFixture {
    VirtualClock clock;
    ManualMainQueue queue{clock};
    DisplayRowList list{queue, noCallbacks};

    ListFixture() {
        list.resize(340, 600);
        list.show();
    }
    // Applies the displays as the popover does, lays the list out and lets replaced rows go.
    void apply(const std::vector<lumadesk::Display>& displays) {
        list.setDisplays(displays);
        list.layout()->activate();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
};

void RebuildListOfEightNewDisplays(benchmark::State& state) {
    ListFixture fixture;
    const auto first = eightDisplays(1, 40);
    const auto second = eightDisplays(101, 40);
    bool useFirst = true;
    for (auto _ : state) {
        fixture.apply(useFirst ? first : second);
        useFirst = !useFirst;
    }
}
BENCHMARK(RebuildListOfEightNewDisplays)->Unit(benchmark::kMicrosecond);

void UpdateListOfEightDisplays(benchmark::State& state) {
    ListFixture fixture;
    const auto dim = eightDisplays(1, 30);
    const auto bright = eightDisplays(1, 60);
    fixture.apply(dim);
    bool useBright = true;
    for (auto _ : state) {
        fixture.apply(useBright ? bright : dim);
        useBright = !useBright;
    }
}
BENCHMARK(UpdateListOfEightDisplays)->Unit(benchmark::kMicrosecond);

}  // namespace

int main(int argc, char** argv) {
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
