#pragma once
#include <windows.h>

#include <functional>
#include <string>

namespace tabrix::win32 {

/// A window of this program: registers its class once, routes the window's messages to
/// `onMessage` and destroys the window with the object.
class WindowBase {
public:
    WindowBase() = default;
    WindowBase(const WindowBase&) = delete;
    WindowBase& operator=(const WindowBase&) = delete;
    virtual ~WindowBase();

    /// The window; null before `createWindow` and once it is destroyed.
    HWND handle() const noexcept { return window; }

    /// Hands `message` to its window. Keyboard input for one of this program's top-level windows
    /// goes through the dialog manager first: Tab and the arrow keys move the focus, Enter sends
    /// IDOK, Escape IDCANCEL.
    static void dispatch(MSG& message);
    /// Handles messages until `done` answers true or the program is asked to quit (the quit
    /// request is then left for the outer loop). False when it stopped on a quit request.
    static bool pumpUntil(const std::function<bool()>& done);
    /// The push button with the focus inside `window`; null when the focus is elsewhere.
    static HWND focusedPushButton(HWND window);
    /// Sizes `window` to `outer` and centres it over `owner` (or the screen without one), kept
    /// within the work area of the owner's monitor so no edge is cut off.
    static void placeOver(HWND window, HWND owner, SIZE outer);

protected:
    /// Creates the window of class `className` (registered on first use with `background` as its
    /// brush, or none). False when the system refused.
    bool createWindow(const wchar_t* className, HBRUSH background, const std::wstring& title,
                      DWORD style, DWORD exStyle, RECT bounds, HWND parent, int id = 0);
    /// Disables `owner` (may be null), calls `open` and, when it answers true, handles messages
    /// until this window has closed; then gives the owner back its input and activation.
    void runModalOver(HWND owner, const std::function<bool()>& open);
    /// Every message of the window; the default passes it to DefWindowProcW.
    virtual LRESULT onMessage(UINT message, WPARAM wParam, LPARAM lParam);

private:
    static LRESULT CALLBACK windowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

    HWND window = nullptr;
};

} // namespace tabrix::win32
