#pragma once
#include <array>
#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

// Builds RIFF/WAVE files in memory for tests and the demo project: each caller spells out only
// the chunks it is about.
namespace tabrix::testing {

using Bytes = std::vector<std::uint8_t>;

class RiffBuilder {
public:
    /// Starts "RIFF" <size> "WAVE"; the RIFF size is patched by bytes().
    RiffBuilder();
    /// Appends a chunk; an odd-sized body gets a pad byte unless `padOdd` is false.
    RiffBuilder& chunk(const std::string& id, const Bytes& body, bool padOdd = true);
    /// Appends a chunk header that declares `declaredBytes` but carries `body` as it is.
    RiffBuilder& chunkDeclaring(const std::string& id, std::uint32_t declaredBytes,
                                const Bytes& body);
    RiffBuilder& raw(const Bytes& bytes);
    Bytes bytes() const;

private:
    Bytes image;
};

struct FmtFields {
    std::uint16_t tag = 1;
    std::uint16_t channels = 2;
    std::uint32_t rate = 48000;
    std::uint16_t bits = 24;
};

/// An 18-byte "fmt " body (byte rate and block align derived).
Bytes fmtBody(const FmtFields& fields);
/// A 40-byte extensible body with the integer-PCM (or float) sub-format.
Bytes fmtExtensibleBody(const FmtFields& fields, bool floatSubFormat = false);

struct BextFields {
    std::uint64_t timeReference = 0;
    std::string date = "2024-05-01"; ///< 10 characters as written
    std::string time = "10:00:00";   ///< 8 characters as written
    std::size_t bodyBytes = 602;     ///< 602 plus any coding history
};

Bytes bextBody(const BextFields& fields);
/// A 26-byte TFID body filled with `fill`.
Bytes tfidBody(std::uint8_t fill);

Bytes pcm16(const std::vector<std::int16_t>& samples);
Bytes pcm24(const std::vector<std::int32_t>& samples);
Bytes pcm32(const std::vector<std::int32_t>& samples);
Bytes float32(const std::vector<float>& samples);

/// A complete take: bext (time reference, date, time), fmt, optional TFID, data.
struct TakeSpec {
    std::uint64_t timeReference = 0;
    std::string date = "2024-05-01";
    std::string time = "10:00:00";
    std::uint16_t channels = 2;
    std::uint32_t rate = 48000;
    std::uint16_t bits = 24;
    int tfid = -1; ///< fill byte of the TFID body; -1 for no TFID chunk
    Bytes data;    ///< raw sample bytes
};

Bytes takeBytes(const TakeSpec& spec);

/// `frames` frames whose every sample is `value` (in the take's own width), or, when
/// `ramp` is true, frame i holds value + i on every channel.
Bytes constantFrames(std::uint16_t channels, std::uint16_t bits, std::uint64_t frames,
                     std::int32_t value, bool ramp = false);

void writeFile(const std::filesystem::path& path, const Bytes& bytes);
Bytes readFile(const std::filesystem::path& path);

} // namespace tabrix::testing
