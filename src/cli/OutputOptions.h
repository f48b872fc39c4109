#pragma once
#include "audio/Types.h"

#include <cstdint>

namespace tabrix::cli {

/// Width and channels as the window's radio-button indices. The command line's defaults are
/// 24 bit and Stereo (the window starts at 16 bit).
struct OutputOptions {
    std::int32_t widthChoice = static_cast<std::int32_t>(SampleWidth::Bits24);
    std::int32_t channelChoice = static_cast<std::int32_t>(ChannelMode::Stereo);

    bool dualMono() const noexcept
    {
        return channelChoice == static_cast<std::int32_t>(ChannelMode::DualMono);
    }
    bool splitTracks() const noexcept
    {
        return channelChoice == static_cast<std::int32_t>(ChannelMode::SplitTracks);
    }
};

} // namespace tabrix::cli
