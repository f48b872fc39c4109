#include "WindowBase.h"

#include <algorithm>

namespace tabrix::win32 {

WindowBase::~WindowBase()
{
    if (window != nullptr) {
        // The object is going: no message may reach it any more.
        SetWindowLongPtrW(window, GWLP_USERDATA, 0);
        DestroyWindow(window);
    }
}

bool WindowBase::createWindow(const wchar_t* className, HBRUSH background,
                              const std::wstring& title, DWORD style, DWORD exStyle, RECT bounds,
                              HWND parent, int id)
{
    HINSTANCE instance = GetModuleHandleW(nullptr);
    WNDCLASSEXW windowClass{};
    if (!GetClassInfoExW(instance, className, &windowClass)) {
        windowClass.cbSize = sizeof windowClass;
        windowClass.lpfnWndProc = &WindowBase::windowProc;
        windowClass.hInstance = instance;
        windowClass.hCursor = LoadCursorW(nullptr, MAKEINTRESOURCEW(32512)); // IDC_ARROW
        windowClass.hbrBackground = background;
        windowClass.lpszClassName = className;
        if (RegisterClassExW(&windowClass) == 0)
            return false;
    }
    const auto menuOrId = reinterpret_cast<HMENU>(static_cast<INT_PTR>(id));
    CreateWindowExW(exStyle, className, title.c_str(), style, bounds.left, bounds.top,
                    bounds.right - bounds.left, bounds.bottom - bounds.top, parent,
                    (style & WS_CHILD) != 0 ? menuOrId : nullptr, instance, this);
    return window != nullptr;
}

LRESULT WindowBase::onMessage(UINT message, WPARAM wParam, LPARAM lParam)
{
    return DefWindowProcW(window, message, wParam, lParam);
}

LRESULT CALLBACK WindowBase::windowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_NCCREATE) {
        auto* self =
            static_cast<WindowBase*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
        self->window = hwnd;
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
    }
    auto* self = reinterpret_cast<WindowBase*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    if (self == nullptr)
        return DefWindowProcW(hwnd, message, wParam, lParam);
    const LRESULT result = self->onMessage(message, wParam, lParam);
    if (message == WM_NCDESTROY) {
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
        self->window = nullptr;
    }
    return result;
}

void WindowBase::dispatch(MSG& message)
{
    HWND root = message.hwnd != nullptr ? GetAncestor(message.hwnd, GA_ROOT) : nullptr;
    const bool ours =
        root != nullptr &&
        reinterpret_cast<WNDPROC>(GetWindowLongPtrW(root, GWLP_WNDPROC)) == &WindowBase::windowProc;
    if (ours && IsDialogMessageW(root, &message))
        return;
    TranslateMessage(&message);
    DispatchMessageW(&message);
}

bool WindowBase::pumpUntil(const std::function<bool()>& done)
{
    MSG message;
    while (!done()) {
        const BOOL got = GetMessageW(&message, nullptr, 0, 0);
        if (got == 0) {
            PostQuitMessage(int(message.wParam)); // for the loop that owns the program
            return false;
        }
        if (got > 0)
            dispatch(message);
    }
    return true;
}

HWND WindowBase::focusedPushButton(HWND window)
{
    HWND focus = GetFocus();
    if (focus == nullptr || GetParent(focus) != window)
        return nullptr;
    wchar_t className[16] = {};
    GetClassNameW(focus, className, 16);
    const LONG_PTR type = GetWindowLongPtrW(focus, GWL_STYLE) & BS_TYPEMASK;
    const bool push =
        lstrcmpiW(className, L"Button") == 0 && (type == BS_PUSHBUTTON || type == BS_DEFPUSHBUTTON);
    return push ? focus : nullptr;
}

void WindowBase::runModalOver(HWND owner, const std::function<bool()>& open)
{
    if (owner != nullptr)
        EnableWindow(owner, FALSE);
    if (open())
        pumpUntil([this] { return window == nullptr; });
    if (owner != nullptr) {
        EnableWindow(owner, TRUE);
        SetActiveWindow(owner);
    }
}

void WindowBase::placeOver(HWND window, HWND owner, SIZE outer)
{
    MONITORINFO monitor{};
    monitor.cbSize = sizeof monitor;
    GetMonitorInfoW(MonitorFromWindow(owner != nullptr ? owner : window, MONITOR_DEFAULTTONEAREST),
                    &monitor);
    const RECT area = monitor.rcWork;
    RECT over{};
    if (owner == nullptr || !GetWindowRect(owner, &over))
        over = area;
    const auto fit = [](LONG start, LONG length, LONG low, LONG high) {
        return std::max(low, std::min(start, high - length));
    };
    const LONG left =
        fit(over.left + (over.right - over.left - outer.cx) / 2, outer.cx, area.left, area.right);
    const LONG top =
        fit(over.top + (over.bottom - over.top - outer.cy) / 2, outer.cy, area.top, area.bottom);
    SetWindowPos(window, nullptr, left, top, outer.cx, outer.cy, SWP_NOZORDER | SWP_NOACTIVATE);
}

} // namespace tabrix::win32
