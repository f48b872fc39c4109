#pragma once
#include <array>
#include <cstddef>
#include <cstdint>
#include <span>

// The records of a Broadcast WAV header. Each holds its chunk's id, declared size and body as
// the file lays them out; the 1024-byte header that this program writes is assembled from them
// by BwfHeader::image().
namespace tabrix {

using FourCc = std::array<std::uint8_t, 4>;

class ByteWriter;

constexpr FourCc makeFourCc(const char (&id)[5]) noexcept
{
    return {static_cast<std::uint8_t>(id[0]), static_cast<std::uint8_t>(id[1]),
            static_cast<std::uint8_t>(id[2]), static_cast<std::uint8_t>(id[3])};
}

constexpr std::size_t headerBytes = 1024;     ///< every file we write starts with this
constexpr std::size_t bextFixedBytes = 602;   ///< bext body before the coding history
constexpr std::size_t bextWrittenBytes = 858; ///< fixed part plus a 256-byte history area
constexpr std::size_t waveFormatBytes = 18;
constexpr std::size_t extensibleFormatBytes = 40;
constexpr std::size_t tfidBodyBytes = 26;
constexpr std::size_t padBodyBytes = 70;
constexpr std::size_t ds64FixedBytes = 28;   ///< RIFF, data and sample counts, table length
constexpr std::size_t rf64PadBodyBytes = 34; ///< the filler left once ds64 has taken its room
constexpr std::size_t factBodyBytes = 4;     ///< a float file's frame count

/// Largest data size a RIFF header can describe: its RIFF size (1016 + data + the pad byte
/// after odd data) fits 32 bits. Larger outputs are written as RF64.
constexpr std::uint64_t maxRiffDataBytes = 0xFFFF'FFFEull - (headerBytes - 8);
/// A 32-bit chunk or RIFF size that defers to the 64-bit one in ds64.
constexpr std::uint32_t sizeInDs64 = 0xFFFF'FFFFu;

constexpr std::uint16_t formatTagPcm = 1;
constexpr std::uint16_t formatTagFloat = 3;
constexpr std::uint16_t formatTagExtensible = 0xFFFE;

/// Broken-down date and time, in the order second, minute, hour, day, month (1-12), year (full),
/// day of week, day of year, daylight flag.
struct CalendarTime {
    std::int32_t second = 0;
    std::int32_t minute = 0;
    std::int32_t hour = 0;
    std::int32_t day = 0;
    std::int32_t month = 0;
    std::int32_t year = 0;
    std::int32_t weekDay = 0;
    std::int32_t yearDay = 0;
    std::int32_t daylight = 0;

    bool operator==(const CalendarTime&) const = default;
};

/// The "fmt " body: seven little-endian fields, 18 bytes.
struct WaveFormat {
    std::uint16_t formatTag = formatTagPcm;
    std::uint16_t channelCount = 2;
    std::uint32_t sampleRate = 44100;
    std::uint32_t byteRate = 176400;
    std::uint16_t blockAlign = 4;
    std::uint16_t bitsPerSample = 16;
    std::uint16_t extraSize = 0;

    /// Sets channels, bits and rate and derives byte rate and block align (truncating, 32-bit).
    void setFormat(std::uint16_t channels, std::uint16_t bits, std::uint32_t rate) noexcept;

    std::array<std::uint8_t, waveFormatBytes> bytes() const noexcept;

    /// Lays `body` (at most 18 bytes are used) over this format byte by byte, so a short body
    /// leaves the later fields as they were.
    void overlay(std::span<const std::uint8_t> body) noexcept;

    /// Bytes of one sample frame: (bits / 8, truncated) x channels. Block align is never used.
    std::uint32_t frameBytes() const noexcept
    {
        return std::uint32_t(bitsPerSample / 8) * channelCount;
    }
};

struct FormatChunk {
    FourCc id = makeFourCc("fmt ");
    std::uint32_t size = waveFormatBytes;
    WaveFormat format;
    /// Sub-format GUID of an extensible body (body offset 24); zero when the body had none.
    std::array<std::uint8_t, 16> subFormat{};
    bool hasSubFormat = false;
};

/// The bext chunk. Only its 602-byte fixed part is kept; the coding history is never stored.
struct BextChunk {
    static constexpr std::size_t dateOffset = 320;
    static constexpr std::size_t timeOffset = 330;
    static constexpr std::size_t timeReferenceOffset = 338;
    static constexpr std::size_t versionOffset = 346;

    BextChunk() noexcept;

    FourCc id = makeFourCc("bext");
    std::uint32_t size = bextWrittenBytes;
    std::array<std::uint8_t, bextFixedBytes> body{};

    std::uint64_t timeReference() const noexcept;
    void setTimeReference(std::uint64_t frames) noexcept;
    std::uint16_t version() const noexcept;

    /// Writes "%04d-%02d-%02d" and "%02d:%02d:%02d" (first 10 and 8 characters, no terminator).
    void setOrigination(const CalendarTime& when) noexcept;

    /// Reads the date and time texts back as "%4d-%2d-%2d" and "%2d:%2d:%2d", where each
    /// separator may be any one non-digit character. Fields that don't parse are 0. Returns
    /// true when year, month and day were all read.
    bool parseOrigination(CalendarTime& into) const noexcept;
};

/// Private chunk marking which recording a take belongs to; only ever compared whole.
struct TfidChunk {
    FourCc id = makeFourCc("TFID");
    std::uint32_t size = tfidBodyBytes;
    std::array<std::uint8_t, tfidBodyBytes> body{};

    bool operator==(const TfidChunk&) const = default;
};

/// Filler that makes the written header add up to 1024 bytes.
struct PadChunk {
    FourCc id = makeFourCc("PAD ");
    std::uint32_t size = padBodyBytes;
};

/// The 1024-byte header this program writes: RIFF header, bext, fmt, TFID, PAD, data header.
/// The sizes are 64-bit: a take, or an output written as RF64, may pass 4 GiB.
struct BwfHeader {
    FourCc riffId = makeFourCc("RIFF");
    std::uint64_t riffSize = 0;
    FourCc formType = makeFourCc("WAVE");
    BextChunk bext;
    FormatChunk format;
    TfidChunk tfid;
    PadChunk pad;
    FourCc dataId = makeFourCc("data");
    std::uint64_t dataSize = 0;

    /// The header as written: of the bext body only date, time, time reference and version are
    /// copied, the TFID body is always zero, and the fmt chunk is written as 18 bytes. The two
    /// sizes are written as their low 32 bits; they must fit (see maxRiffDataBytes). A float
    /// format gets a fact chunk (its frame count) where the PAD chunk began, and a shorter PAD.
    std::array<std::uint8_t, headerBytes> image() const noexcept;
    /// The same chunks as an RF64 header: "RF64", a 28-byte ds64 holding the RIFF size, the
    /// data size and the frame count in 64 bits, bext, fmt and TFID 36 bytes further on, a
    /// 34-byte PAD, and 0xFFFFFFFF in both 32-bit size fields. Samples start at 1024 as well.
    /// A float format's fact chunk holds 0xFFFFFFFF (the count is in ds64), then a 22-byte PAD.
    std::array<std::uint8_t, headerBytes> rf64Image() const noexcept;

private:
    void writeRecords(ByteWriter& out) const noexcept;
    void writePad(ByteWriter& out, std::size_t bodyBytes, std::uint32_t factFrames) const noexcept;
};

} // namespace tabrix
