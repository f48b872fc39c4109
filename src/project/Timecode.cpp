#include "project/Timecode.h"

#include <algorithm>
#include <cctype>

namespace tabrix {

namespace {

constexpr std::uint64_t maxRatePart = 1000000;

std::optional<std::uint32_t> wholeNumber(const std::string& text)
{
    if (text.empty() || text.size() > 7 ||
        !std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; }))
        return std::nullopt;
    const std::uint64_t value = std::stoull(text);
    if (value == 0 || value > maxRatePart)
        return std::nullopt;
    return static_cast<std::uint32_t>(value);
}

} // namespace

std::uint32_t TimecodeRate::nominal() const noexcept
{
    return denominator == 0 ? 0 : (numerator + denominator / 2) / denominator;
}

std::optional<TimecodeRate> readTimecodeRate(const std::string& rate, const std::string& flag)
{
    const std::size_t slash = rate.find('/');
    const auto numerator = wholeNumber(rate.substr(0, slash));
    const auto denominator =
        slash == std::string::npos ? std::optional<std::uint32_t>(1) : wholeNumber(rate.substr(slash + 1));
    if (!numerator || !denominator)
        return std::nullopt;
    TimecodeRate result{*numerator, *denominator, false, rate, flag};
    if (result.nominal() == 0)
        return std::nullopt;
    // Only 29.97 and 59.94 drop frame labels; 23.976 never does.
    result.dropFrame = flag == "DF" && *denominator == 1001 &&
                       (*numerator == 30000 || *numerator == 60000);
    return result;
}

std::uint64_t labelCount(const Timecode& timecode, const TimecodeRate& rate) noexcept
{
    return ((std::uint64_t(timecode.hours) * 60 + timecode.minutes) * 60 + timecode.seconds) *
               rate.nominal() +
           timecode.frames;
}

SamplePos positionOfLabel(std::uint64_t labels, std::uint32_t sampleRate,
                          const TimecodeRate& rate) noexcept
{
    const std::uint64_t n = rate.nominal();
    if (n == 0 || rate.numerator == 0)
        return 0;
    std::uint64_t f = labels;
    if (rate.dropFrame) {
        const std::uint64_t d = 2 * n / 30;
        const std::uint64_t minutes = labels / (60 * n);
        const bool dropped = minutes % 10 != 0 && labels % (60 * n) < d;
        f = labels - d * (minutes - minutes / 10) + (dropped ? d - labels % (60 * n) : 0);
    }
    // The first position whose frame count floor(p x N / (D x rate)) reaches f.
    const std::uint64_t scale = std::uint64_t(rate.denominator) * sampleRate;
    return (f * scale + rate.numerator - 1) / rate.numerator;
}

Timecode timecodeAt(SamplePos position, std::uint32_t sampleRate, const TimecodeRate& rate) noexcept
{
    const std::uint64_t n = rate.nominal();
    if (sampleRate == 0 || n == 0)
        return {};
    // Timeline positions stay below 2^40 and N below 2^20: the product fits 64 bits.
    std::uint64_t f = position * rate.numerator / (std::uint64_t(rate.denominator) * sampleRate);
    if (rate.dropFrame) {
        const std::uint64_t d = 2 * n / 30; // labels dropped each minute but every tenth
        const std::uint64_t tenMinutes = 600 * n - 9 * d;
        const std::uint64_t r10 = f % tenMinutes;
        f += 9 * d * (f / tenMinutes);
        if (r10 >= d)
            f += d * ((r10 - d) / (60 * n - d));
    }
    return {static_cast<std::uint32_t>(f / (3600 * n) % 24),
            static_cast<std::uint32_t>(f / (60 * n) % 60), static_cast<std::uint32_t>(f / n % 60),
            static_cast<std::uint32_t>(f % n), rate.dropFrame};
}

} // namespace tabrix
