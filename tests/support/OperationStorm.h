#pragma once

#include <algorithm>
#include <cstdint>
#include <memory>
#include <optional>
#include <random>
#include <set>
#include <string>
#include <vector>

#include "registry/DisplayStore.h"
#include "runtime/RunSync.h"
#include "support/KeyedDesk.h"

namespace lumadesk {

// A KeyedDesk launched and refreshed, with what the storm and the long runs need of it.
struct StormDesk : KeyedDesk {
    DisplayManager& manager = stack->displayManager();
    SimulatedDesk& desk = platform->desk();

    StormDesk() {
        launch();
        runSync(queue, manager.refresh());
    }

    // One press and release of a brightness key, and the writes it starts.
    void pressBrightnessKey(bool up) {
        keyboard.pressBrightnessKey(up, true);
        queue.runUntilIdle();
        keyboard.pressBrightnessKey(up, false);
        queue.advanceBy(std::chrono::seconds(1));
    }

    std::vector<PersistedDisplay> storedRecords() { return DisplayStore(stack->defaults()).load(); }

    // One virtual minute of a day at the desk: a monitor unplugged or plugged back in, a brightness key
    // pressed and released, the rest of the minute idle.
    void spendMinute(std::mt19937_64& random) {
        const std::size_t index = std::uniform_int_distribution<std::size_t>(0, desk.displayCount() - 1)(random);
        if (m_unplugged.erase(index)) {
            desk.plug(index);
        } else {
            desk.unplug(index);
            m_unplugged.insert(index);
        }
        queue.runUntilIdle();
        pressBrightnessKey(random() % 2 == 0);
        queue.advanceBy(std::chrono::seconds(59));
        // The harness's own records (every virtual sleep, every panel move) would grow with the run.
        sleeper.clear();
        panels.log.clear();
    }

    // The sizes of what the program keeps while it runs: the list, the held displays, the stored records
    // and the main queue's waiting jobs. A long run must not make any of them grow.
    std::vector<std::size_t> containerSizes() {
        return {manager.displays().size(), manager.disconnectedDisplayIDs().size(), storedRecords().size(),
                queue.pendingJobCount()};
    }

private:
    std::set<std::size_t> m_unplugged;
};

// Random operations on a StormDesk, each followed by a check of what must always hold:
//  - every display this program holds off the desktop is really disabled in the window server;
//  - the sort orders are 0...n-1 without gaps;
//  - no display once listed is lost, from the list or from the stored records;
//  - a monitor's level changes only by a brightness operation and only while it is on the desktop (never
//    one held off it, or another display's twin); a level that landed is shown, and a single write that
//    reported no failure left the monitor at the level asked for.
class OperationStorm {
public:
    enum Operation { setOne, setAll, stepAll, rename, reorder, disconnect, connect, refresh, hotPlug, fault, key };
    static constexpr int operationCount = key + 1;

    struct Figures {
        std::uint64_t steps = 0;
        std::uint64_t checks = 0;
        std::uint64_t byOperation[operationCount] = {};
        std::uint64_t reportedFailures = 0;
    };

    OperationStorm(StormDesk& desk, std::uint64_t seed) : m_desk(desk), m_random(seed) { remember(); }

