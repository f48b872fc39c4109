#pragma once
#include <cstdint>
#include <vector>

namespace tabrix::win32 {

/// The application's icon as pixels, drawn as the other window draws it: a rounded tile with a
/// waveform that fades out and a second one fading in across a splice. Standard library only,
/// so the build machine can also write it into the program's icon file.
class IconPicture {
public:
    /// One square rendering, `sizePixels` wide, as rows of 0xAARRGGBB from the top (straight,
    /// not premultiplied alpha).
    static std::vector<std::uint32_t> render(int sizePixels);
};

} // namespace tabrix::win32
