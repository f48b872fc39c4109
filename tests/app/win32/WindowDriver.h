#pragma once
#include "WindowBase.h"

#include <functional>

namespace tabrix::testing {

/// Handles the window messages of this thread until `done` answers true: false when it is still
/// false after a minute, a guard against a hang that fails the test, not a timing check.
/// Between messages it keeps looking, so a condition set by another thread is seen at once.
inline bool pumpUntil(const std::function<bool()>& done)
{
    const ULONGLONG deadline = GetTickCount64() + 60000;
    MSG message;
    while (!done()) {
        if (GetTickCount64() > deadline)
            return false;
        while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE))
            win32::WindowBase::dispatch(message);
    }
    return true;
}

/// Everything already posted to this thread's windows, handled.
inline void pumpPending()
{
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE))
        win32::WindowBase::dispatch(message);
}

/// A key pressed and released on the focused control, through the same dispatch as the program.
inline void pressKey(WPARAM key)
{
    for (UINT type : {WM_KEYDOWN, WM_KEYUP}) {
        MSG message{};
        message.hwnd = GetFocus();
        message.message = type;
        message.wParam = key;
        message.lParam = type == WM_KEYDOWN ? 1 : LPARAM(0xC0000001);
        win32::WindowBase::dispatch(message);
    }
}

} // namespace tabrix::testing
