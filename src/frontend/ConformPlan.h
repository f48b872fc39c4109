#pragma once
#include "audio/Types.h"
#include "frontend/TimeFormat.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace tabrix {

class ConformProject;
class TakeSource;

/// A colour of the plan picture, 8 bits a component.
struct PlanColour {
    std::uint8_t red = 0;
    std::uint8_t green = 0;
    std::uint8_t blue = 0;
    bool operator==(const PlanColour&) const = default;
};

/// One block of the picture: a stretch of the timeline and the take that plays there.
struct PlanSegment {
    std::string takeName;          ///< the take's file name ("A.WAV + 4 files" for several)
    SamplePos start = 0;           ///< timeline frames, inclusive
    SamplePos end = 0;             ///< timeline frames, exclusive
    std::uint64_t sourceFrame = 0; ///< frames into the take where the block begins
    std::size_t recording = 0;     ///< pieces of one recording share it; first seen is 0
    PlanColour colour;             ///< the recording's colour
    bool fadeIn = false;           ///< starts with a fade from silence
    bool fadeOut = false;          ///< ends with a fade to silence
    std::vector<std::string> files = {}; ///< a take of several files: each of them, else none
};

/// A take that plays nowhere: newer takes cover all of it.
struct PlanUnusedTake {
    std::string takeName; ///< the take's file name
    SamplePos start = 0;  ///< where it would play, timeline frames, inclusive
    SamplePos end = 0;    ///< exclusive
    bool operator==(const PlanUnusedTake&) const = default;
};

/// What the conform will play where, as the main window draws it: one block per timeline
/// segment, coloured by recording, with the fades at splices and the takes that play nowhere.
/// Built from the project's public answers, free of any toolkit.
class ConformPlan {
public:
    ConformPlan() = default;
    /// The plan of a loaded project; empty when the project has no timeline or can't be
    /// conformed (mixed sample rates would place takes at meaningless times).
    static ConformPlan of(const ConformProject& project);

    /// A plan of given blocks (sorted, not overlapping), as a preview or a test draws one.
    static ConformPlan ofBlocks(std::vector<PlanSegment> blocks, std::uint32_t rateHz,
                                SamplePos fadeFrames, std::vector<PlanUnusedTake> unused = {});

    bool empty() const noexcept { return blocks.empty(); }
    /// The first block's start and the last block's end, in timeline frames.
    SamplePos start() const noexcept { return empty() ? 0 : blocks.front().start; }
    SamplePos end() const noexcept { return empty() ? 0 : blocks.back().end; }
    std::uint32_t sampleRate() const noexcept { return rateHz; }
    /// Frames of one fade (1024, 2048 or 4096 by rate).
    SamplePos fadeFrames() const noexcept { return fadeLength; }
    const std::vector<PlanSegment>& segments() const noexcept { return blocks; }
    /// Takes that play nowhere (fully covered by newer ones), in the take list's order.
    const std::vector<PlanUnusedTake>& unusedTakes() const noexcept { return unused; }
    /// How this plan's times are put into words.
    const TimeFormat& times() const noexcept { return timeFormat; }
    std::size_t recordingCount() const noexcept { return recordings; }

    /// The block playing at `position`; none in a gap or outside the plan.
    std::optional<std::size_t> segmentAt(SamplePos position) const noexcept;
    /// The first block that ends after `position`; `segments().size()` when none does.
    std::size_t firstEndingAfter(SamplePos position) const noexcept;
    /// Three lines for a tooltip: the take, the part of it that plays ("source", from the
    /// take's first frame) and where it plays ("timeline").
    std::string describe(std::size_t index) const;
    /// Where `position` lies across the plan, 0 at its start and 1 at its end.
    double fractionOf(SamplePos position) const noexcept;

    /// The colour of recording `index`; neighbouring indices never share one.
    static PlanColour colourOf(std::size_t index) noexcept;
    /// A take as the window names it: its file name, and for the files of one recording its
    /// first file and how many more ("A101_1_1.WAV + 4 files").
    static std::string sourceName(const TakeSource& source);

private:
    std::vector<PlanSegment> blocks;
    std::vector<PlanUnusedTake> unused;
    std::size_t recordings = 0;
    std::uint32_t rateHz = 0;
    TimeFormat timeFormat;
    SamplePos fadeLength = 0;
};

} // namespace tabrix
