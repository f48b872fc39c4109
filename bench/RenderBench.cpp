// Conform throughput and memory against a plain copy of the same sample bytes.
//
// Usage: RenderBench [MiB]   (or TABRIX_BENCH_MIB; default 1024; TABRIX_BENCH_ROUNDS, default 3)
// Builds a synthetic project of ~30 overlapping 24-bit stereo 48 kHz takes in a temporary
// folder, then times, in this order: a plain copy, load + 24-bit Stereo conform, 16-bit Mono Sum,
// 24-bit Dual Mono, and the plain copy again, for a few rounds (the copies' median is the
// yardstick, so the page cache favours neither side). Last, a project of 2000 short takes
// shows that memory stays flat.

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
#include <memory>
#include <string>
#include <vector>

namespace {

using namespace tabrix;
using tabrix::bench::mebibytes;
using tabrix::bench::Stopwatch;
using tabrix::testing::TempDir;

constexpr std::uint32_t rate = 48000;
constexpr std::size_t ioBufferBytes = 122880; // what one read-cache refill of 24-bit takes holds
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
};

std::string takePath(const TempDir& dir, std::size_t index)
{
    char name[64];
    std::snprintf(name, sizeof name, "Audio Files/bench%04zu.wav", index);
    return (dir.path() / name).string();
}

// Writes a take's header (data size patched in) and then its samples in pieces, so a take of
// many MiB never sits in memory whole.
bool writeTake(const std::string& path, const BenchTake& take, std::uint16_t channels)
{
    testing::Bytes header = testing::takeBytes({.timeReference = take.start,
                                                .time = take.time,
                                                .channels = channels,
                                                .rate = rate,
                                                .bits = take.bits,
                                                .tfid = take.tfid,
                                                .data = {}});
    const std::uint64_t frameBytes = (take.bits / 8u) * channels;
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
        ok = std::fwrite(piece.data(), n, 1, file) == 1;
        left -= n;
    }
    return std::fclose(file) == 0 && ok;
}

// ~30 takes: abutting, overlapping (newer ones cut older ones) and with gaps.
std::vector<BenchTake> planLargeProject(std::uint64_t totalBytes)
{
    const std::uint64_t framesPerTake = totalBytes / takeCount / 6;
    std::vector<BenchTake> takes;
    std::uint64_t start = rate * 3600ull * 9;
    for (int k = 0; k < takeCount; ++k) {
        char time[16];
        const int order = (k * 7) % takeCount; // recording order differs from timeline order
        std::snprintf(time, sizeof time, "10:%02d:%02d", order, k % 60);
        takes.push_back({start, framesPerTake, time, k % 4});
        switch (k % 3) {
        case 0: start += framesPerTake + rate; break;         // a one-second gap
        case 1: start += framesPerTake - rate / 2; break;     // half a second of overlap
        default: start += framesPerTake; break;               // abutting
        }
    }
    return takes;
}

std::uint64_t dataStartOf(const std::string& path)
{
    Take take(std::filesystem::path(path).parent_path(), std::filesystem::path(path).filename().string());
    return take.parse() ? take.dataStart() : 0;
}

// Reads every take's data in order and writes the same number of bytes to one file.
double plainCopy(const TempDir& dir, std::size_t takes, std::uint64_t& bytesCopied)
{
    const std::string outPath = (dir.path() / "copy.raw").string();
    std::vector<std::uint8_t> buffer(ioBufferBytes);
    bytesCopied = 0;
    settle();
    Stopwatch watch;
    std::FILE* out = std::fopen(outPath.c_str(), "wb");
    for (std::size_t k = 0; k < takes && out != nullptr; ++k) {
        const std::string path = takePath(dir, k);
        const std::uint64_t dataStart = dataStartOf(path);
        std::FILE* in = std::fopen(path.c_str(), "rb");
        if (in == nullptr)
            continue;
        std::fseek(in, long(dataStart), SEEK_SET);
        for (std::size_t n; (n = std::fread(buffer.data(), 1, buffer.size(), in)) > 0;) {
            if (std::fwrite(buffer.data(), n, 1, out) != 1)
                break;
            bytesCopied += n;
        }
        std::fclose(in);
    }
    if (out != nullptr)
        std::fclose(out);
    const double seconds = watch.seconds();
    std::filesystem::remove(outPath);
    return seconds;
}

struct ConformResult {
    double seconds = 0;
    bool ok = false;
    std::uint64_t bytesWritten = 0; ///< both files' sizes, headers included
};

ConformResult conformOnce(ConformProject& project, const TempDir& dir, bool bits24, int mode)
{
    const std::string first = (dir.path() / "outL.wav").string();
    const std::string second = (dir.path() / "outR.wav").string();
    settle();
    Stopwatch watch;
    project.setOutputOptions(bits24, mode);
    const bool prepared = mode == 4 ? project.prepareDualMonoOutput(first, second)
                                    : project.prepareOutput(first);
    std::atomic<double> progress{0.0};
    const bool ran = prepared && project.run(progress);
    ConformResult result{watch.seconds(), ran, 0};
    std::error_code error;
    for (const std::string& path : {first, second}) {
        const std::uintmax_t size = std::filesystem::file_size(path, error);
        result.bytesWritten += error ? 0 : size;
        std::filesystem::remove(path, error);
    }
    return result;
}

double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    const std::size_t mid = values.size() / 2;
    return values.size() % 2 == 1 ? values[mid] : (values[mid - 1] + values[mid]) / 2;
}

