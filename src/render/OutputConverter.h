#pragma once
#include "audio/Types.h"
#include "render/MixBlock.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <memory>
#include <vector>

namespace tabrix {

class BwfFile;
class TakeSource;
struct WaveFormat;

/// Top 16 bits of a working sample (truncation toward minus infinity).
inline std::int16_t to16(std::int32_t word) noexcept
{
    return static_cast<std::int16_t>(word >> 16);
}

/// Left plus right with saturation, not halved.
inline std::int32_t monoSum(std::int32_t left, std::int32_t right) noexcept
{
    // min/max rather than branches: loud material saturates often and unpredictably.
    const std::int64_t sum = std::int64_t(left) + right;
    return static_cast<std::int32_t>(
        std::min<std::int64_t>(std::max<std::int64_t>(sum, INT32_MIN), INT32_MAX));
}

/// The sample format of the output files.
enum class OutputFormat : std::uint8_t { Int16, Int24, Float32 };

/// Bytes of one output sample.
constexpr std::uint32_t sampleBytesOf(OutputFormat format) noexcept
{
    return format == OutputFormat::Int16 ? 2 : format == OutputFormat::Int24 ? 3 : 4;
}

/// The output format of a width choice.
constexpr OutputFormat outputFormatOf(SampleWidth width) noexcept
{
    return width == SampleWidth::Float32 ? OutputFormat::Float32
           : width == SampleWidth::Bits24 ? OutputFormat::Int24
                                          : OutputFormat::Int16;
}

/// What a run writes: its files, channel mode, sample format and working lanes.
struct OutputLayout {
    std::vector<BwfFile*> files; ///< one; Dual Mono: left, right; Split Tracks: one per lane
    std::int32_t mode = 0;       ///< ChannelMode value
    OutputFormat format = OutputFormat::Int16;
    std::size_t laneCount = 2;   ///< working lanes: two, or one per track
};

/// Turns rendered blocks into the output format and channel layout and appends them to the
/// output file(s), staging a few blocks in its own buffer between writes.
class OutputConverter {
public:
    /// Binds the run's files and layout. False without a file, or when the buffer could not be
    /// had. The five two-channel modes at 16 or 24 bit read Frames blocks; every other layout
    /// reads `laneCount` lanes of Words (integer) or Floats.
    bool bindOutput(const OutputLayout& layout);
    /// Blocks that can wait in the buffer to go out in one write call per file: a write of
    /// a few dozen KiB costs nearly what one twice its size does.
    static constexpr std::size_t maxStagedBlocks = 4;
    /// The blocks the bound layout stages: maxStagedBlocks, or fewer where frames are so wide
    /// that four blocks would not fit a modest buffer. Divides maxStagedBlocks.
    std::size_t stageLimit() const noexcept { return blockLimit; }

    /// Converts `frameCount` (at most 16384) frames and writes them together with any staged
    /// blocks; false when not bound or a write failed.
    bool convertBlock(const BlockView& block, std::uint64_t frameCount);
    /// Converts `frameCount` (at most 16384) frames into the buffer after the staged ones,
    /// without writing; false when not bound or stageLimit() blocks are staged already.
    bool stageBlock(const BlockView& block, std::uint64_t frameCount);
    /// Writes every staged frame to the file(s), in order, and empties the stage (also when a
    /// write fails: the files after the failed one then get the staged blocks before the one it
    /// failed in, as writing each block in turn would have left them). True when nothing was
    /// staged.
    bool writeStaged();
    /// Blocks converted but not yet written.
    std::size_t stagedBlocks() const noexcept { return stagedBlockCount; }
    /// The file whose write failed last; none before a failure.
    const BwfFile* failedFile() const noexcept { return lastFailedFile; }

