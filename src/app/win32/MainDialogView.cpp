#include "MainDialogView.h"

#include "AppIcon.h"
#include "WideText.h"
#include "frontend/ProjectSummary.h"

#include <commctrl.h>
#include <shellapi.h>

#include <algorithm>
#include <numeric>

namespace tabrix::win32 {

namespace {

constexpr int chooseId = 101;
constexpr int conformId = 102;
constexpr int detailsId = 103;
constexpr int stripId = 104;
constexpr int widthIdBase = 200;
constexpr int channelIdBase = 300;

constexpr DWORD windowStyle = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX;
constexpr DWORD windowExStyle = WS_EX_ACCEPTFILES | WS_EX_CONTROLPARENT;

// The widest summary a real project can produce; the line is sized for it so nothing clips.
constexpr const wchar_t* widestSummary =
    L"32 Bit Float, Split Tracks (16), 176.4Khz, 23:59:59.99-23:59:59.99, 1000 MB";
constexpr COLORREF refusalColour = RGB(0xb3, 0x26, 0x1e);

} // namespace

MainDialogView::MainDialogView(DialogServices* services)
{
    if (!createWindow(L"TabrixConformMain", GetSysColorBrush(COLOR_BTNFACE), L"Tabrix Conform",
                      windowStyle, windowExStyle,
                      RECT{CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT + 100, CW_USEDEFAULT + 100},
                      nullptr))
        return;
    AppIcon::setOn(handle());
    ownServices.setOwner(handle());
    buildControls();
    dialogLogic = std::make_unique<MainDialog>(*this, services ? *services : ownServices);
    dialogLogic->onInitDialog();
}

MainDialogView::~MainDialogView()
{
    strip.reset();
    if (toolTip != nullptr)
        DestroyWindow(toolTip);
    if (HWND window = handle())
        DestroyWindow(window); // before the fonts its controls use
    if (font != nullptr)
        DeleteObject(font);
    if (boldFont != nullptr)
        DeleteObject(boldFont);
}

HWND MainDialogView::addControl(const wchar_t* className, const wchar_t* text, DWORD style, int id)
{
    return CreateWindowExW(0, className, text, WS_CHILD | WS_VISIBLE | style, 0, 0, 0, 0, handle(),
                           reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                           GetModuleHandleW(nullptr), nullptr);
}

void MainDialogView::buildControls()
{
    // Created in the order Tab walks them: the project, the options, the plan's details, conform.
    chooseProjectButton =
        addControl(L"Button", L"Choose Project...", WS_TABSTOP | BS_PUSHBUTTON, chooseId);
    // A long path keeps its end, where the project's own folder name is.
    pathLabel = addControl(L"Static", L"", SS_PATHELLIPSIS | SS_NOPREFIX | SS_NOTIFY);
    optionsBox = addControl(L"Button", L"", BS_GROUPBOX);
    widthLabel = addControl(L"Static", L"Width", SS_RIGHT);
    channelsLabel = addControl(L"Static", L"Channels", SS_RIGHT);
    const std::vector<std::string>& widths = widthChoiceTexts();
    for (std::size_t i = 0; i < widths.size(); ++i)
        widthButtons.push_back(addControl(L"Button", wideFromUtf8(widths[i]).c_str(),
                                          BS_AUTORADIOBUTTON | (i == 0 ? WS_GROUP | WS_TABSTOP : 0),
                                          widthIdBase + int(i)));
    const std::vector<std::string>& channels = channelChoiceTexts();
    for (std::size_t i = 0; i < channels.size(); ++i)
        channelButtons.push_back(addControl(
            L"Button", wideFromUtf8(channels[i]).c_str(),
            BS_AUTORADIOBUTTON | (i == 0 ? WS_GROUP | WS_TABSTOP : 0), channelIdBase + int(i)));
    summaryLabel = addControl(L"Static", L"", WS_GROUP | SS_CENTER | SS_NOPREFIX);
    planLabel = addControl(L"Static", L"Conform plan", SS_LEFT);
    takesLabel = addControl(L"Static", L"", SS_RIGHT | SS_NOPREFIX);
    skippedDetailsButton =
        addControl(L"Button", L"Details...", WS_TABSTOP | BS_PUSHBUTTON, detailsId);
    EnableWindow(skippedDetailsButton, FALSE);
    strip = std::make_unique<PlanStripView>(handle(), stripId);
    unusedLabel = addControl(L"Static", L"", SS_LEFT | SS_ENDELLIPSIS | SS_NOPREFIX | SS_NOTIFY);
    // Enter conforms once a project can be conformed.
    conformProjectButton =
        addControl(L"Button", L"Conform Project", WS_TABSTOP | BS_DEFPUSHBUTTON, conformId);
    EnableWindow(conformProjectButton, FALSE);

    toolTip = CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_NOPREFIX,
                              CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, handle(),
                              nullptr, GetModuleHandleW(nullptr), nullptr);
    addToolTip(pathLabel, "");
    addToolTip(unusedLabel, "");
    addToolTip(skippedDetailsButton, "The files that are not takes, and why");
    layOut();
    SetFocus(chooseProjectButton);
}

