#pragma once
#include <windows.h>

namespace tabrix::win32 {

/// The application's icon on its windows, drawn at start-up at the sizes the monitor's DPI asks
/// for (the picture is IconPicture's).
class AppIcon {
public:
    /// Gives `window` its small and large icons at the window's DPI, replacing earlier ones.
    static void setOn(HWND window);
    /// Takes the icons `setOn` gave `window` away again and frees them.
    static void removeFrom(HWND window);
    /// The rendering as an icon handle; the caller destroys it. Null when the system refused.
    static HICON create(int sizePixels);
};

} // namespace tabrix::win32
