#pragma once
#include <chrono>
#include <cstdint>
#include <string>

// Small helpers shared by the benchmarks: a stopwatch and the process's peak memory.
namespace tabrix::bench {

class Stopwatch {
public:
    Stopwatch() : begin(std::chrono::steady_clock::now()) {}
    double seconds() const
    {
        return std::chrono::duration<double>(std::chrono::steady_clock::now() - begin).count();
    }

private:
    std::chrono::steady_clock::time_point begin;
};

/// Peak resident memory of this process in bytes (0 where the platform doesn't say).
std::uint64_t peakResidentBytes();
/// Resets the peak so a later reading covers only what follows (no-op where unsupported).
void resetPeakResident();

inline double mebibytes(std::uint64_t bytes)
{
    return double(bytes) / (1024.0 * 1024.0);
}

} // namespace tabrix::bench
