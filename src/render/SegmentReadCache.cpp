#include "render/SegmentReadCache.h"

#include "project/TimelineSegment.h"

#include <algorithm>
#include <cerrno>
#include <new>

namespace tabrix {

std::uint32_t SegmentReadCache::cacheCapacity() const noexcept
{
    return file != nullptr && file->format().bitsPerSample == 24 ? capacity24Bit
                                                                  : std::uint32_t(bufferBytes);
}

std::uint64_t SegmentReadCache::cachedFrames(SamplePos p) const noexcept
{
    if (p < cacheStart || p - cacheStart >= cacheFrames)
        return 0;
    return cacheStart + cacheFrames - p;
}

const std::uint8_t* SegmentReadCache::framePtr(SamplePos p) const noexcept
{
    if (cachedFrames(p) == 0 || file == nullptr)
        return nullptr;
    return storage.get() + static_cast<std::size_t>(p - cacheStart) * file->frameBytes();
}

std::uint8_t* SegmentReadCache::buffer() noexcept
{
    if (storage == nullptr)
        storage.reset(new (std::nothrow) std::uint8_t[bufferBytes]);
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
    BwfFile* take = segment.take;
    if (take == nullptr)
        return nullptr;
    if (cache.cachedFrames(p) > 0)
        return &cache;
    cache.cacheFrames = 0;
    cache.cacheStart = 0;
    cache.file = take;
    std::uint8_t* into = cache.buffer();
    const std::uint64_t frameBytes = take->frameBytes();
    if (into == nullptr) {
        cache.lastFailure = {false, ENOMEM};
        return nullptr;
    }
    if (frameBytes == 0 || p < segment.start || p >= segment.end) {
        cache.lastFailure = {};
        return nullptr;
    }
    const std::uint64_t byteOffset = frameBytes * (segment.sourceOffset + (p - segment.start));
    // Whole frames only, and never past the segment's end even where the take goes on.
    const std::uint64_t capacityFrames = cache.cacheCapacity() / frameBytes;
    const std::uint64_t wantedFrames = std::min(segment.end - p, capacityFrames);
    std::uint64_t bytesRead = 0;
    if (wantedFrames == 0 ||
        !take->readSamples(into, byteOffset, wantedFrames * frameBytes, bytesRead)) {
        cache.lastFailure = take->lastReadFailure();
        take->close();
        cache.releaseBuffer(); // the run ends here: hand the memory back at once
        return nullptr;
    }
    cache.cacheStart = p;
    cache.cacheFrames = bytesRead / frameBytes;
    if (p + cache.cacheFrames == segment.end)
        take->close(); // last frames cached: release the handle early
    return &cache;
}

} // namespace tabrix
