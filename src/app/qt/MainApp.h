#pragma once
#include <QApplication>

namespace tabrix {

/// The application object: one modal main window; the program ends when it closes.
class MainApp {
public:
    MainApp(int& argc, char** argv);
    /// Runs the main window; returns the process exit code.
    int run();

private:
    QApplication application;
};

} // namespace tabrix
