#pragma once
#include "audio/BwfFormat.h"
#include "audio/FileStream.h"
#include "audio/IxmlChunk.h"
#include "audio/KeyedNode.h"
#include "audio/Types.h"

#include <cstdint>
#include <filesystem>
#include <limits>
#include <string>
#include <utility>
#include <vector>

namespace tabrix {

/// How the samples of a take are encoded.
enum class SampleEncoding { Integer, Float };

/// Why a file in the take folder is not a take. The core only classifies; the window and the
/// command line put it into words.
enum class TakeProblem : std::uint8_t {
    None,             ///< accepted
    NotRegularFile,   ///< a pipe, device or socket: never opened
    CannotOpen,       ///< detail: the system's error number
    NotWave,          ///< no RIFF "WAVE" header
    Damaged,          ///< a chunk or the header breaks off or can't be read
    NoFormat,         ///< audio data before any "fmt " chunk
    NoData,           ///< the chunks end without a "data" chunk
    BadFormat,        ///< no channels, no sample rate, or an extensible format without its GUID
    Compressed,       ///< detail: the format code
    UnsupportedBits,  ///< detail: bits per sample of an integer format
    UnsupportedFloat, ///< detail: bits per sample of a floating-point format
    TooManyChannels,  ///< detail: the channel count
    NoFrames,         ///< not one whole sample frame
    NoTimeReference,  ///< no bext chunk before the data: nowhere to place it on the timeline
};

struct TakeRejection {
    TakeProblem problem = TakeProblem::None;
    std::int64_t detail = 0;
};

/// Why the last sample read of a take failed.
struct SampleReadFailure {
    bool endReached = false; ///< the file ended before the span: it is shorter than it was
    int systemError = 0;     ///< the system's error number; 0 when it gave none
};

/// A Broadcast WAV file: a take read from the project (reading side) or the conform's output
/// (writing side). Takes are chained in the TakeList through their KeyedNode links.
class BwfFile : public KeyedNode {
public:
    /// Key of a take without a usable recording date: older than every dated take.
    static constexpr std::int64_t undatedKey = std::numeric_limits<std::int64_t>::min();

    /// A take in `folder` named `fileName`; nothing is read until `parse`.
    BwfFile(const std::filesystem::path& folder, const std::string& fileName);
    /// An output file; nothing touches the disk until `create`. `plannedDataBytes`, the sample
    /// bytes the file is meant to hold, decides its header form: RF64 above maxRiffDataBytes.
    /// `floatSamples`: 32-bit IEEE float (format tag 3, with a fact chunk), else integer PCM.
    BwfFile(const std::filesystem::path& path, std::uint16_t channelCount, std::uint32_t sampleRate,
            std::uint8_t bitsPerSample, SamplePos timeReference,
            std::uint64_t plannedDataBytes = 0, bool floatSamples = false);

    // --- reading side ---

    /// Reads the header once and closes the file again. False when the file is not a take that
    /// can be rendered (see BwfFile.cpp for the acceptance rules); `rejection` then says why.
    [[nodiscard]] bool parse();
    const TakeRejection& rejection() const noexcept { return rejected; }
    /// Seconds since 1970 of the origination date and time, read as local time; `undatedKey`
    /// for a take without a bext chunk or a usable date. Computed once by `parse`.
    std::int64_t key() const override { return sortKey; }
    /// The bext time reference: the take's start on the timeline in frames (0 without bext).
    SamplePos timeReference() const noexcept { return header.bext.timeReference(); }
    /// True when `other` is this take, or when both carry a TFID chunk (read before the data)
    /// and the records are equal byte for byte; false when `other` is none. A take without a
    /// TFID chunk is a recording of its own.
    bool sameTfid(const BwfFile* other) const noexcept;
    /// True when a TFID chunk was read before the data.
    bool hasTfid() const noexcept { return tfidRead; }
    /// What the take's first iXML chunk (before or after the data) says; empty without one.
    const TakeIxml& ixml() const noexcept { return ixmlInfo; }
    /// The track key of interleave position `channel` (0-based): the iXML CHANNEL_INDEX when
    /// its TRACK_LIST describes every channel, else `channel` + 1.
    std::uint32_t trackKey(std::uint16_t channel) const noexcept;
    /// The name the iXML gives the track at interleave position `channel`; empty without one.
    std::string trackName(std::uint16_t channel) const;
    [[nodiscard]] bool openSamples();
    /// Reads exactly `byteCount` bytes starting `byteOffset` bytes into the sample data; opens
    /// the file when needed and repositions only when the span doesn't follow the last one.
    [[nodiscard]] bool readSamples(std::uint8_t* into, std::uint64_t byteOffset,
                                   std::uint64_t byteCount, std::uint64_t& bytesRead);
    /// Why the last failed `readSamples` failed.
    const SampleReadFailure& lastReadFailure() const noexcept { return readFailure; }
    /// Closes the file; a file being written gets the zero pad byte an odd data size needs, the
    /// trailing chunks (see setTrailingChunks) and its final header first (false when it has
    /// no samples, the pad byte, the chunks or the rewrite failed or the system reports that
    /// closing failed). A second call does nothing and returns true.
    bool close();

