#include "MainApp.h"

#include "AppIcon.h"
#include "MainDialogView.h"

namespace tabrix {

MainApp::MainApp(int& argc, char** argv) : application(argc, argv)
{
    QApplication::setApplicationName("Tabrix Conform");
    QApplication::setOrganizationName("Tabrix"); // where QSettings keeps the dialogs' folders
    QApplication::setWindowIcon(AppIcon::create());
}

int MainApp::run()
{
    MainDialogView window;
    window.exec();
    return 0;
}

} // namespace tabrix
