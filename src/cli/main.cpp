#include <iostream>

#include "cli/BuildCommand.h"

int main(int argc, char** argv) {
    return corvane::cli::runBuildCommand(std::vector<std::string>(argv + 1, argv + argc), std::cout, std::cerr);
}
