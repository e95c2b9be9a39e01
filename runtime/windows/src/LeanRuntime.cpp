// Keeps the setup programs small. They are built without exceptions, yet the static C++
// library's containers still name its throw helpers, and through them the verbose terminate
// handler with its symbol demangler (about 50 KB). A container failure here can only mean
// memory is exhausted, so every one of them ends the process at once.

#include <windows.h>
#include <cstdlib>

namespace __gnu_cxx {
void __verbose_terminate_handler() {
    ExitProcess(255);
}
}  // namespace __gnu_cxx

namespace std {
[[noreturn]] void __throw_bad_alloc() {
    ExitProcess(255);
}
[[noreturn]] void __throw_bad_array_new_length() {
    ExitProcess(255);
}
[[noreturn]] void __throw_length_error(const char*) {
    ExitProcess(255);
}
[[noreturn]] void __throw_logic_error(const char*) {
    ExitProcess(255);
}
[[noreturn]] void __throw_out_of_range(const char*) {
    ExitProcess(255);
}
[[noreturn]] void __throw_out_of_range_fmt(const char*, ...) {
    ExitProcess(255);
}
[[noreturn]] void __throw_invalid_argument(const char*) {
    ExitProcess(255);
}
}  // namespace std
