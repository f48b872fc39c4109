#include "WideText.h"

namespace tabrix::win32 {

std::wstring wideFromUtf8(const std::string& text)
{
    if (text.empty())
        return {};
    const int length = MultiByteToWideChar(CP_UTF8, 0, text.data(), int(text.size()), nullptr, 0);
    std::wstring wide(std::size_t(length), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, text.data(), int(text.size()), wide.data(), length);
    return wide;
}

std::string utf8FromWide(const std::wstring& text)
{
    if (text.empty())
        return {};
    const int length = WideCharToMultiByte(CP_UTF8, 0, text.data(), int(text.size()), nullptr, 0,
                                           nullptr, nullptr);
    std::string narrow(std::size_t(length), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.data(), int(text.size()), narrow.data(), length, nullptr,
                        nullptr);
    return narrow;
}

std::string windowTextOf(HWND window)
{
    std::wstring text(std::size_t(GetWindowTextLengthW(window)) + 1, L'\0');
    text.resize(std::size_t(GetWindowTextW(window, text.data(), int(text.size()))));
    std::string narrow = utf8FromWide(text);
    // The logic's texts break lines with "\n" alone.
    std::string plain;
    for (char c : narrow)
        if (c != '\r')
            plain += c;
    return plain;
}

void setWindowTextOf(HWND window, const std::string& text)
{
    std::wstring wide;
    for (wchar_t c : wideFromUtf8(text)) {
        if (c == L'\n')
            wide += L'\r';
        wide += c;
    }
    SetWindowTextW(window, wide.c_str());
}

SIZE textSize(HFONT font, const std::wstring& text)
{
    SIZE size{0, 0};
    HDC dc = GetDC(nullptr);
    const HGDIOBJ old = SelectObject(dc, font);
    GetTextExtentPoint32W(dc, text.c_str(), int(text.size()), &size);
    SelectObject(dc, old);
    ReleaseDC(nullptr, dc);
    return size;
}

} // namespace tabrix::win32
