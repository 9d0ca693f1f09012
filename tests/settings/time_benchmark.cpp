// Prints what the date and time code costs: the calendar walk of CKrvtime, which steps month by
// month and so grows with the span (the largest TimeSpan is 24855 days, about 817 months), a
// comparison with biases, and the scheduler's minute checks in simulated time.

#include <chrono>
#include <cstdio>
#include <limits>

#include "os/sim/sim_machine.h"
#include "settings/krv_time.h"
#include "settings/scheduler.h"

namespace {

using Clock = std::chrono::steady_clock;

double NanosecondsPer(Clock::duration elapsed, int count) {
    return std::chrono::duration<double, std::nano>(elapsed).count() / count;
}

void MeasureArithmetic(const char* what, int32_t seconds, int count) {
    int64_t sink = 0;
    const auto start = Clock::now();
    for (int i = 0; i < count; ++i) {
        settings::CKrvtime t(2000 + i % 50, 1 + i % 12, 1 + i % 28, 12, 0, 0);
        t.AddSeconds(seconds);
        t.SubtractSeconds(seconds);
        sink += t.Day();
    }
    const auto elapsed = Clock::now() - start;
    std::printf("add and subtract %-28s %10.1f ns  (check %lld)\n", what,
                NanosecondsPer(elapsed, count), static_cast<long long>(sink));
}

void MeasureCompare(int count) {
    int sink = 0;
    const auto start = Clock::now();
    for (int i = 0; i < count; ++i) {
        const settings::CKrvtime a(2026, 1, 1, 0, i % 60, 0, -60);
        const settings::CKrvtime b(2025, 12, 31, 23, 30, 0, 0);
        sink += a.Compare(b);
    }
    const auto elapsed = Clock::now() - start;
    std::printf("compare across the year's end with biases    %10.1f ns  (check %d)\n",
                NanosecondsPer(elapsed, count), sink);
}

void MeasureScheduler(int days) {
    os::sim::SimMachine sim;
    os::sim::SimClock& clock = sim.clock();
    os::sim::SimClock::Participation here(clock);
    settings::CKRVSettingsStore store(sim.registry());
    if (store.WriteSchedulerValue(settings::names::kSchedulerDays, 0x7F) != 0 ||
        store.WriteSchedulerValue(settings::names::kSchedulerTimeOfDay, 1050) != 0) {
        std::fprintf(stderr, "the simulated registry refused the schedule\n");
        return;
    }
    auto wake = clock.CreateEvent(true, false);
    settings::CKRVScheduler scheduler(clock, store);
    int signals = 0;
    const auto start = Clock::now();
    scheduler.Start(*wake);
    const uint64_t end = clock.TickCount() + static_cast<uint64_t>(days) * 86'400'000;
    while (clock.TickCount() < end) {
        const auto left = static_cast<uint32_t>(end - clock.TickCount());
        if (clock.Wait(*wake, left).status == os::WaitStatus::Signalled) {
            ++signals;
            wake->Reset();
        }
    }
    scheduler.Stop();
    const auto elapsed = Clock::now() - start;
    const double ms = std::chrono::duration<double, std::milli>(elapsed).count();
    std::printf(
        "scheduler, %d simulated days (%d minute checks): %.1f ms, %.2f ms a day, "
        "%d runs\n",
        days, days * 1440, ms, ms / days, signals);
}

}  // namespace

int main() {
    constexpr int kCount = 200'000;
    MeasureArithmetic("1 minute", 60, kCount);
    MeasureArithmetic("1 day", 86'400, kCount);
    MeasureArithmetic("1 year", 365 * 86'400, kCount);
    MeasureArithmetic("the largest span (24855 days)", std::numeric_limits<int32_t>::max(),
                      kCount / 10);
    MeasureCompare(kCount);
    MeasureScheduler(30);
    return 0;
}