    // Runs one random operation and checks the invariants; the first broken one, described, or none.
    std::optional<std::string> step() {
        const auto operation = static_cast<Operation>(pick(operationCount));
        ++m_figures.steps;
        ++m_figures.byOperation[operation];
        const auto& displays = m_desk.manager.displays();
        const std::string target = displays.empty() ? "none" : displays[pick(displays.size())].hardwareID;
        std::optional<int> asked;
        std::string detail;
        std::vector<int> levelsBefore;
        for (std::size_t i = 0; i < m_desk.desk.displayCount(); ++i)
            levelsBefore.push_back(m_desk.desk.monitor(i).brightness());
        auto& manager = m_desk.manager;
        switch (operation) {
            case setOne:
                asked = static_cast<int>(pick(121)) - 10;
                runSync(m_desk.queue, manager.setBrightness(*asked, target));
                break;
            case setAll: runSync(m_desk.queue, manager.setBrightnessForAllDisplays(static_cast<int>(pick(101)))); break;
            case stepAll: runSync(m_desk.queue, manager.adjustBrightnessForAllDisplays(pick(2) ? 6 : -6)); break;
            // The picks are made one statement at a time, so that every compiler makes the same storm.
            case rename: {
                std::optional<std::string> name;
                if (pick(3) != 0) name = "Desk " + std::to_string(pick(100));
                manager.setCustomName(name, target);
                break;
            }
            case reorder: {
                const std::size_t count = std::max<std::size_t>(displays.size(), 1);
                const std::size_t from = pick(count);
                manager.moveDisplays({from}, pick(count + 1));
                break;
            }
            case disconnect: runSync(m_desk.queue, manager.setConnected(false, target)); break;
            case connect: runSync(m_desk.queue, manager.setConnected(true, target)); break;
            case refresh: runSync(m_desk.queue, manager.refresh()); break;
            case hotPlug: {
                const std::size_t index = pick(m_desk.desk.displayCount());
                if (m_unplugged.erase(index)) {
                    m_desk.desk.plug(index);
                    detail = "plug " + std::to_string(index);
                } else if (m_unplugged.size() + 2 < m_desk.desk.displayCount()) {
                    m_desk.desk.unplug(index);
                    m_unplugged.insert(index);
                    detail = "unplug " + std::to_string(index);
                }
                break;
            }
            case fault: detail = injectFault(); break;
            case key: m_desk.pressBrightnessKey(pick(2) == 0); break;
        }
        // Change notices are answered after a short wait; the invariants are about the settled desk.
        m_desk.queue.advanceBy(std::chrono::seconds(2));
        if (manager.lastErrorMessage()) ++m_figures.reportedFailures;
        const bool writes = operation == setOne || operation == setAll || operation == stepAll || operation == key;
        auto broken = check(operation == setOne && !manager.lastErrorMessage() ? std::optional(target)
                                                                                     : std::nullopt,
                            asked, writes, levelsBefore);
        m_history.push_back(std::string(operationName(operation)) + " " +
                            (detail.empty() ? target : detail) + (asked ? " " + std::to_string(*asked) : std::string()));
        if (m_history.size() > historyLength) m_history.erase(m_history.begin());
        if (broken) return *broken + " (last steps: " + describeHistory() + ")";
        return std::nullopt;
    }

    const Figures& figures() const { return m_figures; }
    static const char* operationName(int operation) {
        static constexpr const char* names[] = {"brightness", "all",     "step",    "rename",   "reorder", "disconnect",
                                                "connect",    "refresh", "hot-plug", "fault", "key"};
        return names[operation];
    }

private:
    std::size_t pick(std::size_t count) { return std::uniform_int_distribution<std::size_t>(0, count - 1)(m_random); }

    // A DDC fault on one monitor (lost transfers, corrupted or refused replies, slow replies), a refused
    // window-server configuration, or everything back to normal; described.
    std::string injectFault() {
        const std::size_t index = pick(m_desk.desk.displayCount());
        auto& monitor = m_desk.desk.monitor(index);
        const std::string on = " on monitor " + std::to_string(index);
        switch (pick(6)) {
            case 0: {
                const int count = static_cast<int>(pick(8)) + 1;
                monitor.nakNextTransfers(count);
                return std::to_string(count) + " transfers lost" + on;
            }
            case 1: {
                const int n = static_cast<int>(pick(3)) + 1;
                monitor.corruptEveryNthReply(n);
                return "every " + std::to_string(n) + ". reply corrupted" + on;
            }
            case 2: monitor.setErrorResultCode(static_cast<std::uint8_t>(1)); return "replies refused" + on;
            case 3: {
                const auto delay = std::chrono::milliseconds(pick(200));
                monitor.setExtraReplyDelay(delay);
                return std::to_string(delay.count()) + " ms slower replies" + on;
            }
            case 4: m_desk.desk.windowServer().setConfigureError(1001); return "configuration refused";
            default:
                for (std::size_t i = 0; i < m_desk.desk.displayCount(); ++i) {
                    auto& each = m_desk.desk.monitor(i);
                    each.corruptEveryNthReply(0);
                    each.setErrorResultCode(std::nullopt);
                    each.setExtraReplyDelay({});
                }
                m_desk.desk.windowServer().setConfigureError(0);
                return "faults cleared";
        }
    }

