#include "render/FadeTable.h"

#include <cmath>

namespace tabrix {

const FadeTable& FadeTable::instance()
{
    static const FadeTable table; // thread-safe one-time construction
    return table;
}

FadeTable::FadeTable()
{
    for (std::size_t i = 4; i < fadeTableSize; ++i)
        gains[i] = static_cast<std::uint32_t>(
            std::floor(std::sqrt(double(i) / double(fadeTableSize)) * 2147483647.0));
    // One rounding (to float); the power-of-two scale is exact.
    for (std::size_t i = 0; i < fadeTableSize; ++i)
        floatGains[i] = static_cast<float>(gains[i]) * 0x1p-31f;
}

} // namespace tabrix
