#pragma once

#include <ostream>
#include <string>
#include <vector>

namespace corvane::cli {

// corvane-cab's whole behaviour, with its arguments (without the program name) and output
// streams passed in, so tests run it in-process. Returns the process exit code.
int runCabCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

}  // namespace corvane::cli
