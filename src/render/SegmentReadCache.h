#pragma once
#include "audio/BwfFile.h"
#include "audio/Types.h"

#include <cstddef>
#include <cstdint>
#include <memory>

namespace tabrix {

class TimelineSegment;

/// A run of a segment's raw sample frames, exactly as they lie in the take's data chunk. The
/// 128 KiB buffer is allocated when the segment is first read and can be released once the
/// renderer has passed the segment, so a timeline of thousands of takes costs little memory.
class SegmentReadCache {
public:
    static constexpr std::size_t bufferBytes = 131072;
    static constexpr std::uint32_t capacity24Bit = 122880; ///< whole 3- and 6-byte frames

    /// Byte limit of one refill: 122880 for a 24-bit take, else 131072.
    std::uint32_t cacheCapacity() const noexcept;
    /// Frames cached from `p` on; 0 when `p` is outside the cached run.
    std::uint64_t cachedFrames(SamplePos p) const noexcept;
    /// Address of the cached frame at `p`; none when `p` is outside the cached run.
    const std::uint8_t* framePtr(SamplePos p) const noexcept;

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
    BwfFile* file = nullptr;
    SampleReadFailure lastFailure;

private:
    std::unique_ptr<std::uint8_t[]> storage;
};

} // namespace tabrix
