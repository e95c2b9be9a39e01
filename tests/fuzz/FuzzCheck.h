#pragma once

// What a fuzz target asserts: a broken property prints what broke and aborts, which libFuzzer
// reports as a crash with the input that caused it, and the corpus replay as a failed test.

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#define CORVANE_FUZZ_CHECK(condition, message)                                                     \
    do {                                                                                           \
        if (!(condition)) ::corvane::test::fuzzFailure(#condition, (message), __FILE__, __LINE__); \
    } while (0)

namespace corvane::test {

[[noreturn]] inline void fuzzFailure(const char* condition, const std::string& message, const char* file,
                                     int line) {
    std::fprintf(stderr, "%s:%d: property broken: %s\n%s\n", file, line, condition, message.c_str());
    std::abort();
}

}  // namespace corvane::test

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size);
