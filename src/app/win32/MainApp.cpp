#include "MainApp.h"

#include "MainDialogView.h"
#include "WideText.h"

#include <commctrl.h>
#include <objbase.h>
#include <shellapi.h>

namespace tabrix::win32 {

MainApp::MainApp()
{
    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_STANDARD_CLASSES | ICC_PROGRESS_CLASS |
                                                       ICC_LISTVIEW_CLASSES | ICC_BAR_CLASSES};
    InitCommonControlsEx(&controls);
    // The shell's file dialogs are COM objects that want a single-threaded apartment.
    comReady =
        SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE));
}

MainApp::~MainApp()
{
    if (comReady)
        CoUninitialize();
}

int MainApp::run(const std::vector<std::string>& arguments)
{
    MainDialogView window;
    if (!window.created())
        return 1;
    ShowWindow(window.handle(), SW_SHOWNORMAL);
    UpdateWindow(window.handle());
    // Shown first, so a reason why the argument opened nothing has its window.
    window.logic().onStartArguments(arguments);
    WindowBase::pumpUntil([&window] { return window.handle() == nullptr; });
    return 0;
}

std::vector<std::string> MainApp::commandLineArguments()
{
    std::vector<std::string> arguments;
    int count = 0;
    wchar_t** words = CommandLineToArgvW(GetCommandLineW(), &count);
    if (words == nullptr)
        return arguments;
    for (int i = 1; i < count; ++i)
        arguments.push_back(utf8FromWide(words[i]));
    LocalFree(words);
    return arguments;
}

} // namespace tabrix::win32
