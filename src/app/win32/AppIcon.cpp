#include "AppIcon.h"

#include "IconPicture.h"
#include "WindowDpi.h"

#include <algorithm>

namespace tabrix::win32 {

HICON AppIcon::create(int sizePixels)
{
    const std::vector<std::uint32_t> pixels = IconPicture::render(sizePixels);
    BITMAPV5HEADER header{};
    header.bV5Size = sizeof header;
    header.bV5Width = sizePixels;
    header.bV5Height = -sizePixels; // rows from the top
    header.bV5Planes = 1;
    header.bV5BitCount = 32;
    header.bV5Compression = BI_BITFIELDS;
    header.bV5RedMask = 0x00FF0000;
    header.bV5GreenMask = 0x0000FF00;
    header.bV5BlueMask = 0x000000FF;
    header.bV5AlphaMask = 0xFF000000;
    void* bits = nullptr;
    HDC screen = GetDC(nullptr);
    HBITMAP colour = CreateDIBSection(screen, reinterpret_cast<BITMAPINFO*>(&header),
                                      DIB_RGB_COLORS, &bits, nullptr, 0);
    ReleaseDC(nullptr, screen);
    if (colour == nullptr)
        return nullptr;
    std::copy(pixels.begin(), pixels.end(), static_cast<std::uint32_t*>(bits));
    HBITMAP mask = CreateBitmap(sizePixels, sizePixels, 1, 1, nullptr);
    ICONINFO info{};
    info.fIcon = TRUE;
    info.hbmMask = mask;
    info.hbmColor = colour;
    HICON icon = CreateIconIndirect(&info);
    DeleteObject(mask);
    DeleteObject(colour);
    return icon;
}

void AppIcon::setOn(HWND window)
{
    const WindowDpi dpi = WindowDpi::of(window);
    for (const auto& [which, metric] :
         {std::pair{ICON_SMALL, SM_CXSMICON}, std::pair{ICON_BIG, SM_CXICON}}) {
        HICON icon = create(dpi.systemMetric(metric));
        HICON old = reinterpret_cast<HICON>(
            SendMessageW(window, WM_SETICON, WPARAM(which), reinterpret_cast<LPARAM>(icon)));
        if (old != nullptr)
            DestroyIcon(old);
    }
}

void AppIcon::removeFrom(HWND window)
{
    for (const WPARAM which : {WPARAM(ICON_SMALL), WPARAM(ICON_BIG)})
        if (HICON old = reinterpret_cast<HICON>(SendMessageW(window, WM_SETICON, which, 0)))
            DestroyIcon(old);
}

} // namespace tabrix::win32
