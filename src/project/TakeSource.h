#pragma once
#include "audio/BwfFile.h"
#include "audio/TakeList.h"
#include "audio/Types.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace tabrix {

/// How a sample is stored in a take: what the renderer must do to turn it into a working sample.
enum class SampleKind : std::uint8_t { Silent, Unsigned8, Signed16, Signed24, Signed32, Float32 };

/// Where one working lane of a run finds its samples in a source's read cache: the lane's
/// sample of cached frame i lies at byteOffset + i x strideBytes. A silent lane has none.
struct LaneSource {
    std::uint32_t byteOffset = 0;
    std::uint32_t strideBytes = 0;
    SampleKind kind = SampleKind::Silent;
    bool operator==(const LaneSource&) const = default;
};

/// One track of a source: its key (the recorder's track number), its name, and the file and
/// interleave position it is read from.
struct SourceTrack {
    std::uint32_t key = 0;
    std::string name;
    std::uint16_t member = 0;  ///< index into members()
    std::uint16_t channel = 0; ///< interleave position in that member
};

/// What a timeline segment plays: one take, or a family, the files of one recording written
/// as one file per track, which play together as one take.
class TakeSource {
public:
    /// Refill limit when every file is 24-bit: whole 3- and 6-byte frames.
    static constexpr std::uint32_t capacity24Bit = 122880;
    static constexpr std::uint32_t capacityOther = 131072;

    /// A take that plays alone.
    explicit TakeSource(Take& take);
    /// The files of one recording (two or more, in listing order; all share time reference,
    /// rate, length and recording time).
    explicit TakeSource(std::vector<Take*> family);

    const std::vector<Take*>& members() const noexcept { return files; }
    /// The first member in listing order: its place, name, recording time and iXML stand for
    /// the whole source.
    Take& lead() const noexcept { return *files.front(); }
    bool isFamily() const noexcept { return files.size() > 1; }
    SamplePos timeReference() const noexcept { return lead().timeReference(); }
    std::uint32_t sampleRate() const noexcept { return lead().format().sampleRate; }
    /// Whole frames of the source (every member holds as many).
    std::uint64_t frameCount() const noexcept { return frames; }
    /// Bytes of one frame of every member together.
    std::uint32_t frameBytes() const noexcept { return allFrameBytes; }
    /// Every track, in ascending key order. A take's keys come from its iXML TRACK_LIST (or
    /// are its interleave positions); a family's are its members' keys, each from the first
    /// member that has it.
    const std::vector<SourceTrack>& tracks() const noexcept { return trackList; }

    /// One recording: the same source, or two sources all of whose files carry a TFID chunk
    /// with one and the same record. False for none.
    bool sameRecording(const TakeSource* other) const noexcept;

    // --- reading, on the conform's worker thread ---

    /// Byte limit of one read-cache refill: capacity24Bit when every member is 24-bit.
    std::uint32_t cacheCapacity() const noexcept;
    /// Frames one refill holds: cacheCapacity() / frameBytes().
    std::uint64_t refillFrames() const noexcept;
    /// Offset in a refill of member `member`'s bytes: refillFrames() times the frame bytes of
    /// the members before it. A take's frames lie as in its file, from offset 0.
    std::uint64_t planeOffset(std::size_t member) const noexcept;
    /// Reads `frameCount` frames (at most refillFrames()) from frame `firstFrame` into `into`,
    /// each member's into its plane. False when a member can't be read in full; `failed` is
    /// then that member.
    [[nodiscard]] bool readFrames(std::uint8_t* into, std::uint64_t firstFrame,
                                  std::uint64_t frameCount, const Take*& failed);
    /// Closes every member's file; a later read opens them again.
    void close() noexcept;

    /// Sets where each working lane of the coming run reads: the two channels of the two-lane
    /// layouts (`trackKeys` none: a take's first two interleave positions, a family's two
    /// lowest keys, a single channel on both), or the track with each of `trackKeys`, silent
    /// where the source has no such track.
    void bindLanes(const std::vector<std::uint32_t>* trackKeys);
    const std::vector<LaneSource>& lanes() const noexcept { return laneSources; }
    /// True when the bound lanes are exactly the take's channels in interleave order, so its
    /// frames are the lanes' frames as they are.
    bool lanesAreFrames() const noexcept { return framesAsLanes; }

private:
    LaneSource laneOf(const SourceTrack& track) const noexcept;
    void collectTracks();

    std::vector<Take*> files;
    std::vector<SourceTrack> trackList;
    std::vector<LaneSource> laneSources;
    std::uint64_t frames = 0;
    std::uint32_t allFrameBytes = 0;
    bool framesAsLanes = false;
};

using TakeSources = std::vector<std::unique_ptr<TakeSource>>;

/// The sources of a take list, in its order: every take on its own, except the takes of one
/// family (two or more with the same non-empty iXML FAMILY_UID and equal time reference, sample
/// rate, frame count and recording time), which become one source in the place of the first.
TakeSources groupTakes(const TakeList& takes);

/// The kind of a take's samples.
SampleKind sampleKindOf(const BwfFile& take) noexcept;

} // namespace tabrix
