#pragma once
#include <windows.h>

#include <string>

// Text crosses into the Windows API as UTF-16 only here; the window logic speaks UTF-8.
namespace tabrix::win32 {

/// `text` (UTF-8) as UTF-16; invalid sequences become U+FFFD.
std::wstring wideFromUtf8(const std::string& text);
/// `text` (UTF-16) as UTF-8; unpaired surrogates become U+FFFD.
std::string utf8FromWide(const std::wstring& text);
/// A control's text as UTF-8.
std::string windowTextOf(HWND window);
/// Sets a control's text from UTF-8; "\n" becomes "\r\n" so static and edit controls break there.
void setWindowTextOf(HWND window, const std::string& text);
/// Width and height of `text` drawn on one line in `font`, in pixels.
SIZE textSize(HFONT font, const std::wstring& text);
/// Width of `text` drawn on one line in `font`, in pixels.
inline int textWidth(HFONT font, const std::wstring& text)
{
    return int(textSize(font, text).cx);
}
/// Height of one line of text in `font`, in pixels.
inline int lineHeightOf(HFONT font)
{
    return int(textSize(font, L"Ag").cy);
}

} // namespace tabrix::win32
