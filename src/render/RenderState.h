#pragma once
#include "audio/Types.h"
#include "render/MixBlock.h"

#include <cstdint>

namespace tabrix {

class OutputConverter;
class TakeTimeline;
class TimelineSegment;

/// The block renderer: fills the MixBlock from the timeline, silence where no segment plays,
/// and equal-power fades at splices between different recordings.
class RenderState {
public:
    /// Forgets the previous segment and any pending fade-in: the next block fades in from
    /// silence.
    void resetRender() noexcept;
    /// The working samples of the coming run: `laneCount` lanes of the Words or Floats layout
    /// (2 for Frames). Every source's lanes must be bound to match (TakeSource::bindLanes).
    /// False when the lane buffer could not be had.
    [[nodiscard]] bool setLayout(BlockLayout layout, std::size_t laneCount);
    BlockLayout layout() const noexcept { return block.layout; }

    /// Renders the block that starts at `position` (at most 16384 frames; fewer when a
    /// segment's fade-out would straddle the block's end) and advances `position` by the
    /// frames placed. Past the timeline's end the block is completed with silence.
    /// `fadeRate` is 16, 8 or 4. False when a take could not be read: the block is incomplete
    /// and must not be written, and `failedSegment` is the segment whose take failed (its
    /// cache's `lastFailure` says why).
    [[nodiscard]] bool renderBlock(const TakeTimeline* timeline, SamplePos& position,
                                   std::int8_t fadeRate);

    /// While `converter` is bound, frames that no fade can reach go from the take's bytes
    /// straight into its output buffer; frames() then holds stale words there, which the
    /// converter skips. None (the default) renders every frame into frames().
    void setDirectOutput(OutputConverter* converter) noexcept { direct = converter; }

    /// The frames of the last rendered block start at frames()[0] (Frames layout).
    const WorkFrame* frames() const noexcept { return block.frames.get(); }
    /// The last rendered block in whatever layout the run has.
    BlockView view() const noexcept;

    TimelineSegment* lastSegment = nullptr;
    const TimelineSegment* failedSegment = nullptr;
    std::uint64_t fadeInDone = 0;

private:
    void appendSilence(std::uint64_t frameCount, SamplePos& position) noexcept;
    void copyRun(const TimelineSegment& segment, std::uint64_t frameCount, SamplePos& position,
                 std::uint64_t fadeLength) noexcept;
    void toWorking(const TimelineSegment& segment, SamplePos position, std::uint64_t blockOffset,
                   std::uint64_t frameCount) noexcept;
    void copyLanes(const TimelineSegment& segment, std::uint64_t cacheIndex,
                   std::uint64_t blockOffset, std::uint64_t frameCount) noexcept;
    void scaleFrame(std::size_t index, std::size_t tableIndex) noexcept;
    bool readDirect(TimelineSegment& segment, SamplePos& position, std::uint64_t room,
                    std::uint64_t fadeLength);
    void applyFades(TimelineSegment& segment, SamplePos position, std::uint32_t tableStep,
                    std::uint64_t fadeLength) noexcept;
    void fadeInPiece(const TimelineSegment& segment, std::uint64_t fromStep, SamplePos position,
                     std::uint32_t tableStep, std::uint64_t fadeLength) noexcept;
    void fadeOut(const TimelineSegment& segment, std::uint32_t tableStep,
                 std::uint64_t fadeLength) noexcept;

    MixBlock block;
    OutputConverter* direct = nullptr;
};

} // namespace tabrix
