#pragma once
#include <cstdint>
#include <span>
#include <string>
#include <vector>

// The iXML chunk: what post-production metadata a recorder writes about a take (track names,
// scene and take, timecode rate, the files of one multi-file recording), and what this program
// writes into its own outputs. Parsing and writing go through a real XML library; only
// standard types cross this header.
namespace tabrix {

/// One channel of a take as its iXML TRACK_LIST describes it.
struct IxmlTrack {
    std::uint32_t key = 0; ///< CHANNEL_INDEX: the recorder's track number, 1 or more
    std::string name;      ///< NAME, trimmed; may be empty
    bool operator==(const IxmlTrack&) const = default;
};

/// What the system reads from a take's iXML. Every text is trimmed; absent values are empty.
struct TakeIxml {
    /// One entry per channel in interleave order, when the TRACK_LIST describes every channel
    /// exactly once (interleave indexes 1..channels, distinct channel indexes of 1 or more);
    /// otherwise empty, and the tracks are numbered by position.
    std::vector<IxmlTrack> tracks;
    std::string familyUid; ///< FILE_SET/FAMILY_UID: the files of one recording share it
    std::string project;
    std::string scene;
    std::string take;
    std::string tape;
    std::string timecodeRate; ///< SPEED/TIMECODE_RATE as written, e.g. "30000/1001"
    std::string timecodeFlag; ///< SPEED/TIMECODE_FLAG, e.g. "DF" or "NDF"
};

/// Reads an iXML body of a take with `channelCount` channels. A body that isn't XML, or whose
/// root isn't BWFXML, gives an empty result. Never throws.
TakeIxml readIxml(std::span<const std::uint8_t> body, std::uint16_t channelCount) noexcept;

/// One channel of an output file as its iXML names it.
struct OutputTrack {
    std::uint32_t channelIndex = 0;
    std::string name;
};

/// What an output file's iXML says.
struct OutputIxml {
    std::string project;
    std::string tape;
    std::string timecodeRate;
    std::string timecodeFlag;
    std::uint32_t sampleRate = 0;
    std::uint64_t timeReference = 0; ///< the file's bext time reference, in samples
    std::vector<OutputTrack> tracks; ///< in interleave order
};

/// The iXML document of an output as UTF-8 text (escaped by the XML library); empty when it
/// could not be built (out of memory). Never throws.
std::string writeIxml(const OutputIxml& ixml) noexcept;

} // namespace tabrix
