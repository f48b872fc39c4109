// Load time of projects of 200 and 2000 short takes, the chunk walk over many odd-sized chunks,
// and the memory a loaded timeline holds.
//
// A sort key recomputed with a calendar conversion on every comparison, or any other
// super-linear step, shows as a 2000/200 ratio well above 10. The peak memory after loading
// 2000 takes stays small only while segments leave their read caches unallocated until the
// first read.
#include "project/ConformProject.h"

#include "BenchSupport.h"
#include "RiffBuilder.h"
#include "TempDir.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <numeric>
#include <random>
#include <string>
#include <vector>

namespace {

using namespace tabrix;
using namespace tabrix::testing;

constexpr int repeats = 5;
constexpr std::uint64_t takeFrames = 480; // 10 ms at 48 kHz
constexpr std::uint32_t rate = 48000;

/// iXML as a recorder writes it after the audio: about 2.5 KiB with a track list, speed,
/// scene and take, a file set and a history.
std::string recorderIxml(int take)
{
    std::string xml = "<?xml version=\"1.0\" encoding=\"UTF-8\"?><BWFXML><IXML_VERSION>2.10"
                      "</IXML_VERSION><PROJECT>Bench</PROJECT><SCENE>12A</SCENE><TAKE>" +
                      std::to_string(take) + "</TAKE><TAPE>T01</TAPE><NOTE>wide</NOTE>"
                      "<FILE_SET><TOTAL_FILES>1</TOTAL_FILES><FAMILY_UID>F" + std::to_string(take) +
                      "</FAMILY_UID><FILE_SET_INDEX>A</FILE_SET_INDEX></FILE_SET><SPEED>"
                      "<TIMECODE_RATE>25/1</TIMECODE_RATE><TIMECODE_FLAG>NDF</TIMECODE_FLAG>"
                      "<FILE_SAMPLE_RATE>48000</FILE_SAMPLE_RATE></SPEED><TRACK_LIST>"
                      "<TRACK_COUNT>2</TRACK_COUNT>";
    for (int c = 1; c <= 2; ++c)
        xml += "<TRACK><CHANNEL_INDEX>" + std::to_string(c) + "</CHANNEL_INDEX><INTERLEAVE_INDEX>" +
               std::to_string(c) + "</INTERLEAVE_INDEX><NAME>Mix " + (c == 1 ? "L" : "R") +
               "</NAME></TRACK>";
    xml += "</TRACK_LIST><HISTORY>";
    while (xml.size() < 2500)
        xml += "<PARENT_UID>0123456789ABCDEF0123456789ABCDEF</PARENT_UID>";
    return xml + "</HISTORY></BWFXML>";
}

/// Writes `takeCount` takes into `<root>/<name>/Audio Files`. Take i was recorded i seconds
/// after 08:00 and starts i x 1.5 take lengths in, so neighbours leave gaps. With `shuffled`,
/// file names follow a seeded shuffle instead of the recording order, so the scan inserts
/// takes in no particular order of date.
std::string writeProject(const TempDir& root, const std::string& name, int takeCount,
                         bool shuffled, bool withIxml = false)
{
    std::vector<int> nameOf(static_cast<std::size_t>(takeCount));
    std::iota(nameOf.begin(), nameOf.end(), 0);
    if (shuffled)
        std::shuffle(nameOf.begin(), nameOf.end(), std::mt19937(7u));
    const Bytes frames = constantFrames(2, 24, takeFrames, 1000);
    for (int i = 0; i < takeCount; ++i) {
        const int second = 8 * 3600 + i;
        char time[16];
        std::snprintf(time, sizeof time, "%02d:%02d:%02d", second / 3600, second / 60 % 60,
                      second % 60);
        char file[32];
        std::snprintf(file, sizeof file, "take%05d.wav", nameOf[static_cast<std::size_t>(i)]);
        const SamplePos start = SamplePos(rate) * 8 * 3600 + SamplePos(i) * takeFrames * 3 / 2;
        root.write(name + "/Audio Files/" + file,
                   takeBytes({.timeReference = start, .date = "2024-05-01", .time = time,
                              .channels = 2, .rate = rate, .bits = 24, .data = frames,
                              .ixml = withIxml ? recorderIxml(i) : std::string()}));
    }
    return tabrix::utf8FromPath(root.path() / name);
}

/// Best of `repeats` loads, in seconds; -1 when a load fails.
double bestLoadSeconds(const std::string& folder, int takeCount)
{
    double best = 1e300;
    for (int r = 0; r < repeats; ++r) {
        ConformProject project;
        const bench::Stopwatch watch;
        const bool loaded = project.load(folder);
        const double seconds = watch.seconds();
        if (!loaded || project.takes().count() != std::uint32_t(takeCount))
            return -1;
        best = std::min(best, seconds);
    }
    return best;
}

/// Best of `repeats` passes that only list the folder and open, read 1024 bytes of and close
/// each file: what the file system alone costs, for comparison with the load.
double bestFloorSeconds(const std::string& folder)
{
    const std::filesystem::path audio = tabrix::pathFromUtf8(folder) / "Audio Files";
    double best = 1e300;
    std::vector<unsigned char> header(1024);
    for (int r = 0; r < repeats; ++r) {
        const bench::Stopwatch watch;
        std::size_t bytes = 0;
        for (const auto& entry : std::filesystem::directory_iterator(audio)) {
            std::FILE* file = std::fopen(entry.path().c_str(), "rb");
            if (file == nullptr)
                return -1;
            bytes += std::fread(header.data(), 1, header.size(), file);
            std::fclose(file);
        }
        const double seconds = watch.seconds();
        if (bytes == 0)
            return -1;
        best = std::min(best, seconds);
    }
    return best;
}

/// Best of `repeats` parses of one take whose fmt and data chunks have `chunkCount` chunks of
/// `bodyBytes` each between them, in seconds; -1 when the parse fails.
double bestParseSeconds(const TempDir& root, const std::string& name, int chunkCount,
                        std::uint32_t bodyBytes)
{
    RiffBuilder riff;
    riff.chunk("bext", bextBody({})).chunk("fmt ", fmtBody({.channels = 2, .bits = 24}));
    const Bytes body(bodyBytes, 0x20);
    for (int i = 0; i < chunkCount; ++i)
        riff.chunk("JUNK", body);
    root.write(name, riff.chunk("data", constantFrames(2, 24, 480, 1)).bytes());
    double best = 1e300;
    for (int r = 0; r < repeats; ++r) {
        Take take(root.path(), name);
        const bench::Stopwatch watch;
        const bool parsed = take.parse();
        const double seconds = watch.seconds();
        if (!parsed)
            return -1;
        best = std::min(best, seconds);
    }
    return best;
}

struct Layout {
    const char* what;
    bool shuffled;
    bool withIxml = false;
};

} // namespace

