#pragma once
#include "audio/Types.h"

#include <cstdint>
#include <optional>
#include <string>

namespace tabrix {

/// A timecode frame rate as a take's iXML gives it: N/D frames a second, drop-frame or not.
struct TimecodeRate {
    std::uint32_t numerator = 0;   ///< 25, 24000, 30000...
    std::uint32_t denominator = 1; ///< 1 or 1001
    bool dropFrame = false;        ///< flag "DF" at 30000/1001 or 60000/1001 only
    std::string rateText;          ///< TIMECODE_RATE as written, e.g. "30000/1001"
    std::string flagText;          ///< TIMECODE_FLAG as written, e.g. "DF"

    /// Frame labels a second: N/D rounded (24000/1001 gives 24, 30000/1001 gives 30).
    std::uint32_t nominal() const noexcept;
};

/// A rate written "N/D" or "N" with positive integers (at most a million each, so the
/// arithmetic below can't overflow, and at least one frame label a second); none otherwise.
std::optional<TimecodeRate> readTimecodeRate(const std::string& rate, const std::string& flag);

/// A timecode as numbers: hours (0-23), minutes, seconds and frames.
struct Timecode {
    std::uint32_t hours = 0;
    std::uint32_t minutes = 0;
    std::uint32_t seconds = 0;
    std::uint32_t frames = 0;
    bool dropFrame = false;
    bool operator==(const Timecode&) const = default;
};

/// Frame labels counted from midnight (hours x 3600 + minutes x 60 + seconds) x nominal +
/// frames; in drop-frame the dropped labels count too, as a label is written.
std::uint64_t labelCount(const Timecode& timecode, const TimecodeRate& rate) noexcept;

/// The first timeline position at `sampleRate` whose timecode is the one `labels` counts (see
/// labelCount), or the next label that exists when drop frame skips it.
SamplePos positionOfLabel(std::uint64_t labels, std::uint32_t sampleRate,
                          const TimecodeRate& rate) noexcept;

/// The timecode of timeline position `position` (frames since midnight at `sampleRate` Hz):
/// the frame count floor(position x N / (D x rate)), relabelled for drop-frame, as
/// hours (modulo 24), minutes, seconds and frames. All zero at a sample rate of 0.
Timecode timecodeAt(SamplePos position, std::uint32_t sampleRate, const TimecodeRate& rate) noexcept;

} // namespace tabrix
