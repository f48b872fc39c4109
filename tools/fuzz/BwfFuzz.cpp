// Feeds arbitrary bytes to the take reader as a file; an accepted take must then deliver the
// sample bytes it claims to have.
#include "audio/BwfFile.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <system_error>
#include <vector>

#include <unistd.h>

namespace {

constexpr std::uint64_t firstSpanBytes = 64 * 1024;
constexpr std::uint64_t maxFrameBytes = 122880; // the reader refuses larger frames
const char* const inputName = "input.wav";

// One folder per process, so parallel fuzzing jobs don't overwrite each other's input.
const std::filesystem::path& inputFolder()
{
    static const std::filesystem::path folder = [] {
        auto path = std::filesystem::temp_directory_path() /
                    ("tabrix-fuzz-" + std::to_string(::getpid()));
        std::filesystem::create_directories(path);
        std::atexit([] {
            std::error_code ignored;
            std::filesystem::remove_all(inputFolder(), ignored);
        });
        return path;
    }();
    return folder;
}

bool writeInput(const std::uint8_t* data, std::size_t size)
{
    std::FILE* file = std::fopen((inputFolder() / inputName).c_str(), "wb");
    if (file == nullptr)
        return false;
    const bool written = size == 0 || std::fwrite(data, size, 1, file) == 1;
    return std::fclose(file) == 0 && written;
}

[[noreturn]] void fail(const char* what)
{
    std::fprintf(stderr, "bwf_fuzz: invariant broken: %s\n", what);
    std::abort();
}

void readAcceptedTake(tabrix::Take& take)
{
    const std::uint64_t dataBytes = take.dataSize();
    const std::uint64_t frameBytes = take.frameBytes();
    if (frameBytes == 0 || dataBytes < frameBytes)
        fail("no whole frame");

    const std::uint64_t firstBytes = std::min(dataBytes, firstSpanBytes);
    if (frameBytes > maxFrameBytes)
        fail("frame larger than any read block");
    // Allocated once: a fresh buffer per input would fill ASan's quarantine and the RSS limit.
    static std::vector<std::uint8_t> buffer(std::max(firstSpanBytes, maxFrameBytes));
    std::uint64_t bytesRead = 0;
    if (!take.readSamples(buffer.data(), 0, firstBytes, bytesRead) || bytesRead != firstBytes)
        fail("first span unreadable");
    // The last whole frame: a reposition, then a read that ends at or before the data's end.
    const std::uint64_t lastFrame = (dataBytes / frameBytes - 1) * frameBytes;
    if (!take.readSamples(buffer.data(), lastFrame, frameBytes, bytesRead))
        fail("last frame unreadable");
    // After a close the next read must reopen the file.
    take.close();
    if (!take.readSamples(buffer.data(), 0, frameBytes, bytesRead))
        fail("reopen failed");
    (void)take.key();
    (void)take.timeReference();
    (void)take.encoding();
    if (!take.sameTfid(&take))
        fail("TFID differs from itself");
    // A track list, when kept, names every channel once with a distinct key of 1 or more.
    const auto& tracks = take.ixml().tracks;
    if (!tracks.empty() && tracks.size() != take.format().channelCount)
        fail("track list kept for the wrong channel count");
    for (std::size_t i = 0; i < tracks.size(); ++i)
        for (std::size_t j = 0; j < i; ++j)
            if (tracks[i].key == 0 || tracks[i].key == tracks[j].key)
                fail("track keys not distinct and positive");
    take.close();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (!writeInput(data, size))
        return 0;
    tabrix::Take take(inputFolder(), inputName);
    if (take.parse())
        readAcceptedTake(take);
    else if (take.stream().state() != tabrix::StreamState::Closed)
        fail("rejected take left open");
    return 0;
}
