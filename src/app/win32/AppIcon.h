#pragma once
#include <windows.h>

#include <cstdint>
#include <vector>

namespace tabrix::win32 {

/// The application's icon, drawn at start-up as the other window draws it: a rounded tile with
/// a waveform that fades out and a second one fading in across a splice.
class AppIcon {
public:
    /// Gives `window` its small and large icons at the window's DPI.
    static void setOn(HWND window);
    /// One square rendering, `sizePixels` wide, as rows of 0xAARRGGBB from the top.
    static std::vector<std::uint32_t> render(int sizePixels);
    /// The rendering as an icon handle; the caller destroys it. Null when the system refused.
    static HICON create(int sizePixels);
};

} // namespace tabrix::win32
