#pragma once
#include "audio/Types.h"
#include "project/Timecode.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <utility>
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
/// midnight), or for a project with a timecode rate its timecode ("10:00:09:12", drop frame
/// "10:10:00;02") for positions and the ruler; spans and lengths stay in clock time.
class TimeFormat {
public:
    /// No rate: every time reads as zero.
    TimeFormat() noexcept = default;
    /// Clock time at `rateHz` frames a second; timecode in `timecode` when given.
    explicit TimeFormat(std::uint32_t rateHz,
                        std::optional<TimecodeRate> timecode = std::nullopt) noexcept
        : rateHz(rateHz), timecodeRate(std::move(timecode))
    {
    }
    /// The times of a loaded project, as every window shows them: in its timecode rate
    /// (ConformProject::timecodeRate) when it has one.
    static TimeFormat of(const ConformProject& project);

    /// Joins the two ends of a stretch.
    static constexpr const char* rangeDash = "\xE2\x80\x93";

    std::uint32_t sampleRate() const noexcept { return rateHz; }
    /// A timeline position (frames since midnight) as "10:00:09.00", or its timecode.
    std::string position(SamplePos frames) const;
    /// The stretch from `start` to `end` as "10:00:09.00–10:00:10.00" (an en dash).
    std::string range(SamplePos start, SamplePos end) const;
    /// A span of frames in the clock's form, "0:00:40.00" (hundredths truncated).
    std::string clock(SamplePos frameCount) const;
    /// A length as people say it: "0.25 s", "59.99 s", "2 min 05 s", "1 h 02 min".
    std::string length(SamplePos frameCount) const;
    /// What the times are counted in, for a label beside them ("29.97 DF" for a timecode);
    /// empty for clock time.
    std::string rateLabel() const;
    bool isTimecode() const noexcept { return timecodeRate.has_value(); }
    /// Ruler marks over `from`..`to` (timeline frames, both included) at the finest round
    /// spacing that gives at most `maxTicks` marks; the coarsest spacing is used when none
    /// does, so a very long range may get more. Empty when `maxTicks` is 0, `to` < `from` or
    /// there is no rate.
    std::vector<RulerTick> rulerTicks(SamplePos from, SamplePos to, std::size_t maxTicks) const;

private:
    std::uint64_t hundredthsOf(SamplePos frames) const noexcept;
    SamplePos frameOf(std::uint64_t hundredths) const noexcept;
    std::vector<RulerTick> timecodeTicks(SamplePos from, SamplePos to, std::size_t maxTicks) const;

    std::uint32_t rateHz = 0;
    std::optional<TimecodeRate> timecodeRate;
};

} // namespace tabrix
