#include "render/RenderState.h"

#include "audio/ByteOrder.h"
#include "project/TakeTimeline.h"
#include "render/FadeTable.h"
#include "render/OutputConverter.h"
#include "render/SegmentReadCache.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace tabrix {

namespace {

// Source samples go into the top bits of a working word. Shifts are done unsigned so that
// negative samples are well defined.
inline std::int32_t fromTop(std::uint32_t bits) noexcept
{
    return static_cast<std::int32_t>(bits);
}

inline std::int32_t load8(const std::uint8_t* p) noexcept
{
    return fromTop(static_cast<std::uint32_t>(p[0] ^ 0x80u) << 24); // unsigned, offset 128
}

inline std::int32_t load16(const std::uint8_t* p) noexcept
{
    return fromTop(std::uint32_t(loadU16le(p)) << 16);
}

// One 32-bit load instead of three byte loads: the byte after the sample is shifted out. The
// last sample of a refill may read one byte past it, which stays inside the cache buffer.
static_assert(SegmentReadCache::capacity24Bit < SegmentReadCache::bufferBytes);

inline std::int32_t load24(const std::uint8_t* p) noexcept
{
    return fromTop(loadU32le(p) << 8);
}

inline std::int32_t load32(const std::uint8_t* p) noexcept
{
    return loadS32le(p);
}

inline std::int32_t loadFloat(const std::uint8_t* p) noexcept
{
    const double scaled = double(loadF32le(p)) * 2147483648.0;
    if (std::isnan(scaled))
        return 0;
    if (scaled >= 2147483647.0)
        return 2147483647;
    if (scaled <= -2147483648.0)
        return -2147483647 - 1;
    return static_cast<std::int32_t>(scaled); // truncates toward zero
}

template <typename Load>
void copyFrames(const std::uint8_t* from, WorkFrame* into, std::uint64_t frameCount,
                std::size_t frameBytes, std::size_t rightOffset, Load load) noexcept
{
    for (std::uint64_t i = 0; i < frameCount; ++i, from += frameBytes) {
        into[i].left = load(from);
        into[i].right = load(from + rightOffset);
    }
}

void toWorkFrames(const BwfFile& take, const std::uint8_t* from, WorkFrame* into,
                  std::uint64_t frameCount) noexcept
{
    const std::size_t sampleBytes = take.format().bitsPerSample / 8u;
    const std::size_t frameBytes = take.frameBytes();
    // Takes with more than two channels play their first two as left and right.
    const std::size_t rightOffset = take.format().channelCount >= 2 ? sampleBytes : 0;
    switch (sampleBytes) {
    case 1: copyFrames(from, into, frameCount, frameBytes, rightOffset, load8); break;
    case 2: copyFrames(from, into, frameCount, frameBytes, rightOffset, load16); break;
    case 3: copyFrames(from, into, frameCount, frameBytes, rightOffset, load24); break;
    default:
        if (take.encoding() == SampleEncoding::Float)
            copyFrames(from, into, frameCount, frameBytes, rightOffset, loadFloat);
        else
            copyFrames(from, into, frameCount, frameBytes, rightOffset, load32);
        break;
    }
}

} // namespace

void RenderState::resetRender() noexcept
{
    lastSegment = nullptr;
    failedSegment = nullptr;
    fadeInDone = 0;
}