void smallTakesProject()
{
    constexpr std::size_t count = 2000;
    constexpr std::uint64_t frames = 4800; // 0.1 s each
    TempDir dir;
    std::filesystem::create_directories(dir.path() / "Audio Files");
    std::uint64_t start = rate * 3600ull * 9;
    for (std::size_t k = 0; k < count; ++k) {
        char time[16];
        std::snprintf(time, sizeof time, "%02zu:%02zu:%02zu", 8 + k / 3600, k / 60 % 60, k % 60);
        if (!writeTake(takePath(dir, k), {start, frames, time, int(k % 5), 24}, 2)) {
            std::printf("2000 takes: could not write the project\n");
            return;
        }
        start += frames + (k % 2 == 0 ? 960 : 0);
    }
    bench::resetPeakResident();
    const std::uint64_t before = bench::peakResidentBytes();
    ConformProject project;
    Stopwatch watch;
    const bool loaded = project.load(dir.path().string());
    const ConformResult r = conformOnce(project, dir, true, 0);
    const double seconds = watch.seconds();
    std::printf("2000 takes (%.1f MiB of samples): load + 24-bit Stereo %s in %.2f s; "
                "resident before %.1f MiB, peak %.1f MiB\n",
                mebibytes(count * frames * 6), loaded && r.ok ? "ok" : "FAILED", seconds,
                mebibytes(before), mebibytes(bench::peakResidentBytes()));
}

} // namespace

int main(int argc, char** argv)
{
    std::uint64_t mib = 1024;
    if (const char* env = std::getenv("TABRIX_BENCH_MIB"))
        mib = std::strtoull(env, nullptr, 10);
    if (argc > 1)
        mib = std::strtoull(argv[1], nullptr, 10);
    if (mib == 0)
        mib = 1024;
    int rounds = 3;
    if (const char* env = std::getenv("TABRIX_BENCH_ROUNDS"))
        rounds = std::max(1, std::atoi(env));

    {
        TempDir dir;
        std::filesystem::create_directories(dir.path() / "Audio Files");
        const std::vector<BenchTake> takes = planLargeProject(mib << 20);
        for (std::size_t k = 0; k < takes.size(); ++k)
            if (!writeTake(takePath(dir, k), takes[k], 2)) {
                std::printf("could not write the project\n");
                return 1;
            }

        // Each round: copy, the three conforms, copy again. Medians over the rounds smooth
        // out the neighbours on a shared machine.
        std::vector<double> copies, stereos, monoSums, duals;
        std::uint64_t copied = 0;
        std::uint64_t outputBytes = 0;
        std::uint64_t peak = 0;
        std::uint64_t before = 0;
        std::size_t segments = 0;
        bool allOk = true;
        for (int round = 0; round < rounds; ++round) {
            copies.push_back(plainCopy(dir, takes.size(), copied));
            bench::resetPeakResident();
            before = std::max(before, bench::peakResidentBytes());
            ConformProject project;
            settle();
            Stopwatch loadWatch;
            allOk = project.load(dir.path().string()) && allOk;
            const double loadSeconds = loadWatch.seconds();
            project.setOutputOptions(true, 0);
            (void)project.getOutputSize(outputBytes);
            segments = project.timeline() ? project.timeline()->segmentCount() : 0;
            const ConformResult stereo = conformOnce(project, dir, true, 0);
            const ConformResult monoSum = conformOnce(project, dir, false, 3);
            const ConformResult dual = conformOnce(project, dir, true, 4);
            peak = std::max(peak, bench::peakResidentBytes());
            allOk = allOk && stereo.ok && monoSum.ok && dual.ok &&
                    stereo.bytesWritten == outputBytes + 1024 &&
                    monoSum.bytesWritten == outputBytes / 3 + 1024 &&
                    dual.bytesWritten == outputBytes + 2048;
            stereos.push_back(loadSeconds + stereo.seconds);
            monoSums.push_back(monoSum.seconds);
            duals.push_back(dual.seconds);
            copies.push_back(plainCopy(dir, takes.size(), copied));
        }
        const double copy = median(copies);

        std::printf("project: %zu takes, %.1f MiB of sample data, %zu segments, timeline %.1f MiB "
                    "as 24-bit stereo; %d rounds, medians\n",
                    takes.size(), mebibytes(copied), segments, mebibytes(outputBytes), rounds);
        std::printf("(a) plain copy:                 %.3f s (%.0f MiB/s; fastest %.3f, slowest %.3f)\n",
                    copy, mebibytes(copied) / copy, *std::min_element(copies.begin(), copies.end()),
                    *std::max_element(copies.begin(), copies.end()));
        std::printf("(b) load + 24-bit Stereo:       %.3f s  ratio %.2f\n", median(stereos),
                    median(stereos) / copy);
        std::printf("(c) 16-bit Mono Sum:            %.3f s  ratio %.2f\n", median(monoSums),
                    median(monoSums) / copy);
        std::printf("(d) 24-bit Dual Mono:           %.3f s  ratio %.2f\n", median(duals),
                    median(duals) / copy);
        std::printf("outputs complete and of the expected size: %s\n", allOk ? "yes" : "NO");
        std::printf("peak resident during load + conforms: %.1f MiB (%.1f MiB before)\n",
                    mebibytes(peak), mebibytes(before));
        std::printf("targets: conform <= 1.5 x copy, peak <= 64 MiB\n");
    }
    smallTakesProject();
    return 0;
}
