#include "DetailsDialogView.h"

#include "WideText.h"

#include <commctrl.h>

#include <algorithm>

namespace tabrix::win32 {

namespace {

constexpr int closeId = 100;
constexpr DWORD windowStyle = WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_THICKFRAME;
constexpr DWORD windowExStyle = WS_EX_DLGMODALFRAME;

HWND addControl(HWND parent, DWORD exStyle, const wchar_t* className, const std::wstring& text,
                DWORD style, int id = 0)
{
    return CreateWindowExW(exStyle, className, text.c_str(), WS_CHILD | WS_VISIBLE | style, 0, 0, 0,
                           0, parent, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                           GetModuleHandleW(nullptr), nullptr);
}

HWND listOf(HWND parent, const DetailsSection& section)
{
    HWND list =
        addControl(parent, WS_EX_CLIENTEDGE, WC_LISTVIEWW, L"",
                   WS_TABSTOP | LVS_REPORT | LVS_NOSORTHEADER | LVS_SINGLESEL | LVS_SHOWSELALWAYS);
    ListView_SetExtendedListViewStyle(list, LVS_EX_FULLROWSELECT | LVS_EX_DOUBLEBUFFER);
    for (std::size_t column = 0; column < section.columns.size(); ++column) {
        std::wstring title = wideFromUtf8(section.columns[column]);
        LVCOLUMNW heading{};
        heading.mask = LVCF_TEXT;
        heading.pszText = title.data();
        ListView_InsertColumn(list, int(column), &heading);
    }
    for (std::size_t row = 0; row < section.rows.size(); ++row)
        for (std::size_t column = 0; column < section.rows[row].size(); ++column) {
            std::wstring cell = wideFromUtf8(section.rows[row][column]);
            if (column == 0) {
                LVITEMW item{};
                item.mask = LVIF_TEXT;
                item.iItem = int(row);
                item.pszText = cell.data();
                ListView_InsertItem(list, &item);
            } else {
                ListView_SetItemText(list, int(row), int(column), cell.data());
            }
        }
    return list;
}

} // namespace

DetailsDialogView::DetailsDialogView(const DetailsContent& content) : content(content) {}

DetailsDialogView::~DetailsDialogView()
{
    if (HWND window = handle())
        DestroyWindow(window); // before the fonts its controls use
}

bool DetailsDialogView::open(HWND ownerWindow)
{
    owner = ownerWindow;
    if (!createWindow(L"TabrixDetails", GetSysColorBrush(COLOR_BTNFACE),
                      wideFromUtf8(content.title), windowStyle, windowExStyle, RECT{0, 0, 100, 100},
                      owner))
        return false;
    createControls();
    setFonts();
    sizeColumns();
    placeOver(handle(), owner, preferredSize());
    layOut();
    ShowWindow(handle(), SW_SHOW);
    // The section asked for first has the focus, on its first row.
    const std::size_t focus = std::min(content.focusSection, sections.size());
    if (focus < sections.size() && sections[focus].list != nullptr) {
        ListView_SetItemState(sections[focus].list, 0, LVIS_FOCUSED | LVIS_SELECTED,
                              LVIS_FOCUSED | LVIS_SELECTED);
        SetFocus(sections[focus].list);
    } else {
        SetFocus(button);
    }
    return true;
}

void DetailsDialogView::runModal(HWND ownerWindow)
{
    runModalOver(ownerWindow, [&] { return open(ownerWindow); });
}

void DetailsDialogView::createControls()
{
    intro = addControl(handle(), 0, L"Static", wideFromUtf8(content.intro), SS_NOPREFIX);
    // A path has no spaces to wrap at: a read-only field that scrolls, showing its end.
    folder = addControl(handle(), WS_EX_CLIENTEDGE, L"Edit", wideFromUtf8(content.folder),
                        WS_TABSTOP | ES_READONLY | ES_AUTOHSCROLL);
    for (const DetailsSection& section : content.sections) {
        SectionControls controls;
        controls.heading =
            addControl(handle(), 0, L"Static", wideFromUtf8(section.heading), SS_NOPREFIX);
        if (section.rows.empty())
            controls.empty =
                addControl(handle(), 0, L"Static", wideFromUtf8(section.emptyText), SS_NOPREFIX);
        else
            controls.list = listOf(handle(), section);
        sections.push_back(controls);
    }
    button = addControl(handle(), 0, L"Button", L"Close", WS_TABSTOP | BS_DEFPUSHBUTTON, closeId);
}

void DetailsDialogView::setFonts()
{
    dpi = WindowDpi::of(handle());
    fonts.renew(dpi);
    for (HWND child = GetWindow(handle(), GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT))
        SendMessageW(child, WM_SETFONT, reinterpret_cast<WPARAM>(fonts.regular()), FALSE);
    for (const SectionControls& section : sections)
        SendMessageW(section.heading, WM_SETFONT, reinterpret_cast<WPARAM>(fonts.bold()), FALSE);
    SendMessageW(folder, EM_SETSEL, WPARAM(-1), -1); // the path's end in view
}

void DetailsDialogView::sizeColumns()
{
    // Every cell in full: each column as wide as its widest cell or title, plus a little room.
    const int room = 2 * textWidth(fonts.regular(), L"x") + dpi.scale(12);
    for (std::size_t i = 0; i < sections.size(); ++i) {
        if (sections[i].list == nullptr)
            continue;
        const DetailsSection& section = content.sections[i];
        for (std::size_t column = 0; column < section.columns.size(); ++column) {
            int widest = textWidth(fonts.regular(), wideFromUtf8(section.columns[column]));
            for (const std::vector<std::string>& row : section.rows)
                if (column < row.size())
                    widest =
                        std::max(widest, textWidth(fonts.regular(), wideFromUtf8(row[column])));
            ListView_SetColumnWidth(sections[i].list, int(column), widest + room);
        }
    }
}

SIZE DetailsDialogView::preferredSize() const
{
    // Wide enough for the widest list and tall enough for the rows, within the work area.
    int widest = 0;
    int rowCount = 0;
    for (std::size_t i = 0; i < sections.size(); ++i) {
        if (sections[i].list == nullptr)
            continue;
        int width = dpi.systemMetric(SM_CXVSCROLL) + 4;
        for (std::size_t column = 0; column < content.sections[i].columns.size(); ++column)
            width += ListView_GetColumnWidth(sections[i].list, int(column));
        widest = std::max(widest, width);
        rowCount += int(content.sections[i].rows.size()) + 3;
    }
    RECT area{};
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &area, 0);
    const int rowHeight = lineHeightOf(fonts.regular()) + dpi.scale(6);
    const int width = std::clamp(widest + dpi.scale(40), textWidth(fonts.regular(), L"x") * 60,
                                 int(area.right - area.left) * 9 / 10);
    const int height = std::clamp(rowHeight * (rowCount + 8), rowHeight * 14,
                                  int(area.bottom - area.top) * 8 / 10);
    return dpi.windowSizeFor(width, height, windowStyle, windowExStyle);
}

