#pragma once
#include "audio/ByteOrder.h"
#include "project/TakeSource.h"

#include <bit>
#include <cmath>
#include <cstdint>

// A take's sample as a working sample: for integer outputs a signed 32-bit word with the source
// sample in its top bits, for float outputs the value in full scale 1.0. The renderer and the
// converter's direct paths both use these, so either way a sample converts the same.
namespace tabrix {

inline std::int32_t wordOfU8(const std::uint8_t* p) noexcept
{
    return static_cast<std::int32_t>(static_cast<std::uint32_t>(p[0] ^ 0x80u) << 24);
}

inline std::int32_t wordOfS16(const std::uint8_t* p) noexcept
{
    return static_cast<std::int32_t>(std::uint32_t(loadU16le(p)) << 16);
}

/// One 32-bit load: the byte after the sample is shifted out. Reading one byte past a cache's
/// last sample stays inside its buffer (it has room to spare).
inline std::int32_t wordOfS24(const std::uint8_t* p) noexcept
{
    return static_cast<std::int32_t>(loadU32le(p) << 8);
}

/// A float sample as a word: scaled to 2^31, saturated, NaN silent, truncated toward zero.
inline std::int32_t wordOfF32(const std::uint8_t* p) noexcept
{
    const double scaled = double(loadF32le(p)) * 2147483648.0;
    if (std::isnan(scaled))
        return 0;
    if (scaled >= 2147483647.0)
        return 2147483647;
    if (scaled <= -2147483648.0)
        return -2147483647 - 1;
    return static_cast<std::int32_t>(scaled);
}

/// A float sample kept bit for bit, beyond full scale too; NaN and the infinities become +0.0,
/// which no later step can turn back into a number.
inline float keptFloat(float value) noexcept
{
    return (std::bit_cast<std::uint32_t>(value) & 0x7F80'0000u) == 0x7F80'0000u ? 0.0f : value;
}

/// An integer word as a float in full scale 1.0: word / 2^31, rounded to the nearest float
/// (exact for 8-, 16- and 24-bit samples).
inline float floatOfWord(std::int32_t word) noexcept
{
    return static_cast<float>(word) * 0x1p-31f;
}

template <SampleKind Kind> inline std::int32_t sampleWord(const std::uint8_t* p) noexcept
{
    if constexpr (Kind == SampleKind::Unsigned8)
        return wordOfU8(p);
    else if constexpr (Kind == SampleKind::Signed16)
        return wordOfS16(p);
    else if constexpr (Kind == SampleKind::Signed24)
        return wordOfS24(p);
    else if constexpr (Kind == SampleKind::Signed32)
        return loadS32le(p);
    else if constexpr (Kind == SampleKind::Float32)
        return wordOfF32(p);
    else
        return 0;
}

template <SampleKind Kind> inline float sampleFloat(const std::uint8_t* p) noexcept
{
    if constexpr (Kind == SampleKind::Float32)
        return keptFloat(loadF32le(p));
    else if constexpr (Kind == SampleKind::Silent)
        return 0.0f;
    else
        return floatOfWord(sampleWord<Kind>(p));
}

/// Calls `f` with the SampleKind value `kind` as a compile-time constant.
template <typename F> inline void withKind(SampleKind kind, F&& f)
{
    switch (kind) {
    case SampleKind::Unsigned8: f.template operator()<SampleKind::Unsigned8>(); break;
    case SampleKind::Signed16: f.template operator()<SampleKind::Signed16>(); break;
    case SampleKind::Signed24: f.template operator()<SampleKind::Signed24>(); break;
    case SampleKind::Signed32: f.template operator()<SampleKind::Signed32>(); break;
    case SampleKind::Float32: f.template operator()<SampleKind::Float32>(); break;
    case SampleKind::Silent: f.template operator()<SampleKind::Silent>(); break;
    }
}

} // namespace tabrix
