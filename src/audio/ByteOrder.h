#pragma once
#include <array>
#include <bit>
#include <cassert>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <span>

// Little-endian loads and stores built from shifts, so the code is independent of the host's
// byte order and never overlays a struct on file bytes.
namespace tabrix {

inline std::uint16_t loadU16le(const std::uint8_t* p) noexcept
{
    return static_cast<std::uint16_t>(p[0] | p[1] << 8);
}

// The 32-bit load and store are on the render path for every sample: on a little-endian host
// they are a single unaligned memory access, elsewhere they are assembled from shifts.
inline std::uint32_t loadU32le(const std::uint8_t* p) noexcept
{
    if constexpr (std::endian::native == std::endian::little) {
        std::uint32_t v;
        std::memcpy(&v, p, sizeof v);
        return v;
    } else {
        return std::uint32_t(p[0]) | std::uint32_t(p[1]) << 8 | std::uint32_t(p[2]) << 16 |
               std::uint32_t(p[3]) << 24;
    }
}

inline std::uint64_t loadU64le(const std::uint8_t* p) noexcept
{
    return std::uint64_t(loadU32le(p)) | std::uint64_t(loadU32le(p + 4)) << 32;
}

inline std::int16_t loadS16le(const std::uint8_t* p) noexcept
{
    return static_cast<std::int16_t>(loadU16le(p));
}

/// A packed 3-byte sample, sign-extended.
inline std::int32_t loadS24le(const std::uint8_t* p) noexcept
{
    const std::uint32_t raw = std::uint32_t(p[0]) | std::uint32_t(p[1]) << 8 | std::uint32_t(p[2]) << 16;
    return static_cast<std::int32_t>(raw << 8) >> 8;
}

inline std::int32_t loadS32le(const std::uint8_t* p) noexcept
{
    return static_cast<std::int32_t>(loadU32le(p));
}

inline float loadF32le(const std::uint8_t* p) noexcept
{
    return std::bit_cast<float>(loadU32le(p));
}

inline void storeU16le(std::uint8_t* p, std::uint16_t v) noexcept
{
    if constexpr (std::endian::native == std::endian::little) {
        std::memcpy(p, &v, sizeof v);
    } else {
        p[0] = static_cast<std::uint8_t>(v);
        p[1] = static_cast<std::uint8_t>(v >> 8);
    }
}

inline void storeU32le(std::uint8_t* p, std::uint32_t v) noexcept
{
    if constexpr (std::endian::native == std::endian::little) {
        std::memcpy(p, &v, sizeof v);
    } else {
        for (int i = 0; i < 4; ++i)
            p[i] = static_cast<std::uint8_t>(v >> (8 * i));
    }
}

inline void storeU64le(std::uint8_t* p, std::uint64_t v) noexcept
{
    storeU32le(p, static_cast<std::uint32_t>(v));
    storeU32le(p + 4, static_cast<std::uint32_t>(v >> 32));
}

inline void storeF32le(std::uint8_t* p, float value) noexcept
{
    storeU32le(p, std::bit_cast<std::uint32_t>(value));
}

inline void storeS16le(std::uint8_t* p, std::int16_t sample) noexcept
{
    storeU16le(p, static_cast<std::uint16_t>(sample));
}

inline void storeS24le(std::uint8_t* p, std::int32_t sample) noexcept
{
    for (int i = 0; i < 3; ++i)
        p[i] = static_cast<std::uint8_t>(sample >> (8 * i)); // 3 packed bytes
}

/// Appends little-endian fields to a fixed byte image; asserts it never runs past the end.
class ByteWriter {
public:
    explicit ByteWriter(std::span<std::uint8_t> image) : image(image) {}

    void fourCc(const char (&id)[5]) { bytes(reinterpret_cast<const std::uint8_t*>(id), 4); }
    void u16(std::uint16_t v) { storeU16le(take(2), v); }
    void u32(std::uint32_t v) { storeU32le(take(4), v); }
    void u64(std::uint64_t v) { storeU64le(take(8), v); }
    void bytes(const std::uint8_t* from, std::size_t count)
    {
        std::memcpy(take(count), from, count);
    }
    template <std::size_t N> void bytes(const std::array<std::uint8_t, N>& from)
    {
        bytes(from.data(), N);
    }
    void zeros(std::size_t count) { std::memset(take(count), 0, count); }
    std::size_t position() const noexcept { return cursor; }

private:
    std::uint8_t* take(std::size_t count)
    {
        assert(cursor + count <= image.size());
        std::uint8_t* at = image.data() + cursor;
        cursor += count;
        return at;
    }

    std::span<std::uint8_t> image;
    std::size_t cursor = 0;
};

} // namespace tabrix
