#pragma once
#include "audio/BwfFormat.h"
#include "audio/FileStream.h"
#include "audio/KeyedNode.h"
#include "audio/Types.h"

#include <cstdint>
#include <filesystem>
#include <limits>
#include <string>

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
};

struct TakeRejection {
    TakeProblem problem = TakeProblem::None;
    std::int64_t detail = 0;
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
    BwfFile(const std::filesystem::path& path, std::uint8_t channelCount, std::uint32_t sampleRate,
            std::uint8_t bitsPerSample, SamplePos timeReference,
            std::uint64_t plannedDataBytes = 0);

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
    /// True when both TFID records are equal byte for byte; false when `other` is none.
    bool sameTfid(const BwfFile* other) const noexcept;
    [[nodiscard]] bool openSamples();
    /// Reads exactly `byteCount` bytes starting `byteOffset` bytes into the sample data; opens
    /// the file when needed and repositions only when the span doesn't follow the last one.
    [[nodiscard]] bool readSamples(std::uint8_t* into, std::uint64_t byteOffset,
                                   std::uint64_t byteCount, std::uint64_t& bytesRead);
    /// Closes the file; a file being written gets its final header first (false when it has no
    /// samples or the rewrite failed). A second call does nothing and returns true.
    bool close();

    // --- writing side ---

    /// Stamps the local date and time, decides between a RIFF and an RF64 header from the
    /// planned size, creates the file and writes the placeholder header.
    [[nodiscard]] bool create();
    /// Appends sample bytes. For a RIFF file refused when the data or RIFF size would pass
    /// 2^32 - 1; for an RF64 file when a 64-bit position would.
    [[nodiscard]] bool writeSamples(const std::uint8_t* from, std::uint64_t byteCount);
    /// Writes the 1024-byte header, in the form `create` chose: the placeholder (sizes 0) or,
    /// at offset 0, the final one.
    [[nodiscard]] bool writeHeader(bool final);
    /// True once `create` chose the RF64 form.
    bool writesRf64() const noexcept { return rf64Output; }

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
    bool readFormat(std::uint32_t declaredBytes);
    bool readDs64(std::uint32_t declaredBytes);
    std::uint64_t dataBytes(std::uint32_t declaredBytes, std::uint64_t fileBytes) const;
    bool skipPadByte(std::uint32_t declaredBytes);
    bool renderable() noexcept;
    bool reject(TakeProblem problem, std::int64_t detail = 0) noexcept;
    std::int64_t computeKey() const;

    FileStream fileStream;
    BwfHeader header;
    std::uint64_t dataStartByte = 0;
    std::uint64_t readPos = 0;
    std::filesystem::path filePath;
    CalendarTime origin;
    TakeRejection rejected;
    std::int64_t sortKey = undatedKey;
    std::uint64_t ds64DataBytes = 0;
    std::uint64_t plannedBytes = 0;
    bool hasDs64 = false;
    bool rf64Output = false;
    bool bextRead = false;
    bool dateRead = false;
};

/// A take is a BwfFile made from a folder and a file name and accepted by `parse`.
using Take = BwfFile;

} // namespace tabrix
