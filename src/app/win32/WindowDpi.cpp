#include "WindowDpi.h"

namespace tabrix::win32 {

namespace {

template <typename Function> Function user32Function(const char* name)
{
    // Cast through a generic function pointer: the looked-up address has the named type.
    return reinterpret_cast<Function>(
        reinterpret_cast<void (*)()>(GetProcAddress(GetModuleHandleW(L"user32.dll"), name)));
}

using GetDpiForWindowCall = UINT(WINAPI*)(HWND);
using GetSystemMetricsForDpiCall = int(WINAPI*)(int, UINT);
using SystemParametersInfoForDpiCall = BOOL(WINAPI*)(UINT, UINT, PVOID, UINT, UINT);
using AdjustWindowRectExForDpiCall = BOOL(WINAPI*)(LPRECT, DWORD, BOOL, DWORD, UINT);

UINT systemDpi()
{
    HDC screen = GetDC(nullptr);
    const int dpi = GetDeviceCaps(screen, LOGPIXELSY);
    ReleaseDC(nullptr, screen);
    return dpi > 0 ? UINT(dpi) : 96u;
}

} // namespace

WindowDpi WindowDpi::of(HWND window)
{
    static const auto getDpiForWindow = user32Function<GetDpiForWindowCall>("GetDpiForWindow");
    const UINT dpi = getDpiForWindow != nullptr && window != nullptr ? getDpiForWindow(window) : 0;
    return WindowDpi(dpi > 0 ? dpi : systemDpi());
}

int WindowDpi::systemMetric(int index) const
{
    static const auto forDpi = user32Function<GetSystemMetricsForDpiCall>("GetSystemMetricsForDpi");
    if (forDpi != nullptr)
        return forDpi(index, dotsPerInch);
    return MulDiv(GetSystemMetrics(index), int(dotsPerInch), int(systemDpi()));
}

HFONT WindowDpi::createMessageFont(bool bold) const
{
    static const auto forDpi =
        user32Function<SystemParametersInfoForDpiCall>("SystemParametersInfoForDpi");
    NONCLIENTMETRICSW metrics{};
    metrics.cbSize = sizeof metrics;
    LOGFONTW font{};
    if (forDpi != nullptr &&
        forDpi(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0, dotsPerInch)) {
        font = metrics.lfMessageFont;
    } else if (SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0)) {
        font = metrics.lfMessageFont;
        font.lfHeight = MulDiv(font.lfHeight, int(dotsPerInch), int(systemDpi()));
    } else {
        font.lfHeight = -MulDiv(9, int(dotsPerInch), 72);
        lstrcpyW(font.lfFaceName, L"Segoe UI");
    }
    if (bold)
        font.lfWeight = FW_BOLD;
    return CreateFontIndirectW(&font);
}

SIZE WindowDpi::windowSizeFor(int clientWidth, int clientHeight, DWORD style, DWORD exStyle) const
{
    static const auto forDpi =
        user32Function<AdjustWindowRectExForDpiCall>("AdjustWindowRectExForDpi");
    RECT rect{0, 0, clientWidth, clientHeight};
    if (forDpi != nullptr)
        forDpi(&rect, style, FALSE, exStyle, dotsPerInch);
    else
        AdjustWindowRectEx(&rect, style, FALSE, exStyle);
    return {rect.right - rect.left, rect.bottom - rect.top};
}

} // namespace tabrix::win32
