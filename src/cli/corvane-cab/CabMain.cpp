#include <iostream>

#include "cli/corvane-cab/CabCommand.h"

int main(int argc, char** argv) {
    return corvane::cli::runCabCommand(std::vector<std::string>(argv + 1, argv + argc), std::cout, std::cerr);
}
