#include "render/RenderState.h"

#include "audio/ByteOrder.h"
#include "project/TakeTimeline.h"
#include "render/FadeTable.h"
#include "render/OutputConverter.h"
#include "render/SampleLoad.h"
#include "render/SegmentReadCache.h"

#include <algorithm>
#include <cstring>
#include <new>

namespace tabrix {

namespace {

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
    case 1: copyFrames(from, into, frameCount, frameBytes, rightOffset, wordOfU8); break;
    case 2: copyFrames(from, into, frameCount, frameBytes, rightOffset, wordOfS16); break;
    case 3: copyFrames(from, into, frameCount, frameBytes, rightOffset, wordOfS24); break;
    default:
        if (take.encoding() == SampleEncoding::Float)
            copyFrames(from, into, frameCount, frameBytes, rightOffset, wordOfF32);
        else
            copyFrames(from, into, frameCount, frameBytes, rightOffset, loadS32le);
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

bool RenderState::setLayout(BlockLayout layout, std::size_t laneCount)
{
    block.layout = layout;
    block.laneCount = layout == BlockLayout::Frames ? 2 : laneCount;
    const std::size_t sampleCount = laneCount * blockFrames;
    if (layout == BlockLayout::Words && block.wordLanes < laneCount) {
        block.words.reset(new (std::nothrow) std::int32_t[sampleCount]);
        block.wordLanes = block.words != nullptr ? laneCount : 0;
        return block.words != nullptr;
    }
    if (layout == BlockLayout::Floats && block.floatLanes < laneCount) {
        block.floats.reset(new (std::nothrow) float[sampleCount]);
        block.floatLanes = block.floats != nullptr ? laneCount : 0;
        return block.floats != nullptr;
    }
    return true;
}

BlockView RenderState::view() const noexcept
{
    return {block.frames.get(), block.words.get(), block.floats.get(), block.laneCount};
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
    const std::size_t lanes = block.laneCount;
    switch (block.layout) {
    case BlockLayout::Frames:
        std::fill_n(block.frames.get() + block.filled, frameCount, WorkFrame{});
        break;
    case BlockLayout::Words:
        std::fill_n(block.words.get() + block.filled * lanes, frameCount * lanes, 0);
        break;
    case BlockLayout::Floats:
        std::fill_n(block.floats.get() + block.filled * lanes, frameCount * lanes, 0.0f);
        break;
    }
    block.filled += frameCount;
    position += frameCount;
}

// Fades reach a segment's frames only within fadeLength of its ends: its own fade-in and
// fade-out, and the fade-out of a later segment shorter than a fade, which reaches back no
// further than this segment's own fade-out. The frames between go to the output as they are.
void RenderState::copyRun(const TimelineSegment& segment, std::uint64_t frameCount,
                          SamplePos& position, std::uint64_t fadeLength) noexcept
{
    const TakeSource& source = *segment.take;
    std::uint64_t head = frameCount; // frames before the direct stretch
    std::uint64_t middle = 0;        // frames of the direct stretch
    if (direct != nullptr && segment.length > 2 * fadeLength && direct->acceptsDirect(source)) {
        const SamplePos end = position + frameCount;
        const SamplePos quietFrom = std::clamp(segment.start + fadeLength, position, end);
        const SamplePos quietTo = std::clamp(segment.end - fadeLength, quietFrom, end);
        if (quietTo > quietFrom &&
            direct->convertDirect(segment.cache.bytes(), segment.cache.frameIndex(quietFrom),
                                  source, block.filled + (quietFrom - position),
                                  quietTo - quietFrom)) {
            head = quietFrom - position;
            middle = quietTo - quietFrom;
        }
    }
    toWorking(segment, position, block.filled, head);
    const std::uint64_t skipped = head + middle;
    toWorking(segment, position + skipped, block.filled + skipped, frameCount - skipped);
    if (block.filled == 0)
        block.startPosition = position;
    block.filled += frameCount;
    position += frameCount;
}

// A take read alone into pairs keeps its one-pass copy; everything else goes lane by lane.
void RenderState::toWorking(const TimelineSegment& segment, SamplePos position,
                            std::uint64_t blockOffset, std::uint64_t frameCount) noexcept
{
    if (frameCount == 0)
        return;
    if (block.layout == BlockLayout::Frames && !segment.take->isFamily())
        toWorkFrames(segment.take->lead(), segment.cache.framePtr(position),
                     block.frames.get() + blockOffset, frameCount);
    else
        copyLanes(segment, segment.cache.frameIndex(position), blockOffset, frameCount);
}

void RenderState::copyLanes(const TimelineSegment& segment, std::uint64_t cacheIndex,
                            std::uint64_t blockOffset, std::uint64_t frameCount) noexcept
{
    const std::vector<LaneSource>& lanes = segment.take->lanes();
    const std::size_t laneCount = block.laneCount;
    for (std::size_t l = 0; l < lanes.size() && l < laneCount; ++l) {
        const LaneSource& lane = lanes[l];
        const std::size_t stride = lane.strideBytes;
        const std::uint8_t* from = segment.cache.bytes() + lane.byteOffset + cacheIndex * stride;
        withKind(lane.kind, [&]<SampleKind Kind>() {
            switch (block.layout) {
            case BlockLayout::Frames: {
                WorkFrame* into = block.frames.get() + blockOffset;
                for (std::uint64_t i = 0; i < frameCount; ++i)
                    (l == 0 ? into[i].left : into[i].right) = sampleWord<Kind>(from + i * stride);
                break;
            }
            case BlockLayout::Words: {
                std::int32_t* into = block.words.get() + blockOffset * laneCount + l;
                for (std::uint64_t i = 0; i < frameCount; ++i)
                    into[i * laneCount] = sampleWord<Kind>(from + i * stride);
                break;
            }
            case BlockLayout::Floats: {
                float* into = block.floats.get() + blockOffset * laneCount + l;
                for (std::uint64_t i = 0; i < frameCount; ++i)
                    into[i * laneCount] = sampleFloat<Kind>(from + i * stride);
                break;
            }
            }
        });
    }
}

// Where the take's bytes are the output's bytes, an unfaded stretch the cache doesn't hold is
// read straight into the output buffer, saving a copy. It ends where the fade-out begins and
// closes the block there, as a run from the cache would; a failed read leaves the frames to
// the cache, which fails or succeeds as before.
bool RenderState::readDirect(TimelineSegment& segment, SamplePos& position, std::uint64_t room,
                             std::uint64_t fadeLength)
{
    TakeSource* source = segment.take;
    if (source == nullptr || source->isFamily() || segment.length <= 2 * fadeLength ||
        position < segment.start + fadeLength || position >= segment.end - fadeLength)
        return false;
    Take& take = source->lead();
    const std::uint64_t untilFade = segment.end - fadeLength - position;
    const std::uint64_t frameCount = std::min(room, untilFade);
    const std::uint64_t frameBytes = take.frameBytes();
    const std::uint64_t byteOffset =
        frameBytes * (segment.sourceOffset + (position - segment.start));
    std::uint8_t* into = direct->identityTarget(*source, block.filled, frameCount);
    std::uint64_t bytesRead = 0;
    if (into == nullptr ||
        !take.readSamples(into, byteOffset, frameCount * frameBytes, bytesRead))
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
        (lastSegment == nullptr || !segment.take->sameRecording(lastSegment->take))) {
        fadeInDone = 0;
        // A segment whose start lies in an earlier block gets no fade-in.
        if (segment.start >= block.startPosition)
            fadeInPiece(segment, 0, position, tableStep, fadeLength);
    }
    if (position == segment.end) {
        const TimelineSegment* following = segment.next;
        const bool sameRecording = following != nullptr && following->take != nullptr &&
                                   segment.take->sameRecording(following->take);
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
    for (std::uint64_t i = std::max(fromStep, blockFirst); i < upTo; ++i)
        scaleFrame(std::size_t(segment.start + i - block.startPosition), tableStep * i);
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
    for (std::int64_t p = from; p < to; ++p) {
        const auto i = std::uint64_t(p - regionStart);
        scaleFrame(std::size_t(p - blockStart), fadeTableSize - 1 - tableStep * i);
    }
}

// The same gain on every lane: the integer rule for words, one float product for floats.
void RenderState::scaleFrame(std::size_t index, std::size_t tableIndex) noexcept
{
    const FadeTable& table = FadeTable::instance();
    const std::size_t lanes = block.laneCount;
    switch (block.layout) {
    case BlockLayout::Frames: {
        WorkFrame& frame = block.frames[index];
        const std::uint32_t gain = table.gainAt(tableIndex);
        frame.left = applyGain(frame.left, gain);
        frame.right = applyGain(frame.right, gain);
        break;
    }
    case BlockLayout::Words: {
        const std::uint32_t gain = table.gainAt(tableIndex);
        for (std::int32_t* w = block.words.get() + index * lanes, *end = w + lanes; w != end; ++w)
            *w = applyGain(*w, gain);
        break;
    }
    case BlockLayout::Floats: {
        const float gain = table.floatGainAt(tableIndex);
        for (float* f = block.floats.get() + index * lanes, *end = f + lanes; f != end; ++f)
            *f = *f * gain;
        break;
    }
    }
}

} // namespace tabrix
