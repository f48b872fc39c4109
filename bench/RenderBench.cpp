// Conform throughput and memory against a plain copy of the same sample bytes.
//
// Usage: RenderBench [MiB]   (or TABRIX_BENCH_MIB, default 384; TABRIX_BENCH_ROUNDS, default 5;
// TABRIX_BENCH_LONG=0 skips the 4-hour project; TABRIX_BENCH_ONLY=4 times only the fifth layout
// of each project, for profiling)
// Builds synthetic projects of 30 overlapping 48 kHz takes in a temporary folder (24-bit
// stereo, 8-track 24-bit poly, 32-bit float stereo) and reads each once so that every step runs
// from the page cache. Each round then times a plain copy, every layout of the project (in an
// order that rotates from round to round) and the plain copy again; a conform's ratio is its
// time over the mean of its round's two copies.
// The copy reads through a buffered stream, as the conform does; the conform writes its output
// unbuffered, a few blocks per call, so an unbuffered copy is timed too and shown against it.
// Last, a 4-hour project of 2000 takes shows time and memory at that scale.
#include "project/ConformProject.h"

#include "BenchSupport.h"
#include "RiffBuilder.h"
#include "TempDir.h"

#if defined(__unix__)
#include <unistd.h>
#endif

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <memory>
#include <string>
#include <vector>

