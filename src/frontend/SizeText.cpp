#include "frontend/SizeText.h"

#include <array>

namespace tabrix {

namespace {

// `value` / `divisor` rounded half up, in integers only (no size is misread through a double)
// and without the sum that could wrap near the top of the range.
std::uint64_t roundedQuotient(std::uint64_t value, std::uint64_t divisor)
{
    return value / divisor + (value % divisor >= divisor - divisor / 2 ? 1 : 0);
}

} // namespace

std::string sizeForPeople(std::uint64_t byteCount)
{
    if (byteCount < 1000)
        return std::to_string(byteCount) + (byteCount == 1 ? " byte" : " bytes");
    constexpr std::array<const char*, 6> units{"KB", "MB", "GB", "TB", "PB", "EB"};
    std::uint64_t unitBytes = 1000;
    std::size_t unit = 0;
    while (unit + 1 < units.size() && byteCount / unitBytes >= 1000) {
        unitBytes *= 1000;
        ++unit;
    }
    const std::uint64_t tenths = roundedQuotient(byteCount, unitBytes / 10);
    if (tenths < 100) {
        const std::string whole = std::to_string(tenths / 10);
        return (tenths % 10 == 0 ? whole : whole + "." + std::to_string(tenths % 10)) + " " +
               units[unit];
    }
    const std::uint64_t whole = roundedQuotient(byteCount, unitBytes);
    if (whole >= 1000 && unit + 1 < units.size())
        return std::string("1 ") + units[unit + 1]; // 999.6 GB reads as 1 TB, not 1000 GB
    return std::to_string(whole) + " " + units[unit];
}

} // namespace tabrix
