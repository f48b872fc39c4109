#include "render/SegmentReadCache.h"

#include "project/TimelineSegment.h"

#include <algorithm>
#include <cerrno>
#include <new>

namespace tabrix {

std::uint32_t SegmentReadCache::cacheCapacity() const noexcept
{
    return source != nullptr ? source->cacheCapacity() : std::uint32_t(bufferBytes);
}

std::uint64_t SegmentReadCache::cachedFrames(SamplePos p) const noexcept
{
    if (p < cacheStart || p - cacheStart >= cacheFrames)
        return 0;
    return cacheStart + cacheFrames - p;
}

const std::uint8_t* SegmentReadCache::framePtr(SamplePos p) const noexcept
{
    if (cachedFrames(p) == 0 || source == nullptr)
        return nullptr;
    return storage.get() + static_cast<std::size_t>(p - cacheStart) * source->frameBytes();
}

std::uint8_t* SegmentReadCache::buffer() noexcept
{
    if (storage == nullptr)
        storage.reset(new (std::nothrow) std::uint8_t[bufferBytes + slackBytes]());
    return storage.get();
}

void SegmentReadCache::releaseBuffer() noexcept
{
    storage.reset();
    cacheStart = 0;
    cacheFrames = 0;
}

SegmentReadCache* SegmentReadCache::readSpan(TimelineSegment& segment, SamplePos p)
{
    SegmentReadCache& cache = segment.cache;
    TakeSource* take = segment.take;
    if (take == nullptr)
        return nullptr;
    if (cache.cachedFrames(p) > 0)
        return &cache;
    cache.cacheFrames = 0;
    cache.cacheStart = 0;
    cache.source = take;
    std::uint8_t* into = cache.buffer();
    if (into == nullptr) {
        cache.lastFailure = {false, ENOMEM};
        cache.failedFile = &take->lead();
        return nullptr;
    }
    if (take->frameBytes() == 0 || p < segment.start || p >= segment.end) {
        cache.lastFailure = {};
        cache.failedFile = &take->lead();
        return nullptr;
    }
    // Whole frames only, and never past the segment's end even where the take goes on.
    const std::uint64_t wantedFrames = std::min(segment.end - p, take->refillFrames());
    const Take* failed = &take->lead();
    if (wantedFrames == 0 ||
        !take->readFrames(into, segment.sourceOffset + (p - segment.start), wantedFrames, failed)) {
        cache.lastFailure = failed->lastReadFailure();
        cache.failedFile = failed;
        take->close();
        cache.releaseBuffer(); // the run ends here: hand the memory back at once
        return nullptr;
    }
    cache.cacheStart = p;
    cache.cacheFrames = wantedFrames;
    if (p + cache.cacheFrames == segment.end)
        take->close(); // last frames cached: release the handles early
    return &cache;
}

} // namespace tabrix
