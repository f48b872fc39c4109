#pragma once
#include "audio/Types.h"
#include "project/TakeSource.h"
#include "project/TimelineSegment.h"

namespace tabrix {

/// The takes of a project laid out as a chain of non-overlapping segments in ascending order.
/// The most recent recording wins every overlap; gaps hold no segment.
class TakeTimeline {
public:
    TakeTimeline() = default;
    ~TakeTimeline() { clear(); }
    TakeTimeline(const TakeTimeline&) = delete;
    TakeTimeline& operator=(const TakeTimeline&) = delete;

    /// Places every source, from the last (newest) to the first; `sources` must outlive the
    /// timeline.
    void build(const TakeSources& sources);
    /// Places `segment` against the chain from `at` on; returns the segment that now leads
    /// that chain. `segment` may be released (when it lies within a placed one).
    static TimelineSegment* insert(TimelineSegment* at, TimelineSegment* segment);
    /// The leftmost or rightmost segment; none when the timeline is empty.
    TimelineSegment* first() const noexcept;
    TimelineSegment* last() const noexcept;
    /// The first segment, walking from `from` (or the leftmost), that touches [spanStart,
    /// spanEnd): starts inside, ends inside, or covers it. None when no segment does.
    TimelineSegment* findOverlapping(SamplePos spanStart, SamplePos spanEnd,
                                     TimelineSegment* from = nullptr) const noexcept;
    /// Releases every segment (closing their takes); the takes themselves stay.
    void clear() noexcept;
    /// Number of segments in the chain.
    std::size_t segmentCount() const noexcept;

private:
    TimelineSegment* head = nullptr;
};

} // namespace tabrix
