#pragma once
#include "audio/BwfFile.h"
#include "audio/Types.h"
#include "project/TakeSource.h"

#include <cstddef>
#include <cstdint>
#include <memory>

namespace tabrix {

class TimelineSegment;

/// A run of a segment's raw sample frames, exactly as they lie in the take's data chunk (a
/// family's: each file's frames in a plane of their own, see TakeSource::planeOffset). The
/// 128 KiB buffer is allocated when the segment is first read and can be released once the
/// renderer has passed the segment, so a timeline of thousands of takes costs little memory.
class SegmentReadCache {
public:
    static constexpr std::size_t bufferBytes = 131072;
    static constexpr std::uint32_t capacity24Bit = TakeSource::capacity24Bit;
    /// Room past the last refill byte: a 24-bit sample is loaded as a whole word.
    static constexpr std::size_t slackBytes = 8;

    /// Byte limit of one refill: 122880 when the take is 24-bit (every file of a family),
    /// else 131072.
    std::uint32_t cacheCapacity() const noexcept;
    /// Frames cached from `p` on; 0 when `p` is outside the cached run.
    std::uint64_t cachedFrames(SamplePos p) const noexcept;
    /// Address of the cached frame at `p` of a take read alone; none when `p` is outside the
    /// cached run.
    const std::uint8_t* framePtr(SamplePos p) const noexcept;
    /// Index of `p` in the cached run (it must be inside); a lane's sample of it lies at
    /// bytes() + lane.byteOffset + index x lane.strideBytes.
    std::uint64_t frameIndex(SamplePos p) const noexcept { return p - cacheStart; }
    const std::uint8_t* bytes() const noexcept { return storage.get(); }

    /// Makes sure `segment`'s cache holds at least one frame at `p`, refilling from the take
    /// when needed (never past the segment's end; the take is closed once its last frames are
    /// cached). None on failure: the take is closed, the buffer released and `lastFailure`
    /// says why.
    static SegmentReadCache* readSpan(TimelineSegment& segment, SamplePos p);

    /// The 131072-byte buffer, allocated on first use; none if allocation failed.
    std::uint8_t* buffer() noexcept;
    /// Frees the buffer and empties the cache; a later read allocates it again.
    void releaseBuffer() noexcept;
    bool hasBuffer() const noexcept { return storage != nullptr; }

    SamplePos cacheStart = 0;
    std::uint64_t cacheFrames = 0;
    TakeSource* source = nullptr;
    SampleReadFailure lastFailure;
    const Take* failedFile = nullptr; ///< the file whose read failed last

private:
    std::unique_ptr<std::uint8_t[]> storage;
};

} // namespace tabrix
