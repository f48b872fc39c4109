#include "ProgressDialogView.h"

#include "WideText.h"
#include "app/ConformRunEnd.h"
#include "project/ConformProject.h"

#include <commctrl.h>

#include <algorithm>

namespace tabrix::win32 {

namespace {

constexpr UINT_PTR refreshTimer = 1;
constexpr UINT refreshMilliseconds = 100;
constexpr int buttonId = 100;
constexpr DWORD windowStyle = WS_POPUP | WS_CAPTION | WS_SYSMENU;
constexpr DWORD windowExStyle = WS_EX_DLGMODALFRAME;
constexpr int contentWidth = 420; ///< at 100 %, at least
// The longest message the window shows; the window is wide enough for it on two lines, so it
// keeps its size at the end.
constexpr const wchar_t* widestMessage =
    L"Cancelled after 10:00:00.00 of 10:00:00.00. Day 17 Main Unit L.wav and Day 17 Main Unit "
    L"R.wav are valid up to there.";

} // namespace

ProgressDialogView::ProgressDialogView(ConformProject& project, ConformWorker& worker,
                                       const ProgressJob& job)
    : project(project), worker(worker), job(job),
      progressLogic([&project] { project.requestCancel(); }, job)
{
}

ProgressDialogView::~ProgressDialogView()
{
    if (started && !joined) {
        // Only reachable when the window goes without having been closed: stop the run.
        project.requestCancel();
        worker.join();
    }
    if (font != nullptr)
        DeleteObject(font);
}

bool ProgressDialogView::open(HWND ownerWindow)
{
    owner = ownerWindow;
    if (!createWindow(L"TabrixProgress", GetSysColorBrush(COLOR_BTNFACE), L"", windowStyle,
                      windowExStyle, RECT{0, 0, 100, 100}, owner))
        return false;
    createControls();
    showFields();
    ShowWindow(handle(), SW_SHOW);
    SetFocus(actionButton);

    started = true;
    SetTimer(handle(), refreshTimer, refreshMilliseconds, nullptr);
    worker.start(project, percent);
    return true;
}

void ProgressDialogView::runModal(HWND ownerWindow)
{
    runModalOver(ownerWindow, [&] { return open(ownerWindow); });
}

void ProgressDialogView::createControls()
{
    HINSTANCE instance = GetModuleHandleW(nullptr);
    progressBar = CreateWindowExW(0, PROGRESS_CLASSW, nullptr, WS_CHILD | WS_VISIBLE, 0, 0, 0, 0,
                                  handle(), nullptr, instance, nullptr);
    SendMessageW(progressBar, PBM_SETRANGE32, 0, progressBarSteps);
    messageLabel = CreateWindowExW(0, L"Static", L"", WS_CHILD | WS_VISIBLE | SS_LEFT | SS_NOPREFIX,
                                   0, 0, 0, 0, handle(), nullptr, instance, nullptr);
    actionButton = CreateWindowExW(
        0, L"Button", L"", WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_PUSHBUTTON, 0, 0, 0, 0, handle(),
        reinterpret_cast<HMENU>(static_cast<INT_PTR>(buttonId)), instance, nullptr);
    layOut();
}

void ProgressDialogView::layOut()
{
    dpi = WindowDpi::of(handle());
    if (font != nullptr)
        DeleteObject(font);
    font = dpi.createMessageFont();
    for (HWND control : {progressBar, messageLabel, actionButton})
        SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE);

    const int lineHeight = lineHeightOf(font);
    const int width =
        std::max(dpi.scale(contentWidth), textWidth(font, widestMessage) / 2 + lineHeight);
    const int side = dpi.scale(12);
    int y = dpi.scale(22);
    MoveWindow(progressBar, side, y, width, dpi.scale(18), TRUE);
    y += dpi.scale(18) + dpi.scale(12);
    // Room for two lines, so the window keeps its size when the end is reported.
    MoveWindow(messageLabel, side, y, width, 2 * lineHeight + dpi.scale(2), TRUE);
    y += 2 * lineHeight + dpi.scale(2) + dpi.scale(12);
    const int buttonWidth = std::max(dpi.scale(80), textWidth(font, L"Cancel") + dpi.scale(24));
    const int buttonHeight = std::max(dpi.scale(23), lineHeight + dpi.scale(10));
    MoveWindow(actionButton, side + (width - buttonWidth) / 2, y, buttonWidth, buttonHeight, TRUE);
    y += buttonHeight + dpi.scale(14);

    const SIZE outer = dpi.windowSizeFor(width + 2 * side, y, windowStyle, windowExStyle);
    // Centred over the owner, or the screen without one.
    placeOver(handle(), owner, outer);
}

void ProgressDialogView::onTimer()
{
    progressLogic.onTimer(percent.load());
    if (started && !joined && worker.finished())
        showEndOfRun();
    showFields();
}

void ProgressDialogView::showEndOfRun()
{
    // The run has returned: its failure and the file are settled, and the worker is only
    // returning, so joining it does not wait.
    worker.join();
    joined = true;
    KillTimer(handle(), refreshTimer);
    progressLogic.finishConform(runEndOf(project, worker.result(), job));
    SetFocus(actionButton);
}

void ProgressDialogView::onButton()
{
    if (!progressLogic.onCancelButton()) {
        showFields();
        return;
    }
    // Ended: the worker was joined when the end was shown.
    DestroyWindow(handle());
}

void ProgressDialogView::showFields()
{
    const ProgressFields& fields = progressLogic.fields();
    setWindowTextOf(handle(), fields.title);
    setWindowTextOf(actionButton, fields.buttonCaption);
    SendMessageW(progressBar, PBM_SETPOS,
                 WPARAM(std::clamp(fields.barPosition, 0, progressBarSteps)), 0);
    setWindowTextOf(messageLabel, fields.message);
}

LRESULT ProgressDialogView::onMessage(UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_TIMER:
        if (wParam == refreshTimer)
            onTimer();
        return 0;
    case WM_COMMAND:
        // The button and Escape (IDCANCEL) act as the one button; Enter (IDOK) as the logic
        // says: "OK" once ended, nothing while the conform runs.
        if (LOWORD(wParam) == buttonId || LOWORD(wParam) == IDCANCEL ||
            (LOWORD(wParam) == IDOK && progressLogic.onEnterKey()))
            onButton();
        return 0;
    case WM_CLOSE:
        onButton();
        return 0;
    case WM_DPICHANGED:
        layOut();
        return 0;
    default:
        return WindowBase::onMessage(message, wParam, lParam);
    }
}

} // namespace tabrix::win32
