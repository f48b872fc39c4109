#pragma once
#include "audio/Types.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace tabrix {

class ConformProject;

/// A labelled mark of the time ruler.
struct RulerTick {
    SamplePos position = 0; ///< timeline frames
    std::string label;      ///< "10:00:05", "10:05" or "10:00:00.50" by the tick spacing
};

/// The one place where the windows turn frames into words: timeline positions, stretches,
/// lengths and the ruler's marks. Clock time (hours, minutes, seconds and hundredths since
/// midnight); a project that carries a timecode rate is to be shown in timecode from here, so
/// no window formats a time itself.
class TimeFormat {
public:
    /// No rate: every time reads as zero.
    TimeFormat() noexcept = default;
    /// Clock time at `rateHz` frames a second.
    explicit TimeFormat(std::uint32_t rateHz) noexcept : rateHz(rateHz) {}
    /// The times of a loaded project, as every window shows them: the one place where the
    /// project's timecode rate (ConformProject::timecodeRate) is to come in.
    static TimeFormat of(const ConformProject& project);

    /// Joins the two ends of a stretch.
    static constexpr const char* rangeDash = "\xE2\x80\x93";

    std::uint32_t sampleRate() const noexcept { return rateHz; }
    /// A timeline position (frames since midnight) as "10:00:09.00".
    std::string position(SamplePos frames) const;
    /// The stretch from `start` to `end` as "10:00:09.00–10:00:10.00" (an en dash).
    std::string range(SamplePos start, SamplePos end) const;
    /// A span of frames in the clock's form, "0:00:40.00" (hundredths truncated).
    std::string clock(SamplePos frameCount) const;
    /// A length as people say it: "0.25 s", "59.99 s", "2 min 05 s", "1 h 02 min".
    std::string length(SamplePos frameCount) const;
    /// What the times are counted in, for a label beside them ("29.97 DF" for a timecode);
    /// empty for clock time.
    std::string rateLabel() const { return std::string(); }
    /// Ruler marks over `from`..`to` (timeline frames, both included) at the finest round
    /// spacing that gives at most `maxTicks` marks; the coarsest spacing is used when none
    /// does, so a very long range may get more. Empty when `maxTicks` is 0, `to` < `from` or
    /// there is no rate.
    std::vector<RulerTick> rulerTicks(SamplePos from, SamplePos to, std::size_t maxTicks) const;

private:
    std::uint64_t hundredthsOf(SamplePos frames) const noexcept;
    SamplePos frameOf(std::uint64_t hundredths) const noexcept;

    std::uint32_t rateHz = 0;
};

} // namespace tabrix
