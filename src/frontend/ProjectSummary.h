#pragma once
#include "project/ConformProject.h"

#include <cstdint>
#include <string>
#include <vector>

namespace tabrix {

/// The summary of a loaded project for one choice of width and channels, as the main window
/// shows it and the command line prints it.
struct ProjectSummary {
    std::string line;      ///< "24 Bit, Stereo, 48.0Khz,  9:59:58.00-10:00:32.00, 9.79 MB"
    std::string timeRange; ///< the two clock times; empty without a timeline
    std::string size;      ///< the data size in words; empty without a timeline
    std::uint64_t dataBytes = 0; ///< audio data bytes, both files for Dual Mono
    bool sized = false;    ///< the project has a timeline, so time range and size are known
};

/// Passes the options to `project` (as the window does before every summary) and describes it.
/// `widthChoice` and `channelChoice` are the SampleWidth and ChannelMode indices.
ProjectSummary summariseProject(ConformProject& project, std::int32_t widthChoice,
                                std::int32_t channelChoice);

/// The rate most takes share; on a tie, or without takes, the project's own (its first take's).
std::uint32_t prevailingRate(const ConformProject& project);
/// With mixed sample rates, the takes not at the prevailing rate, in take-list order; these
/// are what keeps the folder from being conformed. Empty when the rates agree.
std::vector<const Take*> oddRateTakes(const ConformProject& project);

/// Why a loaded folder can't be conformed, in one line naming the folder; empty when it can.
std::string projectRefusalText(const ConformProject& project);

/// A sample rate for people: 48000 gives "48 kHz", 44100 "44.1 kHz".
std::string rateText(std::uint32_t rateHz);

// The texts of the summary line, shared by both windows and the command line.

/// "%2d:%02d:%02d.%02d" of hours, minutes, seconds, hundredths.
std::string formatClockTime(const ClockTime& time);
/// Bytes as "999 B", "1.00 KB", "10 KB", "1.00 MB", "10 MB" (powers of ten).
std::string formatByteSize(std::int64_t byteCount);
/// Rate in Hz as "%0.1fKhz" ("48.0Khz"; 0 gives "0.0Khz").
std::string formatRate(std::uint32_t rateHz);
/// The width choice as the summary names it: "16 Bit", "24 Bit", "32 Bit Float"; any other
/// index than 0 and 2 counts as 24 bit.
std::string widthText(std::int32_t widthChoice);
/// The channel choice as the summary names it: "Stereo", "Mono Left", ..., "All Tracks",
/// "Split Tracks".
std::string channelText(std::int32_t channelChoice);
/// The width a width choice (radio-button index) stands for.
SampleWidth widthOf(std::int32_t widthChoice) noexcept;
/// The radio-button texts of the width and channel choices, in index order: what every
/// window offers.
const std::vector<std::string>& widthChoiceTexts();
const std::vector<std::string>& channelChoiceTexts();
/// The project's tracks for people: "5 tracks: 1 Mix L, 2 Mix R, 3 Boom, 4, 5 Lav 2" (an
/// unnamed track by its number alone); empty without tracks.
std::string tracksText(const ConformProject& project);

/// A progress percentage as a whole number for a bar: truncated towards zero and kept within
/// 0..100 (NaN gives 0).
int wholePercent(double percent) noexcept;

} // namespace tabrix
