#pragma once

// What one timed pass of a path gives, and the clocks it is measured with.

#include <chrono>
#include <cstdint>
#include <ctime>
#include <fstream>
#include <optional>
#include <string>
#include <unistd.h>

namespace bench {

using Clock = std::chrono::steady_clock;

inline double secondsSince(Clock::time_point start)
{
    return std::chrono::duration<double>(Clock::now() - start).count();
}

// CPU seconds of this process so far: on a busy machine a steadier figure than the wall clock
// (it leaves out the server's share of a MariaDB read).
inline double cpuSeconds()
{
    timespec t{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return double(t.tv_sec) + double(t.tv_nsec) * 1e-9;
}

// Wall and CPU seconds from construction to stop().
class Stopwatch
{
public:
    void stop(double& wall, double& cpu) const
    {
        wall = secondsSince(wall_);
        cpu = cpuSeconds() - cpu_;
    }

private:
    Clock::time_point wall_ = Clock::now();
    double cpu_ = cpuSeconds();
};

struct Outcome
{
    double value = 0;                    // wall seconds, milliseconds or bytes per cell
    double cpu = 0;                      // CPU seconds of this process
    std::int64_t count = 0;              // records read (cells for the memory path)
    std::optional<std::uint64_t> digest; // check mode: the digest of what the path read
};

// This process's resident memory in bytes.
inline std::size_t residentBytes()
{
    std::ifstream statm("/proc/self/statm");
    std::size_t pages = 0, resident = 0;
    statm >> pages >> resident;
    return resident * std::size_t(sysconf(_SC_PAGESIZE));
}

// This process's peak resident memory in bytes (VmHWM), since start or the last reset.
inline std::size_t peakResidentBytes()
{
    std::ifstream status("/proc/self/status");
    std::string word;
    while (status >> word)
        if (word == "VmHWM:") {
            std::size_t kib = 0;
            status >> kib;
            return kib * 1024;
        }
    return 0;
}

// Starts the peak of peakResidentBytes() afresh from the present resident memory (Linux).
inline void clearPeakResident()
{
    std::ofstream("/proc/self/clear_refs") << "5";
}

} // namespace bench