bool RenderState::renderBlock(const TakeTimeline* timeline, SamplePos& position,
                              std::int8_t fadeRate)
{
    const std::uint32_t tableStep = fadeRate >= 4 ? std::uint32_t(fadeRate) / 4 : 1;
    const std::uint64_t fadeLength = fadeTableSize / tableStep;
    if (direct != nullptr)
        direct->clearDirect();
    while (block.filled < blockFrames && !block.closed) {
        const std::uint64_t room = blockFrames - block.filled;
        // No segment before the last one played can overlap what lies ahead, so the search
        // starts there instead of walking the whole chain for every run.
        TimelineSegment* segment =
            timeline != nullptr
                ? timeline->findOverlapping(position, position + blockFrames, lastSegment)
                : nullptr;
        if (segment == nullptr) {
            appendSilence(room, position);
            continue;
        }
        if (position < segment->start) {
            appendSilence(std::min(segment->start - position, room), position);
            continue;
        }
        if (direct != nullptr && segment->cache.cachedFrames(position) == 0 &&
            readDirect(*segment, position, room, fadeLength)) {
            applyFades(*segment, position, tableStep, fadeLength);
            continue;
        }
        const SegmentReadCache* cache = SegmentReadCache::readSpan(*segment, position);
        if (cache == nullptr) {
            // Silence here would pass lost audio off as a finished conform.
            failedSegment = segment;
            block.filled = 0;
            block.closed = false;
            return false;
        }
        std::uint64_t runFrames = cache->cachedFrames(position);
        // End the block where the segment's fade-out begins, so a fade-out is never split.
        if (segment->end >= fadeLength && position <= segment->end - fadeLength) {
            const std::uint64_t untilFade = segment->end - fadeLength - position;
            if (room > untilFade && room < segment->end - position) {
                runFrames = std::min(runFrames, untilFade);
                block.closed = true;
            }
        }
        runFrames = std::min(runFrames, room);
        if (runFrames == 0)
            continue; // closes the block without placing a frame: no fade step
        copyRun(*segment, runFrames, position, fadeLength);
        applyFades(*segment, position, tableStep, fadeLength);
    }
    block.filled = 0;
    block.closed = false;
    return true;
}

void RenderState::appendSilence(std::uint64_t frameCount, SamplePos& position) noexcept
{
    if (block.filled == 0)
        block.startPosition = position;
    std::fill_n(block.frames.get() + block.filled, frameCount, WorkFrame{});
    block.filled += frameCount;
    position += frameCount;
}

// Fades reach a segment's frames only within fadeLength of its ends: its own fade-in and
// fade-out, and the fade-out of a later segment shorter than a fade, which reaches back no
// further than this segment's own fade-out. The frames between go to the output as they are.
void RenderState::copyRun(const TimelineSegment& segment, std::uint64_t frameCount,
                          SamplePos& position, std::uint64_t fadeLength) noexcept
{
    const BwfFile& take = *segment.take;
    const std::uint8_t* from = segment.cache.framePtr(position);
    WorkFrame* into = block.frames.get() + block.filled;
    const std::size_t frameBytes = take.frameBytes();
    std::uint64_t head = frameCount; // frames before the direct stretch
    std::uint64_t middle = 0;        // frames of the direct stretch
    if (direct != nullptr && segment.length > 2 * fadeLength &&
        direct->acceptsDirect(take.format())) {
        const SamplePos end = position + frameCount;
        const SamplePos quietFrom = std::clamp(segment.start + fadeLength, position, end);
        const SamplePos quietTo = std::clamp(segment.end - fadeLength, quietFrom, end);
        if (quietTo > quietFrom &&
            direct->convertDirect(from + (quietFrom - position) * frameBytes, take.format(),
                                  block.filled + (quietFrom - position), quietTo - quietFrom)) {
            head = quietFrom - position;
            middle = quietTo - quietFrom;
        }
    }
    toWorkFrames(take, from, into, head);
    const std::uint64_t skipped = head + middle;
    toWorkFrames(take, from + skipped * frameBytes, into + skipped, frameCount - skipped);
    if (block.filled == 0)
        block.startPosition = position;
    block.filled += frameCount;
    position += frameCount;
}

// Where the take's bytes are the output's bytes, an unfaded stretch the cache doesn't hold is
// read straight into the output buffer, saving a copy. It ends where the fade-out begins and
// closes the block there, as a run from the cache would; a failed read leaves the frames to
// the cache, which fails or succeeds as before.
bool RenderState::readDirect(TimelineSegment& segment, SamplePos& position, std::uint64_t room,
                             std::uint64_t fadeLength)
{
    BwfFile* take = segment.take;
    if (take == nullptr || segment.length <= 2 * fadeLength ||
        position < segment.start + fadeLength || position >= segment.end - fadeLength)
        return false;
    const std::uint64_t untilFade = segment.end - fadeLength - position;
    const std::uint64_t frameCount = std::min(room, untilFade);
    const std::uint64_t frameBytes = take->frameBytes();
    const std::uint64_t byteOffset =
        frameBytes * (segment.sourceOffset + (position - segment.start));
    std::uint8_t* into = direct->identityTarget(take->format(), block.filled, frameCount);
    std::uint64_t bytesRead = 0;
    if (into == nullptr ||
        !take->readSamples(into, byteOffset, frameCount * frameBytes, bytesRead))
        return false;
    direct->keepDirect(block.filled, frameCount);
    if (room > untilFade && room < segment.end - position)
        block.closed = true;
    if (block.filled == 0)
        block.startPosition = position;
    block.filled += frameCount;
    position += frameCount;
    return true;
}

