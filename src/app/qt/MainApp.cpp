#include "MainApp.h"

#include "AppIcon.h"
#include "MainDialogView.h"

#include <QTimer>

#include <string>
#include <vector>

namespace tabrix {

MainApp::MainApp(int& argc, char** argv) : application(argc, argv)
{
    QApplication::setApplicationName("Tabrix Conform");
    QApplication::setOrganizationName("Tabrix"); // where QSettings keeps the dialogs' folders
    QApplication::setWindowIcon(AppIcon::create());
}

int MainApp::run()
{
    // What follows the program's name once Qt has taken its own options: a project to open.
    std::vector<std::string> arguments;
    const QStringList given = QCoreApplication::arguments();
    for (qsizetype i = 1; i < given.size(); ++i)
        arguments.push_back(given[i].toStdString());
    MainDialogView window;
    window.restoreSize();
    // Opened once the window is up, so a message saying why it could not be is shown over it.
    QTimer::singleShot(0, &window, [&window, arguments] {
        window.logic().onStartArguments(arguments);
    });
    window.exec();
    return 0;
}

} // namespace tabrix
