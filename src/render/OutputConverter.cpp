#include "render/OutputConverter.h"

#include "audio/ByteOrder.h"
#include "audio/BwfFile.h"
#include "project/TakeSource.h"
#include "render/FrameShuffle.h"
#include "render/SampleLoad.h"

#include <cerrno>
#include <cstring>
#include <new>

namespace tabrix {

namespace {

// Staged blocks of every file together stay within this unless one block alone is larger.
constexpr std::size_t stagingBudgetBytes = 2 << 20;
// Past each file's staged bytes: the one byte a 24-bit store writes beyond a sample.
constexpr std::size_t regionSlackBytes = 8;

template <int Bytes> inline std::uint8_t* put(std::uint8_t* into, std::int32_t word) noexcept
{
    if constexpr (Bytes == 2) {
        storeS16le(into, to16(word));
    } else {
        // Bits 8-31, lowest byte first, as one 32-bit store: its fourth byte is overwritten by
        // the next sample, and after a block's last sample it falls on unused buffer space.
        storeU32le(into, static_cast<std::uint32_t>(word) >> 8);
    }
    return into + Bytes;
}

template <int Bytes>
void convert(std::int32_t mode, const WorkFrame* from, std::uint64_t frameCount,
             std::uint8_t* into, std::uint8_t* secondInto) noexcept
{
    switch (mode) {
    case 0:
        for (std::uint64_t i = 0; i < frameCount; ++i)
            into = put<Bytes>(put<Bytes>(into, from[i].left), from[i].right);
        break;
    case 1:
        for (std::uint64_t i = 0; i < frameCount; ++i)
            into = put<Bytes>(into, from[i].left);
        break;
    case 2:
        for (std::uint64_t i = 0; i < frameCount; ++i)
            into = put<Bytes>(into, from[i].right);
        break;
    case 3:
        for (std::uint64_t i = 0; i < frameCount; ++i)
            into = put<Bytes>(into, monoSum(from[i].left, from[i].right));
        break;
    case 4:
        for (std::uint64_t i = 0; i < frameCount; ++i) {
            into = put<Bytes>(into, from[i].left);
            secondInto = put<Bytes>(secondInto, from[i].right);
        }
        break;
    default: break;
    }
}

// A source sample of 2 or 3 bytes as its working word.
template <int Bytes> inline std::int32_t wordAt(const std::uint8_t* p) noexcept
{
    if constexpr (Bytes == 2)
        return static_cast<std::int32_t>(std::uint32_t(loadU16le(p)) << 16);
    else
        return static_cast<std::int32_t>(
            (std::uint32_t(p[0]) | std::uint32_t(p[1]) << 8 | std::uint32_t(p[2]) << 16) << 8);
}

// The working words of one source frame. `Wide` loads a whole word past a 24-bit frame's
// end, for every frame of a span but its last.
template <int SourceBytes, int Channels, bool Wide>
inline void frameWords(const std::uint8_t* frame, std::int32_t& left, std::int32_t& right) noexcept
{
    if constexpr (Wide && SourceBytes == 3 && Channels == 2) {
        const std::uint64_t bits = loadU64le(frame);
        left = static_cast<std::int32_t>(std::uint32_t(bits) << 8);
        right = static_cast<std::int32_t>(std::uint32_t(bits >> 24) << 8);
    } else if constexpr (Wide && SourceBytes == 3) {
        left = right = static_cast<std::int32_t>(loadU32le(frame) << 8);
    } else if constexpr (SourceBytes == 2 && Channels == 2) {
        const std::uint32_t bits = loadU32le(frame);
        left = static_cast<std::int32_t>(bits << 16);
        right = static_cast<std::int32_t>(bits & 0xFFFF0000u);
    } else {
        left = wordAt<SourceBytes>(frame);
        right = Channels == 2 ? wordAt<SourceBytes>(frame + SourceBytes) : left;
    }
}

// One output sample per source frame, chosen by `pick` from its two words. 16-bit samples go
// out in pairs: one 32-bit store runs markedly faster than two 16-bit ones.
template <int SourceBytes, int Channels, int Bytes, bool Wide, typename Pick>
void monoFrames(const std::uint8_t* from, std::uint64_t frameCount, std::uint8_t* into,
                Pick pick) noexcept
{
    constexpr std::size_t frameBytes = std::size_t(SourceBytes) * Channels;
    std::int32_t left = 0;
    std::int32_t right = 0;
    std::uint64_t i = 0;
    if constexpr (Bytes == 2) {
        for (; i + 2 <= frameCount; i += 2) {
            frameWords<SourceBytes, Channels, Wide>(from + frameBytes * i, left, right);
            const std::uint32_t first = std::uint32_t(pick(left, right)) >> 16;
            frameWords<SourceBytes, Channels, Wide>(from + frameBytes * (i + 1), left, right);
            storeU32le(into + 2 * i, first | (std::uint32_t(pick(left, right)) & 0xFFFF0000u));
        }
    }
    for (; i < frameCount; ++i) {
        frameWords<SourceBytes, Channels, Wide>(from + frameBytes * i, left, right);
        put<Bytes>(into + Bytes * i, pick(left, right));
    }
}

// monoSum() as lane-wise 32-bit operations: wrap, then replace the sums whose sign came out
// unlike both inputs' by the bound on the inputs' side.
inline std::int32_t wrappedSum(std::int32_t left, std::int32_t right) noexcept
{
    const std::uint32_t sum = std::uint32_t(left) + std::uint32_t(right);
    const std::uint32_t overflow =
        0u - (((std::uint32_t(left) ^ sum) & (std::uint32_t(right) ^ sum)) >> 31);
    const std::uint32_t bound = (std::uint32_t(left) >> 31) + 0x7FFFFFFFu;
    return static_cast<std::int32_t>((sum & ~overflow) | (bound & overflow));
}

// Mono Sum gathers a chunk of words first, so that the saturating sum runs over plain arrays,
// which the compiler turns into vector code.
template <int SourceBytes, int Channels, int Bytes, bool Wide>
void sumFrames(const std::uint8_t* from, std::uint64_t frameCount, std::uint8_t* into) noexcept
{
    constexpr std::size_t frameBytes = std::size_t(SourceBytes) * Channels;
    constexpr std::size_t chunkFrames = 64;
    std::int32_t lefts[chunkFrames];
    std::int32_t rights[chunkFrames];
    for (std::uint64_t done = 0; done < frameCount; done += chunkFrames) {
        const auto n =
            static_cast<std::size_t>(std::min<std::uint64_t>(chunkFrames, frameCount - done));
        const std::uint8_t* chunk = from + frameBytes * done;
        for (std::size_t i = 0; i < n; ++i)
            frameWords<SourceBytes, Channels, Wide>(chunk + frameBytes * i, lefts[i], rights[i]);
        for (std::size_t i = 0; i < n; ++i)
            lefts[i] = wrappedSum(lefts[i], rights[i]);
        std::uint8_t* out = into + Bytes * done;
        std::size_t i = 0;
        if constexpr (Bytes == 2) {
            for (; i + 2 <= n; i += 2)
                storeU32le(out + 2 * i, std::uint32_t(lefts[i]) >> 16 |
                                            (std::uint32_t(lefts[i + 1]) & 0xFFFF0000u));
        }
        for (; i < n; ++i)
            put<Bytes>(out + Bytes * i, lefts[i]);
    }
}

// Source frames straight to output bytes: the same words convert() would see, without the
// working frames in between. Mono and stereo sources only.
template <int SourceBytes, int Channels, int Bytes, bool Wide>
void convertFrames(std::int32_t mode, const std::uint8_t* from, std::uint64_t frameCount,
                   std::uint8_t* into, std::uint8_t* secondInto) noexcept
{
    constexpr std::size_t frameBytes = std::size_t(SourceBytes) * Channels;
    const auto leftOf = [](std::int32_t l, std::int32_t) { return l; };
    const auto rightOf = [](std::int32_t, std::int32_t r) { return r; };
    switch (mode) {
    case 0:
        for (std::uint64_t i = 0; i < frameCount; ++i) {
            std::int32_t left = 0;
            std::int32_t right = 0;
            frameWords<SourceBytes, Channels, Wide>(from + frameBytes * i, left, right);
            if constexpr (Bytes == 2) // both top halves in one store
                storeU32le(into + 4 * i, std::uint32_t(left) >> 16 |
                                             (std::uint32_t(right) & 0xFFFF0000u));
            else
                put<Bytes>(put<Bytes>(into + 2 * Bytes * i, left), right);
        }
        break;
    case 1: monoFrames<SourceBytes, Channels, Bytes, Wide>(from, frameCount, into, leftOf); break;
    case 2: monoFrames<SourceBytes, Channels, Bytes, Wide>(from, frameCount, into, rightOf); break;
    case 3: sumFrames<SourceBytes, Channels, Bytes, Wide>(from, frameCount, into); break;
    case 4: // a pass per file: two output streams at once run markedly slower
        monoFrames<SourceBytes, Channels, Bytes, Wide>(from, frameCount, into, leftOf);
        monoFrames<SourceBytes, Channels, Bytes, Wide>(from, frameCount, secondInto, rightOf);
        break;
    default: break;
    }
}

// The leading frames of a 24-bit stereo span that the byte-shuffle loops convert; 0 for the
// layouts they don't cover or on a processor without them.
std::uint64_t shuffledFrames(std::int32_t mode, unsigned bytes, const std::uint8_t* from,
                             std::uint64_t frameCount, std::uint8_t* into,
                             std::uint8_t* secondInto) noexcept
{
    switch (mode) {
    case 0: return bytes == 2 ? narrowStereo24(from, frameCount, into) : 0;
    case 3: return sumStereo24(from, frameCount, bytes, into);
    case 4: return splitStereo24(from, frameCount, bytes, into, secondInto);
    default: return 0;
    }
}

template <int SourceBytes, int Channels, int Bytes>
void convertSpan(std::int32_t mode, const std::uint8_t* from, std::uint64_t frameCount,
                 std::uint8_t* into, std::uint8_t* secondInto) noexcept
{
    const std::size_t outStep = mode == 0 ? 2 * Bytes : Bytes;
    if constexpr (SourceBytes == 3 && Channels == 2) {
        const std::uint64_t done = shuffledFrames(mode, Bytes, from, frameCount, into, secondInto);
        from += 6 * done;
        into += outStep * done;
        if (secondInto != nullptr)
            secondInto += Bytes * done;
        frameCount -= done;
    }
    if (frameCount == 0)
        return;
    const std::uint64_t wide = frameCount - 1;
    convertFrames<SourceBytes, Channels, Bytes, true>(mode, from, wide, into, secondInto);
    convertFrames<SourceBytes, Channels, Bytes, false>(
        mode, from + std::size_t(SourceBytes) * Channels * wide, 1, into + outStep * wide,
        secondInto != nullptr ? secondInto + Bytes * wide : nullptr);
}

template <int Bytes>
void convertSource(std::int32_t mode, const WaveFormat& source, const std::uint8_t* from,
                   std::uint64_t frameCount, std::uint8_t* into, std::uint8_t* secondInto) noexcept
{
    const bool stereo = source.channelCount == 2;
    if (source.bitsPerSample / 8u == 2)
        (stereo ? convertSpan<2, 2, Bytes> : convertSpan<2, 1, Bytes>)(mode, from, frameCount,
                                                                      into, secondInto);
    else
        (stereo ? convertSpan<3, 2, Bytes> : convertSpan<3, 1, Bytes>)(mode, from, frameCount,
                                                                      into, secondInto);
}

// One output sample from a working sample: the top bits of a word, or a float as it is.
template <OutputFormat Format> inline void storeWord(std::uint8_t* into, std::int32_t word) noexcept
{
    if constexpr (Format == OutputFormat::Int16) {
        storeS16le(into, to16(word));
    } else {
        const auto bits = static_cast<std::uint32_t>(word);
        into[0] = static_cast<std::uint8_t>(bits >> 8); // three byte stores: nothing spills
        into[1] = static_cast<std::uint8_t>(bits >> 16);
        into[2] = static_cast<std::uint8_t>(bits >> 24);
    }
}

// One lane of source bytes (every `stride` bytes) to one output channel (every `step` bytes).
template <SampleKind Kind, OutputFormat Format>
void laneToChannel(const std::uint8_t* from, std::size_t stride, std::uint8_t* into,
                   std::size_t step, std::uint64_t frameCount) noexcept
{
    if constexpr (Kind == SampleKind::Signed24 && Format == OutputFormat::Int24) {
        if (step == 3) { // a mono file: each 32-bit store's spill is overwritten by the next
            for (std::uint64_t i = 0; i < frameCount; ++i, from += stride, into += 3)
                storeU32le(into, loadU32le(from));
            return;
        }
    }
    for (std::uint64_t i = 0; i < frameCount; ++i, from += stride, into += step) {
        if constexpr (Format == OutputFormat::Float32)
            storeF32le(into, sampleFloat<Kind>(from));
        else
            storeWord<Format>(into, sampleWord<Kind>(from));
    }
}

template <SampleKind Kind>
void laneToChannel(OutputFormat format, const std::uint8_t* from, std::size_t stride,
                   std::uint8_t* into, std::size_t step, std::uint64_t frameCount) noexcept
{
    switch (format) {
    case OutputFormat::Int16:
        laneToChannel<Kind, OutputFormat::Int16>(from, stride, into, step, frameCount);
        break;
    case OutputFormat::Int24:
        laneToChannel<Kind, OutputFormat::Int24>(from, stride, into, step, frameCount);
        break;
    case OutputFormat::Float32:
        laneToChannel<Kind, OutputFormat::Float32>(from, stride, into, step, frameCount);
        break;
    }
}

bool sameKind(SampleKind kind, OutputFormat format) noexcept
{
    return (kind == SampleKind::Signed16 && format == OutputFormat::Int16) ||
           (kind == SampleKind::Signed24 && format == OutputFormat::Int24) ||
           (kind == SampleKind::Float32 && format == OutputFormat::Float32);
}

} // namespace

bool OutputConverter::bindOutput(const OutputLayout& layout)
{
    if (layout.files.empty() || layout.files.front() == nullptr)
        return false;
    files = layout.files;
    mode = layout.mode;
    format = layout.format;
    laneCount = layout.laneCount;
    pairLayout = format != OutputFormat::Float32 && mode >= 0 && mode <= 4;
    width = format == OutputFormat::Int16 ? 16 : 24;
    const std::uint32_t sampleBytes = sampleBytesOf(format);
    outputFrameBytes = files.front()->frameBytes();
    channels.clear();
    switch (mode) {
    case 0: channels = {{0, 0, 0, false}, {0, sampleBytes, 1, false}}; break;
    case 1: channels = {{0, 0, 0, false}}; break;
    case 2: channels = {{0, 0, 1, false}}; break;
    case 3: channels = {{0, 0, 0, true}}; break;
    case 4: channels = {{0, 0, 0, false}, {1, 0, 1, false}}; break;
    case 5:
        for (std::size_t k = 0; k < laneCount; ++k)
            channels.push_back({0, static_cast<std::uint32_t>(k * sampleBytes), k, false});
        break;
    default:
        for (std::size_t k = 0; k < laneCount; ++k)
            channels.push_back({k, 0, k, false});
        break;
    }
    for (const OutputChannel& channel : channels)
        if (channel.file >= files.size() || files[channel.file] == nullptr)
            return false;
    const std::size_t blockBytes = blockFrames * outputFrameBytes * files.size();
    blockLimit = maxStagedBlocks;
    while (blockLimit > 1 && blockLimit * blockBytes > stagingBudgetBytes)
        blockLimit /= 2;
    regionBytes = blockLimit * blockFrames * outputFrameBytes + regionSlackBytes;
    const std::size_t needed = regionBytes * files.size();
    if (needed > stagingCapacity) { // kept from run to run: allocated once for the widest
        staging.reset(new (std::nothrow) std::uint8_t[needed]);
        stagingCapacity = staging != nullptr ? needed : 0;
    }
    if (staging == nullptr)
        return false;
    stagedFrames = 0;
    stagedBlockCount = 0;
    directCount = 0;
    lastFailedFile = nullptr;
    bound = true;
    return true;
}

std::uint8_t* OutputConverter::region(std::size_t file) noexcept
{
    return staging.get() + file * regionBytes;
}

bool OutputConverter::convertBlock(const BlockView& block, std::uint64_t frameCount)
{
    return stageBlock(block, frameCount) && writeStaged();
}

bool OutputConverter::stageBlock(const BlockView& block, std::uint64_t frameCount)
{
    const bool hasFrames = pairs() ? block.frames != nullptr
                                   : (format == OutputFormat::Float32 ? block.floats != nullptr
                                                                      : block.words != nullptr);
    if (!bound || !hasFrames || frameCount > blockFrames || stagedBlockCount == blockLimit ||
        (!pairs() && block.laneCount != laneCount))
        return false;
    destination = region(0) + static_cast<std::size_t>(stagedFrames) * outputFrameBytes;
    secondDestination = mode == 4 ? region(1) + static_cast<std::size_t>(stagedFrames) * outputFrameBytes
                                  : nullptr;
    std::uint64_t next = 0; // first frame not yet converted
    for (std::size_t k = 0; k < directCount && next < frameCount; ++k) {
        const DirectSpan& span = directSpans[k];
        const std::uint64_t spanFirst = std::min(span.blockOffset, frameCount);
        if (pairs())
            convertWorkFrames(block.frames, next, spanFirst - next, true);
        else
            convertLanes(block, next, spanFirst - next);
        next = std::max(next, std::min(span.blockOffset + span.frameCount, frameCount));
    }
    if (pairs())
        convertWorkFrames(block.frames, next, frameCount - next, false);
    else
        convertLanes(block, next, frameCount - next);
    directCount = 0;
    stagedFrames += frameCount;
    stagedBlockFrames[stagedBlockCount++] = frameCount;
    return true;
}

// A 24-bit store spills one byte into the next frame; before a direct span that byte is
// already final, so it is put back.
void OutputConverter::convertWorkFrames(const WorkFrame* source, std::uint64_t first,
                                        std::uint64_t frameCount, bool keepNextFrame) noexcept
{
    if (frameCount == 0)
        return;
    const std::size_t at = static_cast<std::size_t>(first) * outputFrameBytes;
    const std::size_t after = at + static_cast<std::size_t>(frameCount) * outputFrameBytes;
    const std::uint8_t kept = destination[after];
    const std::uint8_t secondKept = mode == 4 ? secondDestination[after] : 0;
    std::uint8_t* secondInto = mode == 4 ? secondDestination + at : nullptr;
    if (width == 16)
        convert<2>(mode, source + first, frameCount, destination + at, secondInto);
    else
        convert<3>(mode, source + first, frameCount, destination + at, secondInto);
    if (keepNextFrame) {
        destination[after] = kept;
        if (mode == 4)
            secondDestination[after] = secondKept;
    }
}

// Lanes to their output channels, one channel at a time; stores never reach past a sample.
void OutputConverter::convertLanes(const BlockView& block, std::uint64_t first,
                                   std::uint64_t frameCount) noexcept
{
    if (frameCount == 0)
        return;
    const std::size_t lanes = laneCount;
    const std::size_t step = outputFrameBytes;
    for (const OutputChannel& channel : channels) {
        std::uint8_t* into = region(channel.file) +
                             static_cast<std::size_t>(stagedFrames + first) * step +
                             channel.byteOffset;
        const std::size_t from = static_cast<std::size_t>(first) * lanes + channel.lane;
        if (format == OutputFormat::Float32) {
            const float* in = block.floats + from;
            for (std::uint64_t i = 0; i < frameCount; ++i, in += lanes, into += step)
                storeF32le(into, channel.sum ? in[0] + in[1] : in[0]);
        } else {
            const std::int32_t* in = block.words + from;
            for (std::uint64_t i = 0; i < frameCount; ++i, in += lanes, into += step) {
                const std::int32_t word = channel.sum ? monoSum(in[0], in[1]) : in[0];
                if (format == OutputFormat::Int16)
                    storeWord<OutputFormat::Int16>(into, word);
                else
                    storeWord<OutputFormat::Int24>(into, word);
            }
        }
    }
}

bool OutputConverter::acceptsDirect(const TakeSource& source) const noexcept
{
    if (!bound)
        return false;
    if (!pairs()) // every lane by itself; a sum needs two, so Mono Sum goes through the block
        return mode != 3;
    if (source.isFamily())
        return false;
    const WaveFormat& take = source.lead().format();
    const unsigned sampleBytes = take.bitsPerSample / 8u;
    return (sampleBytes == 2 || sampleBytes == 3) &&
           (take.channelCount == 1 || take.channelCount == 2);
}

bool OutputConverter::sameLayout(const WaveFormat& source) const noexcept
{
    const bool oneChannelEach = mode == 1 || mode == 2 || mode == 4;
    return source.bitsPerSample / 8u == width / 8u &&
           ((mode == 0 && source.channelCount == 2) ||
            (oneChannelEach && source.channelCount == 1));
}

std::uint8_t* OutputConverter::spanStart(std::uint64_t blockOffset) noexcept
{
    return region(0) + static_cast<std::size_t>(stagedFrames + blockOffset) * outputFrameBytes;
}

void OutputConverter::recordSpan(std::uint64_t blockOffset, std::uint64_t frameCount) noexcept
{
    DirectSpan* last = directCount > 0 ? &directSpans[directCount - 1] : nullptr;
    if (last != nullptr && last->blockOffset + last->frameCount == blockOffset)
        last->frameCount += frameCount; // a refill inside a stretch: still one span
    else
        directSpans[directCount++] = {blockOffset, frameCount};
}

bool OutputConverter::convertDirect(const std::uint8_t* cacheBytes, std::uint64_t cacheIndex,
                                    const TakeSource& source, std::uint64_t blockOffset,
                                    std::uint64_t frameCount) noexcept
{
    if (cacheBytes == nullptr || !acceptsDirect(source) || directCount == maxDirectSpans ||
        blockOffset + frameCount > blockFrames)
        return false;
    if (!pairs()) {
        const std::vector<LaneSource>& lanes = source.lanes();
        if (source.lanesAreFrames() && files.size() == 1 && channels.size() == lanes.size() &&
            (mode == 0 || mode == 5)) {
            // The take's channels are the file's: one pass over every sample in order.
            const SampleKind kind = lanes.front().kind;
            const std::uint8_t* from = cacheBytes + cacheIndex * source.frameBytes();
            std::uint8_t* into = spanStart(blockOffset);
            const std::uint64_t sampleCount = frameCount * lanes.size();
            const std::uint64_t done = kind == SampleKind::Signed24 && format == OutputFormat::Float32
                                           ? floatsFrom24(from, sampleCount, into)
                                           : 0;
            const std::uint32_t sampleBytes = lanes.front().strideBytes / std::uint32_t(lanes.size());
            withKind(kind, [&]<SampleKind Kind>() {
                laneToChannel<Kind>(format, from + done * sampleBytes, sampleBytes,
                                    into + done * sampleBytesOf(format), sampleBytesOf(format),
                                    sampleCount - done);
            });
            recordSpan(blockOffset, frameCount);
            return true;
        }
        for (const OutputChannel& channel : channels) {
            const LaneSource& lane = lanes[channel.lane];
            std::uint8_t* into = region(channel.file) +
                                 static_cast<std::size_t>(stagedFrames + blockOffset) *
                                     outputFrameBytes +
                                 channel.byteOffset;
            const std::uint8_t* from = cacheBytes + lane.byteOffset + cacheIndex * lane.strideBytes;
            withKind(lane.kind, [&]<SampleKind Kind>() {
                laneToChannel<Kind>(format, from, lane.strideBytes, into, outputFrameBytes,
                                    frameCount);
            });
        }
        recordSpan(blockOffset, frameCount);
        return true;
    }
    const WaveFormat& take = source.lead().format();
    const std::uint8_t* from = cacheBytes + cacheIndex * source.frameBytes();
    std::uint8_t* into = spanStart(blockOffset);
    std::uint8_t* secondInto =
        mode == 4 ? region(1) + static_cast<std::size_t>(stagedFrames + blockOffset) * outputFrameBytes
                  : nullptr;
    if (sameLayout(take)) { // the bytes are already right
        const std::size_t byteCount = static_cast<std::size_t>(frameCount) * take.frameBytes();
        std::memcpy(into, from, byteCount);
        if (mode == 4)
            std::memcpy(secondInto, from, byteCount);
    } else if (width == 16) {
        convertSource<2>(mode, take, from, frameCount, into, secondInto);
    } else {
        convertSource<3>(mode, take, from, frameCount, into, secondInto);
    }
    recordSpan(blockOffset, frameCount);
    return true;
}

std::uint8_t* OutputConverter::identityTarget(const TakeSource& source, std::uint64_t blockOffset,
                                              std::uint64_t frameCount) noexcept
{
    if (!bound || source.isFamily() || directCount == maxDirectSpans ||
        blockOffset + frameCount > blockFrames)
        return nullptr;
    if (pairs()) {
        if (!acceptsDirect(source) || !sameLayout(source.lead().format()))
            return nullptr;
    } else {
        // One file whose frames are the take's frames: every track in order, or float stereo.
        const bool oneFile = files.size() == 1 && (mode == 0 || mode == 5);
        if (!oneFile || !source.lanesAreFrames() || source.frameBytes() != outputFrameBytes ||
            !sameKind(source.lanes().front().kind, format))
            return nullptr;
    }
    return spanStart(blockOffset);
}

void OutputConverter::keepDirect(std::uint64_t blockOffset, std::uint64_t frameCount) noexcept
{
    std::uint8_t* into = spanStart(blockOffset);
    const std::size_t byteCount = static_cast<std::size_t>(frameCount) * outputFrameBytes;
    if (mode == 4)
        std::memcpy(region(1) + (into - region(0)), into, byteCount);
    if (format == OutputFormat::Float32) // a take's NaN or infinity must not reach the output
        for (std::uint8_t* sample = into; sample < into + byteCount; sample += 4)
            storeF32le(sample, keptFloat(loadF32le(sample)));
    recordSpan(blockOffset, frameCount);
}

bool OutputConverter::writeStaged()
{
    if (!bound)
        return false;
    const std::uint64_t byteCount = std::uint64_t(outputFrameBytes) * stagedFrames;
    const std::size_t blockCount = stagedBlockCount;
    stagedFrames = 0;
    stagedBlockCount = 0;
    if (byteCount == 0)
        return true;
    const std::uint64_t framesBefore = files.front()->dataSize() / outputFrameBytes;
    for (std::size_t f = 0; f < files.size(); ++f) {
        if (!files[f]->writeSamples(region(f), byteCount)) {
            lastFailedFile = files[f];
            keepLaterFilesInStep(f, framesBefore, blockCount);
            return false;
        }
    }
    return true;
}

// When a file fails part-way through the staged blocks, the files after it still get the
// blocks before the one it stopped in, as writing block by block would have left them, so
// that all are cut back to the same whole blocks.
void OutputConverter::keepLaterFilesInStep(std::size_t failed, std::uint64_t framesBefore,
                                           std::size_t blockCount)
{
    const int failedError = errno; // the failure reported is the failed file's
    std::uint64_t onDisk = 0;
    if (failed + 1 < files.size() && files[failed]->framesOnDisk(onDisk)) {
        const std::uint64_t reached = onDisk > framesBefore ? onDisk - framesBefore : 0;
        std::uint64_t before = 0; // frames of the blocks wholly before the failed one
        for (std::size_t k = 0; k + 1 < blockCount && before + stagedBlockFrames[k] <= reached;
             ++k)
            before += stagedBlockFrames[k];
        for (std::size_t f = failed + 1; f < files.size() && before > 0; ++f)
            (void)files[f]->writeSamples(region(f), before * outputFrameBytes);
    }
    errno = failedError;
}

void OutputConverter::closeOutputs()
{
    if (!bound)
        return;
    for (BwfFile* file : files)
        file->close();
    bound = false; // the files are released after the run
    files.clear();
    stagedFrames = 0;
    stagedBlockCount = 0;
}

} // namespace tabrix
