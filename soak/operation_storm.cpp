// Runs the random operation storm on the simulated desk for a wall-clock duration and prints its figures;
// exits non-zero at the first broken invariant, printing the seed and step to replay it.
//   operation_storm SECONDS [SEED]
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "support/OperationStorm.h"

int main(int argc, char** argv) {
    using namespace lumadesk;
    if (argc < 2) {
        std::fprintf(stderr, "usage: operation_storm SECONDS [SEED]\n");
        return 2;
    }
    const auto duration = std::chrono::seconds(std::stoll(argv[1]));
    std::uint64_t seed = argc > 2 ? std::stoull(argv[2]) : 1;
    const auto start = std::chrono::steady_clock::now();
    OperationStorm::Figures total;
    int desks = 0;
    // A fresh desk every 2,000 steps, so that many seeds are covered.
    while (std::chrono::steady_clock::now() - start < duration) {
        StormDesk desk;
        OperationStorm storm(desk, seed);
        ++desks;
        for (int step = 0; step < 2000 && std::chrono::steady_clock::now() - start < duration; ++step) {
            if (const auto broken = storm.step()) {
                std::printf("FAILED: seed %llu, step %d: %s\n", static_cast<unsigned long long>(seed), step,
                            broken->c_str());
                return 1;
            }
        }
        const auto& figures = storm.figures();
        total.steps += figures.steps;
        total.checks += figures.checks;
        total.reportedFailures += figures.reportedFailures;
        for (int operation = 0; operation < OperationStorm::operationCount; ++operation)
            total.byOperation[operation] += figures.byOperation[operation];
        ++seed;
    }
    const auto seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    std::printf("ok: %llu steps on %d desks in %.0f s, %llu invariant checks, %llu failures reported as such\n",
                static_cast<unsigned long long>(total.steps), desks, seconds,
                static_cast<unsigned long long>(total.checks),
                static_cast<unsigned long long>(total.reportedFailures));
    for (int operation = 0; operation < OperationStorm::operationCount; ++operation)
        std::printf("  %-10s %llu\n", OperationStorm::operationName(operation),
                    static_cast<unsigned long long>(total.byOperation[operation]));
    return 0;
}
