#pragma once
#include <string>
#include <vector>

namespace tabrix::win32 {

/// The application: the common controls and COM set up for the window's thread, one main
/// window; the program ends when it closes.
class MainApp {
public:
    MainApp();
    ~MainApp();
    MainApp(const MainApp&) = delete;
    MainApp& operator=(const MainApp&) = delete;

    /// Runs the main window, first opening the project folder `arguments` names, if any (UTF-8);
    /// returns the process exit code.
    int run(const std::vector<std::string>& arguments);

    /// The program's arguments after its own name, in UTF-8, as the system passed them.
    static std::vector<std::string> commandLineArguments();

private:
    bool comReady = false;
};

} // namespace tabrix::win32