void DetailsDialogView::layOut()
{
    RECT client{};
    GetClientRect(handle(), &client);
    const int margin = dpi.scale(11);
    const int line = lineHeightOf(fonts.regular());
    const int width = std::max(1, int(client.right) - 2 * margin);
    const int introWidth = textWidth(fonts.regular(), wideFromUtf8(content.intro)) + dpi.scale(8);
    const int fieldHeight = line + dpi.scale(8);
    MoveWindow(intro, margin, margin + (fieldHeight - line) / 2, introWidth, line, TRUE);
    MoveWindow(folder, margin + introWidth, margin, std::max(1, width - introWidth), fieldHeight,
               TRUE);
    const int buttonWidth =
        std::max(dpi.scale(80), textWidth(fonts.regular(), L"Close") + dpi.scale(24));
    const int buttonHeight = std::max(dpi.scale(23), line + dpi.scale(10));
    const int buttonTop = int(client.bottom) - margin - buttonHeight;
    MoveWindow(button, margin + width - buttonWidth, buttonTop, buttonWidth, buttonHeight, TRUE);

    // The sections share what is left: a heading, then the list (or its empty text) below.
    int y = margin + fieldHeight + dpi.scale(8);
    const int available = std::max(0, buttonTop - dpi.scale(8) - y);
    const int share = sections.empty() ? 0 : available / int(sections.size());
    for (const SectionControls& section : sections) {
        MoveWindow(section.heading, margin, y + dpi.scale(4), width, line, TRUE);
        const int top = y + dpi.scale(4) + line + dpi.scale(4);
        const int height = std::max(line, y + share - top - dpi.scale(4));
        MoveWindow(section.list != nullptr ? section.list : section.empty, margin, top, width,
                   section.list != nullptr ? height : 2 * line, TRUE);
        y += share;
    }
}

LRESULT DetailsDialogView::onMessage(UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_COMMAND:
        if (LOWORD(wParam) == closeId || LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL)
            DestroyWindow(handle());
        return 0;
    case WM_SIZE:
        layOut();
        return 0;
    case WM_GETMINMAXINFO: {
        auto* limits = reinterpret_cast<MINMAXINFO*>(lParam);
        limits->ptMinTrackSize = {dpi.scale(360), dpi.scale(260)};
        return 0;
    }
    case WM_DPICHANGED: {
        const auto* proposed = reinterpret_cast<const RECT*>(lParam);
        setFonts();
        sizeColumns();
        SetWindowPos(handle(), nullptr, proposed->left, proposed->top,
                     proposed->right - proposed->left, proposed->bottom - proposed->top,
                     SWP_NOZORDER | SWP_NOACTIVATE);
        return 0;
    }
    default:
        return WindowBase::onMessage(message, wParam, lParam);
    }
}

} // namespace tabrix::win32
