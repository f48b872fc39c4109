#pragma once
#include <cstdint>
#include <filesystem>
#include <string>

namespace tabrix {

/// A count of sample frames on the project timeline; every position and length there is one.
using SamplePos = std::uint64_t;

/// Output channel layout; the values are the main window's radio-button indices.
enum class ChannelMode : std::int32_t {
    Stereo = 0,
    MonoLeft = 1,
    MonoRight = 2,
    MonoSum = 3,
    DualMono = 4,
    AllTracks = 5,   ///< one file, a channel per track of the project
    SplitTracks = 6, ///< a mono file per track of the project
};

/// Output sample width as the main window's radio-button index.
enum class SampleWidth : std::int32_t { Bits16 = 0, Bits24 = 1, Float32 = 2 };

/// Paths cross the core's interfaces as UTF-8 text; this keeps non-ASCII folder names intact
/// on every platform.
inline std::filesystem::path pathFromUtf8(const std::string& text)
{
    return std::filesystem::path(std::u8string(text.begin(), text.end()));
}

inline std::string utf8FromPath(const std::filesystem::path& path)
{
    const std::u8string text = path.u8string();
    return std::string(text.begin(), text.end());
}

} // namespace tabrix
