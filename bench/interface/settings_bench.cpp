// The settings window's figures, run by interface_bench: opening it to its first paint, the Displays
// page following a new display list of 8 and of 50 displays (all IDs new, so every row is rebuilt), and
// reading an appcast of 200 releases.
#include <benchmark/benchmark.h>

#include <string>

#include "interface/AppcastParser.h"
#include "interface/DisplaysPage.h"
#include "interface/SettingsView.h"
#include "support/DisplayManagerHarness.h"

#include <QCoreApplication>
#include <QLayout>
#include <QPixmap>

using namespace lumadesk;

namespace {

// Grants as a desktop with everything allowed has them.
class AllGranted final : public KeyboardPermissionControlling {
public:
    KeyboardGrants grants() const override { return {true, true}; }
    bool refresh() override { return false; }
    void requestAccess() override {}
    Subscription observe(std::function<void()>) override { return {}; }
};

// A desk of `count` displays whose IDs start at `firstID`.
void plugDesk(DisplayManagerHarness& desk, int count, DisplayID firstID) {
    for (int i = 0; i < count; ++i) {
        desk.ddc.plugIn(
            DisplayManagerHarness::snapshot(firstID + static_cast<DisplayID>(i),
                                            "4268-41234-" + std::to_string(firstID + i), i % 4 != 3),
            40 + i % 50);
    }
}

void OpenSettingsToFirstPaint(benchmark::State& state) {
    DisplayManagerHarness desk;
    plugDesk(desk, 4, 1);
    desk.start();
    desk.refresh();
    AllGranted permissions;
    for (auto _ : state) {
        SettingsView view(*desk.manager, desk.queue, desk.defaults, permissions, {});
        view.present();
        benchmark::DoNotOptimize(view.grab());
        state.PauseTiming();
        view.hide();
        desk.queue.runUntilIdle();
        state.ResumeTiming();
    }
}
BENCHMARK(OpenSettingsToFirstPaint)->Unit(benchmark::kMillisecond);

void RebuildDisplaysPage(benchmark::State& state) {
    const int count = static_cast<int>(state.range(0));
    DisplayManagerHarness desk;
    desk.start();
    DisplaysPage page(*desk.manager, desk.queue);
    page.resize(760, 330);
    page.show();
    DisplayID firstID = 1;
    for (auto _ : state) {
        state.PauseTiming();
        for (int i = 0; i < count; ++i) desk.ddc.unplug(firstID + static_cast<DisplayID>(i));
        firstID += static_cast<DisplayID>(count);
        plugDesk(desk, count, firstID);
        state.ResumeTiming();
        desk.refresh();
        page.layout()->activate();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
}
BENCHMARK(RebuildDisplaysPage)->Arg(8)->Arg(50)->Unit(benchmark::kMillisecond);

void ParseAppcastOf200Items(benchmark::State& state) {
    QByteArray feed =
        "<?xml version=\"1.0\"?><rss xmlns:sparkle=\"http://www.andymatuschak.org/xml-namespaces/"
        "sparkle\"><channel><title>Lumadesk</title>";
    for (int i = 0; i < 200; ++i) {
        const QByteArray number = QByteArray::number(i);
        feed += "<item><title>Lumadesk 1." + number + "</title><description><![CDATA[<p>Changes in 1." +
                number + "</p>]]></description><sparkle:releaseNotesLink>https://example.org/notes/1." +
                number +
                "</sparkle:releaseNotesLink><pubDate>Sun, 06 Dec 2026 10:00:00 +0000</pubDate><enclosure "
                "url=\"https://example.org/lumadesk-1." +
                number + ".tar.gz\" sparkle:version=\"" + number + "\" sparkle:shortVersionString=\"1." +
                number + "\" length=\"1048576\" type=\"application/octet-stream\"/></item>";
    }
    feed += "</channel></rss>";
    for (auto _ : state) benchmark::DoNotOptimize(AppcastParser::parse(feed));
    state.counters["bytes"] = static_cast<double>(feed.size());
}
BENCHMARK(ParseAppcastOf200Items)->Unit(benchmark::kMicrosecond);

}  // namespace