int main()
{
    const TempDir root;
    const int small = 200;
    const int large = 2000;
    std::printf("load of a project folder, best of %d, takes of %llu frames (24-bit stereo)\n",
                repeats, static_cast<unsigned long long>(takeFrames));
    for (const Layout layout : {Layout{"names in recording order", false},
                                Layout{"names shuffled", true},
                                Layout{"recorder takes, 2.5 KiB of iXML after the audio", false, true}}) {
        const std::string prefix =
            std::string(layout.shuffled ? "shuffled" : "ordered") + (layout.withIxml ? "ixml" : "");
        const std::string smallFolder =
            writeProject(root, prefix + "200", small, layout.shuffled, layout.withIxml);
        const std::string largeFolder =
            writeProject(root, prefix + "2000", large, layout.shuffled, layout.withIxml);
        const double smallSeconds = bestLoadSeconds(smallFolder, small);
        const double largeSeconds = bestLoadSeconds(largeFolder, large);
        if (smallSeconds < 0 || largeSeconds < 0) {
            std::printf("%s: load failed\n", layout.what);
            return 1;
        }
        std::printf("%s:\n", layout.what);
        std::printf("  %5d takes  %9.3f ms  %7.2f us/take\n", small, smallSeconds * 1e3,
                    smallSeconds * 1e6 / small);
        std::printf("  %5d takes  %9.3f ms  %7.2f us/take\n", large, largeSeconds * 1e3,
                    largeSeconds * 1e6 / large);
        std::printf("  ratio %d/%d  %.2f (linear growth: 10)\n", large, small,
                    largeSeconds / smallSeconds);
        const double smallFloor = bestFloorSeconds(smallFolder);
        const double largeFloor = bestFloorSeconds(largeFolder);
        std::printf("  file system alone (list, open, read 1 KiB, close): %.3f ms / %.3f ms, "
                    "ratio %.2f\n",
                    smallFloor * 1e3, largeFloor * 1e3, largeFloor / smallFloor);
    }

    // 100000 chunks of 18 bytes each (1.8 MB): odd bodies with a pad byte against even ones.
    // Each odd chunk's pad-byte look-ahead must cost no more than reading on.
    constexpr int chunkCount = 100000;
    const double oddSeconds = bestParseSeconds(root, "odd.wav", chunkCount, 9);
    const double evenSeconds = bestParseSeconds(root, "even.wav", chunkCount, 10);
    if (oddSeconds < 0 || evenSeconds < 0) {
        std::printf("chunk walk: parse failed\n");
        return 1;
    }
    std::printf("chunk walk over %d chunks (1.8 MB), best of %d: 9-byte bodies %.3f ms, "
                "10-byte bodies %.3f ms, ratio %.2f\n",
                chunkCount, repeats, oddSeconds * 1e3, evenSeconds * 1e3, oddSeconds / evenSeconds);

    const std::string folder = writeProject(root, "memory2000", large, false);
    bench::resetPeakResident();
    const std::uint64_t before = bench::peakResidentBytes();
    ConformProject project;
    if (!project.load(folder))
        return 1;
    const std::uint64_t peak = bench::peakResidentBytes();
    std::printf("peak resident after loading %d takes: %.1f MiB (%.1f MiB before the load, "
                "+%.1f MiB)\n",
                large, bench::mebibytes(peak), bench::mebibytes(before),
                bench::mebibytes(peak - std::min(peak, before)));
    std::printf("segments: %zu, read caches if allocated up front: %.1f MiB\n",
                project.timeline()->segmentCount(),
                bench::mebibytes(project.timeline()->segmentCount() * SegmentReadCache::bufferBytes));
    return 0;
}