namespace {

using namespace tabrix;
using tabrix::bench::mebibytes;
using tabrix::bench::Stopwatch;
using tabrix::testing::TempDir;

constexpr std::size_t copyBufferBytes = 131072; // what a plain copy tool reads and writes at once
constexpr int takeCount = 30;

// Flushes what earlier steps wrote, so no step pays for another's write-back.
void settle()
{
#if defined(__unix__)
    ::sync();
#endif
}

struct BenchTake {
    std::uint64_t start = 0;
    std::uint64_t frames = 0;
    std::string time;
    int tfid = 0;
    std::uint16_t bits = 24;
    std::uint16_t channels = 2;
    std::uint32_t rate = 48000;
    std::uint16_t tag = 1; ///< 3: float samples
};

/// The takes of one benchmark project.
struct TakeShape {
    const char* name;
    std::uint16_t bits;
    std::uint16_t channels;
    std::uint16_t tag;
};

std::string takePath(const TempDir& dir, std::size_t index)
{
    char name[64];
    std::snprintf(name, sizeof name, "Audio Files/bench%04zu.wav", index);
    return (dir.path() / name).string();
}

// Writes a take's header (data size patched in) and then its samples in pieces, so a take of
// many MiB never sits in memory whole.
bool writeTake(const std::string& path, const BenchTake& take)
{
    testing::Bytes header = testing::takeBytes({.timeReference = take.start,
                                                .time = take.time,
                                                .channels = take.channels,
                                                .rate = take.rate,
                                                .bits = take.bits,
                                                .tfid = take.tfid,
                                                .data = {},
                                                .tag = take.tag});
    const std::uint64_t frameBytes = (take.bits / 8u) * take.channels;
    const auto dataBytes = static_cast<std::uint32_t>(take.frames * frameBytes);
    const auto riffBytes = static_cast<std::uint32_t>(header.size() - 8 + dataBytes);
    for (int i = 0; i < 4; ++i) {
        header[4 + std::size_t(i)] = static_cast<std::uint8_t>(riffBytes >> (8 * i));
        header[header.size() - 4 + std::size_t(i)] = static_cast<std::uint8_t>(dataBytes >> (8 * i));
    }
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (file == nullptr)
        return false;
    bool ok = std::fwrite(header.data(), header.size(), 1, file) == 1;
    std::vector<std::uint8_t> piece(std::size_t(frameBytes) * 65536);
    std::uint32_t noise = 0x12345678u ^ static_cast<std::uint32_t>(take.start);
    for (std::uint64_t left = dataBytes; ok && left > 0;) {
        const std::size_t n = std::size_t(std::min<std::uint64_t>(left, piece.size()));
        for (std::size_t i = 0; i < n; ++i) {
            noise = noise * 1664525u + 1013904223u; // any busy signal will do
            piece[i] = static_cast<std::uint8_t>(noise >> 24);
        }
        if (take.tag == 3) // float samples within full scale: a sign, exponent below 127
            for (std::size_t i = 3; i < n; i += 4)
                piece[i] = static_cast<std::uint8_t>(0x3E | (piece[i] & 0x80));
        ok = std::fwrite(piece.data(), n, 1, file) == 1;
        left -= n;
    }
    return std::fclose(file) == 0 && ok;
}

bool writeProject(const TempDir& dir, const std::vector<BenchTake>& takes)
{
    std::filesystem::create_directories(dir.path() / "Audio Files");
    for (std::size_t k = 0; k < takes.size(); ++k)
        if (!writeTake(takePath(dir, k), takes[k]))
            return false;
    return true;
}

// Reads every take once, so the timed steps all start from the page cache.
void warm(const TempDir& dir, std::size_t takes)
{
    std::vector<std::uint8_t> buffer(1 << 20);
    for (std::size_t k = 0; k < takes; ++k) {
        std::FILE* in = std::fopen(takePath(dir, k).c_str(), "rb");
        while (in != nullptr && std::fread(buffer.data(), 1, buffer.size(), in) > 0) {
        }
        if (in != nullptr)
            std::fclose(in);
    }
    settle();
}

// 30 takes: abutting, overlapping (newer ones cut older ones) and with gaps.
std::vector<BenchTake> planLargeProject(std::uint64_t totalBytes, const TakeShape& shape)
{
    constexpr std::uint32_t rate = 48000;
    const std::uint64_t framesPerTake = totalBytes / takeCount / (shape.bits / 8u * shape.channels);
    std::vector<BenchTake> takes;
    std::uint64_t start = rate * 3600ull * 9;
    for (int k = 0; k < takeCount; ++k) {
        char time[16];
        const int order = (k * 7) % takeCount; // recording order differs from timeline order
        std::snprintf(time, sizeof time, "10:%02d:%02d", order, k % 60);
        takes.push_back({start, framesPerTake, time, k % 4, shape.bits, shape.channels, rate,
                         shape.tag});
        switch (k % 3) {
        case 0: start += framesPerTake + rate; break;         // a one-second gap
        case 1: start += framesPerTake - rate / 2; break;     // half a second of overlap
        default: start += framesPerTake; break;               // abutting
        }
    }
    return takes;
}

// Four hours in 2000 takes of 7.2 s, 24-bit stereo at 8 kHz to keep the disk use modest:
// alternately a short gap and a short overlap.
std::vector<BenchTake> planLongProject()
{
    constexpr std::size_t count = 2000;
    constexpr std::uint32_t rate = 8000;
    constexpr std::uint64_t frames = 4ull * 3600 * rate / count;
    std::vector<BenchTake> takes;
    std::uint64_t start = rate * 3600ull * 8;
    for (std::size_t k = 0; k < count; ++k) {
        char time[16];
        std::snprintf(time, sizeof time, "%02zu:%02zu:%02zu", 8 + k / 3600, k / 60 % 60, k % 60);
        takes.push_back({start, frames, time, int(k % 5), 24, 2, rate});
        start += k % 2 == 0 ? frames + rate / 10 : frames - rate / 10;
    }
    return takes;
}

// Processor time rather than wall time shows the work itself when neighbours share the cores.
double cpuSince(std::clock_t start)
{
    return double(std::clock() - start) / CLOCKS_PER_SEC;
}

std::uint64_t dataStartOf(const std::string& path)
{
    Take take(std::filesystem::path(path).parent_path(), std::filesystem::path(path).filename().string());
    return take.parse() ? take.dataStart() : 0;
}

// Reads every take's sample data in order and writes the same bytes to one file, as a copy
// tool would: large reads and writes, no processing.
struct Timing {
    double seconds = 0;
    double cpuSeconds = 0;
};

Timing plainCopy(const TempDir& dir, std::size_t takes, std::uint64_t& bytesCopied,
                 bool unbuffered = false)
{
    std::vector<std::uint64_t> dataStarts;
    for (std::size_t k = 0; k < takes; ++k)
        dataStarts.push_back(dataStartOf(takePath(dir, k)));
    const std::string outPath = (dir.path() / "copy.raw").string();
    std::vector<std::uint8_t> buffer(copyBufferBytes);
    bytesCopied = 0;
    settle();
    const std::clock_t cpuStart = std::clock();
    Stopwatch watch;
    std::FILE* out = std::fopen(outPath.c_str(), "wb");
    if (out != nullptr && unbuffered)
        std::setvbuf(out, nullptr, _IONBF, 0);
    for (std::size_t k = 0; k < takes && out != nullptr; ++k) {
        std::FILE* in = std::fopen(takePath(dir, k).c_str(), "rb");
        if (in == nullptr)
            continue;
        if (unbuffered)
            std::setvbuf(in, nullptr, _IONBF, 0);
        std::fseek(in, long(dataStarts[k]), SEEK_SET);
        for (std::size_t n; (n = std::fread(buffer.data(), 1, buffer.size(), in)) > 0;) {
            if (std::fwrite(buffer.data(), n, 1, out) != 1)
                break;
            bytesCopied += n;
        }
        std::fclose(in);
    }
    if (out != nullptr)
        std::fclose(out);
    const Timing timing{watch.seconds(), cpuSince(cpuStart)};
    std::filesystem::remove(outPath);
    return timing;
}

struct ConformResult {
    double seconds = 0;
    double cpuSeconds = 0; ///< this process's processor time, user and kernel
    bool ok = false;
    std::uint64_t bytesWritten = 0; ///< both files' sizes, headers included
};

// Prepares the output(s) and runs one conform of the loaded project; the files are removed
// again after timing.
ConformResult conformOnce(ConformProject& project, const TempDir& dir, SampleWidth width, int mode)
{
    project.setOutputOptions(width, mode);
    std::vector<std::string> paths;
    for (std::size_t f = 0; f < project.outputFileCount(); ++f)
        paths.push_back((dir.path() / ("out" + std::to_string(f) + ".wav")).string());
    settle();
    const std::clock_t cpuStart = std::clock();
    Stopwatch watch;
    const bool prepared = project.prepareOutputs(paths);
    std::atomic<double> progress{0.0};
    const bool ran = prepared && project.run(progress);
    ConformResult result{watch.seconds(), cpuSince(cpuStart), ran, 0};
    std::error_code error;
    for (const std::string& path : paths) {
        const std::uintmax_t size = std::filesystem::file_size(path, error);
        result.bytesWritten += error ? 0 : size;
        std::filesystem::remove(path, error);
    }
    return result;
}

struct Spread {
    double median = 0, min = 0, max = 0;
};

Spread spreadOf(std::vector<double> values)
{
    if (values.empty())
        return {};
    std::sort(values.begin(), values.end());
    const std::size_t mid = values.size() / 2;
    const double median =
        values.size() % 2 == 1 ? values[mid] : (values[mid - 1] + values[mid]) / 2;
    return {median, values.front(), values.back()};
}

struct Layout {
    SampleWidth width;
    int mode;
    const char* name;
};

// The two-channel layouts of 24-bit stereo takes, with float output from the same takes.
const std::vector<Layout> stereoLayouts = {
    {SampleWidth::Bits24, 0, "24-bit Stereo"},     {SampleWidth::Bits24, 1, "24-bit Mono L"},
    {SampleWidth::Bits24, 2, "24-bit Mono R"},     {SampleWidth::Bits24, 3, "24-bit Mono Sum"},
    {SampleWidth::Bits24, 4, "24-bit Dual Mono"},  {SampleWidth::Bits16, 0, "16-bit Stereo"},
    {SampleWidth::Bits16, 1, "16-bit Mono L"},     {SampleWidth::Bits16, 2, "16-bit Mono R"},
    {SampleWidth::Bits16, 3, "16-bit Mono Sum"},   {SampleWidth::Bits16, 4, "16-bit Dual Mono"},
    {SampleWidth::Float32, 0, "float Stereo"},
};
const std::vector<Layout> trackLayouts = {
    {SampleWidth::Bits24, 5, "24-bit All Tracks"},
    {SampleWidth::Bits24, 6, "24-bit Split Tr."},
};
const std::vector<Layout> floatLayouts = {{SampleWidth::Float32, 0, "float Stereo"}};

struct BenchProject {
    TakeShape shape;
    const std::vector<Layout>& layouts;
    const char* targets;
};

const BenchProject benchProjects[] = {
    {{"24-bit stereo", 24, 2, 1}, stereoLayouts,
     "24-bit Stereo <= 1.10 x copy, other integer layouts <= 1.20 x, float Stereo <= 1.30 x"},
    {{"8-track 24-bit", 24, 8, 1}, trackLayouts, "All Tracks <= 1.20 x copy, Split <= 1.50 x"},
    {{"float stereo", 32, 2, 3}, floatLayouts, "float Stereo <= 1.20 x copy"},
};

void printRow(const char* name, const std::vector<double>& seconds,
              const std::vector<double>& ratios, const std::vector<double>& cpuRatios)
{
    const Spread t = spreadOf(seconds), r = spreadOf(ratios), c = spreadOf(cpuRatios);
    std::printf("%-18s %8.3f %7.2f %11.2f-%.2f %9.2f %8.2f-%.2f\n", name, t.median, r.median,
                r.min, r.max, c.median, c.min, c.max);
}

bool largeProject(std::uint64_t mib, int rounds, int onlyLayout, const BenchProject& kind)
{
    TempDir dir;
    const std::vector<BenchTake> takes = planLargeProject(mib << 20, kind.shape);
    const std::vector<Layout>& layouts = kind.layouts;
    const std::size_t layoutCount = layouts.size();
    if (!writeProject(dir, takes)) {
        std::printf("could not write the project\n");
        return false;
    }
    warm(dir, takes.size());

    std::vector<double> copies, copyCpus, loads, rawCopies, rawCopyCpus;
    std::vector<std::vector<double>> ratios(layoutCount), cpuRatios(layoutCount),
        seconds(layoutCount);
    std::uint64_t copied = 0, peak = 0, before = 0;
    std::size_t segments = 0;
    bool allOk = true;
    for (int round = 0; round < rounds; ++round) {
        const Timing copyBefore = plainCopy(dir, takes.size(), copied);
        bench::resetPeakResident();
        before = std::max(before, bench::peakResidentBytes());
        ConformProject project;
        settle();
        Stopwatch loadWatch;
        allOk = project.load(dir.path().string()) && allOk;
        loads.push_back(loadWatch.seconds());
        segments = project.timeline() ? project.timeline()->segmentCount() : 0;
        std::vector<ConformResult> results(layoutCount);
        for (std::size_t i = 0; i < layoutCount; ++i) {
            const std::size_t l = (i + std::size_t(round) * 3) % layoutCount; // rotate the order
            if (onlyLayout >= 0 && l != std::size_t(onlyLayout))
                continue;
            results[l] = conformOnce(project, dir, layouts[l].width, layouts[l].mode);
            std::uint64_t dataBytes = 0;
            allOk = allOk && results[l].ok && project.getOutputSize(dataBytes) &&
                    results[l].bytesWritten >= dataBytes + 1024 * project.outputFileCount() &&
                    results[l].bytesWritten < dataBytes + 65536 * project.outputFileCount();
        }
        peak = std::max(peak, bench::peakResidentBytes());
        const Timing copyAfter = plainCopy(dir, takes.size(), copied);
        const Timing rawCopy = plainCopy(dir, takes.size(), copied, true);
        rawCopies.push_back(rawCopy.seconds / ((copyBefore.seconds + copyAfter.seconds) / 2));
        rawCopyCpus.push_back(rawCopy.cpuSeconds /
                              ((copyBefore.cpuSeconds + copyAfter.cpuSeconds) / 2));
        for (const Timing& t : {copyBefore, copyAfter}) {
            copies.push_back(t.seconds);
            copyCpus.push_back(t.cpuSeconds);
        }
        const double copyWall = (copyBefore.seconds + copyAfter.seconds) / 2;
        const double copyCpu = (copyBefore.cpuSeconds + copyAfter.cpuSeconds) / 2;
        for (std::size_t l = 0; l < layoutCount; ++l) {
            seconds[l].push_back(results[l].seconds);
            ratios[l].push_back(results[l].seconds / copyWall);
            cpuRatios[l].push_back(results[l].cpuSeconds / copyCpu);
        }
    }
    const Spread copy = spreadOf(copies);
    const Spread copyCpu = spreadOf(copyCpus);
    std::printf("\nproject: %zu takes of %s 48 kHz, %.1f MiB of sample data, %zu segments; page "
                "cache warm; %d rounds\n",
                takes.size(), kind.shape.name, mebibytes(copied), segments, rounds);
    std::printf("plain copy (%zu KiB reads and writes): median %.3f s (%.0f MiB/s), "
                "%.3f-%.3f s; processor time median %.3f s, %.3f-%.3f s\n",
                copyBufferBytes / 1024, copy.median, mebibytes(copied) / copy.median, copy.min,
                copy.max, copyCpu.median, copyCpu.min, copyCpu.max);
    std::printf("unbuffered copy (one read and one write call per 128 KiB, as a copy tool "
                "makes them): %.2f x the copy above in wall time, %.2f x in processor time\n",
                spreadOf(rawCopies).median, spreadOf(rawCopyCpus).median);
    std::printf("load (not in the ratios): median %.1f ms\n", spreadOf(loads).median * 1000);
    std::printf("ratios to the copy of the same round, median and min-max over the rounds\n");
    std::printf("%-18s %8s %7s %14s %9s %13s\n", "conform", "wall s", "wall", "wall min-max",
                "cpu", "cpu min-max");
    for (std::size_t l = 0; l < layoutCount; ++l)
        if (onlyLayout < 0 || l == std::size_t(onlyLayout))
            printRow(layouts[l].name, seconds[l], ratios[l], cpuRatios[l]);
    std::printf("outputs complete and of the expected size: %s\n", allOk ? "yes" : "NO");
    std::printf("peak resident during load + conforms: %.1f MiB (%.1f MiB before)\n",
                mebibytes(peak), mebibytes(before));
    std::printf("targets: %s, peak <= 64 MiB\n", kind.targets);
    return allOk;
}

bool longProject(int rounds)
{
    TempDir dir;
    const std::vector<BenchTake> takes = planLongProject();
    if (!writeProject(dir, takes)) {
        std::printf("4-hour project: could not write it\n");
        return false;
    }
    warm(dir, takes.size());
    std::uint64_t copied = 0, peak = 0, before = 0;
    std::vector<double> loads, seconds, ratios, cpuRatios;
    bool ok = true;
    for (int round = 0; round < rounds; ++round) {
        const Timing copyBefore = plainCopy(dir, takes.size(), copied);
        bench::resetPeakResident();
        before = std::max(before, bench::peakResidentBytes());
        ConformProject project;
        settle();
        Stopwatch loadWatch;
        ok = project.load(dir.path().string()) && ok;
        loads.push_back(loadWatch.seconds());
        const ConformResult r = conformOnce(project, dir, SampleWidth::Bits24, 0);
        ok = ok && r.ok;
        peak = std::max(peak, bench::peakResidentBytes());
        const Timing copyAfter = plainCopy(dir, takes.size(), copied);
        seconds.push_back(r.seconds);
        ratios.push_back(r.seconds / ((copyBefore.seconds + copyAfter.seconds) / 2));
        cpuRatios.push_back(r.cpuSeconds / ((copyBefore.cpuSeconds + copyAfter.cpuSeconds) / 2));
    }
    const Spread r = spreadOf(ratios), c = spreadOf(cpuRatios);
    std::printf("4-hour project: %zu takes of 24-bit stereo 8 kHz, %.1f MiB of sample data, %d "
                "rounds; load %.2f s; 24-bit Stereo conform %s in %.2f s, ratio to the copy "
                "%.2f (%.2f-%.2f), processor time %.2f (%.2f-%.2f); resident before %.1f MiB, "
                "peak %.1f MiB\n",
                takes.size(), mebibytes(copied), rounds, spreadOf(loads).median,
                ok ? "ok" : "FAILED", spreadOf(seconds).median, r.median, r.min, r.max,
                c.median, c.min, c.max, mebibytes(before), mebibytes(peak));
    return ok;
}

} // namespace

int main(int argc, char** argv)
{
    std::uint64_t mib = 384;
    if (const char* env = std::getenv("TABRIX_BENCH_MIB"))
        mib = std::strtoull(env, nullptr, 10);
    if (argc > 1)
        mib = std::strtoull(argv[1], nullptr, 10);
    if (mib == 0)
        mib = 384;
    int rounds = 5;
    if (const char* env = std::getenv("TABRIX_BENCH_ROUNDS"))
        rounds = std::max(1, std::atoi(env));
    const char* longEnv = std::getenv("TABRIX_BENCH_LONG");
    const bool runLong = longEnv == nullptr || std::string(longEnv) != "0";

    const char* onlyEnv = std::getenv("TABRIX_BENCH_ONLY");
    const int onlyLayout = onlyEnv != nullptr ? std::atoi(onlyEnv) : -1;
    bool ok = true;
    for (const BenchProject& kind : benchProjects)
        ok = largeProject(mib, rounds, onlyLayout, kind) && ok;
    if (runLong)
        ok = longProject(std::min(rounds, 3)) && ok;
    return ok ? 0 : 1;
}