void RenderState::applyFades(TimelineSegment& segment, SamplePos position,
                             std::uint32_t tableStep, std::uint64_t fadeLength) noexcept
{
    if (fadeInDone != 0) {
        if (&segment == lastSegment)
            fadeInPiece(segment, fadeInDone, position, tableStep, fadeLength);
        else
            fadeInDone = 0;
    }
    if (&segment != lastSegment &&
        (lastSegment == nullptr || !segment.take->sameTfid(lastSegment->take))) {
        fadeInDone = 0;
        // A segment whose start lies in an earlier block gets no fade-in.
        if (segment.start >= block.startPosition)
            fadeInPiece(segment, 0, position, tableStep, fadeLength);
    }
    if (position == segment.end) {
        const TimelineSegment* following = segment.next;
        const bool sameRecording = following != nullptr && following->take != nullptr &&
                                   segment.take->sameTfid(following->take);
        if (!sameRecording)
            fadeOut(segment, tableStep, fadeLength);
        segment.cache.releaseBuffer(); // the renderer never comes back to a passed segment
    }
    if (lastSegment != nullptr && lastSegment != &segment)
        lastSegment->cache.releaseBuffer();
    lastSegment = &segment;
}

void RenderState::fadeInPiece(const TimelineSegment& segment, std::uint64_t fromStep,
                              SamplePos position, std::uint32_t tableStep,
                              std::uint64_t fadeLength) noexcept
{
    const std::uint64_t fadeFrames = std::min(fadeLength, segment.length);
    const std::uint64_t placed = position - segment.start;      // frames of the segment so far
    const std::uint64_t blockFirst = block.startPosition > segment.start
                                         ? block.startPosition - segment.start
                                         : 0;                     // first step inside the block
    const std::uint64_t upTo = std::min(fadeFrames, placed);
    const FadeTable& table = FadeTable::instance();
    for (std::uint64_t i = std::max(fromStep, blockFirst); i < upTo; ++i) {
        WorkFrame& frame = block.frames[segment.start + i - block.startPosition];
        const std::uint32_t gain = table.gainAt(tableStep * i);
        frame.left = applyGain(frame.left, gain);
        frame.right = applyGain(frame.right, gain);
    }
    fadeInDone = upTo >= fadeFrames ? 0 : upTo;
}

// The whole fade-out region lies in this block for segments of at least fadeLength frames (the
// early close sees to that). A shorter segment's region reaches back before its start; what of
// it lies in this block is faded, so the splice still dips to silence.
void RenderState::fadeOut(const TimelineSegment& segment, std::uint32_t tableStep,
                          std::uint64_t fadeLength) noexcept
{
    const auto regionStart = std::int64_t(segment.end) - std::int64_t(fadeLength);
    const auto blockStart = std::int64_t(block.startPosition);
    const std::int64_t from = std::max(regionStart, blockStart);
    const std::int64_t to = std::min(std::int64_t(segment.end), blockStart + std::int64_t(block.filled));
    const FadeTable& table = FadeTable::instance();
    for (std::int64_t p = from; p < to; ++p) {
        const auto i = std::uint64_t(p - regionStart);
        const std::uint32_t gain = table.gainAt(fadeTableSize - 1 - tableStep * i);
        WorkFrame& frame = block.frames[std::size_t(p - blockStart)];
        frame.left = applyGain(frame.left, gain);
        frame.right = applyGain(frame.right, gain);
    }
}

} // namespace tabrix
