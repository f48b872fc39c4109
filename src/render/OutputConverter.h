#pragma once
#include "render/MixBlock.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <memory>

namespace tabrix {

class TimelineSegment;
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

/// Turns rendered blocks into the output width and channel layout and appends them to the
/// output file(s) held by the output segment, using that segment's buffer.
class OutputConverter {
public:
    /// False when `outputSegment` is none or has no file.
    bool bindOutput(TimelineSegment* outputSegment);
    /// Blocks that can wait in the buffer to go out in one write call per file: a write of
    /// a few dozen KiB costs nearly what one twice its size does.
    static constexpr std::size_t maxStagedBlocks = 4;

    /// Converts `frameCount` (at most 16384) frames and writes them together with any staged
    /// blocks; false when not bound, the width is neither 16 nor 24, or a write failed.
    bool convertBlock(const WorkFrame* source, std::uint64_t frameCount);
    /// Converts `frameCount` (at most 16384) frames into the buffer after the staged ones,
    /// without writing; false when not bound, the width is neither 16 nor 24, or
    /// maxStagedBlocks are staged already.
    bool stageBlock(const WorkFrame* source, std::uint64_t frameCount);
    /// Writes every staged frame to the file(s), left file first, and empties the stage (also
    /// when a write fails; a right file then holds the staged blocks before the one the left
    /// failed in, as writing each block in turn would have left it). True when nothing was
    /// staged.
    bool writeStaged();
    /// Blocks converted but not yet written.
    std::size_t stagedBlocks() const noexcept { return stagedBlockCount; }

    /// True when bound and `source` (16- or 24-bit integer samples, mono or stereo) can be
    /// converted straight from its bytes by `convertDirect`.
    bool acceptsDirect(const WaveFormat& source) const noexcept;
    /// Converts `frameCount` frames of `source` bytes at `from` into the output buffer as frames
    /// `blockOffset` on of the coming block, exactly as convertBlock would convert their working
    /// words; convertBlock then leaves them alone. Spans come in rising order and never
    /// overlap. False, with nothing done, when not accepted or the block has too many spans.
    bool convertDirect(const std::uint8_t* from, const WaveFormat& source,
                       std::uint64_t blockOffset, std::uint64_t frameCount) noexcept;
    /// Where frames `blockOffset` on of the coming block go when the source's bytes are the
    /// output's bytes as they are (same width, and the output's channels are the source's), so
    /// that they can be read from the take straight into place; none otherwise, when not bound
    /// or when the block has too many spans. Once filled, `keepDirect` records them.
    std::uint8_t* identityTarget(const WaveFormat& source, std::uint64_t blockOffset,
                                 std::uint64_t frameCount) noexcept;
    /// Records `frameCount` frames filled through identityTarget (Dual Mono: and copies them
    /// to the second file's half).
    void keepDirect(std::uint64_t blockOffset, std::uint64_t frameCount) noexcept;
    /// Forgets the direct spans, as at the start of every block.
    void clearDirect() noexcept { directCount = 0; }
    /// Closes (and so finalises) the output file(s) and unbinds the segment.
    void closeOutputs();

private:
    struct DirectSpan {
        std::uint64_t blockOffset = 0;
        std::uint64_t frameCount = 0;
    };
    static constexpr std::size_t maxDirectSpans = 32;

    bool sameLayout(const WaveFormat& source) const noexcept;
    std::uint8_t* spanStart(std::uint64_t blockOffset) noexcept;
    void recordSpan(std::uint64_t blockOffset, std::uint64_t frameCount) noexcept;
    void keepRightInStep(std::uint64_t leftFramesBefore, std::size_t blockCount);
    void convertWorkFrames(const WorkFrame* source, std::uint64_t first,
                           std::uint64_t frameCount, bool keepNextFrame) noexcept;

    std::int32_t mode = 0;
    std::uint16_t width = 0;
    std::uint8_t* destination = nullptr;
    std::uint8_t* secondDestination = nullptr;
    TimelineSegment* segment = nullptr;
    std::uint16_t outputFrameBytes = 0; ///< of each file: Dual Mono's files are mono too
    std::array<DirectSpan, maxDirectSpans> directSpans{};
    std::size_t directCount = 0;
    std::unique_ptr<std::uint8_t[]> staging; // left file's bytes, then the right file's
    std::uint64_t stagedFrames = 0;
    std::array<std::uint64_t, maxStagedBlocks> stagedBlockFrames{};
    std::size_t stagedBlockCount = 0;
};

} // namespace tabrix
