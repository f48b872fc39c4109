#include "MainDialogView.h"

#include "AppIcon.h"
#include "WideText.h"
#include "app/WindowColours.h"
#include "frontend/ProjectSummary.h"

#include <commctrl.h>

#include <algorithm>
#include <numeric>

namespace tabrix::win32 {

namespace {

constexpr int chooseId = 101;
constexpr int conformId = 102;
constexpr int detailsId = 103;
constexpr int stripId = 104;
constexpr int showAllId = 105;
constexpr int zoomInId = 106;
constexpr int zoomOutId = 107;
constexpr int fitAllId = 108;
constexpr int widthIdBase = 200;
constexpr int channelIdBase = 300;

constexpr DWORD windowStyle = WS_OVERLAPPEDWINDOW;
constexpr DWORD windowExStyle = WS_EX_ACCEPTFILES | WS_EX_CONTROLPARENT;

// The widest summary a real project can produce; the line is sized for it so nothing clips.
constexpr const wchar_t* widestSummary =
    L"32 Bit Float, Split Tracks (32), 176.4Khz, 23:59:59.99-23:59:59.99, 99999 MB";

PlanColour planColourOf(COLORREF colour)
{
    return {GetRValue(colour), GetGValue(colour), GetBValue(colour)};
}

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
    restoreSize();
}

MainDialogView::~MainDialogView()
{
    strip.reset();
    if (toolTip != nullptr)
        DestroyWindow(toolTip);
    if (HWND window = handle())
        DestroyWindow(window); // before the fonts its controls use
}

HWND MainDialogView::addControl(const wchar_t* className, const wchar_t* text, DWORD style, int id)
{
    return CreateWindowExW(0, className, text, WS_CHILD | WS_VISIBLE | style, 0, 0, 0, 0, handle(),
                           reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                           GetModuleHandleW(nullptr), nullptr);
}

void MainDialogView::buildControls()
{
    // Created in the order Tab walks them: the project, the options, the plan, conform.
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
    // A recorder's sixteen named tracks take more than a line: this one wraps.
    tracksLabel = addControl(L"Static", L"", SS_CENTER | SS_NOPREFIX);
    planLabel = addControl(L"Static", L"Conform plan", SS_LEFT);
    zoomOut = addControl(L"Button", L"\u2212", WS_TABSTOP | BS_PUSHBUTTON, zoomOutId);
    zoomIn = addControl(L"Button", L"+", WS_TABSTOP | BS_PUSHBUTTON, zoomInId);
    fitAll = addControl(L"Button", L"Fit All", WS_TABSTOP | BS_PUSHBUTTON, fitAllId);
    takesLabel = addControl(L"Static", L"", SS_RIGHT | SS_NOPREFIX);
    skippedDetailsButton =
        addControl(L"Button", L"Details...", WS_TABSTOP | BS_PUSHBUTTON, detailsId);
    EnableWindow(skippedDetailsButton, FALSE);
    strip = std::make_unique<PlanStripView>(handle(), stripId);
    strip->setViewChanged([this] { showPlanView(); });
    planScroll = addControl(L"ScrollBar", L"", WS_TABSTOP | SBS_HORZ);
    unusedLabel = addControl(L"Static", L"", SS_LEFT | SS_NOPREFIX | SS_NOTIFY);
    showAllButton = addControl(L"Button", L"Show All...", WS_TABSTOP | BS_PUSHBUTTON, showAllId);
    // Drawn as what Enter presses from the options.
    conformProjectButton =
        addControl(L"Button", L"Conform Project", WS_TABSTOP | BS_DEFPUSHBUTTON, conformId);
    EnableWindow(conformProjectButton, FALSE);

    toolTip = CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_NOPREFIX,
                              CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, handle(),
                              nullptr, GetModuleHandleW(nullptr), nullptr);
    addToolTip(pathLabel, "");
    addToolTip(skippedDetailsButton, "The files that are not takes, and the takes not used");
    addToolTip(showAllButton, "Every take not used, where it would play and what plays there");
    addToolTip(zoomOut, "Zoom out (\u2212, or Ctrl and the wheel)");
    addToolTip(zoomIn, "Zoom in (+, or Ctrl and the wheel)");
    addToolTip(fitAll, "Show the whole plan (0)");
    setFonts();
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

void MainDialogView::setFonts()
{
    dpi = WindowDpi::of(handle());
    fonts.renew(dpi);
    for (HWND child = GetWindow(handle(), GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT))
        SendMessageW(child, WM_SETFONT,
                     reinterpret_cast<WPARAM>(child == planLabel ? fonts.bold() : fonts.regular()),
                     FALSE);
    strip->setFont(fonts.regular(), dpi);
    SendMessageW(toolTip, WM_SETFONT, reinterpret_cast<WPARAM>(fonts.regular()), FALSE);
    SendMessageW(toolTip, TTM_SETMAXTIPWIDTH, 0, dpi.scale(600));
}

int MainDialogView::wrappedHeight(HWND label, int width) const
{
    const std::wstring text = wideFromUtf8(windowTextOf(label));
    if (text.empty())
        return 0;
    HDC dc = GetDC(nullptr);
    const HGDIOBJ old = SelectObject(dc, fonts.regular());
    RECT rect{0, 0, std::max(1, width), 0};
    DrawTextW(dc, text.c_str(), int(text.size()), &rect, DT_WORDBREAK | DT_NOPREFIX | DT_CALCRECT);
    SelectObject(dc, old);
    ReleaseDC(nullptr, dc);
    return int(rect.bottom);
}

SIZE MainDialogView::layOut(int clientWidth, int clientHeight, bool place)
{
    const auto move = [place](HWND control, int x, int y, int width, int height) {
        if (place)
            MoveWindow(control, x, y, std::max(0, width), std::max(0, height), FALSE);
    };
    const auto width = [&](const std::wstring& text) { return textWidth(fonts.regular(), text); };
    const auto s = [&](int pixels) { return dpi.scale(pixels); };
    const int lineHeight = lineHeightOf(fonts.regular());
    const int buttonHeight = std::max(s(23), lineHeight + s(10));
    const auto pushWidth = [&](HWND button, int least) {
        return std::max(s(least), width(wideFromUtf8(windowTextOf(button))) + s(24));
    };
    const int check = dpi.systemMetric(SM_CXMENUCHECK);
    const auto radioWidth = [&](HWND button) {
        return width(wideFromUtf8(windowTextOf(button))) + check + s(10);
    };
    const int radioHeight = std::max(lineHeight, check) + s(4);

    // The options: a label column, then MainDialog::optionColumns buttons a row; a group with
    // more buttons wraps onto the next row.
    const int columnCount = MainDialog::optionColumns;
    const int labelColumn = std::max(width(L"Width"), width(L"Channels"));
    std::vector<int> columns(std::size_t(columnCount), 0);
    for (const std::vector<HWND>* group : {&widthButtons, &channelButtons})
        for (std::size_t i = 0; i < group->size(); ++i)
            columns[i % std::size_t(columnCount)] =
                std::max(columns[i % std::size_t(columnCount)], radioWidth((*group)[i]));
    const int spacing = s(14);
    const int gridWidth =
        labelColumn + std::accumulate(columns.begin(), columns.end(), 0) + columnCount * spacing;
    const int boxSide = s(18);
    const int left = s(24);
    const int least = std::max(gridWidth, width(widestSummary) + s(8)) + 2 * boxSide;
    const int contentWidth = std::max(least, clientWidth - 2 * left);
    const int boxInner = contentWidth - 2 * boxSide;

    int y = s(20);
    const int chooseWidth = pushWidth(chooseProjectButton, 75);
    move(chooseProjectButton, left, y, chooseWidth, buttonHeight);
    const int pathLeft = left + chooseWidth + s(16);
    move(pathLabel, pathLeft, y + (buttonHeight - lineHeight) / 2, left + contentWidth - pathLeft,
         lineHeight);
    y += buttonHeight + s(14);

    const int boxTop = y;
    int row = boxTop + s(14) + lineHeight / 2;
    const int gridLeft = left + boxSide;
    const int labelTop = (radioHeight - lineHeight) / 2;
    for (const auto& [label, group] :
         {std::pair{widthLabel, &widthButtons}, std::pair{channelsLabel, &channelButtons}}) {
        move(label, gridLeft, row + labelTop, labelColumn, lineHeight);
        int x = gridLeft + labelColumn + spacing;
        for (std::size_t i = 0; i < group->size(); ++i) {
            const std::size_t column = i % std::size_t(columnCount);
            if (i > 0 && column == 0) {
                row += radioHeight + s(10);
                x = gridLeft + labelColumn + spacing;
            }
            move((*group)[i], x, row, columns[column], radioHeight);
            x += columns[column] + spacing;
        }
        row += radioHeight + s(10);
    }
    // Two lines' room: a refusal naming a long folder wraps without the window changing size.
    move(summaryLabel, gridLeft, row, boxInner, 2 * lineHeight);
    row += 2 * lineHeight;
    const int tracksHeight = tracksShown ? wrappedHeight(tracksLabel, boxInner) : 0;
    move(tracksLabel, gridLeft, row, boxInner, tracksHeight);
    row += tracksHeight + s(12);
    move(optionsBox, left, boxTop, contentWidth, row - boxTop);
    y = row + s(14);

    // The plan's row: its title, the zoom buttons, the count of takes and Details.
    const int smallWidth = std::max(buttonHeight, width(L"+") + s(14));
    const int planTitleWidth = textWidth(fonts.bold(), L"Conform plan") + s(4);
    move(planLabel, left, y + (buttonHeight - lineHeight) / 2, planTitleWidth, lineHeight);
    int x = left + planTitleWidth + s(12);
    move(zoomOut, x, y, smallWidth, buttonHeight);
    x += smallWidth + s(2);
    move(zoomIn, x, y, smallWidth, buttonHeight);
    x += smallWidth + s(2);
    const int fitWidth = pushWidth(fitAll, 50);
    move(fitAll, x, y, fitWidth, buttonHeight);
    const int detailsWidth = pushWidth(skippedDetailsButton, 75);
    move(skippedDetailsButton, left + contentWidth - detailsWidth, y, detailsWidth, buttonHeight);
    const int takesWidth = width(L"00000 takes, 00000 skipped");
    move(takesLabel, left + contentWidth - detailsWidth - s(8) - takesWidth,
         y + (buttonHeight - lineHeight) / 2, takesWidth, lineHeight);
    y += buttonHeight + s(6);

    // Below the strip: the scroll bar, the unused takes with "Show All...", then Conform.
    const int scrollHeight = dpi.systemMetric(SM_CYHSCROLL);
    const int showAllWidth = pushWidth(showAllButton, 75);
    const int unusedWidth = contentWidth - showAllWidth - s(8);
    const int unusedHeight =
        unusedShown ? std::max(buttonHeight, wrappedHeight(unusedLabel, unusedWidth)) : 0;
    const int below = s(6) + scrollHeight + (unusedShown ? s(6) + unusedHeight : 0) + s(14) +
                      buttonHeight + s(18);
    // The strip takes what is left, between its least and most useful heights.
    const int stripHeight =
        std::clamp(clientHeight - y - below, strip->minimumHeight(), strip->maximumHeight());
    move(strip->handle(), left, y, contentWidth, stripHeight);
    y += stripHeight + s(6);
    move(planScroll, left, y, contentWidth, scrollHeight);
    y += scrollHeight;
    if (unusedShown) {
        y += s(6);
        move(unusedLabel, left, y, unusedWidth, unusedHeight);
        move(showAllButton, left + contentWidth - showAllWidth, y, showAllWidth, buttonHeight);
        y += unusedHeight;
    }
    y += s(14);
    const int conformWidth = std::max(s(150), pushWidth(conformProjectButton, 75) * 5 / 4);
    const int conformTop = std::max(y, clientHeight - s(18) - buttonHeight);
    move(conformProjectButton, left + (contentWidth - conformWidth) / 2, conformTop, conformWidth,
         buttonHeight);
    if (place)
        InvalidateRect(handle(), nullptr, TRUE);
    return {contentWidth + 2 * left, y + buttonHeight + s(18)};
}

SIZE MainDialogView::minimumClientSize()
{
    // With no room given, the content takes the width the options need and the strip its least.
    return layOut(0, 0, false);
}

WindowSize MainDialogView::sizeInDips() const
{
    RECT bounds{};
    GetWindowRect(handle(), &bounds);
    return {MulDiv(int(bounds.right - bounds.left), 96, int(dpi.value())),
            MulDiv(int(bounds.bottom - bounds.top), 96, int(dpi.value()))};
}

void MainDialogView::restoreSize()
{
    const SIZE least = minimumClientSize();
    const SIZE minimum = dpi.windowSizeFor(least.cx, least.cy, windowStyle, windowExStyle);
    RECT area{};
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &area, 0);
    const auto dips = [&](LONG pixels) { return MulDiv(int(pixels), 96, int(dpi.value())); };
    const std::optional<WindowSize> size =
        dialogLogic->initialSize({dips(minimum.cx), dips(minimum.cy)},
                                 {dips(area.right - area.left), dips(area.bottom - area.top)});
    // Without a remembered size: as narrow as the options allow, with the strip at its height.
    const SIZE fresh =
        dpi.windowSizeFor(least.cx, least.cy + strip->preferredHeight() - strip->minimumHeight(),
                          windowStyle, windowExStyle);
    const int widthPixels = size ? dpi.scale(size->width) : int(fresh.cx);
    const int heightPixels = size ? dpi.scale(size->height) : int(fresh.cy);
    SetWindowPos(handle(), nullptr, 0, 0, widthPixels, heightPixels,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void MainDialogView::show(const MainDialogFields& fields)
{
    fullPath = fields.projectPath;
    setWindowTextOf(pathLabel, fullPath);
    addToolTip(pathLabel, fullPath);
    refused = fields.refused;
    setWindowTextOf(summaryLabel, fields.summaryText);
    setWindowTextOf(tracksLabel, fields.projectFacts());
    tracksShown = !fields.projectFacts().empty() && !fields.refused;
    ShowWindow(tracksLabel, tracksShown ? SW_SHOW : SW_HIDE);
    for (std::size_t i = 0; i < widthButtons.size(); ++i)
        SendMessageW(widthButtons[i], BM_SETCHECK,
                     int(i) == fields.widthChoice ? BST_CHECKED : BST_UNCHECKED, 0);
    for (std::size_t i = 0; i < channelButtons.size(); ++i)
        SendMessageW(channelButtons[i], BM_SETCHECK,
                     int(i) == fields.channelChoice ? BST_CHECKED : BST_UNCHECKED, 0);
    EnableWindow(conformProjectButton, fields.conformEnabled);
    setWindowTextOf(takesLabel, fields.takesText);
    EnableWindow(skippedDetailsButton, fields.detailsEnabled);
    if (fields.planRevision != planRevision) { // an option click keeps the zoom
        planRevision = fields.planRevision;
        strip->setPlan(fields.plan);
    }
    strip->setPlaceholder(fields.planPlaceholder);
    setWindowTextOf(unusedLabel, fields.unusedText);
    unusedShown = !fields.unusedText.empty();
    ShowWindow(unusedLabel, unusedShown ? SW_SHOW : SW_HIDE);
    ShowWindow(showAllButton, unusedShown ? SW_SHOW : SW_HIDE);
    showPlanView();
    // Wrapped lines (tracks, unused takes) may need more room: lay out again.
    RECT client{};
    GetClientRect(handle(), &client);
    layOut(int(client.right), int(client.bottom), true);
}

void MainDialogView::showPlanView()
{
    const PlanStrip& plan = strip->logic();
    const PlanScrollState scroll = plan.scrollState();
    // The bar follows the strip, not the other way.
    SCROLLINFO info{};
    info.cbSize = sizeof info;
    info.fMask = SIF_RANGE | SIF_PAGE | SIF_POS | SIF_DISABLENOSCROLL;
    info.nMin = 0;
    info.nMax = scroll.maximum > 0 ? scroll.maximum + scroll.page - 1 : 0;
    info.nPage = UINT(scroll.maximum > 0 ? scroll.page : 0);
    info.nPos = scroll.value;
    SetScrollInfo(planScroll, SB_CTL, &info, TRUE);
    EnableWindow(planScroll, scroll.maximum > 0);
    EnableWindow(zoomIn, plan.canZoomIn());
    EnableWindow(zoomOut, plan.canZoomOut());
    EnableWindow(fitAll, !plan.fitted());
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

FocusedControl MainDialogView::focusedControl() const
{
    HWND focus = GetFocus();
    if (focus == chooseProjectButton)
        return FocusedControl::ChooseProject;
    if (focus == skippedDetailsButton)
        return FocusedControl::Details;
    if (focus == showAllButton)
        return FocusedControl::UnusedTakes;
    if (focus == conformProjectButton)
        return FocusedControl::Conform;
    if (focus == zoomIn || focus == zoomOut || focus == fitAll)
        return FocusedControl::PlanButton;
    return FocusedControl::Other;
}

void MainDialogView::onEnter()
{
    // Enter is decided by the logic, whichever control has the focus; a zoom button it leaves
    // to the view, which presses it.
    if (!dialogLogic->onEnterKey(focusedControl()))
        if (HWND focused = focusedPushButton(handle()))
            SendMessageW(focused, BM_CLICK, 0, 0);
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
    else if (id == showAllId)
        dialogLogic->onShowUnused();
    else if (id == zoomInId)
        strip->press(PlanKey::ZoomIn);
    else if (id == zoomOutId)
        strip->press(PlanKey::ZoomOut);
    else if (id == fitAllId)
        strip->press(PlanKey::FitAll);
    else if (id >= widthIdBase && id < widthIdBase + int(widthButtons.size()))
        dialogLogic->onWidthChoice();
    else if (id >= channelIdBase && id < channelIdBase + int(channelButtons.size()))
        dialogLogic->onChannelChoice();
    else if (id == IDOK)
        onEnter();
    else if (id == IDCANCEL)
        SendMessageW(handle(), WM_CLOSE, 0, 0); // Escape closes the window, as the other one does
}

void MainDialogView::onScroll(int request)
{
    SCROLLINFO info{};
    info.cbSize = sizeof info;
    info.fMask = SIF_ALL;
    GetScrollInfo(planScroll, SB_CTL, &info);
    const PlanScrollState scroll = strip->logic().scrollState();
    int value = info.nPos;
    switch (request) {
    case SB_LINELEFT:
        value -= std::max(1, scroll.page / 10);
        break;
    case SB_LINERIGHT:
        value += std::max(1, scroll.page / 10);
        break;
    case SB_PAGELEFT:
        value -= scroll.page;
        break;
    case SB_PAGERIGHT:
        value += scroll.page;
        break;
    case SB_LEFT:
        value = 0;
        break;
    case SB_RIGHT:
        value = scroll.maximum;
        break;
    case SB_THUMBTRACK:
    case SB_THUMBPOSITION:
        value = info.nTrackPos;
        break;
    default:
        return;
    }
    strip->scrollTo(std::clamp(value, 0, scroll.maximum));
    showPlanView();
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
    dialogLogic->onDrop(paths);
}

LRESULT MainDialogView::onControlColour(HDC dc, HWND control)
{
    SetBkMode(dc, TRANSPARENT);
    const COLORREF background = GetSysColor(COLOR_BTNFACE);
    COLORREF text = GetSysColor(COLOR_WINDOWTEXT);
    if (control == summaryLabel && refused) {
        const PlanColour red = WindowColours::refusalOn(planColourOf(background));
        text = RGB(red.red, red.green, red.blue);
    }
    SetTextColor(dc, text);
    return reinterpret_cast<LRESULT>(GetSysColorBrush(COLOR_BTNFACE));
}

LRESULT MainDialogView::onMessage(UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_COMMAND:
        if (dialogLogic != nullptr)
            onCommand(LOWORD(wParam), HIWORD(wParam));
        return 0;
    case WM_HSCROLL:
        if (reinterpret_cast<HWND>(lParam) == planScroll && strip != nullptr)
            onScroll(LOWORD(wParam));
        return 0;
    case WM_CTLCOLORSTATIC:
        return onControlColour(reinterpret_cast<HDC>(wParam), reinterpret_cast<HWND>(lParam));
    case WM_DROPFILES:
        if (dialogLogic != nullptr)
            onDropFiles(reinterpret_cast<HDROP>(wParam));
        return 0;
    case WM_SIZE:
        if (strip != nullptr)
            layOut(LOWORD(lParam), HIWORD(lParam), true);
        return 0;
    case WM_GETMINMAXINFO:
        if (strip != nullptr) {
            const SIZE least = minimumClientSize();
            const SIZE outer = dpi.windowSizeFor(least.cx, least.cy, windowStyle, windowExStyle);
            reinterpret_cast<MINMAXINFO*>(lParam)->ptMinTrackSize = {outer.cx, outer.cy};
        }
        return 0;
    case WM_DPICHANGED: {
        // Fonts and lengths for the new DPI, in the place and size the system proposes.
        const auto* proposed = reinterpret_cast<const RECT*>(lParam);
        setFonts();
        AppIcon::setOn(handle());
        SetWindowPos(handle(), nullptr, proposed->left, proposed->top,
                     proposed->right - proposed->left, proposed->bottom - proposed->top,
                     SWP_NOZORDER | SWP_NOACTIVATE);
        return 0;
    }
    case WM_CLOSE:
        if (dialogLogic != nullptr)
            dialogLogic->onClose(sizeInDips());
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