    // --- writing side ---

    /// Whole chunks that follow the data (and its pad byte) once `close` finalises a file with
    /// samples, counted in the RIFF size. Set before `create` with the largest they will be,
    /// the header form leaves room for them; a RIFF file they would take past a 32-bit size
    /// goes without them.
    void setTrailingChunks(std::vector<std::uint8_t> chunks) { trailer = std::move(chunks); }
    /// Stamps the local date and time, decides between a RIFF and an RF64 header from the
    /// planned size and the trailing chunks, creates the file and writes the placeholder
    /// header.
    [[nodiscard]] bool create();
    /// Appends sample bytes. For a RIFF file refused when the data or RIFF size would pass
    /// 2^32 - 1; for an RF64 file when a 64-bit position would.
    [[nodiscard]] bool writeSamples(const std::uint8_t* from, std::uint64_t byteCount);
    /// Writes the 1024-byte header, in the form `create` chose: the placeholder (sizes 0) or,
    /// at offset 0, the final one, whose RIFF size counts a pad byte once `close` wrote one.
    [[nodiscard]] bool writeHeader(bool final);
    /// True once `create` chose the RF64 form.
    bool writesRf64() const noexcept { return rf64Output; }
    /// While writing: rewrites the header with the sizes of the samples written so far and goes
    /// back to the end, so a file left by a crash declares them.
    /// True without doing anything before the first sample.
    [[nodiscard]] bool updateHeader();
    /// While writing: the whole frames of sample data that really reached the file, which after
    /// a failed write may be more or fewer than the samples written successfully.
    [[nodiscard]] bool framesOnDisk(std::uint64_t& frameCount);
    /// While writing: cuts the file back to its header and `frameCount` frames (no more than
    /// `framesOnDisk`) and counts exactly those as its samples, so `close` declares them.
    [[nodiscard]] bool cutBackTo(std::uint64_t frameCount);

    // --- what other parts read ---

    const WaveFormat& format() const noexcept { return header.format.format; }
    const TfidChunk& tfid() const noexcept { return header.tfid; }
    SampleEncoding encoding() const noexcept;
    /// Sample data bytes: of a take, those present on disk; of an output, those written.
    std::uint64_t dataSize() const noexcept { return header.dataSize; }
    std::uint64_t dataStart() const noexcept { return dataStartByte; }
    std::uint64_t readPosition() const noexcept { return readPos; }
    const std::filesystem::path& path() const noexcept { return filePath; }
    /// Bytes of one sample frame: (bits / 8) x channels.
    std::uint32_t frameBytes() const noexcept { return format().frameBytes(); }
    const FileStream& stream() const noexcept { return fileStream; }

private:
    bool walkChunks(std::uint64_t fileBytes);
    bool readIxmlBody(std::uint32_t declaredBytes, std::vector<std::uint8_t>& body);
    bool seekPastData(std::uint32_t declaredDataBytes, std::uint64_t fileBytes);
    bool readFormat(std::uint32_t declaredBytes);
    bool readDs64(std::uint32_t declaredBytes);
    std::uint64_t dataBytes(std::uint32_t declaredBytes, std::uint64_t fileBytes) const;
    bool skipPadByte(std::uint32_t declaredBytes, std::array<std::uint8_t, 8>& nextHeader,
                     std::size_t& headerBytesRead);
    bool renderable() noexcept;
    bool placeable() noexcept;
    bool reject(TakeProblem problem, std::int64_t detail = 0) noexcept;
    bool failRead(int systemError) noexcept;
    bool writePadByte();
    bool writeTrailingChunks();
    std::int64_t computeKey() const;

    FileStream fileStream;
    BwfHeader header;
    std::uint64_t dataStartByte = 0;
    std::uint64_t readPos = 0;
    std::filesystem::path filePath;
    CalendarTime origin;
    TakeIxml ixmlInfo;
    TakeRejection rejected;
    SampleReadFailure readFailure;
    std::int64_t sortKey = undatedKey;
    std::uint64_t ds64DataBytes = 0;
    std::uint64_t plannedBytes = 0;
    std::vector<std::uint8_t> trailer;
    std::uint64_t trailerBytes = 0; ///< the trailer's size once `close` wrote it
    std::uint8_t padBytes = 0; ///< 1 once `close` wrote the pad byte after odd data
    bool hasDs64 = false;
    bool rf64Output = false;
    bool bextRead = false;
    bool tfidRead = false;
    bool dateRead = false;
};

/// A take is a BwfFile made from a folder and a file name and accepted by `parse`.
using Take = BwfFile;

} // namespace tabrix