    void remember() {
        for (const auto& display : m_desk.manager.displays()) m_seen.insert(display.hardwareID);
    }

    std::optional<std::string> check(const std::optional<std::string>& written, std::optional<int> asked,
                                     bool writes, const std::vector<int>& levelsBefore) {
        ++m_figures.checks;
        const auto& displays = m_desk.manager.displays();
        for (const auto& [hardwareID, displayID] : m_desk.manager.disconnectedDisplayIDs()) {
            const auto entry = m_desk.desk.windowServer().display(displayID);
            if (entry && entry->isPlugged && entry->isEnabled) return hardwareID + " is held but enabled";
        }
        std::vector<int> orders;
        for (const auto& display : displays) orders.push_back(display.sortOrder);
        std::sort(orders.begin(), orders.end());
        for (std::size_t i = 0; i < orders.size(); ++i) {
            if (orders[i] != static_cast<int>(i)) return "sort orders have a gap: " + describeOrders(orders);
        }
        std::set<std::string> listed;
        for (const auto& display : displays) listed.insert(display.hardwareID);
        std::set<std::string> stored;
        for (const auto& record : m_desk.storedRecords()) stored.insert(record.hardwareID);
        for (const auto& hardwareID : m_seen) {
            if (!listed.contains(hardwareID)) return hardwareID + " was lost from the list";
            if (!stored.contains(hardwareID)) return hardwareID + " was lost from the stored records";
        }
        remember();
        // A monitor changes only by a brightness operation, and only while it is on the desktop; a write
        // that landed is shown. (A level shown while reads fail may be older than the monitor's.)
        std::set<std::size_t> writable;
        for (const auto& display : displays) {
            if (!display.isPresent || !display.isConnected || !display.supportsDDC) continue;
            const std::size_t index = display.id - SimulatedDesk::firstDisplayID;
            writable.insert(index);
            const int level = m_desk.desk.monitor(index).brightness();
            if (level != levelsBefore[index] && level != display.brightness) {
                return display.hardwareID + " (display " + std::to_string(display.id) + ") was written " +
                       std::to_string(level) + " but shows " + std::to_string(display.brightness);
            }
            if (written == display.hardwareID && level != std::clamp(*asked, 0, 100)) {
                return display.hardwareID + " was written " + std::to_string(*asked) +
                       " without a failure but holds " + std::to_string(level);
            }
        }
        for (std::size_t index = 0; index < levelsBefore.size(); ++index) {
            const int level = m_desk.desk.monitor(index).brightness();
            if (level == levelsBefore[index]) continue;
            if (!writes) return "monitor " + std::to_string(index) + " changed without a brightness operation";
            if (!writable.contains(index))
                return "monitor " + std::to_string(index) + ", off the desktop or unplugged, was written " +
                       std::to_string(level);
        }
        return std::nullopt;
    }

    std::string describeHistory() const {
        std::string text;
        for (const auto& entry : m_history) text += (text.empty() ? "" : "; ") + entry;
        return text;
    }

    static std::string describeOrders(const std::vector<int>& orders) {
        std::string text;
        for (const int order : orders) text += std::to_string(order) + " ";
        return text;
    }

    StormDesk& m_desk;
    std::mt19937_64 m_random;
    Figures m_figures;
    std::set<std::size_t> m_unplugged;
    std::set<std::string> m_seen;
    // The last operations, so that a broken invariant can be followed back.
    static constexpr std::size_t historyLength = 8;
    std::vector<std::string> m_history;
};

}  // namespace lumadesk
