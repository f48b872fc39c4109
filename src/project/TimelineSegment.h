#pragma once
#include "audio/Types.h"
#include "project/TakeSource.h"
#include "render/SegmentReadCache.h"

#include <cstdint>

namespace tabrix {

/// One span of the timeline and the take (a take alone or a family of files) that plays there.
/// Segments are chained; the chain owns the segments after it.
class TimelineSegment {
public:
    /// Sets the segment up from `take`: start = time reference, length = whole frames.
    /// Channel mode: 0 for a take of two channels, else 1.
    explicit TimelineSegment(TakeSource* take);
    /// A copy of `other` (take, mode, start, length, sourceOffset) without links and with an
    /// empty read cache.
    static TimelineSegment* copySegment(const TimelineSegment& other);
    /// Closes the take(s); the segments after this one are released by their owner.
    ~TimelineSegment();
    TimelineSegment(const TimelineSegment&) = delete;
    TimelineSegment& operator=(const TimelineSegment&) = delete;

    /// end = p; length = p - start.
    void setEnd(SamplePos p) noexcept;
    /// sourceOffset grows by p - start; start = p; length = end - p.
    void setStart(SamplePos p) noexcept;
    /// Puts `segment` between this segment's previous one (if any) and this one.
    void linkBefore(TimelineSegment* segment) noexcept;
    /// Puts `segment` between this segment and its next one (if any).
    void linkAfter(TimelineSegment* segment) noexcept;

    TakeSource* take = nullptr;
    std::int32_t channelMode = 0;
    SamplePos start = 0;
    SamplePos end = 0;
    std::uint64_t length = 0;
    std::uint64_t sourceOffset = 0;
    TimelineSegment* next = nullptr;
    TimelineSegment* previous = nullptr;
    SegmentReadCache cache;

private:
    TimelineSegment() = default;
};

} // namespace tabrix