    /// True when bound and `source`'s unfaded frames can be converted straight from its cached
    /// bytes by `convertDirect`.
    bool acceptsDirect(const TakeSource& source) const noexcept;
    /// Converts `frameCount` frames of `source` cached from frame `cacheIndex` of
    /// `cacheBytes` into the output buffer as frames `blockOffset` on of the coming block,
    /// exactly as stageBlock would convert their working samples; stageBlock then leaves them
    /// alone. Spans come in rising order and never overlap. False, with nothing done, when not
    /// accepted or the block has too many spans.
    bool convertDirect(const std::uint8_t* cacheBytes, std::uint64_t cacheIndex,
                       const TakeSource& source, std::uint64_t blockOffset,
                       std::uint64_t frameCount) noexcept;
    /// Where frames `blockOffset` on of the coming block go when the source's bytes are the
    /// output's bytes as they are (same sample format, and the output's channels are the
    /// source's), so that they can be read from the take straight into place; none otherwise,
    /// when not bound or when the block has too many spans. Once filled, `keepDirect` records
    /// them.
    std::uint8_t* identityTarget(const TakeSource& source, std::uint64_t blockOffset,
                                 std::uint64_t frameCount) noexcept;
    /// Records `frameCount` frames filled through identityTarget (Dual Mono: copies them to the
    /// right file's bytes; float: makes NaN and infinities +0.0).
    void keepDirect(std::uint64_t blockOffset, std::uint64_t frameCount) noexcept;
    /// Forgets the direct spans, as at the start of every block.
    void clearDirect() noexcept { directCount = 0; }
    /// Closes (and so finalises) the output file(s) and unbinds them.
    void closeOutputs();

private:
    struct DirectSpan {
        std::uint64_t blockOffset = 0;
        std::uint64_t frameCount = 0;
    };
    /// One output channel: the file, its place in the file's frame, the lane it carries (the
    /// sum of lanes 0 and 1 for Mono Sum).
    struct OutputChannel {
        std::size_t file = 0;
        std::uint32_t byteOffset = 0;
        std::size_t lane = 0;
        bool sum = false;
    };
    static constexpr std::size_t maxDirectSpans = 32;

    bool pairs() const noexcept { return pairLayout; }
    bool sameLayout(const WaveFormat& source) const noexcept;
    std::uint8_t* region(std::size_t file) noexcept;
    std::uint8_t* spanStart(std::uint64_t blockOffset) noexcept;
    void recordSpan(std::uint64_t blockOffset, std::uint64_t frameCount) noexcept;
    void keepLaterFilesInStep(std::size_t failed, std::uint64_t framesBefore,
                              std::size_t blockCount);
    void convertWorkFrames(const WorkFrame* source, std::uint64_t first,
                           std::uint64_t frameCount, bool keepNextFrame) noexcept;
    void convertLanes(const BlockView& block, std::uint64_t first,
                      std::uint64_t frameCount) noexcept;

    std::vector<BwfFile*> files;
    std::vector<OutputChannel> channels;
    std::int32_t mode = 0;
    OutputFormat format = OutputFormat::Int16;
    std::uint16_t width = 0;            ///< bits of an integer sample: 16 or 24
    bool pairLayout = true;             ///< the two-channel modes at 16 or 24 bit
    bool bound = false;
    std::uint8_t* destination = nullptr;
    std::uint8_t* secondDestination = nullptr;
    std::uint32_t outputFrameBytes = 0; ///< of each file: Dual Mono's and Split's are mono
    std::size_t laneCount = 2;
    std::size_t regionBytes = 0;        ///< each file's share of the staging buffer
    std::size_t stagingCapacity = 0;
    std::size_t blockLimit = maxStagedBlocks;
    std::array<DirectSpan, maxDirectSpans> directSpans{};
    std::size_t directCount = 0;
    std::unique_ptr<std::uint8_t[]> staging; // each file's bytes in a region of its own
    std::uint64_t stagedFrames = 0;
    std::array<std::uint64_t, maxStagedBlocks> stagedBlockFrames{};
    std::size_t stagedBlockCount = 0;
    const BwfFile* lastFailedFile = nullptr;
};

} // namespace tabrix
