#include "MainApp.h"

#include <windows.h>

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int)
{
    tabrix::win32::MainApp app;
    return app.run(tabrix::win32::MainApp::commandLineArguments());
}
