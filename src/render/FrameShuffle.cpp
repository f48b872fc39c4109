#include "render/FrameShuffle.h"

// The byte shuffle is SSSE3, beyond the x86-64 baseline: only the functions that use it are
// compiled for it, and they run only after the processor has said it has it. Other compilers
// and processors convert every frame the portable way.
#if (defined(__GNUC__) || defined(__clang__)) && (defined(__x86_64__) || defined(__i386__))
#define TABRIX_FRAME_SHUFFLE 1
#include <immintrin.h>
#define TABRIX_SSSE3 __attribute__((target("ssse3")))
#define TABRIX_SSSE3_INLINE __attribute__((target("ssse3"), always_inline)) inline
#endif

namespace tabrix {

#if defined(TABRIX_FRAME_SHUFFLE)

namespace {

// A group of 8 frames of 24-bit stereo: 48 bytes, three 16-byte registers.
constexpr int groupBytes = 48;
constexpr std::uint8_t noByte = 0x80; // a shuffle index with its top bit set gives zero

// Where each byte of one 16-byte output register comes from, per input register.
struct RegisterMasks {
    std::uint8_t index[3][16];
    bool uses[3];
};

// The two output registers of up to 32 bytes a group yields.
struct StreamMasks {
    RegisterMasks regs[2];
};

// `sourceOf(j)` is the input byte that output byte j of a group takes, or -1 for a zero.
template <typename SourceOf> constexpr RegisterMasks registerMasks(int reg, SourceOf sourceOf)
{
    RegisterMasks m{};
    for (int r = 0; r < 3; ++r) {
        m.uses[r] = false;
        for (int b = 0; b < 16; ++b)
            m.index[r][b] = noByte;
    }
    for (int b = 0; b < 16; ++b) {
        const int s = sourceOf(16 * reg + b);
        if (s >= 0) {
            m.index[s / 16][b] = static_cast<std::uint8_t>(s % 16);
            m.uses[s / 16] = true;
        }
    }
    return m;
}

template <typename SourceOf> constexpr StreamMasks streamMasks(SourceOf sourceOf)
{
    return {{registerMasks(0, sourceOf), registerMasks(1, sourceOf)}};
}

// One channel's samples of a group, as `Bytes`-byte samples (the top bytes of the 24 bits).
template <int Channel, int Bytes> constexpr StreamMasks channelMasks()
{
    return streamMasks([](int j) {
        return j < 8 * Bytes ? 6 * (j / Bytes) + 3 * Channel + (3 - Bytes) + j % Bytes : -1;
    });
}

constexpr StreamMasks left24 = channelMasks<0, 3>();
constexpr StreamMasks right24 = channelMasks<1, 3>();
constexpr StreamMasks left16 = channelMasks<0, 2>();
constexpr StreamMasks right16 = channelMasks<1, 2>();

// 16-bit stereo frames: the top two bytes of each sample.
constexpr StreamMasks narrow16 = streamMasks([](int j) {
    return j < 32 ? 6 * (j / 4) + 3 * (j / 2 % 2) + 1 + j % 2 : -1;
});

// One channel's working words: the 24 bits above a zero byte, four frames per register.
template <int Channel> constexpr StreamMasks wordMasks()
{
    return streamMasks([](int j) {
        return j < 32 && j % 4 != 0 ? 6 * (j / 4) + 3 * Channel + j % 4 - 1 : -1;
    });
}

constexpr StreamMasks leftWords = wordMasks<0>();
constexpr StreamMasks rightWords = wordMasks<1>();

// The top `Bytes` bytes of each of the eight words in two registers.
template <int Bytes> constexpr StreamMasks packMasks()
{
    return streamMasks(
        [](int j) { return j < 8 * Bytes ? 4 * (j / Bytes) + (4 - Bytes) + j % Bytes : -1; });
}

constexpr StreamMasks pack24 = packMasks<3>();
constexpr StreamMasks pack16 = packMasks<2>();

// Sixteen 24-bit samples (one group) as working words in four registers, in sample order.
constexpr auto wordInOrder = [](int j) { return j % 4 != 0 ? 3 * (j / 4) + j % 4 - 1 : -1; };
constexpr RegisterMasks wordsInOrder[4] = {registerMasks(0, wordInOrder), registerMasks(1, wordInOrder),
                                           registerMasks(2, wordInOrder),
                                           registerMasks(3, wordInOrder)};

TABRIX_SSSE3_INLINE __m128i gather(const RegisterMasks& m, const __m128i* in) noexcept
{
    __m128i out = _mm_setzero_si128();
    for (int r = 0; r < 3; ++r)
        if (m.uses[r])
            out = _mm_or_si128(out, _mm_shuffle_epi8(in[r], _mm_loadu_si128(
                                                         reinterpret_cast<const __m128i*>(
                                                             m.index[r]))));
    return out;
}

TABRIX_SSSE3_INLINE void loadGroup(const std::uint8_t* from, __m128i* in) noexcept
{
    for (int r = 0; r < 3; ++r)
        in[r] = _mm_loadu_si128(reinterpret_cast<const __m128i*>(from + 16 * r));
}

// Stores a group's `byteCount` (16, 24 or 32) bytes of a stream, and not a byte more.
TABRIX_SSSE3_INLINE void storeStream(std::uint8_t* into, const StreamMasks& s, int byteCount,
                                     const __m128i* in) noexcept
{
    _mm_storeu_si128(reinterpret_cast<__m128i*>(into), gather(s.regs[0], in));
    if (byteCount == 32)
        _mm_storeu_si128(reinterpret_cast<__m128i*>(into + 16), gather(s.regs[1], in));
    else if (byteCount == 24)
        _mm_storel_epi64(reinterpret_cast<__m128i*>(into + 16), gather(s.regs[1], in));
}

// monoSum() lane by lane: wrap, then replace the sums whose sign came out unlike both inputs'
// by the bound on the inputs' side.
TABRIX_SSSE3_INLINE __m128i saturatedSum(__m128i left, __m128i right) noexcept
{
    const __m128i sum = _mm_add_epi32(left, right);
    const __m128i overflow = _mm_srai_epi32(
        _mm_and_si128(_mm_xor_si128(left, sum), _mm_xor_si128(right, sum)), 31);
    const __m128i bound = _mm_add_epi32(_mm_srli_epi32(left, 31), _mm_set1_epi32(0x7FFFFFFF));
    return _mm_or_si128(_mm_andnot_si128(overflow, sum), _mm_and_si128(overflow, bound));
}

template <int Bytes>
TABRIX_SSSE3 void splitGroups(const std::uint8_t* from, std::uint64_t groups, std::uint8_t* left,
                              std::uint8_t* right) noexcept
{
    const StreamMasks& l = Bytes == 3 ? left24 : left16;
    const StreamMasks& r = Bytes == 3 ? right24 : right16;
    __m128i in[3];
    for (std::uint64_t g = 0; g < groups; ++g) {
        loadGroup(from + groupBytes * g, in);
        storeStream(left + 8 * Bytes * g, l, 8 * Bytes, in);
        storeStream(right + 8 * Bytes * g, r, 8 * Bytes, in);
    }
}

TABRIX_SSSE3 void narrowGroups(const std::uint8_t* from, std::uint64_t groups,
                               std::uint8_t* into) noexcept
{
    __m128i in[3];
    for (std::uint64_t g = 0; g < groups; ++g) {
        loadGroup(from + groupBytes * g, in);
        storeStream(into + 32 * g, narrow16, 32, in);
    }
}

template <int Bytes>
TABRIX_SSSE3 void sumGroups(const std::uint8_t* from, std::uint64_t groups,
                            std::uint8_t* into) noexcept
{
    const StreamMasks& pack = Bytes == 3 ? pack24 : pack16;
    __m128i in[3];
    __m128i sums[3] = {};
    for (std::uint64_t g = 0; g < groups; ++g) {
        loadGroup(from + groupBytes * g, in);
        for (int half = 0; half < 2; ++half)
            sums[half] = saturatedSum(gather(leftWords.regs[half], in),
                                      gather(rightWords.regs[half], in));
        storeStream(into + 8 * Bytes * g, pack, 8 * Bytes, sums);
    }
}

// Each word to a float and scaled by 2^-31: both exact for 24-bit samples.
TABRIX_SSSE3 void floatGroups(const std::uint8_t* from, std::uint64_t groups,
                              std::uint8_t* into) noexcept
{
    const __m128 scale = _mm_set1_ps(0x1p-31f);
    __m128i in[3];
    for (std::uint64_t g = 0; g < groups; ++g) {
        loadGroup(from + groupBytes * g, in);
        for (int k = 0; k < 4; ++k)
            _mm_storeu_ps(reinterpret_cast<float*>(into + 64 * g + 16 * k),
                          _mm_mul_ps(_mm_cvtepi32_ps(gather(wordsInOrder[k], in)), scale));
    }
}

} // namespace

bool frameShuffleAvailable() noexcept
{
    static const bool available = [] {
        __builtin_cpu_init();
        return __builtin_cpu_supports("ssse3") != 0;
    }();
    return available;
}

std::uint64_t splitStereo24(const std::uint8_t* from, std::uint64_t frameCount,
                            unsigned outputBytes, std::uint8_t* left, std::uint8_t* right) noexcept
{
    if (!frameShuffleAvailable() || (outputBytes != 2 && outputBytes != 3))
        return 0;
    const std::uint64_t groups = frameCount / shuffleGroupFrames;
    if (outputBytes == 3)
        splitGroups<3>(from, groups, left, right);
    else
        splitGroups<2>(from, groups, left, right);
    return groups * shuffleGroupFrames;
}

std::uint64_t narrowStereo24(const std::uint8_t* from, std::uint64_t frameCount,
                             std::uint8_t* into) noexcept
{
    if (!frameShuffleAvailable())
        return 0;
    const std::uint64_t groups = frameCount / shuffleGroupFrames;
    narrowGroups(from, groups, into);
    return groups * shuffleGroupFrames;
}

std::uint64_t sumStereo24(const std::uint8_t* from, std::uint64_t frameCount,
                          unsigned outputBytes, std::uint8_t* into) noexcept
{
    if (!frameShuffleAvailable() || (outputBytes != 2 && outputBytes != 3))
        return 0;
    const std::uint64_t groups = frameCount / shuffleGroupFrames;
    if (outputBytes == 3)
        sumGroups<3>(from, groups, into);
    else
        sumGroups<2>(from, groups, into);
    return groups * shuffleGroupFrames;
}

std::uint64_t floatsFrom24(const std::uint8_t* from, std::uint64_t sampleCount,
                           std::uint8_t* into) noexcept
{
    if (!frameShuffleAvailable())
        return 0;
    const std::uint64_t groups = sampleCount / 16;
    floatGroups(from, groups, into);
    return groups * 16;
}

#else

bool frameShuffleAvailable() noexcept
{
    return false;
}

std::uint64_t floatsFrom24(const std::uint8_t*, std::uint64_t, std::uint8_t*) noexcept
{
    return 0;
}

std::uint64_t splitStereo24(const std::uint8_t*, std::uint64_t, unsigned, std::uint8_t*,
                            std::uint8_t*) noexcept
{
    return 0;
}

std::uint64_t narrowStereo24(const std::uint8_t*, std::uint64_t, std::uint8_t*) noexcept
{
    return 0;
}

std::uint64_t sumStereo24(const std::uint8_t*, std::uint64_t, unsigned, std::uint8_t*) noexcept
{
    return 0;
}

#endif

} // namespace tabrix
