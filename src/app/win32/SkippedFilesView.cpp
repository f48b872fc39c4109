#include "SkippedFilesView.h"

#include "WideText.h"

#include <commctrl.h>

#include <algorithm>

namespace tabrix::win32 {

namespace {

constexpr int closeId = 100;
constexpr DWORD windowStyle = WS_POPUP | WS_CAPTION | WS_SYSMENU;
constexpr DWORD windowExStyle = WS_EX_DLGMODALFRAME;

} // namespace

SkippedFilesView::SkippedFilesView(const std::vector<SkippedRow>& rows) : rows(rows) {}

SkippedFilesView::~SkippedFilesView()
{
    if (font != nullptr)
        DeleteObject(font);
}

bool SkippedFilesView::open(HWND ownerWindow)
{
    owner = ownerWindow;
    if (!createWindow(L"TabrixSkippedFiles", GetSysColorBrush(COLOR_BTNFACE), L"Skipped Files",
                      windowStyle, windowExStyle, RECT{0, 0, 100, 100}, owner))
        return false;
    HINSTANCE instance = GetModuleHandleW(nullptr);
    intro = CreateWindowExW(
        0, L"Static", L"These files in \"Audio Files\" are not part of the conform:",
        WS_CHILD | WS_VISIBLE | SS_NOPREFIX, 0, 0, 0, 0, handle(), nullptr, instance, nullptr);
    listView = CreateWindowExW(WS_EX_CLIENTEDGE, WC_LISTVIEWW, nullptr,
                               WS_CHILD | WS_VISIBLE | WS_TABSTOP | LVS_REPORT | LVS_NOSORTHEADER |
                                   LVS_SINGLESEL | LVS_SHOWSELALWAYS,
                               0, 0, 0, 0, handle(), nullptr, instance, nullptr);
    ListView_SetExtendedListViewStyle(listView, LVS_EX_FULLROWSELECT | LVS_EX_DOUBLEBUFFER);
    button = CreateWindowExW(
        0, L"Button", L"Close", WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_DEFPUSHBUTTON, 0, 0, 0, 0,
        handle(), reinterpret_cast<HMENU>(static_cast<INT_PTR>(closeId)), instance, nullptr);

    const wchar_t* headings[] = {L"File", L"Reason"};
    for (int column = 0; column < 2; ++column) {
        LVCOLUMNW heading{};
        heading.mask = LVCF_TEXT;
        heading.pszText = const_cast<wchar_t*>(headings[column]);
        ListView_InsertColumn(listView, column, &heading);
    }
    for (std::size_t i = 0; i < rows.size(); ++i) {
        std::wstring name = wideFromUtf8(rows[i].fileName);
        std::wstring reason = wideFromUtf8(rows[i].reason);
        LVITEMW item{};
        item.mask = LVIF_TEXT;
        item.iItem = int(i);
        item.pszText = name.data();
        const int row = ListView_InsertItem(listView, &item);
        ListView_SetItemText(listView, row, 1, reason.data());
    }
    layOut();
    ShowWindow(handle(), SW_SHOW);
    SetFocus(listView);
    return true;
}

void SkippedFilesView::runModal(HWND ownerWindow)
{
    runModalOver(ownerWindow, [&] { return open(ownerWindow); });
}

void SkippedFilesView::layOut()
{
    const WindowDpi dpi = WindowDpi::of(handle());
    if (font != nullptr)
        DeleteObject(font);
    font = dpi.createMessageFont();
    for (HWND control : {intro, listView, button})
        SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE);

    const int character = textWidth(font, L"x");
    const int lineHeight = lineHeightOf(font);
    const int margin = dpi.scale(11);
    const int width = character * 80;
    const int listHeight = lineHeight * (3 + std::min<int>(int(rows.size()), 12));
    const int buttonWidth = std::max(dpi.scale(80), textWidth(font, L"Close") + dpi.scale(24));
    const int buttonHeight = std::max(dpi.scale(23), lineHeight + dpi.scale(10));
    int y = margin;
    MoveWindow(intro, margin, y, width, lineHeight, TRUE);
    y += lineHeight + dpi.scale(6);
    MoveWindow(listView, margin, y, width, listHeight, TRUE);
    y += listHeight + dpi.scale(8);
    MoveWindow(button, margin + width - buttonWidth, y, buttonWidth, buttonHeight, TRUE);
    y += buttonHeight + margin;

    // The names take what they need, the reasons the rest.
    ListView_SetColumnWidth(listView, 0, LVSCW_AUTOSIZE_USEHEADER);
    ListView_SetColumnWidth(listView, 0, ListView_GetColumnWidth(listView, 0) + character * 3);
    ListView_SetColumnWidth(listView, 1, LVSCW_AUTOSIZE_USEHEADER);

    const SIZE outer = dpi.windowSizeFor(width + 2 * margin, y, windowStyle, windowExStyle);
    placeOver(handle(), owner, outer);
}

LRESULT SkippedFilesView::onMessage(UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_COMMAND:
        if (LOWORD(wParam) == closeId || LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL)
            DestroyWindow(handle());
        return 0;
    case WM_DPICHANGED:
        layOut();
        return 0;
    default:
        return WindowBase::onMessage(message, wParam, lParam);
    }
}

} // namespace tabrix::win32
