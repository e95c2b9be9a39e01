// Any bytes as a .zan project: reading never throws, and what the writer writes of the project
// reads back as the same project.

#include <exception>

#include "FuzzCheck.h"
#include "ProjectRoundTrip.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    std::string problem;
    try {
        problem =
            corvane::test::projectRoundTripProblem(bytes, "/nonexistent/project", "/nonexistent/program/");
    } catch (const std::exception& error) {
        problem = std::string("reading threw: ") + error.what();
    }
    CORVANE_FUZZ_CHECK(problem.empty(), problem);
    return 0;
}
