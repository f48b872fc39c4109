#include "MessageFonts.h"

#include <initializer_list>

namespace tabrix::win32 {

void MessageFonts::renew(const WindowDpi& dpi)
{
    release();
    regularFont = dpi.createMessageFont();
    boldFont = dpi.createMessageFont(true);
}

void MessageFonts::release() noexcept
{
    for (HFONT* font : {&regularFont, &boldFont}) {
        if (*font != nullptr)
            DeleteObject(*font);
        *font = nullptr;
    }
}

} // namespace tabrix::win32
