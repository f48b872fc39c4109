#include "MainApp.h"

int main(int argc, char** argv)
{
    tabrix::MainApp app(argc, argv);
    return app.run();
}
