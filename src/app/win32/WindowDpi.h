#pragma once
#include <windows.h>

namespace tabrix::win32 {

/// The dots per inch a window is drawn at (96 is 100 %), and what follows from it: scaled
/// lengths, system metrics and the message font. The per-monitor calls exist from Windows 10
/// 1607 on; they are looked up at run time so the program still starts on older systems,
/// which get the system's one DPI.
class WindowDpi {
public:
    explicit WindowDpi(UINT dotsPerInch = 96) : dotsPerInch(dotsPerInch) {}
    /// The DPI of the monitor `window` is on.
    static WindowDpi of(HWND window);

    UINT value() const noexcept { return dotsPerInch; }
    /// A length given in pixels at 100 %, in pixels at this DPI.
    int scale(int pixelsAt96) const noexcept { return MulDiv(pixelsAt96, int(dotsPerInch), 96); }
    /// GetSystemMetrics for this DPI.
    int systemMetric(int index) const;
    /// The font the system uses for message boxes, at this DPI; bold on request. The caller
    /// deletes it.
    HFONT createMessageFont(bool bold = false) const;
    /// Outer window size for a client area of `clientWidth` x `clientHeight` pixels.
    SIZE windowSizeFor(int clientWidth, int clientHeight, DWORD style, DWORD exStyle) const;

private:
    UINT dotsPerInch;
};

} // namespace tabrix::win32