void MainDialogView::addToolTip(HWND control, const std::string& text)
{
    std::wstring wide = wideFromUtf8(text);
    TTTOOLINFOW tool{};
    tool.cbSize = sizeof tool;
    tool.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
    tool.hwnd = handle();
    tool.uId = reinterpret_cast<UINT_PTR>(control);
    tool.lpszText = wide.data();
    const bool known =
        SendMessageW(toolTip, TTM_GETTOOLINFOW, 0, reinterpret_cast<LPARAM>(&tool)) != 0;
    tool.lpszText = wide.data();
    SendMessageW(toolTip, known ? TTM_UPDATETIPTEXTW : TTM_ADDTOOLW, 0,
                 reinterpret_cast<LPARAM>(&tool));
}

void MainDialogView::layOut()
{
    dpi = WindowDpi::of(handle());
    if (font != nullptr)
        DeleteObject(font);
    if (boldFont != nullptr)
        DeleteObject(boldFont);
    font = dpi.createMessageFont();
    boldFont = dpi.createMessageFont(true);
    for (HWND child = GetWindow(handle(), GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT))
        SendMessageW(child, WM_SETFONT,
                     reinterpret_cast<WPARAM>(child == planLabel ? boldFont : font), FALSE);
    strip->setFont(font, dpi);
    SendMessageW(toolTip, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
    SendMessageW(toolTip, TTM_SETMAXTIPWIDTH, 0, dpi.scale(600));

    const auto width = [&](const std::wstring& text) { return textWidth(font, text); };
    const auto s = [&](int pixels) { return dpi.scale(pixels); };
    const int lineHeight = lineHeightOf(font);
    const int buttonHeight = std::max(s(23), lineHeight + s(10));
    const auto pushWidth = [&](HWND button) {
        return std::max(s(75), width(wideFromUtf8(windowTextOf(button))) + s(24));
    };
    const int check = dpi.systemMetric(SM_CXMENUCHECK);
    const auto radioWidth = [&](HWND button) {
        return width(wideFromUtf8(windowTextOf(button))) + check + s(10);
    };
    const int radioHeight = std::max(lineHeight, check) + s(4);

    // The options: a label column, then one column per button, widths above channels.
    const int labelColumn = std::max(width(L"Width"), width(L"Channels"));
    std::vector<int> columns(std::max(widthButtons.size(), channelButtons.size()), 0);
    for (std::size_t i = 0; i < widthButtons.size(); ++i)
        columns[i] = std::max(columns[i], radioWidth(widthButtons[i]));
    for (std::size_t i = 0; i < channelButtons.size(); ++i)
        columns[i] = std::max(columns[i], radioWidth(channelButtons[i]));
    const int spacing = s(14);
    const int gridWidth = labelColumn + std::accumulate(columns.begin(), columns.end(), 0) +
                          int(columns.size()) * spacing;
    const int summaryWidth = width(widestSummary) + s(8);
    const int boxInner = std::max(gridWidth, summaryWidth);
    const int boxSide = s(18);
    const int contentWidth = boxInner + 2 * boxSide;
    const int left = s(24);

    int y = s(20);
    const int chooseWidth = pushWidth(chooseProjectButton);
    MoveWindow(chooseProjectButton, left, y, chooseWidth, buttonHeight, FALSE);
    const int pathLeft = left + chooseWidth + s(16);
    MoveWindow(pathLabel, pathLeft, y + (buttonHeight - lineHeight) / 2,
               left + contentWidth - pathLeft, lineHeight, FALSE);
    y += buttonHeight + s(16);

    const int boxTop = y;
    int row = boxTop + s(14) + lineHeight / 2;
    const int gridLeft = left + boxSide + (boxInner - gridWidth) / 2;
    const int labelTop = (radioHeight - lineHeight) / 2;
    MoveWindow(widthLabel, gridLeft, row + labelTop, labelColumn, lineHeight, FALSE);
    MoveWindow(channelsLabel, gridLeft, row + radioHeight + s(10) + labelTop, labelColumn,
               lineHeight, FALSE);
    int x = gridLeft + labelColumn + spacing;
    for (std::size_t i = 0; i < columns.size(); ++i) {
        if (i < widthButtons.size())
            MoveWindow(widthButtons[i], x, row, columns[i], radioHeight, FALSE);
        if (i < channelButtons.size())
            MoveWindow(channelButtons[i], x, row + radioHeight + s(10), columns[i], radioHeight,
                       FALSE);
        x += columns[i] + spacing;
    }
    row += 2 * (radioHeight + s(10));
    // Two lines' room: a refusal naming a long folder wraps without the window changing size.
    MoveWindow(summaryLabel, left + boxSide, row, boxInner, 2 * lineHeight, FALSE);
    row += 2 * lineHeight + s(12);
    MoveWindow(optionsBox, left, boxTop, contentWidth, row - boxTop, FALSE);
    y = row + s(16);

    const int detailsWidth = pushWidth(skippedDetailsButton);
    MoveWindow(planLabel, left, y + (buttonHeight - lineHeight) / 2, contentWidth / 2, lineHeight,
               FALSE);
    MoveWindow(skippedDetailsButton, left + contentWidth - detailsWidth, y, detailsWidth,
               buttonHeight, FALSE);
    const int takesWidth = width(L"00000 takes, 00000 skipped");
    MoveWindow(takesLabel, left + contentWidth - detailsWidth - s(8) - takesWidth,
               y + (buttonHeight - lineHeight) / 2, takesWidth, lineHeight, FALSE);
    y += buttonHeight + s(6);
    const int stripHeight = strip->preferredHeight();
    MoveWindow(strip->handle(), left, y, contentWidth, stripHeight, FALSE);
    y += stripHeight + s(6);
    MoveWindow(unusedLabel, left, y, contentWidth, lineHeight, FALSE);
    y += lineHeight + s(16);

    const int conformWidth = std::max(s(150), pushWidth(conformProjectButton));
    MoveWindow(conformProjectButton, left + (contentWidth - conformWidth) / 2, y, conformWidth,
               buttonHeight, FALSE);
    y += buttonHeight + s(18);

    const SIZE outer = dpi.windowSizeFor(contentWidth + 2 * left, y, windowStyle, windowExStyle);
    SetWindowPos(handle(), nullptr, 0, 0, outer.cx, outer.cy,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    InvalidateRect(handle(), nullptr, TRUE);
}

void MainDialogView::show(const MainDialogFields& fields)
{
    fullPath = fields.projectPath;
    setWindowTextOf(pathLabel, fullPath);
    addToolTip(pathLabel, fullPath);
    refused = fields.refused;
    setWindowTextOf(summaryLabel, fields.summaryText);
    for (std::size_t i = 0; i < widthButtons.size(); ++i)
        SendMessageW(widthButtons[i], BM_SETCHECK,
                     int(i) == fields.widthChoice ? BST_CHECKED : BST_UNCHECKED, 0);
    for (std::size_t i = 0; i < channelButtons.size(); ++i)
        SendMessageW(channelButtons[i], BM_SETCHECK,
                     int(i) == fields.channelChoice ? BST_CHECKED : BST_UNCHECKED, 0);
    EnableWindow(conformProjectButton, fields.conformEnabled);
    setWindowTextOf(takesLabel, fields.takesText);
    EnableWindow(skippedDetailsButton, fields.detailsEnabled);
    strip->setPlan(fields.plan);
    strip->setPlaceholder(fields.refused ? "Nothing in this folder can be conformed."
                                         : "Choose a project folder, or drop one here, to see "
                                           "what plays where.");
    setWindowTextOf(unusedLabel, fields.unusedText);
    addToolTip(unusedLabel, fields.unusedText);
}

MainDialogFields MainDialogView::read() const
{
    MainDialogFields fields = dialogLogic ? dialogLogic->shownFields() : MainDialogFields{};
    fields.projectPath = fullPath;
    fields.summaryText = windowTextOf(summaryLabel);
    const auto checkedIndex = [](const std::vector<HWND>& buttons) {
        for (std::size_t i = 0; i < buttons.size(); ++i)
            if (SendMessageW(buttons[i], BM_GETCHECK, 0, 0) == BST_CHECKED)
                return std::int32_t(i);
        return std::int32_t{0};
    };
    fields.widthChoice = checkedIndex(widthButtons);
    fields.channelChoice = checkedIndex(channelButtons);
    fields.conformEnabled = IsWindowEnabled(conformProjectButton) != 0;
    return fields;
}

void MainDialogView::onCommand(int id, int code)
{
    if (code != BN_CLICKED)
        return;
    if (id == chooseId)
        dialogLogic->onChooseProject();
    else if (id == conformId)
        dialogLogic->onConformProject();
    else if (id == detailsId)
        dialogLogic->onDetails();
    else if (id == widthIdBase)
        dialogLogic->onWidth16();
    else if (id == widthIdBase + 1)
        dialogLogic->onWidth24();
    else if (id >= widthIdBase && id < widthIdBase + int(widthButtons.size()))
        dialogLogic->onChannelChoice(); // reads both selections back
    else if (id >= channelIdBase && id < channelIdBase + int(channelButtons.size()))
        dialogLogic->onChannelChoice();
    else if (id == IDOK)
        onDefaultButton();
    else if (id == IDCANCEL)
        SendMessageW(handle(), WM_CLOSE, 0, 0); // Escape closes the window, as the other one does
}

void MainDialogView::onDefaultButton()
{
    // Enter presses the button that has the focus; elsewhere it conforms, when it can.
    if (HWND focused = focusedPushButton(handle())) {
        SendMessageW(focused, BM_CLICK, 0, 0);
        return;
    }
    if (IsWindowEnabled(conformProjectButton))
        SendMessageW(conformProjectButton, BM_CLICK, 0, 0);
}

void MainDialogView::onDropped(const std::vector<std::string>& paths)
{
    if (paths.size() == 1)
        dialogLogic->onDrop(paths.front());
}

void MainDialogView::onDropFiles(HDROP drop)
{
    std::vector<std::string> paths;
    const UINT count = DragQueryFileW(drop, 0xFFFFFFFF, nullptr, 0);
    for (UINT i = 0; i < count; ++i) {
        std::wstring path(std::size_t(DragQueryFileW(drop, i, nullptr, 0)) + 1, L'\0');
        path.resize(DragQueryFileW(drop, i, path.data(), UINT(path.size())));
        paths.push_back(utf8FromWide(path));
    }
    DragFinish(drop);
    onDropped(paths);
}

LRESULT MainDialogView::onControlColour(HDC dc, HWND control)
{
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, control == summaryLabel && refused ? refusalColour
                                                        : GetSysColor(COLOR_WINDOWTEXT));
    return reinterpret_cast<LRESULT>(GetSysColorBrush(COLOR_BTNFACE));
}

LRESULT MainDialogView::onMessage(UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_COMMAND:
        if (dialogLogic != nullptr)
            onCommand(LOWORD(wParam), HIWORD(wParam));
        return 0;
    case WM_CTLCOLORSTATIC:
        return onControlColour(reinterpret_cast<HDC>(wParam), reinterpret_cast<HWND>(lParam));
    case WM_DROPFILES:
        if (dialogLogic != nullptr)
            onDropFiles(reinterpret_cast<HDROP>(wParam));
        return 0;
    case WM_DPICHANGED: {
        // The system proposes where the window goes on the new monitor; its size follows the
        // content laid out for the new DPI.
        const auto* proposed = reinterpret_cast<const RECT*>(lParam);
        SetWindowPos(handle(), nullptr, proposed->left, proposed->top, 0, 0,
                     SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
        layOut();
        AppIcon::setOn(handle());
        return 0;
    }
    case WM_CLOSE:
        DestroyWindow(handle());
        return 0;
    case WM_DESTROY:
        AppIcon::removeFrom(handle());
        return 0;
    default:
        return WindowBase::onMessage(message, wParam, lParam);
    }
}

} // namespace tabrix::win32
