#include "render/OutputConverter.h"

#include "audio/ByteOrder.h"
#include "project/TimelineSegment.h"
#include "render/SegmentReadCache.h"

namespace tabrix {

namespace {

constexpr std::size_t secondHalfOffset = 65536; // Dual Mono: right file's bytes

// Room for a block's bytes plus the one byte a 24-bit store writes past them.
static_assert(blockFrames * 6 < SegmentReadCache::bufferBytes);
static_assert(blockFrames * 3 < secondHalfOffset);

template <int Bytes> inline std::uint8_t* put(std::uint8_t* into, std::int32_t word) noexcept
{
    if constexpr (Bytes == 2) {
        storeS16le(into, to16(word));
    } else {
        // Bits 8-31, lowest byte first, as one 32-bit store: its fourth byte is overwritten by
        // the next sample, and after a block's last sample it falls on unused buffer space.
        storeU32le(into, static_cast<std::uint32_t>(word) >> 8);
    }
    return into + Bytes;
}

template <int Bytes>
void convert(std::int32_t mode, const WorkFrame* from, std::uint64_t frameCount,
             std::uint8_t* into, std::uint8_t* secondInto) noexcept
{
    switch (mode) {
    case 0:
        for (std::uint64_t i = 0; i < frameCount; ++i)
            into = put<Bytes>(put<Bytes>(into, from[i].left), from[i].right);
        break;
    case 1:
        for (std::uint64_t i = 0; i < frameCount; ++i)
            into = put<Bytes>(into, from[i].left);
        break;
    case 2:
        for (std::uint64_t i = 0; i < frameCount; ++i)
            into = put<Bytes>(into, from[i].right);
        break;
    case 3:
        for (std::uint64_t i = 0; i < frameCount; ++i)
            into = put<Bytes>(into, monoSum(from[i].left, from[i].right));
        break;
    case 4:
        for (std::uint64_t i = 0; i < frameCount; ++i) {
            into = put<Bytes>(into, from[i].left);
            secondInto = put<Bytes>(secondInto, from[i].right);
        }
        break;
    default: break;
    }
}

} // namespace

bool OutputConverter::bindOutput(TimelineSegment* outputSegment)
{
    if (outputSegment == nullptr || outputSegment->take == nullptr ||
        outputSegment->cache.buffer() == nullptr)
        return false;
    const WaveFormat& format = outputSegment->take->format();
    segment = outputSegment;
    outputFrameBytes = static_cast<std::uint16_t>(format.frameBytes());
    width = format.bitsPerSample;
    mode = outputSegment->channelMode;
    return true;
}

bool OutputConverter::convertBlock(const WorkFrame* source, std::uint64_t frameCount)
{
    if (source == nullptr || segment == nullptr || (width != 16 && width != 24) ||
        frameCount > blockFrames)
        return false;
    destination = segment->cache.buffer();
    secondDestination = mode == 4 ? destination + secondHalfOffset : nullptr;
    if (width == 16)
        convert<2>(mode, source, frameCount, destination, secondDestination);
    else
        convert<3>(mode, source, frameCount, destination, secondDestination);
    return writeBlock(frameCount);
}

bool OutputConverter::writeBlock(std::uint64_t frameCount)
{
    if (segment == nullptr || segment->take == nullptr)
        return false;
    const std::uint64_t byteCount = std::uint64_t(outputFrameBytes) * frameCount;
    if (mode != 4)
        return segment->take->writeSamples(destination, byteCount);
    if (segment->secondTake == nullptr)
        return false;
    return segment->take->writeSamples(destination, byteCount) &&
           segment->secondTake->writeSamples(secondDestination, byteCount);
}

void OutputConverter::closeOutputs()
{
    if (segment == nullptr)
        return;
    if (segment->take != nullptr)
        segment->take->close();
    if (mode == 4 && segment->secondTake != nullptr)
        segment->secondTake->close();
    segment = nullptr; // the output segment is released after the run
}

} // namespace tabrix
