#include "cli/CommandLine.h"
#include "cli/Platform.h"

#include <iostream>

int main(int argc, char** argv)
{
    using namespace tabrix::cli;
    installCancelHandlers();
    ConformEnvironment environment;
    environment.cancelled = cancelSignalled;
    return runCommandLine(argc, argv, std::cout, std::cerr, std::move(environment),
                          stderrIsTerminal());
}
