#pragma once
#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

// Builds RIFF/WAVE files in memory for tests, benchmarks and the demo project: each caller
// spells out only the chunks it is about.
namespace tabrix::testing {

using Bytes = std::vector<std::uint8_t>;

class RiffBuilder {
public:
    RiffBuilder(); ///< "RIFF" <size patched by bytes()> "WAVE"
    /// Appends a chunk; an odd-sized body gets a pad byte unless `padOdd` is false.
    RiffBuilder& chunk(const std::string& id, const Bytes& body, bool padOdd = true);
    /// Appends a header declaring `declaredBytes` followed by `body` as it is.
    RiffBuilder& chunkDeclaring(const std::string& id, std::uint32_t declaredBytes, const Bytes& body);
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

Bytes fmtBody(const FmtFields& fields); ///< 18 bytes, byte rate and block align derived
/// 40 bytes with the integer-PCM or float sub-format GUID.
Bytes fmtExtensibleBody(const FmtFields& fields, bool floatSubFormat = false);

struct BextFields {
    std::uint64_t timeReference = 0;
    std::string date = "2024-05-01"; ///< 10 characters as written
    std::string time = "10:00:00";   ///< 8 characters as written
    std::size_t bodyBytes = 602;     ///< 602 plus any coding history
};

Bytes bextBody(const BextFields& fields);

/// A ds64 body: RIFF size, data size and frame count (64-bit), then one 12-byte table entry
/// (id and 64-bit size) per element of `tableIds`.
Bytes ds64Body(std::uint64_t riffBytes, std::uint64_t dataBytes, std::uint64_t frameCount,
               const std::vector<std::string>& tableIds = {});
/// `riff` with its RIFF id replaced by `id` ("RF64", "BW64") and its RIFF size by 0xFFFFFFFF.
Bytes withRiffId(Bytes riff, const std::string& id);
Bytes tfidBody(std::uint8_t fill); ///< 26 bytes of `fill`

/// Little-endian integer samples of `bits` (8, 16, 24 or 32) bits each.
Bytes pcm(std::uint16_t bits, const std::vector<std::int32_t>& samples);
Bytes float32(const std::vector<float>& samples);

/// A whole take: bext, fmt, an optional TFID and data.
struct TakeFields {
    std::uint64_t timeReference = 0;
    std::string date = "2024-05-01";
    std::string time = "10:00:00";
    std::uint16_t channels = 2;
    std::uint32_t rate = 48000;
    std::uint16_t bits = 24;
    int tfid = -1; ///< fill byte of the TFID body; -1 for no TFID chunk
    Bytes data;    ///< raw sample bytes
    std::uint16_t tag = 1; ///< format tag: 1 integer PCM, 3 float
    std::string ixml = {}; ///< an iXML chunk after the data when not empty
};

Bytes takeBytes(const TakeFields& fields);

/// `frames` frames with every sample `value`, or with frame i holding value + i when `ramp`.
Bytes constantFrames(std::uint16_t channels, std::uint16_t bits, std::uint64_t frames,
                     std::int32_t value, bool ramp = false);

void writeFile(const std::filesystem::path& path, const Bytes& bytes);
Bytes readFile(const std::filesystem::path& path);

} // namespace tabrix::testing
