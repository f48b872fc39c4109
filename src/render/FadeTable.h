#pragma once
#include <array>
#include <cstddef>
#include <cstdint>

namespace tabrix {

constexpr std::size_t fadeTableSize = 4096;

/// 4096 equal-power gains in Q31: entry i is floor(sqrt(i / 4096) x (2^31 - 1)), 0 below 4.
/// Built once, read per frame; a fade-out walks it backwards.
class FadeTable {
public:
    static const FadeTable& instance();
    std::uint32_t gainAt(std::size_t step) const noexcept { return gains[step]; }
    /// The same gain for float samples: entry / 2^31, rounded to the nearest float.
    float floatGainAt(std::size_t step) const noexcept { return floatGains[step]; }

private:
    FadeTable();
    std::array<std::uint32_t, fadeTableSize> gains{};
    std::array<float, fadeTableSize> floatGains{};
};

/// s x g with only the top 16 bits of each taking part: ((s >> 16) x (g >> 16)) x 2.
inline std::int32_t applyGain(std::int32_t sample, std::uint32_t gain) noexcept
{
    return ((sample >> 16) * static_cast<std::int32_t>(gain >> 16)) * 2;
}

} // namespace tabrix
