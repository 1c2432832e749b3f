// A day (or more) at the desk in virtual time: a hot-plug and a brightness key every minute. Every
// virtual hour prints the heap in use (mallinfo2), the resident set (/proc/self/statm) and the sizes of
// what the program keeps; exits non-zero when the heap at the end exceeds the first hour's by more
// than a quarter, or a kept container grew.
//   memory_soak HOURS
#include <malloc.h>
#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <string>

#include "support/OperationStorm.h"

namespace {

long residentKiB() {
    std::ifstream statm("/proc/self/statm");
    long size = 0;
    long resident = 0;
    statm >> size >> resident;
    return resident * (sysconf(_SC_PAGESIZE) / 1024);
}

}  // namespace

int main(int argc, char** argv) {
    using namespace lumadesk;
    if (argc < 2) {
        std::fprintf(stderr, "usage: memory_soak HOURS\n");
        return 2;
    }
    const int hours = std::stoi(argv[1]);
    StormDesk desk;
    std::mt19937_64 random(1);
    std::size_t firstHeap = 0;
    std::vector<std::size_t> firstSizes;
    std::printf("%5s %12s %10s   list held records queued\n", "hour", "heap bytes", "RSS KiB");
    for (int hour = 1; hour <= hours; ++hour) {
        for (int minute = 0; minute < 60; ++minute) desk.spendMinute(random);
        const std::size_t heap = mallinfo2().uordblks;
        const auto sizes = desk.containerSizes();
        if (hour == 1) {
            firstHeap = heap;
            firstSizes = sizes;
        }
        std::printf("%5d %12zu %10ld   %4zu %4zu %7zu %6zu\n", hour, heap, residentKiB(), sizes[0], sizes[1],
                    sizes[2], sizes[3]);
        std::fflush(stdout);
        if (sizes != firstSizes) {
            std::printf("FAILED: a container grew\n");
            return 1;
        }
    }
    const std::size_t lastHeap = mallinfo2().uordblks;
    if (lastHeap > firstHeap + firstHeap / 4) {
        std::printf("FAILED: the heap grew from %zu to %zu bytes\n", firstHeap, lastHeap);
        return 1;
    }
    std::printf("ok: %d virtual hours, %d hot-plugs and key presses each, heap %zu -> %zu bytes\n", hours,
                hours * 60, firstHeap, lastHeap);
    return 0;
}
